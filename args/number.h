// The number syntax of handles, counts, sizes and counter values: "0x" hexadecimal,
// "0o" octal, decimal otherwise. ASCII digits only.
#pragma once
#include <stdint.h>

enum : int32_t { PARSE_OK = 0, PARSE_NO_NUMBER = -1, PARSE_RANGE = 34 };

// With end null the whole text must be the number; otherwise *end receives the position
// after the digits. Nothing is written unless the result is PARSE_OK.
int32_t ParseUnsigned32(const char16_t* text, uint32_t* value, const char16_t** end);
int32_t ParseInteger64(const char16_t* text, int64_t* value, const char16_t** end);

// The bare digit conversion beneath both parsers, for callers with a syntax of their own:
// digits of base (2 to 36) from text on, an optional "0x" passed over first in base 16.
// Without digits the value is 0 and *end is text. Returns PARSE_OK or PARSE_RANGE (above
// 0xFFFFFFFF); *end is set either way, *value only on PARSE_OK.
int32_t ConvertUnsigned32(const char16_t* text, uint32_t base, uint32_t* value, const char16_t** end);
