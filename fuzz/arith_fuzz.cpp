// arith_evaluate against a reference evaluator, on an expression the input's bytes build:
// numbers in the three notations and near the range's edges, every operator, signs,
// powers, parentheses, blanks, and now and then a stray token. The reference computes in
// 128 bits, so an overflow shows as a value out of range, never as a wrapped one; both must
// give the same value, or both refuse. The input as text goes to arith_evaluate as well,
// for crashes and sanitizer reports on any text.
#include <string>

#include "fuzz/harness.h"
#include "host/batch/arith.h"

namespace {

typedef __int128 Wide;
typedef unsigned __int128 UWide;
const Wide LOWEST = -(Wide(1) << 63);
const Wide HIGHEST = (Wide(1) << 63) - 1;

// The host refuses nesting past 64 levels; the expressions stay well below it, strays included.
const int MAX_DEPTH = 40;
const int MAX_STRAYS = 4;

std::string wide_text(Wide v) {
    UWide m = v < 0 ? UWide(-(v + 1)) + 1 : UWide(v);
    std::string s;
    do {
        s.insert(s.begin(), char('0' + int(m % 10)));
        m /= 10;
    } while (m);
    return v < 0 ? "-" + s : s;
}

std::string digits_in(UWide v, int base, bool upper) {
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string s;
    do {
        s.insert(s.begin(), set[int(v % base)]);
        v /= base;
    } while (v);
    return s;
}

// Builds the expression. Once the bytes run out every choice reads 0: a plain 0, no more
// operators, so the text always ends.
struct Generator {
    const uint8_t* data;
    size_t size, at = 0;
    int strays = 0;
    std::string text;

    uint8_t next() { return at < size ? data[at++] : 0; }

    UWide wide_from_bytes(int count) {
        UWide v = 0;
        for (int i = 0; i < count; ++i) v = v << 8 | next();
        return v;
    }

    UWide magnitude(int choice) {
        const UWide one = 1;
        switch (choice) {
        case 0: return 0;
        case 1: return 1;
        case 2: return next() % 16;
        case 3: return next();
        case 4: return wide_from_bytes(2);
        case 5: return wide_from_bytes(4);
        case 6: return wide_from_bytes(8);
        case 7: return wide_from_bytes(8) >> (next() % 64);
        case 8: return (one << 31) - 1 + next() % 3;
        case 9: return (one << 32) - 1 + next() % 3;
        case 10: return (one << 63) - 2 + next() % 4;
        case 11: return (one << 64) - 1 + next() % 2;
        case 12: return 3037000499 + next() % 3;  // about the square root of the range
        case 13: return wide_from_bytes(9);
        default: return next() % 64;
        }
    }

    // Blanks, or none, before a token; now and then a stray token that the grammar refuses
    // or that changes what the expression means.
    void token(const std::string& t) {
        static const char* const stray[] = {"(", ")", "*", "-", "+", "/", "%", "v", "0x ", "x", ",", "MOD", "**", "9"};
        uint8_t b = next();
        if (b >= 0xF8 && strays < MAX_STRAYS) {
            ++strays;
            text += stray[b % 14];
        }
        if ((b & 7) == 5) text += ' ';
        if ((b & 7) == 6) text += '\t';
        if ((b & 7) == 7) text += "  ";
        text += t;
    }

    void number() {
        uint8_t how = next();
        UWide v = magnitude(how & 15);
        std::string zeros(how & 0x40 ? next() % 24 : 0, '0');
        bool upper = how & 0x80;
        switch ((how >> 4) & 3) {
        case 2: token((upper ? "0X" : "0x") + zeros + digits_in(v, 16, upper)); break;
        case 3: token((upper ? "0O" : "0o") + zeros + digits_in(v, 8, false)); break;
        default: token(zeros + digits_in(v, 10, false));
        }
    }

    void operand(int depth) {
        uint8_t b = next();
        if (depth < MAX_DEPTH && b % 8 == 7) {
            token("(");
            sum(depth + 1);
            token(")");
        } else if (b == 0xFE) {
            token("name");
        } else {
            number();
        }
    }

    void power(int depth) {
        operand(depth);
        if (depth < MAX_DEPTH && next() % 4 == 3) {
            token("**");
            signed_term(depth + 1);
        }
    }

    void signed_term(int depth) {
        uint8_t b = next();
        if (depth < MAX_DEPTH && b % 4 == 3) {
            token(b & 4 ? "-" : "+");
            signed_term(depth + 1);
        } else {
            power(depth);
        }
    }

    void product(int depth) {
        static const char* const ops[] = {"*", "/", "\\", "%", " MOD ", " mod ", "*", " Mod "};
        signed_term(depth);
        for (int n = next() % 4; n > 0; --n) {
            token(ops[next() % 8]);
            signed_term(depth);
        }
    }

    void sum(int depth) {
        product(depth);
        for (int n = next() % 4; n > 0; --n) {
            token(next() % 2 ? "+" : "-");
            product(depth);
        }
    }
};

bool word_char(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

bool is_mod(const std::string& t) {
    return t.size() == 3 && (t[0] | 0x20) == 'm' && (t[1] | 0x20) == 'o' && (t[2] | 0x20) == 'd';
}

// sum: product {(+|-) product}; product: signed {(*|/|\|MOD|%) signed};
// signed: (+|-) signed | power; power: operand [** signed]; operand: number | ( sum ).
// Any refusal anywhere refuses the whole text.
struct Reference {
    const std::string& s;
    size_t at = 0;
    std::string tok;  // the current token; empty at the end
    bool ok = true;

    void advance() {
        while (at < s.size() && (s[at] == ' ' || s[at] == '\t')) ++at;
        size_t end = at + 1;
        if (at == s.size()) end = at;
        else if (word_char(s[at]))
            while (end < s.size() && word_char(s[end])) ++end;
        else if (s[at] == '*' && end < s.size() && s[end] == '*') ++end;
        tok = s.substr(at, end - at);
        at = end;
    }

    Wide refuse() {
        ok = false;
        return 0;
    }
    Wide in_range(Wide v) { return v < LOWEST || v > HIGHEST ? refuse() : v; }

    Wide number(const std::string& w) {
        int base = 10;
        size_t i = 0;
        if (w.size() > 2 && w[0] == '0' && (w[1] | 0x20) == 'x') base = 16, i = 2;
        else if (w.size() > 2 && w[0] == '0' && (w[1] | 0x20) == 'o') base = 8, i = 2;
        Wide v = 0;
        for (; i < w.size(); ++i) {
            int d = digit_value(w[i]);
            if (d >= base) return refuse();
            v = v * base + d;
            if (v > HIGHEST) return refuse();
        }
        return v;
    }

    Wide operand() {
        if (tok == "(") {
            advance();
            Wide v = sum();
            if (!ok || tok != ")") return refuse();
            advance();
            return v;
        }
        if (tok.empty() || tok[0] < '0' || tok[0] > '9') return refuse();
        Wide v = number(tok);
        advance();
        return v;
    }

    Wide raise(Wide base, Wide exponent) {
        if (exponent < 0) return refuse();
        if (exponent == 0 || base == 1) return 1;
        if (base == 0) return 0;
        if (base == -1) return exponent % 2 ? -1 : 1;
        if (exponent >= 64) return refuse();
        Wide v = 1;
        for (Wide k = 0; k < exponent && ok; ++k) v = in_range(v * base);
        return v;
    }

    Wide power() {
        Wide v = operand();
        if (!ok || tok != "**") return v;
        advance();
        Wide exponent = signed_term();
        return ok ? raise(v, exponent) : 0;
    }

    Wide signed_term() {
        if (tok != "+" && tok != "-") return power();
        bool minus = tok == "-";
        advance();
        Wide v = signed_term();
        return ok && minus ? in_range(-v) : v;
    }

    Wide product() {
        Wide v = signed_term();
        while (ok && (tok == "*" || tok == "/" || tok == "\\" || tok == "%" || is_mod(tok))) {
            std::string op = tok;
            advance();
            Wide r = signed_term();
            if (!ok) break;
            if (op == "*") v = in_range(v * r);
            else if (r == 0) v = refuse();
            else if (op == "/") v = v % r != 0 ? refuse() : in_range(v / r);
            else if (op == "\\") v = in_range(v / r);
            else v = v % r;
        }
        return v;
    }

    Wide sum() {
        Wide v = product();
        while (ok && (tok == "+" || tok == "-")) {
            bool plus = tok == "+";
            advance();
            Wide r = product();
            if (ok) v = in_range(plus ? v + r : v - r);
        }
        return v;
    }

    Wide evaluate() {
        advance();
        if (tok.empty()) return refuse();
        Wide v = sum();
        if (ok && !tok.empty()) return refuse();
        return v;
    }
};

std::u16string ascii_text(const std::string& s) { return std::u16string(s.begin(), s.end()); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    harness_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Generator g{data, size};
    g.sum(0);
    Reference ref{g.text};
    Wide want = ref.evaluate();

    int64_t got = 0;
    std::u16string message;
    bool ok = arith_evaluate(ascii_text(g.text), nullptr, &got, &message);
    std::string ctx = "expression " + shown(ascii_text(g.text)) + "\ngot " + (ok ? std::to_string(got) : "refusal") +
                      ", want " + (ref.ok ? wide_text(want) : "refusal");
    FUZZ_CHECK(ok == ref.ok, ctx);
    FUZZ_CHECK(!ok || got == want, ctx);
    FUZZ_CHECK(ok || !message.empty(), ctx);
    trace(ctx);

    std::u16string raw = fuzz_text_all(data, size);
    message.clear();
    ok = arith_evaluate(raw, nullptr, &got, &message);
    FUZZ_CHECK(ok || !message.empty(), "text " + shown(raw) + "\nrefused without a message");
    return 0;
}
