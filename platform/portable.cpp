// The parts of the platform layer that are the same on every build.
#include "platform/platform.h"
#include "text/chars.h"
#include "text/format.h"
#include "text/utf.h"

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
