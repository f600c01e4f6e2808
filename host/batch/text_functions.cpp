// The text functions count and cut in UTF-16 units, as the shell's own strings are held, so
// a character beyond the BMP counts two. Only the leading numeric arguments are split off at
// commas: the text that follows is taken as it stands, its commas and blanks included.
#include "host/batch/text_functions.h"

#include <stdint.h>

#include "host/messages.h"
#include "host/output.h"
#include "host/scan.h"
#include "host/words.h"
#include "platform/platform.h"
#include "takecmd/takecmd.h"
#include "text/chars.h"

namespace {

// A padded text longer than a line can hold could never be used.
const uint64_t MAX_FORMAT_WIDTH = SHELL_EXPAND_MAX - 1;
const char16_t BASE_DIGITS[] = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

FunctionOutcome done(const std::u16string& text, std::u16string* result) {
    *result = text;
    return FUNCTION_DONE;
}

FunctionOutcome stop(const std::u16string& message, std::u16string* result) {
    *result = message;
    return FUNCTION_STOP;
}

// The first count fields before commas, trimmed, and the text after them untouched; false
// when there are fewer commas.
bool split_leading(const std::u16string& args, size_t count, std::u16string* fields, std::u16string* rest) {
    std::vector<std::u16string> parts = scan_commas(args, SCAN_EXPANDED, count + 1);
    if (parts.size() <= count) return false;
    for (size_t i = 0; i < count; ++i) fields[i] = trim(parts[i]);
    *rest = parts[count];
    return true;
}

bool read_count(const char16_t* function, const std::u16string& field, size_t* count, std::u16string* message) {
    int64_t v;
    if (!parse_number(field, &v)) {
        *message = text_of(MSG_FUNCTION_NOT_NUMBER, function, field);
        return false;
    }
    if (v < 0) {
        *message = text_of(MSG_FUNCTION_NEGATIVE, function, field);
        return false;
    }
    // Past the end of any text is past the end, however far.
    *count = uint64_t(v) > SIZE_MAX ? SIZE_MAX : size_t(v);
    return true;
}

// The leading counts of a call and its text; count is 1 or 2.
bool read_counts(const char16_t* function, const std::u16string& args, size_t count, size_t* counts,
                 std::u16string* text, std::u16string* message) {
    std::u16string fields[2];
    if (!split_leading(args, count, fields, text)) {
        *message = text_of(MSG_FUNCTION_ARGUMENTS, function, std::to_string(count + 1), args);
        return false;
    }
    for (size_t i = 0; i < count; ++i)
        if (!read_count(function, fields[i], &counts[i], message)) return false;
    return true;
}

// Words as @BYTESTOW takes its values: parted by white space and commas.
bool parts_words(char16_t c) { return c == u',' || text_is_space(c); }

// The word found at or after *begin, its end in *end; false when none is left.
bool next_word(const std::u16string& s, size_t* begin, size_t* end) {
    size_t i = *begin;
    while (i < s.size() && parts_words(s[i])) ++i;
    if (i == s.size()) return false;
    *begin = i;
    while (i < s.size() && !parts_words(s[i])) ++i;
    *end = i;
    return true;
}

// The inverse of the platform's upper-casing on Linux, so that @LOWER undoes @UPPER there:
// ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic.
char16_t lower_unit(char16_t c) {
    if (c < 0x80) return text_lower(c);
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
        return char16_t(c + 0x20);
    if (c == 0x178) return 0xFF;
    if (c == 0x130) return u'i';  // capital I with dot, whose small letter is the ASCII one
    if (c >= 0x400 && c <= 0x40F) return char16_t(c + 0x50);
    if (((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) && !(c & 1)) return char16_t(c + 1);
    if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && (c & 1)) return char16_t(c + 1);
    return c;
}

bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

std::u16string character_text(uint32_t code) {
    if (code <= 0xFFFF) return std::u16string(1, char16_t(code));
    code -= 0x10000;
    return std::u16string{char16_t(0xD800 + (code >> 10)), char16_t(0xDC00 + (code & 0x3FF))};
}

// [-][0]WIDTH in decimal. The 0 flag goes with right alignment only: zeros after a text
// would read as part of it. The zeros go before the text as it stands, a sign included, as
// the text is not taken for a number.
bool read_format(const std::u16string& layout, bool* left, bool* zeros, size_t* width) {
    size_t i = 0;
    *left = i < layout.size() && layout[i] == u'-';
    if (*left) ++i;
    *zeros = layout.size() - i > 1 && layout[i] == u'0';
    if (*zeros) ++i;
    if (i == layout.size()) return false;
    uint64_t w = 0;
    for (; i < layout.size(); ++i) {
        if (!text_is_digit(layout[i])) return false;
        w = w * 10 + (layout[i] - u'0');
        if (w > MAX_FORMAT_WIDTH) return false;
    }
    *width = size_t(w);
    *zeros = *zeros && !*left;
    return true;
}

bool read_base(const std::u16string& field, int* base, std::u16string* message) {
    int64_t v;
    if (!parse_number(field, &v) || v < 2 || v > 36) {
        *message = text_of(MSG_CONVERT_BASE, field);
        return false;
    }
    *base = int(v);
    return true;
}

int digit_value(char16_t c) {
    if (text_is_digit(c)) return c - u'0';
    if (text_is_alpha(c)) return text_upper(c) - u'A' + 10;
    return 36;
}

// Signed 64-bit, as every number of the host, so that what @CONVERT writes in base 10
// @EVAL can read.
bool read_in_base(const std::u16string& text, int base, int64_t* value, std::u16string* message) {
    bool negative = !text.empty() && text[0] == u'-';
    size_t i = negative ? 1 : 0;
    if (i == text.size()) {
        *message = text_of(MSG_CONVERT_DIGITS, text, std::to_string(base));
        return false;
    }
    uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX), magnitude = 0;
    for (; i < text.size(); ++i) {
        int d = digit_value(text[i]);
        if (d >= base) {
            *message = text_of(MSG_CONVERT_DIGITS, text, std::to_string(base));
            return false;
        }
        if (magnitude > (limit - uint64_t(d)) / uint64_t(base)) {
            *message = text_of(MSG_CONVERT_RANGE, text, std::to_string(base));
            return false;
        }
        magnitude = magnitude * uint64_t(base) + uint64_t(d);
    }
    *value = negative ? int64_t(0 - magnitude) : int64_t(magnitude);
    return true;
}

std::u16string write_in_base(int64_t value, int base) {
    uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
    std::u16string digits;
    do {
        digits.insert(digits.begin(), BASE_DIGITS[magnitude % uint64_t(base)]);
        magnitude /= uint64_t(base);
    } while (magnitude > 0);
    return value < 0 ? u"-" + digits : digits;
}

}  // namespace

FunctionOutcome function_len(const std::u16string& args, std::u16string* result) {
    return done(number_text(int64_t(args.size())), result);
}

FunctionOutcome function_left(const std::u16string& args, std::u16string* result) {
    size_t n;
    std::u16string text;
    if (!read_counts(u"@left", args, 1, &n, &text, result)) return FUNCTION_STOP;
    return done(text.substr(0, n), result);
}

FunctionOutcome function_right(const std::u16string& args, std::u16string* result) {
    size_t n;
    std::u16string text;
    if (!read_counts(u"@right", args, 1, &n, &text, result)) return FUNCTION_STOP;
    return done(text.substr(text.size() - (n < text.size() ? n : text.size())), result);
}

FunctionOutcome function_instr(const std::u16string& args, std::u16string* result) {
    size_t start_length[2];
    std::u16string text;
    if (!read_counts(u"@instr", args, 2, start_length, &text, result)) return FUNCTION_STOP;
    if (start_length[0] >= text.size()) return done(std::u16string(), result);
    return done(text.substr(start_length[0], start_length[1]), result);
}

FunctionOutcome function_word(const std::u16string& args, std::u16string* result) {
    size_t n;
    std::u16string text;
    if (!read_counts(u"@word", args, 1, &n, &text, result)) return FUNCTION_STOP;
    size_t begin = 0, end = 0;
    for (size_t i = 0; next_word(text, &begin, &end); ++i, begin = end)
        if (i == n) return done(text.substr(begin, end - begin), result);
    return done(std::u16string(), result);
}

FunctionOutcome function_words(const std::u16string& args, std::u16string* result) {
    int64_t n = 0;
    size_t begin = 0, end = 0;
    for (; next_word(args, &begin, &end); begin = end) ++n;
    return done(number_text(n), result);
}

FunctionOutcome function_upper(const std::u16string& args, std::u16string* result) {
    std::u16string text = args;
    sys_char_upper(&text[0]);
    return done(text, result);
}

FunctionOutcome function_lower(const std::u16string& args, std::u16string* result) {
    std::u16string text = args;
    for (char16_t& c : text) c = lower_unit(c);
    return done(text, result);
}

FunctionOutcome function_char(const std::u16string& args, std::u16string* result) {
    std::u16string field = trim(args);
    int64_t code;
    if (!parse_number(field, &code) || code < 1 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return stop(text_of(MSG_CHAR_RANGE, field), result);
    return done(character_text(uint32_t(code)), result);
}

FunctionOutcome function_ascii(const std::u16string& args, std::u16string* result) {
    if (args.empty()) return stop(MSG_ASCII_EMPTY, result);
    uint32_t code = args[0];
    if (args.size() > 1 && is_high_surrogate(args[0]) && is_low_surrogate(args[1]))
        code = 0x10000 + ((code - 0xD800) << 10) + (args[1] - 0xDC00);
    return done(number_text(code), result);
}

FunctionOutcome function_format(const std::u16string& args, std::u16string* result) {
    std::u16string layout, text;
    if (!split_leading(args, 1, &layout, &text))
        return stop(text_of(MSG_FUNCTION_ARGUMENTS, u"@format", u"2", args), result);
    bool left, zeros;
    size_t width;
    if (!read_format(layout, &left, &zeros, &width))
        return stop(text_of(MSG_FORMAT_WIDTH, std::to_string(MAX_FORMAT_WIDTH), layout), result);
    if (text.size() >= width) return done(text, result);
    std::u16string padding(width - text.size(), zeros ? u'0' : u' ');
    return done(left ? text + padding : padding + text, result);
}

FunctionOutcome function_convert(const std::u16string& args, std::u16string* result) {
    std::u16string bases[2], value_text;
    if (!split_leading(args, 2, bases, &value_text))
        return stop(text_of(MSG_FUNCTION_ARGUMENTS, u"@convert", u"3", args), result);
    int from, to;
    int64_t value;
    if (!read_base(bases[0], &from, result) || !read_base(bases[1], &to, result) ||
        !read_in_base(trim(value_text), from, &value, result))
        return FUNCTION_STOP;
    return done(write_in_base(value, to), result);
}
