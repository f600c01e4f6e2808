// The host's system services, for Windows and for Linux.
#include "host/system.h"

#include "platform/platform.h"
#include "text/chars.h"
#include "text/utf.h"

std::string to_utf8(const std::u16string& s) {
    std::string out(s.size() * 3, '\0');
    out.resize(utf16_to_utf8(s.data(), s.size(), &out[0], out.size()));
    return out;
}

std::u16string from_utf8(const std::string& s) {
    // Converted line by line around NULs, which would end the text early.
    std::u16string out;
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find('\0', start);
        if (end == std::string::npos) end = s.size();
        std::string part = s.substr(start, end - start);
        std::u16string piece(utf8_to_utf16_length(part.c_str()) + 1, u'\0');
        piece.resize(utf8_to_utf16(part.c_str(), &piece[0], piece.size()));
        out += piece;
        if (end == s.size()) break;
        out += u'\uFFFD';
        start = end + 1;
    }
    return out;
}

static std::u16string trimmed(std::u16string s) {
    while (!s.empty() && text_is_space(s.back())) s.pop_back();
    return s;
}

#if defined(_WIN32)
#include <windows.h>
#include <shellapi.h>

static const wchar_t* w(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

std::vector<std::u16string> system_arguments(int, char**) {
    std::vector<std::u16string> args;
    int n = 0;
    wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &n);
    if (!list) return args;
    for (int i = 1; i < n; ++i) args.push_back(reinterpret_cast<const char16_t*>(list[i]));
    LocalFree(list);
    return args;
}

std::u16string system_executable_dir() {
    wchar_t path[32768];
    DWORD n = GetModuleFileNameW(nullptr, path, 32768);
    if (n == 0 || n >= 32768) return u"";
    std::u16string p(reinterpret_cast<const char16_t*>(path), n);
    size_t cut = p.find_last_of(u"\\/");
    return cut == std::u16string::npos ? u"" : p.substr(0, cut + 1);
}

std::u16string system_error_text(uint32_t code) {
    char16_t buf[1024];
    if (sys_format_message(code, buf, 1024) == 0) return u"Error " + from_utf8(std::to_string(code));
    return trimmed(buf);
}

bool system_read_file(const std::u16string& path, size_t max, std::string* bytes, std::u16string* error) {
    HANDLE h = CreateFileW(w(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *error = system_error_text(GetLastError());
        return false;
    }
    bytes->clear();
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(h, chunk, sizeof chunk, &got, nullptr)) {
            *error = system_error_text(GetLastError());
            CloseHandle(h);
            return false;
        }
        if (got == 0) break;
        if (bytes->size() + got > max) {
            *error = u"the file is too large";
            CloseHandle(h);
            return false;
        }
        bytes->append(chunk, got);
    }
    CloseHandle(h);
    return true;
}

bool system_stdin_is_terminal() {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

size_t system_read_stdin(char* buf, size_t cap) {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode;
    if (GetConsoleMode(in, &mode)) {
        wchar_t wide[1024];
        DWORD got = 0;
        DWORD want = DWORD(cap / 3 < 1024 ? cap / 3 : 1024);
        if (want == 0 || !ReadConsoleW(in, wide, want, &got, nullptr) || got == 0) return 0;
        // Ctrl+Z at the start of a console line is the end of input.
        if (wide[0] == 0x1A) return 0;
        return utf16_to_utf8(reinterpret_cast<const char16_t*>(wide), got, buf, cap);
    }
    DWORD got = 0;
    if (!ReadFile(in, buf, DWORD(cap), &got, nullptr)) return 0;
    return got;
}

bool system_open(const std::u16string& path, FileMode mode, uint64_t* handle, std::u16string* error) {
    DWORD access = GENERIC_READ, disposition = OPEN_EXISTING;
    switch (mode) {
    case FILE_READ: break;
    case FILE_WRITE: access = GENERIC_WRITE; disposition = CREATE_ALWAYS; break;
    case FILE_APPEND: access = FILE_APPEND_DATA | SYNCHRONIZE; disposition = OPEN_ALWAYS; break;
    case FILE_READ_WRITE: access = GENERIC_READ | GENERIC_WRITE; break;
    case FILE_CREATE_READ_WRITE: access = GENERIC_READ | GENERIC_WRITE; disposition = CREATE_ALWAYS; break;
    }
    HANDLE h = CreateFileW(w(path), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *error = system_error_text(GetLastError());
        return false;
    }
    *handle = uint64_t(uintptr_t(h));
    return true;
}

bool system_close(uint64_t handle, std::u16string* error) {
    if (!CloseHandle(reinterpret_cast<HANDLE>(uintptr_t(handle)))) {
        *error = system_error_text(GetLastError());
        return false;
    }
    return true;
}

bool system_seek(uint64_t handle, int64_t offset, int origin, uint64_t* position, std::u16string* error) {
    static const DWORD methods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    LARGE_INTEGER move, now;
    move.QuadPart = offset;
    if (!SetFilePointerEx(reinterpret_cast<HANDLE>(uintptr_t(handle)), move, &now, methods[origin])) {
        *error = system_error_text(GetLastError());
        return false;
    }
    *position = uint64_t(now.QuadPart);
    return true;
}

#else
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

std::vector<std::u16string> system_arguments(int argc, char** argv) {
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) args.push_back(from_utf8(argv[i]));
    return args;
}

std::u16string system_executable_dir() {
    char path[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", path, PATH_MAX);
    if (n <= 0) return u"";
    std::string p(path, size_t(n));
    size_t cut = p.rfind('/');
    return cut == std::string::npos ? u"" : from_utf8(p.substr(0, cut + 1));
}

std::u16string system_error_text(uint32_t code) { return trimmed(from_utf8(strerror(int(code)))); }

static int fd_of(uint64_t handle) { return handle > uint64_t(INT_MAX) ? -1 : int(handle); }

bool system_read_file(const std::u16string& path, size_t max, std::string* bytes, std::u16string* error) {
    int fd = open(to_utf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = system_error_text(uint32_t(errno));
        return false;
    }
    bytes->clear();
    char chunk[65536];
    for (;;) {
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            *error = system_error_text(uint32_t(errno));
            close(fd);
            return false;
        }
        if (got == 0) break;
        if (bytes->size() + size_t(got) > max) {
            *error = u"the file is too large";
            close(fd);
            return false;
        }
        bytes->append(chunk, size_t(got));
    }
    close(fd);
    return true;
}

bool system_stdin_is_terminal() { return isatty(0) != 0; }

size_t system_read_stdin(char* buf, size_t cap) {
    for (;;) {
        ssize_t got = read(0, buf, cap);
        if (got < 0 && errno == EINTR) continue;
        return got > 0 ? size_t(got) : 0;
    }
}

bool system_open(const std::u16string& path, FileMode mode, uint64_t* handle, std::u16string* error) {
    int flags = O_RDONLY;
    switch (mode) {
    case FILE_READ: break;
    case FILE_WRITE: flags = O_WRONLY | O_CREAT | O_TRUNC; break;
    case FILE_APPEND: flags = O_WRONLY | O_CREAT | O_APPEND; break;
    case FILE_READ_WRITE: flags = O_RDWR; break;
    case FILE_CREATE_READ_WRITE: flags = O_RDWR | O_CREAT | O_TRUNC; break;
    }
    std::string p = to_utf8(path);
    int fd = p.empty() ? (errno = ENOENT, -1) : open(p.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        *error = system_error_text(uint32_t(errno));
        return false;
    }
    *handle = uint64_t(fd);
    return true;
}

bool system_close(uint64_t handle, std::u16string* error) {
    if (close(fd_of(handle)) != 0) {
        *error = system_error_text(uint32_t(errno));
        return false;
    }
    return true;
}

bool system_seek(uint64_t handle, int64_t offset, int origin, uint64_t* position, std::u16string* error) {
    static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    off_t now = lseek(fd_of(handle), off_t(offset), whence[origin]);
    if (now < 0) {
        *error = system_error_text(uint32_t(errno));
        return false;
    }
    *position = uint64_t(now);
    return true;
}

#endif
