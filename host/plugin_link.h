// The loaded plug-in as the shell sees it: its registration record, the names it serves
// and the exports behind them, and calls into it with buffers of the size it expects.
#pragma once
#include <stdint.h>

#include <string>

// The registration record, the entries' signatures and their buffer capacities, as the
// plug-in publishes them.
#include "plugin/abi.h"

// Loads the library, reads its record and looks up every listed name. Warnings about
// listed names without an export go to standard error; false only when the library
// cannot be used at all (the reason is in error).
bool plugin_load(const std::u16string& path, std::u16string* error);
// InitializePlugin, ShutdownPlugin (each called once; nothing when the export is absent).
void plugin_initialize();
void plugin_shutdown_and_unload();

const PluginInfo* plugin_record();

// Whether the plug-in serves a variable function (name without '@') or a command.
bool plugin_has_function(const std::u16string& name);
bool plugin_has_command(const std::u16string& name);

// What came of a call into the plug-in.
struct PluginCall {
    int code;               // the entry's return value
    std::u16string result;  // the result text when code is 0 (functions and Usage)
    std::u16string fault;   // set when the host refused the call or the plug-in misbehaved
};

// Calls f_<name> with args in a result buffer of the capacity the plug-in assumes for it.
PluginCall plugin_call_function(const std::u16string& name, const std::u16string& args);
// Calls the command with its argument text; the code is its exit code.
PluginCall plugin_call_command(const std::u16string& name, const std::u16string& text);
// Usage(name, buffer) and Help(name): code 1 when the plug-in answered, 0 otherwise.
PluginCall plugin_call_usage(const std::u16string& name);
PluginCall plugin_call_help(const std::u16string& name);
// The names served, as listed ("@inthaul", "inc", ...), comma-separated.
std::u16string plugin_names();
