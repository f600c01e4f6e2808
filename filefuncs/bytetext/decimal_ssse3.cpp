// SSSE3: the decimal notations (codes 0, 3 and 4), a group of pieces a byte shuffle
// (layout.h, DecimalGroups). Built with -mssse3; run only where the processor has it.
#include <tmmintrin.h>

#include "filefuncs/bytetext/layout.h"
#include "filefuncs/bytetext/kernels.h"

namespace {

using namespace bytetext;

// The fields "shto" of 8 lanes from words: sign + 256 hundreds (characters), and r, the
// magnitude below 100, and tail = 0x30 + 256 (r + 0x30). r * 6554 >> 16 is r / 10, and
// tens + 256 ones = 256 r - 2559 (r / 10).
inline void fields_of_half(__m128i sign_hundreds, __m128i r, __m128i tail, __m128i* lo, __m128i* hi) {
    const __m128i tens = _mm_mulhi_epu16(r, _mm_set1_epi16(6554));
    const __m128i tens_ones = _mm_sub_epi16(tail, _mm_mullo_epi16(tens, _mm_set1_epi16(2559)));
    *lo = _mm_unpacklo_epi16(sign_hundreds, tens_ones);
    *hi = _mm_unpackhi_epi16(sign_hundreds, tens_ones);
}

template <uint32_t Code>
size_t decimal_code(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, size_t* done) {
    static constexpr DecimalGroups groups = decimal_groups(Code);
    constexpr size_t block = 4 * groups.pieces;     // bytes a block
    constexpr size_t block_text = 4 * groups.most;  // the most a block's text takes
    const __m128i zero = _mm_setzero_si128();
    const __m128i digit_zero = _mm_set1_epi8('0');
    const __m128i hundred = _mm_set1_epi8(100);
    const __m128i weights = _mm_set1_epi32(
        int(groups.weight[0] | groups.weight[1] << 8 | groups.weight[2] << 16 | uint32_t(groups.weight[3]) << 24));
    size_t i = 0;
    // A block only where the 16 bytes loaded are there, and where its text and the last
    // group's store surely end below cap.
    for (; i + 16 <= n && at + block_text + 16 <= cap; i += block) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        __m128i m, sign, negative = zero;
        if constexpr (Code == 0) {
            m = x;
            sign = _mm_set1_epi8(' ');  // the field's first place: the space after the piece
        } else {
            x = _mm_shuffle_epi8(x, _mm_load_si128(reinterpret_cast<const __m128i*>(SPREAD)));
            m = _mm_abs_epi8(x);  // -128 gives 0x80, taken as unsigned
            negative = _mm_cmpgt_epi8(zero, x);
            sign = _mm_add_epi8(_mm_load_si128(reinterpret_cast<const __m128i*>(SIGN_BASE)),
                                _mm_and_si128(negative, _mm_set1_epi8('-' - '+')));
        }
        // Compares in unsigned order (signed compares of the bytes flipped): over 9 and over
        // 99 give minus each piece's state, over 99 and 199 minus the hundreds.
        const __m128i flipped = _mm_xor_si128(m, _mm_set1_epi8(char(0x80)));
        const __m128i over99 = _mm_cmpgt_epi8(flipped, _mm_set1_epi8(char(99 ^ 0x80)));
        __m128i state = _mm_add_epi8(_mm_cmpgt_epi8(flipped, _mm_set1_epi8(char(9 ^ 0x80))), over99);
        if constexpr (Code == 3) state = _mm_add_epi8(state, _mm_and_si128(negative, _mm_set1_epi8(-3)));
        const __m128i index = _mm_madd_epi16(_mm_maddubs_epi16(weights, state), _mm_set1_epi16(-1));

        __m128i minus_hundreds = over99, r = _mm_sub_epi8(m, _mm_and_si128(over99, hundred));
        if constexpr (Code == 0) {
            const __m128i over199 = _mm_cmpgt_epi8(flipped, _mm_set1_epi8(char(199 ^ 0x80)));
            minus_hundreds = _mm_add_epi8(minus_hundreds, over199);
            r = _mm_sub_epi8(r, _mm_and_si128(over199, hundred));
        }
        const __m128i hundreds = _mm_sub_epi8(digit_zero, minus_hundreds);
        const __m128i tail = _mm_add_epi8(r, digit_zero);
        __m128i field[4];
        fields_of_half(_mm_unpacklo_epi8(sign, hundreds), _mm_unpacklo_epi8(r, zero),
                       _mm_unpacklo_epi8(digit_zero, tail), &field[0], &field[1]);
        fields_of_half(_mm_unpackhi_epi8(sign, hundreds), _mm_unpackhi_epi8(r, zero),
                       _mm_unpackhi_epi8(digit_zero, tail), &field[2], &field[3]);

        const uint64_t first = uint64_t(_mm_cvtsi128_si64(index));
        const uint64_t second = uint64_t(_mm_cvtsi128_si64(_mm_unpackhi_epi64(index, index)));
        const uint32_t entry[4] = {uint32_t(first), uint32_t(first >> 32), uint32_t(second), uint32_t(second >> 32)};
#pragma GCC unroll 4
        for (uint32_t g = 0; g < 4; ++g) {
            const __m128i control = _mm_load_si128(reinterpret_cast<const __m128i*>(groups.control[entry[g]]));
            const __m128i text = _mm_shuffle_epi8(field[g], control);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), _mm_unpacklo_epi8(text, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at + 8), _mm_unpackhi_epi8(text, zero));
            at += groups.length[entry[g]];
        }
    }
    size_t rest_done = 0;
    at = scalar_decimal(out, at, cap, bytes + i, n - i, Code, &rest_done);
    *done = i + rest_done;
    return at;
}

}  // namespace

size_t ssse3_decimal(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, uint32_t code,
                     size_t* done) {
    switch (code) {
    case 3: return decimal_code<3>(out, at, cap, bytes, n, done);
    case 4: return decimal_code<4>(out, at, cap, bytes, n, done);
    default: return decimal_code<0>(out, at, cap, bytes, n, done);
    }
}
