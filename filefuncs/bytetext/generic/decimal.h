// The decimal notations (codes 0, 3 and 4) for the levels with a byte shuffle and no
// compress: a block's digits worked out in bulk, a block a lane, and each group of pieces
// closed up by a byte shuffle (layout.h, DecimalGroups) and widened to its characters.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "filefuncs/bytetext/kernels.h"
#include "filefuncs/bytetext/layout.h"
#include "simd/vector.h"

namespace SIMD_NAMESPACE {

using namespace bytetext;

// The fields "shto" of 8 lanes from words: sign + 256 hundreds (characters), and r, the
// magnitude below 100, and tail = 0x30 + 256 (r + 0x30). r * 6554 >> 16 is r / 10, and
// tens + 256 ones = 256 r - 2559 (r / 10).
inline void fields_of_half(Reg sign_hundreds, Reg r, Reg tail, Reg* lo, Reg* hi) {
    const Reg tens = SIMD_OP(mulhi_epu16)(r, SIMD_OP(set1_epi16)(6554));
    const Reg tens_ones = SIMD_OP(sub_epi16)(tail, SIMD_OP(mullo_epi16)(tens, SIMD_OP(set1_epi16)(2559)));
    *lo = SIMD_OP(unpacklo_epi16)(sign_hundreds, tens_ones);
    *hi = SIMD_OP(unpackhi_epi16)(sign_hundreds, tens_ones);
}

// The 4 groups of the block in lane Lane, each shuffled closed and stored at out + at on.
template <uint32_t Code, int Lane>
size_t store_groups(char16_t* out, size_t at, Reg index, const Reg* field) {
    static constexpr const DecimalGroups& groups = DECIMAL_GROUPS<Code>;
    const __m128i part = lane<Lane>(index);
    const uint64_t first = uint64_t(_mm_cvtsi128_si64(part));
    const uint64_t second = uint64_t(_mm_cvtsi128_si64(_mm_unpackhi_epi64(part, part)));
    const uint32_t entry[4] = {uint32_t(first), uint32_t(first >> 32), uint32_t(second), uint32_t(second >> 32)};
#pragma GCC unroll 4
    for (uint32_t g = 0; g < 4; ++g) {
        const __m128i control = _mm_load_si128(reinterpret_cast<const __m128i*>(groups.control[entry[g]]));
        store_widened(out + at, _mm_shuffle_epi8(lane<Lane>(field[g]), control));
        at += groups.length[entry[g]];
    }
    return at;
}

template <uint32_t Code>
size_t decimal_code(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, size_t* done) {
    static constexpr const DecimalGroups& groups = DECIMAL_GROUPS<Code>;
    constexpr size_t block = 4 * groups.pieces;     // bytes a block
    constexpr size_t block_text = 4 * groups.most;  // the most a block's text takes
    const Reg zero_bytes = zero();
    const Reg digit_zero = SIMD_OP(set1_epi8)('0');
    const Reg hundred = SIMD_OP(set1_epi8)(100);
    const Reg weights = SIMD_OP(set1_epi32)(
        int(groups.weight[0] | groups.weight[1] << 8 | groups.weight[2] << 16 | uint32_t(groups.weight[3]) << 24));
    size_t i = 0;
    // A block a lane, only where the 16 bytes each lane loads are there, and where the
    // blocks' text and the last group's store surely end below cap.
    for (; i + (LANES - 1) * block + 16 <= n && at + LANES * block_text + 16 <= cap; i += LANES * block) {
        Reg x, m, sign, negative = zero_bytes;
        if constexpr (Code == 0) {
            x = load(bytes + i);
            m = x;
            sign = SIMD_OP(set1_epi8)(' ');  // the field's first place: the space after the piece
        } else {
            x = SIMD_OP(shuffle_epi8)(load_each_lane(bytes + i, bytes + i + block), load_lanes(SPREAD));
            m = SIMD_OP(abs_epi8)(x);  // -128 gives 0x80, taken as unsigned
            negative = SIMD_OP(cmpgt_epi8)(zero_bytes, x);
            sign = SIMD_OP(add_epi8)(load_lanes(SIGN_BASE), and_of(negative, SIMD_OP(set1_epi8)('-' - '+')));
        }
        // Compares in unsigned order (signed compares of the bytes flipped): over 9 and over
        // 99 give minus each piece's state, over 99 and 199 minus the hundreds.
        const Reg flipped = xor_of(m, SIMD_OP(set1_epi8)(char(0x80)));
        const Reg over99 = SIMD_OP(cmpgt_epi8)(flipped, SIMD_OP(set1_epi8)(char(99 ^ 0x80)));
        Reg state = SIMD_OP(add_epi8)(SIMD_OP(cmpgt_epi8)(flipped, SIMD_OP(set1_epi8)(char(9 ^ 0x80))), over99);
        if constexpr (Code == 3) state = SIMD_OP(add_epi8)(state, and_of(negative, SIMD_OP(set1_epi8)(-3)));
        const Reg index = SIMD_OP(madd_epi16)(SIMD_OP(maddubs_epi16)(weights, state), SIMD_OP(set1_epi16)(-1));

        Reg minus_hundreds = over99, r = SIMD_OP(sub_epi8)(m, and_of(over99, hundred));
        if constexpr (Code == 0) {
            const Reg over199 = SIMD_OP(cmpgt_epi8)(flipped, SIMD_OP(set1_epi8)(char(199 ^ 0x80)));
            minus_hundreds = SIMD_OP(add_epi8)(minus_hundreds, over199);
            r = SIMD_OP(sub_epi8)(r, and_of(over199, hundred));
        }
        const Reg hundreds = SIMD_OP(sub_epi8)(digit_zero, minus_hundreds);
        const Reg tail = SIMD_OP(add_epi8)(r, digit_zero);
        Reg field[4];  // per group, each lane's block's
        fields_of_half(SIMD_OP(unpacklo_epi8)(sign, hundreds), SIMD_OP(unpacklo_epi8)(r, zero_bytes),
                       SIMD_OP(unpacklo_epi8)(digit_zero, tail), &field[0], &field[1]);
        fields_of_half(SIMD_OP(unpackhi_epi8)(sign, hundreds), SIMD_OP(unpackhi_epi8)(r, zero_bytes),
                       SIMD_OP(unpackhi_epi8)(digit_zero, tail), &field[2], &field[3]);
        at = store_groups<Code, 0>(out, at, index, field);
        if constexpr (LANES == 2) at = store_groups<Code, 1>(out, at, index, field);
    }
    return scalar_decimal_rest(out, at, cap, bytes, i, n, Code, done);
}

inline size_t decimal(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, uint32_t code,
                      size_t* done) {
    return with_decimal_code(code,
                             [&](auto c) { return decimal_code<decltype(c)::value>(out, at, cap, bytes, n, done); });
}

}  // namespace SIMD_NAMESPACE
