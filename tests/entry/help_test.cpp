// Usage and Help as the shell calls them: the syntax text for the commands, the help
// window for all five names, and nothing for anything else.
#include <gtest/gtest.h>

#include <string>

#include "plugin/exports.h"
#include "tests/entry/help_texts.h"
#include "tests/support/support.h"

namespace {

const char16_t kUntouched[] = u"left alone";
// The capacity of the shell's buffer for a syntax text.
const size_t kUsageCap = 1024;

// The syntax part of a command's help text: from its second non-empty line on.
std::string SyntaxOf(const std::string& text) {
    size_t lf = text.find('\n');
    return text.substr(text.find_first_not_of('\n', lf));
}

TEST(Usage, CommandsGetTheirSyntaxTextInAnyCase) {
    struct Case {
        const char16_t* name;
        std::string expected;
    } cases[] = {
        {u"inc", SyntaxOf(kHelpInc)}, {u"INC", SyntaxOf(kHelpInc)}, {u"Inc", SyntaxOf(kHelpInc)},
        {u"dec", SyntaxOf(kHelpDec)}, {u"DEC", SyntaxOf(kHelpDec)}, {u"dEc", SyntaxOf(kHelpDec)},
    };
    for (const Case& c : cases) {
        GuardedBuffer b = guarded_new(kUsageCap, kUntouched);
        EXPECT_EQ(Usage(c.name, b.data), 1) << U8(c.name);
        EXPECT_EQ(U8(b.data), c.expected) << U8(c.name);
        EXPECT_TRUE(guard_intact(b));
        guarded_free(b);
    }
    EXPECT_EQ(SyntaxOf(kHelpDec).substr(0, 23), "DEC /Q /V /Z varname\r\n\n");
}

TEST(Usage, NoSyntaxTextForFunctionsOrUnknownNames) {
    const char16_t* names[] = {u"@bytehaul", u"@INTHAUL", u"@bytestow", u"@inc", u"_inc", u"bytehaul",
                               u"inthaul",   u"in",       u"incx",      u"inc ", u"",     u"dec\u00e9"};
    for (const char16_t* name : names) {
        GuardedBuffer b = guarded_new(kUsageCap, kUntouched);
        EXPECT_EQ(Usage(name, b.data), 0) << U8(name);
        EXPECT_EQ(U8(b.data), U8(kUntouched)) << U8(name);
        guarded_free(b);
    }
}

TEST(Help, ShowsTheFullTextOfEveryName) {
    struct Case {
        const char16_t* name;
        const std::string& text;
    } cases[] = {
        {u"@inthaul", kHelpInthaul}, {u"@BYTEHAUL", kHelpBytehaul}, {u"@ByteStow", kHelpBytestow}, {u"dec", kHelpDec},
        {u"INC", kHelpInc},
    };
    for (const Case& c : cases) {
        capture_begin();
        int shown = Help(c.name);
        Captured out = capture_end();
        EXPECT_EQ(shown, 1) << U8(c.name);
        EXPECT_EQ(out.out, message_box_echo("Bytehaul Plugin Help", c.text)) << U8(c.name);
        EXPECT_EQ(out.err, "");
    }
}

TEST(Help, NothingShownForUnknownNames) {
    for (const char16_t* name : {u"bytehaul", u"inthaul", u"_inc", u"", u"@", u"incdec"}) {
        capture_begin();
        int shown = Help(name);
        Captured out = capture_end();
        EXPECT_EQ(shown, 0) << U8(name);
        EXPECT_EQ(out.out, "") << U8(name);
        EXPECT_EQ(out.err, "") << U8(name);
    }
}

}  // namespace
