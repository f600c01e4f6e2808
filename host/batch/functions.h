// The variable functions bhsh serves itself, in one table that the check and the run both
// read: the shell's file functions, arithmetic, text and choice. The plug-in's functions
// are looked up apart, in the plug-in.
#pragma once
#include <stddef.h>

#include <string>

enum FunctionOutcome {
    FUNCTION_DONE,    // *result holds the function's text
    FUNCTION_FAILED,  // reported on standard error, *result holds "-1"; the script may test %?
    FUNCTION_STOP,    // cannot be carried out: *result holds the message, and the run stops
};

// Runs the function on its arguments, already expanded.
typedef FunctionOutcome (*FunctionRun)(const std::u16string& args, std::u16string* result);
// Looks at the arguments as written, before expansion: a message when no run of the call
// can succeed (a construct bhsh does not take), otherwise empty.
typedef std::u16string (*FunctionCheck)(const std::u16string& written_args);

struct HostFunction {
    const char16_t* name;  // without the '@', in lower case
    FunctionRun run;
    FunctionCheck check;   // null when there is nothing to check before the run
    const char16_t* form;  // how help shows it: "@left[N,TEXT]"
};

// The function of that name (compared without regard to case), or null.
const HostFunction* host_function(const std::u16string& name);
// The whole table, in help's order.
const HostFunction* host_functions(size_t* count);
