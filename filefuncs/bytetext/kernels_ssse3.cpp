// The byte text's kernels for the SSSE3 level: the generic ones, compiled here for it.
#define SIMD_NAMESPACE ssse3
#include "filefuncs/bytetext/generic/decimal.h"
#include "filefuncs/bytetext/generic/fixed.h"

const ByteTextKernels SSSE3_KERNELS = {ssse3::fixed, ssse3::decimal};
