// Output services of the stand-in shell, and the one writer behind them and the host's own
// lines: it turns CR LF into LF when asked, gathers standard output into whole buffers, and
// notes a stream that can no longer be written.
#include <stdarg.h>
#include <string.h>

#include "platform/platform.h"
#include "shell/shell_host.h"
#include "text/chars.h"
#include "text/format.h"

namespace {
// One formatted call holds at most this many characters; the rest is cut.
char16_t line[SHELL_EXPAND_MAX + 1];
// Text with its CR LF pairs joined, a piece at a time, for the handles written at once.
char16_t joined[4096];
// Standard output's text not yet written. A system call for every line cost a hex dump more
// than the plug-in's own work; a buffer's worth is one piece of the platform's UTF-8 writer
// (4096 units), so a full buffer is one write.
const size_t GATHER_CAP = 4096;
char16_t gathered[GATHER_CAP];
size_t gathered_len = 0;
// The handle the gathered text is for: standard output when it was gathered.
void* gathered_for = nullptr;
bool lf_line_ends = false;
bool each_line = false;
int first_failure = 0;
uint32_t first_failure_code = 0;

// The platform's writer gives no result, so a failure is read from the last error. A
// handle that is no console leaves "invalid handle" behind on Windows even when the
// write itself succeeds, so that code alone is not taken for a failure.
bool write_piece(void* handle, const char16_t* text, size_t n) {
    sys_set_last_error(0);
    sys_write_text(handle, text, n);
    uint32_t e = sys_last_error();
    bool ok = e == 0 || e == SYS_ERROR_INVALID_HANDLE;
    if (!ok && first_failure == 0) {
        first_failure = handle == sys_stderr_handle() ? 2 : 1;
        first_failure_code = e;
    }
    return ok;
}

bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Writes what is gathered. When the buffer is cut short of a pair's second half, the first
// half waits for it, as a pair split over two writes would come out as two replacement
// characters.
bool write_gathered(bool keep_open_pair) {
    size_t n = gathered_len;
    if (keep_open_pair && n > 0 && is_high_surrogate(gathered[n - 1])) --n;
    bool ok = n == 0 || write_piece(gathered_for, gathered, n);
    gathered_len -= n;
    if (gathered_len > 0) gathered[0] = gathered[n];
    return ok;
}

// Takes what fits of text into the buffer, each CR LF joined when asked; returns how many
// units of text it took.
size_t take_into_buffer(const char16_t* text, size_t n) {
    size_t room = GATHER_CAP - gathered_len;
    if (!lf_line_ends) {
        size_t take = n < room ? n : room;
        memcpy(gathered + gathered_len, text, take * sizeof *text);
        gathered_len += take;
        return take;
    }
    size_t i = 0;
    for (; i < n && gathered_len < GATHER_CAP; ++i)
        if (text[i] != u'\r' || i + 1 == n || text[i + 1] != u'\n') gathered[gathered_len++] = text[i];
    return i;
}

bool gather(const char16_t* text, size_t n) {
    bool ok = true;
    for (size_t i = 0; i < n;) {
        i += take_into_buffer(text + i, n - i);
        if (gathered_len == GATHER_CAP) ok = write_gathered(true) && ok;
    }
    return ok;
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

// Standard output's gathered text goes first, so that what both streams show stays in order.
bool write_at_once(void* handle, const char16_t* text, size_t n) {
    write_gathered(false);
    return lf_line_ends ? write_joined(handle, text, n) : write_piece(handle, text, n);
}

bool ends_a_line(const char16_t* text, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (text[i] == u'\n') return true;
    return false;
}

int write_formatted(void* handle, const char16_t* format, va_list ap) {
    size_t n = text_vformat(line, sizeof line / sizeof line[0], format, ap);
    shell_write_text(handle, line, n);
    return int(n);
}
}  // namespace

extern "C" {

void shell_set_lf_line_ends(bool lf) { lf_line_ends = lf; }

void shell_set_line_output(bool lines) { each_line = lines; }

bool shell_write_text(void* handle, const char16_t* text, size_t n) {
    // The plug-in reads the last error after its own calls; a write must not change it.
    uint32_t saved = sys_last_error();
    bool ok;
    if (handle == sys_stdout_handle()) {
        // Standard output switched to another handle (Windows) takes what was gathered for
        // the old one with it first.
        if (handle != gathered_for && gathered_len > 0) write_gathered(false);
        gathered_for = handle;
        ok = gather(text, n);
        if (each_line && ends_a_line(text, n)) ok &= write_gathered(false);
    } else {
        ok = write_at_once(handle, text, n);
    }
    sys_set_last_error(saved);
    return ok;
}

void shell_flush_output(void) {
    uint32_t saved = sys_last_error();
    write_gathered(false);
    sys_set_last_error(saved);
}

uint32_t shell_output_failure_code(void) { return first_failure_code; }

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
