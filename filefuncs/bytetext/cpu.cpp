// What the processor offers and the operating system has switched on, asked once.
#include <cpuid.h>

#include "filefuncs/bytetext/paths.h"

namespace {

// The state components the system saves on a switch (XCR0); OSXSAVE must be checked first.
uint64_t saved_state() {
    uint32_t lo, hi;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (uint64_t(hi) << 32) | lo;
}

enum : uint32_t {
    LEAF1_ECX_SSSE3 = 1u << 9,
    LEAF1_ECX_OSXSAVE = 1u << 27,
    LEAF1_ECX_AVX = 1u << 28,
    LEAF7_EBX_AVX2 = 1u << 5,
    LEAF7_EBX_BMI2 = 1u << 8,
    LEAF7_EBX_AVX512F = 1u << 16,
    LEAF7_EBX_AVX512BW = 1u << 30,
    LEAF7_ECX_AVX512VBMI = 1u << 1,
    LEAF7_ECX_AVX512VBMI2 = 1u << 6,
    STATE_SSE_AVX = 0x06,  // XMM and YMM
    STATE_AVX512 = 0xE6,   // and the opmasks, ZMM0-15 upper halves, ZMM16-31
};

}  // namespace

CpuFeatures probe_cpu() {
    CpuFeatures f{false, false, false};
    uint32_t a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return f;
    f.ssse3 = (c & LEAF1_ECX_SSSE3) != 0;
    const bool os_saves = (c & LEAF1_ECX_OSXSAVE) != 0;
    const bool avx = (c & LEAF1_ECX_AVX) != 0;
    if (!os_saves || !avx) return f;
    const uint64_t state = saved_state();
    uint32_t b7 = 0, c7 = 0;
    if (__get_cpuid_max(0, nullptr) >= 7) __cpuid_count(7, 0, a, b7, c7, d);
    f.avx2 = (state & STATE_SSE_AVX) == STATE_SSE_AVX && (b7 & LEAF7_EBX_AVX2);
    f.avx512 = f.avx2 && (state & STATE_AVX512) == STATE_AVX512 && (b7 & LEAF7_EBX_BMI2) && (b7 & LEAF7_EBX_AVX512F) &&
               (b7 & LEAF7_EBX_AVX512BW) && (c7 & LEAF7_ECX_AVX512VBMI) && (c7 & LEAF7_ECX_AVX512VBMI2);
    return f;
}
