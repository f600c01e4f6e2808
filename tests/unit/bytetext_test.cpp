// Every implementation of @BYTEHAUL's byte text that this processor runs, held against a
// text made here with the C library's printf, on every byte value, every code and the
// lower-case flag, at the lengths where blocks end and tails begin and where the result's
// capacity is reached.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <random>
#include <string>
#include <vector>

#include "filefuncs/bytetext/bytetext.h"

namespace {

const size_t CAP = 16384;
const size_t GUARD = 64;
const char16_t SENTINEL = 0xBEEF;

// One byte in the notation of code, with its space.
std::u16string piece(uint8_t b, uint32_t code) {
    static const char* const formats[8] = {"%u ", "0x%02X ", "%02X ", "%d ", "%+d ", "0o%03o ", "%03o ", "%02X "};
    char text[16];
    int value = (code == 3 || code == 4) ? int(int8_t(b)) : int(b);
    snprintf(text, sizeof text, formats[code], value);
    return std::u16string(text, text + strlen(text));
}

// The text of the bytes by the rules: pieces while the text stays below cap; on success
// no final space and, with the flag, lower case; on overflow the pieces that fitted.
std::u16string expected(const std::vector<uint8_t>& bytes, uint32_t format, bool* fits, size_t cap = CAP) {
    std::u16string text;
    *fits = true;
    for (uint8_t b : bytes) {
        std::u16string p = piece(b, format & 7);
        if (text.size() + p.size() >= cap) {
            *fits = false;
            return text;
        }
        text += p;
    }
    text.pop_back();
    if (format & 0x80)
        for (char16_t& c : text)
            if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
    return text;
}

std::vector<SimdLevel> paths_here() {
    std::vector<SimdLevel> paths;
    for (uint32_t p = 0; p < SIMD_LEVELS; ++p)
        if (simd_level_supported(SimdLevel(p))) paths.push_back(SimdLevel(p));
    return paths;
}

// shift: characters from an aligned start to the result's first, which the vector paths
// meet by aligning their stores. cap: the result's capacity, guard cells after it.
void expect_text(SimdLevel path, const std::vector<uint8_t>& bytes, uint32_t format, const std::string& what,
                 size_t shift = 0, size_t cap = CAP) {
    std::vector<char16_t> storage(shift + cap + GUARD, SENTINEL);
    char16_t* result = storage.data() + shift;
    bool fits;
    std::u16string want = expected(bytes, format, &fits, cap);
    bool ok = write_byte_text_with(path, result, cap, bytes.data(), bytes.size(), format);
    std::string label = std::string(simd_level_name(path)) + " format " + std::to_string(format) + " n " +
                        std::to_string(bytes.size()) + " " + what + " shift " + std::to_string(shift) + " cap " +
                        std::to_string(cap);
    ASSERT_EQ(ok, fits) << label;
    size_t length = 0;
    while (length < cap && result[length] != 0) ++length;
    ASSERT_LT(length, cap) << label << ": no NUL below the capacity";
    for (size_t i = 0; i < shift; ++i) ASSERT_EQ(storage[i], SENTINEL) << label << ": written before the result";
    std::u16string got(result, length);
    if (got != want) {
        size_t at = 0;
        while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
        FAIL() << label << ": first difference at character " << at << " of " << want.size() << " (got " << got.size()
               << ")";
    }
    for (size_t i = cap; i < cap + GUARD; ++i)
        ASSERT_EQ(result[i], SENTINEL) << label << ": written past the capacity at " << i;
}

const uint32_t FORMATS[] = {0, 1, 2, 3, 4, 5, 6, 7, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87};

TEST(ByteText, EveryByteValueInEveryNotationOnEveryPath) {
    std::vector<uint8_t> all(256);
    for (int b = 0; b < 256; ++b) all[b] = uint8_t(b);
    for (SimdLevel path : paths_here())
        for (uint32_t format : FORMATS) expect_text(path, all, format, "all values");
}

TEST(ByteText, BlockEndsAndTailsOnEveryPath) {
    std::mt19937 random(12);
    for (SimdLevel path : paths_here())
        for (uint32_t format : FORMATS)
            for (size_t n = 1; n <= 80; ++n) {
                std::vector<uint8_t> bytes(n);
                for (uint8_t& b : bytes) b = uint8_t(random());
                expect_text(path, bytes, format, "random");
            }
}

// The result at every place a shell's buffer may start, relative to the 32-byte stores,
// and counts that end at each place in a block.
TEST(ByteText, EveryPlaceOfTheResultOnEveryPath) {
    std::mt19937 random(34);
    for (SimdLevel path : paths_here())
        for (uint32_t format : FORMATS)
            for (size_t shift = 0; shift < 16; ++shift) {
                std::vector<uint8_t> bytes(64 + random() % 64);
                for (uint8_t& b : bytes) b = uint8_t(random());
                expect_text(path, bytes, format, "random", shift);
            }
}

// Where the capacity is reached: the largest counts that fit, one more, and 4096 bytes of
// values whose decimal pieces are longest, shortest and mixed around 9/10, 99/100, 127/128.
TEST(ByteText, TextsAtTheCapacityOnEveryPath) {
    const size_t counts[] = {2729, 2730, 2731, 3275, 3276, 3277, 4094, 4095, 4096};
    const uint8_t fills[] = {0x00, 0xFF, 9, 10, 99, 100, 127, 128, 0x9C, 0xF6};
    std::mt19937 random(34);
    for (SimdLevel path : paths_here())
        for (uint32_t format : FORMATS) {
            for (size_t n : counts) {
                std::vector<uint8_t> bytes(n);
                for (uint8_t& b : bytes) b = uint8_t(random());
                expect_text(path, bytes, format, "random");
            }
            for (uint8_t fill : fills) expect_text(path, std::vector<uint8_t>(4096, fill), format, "filled");
            // Mostly long decimal pieces, so that the overflow falls at a varying place.
            for (int round = 0; round < 8; ++round) {
                std::vector<uint8_t> bytes(4096);
                for (uint8_t& b : bytes) b = random() % 8 ? uint8_t(100 + random() % 156) : uint8_t(random() % 100);
                expect_text(path, bytes, format, "long pieces");
            }
        }
}

// A capacity that just fits the text (the last piece's space and the NUL included), at counts
// of whole blocks of 16 bytes, where a block's stores end at the text's end: none may reach
// past the capacity.
TEST(ByteText, ACapacityThatJustFitsWholeBlocksOnEveryPath) {
    std::mt19937 random(78);
    for (SimdLevel path : paths_here())
        for (uint32_t format : FORMATS)
            for (size_t n = 16; n <= 256; n += 16) {
                std::vector<uint8_t> bytes(n);
                for (uint8_t& b : bytes) b = uint8_t(random());
                bool fits;
                const size_t cap = expected(bytes, format, &fits).size() + 2;
                expect_text(path, bytes, format, "just fitting", 0, cap);
            }
}

// Symbols 0..k-1 in an order where every run of `length` of them appears once (a de Bruijn
// sequence, cyclic), with its first length - 1 symbols repeated at the end.
void de_bruijn(int k, int length, int t, int p, std::vector<int>& a, std::vector<int>& out) {
    if (t > length) {
        if (length % p == 0)
            for (int j = 1; j <= p; ++j) out.push_back(a[j]);
        return;
    }
    a[t] = a[t - p];
    de_bruijn(k, length, t + 1, p, a, out);
    for (int j = a[t - p] + 1; j < k; ++j) {
        a[t] = j;
        de_bruijn(k, length, t + 1, t, a, out);
    }
}

// The vector paths close up a group of decimal pieces by what each shows (its digits, its
// sign), and random bytes seldom bring the rarer groups (four one-digit pieces, say). Here
// every run of four kinds of byte, each kind a range whose pieces have one length and sign
// in codes 3 and 4 (code 0's last four are all of 3 digits), at every offset from 0 to 11.
TEST(ByteText, EveryRunOfFourDecimalPieceKindsOnEveryPath) {
    const uint8_t kinds[6][2] = {{0, 9}, {10, 99}, {100, 127}, {128, 156}, {157, 246}, {247, 255}};
    std::vector<int> a(5, 0), order;
    de_bruijn(6, 4, 1, 1, a, order);
    for (int j = 0; j < 3; ++j) order.push_back(order[j]);
    std::mt19937 random(56);
    for (SimdLevel path : paths_here())
        for (uint32_t format : {0u, 3u, 4u})
            for (size_t offset = 0; offset < 12; ++offset) {
                std::vector<uint8_t> bytes(offset, uint8_t(random()));
                for (int kind : order) {
                    const uint8_t low = kinds[kind][0], span = uint8_t(kinds[kind][1] - low + 1);
                    bytes.push_back(uint8_t(low + random() % span));
                }
                expect_text(path, bytes, format, "runs of kinds at offset " + std::to_string(offset));
            }
}

TEST(ByteText, ProcessorPathsAreOfferedByWhatItHas) {
    EXPECT_TRUE(simd_level_supported(SIMD_SCALAR));
    EXPECT_TRUE(simd_level_supported(SIMD_SSE2));
    EXPECT_FALSE(simd_level_supported(SIMD_LEVELS));
    // The chosen path is one the processor runs, and no slower a path than it has unless forced.
    SimdLevel chosen = simd_level();
    EXPECT_TRUE(simd_level_supported(chosen));
}

// The levels with the features each adds to the levels below it, as Linux names them in
// /proc/cpuinfo ("pni" is SSE3, "abm" LZCNT), lowest first.
struct Level {
    const char* name;
    std::vector<std::string> features;
};
const Level LEVELS[] = {
    {"scalar", {}},
    {"sse2", {"sse2"}},
    {"ssse3", {"pni", "ssse3"}},
    {"avx2", {"sse4_1", "sse4_2", "popcnt", "avx", "avx2"}},
    {"avx512", {"bmi1", "bmi2", "abm", "avx512f", "avx512bw", "avx512vbmi", "avx512_vbmi2"}},
};

// The processor's feature flags by the system's own reading, with a space at each end;
// empty where there is none to read (not Linux, or not its /proc).
std::string cpu_flags() {
    FILE* f = fopen("/proc/cpuinfo", "r");
    if (!f) return "";
    char line[8192];
    std::string flags;
    while (flags.empty() && fgets(line, sizeof line, f))
        if (strncmp(line, "flags", 5) == 0) flags = std::string(" ") + strchr(line, ':') + " ";
    fclose(f);
    for (char& c : flags)
        if (c == '\n' || c == ':') c = ' ';
    return flags;
}

bool has_level(const std::string& flags, const Level& level) {
    for (const Level* below = LEVELS; below <= &level; ++below)
        for (const std::string& feature : below->features)
            if (flags.find(" " + feature + " ") == std::string::npos) return false;
    return true;
}

TEST(SimdChoice, TheProbeOffersEveryLevelTheProcessorHas) {
    const std::string flags = cpu_flags();
    if (flags.empty()) GTEST_SKIP() << "no /proc/cpuinfo to read the processor's features from";
    for (uint32_t p = 0; p < SIMD_LEVELS; ++p) {
        ASSERT_STREQ(simd_level_name(SimdLevel(p)), LEVELS[p].name);
        if (has_level(flags, LEVELS[p])) {
            EXPECT_TRUE(simd_level_supported(SimdLevel(p))) << LEVELS[p].name;
        }
    }
}

// ctest runs this once with BYTEHAUL_SIMD naming each level: where the processor has that
// level, it is the one chosen; otherwise the best one it has.
TEST(SimdChoice, AForcedLevelTakesEffect) {
    const char* forced = getenv("BYTEHAUL_SIMD");
    const std::string flags = cpu_flags();
    const Level* best = nullptr;
    const Level* wanted = nullptr;
    for (const Level& level : LEVELS) {
        const bool has = flags.empty() ? simd_level_supported(SimdLevel(&level - LEVELS)) : has_level(flags, level);
        if (!has) continue;
        best = &level;
        if (forced && strcasecmp(forced, level.name) == 0) wanted = &level;
    }
    ASSERT_NE(best, nullptr);
    EXPECT_STREQ(simd_level_name(simd_level()), (wanted ? wanted : best)->name)
        << "BYTEHAUL_SIMD=" << (forced ? forced : "(not set)");
}

}  // namespace
