// Where scripts come from: batch files, standard input read whole, typed lines.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

// A script's lines from its bytes: UTF-8 (with or without its mark), or UTF-16 with its
// mark; lines end in LF, CR LF or CR alone, as each system's editors leave them.
std::vector<std::u16string> script_lines(const std::string& bytes);

// All of standard input, at most max bytes; false when there is more.
bool read_whole_input(size_t max, std::string* bytes);

// One typed line without its line break; false at the end of input. too_long: the line
// was longer than bhsh takes, and the rest of it was dropped. interrupted: Ctrl-C came
// while bhsh waited, and what there was of the line was dropped.
bool read_typed_line(std::u16string* line, bool* too_long, bool* interrupted);
// The longest typed line bhsh takes, in bytes.
size_t typed_line_max();
