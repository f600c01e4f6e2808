// A thin wrapper over one level's vector registers, for code written once and compiled for
// several levels. A file built for a level (*_LEVEL.cpp) defines SIMD_NAMESPACE as a name
// of its own before including this and the generic code: each level's copy of every
// function is then its own, and none built for a wider set can be linked into a narrower
// level's callers. The registers are as wide as the level allows: 16 bytes up to SSSE3, 32
// from AVX2 on, in lanes of 16 bytes that byte shuffles and unpacks keep apart.
//
// Operations whose names differ only in the width prefix are spelled SIMD_OP(add_epi8);
// the others are here.
#pragma once
#include <immintrin.h>
#include <stddef.h>

#if !defined(SIMD_NAMESPACE)
#    error "define SIMD_NAMESPACE, the level's own namespace, first"
#endif

#if defined(__AVX2__)
#    define SIMD_OP(name) _mm256_##name
#else
#    define SIMD_OP(name) _mm_##name
#endif

namespace SIMD_NAMESPACE {

#if defined(__AVX2__)
using Reg = __m256i;
inline Reg load(const void* p) { return _mm256_loadu_si256(static_cast<const Reg*>(p)); }
inline void store(void* p, Reg v) { _mm256_storeu_si256(static_cast<Reg*>(p), v); }
// 16 bytes into every lane, and a lane of 16 from each place.
inline Reg load_lanes(const void* p) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(static_cast<const __m128i*>(p)));
}
inline Reg load_each_lane(const void* low, const void* high) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(static_cast<const __m128i*>(low))),
                                   _mm_loadu_si128(static_cast<const __m128i*>(high)), 1);
}
inline Reg zero() { return _mm256_setzero_si256(); }
inline Reg and_of(Reg a, Reg b) { return _mm256_and_si256(a, b); }
inline Reg or_of(Reg a, Reg b) { return _mm256_or_si256(a, b); }
inline Reg xor_of(Reg a, Reg b) { return _mm256_xor_si256(a, b); }
// The low lane of low and the high lane of high.
inline Reg join_lanes(Reg low, Reg high) { return _mm256_blend_epi32(low, high, 0xF0); }
template <int Lane>
__m128i lane(Reg v) {
    if constexpr (Lane == 0) return _mm256_castsi256_si128(v);
    else return _mm256_extracti128_si256(v, 1);
}
// 16 bytes widened to the 16 characters from p on.
inline void store_widened(void* p, __m128i bytes) { store(p, _mm256_cvtepu8_epi16(bytes)); }
#else
using Reg = __m128i;
inline Reg load(const void* p) { return _mm_loadu_si128(static_cast<const Reg*>(p)); }
inline void store(void* p, Reg v) { _mm_storeu_si128(static_cast<Reg*>(p), v); }
inline Reg load_lanes(const void* p) { return load(p); }
inline Reg load_each_lane(const void* low, const void* /*high*/) { return load(low); }
inline Reg zero() { return _mm_setzero_si128(); }
inline Reg and_of(Reg a, Reg b) { return _mm_and_si128(a, b); }
inline Reg or_of(Reg a, Reg b) { return _mm_or_si128(a, b); }
inline Reg xor_of(Reg a, Reg b) { return _mm_xor_si128(a, b); }
Reg join_lanes(Reg low, Reg high);  // never called: a register of 16 bytes is one lane
template <int Lane>
__m128i lane(Reg v) {
    return v;
}
inline void store_widened(void* p, __m128i bytes) {
    store(p, _mm_unpacklo_epi8(bytes, zero()));
    store(static_cast<char*>(p) + 16, _mm_unpackhi_epi8(bytes, zero()));
}
#endif

inline constexpr size_t BYTES = sizeof(Reg);
inline constexpr size_t LANES = BYTES / 16;

}  // namespace SIMD_NAMESPACE
