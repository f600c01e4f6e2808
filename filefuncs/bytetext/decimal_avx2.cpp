// AVX2: the decimal notations (codes 0, 3 and 4) as SSSE3 lays them out (layout.h,
// DecimalGroups), the digits of a block in one register and each group's text widened to
// its characters in one. Built with -mavx2; run only where the processor has it and the
// system saves the YMM state.
#include <immintrin.h>

#include "filefuncs/bytetext/layout.h"
#include "filefuncs/bytetext/kernels.h"

namespace {

using namespace bytetext;

// The fields "shto" of 8 lanes of each block of a pass, from words: sign + 256 hundreds
// (characters), and r, the magnitude below 100, and tail = 0x30 + 256 (r + 0x30).
// r * 6554 >> 16 is r / 10, and tens + 256 ones = 256 r - 2559 (r / 10). Each 16-byte lane
// holds a group of the block it comes from.
inline void fields_of_half(__m256i sign_hundreds, __m256i r, __m256i tail, __m256i* lo, __m256i* hi) {
    const __m256i tens = _mm256_mulhi_epu16(r, _mm256_set1_epi16(6554));
    const __m256i tens_ones = _mm256_sub_epi16(tail, _mm256_mullo_epi16(tens, _mm256_set1_epi16(2559)));
    *lo = _mm256_unpacklo_epi16(sign_hundreds, tens_ones);
    *hi = _mm256_unpackhi_epi16(sign_hundreds, tens_ones);
}

// Two blocks a pass: their states, group indexes and signs in one register.
template <uint32_t Code>
size_t decimal_code(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, size_t* done) {
    static constexpr DecimalGroups groups = decimal_groups(Code);
    constexpr size_t block = 4 * groups.pieces;     // bytes a block
    constexpr size_t block_text = 4 * groups.most;  // the most a block's text takes
    const __m256i zero = _mm256_setzero_si256();
    const __m256i digit_zero = _mm256_set1_epi8('0');
    const __m256i hundred = _mm256_set1_epi8(100);
    const __m256i weights = _mm256_set1_epi32(
        int(groups.weight[0] | groups.weight[1] << 8 | groups.weight[2] << 16 | uint32_t(groups.weight[3]) << 24));
    size_t i = 0;
    // A pass only where the bytes loaded are there, and where its text and the last group's
    // store surely end below cap.
    for (; i + block + 16 <= n && at + 2 * block_text + 16 <= cap; i += 2 * block) {
        __m256i x, m, sign, negative = zero;
        if constexpr (Code == 0) {
            x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i));
            m = x;
            sign = _mm256_set1_epi8(' ');
        } else {
            x = _mm256_inserti128_si256(
                _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i))),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + block)), 1);
            x = _mm256_shuffle_epi8(
                x, _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(SPREAD))));
            m = _mm256_abs_epi8(x);  // -128 gives 0x80, taken as unsigned
            negative = _mm256_cmpgt_epi8(zero, x);
            sign = _mm256_add_epi8(
                _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(SIGN_BASE))),
                _mm256_and_si256(negative, _mm256_set1_epi8('-' - '+')));
        }
        // Compares in unsigned order (signed compares of the bytes flipped): over 9 and over
        // 99 give minus each piece's state, over 99 and 199 minus the hundreds.
        const __m256i flipped = _mm256_xor_si256(m, _mm256_set1_epi8(char(0x80)));
        const __m256i over99 = _mm256_cmpgt_epi8(flipped, _mm256_set1_epi8(char(99 ^ 0x80)));
        __m256i state = _mm256_add_epi8(_mm256_cmpgt_epi8(flipped, _mm256_set1_epi8(char(9 ^ 0x80))), over99);
        if constexpr (Code == 3) state = _mm256_add_epi8(state, _mm256_and_si256(negative, _mm256_set1_epi8(-3)));
        const __m256i index = _mm256_madd_epi16(_mm256_maddubs_epi16(weights, state), _mm256_set1_epi16(-1));
        const __m128i low = _mm256_castsi256_si128(index), high = _mm256_extracti128_si256(index, 1);
        const uint64_t pairs[4] = {uint64_t(_mm_cvtsi128_si64(low)), uint64_t(_mm_extract_epi64(low, 1)),
                                   uint64_t(_mm_cvtsi128_si64(high)), uint64_t(_mm_extract_epi64(high, 1))};

        __m256i minus_hundreds = over99, r = _mm256_sub_epi8(m, _mm256_and_si256(over99, hundred));
        if constexpr (Code == 0) {
            const __m256i over199 = _mm256_cmpgt_epi8(flipped, _mm256_set1_epi8(char(199 ^ 0x80)));
            minus_hundreds = _mm256_add_epi8(minus_hundreds, over199);
            r = _mm256_sub_epi8(r, _mm256_and_si256(over199, hundred));
        }
        const __m256i hundreds = _mm256_sub_epi8(digit_zero, minus_hundreds);
        const __m256i tail = _mm256_add_epi8(r, digit_zero);
        __m256i pair[4];  // per group, the first block's in the low lane and the second's in the high
        fields_of_half(_mm256_unpacklo_epi8(sign, hundreds), _mm256_unpacklo_epi8(r, zero),
                       _mm256_unpacklo_epi8(digit_zero, tail), &pair[0], &pair[1]);
        fields_of_half(_mm256_unpackhi_epi8(sign, hundreds), _mm256_unpackhi_epi8(r, zero),
                       _mm256_unpackhi_epi8(digit_zero, tail), &pair[2], &pair[3]);
        const __m128i field[8] = {_mm256_castsi256_si128(pair[0]),      _mm256_castsi256_si128(pair[1]),
                                  _mm256_castsi256_si128(pair[2]),      _mm256_castsi256_si128(pair[3]),
                                  _mm256_extracti128_si256(pair[0], 1), _mm256_extracti128_si256(pair[1], 1),
                                  _mm256_extracti128_si256(pair[2], 1), _mm256_extracti128_si256(pair[3], 1)};
#pragma GCC unroll 8
        for (uint32_t g = 0; g < 8; ++g) {
            const uint32_t entry = uint32_t(pairs[g / 2] >> (32 * (g % 2)));
            const __m128i control = _mm_load_si128(reinterpret_cast<const __m128i*>(groups.control[entry]));
            const __m128i text = _mm_shuffle_epi8(field[g], control);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + at), _mm256_cvtepu8_epi16(text));
            at += groups.length[entry];
        }
    }
    size_t rest_done = 0;
    at = scalar_decimal(out, at, cap, bytes + i, n - i, Code, &rest_done);
    *done = i + rest_done;
    return at;
}

}  // namespace

size_t avx2_decimal(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, uint32_t code, size_t* done) {
    switch (code) {
    case 3: return decimal_code<3>(out, at, cap, bytes, n, done);
    case 4: return decimal_code<4>(out, at, cap, bytes, n, done);
    default: return decimal_code<0>(out, at, cap, bytes, n, done);
    }
}
