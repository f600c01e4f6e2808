// The files a DO's list names, as the shell matches them.
#pragma once
#include <string>
#include <vector>

// The files a name stands for: itself when it is a file; with wildcards ('*' any run of
// characters, '?' any one), the matching files of its folder, sorted without regard to case,
// the folder part as written.
void matching_files(const std::u16string& pattern, std::vector<std::u16string>* files);
