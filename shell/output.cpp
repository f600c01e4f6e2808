// Output services of the stand-in shell.
#include <stdarg.h>

#include "platform/platform.h"
#include "shell/takecmd.h"
#include "text/chars.h"
#include "text/format.h"

namespace {
// One formatted call holds at most this many characters; the rest is cut.
char16_t line[SHELL_EXPAND_MAX + 1];

int write_formatted(void* handle, const char16_t* format, va_list ap) {
    uint32_t saved = sys_last_error();
    size_t n = text_vformat(line, sizeof line / sizeof line[0], format, ap);
    sys_write_text(handle, line, n);
    sys_set_last_error(saved);
    return int(n);
}
}  // namespace

extern "C" {

int Qprintf(void* handle, const char16_t* format, ...) {
    va_list ap;
    va_start(ap, format);
    int n = write_formatted(handle, format, ap);
    va_end(ap);
    return n;
}

int Printf(const char16_t* format, ...) {
    va_list ap;
    va_start(ap, format);
    int n = write_formatted(sys_stdout_handle(), format, ap);
    va_end(ap);
    return n;
}

int QPuts(const char16_t* text) {
    if (!text) return 0;
    uint32_t saved = sys_last_error();
    size_t n = text_len(text);
    sys_write_text(sys_stdout_handle(), text, n);
    sys_set_last_error(saved);
    return int(n);
}

}  // extern "C"
