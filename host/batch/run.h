// The run: bhsh's entry points into the batch language, the walk of a script's tree, and
// the commands that steer it (GOTO, GOSUB, CALL, QUIT, DO's LEAVE, SETLOCAL, ...).
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

// Ends every batch file: the message names the file and line being run; status 1.
void stop_run(const std::u16string& message);

// The status a command returns when it leaves %? as it was.
const int KEEP_STATUS = -2147483647 - 1;

// The commands that steer the run, as rows of the command table take them.
int command_goto(const std::u16string& line, const std::u16string& rest);
int command_gosub(const std::u16string& line, const std::u16string& rest);
int command_return(const std::u16string& line, const std::u16string& rest);
int command_call(const std::u16string& line, const std::u16string& rest);
int command_quit(const std::u16string& line, const std::u16string& rest);
int command_cancel(const std::u16string& line, const std::u16string& rest);
int command_exit(const std::u16string& line, const std::u16string& rest);
int command_leave(const std::u16string& line, const std::u16string& rest);
int command_iterate(const std::u16string& line, const std::u16string& rest);
int command_setlocal(const std::u16string& line, const std::u16string& rest);
int command_endlocal(const std::u16string& line, const std::u16string& rest);
int command_shift(const std::u16string& line, const std::u16string& rest);
