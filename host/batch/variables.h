// The shell's internal variables that bhsh works out when a script reads them (the current
// folder, the date and time, the status under its compatible name), and the parts of a path
// that %~ names. A variable of the script's own of the same name comes first.
#pragma once

#include <string>

// Hands the shell the handlers for both.
void variables_setup();
// Whether the name is one of the shell's internal variables that bhsh does not serve: a
// script that reads one is refused rather than handed an empty value.
bool variable_unserved(const std::u16string& name);
