// The digits of 16 bytes at a time by nibble look-up, shared by the SSSE3 and AVX2 files.
// Internal to each file that includes it (static): each copy is compiled for its own
// instruction set, and a shared copy could hand a path instructions its processor lacks.
#pragma once
#include <stdint.h>
#include <tmmintrin.h>

static const char HEX_UPPER[16] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
static const char HEX_LOWER[16] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};

// The digit planes of the groups of a block of 16 bytes (layout.h): 2 groups of hexadecimal
// digits, or 4 of octal.
template <uint32_t Digits>
static inline void digit_groups(__m128i x, __m128i table, __m128i* g) {
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
