// The text of one byte in each @BYTEHAUL notation, worked out once at compile time so
// that a read of 4096 bytes is turned into text by table look-ups alone.
#pragma once
#include <stdint.h>

enum : uint32_t { PIECE_SLOT = 8 };  // characters per table entry: the longest piece is 6

struct PieceSet {
    // Each piece ends in its one space; the slot after it is padding, zero.
    char16_t text[256][PIECE_SLOT];
    uint8_t length[256];
    uint8_t shortest, longest;
};

// The pieces of format code 0 to 7 (taken modulo 8), with the letters in lower case if asked.
const PieceSet& byte_pieces(uint32_t code, bool lower_case);
