// INC and DEC: one routine that adds or subtracts one in an environment variable.
#pragma once
#include <stdint.h>

// Exit codes of the two commands; a null argument text gives RESULT_NULL_ARGUMENT (87).
enum : int { INCDEC_OK = 0, INCDEC_BAD_COMMAND_LINE = 1, INCDEC_VARIABLE_FAILED = 2 };

// The shared body of inc (decrement 0) and dec (decrement 1).
int RunIncDec(const char16_t* text, int decrement);
