// Independent answers for the fuzz targets to compare the plug-in with. They are written
// from the rules, on the C library where it can do the work, and share no code with
// args/ or envcount/.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>

// The number syntax: the status, value (64 bits; the 32-bit parser's fits in the low
// half) and end position (an index into text) that ParseUnsigned32 (wide64 false) or
// ParseInteger64 (wide64 true) must give. with_end says whether an end position is asked.
struct NumberAnswer {
    int32_t status;
    uint64_t value;
    size_t end;
};
NumberAnswer number_oracle(const std::u16string& text, bool wide64, bool with_end);

// The C library's unsigned 32-bit conversion in base (8, 10 or 16) from text[start]:
// in base 16 one "0x" is passed over first; without a digit the value is 0 and the end
// is start. range: above 0xFFFFFFFF.
struct DigitsAnswer {
    bool range;
    uint32_t value;
    size_t end;
};
DigitsAnswer digits_oracle(const std::u16string& text, size_t start, int base);

// What INC or DEC must store for a variable that held old (present false: not set).
// numeric says whether the old value was a number and nothing else; when it was not,
// the stored value is what /Z gives.
struct CounterAnswer {
    std::u16string stored;
    bool numeric;
};
CounterAnswer counter_oracle(const std::u16string& old, bool present, bool decrement);
