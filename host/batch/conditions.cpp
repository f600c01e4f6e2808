#include "host/batch/conditions.h"

#include "host/batch/expand.h"
#include "host/batch/stop.h"
#include "host/messages.h"
#include "host/output.h"
#include "host/scan.h"
#include "host/system.h"
#include "host/words.h"
#include "shell/shell_host.h"
#include "text/chars.h"

namespace {

struct Comparison {
    const char16_t* name;
    bool (*holds)(int64_t a, int64_t b);
};
const Comparison comparisons[] = {
    {u"eq", [](int64_t a, int64_t b) { return a == b; }}, {u"ne", [](int64_t a, int64_t b) { return a != b; }},
    {u"lt", [](int64_t a, int64_t b) { return a < b; }},  {u"le", [](int64_t a, int64_t b) { return a <= b; }},
    {u"gt", [](int64_t a, int64_t b) { return a > b; }},  {u"ge", [](int64_t a, int64_t b) { return a >= b; }},
};

struct OneOperand {
    const char16_t* name;
    TestKind kind;
};
const OneOperand one_operand_tests[] = {
    {u"defined", TEST_DEFINED}, {u"exist", TEST_EXIST}, {u"isdir", TEST_ISDIR}, {u"errorlevel", TEST_ERRORLEVEL}};

struct JoinerName {
    const char16_t* name;
    Joiner joiner;
};
const JoinerName joiners[] = {{u".and.", JOIN_AND}, {u".or.", JOIN_OR}, {u".xor.", JOIN_XOR}};

// Takes the keyword at i when it stands there as a whole word, followed by a blank or the end.
bool take_keyword(const std::u16string& s, size_t* i, const char16_t* word) {
    std::u16string w(word);
    size_t n = w.size();
    if (*i + n > s.size() || !equal_nocase(s.substr(*i, n), w)) return false;
    if (*i + n < s.size() && !text_is_space(s[*i + n])) return false;
    *i += n;
    skip_blanks(s, i);
    return true;
}

bool at_operator(const std::u16string& s, size_t k) {
    return k + 1 < s.size() && (s[k] == u'=' || s[k] == u'!') && s[k + 1] == u'=';
}

// An operand as written: a quoted text (its quotes kept: the shell compares them too) or a
// word, in which quotes are text; a function's brackets may hold blanks. A bracket that opens
// no reference is text, as @IF's operands, already expanded, hold brackets of values.
bool scan_operand(const std::u16string& s, size_t* i, std::u16string* operand, std::u16string* message) {
    size_t start = *i, k = *i;
    if (k < s.size() && s[k] == u'"') {
        ScanUnit quoted = scan_unit(s, k, SCAN_WRITTEN);
        *operand = s.substr(start, quoted.end - start);
        *i = quoted.end;
        return quoted.closed || (*message = text_of(MSG_UNCLOSED_QUOTE, operand->substr(0, QUOTE_MAX)), false);
    }
    const ScanRules word = {false, true, false};
    bool closed = true;
    while (closed && k < s.size() && !text_is_space(s[k]) && !at_operator(s, k)) {
        ScanUnit unit = scan_unit(s, k, word);
        closed = unit.closed;
        k = unit.end;
    }
    *operand = s.substr(start, k - start);
    *i = k;
    return closed || (*message = text_of(MSG_UNCLOSED_BRACKET, operand->substr(0, QUOTE_MAX)), false);
}

bool read_test(const std::u16string& s, size_t* i, Test* t, std::u16string* message) {
    t->negate = take_keyword(s, i, u"not");
    for (const OneOperand& o : one_operand_tests)
        if (take_keyword(s, i, o.name)) {
            t->kind = o.kind;
            if (!scan_operand(s, i, &t->left, message)) return false;
            return !t->left.empty() || (*message = MSG_IF_SYNTAX, false);
        }
    if (!scan_operand(s, i, &t->left, message)) return false;
    skip_blanks(s, i);
    if (at_operator(s, *i)) {
        t->kind = s[*i] == u'=' ? TEST_EQUAL : TEST_NOT_EQUAL;
        *i += 2;
        skip_blanks(s, i);
    } else {
        t->kind = TEST_NUMERIC;
        t->comparison = -1;
        for (size_t c = 0; c < sizeof comparisons / sizeof comparisons[0] && t->comparison < 0; ++c)
            if (take_keyword(s, i, comparisons[c].name)) t->comparison = int(c);
        if (t->comparison < 0) return *message = MSG_IF_SYNTAX, false;
    }
    if (!scan_operand(s, i, &t->right, message)) return false;
    if (t->left.empty() || t->right.empty()) return *message = MSG_IF_SYNTAX, false;
    return true;
}

bool quote_left_open(const std::u16string& s, size_t from) {
    for (size_t k = from; k < s.size();) {
        ScanUnit unit = scan_unit(s, k, SCAN_WRITTEN);
        if (unit.kind == UNIT_QUOTE && !unit.closed) return true;
        k = unit.end;
    }
    return false;
}

// A test that fits no form where a quote is left open is told as the quote: the quotes
// paired from the left end in the wrong places ("if "abc == "abc" ...").
bool parse_test(const std::u16string& s, size_t* i, Test* t, std::u16string* message) {
    size_t start = *i;
    if (read_test(s, i, t, message)) return true;
    if (*message == MSG_IF_SYNTAX && quote_left_open(s, start))
        *message = text_of(MSG_UNCLOSED_QUOTE, quoted_part(s, start));
    return false;
}

bool is_defined(const std::u16string& name) {
    if (name.empty()) return false;
    if (shell_get_internal(name.c_str())) return true;
    char16_t probe[2];
    bool set = false;
    shell_get_variable(name.c_str(), probe, 2, &set);
    return set;
}

bool number_operand(const std::u16string& text, int64_t* value, std::u16string* message) {
    if (parse_number(trim(text), value)) return true;
    *message = text_of(MSG_BAD_NUMBER, trim(text));
    return false;
}

int64_t last_status() {
    const char16_t* s = shell_get_internal(u"?");
    int64_t v = 0;
    return s && parse_number(s, &v) ? v : 0;
}

// expanded: the operands are final already (@IF's arguments). A stop's message is left
// empty when the expansion has reported it.
TestOutcome test_one(const Test& t, bool expanded, std::u16string* message) {
    std::u16string left, right;
    const std::u16string* a = &t.left;
    const std::u16string* b = &t.right;
    if (!expanded) {
        if (!expand_text(t.left, &left) || (!t.right.empty() && !expand_text(t.right, &right))) return TEST_STOP;
        a = &left;
        b = &right;
    }
    bool holds = false;
    int64_t x, y;
    switch (t.kind) {
    case TEST_EQUAL: holds = equal_nocase(*a, *b); break;
    case TEST_NOT_EQUAL: holds = !equal_nocase(*a, *b); break;
    case TEST_NUMERIC:
        if (!number_operand(*a, &x, message) || !number_operand(*b, &y, message)) return TEST_STOP;
        holds = comparisons[t.comparison].holds(x, y);
        break;
    case TEST_DEFINED: holds = is_defined(trim(*a)); break;
    case TEST_EXIST: holds = system_path_kind(unquoted(trim(*a))) != PATH_NONE; break;
    case TEST_ISDIR: holds = system_path_kind(unquoted(trim(*a))) == PATH_FOLDER; break;
    case TEST_ERRORLEVEL:
        if (!number_operand(*a, &x, message)) return TEST_STOP;
        holds = last_status() >= x;
        break;
    }
    return holds != t.negate ? TEST_TRUE : TEST_FALSE;
}

// Left to right; a test whose outcome cannot change the result is not run, so that
// "defined N .and. %N GT 3" never compares an unset N.
TestOutcome test_all(const Condition& condition, bool expanded, std::u16string* message) {
    bool result = false;
    for (const Test& t : condition.tests) {
        if ((t.joiner == JOIN_AND && !result) || (t.joiner == JOIN_OR && result)) continue;
        TestOutcome o = test_one(t, expanded, message);
        if (o == TEST_STOP) return o;
        bool v = o == TEST_TRUE;
        result = t.joiner == JOIN_XOR ? result != v : v;
    }
    return result ? TEST_TRUE : TEST_FALSE;
}

}  // namespace

bool parse_condition(const std::u16string& s, size_t* i, Condition* condition, std::u16string* message) {
    condition->tests.clear();
    Joiner joiner = JOIN_NONE;
    for (;;) {
        skip_blanks(s, i);
        Test t{};
        t.joiner = joiner;
        if (!parse_test(s, i, &t, message)) return false;
        condition->tests.push_back(t);
        skip_blanks(s, i);
        joiner = JOIN_NONE;
        for (const JoinerName& j : joiners)
            if (joiner == JOIN_NONE && take_keyword(s, i, j.name)) joiner = j.joiner;
        if (joiner == JOIN_NONE) return true;
    }
}

void condition_texts(const Condition& condition, std::vector<const std::u16string*>* texts) {
    for (const Test& t : condition.tests) {
        texts->push_back(&t.left);
        texts->push_back(&t.right);
    }
}

TestOutcome test_condition(const Condition& condition) {
    std::u16string message;
    TestOutcome o = test_all(condition, false, &message);
    if (o == TEST_STOP && !message.empty()) stop_run(message);
    return o;
}

FunctionOutcome function_if(const std::u16string& args, std::u16string* result) {
    std::vector<std::u16string> parts = scan_commas(args, SCAN_WRITTEN, 3);
    Condition condition;
    std::u16string message;
    size_t i = 0;
    if (parts.size() != 3 || !parse_condition(parts[0], &i, &condition, &message) ||
        (skip_blanks(parts[0], &i), i != parts[0].size())) {
        *result = message.empty() ? std::u16string(MSG_AT_IF_SYNTAX) : message;
        return FUNCTION_STOP;
    }
    TestOutcome o = test_all(condition, true, result);
    if (o == TEST_STOP) return FUNCTION_STOP;
    *result = trim(parts[o == TEST_TRUE ? 1 : 2]);
    return FUNCTION_DONE;
}
