#include "fuzz/harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sanitizer/common_interface_defs.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <vector>

#include "shell/shell_host.h"
#include "text/utf.h"

extern char** environ;

namespace {

int real_stderr = -1;
bool trace_on = false;
int capture_fd = -1;
int fds[H_COUNT];
bool in_batch = false;

const char16_t BATCH_NAME[] = u"C:\\fuzz %s%d%%\\run.btm";
const char16_t BATCH_LINE[] = u"12";

bool continuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at data (surrogates allowed), or 0.
size_t sequence_length(const uint8_t* d, size_t n) {
    uint8_t b = d[0];
    if (b >= 0xC2 && b <= 0xDF) return n >= 2 && continuation(d[1]) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        if (n < 3 || !continuation(d[1]) || !continuation(d[2])) return 0;
        return (b == 0xE0 && d[1] < 0xA0) ? 0 : 3;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        if (n < 4 || !continuation(d[1]) || !continuation(d[2]) || !continuation(d[3])) return 0;
        if (b == 0xF0 && d[1] < 0x90) return 0;
        if (b == 0xF4 && d[1] >= 0x90) return 0;
        return 4;
    }
    return 0;
}

int open_or_die(const char* what, int fd) {
    if (fd < 0) {
        perror(what);
        abort();
    }
    return fd;
}

const char kReadOnlyContent[] = "A file that may only be read.\r\n\x80\xFF\x00!";

// A file with some bytes in it, already unlinked, opened with flags.
int scratch_file(const char* content, size_t len, int flags) {
    char path[] = "/tmp/bh_fuzz_XXXXXX";
    int w = open_or_die("mkstemp", mkstemp(path));
    if (write(w, content, len) != ssize_t(len)) abort();
    close(w);
    int fd = open_or_die(path, open(path, flags | O_CLOEXEC));
    unlink(path);
    return fd;
}

int closed_number() {
    for (int fd = 900;; ++fd)
        if (fcntl(fd, F_GETFD) == -1) return fd;
}

std::map<std::string, std::string> saved_environment;

void split_entry(const char* entry, std::string* name, std::string* value) {
    const char* eq = strchr(entry, '=');
    // A name may begin with '=' on some systems; never on the ones we run, but be safe.
    if (eq == entry && eq) eq = strchr(entry + 1, '=');
    *name = eq ? std::string(entry, size_t(eq - entry)) : std::string(entry);
    *value = eq ? std::string(eq + 1) : std::string();
}

}  // namespace

std::u16string fuzz_text(const uint8_t* data, size_t size, size_t* used) {
    std::u16string out;
    size_t i = 0;
    while (i < size) {
        uint8_t b = data[i];
        if (b == 0) {
            ++i;
            break;
        }
        size_t len = b < 0x80 ? 1 : sequence_length(data + i, size - i);
        if (len == 0) {
            out.push_back(char16_t(b));
            ++i;
            continue;
        }
        uint32_t cp = b;
        if (len == 2) cp = ((b & 0x1Fu) << 6) | (data[i + 1] & 0x3Fu);
        if (len == 3) cp = ((b & 0x0Fu) << 12) | ((data[i + 1] & 0x3Fu) << 6) | (data[i + 2] & 0x3Fu);
        if (len == 4)
            cp = ((b & 0x07u) << 18) | ((data[i + 1] & 0x3Fu) << 12) | ((data[i + 2] & 0x3Fu) << 6) |
                 (data[i + 3] & 0x3Fu);
        if (cp >= 0x10000) {
            out.push_back(char16_t(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
        i += len;
    }
    if (used) *used = i;
    return out;
}

std::u16string fuzz_text_all(const uint8_t* data, size_t size) {
    std::u16string out;
    for (size_t at = 0, used = 0; at < size; at += used) {
        out += fuzz_text(data + at, size - at, &used);
        if (data[at + used - 1] == 0) out += u'\0';
    }
    return out;
}

char16_t* exact_buffer(size_t cap, const std::u16string& text) {
    char16_t* b = static_cast<char16_t*>(malloc(cap * sizeof(char16_t)));
    if (!b) abort();
    size_t n = text.size() < cap ? text.size() : cap - 1;
    memcpy(b, text.data(), n * sizeof(char16_t));
    b[n] = 0;
    for (size_t i = n + 1; i < cap; ++i) b[i] = char16_t(0xA5A5);
    return b;
}

void exact_free(char16_t* buffer) { free(buffer); }

// Descriptors inherited from whatever started the fuzzer (a pipe of the job runner, a
// log file) could block a read or take stray bytes when a fuzz input names them. They
// are pointed at /dev/null, keeping their numbers taken.
static void neutralise_inherited() {
    int null_rw = open_or_die("/dev/null", open("/dev/null", O_RDWR | O_CLOEXEC));
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return;
    std::vector<int> inherited;
    while (struct dirent* e = readdir(dir)) {
        int fd = atoi(e->d_name);
        if (fd > 2 && fd != dirfd(dir) && fd != null_rw) inherited.push_back(fd);
    }
    closedir(dir);
    for (int fd : inherited) dup2(null_rw, fd);
}

void harness_init() {
    trace_on = getenv("BH_FUZZ_TRACE") != nullptr;
    neutralise_inherited();
    int null_in = open_or_die("/dev/null", open("/dev/null", O_RDONLY));
    int null_out = open_or_die("/dev/null", open("/dev/null", O_WRONLY));
    dup2(null_in, 0);
    dup2(null_out, 1);
    close(null_in);
    close(null_out);
    // A terminal is open for reading too, and a fuzz input may name any descriptor: keep
    // a write-only copy of standard error, so that no read can wait for a keyboard.
    if (isatty(2) && ttyname(2)) real_stderr = open(ttyname(2), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (real_stderr < 0) real_stderr = fcntl(2, F_DUPFD_CLOEXEC, 200);
    open_or_die("dup stderr", real_stderr);
    __sanitizer_set_report_fd(reinterpret_cast<void*>(intptr_t(real_stderr)));
    capture_fd = open_or_die("memfd", memfd_create("bh_fuzz_stderr", MFD_CLOEXEC));
    for (int& fd : fds) fd = -1;
}

void capture_begin() {
    if (ftruncate(capture_fd, 0) != 0) abort();
    lseek(capture_fd, 0, SEEK_SET);
    dup2(capture_fd, 2);
}

std::string capture_end() {
    dup2(real_stderr, 2);
    struct stat st;
    fstat(capture_fd, &st);
    std::string out(size_t(st.st_size), '\0');
    if (st.st_size > 0 && pread(capture_fd, &out[0], out.size(), 0) != st.st_size) abort();
    return out;
}

void finding(const char* check, const std::string& detail) {
    dup2(real_stderr, 2);
    std::string msg = std::string("\n*** FINDING: ") + check + "\n" + detail + "\n\n";
    if (write(real_stderr, msg.data(), msg.size()) < 0) {
        // Nothing more can be said; the abort below still records the input.
    }
    abort();
}

bool tracing() { return trace_on; }

void trace(const std::string& line) {
    if (!trace_on) return;
    std::string l = line + "\n";
    if (write(real_stderr, l.data(), l.size()) < 0) {
        // Tracing is a debugging aid; a failed write loses one line.
    }
}

std::string utf8(const char16_t* s) { return utf8(std::u16string(s)); }

std::string utf8(const std::u16string& s) {
    std::string out(s.size() * 3 + 1, '\0');
    out.resize(utf16_to_utf8(s.data(), s.size(), &out[0], out.size()));
    return out;
}

std::string shown(const std::u16string& s) {
    // Long texts are shown by their ends; the whole input is in the file libFuzzer keeps.
    if (s.size() > 160)
        return shown(s.substr(0, 100)) + " ... " + shown(s.substr(s.size() - 40)) + ", " + std::to_string(s.size()) +
               " chars in all";
    std::string out = "\"";
    for (char16_t c : s) {
        if (c >= 0x20 && c < 0x7F && c != u'\\' && c != u'"') {
            out += char(c);
        } else {
            char tmp[8];
            snprintf(tmp, sizeof tmp, "\\u%04X", unsigned(c));
            out += tmp;
        }
    }
    return out + "\" (" + std::to_string(s.size()) + " chars)";
}

void batch_mode(bool on) {
    if (on == in_batch) return;
    in_batch = on;
    shell_set_internal(u"_batch", on ? u"1" : nullptr);
    shell_set_internal(u"_batchname", on ? BATCH_NAME : nullptr);
    shell_set_internal(u"_batchline", on ? BATCH_LINE : nullptr);
}

std::string report_prefix() {
    std::string p = "Bytehaul plugin: ";
    if (in_batch) p += utf8(BATCH_NAME) + " [" + utf8(BATCH_LINE) + "]  ";
    return p;
}

void handles_open() {
    fds[H_DATA] = open_or_die("memfd", memfd_create("bh_fuzz_data", MFD_CLOEXEC));
    fds[H_FULL] = open_or_die("/dev/full", open("/dev/full", O_RDWR | O_CLOEXEC));
    fds[H_READ_ONLY] = scratch_file(kReadOnlyContent, sizeof kReadOnlyContent - 1, O_RDONLY);
    fds[H_WRITE_ONLY] = scratch_file("", 0, O_WRONLY);
    int p[2];
    open_or_die("pipe", pipe2(p, O_NONBLOCK | O_CLOEXEC));
    fds[H_PIPE_READ] = p[0];
    fds[H_PIPE_WRITE] = p[1];
    fds[H_CLOSED] = closed_number();
}

void handles_reset(const uint8_t* pattern, size_t pattern_len, size_t length) {
    static std::vector<uint8_t> content;
    content.assign(length, 0);
    if (pattern_len > 0)
        for (size_t i = 0; i < length; ++i) content[i] = pattern[i % pattern_len];
    int d = fds[H_DATA];
    if (ftruncate(d, 0) != 0) abort();
    if (length > 0 && pwrite(d, content.data(), length, 0) != ssize_t(length)) abort();
    lseek(d, 0, SEEK_SET);
    lseek(fds[H_READ_ONLY], 0, SEEK_SET);
    if (ftruncate(fds[H_WRITE_ONLY], 0) != 0) abort();
    lseek(fds[H_WRITE_ONLY], 0, SEEK_SET);
    char sink[4096];
    while (read(fds[H_PIPE_READ], sink, sizeof sink) > 0) {
    }
}

int handle_fd(int which) { return fds[which]; }

bool handle_is_safe(uint32_t handle) {
    if (handle > uint32_t(INT_MAX)) return true;
    int fd = int(handle);
    if (fd <= 2) return true;
    for (int mine : fds)
        if (fd == mine) return true;
    return fcntl(fd, F_GETFD) == -1;
}

std::string read_only_content() { return std::string(kReadOnlyContent, sizeof kReadOnlyContent - 1); }

std::u16string substitute_handles(const std::u16string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1] >= u'0' && text[i + 1] < u'0' + H_COUNT) {
            for (char c : std::to_string(fds[text[i + 1] - u'0'])) out.push_back(char16_t(c));
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

bool WriteState::operator==(const WriteState& o) const {
    return memcmp(size, o.size, sizeof size) == 0 && memcmp(pos, o.pos, sizeof pos) == 0;
}

WriteState write_state() {
    WriteState s;
    for (int i = 0; i < H_COUNT; ++i) {
        s.size[i] = -1;
        s.pos[i] = -1;
        if (i == H_CLOSED) continue;
        struct stat st;
        if (fstat(fds[i], &st) == 0) s.size[i] = st.st_size;
        s.pos[i] = lseek(fds[i], 0, SEEK_CUR);
    }
    int queued = 0;
    ioctl(fds[H_PIPE_READ], FIONREAD, &queued);
    s.size[H_PIPE_READ] = queued;
    return s;
}

void environment_snapshot() {
    saved_environment.clear();
    for (char** e = environ; *e; ++e) {
        std::string name, value;
        split_entry(*e, &name, &value);
        saved_environment[name] = value;
    }
}

void environment_restore() {
    std::vector<std::string> extra;
    std::vector<std::pair<std::string, std::string>> changed;
    for (char** e = environ; *e; ++e) {
        std::string name, value;
        split_entry(*e, &name, &value);
        auto it = saved_environment.find(name);
        if (it == saved_environment.end()) extra.push_back(name);
        else if (it->second != value) changed.push_back(*it);
    }
    for (const std::string& n : extra) unsetenv(n.c_str());
    for (const auto& nv : changed) setenv(nv.first.c_str(), nv.second.c_str(), 1);
}
