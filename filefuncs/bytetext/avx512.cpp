// AVX-512 (F, BW and VBMI2, with BMI2): the decimal notations laid out in slots of
// fixed places and closed up with a byte compress instead of being copied piece by piece.
// Built with the matching -m flags; run only where the processor has them and the system
// saves the ZMM and mask state.
#include <immintrin.h>

// GCC 12's own _mm512_inserti64x4 (behind _mm512_zextsi256_si512 too) starts from an undefined
// register and then warns of it.
#if defined(__GNUC__) && !defined(__clang__)
#    pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#    pragma GCC diagnostic ignored "-Wuninitialized"
#endif

#include "filefuncs/bytetext/layout.h"
#include "filefuncs/bytetext/paths.h"

namespace {

using namespace bytetext;

// Per block of a pair: words 2k and 2k + 1 from the k-th words of the block in two
// registers, a byte's two words side by side.
struct Interleave {
    alignas(64) uint16_t index[2][32];
};
constexpr Interleave interleave() {
    Interleave s{};
    for (uint32_t b = 0; b < 2; ++b)
        for (uint32_t k = 0; k < 16; ++k) {
            s.index[b][2 * k] = uint16_t(16 * b + k);
            s.index[b][2 * k + 1] = uint16_t(32 + 16 * b + k);
        }
    return s;
}
constexpr Interleave INTERLEAVE = interleave();

// Codes 3 and 4 take 12 bytes a block, spread so that every fourth lane is a dummy of 0
// (its field's sign place then holds the space: ' ' there instead of '+').
alignas(32) constexpr uint8_t SPREAD[32] = {0, 1, 2, ZERO_LANE, 3, 4, 5, ZERO_LANE, 6, 7, 8, ZERO_LANE, 9, 10, 11, ZERO_LANE,
                                            0, 1, 2, ZERO_LANE, 3, 4, 5, ZERO_LANE, 6, 7, 8, ZERO_LANE, 9, 10, 11, ZERO_LANE};
// Per lane of a pair, its sign place and the hundreds' '0' above it: '+', and a space for
// the dummies ('-' is 2 above '+').
struct SignBase {
    alignas(64) uint16_t words[32];
};
constexpr SignBase sign_base() {
    SignBase s{};
    for (uint32_t k = 0; k < 32; ++k) s.words[k] = uint16_t((k % 4 == 3 ? ' ' : '+') | '0' << 8);
    return s;
}
constexpr SignBase SIGN_BASE = sign_base();

// A constant the compiler cannot see: it would otherwise turn each multiply by it into
// several shifts and adds, which here cost more than the multiply.
inline __m512i opaque_words(short value) {
    __m512i v = _mm512_set1_epi16(value);
    __asm__("" : "+v"(v));
    return v;
}

struct Pair {
    __m512i slots[2];    // per block (layout.h, CompressLayout)
    __m512i magnitude;   // 16-bit, one lane a byte, the two blocks' 16 lanes each
    uint32_t negative;   // one bit a lane: a minus sign
};

// The slots of two blocks from their bytes. Digits by multiply and shift: m * 6554 >> 16 is
// m / 10 for 0 to 255.
template <uint32_t Code>
Pair pair_of(const uint8_t* bytes, size_t block, __m512i tenth, __m512i k2559, __m512i k10) {
    static constexpr CompressLayout layout = compress_layout(Code);
    Pair p;
    __m512i first, second;  // the words of each byte: hundreds | tens, ones | space for code 0
    if constexpr (Code == 0) {
        const __m512i m = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes)));
        const __m512i q = _mm512_mulhi_epu16(m, tenth);
        const __m512i h = _mm512_mulhi_epu16(q, tenth);
        // hundreds + 256 tens = 256 q - 2559 h
        first = _mm512_add_epi16(_mm512_sub_epi16(_mm512_slli_epi16(q, 8), _mm512_mullo_epi16(h, k2559)),
                                 _mm512_set1_epi16(0x3030));
        second = _mm512_add_epi16(_mm512_sub_epi16(m, _mm512_mullo_epi16(q, k10)), _mm512_set1_epi16(0x2030));
        p.magnitude = m;
        p.negative = 0;
    } else {
        __m256i x = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + block)), 1);
        x = _mm256_shuffle_epi8(x, _mm256_load_si256(reinterpret_cast<const __m256i*>(SPREAD)));
        const __mmask32 negative = _mm256_movemask_epi8(x);
        const __m512i m = _mm512_cvtepu8_epi16(_mm256_abs_epi8(x));  // -128 gives 0x80, taken as unsigned
        const __m512i q = _mm512_mulhi_epu16(m, tenth);
        const __m512i h = _mm512_mulhi_epu16(q, tenth);
        // sign + 256 hundreds; tens + 256 ones = 256 m - 2559 q - 10 h
        first = _mm512_add_epi16(_mm512_load_si512(SIGN_BASE.words), _mm512_slli_epi16(h, 8));
        first = _mm512_mask_add_epi16(first, negative, first, _mm512_set1_epi16('-' - '+'));
        second = _mm512_sub_epi16(_mm512_add_epi16(_mm512_slli_epi16(m, 8), _mm512_set1_epi16(0x3030)),
                                  _mm512_add_epi16(_mm512_mullo_epi16(q, k2559), _mm512_mullo_epi16(h, k10)));
        p.magnitude = m;
        p.negative = negative;
    }
    for (uint32_t b = 0; b < 2; ++b) {
        p.slots[b] = _mm512_permutex2var_epi16(first, _mm512_load_si512(INTERLEAVE.index[b]), second);
        if constexpr (Code != 0) p.slots[b] = _mm512_shuffle_epi8(p.slots[b], _mm512_load_si512(layout.shuffle));
    }
    return p;
}

// Codes 0, 3 and 4, two blocks at a time: each block's slots closed up by one byte compress
// that keeps what each piece shows, then widened to characters.
template <uint32_t Code>
size_t variable_code(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, size_t* done) {
    static constexpr CompressLayout layout = compress_layout(Code);
    const __m512i tenth = _mm512_set1_epi16(6554), k2559 = opaque_words(2559), k10 = opaque_words(10);
    size_t i = 0;
    // Two blocks only where the bytes loaded are there and the four registers stored (two of
    // 64 characters a block, more than its text) end below cap.
    for (; i + layout.block + 16 <= n && at + 128 < cap; i += 2 * layout.block) {
        const Pair p = pair_of<Code>(bytes + i, layout.block, tenth, k2559, k10);
        const uint32_t shows_tens = _mm512_cmpgt_epi16_mask(p.magnitude, _mm512_set1_epi16(9));
        const uint32_t shows_hundreds = _mm512_cmpgt_epi16_mask(p.magnitude, _mm512_set1_epi16(99));
#pragma GCC unroll 2
        for (uint32_t b = 0; b < 2; ++b) {
            const uint32_t lanes = 16 * b;
            uint64_t keep = layout.always | _pdep_u64(shows_tens >> lanes, layout.tens) |
                            _pdep_u64(shows_hundreds >> lanes, layout.hundreds);
            if constexpr (Code == 3) keep |= _pdep_u64(p.negative >> lanes, layout.signs);
            const __m512i text = _mm512_permutexvar_epi64(_mm512_set_epi64(7, 3, 6, 2, 5, 1, 4, 0),
                                                           _mm512_maskz_compress_epi8(keep, p.slots[b]));
            _mm512_storeu_si512(out + at, _mm512_unpacklo_epi8(text, _mm512_setzero_si512()));
            _mm512_storeu_si512(out + at + 32, _mm512_unpackhi_epi8(text, _mm512_setzero_si512()));
            at += size_t(__builtin_popcountll(keep));
        }
    }
    size_t rest_done = 0;
    at = scalar_variable(out, at, cap, bytes + i, n - i, Code, &rest_done);
    *done = i + rest_done;
    return at;
}

size_t variable(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, uint32_t code, size_t* done) {
    switch (code) {
    case 3: return variable_code<3>(out, at, cap, bytes, n, done);
    case 4: return variable_code<4>(out, at, cap, bytes, n, done);
    default: return variable_code<0>(out, at, cap, bytes, n, done);
    }
}

}  // namespace

// The notations of one piece length take AVX2's kernel: a byte permute over whole ZMM
// registers was timed against it and did not beat it by the 5% that would pay for a
// second kernel.
const ByteTextKernels AVX512_KERNELS = {nullptr, variable};
