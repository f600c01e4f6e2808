// The splitter's blocks with SSE2, which every x64 processor has: where that is simple
// (outside quotes, no quote and nothing beyond ASCII in the block, the table and the store
// far from full), separators, blanks and ends are found as bit masks, and each run of
// argument characters is copied whole.
#include <emmintrin.h>
#include <string.h>

#include "args/split.h"
#include "args/split_blocks.h"

namespace {

enum : int32_t { BLOCK = SPLIT_BLOCK };

struct Block {
    uint64_t space, comma, end;
    uint64_t before_end;                   // the characters before the text's NUL, or all
    alignas(16) char16_t text[BLOCK + 8];  // upper-cased if asked; 8 more for whole copies
};

// Upper-cases the ASCII letters of x if asked, into the block's text at i.
__attribute__((always_inline)) inline void keep_text(__m128i x, uint32_t options, Block& b, int i) {
    if (options & SPLIT_UPPERCASE) {
        const __m128i lower =
            _mm_cmplt_epi16(_mm_sub_epi16(x, _mm_set1_epi16('a' - 0x8000)), _mm_set1_epi16(26 - 0x8000));
        x = _mm_sub_epi16(x, _mm_and_si128(lower, _mm_set1_epi16(32)));
    }
    _mm_store_si128(reinterpret_cast<__m128i*>(b.text + i), x);
}

// Reads up to 64 characters from an address aligned to 16 bytes, 8 at a time, and no
// further than the 8 that hold the text's NUL. An aligned read of 16 bytes never crosses
// into a page the text does not reach, but it does read past the NUL, which is why the
// address sanitizer is kept out of this one routine. Sixteen characters are classified at
// once as bytes: packing saturates everything from U+0080 on to 0x7F or below zero, both
// counted with the quote as not simple (U+007F too). True where the block is simple.
__attribute__((no_sanitize_address)) bool load_block(const char16_t* s, uint32_t options, Block& b) {
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
    b.before_end = b.end ? (b.end & (0 - b.end)) - 1 : ~uint64_t(0);
    return (masks[3] & b.before_end) == 0;
}

struct BlockSplitter {
    ArgTable& t;
    uint32_t options;
    SplitCursor& at;

    // m characters of the argument being filled, and its entry as far as it got.
    __attribute__((always_inline)) void copy_run(const char16_t* from, int32_t m) {
        // Eight characters at once, whatever the run's length: most arguments are shorter,
        // and a copy loop alone would be turned into a call of memmove.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(t.store + at.cell),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
        for (int32_t c = 8; c < m; c += 8)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(t.store + at.cell + c),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + c)));
        at.cell += m;
        at.length += m;
        t.store[at.cell] = 0;
        if (at.length > 0) {
            t.pointers[at.arg] = &t.store[at.cell - at.length];
            t.lengths[at.arg] = at.length;
            if (at.in_use <= at.arg) at.in_use = at.arg + 1;
        }
    }

    // The block's characters from the first on, by the reference's rules. True at the
    // text's NUL.
    __attribute__((always_inline)) bool take_block(const Block& b) {
        const uint64_t separators =
            ((options & SPLIT_ON_WHITESPACE) ? b.space : 0) | ((options & SPLIT_ON_COMMAS) ? b.comma : 0);
        const uint64_t run_ends = separators | b.end;
        if (at.arg >= MAX_ARGS && at.length == 0) {
            // The table is full: characters are dropped, so no argument starts and white
            // space is always leading; only commas still move the store position on.
            const int32_t commas = (options & SPLIT_ON_COMMAS) ? __builtin_popcountll(b.comma & b.before_end) : 0;
            memset(&t.store[at.cell + 1], 0, size_t(commas) * sizeof t.store[0]);
            at.cell += commas;
            return b.end != 0;
        }
        int32_t i = 0;
        while (i < BLOCK) {
            if (at.length == 0) {  // leading white space
                uint64_t rest = ~b.space >> i;
                if (rest == 0) return false;
                i += __builtin_ctzll(rest);
            }
            const uint64_t bit = uint64_t(1) << i;
            if (b.end & bit) {
                if (at.length > 0) ++at.arg;
                return true;
            }
            if (separators & bit) {
                // The store has room (a simple block), and a separator past the table's
                // last argument only moves the store position on.
                if (at.arg < MAX_ARGS) ++at.arg;
                t.store[++at.cell] = 0;
                at.length = 0;
                ++i;
                continue;
            }
            uint64_t rest = run_ends >> i;
            int32_t run = rest ? __builtin_ctzll(rest) : BLOCK - i;
            if (at.arg < MAX_ARGS) copy_run(b.text + i, run);
            i += run;
        }
        return false;
    }

    // Where white space splits, a block's separators are known from its masks alone: white
    // space after an argument's character, and commas. Each argument's characters in the
    // block are then the run just before its separator, copied whole. Returns BLOCK when
    // the block is taken, -1 at the text's end, or, when a separator filled the table, the
    // index from which the rest of the block is left to the reference.
    int32_t take_spaced_block(const Block& b) {
        const uint64_t sepc = (options & SPLIT_ON_COMMAS) ? b.comma & b.before_end : 0;
        const uint64_t word = ~b.space & ~sepc & b.before_end;
        uint64_t sep = sepc | (b.space & b.before_end & (word << 1 | uint64_t(at.length > 0)));
        uint64_t taken = 0;  // the block's characters up to the last separator
        while (sep) {
            const int32_t i = __builtin_ctzll(sep);
            sep &= sep - 1;
            taken = (uint64_t(2) << i) - 1;
            // The run ends before the separator and begins after the last other character.
            const int32_t j = 63 - __builtin_clzll((~word << 1 | 1) & taken);
            copy_run(b.text + j, i - j);
            ++at.arg;
            ++at.cell;
            t.store[at.cell] = 0;
            at.length = 0;
            if (at.arg == MAX_ARGS) return i + 1;
        }
        const uint64_t tail = word & ~taken;
        if (tail) {
            const int32_t j = __builtin_ctzll(tail);
            copy_run(b.text + j, 64 - __builtin_clzll(tail) - j);
        }
        if (!b.end) return BLOCK;
        if (at.length > 0) ++at.arg;
        return -1;
    }
};

}  // namespace

const char16_t* split_blocks_sse2(const char16_t* s, uint32_t options, SplitCursor& c, int32_t* from, bool* ended) {
    BlockSplitter split{ArgumentTable, options, c};
    Block b;
    *from = 0;
    *ended = false;
    for (;; s += BLOCK) {
        // Room for a whole block and the copies' overreach.
        if (c.cell + BLOCK + 8 >= MAX_ARG_LEN - 1 || !load_block(s, options, b)) return s;
        if ((options & SPLIT_ON_WHITESPACE) && c.arg < MAX_ARGS) {
            const int32_t taken = split.take_spaced_block(b);
            *ended = taken < 0;
            if (taken != BLOCK) {
                *from = taken < 0 ? 0 : taken;
                return s;
            }
        } else if (split.take_block(b)) {
            *ended = true;
            return s;
        }
    }
}
