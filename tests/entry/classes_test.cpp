// Character classes as the entries show them: white space where the splitter drops it,
// the letters and digits of the names INC and DEC accept, and the upper-casing of a quoted
// argument. Up to U+00FF the classes are fixed; beyond it each build follows its platform
// (Windows and its C runtime, or the Linux stand-in's Unicode tables), and the rows where
// the two differ give each build's answer.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "tests/entry/filefunc_calls.h"

namespace {

#if defined(_WIN32)
const bool kWindows = true;
#else
const bool kWindows = false;
#endif

const std::string kPrefix = "Bytehaul plugin: ";

std::string hex(char16_t c) {
    char s[16];
    snprintf(s, sizeof s, "U+%04X", unsigned(c));
    return s;
}

// White space before a value size is dropped: "1,<c>0" asks for the size 0 when c is white
// space, and has a bad size otherwise. Nothing is read either way.
bool dropped_before_size(char16_t c) {
    Call r = inthaul(u"1," + std::u16string(1, c) + u"0");
    EXPECT_EQ(r.rc, -1) << hex(c);
    if (r.err == kPrefix + "Value size must be 1 \xe2\x80\x93 8: 0\r\n") return true;
    EXPECT_EQ(r.err.rfind(kPrefix + "Bad value size: \"", 0), 0u) << hex(c) << ": " << r.err;
    return false;
}

TEST(CharClasses, FixedWhiteSpaceUpToFF) {
    const std::u16string fixed = u"\t\n\v\f\r \u00A0";
    for (char16_t c = 1; c <= 0xFF; ++c) {
        if (c == u'"' || c == u',' || (c >= u'0' && c <= u'9')) continue;  // quote, separator, part of the size
        EXPECT_EQ(dropped_before_size(c), fixed.find(c) != std::u16string::npos) << hex(c);
    }
}

// Where both platforms agree; U+0085 is space to Windows' classification, but below U+0100
// the fixed list rules. INC drops the same white space before a counter's value.
TEST(CharClasses, WhiteSpaceBeyondTheFixedList) {
    const struct {
        char16_t c;
        bool space;
    } rows[] = {
        {0x1680, true},  {0x2000, true},  {0x2005, true},  {0x200A, true},  {0x2028, true},  {0x2029, true},
        {0x202F, true},  {0x205F, true},  {0x3000, true},  {0x0085, false}, {0x001C, false}, {0x0100, false},
        {0x180E, false}, {0x200B, false}, {0x2027, false}, {0x2060, false}, {0x3001, false}, {0xFEFF, false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(dropped_before_size(r.c), r.space) << hex(r.c);
        std::u16string value = std::u16string(1, r.c) + u"5";
        env_set("bh_space", U8(value).c_str());
        std::u16string text = u"/Q bh_space";
        capture_begin();
        int code = inc(&text[0]);
        capture_end();
        std::string after;
        EXPECT_TRUE(env_get("bh_space", &after));
        EXPECT_EQ(code, r.space ? 0 : 2) << hex(r.c);
        EXPECT_EQ(after, r.space ? "6" : U8(value)) << hex(r.c);
    }
    env_set("bh_space", nullptr);
}

enum Class { OTHER, LETTER, DIGIT };

// INC takes the name, sets the new variable to 1 and removes it again; or reports the name
// as typed.
bool name_accepted(const std::u16string& name) {
    const std::string n = U8(name);
    env_set(n.c_str(), nullptr);
    std::u16string text = name;
    capture_begin();
    int code = inc(&text[0]);
    Captured c = capture_end();
    std::string value;
    bool set = env_get(n.c_str(), &value);
    env_set(n.c_str(), nullptr);
    if (code == 0) {
        EXPECT_TRUE(set && value == "1") << n;
        EXPECT_EQ(c.err, "") << n;
        return true;
    }
    EXPECT_EQ(code, 1) << n;
    EXPECT_EQ(c.err, kPrefix + "Bad environment variable name: \"" + n + "\"\r\n");
    return false;
}

// A character within a name needs to be a letter or a digit (or one of four signs); at the
// start, a digit is refused.
void expect_name_class(char16_t c, Class k) {
    EXPECT_EQ(name_accepted(u"bh" + std::u16string(1, c)), k != OTHER) << hex(c) << " within a name";
    EXPECT_EQ(name_accepted(std::u16string(1, c) + u"bh"), k == LETTER) << hex(c) << " first in a name";
}

TEST(CharClasses, NameCharactersInAscii) {
    for (char c = '!'; c <= '~'; ++c) {
        if (c == '"' || c == '/') continue;  // a quote is no character of the name; "/" starts an option
        bool letter = isalpha(static_cast<unsigned char>(c)) || strchr("$-._", c);
        Class k = letter ? LETTER : (c >= '0' && c <= '9') ? DIGIT : OTHER;
        expect_name_class(char16_t(c), k);
    }
    EXPECT_FALSE(name_accepted(u"bh/"));
}

TEST(CharClasses, NameCharactersBeyondAscii) {
    const struct {
        char16_t c;
        Class linux_class, windows_class;
    } rows[] = {
        {0x00C0, LETTER, LETTER},
        {0x00E9, LETTER, LETTER},
        {0x00FF, LETTER, LETTER},
        {0x0101, LETTER, LETTER},
        {0x0131, LETTER, LETTER},
        {0x0391, LETTER, LETTER},
        {0x03C9, LETTER, LETTER},
        {0x0416, LETTER, LETTER},
        {0x05D0, LETTER, LETTER},
        {0x0627, LETTER, LETTER},
        {0x0E01, LETTER, LETTER},
        {0x10D0, LETTER, LETTER},
        {0x4E2D, LETTER, LETTER},
        {0xAC00, LETTER, LETTER},
        {0xFF21, LETTER, LETTER},
        {0x0660, DIGIT, DIGIT},
        {0x0966, DIGIT, DIGIT},
        {0xFF10, DIGIT, DIGIT},
        {0x00A7, OTHER, OTHER},
        {0x00BF, OTHER, OTHER},
        {0x00D7, OTHER, OTHER},
        {0x00F7, OTHER, OTHER},
        {0x2013, OTHER, OTHER},
        {0x20AC, OTHER, OTHER},
        {0x2192, OTHER, OTHER},
        {0x3001, OTHER, OTHER},
        // The stand-in's Unicode categories and the runtime of Windows part here.
        {0x00AA, LETTER, OTHER},
        {0x00B5, LETTER, OTHER},
        {0x00BA, LETTER, OTHER},
        {0x00B2, OTHER, DIGIT},
        {0x00B9, OTHER, DIGIT},
        {0x2160, OTHER, LETTER},
        {0x3007, OTHER, LETTER},
    };
    for (const auto& r : rows) expect_name_class(r.c, kWindows ? r.windows_class : r.linux_class);
}

// Unicode's simple upper-case mapping in the ranges below, for every character it changes
// but the dotless i; made with Python's unicodedata (Unicode 14) as
//   [(c, ord(chr(c).upper())) for c in range if len(chr(c).upper()) == 1 and chr(c).upper() != chr(c)]
const struct {
    char16_t from, to;
} kUnicodeUpper[] = {
    {0x00E0, 0x00C0}, {0x00E1, 0x00C1}, {0x00E2, 0x00C2}, {0x00E3, 0x00C3}, {0x00E4, 0x00C4}, {0x00E5, 0x00C5},
    {0x00E6, 0x00C6}, {0x00E7, 0x00C7}, {0x00E8, 0x00C8}, {0x00E9, 0x00C9}, {0x00EA, 0x00CA}, {0x00EB, 0x00CB},
    {0x00EC, 0x00CC}, {0x00ED, 0x00CD}, {0x00EE, 0x00CE}, {0x00EF, 0x00CF}, {0x00F0, 0x00D0}, {0x00F1, 0x00D1},
    {0x00F2, 0x00D2}, {0x00F3, 0x00D3}, {0x00F4, 0x00D4}, {0x00F5, 0x00D5}, {0x00F6, 0x00D6}, {0x00F8, 0x00D8},
    {0x00F9, 0x00D9}, {0x00FA, 0x00DA}, {0x00FB, 0x00DB}, {0x00FC, 0x00DC}, {0x00FD, 0x00DD}, {0x00FE, 0x00DE},
    {0x00FF, 0x0178}, {0x0101, 0x0100}, {0x0103, 0x0102}, {0x0105, 0x0104}, {0x0107, 0x0106}, {0x0109, 0x0108},
    {0x010B, 0x010A}, {0x010D, 0x010C}, {0x010F, 0x010E}, {0x0111, 0x0110}, {0x0113, 0x0112}, {0x0115, 0x0114},
    {0x0117, 0x0116}, {0x0119, 0x0118}, {0x011B, 0x011A}, {0x011D, 0x011C}, {0x011F, 0x011E}, {0x0121, 0x0120},
    {0x0123, 0x0122}, {0x0125, 0x0124}, {0x0127, 0x0126}, {0x0129, 0x0128}, {0x012B, 0x012A}, {0x012D, 0x012C},
    {0x012F, 0x012E}, {0x0133, 0x0132}, {0x0135, 0x0134}, {0x0137, 0x0136}, {0x013A, 0x0139}, {0x013C, 0x013B},
    {0x013E, 0x013D}, {0x0140, 0x013F}, {0x0142, 0x0141}, {0x0144, 0x0143}, {0x0146, 0x0145}, {0x0148, 0x0147},
    {0x014B, 0x014A}, {0x014D, 0x014C}, {0x014F, 0x014E}, {0x0151, 0x0150}, {0x0153, 0x0152}, {0x0155, 0x0154},
    {0x0157, 0x0156}, {0x0159, 0x0158}, {0x015B, 0x015A}, {0x015D, 0x015C}, {0x015F, 0x015E}, {0x0161, 0x0160},
    {0x0163, 0x0162}, {0x0165, 0x0164}, {0x0167, 0x0166}, {0x0169, 0x0168}, {0x016B, 0x016A}, {0x016D, 0x016C},
    {0x016F, 0x016E}, {0x0171, 0x0170}, {0x0173, 0x0172}, {0x0175, 0x0174}, {0x0177, 0x0176}, {0x017A, 0x0179},
    {0x017C, 0x017B}, {0x017E, 0x017D}, {0x03B1, 0x0391}, {0x03B2, 0x0392}, {0x03B3, 0x0393}, {0x03B4, 0x0394},
    {0x03B5, 0x0395}, {0x03B6, 0x0396}, {0x03B7, 0x0397}, {0x03B8, 0x0398}, {0x03B9, 0x0399}, {0x03BA, 0x039A},
    {0x03BB, 0x039B}, {0x03BC, 0x039C}, {0x03BD, 0x039D}, {0x03BE, 0x039E}, {0x03BF, 0x039F}, {0x03C0, 0x03A0},
    {0x03C1, 0x03A1}, {0x03C2, 0x03A3}, {0x03C3, 0x03A3}, {0x03C4, 0x03A4}, {0x03C5, 0x03A5}, {0x03C6, 0x03A6},
    {0x03C7, 0x03A7}, {0x03C8, 0x03A8}, {0x03C9, 0x03A9}, {0x03CA, 0x03AA}, {0x03CB, 0x03AB}, {0x0430, 0x0410},
    {0x0431, 0x0411}, {0x0432, 0x0412}, {0x0433, 0x0413}, {0x0434, 0x0414}, {0x0435, 0x0415}, {0x0436, 0x0416},
    {0x0437, 0x0417}, {0x0438, 0x0418}, {0x0439, 0x0419}, {0x043A, 0x041A}, {0x043B, 0x041B}, {0x043C, 0x041C},
    {0x043D, 0x041D}, {0x043E, 0x041E}, {0x043F, 0x041F}, {0x0440, 0x0420}, {0x0441, 0x0421}, {0x0442, 0x0422},
    {0x0443, 0x0423}, {0x0444, 0x0424}, {0x0445, 0x0425}, {0x0446, 0x0426}, {0x0447, 0x0427}, {0x0448, 0x0428},
    {0x0449, 0x0429}, {0x044A, 0x042A}, {0x044B, 0x042B}, {0x044C, 0x042C}, {0x044D, 0x042D}, {0x044E, 0x042E},
    {0x044F, 0x042F}, {0x0450, 0x0400}, {0x0451, 0x0401}, {0x0452, 0x0402}, {0x0453, 0x0403}, {0x0454, 0x0404},
    {0x0455, 0x0405}, {0x0456, 0x0406}, {0x0457, 0x0407}, {0x0458, 0x0408}, {0x0459, 0x0409}, {0x045A, 0x040A},
    {0x045B, 0x040B}, {0x045C, 0x040C}, {0x045D, 0x040D}, {0x045E, 0x040E}, {0x045F, 0x040F},
};

const struct {
    char16_t first, last;
} kUpperRanges[] = {{0x00C0, 0x017E}, {0x0391, 0x03AB}, {0x03B1, 0x03CB}, {0x0400, 0x045F}};

// Where each build has its own answer: Windows leaves the final sigma and upper-cases
// beyond the stand-in's ranges; the dotless i is Unicode's I on Linux (see below) and stays
// on Windows.
const struct {
    char16_t c, linux_upper, windows_upper;
} kUpperPerBuild[] = {
    {0x03C2, 0x03A3, 0x03C2},
    {0x0180, 0x0180, 0x0243},
    {0x10D0, 0x10D0, 0x1C90},
    {0x0131, 0x0049, 0x0131},
};

char16_t unicode_upper(char16_t c) {
    for (const auto& m : kUnicodeUpper)
        if (m.from == c) return m.to;
    return c;
}

// A handle of these characters is reported upper-cased, between "z" and "z" so that no
// blank is trimmed.
void expect_quoted_upper(const std::u16string& chars, const std::u16string& want) {
    Call r = bytehaul(u"z" + chars + u"z,1");
    EXPECT_EQ(r.rc, -1);
    std::u16string err = U(r.err);
    std::u16string quoted = err.substr(err.find(u'"') + 2, chars.size());
    ASSERT_EQ(r.err, kPrefix + "Bad handle: \"Z" + U8(quoted) + "Z\"\r\n");
    for (size_t i = 0; i < chars.size(); ++i)
        EXPECT_EQ(hex(quoted[i]), hex(want[i])) << "upper case of " << hex(chars[i]);
}

TEST(CharUpper, QuotedArgumentsByUnicodeAndByBuild) {
    std::u16string chars, want;
    for (const auto& range : kUpperRanges) {
        for (char16_t c = range.first; c <= range.last; ++c) {
            if (c == 0x03A2 || c == 0x03C2 || c == 0x0131) continue;  // unassigned; per build
            chars += c;
            want += unicode_upper(c);
        }
    }
    for (const auto& r : kUpperPerBuild) {
        chars += r.c;
        want += kWindows ? r.windows_upper : r.linux_upper;
    }
    expect_quoted_upper(chars, want);
}

}  // namespace
