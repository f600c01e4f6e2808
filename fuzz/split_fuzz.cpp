// The splitter with any option word and any text. Input: one flag byte (bit 0: split a
// null text afterwards), four bytes of option word (little-endian), then the text.
//
// Every split must keep the table's invariants. Where the rules decide the outcome (no run
// of separators past MAX_ARGS arguments or past the last cell of the store), a model
// written from those rules must give the same table, cell for cell, and the same report.
// Everywhere, every path this processor runs must give the table and the report of the
// character-by-character reference.
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "args/split.h"
#include "args/split_blocks.h"
#include "fuzz/harness.h"
#include "text/chars.h"

namespace {

struct Model {
    int32_t result = 0;
    int32_t count = 0;
    int32_t length[MAX_ARGS] = {};
    int32_t offset[MAX_ARGS];  // -1: null pointer
    std::vector<char16_t> store = std::vector<char16_t>(MAX_ARG_LEN, 0);
    bool overflow = false;
    int32_t overflow_at = 0;
    bool decided = true;  // false where the rules leave the outcome to the implementer
};

bool separates(char16_t c, uint32_t options) {
    return ((options & SPLIT_ON_WHITESPACE) && text_is_space(c)) || ((options & SPLIT_ON_COMMAS) && c == u',');
}

void model_split(const std::u16string& text, uint32_t options, Model& m) {
    for (int32_t& o : m.offset) o = -1;
    if (!(options & (SPLIT_ON_WHITESPACE | SPLIT_ON_COMMAS))) options |= SPLIT_ON_WHITESPACE;
    int32_t p = 0, n = 0, k = 0;
    bool quoted = false;
    for (size_t i = 0; i <= text.size(); ++i) {
        char16_t c = i < text.size() ? text[i] : 0;
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (text_is_space(c) && k == 0 && !quoted) continue;
        if (c == 0) {
            if (k > 0) ++n;
            break;
        }
        if (!quoted && separates(c, options)) {
            if (n >= MAX_ARGS || p + 1 >= MAX_ARG_LEN) {
                m.decided = false;
                return;
            }
            ++n;
            m.store[size_t(++p)] = 0;
            k = 0;
            continue;
        }
        if (p >= MAX_ARG_LEN - 1) {
            m.overflow = true;
            m.overflow_at = p;
            m.result = -1;
            m.count = 0;
            return;
        }
        if (n >= MAX_ARGS) continue;
        if (k == 0) m.offset[n] = p;
        if ((options & SPLIT_UPPERCASE) && c >= u'a' && c <= u'z') c = char16_t(c - 32);
        m.length[n] = ++k;
        m.store[size_t(p++)] = c;
        m.store[size_t(p)] = 0;
    }
    for (int32_t a = 0; a < n; ++a)
        while (m.length[a] > 0 && text_is_space(m.store[size_t(m.offset[a] + m.length[a] - 1)]))
            m.store[size_t(m.offset[a] + --m.length[a])] = 0;
    m.count = n;
    m.result = n;
}

std::string context(const std::u16string& text, uint32_t options) {
    char opt[32];
    snprintf(opt, sizeof opt, "options 0x%08X, text ", options);
    return opt + shown(text);
}

std::string arg_detail(const std::string& ctx, int32_t i) {
    return ctx + "\nargument " + std::to_string(i) + ": length " + std::to_string(ArgumentTable.lengths[i]);
}

void check_invariants(int32_t result, const std::u16string& text, uint32_t options) {
    const ArgTable& t = ArgumentTable;
    auto ctx = [&] { return context(text, options); };
    FUZZ_CHECK(result == -1 || result == t.count, ctx() + "\nresult " + std::to_string(result));
    FUZZ_CHECK(t.count >= 0 && t.count <= MAX_ARGS, ctx() + "\ncount " + std::to_string(t.count));
    if (result == -1) FUZZ_CHECK(t.count == 0, ctx() + "\ncount after overflow " + std::to_string(t.count));
    for (int32_t i = 0; i < MAX_ARGS; ++i) {
        int32_t len = t.lengths[i];
        const char16_t* p = t.pointers[i];
        FUZZ_CHECK(len >= 0, arg_detail(ctx(), i));
        if (len > 0) FUZZ_CHECK(p != nullptr, arg_detail(ctx(), i));
        if (result >= 0 && i >= t.count) FUZZ_CHECK(p == nullptr && len == 0, arg_detail(ctx(), i));
        if (!p) continue;
        FUZZ_CHECK(p >= t.store && p < t.store + MAX_ARG_LEN, arg_detail(ctx(), i));
        size_t room = size_t(t.store + MAX_ARG_LEN - p);
        FUZZ_CHECK(size_t(len) < room, arg_detail(ctx(), i));
        FUZZ_CHECK(text_len_bounded(p, room) == size_t(len), arg_detail(ctx(), i) + ", stored " + shown(p));
        if (options & SPLIT_UPPERCASE)
            for (int32_t j = 0; j < len; ++j) FUZZ_CHECK(!(p[j] >= u'a' && p[j] <= u'z'), arg_detail(ctx(), i));
        if (result >= 0 && len > 0) FUZZ_CHECK(!text_is_space(p[len - 1]), arg_detail(ctx(), i));
    }
}

void compare_with_model(int32_t result, const Model& m, const std::u16string& text, uint32_t options,
                        const std::string& report) {
    const ArgTable& t = ArgumentTable;
    auto ctx = [&] { return context(text, options); };
    FUZZ_CHECK(result == m.result,
               ctx() + "\nresult " + std::to_string(result) + ", model " + std::to_string(m.result));
    FUZZ_CHECK(t.count == m.count, ctx() + "\ncount " + std::to_string(t.count) + ", model " + std::to_string(m.count));
    for (int32_t i = 0; i < MAX_ARGS; ++i) {
        int32_t off = t.pointers[i] ? int32_t(t.pointers[i] - t.store) : -1;
        auto d = [&] {
            return arg_detail(ctx(), i) + " at " + std::to_string(off) + "; model length " +
                   std::to_string(m.length[i]) + " at " + std::to_string(m.offset[i]);
        };
        FUZZ_CHECK(off == m.offset[i] && t.lengths[i] == m.length[i], d());
        if (off >= 0)
            FUZZ_CHECK(memcmp(t.pointers[i], &m.store[size_t(off)], size_t(m.length[i]) * sizeof(char16_t)) == 0,
                       d() + ": " + shown(t.pointers[i]));
    }
    std::string expected;
    if (m.overflow)
        expected =
            report_prefix() + "Buffer overflow: b = " + std::to_string(m.overflow_at) + ", MAX_ARG_LEN = 8192 \r\n";
    FUZZ_CHECK(report == expected, ctx() + "\nreport [" + report + "]\nmodel  [" + expected + "]");
}

// A split's outcome by one path: the table as offsets into the store, and the report.
struct Outcome {
    int32_t result, count;
    int32_t offset[MAX_ARGS];  // -1: null pointer
    int32_t length[MAX_ARGS];
    char16_t store[MAX_ARG_LEN];
    std::string report;
};

void split_by(SimdLevel path, const char16_t* input, uint32_t options, Outcome& o) {
    capture_begin();
    o.result = split_arguments_with(path, input, options);
    o.report = capture_end();
    const ArgTable& t = ArgumentTable;
    o.count = t.count;
    for (int32_t i = 0; i < MAX_ARGS; ++i) {
        o.offset[i] = t.pointers[i] ? int32_t(t.pointers[i] - t.store) : -1;
        o.length[i] = t.lengths[i];
    }
    memcpy(o.store, t.store, sizeof o.store);
}

void compare_paths(const Outcome& want, const Outcome& got, SimdLevel path, const std::u16string& text,
                   uint32_t options) {
    auto ctx = [&] { return context(text, options) + "\npath " + std::to_string(path); };
    FUZZ_CHECK(got.result == want.result && got.count == want.count,
               ctx() + "\nresult " + std::to_string(got.result) + ", reference " + std::to_string(want.result));
    FUZZ_CHECK(got.report == want.report, ctx() + "\nreport [" + got.report + "]\nreference [" + want.report + "]");
    for (int32_t i = 0; i < MAX_ARGS; ++i) {
        FUZZ_CHECK(got.offset[i] == want.offset[i] && got.length[i] == want.length[i],
                   ctx() + "\nargument " + std::to_string(i) + ": length " + std::to_string(got.length[i]) + " at " +
                       std::to_string(got.offset[i]) + "; reference length " + std::to_string(want.length[i]) + " at " +
                       std::to_string(want.offset[i]));
        if (want.offset[i] >= 0)
            FUZZ_CHECK(memcmp(got.store + want.offset[i], want.store + want.offset[i],
                              size_t(want.length[i] + 1) * sizeof(char16_t)) == 0,
                       ctx() + "\nargument " + std::to_string(i) + " stored differently");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    harness_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    uint8_t flags = data[0];
    uint32_t options = uint32_t(data[1]) | uint32_t(data[2]) << 8 | uint32_t(data[3]) << 16 | uint32_t(data[4]) << 24;
    std::u16string text = fuzz_text(data + 5, size - 5, nullptr);

    // The text in a block of its own size, so that reading past its NUL is caught too.
    char16_t* input = exact_buffer(text.size() + 1, text);
    static Outcome reference, other;
    split_by(SIMD_SCALAR, input, options, reference);
    for (uint32_t p = SIMD_SCALAR + 1; p < SIMD_LEVELS; ++p) {
        if (!simd_level_supported(SimdLevel(p))) continue;
        split_by(SimdLevel(p), input, options, other);
        compare_paths(reference, other, SimdLevel(p), text, options);
    }

    capture_begin();
    int32_t result = SplitArguments(input, options);
    std::string report = capture_end();
    FUZZ_CHECK(memcmp(text.data(), input, text.size() * sizeof(char16_t)) == 0 && input[text.size()] == 0,
               context(text, options) + "\nthe text was changed");
    exact_free(input);

    check_invariants(result, text, options);
    if (result == -1)
        FUZZ_CHECK(report.rfind(report_prefix() + "Buffer overflow: b = ", 0) == 0 && report.size() > 2 &&
                       report.compare(report.size() - 2, 2, "\r\n") == 0,
                   context(text, options) + "\nreport [" + report + "]");
    else FUZZ_CHECK(report.empty(), context(text, options) + "\nreport [" + report + "]");

    static Model model;
    model.result = model.count = 0;
    memset(model.length, 0, sizeof model.length);
    std::fill(model.store.begin(), model.store.end(), char16_t(0));
    model.overflow = false;
    model.overflow_at = 0;
    model.decided = true;
    model_split(text, options, model);
    if (model.decided) compare_with_model(result, model, text, options, report);

    if (flags & 1) {
        static ArgTable before;
        memcpy(&before, &ArgumentTable, sizeof before);
        FUZZ_CHECK(SplitArguments(nullptr, options) == -1, "null text");
        FUZZ_CHECK(memcmp(&before, &ArgumentTable, sizeof before) == 0, "a null text changed the table");
    }
    return 0;
}
