// What a host program tells the stand-in shell: internal variables that take precedence
// over the environment, and the handler for variable functions (%@NAME[ARGS]).
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "takecmd/takecmd.h"

// Expands a function call: name without the '@', args already expanded. Writes the result
// into out (cap characters, NUL included) and returns true, or false when the call failed
// or the name is unknown (the call then expands to nothing).
typedef bool (*shell_function_handler)(const char16_t* name, const char16_t* args, char16_t* out, size_t cap);

// Faults in the text being expanded. The reference is left as literal text; a host that
// wants to refuse such a line learns of it through the fault handler.
enum shell_fault {
    SHELL_FAULT_UNCLOSED_BRACKET = 1,  // %@NAME[ or %[ without its closing ']'
    SHELL_FAULT_TOO_DEEP = 2,          // variable functions nested deeper than the shell allows
    SHELL_FAULT_PATH_MODIFIER = 3,     // %~ and letters before a digit, one not in SHELL_PATH_MODIFIERS
};
// at: the text from the '%' of the faulty reference to the end of its level's text.
typedef void (*shell_fault_handler)(int fault, const char16_t* at);

// A variable the host works out when it is read (the current folder, the time): asked for a
// name that neither an internal variable nor the environment holds, so that a variable of the
// user's own of that name comes first. Writes the value into out (cap characters, NUL
// included) and returns true, or false when it serves no such name.
typedef bool (*shell_variable_handler)(const char16_t* name, char16_t* out, size_t cap);

// The letters %~ takes before an argument's digit, each naming a part of the argument as a
// path: full path, drive, folder, name, extension. %~1 alone is the argument without its
// enclosing quotes.
#define SHELL_PATH_MODIFIERS u"fdpnx"
// Writes the parts of path that the modifiers name into out (cap characters, NUL included):
// the host knows the current folder and the system's path rules.
typedef void (*shell_path_handler)(const char16_t* modifiers, const char16_t* path, char16_t* out, size_t cap);

// How deeply variable functions may nest in one another.
enum { SHELL_FUNCTION_NESTING_MAX = 8 };

extern "C" {
// Whether c may stand in a variable's or a function's name after '%' or '%@'.
TAKECMD_API bool shell_is_name_char(char16_t c);
// Sets an internal variable (names compare without regard to case); a null value removes it.
// Returns false when the table is full or the name is too long.
TAKECMD_API bool shell_set_internal(const char16_t* name, const char16_t* value);
// The value of an internal variable, or null.
TAKECMD_API const char16_t* shell_get_internal(const char16_t* name);
TAKECMD_API void shell_clear_internals(void);
TAKECMD_API void shell_set_function_handler(shell_function_handler handler);
// At "%~": the length of the reference from the '%' to its digit, or 0 when the text there is
// none; *taken says whether the shell takes each of its letters.
TAKECMD_API size_t shell_argument_part_length(const char16_t* percent, bool* taken);
TAKECMD_API void shell_set_variable_handler(shell_variable_handler handler);
TAKECMD_API void shell_set_path_handler(shell_path_handler handler);
// Null removes the handler; faults are then passed over in silence.
TAKECMD_API void shell_set_fault_handler(shell_fault_handler handler);
// Expands in into out (cap characters, NUL included); never writes past cap.
// Returns the length written, NUL excluded.
TAKECMD_API size_t shell_expand(const char16_t* in, char16_t* out, size_t cap);

// Every text the host and the plug-in write to standard output and error passes here.
// With LF line ends each CR LF is written as LF alone, for pipes into Unix tools.
TAKECMD_API void shell_set_lf_line_ends(bool lf);
// Writes text to a standard handle; false when the system refused a write this call made
// (text for standard output may only be gathered, and fail when written later).
TAKECMD_API bool shell_write_text(void* handle, const char16_t* text, size_t n);
// Standard output written as each line ends rather than a buffer at a time, for a reader who
// watches it come (a terminal); a pipe or a file is better served by whole buffers.
TAKECMD_API void shell_set_line_output(bool each_line);
// Standard output is gathered and written a buffer at a time; this writes what is
// gathered. A write to standard error, or to any handle other than standard output,
// first writes what standard output has gathered, so the two stay in order. Call it
// before a prompt, before the process ends, before anything writes to standard output's
// handle without this writer, and before standard output is redirected (on Linux the
// descriptor keeps its number, so the writer cannot tell).
TAKECMD_API void shell_flush_output(void);
// The system's error code of the first failed write (0 none): a reader that has gone
// (a broken pipe) is told apart from a full disk by it.
TAKECMD_API uint32_t shell_output_failure_code(void);
// The environment as the host reads and writes it, under the contracts of sys_get_env and
// sys_set_env; *set (when given) tells whether the name is set at all, for the system's own
// last error is not the host's on every system. Once the host asks for it, the last few
// values are kept, so that a line's reads cost no walk of the system's environment; it must
// then write through here alone, and run code that writes through the system itself (the
// plug-in) between shell_hold_variables(true) and shell_hold_variables(false), which may
// nest: nothing is kept meanwhile, and what was kept before is forgotten.
TAKECMD_API uint32_t shell_get_variable(const char16_t* name, char16_t* buf, uint32_t cap, bool* set);
TAKECMD_API bool shell_set_variable(const char16_t* name, const char16_t* value);
TAKECMD_API void shell_keep_variables(bool keep);
TAKECMD_API void shell_hold_variables(bool held);
// Which standard stream a write failed on first since the start: 0 none, 1 output, 2 error.
TAKECMD_API int shell_output_failure(void);
}
