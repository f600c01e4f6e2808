// @BYTESTOW's values: the value arguments of the ArgumentTable read as bytes, in order, by
// the byte value syntax. The reference reads one argument at a time; AVX-512 reads sixteen
// arguments at once where each is two hexadecimal digits, the form batch files mostly
// give, and leaves every other stretch of arguments to the reference.
#pragma once
#include <stdint.h>

#include "simd/simd.h"

enum ValueFault : uint32_t {
    VALUE_OK,
    VALUE_BAD,       // in no form of the syntax, too large for 32 bits, or with more after it
    VALUE_RANGE,     // above 0xFF
    VALUE_TOO_MANY,  // the bytes are full
};

struct ByteValues {
    uint32_t held;     // bytes read into the buffer
    ValueFault fault;  // the first fault met, which ends the reading
    int32_t at;        // the argument of the fault
};

// Arguments 1 to count - 1 into bytes (room for MAX_WRITE_BYTES), skipping those without
// characters; stops at the first faulty one.
ByteValues take_byte_values(uint8_t* bytes);

// The same at the level given (tests and fuzzing); the level must be supported. Every
// level reads the same bytes and meets the same fault at the same argument.
ByteValues take_byte_values_with(SimdLevel level, uint8_t* bytes);

// AVX-512's sixteen at a time (values_avx512.cpp), from argument first while each of the
// sixteen is two hexadecimal digits and fewer than end - first arguments or room bytes
// are left. Returns how many arguments it read, a multiple of 16, each into one byte.
int32_t avx512_hex_pairs(int32_t first, int32_t end, uint8_t* bytes, uint32_t room);
