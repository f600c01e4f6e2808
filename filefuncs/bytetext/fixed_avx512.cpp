// AVX-512 (BW, VBMI): the hexadecimal notations of two digits and a space (codes 2 and 7),
// the text of 32 bytes a pass, each whole-register store of 32 characters one byte permute
// of the pass's 64 digits (layout.h, PermuteLayout).
#include <immintrin.h>

// GCC 12's own broadcasts and inserts start from an undefined register and then warn of it.
#if defined(__GNUC__) && !defined(__clang__)
#    pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "filefuncs/bytetext/kernels.h"
#include "filefuncs/bytetext/layout.h"

namespace avx512 {
namespace {

using namespace bytetext;

template <uint32_t Code>
void fixed_code(char16_t* out, const uint8_t* bytes, size_t n, bool lower) {
    static constexpr FixedPiece piece = fixed_piece(Code);
    static constexpr PermuteLayout layout = permute_layout(Code);
    if (n < 64) return scalar_fixed(out, bytes, n, Code, lower);
    // The stores on 64-byte boundaries where a piece within the first 32 reaches one.
    const size_t start = store_start(out, piece.width, 64, false).start;
    scalar_fixed(out, bytes, start, Code, lower);
    const __m512i table =
        _mm512_broadcast_i32x4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lower ? HEX_LOWER : HEX_UPPER)));
    size_t i = start;
    for (; i + 32 <= n; i += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i));
        char16_t* to = out + i * piece.width;
        const __m256i nibble = _mm256_set1_epi8(0x0F);
        const __m512i nibbles = _mm512_inserti64x4(
            _mm512_castsi256_si512(_mm256_and_si256(_mm256_srli_epi16(x, 4), nibble)), _mm256_and_si256(x, nibble), 1);
        const __m512i digits = _mm512_shuffle_epi8(table, nibbles);
#pragma GCC unroll 3
        for (uint32_t s = 0; s < layout.stores; ++s) {
            const __m512i text =
                _mm512_maskz_permutexvar_epi8(layout.digits[s], _mm512_load_si512(layout.index[s]), digits);
            _mm512_storeu_si512(to + 32 * s, _mm512_or_si512(text, _mm512_load_si512(layout.fill[s])));
        }
    }
    scalar_fixed(out + i * piece.width, bytes + i, n - i, Code, lower);
}

}  // namespace
}  // namespace avx512

// Codes 2 and 7 (and 0x82): a permute a store of 32 characters beat AVX2's kernel by 13%
// here. The notations with more characters a piece (codes 1, 5 and 6) take AVX2's: one
// permute port for whole registers, against two shuffle ports for halves, lost by 20 to 30%
// there (bench/README.md).
void avx512_fixed(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower) {
    if (code == 2 || code == 7) return avx512::fixed_code<2>(out, bytes, n, lower);
    avx2_fixed(out, bytes, n, code, lower);
}
