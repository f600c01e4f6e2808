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

// Pieces are copied a whole slot at a time where the slot fits in the result; what lands
// past a piece is overwritten by the next one or cut off by the final NUL.

// Where every piece has the same length, where each one goes and how many fit are known
// beforehand, so the pieces are placed without a running length to wait for.
size_t join_fixed(char16_t* result, const uint8_t* bytes, uint32_t n, const PieceSet& set) {
    const size_t piece = set.fixed_length;
    const size_t fit = (BYTEHAUL_RESULT_CAP - 1) / piece;
    const size_t whole_slots = (BYTEHAUL_RESULT_CAP - PIECE_SLOT) / piece + 1;
    const size_t take = n < fit ? n : fit;
    size_t i = 0;
    for (; i < take && i < whole_slots; ++i) memcpy(result + i * piece, set.text[bytes[i]], sizeof set.text[0]);
    for (; i < take; ++i) memcpy(result + i * piece, set.text[bytes[i]], piece * sizeof(char16_t));
    return take;
}

size_t join_varying(char16_t* result, const uint8_t* bytes, uint32_t n, const PieceSet& set, size_t* len) {
    size_t i = 0;
    for (; i < n; ++i) {
        uint8_t b = bytes[i];
        size_t piece = set.length[b];
        if (*len + piece >= BYTEHAUL_RESULT_CAP) break;
        if (*len + PIECE_SLOT <= BYTEHAUL_RESULT_CAP) memcpy(result + *len, set.text[b], sizeof set.text[b]);
        else memcpy(result + *len, set.text[b], piece * sizeof(char16_t));
        *len += piece;
    }
    return i;
}

// Joins the pieces of the bytes into result in one pass, never measuring the text.
// Returns false, with the pieces that fitted left in result, when the text would reach
// the capacity.
bool join_pieces(char16_t* result, const uint8_t* bytes, uint32_t n, uint32_t code) {
    const PieceSet& set = BytePieces(code);
    size_t len = 0;
    size_t joined;
    if (set.fixed_length) {
        joined = join_fixed(result, bytes, n, set);
        len = joined * set.fixed_length;
    } else {
        joined = join_varying(result, bytes, n, set, &len);
    }
    if (joined < n) {
        result[len] = 0;
        return false;
    }
    if (len > 0 && result[len - 1] == u' ') --len;
    result[len] = 0;
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

    uint8_t bytes[MAX_READ_BYTES];
    memset(bytes, 0, sizeof bytes);
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
    if (!join_pieces(buffer, bytes, got, format & FORMAT_CODE_BITS)) {
        ReportError(MSG_STRING_OVERFLOW);
        return RESULT_REPORTED;
    }
    if (format & FORMAT_LOWER_CASE) text_lower_inplace(buffer, BYTEHAUL_RESULT_CAP);
    return RESULT_OK;
}
