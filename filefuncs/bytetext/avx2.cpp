// AVX2: as SSSE3, two 8-character lanes of text a shuffle. Built with -mavx2; run only
// where the processor has it and the system saves the YMM state.
#include <immintrin.h>

#include "filefuncs/bytetext/layout.h"
#include "filefuncs/bytetext/nibble_digits.h"
#include "filefuncs/bytetext/paths.h"

namespace {

using namespace bytetext;

template <uint32_t Code>
void fixed_code(char16_t* out, const uint8_t* bytes, size_t n, bool lower) {
    static constexpr FixedPiece piece = fixed_piece(Code);
    static constexpr ShuffleLayout layout = shuffle_layout(Code);
    const __m128i table = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower ? HEX_LOWER : HEX_UPPER));
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        __m128i g[4];
        digit_groups<piece.digits>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i)), table, g);
        char16_t* o = out + i * piece.width;
#pragma GCC unroll 6
        for (uint32_t lane = 0; lane < layout.lanes; lane += 2) {
            const uint32_t first = layout.group_of_lane[lane], second = layout.group_of_lane[lane + 1];
            __m256i source = _mm256_inserti128_si256(_mm256_castsi128_si256(g[first]), g[second], 1);
            __m256i control = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(layout.control[lane]));
            __m256i fill = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(layout.fill[lane]));
            __m256i text = _mm256_or_si256(_mm256_shuffle_epi8(source, control), fill);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + 8 * lane), text);
        }
    }
    scalar_fixed(out + i * piece.width, bytes + i, n - i, Code, lower);
}

void fixed(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower) {
    with_fixed_code(code, [&](auto c) { fixed_code<decltype(c)::value>(out, bytes, n, lower); });
}

}  // namespace

const ByteTextKernels AVX2_KERNELS = {fixed, avx2_variable};
