// The parts of the platform layer that are the same on every build.
#include "platform/platform.h"
#include "platform/seam.h"
#include "text/chars.h"
#include "text/format.h"
#include "text/utf.h"

// The four calls a test may replace go through the table of each build's platform file.
bool sys_read_file(sys_handle h, void* buf, uint32_t count, uint32_t* done) {
    return sys_call_at<sys_read_fn>(CALL_READ_FILE)(h, buf, count, done);
}

bool sys_write_file(sys_handle h, const void* buf, uint32_t count, uint32_t* done) {
    return sys_call_at<sys_write_fn>(CALL_WRITE_FILE)(h, buf, count, done);
}

uint32_t sys_get_env(const char16_t* name, char16_t* buf, uint32_t cap) {
    return sys_call_at<sys_get_env_fn>(CALL_GET_ENV)(name, buf, cap);
}

bool sys_set_env(const char16_t* name, const char16_t* value) {
    return sys_call_at<sys_set_env_fn>(CALL_SET_ENV)(name, value);
}

uint32_t sys_error_text(uint32_t code, const char16_t* fallback, char16_t* buf, uint32_t cap) {
    if (sys_format_message(code, buf, cap) == 0) text_format(buf, cap, fallback, code);
    text_trim_right(buf);
    return uint32_t(text_len(buf));
}

void sys_write_utf8(sys_handle h, const char16_t* text, size_t n) {
    enum : size_t { CHUNK = 4096 };
    char bytes[CHUNK * 3];  // the most UTF-8 that CHUNK UTF-16 units can make
    size_t i = 0;
    while (i < n) {
        size_t take = n - i < CHUNK ? n - i : size_t(CHUNK);
        // A pair split between two chunks would come out as two replacement characters.
        if (take == CHUNK && text[i + take - 1] >= 0xD800 && text[i + take - 1] <= 0xDBFF) --take;
        size_t count = utf16_to_utf8(text + i, take, bytes, sizeof bytes);
        i += take;
        size_t off = 0;
        while (off < count) {
            uint32_t done = 0;
            if (!sys_write_file(h, bytes + off, uint32_t(count - off), &done) || done == 0) return;
            off += done;
        }
    }
}
