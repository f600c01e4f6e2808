// Registration and lifecycle: what the shell sees when it loads the library.
#include "plugin/exports.h"
#include "plugin/identity.h"
#include "plugin/messages.h"
#include "takecmd/takecmd.h"
#include "text/chars.h"

#if defined(_WIN32)
#    include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif

static PluginInfo plugin_info;

PluginInfo* GetPluginInfo(void) {
    plugin_info.name = BYTEHAUL_NAME;
    plugin_info.author = BYTEHAUL_AUTHOR;
    plugin_info.email = BYTEHAUL_EMAIL;
    plugin_info.web_page = BYTEHAUL_WEB_PAGE;
    plugin_info.description = BYTEHAUL_DESCRIPTION;
    plugin_info.functions = BYTEHAUL_FUNCTIONS;
    plugin_info.major = BYTEHAUL_MAJOR;
    plugin_info.minor = BYTEHAUL_MINOR;
    plugin_info.build = BYTEHAUL_BUILD;
    return &plugin_info;
}

int InitializePlugin(void) {
    // Sized for the longest expansion the shell can give, whatever noloadmsg holds.
    char16_t buffer[SHELL_EXPAND_MAX + 1] = MSG_LOAD_QUERY;
    ExpandVariables(buffer, 1);
    if (buffer[0] == u'0' && buffer[1] == u'0' && buffer[2] == 0)
        Printf(MSG_LOADED, BYTEHAUL_NAME, unsigned(BYTEHAUL_MAJOR), unsigned(BYTEHAUL_MINOR), unsigned(BYTEHAUL_BUILD));
    return 0;
}

int ShutdownPlugin(void) { return 0; }

static_assert(__builtin_offsetof(PluginInfo, name) == 0, "PluginInfo layout");
static_assert(__builtin_offsetof(PluginInfo, author) == 8, "PluginInfo layout");
static_assert(__builtin_offsetof(PluginInfo, email) == 16, "PluginInfo layout");
static_assert(__builtin_offsetof(PluginInfo, web_page) == 24, "PluginInfo layout");
static_assert(__builtin_offsetof(PluginInfo, description) == 32, "PluginInfo layout");
static_assert(__builtin_offsetof(PluginInfo, functions) == 40, "PluginInfo layout");
static_assert(__builtin_offsetof(PluginInfo, major) == 48, "PluginInfo layout");
static_assert(__builtin_offsetof(PluginInfo, minor) == 52, "PluginInfo layout");
static_assert(__builtin_offsetof(PluginInfo, build) == 56, "PluginInfo layout");
