// AVX-512 (F, BW and VBMI): the two-digit hexadecimal notation a store of 64 bytes at a
// time, each one byte permute across the whole register of a block's digits, merged into
// its fixed characters. Built with the matching -m flags; run only where the processor has
// them and the system saves the ZMM and mask state.
#include <immintrin.h>

// GCC 12's own 512-bit broadcasts start from an undefined register and then warn of it.
#if defined(__GNUC__) && !defined(__clang__)
#    pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "filefuncs/bytetext/layout.h"
#include "filefuncs/bytetext/paths.h"

namespace {

using namespace bytetext;

const char HEX_UPPER[17] = "0123456789ABCDEF";
const char HEX_LOWER[17] = "0123456789abcdef";

// The digits of 32 bytes: the high nibbles', then the low nibbles'.
__m512i hex_digits(const uint8_t* bytes, __m512i table) {
    const __m512i x = _mm512_broadcast_i64x4(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes)));
    const __m512i nibbles =
        _mm512_and_si512(_mm512_mask_blend_epi64(0xF0, _mm512_srli_epi16(x, 4), x), _mm512_set1_epi8(0x0F));
    return _mm512_shuffle_epi8(table, nibbles);
}

// The pieces of 32 bytes at out: 96 characters, three stores.
constexpr PermuteLayout LAYOUT = permute_layout(2);

template <size_t S>
void store(char16_t* out, __m512i digits) {
    const __m512i index = _mm512_loadu_si512(LAYOUT.index[S]);
    const __m512i fill = _mm512_loadu_si512(LAYOUT.fill[S]);
    _mm512_storeu_si512(out + 32 * S, _mm512_mask_permutexvar_epi8(fill, LAYOUT.digits[S], index, digits));
}

void hex_text(char16_t* out, const uint8_t* bytes, size_t n, bool lower, size_t start) {
    const __m512i table =
        _mm512_broadcast_i32x4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lower ? HEX_LOWER : HEX_UPPER)));
    scalar_fixed(out, bytes, start, 2, lower);
    size_t i = start;
    for (; i + 32 <= n; i += 32) {
        const __m512i digits = hex_digits(bytes + i, table);
        store<0>(out + 3 * i, digits);
        store<1>(out + 3 * i, digits);
        store<2>(out + 3 * i, digits);
    }
    scalar_fixed(out + 3 * i, bytes + i, n - i, 2, lower);
}

// The first piece, among the first 16, whose text starts on a 32-byte boundary, where a
// 64-byte store is two whole halves (pieces of an odd width always reach one).
size_t aligned_start(const char16_t* out, size_t width) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(out);
    size_t i = 0;
    while ((at + i * width * sizeof(char16_t)) % 32 != 0 && i < 16) ++i;
    return i;
}

}  // namespace

// Codes 2 and 7 here; the others take AVX2's kernel, which a permute over whole registers
// did not beat by the 5% that pays for a second kernel (bench/README.md).
void avx512_fixed(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower) {
    if (fixed_piece(code).width != 3 || n < 64) return AVX2_KERNELS.fixed(out, bytes, n, code, lower);
    hex_text(out, bytes, n, lower, aligned_start(out, 3));
}
