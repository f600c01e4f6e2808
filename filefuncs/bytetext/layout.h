// Where each character of the text of a block of bytes comes from, worked out at compile
// time for the vector paths: shuffle controls that put digits computed in bulk into their
// places among the pieces' fixed characters. Only constant data may come from here: the
// files that include it are each built for another instruction set, and an inline function
// they shared at run time would be linked once, built for any one of them.
#pragma once
#include <stdint.h>

#include <type_traits>

namespace bytetext {

// The pieces of one notation whose pieces have one length (codes 1, 2, 5, 6, 7).
struct FixedPiece {
    uint8_t width;    // characters, the space included
    uint8_t prefix;   // characters before the digits: 2 ("0x", "0o") or 0
    uint8_t digits;   // 2 hexadecimal or 3 octal
    char16_t letter;  // the prefix's second character
};

constexpr FixedPiece fixed_piece(uint32_t code) {
    switch (code & 7) {
    case 1: return {5, 2, 2, u'x'};
    case 5: return {6, 2, 3, u'o'};
    case 6: return {4, 0, 3, 0};
    default: return {3, 0, 2, 0};  // 2 and 7
    }
}

// Calls kernel with the code, as a compile-time constant, of a notation of one piece
// length; codes 2 and 7 share their pieces.
template <typename Kernel>
void with_fixed_code(uint32_t code, Kernel kernel) {
    switch (code) {
    case 1: kernel(std::integral_constant<uint32_t, 1>{}); break;
    case 5: kernel(std::integral_constant<uint32_t, 5>{}); break;
    case 6: kernel(std::integral_constant<uint32_t, 6>{}); break;
    default: kernel(std::integral_constant<uint32_t, 2>{}); break;
    }
}

// The same for the decimal notations, with the kernel's result.
template <typename Kernel>
auto with_decimal_code(uint32_t code, Kernel kernel) {
    switch (code) {
    case 3: return kernel(std::integral_constant<uint32_t, 3>{});
    case 4: return kernel(std::integral_constant<uint32_t, 4>{});
    default: return kernel(std::integral_constant<uint32_t, 0>{});
    }
}

// The hexadecimal digits for nibble look-ups, loaded 16 bytes at a time.
constexpr char HEX_UPPER[17] = "0123456789ABCDEF";
constexpr char HEX_LOWER[17] = "0123456789abcdef";

// Digits are computed a group of bytes at a time into "planes": digit d of byte i of the
// group is at d * group + i. Hexadecimal: 8 bytes, planes high and low (16 bytes);
// octal: 4 bytes, planes of 64s, 8s and 1s (12 bytes). A block of 16 bytes is 2 or 4
// groups, and its text is 2 * width lanes of 8 characters, each lane within one group.
constexpr uint8_t ZERO_LANE = 0x80;  // a shuffle control byte that gives 0

// The text of a block a store of 32 bytes (16 characters, two lanes) at a time; the path
// with 128-bit registers takes each half on its own. Each half is one byte shuffle of one
// group's planes. Octal planes leave 4 bytes of a group free, and the fixed characters are
// put there (OCTAL_SPACE on) for the shuffle to place too; hexadecimal planes fill their
// group, and the fixed characters are added after (fill).
//
// The stores can start `phase` characters before the block's text, so that they stay
// aligned where no piece starts on a store boundary: those characters end the previous
// piece, and only phases where they are its fixed characters are laid out (valid).
constexpr uint8_t OCTAL_SPACE = 12, OCTAL_ZERO = 13, OCTAL_LETTER = 14;

struct WideLayout {
    bool valid;
    uint8_t stores;  // the width in characters: 16 bytes of text are 2 * width lanes
    uint8_t group_low[6], group_high[6];
    alignas(32) uint8_t control[6][32];
    alignas(32) uint8_t fill[6][32];  // hexadecimal only
};

constexpr WideLayout wide_layout(uint32_t code, uint32_t phase) {
    const FixedPiece f = fixed_piece(code);
    const bool octal = f.digits == 3;
    const uint32_t group = octal ? 4 : 8;
    WideLayout w{};
    w.valid = phase < f.width;
    w.stores = f.width;
    for (uint32_t s = 0; s < w.stores; ++s) {
        int32_t half_group[2] = {-1, -1};
        for (uint32_t b = 0; b < 32; ++b) {
            w.control[s][b] = ZERO_LANE;
            if (b % 2) continue;  // the high byte of a character
            const int32_t t = int32_t(16 * s + b / 2) - int32_t(phase);
            const uint32_t j = uint32_t(t + int32_t(f.width)) % f.width;  // place in its piece
            char16_t fixed = j + 1 == f.width ? u' ' : j < f.prefix ? (j == 0 ? u'0' : f.letter) : 0;
            if (fixed) {
                if (octal) w.control[s][b] = fixed == ' ' ? OCTAL_SPACE : fixed == '0' ? OCTAL_ZERO : OCTAL_LETTER;
                else w.fill[s][b] = uint8_t(fixed);
                continue;
            }
            if (t < 0) w.valid = false;  // a digit of the previous block's last byte
            const uint32_t byte = uint32_t(t) / f.width;
            int32_t& g = half_group[b / 16];
            if (g >= 0 && uint32_t(g) != byte / group) w.valid = false;
            g = int32_t(byte / group);
            w.control[s][b] = uint8_t((j - f.prefix) * group + byte % group);
        }
        // A half of fixed characters alone takes its neighbour's group.
        if (half_group[0] < 0) half_group[0] = half_group[1];
        if (half_group[1] < 0) half_group[1] = half_group[0];
        w.group_low[s] = uint8_t(half_group[0] < 0 ? 0 : half_group[0]);
        w.group_high[s] = uint8_t(half_group[1] < 0 ? 0 : half_group[1]);
    }
    return w;
}

// The notations of one piece length for AVX-512 (codes 2 and 7 take it): the text of 32
// bytes in `stores` stores of 32 characters, each one byte permute over a whole register of
// the block's digits (the high nibbles' digits of the 32 bytes, then the low ones'), with
// the fixed characters added after.
struct PermuteLayout {
    uint8_t stores;
    uint64_t digits[6];  // the bytes of each store a permute fills: the low byte of each digit
    alignas(64) uint8_t index[6][64];
    alignas(64) uint8_t fill[6][64];
};

constexpr PermuteLayout permute_layout(uint32_t code) {
    const FixedPiece f = fixed_piece(code);
    PermuteLayout p{};
    p.stores = f.width;
    for (uint32_t s = 0; s < p.stores; ++s)
        for (uint32_t c = 0; c < 32; ++c) {
            const uint32_t t = 32 * s + c, byte = t / f.width, j = t % f.width;  // j: place in its piece
            const char16_t fixed = j + 1 == f.width ? u' ' : j < f.prefix ? (j == 0 ? u'0' : f.letter) : 0;
            if (fixed) {
                p.fill[s][2 * c] = uint8_t(fixed);
                continue;
            }
            p.index[s][2 * c] = uint8_t((j - f.prefix) * 32 + byte);
            p.digits[s] |= 1ull << (2 * c);
        }
    return p;
}

// The decimal notations (codes 0, 3, 4) for AVX-512: each byte's piece in a slot of fixed
// places, one byte a place, and a register of slots closed up by a byte compress. Code 0's
// slots "hto " (hundreds, tens, ones, space) take 16 bytes a register, two a pass of 32;
// codes 3 and 4's "shto " take 12, two a pass of 24 (a third would want more than the 32
// bytes whose digits a pass works out).
//
// Slots are drawn from two registers of a word a byte, code 0's "ht" and "o " (first,
// second) by a permute of words, codes 3 and 4's "sh" and "to" by one of bytes. A pass of
// codes 3 and 4 leaves the words from 24 on free, and their spaces come from word 24 of
// first, made "  " once a pass.
//
// Which places a piece keeps: the ones and the space always; the tens, hundreds and sign
// where the byte shows them. Per place, the slots' bits, one a byte, so that a bit deposit
// spreads one bit a byte (tens shown, say) over them.
struct CompressLayout {
    uint8_t per_register, registers, per_pass;
    alignas(64) uint16_t words[2][32];  // code 0: the two-source permute of each register
    alignas(64) uint8_t bytes[2][64];   // codes 3 and 4: the same, of bytes
    uint64_t always, signs, hundreds, tens;
};

constexpr CompressLayout compress_layout(uint32_t code) {
    CompressLayout s{};
    const bool sign = code != 0;
    const uint32_t width = sign ? 5 : 4;  // a slot's places
    s.per_register = uint8_t(64 / width);
    s.registers = 2;
    s.per_pass = uint8_t(s.per_register * s.registers);
    for (uint32_t r = 0; r < s.registers; ++r)
        for (uint32_t j = 0; j < s.per_register; ++j) {
            const uint32_t v = r * s.per_register + j;
            if (!sign) {
                s.words[r][2 * j] = uint16_t(v);
                s.words[r][2 * j + 1] = uint16_t(32 + v);
                continue;
            }
            s.bytes[r][width * j] = uint8_t(2 * v);
            s.bytes[r][width * j + 1] = uint8_t(2 * v + 1);
            s.bytes[r][width * j + 2] = uint8_t(64 + 2 * v);
            s.bytes[r][width * j + 3] = uint8_t(64 + 2 * v + 1);
            s.bytes[r][width * j + 4] = 2 * 24;
        }
    for (uint32_t j = 0; j < s.per_register; ++j) {
        const uint32_t slot = width * j;
        if (sign) {
            s.signs |= 1ull << slot;
            if (code == 4) s.always |= 1ull << slot;
        }
        const uint32_t h = slot + (sign ? 1 : 0);
        s.hundreds |= 1ull << h;
        s.tens |= 1ull << (h + 1);
        s.always |= 3ull << (h + 2);  // the ones and the space
    }
    return s;
}

// Codes 3 and 4 take 12 bytes a block, spread so that every fourth lane is a dummy of 0
// (its field's sign place then holds the space: ' ' there instead of '+').
alignas(16) constexpr uint8_t SPREAD[16] = {0, 1, 2, ZERO_LANE, 3, 4,  5,  ZERO_LANE,
                                            6, 7, 8, ZERO_LANE, 9, 10, 11, ZERO_LANE};
alignas(16) constexpr uint8_t SIGN_BASE[16] = {'+', '+', '+', ' ', '+', '+', '+', ' ',
                                               '+', '+', '+', ' ', '+', '+', '+', ' '};

// The decimal notations for paths without a compress: a byte shuffle a group of pieces.
// Each byte's digits sit in a field of 4 characters "shto" (sign, hundreds, tens, ones); a
// group's fields fill 16 bytes, and a shuffle control picked by what each piece shows
// (its digits, its sign) closes them up into the group's text. Code 0 takes 4 pieces a
// group, its fields' first character a space that ends each piece. Codes 3 and 4 take 3, up
// to 5 characters each: the fourth field is a dummy whose sign place holds their spaces.
//
// A group's index is the sum over its pieces of weight * state, where a piece's state is
// its digits less one, plus 3 for a minus sign in code 3 (code 4 always shows its sign).
struct DecimalGroups {
    uint8_t pieces, states;
    uint8_t weight[4];
    uint16_t entries;
    uint8_t most;  // characters a group's text takes at most
    alignas(16) uint8_t control[216][16];
    uint8_t length[216];  // characters of the group's text
};

constexpr DecimalGroups decimal_groups(uint32_t code) {
    DecimalGroups g{};
    g.pieces = code == 0 ? 4 : 3;
    g.states = code == 3 ? 6 : 3;
    g.entries = 1;
    for (uint32_t i = 0; i < g.pieces; ++i) {
        g.weight[i] = uint8_t(g.entries);
        g.entries = uint16_t(g.entries * g.states);
    }
    g.most = uint8_t(g.pieces * (code == 0 ? 4 : 5));
    for (uint32_t e = 0; e < g.entries; ++e) {
        uint32_t at = 0, rest = e;
        for (uint32_t i = 0; i < g.pieces; ++i) {
            const uint32_t state = rest % g.states, shown = state % 3 + 1;
            rest /= g.states;
            const bool sign = code == 4 || (code == 3 && state >= 3);
            if (sign) g.control[e][at++] = uint8_t(4 * i);
            for (uint32_t d = 4 - shown; d < 4; ++d) g.control[e][at++] = uint8_t(4 * i + d);
            g.control[e][at++] = uint8_t(code == 0 ? 4 * i : 12);
        }
        g.length[e] = uint8_t(at);
        while (at < 16) g.control[e][at++] = ZERO_LANE;
    }
    return g;
}

template <uint32_t Code>
inline constexpr DecimalGroups DECIMAL_GROUPS = decimal_groups(Code);

}  // namespace bytetext
