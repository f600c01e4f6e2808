// AVX-512 (F, BW and VBMI2, with BMI2): the decimal notations laid out in slots of
// fixed places and closed up with a compress instead of being copied piece by piece.
// Built with the matching -m flags; run only where the processor has them and the system
// saves the ZMM and mask state.
#include <immintrin.h>

// GCC 12's own _mm512_inserti64x4 starts from an undefined register and then warns of it.
#if defined(__GNUC__) && !defined(__clang__)
#    pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "filefuncs/bytetext/layout.h"
#include "filefuncs/bytetext/paths.h"

namespace {

using namespace bytetext;

// Codes 0, 3 and 4, 16 bytes a block: hundreds, tens and ones by multiply and shift
// (v * 41 >> 12 is v / 100 and v * 205 >> 11 is v / 10 for 0 to 255), laid out in slots of
// fixed places and closed up by a compress that keeps what each byte's piece shows.
template <uint32_t Code>
size_t variable_code(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, size_t* done) {
    static constexpr CompressLayout layout = compress_layout(Code);
    const size_t block_text = 16 * layout.slot;  // the most a block's pieces take
    const __m256i zero_digit = _mm256_set1_epi16('0');
    const __m512i spaces = _mm512_set1_epi16(' ');
    size_t i = 0;
    // A block only where its pieces surely fit and the last register stored ends below cap.
    for (; i + 16 <= n && at + block_text + 32 <= cap; i += 16) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        __m256i magnitude, sign;
        uint32_t signs;  // one bit a byte: the piece shows a sign
        if constexpr (Code == 0) {
            magnitude = _mm256_cvtepu8_epi16(x);
            sign = _mm256_set1_epi16(' ');  // code 0 has no sign place: its spaces come from here
            signs = 0;
        } else {
            __m256i value = _mm256_cvtepi8_epi16(x);
            magnitude = _mm256_abs_epi16(value);
            __m256i negative = _mm256_cmpgt_epi16(_mm256_setzero_si256(), value);
            sign = _mm256_add_epi16(_mm256_set1_epi16('+'), _mm256_and_si256(negative, _mm256_set1_epi16('-' - '+')));
            signs = Code == 4 ? 0xFFFF : uint32_t(_mm_movemask_epi8(x));
        }
        __m256i hundreds = _mm256_srli_epi16(_mm256_mullo_epi16(magnitude, _mm256_set1_epi16(41)), 12);
        __m256i rest = _mm256_sub_epi16(magnitude, _mm256_mullo_epi16(hundreds, _mm256_set1_epi16(100)));
        __m256i tens = _mm256_srli_epi16(_mm256_mullo_epi16(rest, _mm256_set1_epi16(205)), 11);
        __m256i ones = _mm256_sub_epi16(rest, _mm256_mullo_epi16(tens, _mm256_set1_epi16(10)));
        const __m512i wide = _mm512_zextsi256_si512(magnitude);
        const uint32_t shows_tens = _mm512_cmpgt_epi16_mask(wide, _mm512_set1_epi16(9));
        const uint32_t shows_hundreds = _mm512_cmpgt_epi16_mask(wide, _mm512_set1_epi16(99));
        const __m512i a = _mm512_inserti64x4(_mm512_zextsi256_si512(_mm256_add_epi16(hundreds, zero_digit)),
                                             _mm256_add_epi16(tens, zero_digit), 1);
        const __m512i b = _mm512_inserti64x4(_mm512_zextsi256_si512(_mm256_add_epi16(ones, zero_digit)), sign, 1);
#pragma GCC unroll 3
        for (uint32_t v = 0; v < layout.vectors; ++v) {
            const uint32_t first = v * layout.per_vector;
            __m512i slots = _mm512_permutex2var_epi16(a, _mm512_loadu_si512(layout.index[v]), b);
            if constexpr (Code != 0) slots = _mm512_mask_mov_epi16(slots, layout.spaces[v], spaces);
            uint32_t keep = layout.always[v] | _pdep_u32(shows_tens >> first, layout.tens[v]) |
                            _pdep_u32(shows_hundreds >> first, layout.hundreds[v]);
            if constexpr (Code != 0) keep |= _pdep_u32(signs >> first, layout.signs[v]);
            _mm512_storeu_si512(out + at, _mm512_maskz_compress_epi16(keep, slots));
            at += size_t(__builtin_popcount(keep));
        }
    }
    size_t rest_done = 0;
    at = scalar_variable(out, at, cap, bytes + i, n - i, Code, &rest_done);
    *done = i + rest_done;
    return at;
}

size_t variable(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, uint32_t code, size_t* done) {
    switch (code) {
    case 3: return variable_code<3>(out, at, cap, bytes, n, done);
    case 4: return variable_code<4>(out, at, cap, bytes, n, done);
    default: return variable_code<0>(out, at, cap, bytes, n, done);
    }
}

}  // namespace

// The notations of one piece length take AVX2's kernel: a byte permute over whole ZMM
// registers was timed against it and did not beat it by the 5% that would pay for a
// second kernel.
const ByteTextKernels AVX512_KERNELS = {avx512_fixed, variable};
