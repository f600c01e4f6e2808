#include "args/split.h"

#include <string.h>

#include "args/split_blocks.h"

#include "plugin/errors.h"
#include "plugin/messages.h"
#include "text/chars.h"

ArgTable ArgumentTable;

namespace {

// Entries from here on are null and 0: no split has given them a character since they
// were last cleared. A reset need clear only the entries below.
int32_t entries_in_use = MAX_ARGS;

void reset_table(ArgTable& t) {
    memset(t.pointers, 0, size_t(entries_in_use) * sizeof t.pointers[0]);
    memset(t.lengths, 0, size_t(entries_in_use) * sizeof t.lengths[0]);
    entries_in_use = 0;
    t.count = 0;
    t.store[0] = 0;
}

void trim_arguments(ArgTable& t, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        char16_t* s = t.pointers[i];
        while (t.lengths[i] > 0 && text_is_space(s[t.lengths[i] - 1])) s[--t.lengths[i]] = 0;
    }
}

enum Step { STEP_ON, STEP_END, STEP_OVERFLOW };

typedef const char16_t* (*BlockKernel)(const char16_t* s, uint32_t options, SplitCursor& c, int32_t* from, bool* ended);

struct Splitter {
    ArgTable& t;
    uint32_t options;
    SplitCursor at;
    bool quoted;
    bool quotes_seen;  // only then can an argument end in white space where white space splits

    __attribute__((always_inline)) void separator() {
        // A run of separators may outgrow the table or the store. The arguments past
        // MAX_ARGS are dropped, and cells past the store are never written: whatever
        // character would follow them overflows anyway.
        if (at.arg < MAX_ARGS) ++at.arg;
        if (at.cell < MAX_ARG_LEN) ++at.cell;
        if (at.cell < MAX_ARG_LEN) t.store[at.cell] = 0;
        at.length = 0;
    }

    // One character by every rule, in their order.
    __attribute__((always_inline)) Step take(char16_t c) {
        if (c == u'"') {
            quoted = !quoted;
            quotes_seen = true;
            return STEP_ON;
        }
        bool space = text_is_space(c);
        if (!quoted && at.length == 0 && space) return STEP_ON;
        if (c == 0) {
            if (at.length > 0) ++at.arg;
            return STEP_END;
        }
        bool is_separator = (space && (options & SPLIT_ON_WHITESPACE)) || (c == u',' && (options & SPLIT_ON_COMMAS));
        if (!quoted && is_separator) {
            separator();
            return STEP_ON;
        }
        if (at.cell >= MAX_ARG_LEN - 1) {
            report_error(MSG_BUFFER_OVERFLOW, int(at.cell), int(MAX_ARG_LEN));
            return STEP_OVERFLOW;
        }
        if (at.arg >= MAX_ARGS) return STEP_ON;
        if (at.length == 0) {
            t.pointers[at.arg] = &t.store[at.cell];
            at.in_use = at.arg + 1;
        }
        if (options & SPLIT_UPPERCASE) c = text_upper(c);
        t.lengths[at.arg] = ++at.length;
        t.store[at.cell++] = c;
        t.store[at.cell] = 0;
        return STEP_ON;
    }

    // Blocks from s on by a level's kernel, and character by character what it leaves.
    Step run_blocks(const char16_t* s, BlockKernel blocks) {
        for (;; s += SPLIT_BLOCK) {
            int32_t from = 0;
            if (!quoted) {
                bool ended = false;
                s = blocks(s, options, at, &from, &ended);
                if (ended) return STEP_END;
            }
            for (int32_t i = from; i < SPLIT_BLOCK; ++i) {
                Step r = take(s[i]);
                if (r != STEP_ON) return r;
            }
        }
    }

    // SSE2's blocks read whole aligned vectors: character by character up to an address of
    // whole blocks, and on over the first few characters, where short texts, the usual
    // ones, end. (A text at an odd address never reaches one, and is taken character by
    // character to its end.)
    Step run_aligned_blocks(const char16_t* s) {
        for (int32_t i = 0; i < 16 || reinterpret_cast<uintptr_t>(s) % 16 != 0; ++i, ++s) {
            Step r = take(*s);
            if (r != STEP_ON) return r;
        }
        return run_blocks(s, split_blocks_sse2);
    }
};

}  // namespace

int32_t split_arguments_with(SimdLevel level, const char16_t* text, uint32_t options) {
    if (!text) return -1;
    ArgTable& t = ArgumentTable;
    reset_table(t);
    if (!(options & (SPLIT_ON_WHITESPACE | SPLIT_ON_COMMAS))) options |= SPLIT_ON_WHITESPACE;

    Splitter split{t, options, {0, 0, 0, 0}, false, false};
    Step r = STEP_ON;
    // The AVX-512 kernel splits on white space only.
    if (level == SIMD_AVX512 && (options & SPLIT_ON_WHITESPACE)) r = split.run_blocks(text, split_blocks_avx512);
    else if (level != SIMD_SCALAR) r = split.run_aligned_blocks(text);
    for (const char16_t* s = text; r == STEP_ON; ++s) r = split.take(*s);
    entries_in_use = split.at.in_use;
    if (r == STEP_OVERFLOW) return -1;
    if (split.quotes_seen || !(options & SPLIT_ON_WHITESPACE)) trim_arguments(t, split.at.arg);
    t.count = split.at.arg;
    return split.at.arg;
}

int32_t SplitArguments(const char16_t* text, uint32_t options) {
    return split_arguments_with(simd_level(), text, options);
}
