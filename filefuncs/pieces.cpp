#include "filefuncs/pieces.h"

namespace {

struct Writer {
    char16_t* text;
    uint8_t n;
};

constexpr void put(Writer& w, char16_t c) { w.text[w.n++] = c; }

// value in base, zero-padded to at least width digits.
constexpr void put_number(Writer& w, uint32_t value, uint32_t base, int width) {
    char16_t digits[8] = {};
    int n = 0;
    do {
        digits[n++] = u"0123456789ABCDEF"[value % base];
        value /= base;
    } while (value != 0);
    for (int pad = width - n; pad > 0; --pad) put(w, u'0');
    while (n > 0) put(w, digits[--n]);
}

// The notations: 0 "%u ", 1 "0x%02X ", 2 and 7 "%02X ", 3 "%d " and 4 "%+d " of the byte
// taken as signed, 5 "0o%03o ", 6 "%03o ".
constexpr void put_piece(Writer& w, uint32_t code, uint32_t byte) {
    int32_t signed_byte = byte < 128 ? int32_t(byte) : int32_t(byte) - 256;
    uint32_t magnitude = uint32_t(signed_byte < 0 ? -signed_byte : signed_byte);
    switch (code) {
    case 0: put_number(w, byte, 10, 1); break;
    case 1:
        put(w, u'0');
        put(w, u'x');
        put_number(w, byte, 16, 2);
        break;
    case 3:
        if (signed_byte < 0) put(w, u'-');
        put_number(w, magnitude, 10, 1);
        break;
    case 4:
        put(w, signed_byte < 0 ? u'-' : u'+');
        put_number(w, magnitude, 10, 1);
        break;
    case 5:
        put(w, u'0');
        put(w, u'o');
        put_number(w, byte, 8, 3);
        break;
    case 6: put_number(w, byte, 8, 3); break;
    default: put_number(w, byte, 16, 2); break;  // 2 and 7
    }
    put(w, u' ');
}

constexpr char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

constexpr PieceSet make_set(uint32_t code, bool lower_case) {
    PieceSet set{};
    for (uint32_t b = 0; b < 256; ++b) {
        Writer w{set.text[b], 0};
        put_piece(w, code, b);
        set.length[b] = w.n;
        if (lower_case)
            for (char16_t& c : set.text[b]) c = lower(c);
    }
    set.shortest = set.longest = set.length[0];
    for (uint32_t b = 1; b < 256; ++b) {
        if (set.length[b] < set.shortest) set.shortest = set.length[b];
        if (set.length[b] > set.longest) set.longest = set.length[b];
    }
    return set;
}

constexpr PieceSet PIECE_SETS[2][8] = {
    {make_set(0, false), make_set(1, false), make_set(2, false), make_set(3, false), make_set(4, false),
     make_set(5, false), make_set(6, false), make_set(7, false)},
    {make_set(0, true), make_set(1, true), make_set(2, true), make_set(3, true), make_set(4, true), make_set(5, true),
     make_set(6, true), make_set(7, true)},
};

}  // namespace

const PieceSet& byte_pieces(uint32_t code, bool lower_case) { return PIECE_SETS[lower_case][code & 7]; }
