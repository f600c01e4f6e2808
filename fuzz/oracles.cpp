#include "fuzz/oracles.h"

#include <errno.h>
#include <inttypes.h>
#include <stdio.h>
#include <stdlib.h>

#include "text/chars.h"

namespace {

bool ascii_digit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool ascii_hex(char16_t c) { return ascii_digit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }
bool octal_digit(char16_t c) { return c >= u'0' && c <= u'7'; }

unsigned digit_of(char16_t c) {
    if (ascii_digit(c)) return unsigned(c - u'0');
    if (c >= u'a' && c <= u'z') return unsigned(c - u'a' + 10);
    if (c >= u'A' && c <= u'Z') return unsigned(c - u'A' + 10);
    return 99;
}

struct Form {
    int base;  // 0: no number
    size_t start;
};

Form form_of(const std::u16string& t, bool wide64) {
    auto at = [&](size_t i) -> char16_t { return i < t.size() ? t[i] : 0; };
    if (at(0) == u'0' && (at(1) == u'x' || at(1) == u'X') && ascii_hex(at(2))) return {16, 2};
    if (at(0) == u'0' && (at(1) == u'o' || at(1) == u'O') && octal_digit(at(2))) return {8, 2};
    if (ascii_digit(at(0))) return {10, 0};
    if (wide64 && (at(0) == u'+' || at(0) == u'-') && ascii_digit(at(1))) return {10, 0};
    return {0, 0};
}

}  // namespace

NumberAnswer number_oracle(const std::u16string& t, bool wide64, bool with_end) {
    auto at = [&](size_t i) -> char16_t { return i < t.size() ? t[i] : 0; };
    NumberAnswer a{-1, 0, 0};
    Form f = form_of(t, wide64);
    if (f.base == 0) return a;
    size_t i = f.start;
    std::string digits;
    if (f.base == 10 && (at(i) == u'+' || at(i) == u'-')) digits += char(at(i++));
    if (f.base == 16 && at(i) == u'0' && (at(i + 1) == u'x' || at(i + 1) == u'X')) i += 2;
    size_t first_digit = i;
    while (digit_of(at(i)) < unsigned(f.base)) digits += char(at(i++));
    if (i == first_digit) {
        // No digit taken: the value is 0 and the conversion ends where it began.
        digits = "0";
        i = f.start;
    }
    errno = 0;
    bool signed_decimal = wide64 && f.base == 10;
    uint64_t v = signed_decimal ? uint64_t(strtoll(digits.c_str(), nullptr, 10))
                                : uint64_t(strtoull(digits.c_str(), nullptr, f.base));
    bool range = errno == ERANGE || (!wide64 && v > 0xFFFFFFFFull);
    if (range) {
        a.status = 34;
        return a;
    }
    if (!with_end && at(i) != 0) return a;
    a.status = 0;
    a.value = v;
    a.end = i;
    return a;
}

DigitsAnswer digits_oracle(const std::u16string& t, size_t start, int base) {
    auto at = [&](size_t i) -> char16_t { return i < t.size() ? t[i] : 0; };
    size_t i = start;
    if (base == 16 && at(i) == u'0' && (at(i + 1) == u'x' || at(i + 1) == u'X')) i += 2;
    std::string digits;
    while (digit_of(at(i)) < unsigned(base)) digits += char(at(i++));
    if (digits.empty()) return {false, 0, start};
    errno = 0;
    unsigned long long v = strtoull(digits.c_str(), nullptr, base);
    if (errno == ERANGE || v > 0xFFFFFFFFull) return {true, 0, i};
    return {false, uint32_t(v), i};
}

CounterAnswer counter_oracle(const std::u16string& old, bool present, bool decrement) {
    int64_t number = 0;
    enum { DEC, HEX, OCT } notation = DEC;
    bool numeric = !present;
    if (present) {
        size_t s = 0;
        while (s < old.size() && text_is_space(old[s])) ++s;
        std::u16string rest = old.substr(s);
        auto at = [&](size_t i) -> char16_t { return i < rest.size() ? rest[i] : 0; };
        bool numeric_start = ascii_digit(at(0)) || ((at(0) == u'+' || at(0) == u'-') && ascii_digit(at(1)));
        if (numeric_start) {
            Form f = form_of(rest, true);
            notation = f.base == 16 ? HEX : f.base == 8 ? OCT : DEC;
            NumberAnswer n = number_oracle(rest, true, true);
            if (n.status == 0) {
                number = int64_t(n.value);
                numeric = n.end == rest.size();
            }
        }
    }
    uint64_t next = decrement ? uint64_t(number) - 1 : uint64_t(number) + 1;
    char buf[64];
    if (notation == HEX) snprintf(buf, sizeof buf, "0x%02" PRIX64, next);
    else if (notation == OCT) snprintf(buf, sizeof buf, "0o%03" PRIo64, next);
    else snprintf(buf, sizeof buf, "%" PRId64, int64_t(next));
    CounterAnswer a;
    for (const char* p = buf; *p; ++p) a.stored.push_back(char16_t(*p));
    a.numeric = numeric;
    return a;
}
