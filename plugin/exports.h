// The entries the shell calls, by these exact names, with C linkage.
#pragma once
#include <stdint.h>

#if defined(_WIN32)
#  define PLUGIN_EXPORT extern "C" __declspec(dllexport)
#else
#  define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// The registration record. Its layout is shared with the shell and must not change.
struct PluginInfo {
    const char16_t* name;
    const char16_t* author;
    const char16_t* email;
    const char16_t* web_page;
    const char16_t* description;
    const char16_t* functions;
    int32_t major;
    int32_t minor;
    int32_t build;
    // Room for fields the shell's own record may place after build; never written.
    int32_t reserved[15];
};

PLUGIN_EXPORT PluginInfo* GetPluginInfo(void);
PLUGIN_EXPORT int InitializePlugin(void);
PLUGIN_EXPORT int ShutdownPlugin(void);
PLUGIN_EXPORT int Usage(const char16_t* name, char16_t* buffer);
PLUGIN_EXPORT int Help(const char16_t* name);
// Variable functions: the buffer holds the argument text on entry and the result on return.
PLUGIN_EXPORT int f_inthaul(char16_t* buffer);
PLUGIN_EXPORT int f_bytehaul(char16_t* buffer);
PLUGIN_EXPORT int f_bytestow(char16_t* buffer);
// Commands: the argument text; the result is the exit code.
PLUGIN_EXPORT int inc(char16_t* text);
PLUGIN_EXPORT int dec(char16_t* text);

// Result codes shared by the entries.
enum : int {
    RESULT_OK = 0,
    RESULT_REPORTED = -1,  // 0xFFFFFFFF: an error was written to standard error
    RESULT_NULL_ARGUMENT = 87,
};

// The capacities the shell's result buffer is taken to have.
enum : unsigned {
    RESULT_CAP = 1024,
    BYTEHAUL_RESULT_CAP = 16384,
};
