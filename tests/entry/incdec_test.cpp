// INC and DEC through the exported commands: notations, wrap-around, the reading of values
// that are not numbers, options, messages on standard error and exit codes.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>

#include "platform/platform.h"
#include "plugin/exports.h"
#include "tests/entry/help_texts.h"
#include "tests/support/support.h"

namespace {

typedef int (*Command)(char16_t*);

const std::string kPrefix = "Bytehaul plugin: ";
const char kUnset[] = "<unset>";
const char kVar[] = "bh_cnt";

struct Result {
    int code;
    std::string out, err;
};

Result RunCommand(Command cmd, const std::string& args) {
    std::u16string text = U(args);
    capture_begin();
    int code = cmd(&text[0]);
    Captured c = capture_end();
    return {code, c.out, c.err};
}

std::string Value(const char* name) {
    std::string v;
    return env_get(name, &v) ? v : kUnset;
}

void Set(const char* name, const char* value) { env_set(name, value == kUnset ? nullptr : value); }

std::string NotNumeric(const char* upper_name) {
    return kPrefix + "Variable \"" + upper_name + "\" is not numeric!\r\n";
}

// One step of a counter: the value before, the command with its options, the value after.
struct Step {
    const char* before;
    Command cmd;
    const char* options;
    const char* after;
};

void ExpectSteps(const Step* steps, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const Step& s = steps[i];
        Set(kVar, s.before);
        Result r = RunCommand(s.cmd, std::string(s.options) + " " + kVar);
        std::string what = std::string(s.cmd == inc ? "inc " : "dec ") + s.options + " of [" + s.before + "]";
        EXPECT_EQ(r.code, 0) << what;
        EXPECT_EQ(Value(kVar), s.after) << what;
        EXPECT_EQ(r.out, "") << what;
        EXPECT_EQ(r.err, "") << what;
    }
    Set(kVar, nullptr);
}

TEST(IncDec, KeepsTheNotationOfTheOldValue) {
    const Step steps[] = {
        {kUnset, inc, "", "1"},      {kUnset, dec, "", "-1"},
        {"9", inc, "", "10"},        {"10", dec, "", "9"},
        {"-1", inc, "", "0"},        {"0", dec, "", "-1"},
        {"+5", inc, "", "6"},        {"   5", inc, "", "6"},
        {"\t7", dec, "", "6"},       {"017", inc, "", "18"},
        {"0x0f", inc, "", "0x10"},   {"0xFF", inc, "", "0x100"},
        {"0x5", inc, "", "0x06"},    {"0X0a", inc, "", "0x0B"},
        {"0x10", dec, "", "0x0F"},   {"0xFFFFFFFF", inc, "", "0x100000000"},
        {"0x0x1F", inc, "", "0x20"}, {"0o7", inc, "", "0o010"},
        {"0O17", inc, "", "0o020"},  {"0o10", dec, "", "0o007"},
        {"0o", inc, "/Z", "1"},
    };
    ExpectSteps(steps, sizeof steps / sizeof steps[0]);
}

TEST(IncDec, WrapsAroundAtBothEndsOf64Bits) {
    const Step steps[] = {
        {"0x00", dec, "", "0xFFFFFFFFFFFFFFFF"},
        {"0xFFFFFFFFFFFFFFFF", inc, "", "0x00"},
        {"0o0", dec, "", "0o1777777777777777777777"},
        {"0o1777777777777777777777", inc, "", "0o000"},
        {"9223372036854775807", inc, "", "-9223372036854775808"},
        {"-9223372036854775808", dec, "", "9223372036854775807"},
        {"0x8000000000000000", dec, "", "0x7FFFFFFFFFFFFFFF"},
    };
    ExpectSteps(steps, sizeof steps / sizeof steps[0]);
}

// Values that are not a number and nothing else: /Z takes the number they begin with,
// or 0 when they begin with none or it does not fit in 64 bits.
const struct {
    const char* value;
    const char* inc_with_z;
    const char* dec_with_z;
} kNotNumeric[] = {
    {"12abc", "13", "11"},
    {"abc", "1", "-1"},
    {"5 ", "6", "4"},
    {"0x1G", "0x02", "0x00"},
    {"12345678901234567890", "1", "-1"},
    {"0x12345678901234567", "0x01", "0xFFFFFFFFFFFFFFFF"},
    {"-0x5", "1", "-1"},
    {"+0x5", "1", "-1"},
    {"0o78", "0o010", "0o006"},
    // "0x" or "0o" without a digit of its base is the decimal 0, and keeps decimal notation.
    {"0xG", "1", "-1"},
    {"0o8", "1", "-1"},
    {"- 5", "1", "-1"},
    {"9223372036854775808", "1", "-1"},
    {"x5", "1", "-1"},
};

TEST(IncDec, NotNumericFailsAndLeavesTheValue) {
    for (const auto& c : kNotNumeric) {
        for (Command cmd : {inc, dec}) {
            Set(kVar, c.value);
            Result r = RunCommand(cmd, kVar);
            EXPECT_EQ(r.code, 2) << c.value;
            EXPECT_EQ(r.err, NotNumeric("BH_CNT")) << c.value;
            EXPECT_EQ(r.out, "") << c.value;
            EXPECT_EQ(Value(kVar), c.value);
        }
    }
    Set(kVar, nullptr);
}

TEST(IncDec, ZeroFlagReadsTheLeadingNumber) {
    for (const auto& c : kNotNumeric) {
        Set(kVar, c.value);
        EXPECT_EQ(RunCommand(inc, std::string("/Z ") + kVar).code, 0) << c.value;
        EXPECT_EQ(Value(kVar), c.inc_with_z) << c.value;
        Set(kVar, c.value);
        EXPECT_EQ(RunCommand(dec, std::string(kVar) + " /z").code, 0) << c.value;
        EXPECT_EQ(Value(kVar), c.dec_with_z) << c.value;
    }
    Set(kVar, nullptr);
}

// A value that is set but empty, and one too long for the 1024-character value buffer,
// count as not numeric: an error without /Z, 0 with it. The overlong value's first 1023
// characters are a number (4), so a value cut short to fit would not pass for refused.
TEST(IncDec, EmptyAndOverlongValuesAreNotNumeric) {
    const std::string overlong = std::string(1022, '0') + "41";
    for (const std::string& value : {std::string(), overlong, std::string(5000, '7')}) {
        Set(kVar, value.c_str());
        Result r = RunCommand(inc, kVar);
        EXPECT_EQ(r.code, 2) << value.size();
        EXPECT_EQ(r.err, NotNumeric("BH_CNT"));
        EXPECT_EQ(Value(kVar), value);
        r = RunCommand(dec, std::string("/Q ") + kVar);
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(Value(kVar), value);
        EXPECT_EQ(RunCommand(inc, std::string("/Z ") + kVar).code, 0);
        EXPECT_EQ(Value(kVar), "1") << value.size();
        Set(kVar, value.c_str());
        EXPECT_EQ(RunCommand(dec, std::string("/Z ") + kVar).code, 0);
        EXPECT_EQ(Value(kVar), "-1") << value.size();
    }
    Set(kVar, nullptr);
}

// Last-error codes an earlier call may leave behind: 203 would pass for "not set", 6 for
// a failed read.
const uint32_t kStaleCodes[] = {0, SYS_ERROR_ENVVAR_NOT_FOUND, SYS_ERROR_INVALID_HANDLE};

// Runs the command with stale as the last error. An earlier call of the plug-in leaves it
// there first: on Linux the plug-in keeps the stand-in's last error in a copy of its own,
// which this process cannot set directly. On Windows the code is also set just before.
Result RunAfterLastError(Command cmd, const std::string& args, uint32_t stale) {
    capture_begin();
    if (stale == SYS_ERROR_INVALID_HANDLE) {
        std::u16string read = handle_arg(closed_handle()) + u",1";
        read.resize(1024);
        EXPECT_EQ(f_inthaul(&read[0]), -1);
    } else {
        const char* name = stale ? "BH_NEVER_SET" : "BH_ALWAYS_SET";
        Set(name, stale ? nullptr : "1");
        std::u16string text = U(name);
        EXPECT_EQ(inc(&text[0]), 0);
        Set(name, nullptr);
    }
    capture_end();
    std::u16string text = U(args);
    capture_begin();
    sys_set_last_error(stale);
    int code = cmd(&text[0]);
    Captured c = capture_end();
    return {code, c.out, c.err};
}

// An empty value reads as one, whatever last error came before.
TEST(IncDec, EmptyValueWhateverTheLastErrorLeftBehind) {
    for (uint32_t stale : kStaleCodes) {
        Set(kVar, "");
        Result c = RunAfterLastError(inc, kVar, stale);
        EXPECT_EQ(c.code, 2) << stale;
        EXPECT_EQ(c.err, NotNumeric("BH_CNT")) << stale;
        EXPECT_EQ(Value(kVar), "") << stale;
    }
    Set(kVar, nullptr);
}

// Values one short of the buffer, filling it, and one over: the count the system gives
// decides, whatever last-error code came before.
TEST(IncDec, LongestValueThatFitsIsRead) {
    const struct {
        std::string value;
        int code;
        const char* after;
    } rows[] = {
        {std::string(1022, ' ') + "5", 0, "6"},
        {std::string(1021, '0') + "41", 0, "42"},
        {std::string(1022, '0') + "41", 2, nullptr},
        {std::string(1023, '0') + "41", 2, nullptr},
    };
    for (const auto& row : rows) {
        for (uint32_t stale : kStaleCodes) {
            Set(kVar, row.value.c_str());
            Result c = RunAfterLastError(inc, kVar, stale);
            std::string what = std::to_string(row.value.size()) + " characters, last error " + std::to_string(stale);
            EXPECT_EQ(c.code, row.code) << what;
            EXPECT_EQ(c.err, row.code ? NotNumeric("BH_CNT") : "") << what;
            EXPECT_EQ(Value(kVar), row.after ? row.after : row.value) << what;
        }
    }
    Set(kVar, nullptr);
}

TEST(IncDec, CommandLineFaults) {
    struct Case {
        const char* args;
        std::string err;
    } cases[] = {
        {"", "Missing environment variable name\r\n"},
        {" \t ", "Missing environment variable name\r\n"},
        {"\"\"", "Missing environment variable name\r\n"},
        {"/Q", "Missing environment variable name\r\n"},
        {"/q /v /z /Z", "Missing environment variable name\r\n"},
        {"/x bh_a", "Unknown options: \"/X\"\r\n"},
        {"bh_a /qz", "Unknown options: \"/QZ\"\r\n"},
        {"/ bh_a", "Unknown options: \"/\"\r\n"},
        {"bh_a /Q/V", "Unknown options: \"/Q/V\"\r\n"},
        {"bh_a /\xC3\xA4", "Unknown options: \"/\xC3\x84\"\r\n"},
        {"bh_a bh_b", "Syntax error: \"BH_B\"\r\n"},
        {"/Q bh_a bh_b", "Syntax error: \"BH_B\"\r\n"},
        {"bh_a bh_b /x", "Syntax error: \"BH_B\"\r\n"},
        {"1abc", "Bad environment variable name: \"1abc\"\r\n"},
        {"/Q bh+b", "Bad environment variable name: \"bh+b\"\r\n"},
        {"bh=a", "Bad environment variable name: \"bh=a\"\r\n"},
        {"bh_a,bh_b", "Bad environment variable name: \"bh_a,bh_b\"\r\n"},  // white space alone separates
        {"%bh_a%", "Bad environment variable name: \"%bh_a%\"\r\n"},
        {"\"bh a\"", "Bad environment variable name: \"bh a\"\r\n"},
        {"\" \"", "Bad environment variable name: \"\"\r\n"},
        {"\xD9\xA3x", "Bad environment variable name: \"\xD9\xA3x\"\r\n"},  // Arabic-Indic three first
        {"bh\xE2\x86\x92x", "Bad environment variable name: \"bh\xE2\x86\x92x\"\r\n"},
    };
    for (const Case& c : cases) {
        for (Command cmd : {inc, dec}) {
            Set("bh_a", "5");
            Set("bh_b", "7");
            Result r = RunCommand(cmd, c.args);
            EXPECT_EQ(r.code, 1) << c.args;
            EXPECT_EQ(r.err, kPrefix + c.err) << c.args;
            EXPECT_EQ(r.out, "") << c.args;
            EXPECT_EQ(Value("bh_a"), "5") << c.args;
            EXPECT_EQ(Value("bh_b"), "7") << c.args;
        }
    }
    Set("bh_a", nullptr);
    Set("bh_b", nullptr);
}

TEST(IncDec, NamesOfLettersDigitsAndFourSigns) {
    const char* names[] = {"-x",       ".x", "$x", "_x", "x.y-z$1_", "Z\xC3\xA4hler", "\xD0\x9A\xD0\xBE\xD0\xBB",
                           "n\xD9\xA3"};
    for (const char* name : names) {
        Set(name, nullptr);
        Result r = RunCommand(inc, name);
        EXPECT_EQ(r.code, 0) << name;
        EXPECT_EQ(r.err, "") << name;
        EXPECT_EQ(Value(name), "1") << name;
        Set(name, nullptr);
    }
    // Typed in another case, beyond ASCII too, a name reaches the variable as it is spelt.
    const char* spellings[][2] = {{"z\xC3\xA4hler", "Z\xC3\x84HLER"},
                                  {"\xD0\xBA\xD0\xBE\xD0\xBB", "\xD0\x9A\xD0\x9E\xD0\x9B"},
                                  {"\xCF\x83\xCF\x89", "\xCE\xA3\xCE\xA9"}};
    for (const auto& pair : spellings) {
        Set(pair[0], "5");
        Result r = RunCommand(inc, pair[1]);
        EXPECT_EQ(r.code, 0) << pair[1];
        EXPECT_EQ(Value(pair[0]), "6") << pair[1];
        Set(pair[1], nullptr);
        EXPECT_EQ(Value(pair[0]), kUnset) << pair[1];
    }
}

TEST(IncDec, SplitterOverflowEndsAsMissingName) {
    Result r = RunCommand(inc, std::string(9000, 'a'));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, kPrefix + "Buffer overflow: b = 8191, MAX_ARG_LEN = 8192 \r\n" + kPrefix +
                         "Missing environment variable name\r\n");
}

TEST(IncDec, QuietSilencesOnlyVariableFailures) {
    for (const char* args : {"/Q bh_cnt", "bh_cnt /Q", "/q bh_cnt", "/Q /Q bh_cnt /Z /z", "/V /Q bh_cnt"}) {
        Set(kVar, "abc");
        Result r = RunCommand(dec, args);
        bool zero = std::string(args).find("/Z") != std::string::npos;
        EXPECT_EQ(r.code, zero ? 0 : 2) << args;
        EXPECT_EQ(r.err, "") << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_EQ(Value(kVar), zero ? "-1" : "abc") << args;
    }
    Set(kVar, nullptr);
}

TEST(IncDec, VerboseShowsTheNameInUpperCaseAndTheNewValue) {
    struct Case {
        const char* name;
        const char* before;
        const char* args;
        const char* after;
        std::string out;
    } cases[] = {
        {"cnt", "41", "/V cnt", "42", "CNT=42\r\n"},
        {"cnt", "0xff", "cnt /v", "0x100", "CNT=0x100\r\n"},
        {"cnt", "0o7", "/q /V cnt", "0o010", "CNT=0o010\r\n"},
        {"cnt", "abc", "/V /Z cnt", "1", "CNT=1\r\n"},
        {"c\xC3\xA4t", kUnset, "/v c\xC3\xA4t", "1", "C\xC3\x84T=1\r\n"},
    };
    for (const Case& c : cases) {
        Set(c.name, c.before);
        Result r = RunCommand(inc, c.args);
        EXPECT_EQ(r.code, 0) << c.args;
        EXPECT_EQ(r.out, c.out) << c.args;
        EXPECT_EQ(r.err, "") << c.args;
        EXPECT_EQ(Value(c.name), c.after) << c.args;
        Set(c.name, nullptr);
    }
}

TEST(IncDec, HelpWherePlacedBeforeAnyFault) {
    const std::string version = "\r\n\t\t\t\tBytehaul  0.90.5.0 (x64)\r\n";
    struct Case {
        const char* args;
        bool with_version;
    } cases[] = {
        {"/?", false},           {"/?x", false},        {"/? /x", false},   {"bh_cnt /?", false},
        {"/Q /Z /?", false},     {"/?? bh_a", true},    {"/???", true},     {"bh_cnt /V /??", true},
        {"/?? bh_a bh_b", true}, {"/?\xC3\xA4", false}, {"1abc /?", false},  // names are judged later
    };
    for (const Case& c : cases) {
        for (Command cmd : {inc, dec}) {
            Set(kVar, "5");
            Result r = RunCommand(cmd, c.args);
            const std::string& text = cmd == inc ? kHelpInc : kHelpDec;
            EXPECT_EQ(r.code, 0) << c.args;
            EXPECT_EQ(r.out, c.with_version ? text + version : text) << c.args;
            EXPECT_EQ(r.err, "") << c.args;
            EXPECT_EQ(Value(kVar), "5") << c.args;
        }
    }
    Set(kVar, nullptr);
}

TEST(IncDec, NoHelpAfterAFault) {
    struct Case {
        const char* args;
        std::string err;
    } cases[] = {
        {"/x /?", "Unknown options: \"/X\"\r\n"},
        {"bh_cnt bh_b /?", "Syntax error: \"BH_B\"\r\n"},
    };
    for (const Case& c : cases) {
        Result r = RunCommand(inc, c.args);
        EXPECT_EQ(r.code, 1) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
        EXPECT_EQ(r.err, kPrefix + c.err) << c.args;
    }
}

#if defined(__has_feature)
#    if __has_feature(address_sanitizer)
#        define BH_KEEPS_FREED_MEMORY  // the sanitizer's quarantine holds what is freed
#    endif
#endif
#if !defined(_WIN32) && !defined(BH_KEEPS_FREED_MEMORY) && !defined(__SANITIZE_ADDRESS__)

long resident_pages() {
    long size = 0, resident = 0;
    FILE* f = fopen("/proc/self/statm", "r");
    if (f) {
        if (fscanf(f, "%ld %ld", &size, &resident) != 2) resident = 0;
        fclose(f);
    }
    return resident;
}

// Counting through many distinct values, with writes from this process's other copy of the
// platform between the plug-in's, as a host's set makes them: every value replaced is
// given back, so the process does not grow with the work.
TEST(IncDec, DistinctValuesLeaveTheProcessNoLarger) {
    auto count = [](int from, int n) {
        for (int i = from; i < from + n; ++i) {
            Set("bh_grow", std::to_string(i * 3).c_str());
            std::u16string text = u"bh_grow";
            inc(&text[0]);
        }
    };
    count(0, 20000);
    long before = resident_pages();
    count(20000, 200000);
    long grown = resident_pages() - before;
    EXPECT_EQ(Value("bh_grow"), std::to_string(219999 * 3 + 1));
    EXPECT_LT(grown, 256) << "pages";
    Set("bh_grow", nullptr);
}

#endif

}  // namespace
