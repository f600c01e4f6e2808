// Digit planes computed in bulk, for every level's kernels (simd/vector.h): the octal
// digits of each byte as characters, one register a place.
#pragma once
#include "simd/vector.h"

namespace SIMD_NAMESPACE {

// The 64s', 8s' and 1s' digits of each byte of x.
inline void octal_planes(Reg x, Reg* sixty_fours, Reg* eights, Reg* ones) {
    const Reg zero_digit = SIMD_OP(set1_epi8)('0');
    *sixty_fours = or_of(and_of(SIMD_OP(srli_epi16)(x, 6), SIMD_OP(set1_epi8)(0x03)), zero_digit);
    *eights = or_of(and_of(SIMD_OP(srli_epi16)(x, 3), SIMD_OP(set1_epi8)(0x07)), zero_digit);
    *ones = or_of(and_of(x, SIMD_OP(set1_epi8)(0x07)), zero_digit);
}

}  // namespace SIMD_NAMESPACE
