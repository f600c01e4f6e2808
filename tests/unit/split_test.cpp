// The splitter: separators, quotes, white space, upper-casing, and the limits of the table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "args/split.h"
#include "tests/support/support.h"

namespace {

// An expected argument: null stands for "no stored character" (null pointer, length 0).
typedef std::vector<const char*> Args;

// Compares the table with the expectation: count, pointers, lengths and the texts, and
// that every entry past the count is empty.
void expect_table(const Args& want, const std::string& label) {
    const ArgTable& t = ArgumentTable;
    ASSERT_EQ(t.count, int32_t(want.size())) << label;
    for (size_t i = 0; i < want.size(); ++i) {
        if (!want[i]) {
            EXPECT_EQ(t.pointers[i], nullptr) << label << " arg " << i;
            EXPECT_EQ(t.lengths[i], 0) << label << " arg " << i;
            continue;
        }
        ASSERT_NE(t.pointers[i], nullptr) << label << " arg " << i;
        std::string text = U8(t.pointers[i]);
        EXPECT_EQ(text, want[i]) << label << " arg " << i;
        EXPECT_EQ(size_t(t.lengths[i]), U(text).size()) << label << " arg " << i;
    }
    for (int i = int(want.size()); i < MAX_ARGS; ++i) {
        if (t.pointers[i] != nullptr || t.lengths[i] != 0) {
            ADD_FAILURE() << label << ": entry " << i << " past the count is not empty";
            break;
        }
    }
}

// Splits and checks the result, that nothing went to standard error, and the table.
void expect_split(const std::string& text, uint32_t options, const Args& want) {
    std::string label = "[" + text + "] options " + std::to_string(options);
    capture_begin();
    int32_t r = SplitArguments(U(text).c_str(), options);
    Captured c = capture_end();
    EXPECT_EQ(r, int32_t(want.size())) << label;
    EXPECT_EQ(c.err, "") << label;
    expect_table(want, label);
}

const char* const E = nullptr;  // an empty argument
const uint32_t ALL = SPLIT_ON_WHITESPACE | SPLIT_ON_COMMAS | SPLIT_UPPERCASE;

TEST(Splitter, TableOfSeparatorsAndQuotes) {
    struct Row {
        const char* text;
        Args commas, whitespace, all;
    } rows[] = {
        {"a, \"b c\" ,,d", {"a", "b c", E, "d"}, {"a,", "b c", ",,d"}, {"A", "B C", E, E, "D"}},
        {"a ,b", {"a", "b"}, {"a", ",b"}, {"A", E, "B"}},
        {"a,,", {"a", E}, {"a,,"}, {"A", E}},
        {",a", {E, "a"}, {",a"}, {E, "A"}},
        {"a,", {"a"}, {"a,"}, {"A"}},
        {"ab\"c d\"e", {"abc de"}, {"abc de"}, {"ABC DE"}},
        {"\" a\" ,b", {" a", "b"}, {" a", ",b"}, {" A", E, "B"}},
    };
    for (const Row& r : rows) {
        expect_split(r.text, SPLIT_ON_COMMAS, r.commas);
        expect_split(r.text, SPLIT_ON_WHITESPACE, r.whitespace);
        expect_split(r.text, ALL, r.all);
    }
}

TEST(Splitter, NoSeparatorFlagMeansWhiteSpace) {
    expect_split("a b,c", 0, {"a", "b,c"});
    expect_split("a b,c", SPLIT_UPPERCASE, {"A", "B,C"});
}

TEST(Splitter, WhiteSpaceKinds) {
    expect_split("a\tb", SPLIT_ON_COMMAS, {"a\tb"});
    expect_split("a\tb", SPLIT_ON_WHITESPACE, {"a", "b"});
    // No-break space and an ideographic space separate; an ordinary letter above U+00FF does not.
    expect_split(
        "a\xc2\xa0"
        "b\xe3\x80\x80"
        "c\xc4\x80"
        "d",
        SPLIT_ON_WHITESPACE,
        {"a", "b",
         "c\xc4\x80"
         "d"});
    expect_split("  a b \r\n", SPLIT_ON_COMMAS, {"a b"});
}

TEST(Splitter, NothingToSplit) {
    for (const char* text : {"", "   \t ", "\"\""}) {
        for (uint32_t options : {uint32_t(SPLIT_ON_COMMAS), uint32_t(SPLIT_ON_WHITESPACE), ALL})
            expect_split(text, options, {});
    }
}

TEST(Splitter, QuotedBlankIsAnEmptyArgumentWithAText) {
    capture_begin();
    int32_t r = SplitArguments(u"\" \"", SPLIT_ON_COMMAS);
    capture_end();
    EXPECT_EQ(r, 1);
    EXPECT_EQ(ArgumentTable.count, 1);
    EXPECT_EQ(ArgumentTable.lengths[0], 0);
    ASSERT_NE(ArgumentTable.pointers[0], nullptr);
    EXPECT_EQ(ArgumentTable.pointers[0][0], u'\0');
}

TEST(Splitter, QuotesAndTrailingWhiteSpace) {
    // An unclosed quote takes the rest, separators included, and still loses trailing blanks.
    expect_split("a,\"b, c d  ", SPLIT_ON_COMMAS, {"a", "b, c d"});
    expect_split("a \"b, c d  ", ALL, {"A", "B, C D"});
    // Blanks quoted at the end go; quoted at the start or in the middle, they stay.
    expect_split("\"a  \",\"  b\",\"c  d\"", SPLIT_ON_COMMAS, {"a", "  b", "c  d"});
    expect_split("x\"\"y", SPLIT_ON_WHITESPACE, {"xy"});
}

TEST(Splitter, UpperCasingIsAsciiOnly) {
    expect_split(
        "\xc3\xa4"
        "a \"b z\"",
        ALL,
        {"\xc3\xa4"
         "A",
         "B Z"});
    expect_split(
        "\xc3\xa4"
        "a",
        SPLIT_ON_COMMAS,
        {"\xc3\xa4"
         "a"});
}

TEST(Splitter, StoreLayoutGivesEverySeparatorACell) {
    capture_begin();
    SplitArguments(u"ab,,c", SPLIT_ON_COMMAS);
    capture_end();
    // "ab" in cells 0-1 with its NUL in 2; the first comma moves to 3, the second to 4.
    EXPECT_EQ(ArgumentTable.pointers[0], &ArgumentTable.store[0]);
    EXPECT_EQ(ArgumentTable.pointers[2], &ArgumentTable.store[4]);
    EXPECT_EQ(ArgumentTable.store[2], u'\0');
    EXPECT_EQ(ArgumentTable.store[3], u'\0');
}

TEST(Splitter, EveryCallResetsTheTable) {
    expect_split("a,b,c", SPLIT_ON_COMMAS, {"a", "b", "c"});
    expect_split("d", SPLIT_ON_COMMAS, {"d"});
}

TEST(Splitter, NullTextLeavesTheEarlierSplitReadable) {
    expect_split("one two", SPLIT_ON_WHITESPACE, {"one", "two"});
    EXPECT_EQ(SplitArguments(nullptr, SPLIT_ON_WHITESPACE), -1);
    expect_table({"one", "two"}, "after a null text");
}

const std::string overflow_line(int b) {
    return "Bytehaul plugin: Buffer overflow: b = " + std::to_string(b) + ", MAX_ARG_LEN = 8192 \r\n";
}

TEST(Splitter, StoreHoldsAtMost8191Characters) {
    expect_split(std::string(8191, 'q'), SPLIT_ON_COMMAS, {std::string(8191, 'q').c_str()});

    capture_begin();
    int32_t r = SplitArguments(U(std::string(8192, 'q')).c_str(), SPLIT_ON_COMMAS);
    Captured c = capture_end();
    EXPECT_EQ(r, -1);
    EXPECT_EQ(c.err, overflow_line(8191));
    EXPECT_EQ(c.out, "");
    // The count says nothing was split, yet the argument being filled stays as far as it got.
    EXPECT_EQ(ArgumentTable.count, 0);
    EXPECT_EQ(ArgumentTable.lengths[0], 8191);
    EXPECT_EQ(ArgumentTable.pointers[0], &ArgumentTable.store[0]);
    EXPECT_EQ(ArgumentTable.store[8191], u'\0');
}

TEST(Splitter, OverflowCountsSeparatorCellsAndRemovedBlanks) {
    struct Case {
        std::string text;
        uint32_t options;
        int b;
    } cases[] = {
        {std::string(8190, 'q') + ",x", SPLIT_ON_COMMAS, 8191},
        // White space that is removed later still takes cells while it is stored.
        {"a" + std::string(8190, ' ') + "b", SPLIT_ON_COMMAS, 8191},
        // A character that would be dropped past the 1024th argument still overflows.
        {std::string(8191, ',') + "x", SPLIT_ON_COMMAS, 8191},
        {std::string(8190, 'q') + ",,x", SPLIT_ON_COMMAS, 8192},
    };
    for (const Case& k : cases) {
        capture_begin();
        int32_t r = SplitArguments(U(k.text).c_str(), k.options);
        Captured c = capture_end();
        EXPECT_EQ(r, -1) << k.text.size();
        EXPECT_EQ(c.err, overflow_line(k.b)) << k.text.size();
        EXPECT_EQ(ArgumentTable.count, 0);
    }
}

TEST(Splitter, SeparatorsPastTheStoreAreDroppedSilently) {
    std::string full(8190, 'q');
    Args want = {full.c_str(), E, E, E, E};
    expect_split(full + ",,,,," + "   ", SPLIT_ON_COMMAS, want);
    EXPECT_EQ(ArgumentTable.store[8190], u'\0');
}

std::string words(int n, char sep) {
    std::string s;
    for (int i = 0; i < n; ++i) s += (i ? std::string(1, sep) : "") + "w" + std::to_string(i);
    return s;
}

// A split leaves entries behind in three ways: arguments up to the 1024th, arguments of
// quoted blanks (a pointer without a length), and arguments filled before an overflow
// (with the count 0). The next split must show none of them.
TEST(Splitter, NothingOfALargerSplitSurvivesTheNext) {
    std::string quoted_blanks;
    for (int i = 0; i < 700; ++i) quoted_blanks += "\" \",";
    const std::string before[] = {
        words(1030, ' '),
        quoted_blanks + "x",
        words(900, ' ') + " " + std::string(8000, 'q'),
    };
    for (const std::string& text : before) {
        std::string label = "after " + text.substr(0, 20) + "...";
        capture_begin();
        SplitArguments(U(text).c_str(), SPLIT_ON_WHITESPACE | SPLIT_ON_COMMAS);
        capture_end();
        ASSERT_NE(ArgumentTable.pointers[600], nullptr) << label;
        expect_split("a,b", SPLIT_ON_COMMAS, {"a", "b"});
        capture_begin();
        SplitArguments(U(text).c_str(), SPLIT_ON_WHITESPACE | SPLIT_ON_COMMAS);
        capture_end();
        expect_split("", SPLIT_ON_COMMAS, {});
    }
}

TEST(Splitter, AtMost1024Arguments) {
    for (char sep : {' ', ','}) {
        uint32_t options = sep == ' ' ? uint32_t(SPLIT_ON_WHITESPACE) : uint32_t(SPLIT_ON_COMMAS);
        for (int n : {1024, 1030}) {
            capture_begin();
            int32_t r = SplitArguments(U(words(n, sep)).c_str(), options);
            Captured c = capture_end();
            EXPECT_EQ(r, 1024);
            EXPECT_EQ(c.err, "");
            ASSERT_EQ(ArgumentTable.count, 1024);
            EXPECT_EQ(U8(ArgumentTable.pointers[0]), "w0");
            EXPECT_EQ(U8(ArgumentTable.pointers[1023]), "w1023");
        }
    }
    // A long run of commas alone ends at the limit too, with every argument empty.
    capture_begin();
    int32_t r = SplitArguments(U(std::string(5000, ',') + "x").c_str(), SPLIT_ON_COMMAS);
    Captured c = capture_end();
    EXPECT_EQ(r, 1024);
    EXPECT_EQ(c.err, "");
    for (int i = 0; i < MAX_ARGS; ++i) ASSERT_EQ(ArgumentTable.lengths[i], 0) << i;
}

}  // namespace
