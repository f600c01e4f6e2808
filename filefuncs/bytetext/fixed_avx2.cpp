// AVX2: the digit planes of each group of bytes in both halves of a register, and each
// 32-byte store of text by one byte shuffle of them. Built with
// -mavx2; run only where the processor has it and the system saves the YMM state.
#include <immintrin.h>
#include <string.h>

#include <utility>

#include "filefuncs/bytetext/layout.h"
#include "filefuncs/bytetext/kernels.h"

namespace {

using namespace bytetext;

// A group of 4 bytes as its octal digit planes, in both halves: the 64s', 8s' and 1s'
// digits, then the fixed characters.
__m256i octal_group(const uint8_t* bytes, __m256i fixed) {
    int32_t four;
    memcpy(&four, bytes, sizeof four);
    const __m256i x = _mm256_set1_epi32(four);
    const __m256i shifted = _mm256_srlv_epi32(x, _mm256_setr_epi32(6, 3, 0, 0, 6, 3, 0, 0));
    const __m256i planes = _mm256_and_si256(
        shifted, _mm256_setr_epi32(0x03030303, 0x07070707, 0x07070707, 0, 0x03030303, 0x07070707, 0x07070707, 0));
    return _mm256_or_si256(planes, fixed);
}

template <uint32_t Code, uint32_t Phase>
struct Block {
    static constexpr FixedPiece PIECE = fixed_piece(Code);
    static constexpr WideLayout LAYOUT = wide_layout(Code, Phase);
    static_assert(LAYOUT.valid, "a phase whose characters before the block are not all fixed");
    static constexpr uint32_t GROUPS = PIECE.digits == 2 ? 2 : 4;

    template <size_t S>
    static void store(char16_t* out, const __m256i* g) {
        constexpr uint32_t low = LAYOUT.group_low[S], high = LAYOUT.group_high[S];
        __m256i source = g[low];
        if constexpr (low != high) source = _mm256_blend_epi32(g[low], g[high], 0xF0);
        const __m256i control = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(LAYOUT.control[S]));
        __m256i text = _mm256_shuffle_epi8(source, control);
        if constexpr (PIECE.digits == 2)
            text = _mm256_or_si256(text, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(LAYOUT.fill[S])));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 16 * S), text);
    }

    template <size_t... S>
    static void stores(char16_t* out, const __m256i* g, [[maybe_unused]] std::index_sequence<S...> order) {
        (store<S>(out, g), ...);
    }

    // The text of bytes[0..16) at out, the stores starting Phase characters before it.
    static void text(char16_t* out, const uint8_t* bytes, __m256i table_or_fixed) {
        __m256i g[GROUPS];
        if constexpr (PIECE.digits == 2) {
            // Both halves hold all 16 bytes: the nibbles' digits, then 8 bytes' high and low.
            const __m256i x = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)));
            const __m256i nibble = _mm256_set1_epi8(0x0F);
            const __m256i high = _mm256_shuffle_epi8(table_or_fixed, _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble));
            const __m256i low = _mm256_shuffle_epi8(table_or_fixed, _mm256_and_si256(x, nibble));
            g[0] = _mm256_unpacklo_epi64(high, low);
            g[1] = _mm256_unpackhi_epi64(high, low);
        } else {
#pragma GCC unroll 4
            for (uint32_t k = 0; k < GROUPS; ++k) g[k] = octal_group(bytes + 4 * k, table_or_fixed);
        }
        stores(out - Phase, g, std::make_index_sequence<LAYOUT.stores>{});
    }

    static void run(char16_t* out, const uint8_t* bytes, size_t n, bool lower, size_t start, __m256i table_or_fixed) {
        scalar_fixed(out, bytes, start, Code, lower);
        size_t i = start;
        for (; i + 16 <= n; i += 16) text(out + i * PIECE.width, bytes + i, table_or_fixed);
        // The stores of a phase leave the end of the last piece (at least one block ran: n is
        // 32 or more, start 16 or less): it is written again whole.
        if (Phase != 0) --i;
        scalar_fixed(out + i * PIECE.width, bytes + i, n - i, Code, lower);
    }
};

template <uint32_t Code>
void fixed_code(char16_t* out, const uint8_t* bytes, size_t n, bool lower) {
    static constexpr FixedPiece piece = fixed_piece(Code);
    __m256i table_or_fixed;
    if constexpr (piece.digits == 2) {
        table_or_fixed = _mm256_broadcastsi128_si256(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower ? HEX_LOWER : HEX_UPPER)));
    } else {
        const int32_t fixed = ' ' | '0' << 8 | int32_t(piece.letter) << 16;
        const int32_t zeros = '0' * 0x01010101;
        table_or_fixed = _mm256_setr_epi32(zeros, zeros, zeros, fixed, zeros, zeros, zeros, fixed);
    }
    if (n < 32) return scalar_fixed(out, bytes, n, Code, lower);
    // Odd widths reach a boundary without a phase: theirs would never run.
    constexpr bool PHASED = piece.width % 2 == 0 && wide_layout(Code, 1).valid;
    const StoreStart at = store_start(out, piece.width, 32, PHASED);
    if constexpr (PHASED)
        if (at.phase != 0) return Block<Code, 1>::run(out, bytes, n, lower, at.start, table_or_fixed);
    Block<Code, 0>::run(out, bytes, n, lower, at.start, table_or_fixed);
}

void fixed(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower) {
    with_fixed_code(code, [&](auto c) { fixed_code<decltype(c)::value>(out, bytes, n, lower); });
}

}  // namespace

const ByteTextKernels AVX2_KERNELS = {fixed, avx2_decimal};
