#include "filefuncs/values.h"

#include "args/number.h"
#include "args/split.h"
#include "filefuncs/fileargs.h"
#include "text/chars.h"

namespace {

enum : int32_t { PAIR_BLOCK = 16 };  // the arguments AVX-512 reads at once

// A byte value: "0X" hexadecimal, "0O" octal, "#" decimal, and a bare number hexadecimal.
// False when the text (of length characters) is in none of these forms, too large for 32
// bits, or has anything after its digits.
bool read_byte_value(const char16_t* text, int32_t length, uint32_t* value) {
    // One or two hexadecimal digits, the values a batch file mostly gives, can only be a
    // bare number: every other form has a character that is no such digit.
    if (length <= 2) {
        const uint32_t first = digit_value(text[0]), second = length == 2 ? digit_value(text[1]) : 0;
        if ((first | second) < 16) {
            *value = length == 2 ? first << 4 | second : first;
            return true;
        }
    }
    NumberForm form = prefixed_number(text);
    if (form.base == 0) {
        if (text[0] == u'#' && text_is_digit(text[1])) form = {10, text + 1};
        else if (text_is_hex_digit(text[0])) form = {16, text};
        else return false;
    }
    const char16_t* end;
    return convert_unsigned32(form.digits, form.base, value, &end) == PARSE_OK && *end == 0;
}

// Arguments r->at up to end by the reference; false at a fault, with r->at on it.
bool take_one_by_one(int32_t end, uint8_t* bytes, ByteValues* r) {
    for (; r->at < end; ++r->at) {
        if (!arg_given(r->at)) continue;
        uint32_t value;
        if (!read_byte_value(arg_text(r->at), ArgumentTable.lengths[r->at], &value)) r->fault = VALUE_BAD;
        else if (value > 0xFF) r->fault = VALUE_RANGE;
        else if (r->held >= MAX_WRITE_BYTES) r->fault = VALUE_TOO_MANY;
        if (r->fault != VALUE_OK) return false;
        bytes[r->held++] = uint8_t(value);
    }
    return true;
}

}  // namespace

ByteValues take_byte_values_with(SimdLevel level, uint8_t* bytes) {
    ByteValues r{0, VALUE_OK, 1};
    const int32_t count = ArgumentTable.count;
    if (level != SIMD_AVX512) {
        take_one_by_one(count, bytes, &r);
        return r;
    }
    // Blocks in the common form at once, and each block that is not by the reference.
    while (r.at < count) {
        const int32_t taken = avx512_hex_pairs(r.at, count, bytes + r.held, MAX_WRITE_BYTES - r.held);
        r.at += taken;
        r.held += uint32_t(taken);
        const int32_t block_end = count - r.at < PAIR_BLOCK ? count : r.at + PAIR_BLOCK;
        if (!take_one_by_one(block_end, bytes, &r)) return r;
    }
    return r;
}

ByteValues take_byte_values(uint8_t* bytes) { return take_byte_values_with(simd_level(), bytes); }
