// SSSE3: the digits of 16 bytes at a time by nibble look-up, and each 8-character lane of
// their text by one byte shuffle into the digits and one OR of the fixed characters.
// Built with -mssse3; run only where the processor has it.
#include <tmmintrin.h>

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
#pragma GCC unroll 12
        for (uint32_t lane = 0; lane < layout.lanes; ++lane) {
            __m128i control = _mm_loadu_si128(reinterpret_cast<const __m128i*>(layout.control[lane]));
            __m128i fill = _mm_loadu_si128(reinterpret_cast<const __m128i*>(layout.fill[lane]));
            __m128i text = _mm_or_si128(_mm_shuffle_epi8(g[layout.group_of_lane[lane]], control), fill);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 8 * lane), text);
        }
    }
    scalar_fixed(out + i * piece.width, bytes + i, n - i, Code, lower);
}

void fixed(char16_t* out, const uint8_t* bytes, size_t n, uint32_t code, bool lower) {
    with_fixed_code(code, [&](auto c) { fixed_code<decltype(c)::value>(out, bytes, n, lower); });
}

}  // namespace

const ByteTextKernels SSSE3_KERNELS = {fixed, ssse3_variable};
