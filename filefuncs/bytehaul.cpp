// @BYTEHAUL[handle,count,fmt]: up to 4096 bytes from an open handle, one number a byte.
#include "args/split.h"
#include "filefuncs/fileargs.h"
#include "filefuncs/bytetext/bytetext.h"
#include "plugin/errors.h"
#include "plugin/exports.h"
#include "plugin/messages.h"
#include "text/chars.h"

namespace {

const uint32_t DEFAULT_FORMAT = 2;

// The count argument: absent or 0 reads one byte.
bool take_count(uint32_t* count) {
    *count = 1;
    if (!arg_given(1)) return true;
    uint32_t value;
    if (!take_whole_number(1, MSG_BAD_COUNT, &value)) return false;
    if (value > MAX_READ_BYTES) {
        report_error(MSG_COUNT_RANGE, unsigned(MAX_READ_BYTES), unsigned(value));
        return false;
    }
    if (value != 0) *count = value;
    return true;
}

bool take_format(uint32_t* format) {
    *format = DEFAULT_FORMAT;
    return !arg_given(2) || take_whole_number(2, MSG_BAD_FORMAT, format);
}

}  // namespace

int f_bytehaul(char16_t* buffer) {
    if (!buffer) return RESULT_NULL_ARGUMENT;
    SplitArguments(buffer, SPLIT_ON_COMMAS);
    sys_handle handle;
    uint32_t count, format;
    if (!take_handle(QUOTE_UPPER, &handle) || !take_count(&count) || !take_format(&format)) return RESULT_REPORTED;

    // Only the bytes the read reports are ever looked at.
    uint8_t bytes[MAX_READ_BYTES];
    uint32_t got = 0;
    if (!read_once(handle, bytes, count, &got)) {
        report_read_error(buffer);
        return RESULT_REPORTED;
    }
    if (got == 0) {
        text_copy(buffer, RESULT_CAP, TEXT_EOF);
        return RESULT_OK;
    }
    if (got > count) got = count;  // a platform that claims more than was asked for
    if (!write_byte_text(buffer, BYTEHAUL_RESULT_CAP, bytes, got, format)) {
        report_error(MSG_STRING_OVERFLOW);
        return RESULT_REPORTED;
    }
    return RESULT_OK;
}
