// The digit value of every ASCII character, worked out at compile time (nothing here
// runs in the plug-in: the coverage step leaves this file out by name).
#pragma once
#include <stdint.h>

// The value of c as a digit of any base up to 36, or 36 when it is none. A table: digits
// and letters mix at random in hexadecimal data, and a branch on their kind would be
// guessed wrong again and again.
struct DigitValues {
    uint8_t of[128];
};
constexpr DigitValues digit_values() {
    DigitValues t{};
    for (int c = 0; c < 128; ++c) {
        t.of[c] = c >= '0' && c <= '9'   ? uint8_t(c - '0')
                  : c >= 'A' && c <= 'Z' ? uint8_t(c - 'A' + 10)
                  : c >= 'a' && c <= 'z' ? uint8_t(c - 'a' + 10)
                                         : 36;
    }
    return t;
}
inline constexpr DigitValues DIGIT_VALUES = digit_values();
