// The reference implementation: one piece a byte from the tables of filefuncs/pieces.
#include <string.h>

#include "filefuncs/bytetext/bytetext.h"
#include "filefuncs/bytetext/kernels.h"
#include "text/chars.h"

namespace {

// Pieces are copied a whole slot at a time; what lands past a piece is overwritten by the
// next one or cut off by the final NUL. The result never overlaps the bytes or the tables
// (restrict): otherwise every store to it could change them, and each byte and piece
// length would be loaded again after each store.

// Places the pieces of n bytes from at on, with no check: the caller has made sure that
// every slot fits. Returns where the next piece goes.
size_t place_pieces(char16_t* result, size_t at, const uint8_t* __restrict bytes, size_t n, const PieceSet& set) {
    if (set.shortest == set.longest) {
        // Where each piece goes is known beforehand; no running length to wait for.
        const size_t piece = set.longest;
#pragma GCC unroll 4
        for (size_t i = 0; i < n; ++i) memcpy(result + at + i * piece, set.text[bytes[i]], sizeof set.text[0]);
        return at + n * piece;
    }
#pragma GCC unroll 4
    for (size_t i = 0; i < n; ++i) {
        memcpy(result + at, set.text[bytes[i]], sizeof set.text[0]);
        at += set.length[bytes[i]];
    }
    return at;
}

// Joins the pieces of the bytes into result, never measuring the text, and gives its length.
// Returns false, with the pieces that fitted left in result, when the text would reach the
// capacity.
bool join_pieces(char16_t* result, size_t cap, const uint8_t* __restrict bytes, size_t n, const PieceSet& set,
                 size_t* length) {
    size_t at = 0;
    size_t i = 0;
    // While a slot and the NUL after it fit, so does the piece: how many pieces surely fit
    // follows from the longest one, and they go in without a check.
    while (i < n && at + PIECE_SLOT < cap) {
        size_t sure = (cap - 1 - PIECE_SLOT - at) / set.longest + 1;
        size_t take = n - i < sure ? n - i : sure;
        at = place_pieces(result, at, bytes + i, take, set);
        i += take;
    }
    // The last few, near the capacity, one by one.
    for (; i < n; ++i) {
        size_t piece = set.length[bytes[i]];
        if (at + piece >= cap) {
            result[at] = 0;
            return false;
        }
        memcpy(result + at, set.text[bytes[i]], piece * sizeof(char16_t));
        at += piece;
    }
    if (at > 0 && result[at - 1] == u' ') --at;
    result[at] = 0;
    *length = at;
    return true;
}

}  // namespace

// The lower-case flag applies to a finished text, and the pieces an overflow leaves behind
// keep their upper-case letters: so lower-case pieces are joined only where the text surely
// fits, and elsewhere the flag is applied after the join.
bool scalar_byte_text(char16_t* result, size_t cap, const uint8_t* bytes, size_t n, uint32_t format) {
    const uint32_t code = format & BYTETEXT_CODE_BITS;
    const bool lower = (format & BYTETEXT_LOWER_CASE) != 0;
    const bool lower_pieces = lower && n * byte_pieces(code, false).longest < cap;
    size_t length;
    if (!join_pieces(result, cap, bytes, n, byte_pieces(code, lower_pieces), &length)) return false;
    if (lower && !lower_pieces) text_lower_inplace(result, length);
    return true;
}

void scalar_fixed(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower) {
    const PieceSet& set = byte_pieces(code, lower);
    const size_t width = set.longest;
    for (size_t i = 0; i < n; ++i) memcpy(out + i * width, set.text[bytes[i]], width * sizeof(char16_t));
}

size_t scalar_decimal(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, uint32_t code,
                      size_t* done) {
    const PieceSet& set = byte_pieces(code, false);
    size_t i = 0;
    // A whole slot while it ends below cap (a piece is shorter than its slot, so it fits),
    // the exact piece after that.
    for (; i < n && at + PIECE_SLOT <= cap; ++i) {
        memcpy(out + at, set.text[bytes[i]], sizeof set.text[0]);
        at += set.length[bytes[i]];
    }
    for (; i < n; ++i) {
        size_t piece = set.length[bytes[i]];
        if (at + piece >= cap) break;
        memcpy(out + at, set.text[bytes[i]], piece * sizeof(char16_t));
        at += piece;
    }
    *done = i;
    return at;
}

size_t scalar_decimal_rest(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t i, size_t n,
                           uint32_t code, size_t* done) {
    size_t rest_done = 0;
    at = scalar_decimal(out, at, cap, bytes + i, n - i, code, &rest_done);
    *done = i + rest_done;
    return at;
}

StoreStart store_start(const char16_t* out, size_t width, size_t boundary, bool phase_allowed) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(out);
    // A power of two: a mask, where a remainder by a value known only at run time would
    // cost a division instruction for each place tried, every call.
    const uintptr_t within = boundary - 1;
    for (uint32_t phase = 0; phase <= (phase_allowed ? 1u : 0u); ++phase)
        for (size_t i = phase; i <= boundary / 2; ++i)
            if (((at + (i * width - phase) * sizeof(char16_t)) & within) == 0) return {i, phase};
    return {0, 0};
}

const ByteTextKernels SCALAR_KERNELS = {scalar_fixed, scalar_decimal};
