// @BYTESTOW[handle,val1 val2 ...]: the bytes given as numbers, written in one piece.
#include "args/split.h"
#include "filefuncs/fileargs.h"
#include "filefuncs/values.h"
#include "plugin/errors.h"
#include "plugin/exports.h"
#include "plugin/messages.h"
#include "text/chars.h"
#include "text/format.h"

namespace {

const char16_t RESULT_NOTHING_WRITTEN[] = u"0";
const char16_t RESULT_WRITE_FAILED[] = u"-1";

// The values into bytes, in order; the first faulty one is reported.
bool take_values(uint8_t* bytes, uint32_t* held) {
    const ByteValues r = take_byte_values(bytes);
    *held = r.held;
    switch (r.fault) {
    case VALUE_OK: return true;
    case VALUE_BAD: report_argument(MSG_BAD_VALUE, r.at, QUOTE_AS_SPLIT); break;
    case VALUE_RANGE: report_argument(MSG_VALUE_RANGE, r.at, QUOTE_AS_SPLIT); break;
    case VALUE_TOO_MANY: report_error(MSG_TOO_MANY_VALUES, unsigned(MAX_WRITE_BYTES), arg_text(r.at)); break;
    }
    return false;
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
