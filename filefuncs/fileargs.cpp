#include "filefuncs/fileargs.h"

#include "args/number.h"
#include "args/split.h"
#include "plugin/errors.h"
#include "plugin/messages.h"

void ReportArgument(const char16_t* message, int32_t i, QuoteCase quote) {
    char16_t* text = ArgText(i);
    if (quote == QUOTE_UPPER) sys_char_upper(text);
    ReportError(message, text);
}

bool TakeHandle(QuoteCase quote, sys_handle* handle) {
    if (!ArgGiven(0)) {
        ReportError(MSG_MISSING_HANDLE);
        return false;
    }
    uint32_t value;
    if (ParseUnsigned32(ArgText(0), &value, nullptr) != PARSE_OK) {
        ReportArgument(MSG_BAD_HANDLE, 0, quote);
        return false;
    }
    *handle = sys_handle(value);
    return true;
}

bool TakeWholeNumber(int32_t i, const char16_t* message, uint32_t* value) {
    if (ParseUnsigned32(ArgText(i), value, nullptr) == PARSE_OK) return true;
    ReportArgument(message, i, QUOTE_UPPER);
    return false;
}

bool ReadOnce(sys_handle handle, void* bytes, uint32_t count, uint32_t* got) {
    if (sys_read_file(handle, bytes, count, got)) return true;
    if (sys_last_error() != SYS_ERROR_BROKEN_PIPE) return false;
    *got = 0;
    return true;
}

void ReportReadError(char16_t* result) {
    uint32_t code = sys_last_error();
    FormatSystemError(code, result);
    ReportError(MSG_READ_ERROR, result);
}
