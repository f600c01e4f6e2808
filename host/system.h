// What the host needs from the system: its arguments, its own folder, its standard streams,
// whole files, the file handles of @FILEOPEN, and the dynamic loader. One implementation
// per system, system_win.cpp and system_posix.cpp; everything else in the host, including
// system.cpp, is the same on every build.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

std::u16string from_utf8(const std::string& s);
// Text from bytes that may name files (a batch file, a typed line): UTF-8, and on Linux,
// where names are bytes, each byte that is not UTF-8 kept as an escape that turns back
// into itself when the name is opened.
std::u16string system_text_from_bytes(const std::string& bytes);

// The system's text for a Windows error code, trimmed; the one place the host asks for it.
std::u16string system_error_text(uint32_t code);

// Before anything else: a standard stream that is closed is opened on the null device,
// so that no file the host opens later can take its place, and a write to a pipe whose
// reader has gone fails (for the host to answer) instead of ending the process.
void system_prepare_standard_streams();

// The command-line arguments after the program's name, as typed.
std::vector<std::u16string> system_arguments(int argc, char** argv);
// The folder the running executable lives in, with its trailing separator.
std::u16string system_executable_dir();

// Reads a whole file; of one longer than max bytes, only max + 1, for the caller to refuse.
// On failure returns false with the reason.
bool system_read_file(const std::u16string& path, size_t max, std::string* bytes, std::u16string* error);

bool system_stdin_is_terminal();
// Whether standard output, as it stands now, is a terminal or console.
bool system_stdout_is_terminal();
// Reads up to cap bytes of standard input (UTF-8; a console's UTF-16 is converted).
// Returns the count, 0 at the end of input or when Ctrl-C ended the wait (once watched:
// system_take_interrupt() then says so).
size_t system_read_stdin(char* buf, size_t cap);

enum FileMode { FILE_READ, FILE_WRITE, FILE_APPEND, FILE_READ_WRITE, FILE_CREATE_READ_WRITE };
// Opens in binary mode. The handle is what the plug-in's functions take: a HANDLE value on
// Windows, a descriptor elsewhere.
bool system_open(const std::u16string& path, FileMode mode, uint64_t* handle, std::u16string* error);
bool system_close(uint64_t handle, std::u16string* error);
// origin: 0 start, 1 current position, 2 end. Gives the new position.
bool system_seek(uint64_t handle, int64_t offset, int origin, uint64_t* position, std::u16string* error);
// The size in bytes of the file at path. A folder is the caller's to refuse, in the same
// words on every build.
bool system_file_size(const std::u16string& path, uint64_t* size, std::u16string* error);
// Whether two paths name one file (by identity, whatever the names): false with no error
// when either does not exist.
bool system_same_file(const std::u16string& a, const std::u16string& b, bool* same, std::u16string* error);

// What a path names.
enum PathKind { PATH_NONE, PATH_FILE, PATH_FOLDER };
PathKind system_path_kind(const std::u16string& path);
struct FolderEntry {
    std::u16string name;  // the name alone, without the folder
    bool folder;
};
// The entries of a folder, "." and ".." left out, in the system's order.
bool system_list_folder(const std::u16string& folder, std::vector<FolderEntry>* entries, std::u16string* error);
// Whether the system's file names compare without regard to case (wildcards follow it).
bool system_names_fold_case();
// Removes a file. A folder, or a link to one, is the caller's to refuse, in the same words on
// every build.
bool system_delete_file(const std::u16string& path, std::u16string* error);
// The whole environment of the process, as name and value.
struct EnvironmentEntry {
    std::u16string name, value;
};
void system_environment(std::vector<EnvironmentEntry>* entries);

// Redirection: standard output (1) or standard error (2) switched for one command, so
// that everything written through the process's standard handles follows, the plug-in's
// output too. NUL names the null device on every build.
struct SavedStream {
    int stream;      // 0: nothing saved
    uint64_t saved;  // the handle or descriptor the stream had
};
bool system_redirect_to_file(int stream, const std::u16string& path, bool append, SavedStream* saved,
                             std::u16string* error);
// The stream made a copy of other (2>&1).
bool system_redirect_to_stream(int stream, int other, SavedStream* saved, std::u16string* error);
// Puts the stream back as it was and closes what the redirection opened.
void system_restore_stream(SavedStream* saved);

// The exit code of a run that Ctrl-C ended, as a Unix shell reports a process that SIGINT
// ended (128 + 2).
const int EXIT_INTERRUPTED = 130;
// Ctrl-C: from the call on, an interrupt no longer ends the process but is noted here. One
// that is not taken in time ends the process with EXIT_INTERRUPTED all the same, so that a
// run blocked in a read still ends: on Linux a second Ctrl-C before the first is taken, on
// Windows the first after about two seconds.
void system_watch_interrupt();
// Whether Ctrl-C came since the last call; the note is cleared.
bool system_take_interrupt();
// Ends the process at once with code, writing nothing more (a reader that has gone wants
// nothing more).
[[noreturn]] void system_exit_now(int code);

// The folder bhsh runs in, without a trailing separator.
std::u16string system_current_folder();
// The path made absolute against the current folder, its "." and ".." parts resolved as
// text, as the system resolves a name (whether or not the file exists).
std::u16string system_full_path(const std::u16string& path);
// How much of a full path is its drive: "C:", or a share's "\\host\share"; none on Linux.
size_t system_drive_length(const std::u16string& full);
bool system_is_separator(char16_t c);
// The separator the system writes between folders.
char16_t system_separator();
// A full path parted: the drive, the folder after it with its trailing separator, the name
// without its extension, and the extension from the name's last dot on.
struct PathParts {
    std::u16string drive, folder, name, extension;
};
PathParts system_path_parts(const std::u16string& full);
// The local date and time. weekday: 0 for Sunday.
struct LocalTime {
    int year, month, day, hour, minute, second, centisecond, weekday;
};
LocalTime system_local_time();

// The plug-in library.
struct LoadedLibrary {
    void* module;  // null when not loaded
};
// Loads the library at path. On failure returns false with the system's reason in error.
bool library_load(const std::u16string& path, LoadedLibrary* lib, std::u16string* error);
// The export of that name, or null.
void* library_symbol(const LoadedLibrary& lib, const char* name);
void library_unload(LoadedLibrary* lib);
// The plug-in built beside the running host: Bytehaul.dll on Windows, Bytehaul.so elsewhere.
std::u16string library_default_path();
