// AVX-512 (BW): @BYTESTOW's values sixteen arguments at a time where each is two
// hexadecimal digits. The splitter stores such a run as digit, digit, NUL, again and again,
// so one two-register word permute gathers the sixteen first and sixteen second digits.
// Lower levels have no permute across registers and keep the reference.
#include <immintrin.h>

// GCC 12's own extracts and narrowings start from an undefined register and then warn of it.
#if defined(__GNUC__) && !defined(__clang__)
#    pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "args/split.h"
#include "filefuncs/values.h"

namespace avx512 {
namespace {

enum : int32_t { BLOCK = 16 };  // arguments a pass

// The digits' cells of a block of three cells an argument: the first digits in words 0 to
// 15, the second in 16 to 31. Cells from 32 on are in the second register.
__m512i digit_cells() {
    alignas(64) static const uint16_t cells[32] = {0, 3, 6, 9,  12, 15, 18, 21, 24, 27, 30, 33, 36, 39, 42, 45,
                                                   1, 4, 7, 10, 13, 16, 19, 22, 25, 28, 31, 34, 37, 40, 43, 46};
    return _mm512_load_si512(cells);
}

// Whether arguments first to first + 15 each hold two characters, stored one after another
// in three cells apiece from the first's pointer on.
bool in_one_run(int32_t first) {
    const ArgTable& t = ArgumentTable;
    const __m512i length = _mm512_loadu_si512(t.lengths + first);
    if (_mm512_cmpneq_epi32_mask(length, _mm512_set1_epi32(2))) return false;
    const int64_t start = int64_t(reinterpret_cast<uintptr_t>(t.pointers[first]));
    const __m512i step = _mm512_set_epi64(42, 36, 30, 24, 18, 12, 6, 0);  // bytes: 3 cells of 2
    const __m512i low = _mm512_add_epi64(_mm512_set1_epi64(start), step);
    const __m512i high = _mm512_add_epi64(_mm512_set1_epi64(start + 48), step);
    return !(_mm512_cmpneq_epi64_mask(_mm512_loadu_si512(t.pointers + first), low) |
             _mm512_cmpneq_epi64_mask(_mm512_loadu_si512(t.pointers + first + 8), high));
}

}  // namespace
}  // namespace avx512

int32_t avx512_hex_pairs(int32_t first, int32_t end, uint8_t* bytes, uint32_t room) {
    using namespace avx512;
    const __m512i cells = digit_cells();
    const __m512i zero_char = _mm512_set1_epi16(u'0'), nine = _mm512_set1_epi16(9);
    const __m512i a_lower = _mm512_set1_epi16(u'a'), case_bit = _mm512_set1_epi16(0x20);
    const __m512i five = _mm512_set1_epi16(5), ten = _mm512_set1_epi16(10);
    int32_t taken = 0;
    for (; end - first - taken >= BLOCK && room - uint32_t(taken) >= uint32_t(BLOCK); taken += BLOCK) {
        if (!in_one_run(first + taken)) break;
        // 48 cells: the sixteen arguments' two characters and the NUL after each.
        const char16_t* text = ArgumentTable.pointers[first + taken];
        const __m512i digits =
            _mm512_permutex2var_epi16(_mm512_loadu_si512(text), cells, _mm512_maskz_loadu_epi16(0xFFFF, text + 32));
        // 0-9, and A-F in either case: the case bit set turns A-F into a-f, and nothing
        // else into them.
        const __m512i decimal = _mm512_sub_epi16(digits, zero_char);
        const __m512i letter = _mm512_sub_epi16(_mm512_or_si512(digits, case_bit), a_lower);
        const __mmask32 is_decimal = __mmask32(_mm512_cmple_epu16_mask(decimal, nine));
        const __mmask32 is_letter = __mmask32(_mm512_cmple_epu16_mask(letter, five));
        if (uint32_t(is_decimal | is_letter) != 0xFFFFFFFFu) break;
        const __m512i value = _mm512_mask_blend_epi16(is_decimal, _mm512_add_epi16(letter, ten), decimal);
        // First digit times 16 plus the second, one byte from each word.
        const __m512i seconds = _mm512_shuffle_i64x2(value, value, 0xEE);
        const __m512i byte = _mm512_or_si512(_mm512_slli_epi16(value, 4), seconds);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + taken), _mm256_castsi256_si128(_mm512_cvtepi16_epi8(byte)));
    }
    return taken;
}
