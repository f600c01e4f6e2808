// The report INC and DEC give when the system refuses to read or store a variable. No
// valid name makes the environment refuse here, so the report is checked on its own with
// the codes such a refusal brings.
#include <gtest/gtest.h>

#include <string>

#include "envcount/incdec.h"
#include "plugin/errors.h"
#include "plugin/messages.h"
#include "tests/support/support.h"

namespace {

std::string SystemText(uint32_t code) {
    char16_t buf[1024] = {};
    FormatSystemError(code, buf);
    return U8(buf);
}

TEST(VariableFailure, NamesTheVariableThenGivesTheSystemText) {
    struct Case {
        const char16_t* format;
        uint32_t code;
        std::string first_line;
    } cases[] = {
        {MSG_SET_ERROR, SYS_ERROR_NOT_ENOUGH_MEMORY,
         "Error setting value of environment variable \"BH_\xC3\x84\" :\r\n"},
        {MSG_SET_ERROR, SYS_ERROR_INVALID_PARAMETER,
         "Error setting value of environment variable \"BH_\xC3\x84\" :\r\n"},
        {MSG_GET_ERROR, SYS_ERROR_ACCESS_DENIED,
         "Error getting value of environment variable \"BH_\xC3\x84\" :\r\n"},
        {MSG_GET_ERROR, 0xFFFFFFFFu, "Error getting value of environment variable \"BH_\xC3\x84\" :\r\n"},
    };
    for (const Case& c : cases) {
        char16_t name[] = u"bh_\u00e4";
        capture_begin();
        int code = ReportVariableFailure(c.format, name, false, c.code);
        Captured out = capture_end();
        EXPECT_EQ(code, 2);
        EXPECT_EQ(out.out, "");
        EXPECT_EQ(out.err, "Bytehaul plugin: " + c.first_line + "    " + SystemText(c.code) + "\r\n") << c.code;
        ASSERT_FALSE(SystemText(c.code).empty());
    }
}

TEST(VariableFailure, QuietReportsNothingButStillFails) {
    for (const char16_t* format : {MSG_GET_ERROR, MSG_SET_ERROR}) {
        char16_t name[] = u"bh_cnt";
        capture_begin();
        int code = ReportVariableFailure(format, name, true, SYS_ERROR_NOT_ENOUGH_MEMORY);
        Captured out = capture_end();
        EXPECT_EQ(code, 2);
        EXPECT_EQ(out.out, "");
        EXPECT_EQ(out.err, "");
        EXPECT_EQ(U8(name), "bh_cnt");
    }
}

}  // namespace
