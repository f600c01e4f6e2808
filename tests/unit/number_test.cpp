// The number syntax of handles, counts and sizes (32-bit) and of counter values (64-bit).
#include <gtest/gtest.h>

#include <string>

#include "args/number.h"
#include "tests/support/support.h"

namespace {

const uint32_t U32_UNSET = 0xA5A5A5A5u;
const int64_t I64_UNSET = int64_t(0x5A5A5A5A5A5A5A5Aull);

struct Expect {
    int32_t status;
    uint64_t value;  // the bit pattern, for either parser
};

const Expect NO = {PARSE_NO_NUMBER, 0};
const Expect RANGE = {PARSE_RANGE, 0};

void check_u32(const std::string& text, Expect want) {
    uint32_t v = U32_UNSET;
    int32_t r = ParseUnsigned32(U(text).c_str(), &v, nullptr);
    EXPECT_EQ(r, want.status) << "ParseUnsigned32 [" << text << "]";
    EXPECT_EQ(v, r == PARSE_OK ? uint32_t(want.value) : U32_UNSET) << "ParseUnsigned32 [" << text << "]";
}

void check_i64(const std::string& text, Expect want) {
    int64_t v = I64_UNSET;
    int32_t r = ParseInteger64(U(text).c_str(), &v, nullptr);
    EXPECT_EQ(r, want.status) << "ParseInteger64 [" << text << "]";
    EXPECT_EQ(v, r == PARSE_OK ? int64_t(want.value) : I64_UNSET) << "ParseInteger64 [" << text << "]";
}

TEST(NumberSyntax, WholeTextIsTheNumber) {
    struct Row {
        const char* text;
        Expect u32, i64;
    } rows[] = {
        {"0", {0, 0}, {0, 0}},
        {"017", {0, 17}, {0, 17}},
        {"0x1F", {0, 31}, {0, 31}},
        {"0X1f", {0, 31}, {0, 31}},
        {"0o17", {0, 15}, {0, 15}},
        {"0O17", {0, 15}, {0, 15}},
        {"0x0x1F", {0, 31}, {0, 31}},
        {"0x0X1F", {0, 31}, {0, 31}},
        {"0o78", NO, NO},
        {"0o79", NO, NO},
        {"0x", NO, NO},
        {"0xG", NO, NO},
        {"0o8", NO, NO},
        {"0x0x", NO, NO},
        {"12a", NO, NO},
        {"5 ", NO, NO},
        {" 5", NO, NO},
        {"", NO, NO},
        {"x", NO, NO},
        {"4294967295", {0, 4294967295u}, {0, 4294967295u}},
        {"0xFFFFFFFF", {0, 4294967295u}, {0, 4294967295u}},
        {"0o37777777777", {0, 4294967295u}, {0, 4294967295u}},
        {"4294967296", RANGE, {0, 4294967296ull}},
        {"0x100000000", RANGE, {0, 4294967296ull}},
        {"0o40000000000", RANGE, {0, 4294967296ull}},
        {"-5", NO, {0, uint64_t(-5)}},
        {"+5", NO, {0, 5}},
        {"-0", NO, {0, 0}},
        {"-0x5", NO, NO},
        {"+", NO, NO},
        {"-x", NO, NO},
        {"0xFFFFFFFFFFFFFFFF", RANGE, {0, ~0ull}},
        {"0o1777777777777777777777", RANGE, {0, ~0ull}},
        {"0o2000000000000000000000", RANGE, RANGE},
        {"0x10000000000000000", RANGE, RANGE},
        {"9223372036854775807", RANGE, {0, 9223372036854775807ull}},
        {"9223372036854775808", RANGE, RANGE},
        {"-9223372036854775808", NO, {0, 9223372036854775808ull}},
        {"-9223372036854775809", NO, RANGE},
        {"18446744073709551615", RANGE, RANGE},
        // A range error wins over what follows the digits.
        {"99999999999999999999z", RANGE, RANGE},
        // Only ASCII digits: fullwidth, Arabic-Indic and superscript digits are no digits.
        {"\xef\xbc\x91", NO, NO},
        {"\xd9\xa1", NO, NO},
        {"\xc2\xb2", NO, NO},
        {"1\xef\xbc\x92", NO, NO},
    };
    for (const Row& r : rows) {
        check_u32(r.text, r.u32);
        check_i64(r.text, r.i64);
    }
}

struct EndRow {
    const char* text;
    int32_t status;
    uint64_t value;
    int end;  // characters from the start of the text; -1 when nothing may be written
};

void check_with_end(const EndRow& r, bool wide) {
    std::u16string text = U(r.text);
    const char16_t* end = u"unset";
    const char16_t* const unset_end = end;
    int32_t status;
    uint64_t got;
    if (wide) {
        int64_t v = I64_UNSET;
        status = ParseInteger64(text.c_str(), &v, &end);
        got = uint64_t(v);
        if (status != PARSE_OK) {
            EXPECT_EQ(v, I64_UNSET) << r.text;
        }
    } else {
        uint32_t v = U32_UNSET;
        status = ParseUnsigned32(text.c_str(), &v, &end);
        got = v;
        if (status != PARSE_OK) {
            EXPECT_EQ(v, U32_UNSET) << r.text;
        }
    }
    const char* which = wide ? "ParseInteger64 [" : "ParseUnsigned32 [";
    EXPECT_EQ(status, r.status) << which << r.text << "]";
    if (r.status != PARSE_OK) {
        EXPECT_EQ(end, unset_end) << which << r.text << "]";
        return;
    }
    EXPECT_EQ(got, r.value) << which << r.text << "]";
    EXPECT_EQ(end - text.c_str(), r.end) << which << r.text << "]";
}

TEST(NumberSyntax, WithEndPosition) {
    const EndRow both[] = {
        {"8x", 0, 8, 1},
        {"0o78", 0, 7, 3},
        // "0o" without an octal digit is the decimal 0, ending after the 0.
        {"0o8", 0, 0, 1},
        {"0O9", 0, 0, 1},
        {"12a", 0, 12, 2},
        {"0x", 0, 0, 1},
        {"0xG", 0, 0, 1},
        {"0x0x", 0, 0, 2},
        {"0x4d", 0, 77, 4},
        {"0x4:d", 0, 4, 3},
        {"2!x", 0, 2, 1},
        {"", PARSE_NO_NUMBER, 0, -1},
        {"x", PARSE_NO_NUMBER, 0, -1},
        {" 5", PARSE_NO_NUMBER, 0, -1},
        {"99999999999999999999z", PARSE_RANGE, 0, -1},
    };
    for (const EndRow& r : both) {
        check_with_end(r, false);
        check_with_end(r, true);
    }
    check_with_end({"-0x5", 0, 0, 2}, true);
    check_with_end({"-12-", 0, uint64_t(-12), 3}, true);
    check_with_end({"-5", PARSE_NO_NUMBER, 0, -1}, false);
    check_with_end({"4294967296", PARSE_RANGE, 0, -1}, false);
}

TEST(NumberSyntax, NullValueIsRefused) {
    const char16_t* end = nullptr;
    EXPECT_EQ(ParseUnsigned32(u"5", nullptr, nullptr), PARSE_NO_NUMBER);
    EXPECT_EQ(ParseUnsigned32(u"5", nullptr, &end), PARSE_NO_NUMBER);
    EXPECT_EQ(ParseInteger64(u"5", nullptr, &end), PARSE_NO_NUMBER);
    EXPECT_EQ(end, nullptr);
}

TEST(NumberSyntax, BareConversionInAnyBase) {
    struct Row {
        const char* text;
        uint32_t base;
        int32_t status;
        uint32_t value;
        int end;
    } rows[] = {
        {"41", 16, 0, 0x41, 2},
        {"0X0X41", 16, 0, 0, 3},  // one "0X" passed over only: the second stops the digits
        {"0X41", 16, 0, 0x41, 4},
        {"0X", 16, 0, 0, 0},
        {"10", 10, 0, 10, 2},
        {"0X10", 10, 0, 0, 1},
        {"778", 8, 0, 63, 2},
        {"FFFFFFFF", 16, 0, 0xFFFFFFFFu, 8},
        {"1FFFFFFFF", 16, PARSE_RANGE, 0, 9},
        {"ZZ", 36, 0, 35 * 36 + 35, 2},
        {"-1", 16, 0, 0, 0},
    };
    for (const Row& r : rows) {
        std::u16string text = U(r.text);
        uint32_t v = U32_UNSET;
        const char16_t* end = nullptr;
        EXPECT_EQ(convert_unsigned32(text.c_str(), r.base, &v, &end), r.status) << r.text;
        EXPECT_EQ(v, r.status == PARSE_OK ? r.value : U32_UNSET) << r.text;
        EXPECT_EQ(end - text.c_str(), r.end) << r.text;
    }
}

}  // namespace
