#include "host/words.h"

#include "host/output.h"
#include "text/chars.h"

std::u16string trim_left(const std::u16string& s) {
    size_t b = 0;
    while (b < s.size() && text_is_space(s[b])) ++b;
    return s.substr(b);
}

std::u16string trim(const std::u16string& s) {
    std::u16string t = trim_left(s);
    while (!t.empty() && text_is_space(t.back())) t.pop_back();
    return t;
}

bool equal_nocase(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (text_upper(a[i]) != text_upper(b[i])) return false;
    return true;
}

void split_word(const std::u16string& s, std::u16string* word, std::u16string* rest) {
    std::u16string t = trim_left(s);
    size_t e = 0;
    while (e < t.size() && !text_is_space(t[e])) ++e;
    *word = t.substr(0, e);
    *rest = trim_left(t.substr(e));
}

std::vector<std::u16string> split_commas(const std::u16string& s) {
    std::vector<std::u16string> out;
    std::u16string piece;
    bool quoted = false;
    for (char16_t c : s) {
        if (c == u'"') quoted = !quoted;
        if (c == u',' && !quoted) {
            out.push_back(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    out.push_back(piece);
    for (std::u16string& p : out) {
        p = trim(p);
        if (p.size() >= 2 && p.front() == u'"' && p.back() == u'"') p = p.substr(1, p.size() - 2);
    }
    return out;
}

bool parse_number(const std::u16string& s, int64_t* value) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
    unsigned base = 10;
    if (i + 2 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) base = 16, i += 2;
    else if (i + 2 < s.size() && s[i] == u'0' && (s[i + 1] == u'o' || s[i + 1] == u'O')) base = 8, i += 2;
    if (i >= s.size()) return false;
    uint64_t v = 0;
    for (; i < s.size(); ++i) {
        char16_t c = s[i];
        unsigned d;
        if (text_is_digit(c)) d = unsigned(c - u'0');
        else if (base == 16 && text_is_hex_digit(c)) d = unsigned(text_upper(c) - u'A' + 10);
        else return false;
        if (d >= base) return false;
        // Beyond the range of a signed 64-bit number in either direction.
        if (v > (uint64_t(1) << 63) / base) return false;
        v = v * base + d;
        if (v > (uint64_t(1) << 63)) return false;
    }
    if (!negative && v > uint64_t(INT64_MAX)) return false;
    *value = negative ? int64_t(0 - v) : int64_t(v);
    return true;
}

std::u16string number_text(int64_t v) { return to_u16(std::to_string(v)); }
std::u16string unsigned_text(uint64_t v) { return to_u16(std::to_string(v)); }
