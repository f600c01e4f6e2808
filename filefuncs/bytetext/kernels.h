// What each implementation of the byte text offers the driver (bytetext.cpp), which keeps
// the rules of overflow, the final space and lower case in one place.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "filefuncs/pieces.h"

struct ByteTextKernels {
    // Pieces of a notation whose pieces have one length (codes 1, 2, 5, 6, 7): exactly
    // n * width characters from out, hexadecimal letters from the set given.
    void (*fixed)(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower);
    // Pieces of codes 0, 3 and 4, from out + at on, while a piece still ends below cap;
    // returns where the next piece would go and sets *done to the bytes whose pieces were
    // written. Stores nothing at or past out + cap.
    size_t (*decimal)(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, uint32_t code,
                      size_t* done);
};

// Null members where the level has no kernel of its own for that kind of notation.
extern const ByteTextKernels SCALAR_KERNELS, SSE2_KERNELS, SSSE3_KERNELS, AVX2_KERNELS, AVX512_KERNELS;

// The exact piece-by-piece writers every vector kernel finishes its tail with.
void scalar_fixed(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower);
size_t scalar_decimal(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, uint32_t code,
                      size_t* done);
// The same for bytes[i..n), after a kernel's blocks wrote the pieces of those before i.
size_t scalar_decimal_rest(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t i, size_t n,
                           uint32_t code, size_t* done);

// The kernels for the notations of one piece length of AVX2 (kernels_avx2.cpp) and AVX-512
// (fixed_avx512.cpp), which takes AVX2's where its own does not pay.
void avx2_fixed(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower);
void avx512_fixed(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower);

// Where a kernel's stores on a boundary of `boundary` bytes (16, 32 or 64) begin: the reference
// writes the first `start` pieces, and the stores then start `phase` characters (0 or 1)
// before piece `start`. A store that straddles two cache lines costs nearly two. Pieces of
// an odd width always reach a boundary without a phase; a phase, tried only where allowed,
// needs a piece before the first block. {0, 0} where neither reaches one.
struct StoreStart {
    size_t start;
    uint32_t phase;
};
StoreStart store_start(const char16_t* out, size_t width, size_t boundary, bool phase_allowed);

// The reference: one table piece a byte, as the plug-in has always joined them.
bool scalar_byte_text(char16_t* result, size_t cap, const uint8_t* bytes, size_t n, uint32_t format);
