// The number syntax of handles, counts, sizes and counter values: "0x" hexadecimal,
// "0o" octal, decimal otherwise. ASCII digits only. Every test for a "0x" or "0o" prefix
// in the plug-in and its tools goes through the helpers here.
#pragma once
#include <stdint.h>

#include "args/digit_values.h"
#include "text/chars.h"

enum : int32_t { PARSE_OK = 0, PARSE_NO_NUMBER = -1, PARSE_RANGE = 34 };

// The value of c as a digit of any base up to 36, or 36 when it is none.
inline uint32_t digit_value(char16_t c) { return c < 128 ? DIGIT_VALUES.of[c] : 36; }

inline bool is_octal_digit(char16_t c) { return c >= u'0' && c <= u'7'; }
// c is a digit of base 8, 10 or 16.
inline bool is_digit_of_base(char16_t c, uint32_t base) {
    return base == 16 ? text_is_hex_digit(c) : base == 8 ? is_octal_digit(c) : text_is_digit(c);
}

// The base that a "0x" or "0X" (16) or a "0o" or "0O" (8) at the start of text names,
// whatever follows it; 0 when text begins with neither.
inline uint32_t number_prefix_base(const char16_t* text) {
    if (text[0] != u'0') return 0;
    char16_t letter = text_upper(text[1]);
    return letter == u'X' ? 16 : letter == u'O' ? 8 : 0;
}

// Where a number begins and in which base: base 0 when the text is in no form.
struct NumberForm {
    uint32_t base;
    const char16_t* digits;
};

// A prefix that makes a number: "0x" and a hexadecimal digit, or "0o" and an octal digit.
// The digits begin after the prefix. Base 0 when text has no such prefix.
inline NumberForm prefixed_number(const char16_t* text) {
    uint32_t base = number_prefix_base(text);
    if (base != 0 && is_digit_of_base(text[2], base)) return {base, text + 2};
    return {0, text};
}

// The form of the number syntax: a prefixed number, else a decimal digit (with signed_ok,
// also a sign and a decimal digit; the digits then begin at the sign). A 0 alone makes
// nothing octal or hexadecimal: 017 is decimal.
NumberForm find_number_form(const char16_t* text, bool signed_ok);

// With end null the whole text must be the number; otherwise *end receives the position
// after the digits. Nothing is written unless the result is PARSE_OK.
int32_t ParseUnsigned32(const char16_t* text, uint32_t* value, const char16_t** end);
int32_t ParseInteger64(const char16_t* text, int64_t* value, const char16_t** end);

// The bare digit conversion beneath both parsers, for callers with a syntax of their own:
// digits of base (2 to 36) from text on, an optional "0x" passed over first in base 16.
// Without digits the value is 0 and *end is text. Returns PARSE_OK or PARSE_RANGE (above
// 0xFFFFFFFF); *end is set either way, *value only on PARSE_OK.
int32_t convert_unsigned32(const char16_t* text, uint32_t base, uint32_t* value, const char16_t** end);
