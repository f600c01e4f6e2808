// @INTHAUL[handle,valsize]: one integer of 1 to 8 bytes from an open handle.
#include <string.h>

#include "args/number.h"
#include "args/split.h"
#include "filefuncs/fileargs.h"
#include "plugin/errors.h"
#include "plugin/exports.h"
#include "plugin/messages.h"
#include "text/chars.h"
#include "text/format.h"

namespace {

const uint32_t MAX_VALUE_SIZE = 8;

enum Notation : uint8_t {
    UNSIGNED_DECIMAL,
    HEX_PREFIXED,
    HEX,
    SIGNED_DECIMAL,
    SIGNED_DECIMAL_PLUS,
    OCTAL_PREFIXED,
    OCTAL,
};

struct FormatLetter {
    char16_t letter;
    Notation notation;
    bool lower;
};

const FormatLetter FORMAT_LETTERS[] = {
    {u'd', UNSIGNED_DECIMAL, false},
    {u'D', UNSIGNED_DECIMAL, false},
    {u'X', HEX_PREFIXED, false},
    {u'x', HEX_PREFIXED, true},
    {u'H', HEX, false},
    {u'h', HEX, true},
    {u's', SIGNED_DECIMAL, false},
    {u'S', SIGNED_DECIMAL_PLUS, false},
    {u'O', OCTAL_PREFIXED, false},
    {u'o', OCTAL_PREFIXED, false},
    {u'Q', OCTAL, false},
    {u'q', OCTAL, false},
};

// By notation; the widths that pad with zeros are passed before the value.
const char16_t* const OUTPUT_FORMATS[] = {
    u"%I64u", u"0x%0*I64X", u"%0*I64X", u"%I64d", u"%+I64d", u"0o%0*I64o", u"%0*I64o",
};

// Octal digits of the largest value of each size: the smallest whole number >= 8 * size / 3.
const int OCTAL_WIDTHS[MAX_VALUE_SIZE + 1] = {0, 3, 6, 8, 11, 14, 16, 19, 22};

struct Suffix {
    Notation notation;
    bool lower;
    bool reversed;
};

// What follows the size: an optional ':' or '=', a format letter, a '!'. Anything else
// ends the suffix without complaint.
Suffix read_suffix(const char16_t* s) {
    Suffix r{UNSIGNED_DECIMAL, false, false};
    if ((*s == u':' || *s == u'=') && s[1] != 0) ++s;
    for (const FormatLetter& f : FORMAT_LETTERS) {
        if (f.letter != *s) continue;
        r.notation = f.notation;
        r.lower = f.lower;
        ++s;
        break;
    }
    r.reversed = *s == u'!';
    return r;
}

bool take_size(uint32_t* size, Suffix* suffix) {
    if (!arg_given(1)) {
        report_error(MSG_MISSING_VALUE_SIZE);
        return false;
    }
    const char16_t* rest;
    if (ParseUnsigned32(arg_text(1), size, &rest) != PARSE_OK) {
        report_argument(MSG_BAD_VALUE_SIZE, 1, QUOTE_UPPER);
        return false;
    }
    if (*size == 0 || *size > MAX_VALUE_SIZE) {
        report_error(MSG_VALUE_SIZE_RANGE, unsigned(*size));
        return false;
    }
    *suffix = read_suffix(rest);
    return true;
}

void reverse_bytes(uint8_t* bytes, uint32_t size) {
    for (uint32_t i = 0; 2 * i + 1 < size; ++i) {
        uint8_t t = bytes[i];
        bytes[i] = bytes[size - 1 - i];
        bytes[size - 1 - i] = t;
    }
}

uint64_t little_endian(const uint8_t* bytes) {
    uint64_t v = 0;
    for (int i = int(MAX_VALUE_SIZE) - 1; i >= 0; --i) v = (v << 8) | bytes[i];
    return v;
}

void write_value(char16_t* result, uint8_t* bytes, uint32_t size, Suffix suffix) {
    if (suffix.reversed) reverse_bytes(bytes, size);
    bool is_signed = suffix.notation == SIGNED_DECIMAL || suffix.notation == SIGNED_DECIMAL_PLUS;
    if (is_signed && size < MAX_VALUE_SIZE && (bytes[size - 1] & 0x80))
        memset(bytes + size, 0xFF, MAX_VALUE_SIZE - size);
    uint64_t value = little_endian(bytes);
    const char16_t* format = OUTPUT_FORMATS[suffix.notation];
    switch (suffix.notation) {
    case HEX_PREFIXED:
    case HEX: text_format(result, RESULT_CAP, format, int(2 * size), value); break;
    case OCTAL_PREFIXED:
    case OCTAL: text_format(result, RESULT_CAP, format, OCTAL_WIDTHS[size], value); break;
    case SIGNED_DECIMAL:
    case SIGNED_DECIMAL_PLUS: text_format(result, RESULT_CAP, format, int64_t(value)); break;
    default: text_format(result, RESULT_CAP, format, value); break;
    }
    if (suffix.lower) text_lower_inplace(result, RESULT_CAP);
}

}  // namespace

int f_inthaul(char16_t* buffer) {
    if (!buffer) return RESULT_NULL_ARGUMENT;
    SplitArguments(buffer, SPLIT_ON_COMMAS);
    sys_handle handle;
    uint32_t size;
    Suffix suffix;
    if (!take_handle(QUOTE_UPPER, &handle) || !take_size(&size, &suffix)) return RESULT_REPORTED;

    uint8_t bytes[MAX_VALUE_SIZE];
    memset(bytes, 0, sizeof bytes);
    // A pipe may hand a value over in pieces, as its writer sends them: a read that gets
    // part of the value is followed by others until it is whole or one gets nothing, which
    // is the end of the data. At a file's end that second read comes back empty at once.
    uint32_t got = 0;
    for (;;) {
        uint32_t more = 0;
        if (!read_once(handle, bytes + got, size - got, &more)) {
            report_read_error(buffer);
            return RESULT_REPORTED;
        }
        got += more;
        if (more == 0 || got == size) break;
    }
    // The end came within the value: the bytes read before it are gone.
    if (got < size) {
        text_copy(buffer, RESULT_CAP, TEXT_EOF);
        return RESULT_OK;
    }
    write_value(buffer, bytes, size, suffix);
    return RESULT_OK;
}
