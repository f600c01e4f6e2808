#include "text/chars.h"

size_t text_len(const char16_t* s) {
    const char16_t* p = s;
    while (*p) ++p;
    return size_t(p - s);
}

size_t text_len_bounded(const char16_t* s, size_t max) {
    size_t n = 0;
    while (n < max && s[n]) ++n;
    return n;
}

size_t text_copy(char16_t* dst, size_t cap, const char16_t* src) {
    if (cap == 0) return 0;
    size_t n = 0;
    while (n + 1 < cap && src[n]) {
        dst[n] = src[n];
        ++n;
    }
    dst[n] = 0;
    return n;
}

bool text_equal_nocase(const char16_t* a, const char16_t* b) {
    for (;; ++a, ++b) {
        if (text_upper(*a) != text_upper(*b)) return false;
        if (*a == 0) return true;
    }
}

void text_lower_inplace(char16_t* s, size_t cap) {
    for (size_t i = 0; i < cap && s[i]; ++i) s[i] = text_lower(s[i]);
}

void text_trim_right(char16_t* s) {
    size_t n = text_len(s);
    while (n > 0 && text_is_space(s[n - 1])) s[--n] = 0;
}
