// The commands that steer the run (GOTO, GOSUB, CALL, QUIT, DO's LEAVE, SETLOCAL, ...), as
// rows of the command table take them; the run carries them out.
#pragma once
#include <string>

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
