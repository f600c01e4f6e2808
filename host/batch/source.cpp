#include "host/batch/source.h"

#include <stdint.h>

#include "host/system.h"
#include "shell/shell_host.h"

namespace {

std::u16string decode_utf16le(const std::string& bytes, size_t from) {
    std::u16string s;
    s.reserve(bytes.size() / 2);
    for (size_t i = from; i + 1 < bytes.size(); i += 2)
        s += char16_t(uint8_t(bytes[i]) | (uint16_t(uint8_t(bytes[i + 1])) << 8));
    for (char16_t& c : s)
        if (c == 0) c = u'\uFFFD';
    return s;
}

std::u16string decode_script(const std::string& bytes) {
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE) return decode_utf16le(bytes, 2);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return system_text_from_bytes(bytes.substr(3));
    return system_text_from_bytes(bytes);
}

const size_t MAX_TYPED_LINE = size_t(SHELL_EXPAND_MAX) * 3;

struct InputBuffer {
    char data[4096];
    size_t len = 0, pos = 0;
    bool ended = false;
};
InputBuffer input;

const int INPUT_ENDED = -1;
const int INPUT_INTERRUPTED = -2;

// The next byte of standard input, INPUT_ENDED at its end, or INPUT_INTERRUPTED when Ctrl-C
// ended the wait for it.
int next_input_byte() {
    if (input.pos == input.len) {
        if (input.ended) return INPUT_ENDED;
        // Whoever feeds the lines through a pipe may wait for what the last ones wrote.
        shell_flush_output();
        input.len = system_read_stdin(input.data, sizeof input.data);
        input.pos = 0;
        if (input.len == 0) {
            if (system_take_interrupt()) return INPUT_INTERRUPTED;
            input.ended = true;
            return INPUT_ENDED;
        }
    }
    return uint8_t(input.data[input.pos++]);
}

}  // namespace

std::vector<std::u16string> script_lines(const std::string& bytes) {
    std::u16string text = decode_script(bytes);
    std::vector<std::u16string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, u"\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

bool read_whole_input(size_t max, std::string* bytes) {
    // Ctrl-C here is taken by the run, which stops at once.
    for (int c; (c = next_input_byte()) != INPUT_ENDED;) {
        if (c == INPUT_INTERRUPTED) return true;
        if (bytes->size() == max) return false;
        bytes->push_back(char(c));
        // Whatever the buffer holds goes in one piece.
        size_t n = input.len - input.pos;
        if (n > max - bytes->size()) n = max - bytes->size();
        bytes->append(input.data + input.pos, n);
        input.pos += n;
    }
    return true;
}

bool read_typed_line(std::u16string* line, bool* too_long, bool* interrupted) {
    std::string bytes;
    *too_long = false;
    *interrupted = false;
    int c;
    while ((c = next_input_byte()) >= 0) {
        if (c == '\n') {
            if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
            *line = system_text_from_bytes(bytes);
            return true;
        }
        if (bytes.size() < MAX_TYPED_LINE) bytes += char(c);
        else *too_long = true;
    }
    if (c == INPUT_INTERRUPTED) {
        *interrupted = true;
        return true;
    }
    if (bytes.empty() && !*too_long) return false;
    *line = system_text_from_bytes(bytes);
    return true;
}

size_t typed_line_max() { return MAX_TYPED_LINE; }
