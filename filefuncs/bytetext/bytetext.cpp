// The driver: picks an implementation once and keeps the rules every implementation shares
// (where a text overflows, what an overflow leaves, the final space, lower case).
#include "filefuncs/bytetext/bytetext.h"

#include "filefuncs/bytetext/paths.h"
#include "platform/platform.h"
#include "text/chars.h"

namespace {

const char* const PATH_NAMES[BYTETEXT_PATHS] = {"scalar", "sse2", "ssse3", "avx2", "avx512"};

const ByteTextKernels* const PATH_KERNELS[BYTETEXT_PATHS] = {
    &SCALAR_KERNELS, &SSE2_KERNELS, &SSSE3_KERNELS, &AVX2_KERNELS, &AVX512_KERNELS,
};

bool is_fixed_width(uint32_t code) { return code != 0 && code != 3 && code != 4; }

// A path without a kernel of its own for a kind of notation uses the next path below it
// that has one; null when none has, and the reference does the whole text.
template <typename Kernel>
Kernel kernel_of(ByteTextPath path, Kernel ByteTextKernels::*member) {
    for (int p = int(path); p > 0; --p)
        if (PATH_KERNELS[p]->*member) return PATH_KERNELS[p]->*member;
    return nullptr;
}

bool probed = false;
CpuFeatures cpu;

const CpuFeatures& features() {
    if (!probed) {
        cpu = probe_cpu();
        probed = true;
    }
    return cpu;
}

// The path a user forced, when it names one; BYTETEXT_PATHS otherwise.
ByteTextPath forced_path() {
    char16_t value[16];
    uint32_t saved = sys_last_error();  // a missing variable is no error of the caller's
    uint32_t n = sys_get_env(u"BYTEHAUL_SIMD", value, 16);
    sys_set_last_error(saved);
    if (n == 0 || n >= 16) return BYTETEXT_PATHS;
    for (uint32_t p = 0; p < BYTETEXT_PATHS; ++p) {
        char16_t name[16];
        size_t i = 0;
        for (const char* s = PATH_NAMES[p]; *s; ++s) name[i++] = char16_t(*s);
        name[i] = 0;
        if (text_equal_nocase(value, name)) return ByteTextPath(p);
    }
    return BYTETEXT_PATHS;
}

// The last path the processor runs. AVX-512 runs AVX2's kernels where its own do not beat
// them, so it is never the worse choice.
ByteTextPath best_path() {
    uint32_t p = BYTETEXT_PATHS - 1;
    while (p > BYTETEXT_SSE2 && !byte_text_path_supported(ByteTextPath(p))) --p;
    return ByteTextPath(p);
}

bool chosen_yet = false;
ByteTextPath chosen = BYTETEXT_SCALAR;

// Fixed width: where the text overflows is known before any work.
bool fixed_text(ByteTextPath path, char16_t* result, size_t cap, const uint8_t* bytes, size_t n, uint32_t code,
                bool lower) {
    // SSE2 has a fixed-width kernel, and every path above it takes it or its own.
    auto fixed = kernel_of(path, &ByteTextKernels::fixed);
    const size_t width = byte_pieces(code, false).longest;
    const size_t fit = (cap - 1) / width;  // pieces whose text ends below cap
    if (n > fit) {
        fixed(result, bytes, fit, code, false);
        result[fit * width] = 0;
        return false;
    }
    fixed(result, bytes, n, code, lower);
    result[n * width - 1] = 0;  // over the last piece's space
    return true;
}

// Variable width: the overflow point is a running sum of the pieces' lengths. No letters.
bool variable_text(ByteTextPath path, char16_t* result, size_t cap, const uint8_t* bytes, size_t n, uint32_t code) {
    auto variable = kernel_of(path, &ByteTextKernels::variable);
    if (!variable) return scalar_byte_text(result, cap, bytes, n, code);
    size_t done = 0;
    size_t at = variable(result, 0, cap, bytes, n, code, &done);
    if (done < n) {
        result[at] = 0;
        return false;
    }
    result[at - 1] = 0;
    return true;
}

}  // namespace

bool byte_text_path_supported(ByteTextPath path) {
    switch (path) {
    case BYTETEXT_SCALAR:
    case BYTETEXT_SSE2: return true;  // every x64 processor
    case BYTETEXT_SSSE3: return features().ssse3;
    case BYTETEXT_AVX2: return features().avx2;
    case BYTETEXT_AVX512: return features().avx512;
    default: return false;
    }
}

ByteTextPath byte_text_chosen_path() {
    if (!chosen_yet) {
        ByteTextPath forced = forced_path();
        chosen = forced != BYTETEXT_PATHS && byte_text_path_supported(forced) ? forced : best_path();
        chosen_yet = true;
    }
    return chosen;
}

const char* byte_text_path_name(ByteTextPath path) { return PATH_NAMES[path]; }

bool write_byte_text_with(ByteTextPath path, char16_t* result, size_t cap, const uint8_t* bytes, size_t n,
                          uint32_t format) {
    if (path == BYTETEXT_SCALAR) return scalar_byte_text(result, cap, bytes, n, format);
    const uint32_t code = format & BYTETEXT_CODE_BITS;
    if (is_fixed_width(code)) return fixed_text(path, result, cap, bytes, n, code, (format & BYTETEXT_LOWER_CASE) != 0);
    return variable_text(path, result, cap, bytes, n, code);
}

bool write_byte_text(char16_t* result, size_t cap, const uint8_t* bytes, size_t n, uint32_t format) {
    return write_byte_text_with(byte_text_chosen_path(), result, cap, bytes, n, format);
}
