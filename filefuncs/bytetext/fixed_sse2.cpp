// SSE2, which every x64 processor has. With no byte shuffle, each byte's piece is built in
// a lane of its own (4 characters, or 8 for the prefixed notations) by unpacking digit
// planes computed in bulk, and the lanes are stored overlapping, each piece's store
// reaching into the next piece, whose own store then puts it right.
#define SIMD_NAMESPACE sse2
#include "filefuncs/bytetext/generic/planes.h"
#include "filefuncs/bytetext/kernels.h"
#include "filefuncs/bytetext/layout.h"

namespace sse2 {
namespace {

using namespace bytetext;

// Hexadecimal digits of nibbles by compare and add: '0' + v, and 7 (or 39) more above 9.
__m128i hex_ascii(__m128i nibbles, bool lower) {
    __m128i above_nine = _mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9));
    __m128i letters = _mm_and_si128(above_nine, _mm_set1_epi8(lower ? 'a' - '0' - 10 : 'A' - '0' - 10));
    return _mm_add_epi8(_mm_add_epi8(nibbles, _mm_set1_epi8('0')), letters);
}

// Stores the two 4-character lanes of text at out and out + width: one store where the
// pieces are the lanes.
void store_pair4(char16_t* out, size_t width, __m128i text) {
    if (width == 4) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), text);
        return;
    }
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), text);
    _mm_storeh_pd(reinterpret_cast<double*>(out + width), _mm_castsi128_pd(text));
}

// The 4 characters of each of 4 bytes, as ASCII in 32-bit lanes, widened and stored.
void store_quad4(char16_t* out, size_t width, __m128i ascii) {
    const __m128i zero = _mm_setzero_si128();
    store_pair4(out, width, _mm_unpacklo_epi8(ascii, zero));
    store_pair4(out + 2 * width, width, _mm_unpackhi_epi8(ascii, zero));
}

// The 8 characters of each of 2 bytes, as ASCII in 64-bit lanes, widened and stored.
void store_pair8(char16_t* out, size_t width, __m128i ascii) {
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(ascii, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + width), _mm_unpackhi_epi8(ascii, zero));
}

// The pieces of 16 bytes, each as 4 ASCII characters in a 32-bit lane (lanes in byte
// order across the four registers), for the notations of 4 characters or fewer; or with
// the prefix too, as 8 characters in a 64-bit lane (eight registers).
template <uint32_t Code>
void block(char16_t* out, __m128i x, bool lower) {
    static constexpr FixedPiece piece = fixed_piece(Code);
    const size_t w = piece.width;
    __m128i quad[4];  // 32-bit lanes: two digits and the space, or three digits and the space
    if constexpr (piece.digits == 2) {
        const __m128i nibble = _mm_set1_epi8(0x0F);
        __m128i hi = hex_ascii(_mm_and_si128(_mm_srli_epi16(x, 4), nibble), lower);
        __m128i lo = hex_ascii(_mm_and_si128(x, nibble), lower);
        __m128i pairs[2] = {_mm_unpacklo_epi8(hi, lo), _mm_unpackhi_epi8(hi, lo)};
        const __m128i space = _mm_set1_epi16(' ');
        for (int h = 0; h < 2; ++h) {
            quad[2 * h] = _mm_unpacklo_epi16(pairs[h], space);
            quad[2 * h + 1] = _mm_unpackhi_epi16(pairs[h], space);
        }
    } else {
        __m128i d2, d1, d0;
        octal_planes(x, &d2, &d1, &d0);
        const __m128i space = _mm_set1_epi8(' ');
        __m128i high[2] = {_mm_unpacklo_epi8(d2, d1), _mm_unpackhi_epi8(d2, d1)};
        __m128i low[2] = {_mm_unpacklo_epi8(d0, space), _mm_unpackhi_epi8(d0, space)};
        for (int h = 0; h < 2; ++h) {
            quad[2 * h] = _mm_unpacklo_epi16(high[h], low[h]);
            quad[2 * h + 1] = _mm_unpackhi_epi16(high[h], low[h]);
        }
    }
    if constexpr (piece.prefix == 0) {
        for (int q = 0; q < 4; ++q) store_quad4(out + 4 * q * w, w, quad[q]);
    } else {
        // The prefix before the 4 characters: "0x" and then two digits and the space take
        // the prefix's 16-bit lane and the 32-bit lane; "0o" and three digits and the
        // space, the 32-bit lane moved up by two characters.
        const __m128i zero = _mm_setzero_si128();
        const __m128i prefix = _mm_set1_epi64x(int64_t(uint64_t('0') | uint64_t(piece.letter) << 8));
        for (int q = 0; q < 4; ++q) {
            __m128i lanes[2] = {_mm_unpacklo_epi32(quad[q], zero), _mm_unpackhi_epi32(quad[q], zero)};
            for (int h = 0; h < 2; ++h) {
                __m128i text = _mm_or_si128(_mm_slli_epi64(lanes[h], 16), prefix);
                store_pair8(out + (4 * q + 2 * h) * w, w, text);
            }
        }
    }
}

template <uint32_t Code>
void fixed_code(char16_t* out, const uint8_t* bytes, size_t n, bool lower) {
    static constexpr FixedPiece piece = fixed_piece(Code);
    size_t i = 0;
    // A block's last store reaches past its text: only where more pieces follow.
    for (; i + 16 < n; i += 16)
        block<Code>(out + i * piece.width, _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i)), lower);
    scalar_fixed(out + i * piece.width, bytes + i, n - i, Code, lower);
}

void fixed(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower) {
    with_fixed_code(code, [&](auto c) { fixed_code<decltype(c)::value>(out, bytes, n, lower); });
}

}  // namespace
}  // namespace sse2

const ByteTextKernels SSE2_KERNELS = {sse2::fixed, nullptr};
