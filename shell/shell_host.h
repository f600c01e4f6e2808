// What a host program tells the stand-in shell: internal variables that take precedence
// over the environment, and the handler for variable functions (%@NAME[ARGS]).
#pragma once
#include <stddef.h>

#include "shell/takecmd.h"

// Expands a function call: name without the '@', args already expanded. Writes the result
// into out (cap characters, NUL included) and returns true, or false when the call failed
// or the name is unknown (the call then expands to nothing).
typedef bool (*shell_function_handler)(const char16_t* name, const char16_t* args, char16_t* out, size_t cap);

extern "C" {
// Sets an internal variable (names compare without regard to case); a null value removes it.
// Returns false when the table is full or the name is too long.
TAKECMD_API bool shell_set_internal(const char16_t* name, const char16_t* value);
// The value of an internal variable, or null.
TAKECMD_API const char16_t* shell_get_internal(const char16_t* name);
TAKECMD_API void shell_clear_internals(void);
TAKECMD_API void shell_set_function_handler(shell_function_handler handler);
// Expands in into out (cap characters, NUL included); never writes past cap.
// Returns the length written, NUL excluded.
TAKECMD_API size_t shell_expand(const char16_t* in, char16_t* out, size_t cap);
}
