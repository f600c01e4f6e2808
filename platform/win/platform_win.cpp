// The Win32 services, called as they are. char16_t and WCHAR are both UTF-16 units here.
#include <windows.h>

#include "platform/platform.h"

namespace {
HANDLE to_handle(sys_handle h) { return reinterpret_cast<HANDLE>(uintptr_t(h)); }
LPWSTR w(char16_t* s) { return reinterpret_cast<LPWSTR>(s); }
LPCWSTR w(const char16_t* s) { return reinterpret_cast<LPCWSTR>(s); }
}  // namespace

bool sys_read_file(sys_handle h, void* buf, uint32_t count, uint32_t* done) {
    DWORD got = 0;
    BOOL ok = ReadFile(to_handle(h), buf, count, &got, nullptr);
    *done = got;
    return ok != 0;
}

bool sys_write_file(sys_handle h, const void* buf, uint32_t count, uint32_t* done) {
    DWORD put = 0;
    BOOL ok = WriteFile(to_handle(h), buf, count, &put, nullptr);
    *done = put;
    return ok != 0;
}

uint32_t sys_last_error(void) { return GetLastError(); }
void sys_set_last_error(uint32_t code) { SetLastError(code); }

uint32_t sys_format_message(uint32_t code, char16_t* buf, uint32_t cap) {
    return FormatMessageW(0x12FF, nullptr, code, 0, w(buf), cap, nullptr);
}

uint32_t sys_get_env(const char16_t* name, char16_t* buf, uint32_t cap) {
    return GetEnvironmentVariableW(w(name), w(buf), cap);
}

bool sys_set_env(const char16_t* name, const char16_t* value) {
    return SetEnvironmentVariableW(w(name), value ? w(value) : nullptr) != 0;
}

void sys_char_upper(char16_t* s) { CharUpperW(w(s)); }

void* sys_stderr_handle(void) { return GetStdHandle(STD_ERROR_HANDLE); }

void sys_message_box(const char16_t* title, const char16_t* text) {
    MessageBoxW(GetForegroundWindow(), w(text), w(title), 0);
}

void* sys_stdout_handle(void) { return GetStdHandle(STD_OUTPUT_HANDLE); }

void sys_write_text(void* handle, const char16_t* text, size_t n) {
    HANDLE h = static_cast<HANDLE>(handle);
    DWORD mode;
    if (GetConsoleMode(h, &mode)) {
        DWORD done;
        WriteConsoleW(h, text, DWORD(n), &done, nullptr);
        return;
    }
    char chunk[4096 * 3];
    size_t i = 0;
    while (i < n) {
        size_t take = n - i < 4096 ? n - i : 4096;
        if (take == 4096 && text[i + take - 1] >= 0xD800 && text[i + take - 1] <= 0xDBFF) --take;
        int bytes = WideCharToMultiByte(CP_UTF8, 0, w(text + i), int(take), chunk, int(sizeof chunk), nullptr, nullptr);
        i += take;
        int off = 0;
        while (off < bytes) {
            DWORD done = 0;
            if (!WriteFile(h, chunk + off, DWORD(bytes - off), &done, nullptr) || done == 0) return;
            off += int(done);
        }
    }
}
