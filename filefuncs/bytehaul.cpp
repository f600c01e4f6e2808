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
    if (!WriteByteText(buffer, BYTEHAUL_RESULT_CAP, bytes, got, format)) {
        ReportError(MSG_STRING_OVERFLOW);
        return RESULT_REPORTED;
    }
    return RESULT_OK;
}
