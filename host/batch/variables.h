// The shell's internal variables that bhsh works out when a script reads them (the current
// folder, the date and time, the status under its compatible name), and the parts of a path
// that %~ names. A variable of the script's own of the same name comes first.
#pragma once

// Hands the shell the handlers for both.
void variables_setup();
