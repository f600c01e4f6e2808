// The shell's own file functions, which batch files use to get the handles that the
// plug-in's functions read and write: @fileopen, @fileclose, @fileseek; and @filesize and
// @samefile. A call in a form bhsh does not take stops the run; a failure of the system's
// (a missing file, a folder, a bad handle) is reported on standard error and gives "-1":
// the script's to handle.
#pragma once
#include <string>

#include "host/batch/functions.h"

FunctionOutcome function_fileopen(const std::u16string& args, std::u16string* result);
FunctionOutcome function_fileclose(const std::u16string& args, std::u16string* result);
FunctionOutcome function_fileseek(const std::u16string& args, std::u16string* result);
FunctionOutcome function_filesize(const std::u16string& args, std::u16string* result);
FunctionOutcome function_samefile(const std::u16string& args, std::u16string* result);
// Each refuses a call written out in a form that no expansion could make right.
std::u16string check_fileopen(const std::u16string& written);
std::u16string check_fileclose(const std::u16string& written);
std::u16string check_fileseek(const std::u16string& written);
std::u16string check_filesize(const std::u16string& written);
std::u16string check_samefile(const std::u16string& written);
// Closes every handle still open from @fileopen.
void close_all_files();
