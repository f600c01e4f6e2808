#include "args/split.h"

#include <string.h>

#include "args/split_blocks.h"
#if defined(__SSE2__)
#    include <emmintrin.h>
#endif

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

void trim_arguments(ArgTable& t, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        char16_t* s = t.pointers[i];
        while (t.lengths[i] > 0 && text_is_space(s[t.lengths[i] - 1])) s[--t.lengths[i]] = 0;
    }
}

enum Step { STEP_ON, STEP_END, STEP_OVERFLOW };

struct Splitter {
    ArgTable& t;
    uint32_t options;
    int32_t p;  // store position
    int32_t n;  // index of the argument being filled
    int32_t k;  // characters stored for it so far
    bool quoted;
    bool quotes_seen;  // only then can an argument end in white space where white space splits

    __attribute__((always_inline)) void separator() {
        // A run of separators may outgrow the table or the store. The arguments past
        // MAX_ARGS are dropped, and cells past the store are never written: whatever
        // character would follow them overflows anyway.
        if (n < MAX_ARGS) ++n;
        if (p < MAX_ARG_LEN) ++p;
        if (p < MAX_ARG_LEN) t.store[p] = 0;
        k = 0;
    }

    // One character by every rule, in their order.
    __attribute__((always_inline)) Step take(char16_t c) {
        if (c == u'"') {
            quoted = !quoted;
            quotes_seen = true;
            return STEP_ON;
        }
        bool space = text_is_space(c);
        if (!quoted && k == 0 && space) return STEP_ON;
        if (c == 0) {
            if (k > 0) ++n;
            return STEP_END;
        }
        bool is_separator = (space && (options & SPLIT_ON_WHITESPACE)) || (c == u',' && (options & SPLIT_ON_COMMAS));
        if (!quoted && is_separator) {
            separator();
            return STEP_ON;
        }
        if (p >= MAX_ARG_LEN - 1) {
            report_error(MSG_BUFFER_OVERFLOW, int(p), int(MAX_ARG_LEN));
            return STEP_OVERFLOW;
        }
        if (n >= MAX_ARGS) return STEP_ON;
        if (k == 0) {
            t.pointers[n] = &t.store[p];
            entries_in_use = n + 1;
        }
        if (options & SPLIT_UPPERCASE) c = text_upper(c);
        t.lengths[n] = ++k;
        t.store[p++] = c;
        t.store[p] = 0;
        return STEP_ON;
    }

#if defined(__SSE2__)
    // Texts are taken 64 characters at a time where that is simple: outside quotes, no
    // quote and nothing beyond ASCII in the block, the table and the store far from full.
    // Separators, blanks and ends are then found as bit masks, and each run of argument
    // characters is copied whole.
    enum : int32_t { BLOCK = 64 };

    struct Block {
        uint64_t space, comma, end;
        alignas(16) char16_t text[BLOCK + 8];  // upper-cased if asked; 8 more for whole copies
    };

    // Upper-cases the ASCII letters of x if asked, into the block's text at i.
    __attribute__((always_inline)) static void keep_text(__m128i x, uint32_t options, Block& b, int i) {
        if (options & SPLIT_UPPERCASE) {
            const __m128i lower =
                _mm_cmplt_epi16(_mm_sub_epi16(x, _mm_set1_epi16('a' - 0x8000)), _mm_set1_epi16(26 - 0x8000));
            x = _mm_sub_epi16(x, _mm_and_si128(lower, _mm_set1_epi16(32)));
        }
        _mm_store_si128(reinterpret_cast<__m128i*>(b.text + i), x);
    }

    // Reads up to 64 characters from an address aligned to 16 bytes, 8 at a time, and no
    // further than the 8 that hold the text's NUL. An aligned read of 16 bytes never
    // crosses into a page the text does not reach, but it does read past the NUL, which
    // is why the address sanitizer is kept out of this one routine. Sixteen characters
    // are classified at once as bytes: packing saturates everything from U+0080 on to
    // 0x7F or below zero, both counted with the quote as not simple (U+007F too).
    __attribute__((no_sanitize_address)) static bool load_block(const char16_t* s, uint32_t options, Block& b) {
        uint64_t masks[4] = {0, 0, 0, 0};  // space, comma, NUL, quote or non-ASCII
        const __m128i zero = _mm_setzero_si128();
        for (int v = 0; v < BLOCK; v += 16) {
            const __m128i x = _mm_load_si128(reinterpret_cast<const __m128i*>(s + v));
            const bool ends = _mm_movemask_epi8(_mm_cmpeq_epi16(x, zero)) != 0;
            const __m128i y = ends ? zero : _mm_load_si128(reinterpret_cast<const __m128i*>(s + v + 8));
            keep_text(x, options, b, v);
            keep_text(y, options, b, v + 8);
            const __m128i c = _mm_packs_epi16(x, y);
            const __m128i m[4] = {
                _mm_or_si128(_mm_cmpeq_epi8(c, _mm_set1_epi8(' ')),
                             _mm_and_si128(_mm_cmpgt_epi8(c, _mm_set1_epi8(8)), _mm_cmplt_epi8(c, _mm_set1_epi8(14)))),
                _mm_cmpeq_epi8(c, _mm_set1_epi8(',')),
                _mm_cmpeq_epi8(c, zero),
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(c, _mm_set1_epi8('"')), _mm_cmplt_epi8(c, zero)),
                             _mm_cmpeq_epi8(c, _mm_set1_epi8(0x7F))),
            };
            for (int i = 0; i < 4; ++i) masks[i] |= uint64_t(uint32_t(_mm_movemask_epi8(m[i]))) << v;
            if (masks[2]) break;  // the text ends in these 16
        }
        b.space = masks[0];
        b.comma = masks[1];
        b.end = masks[2];
        const uint64_t before_end = b.end ? (b.end & (0 - b.end)) - 1 : ~uint64_t(0);
        return (masks[3] & before_end) == 0;
    }

    // The block's characters from the first on, by the same rules as take(). Returns
    // STEP_END at the text's NUL.
    __attribute__((always_inline)) Step take_block(const Block& b) {
        const uint64_t separators =
            ((options & SPLIT_ON_WHITESPACE) ? b.space : 0) | ((options & SPLIT_ON_COMMAS) ? b.comma : 0);
        const uint64_t run_ends = separators | b.end;
        if (n >= MAX_ARGS && k == 0) {
            // The table is full: characters are dropped, so no argument starts and white
            // space is always leading; only commas still move the store position on.
            const uint64_t before_end = b.end ? (b.end & (0 - b.end)) - 1 : ~uint64_t(0);
            const int32_t commas = (options & SPLIT_ON_COMMAS) ? __builtin_popcountll(b.comma & before_end) : 0;
            memset(&t.store[p + 1], 0, size_t(commas) * sizeof t.store[0]);
            p += commas;
            return b.end ? STEP_END : STEP_ON;
        }
        int32_t i = 0;
        while (i < BLOCK) {
            if (k == 0) {  // leading white space
                uint64_t rest = ~b.space >> i;
                if (rest == 0) return STEP_ON;
                i += __builtin_ctzll(rest);
            }
            const uint64_t at = uint64_t(1) << i;
            if (b.end & at) {
                if (k > 0) ++n;
                return STEP_END;
            }
            if (separators & at) {
                separator();
                ++i;
                continue;
            }
            uint64_t rest = run_ends >> i;
            int32_t run = rest ? __builtin_ctzll(rest) : BLOCK - i;
            if (n < MAX_ARGS) {
                if (k == 0) {
                    t.pointers[n] = &t.store[p];
                    entries_in_use = n + 1;
                }
                // Eight characters at once, whatever the run's length: most arguments are
                // shorter, and a copy loop alone would be turned into a call of memmove.
                _mm_storeu_si128(reinterpret_cast<__m128i*>(t.store + p),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(b.text + i)));
                for (int32_t c = 8; c < run; c += 8)
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(t.store + p + c),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(b.text + i + c)));
                p += run;
                k += run;
                t.lengths[n] = k;
                t.store[p] = 0;
            }
            i += run;
        }
        return STEP_ON;
    }

    // Where white space splits, a block's separators are known from its masks alone: white
    // space after an argument's character, and commas. Each argument's characters in the
    // block are then the run just before its separator, copied whole. Returns BLOCK when
    // the block is taken, -1 at the text's end, or, when a separator filled the table, the
    // index from which the rest of the block is left to take().
    int32_t take_spaced_block(const Block& b) {
        const uint64_t before_end = b.end ? (b.end & (0 - b.end)) - 1 : ~uint64_t(0);
        const uint64_t sepc = (options & SPLIT_ON_COMMAS) ? b.comma & before_end : 0;
        const uint64_t word = ~b.space & ~sepc & before_end;
        uint64_t sep = sepc | (b.space & before_end & (word << 1 | uint64_t(k > 0)));
        uint64_t taken = 0;  // the block's characters up to the last separator
        while (sep) {
            const int32_t i = __builtin_ctzll(sep);
            sep &= sep - 1;
            taken = (uint64_t(2) << i) - 1;
            // The run ends before the separator and begins after the last other character.
            const int32_t j = 63 - __builtin_clzll((~word << 1 | 1) & taken);
            copy_run(b.text + j, i - j);
            ++n;
            ++p;
            t.store[p] = 0;
            k = 0;
            if (n == MAX_ARGS) return i + 1;
        }
        const uint64_t tail = word & ~taken;
        if (tail) {
            const int32_t j = __builtin_ctzll(tail);
            copy_run(b.text + j, 64 - __builtin_clzll(tail) - j);
        }
        if (!b.end) return BLOCK;
        if (k > 0) ++n;
        return -1;
    }

    // m characters of the argument being filled, and its entry as far as it got.
    __attribute__((always_inline)) void copy_run(const char16_t* from, int32_t m) {
        // Eight characters at once, whatever the run's length, as in take_block().
        _mm_storeu_si128(reinterpret_cast<__m128i*>(t.store + p),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
        for (int32_t c = 8; c < m; c += 8)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(t.store + p + c),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + c)));
        p += m;
        k += m;
        t.store[p] = 0;
        if (k > 0) {
            t.pointers[n] = &t.store[p - k];
            t.lengths[n] = k;
            if (entries_in_use <= n) entries_in_use = n + 1;
        }
    }

    // The AVX-512 kernel, from s on for as long as it takes blocks; true at the text's end.
    bool take_wide_blocks(const char16_t*& s) {
        SplitCursor c{p, n, k, entries_in_use};
        bool ended;
        s = split_blocks_avx512(s, options, c, &ended);
        p = c.p;
        n = c.n;
        k = c.k;
        entries_in_use = c.in_use;
        return ended;
    }

    // Blocks that the AVX-512 kernel leaves (quotes, characters beyond ASCII, the store's
    // end) are taken character by character: its blocks need no particular address.
    Step run_wide(const char16_t* s) {
        for (;; s += BLOCK) {
            if (!quoted && take_wide_blocks(s)) return STEP_END;
            for (int32_t i = 0; i < BLOCK; ++i) {
                Step r = take(s[i]);
                if (r != STEP_ON) return r;
            }
        }
    }

    __attribute__((always_inline)) Step run(const char16_t* s) {
        // Character by character up to an address of whole blocks, and on over the first
        // few characters: short texts, the usual ones, end there. (A text at an odd
        // address never reaches one, and is taken character by character to its end.)
        for (int32_t i = 0; i < 16 || reinterpret_cast<uintptr_t>(s) % 16 != 0; ++i, ++s) {
            Step r = take(*s);
            if (r != STEP_ON) return r;
        }
        Block b;
        for (;; s += BLOCK) {
            // Room for a whole block and the copies' overreach, and room in the table.
            bool simple = !quoted && p + BLOCK + 8 < MAX_ARG_LEN - 1;
            int32_t from = 0;  // where the block is left to take()
            if (simple && load_block(s, options, b)) {
                if ((options & SPLIT_ON_WHITESPACE) && n < MAX_ARGS) {
                    from = take_spaced_block(b);
                    if (from < 0) return STEP_END;
                } else {
                    Step r = take_block(b);
                    if (r != STEP_ON) return r;
                    continue;
                }
            }
            for (int32_t i = from; i < BLOCK; ++i) {
                Step r = take(s[i]);
                if (r != STEP_ON) return r;
            }
        }
    }
#endif
};

}  // namespace

int32_t split_arguments_with(SimdLevel level, const char16_t* text, uint32_t options) {
    if (!text) return -1;
    ArgTable& t = ArgumentTable;
    reset_table(t);
    if (!(options & (SPLIT_ON_WHITESPACE | SPLIT_ON_COMMAS))) options |= SPLIT_ON_WHITESPACE;

    Splitter split{t, options, 0, 0, 0, false, false};
    Step r = STEP_ON;
#if defined(__SSE2__)
    // The AVX-512 kernel splits on white space only.
    if (level == SIMD_AVX512 && (options & SPLIT_ON_WHITESPACE)) r = split.run_wide(text);
    else if (level != SIMD_SCALAR) r = split.run(text);
#endif
    for (const char16_t* s = text; r == STEP_ON; ++s) r = split.take(*s);
    if (r == STEP_OVERFLOW) return -1;
    if (split.quotes_seen || !(options & SPLIT_ON_WHITESPACE)) trim_arguments(t, split.n);
    t.count = split.n;
    return split.n;
}

int32_t SplitArguments(const char16_t* text, uint32_t options) {
    return split_arguments_with(simd_level(), text, options);
}
