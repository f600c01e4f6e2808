// The choice, made once: the best level the processor runs, or the one a user forced.
#include "simd/simd.h"

#include "platform/platform.h"
#include "text/chars.h"

namespace {

const char* const LEVEL_NAMES[SIMD_LEVELS] = {
#define SIMD_LEVEL(ENUMERATOR, NAME, ...) #NAME,
#include "simd/levels.def"
#undef SIMD_LEVEL
};

// The level a user forced, when the variable names one; SIMD_LEVELS otherwise.
SimdLevel forced_level() {
    char16_t value[16];
    uint32_t saved = sys_last_error();  // a missing variable is no error of the caller's
    uint32_t n = sys_get_env(u"BYTEHAUL_SIMD", value, 16);
    sys_set_last_error(saved);
    if (n == 0 || n >= 16) return SIMD_LEVELS;
    for (uint32_t level = 0; level < SIMD_LEVELS; ++level) {
        char16_t name[16];
        size_t i = 0;
        for (const char* s = LEVEL_NAMES[level]; *s; ++s) name[i++] = char16_t(*s);
        name[i] = 0;
        if (text_equal_nocase(value, name)) return SimdLevel(level);
    }
    return SIMD_LEVELS;
}

bool probed = false;
uint32_t offered = 0;

bool chosen_yet = false;
SimdLevel chosen = SIMD_SCALAR;

}  // namespace

bool simd_level_supported(SimdLevel level) {
    if (!probed) {
        offered = simd_probe();
        probed = true;
    }
    return level < SIMD_LEVELS && (offered >> level & 1) != 0;
}

SimdLevel simd_level() {
    if (!chosen_yet) {
        SimdLevel forced = forced_level();
        if (forced != SIMD_LEVELS && simd_level_supported(forced)) {
            chosen = forced;
        } else {
            uint32_t best = SIMD_LEVELS - 1;  // the scalar level always runs
            while (!simd_level_supported(SimdLevel(best))) --best;
            chosen = SimdLevel(best);
        }
        chosen_yet = true;
    }
    return chosen;
}

const char* simd_level_name(SimdLevel level) { return LEVEL_NAMES[level]; }
