// AVX-512 (F, BW, VBMI and VBMI2, with BMI2): the decimal notations laid out in slots of
// fixed places and closed up with a byte compress instead of being copied piece by piece.
// Built with the matching -m flags; run only where the processor has them and the system
// saves the ZMM and mask state.
#include <immintrin.h>

// GCC 12's own _mm512_permutexvar_epi64 starts from an undefined register and then warns of it.
#if defined(__GNUC__) && !defined(__clang__)
#    pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "filefuncs/bytetext/layout.h"
#include "filefuncs/bytetext/kernels.h"

namespace {

using namespace bytetext;

// A constant the compiler cannot see: it would otherwise turn each multiply by it into
// several shifts and adds, which here cost more than the multiply.
inline __m512i opaque_words(short value) {
    __m512i v = _mm512_set1_epi16(value);
    __asm__("" : "+v"(v));
    return v;
}

// Widening to characters. Code 0: a qword permute puts each 16-byte lane's two halves a
// half-register apart, for the unpacks. Codes 3 and 4: one byte permute a stored register,
// zeros in the odd bytes, a shuffle fewer.
alignas(64) constexpr uint8_t WIDEN_LOW[64] = {
    0,  0, 1,  0, 2,  0, 3,  0, 4,  0, 5,  0, 6,  0, 7,  0, 8,  0, 9,  0, 10, 0, 11, 0, 12, 0, 13, 0, 14, 0, 15, 0,
    16, 0, 17, 0, 18, 0, 19, 0, 20, 0, 21, 0, 22, 0, 23, 0, 24, 0, 25, 0, 26, 0, 27, 0, 28, 0, 29, 0, 30, 0, 31, 0};
alignas(64) constexpr uint8_t WIDEN_HIGH[64] = {
    32, 0, 33, 0, 34, 0, 35, 0, 36, 0, 37, 0, 38, 0, 39, 0, 40, 0, 41, 0, 42, 0, 43, 0, 44, 0, 45, 0, 46, 0, 47, 0,
    48, 0, 49, 0, 50, 0, 51, 0, 52, 0, 53, 0, 54, 0, 55, 0, 56, 0, 57, 0, 58, 0, 59, 0, 60, 0, 61, 0, 62, 0, 63, 0};
constexpr uint64_t EVEN_BYTES = 0x5555555555555555ull;

// Codes 0, 3 and 4, a pass of 2 registers of slots (layout.h, CompressLayout): digits by
// multiply and shift (m * 6554 >> 16 is m / 10 for 0 to 255), each register closed up by
// one byte compress that keeps what each piece shows, then widened to characters.
template <uint32_t Code>
size_t decimal_code(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, size_t* done) {
    static constexpr CompressLayout layout = compress_layout(Code);
    static_assert(Code == 0 || layout.per_pass <= 24, "word 24 of first holds the spaces");
    const __m512i tenth = _mm512_set1_epi16(6554), k2559 = opaque_words(2559), k10 = opaque_words(10);
    const __m512i halves = _mm512_set_epi64(7, 3, 6, 2, 5, 1, 4, 0), zero = _mm512_setzero_si512();
    size_t i = 0;
    // A pass only where its 32 bytes are there and the registers stored (64 characters each,
    // no fewer than a register's text) end below cap.
    for (; i + 32 <= n && at + 64 * layout.registers < cap; i += layout.per_pass) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i));
        __m512i m, first, second;  // magnitudes, and the words of each slot
        uint32_t negative = 0;
        if constexpr (Code == 0) {
            m = _mm512_cvtepu8_epi16(x);
        } else {
            const __m512i value = _mm512_cvtepi8_epi16(x);
            m = _mm512_abs_epi16(value);
            negative = _mm512_movepi16_mask(value);
        }
        const __m512i q = _mm512_mulhi_epu16(m, tenth);
        const __m512i h = _mm512_mulhi_epu16(q, tenth);
        if constexpr (Code == 0) {
            // hundreds + 256 tens = 256 q - 2559 h; the ones and a space
            first = _mm512_add_epi16(_mm512_sub_epi16(_mm512_slli_epi16(q, 8), _mm512_mullo_epi16(h, k2559)),
                                     _mm512_set1_epi16(0x3030));
            second = _mm512_add_epi16(_mm512_sub_epi16(m, _mm512_mullo_epi16(q, k10)), _mm512_set1_epi16(0x2030));
        } else {
            // sign + 256 hundreds ('-' is 2 above '+'); tens + 256 ones = 256 m - 2559 q - 10 h
            first = _mm512_add_epi16(_mm512_slli_epi16(h, 8), _mm512_set1_epi16(Code == 3 ? 0x302D : 0x302B));
            if constexpr (Code == 4) first = _mm512_mask_add_epi16(first, negative, first, _mm512_set1_epi16(2));
            first = _mm512_mask_mov_epi16(first, 1u << 24, _mm512_set1_epi16(0x2020));  // the spaces (layout.h)
            second = _mm512_sub_epi16(_mm512_add_epi16(_mm512_slli_epi16(m, 8), _mm512_set1_epi16(0x3030)),
                                      _mm512_add_epi16(_mm512_mullo_epi16(q, k2559), _mm512_mullo_epi16(h, k10)));
        }
        const uint32_t shows_tens = _mm512_cmpgt_epu16_mask(m, _mm512_set1_epi16(9));
        const uint32_t shows_hundreds = _mm512_cmpgt_epu16_mask(m, _mm512_set1_epi16(99));
#pragma GCC unroll 2
        for (uint32_t r = 0; r < layout.registers; ++r) {
            const uint32_t lanes = r * layout.per_register;
            uint64_t keep = layout.always | _pdep_u64(shows_tens >> lanes, layout.tens) |
                            _pdep_u64(shows_hundreds >> lanes, layout.hundreds);
            if constexpr (Code == 3) keep |= _pdep_u64(negative >> lanes, layout.signs);
            if constexpr (Code == 0) {
                const __m512i slots = _mm512_permutex2var_epi16(first, _mm512_load_si512(layout.words[r]), second);
                const __m512i text = _mm512_permutexvar_epi64(halves, _mm512_maskz_compress_epi8(keep, slots));
                _mm512_storeu_si512(out + at, _mm512_unpacklo_epi8(text, zero));
                _mm512_storeu_si512(out + at + 32, _mm512_unpackhi_epi8(text, zero));
            } else {
                const __m512i slots = _mm512_permutex2var_epi8(first, _mm512_load_si512(layout.bytes[r]), second);
                const __m512i text = _mm512_maskz_compress_epi8(keep, slots);
                _mm512_storeu_si512(out + at,
                                    _mm512_maskz_permutexvar_epi8(EVEN_BYTES, _mm512_load_si512(WIDEN_LOW), text));
                _mm512_storeu_si512(out + at + 32,
                                    _mm512_maskz_permutexvar_epi8(EVEN_BYTES, _mm512_load_si512(WIDEN_HIGH), text));
            }
            at += size_t(__builtin_popcountll(keep));
        }
    }
    return scalar_decimal_rest(out, at, cap, bytes, i, n, Code, done);
}

size_t decimal(char16_t* out, size_t at, size_t cap, const uint8_t* bytes, size_t n, uint32_t code, size_t* done) {
    return with_decimal_code(code,
                             [&](auto c) { return decimal_code<decltype(c)::value>(out, at, cap, bytes, n, done); });
}

}  // namespace

const ByteTextKernels AVX512_KERNELS = {avx512_fixed, decimal};
