// The one reading of what holds text in a line, so that a blank, '&', ',', '>' or ')' within
// it is no syntax, and of the operators outside it. Every part of the language that parts a
// text into commands, words, operands or arguments steps through it here, a unit at a time:
//   a quote         up to the next quote, or to the end when it is left open;
//   a reference     in a text as written, inside a quote too, as the shell's expander
//                   reads it (shell/expand.cpp): %[NAME] up to its first ']', %@NAME[...]
//                   up to the bracket that closes it, brackets counted and quotes text;
//   a value's part  %NAME:~START,LENGTH% or %NAME:OLD=NEW%, to its closing '%', where the
//                   commas of a function's arguments are counted;
//   "%%"            a plain '%' in a text as written, which opens nothing;
//   a character     anything else.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

// Which units hold text where the text is read.
struct ScanRules {
    bool quotes;       // a quote holds
    bool references;   // the text is as written: references and "%%" are units
    bool value_parts;  // a value's part is a unit
};

// The rules of a command's line as written, and of a text once expanded.
const ScanRules SCAN_WRITTEN = {true, true, false};
const ScanRules SCAN_EXPANDED = {true, false, false};

enum UnitKind { UNIT_CHAR, UNIT_PERCENT, UNIT_QUOTE, UNIT_REFERENCE, UNIT_VALUE_PART };

struct ScanUnit {
    UnitKind kind;
    size_t end;   // one past its last character
    bool closed;  // false for a quote or a reference left open, which runs to the end
};

// The syntax a command's line may hold outside every unit.
enum OperatorKind {
    OPERATOR_NONE,      // a character of the text
    OPERATOR_ESCAPE,    // '^' and the character it takes as it stands
    OPERATOR_AND,       // '&'
    OPERATOR_AND_AND,   // "&&"
    OPERATOR_PIPE,      // '|'
    OPERATOR_INPUT,     // '<'
    OPERATOR_OPEN,      // '('
    OPERATOR_CLOSE,     // ')'
    OPERATOR_REDIRECT,  // [2] > or >>, then & and the other stream, or [&] and a file's name
};

struct ScanOperator {
    OperatorKind kind;
    size_t end;     // one past it; for a redirection to a file, where the name may start
    int stream;     // OPERATOR_REDIRECT: 1 or 2
    bool append;    // >>
    bool both;      // >&: both streams to the file
    int to_stream;  // 2>&1 or >&2: the stream it becomes a copy of; 0 for a file
};

// The unit that starts at s[i], i < s.size().
ScanUnit scan_unit(const std::u16string& s, size_t i, const ScanRules& rules);
// The operator at s[i], where scan_unit finds a character; word_start: whether a '2' there
// begins a word, so that "2>" is a redirection.
ScanOperator scan_operator(const std::u16string& s, size_t i, bool word_start);
// Where the word that starts at from ends: at the first blank, or character that `ends`
// takes, that no unit holds.
size_t scan_word_end(const std::u16string& s, size_t from, const ScanRules& rules, bool (*ends)(char16_t) = nullptr);
// The words of s, parted at blanks that no unit holds, quotes kept.
std::vector<std::u16string> scan_words(const std::u16string& s, const ScanRules& rules);
// s parted at the commas that no unit holds, into `most` parts at most (the last takes the
// rest); the parts as they stand.
std::vector<std::u16string> scan_commas(const std::u16string& s, const ScanRules& rules, size_t most);
