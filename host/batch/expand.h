// Expansion of a command's text when the run reaches it: variables through the stand-in
// shell, variable functions through bhsh's table or the plug-in.
#pragma once
#include <string>

// Whether a text holds anything expansion would change: until the run, its value is unknown.
inline bool has_expansion(const std::u16string& s) { return s.find(u'%') != std::u16string::npos; }
// The value of an environment variable as expansion would give it: false when it is not set,
// or too long for any line to hold.
bool variable_value(const std::u16string& name, std::u16string* value);
// Hands the shell the handlers for functions and faults.
void expansion_setup();
// Expands in into out. False when the run must stop (already reported): a function that
// cannot be carried out, a line too long once expanded.
bool expand_text(const std::u16string& in, std::u16string* out);
// The failure code of the first variable function that failed since the last call (the
// script's to handle: it goes on), or 0; cleared.
int expansion_take_failure();
