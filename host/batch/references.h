// The references in a text, checked as the shell will expand them.
#pragma once
#include <string>
#include <vector>

// The refusal when a reference cannot be expanded as written: a function bhsh does not
// serve or a call in a form it does not take, a bracket left open, nesting past the shell's
// limit, a shell's variable bhsh does not serve (unless names_set, the variables SET earlier
// in the script, holds it). Empty when every reference can be.
std::u16string reference_fault(const std::u16string& text, const std::vector<std::u16string>& names_set);
