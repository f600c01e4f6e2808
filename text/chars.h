// Character classes and small bounded string helpers for UTF-16 text. No locale, no
// wchar_t: fixed rules up to U+00FF, the platform's classification above.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "text/classify.h"

// U+0009..U+000D, U+0020, U+00A0, and above U+00FF what the platform counts as space.
// Inline, as the splitter asks it of every character; a constant for characters up to U+00FF.
constexpr bool text_is_space(char16_t c) {
    if (c <= 0xFF) return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0;
    return sys_is_wide_space(c);
}
// ASCII 0-9 only.
constexpr bool text_is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }
constexpr bool text_is_hex_digit(char16_t c) {
    return text_is_digit(c) || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}
// ASCII letters only.
constexpr bool text_is_alpha(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
constexpr char16_t text_upper(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }
constexpr char16_t text_lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

size_t text_len(const char16_t* s);
// Length of s, looking at no more than max characters.
size_t text_len_bounded(const char16_t* s, size_t max);
// Copies src into dst of cap characters (cap > 0), always NUL-terminated, truncating if needed.
// Returns the number of characters copied, NUL excluded.
size_t text_copy(char16_t* dst, size_t cap, const char16_t* src);
// Case-insensitive (ASCII letters only) equality.
bool text_equal_nocase(const char16_t* a, const char16_t* b);
// In-place ASCII lower-casing of the first NUL-terminated text within cap characters.
void text_lower_inplace(char16_t* s, size_t cap);
// Removes trailing white space by writing NULs over it.
void text_trim_right(char16_t* s);
