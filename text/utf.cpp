#include "text/utf.h"

#include <stdint.h>

namespace {

// Decodes one code point from s (NUL-terminated); returns the bytes used (>= 1).
size_t decode_utf8(const unsigned char* s, uint32_t* cp) {
    unsigned char c = s[0];
    if (c < 0x80) {
        *cp = c;
        return 1;
    }
    int extra;
    uint32_t v, min;
    if ((c & 0xE0) == 0xC0) {
        extra = 1, v = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2, v = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3, v = c & 0x07, min = 0x10000;
    } else {
        *cp = 0xFFFD;
        return 1;
    }
    for (int i = 1; i <= extra; ++i) {
        if ((s[i] & 0xC0) != 0x80) {
            *cp = 0xFFFD;
            return size_t(i);
        }
        v = (v << 6) | (s[i] & 0x3F);
    }
    if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) v = 0xFFFD;
    *cp = v;
    return size_t(extra) + 1;
}

// Writes n units of s as UTF-8; a lone surrogate becomes U+FFFD, or with keep_lone its own
// three-byte form.
size_t encode(const char16_t* s, size_t n, char* out, size_t cap, bool keep_lone) {
    size_t o = 0;
    for (size_t i = 0; i < n; ++i) {
        uint32_t cp = s[i];
        if (cp < 0x80) {
            if (o == cap) break;
            out[o++] = char(cp);
            continue;
        }
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (uint32_t(s[i + 1]) - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF && !keep_lone) {
            cp = 0xFFFD;
        } else if (cp >= 0xDC80 && cp <= 0xDCFF) {
            if (o == cap) break;
            out[o++] = char(cp - 0xDC00);  // an escaped byte goes back as itself
            continue;
        }
        char b[4];
        size_t k;
        if (cp < 0x80) {
            b[0] = char(cp), k = 1;
        } else if (cp < 0x800) {
            b[0] = char(0xC0 | (cp >> 6)), b[1] = char(0x80 | (cp & 0x3F)), k = 2;
        } else if (cp < 0x10000) {
            b[0] = char(0xE0 | (cp >> 12)), b[1] = char(0x80 | ((cp >> 6) & 0x3F));
            b[2] = char(0x80 | (cp & 0x3F)), k = 3;
        } else {
            b[0] = char(0xF0 | (cp >> 18)), b[1] = char(0x80 | ((cp >> 12) & 0x3F));
            b[2] = char(0x80 | ((cp >> 6) & 0x3F)), b[3] = char(0x80 | (cp & 0x3F)), k = 4;
        }
        if (o + k > cap) break;
        for (size_t j = 0; j < k; ++j) out[o++] = b[j];
    }
    return o;
}

}  // namespace

size_t utf16_to_utf8(const char16_t* s, size_t n, char* out, size_t cap) { return encode(s, n, out, cap, false); }

size_t wtf8_from_utf16(const char16_t* s, size_t n, char* out, size_t cap) { return encode(s, n, out, cap, true); }

size_t wtf8_next(const char* s, char16_t out[2], size_t* units) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
    unsigned char c = p[0];
    *units = 1;
    if (c < 0x80) {
        out[0] = c;
        return 1;
    }
    size_t len;
    uint32_t v, min;
    if (c >= 0xC2 && c <= 0xDF) len = 2, v = c & 0x1F, min = 0x80;
    else if (c >= 0xE0 && c <= 0xEF) len = 3, v = c & 0x0F, min = 0x800;
    else if (c >= 0xF0 && c <= 0xF4) len = 4, v = c & 0x07, min = 0x10000;
    else len = 0, v = 0, min = 0;
    for (size_t i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            len = 0;
            break;
        }
        v = (v << 6) | (p[i] & 0x3F);
    }
    // The three-byte form of U+DC80..U+DCFF would read as an escaped byte: its bytes are
    // taken one by one instead, so that they come back as they were.
    if (len == 0 || v < min || v > 0x10FFFF || (v >= 0xDC80 && v <= 0xDCFF)) {
        out[0] = char16_t(0xDC00 + c);  // an escaped byte
        return 1;
    }
    if (v >= 0x10000) {
        out[0] = char16_t(0xD800 + ((v - 0x10000) >> 10));
        out[1] = char16_t(0xDC00 + ((v - 0x10000) & 0x3FF));
        *units = 2;
    } else {
        out[0] = char16_t(v);  // a surrogate's own form included
    }
    return len;
}

size_t utf8_to_utf16(const char* s, char16_t* out, size_t cap) {
    if (cap == 0) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
    size_t o = 0;
    while (*p) {
        uint32_t cp;
        p += decode_utf8(p, &cp);
        size_t need = cp >= 0x10000 ? 2 : 1;
        if (o + need + 1 > cap) break;
        if (need == 2) {
            out[o++] = char16_t(0xD800 + ((cp - 0x10000) >> 10));
            out[o++] = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out[o++] = char16_t(cp);
        }
    }
    out[o] = 0;
    return o;
}

size_t utf8_to_utf16_length(const char* s) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
    size_t n = 0;
    while (*p) {
        uint32_t cp;
        p += decode_utf8(p, &cp);
        n += cp >= 0x10000 ? 2 : 1;
    }
    return n;
}

size_t wtf8_decode(const char* s, char16_t* out) {
    size_t n = 0;
    while (*s) {
        char16_t units[2];
        size_t k;
        s += wtf8_next(s, units, &k);
        for (size_t j = 0; out && j < k; ++j) out[n + j] = units[j];
        n += k;
    }
    return n;
}
