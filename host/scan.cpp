#include "host/scan.h"

#include "shell/shell_host.h"
#include "text/chars.h"

namespace {

size_t name_end(const std::u16string& s, size_t from) {
    while (from < s.size() && shell_is_name_char(s[from])) ++from;
    return from;
}

// The bracket at open and all it holds, as the expander counts brackets.
ScanUnit reference(const std::u16string& s, size_t open) {
    int nest = 0;
    for (size_t k = open; k < s.size(); ++k) {
        if (s[k] == u'[') ++nest;
        else if (s[k] == u']' && --nest == 0) return ScanUnit{UNIT_REFERENCE, k + 1, true};
    }
    return ScanUnit{UNIT_REFERENCE, s.size(), false};
}

// What a '%' starts; a plain character when it starts nothing.
ScanUnit at_percent(const std::u16string& s, size_t percent, const ScanRules& rules) {
    size_t k = percent + 1;
    if (rules.references && k < s.size() && s[k] == u'%') return ScanUnit{UNIT_PERCENT, k + 1, true};
    if (rules.references && k < s.size() && s[k] == u'@') {
        size_t bracket = name_end(s, k + 1);
        if (bracket > k + 1 && bracket < s.size() && s[bracket] == u'[') return reference(s, bracket);
    }
    if (rules.references && k < s.size() && s[k] == u'[') {  // a name, to its first ']'
        size_t close = s.find(u']', k + 1);
        if (close == std::u16string::npos) return ScanUnit{UNIT_REFERENCE, s.size(), false};
        return ScanUnit{UNIT_REFERENCE, close + 1, true};
    }
    if (rules.value_parts) {
        size_t colon = name_end(s, k);
        size_t close =
            colon > k && colon < s.size() && s[colon] == u':' ? s.find(u'%', colon + 1) : std::u16string::npos;
        if (close != std::u16string::npos) return ScanUnit{UNIT_VALUE_PART, close + 1, true};
    }
    return ScanUnit{UNIT_CHAR, percent + 1, true};
}

// A quote and what it holds: references within it are units of their own.
ScanUnit quote(const std::u16string& s, size_t open, const ScanRules& rules) {
    for (size_t k = open + 1; k < s.size();) {
        if (s[k] == u'"') return ScanUnit{UNIT_QUOTE, k + 1, true};
        ScanUnit inner = s[k] == u'%' ? at_percent(s, k, rules) : ScanUnit{UNIT_CHAR, k + 1, true};
        if (!inner.closed) return ScanUnit{UNIT_QUOTE, s.size(), false};
        k = inner.end;
    }
    return ScanUnit{UNIT_QUOTE, s.size(), false};
}

}  // namespace

ScanUnit scan_unit(const std::u16string& s, size_t i, const ScanRules& rules) {
    if (s[i] == u'"' && rules.quotes) return quote(s, i, rules);
    if (s[i] == u'%') return at_percent(s, i, rules);
    return ScanUnit{UNIT_CHAR, i + 1, true};
}

namespace {

// After [2]> at i: '>' once more, then '&' and the other stream, or '&' alone.
ScanOperator redirection(const std::u16string& s, size_t i, int stream) {
    ScanOperator r{OPERATOR_REDIRECT, i, stream, false, false, 0};
    r.append = r.end < s.size() && s[r.end] == u'>';
    if (r.append) ++r.end;
    if (r.end == s.size() || s[r.end] != u'&') return r;
    ++r.end;
    char16_t other = stream == 2 ? u'1' : u'2';
    if (!r.append && r.end < s.size() && s[r.end] == other) {
        ++r.end;
        r.to_stream = 3 - stream;
    } else {
        r.both = true;
    }
    return r;
}

}  // namespace

ScanOperator scan_operator(const std::u16string& s, size_t i, bool word_start) {
    ScanOperator op{OPERATOR_NONE, i + 1, 0, false, false, 0};
    bool last = i + 1 == s.size();
    char16_t next = last ? 0 : s[i + 1];
    switch (s[i]) {
    case u'^':
        if (!last) op = ScanOperator{OPERATOR_ESCAPE, i + 2, 0, false, false, 0};
        break;
    case u'&': op.kind = next == u'&' ? OPERATOR_AND_AND : OPERATOR_AND; break;
    case u'|': op.kind = OPERATOR_PIPE; break;
    case u'<': op.kind = OPERATOR_INPUT; break;
    case u'(': op.kind = OPERATOR_OPEN; break;
    case u')': op.kind = OPERATOR_CLOSE; break;
    case u'>': op = redirection(s, i + 1, 1); break;
    case u'2':
        if (word_start && !last && next == u'>') op = redirection(s, i + 2, 2);
        break;
    default: break;
    }
    return op;
}

size_t scan_word_end(const std::u16string& s, size_t from, const ScanRules& rules, bool (*ends)(char16_t)) {
    size_t i = from;
    while (i < s.size() && !text_is_space(s[i]) && !(ends && ends(s[i]))) i = scan_unit(s, i, rules).end;
    return i;
}

std::vector<std::u16string> scan_words(const std::u16string& s, const ScanRules& rules) {
    std::vector<std::u16string> words;
    for (size_t i = 0;;) {
        while (i < s.size() && text_is_space(s[i])) ++i;
        if (i == s.size()) return words;
        size_t end = scan_word_end(s, i, rules);
        words.push_back(s.substr(i, end - i));
        i = end;
    }
}

std::vector<std::u16string> scan_commas(const std::u16string& s, const ScanRules& rules, size_t most) {
    std::vector<std::u16string> parts(1);
    for (size_t i = 0; i < s.size();) {
        size_t end = scan_unit(s, i, rules).end;
        if (s[i] == u',' && end == i + 1 && parts.size() < most) parts.emplace_back();
        else parts.back().append(s, i, end - i);
        i = end;
    }
    return parts;
}
