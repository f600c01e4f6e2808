#include "filefuncs/fileargs.h"

#include "args/number.h"
#include "args/split.h"
#include "plugin/errors.h"
#include "plugin/messages.h"

void report_argument(const char16_t* message, int32_t i, QuoteCase quote) {
    char16_t* text = arg_text(i);
    if (quote == QUOTE_UPPER) sys_char_upper(text);
    report_error(message, text);
}

bool take_handle(QuoteCase quote, sys_handle* handle) {
    if (!arg_given(0)) {
        report_error(MSG_MISSING_HANDLE);
        return false;
    }
    uint32_t value;
    if (ParseUnsigned32(arg_text(0), &value, nullptr) != PARSE_OK) {
        report_argument(MSG_BAD_HANDLE, 0, quote);
        return false;
    }
    *handle = sys_handle(value);
    return true;
}

bool take_whole_number(int32_t i, const char16_t* message, uint32_t* value) {
    if (ParseUnsigned32(arg_text(i), value, nullptr) == PARSE_OK) return true;
    report_argument(message, i, QUOTE_UPPER);
    return false;
}

bool read_once(sys_handle handle, void* bytes, uint32_t count, uint32_t* got) {
    if (sys_read_file(handle, bytes, count, got)) return true;
    if (sys_last_error() != SYS_ERROR_BROKEN_PIPE) return false;
    *got = 0;
    return true;
}

void report_read_error(char16_t* result) {
    uint32_t code = sys_last_error();
    FormatSystemError(code, result);
    report_error(MSG_READ_ERROR, result);
}
