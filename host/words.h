// Small text helpers of the batch language.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

// Moves *i past the white space that stands there.
void skip_blanks(const std::u16string& s, size_t* i);
// The bounds of s[from, to) without the white space at either end.
void trim_bounds(const std::u16string& s, size_t from, size_t to, size_t* begin, size_t* end);
std::u16string trim(const std::u16string& s);
std::u16string trim_left(const std::u16string& s);
bool equal_nocase(const std::u16string& a, const std::u16string& b);
// The same against a literal, which would otherwise be copied into a string first: every
// command word and function name is held against a list of them.
bool equal_nocase(const std::u16string& a, const char16_t* b);
// The first word (up to white space) and the text after the white space that follows it.
void split_word(const std::u16string& s, std::u16string* word, std::u16string* rest);
// Where the word that starts at from ends: at white space outside double quotes and, when
// brackets is set, outside a function's brackets (which may hold blanks).
size_t word_end(const std::u16string& s, size_t from, bool brackets);
// The words of s as word_end parts them, quotes kept.
std::vector<std::u16string> words_of(const std::u16string& s, bool brackets);
// s without one pair of double quotes that encloses it whole.
std::u16string unquoted(const std::u16string& s);
// Whether a name holds a wildcard, '*' or '?'.
inline bool has_wildcard(const std::u16string& s) { return s.find_first_of(u"*?") != std::u16string::npos; }
// A whole signed number in the plug-in's number syntax (decimal, 0x hexadecimal, 0o octal),
// which the host also takes with a sign before 0x and 0o; within the signed 64-bit range.
bool parse_number(const std::u16string& s, int64_t* value);
std::u16string number_text(int64_t v);
std::u16string unsigned_text(uint64_t v);
