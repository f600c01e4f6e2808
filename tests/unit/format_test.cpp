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
}

}  // namespace
