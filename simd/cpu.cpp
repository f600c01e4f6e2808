// What the processor offers and the operating system has switched on, asked once.
#include <cpuid.h>
#include <stddef.h>

#include "simd/simd.h"

namespace {

enum Register : uint8_t { EBX, ECX, EDX };

// The register state a feature's instructions use, which the system must save on a switch
// (XCR0): XMM and YMM, or those and the opmasks, ZMM0-15's upper halves and ZMM16-31.
enum : uint8_t { STATE_NONE = 0, STATE_YMM = 0x06, STATE_ZMM = 0xE6 };

struct Feature {
    const char* name;  // as the compiler's -m flag spells it
    uint32_t leaf;     // CPUID leaf (subleaf 0)
    Register reg;
    uint8_t bit;
    uint8_t state;
};

constexpr Feature FEATURES[] = {
    {"sse2", 1, EDX, 26, STATE_NONE},
    {"sse3", 1, ECX, 0, STATE_NONE},
    {"ssse3", 1, ECX, 9, STATE_NONE},
    {"sse4.1", 1, ECX, 19, STATE_NONE},
    {"sse4.2", 1, ECX, 20, STATE_NONE},
    {"popcnt", 1, ECX, 23, STATE_NONE},
    {"avx", 1, ECX, 28, STATE_YMM},
    {"avx2", 7, EBX, 5, STATE_YMM},
    {"bmi", 7, EBX, 3, STATE_NONE},
    {"bmi2", 7, EBX, 8, STATE_NONE},
    {"lzcnt", 0x80000001, ECX, 5, STATE_NONE},
    {"avx512f", 7, EBX, 16, STATE_ZMM},
    {"avx512bw", 7, EBX, 30, STATE_ZMM},
    {"avx512vbmi", 7, ECX, 1, STATE_ZMM},
    {"avx512vbmi2", 7, ECX, 6, STATE_ZMM},
};
constexpr size_t FEATURE_COUNT = sizeof FEATURES / sizeof FEATURES[0];
constexpr uint32_t UNKNOWN_FEATURE = 1u << 31;
static_assert(FEATURE_COUNT < 31, "a feature a bit");

// The features of a level's list ("sse4.1 sse4.2 ..."), one bit each in FEATURES' order.
constexpr uint32_t feature_mask(const char* list) {
    uint32_t mask = 0;
    for (const char* s = list; *s;) {
        if (*s == ' ') {
            ++s;
            continue;
        }
        size_t length = 0;
        while (s[length] && s[length] != ' ') ++length;
        uint32_t bit = UNKNOWN_FEATURE;
        for (size_t f = 0; f < FEATURE_COUNT; ++f) {
            size_t i = 0;
            while (i < length && FEATURES[f].name[i] == s[i]) ++i;
            if (i == length && FEATURES[f].name[i] == 0) bit = 1u << f;
        }
        mask |= bit;
        s += length;
    }
    return mask;
}

// Each level's features, its own and every lower level's.
struct LevelFeatures {
    uint32_t mask[SIMD_LEVELS];
};

constexpr LevelFeatures level_features() {
    const char* const lists[SIMD_LEVELS] = {
#define SIMD_LEVEL(ENUMERATOR, NAME, ...) #__VA_ARGS__,
#include "simd/levels.def"
#undef SIMD_LEVEL
    };
    LevelFeatures levels{};
    uint32_t below = 0;
    for (uint32_t level = 0; level < SIMD_LEVELS; ++level) {
        below |= feature_mask(lists[level]);
        levels.mask[level] = below;
    }
    return levels;
}

constexpr LevelFeatures LEVEL_FEATURES = level_features();
static_assert((LEVEL_FEATURES.mask[SIMD_LEVELS - 1] & UNKNOWN_FEATURE) == 0,
              "simd/levels.def names a feature simd/cpu.cpp cannot ask the processor for");

// The state components the system saves on a switch (XCR0); OSXSAVE must be checked first.
uint64_t saved_state() {
    uint32_t lo, hi;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (uint64_t(hi) << 32) | lo;
}

constexpr uint32_t LEAF1_ECX_OSXSAVE = 1u << 27;

// The features the processor has and the system saves the state of.
uint32_t features_here() {
    uint32_t regs[3][3] = {};  // leaves 1, 7, 0x80000001: EBX, ECX, EDX
    const uint32_t leaves[3] = {1, 7, 0x80000001};
    for (int l = 0; l < 3; ++l) {
        uint32_t a, b, c, d;
        if (uint32_t(__get_cpuid_max(leaves[l] & 0x80000000, nullptr)) < leaves[l]) continue;
        __cpuid_count(leaves[l], 0, a, b, c, d);
        regs[l][EBX] = b;
        regs[l][ECX] = c;
        regs[l][EDX] = d;
    }
    const uint64_t state = (regs[0][ECX] & LEAF1_ECX_OSXSAVE) ? saved_state() : 0;
    uint32_t have = 0;
    for (size_t f = 0; f < FEATURE_COUNT; ++f) {
        const Feature& feature = FEATURES[f];
        const int l = feature.leaf == 1 ? 0 : feature.leaf == 7 ? 1 : 2;
        const bool shown = (regs[l][feature.reg] >> feature.bit & 1) != 0;
        if (shown && (state & feature.state) == feature.state) have |= 1u << f;
    }
    return have;
}

}  // namespace

uint32_t simd_probe() {
    const uint32_t have = features_here();
    uint32_t levels = 0;
    for (uint32_t level = 0; level < SIMD_LEVELS; ++level)
        if ((LEVEL_FEATURES.mask[level] & ~have) == 0) levels |= 1u << level;
    return levels;
}
