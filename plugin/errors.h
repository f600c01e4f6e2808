// The one way the plug-in complains: a prefix naming the plug-in (and the batch file and
// line, when one runs), then one message on standard error.
#pragma once
#include <stdint.h>

#include "platform/platform.h"
#include "takecmd/takecmd.h"

int WriteErrorPrefix(void);
// Writes the system's text for code into buffer (1024 characters). -1 for a null buffer.
int FormatSystemError(uint32_t code, char16_t* buffer);

// The error report: the prefix, then the message with its arguments.
template <typename... Args>
void report_error(const char16_t* format, Args... args) {
    WriteErrorPrefix();
    Qprintf(sys_stderr_handle(), format, args...);
}
