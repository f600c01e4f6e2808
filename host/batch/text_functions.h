// The text functions: lengths, parts, words, case, characters, formatting and bases.
#pragma once
#include <string>

#include "host/batch/functions.h"

FunctionOutcome function_len(const std::u16string& args, std::u16string* result);      // @LEN[text]
FunctionOutcome function_left(const std::u16string& args, std::u16string* result);     // @LEFT[n,text]
FunctionOutcome function_right(const std::u16string& args, std::u16string* result);    // @RIGHT[n,text]
FunctionOutcome function_instr(const std::u16string& args, std::u16string* result);    // @INSTR[start,length,text]
FunctionOutcome function_word(const std::u16string& args, std::u16string* result);     // @WORD[n,text]
FunctionOutcome function_words(const std::u16string& args, std::u16string* result);    // @WORDS[text]
FunctionOutcome function_upper(const std::u16string& args, std::u16string* result);    // @UPPER[text]
FunctionOutcome function_lower(const std::u16string& args, std::u16string* result);    // @LOWER[text]
FunctionOutcome function_char(const std::u16string& args, std::u16string* result);     // @CHAR[n]
FunctionOutcome function_ascii(const std::u16string& args, std::u16string* result);    // @ASCII[c]
FunctionOutcome function_format(const std::u16string& args, std::u16string* result);   // @FORMAT[[-][0]width,text]
FunctionOutcome function_convert(const std::u16string& args, std::u16string* result);  // @CONVERT[from,to,value]
