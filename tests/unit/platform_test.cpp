// The platform layer keeps the Windows contracts on both builds: these same checks run
// against the Linux stand-in and against the real Win32 functions under Wine.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#if defined(_WIN32)
#include <windows.h>
#endif

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

// A message text ends in the one blank that folding its line break leaves, with no CR or
// LF in it; a code without a text gives 0 and leaves the buffer as it was.
TEST(PlatformText, MessageTextsEndInBlankOrNothing) {
    const uint32_t codes[] = {1, 2, 3, 5, 6, 8, 19, 21, 31, 87, 109, 112, 203, 206, 223, 232, 1117, 0x7FFFFF01u};
    int with_text = 0;
    for (uint32_t code : codes) {
        char16_t buf[1024];
        for (char16_t& c : buf) c = u'#';
        uint32_t n = sys_format_message(code, buf, 1024);
        if (n == 0) {
            EXPECT_EQ(buf[0], u'#') << code;
            continue;
        }
        ++with_text;
        std::u16string text(buf, n);
        ASSERT_GE(n, 3u) << code;
        EXPECT_EQ(buf[n], 0) << code;
        EXPECT_EQ(text.back(), u' ') << code;
        EXPECT_EQ(text[n - 2], u'.') << code;
        EXPECT_EQ(text.find_first_of(u"\r\n"), std::u16string::npos) << code;
    }
    EXPECT_GE(with_text, 10);
    char16_t buf[8] = u"kept";
    EXPECT_EQ(sys_format_message(0x7FFFFF01u, buf, 8), 0u);
    EXPECT_EQ(U8(buf), "kept");
}

// A value set past the layer under test: setenv on Linux, the system itself on Windows.
void set_raw(const char* name, const std::string& utf8) {
#if defined(_WIN32)
    SetEnvironmentVariableW(reinterpret_cast<LPCWSTR>(U(name).c_str()), reinterpret_cast<LPCWSTR>(U(utf8).c_str()));
#else
    setenv(name, utf8.c_str(), 1);
#endif
}

std::string times(size_t n, const std::string& piece) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += piece;
    return s;
}

// GetEnvironmentVariableW's counts at the edge of a 1024-character buffer: a value that fits
// gives its length in UTF-16 units, NUL excluded; one that does not gives the size needed,
// NUL included, and leaves the buffer alone, whatever the last error held before.
TEST(PlatformEnv, CountsAtTheEdgeOfTheBuffer) {
    const std::string euro = "\xe2\x82\xac", face = "\xf0\x9f\x98\x80";  // 3 UTF-8 bytes, 1 unit; 4 bytes, 2 units
    const struct {
        std::string value;
        uint32_t count;
    } rows[] = {
        {std::string(1022, '7'), 1022},
        {std::string(1023, '7'), 1023},
        {std::string(1024, '7'), 1025},
        {std::string(1025, '7'), 1026},
        {std::string(5000, '7'), 5001},
        {times(1023, euro), 1023},
        {times(1024, euro), 1025},
        {std::string(1021, 'a') + face, 1023},
        {std::string(1022, 'a') + face, 1025},
        {"", 0},
    };
    for (const auto& r : rows) {
        set_raw("BH_EDGE", r.value);
        for (uint32_t stale : {0u, 203u, 5u}) {
            char16_t buf[1100];
            for (char16_t& c : buf) c = u'#';
            sys_set_last_error(stale);
            uint32_t n = sys_get_env(u"BH_EDGE", buf, 1024);
            EXPECT_EQ(n, r.count) << r.value.size() << " bytes, last error " << stale;
            if (n < 1024) {
                EXPECT_EQ(U8(std::u16string(buf, n)), r.value) << r.value.size();
                EXPECT_EQ(buf[n], 0) << r.value.size();
                EXPECT_EQ(buf[n + 1], u'#') << r.value.size();
                // Set but empty is not "not found", even with a stale 203 before.
                if (n == 0 && stale != 203) {
                    EXPECT_NE(sys_last_error(), 203u);
                }
            } else {
                EXPECT_EQ(std::u16string(buf, 1100), std::u16string(1100, u'#')) << r.value.size();
            }
        }
    }
    env_set("BH_EDGE", nullptr);
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
