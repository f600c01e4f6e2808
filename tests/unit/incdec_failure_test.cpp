// The report INC and DEC give when the system refuses to read or store a variable. No
// valid name makes a real environment refuse, so the refusals come through the platform's
// fault seam; the texts expected come from the system, not from the plug-in.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "plugin/exports.h"
#include "tests/support/support.h"

namespace {

uint32_t fail_code;
int gets, sets;

uint32_t failing_get(const char16_t*, char16_t*, uint32_t) {
    ++gets;
    sys_set_last_error(fail_code);
    return 0;
}

bool counting_set(const char16_t* name, const char16_t* value) {
    ++sets;
    return reinterpret_cast<sys_set_env_fn>(sys_original("SetEnvironmentVariableW"))(name, value);
}

bool failing_set(const char16_t*, const char16_t*) {
    ++sets;
    sys_set_last_error(fail_code);
    return false;
}

struct CommandRun {
    int code;
    Captured c;
};

CommandRun run(int (*command)(char16_t*), const char* text) {
    std::u16string t = U(text);
    capture_begin();
    int code = command(&t[0]);
    return {code, capture_end()};
}

const char GET_LINE[] = "Bytehaul plugin: Error getting value of environment variable \"BH_\xC3\x84\" :\r\n    ";
const char SET_LINE[] = "Bytehaul plugin: Error setting value of environment variable \"BH_\xC3\x84\" :\r\n    ";

TEST(VariableFailure, NamesTheVariableThenGivesTheSystemText) {
    struct Case {
        bool reading;  // the read fails; otherwise the store does
        uint32_t code;
        std::string report;
    } cases[] = {
        {true, SYS_ERROR_ACCESS_DENIED, GET_LINE + system_message(5) + "\r\n"},
        {true, SYS_ERROR_INVALID_PARAMETER, GET_LINE + system_message(87) + "\r\n"},
        {true, 0xFFFFFFFFu, std::string(GET_LINE) + "Unknown error\r\n"},
        {true, 0xE0000001u, std::string(GET_LINE) + "Error -536870911\r\n"},
        {false, SYS_ERROR_NOT_ENOUGH_MEMORY, SET_LINE + system_message(8) + "\r\n"},
        {false, SYS_ERROR_INVALID_PARAMETER, SET_LINE + system_message(87) + "\r\n"},
        {false, 0x7FFFFF01u, std::string(SET_LINE) + "Error 2147483393\r\n"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.report.find("    \r\n"), std::string::npos) << "no system text for " << c.code;
        env_set("BH_\xC3\x84", "41");
        SeamRestorer restore;
        fail_code = c.code;
        gets = sets = 0;
        if (c.reading) {
            seam_override("GetEnvironmentVariableW", &failing_get);
            seam_override("SetEnvironmentVariableW", &counting_set);
        } else {
            seam_override("SetEnvironmentVariableW", &failing_set);
        }
        CommandRun r = run(c.reading ? dec : inc, "/V bh_\xC3\xA4");
        EXPECT_EQ(r.code, 2) << c.code;
        EXPECT_EQ(r.c.out, "") << c.code;
        EXPECT_EQ(r.c.err, c.report) << c.code;
        // A value that could not be read is never stored over.
        EXPECT_EQ(sets, c.reading ? 0 : 1) << c.code;
        sys_restore_all();
        std::string value;
        EXPECT_TRUE(env_get("BH_\xC3\x84", &value));
        EXPECT_EQ(value, "41") << c.code;
    }
    env_set("BH_\xC3\x84", nullptr);
}

TEST(VariableFailure, QuietReportsNothingButStillFails) {
    SeamRestorer restore;
    fail_code = SYS_ERROR_ACCESS_DENIED;
    seam_override("GetEnvironmentVariableW", &failing_get);
    CommandRun read = run(inc, "/Q bh_cnt");
    sys_restore_all();
    seam_override("SetEnvironmentVariableW", &failing_set);
    CommandRun store = run(dec, "bh_cnt /q /v");
    for (const CommandRun& r : {read, store}) {
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.c.out, "");
        EXPECT_EQ(r.c.err, "");
    }
}

}  // namespace
