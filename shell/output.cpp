// Output services of the stand-in shell, and the one writer behind them and the host's own
// lines: it turns CR LF into LF when asked, and notes a stream that can no longer be written.
#include <stdarg.h>

#include "platform/platform.h"
#include "shell/shell_host.h"
#include "text/chars.h"
#include "text/format.h"

namespace {
// One formatted call holds at most this many characters; the rest is cut.
char16_t line[SHELL_EXPAND_MAX + 1];
// Text with its CR LF pairs joined, a piece at a time.
char16_t joined[4096];
bool lf_line_ends = false;
int first_failure = 0;

// The platform's writer gives no result, so a failure is read from the last error. A
// handle that is no console leaves "invalid handle" behind on Windows even when the
// write itself succeeds, so that code alone is not taken for a failure.
bool write_piece(void* handle, const char16_t* text, size_t n) {
    sys_set_last_error(0);
    sys_write_text(handle, text, n);
    uint32_t e = sys_last_error();
    return e == 0 || e == SYS_ERROR_INVALID_HANDLE;
}

bool write_joined(void* handle, const char16_t* text, size_t n) {
    size_t len = 0;
    for (size_t i = 0; i < n; ++i) {
        if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') continue;
        joined[len++] = text[i];
        if (len == sizeof joined / sizeof joined[0]) {
            if (!write_piece(handle, joined, len)) return false;
            len = 0;
        }
    }
    return len == 0 || write_piece(handle, joined, len);
}

int write_formatted(void* handle, const char16_t* format, va_list ap) {
    size_t n = text_vformat(line, sizeof line / sizeof line[0], format, ap);
    shell_write_text(handle, line, n);
    return int(n);
}
}  // namespace

extern "C" {

void shell_set_lf_line_ends(bool lf) { lf_line_ends = lf; }

bool shell_write_text(void* handle, const char16_t* text, size_t n) {
    // The plug-in reads the last error after its own calls; a write must not change it.
    uint32_t saved = sys_last_error();
    bool ok = lf_line_ends ? write_joined(handle, text, n) : write_piece(handle, text, n);
    if (!ok && first_failure == 0) first_failure = handle == sys_stderr_handle() ? 2 : 1;
    sys_set_last_error(saved);
    return ok;
}

int shell_output_failure(void) { return first_failure; }

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
    size_t n = text_len(text);
    shell_write_text(sys_stdout_handle(), text, n);
    return int(n);
}

}  // extern "C"
