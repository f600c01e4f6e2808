// Every implementation of @BYTEHAUL's byte text that this processor runs, against the
// reference (the piece tables) on the same bytes: the result and every character up to
// the NUL must agree, overflow leftovers included, and no implementation may write
// outside its buffer (each is a heap block of exactly the capacity).
//
// Input: format (bits 0-2 the code, bit 7 lower case), a mode byte, the count (2 bytes,
// little-endian, taken as 1 to 4096), a capacity byte, then the bytes. Mode bit 0 clear
// repeats the bytes as given; set, it reads each as a choice among values at the edges of
// the decimal pieces' lengths. Mode bits 1-4 start the result that many characters into
// its heap block, for the vector paths' aligned stores. A capacity byte of 0 is the real 16384; others put the capacity at,
// just below or just above where the text of all the bytes ends, or anywhere below it.
#include <string.h>

#include <string>

#include "filefuncs/bytetext/bytetext.h"
#include "fuzz/harness.h"

namespace {

const size_t FULL_CAP = 16384;
const uint8_t EDGES[] = {0, 1, 9, 10, 11, 99, 100, 101, 127, 128, 129, 0x9B, 0x9C, 0x9D, 0xF5, 0xF6, 0xF7, 0xFF};

size_t piece_length(uint8_t b, uint32_t code) {
    switch (code) {
    case 0: return b >= 100 ? 4 : b >= 10 ? 3 : 2;
    case 3:
    case 4: {
        int v = int8_t(b);
        int m = v < 0 ? -v : v;
        return size_t((m >= 100 ? 4 : m >= 10 ? 3 : 2) + (v < 0 || code == 4 ? 1 : 0));
    }
    case 1: return 5;
    case 5: return 6;
    case 6: return 4;
    default: return 3;
    }
}

std::string describe(SimdLevel path, uint32_t format, size_t n, size_t cap) {
    return std::string(simd_level_name(path)) + " against scalar: format " + std::to_string(format) + ", " +
           std::to_string(n) + " bytes, capacity " + std::to_string(cap);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    harness_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    const uint32_t format = data[0];
    const uint8_t mode = data[1];
    const size_t n = (size_t(data[2]) | size_t(data[3]) << 8) % 4096 + 1;
    const uint8_t cap_choice = data[4];
    const uint8_t* given = data + 5;
    const size_t given_size = size - 5;

    static uint8_t bytes[4096];
    for (size_t i = 0; i < n; ++i) {
        uint8_t b = given[i % given_size];
        bytes[i] = mode & 1 ? EDGES[b % sizeof EDGES] : b;
    }
    size_t text = 0;  // the text of all the bytes, every space included
    for (size_t i = 0; i < n; ++i) text += piece_length(bytes[i], format & 7);
    size_t cap = FULL_CAP;
    if (cap_choice != 0) {
        // at the text (it overflows at its last piece), one more (the least that fits), two more
        size_t at = cap_choice & 3 ? text - 1 + (cap_choice & 3) : text * cap_choice / 256;
        cap = at < 2 ? 2 : at > FULL_CAP ? FULL_CAP : at;
    }
    if (tracing())
        trace("format " + std::to_string(format) + ", " + std::to_string(n) + " bytes, text " + std::to_string(text) +
              ", capacity " + std::to_string(cap));

    char16_t* want = exact_buffer(cap, u"");
    bool want_fits = write_byte_text_with(SIMD_SCALAR, want, cap, bytes, n, format);
    size_t want_length = 0;
    while (want_length < cap && want[want_length]) ++want_length;
    FUZZ_CHECK(want_length < cap, describe(SIMD_SCALAR, format, n, cap) + ": no NUL");
    for (uint32_t p = SIMD_SCALAR + 1; p < SIMD_LEVELS; ++p) {
        SimdLevel path = SimdLevel(p);
        if (!simd_level_supported(path)) continue;
        const size_t shift = (mode >> 1) & 15;
        char16_t* block = exact_buffer(shift + cap, u"");
        char16_t* got = block + shift;
        for (size_t i = 0; i <= shift; ++i) block[i] = 0xA5A5;
        bool fits = write_byte_text_with(path, got, cap, bytes, n, format);
        for (size_t i = 0; i < shift; ++i)
            FUZZ_CHECK(block[i] == 0xA5A5, describe(path, format, n, cap) + ": written before the result");
        FUZZ_CHECK(fits == want_fits, describe(path, format, n, cap) + ": fits " + std::to_string(fits));
        size_t at = 0;
        while (at <= want_length && got[at] == want[at]) ++at;
        if (at <= want_length) {
            size_t from = at > 8 ? at - 8 : 0, to = at + 8 < want_length ? at + 8 : want_length;
            finding("the same text", describe(path, format, n, cap) + ": first difference at character " +
                                         std::to_string(at) + " of " + std::to_string(want_length) + "\nwant " +
                                         utf8(std::u16string(want + from, want + to)) + "\ngot  " +
                                         utf8(std::u16string(got + from, got + to)));
        }
        exact_free(block);
    }
    exact_free(want);
    return 0;
}
