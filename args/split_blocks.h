// What the splitter's driver (split.cpp) and its block kernels, each built for its own
// instruction-set level (split_sse2.cpp, split_avx512.cpp), share: where a split stands,
// and the kernels' entries.
#pragma once
#include <stdint.h>

#include "simd/simd.h"

enum : int32_t { SPLIT_BLOCK = 64 };  // characters a kernel takes at a time

// Where a split stands: the next cell of the store, the argument being filled, the
// characters stored for it so far, and the entries below which the table may hold any.
struct SplitCursor {
    int32_t cell, arg, length, in_use;
};

// Take the text at s, a block of SPLIT_BLOCK characters at a time, outside quotes, while
// each block holds no quote and nothing beyond ASCII and the store has room for it. They
// return the block where they stopped and set *from to the first of its characters they
// leave to the driver (0 for all of them), or set *ended past the text's end. The table
// and the store are then as the reference leaves them at that point, the argument being
// filled included.
//
// SSE2 blocks, for any options; s is aligned to 16 bytes.
const char16_t* split_blocks_sse2(const char16_t* s, uint32_t options, SplitCursor& c, int32_t* from, bool* ended);
// AVX-512 blocks, for options that split on white space; s is any address.
const char16_t* split_blocks_avx512(const char16_t* s, uint32_t options, SplitCursor& c, int32_t* from, bool* ended);

// The splitter at the level given (tests and benchmarks); the level must be supported.
// Each gives the same table: scalar is the reference, character by character; the levels
// from SSE2 to AVX2 take SSE2's blocks, AVX-512 its own. SplitArguments runs at the
// plug-in's chosen level.
int32_t split_arguments_with(SimdLevel level, const char16_t* text, uint32_t options);
