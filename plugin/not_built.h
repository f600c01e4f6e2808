// Entries whose work is not built yet answer with a reported failure.
#pragma once
#include "plugin/errors.h"
#include "plugin/exports.h"

inline int not_built(const void* p) {
    if (!p) return RESULT_NULL_ARGUMENT;
    ReportError(u"Not built yet\r\n");
    return RESULT_REPORTED;
}
