// The run: bhsh's entry points into the batch language, for main.
#pragma once
#include <string>
#include <vector>

// Registers the shell's internal variables and the expansion handlers. transient: the host
// runs one thing and ends (a script or -c); pipe: standard input is no terminal.
void batch_setup(bool transient, bool pipe);

// Each returns the host's exit code: the last command's status, or the code of QUIT,
// CANCEL or EXIT; 1 when the run was stopped, 130 when Ctrl-C ended it.
int run_script(const std::u16string& path, const std::vector<std::u16string>& args);
int run_one_line(const std::u16string& line);
// Standard input: read whole and run as a script when it is no terminal; line by line,
// each with a prompt, at a terminal.
int run_input(bool terminal);
