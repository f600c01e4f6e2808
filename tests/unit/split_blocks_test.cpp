// The splitter takes simple stretches of a text 64 characters at a time: held here against
// the rules applied one character at a time, on texts whose blocks meet every case (long
// blank runs, a full table, quotes and non-ASCII characters between simple blocks, the
// store's end), and on texts that end at the very end of readable memory. Every path this
// processor runs is held to them, not only the one SplitArguments chose.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "args/split.h"
#include "args/split_blocks.h"
#include "tests/support/support.h"

#if defined(_WIN32)
#    include <windows.h>
#else
#    include <sys/mman.h>
#    include <unistd.h>
#endif

namespace {

bool is_space(char16_t c) { return (c >= 9 && c <= 13) || c == 0x20 || c == 0xA0 || c == 0x3000; }

// The rules, one character at a time: arguments as texts (null for no stored character),
// or an overflow.
struct Model {
    bool overflow = false;
    int32_t overflow_at = 0;  // the store cell reported
    int32_t cells = 0;        // the store cells a split without overflow took
    std::vector<std::u16string> args;
    std::vector<bool> stored;
};

Model split_by_rules(const std::u16string& text, uint32_t options) {
    if (!(options & (SPLIT_ON_WHITESPACE | SPLIT_ON_COMMAS))) options |= SPLIT_ON_WHITESPACE;
    Model m;
    int32_t p = 0, n = 0, k = 0;
    bool quoted = false;
    std::vector<std::u16string> args(MAX_ARGS);
    std::vector<bool> stored(MAX_ARGS, false);
    for (size_t i = 0;; ++i) {
        char16_t c = i < text.size() ? text[i] : 0;
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        bool space = is_space(c);
        if (!quoted && k == 0 && space) continue;
        if (c == 0) {
            if (k > 0) ++n;
            break;
        }
        if (!quoted && ((space && (options & SPLIT_ON_WHITESPACE)) || (c == u',' && (options & SPLIT_ON_COMMAS)))) {
            if (n < MAX_ARGS) ++n;
            if (p < MAX_ARG_LEN) ++p;
            k = 0;
            continue;
        }
        if (p >= MAX_ARG_LEN - 1) {
            m.overflow = true;
            m.overflow_at = p;
            return m;
        }
        if (n >= MAX_ARGS) continue;
        if (options & SPLIT_UPPERCASE && c >= u'a' && c <= u'z') c = char16_t(c - 32);
        stored[n] = true;
        args[n] += c;
        ++k;
        ++p;
    }
    m.cells = p;
    for (int32_t i = 0; i < n; ++i) {
        while (!args[i].empty() && is_space(args[i].back())) args[i].pop_back();
        m.args.push_back(args[i]);
        m.stored.push_back(stored[i]);
    }
    return m;
}

std::vector<SimdLevel> supported_paths() {
    std::vector<SimdLevel> paths;
    for (uint32_t p = 0; p < SIMD_LEVELS; ++p)
        if (simd_level_supported(SimdLevel(p))) paths.push_back(SimdLevel(p));
    return paths;
}

// The text as held at the address given.
void expect_rules_on(SimdLevel path, const Model& want, const char16_t* text, uint32_t options,
                     const std::string& what) {
    capture_begin();
    int32_t got = split_arguments_with(path, text, options);
    Captured report = capture_end();
    std::string label = what + ", path " + std::to_string(path) + ", options " + std::to_string(options);
    if (want.overflow) {
        ASSERT_EQ(got, -1) << label;
        EXPECT_NE(report.err.find("Buffer overflow: b = " + std::to_string(want.overflow_at) + ","), std::string::npos)
            << label << ": " << report.err;
        return;
    }
    EXPECT_EQ(report.err, "") << label;
    ASSERT_EQ(got, int32_t(want.args.size())) << label;
    for (int32_t i = 0; i < got; ++i) {
        ASSERT_EQ(ArgumentTable.lengths[i], int32_t(want.args[i].size())) << label << ", argument " << i;
        ASSERT_EQ(ArgumentTable.pointers[i] != nullptr, bool(want.stored[i])) << label << ", argument " << i;
        if (ArgumentTable.pointers[i]) {
            ASSERT_TRUE(std::u16string(ArgumentTable.pointers[i]) == want.args[i]) << label << ", argument " << i;
        }
    }
}

void expect_rules(const std::u16string& text, uint32_t options, const std::string& what) {
    Model want = split_by_rules(text, options);
    for (SimdLevel path : supported_paths())
        expect_rules_on(path, want, text.c_str(), options, what + ", length " + std::to_string(text.size()));
}

const uint32_t OPTION_SETS[] = {SPLIT_ON_COMMAS, SPLIT_ON_WHITESPACE, SPLIT_ON_WHITESPACE | SPLIT_ON_COMMAS,
                                SPLIT_ON_WHITESPACE | SPLIT_ON_COMMAS | SPLIT_UPPERCASE, SPLIT_UPPERCASE};

TEST(SplitBlocks, TextsMadeOfEveryKindOfBlock) {
    // Mixed blocks; blocks of ASCII alone, as the vector classifiers take them, with the
    // characters at the edges of each class (controls around the white space, the
    // neighbours of the letters); and, in blocks of their own, the edges above ASCII, which
    // send a whole block to the character-by-character path.
    const std::vector<std::u16string> piece_sets[] = {
        {u"ab", u"0x1f", u",", u" ", u", ", u" , ", u"\t", u"\"q r\"", u"x\"", u"\u00e4", u"\u00a0", u"\u3000",
         std::u16string(70, u' '), std::u16string(130, u'z'), std::u16string(65, u','), u"a,b,c,d,e,f,g,h"},
        {u"\b",
         u"\t",
         u"\n",
         u"\v",
         u"\f",
         u"\r",
         u"\x0e",
         u"\x1c",
         u"\x1d",
         u"\x1e",
         u"\x1f",
         u" ",
         u",",
         u"@",
         u"[",
         u"`",
         u"{",
         u"A",
         u"Z",
         u"a",
         u"z",
         u"@az{`AZ[",
         u"\x7e",
         std::u16string(70, u' '),
         std::u16string(40, u'{')},
        {u"\u007f", u"\u0080", u"\u0085", u"\u009f", u"\u00a0", u"\u00ff", u"\u0100", u"\u0101", u"\u017f", u"\u0180",
         u"@[`{", u"az", u" ", u"\r", u","},
    };
    std::mt19937 random(7);
    for (const std::vector<std::u16string>& pieces : piece_sets)
        for (int round = 0; round < 400; ++round) {
            std::u16string text;
            size_t target = random() % 3 == 0 ? 9000 : random() % 600;
            while (text.size() < target) text += pieces[random() % pieces.size()];
            for (uint32_t options : OPTION_SETS) expect_rules(text, options, "round " + std::to_string(round));
        }
}

// More arguments than the table holds, in blocks: the dropped ones still move the store on
// at each comma, up to an overflow.
TEST(SplitBlocks, PastAFullTable) {
    const std::u16string tails[] = {u"", std::u16string(200, u' '), u"q, r" + std::u16string(100, u','),
                                    std::u16string(7000, u',') + u"x", std::u16string(3000, u'w')};
    for (const std::u16string& separator : {std::u16string(u","), std::u16string(u" "), std::u16string(u" , ")})
        for (const std::u16string& tail : tails) {
            std::u16string text;
            for (int i = 0; i < 1100; ++i) text += u"v" + separator;
            text += tail;
            for (uint32_t options : OPTION_SETS) expect_rules(text, options, "full table");
        }
    // Commas past the full table up to the store's last cells, and a character: it fits, or
    // it overflows at exactly the cell the commas took it to.
    for (uint32_t options : OPTION_SETS) {
        std::u16string text;
        for (int i = 0; i < 1100; ++i) text += i % 3 ? u"v, " : u"w ";
        const int32_t cells = split_by_rules(text, options).cells;
        for (int32_t extra = -2; extra <= 2; ++extra)
            expect_rules(text + std::u16string(size_t(MAX_ARG_LEN - 1 - cells + extra), u',') + u"x", options,
                         "commas to the store's end " + std::to_string(extra));
    }
}

// An argument whose first character is a block's first cell, after a blank that ends the block
// before it: SSE2's blocks start 16 characters into a text aligned to 16 bytes and every 64
// on, AVX-512's at the text's start and every 64 on. The blank ends an argument, follows a
// comma or is one of a run; the argument ends in the block or runs past it.
TEST(SplitBlocks, AnArgumentOnABlocksFirstCell) {
    alignas(64) static char16_t aligned[256];
    const std::u16string befores[] = {u"w", u",", u" "};
    const std::u16string arguments[] = {u"first,x y", std::u16string(70, u'f') + u" x", u"f"};
    for (size_t start : {size_t(16), size_t(64), size_t(80), size_t(128), size_t(144)})
        for (const std::u16string& before : befores)
            for (const std::u16string& argument : arguments) {
                const std::u16string text = std::u16string(start - 2, u'a') + before + u" " + argument;
                text.copy(aligned, text.size());
                aligned[text.size()] = 0;
                for (uint32_t options : OPTION_SETS) {
                    Model want = split_by_rules(text, options);
                    for (SimdLevel path : supported_paths())
                        expect_rules_on(path, want, aligned, options, "argument at " + std::to_string(start));
                }
            }
}

// Two pages, the second unreadable; returns the start of the second.
char16_t* guarded_end(size_t* page) {
#if defined(_WIN32)
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    *page = info.dwPageSize;
    char* base = static_cast<char*>(VirtualAlloc(nullptr, 2 * *page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old;
    if (!base || !VirtualProtect(base + *page, *page, PAGE_NOACCESS, &old)) return nullptr;
#else
    *page = size_t(sysconf(_SC_PAGESIZE));
    char* base =
        static_cast<char*>(mmap(nullptr, 2 * *page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (base == MAP_FAILED || mprotect(base + *page, *page, PROT_NONE) != 0) return nullptr;
#endif
    return reinterpret_cast<char16_t*>(base + *page);
}

TEST(SplitPageEnd, TextsEndingAtAnUnreadablePage) {
    size_t page;
    char16_t* end = guarded_end(&page);
    ASSERT_NE(end, nullptr);
    // With quotes, and without: blocks taken whole run up to the page's end too.
    for (const std::u16string words : {u"0x10 #20 30, 40 \t \"5 0\" AB,cd ef", u"0x10 #20 30, 40 \t AB,cd ef,, "}) {
        for (size_t length = 0; length < 300; ++length) {
            std::u16string text;
            while (text.size() < length) text += words;
            text.resize(length);
            char16_t* at = end - (length + 1);
            text.copy(at, length);
            at[length] = 0;
            const uint32_t option_sets[] = {SPLIT_ON_COMMAS, SPLIT_ON_WHITESPACE,
                                            SPLIT_ON_WHITESPACE | SPLIT_ON_COMMAS | SPLIT_UPPERCASE};
            for (uint32_t options : option_sets) {
                Model want = split_by_rules(text, options);
                for (SimdLevel path : supported_paths())
                    expect_rules_on(path, want, at, options, "page end, length " + std::to_string(length));
            }
        }
    }
}

}  // namespace
