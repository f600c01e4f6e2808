// SSSE3: the digit planes of a block's groups of bytes, and each 16-byte store of text by
// one byte shuffle of them, in the layout the AVX2 path takes a half at a time. Built with -mssse3; run only where the processor has it.
#include <tmmintrin.h>

#include <utility>

#include "filefuncs/bytetext/layout.h"
#include "filefuncs/bytetext/kernels.h"

namespace {

using namespace bytetext;

// The digit planes of the groups of a block of 16 bytes, all at once: 2 groups of
// hexadecimal digits (the high nibbles' digits of 8 bytes, then the low ones'), or 4 of
// octal (the 64s', 8s' and 1s' digits of 4 bytes, then the fixed characters).
template <uint32_t Digits>
void digit_groups(__m128i x, __m128i table_or_fixed, __m128i* g) {
    if constexpr (Digits == 2) {
        const __m128i nibble = _mm_set1_epi8(0x0F);
        const __m128i high = _mm_and_si128(_mm_srli_epi16(x, 4), nibble);
        const __m128i low = _mm_and_si128(x, nibble);
        g[0] = _mm_shuffle_epi8(table_or_fixed, _mm_unpacklo_epi64(high, low));
        g[1] = _mm_shuffle_epi8(table_or_fixed, _mm_unpackhi_epi64(high, low));
    } else {
        const __m128i zero_digit = _mm_set1_epi8('0');
        const __m128i d2 = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(x, 6), _mm_set1_epi8(0x03)), zero_digit);
        const __m128i d1 = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(x, 3), _mm_set1_epi8(0x07)), zero_digit);
        const __m128i d0 = _mm_or_si128(_mm_and_si128(x, _mm_set1_epi8(0x07)), zero_digit);
        const __m128i a = _mm_unpacklo_epi32(d2, d1), b = _mm_unpacklo_epi32(d0, table_or_fixed);
        const __m128i c = _mm_unpackhi_epi32(d2, d1), d = _mm_unpackhi_epi32(d0, table_or_fixed);
        g[0] = _mm_unpacklo_epi64(a, b);
        g[1] = _mm_unpackhi_epi64(a, b);
        g[2] = _mm_unpacklo_epi64(c, d);
        g[3] = _mm_unpackhi_epi64(c, d);
    }
}

template <uint32_t Code, uint32_t Phase>
struct Block {
    static constexpr FixedPiece PIECE = fixed_piece(Code);
    static constexpr WideLayout LAYOUT = wide_layout(Code, Phase);
    static_assert(LAYOUT.valid, "a phase whose characters before the block are not all fixed");
    static constexpr uint32_t GROUPS = PIECE.digits == 2 ? 2 : 4;

    template <size_t Half>
    static void store(char16_t* out, const __m128i* g) {
        constexpr uint32_t s = Half / 2, at = 16 * (Half % 2);
        constexpr uint32_t group = Half % 2 ? LAYOUT.group_high[s] : LAYOUT.group_low[s];
        const __m128i control = _mm_loadu_si128(reinterpret_cast<const __m128i*>(LAYOUT.control[s] + at));
        __m128i text = _mm_shuffle_epi8(g[group], control);
        if constexpr (PIECE.digits == 2)
            text = _mm_or_si128(text, _mm_loadu_si128(reinterpret_cast<const __m128i*>(LAYOUT.fill[s] + at)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8 * Half), text);
    }

    template <size_t... Half>
    static void stores(char16_t* out, const __m128i* g, [[maybe_unused]] std::index_sequence<Half...> order) {
        (store<Half>(out, g), ...);
    }

    // The text of bytes[0..16) at out, the stores starting Phase characters before it.
    static void text(char16_t* out, const uint8_t* bytes, __m128i table_or_fixed) {
        __m128i g[GROUPS];
        digit_groups<PIECE.digits>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)), table_or_fixed, g);
        stores(out - Phase, g, std::make_index_sequence<2 * LAYOUT.stores>{});
    }

    static void run(char16_t* out, const uint8_t* bytes, size_t n, bool lower, size_t start, __m128i table_or_fixed) {
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
    __m128i table_or_fixed;
    if constexpr (piece.digits == 2) {
        table_or_fixed = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower ? HEX_LOWER : HEX_UPPER));
    } else {
        const int32_t fixed = ' ' | '0' << 8 | int32_t(piece.letter) << 16;
        table_or_fixed = _mm_set1_epi32(fixed);
    }
    if (n < 32) return scalar_fixed(out, bytes, n, Code, lower);
    // Odd widths reach a boundary without a phase: theirs would never run.
    constexpr bool PHASED = piece.width % 2 == 0 && wide_layout(Code, 1).valid;
    const StoreStart at = store_start(out, piece.width, 16, PHASED);
    if constexpr (PHASED)
        if (at.phase != 0) return Block<Code, 1>::run(out, bytes, n, lower, at.start, table_or_fixed);
    Block<Code, 0>::run(out, bytes, n, lower, at.start, table_or_fixed);
}

void fixed(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower) {
    with_fixed_code(code, [&](auto c) { fixed_code<decltype(c)::value>(out, bytes, n, lower); });
}

}  // namespace

const ByteTextKernels SSSE3_KERNELS = {fixed, ssse3_decimal};
