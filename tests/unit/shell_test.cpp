// The stand-in shell's own edges: expansion limits, the internal table, and the LF writer.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "shell/shell_host.h"
#include "tests/support/support.h"

namespace {

int calls = 0;
size_t last_args_len = 0;

bool echo_handler(const char16_t* name, const char16_t* args, char16_t* out, size_t cap) {
    ++calls;
    last_args_len = std::u16string(args).size();
    std::u16string r = u"<" + std::u16string(name) + u":" + std::u16string(args).substr(0, 8) + u">";
    if (r.size() >= cap) return false;
    for (size_t i = 0; i <= r.size(); ++i) out[i] = r.c_str()[i];
    return true;
}

int faults = 0;
void count_fault(int, const char16_t*) { ++faults; }

bool serve_dyn(const char16_t* name, char16_t* out, size_t cap) {
    if (std::u16string(name) != u"dyn" || cap < 2) return false;
    out[0] = u'D';
    out[1] = 0;
    return true;
}

std::u16string expand(const std::u16string& in) {
    static char16_t out[SHELL_EXPAND_MAX + 1];
    size_t n = shell_expand(in.c_str(), out, SHELL_EXPAND_MAX + 1);
    return std::u16string(out, n);
}

TEST(ShellExpand, EdgesOfNamesAndCalls) {
    const std::u16string longest(255, u'n');  // the longest name the shell keeps
    const std::u16string long_name = longest + u"n";
    ASSERT_TRUE(shell_set_internal(u"X", u"value"));
    ASSERT_TRUE(shell_set_internal(longest.c_str(), u"v255"));
    ASSERT_TRUE(shell_set_internal(u"1", u"\"a b.txt\""));
    shell_set_function_handler(echo_handler);
    shell_set_fault_handler(count_fault);
    shell_set_variable_handler(serve_dyn);
    struct Row {
        std::u16string in, out;
        int calls, faults;
    } rows[] = {
        {u"a%[" + longest + u"]b", u"av255b", 0, 0},
        {u"a%[" + long_name + u"]b", u"ab", 0, 0},
        {u"a%" + long_name + u"%b", u"ab", 0, 0},
        {u"%@" + longest + u"[x]", u"<" + longest + u":x>", 1, 0},
        {u"%@" + long_name + u"[x]", u"%@" + long_name + u"[x]", 0, 0},
        {u"%@f[%X]", u"<f:value>", 1, 0},
        {u"%@f[x", u"%@f[x", 0, 1},
        {u"%[X", u"%[X", 0, 1},
        // An argument's parts, with no host to work out a path: the argument unquoted.
        {u"[%~1] [%~dp1] [%~DPD1]", u"[a b.txt] [a b.txt] [a b.txt]", 0, 0},
        {u"[%~z1] [%~dz1]", u"[%~z1] [%~dz1]", 0, 2},
        {u"[%~a] [%~]", u"[%~a] [%~]", 0, 0},
        // Parts of a value and a value edited; what fits neither form is left as it stands.
        {u"[%X:~1,3%] [%X:~+1%] [%X:~-2%] [%X:u=U%] [%X:*a=A%] [%X:*z=y%]", u"[alu] [alue] [ue] [valUe] [Alue] [value]",
         0, 0},
        {u"[%X:~x%] [%X:~1,x%] [%X:~%] [%X:=y%] [%X:*=y%] [%X:%] [%X:y]",
         u"[value:~x%] [value:~1,x%] [value:~%] [value:=y%] [value:*=y%] [value:%] [value:y]", 0, 0},
        {u"[%X:~999999999999%]", u"[value:~999999999999%]", 0, 0},
        // A variable the host works out comes after the internal ones and the environment.
        {u"[%dyn] [%dyn:~0,1%] [%nodyn]", u"[D] [D] []", 0, 0},
    };
    for (const Row& r : rows) {
        calls = faults = 0;
        EXPECT_EQ(U8(expand(r.in)), U8(r.out)) << U8(r.in).substr(0, 40);
        EXPECT_EQ(calls, r.calls) << U8(r.in).substr(0, 40);
        EXPECT_EQ(faults, r.faults) << U8(r.in).substr(0, 40);
    }

    // Without handlers a call gives nothing and a fault passes in silence.
    shell_set_variable_handler(nullptr);
    shell_set_function_handler(nullptr);
    shell_set_fault_handler(nullptr);
    EXPECT_EQ(U8(expand(u"a%@f[x]b")), "ab");
    EXPECT_EQ(U8(expand(u"a%@f[x")), "a%@f[x");
    shell_clear_internals();
}

TEST(ShellExpand, ArgumentsAreCutAtTheLongestExpansion) {
    shell_set_function_handler(echo_handler);
    last_args_len = 0;
    std::u16string in = u"%@f[" + std::u16string(40000, u'y') + u"]!";
    EXPECT_EQ(U8(expand(in)), "<f:yyyyyyyy>!");
    EXPECT_EQ(last_args_len, 32767u);
    shell_set_function_handler(nullptr);
}

TEST(ShellExpand, OutputIsBoundedByItsCapacity) {
    ASSERT_TRUE(shell_set_internal(u"X", u"hello"));
    GuardedBuffer b = guarded_new(4, u"");
    EXPECT_EQ(shell_expand(u"%X", b.data, b.cap), 3u);
    EXPECT_EQ(U8(b.data), "hel");
    EXPECT_TRUE(guard_intact(b));
    guarded_free(b);
    shell_clear_internals();

    char16_t out[4] = {u'q', u'q', u'q', u'q'};
    EXPECT_EQ(shell_expand(u"abc", nullptr, 4), 0u);
    EXPECT_EQ(shell_expand(u"abc", out, 0), 0u);
    EXPECT_EQ(out[0], u'q');
    EXPECT_EQ(shell_expand(nullptr, out, 4), 0u);
    EXPECT_EQ(out[0], u'\0');
    EXPECT_EQ(ExpandVariables(nullptr, 1), -1);
}

TEST(ShellInternals, SetRemoveAndTheFullTable) {
    const std::u16string long_name(256, u'n');
    EXPECT_FALSE(shell_set_internal(nullptr, u"v"));
    EXPECT_FALSE(shell_set_internal(u"", u"v"));
    EXPECT_FALSE(shell_set_internal(long_name.c_str(), u"v"));
    EXPECT_TRUE(shell_set_internal(long_name.substr(1).c_str(), u"v"));
    EXPECT_EQ(shell_get_internal(nullptr), nullptr);

    ASSERT_TRUE(shell_set_internal(u"Gone", u"1"));
    EXPECT_TRUE(shell_set_internal(u"GONE", nullptr));
    EXPECT_EQ(shell_get_internal(u"gone"), nullptr);
    EXPECT_EQ(U8(expand(u"[%gone%]")), "[]");

    // 48 names fit in all; one more is refused while a known name can still change.
    shell_clear_internals();
    for (int i = 0; i < 48; ++i) {
        std::u16string name = u"v" + U(std::to_string(i));
        EXPECT_TRUE(shell_set_internal(name.c_str(), u"x")) << i;
    }
    EXPECT_FALSE(shell_set_internal(u"one_more", u"x"));
    EXPECT_EQ(shell_get_internal(u"one_more"), nullptr);
    EXPECT_TRUE(shell_set_internal(u"V47", u"changed"));
    EXPECT_EQ(U8(shell_get_internal(u"v47")), "changed");
    shell_clear_internals();
}

TEST(ShellOutput, LineEndsJoinedOnlyForCrLf) {
    const std::string big = std::string(4000, 'a') + "\r\n" + std::string(1000, 'b') + "\r\n";
    const struct {
        std::string in, lf_out;
    } rows[] = {
        {"a\r\nb\r\n", "a\nb\n"},
        {"a\rb\r", "a\rb\r"},
        {"\r\n", "\n"},
        {"\r\r\n\n", "\r\n\n"},
        {"", ""},
        {big, std::string(4000, 'a') + "\n" + std::string(1000, 'b') + "\n"},
        {std::string(4096, 'c'), std::string(4096, 'c')},
    };
    for (const auto& r : rows) {
        std::u16string t = U(r.in);
        capture_begin();
        shell_set_lf_line_ends(true);
        bool ok_lf = shell_write_text(sys_stdout_handle(), t.c_str(), t.size());
        shell_set_lf_line_ends(false);
        bool ok_raw = shell_write_text(sys_stdout_handle(), t.c_str(), t.size());
        Captured c = capture_end();
        EXPECT_TRUE(ok_lf);
        EXPECT_TRUE(ok_raw);
        EXPECT_EQ(c.out, r.lf_out + r.in) << r.in.substr(0, 20);
    }
    capture_begin();
    EXPECT_EQ(QPuts(nullptr), 0);
    EXPECT_EQ(capture_end().out, "");
}

TEST(ShellOutput, RefusedWriteIsReportedAndNoted) {
    const std::u16string big(5000, u'z');  // more than one piece of the LF writer
    for (bool lf : {true, false}) {
        streams_break(StreamFault::BrokenPipe);
        shell_set_lf_line_ends(lf);
        bool ok = shell_write_text(sys_stdout_handle(), big.c_str(), big.size());
        shell_set_lf_line_ends(false);
        streams_restore();
        EXPECT_FALSE(ok) << lf;
        EXPECT_NE(shell_output_failure(), 0) << lf;  // which stream: both are the broken pipe on Windows
    }
}

}  // namespace
