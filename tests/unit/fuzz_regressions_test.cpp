// Inputs that fuzzing found faults with, kept as ordinary cases so that every build runs
// them (the fuzz targets replay the same inputs from fuzz/regressions/).
#include <gtest/gtest.h>

#include <limits.h>

#include <string>

#include "tests/support/support.h"
#include "text/format.h"

namespace {

// Widths and precisions written with more digits than an int holds used to overflow while
// they were read. They are cut like any other large width.
TEST(FormatterRegressions, CountsTooLargeForAnIntAreCutNotOverflowed) {
    char16_t buf[64];
    size_t n = text_format(buf, 64, u"%4444444444444444444444d|", 7);
    EXPECT_EQ(n, 63u);
    EXPECT_EQ(U8(buf), std::string(63, ' '));
    EXPECT_EQ(text_format(buf, 64, u"[%.99999999999999s]", u"abc"), 5u);
    EXPECT_EQ(U8(buf), "[abc]");
    EXPECT_EQ(text_format(buf, 64, u"%-99999999999999d|", 5), 63u);
    EXPECT_EQ(U8(buf), "5" + std::string(62, ' '));
}

TEST(FormatterRegressions, SmallestStarWidthIsLeftJustifiedAndCut) {
    char16_t buf[16];
    EXPECT_EQ(text_format(buf, 16, u"%*d|", INT_MIN, 5), 15u);
    EXPECT_EQ(U8(buf), "5" + std::string(14, ' '));
}

}  // namespace
