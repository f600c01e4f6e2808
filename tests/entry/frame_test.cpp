// Registration, the load message and the null-pointer contract of every entry.
#include <gtest/gtest.h>

#include <string>

#include "plugin/exports.h"
#include "shell/shell_host.h"
#include "tests/support/support.h"

namespace {

std::string load_message_with(const char* transient, const char* pipe, const char* noloadmsg) {
    shell_set_internal(u"_transient", transient ? U(transient).c_str() : nullptr);
    shell_set_internal(u"_pipe", pipe ? U(pipe).c_str() : nullptr);
    env_set("noloadmsg", noloadmsg);
    capture_begin();
    int r = InitializePlugin();
    Captured c = capture_end();
    shell_clear_internals();
    env_set("noloadmsg", nullptr);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(c.err, "");
    return c.out;
}

TEST(Registration, RecordHoldsIdentityAndIsStable) {
    PluginInfo* a = GetPluginInfo();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(U8(a->name), "Bytehaul");
    EXPECT_EQ(U8(a->description), "Functions to read and write binary file data.");
    EXPECT_EQ(U8(a->functions), "@inthaul,@bytehaul,@bytestow,dec,inc");
    EXPECT_EQ(a->major, 0);
    EXPECT_EQ(a->minor, 90);
    EXPECT_EQ(a->build, 5);
    EXPECT_NE(a->author, nullptr);
    EXPECT_NE(a->email, nullptr);
    EXPECT_NE(a->web_page, nullptr);
    for (int v : a->reserved) EXPECT_EQ(v, 0);
    PluginInfo copy = *a;
    PluginInfo* b = GetPluginInfo();
    EXPECT_EQ(a, b);
    EXPECT_EQ(0, memcmp(&copy, b, sizeof copy));
}

TEST(Registration, LoadMessageOnlyWhenExpansionIsExactlyZeroZero) {
    const std::string loaded = "Bytehaul v0.90.5 loaded.\r\n";
    struct Case {
        const char *transient, *pipe, *noloadmsg;
        bool shown;
    } cases[] = {
        {nullptr, nullptr, nullptr, true},  // unset _transient and _pipe read as 0
        {"0", "0", nullptr, true},         {"1", "0", nullptr, false},
        {"0", "1", nullptr, false},        {"0", "0", "0", false},
        {"0", "0", "yes", false},          {"", "0", nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(load_message_with(c.transient, c.pipe, c.noloadmsg), c.shown ? loaded : "")
            << (c.transient ? c.transient : "-") << "," << (c.pipe ? c.pipe : "-") << ","
            << (c.noloadmsg ? c.noloadmsg : "-");
}

TEST(Registration, LongNoloadmsgIsSafeAndSilences) {
    std::string big(20000, 'n');
    EXPECT_EQ(load_message_with("0", "0", big.c_str()), "");
}

TEST(Registration, ShutdownTearsNothingDown) {
    EXPECT_EQ(ShutdownPlugin(), 0);
    EXPECT_EQ(GetPluginInfo()->minor, 90);
    EXPECT_EQ(load_message_with("0", "0", nullptr), "Bytehaul v0.90.5 loaded.\r\n");
}

TEST(Entries, NullPointersGive87) {
    EXPECT_EQ(f_inthaul(nullptr), 87);
    EXPECT_EQ(f_bytehaul(nullptr), 87);
    EXPECT_EQ(f_bytestow(nullptr), 87);
    EXPECT_EQ(inc(nullptr), 87);
    EXPECT_EQ(dec(nullptr), 87);
    char16_t buf[1024] = {};
    EXPECT_EQ(Usage(nullptr, buf), 0);
    EXPECT_EQ(Usage(u"inc", nullptr), 0);
    EXPECT_EQ(Help(nullptr), 0);
}

}  // namespace
