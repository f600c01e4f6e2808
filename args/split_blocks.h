// What the splitter's driver (split.cpp) and its block kernels, each built for its own
// instruction set, share: the position of a split, and the kernels' entries.
#pragma once
#include <stdint.h>

#include "simd/simd.h"

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

// The splitter at the level given (tests and benchmarks); the level must be supported.
// Each gives the same table: scalar is the reference, character by character; the levels
// from SSE2 to AVX2 take SSE2's blocks, AVX-512 its own. SplitArguments runs at the
// plug-in's chosen level.
int32_t split_arguments_with(SimdLevel level, const char16_t* text, uint32_t options);
