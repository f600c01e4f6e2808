#include "plugin/errors.h"

#include "plugin/exports.h"
#include "plugin/identity.h"
#include "plugin/messages.h"
#include "text/chars.h"

int WriteErrorPrefix(void) {
    // Sized for the longest expansion the shell can give: a batch file's path may be long.
    // Not zeroed first: only the text up to its NUL is ever read.
    char16_t buffer[SHELL_EXPAND_MAX + 1];
    text_copy(buffer, SHELL_EXPAND_MAX + 1, u"%_batch");
    Qprintf(sys_stderr_handle(), MSG_PREFIX, BYTEHAUL_NAME);
    ExpandVariables(buffer, 1);
    if (buffer[0] == u'0') return 0;
    text_copy(buffer, SHELL_EXPAND_MAX + 1, MSG_BATCH_LOCATION);
    ExpandVariables(buffer, 1);
    // Written as text, never as a format: a '%' in the file's name stays as it is.
    Qprintf(sys_stderr_handle(), u"%s", buffer);
    return 0;
}

int FormatSystemError(uint32_t code, char16_t* buffer) {
    if (!buffer) return -1;
    if (code == 0xFFFFFFFFu) text_copy(buffer, RESULT_CAP, MSG_UNKNOWN_ERROR);
    else sys_error_text(code, MSG_ERROR_CODE, buffer, RESULT_CAP);
    return 0;
}
