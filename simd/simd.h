// The one choice of instruction set for the whole plug-in. Which level runs is decided
// once, on first use, by what the processor and the operating system support;
// BYTEHAUL_SIMD=scalar|sse2|ssse3|avx2|avx512 in the environment, read at that moment,
// picks a supported one instead (anything else is ignored). Every level gives the same
// results: the choice only picks among implementations.
#pragma once
#include <stdint.h>

enum SimdLevel : uint32_t {
#define SIMD_LEVEL(ENUMERATOR, NAME, ...) SIMD_##ENUMERATOR,
#include "simd/levels.def"
#undef SIMD_LEVEL
    SIMD_LEVELS,
};

// Whether this processor and operating system can run the level.
bool simd_level_supported(SimdLevel level);
// The level the plug-in runs (chosen on the first call).
SimdLevel simd_level();
// "scalar", "sse2", "ssse3", "avx2", "avx512".
const char* simd_level_name(SimdLevel level);  // level is one of the levels above

// The levels the processor and the system run, one bit a level; asked of the processor once.
uint32_t simd_probe();
