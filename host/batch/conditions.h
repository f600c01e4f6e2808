// Conditions of IF, IFF, DO WHILE and UNTIL, and @IF: read from the text as written,
// expanded and tested when the run reaches them.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

#include "host/batch/functions.h"

enum TestKind {
    TEST_EQUAL,       // ==, without regard to case
    TEST_NOT_EQUAL,   // !=
    TEST_NUMERIC,     // EQ NE LT LE GT GE
    TEST_DEFINED,     // DEFINED name
    TEST_EXIST,       // EXIST path
    TEST_ISDIR,       // ISDIR path
    TEST_ERRORLEVEL,  // ERRORLEVEL n: %? at least n
};

enum Joiner { JOIN_NONE, JOIN_AND, JOIN_OR, JOIN_XOR };

struct Test {
    bool negate;
    TestKind kind;
    int comparison;              // TEST_NUMERIC: which one
    Joiner joiner;               // how it joins the tests before it (JOIN_NONE for the first)
    std::u16string left, right;  // as written; a one-operand test uses left
};

struct Condition {
    std::vector<Test> tests;  // taken left to right; empty: none (an IFF's ELSE)
};

// Reads a condition from s at *i. It ends before the first word that cannot continue it
// (a command, THEN, a '('), or at the end. False with a message when it fits no form.
bool parse_condition(const std::u16string& s, size_t* i, Condition* condition, std::u16string* message);

// Each text the condition will expand, for the check of functions.
void condition_texts(const Condition& condition, std::vector<const std::u16string*>* texts);

enum TestOutcome { TEST_FALSE, TEST_TRUE, TEST_STOP };
// Expands and tests; TEST_STOP when it cannot be decided (reported through the run's stop).
TestOutcome test_condition(const Condition& condition);

// @IF[condition,then,else]
FunctionOutcome function_if(const std::u16string& args, std::u16string* result);
