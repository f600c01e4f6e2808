// @BYTEHAUL[handle,count,fmt]: up to 4096 bytes from an open handle, one number a byte.
#include <string.h>

#include "args/split.h"
#include "filefuncs/fileargs.h"
#include "filefuncs/pieces.h"
#include "plugin/errors.h"
#include "plugin/exports.h"
#include "plugin/messages.h"
#include "text/chars.h"

namespace {

const uint32_t DEFAULT_FORMAT = 2;
const uint32_t FORMAT_CODE_BITS = 0x07;
const uint32_t FORMAT_LOWER_CASE = 0x80;

// The count argument: absent or 0 reads one byte.
bool take_count(uint32_t* count) {
    *count = 1;
    if (!ArgGiven(1)) return true;
    uint32_t value;
    if (!TakeWholeNumber(1, MSG_BAD_COUNT, &value)) return false;
    if (value > MAX_READ_BYTES) {
        ReportError(MSG_COUNT_RANGE, unsigned(MAX_READ_BYTES), unsigned(value));
        return false;
    }
    if (value != 0) *count = value;
    return true;
}

bool take_format(uint32_t* format) {
    *format = DEFAULT_FORMAT;
    return !ArgGiven(2) || TakeWholeNumber(2, MSG_BAD_FORMAT, format);
}

// Pieces are copied a whole slot at a time; what lands past a piece is overwritten by the
// next one or cut off by the final NUL.

// Places the pieces of n bytes from at on, with no check: the caller has made sure that
// every slot fits. Returns where the next piece goes.
size_t place_pieces(char16_t* result, size_t at, const uint8_t* bytes, size_t n, const PieceSet& set) {
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
bool join_pieces(char16_t* result, const uint8_t* bytes, size_t n, const PieceSet& set, size_t* length) {
    size_t at = 0;
    size_t i = 0;
    // While a slot and the NUL after it fit, so does the piece: how many pieces surely fit
    // follows from the longest one, and they go in without a check.
    while (i < n && at + PIECE_SLOT < BYTEHAUL_RESULT_CAP) {
        size_t sure = (BYTEHAUL_RESULT_CAP - 1 - PIECE_SLOT - at) / set.longest + 1;
        size_t take = n - i < sure ? n - i : sure;
        at = place_pieces(result, at, bytes + i, take, set);
        i += take;
    }
    // The last few, near the capacity, one by one.
    for (; i < n; ++i) {
        size_t piece = set.length[bytes[i]];
        if (at + piece >= BYTEHAUL_RESULT_CAP) {
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

// The text of the bytes in the notation format asks for; false when it would reach the
// capacity. The lower-case flag applies to a finished text, and the pieces an overflow
// leaves behind keep their upper-case letters: so lower-case pieces are joined only where
// the text surely fits, and elsewhere the flag is applied after the join.
bool write_text(char16_t* result, const uint8_t* bytes, size_t n, uint32_t format) {
    const uint32_t code = format & FORMAT_CODE_BITS;
    const bool lower = (format & FORMAT_LOWER_CASE) != 0;
    const bool lower_pieces = lower && n * BytePieces(code, false).longest < BYTEHAUL_RESULT_CAP;
    size_t length;
    if (!join_pieces(result, bytes, n, BytePieces(code, lower_pieces), &length)) return false;
    if (lower && !lower_pieces) text_lower_inplace(result, length);
    return true;
}

}  // namespace

int f_bytehaul(char16_t* buffer) {
    if (!buffer) return RESULT_NULL_ARGUMENT;
    SplitArguments(buffer, SPLIT_ON_COMMAS);
    sys_handle handle;
    uint32_t count, format;
    if (!TakeHandle(QUOTE_UPPER, &handle) || !take_count(&count) || !take_format(&format))
        return RESULT_REPORTED;

    // Only the bytes the read reports are ever looked at.
    uint8_t bytes[MAX_READ_BYTES];
    uint32_t got = 0;
    if (!ReadOnce(handle, bytes, count, &got)) {
        ReportReadError(buffer);
        return RESULT_REPORTED;
    }
    if (got == 0) {
        text_copy(buffer, RESULT_CAP, TEXT_EOF);
        return RESULT_OK;
    }
    if (got > count) got = count;  // a platform that claims more than was asked for
    if (!write_text(buffer, bytes, got, format)) {
        ReportError(MSG_STRING_OVERFLOW);
        return RESULT_REPORTED;
    }
    return RESULT_OK;
}
