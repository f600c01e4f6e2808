// The splitter's blocks with AVX-512 (BW, VBMI2) and BMI2, for options that split on white
// space. Outside quotes the store is the text with the skipped blanks left out and each
// separator turned into a NUL, so a block is classified into bit masks, packed into the
// store by compression, and the table is filled by walking the separators' cells: one
// short step an argument, whatever its length.
#include <immintrin.h>

// GCC 12's own intrinsics (extracts, widenings) start from an undefined register and then
// warn of it.
#if defined(__GNUC__) && !defined(__clang__)
#    pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "args/split.h"
#include "args/split_blocks.h"

namespace {

enum : int32_t { BLOCK = SPLIT_BLOCK, HALF = 32, PAGE = 4096 };

uint64_t join(__mmask32 lo, __mmask32 hi) { return uint64_t(lo) | uint64_t(hi) << 32; }

// Reads the 64 characters at s. Those up to the end of s's page can always be read, those
// past it only when the text goes on there, that is when no NUL comes before. What follows
// the NUL is read but never used, which is why the address sanitizer is kept out of here.
__attribute__((no_sanitize_address)) void load_block(const char16_t* s, __m512i* x) {
    const uint32_t room = uint32_t(PAGE - reinterpret_cast<uintptr_t>(s) % PAGE) / sizeof(char16_t);
    const uint64_t lanes = room >= BLOCK ? ~uint64_t(0) : _bzhi_u64(~uint64_t(0), room);
    x[0] = _mm512_maskz_loadu_epi16(__mmask32(lanes), s);
    x[1] = _mm512_maskz_loadu_epi16(__mmask32(lanes >> HALF), s + HALF);
    if (~lanes && !(join(_mm512_testn_epi16_mask(x[0], x[0]), _mm512_testn_epi16_mask(x[1], x[1])) & lanes)) {
        x[0] = _mm512_loadu_si512(s);
        x[1] = _mm512_loadu_si512(s + HALF);
    }
}

struct Classes {
    uint64_t space, comma, before_end, other;  // other: a quote or anything beyond ASCII
};

Classes classify(const __m512i* x) {
    const __m512i tab = _mm512_set1_epi16(9), controls = _mm512_set1_epi16(4);  // U+0009 to U+000D
    __mmask32 m[2][4];
    for (int h = 0; h < 2; ++h) {
        m[h][0] = _mm512_cmple_epu16_mask(_mm512_sub_epi16(x[h], tab), controls) |
                  _mm512_cmpeq_epi16_mask(x[h], _mm512_set1_epi16(' '));
        m[h][1] = _mm512_cmpeq_epi16_mask(x[h], _mm512_set1_epi16(','));
        m[h][2] = _mm512_testn_epi16_mask(x[h], x[h]);
        m[h][3] = _mm512_cmpeq_epi16_mask(x[h], _mm512_set1_epi16('"')) |
                  _mm512_cmpgt_epu16_mask(x[h], _mm512_set1_epi16(0x7F));
    }
    const uint64_t end = join(m[0][2], m[1][2]);
    return {join(m[0][0], m[1][0]), join(m[0][1], m[1][1]), end ? _blsmsk_u64(end) >> 1 : ~uint64_t(0),
            join(m[0][3], m[1][3])};
}

// The stored cells of the block, from to on: the characters of out, upper-cased
// if asked, those of sep as NULs. Returns how many; up to 64 cells more are overwritten.
int32_t pack(const __m512i* x, uint64_t out, uint64_t sep, bool upper, char16_t* to) {
    int32_t q = 0;
    for (int h = 0; h < 2; ++h) {
        const __mmask32 keep = __mmask32(out >> (HALF * h)), zero = __mmask32(sep >> (HALF * h));
        __m512i v = x[h];
        if (upper) {
            __mmask32 lower =
                _mm512_cmple_epu16_mask(_mm512_sub_epi16(v, _mm512_set1_epi16('a')), _mm512_set1_epi16(25));
            v = _mm512_mask_sub_epi16(v, lower, v, _mm512_set1_epi16(32));
        }
        v = _mm512_maskz_compress_epi16(keep, _mm512_maskz_mov_epi16(~zero, v));
        _mm512_storeu_si512(to + q, v);
        q += int32_t(_mm_popcnt_u32(keep));
    }
    return q;
}

// Past the 1024th argument nothing is stored and every blank is leading: only the commas
// (sepc) still move the store position on, each to a NUL cell.
void pass_full_table(uint64_t sepc, SplitCursor& c) {
    const uint32_t commas = uint32_t(_mm_popcnt_u64(sepc));
    const uint64_t cells = _bzhi_u64(~uint64_t(0), commas);
    _mm512_mask_storeu_epi16(ArgumentTable.store + c.cell + 1, __mmask32(cells), _mm512_setzero_si512());
    _mm512_mask_storeu_epi16(ArgumentTable.store + c.cell + 1 + HALF, __mmask32(cells >> HALF), _mm512_setzero_si512());
    c.cell += int32_t(commas);
}

// Up to 16 arguments, ended at the cells of pos (n of them); start[0] is where the first
// began, one past the lane 15 of last. An argument without characters gets a null pointer.
void fill_entries(__m512i pos, __m512i last, int32_t n, int32_t first) {
    ArgTable& t = ArgumentTable;
    const __m512i start = _mm512_add_epi32(_mm512_alignr_epi32(pos, last, 15), _mm512_set1_epi32(1));
    const __m512i length = _mm512_sub_epi32(pos, start);
    const __mmask16 lanes = __mmask16(_bzhi_u32(0xFFFF, uint32_t(n))), given = _mm512_test_epi32_mask(length, length);
    const __m512i store = _mm512_set1_epi64(int64_t(reinterpret_cast<uintptr_t>(t.store)));
    __m512i at[2];
    for (int h = 0; h < 2; ++h) {
        const __m256i half = h ? _mm512_extracti64x4_epi64(start, 1) : _mm512_castsi512_si256(start);
        at[h] = _mm512_maskz_mov_epi64(__mmask8(given >> (8 * h)),
                                       _mm512_add_epi64(store, _mm512_slli_epi64(_mm512_cvtepi32_epi64(half), 1)));
    }
    // A masked store to memory costs more than a plain one on some processors (a Zen 5): the
    // sixteen entries of a full step are stored whole.
    if (n >= 16) {
        _mm512_storeu_si512(t.lengths + first, length);
        _mm512_storeu_si512(t.pointers + first, at[0]);
        _mm512_storeu_si512(t.pointers + first + 8, at[1]);
        return;
    }
    _mm512_mask_storeu_epi32(t.lengths + first, lanes, length);
    for (int h = 0; h < 2; ++h) _mm512_mask_storeu_epi64(t.pointers + first + 8 * h, __mmask8(lanes >> (8 * h)), at[h]);
}

// The separators' cells among the block's cells (at: bit r for cell c.cell + r) end their
// arguments, 16 at a time; the argument being filled began at c.cell - c.length. Returns -1 with
// the cursor past the block's cells, or, when a separator ends the 1024th argument, its bit
// r with the cursor past it.
int32_t fill_table(uint64_t at, int32_t cells, SplitCursor& c) {
    ArgTable& t = ArgumentTable;
    const __m512i bits =
        _mm512_set_epi8(63, 62, 61, 60, 59, 58, 57, 56, 55, 54, 53, 52, 51, 50, 49, 48, 47, 46, 45, 44, 43, 42, 41, 40,
                        39, 38, 37, 36, 35, 34, 33, 32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16,
                        15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    __m512i rs = _mm512_maskz_compress_epi8(at, bits);  // the separators' bits, in order
    const int32_t seps = int32_t(_mm_popcnt_u64(at));
    const int32_t ends = seps < MAX_ARGS - c.arg ? seps : MAX_ARGS - c.arg;
    __m512i last = _mm512_set1_epi32(c.cell - c.length - 1);
    for (int32_t j = 0; j < ends; j += 16) {
        const __m512i pos =
            _mm512_add_epi32(_mm512_cvtepu8_epi32(_mm512_castsi512_si128(rs)), _mm512_set1_epi32(c.cell));
        fill_entries(pos, last, ends - j, c.arg + j);
        last = pos;
        rs = _mm512_alignr_epi32(_mm512_setzero_si512(), rs, 4);
    }
    c.arg += ends;
    if (c.in_use < c.arg) c.in_use = c.arg;
    if (ends < seps || c.arg == MAX_ARGS) {
        // ends of seps: the last separator taken is the one that filled the table.
        const uint32_t r = uint32_t(_tzcnt_u64(_pdep_u64(uint64_t(1) << (ends - 1), at)));
        c.cell += int32_t(r) + 1;
        c.length = 0;
        t.store[c.cell] = 0;
        return int32_t(r);
    }
    const int32_t base = at ? c.cell + 64 - int32_t(_lzcnt_u64(at)) : c.cell - c.length;
    c.cell += cells;
    c.length = c.cell - base;
    t.store[c.cell] = 0;
    // The argument being filled, as far as it got: the reference keeps it up to date.
    if (c.length > 0) {
        t.pointers[c.arg] = t.store + base;
        t.lengths[c.arg] = c.length;
        if (c.in_use <= c.arg) c.in_use = c.arg + 1;
    }
    return -1;
}

}  // namespace

const char16_t* split_blocks_avx512(const char16_t* s, uint32_t options, SplitCursor& c, int32_t* from, bool* ended) {
    ArgTable& t = ArgumentTable;
    const bool commas = (options & SPLIT_ON_COMMAS) != 0, upper = (options & SPLIT_UPPERCASE) != 0;
    *from = 0;
    *ended = false;
    for (;; s += BLOCK) {
        // Room for the block's cells and the packing's overreach.
        if (c.cell + BLOCK + 8 >= MAX_ARG_LEN - 1) return s;
        __m512i x[2];
        load_block(s, x);
        const Classes cls = classify(x);
        if (cls.other & cls.before_end) return s;
        const uint64_t sepc = commas ? cls.comma & cls.before_end : 0;
        if (c.arg < MAX_ARGS) {
            // White space separates where it follows an argument's character, else it is
            // leading and skipped; a comma always separates.
            const uint64_t word = ~cls.space & ~sepc & cls.before_end;
            const uint64_t sep = sepc | (cls.space & cls.before_end & (word << 1 | uint64_t(c.length > 0)));
            const uint64_t out = word | sep;
            const int32_t cells = pack(x, out, sep, upper, t.store + c.cell);
            const int32_t r = fill_table(_pext_u64(sep, out), cells, c);
            if (r >= 0) {
                // The rest of the block, past the separator whose cell is r.
                const uint32_t i = uint32_t(_tzcnt_u64(_pdep_u64(uint64_t(1) << r, out)));
                pass_full_table(i == 63 ? 0 : sepc & (~uint64_t(0) << (i + 1)), c);
            }
        } else {
            pass_full_table(sepc, c);
        }
        if (~cls.before_end) {
            if (c.length > 0) ++c.arg;
            *ended = true;
            return s;
        }
    }
}
