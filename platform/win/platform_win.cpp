// The Win32 services, called as they are. char16_t and WCHAR are both UTF-16 units here.
#include <windows.h>

#include "platform/platform.h"
#include "platform/seam.h"

namespace {
HANDLE to_handle(sys_handle h) { return reinterpret_cast<HANDLE>(uintptr_t(h)); }
LPWSTR w(char16_t* s) { return reinterpret_cast<LPWSTR>(s); }
LPCWSTR w(const char16_t* s) { return reinterpret_cast<LPCWSTR>(s); }

// From the system's own table, inserts left as they are, and the message's line breaks
// folded into blanks (the width mask), so that a text fits on a report's line.
const DWORD MESSAGE_FLAGS = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;

bool read_file(sys_handle h, void* buf, uint32_t count, uint32_t* done) {
    DWORD got = 0;
    BOOL ok = ReadFile(to_handle(h), buf, count, &got, nullptr);
    *done = got;
    return ok != 0;
}

bool write_file(sys_handle h, const void* buf, uint32_t count, uint32_t* done) {
    DWORD put = 0;
    BOOL ok = WriteFile(to_handle(h), buf, count, &put, nullptr);
    *done = put;
    return ok != 0;
}

uint32_t get_env(const char16_t* name, char16_t* buf, uint32_t cap) {
    return GetEnvironmentVariableW(w(name), w(buf), cap);
}

bool set_env(const char16_t* name, const char16_t* value) {
    return SetEnvironmentVariableW(w(name), value ? w(value) : nullptr) != 0;
}

}  // namespace

SysCallSlot sys_calls[] = {
    SYS_SLOT("ReadFile", &read_file),
    SYS_SLOT("WriteFile", &write_file),
    SYS_SLOT("GetEnvironmentVariableW", &get_env),
    SYS_SLOT("SetEnvironmentVariableW", &set_env),
};
const size_t sys_call_count = sizeof sys_calls / sizeof sys_calls[0];

uint32_t sys_last_error(void) { return GetLastError(); }
void sys_set_last_error(uint32_t code) { SetLastError(code); }

uint32_t sys_format_message(uint32_t code, char16_t* buf, uint32_t cap) {
    return FormatMessageW(MESSAGE_FLAGS, nullptr, code, 0, w(buf), cap, nullptr);
}

void sys_char_upper(char16_t* s) { CharUpperW(w(s)); }

void* sys_stderr_handle(void) { return GetStdHandle(STD_ERROR_HANDLE); }

void sys_message_box(const char16_t* title, const char16_t* text) {
    MessageBoxW(GetForegroundWindow(), w(text), w(title), 0);
}

void* sys_stdout_handle(void) { return GetStdHandle(STD_OUTPUT_HANDLE); }

// Asking whether a handle is a console costs a round trip to the system (under Wine, to its
// server) on every write; the answers for the few handles written to are kept instead.
static bool is_console(HANDLE h) {
    struct Known {
        HANDLE handle;
        bool console;
    };
    static Known known[4];
    static size_t next = 0;
    for (const Known& k : known)
        if (k.handle == h && h) return k.console;
    DWORD mode;
    bool console = GetConsoleMode(h, &mode) != 0;
    known[next] = Known{h, console};
    next = (next + 1) % (sizeof known / sizeof known[0]);
    return console;
}

void sys_write_text(void* handle, const char16_t* text, size_t n) {
    HANDLE h = static_cast<HANDLE>(handle);
    if (is_console(h)) {
        DWORD done;
        WriteConsoleW(h, text, DWORD(n), &done, nullptr);
        return;
    }
    sys_write_utf8(uint64_t(uintptr_t(h)), text, n);
}
