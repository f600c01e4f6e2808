// The error prefix in and out of a batch file, and system error texts.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "plugin/errors.h"
#include "shell/shell_host.h"
#include "tests/support/support.h"
#include "text/chars.h"

namespace {

std::string prefix_with(const char* batch, const char* name, const char* line) {
    shell_set_internal(u"_batch", batch ? U(batch).c_str() : nullptr);
    shell_set_internal(u"_batchname", name ? U(name).c_str() : nullptr);
    shell_set_internal(u"_batchline", line ? U(line).c_str() : nullptr);
    capture_begin();
    EXPECT_EQ(WriteErrorPrefix(), 0);
    Captured c = capture_end();
    shell_clear_internals();
    EXPECT_EQ(c.out, "");
    return c.err;
}

TEST(ErrorPrefix, OutsideAndInsideABatchFile) {
    EXPECT_EQ(prefix_with(nullptr, nullptr, nullptr), "Bytehaul plugin: ");
    EXPECT_EQ(prefix_with("0", "C:\\x.btm", "3"), "Bytehaul plugin: ");
    EXPECT_EQ(prefix_with("1", "C:\\x.btm", "12"), "Bytehaul plugin: C:\\x.btm [12]  ");
    EXPECT_EQ(prefix_with("2", "C:\\100%s%d.btm", "7"), "Bytehaul plugin: C:\\100%s%d.btm [7]  ");
}

TEST(ErrorPrefix, LongBatchNameIsWrittenWhole) {
    std::string name = "C:\\" + std::string(3000, 'd') + "\\run.btm";
    EXPECT_EQ(prefix_with("1", name.c_str(), "1"), "Bytehaul plugin: " + name + " [1]  ");
}

TEST(ErrorPrefix, ReportAddsTheMessage) {
    capture_begin();
    report_error(u"Bad handle: \"%s\"\r\n", u"0XZZ");
    Captured c = capture_end();
    EXPECT_EQ(c.err, "Bytehaul plugin: Bad handle: \"0XZZ\"\r\n");
}

std::string system_text(uint32_t code) {
    char16_t buf[1024];
    for (char16_t& ch : buf) ch = u'#';
    EXPECT_EQ(FormatSystemError(code, buf), 0);
    return U8(buf);
}

// The system's own text without its trailing blank, "Unknown error" for the code that
// stands for no code, and "Error" with the code in signed decimal where the system has
// no text; a null buffer is refused.
TEST(SystemError, Texts) {
    struct Row {
        uint32_t code;
        std::string want;
    } rows[] = {
        {2, system_message(2)},
        {SYS_ERROR_NO_DATA, system_message(232)},
#if defined(_WIN32)
        // A text with an insert, "%1" (not a valid application): shown as it stands, never
        // expanded from arguments nobody passed.
        {193, system_message(193)},
#endif
        {0xFFFFFFFFu, "Unknown error"},
        {0x7FFFFF01u, "Error 2147483393"},
        {0xE0000001u, "Error -536870911"},
    };
    for (const Row& r : rows) {
        ASSERT_FALSE(r.want.empty()) << r.code;
        EXPECT_EQ(system_text(r.code), r.want) << r.code;
    }
#if defined(_WIN32)
    EXPECT_NE(system_message(193).find("%1"), std::string::npos);
#endif
    EXPECT_NE(system_text(2).find("ile"), std::string::npos);  // "file" in both Windows' and Wine's texts
    EXPECT_EQ(FormatSystemError(2, nullptr), -1);
}

}  // namespace
