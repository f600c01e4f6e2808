// The platform services the plug-in uses, one small interface for every build.
// platform/win/ calls the Win32 functions; platform/posix/ stands in for them on Linux,
// with descriptors as handles and errno mapped to the Windows error codes.
#pragma once
#include <stddef.h>
#include <stdint.h>

// A system handle value: a Windows HANDLE, or a descriptor number on Linux.
typedef uint64_t sys_handle;

// The Windows error codes the platform layer and the plug-in use, under Windows' own names.
enum : uint32_t {
    SYS_ERROR_INVALID_FUNCTION = 1,
    SYS_ERROR_FILE_NOT_FOUND = 2,
    SYS_ERROR_PATH_NOT_FOUND = 3,
    SYS_ERROR_ACCESS_DENIED = 5,
    SYS_ERROR_INVALID_HANDLE = 6,
    SYS_ERROR_NOT_ENOUGH_MEMORY = 8,
    SYS_ERROR_WRITE_PROTECT = 19,
    SYS_ERROR_NOT_READY = 21,
    SYS_ERROR_GEN_FAILURE = 31,  // a device attached to the system is not functioning
    SYS_ERROR_INVALID_PARAMETER = 87,
    SYS_ERROR_BROKEN_PIPE = 109,  // a read from a pipe whose writers have all gone
    SYS_ERROR_DISK_FULL = 112,
    SYS_ERROR_ENVVAR_NOT_FOUND = 203,
    SYS_ERROR_FILENAME_EXCED_RANGE = 206,
    SYS_ERROR_FILE_TOO_LARGE = 223,
    SYS_ERROR_NO_DATA = 232,             // the pipe is being closed
    SYS_ERROR_PIPE_NOT_CONNECTED = 233,  // no process is on the other end of the pipe
    SYS_ERROR_MR_MID_NOT_FOUND = 317,    // no message text for the code
    SYS_ERROR_IO_DEVICE = 1117,
};

// One synchronous read or write at the handle's position. Return true on success;
// on failure the code is left for sys_last_error().
bool sys_read_file(sys_handle h, void* buf, uint32_t count, uint32_t* done);
bool sys_write_file(sys_handle h, const void* buf, uint32_t count, uint32_t* done);

uint32_t sys_last_error(void);
void sys_set_last_error(uint32_t code);

// The system's message text for code, as FormatMessageW gives it from the system's table,
// inserts ignored and line breaks folded into blanks: returns the number of characters
// written, or 0 when there is none (buffer untouched) or it does not fit in cap (what the
// buffer holds is then undefined).
uint32_t sys_format_message(uint32_t code, char16_t* buf, uint32_t cap);
// The text a report shows for code: the system's message without its trailing white
// space or, when the system has none, fallback (a format with one integer conversion)
// filled in with the code. cap > 0; returns the length written.
uint32_t sys_error_text(uint32_t code, const char16_t* fallback, char16_t* buf, uint32_t cap);

// GetEnvironmentVariableW's contract: the length copied (NUL excluded); when the buffer
// is too small, the size needed (NUL included) and the buffer untouched; 0 with last
// error 203 when the name is not set.
uint32_t sys_get_env(const char16_t* name, char16_t* buf, uint32_t cap);
// SetEnvironmentVariableW's contract; a null value removes the variable.
bool sys_set_env(const char16_t* name, const char16_t* value);

// CharUpperW on a NUL-terminated string, in place.
void sys_char_upper(char16_t* s);

// The standard error handle, fetched anew on every call (GetStdHandle).
void* sys_stderr_handle(void);

// A message box with an OK button, owned by the foreground window; returns when closed.
void sys_message_box(const char16_t* title, const char16_t* text);

// Standard output, fetched anew on every call (GetStdHandle).
void* sys_stdout_handle(void);
// Writes UTF-16 text to a standard handle as a console or terminal expects it: UTF-16 to
// a Windows console, UTF-8 to anything redirected and on Linux. Failures are ignored.
void sys_write_text(void* handle, const char16_t* text, size_t n);
// Writes UTF-16 text to the handle as UTF-8 with sys_write_file, in bounded chunks that
// never split a surrogate pair. Stops at the first failed or empty write.
void sys_write_utf8(sys_handle h, const char16_t* text, size_t n);

// The fault seam. The calls the platform makes into the system go through a table of
// function pointers, each under the name the system gives the call, so that a test can
// make one fail on purpose and put it back. The plug-in never changes the table; the
// overriding functions are linked only into programs that call them.
typedef void (*sys_call)(void);
// The calls every build has, each with the shape of the sys_ function above it stands for:
//   "ReadFile" sys_read_fn, "WriteFile" sys_write_fn,
//   "GetEnvironmentVariableW" sys_get_env_fn, "SetEnvironmentVariableW" sys_set_env_fn.
// The Linux stand-ins make theirs through the C library's "read", "write", "putenv" and
// "unsetenv", which are in the table too, with the C library's own shapes.
typedef bool (*sys_read_fn)(sys_handle h, void* buf, uint32_t count, uint32_t* done);
typedef bool (*sys_write_fn)(sys_handle h, const void* buf, uint32_t count, uint32_t* done);
typedef uint32_t (*sys_get_env_fn)(const char16_t* name, char16_t* buf, uint32_t cap);
typedef bool (*sys_set_env_fn)(const char16_t* name, const char16_t* value);
// Points the named call at fn; a null fn puts the original back. False for a name not in
// this build's table.
bool sys_override(const char* name, sys_call fn);
// The original of the named call (to pass through to), or null for an unknown name.
sys_call sys_original(const char* name);
// Puts every call back to its original.
void sys_restore_all(void);
