// AVX2: as SSSE3, two 8-character lanes of text a shuffle. Built with -mavx2; run only
// where the processor has it and the system saves the YMM state.
#include <immintrin.h>

#include "filefuncs/bytetext/layout.h"
#include "filefuncs/bytetext/paths.h"

namespace {

using namespace bytetext;

const char hex_upper[16] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
const char hex_lower[16] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};

template <uint32_t Digits>
void digit_groups(__m128i x, __m128i table, __m128i* g) {
    if constexpr (Digits == 2) {
        const __m128i nibble = _mm_set1_epi8(0x0F);
        __m128i hi = _mm_and_si128(_mm_srli_epi16(x, 4), nibble);
        __m128i lo = _mm_and_si128(x, nibble);
        g[0] = _mm_shuffle_epi8(table, _mm_unpacklo_epi64(hi, lo));
        g[1] = _mm_shuffle_epi8(table, _mm_unpackhi_epi64(hi, lo));
    } else {
        const __m128i zero_digit = _mm_set1_epi8('0');
        __m128i d2 = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(x, 6), _mm_set1_epi8(0x03)), zero_digit);
        __m128i d1 = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(x, 3), _mm_set1_epi8(0x07)), zero_digit);
        __m128i d0 = _mm_or_si128(_mm_and_si128(x, _mm_set1_epi8(0x07)), zero_digit);
        __m128i a = _mm_unpacklo_epi32(d2, d1), b = _mm_unpacklo_epi32(d0, d0);
        __m128i c = _mm_unpackhi_epi32(d2, d1), d = _mm_unpackhi_epi32(d0, d0);
        g[0] = _mm_unpacklo_epi64(a, b);
        g[1] = _mm_unpackhi_epi64(a, b);
        g[2] = _mm_unpacklo_epi64(c, d);
        g[3] = _mm_unpackhi_epi64(c, d);
    }
}

template <uint32_t Code>
void fixed_code(char16_t* out, const uint8_t* bytes, size_t n, bool lower) {
    static constexpr FixedPiece piece = fixed_piece(Code);
    static constexpr ShuffleLayout layout = shuffle_layout(Code);
    const __m128i table = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower ? hex_lower : hex_upper));
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        __m128i g[4];
        digit_groups<piece.digits>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i)), table, g);
        char16_t* o = out + i * piece.width;
#pragma GCC unroll 6
        for (uint32_t lane = 0; lane < layout.lanes; lane += 2) {
            const uint32_t first = layout.group_of_lane[lane], second = layout.group_of_lane[lane + 1];
            __m256i source = _mm256_inserti128_si256(_mm256_castsi128_si256(g[first]), g[second], 1);
            __m256i control = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(layout.control[lane]));
            __m256i fill = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(layout.fill[lane]));
            __m256i text = _mm256_or_si256(_mm256_shuffle_epi8(source, control), fill);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + 8 * lane), text);
        }
    }
    ScalarFixed(out + i * piece.width, bytes + i, n - i, Code, lower);
}

void fixed(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower) {
    switch (code) {
    case 1: fixed_code<1>(out, bytes, n, lower); break;
    case 5: fixed_code<5>(out, bytes, n, lower); break;
    case 6: fixed_code<6>(out, bytes, n, lower); break;
    default: fixed_code<2>(out, bytes, n, lower); break;
    }
}

}  // namespace

const ByteTextKernels AVX2_KERNELS = {fixed, nullptr};
