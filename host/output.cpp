#include "host/output.h"

#include "host/messages.h"
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
