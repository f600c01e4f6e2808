// The bounded string helpers and the UTF-8 / UTF-16 conversions at their own interfaces:
// capacities met exactly, and ill-formed input. Byte sequences are written out by hand.
#include <gtest/gtest.h>

#include <string>

#include "text/chars.h"
#include "text/utf.h"

namespace {

TEST(TextHelpers, CopyLowerAndTrimStayInsideTheirBounds) {
    char16_t buf[6] = {u'#', u'#', u'#', u'#', u'#', u'#'};
    EXPECT_EQ(text_copy(buf, 0, u"abc"), 0u);
    EXPECT_EQ(buf[0], u'#');
    EXPECT_EQ(text_copy(buf, 3, u"abcdef"), 2u);
    EXPECT_EQ(std::u16string(buf), u"ab");
    EXPECT_EQ(buf[3], u'#');
    EXPECT_EQ(text_copy(buf, 4, u"abc"), 3u);
    EXPECT_EQ(std::u16string(buf), u"abc");

    // Lower-casing stops at cap even where the text has no NUL inside it.
    char16_t up[4] = {u'A', u'B', u'C', u'D'};
    text_lower_inplace(up, 3);
    EXPECT_EQ(std::u16string(up, 4), u"abcD");
    char16_t mixed[] = u"Ab\u00C4Z";  // letters past ASCII keep their case
    text_lower_inplace(mixed, 8);
    EXPECT_EQ(std::u16string(mixed), u"ab\u00C4z");

    char16_t blanks[] = u" \t\u00A0\r\n";
    text_trim_right(blanks);
    EXPECT_EQ(blanks[0], 0);
    char16_t tail[] = u" a b \t";
    text_trim_right(tail);
    EXPECT_EQ(std::u16string(tail), u" a b");
}

struct Utf16Row {
    std::u16string in;
    std::string want;
};

TEST(TextUtf, Utf16ToUtf8ReplacesUnpairedSurrogates) {
    const Utf16Row rows[] = {
        {u"a\u00e9\u20ac", "a\xC3\xA9\xE2\x82\xAC"},
        {std::u16string{0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"},
        {std::u16string{0xD83D}, "\xEF\xBF\xBD"},         // high half at the end
        {std::u16string{0xD83D, u'x'}, "\xEF\xBF\xBDx"},  // high half before a non-half
        {std::u16string{0xD83D, 0xD83D, 0xDE00}, "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
        {std::u16string{0xDE00, 0xD83D}, "\xEF\xBF\xBD\xEF\xBF\xBD"},  // low before high
        {std::u16string{u'a', 0xDC00, u'b'},
         "a\xEF\xBF\xBD"
         "b"},
    };
    for (const Utf16Row& r : rows) {
        char out[16];
        size_t n = utf16_to_utf8(r.in.data(), r.in.size(), out, sizeof out);
        EXPECT_EQ(std::string(out, n), r.want) << r.want.size();
    }
}

TEST(TextUtf, Utf16ToUtf8DropsACharacterThatDoesNotFitWhole) {
    const std::u16string in{u'a', 0x20AC, 0xD83D, 0xDE00};  // 1 + 3 + 4 bytes
    const struct {
        size_t cap;
        const char* want;
    } rows[] = {
        {0, ""}, {1, "a"}, {3, "a"}, {4, "a\xE2\x82\xAC"}, {7, "a\xE2\x82\xAC"}, {8, "a\xE2\x82\xAC\xF0\x9F\x98\x80"}};
    for (const auto& r : rows) {
        char out[9];
        for (char& c : out) c = '#';
        size_t n = utf16_to_utf8(in.data(), in.size(), out, r.cap);
        EXPECT_EQ(std::string(out, n), r.want) << "cap " << r.cap;
        EXPECT_EQ(out[r.cap], '#') << "cap " << r.cap;
    }
}

TEST(TextUtf, Utf8ToUtf16KeepsPairsWholeAndTheNulInside) {
    const char* in =
        "a\xF0\x9F\x98\x80"
        "b";  // a, U+1F600, b
    const struct {
        size_t cap;
        std::u16string want;
    } rows[] = {{1, u""},
                {2, u"a"},
                {3, u"a"},
                {4, std::u16string{u'a', 0xD83D, 0xDE00}},
                {5, std::u16string{u'a', 0xD83D, 0xDE00, u'b'}}};
    for (const auto& r : rows) {
        char16_t out[6];
        for (char16_t& c : out) c = u'#';
        size_t n = utf8_to_utf16(in, out, r.cap);
        EXPECT_EQ(n, r.want.size()) << "cap " << r.cap;
        EXPECT_EQ(std::u16string(out), r.want) << "cap " << r.cap;
        EXPECT_EQ(out[r.cap], u'#') << "cap " << r.cap;
    }
    char16_t untouched = u'#';
    EXPECT_EQ(utf8_to_utf16(in, &untouched, 0), 0u);
    EXPECT_EQ(untouched, u'#');
    EXPECT_EQ(utf8_to_utf16_length(in), 4u);
}

}  // namespace
