// The driver: runs the chosen level's implementation and keeps the rules every
// implementation shares (where a text overflows, what an overflow leaves, the final space,
// lower case).
#include "filefuncs/bytetext/bytetext.h"

#include "filefuncs/bytetext/kernels.h"

namespace {

const ByteTextKernels* const LEVEL_KERNELS[SIMD_LEVELS] = {
    &SCALAR_KERNELS, &SSE2_KERNELS, &SSSE3_KERNELS, &AVX2_KERNELS, &AVX512_KERNELS,
};

bool is_fixed_width(uint32_t code) { return code != 0 && code != 3 && code != 4; }

// A level without a kernel of its own for a kind of notation uses the next level below it
// that has one; null when none has, and the reference does the whole text.
template <typename Kernel>
Kernel kernel_of(SimdLevel level, Kernel ByteTextKernels::*member) {
    for (int p = int(level); p > 0; --p)
        if (LEVEL_KERNELS[p]->*member) return LEVEL_KERNELS[p]->*member;
    return nullptr;
}

// Fixed width: where the text overflows is known before any work.
bool fixed_text(SimdLevel level, char16_t* result, size_t cap, const uint8_t* bytes, size_t n, uint32_t code,
                bool lower) {
    // SSE2 has a fixed-width kernel, and every level above it takes it or its own.
    auto fixed = kernel_of(level, &ByteTextKernels::fixed);
    const size_t width = byte_pieces(code, false).longest;
    const size_t fit = (cap - 1) / width;  // pieces whose text ends below cap
    if (n > fit) {
        fixed(result, bytes, fit, code, false);
        result[fit * width] = 0;
        return false;
    }
    fixed(result, bytes, n, code, lower);
    result[n * width - 1] = 0;  // over the last piece's space
    return true;
}

// Decimal: the overflow point is a running sum of the pieces' lengths. No letters.
bool decimal_text(SimdLevel level, char16_t* result, size_t cap, const uint8_t* bytes, size_t n, uint32_t code) {
    auto decimal = kernel_of(level, &ByteTextKernels::decimal);
    if (!decimal) return scalar_byte_text(result, cap, bytes, n, code);
    size_t done = 0;
    size_t at = decimal(result, 0, cap, bytes, n, code, &done);
    if (done < n) {
        result[at] = 0;
        return false;
    }
    result[at - 1] = 0;
    return true;
}

}  // namespace

bool write_byte_text_with(SimdLevel level, char16_t* result, size_t cap, const uint8_t* bytes, size_t n,
                          uint32_t format) {
    if (level == SIMD_SCALAR) return scalar_byte_text(result, cap, bytes, n, format);
    const uint32_t code = format & BYTETEXT_CODE_BITS;
    if (is_fixed_width(code))
        return fixed_text(level, result, cap, bytes, n, code, (format & BYTETEXT_LOWER_CASE) != 0);
    return decimal_text(level, result, cap, bytes, n, code);
}

bool write_byte_text(char16_t* result, size_t cap, const uint8_t* bytes, size_t n, uint32_t format) {
    return write_byte_text_with(simd_level(), result, cap, bytes, n, format);
}
