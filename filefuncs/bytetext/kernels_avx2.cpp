// The byte text's kernels for the AVX2 level: the generic ones, compiled here for it.
#define SIMD_NAMESPACE avx2
#include "filefuncs/bytetext/generic/decimal.h"
#include "filefuncs/bytetext/generic/fixed.h"

const ByteTextKernels AVX2_KERNELS = {avx2::fixed, avx2::decimal};
