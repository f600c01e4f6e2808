// The byte text's kernels for the AVX2 level: the generic ones, compiled here for it.
#define SIMD_NAMESPACE avx2
#include "filefuncs/bytetext/generic/decimal.h"
#include "filefuncs/bytetext/generic/fixed.h"

void avx2_fixed(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower) {
    avx2::fixed(out, bytes, n, code, lower);
}

const ByteTextKernels AVX2_KERNELS = {avx2_fixed, avx2::decimal};
