// What the host needs from the system besides the loader: its arguments, its own folder,
// whole files, standard input, and the file handles of @FILEOPEN. One implementation per
// system in system.cpp; everything else in the host is the same on every build.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

std::string to_utf8(const std::u16string& s);
std::u16string from_utf8(const std::string& s);

// The command-line arguments after the program's name, as typed.
std::vector<std::u16string> system_arguments(int argc, char** argv);
// The folder the running executable lives in, with its trailing separator.
std::u16string system_executable_dir();
// The system's text for an error code of the system (errno or GetLastError), trimmed.
std::u16string system_error_text(uint32_t code);

// Reads a whole file of at most max bytes. On failure returns false with the reason.
bool system_read_file(const std::u16string& path, size_t max, std::string* bytes, std::u16string* error);

bool system_stdin_is_terminal();
// Reads up to cap bytes of standard input (UTF-8; a console's UTF-16 is converted).
// Returns the count, 0 at the end of input.
size_t system_read_stdin(char* buf, size_t cap);

enum FileMode { FILE_READ, FILE_WRITE, FILE_APPEND, FILE_READ_WRITE, FILE_CREATE_READ_WRITE };
// Opens in binary mode. The handle is what the plug-in's functions take: a HANDLE value on
// Windows, a descriptor elsewhere.
bool system_open(const std::u16string& path, FileMode mode, uint64_t* handle, std::u16string* error);
bool system_close(uint64_t handle, std::u16string* error);
// origin: 0 start, 1 current position, 2 end. Gives the new position.
bool system_seek(uint64_t handle, int64_t offset, int origin, uint64_t* position, std::u16string* error);
