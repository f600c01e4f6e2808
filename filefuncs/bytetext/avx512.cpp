// AVX-512 (F, BW, VBMI, VBMI2): a byte permute over a whole register puts 32 characters of
// text in place at once, and the decimal notations are closed up with a compress instead
// of being copied piece by piece. Built with the matching -m flags; run only where the
// processor has them and the system saves the ZMM and mask state.
#include <immintrin.h>

// GCC 12's own _mm512_inserti64x4 starts from an undefined register and then warns of it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "filefuncs/bytetext/layout.h"
#include "filefuncs/bytetext/paths.h"

namespace {

using namespace bytetext;

const char hex_upper[16] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
const char hex_lower[16] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};

template <uint32_t Code>
void fixed_code(char16_t* out, const uint8_t* bytes, size_t n, bool lower) {
    static constexpr FixedPiece piece = fixed_piece(Code);
    static constexpr PermuteLayout layout = permute_layout(Code);
    const __m256i table = _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower ? hex_lower : hex_upper)));
    size_t i = 0;
    for (; i + layout.bytes <= n; i += layout.bytes) {
        __m512i digits;
        if constexpr (piece.digits == 2) {
            const __m256i nibble = _mm256_set1_epi8(0x0F);
            __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i));
            __m256i hi = _mm256_shuffle_epi8(table, _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble));
            __m256i lo = _mm256_shuffle_epi8(table, _mm256_and_si256(x, nibble));
            digits = _mm512_inserti64x4(_mm512_zextsi256_si512(hi), lo, 1);
        } else {
            const __m128i zero_digit = _mm_set1_epi8('0');
            __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
            __m128i d2 = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(x, 6), _mm_set1_epi8(0x03)), zero_digit);
            __m128i d1 = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(x, 3), _mm_set1_epi8(0x07)), zero_digit);
            __m128i d0 = _mm_or_si128(_mm_and_si128(x, _mm_set1_epi8(0x07)), zero_digit);
            digits = _mm512_inserti32x4(_mm512_zextsi128_si512(d2), d1, 1);
            digits = _mm512_inserti32x4(digits, d0, 2);
        }
        char16_t* o = out + i * piece.width;
#pragma GCC unroll 6
        for (uint32_t v = 0; v < layout.vectors; ++v) {
            __m512i index = _mm512_loadu_si512(layout.index[v]);
            __m512i fill = _mm512_loadu_si512(layout.fill[v]);
            __m512i text = _mm512_or_si512(_mm512_maskz_permutexvar_epi8(layout.digit_lanes[v], index, digits), fill);
            _mm512_storeu_si512(o + 32 * v, text);
        }
    }
    ScalarFixed(out + i * piece.width, bytes + i, n - i, Code, lower);
}

void fixed(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower) {
    switch (code) {
    case 1: fixed_code<1>(out, bytes, n, lower); break;
    case 5: fixed_code<5>(out, bytes, n, lower); break;
    case 6: fixed_code<6>(out, bytes, n, lower); break;
    default: fixed_code<2>(out, bytes, n, lower); break;
    }
}

// Codes 0, 3 and 4, 16 bytes a block: hundreds, tens and ones by multiply and shift
// (v * 41 >> 12 is v / 100 and v * 205 >> 11 is v / 10 for 0 to 255), laid out in slots of
// fixed places and closed up by a compress that keeps what each byte's piece shows.
template <uint32_t Code>
size_t variable_code(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, size_t* done) {
    static constexpr CompressLayout layout = compress_layout(Code);
    const size_t block_text = 16 * layout.slot;  // the most a block's pieces take
    const __m256i zero_digit = _mm256_set1_epi16('0');
    const __m512i spaces = _mm512_set1_epi16(' ');
    size_t i = 0;
    // A block only where its pieces surely fit and the last register stored ends below cap.
    for (; i + 16 <= n && at + block_text + 32 <= cap; i += 16) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        __m256i magnitude, key, sign;
        const __m256i always = _mm256_set1_epi16(KEEP_ALWAYS);
        if constexpr (Code == 0) {
            magnitude = _mm256_cvtepu8_epi16(x);
            key = always;
            sign = _mm256_setzero_si256();
        } else {
            __m256i value = _mm256_cvtepi8_epi16(x);
            magnitude = _mm256_abs_epi16(value);
            __m256i negative = _mm256_cmpgt_epi16(_mm256_setzero_si256(), value);
            sign = _mm256_add_epi16(_mm256_set1_epi16('+'), _mm256_and_si256(negative, _mm256_set1_epi16('-' - '+')));
            key = Code == 4 ? _mm256_set1_epi16(KEEP_ALWAYS | KEEP_SIGN)
                            : _mm256_or_si256(always, _mm256_and_si256(negative, _mm256_set1_epi16(KEEP_SIGN)));
        }
        __m256i hundreds = _mm256_srli_epi16(_mm256_mullo_epi16(magnitude, _mm256_set1_epi16(41)), 12);
        __m256i rest = _mm256_sub_epi16(magnitude, _mm256_mullo_epi16(hundreds, _mm256_set1_epi16(100)));
        __m256i tens = _mm256_srli_epi16(_mm256_mullo_epi16(rest, _mm256_set1_epi16(205)), 11);
        __m256i ones = _mm256_sub_epi16(rest, _mm256_mullo_epi16(tens, _mm256_set1_epi16(10)));
        key = _mm256_or_si256(key, _mm256_and_si256(_mm256_cmpgt_epi16(magnitude, _mm256_set1_epi16(9)),
                                                    _mm256_set1_epi16(KEEP_TENS)));
        key = _mm256_or_si256(key, _mm256_and_si256(_mm256_cmpgt_epi16(magnitude, _mm256_set1_epi16(99)),
                                                    _mm256_set1_epi16(KEEP_HUNDREDS)));
        const __m512i a = _mm512_inserti64x4(_mm512_zextsi256_si512(_mm256_add_epi16(hundreds, zero_digit)),
                                             _mm256_add_epi16(tens, zero_digit), 1);
        const __m512i b = _mm512_inserti64x4(_mm512_zextsi256_si512(_mm256_add_epi16(ones, zero_digit)), sign, 1);
        const __m512i keys = _mm512_zextsi256_si512(key);
#pragma GCC unroll 3
        for (uint32_t v = 0; v < layout.vectors; ++v) {
            __m512i slots = _mm512_permutex2var_epi16(a, _mm512_loadu_si512(layout.index[v]), b);
            slots = _mm512_mask_mov_epi16(slots, layout.spaces[v], spaces);
            __m512i lane_keys = _mm512_permutexvar_epi16(_mm512_loadu_si512(layout.owner[v]), keys);
            __mmask32 keep = _mm512_test_epi16_mask(lane_keys, _mm512_loadu_si512(layout.needs[v]));
            _mm512_storeu_si512(out + at, _mm512_maskz_compress_epi16(keep, slots));
            at += size_t(__builtin_popcount(keep));
        }
    }
    size_t rest_done = 0;
    at = ScalarVariable(out, at, cap, bytes + i, n - i, Code, &rest_done);
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

const ByteTextKernels AVX512_KERNELS = {fixed, variable};
