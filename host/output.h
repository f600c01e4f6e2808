// The host's output: standard output and error lines, written through the same writer as
// the plug-in's own output (the stand-in shell's), so that the two stay in order and share
// its line ends.
#pragma once
#include <string>

// Text to standard output as it stands.
void write_out(const std::u16string& text);
// One line to standard output, ended with CR LF as the shell ends its lines.
void write_out_line(const std::u16string& text);
// One error line: "bhsh: ", the batch file and line when one is running, the message, CR LF.
void write_error_line(const std::u16string& message);

// The exit code of a run whose output could no longer be written, and of one whose
// reader has gone: 128 + SIGPIPE, as a Unix shell reports a tool that SIGPIPE ended.
const int EXIT_OUTPUT_LOST = 1;
const int EXIT_READER_GONE = 141;

// Standard output written a line at a time while it is a terminal, where someone watches
// each line come, and a buffer at a time otherwise: call it whenever the stream may change.
void follow_standard_output();

// Whether a write to standard output or error has failed. A reader that has gone (a broken
// pipe) ends the process here at once with EXIT_READER_GONE, saying nothing: it wants no
// more, and a Unix tool ends so. Any other failure is said once, on the other stream.
bool handle_output_failure();
// Before the process ends: writes what standard output has gathered and gives the exit
// code, EXIT_OUTPUT_LOST when that last write is the first to fail.
int finish_output(int code);

// Where the batch file being run stands, for error lines; line 0 means no batch file.
void error_location_set(const std::u16string& batch_name, long line);

std::u16string to_u16(const std::u16string& s);
std::u16string to_u16(const char16_t* s);
std::u16string to_u16(const std::string& ascii);

// How much of a faulty text a message quotes.
const size_t QUOTE_MAX = 60;
// s from from on, cut to QUOTE_MAX characters with "..." after a cut.
std::u16string quoted_part(const std::u16string& s, size_t from);

// The format with each "%s" replaced by the next argument, in order.
std::u16string substitute(const char16_t* format, const std::u16string* args, size_t count);

template <typename... Args>
std::u16string text_of(const char16_t* format, const Args&... args) {
    const std::u16string list[] = {std::u16string(), to_u16(args)...};
    return substitute(format, list + 1, sizeof...(Args));
}
