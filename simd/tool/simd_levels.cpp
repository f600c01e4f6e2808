// Prints the instruction-set levels this processor and system run, lowest first, one a
// line: the scripts ask it which forced runs are worth making, instead of reading the
// processor's features themselves.
#include <stdio.h>

#include "simd/simd.h"

int main() {
    for (uint32_t level = 0; level < SIMD_LEVELS; ++level)
        if (simd_level_supported(SimdLevel(level))) printf("%s\n", simd_level_name(SimdLevel(level)));
    return 0;
}
