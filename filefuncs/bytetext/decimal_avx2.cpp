// AVX2: the decimal notations (codes 0, 3 and 4) as SSSE3 lays them out (layout.h,
// DecimalGroups), the digits of a block in one register and each group's text widened to
// its characters in one. Built with -mavx2; run only where the processor has it and the
// system saves the YMM state.
#include <immintrin.h>

#include "filefuncs/bytetext/layout.h"
#include "filefuncs/bytetext/paths.h"

namespace {

using namespace bytetext;

// Codes 3 and 4 take 12 bytes a block, spread so that every fourth lane is a dummy of 0
// (its field's sign place then holds the space: ' ' there instead of '+').
alignas(16) constexpr uint8_t SPREAD[16] = {0, 1, 2, ZERO_LANE, 3, 4, 5, ZERO_LANE, 6, 7, 8, ZERO_LANE, 9, 10, 11, ZERO_LANE};
alignas(16) constexpr uint8_t SIGN_BASE[16] = {'+', '+', '+', ' ', '+', '+', '+', ' ',
                                               '+', '+', '+', ' ', '+', '+', '+', ' '};

template <uint32_t Code>
size_t variable_code(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, size_t* done) {
    static constexpr DecimalGroups groups = decimal_groups(Code);
    constexpr size_t block = 4 * groups.pieces;      // bytes a block
    constexpr size_t block_text = 4 * groups.most;  // the most a block's text takes
    const __m128i zero = _mm_setzero_si128();
    const __m128i weights = _mm_set1_epi32(int(groups.weight[0] | groups.weight[1] << 8 | groups.weight[2] << 16 |
                                               uint32_t(groups.weight[3]) << 24));
    const __m256i tenth = _mm256_set1_epi16(6554);
    size_t i = 0;
    // A block only where the 16 bytes loaded are there, and where its text and the last
    // group's store surely end below cap.
    for (; i + 16 <= n && at + block_text + 16 <= cap; i += block) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        __m128i m, sign, negative = zero;
        if constexpr (Code == 0) {
            m = x;
            sign = _mm_set1_epi8(' ');
        } else {
            x = _mm_shuffle_epi8(x, _mm_load_si128(reinterpret_cast<const __m128i*>(SPREAD)));
            m = _mm_abs_epi8(x);  // -128 gives 0x80, taken as unsigned
            negative = _mm_cmpgt_epi8(zero, x);
            sign = _mm_add_epi8(_mm_load_si128(reinterpret_cast<const __m128i*>(SIGN_BASE)),
                                _mm_and_si128(negative, _mm_set1_epi8('-' - '+')));
        }
        // minus each piece's state, and the sum over each group of weight * state
        const __m128i flipped = _mm_xor_si128(m, _mm_set1_epi8(char(0x80)));  // unsigned order, signed compare
        __m128i state = _mm_add_epi8(_mm_cmpgt_epi8(flipped, _mm_set1_epi8(char(9 ^ 0x80))),
                                     _mm_cmpgt_epi8(flipped, _mm_set1_epi8(char(99 ^ 0x80))));
        if constexpr (Code == 3) state = _mm_add_epi8(state, _mm_and_si128(negative, _mm_set1_epi8(-3)));
        const __m128i index = _mm_madd_epi16(_mm_maddubs_epi16(weights, state), _mm_set1_epi16(-1));

        // The fields "shto": m * 6554 >> 16 is m / 10 for 0 to 255, and
        // tens + 256 * ones = 256 m - 2559 q - 10 h.
        const __m256i wide = _mm256_cvtepu8_epi16(m);
        const __m256i q = _mm256_mulhi_epu16(wide, tenth);
        const __m256i h = _mm256_mulhi_epu16(q, tenth);
        const __m256i tail = _mm256_add_epi16(_mm256_slli_epi16(wide, 8), _mm256_set1_epi16(0x3030));
        const __m256i b = _mm256_sub_epi16(tail, _mm256_add_epi16(_mm256_mullo_epi16(q, _mm256_set1_epi16(2559)),
                                                                  _mm256_mullo_epi16(h, _mm256_set1_epi16(10))));
        const __m256i a = _mm256_add_epi16(_mm256_cvtepu8_epi16(sign),
                                           _mm256_add_epi16(_mm256_slli_epi16(h, 8), _mm256_set1_epi16(0x3000)));
        const __m256i even = _mm256_unpacklo_epi16(a, b);  // groups 0 and 2
        const __m256i odd = _mm256_unpackhi_epi16(a, b);   // groups 1 and 3
        const __m128i field[4] = {_mm256_castsi256_si128(even), _mm256_castsi256_si128(odd),
                                  _mm256_extracti128_si256(even, 1), _mm256_extracti128_si256(odd, 1)};

        const uint64_t first = uint64_t(_mm_cvtsi128_si64(index));
        const uint64_t second = uint64_t(_mm_extract_epi64(index, 1));
        const uint32_t entry[4] = {uint32_t(first), uint32_t(first >> 32), uint32_t(second), uint32_t(second >> 32)};
#pragma GCC unroll 4
        for (uint32_t g = 0; g < 4; ++g) {
            const __m128i control = _mm_load_si128(reinterpret_cast<const __m128i*>(groups.control[entry[g]]));
            const __m128i text = _mm_shuffle_epi8(field[g], control);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + at), _mm256_cvtepu8_epi16(text));
            at += groups.length[entry[g]];
        }
    }
    size_t rest_done = 0;
    at = scalar_variable(out, at, cap, bytes + i, n - i, Code, &rest_done);
    *done = i + rest_done;
    return at;
}

}  // namespace

size_t avx2_variable(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, uint32_t code,
                     size_t* done) {
    switch (code) {
    case 3: return variable_code<3>(out, at, cap, bytes, n, done);
    case 4: return variable_code<4>(out, at, cap, bytes, n, done);
    default: return variable_code<0>(out, at, cap, bytes, n, done);
    }
}
