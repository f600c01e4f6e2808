#include "host/output.h"

#include "host/messages.h"
#include "host/system.h"
#include "platform/platform.h"
#include "shell/shell_host.h"

namespace {
std::u16string location_name;
long location_line = 0;
}  // namespace

void write_out(const std::u16string& text) { shell_write_text(sys_stdout_handle(), text.data(), text.size()); }

void write_out_line(const std::u16string& text) { write_out(text + u"\r\n"); }

void write_error_line(const std::u16string& message) {
    std::u16string line = MSG_HOST_PREFIX;
    if (location_line > 0) line += location_name + u" [" + to_u16(std::to_string(location_line)) + u"]  ";
    line += message + u"\r\n";
    shell_write_text(sys_stderr_handle(), line.data(), line.size());
}

void follow_standard_output() { shell_set_line_output(system_stdout_is_terminal()); }

namespace {
// Windows says a pipe's reader has gone with 232; Wine with 233, as for a named pipe whose
// other end is gone; 109 is the same pipe seen from its reading end.
bool is_broken_pipe(uint32_t code) {
    return code == SYS_ERROR_NO_DATA || code == SYS_ERROR_PIPE_NOT_CONNECTED || code == SYS_ERROR_BROKEN_PIPE;
}
}  // namespace

bool handle_output_failure() {
    static bool reported = false;
    int stream = shell_output_failure();
    if (stream == 0) return false;
    if (is_broken_pipe(shell_output_failure_code())) system_exit_now(EXIT_READER_GONE);
    if (!reported) {
        reported = true;
        std::u16string line = text_of(MSG_OUTPUT_LOST, stream == 1 ? u"standard output" : u"standard error");
        void* other = stream == 1 ? sys_stderr_handle() : sys_stdout_handle();
        shell_write_text(other, line.data(), line.size());
        shell_flush_output();
    }
    return true;
}

int finish_output(int code) {
    bool failed_before = shell_output_failure() != 0;
    shell_flush_output();
    return handle_output_failure() && !failed_before ? EXIT_OUTPUT_LOST : code;
}

std::u16string quoted_part(const std::u16string& s, size_t from) {
    std::u16string part = s.substr(from, QUOTE_MAX);
    return s.size() - from > QUOTE_MAX ? part + u"..." : part;
}

void error_location_set(const std::u16string& batch_name, long line) {
    location_name = batch_name;
    location_line = line;
}

std::u16string to_u16(const std::u16string& s) { return s; }
std::u16string to_u16(const char16_t* s) { return s ? std::u16string(s) : std::u16string(); }
std::u16string to_u16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string substitute(const char16_t* format, const std::u16string* args, size_t count) {
    std::u16string out;
    size_t next = 0;
    for (const char16_t* p = format; *p; ++p) {
        if (p[0] == u'%' && p[1] == u's') {
            if (next < count) out += args[next++];
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}
