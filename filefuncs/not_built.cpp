// Entries whose work is not built yet answer with a reported failure.
#include "plugin/errors.h"
#include "plugin/exports.h"

static int not_built(const void* p) {
    if (!p) return RESULT_NULL_ARGUMENT;
    ReportError(u"Not built yet\r\n");
    return RESULT_REPORTED;
}

int f_inthaul(char16_t* buffer) { return not_built(buffer); }
int f_bytehaul(char16_t* buffer) { return not_built(buffer); }
int f_bytestow(char16_t* buffer) { return not_built(buffer); }
int inc(char16_t* text) { return not_built(text); }
int dec(char16_t* text) { return not_built(text); }
int Usage(const char16_t* name, char16_t* buffer) { return (name && buffer) ? 0 : 0; }
int Help(const char16_t* name) { return name ? 0 : 0; }
