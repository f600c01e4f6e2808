// Whole-number arithmetic of @EVAL and SET /A: 64-bit signed, refused rather than wrapped
// or rounded.
#pragma once
#include <stdint.h>

#include <string>

#include "host/batch/functions.h"

// Where a bare name in an expression gets its value (SET /A); null: bare names are refused.
// Returns false, with a message, when the variable holds no number.
typedef bool (*ArithVariable)(const std::u16string& name, int64_t* value, std::u16string* message);

// Evaluates text. False with a message saying what is wrong ("not a whole number", division
// by zero, out of range, a construct that is not arithmetic).
bool arith_evaluate(const std::u16string& text, ArithVariable variables, int64_t* value, std::u16string* message);

// @EVAL[EXPRESSION]
FunctionOutcome function_eval(const std::u16string& args, std::u16string* result);
// @NUMERIC[TEXT]: 1 when the text is a whole number in the host's syntax, else 0, so that a
// script can test a number before it computes with it.
FunctionOutcome function_numeric(const std::u16string& args, std::u16string* result);
// The check of @EVAL as written: refuses what bhsh does not take, such as a "=h" suffix.
std::u16string check_eval(const std::u16string& written_args);
