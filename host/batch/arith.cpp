// A recursive descent over the expression, one function a level of binding:
//   sum:     product { (+ | -) product }
//   product: signed { (* | / | \ | MOD | %) signed }
//   signed:  (+ | -) signed | power
//   power:   operand [ ** signed ]      (right-associative, tighter than a sign: -2**2 is -4)
//   operand: number | name | ( sum )
// Every step is checked for overflow: a batch file that computes an offset must never get a
// wrapped one.
#include "host/batch/arith.h"

#include "host/messages.h"
#include "host/output.h"
#include "host/words.h"
#include "text/chars.h"

namespace {

// Parentheses, signs and powers nest by recursion; this bounds the stack any text can take.
const int MAX_NESTING = 64;

enum TokenKind {
    TOKEN_END,
    TOKEN_NUMBER,
    TOKEN_NAME,
    TOKEN_PLUS,
    TOKEN_MINUS,
    TOKEN_TIMES,
    TOKEN_DIVIDE,        // '/': only a whole quotient
    TOKEN_WHOLE_DIVIDE,  // '\': the quotient truncated toward zero
    TOKEN_MOD,           // MOD or '%', which a batch file writes "%%"
    TOKEN_POWER,
    TOKEN_OPEN,
    TOKEN_CLOSE,
    TOKEN_OTHER,
};

struct Token {
    TokenKind kind;
    size_t begin, end;  // where it stands in the text
};

struct Parser {
    const std::u16string& text;
    ArithVariable variables;
    size_t next;  // where the token after the current one begins to be looked for
    Token token;
    std::u16string* message;
};

bool is_word_unit(char16_t c) { return text_is_alpha(c) || text_is_digit(c) || c == u'_'; }

TokenKind symbol_kind(char16_t c) {
    switch (c) {
    case u'+': return TOKEN_PLUS;
    case u'-': return TOKEN_MINUS;
    case u'*': return TOKEN_TIMES;
    case u'/': return TOKEN_DIVIDE;
    case u'\\': return TOKEN_WHOLE_DIVIDE;
    case u'%': return TOKEN_MOD;
    case u'(': return TOKEN_OPEN;
    case u')': return TOKEN_CLOSE;
    default: return TOKEN_OTHER;
    }
}

Token read_token(const std::u16string& s, size_t at) {
    skip_blanks(s, &at);
    if (at == s.size()) return Token{TOKEN_END, at, at};
    size_t end = at + 1;
    if (is_word_unit(s[at])) {
        // A number is read whole, letters and all, so that 0x2C is one and 12abc is refused.
        while (end < s.size() && is_word_unit(s[end])) ++end;
        if (text_is_digit(s[at])) return Token{TOKEN_NUMBER, at, end};
        return Token{equal_nocase(s.substr(at, end - at), u"MOD") ? TOKEN_MOD : TOKEN_NAME, at, end};
    }
    if (s[at] == u'*' && end < s.size() && s[end] == u'*') return Token{TOKEN_POWER, at, end + 1};
    return Token{symbol_kind(s[at]), at, end};
}

void advance(Parser& p) {
    p.token = read_token(p.text, p.next);
    p.next = p.token.end;
}

std::u16string token_text(const Parser& p) { return p.text.substr(p.token.begin, p.token.end - p.token.begin); }

bool refuse(Parser& p, const std::u16string& message) {
    *p.message = message;
    return false;
}

bool refuse_not_arithmetic(Parser& p) { return refuse(p, text_of(MSG_ARITH_NOT_ARITHMETIC, token_text(p), p.text)); }

// Where an operand should stand.
bool refuse_missing_operand(Parser& p) {
    if (p.token.kind == TOKEN_END) return refuse(p, text_of(MSG_ARITH_NUMBER_AT_END, p.text));
    if (p.token.kind == TOKEN_OTHER) return refuse_not_arithmetic(p);
    return refuse(p, text_of(MSG_ARITH_NUMBER_BEFORE, token_text(p), p.text));
}

// Where an operator, or the end of the text or of a parenthesis, should stand.
bool refuse_missing_operator(Parser& p, bool in_parentheses) {
    if (p.token.kind == TOKEN_END) return refuse(p, text_of(MSG_ARITH_UNCLOSED, p.text));
    if (p.token.kind == TOKEN_OTHER) return refuse_not_arithmetic(p);
    if (p.token.kind == TOKEN_CLOSE && !in_parentheses) return refuse(p, text_of(MSG_ARITH_UNOPENED, p.text));
    return refuse(p, text_of(MSG_ARITH_OPERATOR_BEFORE, token_text(p), p.text));
}

std::u16string operation_text(int64_t a, const char16_t* op, int64_t b) {
    return number_text(a) + u" " + op + u" " + number_text(b);
}

bool refuse_range(Parser& p, const std::u16string& what) { return refuse(p, text_of(MSG_ARITH_RANGE, what)); }

bool read_number(Parser& p, int64_t* value) {
    std::u16string word = token_text(p);
    if (parse_number(word, value)) return true;
    for (char16_t c : word)
        if (!text_is_digit(c)) return refuse(p, text_of(MSG_BAD_NUMBER, word));
    return refuse_range(p, word);
}

bool read_variable(Parser& p, int64_t* value) {
    if (!p.variables) return refuse(p, text_of(MSG_BAD_NUMBER, token_text(p)));
    return p.variables(token_text(p), value, p.message);
}

bool parse_sum(Parser& p, int depth, int64_t* value);
bool parse_signed(Parser& p, int depth, int64_t* value);

bool parse_parenthesised(Parser& p, int depth, int64_t* value) {
    advance(p);
    if (!parse_sum(p, depth + 1, value)) return false;
    if (p.token.kind != TOKEN_CLOSE) return refuse_missing_operator(p, true);
    advance(p);
    return true;
}

bool parse_operand(Parser& p, int depth, int64_t* value) {
    if (p.token.kind == TOKEN_OPEN) return parse_parenthesised(p, depth, value);
    bool found;
    if (p.token.kind == TOKEN_NUMBER) found = read_number(p, value);
    else if (p.token.kind == TOKEN_NAME) found = read_variable(p, value);
    else return refuse_missing_operand(p);
    if (found) advance(p);
    return found;
}

// Squaring only while exponent bits remain, so no step overflows unless the result does.
bool raise(int64_t base, int64_t exponent, int64_t* value) {
    int64_t result = 1;
    while (exponent > 0) {
        if ((exponent & 1) && __builtin_mul_overflow(result, base, &result)) return false;
        exponent >>= 1;
        if (exponent > 0 && __builtin_mul_overflow(base, base, &base)) return false;
    }
    *value = result;
    return true;
}

bool parse_power(Parser& p, int depth, int64_t* value) {
    if (!parse_operand(p, depth, value)) return false;
    if (p.token.kind != TOKEN_POWER) return true;
    advance(p);
    int64_t exponent;
    if (!parse_signed(p, depth + 1, &exponent)) return false;
    std::u16string what = operation_text(*value, u"**", exponent);
    if (exponent < 0) return refuse(p, text_of(MSG_ARITH_NEGATIVE_POWER, what));
    if (!raise(*value, exponent, value)) return refuse_range(p, what);
    return true;
}

bool parse_signed(Parser& p, int depth, int64_t* value) {
    if (depth > MAX_NESTING) return refuse(p, text_of(MSG_ARITH_TOO_DEEP, std::to_string(MAX_NESTING), p.text));
    TokenKind sign = p.token.kind;
    if (sign != TOKEN_PLUS && sign != TOKEN_MINUS) return parse_power(p, depth, value);
    advance(p);
    if (!parse_signed(p, depth + 1, value)) return false;
    if (sign == TOKEN_PLUS) return true;
    if (*value == INT64_MIN) return refuse_range(p, u"-(" + number_text(*value) + u")");
    *value = -*value;
    return true;
}

bool divide(Parser& p, TokenKind op, int64_t a, int64_t b, int64_t* value) {
    const char16_t* name = op == TOKEN_DIVIDE ? u"/" : op == TOKEN_WHOLE_DIVIDE ? u"\\" : u"MOD";
    std::u16string what = operation_text(a, name, b);
    if (b == 0) return refuse(p, text_of(MSG_ARITH_DIVISION_BY_ZERO, what));
    if (op == TOKEN_MOD) {
        // Every number divides by -1 with nothing left, yet INT64_MIN % -1 traps on the machine.
        *value = b == -1 ? 0 : a % b;
        return true;
    }
    // The one quotient beyond the range.
    if (a == INT64_MIN && b == -1) return refuse_range(p, what);
    if (op == TOKEN_DIVIDE && a % b != 0) return refuse(p, text_of(MSG_ARITH_NOT_WHOLE, what));
    *value = a / b;
    return true;
}

bool is_product_operator(TokenKind k) {
    return k == TOKEN_TIMES || k == TOKEN_DIVIDE || k == TOKEN_WHOLE_DIVIDE || k == TOKEN_MOD;
}

bool parse_product(Parser& p, int depth, int64_t* value) {
    if (!parse_signed(p, depth, value)) return false;
    while (is_product_operator(p.token.kind)) {
        TokenKind op = p.token.kind;
        advance(p);
        int64_t right;
        if (!parse_signed(p, depth, &right)) return false;
        int64_t left = *value;
        if (op != TOKEN_TIMES) {
            if (!divide(p, op, left, right, value)) return false;
        } else if (__builtin_mul_overflow(left, right, value)) {
            return refuse_range(p, operation_text(left, u"*", right));
        }
    }
    return true;
}

bool parse_sum(Parser& p, int depth, int64_t* value) {
    if (!parse_product(p, depth, value)) return false;
    while (p.token.kind == TOKEN_PLUS || p.token.kind == TOKEN_MINUS) {
        bool plus = p.token.kind == TOKEN_PLUS;
        advance(p);
        int64_t right, left = *value;
        if (!parse_product(p, depth, &right)) return false;
        if (plus ? __builtin_add_overflow(left, right, value) : __builtin_sub_overflow(left, right, value))
            return refuse_range(p, operation_text(left, plus ? u"+" : u"-", right));
    }
    return true;
}

}  // namespace

bool arith_evaluate(const std::u16string& text, ArithVariable variables, int64_t* value, std::u16string* message) {
    Parser p{text, variables, 0, Token{TOKEN_END, 0, 0}, message};
    advance(p);
    if (p.token.kind == TOKEN_END) return refuse(p, MSG_ARITH_EMPTY);
    if (!parse_sum(p, 0, value)) return false;
    if (p.token.kind != TOKEN_END) return refuse_missing_operator(p, false);
    return true;
}

FunctionOutcome function_eval(const std::u16string& args, std::u16string* result) {
    int64_t value;
    if (!arith_evaluate(args, nullptr, &value, result)) return FUNCTION_STOP;
    *result = number_text(value);
    return FUNCTION_DONE;
}

std::u16string check_eval(const std::u16string& written_args) {
    size_t equals = written_args.find(u'=');
    if (equals == std::u16string::npos) return std::u16string();
    return text_of(MSG_EVAL_EQUALS, trim(written_args.substr(equals)));
}

FunctionOutcome function_numeric(const std::u16string& args, std::u16string* result) {
    int64_t value;
    *result = parse_number(trim(args), &value) ? u"1" : u"0";
    return FUNCTION_DONE;
}
