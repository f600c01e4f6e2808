// Calling the file functions as the shell does, with the result buffer at its exact
// capacity and standard output and error captured.
#pragma once
#include <stdio.h>

#include <functional>
#include <string>

#include "platform/platform.h"
#include "plugin/exports.h"
#include "tests/entry/system_texts.h"
#include "tests/support/support.h"

struct Call {
    int rc;
    std::string result;  // the buffer's text afterwards, as UTF-8
    std::string out, err;
    bool guard_ok;  // nothing written past the capacity
};

inline std::string bounded_text(const char16_t* s, size_t cap) {
    size_t n = 0;
    while (n < cap && s[n]) ++n;
    if (n == cap) return "<no NUL within the capacity>";
    return U8(std::u16string(s, n));
}

// args is built after the capture has begun, so that handles it opens or closes cannot
// be confused with the capture's own.
inline Call call_entry_with(int (*fn)(char16_t*), const std::function<std::u16string()>& args, size_t cap) {
    capture_begin();
    std::u16string text = args();
    // The shell's buffer always holds the argument text, however long.
    GuardedBuffer b = guarded_new(text.size() + 1 > cap ? text.size() + 1 : cap, text);
    int rc = fn(b.data);
    Captured c = capture_end();
    Call r{rc, bounded_text(b.data, b.cap), c.out, c.err, guard_intact(b)};
    guarded_free(b);
    return r;
}

inline Call call_entry(int (*fn)(char16_t*), const std::u16string& args, size_t cap) {
    return call_entry_with(
        fn, [&] { return args; }, cap);
}

// The capacities the shell's result buffer is taken to have, written out here on their own.
const size_t SHELL_RESULT_CAP = 1024, SHELL_BYTEHAUL_CAP = 16384;

inline Call bytehaul(const std::u16string& args) { return call_entry(f_bytehaul, args, SHELL_BYTEHAUL_CAP); }
inline Call inthaul(const std::u16string& args) { return call_entry(f_inthaul, args, SHELL_RESULT_CAP); }
inline Call bytestow(const std::u16string& args) { return call_entry(f_bytestow, args, SHELL_RESULT_CAP); }

// The handle's number followed by the rest of an argument text.
inline std::u16string with_handle(uint64_t h, const std::string& rest) { return handle_arg(h) + U(rest); }

const char ERROR_PREFIX[] = "Bytehaul plugin: ";

// A temporary file, closed and removed when it goes.
struct TempFile {
    std::string path;
    uint64_t handle;
    TempFile(const std::string& bytes, Access access) : handle(open_temp_file(bytes, access, &path)) {}
    ~TempFile() {
        close_handle(handle);
        remove(path.c_str());
    }
    std::string contents() const { return read_whole_file(path); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
};

// Both ends of a pipe, closed when it goes unless closed before.
struct Pipe {
    uint64_t read_end = 0, write_end = 0;
    Pipe() { make_pipe(&read_end, &write_end); }
    void close_read() { close_one(read_end); }
    void close_write() { close_one(write_end); }
    ~Pipe() {
        close_read();
        close_write();
    }
    static void close_one(uint64_t& h) {
        if (h) close_handle(h);
        h = 0;
    }
};

// Puts bytes into a pipe (or file) directly, past the plug-in.
inline bool put_bytes(uint64_t h, const std::string& bytes) {
    uint32_t done = 0;
    return sys_write_file(h, bytes.data(), uint32_t(bytes.size()), &done) && done == bytes.size();
}

// Takes up to n bytes directly, past the plug-in.
inline std::string take_bytes(uint64_t h, uint32_t n) {
    std::string buf(n, '\0');
    uint32_t done = 0;
    if (!sys_read_file(h, &buf[0], n, &done)) return "<read failed>";
    buf.resize(done);
    return buf;
}
