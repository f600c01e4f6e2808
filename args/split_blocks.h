// What the splitter's driver (split.cpp) and its block kernels, each built for its own
// instruction set, share: the position of a split, and the kernels' entries.
#pragma once
#include <stdint.h>

// The ways of taking a text, slowest first. Each gives the same table: the first is the
// reference, character by character.
enum SplitPath : uint32_t { SPLIT_PATH_SCALAR, SPLIT_PATH_SSE2, SPLIT_PATH_AVX512, SPLIT_PATHS };

// Where a split stands: the next cell of the store, the argument being filled, the
// characters stored for it so far, and the entries below which the table may hold any.
struct SplitCursor {
    int32_t p, n, k, in_use;
};

// Takes the text at s (any address), 64 characters at a time, for options that split
// on white space and outside quotes, while each block holds no quote and nothing beyond
// ASCII and the store has room for it. Returns where it stopped: at a block it leaves to
// the driver, or with *ended set, past the text's end. The table and the store are then as
// the reference leaves them at that point, the argument being filled included.
const char16_t* split_blocks_avx512(const char16_t* s, uint32_t options, SplitCursor& c, bool* ended);

// The splitter by the path given (tests and benchmarks); the path must be supported.
int32_t split_arguments_with(SplitPath path, const char16_t* text, uint32_t options);
// Whether this processor can run the path; SplitArguments runs the best one, or the one
// BYTEHAUL_SIMD names (scalar, or sse2 for any path below AVX-512).
bool split_path_supported(SplitPath path);
