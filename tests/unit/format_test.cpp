#include <gtest/gtest.h>

#include "tests/support/support.h"
#include "text/format.h"

namespace {

std::string fmt(size_t cap, const char16_t* f, ...) {
    char16_t buf[256];
    va_list ap;
    va_start(ap, f);
    text_vformat(buf, cap, f, ap);
    va_end(ap);
    return U8(buf);
}

TEST(Formatter, Conversions) {
    EXPECT_EQ(fmt(256, u"%u %d %+d %+d", 255u, -128, 0, 5), "255 -128 +0 +5");
    EXPECT_EQ(fmt(256, u"0x%02X %02X %x", 0x5u, 0xABu, 0xABu), "0x05 AB ab");
    EXPECT_EQ(fmt(256, u"0o%03o %o", 8u, 0u), "0o010 0");
    EXPECT_EQ(fmt(256, u"%I64u|%I64d|%+I64d", uint64_t(18446744073709551615ull), int64_t(INT64_MIN), int64_t(0)),
              "18446744073709551615|-9223372036854775808|+0");
    EXPECT_EQ(fmt(256, u"0x%0*I64X", 8, uint64_t(0xFE)), "0x000000FE");
    EXPECT_EQ(fmt(256, u"%0*I64o", 22, uint64_t(1)), "0000000000000000000001");
    EXPECT_EQ(fmt(256, u"[%s] %% [%5s] [%-3s]", u"\u00e4b", u"ab", u"x"), "[\u00e4b] % [   ab] [x  ]");
    EXPECT_EQ(fmt(256, u"%s v%u.%u.%u loaded.\r\n", u"Bytehaul", 0u, 90u, 5u), "Bytehaul v0.90.5 loaded.\r\n");
}

// The less common parts of the conversion syntax; every expected text is written out by
// hand.
TEST(Formatter, PrecisionSizesAndOddConversions) {
    EXPECT_EQ(fmt(256, u"[%.*s] [%.*s] [%.*s]", 2, u"abcdef", 0, u"abc", 9, u"ab"), "[ab] [] [ab]");
    // A negative precision taken from the arguments counts as none at all.
    EXPECT_EQ(fmt(256, u"[%.*s] [%-6.*s]", -1, u"abcdef", -3, u"xy"), "[abcdef] [xy    ]");
    // The precision argument comes after the width argument, and both before the value.
    EXPECT_EQ(fmt(256, u"[%*.*s]|%d", 5, 2, u"abc", 7), "[   ab]|7");
    EXPECT_EQ(fmt(256, u"%lld|%llu|%llx", -9000000000ll, 18000000000ull, 0x123456789ull),
              "-9000000000|18000000000|123456789");
    // l and h change nothing: the value is an int either way, as long is on Windows.
    EXPECT_EQ(fmt(256, u"%ld|%lu|%hd|%hu|%lX", -7, 7u, -3, 65535u, 0xBEEFu), "-7|7|-3|65535|BEEF");
    EXPECT_EQ(fmt(256, u"[% d] [% d] [%+ d] [% 4d]", 5, -5, 5, 42), "[ 5] [-5] [+5] [  42]");
    EXPECT_EQ(fmt(256, u"%c%c|%c", 'a', 0xE9, 0x20AC), "a\u00e9|\u20ac");
    // A negative width from the arguments left-justifies, and is cut like any other width.
    EXPECT_EQ(fmt(256, u"[%*d]", -4, 7), "[7   ]");
    EXPECT_EQ(fmt(8, u"%*d|", -100000, 1), "1      ");
    EXPECT_EQ(fmt(256, u"[%s]", static_cast<const char16_t*>(nullptr)), "[(null)]");
    // What is not a conversion stays in the output as written; a lone '%' at the end goes.
    EXPECT_EQ(fmt(256, u"%q|%I6x|%Iu|%y%%"), "%q|%I6x|%Iu|%y%");
    EXPECT_EQ(fmt(256, u"100%"), "100");
    EXPECT_EQ(fmt(256, u"a%-"), "a");
}

TEST(Formatter, NeverWritesPastCapacity) {
    char16_t buf[8];
    for (char16_t& c : buf) c = u'#';
    size_t n = text_format(buf, 5, u"%s%d", u"abcdef", 12345);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(U8(buf), "abcd");
    EXPECT_EQ(buf[5], u'#');
    EXPECT_EQ(text_format(buf, 0, u"x"), 0u);
    EXPECT_EQ(buf[0], u'a');
    EXPECT_EQ(fmt(1, u"anything"), "");
    EXPECT_EQ(text_format(nullptr, 8, u"x"), 0u);
    EXPECT_EQ(text_format(buf, 8, nullptr), 0u);
    EXPECT_EQ(buf[0], 0);
}

}  // namespace
