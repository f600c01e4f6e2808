#include "text/format.h"

#include <limits.h>
#include <stdint.h>

#include "text/chars.h"

namespace {

struct Out {
    char16_t* buf;
    size_t cap;  // room for characters, the NUL excluded
    size_t len;
};

void put(Out& o, char16_t c) {
    if (o.len < o.cap) o.buf[o.len++] = c;
}

void put_n(Out& o, char16_t c, int n) {
    for (; n > 0; --n) put(o, c);
}

// Writes the digits of v in Base backwards into tmp; returns the count. A base known at
// compile time divides by a multiplication or a shift: a division instruction a digit
// would cost a 64-bit value more than the read it came from.
template <unsigned Base>
int digits_in(uint64_t v, const char* set, char16_t* tmp_end) {
    int n = 0;
    do {
        *--tmp_end = char16_t(set[v % Base]);
        v /= Base;
        ++n;
    } while (v != 0);
    return n;
}

// The two digits of every number below 100, "00" to "99".
struct DecimalPairs {
    char text[200];
};
constexpr DecimalPairs decimal_pairs() {
    DecimalPairs t{};
    for (int i = 0; i < 100; ++i) {
        t.text[2 * i] = char('0' + i / 10);
        t.text[2 * i + 1] = char('0' + i % 10);
    }
    return t;
}
constexpr DecimalPairs DECIMAL_PAIRS = decimal_pairs();

// The same for base 8, 10 or 16. Decimal takes two digits a step: each step waits on the
// one before, and a 64-bit value has up to 20 digits.
int digits(uint64_t v, unsigned base, bool upper, char16_t* tmp_end) {
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    if (base == 8) return digits_in<8>(v, set, tmp_end);
    if (base == 16) return digits_in<16>(v, set, tmp_end);
    int n = 0;
    for (; v >= 100; n += 2) {
        const char* pair = DECIMAL_PAIRS.text + 2 * (v % 100);
        v /= 100;
        *--tmp_end = char16_t(pair[1]);
        *--tmp_end = char16_t(pair[0]);
    }
    return n + digits_in<10>(v, set, tmp_end);
}

struct Conversion {
    bool zero, plus, left, blank;
    int width;
    int precision;  // -1 when absent
};

void emit_number(Out& o, const Conversion& sp, uint64_t magnitude, char16_t sign, unsigned base, bool upper) {
    char16_t tmp[24];
    int n = digits(magnitude, base, upper, tmp + 24);
    int len = n + (sign ? 1 : 0);
    int pad = sp.width > len ? sp.width - len : 0;
    if (!sp.left && !sp.zero) put_n(o, u' ', pad);
    if (sign) put(o, sign);
    if (!sp.left && sp.zero) put_n(o, u'0', pad);
    for (int i = 24 - n; i < 24; ++i) put(o, tmp[i]);
    if (sp.left) put_n(o, u' ', pad);
}

void emit_text(Out& o, const Conversion& sp, const char16_t* s) {
    static const char16_t null_text[] = u"(null)";
    if (!s) s = null_text;
    size_t n = sp.precision >= 0 ? text_len_bounded(s, size_t(sp.precision)) : text_len(s);
    int pad = sp.width > int(n) ? sp.width - int(n) : 0;
    if (!sp.left) put_n(o, u' ', pad);
    for (size_t i = 0; i < n; ++i) put(o, s[i]);
    if (sp.left) put_n(o, u' ', pad);
}

// Widths above this are cut to it.
const int WIDTH_MAX = 4096;

// The decimal count at p (a width or a precision), moving p past all its digits. A count
// too large for an int stops growing instead of overflowing.
int read_count(const char16_t*& p) {
    int n = 0;
    for (; text_is_digit(*p); ++p)
        if (n <= (INT_MAX - 9) / 10) n = n * 10 + (*p - u'0');
    return n;
}

}  // namespace

size_t text_vformat(char16_t* out, size_t cap, const char16_t* fmt, va_list ap) {
    if (cap == 0 || !out) return 0;
    Out o{out, cap - 1, 0};
    if (!fmt) fmt = u"";
    for (const char16_t* p = fmt; *p; ++p) {
        if (*p != u'%') {
            put(o, *p);
            continue;
        }
        ++p;
        Conversion sp{false, false, false, false, 0, -1};
        for (;; ++p) {
            if (*p == u'0') sp.zero = true;
            else if (*p == u'+') sp.plus = true;
            else if (*p == u'-') sp.left = true;
            else if (*p == u' ') sp.blank = true;
            else break;
        }
        if (*p == u'*') {
            sp.width = va_arg(ap, int);
            if (sp.width < 0) {
                sp.left = true;
                sp.width = sp.width < -WIDTH_MAX ? WIDTH_MAX : -sp.width;
            }
            ++p;
        } else {
            sp.width = read_count(p);
        }
        if (sp.width > WIDTH_MAX) sp.width = WIDTH_MAX;
        if (*p == u'.') {
            ++p;
            sp.precision = 0;
            if (*p == u'*') {
                sp.precision = va_arg(ap, int);
                ++p;
            } else {
                sp.precision = read_count(p);
            }
        }
        bool wide64 = false;
        if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') {
            wide64 = true;
            p += 3;
        } else if (p[0] == u'l' && p[1] == u'l') {
            wide64 = true;
            p += 2;
        } else if (*p == u'l' || *p == u'h') {
            ++p;
        }
        switch (*p) {
        case u'd':
        case u'i': {
            int64_t v = wide64 ? va_arg(ap, int64_t) : int64_t(va_arg(ap, int));
            uint64_t mag = v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v);
            char16_t sign = v < 0 ? u'-' : sp.plus ? u'+' : sp.blank ? u' ' : 0;
            emit_number(o, sp, mag, sign, 10, true);
            break;
        }
        case u'u':
        case u'X':
        case u'x':
        case u'o': {
            uint64_t v = wide64 ? va_arg(ap, uint64_t) : uint64_t(va_arg(ap, unsigned));
            unsigned base = (*p == u'u') ? 10 : (*p == u'o') ? 8 : 16;
            emit_number(o, sp, v, 0, base, *p != u'x');
            break;
        }
        case u'c': {
            char16_t c = char16_t(va_arg(ap, int));
            put(o, c);
            break;
        }
        case u's': emit_text(o, sp, va_arg(ap, const char16_t*)); break;
        case u'%': put(o, u'%'); break;
        case 0:
            --p;  // a lone '%' at the end: stop at the NUL
            break;
        default:  // unknown conversion: written as it stands
            put(o, u'%');
            put(o, *p);
            break;
        }
    }
    out[o.len] = 0;
    return o.len;
}

size_t text_format(char16_t* out, size_t cap, const char16_t* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    size_t n = text_vformat(out, cap, fmt, ap);
    va_end(ap);
    return n;
}
