// The platform layer keeps the Windows contracts on both builds: these same checks run
// against the Linux stand-in and against the real Win32 functions under Wine.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/support/support.h"
#include "text/chars.h"

namespace {

TEST(PlatformEnv, MissingNameGivesZeroAnd203) {
    env_set("BH_SURELY_UNSET", nullptr);
    char16_t buf[16] = u"untouched";
    sys_set_last_error(0);
    EXPECT_EQ(sys_get_env(u"BH_SURELY_UNSET", buf, 16), 0u);
    EXPECT_EQ(sys_last_error(), 203u);
}

TEST(PlatformEnv, SmallBufferGivesSizeNeededAndIsUntouched) {
    env_set("BH_SIZE", "0123456789");
    char16_t buf[8] = u"keep";
    EXPECT_EQ(sys_get_env(u"BH_SIZE", buf, 8), 11u);
    EXPECT_EQ(U8(buf), "keep");
    char16_t big[16];
    EXPECT_EQ(sys_get_env(u"BH_SIZE", big, 16), 10u);
    EXPECT_EQ(U8(big), "0123456789");
    env_set("BH_SIZE", nullptr);
}

TEST(PlatformEnv, RoundTripsNonAsciiValues) {
    std::u16string v = U("\u00e4\u2013\u20ac x \U0001F600");
    ASSERT_TRUE(sys_set_env(u"BH_TEXT", v.c_str()));
    char16_t buf[64];
    uint32_t n = sys_get_env(u"BH_TEXT", buf, 64);
    EXPECT_EQ(n, v.size());
    EXPECT_EQ(std::u16string(buf, n), v);
    ASSERT_TRUE(sys_set_env(u"BH_TEXT", nullptr));
    EXPECT_EQ(sys_get_env(u"BH_TEXT", buf, 64), 0u);
}

TEST(PlatformEnv, EmptyNameCannotBeSet) {
    EXPECT_FALSE(sys_set_env(u"", u"1"));
    EXPECT_NE(sys_last_error(), 0u);
}

TEST(PlatformFiles, ReadAndWriteErrorsMapToWindowsCodes) {
    char buf[4];
    uint32_t done = 99;
    EXPECT_FALSE(sys_read_file(closed_handle(), buf, 4, &done));
    EXPECT_EQ(sys_last_error(), SYS_ERROR_INVALID_HANDLE);
    EXPECT_EQ(done, 0u);

    uint64_t w = open_temp_file("abc", Access::Write);
    EXPECT_FALSE(sys_read_file(w, buf, 4, &done));
    EXPECT_EQ(sys_last_error(), SYS_ERROR_ACCESS_DENIED);
    close_handle(w);

    uint64_t r = open_temp_file("abc", Access::Read);
    EXPECT_FALSE(sys_write_file(r, "x", 1, &done));
    EXPECT_EQ(sys_last_error(), SYS_ERROR_ACCESS_DENIED);
    EXPECT_TRUE(sys_read_file(r, buf, 4, &done));
    EXPECT_EQ(done, 3u);
    EXPECT_TRUE(sys_read_file(r, buf, 4, &done));
    EXPECT_EQ(done, 0u);
    close_handle(r);
}

TEST(PlatformFiles, WriteToPipeWithoutReaderFailsAndProcessLives) {
    uint64_t rd, wr;
    ASSERT_TRUE(make_pipe(&rd, &wr));
    close_handle(rd);
    uint32_t done = 7;
    EXPECT_FALSE(sys_write_file(wr, "abc", 3, &done));
    EXPECT_EQ(sys_last_error(), SYS_ERROR_NO_DATA);
    close_handle(wr);
}

TEST(PlatformText, CharUpperConvertsBeyondAscii) {
    char16_t s[] = u"abc\u00e4\u00fd z1";
    sys_char_upper(s);
    EXPECT_EQ(U8(s), "ABC\u00c4\u00dd Z1");
}

TEST(PlatformText, MessageTextsEndInBlankOrNothing) {
    char16_t buf[1024];
    uint32_t n = sys_format_message(SYS_ERROR_INVALID_HANDLE, buf, 1024);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(text_len(buf), n);
    EXPECT_EQ(sys_format_message(0x7FFFFF01u, buf, 1024), 0u);
}

}  // namespace

namespace {

TEST(PlatformEnv, NamesCompareWithoutRegardToCase) {
    ASSERT_TRUE(sys_set_env(u"BH_Mixed", u"1"));
    char16_t buf[16];
    EXPECT_EQ(sys_get_env(u"bh_mixed", buf, 16), 1u);
    ASSERT_TRUE(sys_set_env(u"BH_MIXED", u"22"));
    EXPECT_EQ(sys_get_env(u"Bh_Mixed", buf, 16), 2u);
    EXPECT_EQ(U8(buf), "22");
    ASSERT_TRUE(sys_set_env(u"bh_mixed", nullptr));
    EXPECT_EQ(sys_get_env(u"BH_Mixed", buf, 16), 0u);
    EXPECT_EQ(sys_last_error(), 203u);
}

}  // namespace
