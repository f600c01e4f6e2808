// The bounded formatter. Input: a capacity byte, a mode byte, then the mode's bytes.
//
// Mode even: one conversion built from the input (flags, width, precision, size, letter,
// value) between two runs of literal text, compared with the C library's snprintf on the
// same directive, cut to the capacity. Mode odd: any format text at all, every argument a
// valid string pointer; only the bounds are checked. Either way the output block is
// exactly the capacity, so a write past it is an AddressSanitizer report.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "fuzz/harness.h"
#include "text/format.h"

namespace {

enum Kind { K_INT, K_I64, K_UNSIGNED, K_U64, K_STRING };

struct StringArg {};
const char16_t* string16 = u"";
const char* string8 = "";

template <typename T>
T wide(T x) {
    return x;
}
const char16_t* wide(StringArg) { return string16; }
template <typename T>
T narrow(T x) {
    return x;
}
const char* narrow(StringArg) { return string8; }

struct Directive {
    bool star_width = false, star_precision = false;
    int width = 0, precision = 0;
    Kind kind = K_INT;
    uint64_t value = 0;
};

template <typename Call>
size_t dispatch(const Directive& d, Call call) {
    auto with_value = [&](auto... lead) -> size_t {
        switch (d.kind) {
        case K_INT: return call(lead..., int(d.value));
        case K_I64: return call(lead..., (long long)(d.value));
        case K_UNSIGNED: return call(lead..., unsigned(d.value));
        case K_U64: return call(lead..., (unsigned long long)(d.value));
        case K_STRING: return call(lead..., StringArg{});
        }
        return 0;
    };
    if (d.star_width && d.star_precision) return with_value(d.width, d.precision);
    if (d.star_width) return with_value(d.width);
    if (d.star_precision) return with_value(d.precision);
    return with_value();
}

struct Reader {
    const uint8_t* p;
    size_t n;
    uint8_t byte() {
        if (n == 0) return 0;
        --n;
        return *p++;
    }
};

std::string literal(Reader& r, size_t len) {
    std::string s;
    for (size_t i = 0; i < len && r.n > 0; ++i) {
        char c = char(0x20 + r.byte() % 0x5F);
        s += c == '%' ? '#' : c;
    }
    return s;
}

std::u16string to16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

void checked_against_c_library(size_t cap, Reader r) {
    uint8_t flags = r.byte(), wmode = r.byte(), pmode = r.byte(), size = r.byte(), letter = r.byte();
    Directive d;
    std::string directive = "%";
    if (flags & 1) directive += '0';
    if (flags & 2) directive += '+';
    if (flags & 4) directive += '-';
    if (flags & 8) directive += ' ';
    static const char letters[] = "diuxXos";
    char conv = letters[letter % 7];
    bool is_string = conv == 's';
    if (is_string && (flags & 1)) directive.erase(directive.find('0'), 1);  // '0' with %s has no C meaning
    switch (wmode % 3) {
    case 1: directive += std::to_string(r.byte() % 40); break;
    case 2:
        directive += '*';
        d.star_width = true;
        d.width = int(int8_t(r.byte())) % 40;
        break;
    }
    if (is_string) {  // precision has a C meaning for integers that this formatter leaves out
        switch (pmode % 3) {
        case 1: directive += "." + std::to_string(r.byte() % 40); break;
        case 2:
            directive += ".*";
            d.star_precision = true;
            d.precision = int(int8_t(r.byte()));
            break;
        }
    }
    std::string directive16 = directive, directive8 = directive;
    bool wide64 = !is_string && (size % 3) != 0;
    if (wide64) {
        directive16 += (size % 3) == 1 ? "I64" : "ll";
        directive8 += "ll";
    }
    directive16 += conv;
    directive8 += conv;
    bool is_signed = conv == 'd' || conv == 'i';
    d.kind = is_string ? K_STRING : is_signed ? (wide64 ? K_I64 : K_INT) : (wide64 ? K_U64 : K_UNSIGNED);
    for (int i = 0; i < 8; ++i) d.value = d.value << 8 | r.byte();
    std::string str = literal(r, r.byte() % 48);
    std::string before = literal(r, r.byte() % 64);
    std::string after = literal(r, r.n);

    std::u16string str16 = to16(str);
    string16 = str16.c_str();
    string8 = str.c_str();
    std::u16string fmt16 = to16(before + directive16 + after);
    std::string fmt8 = before + directive8 + after;

    char expected[8192];
    dispatch(d, [&](auto... xs) -> size_t {
        return size_t(snprintf(expected, sizeof expected, fmt8.c_str(), narrow(xs)...));
    });
    std::string want(expected);
    if (want.size() > cap - 1) want.resize(cap - 1);

    char16_t* out = exact_buffer(cap, u"");
    size_t n = dispatch(d, [&](auto... xs) -> size_t { return text_format(out, cap, fmt16.c_str(), wide(xs)...); });
    std::string ctx = "format [" + utf8(fmt16) + "] cap " + std::to_string(cap) + " value " + std::to_string(d.value) +
                      " width " + std::to_string(d.width) + " precision " + std::to_string(d.precision) + " string [" +
                      str + "]";
    FUZZ_CHECK(n == want.size() && out[n] == 0,
               ctx + "\ngot  [" + utf8(out) + "] (" + std::to_string(n) + ")\nwant [" + want + "]");
    FUZZ_CHECK(utf8(out) == want, ctx + "\ngot  [" + utf8(out) + "]\nwant [" + want + "]");
    exact_free(out);
}

void any_format_text(size_t cap, Reader r) {
    std::u16string fmt = fuzz_text(r.p, r.n, nullptr);
    // Each directive takes at most three arguments; sixteen cover five directives.
    size_t percents = 0;
    for (size_t i = 0; i < fmt.size(); ++i)
        if (fmt[i] == u'%' && ++percents > 5) fmt.resize(i);
    static const char16_t s[] = u"text";
    char16_t* f = exact_buffer(fmt.size() + 1, fmt);
    char16_t* out = exact_buffer(cap, u"");
    size_t n = text_format(out, cap, f, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s);
    FUZZ_CHECK(n <= cap - 1 && out[n] == 0,
               "format " + shown(fmt) + " cap " + std::to_string(cap) + " gave length " + std::to_string(n));
    exact_free(out);
    exact_free(f);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    harness_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    Reader r{data + 2, size - 2};
    if (data[0] == 0) {
        // No room at all: nothing may be written, not even the NUL.
        char16_t* out = exact_buffer(1, u"");
        out[0] = u'Q';
        FUZZ_CHECK(text_format(out, 0, u"%d%s", 5, u"x") == 0 && out[0] == u'Q', "capacity 0 wrote");
        exact_free(out);
        return 0;
    }
    size_t cap = data[0];
    if (data[1] & 1) any_format_text(cap, r);
    else checked_against_c_library(cap, r);
    return 0;
}
