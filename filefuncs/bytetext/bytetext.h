// The text of the bytes @BYTEHAUL read: one piece a byte in the notation of the format code,
// joined by single spaces, with several implementations that give the same characters.
// Which one runs is chosen once, on first use, by what the processor and the operating
// system support; BYTEHAUL_SIMD=scalar|sse2|ssse3|avx2|avx512 in the environment, read at
// that moment, picks a supported one instead (anything else is ignored).
#pragma once
#include <stddef.h>
#include <stdint.h>

enum ByteTextPath : uint32_t {
    BYTETEXT_SCALAR,
    BYTETEXT_SSE2,
    BYTETEXT_SSSE3,
    BYTETEXT_AVX2,
    BYTETEXT_AVX512,
    BYTETEXT_PATHS,
};

enum : uint32_t {
    BYTETEXT_CODE_BITS = 0x07,   // the format code: 0 to 7
    BYTETEXT_LOWER_CASE = 0x80,  // hexadecimal letters in lower case, on a text that fits
};

// Writes the text of bytes[0..n) (1 <= n <= 4096) into result, which holds cap characters
// (the NUL included), in the notation of format: the pieces joined with no space at the
// end. False when the text would reach cap: result then holds the pieces that fitted, in
// upper case, each with its space. No character at or past result[cap] is ever written.
bool write_byte_text(char16_t* result, size_t cap, const uint8_t* bytes, size_t n, uint32_t format);

// The same with the path given (tests and benchmarks); the path must be supported.
bool write_byte_text_with(ByteTextPath path, char16_t* result, size_t cap, const uint8_t* bytes, size_t n,
                          uint32_t format);

// Whether this processor and operating system can run the path.
bool byte_text_path_supported(ByteTextPath path);
// The path write_byte_text uses (chosen on the first call of either).
ByteTextPath byte_text_chosen_path();
// "scalar", "sse2", "ssse3", "avx2", "avx512".
const char* byte_text_path_name(ByteTextPath path);  // path is one of the paths above
