// What every fuzz target shares: turning fuzz bytes into text, exact-capacity buffers,
// a capture of standard error around one call, and the set of handles the file
// functions are given.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>

// Text from fuzz bytes, read as UTF-8. A byte that is no part of a well-formed sequence
// stands for the character of the same number (a lone 0xA0 is U+00A0), and encoded
// surrogates are kept as lone surrogates, so every byte string means some text. Reading
// stops after a NUL byte or at the end; *used receives the bytes taken, the NUL included.
std::u16string fuzz_text(const uint8_t* data, size_t size, size_t* used);
// All the bytes as text, as fuzz_text reads them, a NUL byte kept as a NUL character.
std::u16string fuzz_text_all(const uint8_t* data, size_t size);

// A heap block of exactly cap characters: text (cut to cap - 1 characters), a NUL, and a
// pattern in the remaining cells. Nothing lies after it, so a write one cell too far is
// an AddressSanitizer report.
char16_t* exact_buffer(size_t cap, const std::u16string& text);
void exact_free(char16_t* buffer);

// Once, from LLVMFuzzerInitialize: standard input and output to /dev/null, sanitizer
// reports to the real standard error.
void harness_init();

// Standard error goes to a memory file between these two calls; capture_end returns
// what was written there (UTF-8, as the platform writes it).
void capture_begin();
std::string capture_end();

// A wrong result: prints what failed and aborts, which libFuzzer records as a crash.
[[noreturn]] void finding(const char* check, const std::string& detail);
#define FUZZ_CHECK(cond, detail)               \
    do {                                       \
        if (!(cond)) finding(#cond, (detail)); \
    } while (0)

// UTF-8 as the platform writes text to standard output and error.
std::string utf8(const std::u16string& s);
std::string utf8(const char16_t* s);

// With BH_FUZZ_TRACE set in the environment, a target says what each input did (one line
// on the real standard error): the way to see what a seed reaches.
bool tracing();
void trace(const std::string& line);
// Printable form of fuzz text for findings: non-ASCII and control characters as \uXXXX.
std::string shown(const std::u16string& s);

// Error reports as the plug-in writes them. In batch mode the shell says a batch file
// runs, with a name that holds printf directives, so the prefix carries its location.
void batch_mode(bool on);
std::string report_prefix();

// The handles a file function may be given. A fuzz text names them as %0 to %6, and
// substitute_handles writes their numbers in, as the shell expands %h in a batch file.
enum FuzzHandle {
    H_DATA,        // a memory file holding the bytes the input asks for, read and write
    H_FULL,        // /dev/full: reads give zeros, writes fail with "disk full"
    H_READ_ONLY,   // a file opened for reading only
    H_WRITE_ONLY,  // a file opened for writing only
    H_PIPE_READ,   // the read end of an empty pipe, non-blocking
    H_CLOSED,      // a descriptor number that is not open
    H_PIPE_WRITE,  // the write end of that pipe, non-blocking
    H_COUNT
};
void handles_open();
// Brings every handle back to its starting state: the data file holds length bytes made
// by repeating pattern (zeros when it is empty), every position at 0, the pipe empty.
void handles_reset(const uint8_t* pattern, size_t pattern_len, size_t length);
int handle_fd(int which);
// The bytes of the read-only file.
std::string read_only_content();
std::u16string substitute_handles(const std::u16string& text);
// Whether a file function may be let loose on this handle number: one of the harness's
// handles, standard input, output or error, a number that is not open, or one too large
// for a descriptor. Descriptors that the fuzzer and the sanitizers open for themselves
// (pipes among them, where a read would wait for ever) are not.
bool handle_is_safe(uint32_t handle);

// Size and position of every handle that can be written, to show that a failed call
// wrote nothing.
struct WriteState {
    long long size[H_COUNT];
    long long pos[H_COUNT];
    bool operator==(const WriteState& o) const;
};
WriteState write_state();

// Environment variables set by a call are removed again, so that millions of calls do
// not grow the environment without end.
void environment_snapshot();
void environment_restore();
