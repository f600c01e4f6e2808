#include "tests/support/support.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "platform/platform.h"
#include "shell/shell_host.h"
#include "text/chars.h"
#include "text/utf.h"

#if defined(_WIN32)
#    include <windows.h>
#else
#    include <fcntl.h>
#    include <unistd.h>
#endif

std::u16string U(const std::string& utf8) {
    std::u16string out(utf8.size() + 1, u'\0');
    size_t n = utf8_to_utf16(utf8.c_str(), &out[0], out.size());
    out.resize(n);
    return out;
}

std::string U8(const char16_t* s) {
    size_t n = text_len(s);
    std::string out(n * 3 + 1, '\0');
    out.resize(utf16_to_utf8(s, n, &out[0], out.size()));
    return out;
}

std::string U8(const std::u16string& s) { return U8(s.c_str()); }

namespace {
// Every name handed out, removed when the test program ends: files the tests still hold open
// go when their last handle closes.
std::vector<std::string>& temp_names() {
    static std::vector<std::string> names;
    return names;
}

void remove_temp_names() {
    for (const std::string& name : temp_names()) remove(name.c_str());
}
}  // namespace

std::string temp_path(const std::string& stem) {
    static unsigned serial = 0;
    // The list is made before the handler is registered, so that it is still there when the
    // handler runs.
    if (serial == 0 && temp_names().empty()) atexit(remove_temp_names);
#if defined(_WIN32)
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string name =
        std::string(dir) + "bh_" + stem + "_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
#else
    const char* dir = getenv("TMPDIR");
    std::string name = std::string(dir && *dir ? dir : "/tmp") + "/bh_" + stem + "_" + std::to_string(getpid()) + "_" +
                       std::to_string(++serial);
#endif
    temp_names().push_back(name);
    return name;
}

std::string read_whole_file(const std::string& path) {
    std::string out;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return out;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    fclose(f);
    return out;
}

static void write_whole_file(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) abort();
    if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

uint64_t open_temp_file(const std::string& bytes, Access access, std::string* path_out) {
    std::string path = temp_path("file");
    write_whole_file(path, bytes);
    if (path_out) *path_out = path;
    return open_path(path, access);
}

std::u16string handle_arg(uint64_t h) { return U(std::to_string(h)); }

void env_set(const char* name, const char* value) {
    std::u16string n = U(name);
    if (value) {
        std::u16string v = U(value);
        sys_set_env(n.c_str(), v.c_str());
    } else {
        sys_set_env(n.c_str(), nullptr);
    }
}

SeamRestorer::~SeamRestorer() { sys_restore_all(); }

bool seam_override_raw(const char* name, void (*fn)(void)) { return sys_override(name, fn); }

bool env_get(const char* name, std::string* value) {
    std::u16string n = U(name);
    static char16_t buf[32768];
    // An empty value gives 0 too, and Windows may then leave the last error as it was.
    sys_set_last_error(0);
    uint32_t r = sys_get_env(n.c_str(), buf, 32768);
    if (r == 0 && sys_last_error() == SYS_ERROR_ENVVAR_NOT_FOUND) return false;
    if (r >= 32768) return false;
    buf[r] = 0;
    *value = U8(buf);
    return true;
}

GuardedBuffer guarded_new(size_t cap, const std::u16string& text) {
    const size_t guard = 64;
    GuardedBuffer b;
    b.storage = new char16_t[cap + guard];
    for (size_t i = 0; i < cap + guard; ++i) b.storage[i] = char16_t(0xA5A5);
    b.data = b.storage;
    b.cap = cap;
    size_t n = text.size() < cap ? text.size() : cap - 1;
    for (size_t i = 0; i < n; ++i) b.data[i] = text[i];
    b.data[n] = 0;
    return b;
}

bool guard_intact(const GuardedBuffer& b) {
    for (size_t i = b.cap; i < b.cap + 64; ++i)
        if (b.storage[i] != char16_t(0xA5A5)) return false;
    return true;
}

void guarded_free(GuardedBuffer& b) {
    delete[] b.storage;
    b.storage = b.data = nullptr;
}

#if defined(_WIN32)

std::string system_message(uint32_t code) {
    wchar_t buf[1024];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                             nullptr, code, 0, buf, 1024, nullptr);
    while (n > 0 && (buf[n - 1] == L' ' || buf[n - 1] == L'\t' || buf[n - 1] == L'\r' || buf[n - 1] == L'\n')) --n;
    return U8(std::u16string(reinterpret_cast<const char16_t*>(buf), n));
}

std::string message_box_echo(const std::string&, const std::string&) { return ""; }

static HANDLE saved_out, saved_err, cap_out, cap_err;

uint64_t open_path(const std::string& path, Access access) {
    DWORD mode = access == Access::Read    ? GENERIC_READ
                 : access == Access::Write ? GENERIC_WRITE
                                           : GENERIC_READ | GENERIC_WRITE;
    HANDLE h = CreateFileA(path.c_str(), mode, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? 0 : uint64_t(uintptr_t(h));
}

void close_handle(uint64_t h) { CloseHandle(reinterpret_cast<HANDLE>(uintptr_t(h))); }

bool make_pipe(uint64_t* read_end, uint64_t* write_end) {
    HANDLE r, w;
    if (!CreatePipe(&r, &w, nullptr, 0)) return false;
    *read_end = uint64_t(uintptr_t(r));
    *write_end = uint64_t(uintptr_t(w));
    return true;
}

uint64_t closed_handle() {
    uint64_t h = open_temp_file("x", Access::Read);
    close_handle(h);
    return h;
}

bool pipe_no_wait(uint64_t read_end) {
    DWORD mode = PIPE_READMODE_BYTE | PIPE_NOWAIT;
    return SetNamedPipeHandleState(reinterpret_cast<HANDLE>(uintptr_t(read_end)), &mode, nullptr, nullptr) != 0;
}

// The two capture files are made once and emptied for each capture: under Wine, making and
// deleting a file costs a round trip to its server, and some tests capture thousands of calls.
// The system deletes them when the process ends.
static HANDLE capture_file(HANDLE* kept, const char* stem) {
    if (!*kept)
        *kept = CreateFileA(temp_path(stem).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    SetFilePointer(*kept, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(*kept);
    return *kept;
}

static std::string captured_text(HANDLE h) {
    std::string text;
    DWORD end = SetFilePointer(h, 0, nullptr, FILE_CURRENT);
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    text.resize(end);
    DWORD got = 0;
    if (end > 0 && !ReadFile(h, &text[0], end, &got, nullptr)) got = 0;
    text.resize(got);
    return text;
}

void capture_begin() {
    shell_flush_output();  // what the shell gathered belongs to the streams as they were
    fflush(stdout);
    fflush(stderr);
    saved_out = GetStdHandle(STD_OUTPUT_HANDLE);
    saved_err = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, capture_file(&cap_out, "out"));
    SetStdHandle(STD_ERROR_HANDLE, capture_file(&cap_err, "err"));
}

Captured capture_end() {
    shell_flush_output();  // what the shell gathered belongs to the streams as they were
    SetStdHandle(STD_OUTPUT_HANDLE, saved_out);
    SetStdHandle(STD_ERROR_HANDLE, saved_err);
    return Captured{captured_text(cap_out), captured_text(cap_err)};
}

static HANDLE broken_saved_out, broken_saved_err, broken_pipe_end;

void streams_break(StreamFault fault) {
    shell_flush_output();  // what the shell gathered belongs to the streams as they were
    fflush(stdout);
    fflush(stderr);
    broken_saved_out = GetStdHandle(STD_OUTPUT_HANDLE);
    broken_saved_err = GetStdHandle(STD_ERROR_HANDLE);
    HANDLE h = nullptr;
    broken_pipe_end = nullptr;
    if (fault == StreamFault::Closed) {
        h = reinterpret_cast<HANDLE>(uintptr_t(closed_handle()));
    } else {
        HANDLE r;
        if (CreatePipe(&r, &broken_pipe_end, nullptr, 0)) CloseHandle(r);
        h = broken_pipe_end;
    }
    SetStdHandle(STD_OUTPUT_HANDLE, h);
    SetStdHandle(STD_ERROR_HANDLE, h);
}

void streams_restore() {
    shell_flush_output();  // what the shell gathered belongs to the streams as they were
    SetStdHandle(STD_OUTPUT_HANDLE, broken_saved_out);
    SetStdHandle(STD_ERROR_HANDLE, broken_saved_err);
    if (broken_pipe_end) CloseHandle(broken_pipe_end);
    broken_pipe_end = nullptr;
}

#else

std::string system_message(uint32_t code) {
    static const struct {
        uint32_t code;
        const char* text;
    } texts[] = {
        {1, "Incorrect function."},
        {2, "The system cannot find the file specified."},
        {3, "The system cannot find the path specified."},
        {5, "Access is denied."},
        {6, "The handle is invalid."},
        {8, "Not enough memory resources are available to process this command."},
        {19, "The media is write protected."},
        {21, "The device is not ready."},
        {31, "A device attached to the system is not functioning."},
        {87, "The parameter is incorrect."},
        {112, "There is not enough space on the disk."},
        {203, "The system could not find the environment option that was entered."},
        {206, "The filename or extension is too long."},
        {223, "The file size exceeds the limit allowed and cannot be saved."},
        {232, "The pipe is being closed."},
        {1117, "The request could not be performed because of an I/O device error."},
    };
    for (const auto& t : texts)
        if (t.code == code) return t.text;
    return "";
}

std::string message_box_echo(const std::string& title, const std::string& text) {
    return "[" + title + "]\n" + text + "\n";
}

static int saved_out = -1, saved_err = -1;
static std::string cap_out_path, cap_err_path;

uint64_t open_path(const std::string& path, Access access) {
    int flags = access == Access::Read ? O_RDONLY : access == Access::Write ? O_WRONLY : O_RDWR;
    int fd = open(path.c_str(), flags | O_CLOEXEC);
    return fd < 0 ? 0 : uint64_t(fd);
}

void close_handle(uint64_t h) { close(int(h)); }

bool make_pipe(uint64_t* read_end, uint64_t* write_end) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    *read_end = uint64_t(fds[0]);
    *write_end = uint64_t(fds[1]);
    return true;
}

uint64_t closed_handle() {
    uint64_t h = open_temp_file("x", Access::Read);
    close_handle(h);
    return h;
}

bool pipe_no_wait(uint64_t read_end) {
    int fd = int(read_end);
    int flags = fcntl(fd, F_GETFL);
    return flags != -1 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

void capture_begin() {
    shell_flush_output();  // what the shell gathered belongs to the streams as they were
    fflush(stdout);
    fflush(stderr);
    cap_out_path = temp_path("out");
    cap_err_path = temp_path("err");
    saved_out = dup(1);
    saved_err = dup(2);
    int o = open(cap_out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int e = open(cap_err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(o, 1);
    dup2(e, 2);
    close(o);
    close(e);
}

Captured capture_end() {
    shell_flush_output();  // what the shell gathered belongs to the streams as they were
    fflush(stdout);
    fflush(stderr);
    dup2(saved_out, 1);
    dup2(saved_err, 2);
    close(saved_out);
    close(saved_err);
    Captured c{read_whole_file(cap_out_path), read_whole_file(cap_err_path)};
    unlink(cap_out_path.c_str());
    unlink(cap_err_path.c_str());
    return c;
}

static int broken_saved_out = -1, broken_saved_err = -1;

void streams_break(StreamFault fault) {
    shell_flush_output();  // what the shell gathered belongs to the streams as they were
    fflush(stdout);
    fflush(stderr);
    broken_saved_out = dup(1);
    broken_saved_err = dup(2);
    if (fault == StreamFault::Closed) {
        close(1);
        close(2);
        return;
    }
    int p[2];
    if (pipe(p) != 0) return;
    close(p[0]);
    dup2(p[1], 1);
    dup2(p[1], 2);
    close(p[1]);
}

void streams_restore() {
    shell_flush_output();  // what the shell gathered belongs to the streams as they were
    dup2(broken_saved_out, 1);
    dup2(broken_saved_err, 2);
    close(broken_saved_out);
    close(broken_saved_err);
}

#endif
