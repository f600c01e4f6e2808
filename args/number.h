// The number syntax of handles, counts, sizes and counter values: "0x" hexadecimal,
// "0o" octal, decimal otherwise. ASCII digits only.
#pragma once
#include <stdint.h>

enum : int32_t { PARSE_OK = 0, PARSE_NO_NUMBER = -1, PARSE_RANGE = 34 };

// With end null the whole text must be the number; otherwise *end receives the position
// after the digits. Nothing is written unless the result is PARSE_OK.
int32_t ParseUnsigned32(const char16_t* text, uint32_t* value, const char16_t** end);
int32_t ParseInteger64(const char16_t* text, int64_t* value, const char16_t** end);
