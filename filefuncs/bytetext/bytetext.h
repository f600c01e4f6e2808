// The text of the bytes @BYTEHAUL read: one piece a byte in the notation of the format code,
// joined by single spaces, with an implementation for each instruction-set level that
// gives the same characters; the plug-in's one choice of level (simd/simd.h) picks one.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "simd/simd.h"

enum : uint32_t {
    BYTETEXT_CODE_BITS = 0x07,   // the format code: 0 to 7
    BYTETEXT_LOWER_CASE = 0x80,  // hexadecimal letters in lower case, on a text that fits
};

// Writes the text of bytes[0..n) (1 <= n <= 4096) into result, which holds cap characters
// (the NUL included), in the notation of format: the pieces joined with no space at the
// end. False when the text would reach cap: result then holds the pieces that fitted, in
// upper case, each with its space. No character at or past result[cap] is ever written.
bool write_byte_text(char16_t* result, size_t cap, const uint8_t* bytes, size_t n, uint32_t format);

// The same at the level given (tests and benchmarks); the level must be supported.
bool write_byte_text_with(SimdLevel level, char16_t* result, size_t cap, const uint8_t* bytes, size_t n,
                          uint32_t format);
