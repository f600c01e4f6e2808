// The entries the shell calls, by these exact names, with C linkage.
#pragma once
#include <stdint.h>

#include "plugin/abi.h"

#if defined(_WIN32)
#    define PLUGIN_EXPORT extern "C" __declspec(dllexport)
#else
#    define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

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
