// The platform services the plug-in uses, one small interface for every build.
// platform/win/ calls the Win32 functions; platform/posix/ stands in for them on Linux,
// with descriptors as handles and errno mapped to the Windows error codes.
#pragma once
#include <stddef.h>
#include <stdint.h>

// A system handle value: a Windows HANDLE, or a descriptor number on Linux.
typedef uint64_t sys_handle;

// Windows error codes the plug-in and its tests name.
enum : uint32_t {
    SYS_ERROR_FILE_NOT_FOUND = 2,
    SYS_ERROR_ACCESS_DENIED = 5,
    SYS_ERROR_INVALID_HANDLE = 6,
    SYS_ERROR_NOT_ENOUGH_MEMORY = 8,
    SYS_ERROR_INVALID_PARAMETER = 87,
    SYS_ERROR_BROKEN_PIPE = 109,  // a read from a pipe whose writers have all gone
    SYS_ERROR_DISK_FULL = 112,
    SYS_ERROR_ENVVAR_NOT_FOUND = 203,
    SYS_ERROR_NO_DATA = 232,
};

// One synchronous read or write at the handle's position. Return true on success;
// on failure the code is left for sys_last_error().
bool sys_read_file(sys_handle h, void* buf, uint32_t count, uint32_t* done);
bool sys_write_file(sys_handle h, const void* buf, uint32_t count, uint32_t* done);

uint32_t sys_last_error(void);
void sys_set_last_error(uint32_t code);

// The system's message text for code, as FormatMessageW with flags 0x12FF gives it:
// returns the number of characters written, or 0 (buffer untouched) when there is none.
uint32_t sys_format_message(uint32_t code, char16_t* buf, uint32_t cap);

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
