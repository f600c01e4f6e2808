#include "args/number.h"

#include "text/chars.h"

namespace {

// The bases the syntax uses divide by a multiplication; a division instruction would cost
// more than the digits of a short number.
uint64_t divide_by_base(uint64_t v, uint32_t base) {
    switch (base) {
    case 8: return v / 8;
    case 10: return v / 10;
    case 16: return v / 16;
    default: return v / base;
    }
}

struct Converted {
    uint64_t magnitude;
    bool negative;
    bool out_of_range;
    const char16_t* end;
};

// Takes an optional sign (when signed_ok), in base 16 one "0x" more, then the digits of
// base. A magnitude above limit is out of range; the digits are still all taken, so the
// end position is the same either way.
__attribute__((always_inline)) inline Converted convert(const char16_t* start, uint32_t base, bool signed_ok,
                                                        uint64_t limit_pos, uint64_t limit_neg) {
    Converted r{0, false, false, start};
    const char16_t* s = start;
    if (signed_ok && (*s == u'+' || *s == u'-')) r.negative = *s++ == u'-';
    if (base == 16 && number_prefix_base(s) == 16) s += 2;
    uint64_t limit = r.negative ? limit_neg : limit_pos;
    // magnitude * base + d stays within limit while magnitude is below limit / base, or
    // equal to it with d no more than limit % base: one division a number, not a digit.
    const uint64_t cutoff = divide_by_base(limit, base);
    const uint32_t last_digit = uint32_t(limit - cutoff * base);
    const char16_t* digits = s;
    for (uint32_t d; (d = digit_value(*s)) < base; ++s) {
        if (r.magnitude > cutoff || (r.magnitude == cutoff && d > last_digit)) r.out_of_range = true;
        else r.magnitude = r.magnitude * base + d;
    }
    if (s == digits) {
        r.magnitude = 0;
        r.negative = false;
        return r;  // no digit: end stays where the conversion began
    }
    r.end = s;
    return r;
}

}  // namespace

NumberForm find_number_form(const char16_t* text, bool signed_ok) {
    NumberForm f = prefixed_number(text);
    if (f.base != 0) return f;
    if (text_is_digit(text[0])) return {10, text};
    if (signed_ok && (text[0] == u'+' || text[0] == u'-') && text_is_digit(text[1])) return {10, text};
    return {0, text};
}

int32_t convert_unsigned32(const char16_t* text, uint32_t base, uint32_t* value, const char16_t** end) {
    Converted c = convert(text, base, false, 0xFFFFFFFFu, 0);
    *end = c.end;
    if (c.out_of_range) return PARSE_RANGE;
    *value = uint32_t(c.magnitude);
    return PARSE_OK;
}

int32_t ParseUnsigned32(const char16_t* text, uint32_t* value, const char16_t** end) {
    if (!value) return PARSE_NO_NUMBER;
    NumberForm form = find_number_form(text, false);
    if (form.base == 0) return PARSE_NO_NUMBER;
    Converted c = convert(form.digits, form.base, false, 0xFFFFFFFFu, 0);
    if (c.out_of_range) return PARSE_RANGE;
    if (!end && *c.end != 0) return PARSE_NO_NUMBER;
    *value = uint32_t(c.magnitude);
    if (end) *end = c.end;
    return PARSE_OK;
}

int32_t ParseInteger64(const char16_t* text, int64_t* value, const char16_t** end) {
    if (!value) return PARSE_NO_NUMBER;
    NumberForm form = find_number_form(text, true);
    if (form.base == 0) return PARSE_NO_NUMBER;
    // Hexadecimal and octal cover the whole unsigned range (the top half reads as
    // negative); decimal is signed.
    const uint64_t all = ~uint64_t(0);
    const uint64_t int64_max = all >> 1;
    Converted c = form.base == 10 ? convert(form.digits, 10, true, int64_max, int64_max + 1)
                                  : convert(form.digits, form.base, false, all, 0);
    if (c.out_of_range) return PARSE_RANGE;
    if (!end && *c.end != 0) return PARSE_NO_NUMBER;
    uint64_t bits = c.negative ? uint64_t(0) - c.magnitude : c.magnitude;
    *value = int64_t(bits);
    if (end) *end = c.end;
    return PARSE_OK;
}
