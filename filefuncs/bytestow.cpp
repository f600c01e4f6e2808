// @BYTESTOW[handle,val1 val2 ...]: the bytes given as numbers, written in one piece.
#include "args/number.h"
#include "args/split.h"
#include "filefuncs/fileargs.h"
#include "plugin/errors.h"
#include "plugin/exports.h"
#include "plugin/messages.h"
#include "text/chars.h"
#include "text/format.h"

namespace {

const char16_t RESULT_NOTHING_WRITTEN[] = u"0";
const char16_t RESULT_WRITE_FAILED[] = u"-1";

// A byte value: "0X" hexadecimal, "0O" octal, "#" decimal, and a bare number hexadecimal.
// False when the text (of length characters) is in none of these forms, too large for 32
// bits, or has anything after its digits.
bool read_byte_value(const char16_t* text, int32_t length, uint32_t* value) {
    // One or two hexadecimal digits, the values a batch file mostly gives, can only be a
    // bare number: every other form has a character that is no such digit.
    if (length <= 2) {
        const uint32_t first = digit_value(text[0]), second = length == 2 ? digit_value(text[1]) : 0;
        if ((first | second) < 16) {
            *value = length == 2 ? first << 4 | second : first;
            return true;
        }
    }
    NumberForm form = prefixed_number(text);
    if (form.base == 0) {
        if (text[0] == u'#' && text_is_digit(text[1])) form = {10, text + 1};
        else if (text_is_hex_digit(text[0])) form = {16, text};
        else return false;
    }
    const char16_t* end;
    return convert_unsigned32(form.digits, form.base, value, &end) == PARSE_OK && *end == 0;
}

// Every value argument into bytes, in order; the first faulty one is reported.
bool take_values(uint8_t* bytes, uint32_t* held) {
    for (int32_t i = 1; i < ArgumentTable.count; ++i) {
        if (!arg_given(i)) continue;
        uint32_t value;
        if (!read_byte_value(arg_text(i), ArgumentTable.lengths[i], &value)) {
            report_argument(MSG_BAD_VALUE, i, QUOTE_AS_SPLIT);
            return false;
        }
        if (value > 0xFF) {
            report_argument(MSG_VALUE_RANGE, i, QUOTE_AS_SPLIT);
            return false;
        }
        if (*held >= MAX_WRITE_BYTES) {
            report_error(MSG_TOO_MANY_VALUES, unsigned(MAX_WRITE_BYTES), arg_text(i));
            return false;
        }
        bytes[(*held)++] = uint8_t(value);
    }
    return true;
}

}  // namespace

int f_bytestow(char16_t* buffer) {
    if (!buffer) return RESULT_NULL_ARGUMENT;
    // Only the bytes held are ever written.
    uint8_t bytes[MAX_WRITE_BYTES];
    uint32_t held = 0;
    uint32_t written = 0;
    SplitArguments(buffer, SPLIT_ON_WHITESPACE | SPLIT_ON_COMMAS | SPLIT_UPPERCASE);
    sys_handle handle;
    if (!take_handle(QUOTE_AS_SPLIT, &handle)) return RESULT_REPORTED;
    if (!take_values(bytes, &held)) return RESULT_REPORTED;
    if (held == 0) {
        text_copy(buffer, RESULT_CAP, RESULT_NOTHING_WRITTEN);
        return RESULT_OK;
    }
    // A failed write is answered in the result alone: batch files test for "-1".
    if (sys_write_file(handle, bytes, held, &written)) text_format(buffer, RESULT_CAP, u"%u", unsigned(written));
    else text_copy(buffer, RESULT_CAP, RESULT_WRITE_FAILED);
    return RESULT_OK;
}
