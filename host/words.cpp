#include "host/words.h"

#include "args/number.h"
#include "host/output.h"
#include "text/chars.h"

// Every line passes through these several times: they copy once, what they keep.
void skip_blanks(const std::u16string& s, size_t* i) {
    while (*i < s.size() && text_is_space(s[*i])) ++*i;
}

void trim_bounds(const std::u16string& s, size_t from, size_t to, size_t* begin, size_t* end) {
    skip_blanks(s, &from);
    while (to > from && text_is_space(s[to - 1])) --to;
    *begin = from;
    *end = to;
}

std::u16string trim_left(const std::u16string& s) {
    size_t b = 0;
    skip_blanks(s, &b);
    return s.substr(b);
}

std::u16string trim(const std::u16string& s) {
    size_t b, e;
    trim_bounds(s, 0, s.size(), &b, &e);
    return s.substr(b, e - b);
}

bool equal_nocase(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (text_upper(a[i]) != text_upper(b[i])) return false;
    return true;
}

bool equal_nocase(const std::u16string& a, const char16_t* b) {
    size_t i = 0;
    for (; i < a.size(); ++i)
        if (b[i] == 0 || text_upper(a[i]) != text_upper(b[i])) return false;
    return b[i] == 0;
}

void split_word(const std::u16string& s, std::u16string* word, std::u16string* rest) {
    size_t b = 0;
    skip_blanks(s, &b);
    size_t e = b;
    while (e < s.size() && !text_is_space(s[e])) ++e;
    word->assign(s, b, e - b);
    skip_blanks(s, &e);
    rest->assign(s, e, std::u16string::npos);
}

size_t word_end(const std::u16string& s, size_t from, bool brackets) {
    int depth = 0;
    bool quoted = false;
    size_t i = from;
    for (; i < s.size(); ++i) {
        char16_t c = s[i];
        if (c == u'"') quoted = !quoted;
        else if (quoted) continue;
        else if (brackets && c == u'[') ++depth;
        else if (brackets && c == u']' && depth > 0) --depth;
        else if (depth == 0 && text_is_space(c)) break;
    }
    return i;
}

std::vector<std::u16string> words_of(const std::u16string& s, bool brackets) {
    std::vector<std::u16string> words;
    size_t i = 0;
    for (;;) {
        skip_blanks(s, &i);
        if (i == s.size()) return words;
        size_t end = word_end(s, i, brackets);
        words.push_back(s.substr(i, end - i));
        i = end;
    }
}

std::u16string unquoted(const std::u16string& s) {
    return s.size() >= 2 && s.front() == u'"' && s.back() == u'"' ? s.substr(1, s.size() - 2) : s;
}

bool parse_number(const std::u16string& s, int64_t* value) {
    int64_t v;
    if (ParseInteger64(s.c_str(), &v, nullptr) == PARSE_OK) {
        // Hexadecimal and octal come back as a bit pattern: beyond the signed range they
        // turn negative, and such a number is out of the host's range.
        if (v < 0 && s[0] != u'-') return false;
        *value = v;
        return true;
    }
    // The plug-in's syntax takes a sign only before decimal digits; the host also before
    // hexadecimal and octal ones.
    if (s.size() < 2 || (s[0] != u'-' && s[0] != u'+') || s[1] == u'-' || s[1] == u'+') return false;
    if (ParseInteger64(s.c_str() + 1, &v, nullptr) != PARSE_OK) return false;
    if (v < 0 && !(s[0] == u'-' && v == INT64_MIN)) return false;
    *value = s[0] == u'-' ? int64_t(0 - uint64_t(v)) : v;
    return true;
}

std::u16string number_text(int64_t v) { return to_u16(std::to_string(v)); }
std::u16string unsigned_text(uint64_t v) { return to_u16(std::to_string(v)); }
