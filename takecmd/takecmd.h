// The four services the plug-in imports from the shell's library, TakeCmd.dll.
// Every return value is ignored by the plug-in.
#pragma once
#include <stddef.h>

#if defined(_WIN32)
#    if defined(TAKECMD_BUILDING)
#        define TAKECMD_API __declspec(dllexport)
#    else
#        define TAKECMD_API
#    endif
#else
#    define TAKECMD_API __attribute__((visibility("default")))
#endif

extern "C" {
// Expands every variable reference in text, in place. flag is always 1.
TAKECMD_API int ExpandVariables(char16_t* text, int flag);
// printf-style output to the given handle.
TAKECMD_API int Qprintf(void* handle, const char16_t* format, ...);
// printf-style output to standard output.
TAKECMD_API int Printf(const char16_t* format, ...);
// Text to standard output, unchanged.
TAKECMD_API int QPuts(const char16_t* text);
}

// The longest text an expansion gives, NUL excluded: the longest environment value
// Windows allows. A buffer handed to ExpandVariables holds at least this plus the NUL.
enum { SHELL_EXPAND_MAX = 32767 };
