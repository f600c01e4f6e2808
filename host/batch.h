// The batch language of the host: a small subset of the shell's, run line by line.
#pragma once
#include <string>
#include <vector>

// Registers the shell's internal variables and the expansion handlers. transient: the host
// runs one thing and ends (a script or -c); pipe: standard input is no terminal.
void batch_setup(bool transient, bool pipe);

// Each returns the host's exit code: the last line's status, or the number given to quit.
int run_script(const std::u16string& path, const std::vector<std::u16string>& args);
int run_one_line(const std::u16string& line);
// Lines from standard input until its end or exit/quit; with a prompt before each when asked.
int run_input(bool prompt);
