// The platform layer keeps the Windows contracts on both builds: these same checks run
// against the Linux stand-in and against the real Win32 functions under Wine.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#if defined(_WIN32)
#    include <windows.h>
#endif

#include "platform/platform.h"
#include "tests/support/support.h"
#include "text/chars.h"

#if !defined(_WIN32)
#    include <signal.h>
#    include <time.h>
#endif

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

// Every UTF-16 unit comes back as it went in, lone surrogates too (a file name may hold them).
TEST(PlatformEnv, RoundTripsNonAsciiValues) {
    std::u16string v = U("\u00e4\u2013\u20ac x \U0001F600") + u'\xD800' + u"z" + u'\xDCE9' + u'\xDFFF';
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

namespace {

// What a report shows: the message without its blank, or the fallback with the code.
TEST(PlatformText, ErrorTextTrimsOrFallsBack) {
    struct Row {
        uint32_t code;
        const char16_t* fallback;
        std::string want;
    } rows[] = {
        {SYS_ERROR_INVALID_HANDLE, u"Error %d", system_message(6)},
        {SYS_ERROR_DISK_FULL, u"Error %d", system_message(112)},
        {0x7FFFFF01u, u"Error %d", "Error 2147483393"},
        {0xE0000001u, u"Error %d", "Error -536870911"},
        {0xE0000001u, u"Error %u", "Error 3758096385"},
    };
    for (const Row& r : rows) {
        ASSERT_FALSE(r.want.empty()) << r.code;
        ASSERT_NE(r.want.back(), ' ') << r.code;
        char16_t buf[1024];
        for (char16_t& c : buf) c = u'#';
        uint32_t n = sys_error_text(r.code, r.fallback, buf, 1024);
        EXPECT_EQ(U8(buf), r.want) << r.code;
        EXPECT_EQ(n, text_len(buf)) << r.code;
    }
}

// A buffer too small for the whole message gives no count (what it holds is then
// undefined: Windows may have begun to fill it).
TEST(PlatformText, MessageTooLongForTheBufferGivesNothing) {
    char16_t buf[6] = u"kept";
    EXPECT_EQ(sys_format_message(SYS_ERROR_INVALID_HANDLE, buf, 6), 0u);
    char16_t fallback[32];
    EXPECT_EQ(sys_error_text(SYS_ERROR_INVALID_HANDLE, u"Error %d", fallback, 6), 5u);
    EXPECT_EQ(U8(fallback), "Error");
}

// CharUpperW beyond ASCII: Unicode's simple upper-case mapping in the ranges the Linux
// stand-in covers, and what the stand-in leaves alone; the rows where Windows' own table
// (as Wine 8 has it) differs from Unicode's are given per build.
TEST(PlatformText, CharUpperBeyondAscii) {
#if defined(_WIN32)
    const bool win = true;
#else
    const bool win = false;
#endif
    struct Row {
        char16_t c, upper;
    } rows[] = {
        {0x00DF, 0x00DF},
        {0x00E0, 0x00C0},
        {0x00F6, 0x00D6},
        {0x00F7, 0x00F7},
        {0x00D7, 0x00D7},
        {0x00FE, 0x00DE},
        {0x00FF, 0x0178},
        {0x0100, 0x0100},
        {0x0101, 0x0100},
        {0x0130, 0x0130},
        {0x0137, 0x0136},
        {0x0138, 0x0138},
        {0x0139, 0x0139},
        {0x013A, 0x0139},
        {0x0148, 0x0147},
        {0x0149, 0x0149},
        {0x014B, 0x014A},
        {0x0177, 0x0176},
        {0x0178, 0x0178},
        {0x017A, 0x0179},
        {0x017E, 0x017D},
        {0x0391, 0x0391},
        {0x03B1, 0x0391},
        {0x03C3, 0x03A3},
        {0x03CB, 0x03AB},
        {0x0430, 0x0410},
        {0x044F, 0x042F},
        {0x0450, 0x0400},
        {0x045F, 0x040F},
        {0x0410, 0x0410},
        {0x0131, char16_t(win ? 0x0131 : 0x0049)},
        {0x03C2, char16_t(win ? 0x03C2 : 0x03A3)},
        {0x0180, char16_t(win ? 0x0243 : 0x0180)},
        {0x10D0, char16_t(win ? 0x1C90 : 0x10D0)},
    };
    for (const Row& r : rows) {
        char16_t s[] = {r.c, u'a', 0};
        sys_char_upper(s);
        EXPECT_EQ(int(s[0]), int(r.upper)) << std::hex << int(r.c);
        EXPECT_EQ(s[1], u'A');
    }
}

// Names no variable can have: empty, or holding '='.
TEST(PlatformEnv, NamesNoVariableCanHave) {
    char16_t buf[16] = u"kept";
    for (const char16_t* name : {u"", u"BH_EQ=1"}) {
        sys_set_last_error(0);
        EXPECT_EQ(sys_get_env(name, buf, 16), 0u);
        EXPECT_EQ(sys_last_error(), SYS_ERROR_ENVVAR_NOT_FOUND);
    }
    EXPECT_EQ(U8(buf), "kept");
}

// The fault seam: a call turned aside stays so until put back, by name or all at once,
// and a name the build does not know is refused.
uint32_t fake_get(const char16_t*, char16_t* buf, uint32_t cap) {
    if (cap > 1) buf[0] = u'F', buf[1] = 0;
    return 1;
}

TEST(PlatformSeam, OverrideAndPutBack) {
    env_set("BH_SEAM", "real");
    char16_t buf[16];
    EXPECT_FALSE(seam_override("NoSuchCall", &fake_get));
    EXPECT_EQ(sys_original("NoSuchCall"), nullptr);
    ASSERT_TRUE(seam_override("GetEnvironmentVariableW", &fake_get));
    EXPECT_EQ(sys_get_env(u"BH_SEAM", buf, 16), 1u);
    EXPECT_EQ(U8(buf), "F");
    EXPECT_TRUE(sys_override("GetEnvironmentVariableW", nullptr));
    EXPECT_EQ(sys_get_env(u"BH_SEAM", buf, 16), 4u);
    ASSERT_TRUE(seam_override("GetEnvironmentVariableW", &fake_get));
    sys_restore_all();
    EXPECT_EQ(sys_get_env(u"BH_SEAM", buf, 16), 4u);
    EXPECT_EQ(U8(buf), "real");
    env_set("BH_SEAM", nullptr);
}

#if !defined(_WIN32)

// A SIGPIPE that was already waiting before a write into a broken pipe belongs to someone
// else: the write takes away only the one it raised itself.
TEST(PlatformFiles, ASigpipeAlreadyWaitingIsLeftWaiting) {
    uint64_t rd, wr;
    ASSERT_TRUE(make_pipe(&rd, &wr));
    close_handle(rd);
    sigset_t pipe_set, old_set, pending;
    sigemptyset(&pipe_set);
    sigaddset(&pipe_set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_set, &old_set);
    pthread_kill(pthread_self(), SIGPIPE);
    uint32_t done = 7;
    EXPECT_FALSE(sys_write_file(wr, "abc", 3, &done));
    EXPECT_EQ(sys_last_error(), SYS_ERROR_NO_DATA);
    sigpending(&pending);
    EXPECT_TRUE(sigismember(&pending, SIGPIPE));
    struct timespec zero = {0, 0};
    while (sigtimedwait(&pipe_set, nullptr, &zero) == SIGPIPE) {
    }
    pthread_sigmask(SIG_SETMASK, &old_set, nullptr);
    close_handle(wr);

    // With none waiting, none is left behind.
    ASSERT_TRUE(make_pipe(&rd, &wr));
    close_handle(rd);
    pthread_sigmask(SIG_BLOCK, &pipe_set, &old_set);
    EXPECT_FALSE(sys_write_file(wr, "abc", 3, &done));
    sigpending(&pending);
    EXPECT_FALSE(sigismember(&pending, SIGPIPE));
    pthread_sigmask(SIG_SETMASK, &old_set, nullptr);
    close_handle(wr);
}

// The stand-in takes no name or value longer than the 32767 characters Windows documents
// as the most a variable can hold (Wine is more generous).
// Bytes from outside that are not UTF-8 read as the escapes file names use, one a byte,
// and a surrogate's own three-byte form as that surrogate.
TEST(PlatformEnv, BytesThatAreNotUtf8ReadAsEscapes) {
    setenv("BH_RAW", "a\xE9\xED\xA0\x80\xC3z", 1);
    char16_t buf[16];
    ASSERT_EQ(sys_get_env(u"BH_RAW", buf, 16), 5u);
    EXPECT_EQ(std::u16string(buf, 5), std::u16string(u"a\xDCE9\xD800\xDCC3z"));
    unsetenv("BH_RAW");
}

TEST(PlatformEnv, NamesAndValuesLongerThanWindowsAllowsAreRefused) {
    std::u16string long_name(32768, u'N');
    EXPECT_FALSE(sys_set_env(long_name.c_str(), u"1"));
    EXPECT_EQ(sys_last_error(), SYS_ERROR_INVALID_PARAMETER);
    std::u16string value(32768, u'7');
    EXPECT_FALSE(sys_set_env(u"BH_LONG", value.c_str()));
    EXPECT_EQ(sys_last_error(), SYS_ERROR_INVALID_PARAMETER);
    value.pop_back();
    EXPECT_TRUE(sys_set_env(u"BH_LONG", value.c_str()));
    EXPECT_TRUE(sys_set_env(u"BH_LONG", nullptr));
}

#endif  // !_WIN32

}  // namespace
