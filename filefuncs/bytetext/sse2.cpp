// SSE2, which every x64 processor has: no byte shuffle, so ...
#include <emmintrin.h>

#include "filefuncs/bytetext/layout.h"
#include "filefuncs/bytetext/paths.h"

const ByteTextKernels SSE2_KERNELS = {nullptr, nullptr};
