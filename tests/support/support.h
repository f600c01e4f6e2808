// Test support: real files, pipes and standard-stream capture on both builds.
#pragma once
#include <stdint.h>

#include <string>

// UTF-8 <-> UTF-16 for writing expectations as ordinary string literals.
std::u16string U(const std::string& utf8);
std::string U8(const char16_t* s);
std::string U8(const std::u16string& s);

// Standard output and standard error, redirected to files while a capture runs.
struct Captured {
    std::string out;
    std::string err;
};
void capture_begin();
Captured capture_end();

// Standard output and standard error made unusable, as a shell may leave them: closed
// handles, or a pipe whose reading end has gone (writes fail; on Linux they would raise
// SIGPIPE). streams_restore() puts the real ones back. Open any handles a test needs
// before breaking the streams: on Linux a closed descriptor number is free for reuse.
enum class StreamFault { Closed, BrokenPipe };
void streams_break(StreamFault fault);
void streams_restore();

// What showing a message box leaves on standard output: the stand-in's echo of title and
// text on Linux; nothing on Windows, where the box is a window of its own.
std::string message_box_echo(const std::string& title, const std::string& text);

// Handles as the shell would hold them: a HANDLE on Windows, a descriptor on Linux.
enum class Access { Read, Write, ReadWrite };
// A new temporary file holding bytes, opened with the given access at offset 0.
uint64_t open_temp_file(const std::string& bytes, Access access, std::string* path_out = nullptr);
uint64_t open_path(const std::string& path, Access access);  // 0 on failure
void close_handle(uint64_t h);
bool make_pipe(uint64_t* read_end, uint64_t* write_end);
// Reads from an empty pipe fail at once (no data) instead of waiting for a writer.
bool pipe_no_wait(uint64_t read_end);
std::string read_whole_file(const std::string& path);
std::string temp_path(const std::string& stem);
// A handle value that names nothing open.
uint64_t closed_handle();
// The handle as the decimal text a batch file would pass.
std::u16string handle_arg(uint64_t h);

// The system's text for an error code as a report shows it (trailing blanks cut), found
// without the plug-in's help: under Windows FormatMessageW asked here directly; on Linux
// the stand-in's texts, written out again. Empty for a code the system has no text for.
std::string system_message(uint32_t code);

// Puts every call of the platform's fault seam back when the scope ends.
struct SeamRestorer {
    SeamRestorer() = default;
    ~SeamRestorer();
    SeamRestorer(const SeamRestorer&) = delete;
    SeamRestorer& operator=(const SeamRestorer&) = delete;
};
// Points the seam's named call at fn (a function of the call's own shape); false for a
// name this build does not have.
bool seam_override_raw(const char* name, void (*fn)(void));
template <typename Fn>
bool seam_override(const char* name, Fn fn) {
    return seam_override_raw(name, reinterpret_cast<void (*)(void)>(fn));
}

// Environment of the process.
void env_set(const char* name, const char* value);  // null value removes
bool env_get(const char* name, std::string* value);

// An exact-capacity buffer with a guard region after it; guard_intact() fails on any stray write.
struct GuardedBuffer {
    char16_t* data;
    size_t cap;
    char16_t* storage;
};
GuardedBuffer guarded_new(size_t cap, const std::u16string& text);
bool guard_intact(const GuardedBuffer& b);
void guarded_free(GuardedBuffer& b);
