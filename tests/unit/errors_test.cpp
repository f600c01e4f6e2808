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
    ReportError(u"Bad handle: \"%s\"\r\n", u"0XZZ");
    Captured c = capture_end();
    EXPECT_EQ(c.err, "Bytehaul plugin: Bad handle: \"0XZZ\"\r\n");
}

std::string system_text(uint32_t code) {
    char16_t buf[1024];
    for (char16_t& ch : buf) ch = u'#';
    EXPECT_EQ(FormatSystemError(code, buf), 0);
    return U8(buf);
}

TEST(SystemError, Texts) {
    std::string two = system_text(2);
    ASSERT_FALSE(two.empty());
    EXPECT_NE(two.find("ile"), std::string::npos);  // "file" in both Windows' and Wine's texts
    EXPECT_NE(two.back(), ' ');
    EXPECT_NE(two.back(), '\n');
    EXPECT_EQ(system_text(0xFFFFFFFFu), "Unknown error");
    EXPECT_EQ(system_text(0x7FFFFF01u), "Error 2147483393");
    EXPECT_EQ(system_text(0xE0000001u), "Error -536870911");
    EXPECT_EQ(FormatSystemError(2, nullptr), -1);
}

}  // namespace
