// The shell's own file functions, which batch files use to get the handles that the
// plug-in's functions read and write: @fileopen, @fileclose, @fileseek.
#pragma once
#include <string>

enum FileFunctionOutcome {
    FILE_FUNCTION_UNKNOWN,  // not one of the shell's file functions
    FILE_FUNCTION_DONE,     // result holds the function's text
    FILE_FUNCTION_FAILED,   // reported on standard error; result holds "-1"
};

FileFunctionOutcome run_file_function(const std::u16string& name, const std::u16string& args, std::u16string* result);
// Closes every handle still open from @fileopen.
void close_all_files();
