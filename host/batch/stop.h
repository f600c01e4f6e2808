// A run that cannot go on. Expansion, conditions, functions and commands sit below the run
// and stop it through here; the run, which knows its streams and its status, hands in how.
// A stop is never thrown: it is reached from inside the stand-in shell's expander and under
// the plug-in's calls, and no exception may cross either. Whoever stops returns its own
// failure, and the run ends every batch file when the command is over.
#pragma once
#include <string>

typedef void (*StopReport)(const std::u16string& message);

// Ends every batch file (status 1); the message names the file and line being run.
void stop_run(const std::u16string& message);
// The run's way to report a stop. Until one is handed in, the message alone is written.
void stop_report_set(StopReport report);
