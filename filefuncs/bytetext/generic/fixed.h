// The notations of one piece length (codes 1, 2, 5, 6, 7) for the levels with a byte
// shuffle: the digit planes of a block's groups of bytes in every lane, and each store of
// text by one byte shuffle of them (layout.h, WideLayout). A store takes a register: half
// of a WideLayout row on SSSE3, a whole row on AVX2, whose lanes may take two groups.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <utility>

#include "filefuncs/bytetext/generic/planes.h"
#include "filefuncs/bytetext/kernels.h"
#include "filefuncs/bytetext/layout.h"
#include "simd/vector.h"

namespace SIMD_NAMESPACE {

using namespace bytetext;

// The digit planes of the groups of the 16 bytes at bytes, in every lane: 2 groups of
// hexadecimal digits (the high nibbles' digits of 8 bytes, then the low ones'), or 4 of
// octal (the 64s', 8s' and 1s' digits of 4 bytes, then the fixed characters).
template <uint32_t Digits>
void digit_groups(const uint8_t* bytes, Reg table_or_fixed, Reg* g) {
    const Reg x = load_lanes(bytes);
    if constexpr (Digits == 2) {
        const Reg nibble = SIMD_OP(set1_epi8)(0x0F);
        const Reg high = SIMD_OP(shuffle_epi8)(table_or_fixed, and_of(SIMD_OP(srli_epi16)(x, 4), nibble));
        const Reg low = SIMD_OP(shuffle_epi8)(table_or_fixed, and_of(x, nibble));
        g[0] = SIMD_OP(unpacklo_epi64)(high, low);
        g[1] = SIMD_OP(unpackhi_epi64)(high, low);
    } else {
        Reg d2, d1, d0;
        octal_planes(x, &d2, &d1, &d0);
        const Reg a = SIMD_OP(unpacklo_epi32)(d2, d1), b = SIMD_OP(unpacklo_epi32)(d0, table_or_fixed);
        const Reg c = SIMD_OP(unpackhi_epi32)(d2, d1), d = SIMD_OP(unpackhi_epi32)(d0, table_or_fixed);
        g[0] = SIMD_OP(unpacklo_epi64)(a, b);
        g[1] = SIMD_OP(unpackhi_epi64)(a, b);
        g[2] = SIMD_OP(unpacklo_epi64)(c, d);
        g[3] = SIMD_OP(unpackhi_epi64)(c, d);
    }
}

template <uint32_t Code, uint32_t Phase>
struct Block {
    static constexpr FixedPiece PIECE = fixed_piece(Code);
    static constexpr WideLayout LAYOUT = wide_layout(Code, Phase);
    static_assert(LAYOUT.valid, "a phase whose characters before the block are not all fixed");
    static constexpr uint32_t GROUPS = PIECE.digits == 2 ? 2 : 4;

    // Store S: the text's 16-byte halves from S * LANES on, each from one group.
    template <size_t S>
    static void store_text(char16_t* out, const Reg* g) {
        constexpr uint32_t first = S * LANES, row = first / 2;
        constexpr uint32_t low = first % 2 ? LAYOUT.group_high[row] : LAYOUT.group_low[row];
        constexpr uint32_t high = LANES == 2 ? LAYOUT.group_high[row] : low;
        Reg source = g[low];
        if constexpr (low != high) source = join_lanes(g[low], g[high]);
        Reg text = SIMD_OP(shuffle_epi8)(source, load(LAYOUT.control[row] + 16 * (first % 2)));
        if constexpr (PIECE.digits == 2) text = or_of(text, load(LAYOUT.fill[row] + 16 * (first % 2)));
        store(out + 8 * first, text);
    }

    template <size_t... S>
    static void stores(char16_t* out, const Reg* g, [[maybe_unused]] std::index_sequence<S...> order) {
        (store_text<S>(out, g), ...);
    }

    // The text of bytes[0..16) at out, the stores starting Phase characters before it.
    static void text(char16_t* out, const uint8_t* bytes, Reg table_or_fixed) {
        Reg g[GROUPS];
        digit_groups<PIECE.digits>(bytes, table_or_fixed, g);
        stores(out - Phase, g, std::make_index_sequence<2 * LAYOUT.stores / LANES>{});
    }

    static void run(char16_t* out, const uint8_t* bytes, size_t n, bool lower, size_t start, Reg table_or_fixed) {
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
    Reg table_or_fixed;
    if constexpr (piece.digits == 2) table_or_fixed = load_lanes(lower ? HEX_LOWER : HEX_UPPER);
    else table_or_fixed = SIMD_OP(set1_epi32)(' ' | '0' << 8 | int32_t(piece.letter) << 16);
    if (n < 32) return scalar_fixed(out, bytes, n, Code, lower);
    // Odd widths reach a boundary without a phase: theirs would never run.
    constexpr bool PHASED = piece.width % 2 == 0 && wide_layout(Code, 1).valid;
    const StoreStart at = store_start(out, piece.width, BYTES, PHASED);
    if constexpr (PHASED)
        if (at.phase != 0) return Block<Code, 1>::run(out, bytes, n, lower, at.start, table_or_fixed);
    Block<Code, 0>::run(out, bytes, n, lower, at.start, table_or_fixed);
}

inline void fixed(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower) {
    with_fixed_code(code, [&](auto c) { fixed_code<decltype(c)::value>(out, bytes, n, lower); });
}

}  // namespace SIMD_NAMESPACE
