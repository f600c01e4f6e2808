// The host's system services on Windows.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "host/system.h"
#include "text/utf.h"

namespace {

const wchar_t* w(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

// The longest path the wide-character calls take, with its NUL.
const DWORD PATH_CHARS = UNICODE_STRING_MAX_CHARS + 1;

bool fail(std::u16string* error) {
    *error = system_error_text(GetLastError());
    return false;
}

volatile LONG interrupt_noted = 0;
// How long Ctrl-C waits for the run to take it before it ends the process.
const DWORD INTERRUPT_GRACE_MS = 2000;
const DWORD INTERRUPT_STEP_MS = 20;

bool interrupt_pending() { return InterlockedCompareExchange(&interrupt_noted, 0, 0) != 0; }

// The console input a read of standard input waits on, null between reads; the lock keeps
// the handler from ending a read that starts after the one Ctrl-C was meant for.
SRWLOCK console_read_lock = SRWLOCK_INIT;
HANDLE console_reading = nullptr;

void set_console_reading(HANDLE in) {
    AcquireSRWLockExclusive(&console_read_lock);
    console_reading = in;
    ReleaseSRWLockExclusive(&console_read_lock);
}

// Windows ends a console read at Ctrl-C by itself; Wine's console goes on waiting, and the
// prompt would show nothing and charge the interrupt to the next line typed. An Enter put
// into the console's input ends the read, and the caller drops the line it ends. No key
// of a keyboard has scan code 0, which tells this Enter from a typed one.
void end_console_read() {
    AcquireSRWLockExclusive(&console_read_lock);
    if (console_reading && interrupt_pending()) {
        INPUT_RECORD enter = {};
        enter.EventType = KEY_EVENT;
        enter.Event.KeyEvent.bKeyDown = TRUE;
        enter.Event.KeyEvent.wRepeatCount = 1;
        enter.Event.KeyEvent.wVirtualKeyCode = VK_RETURN;
        enter.Event.KeyEvent.uChar.UnicodeChar = L'\r';
        DWORD put;
        WriteConsoleInputW(console_reading, &enter, 1, &put);
    }
    ReleaseSRWLockExclusive(&console_read_lock);
}

// Where the read had ended before the Enter went in, it would end the next read: taken out,
// with whatever was typed before it, which belongs to the line Ctrl-C drops. It need not
// come first: a line ended by a typed Enter leaves that key's release queued.
void drop_put_enter(HANDLE in) {
    INPUT_RECORD queued[64];
    DWORD n = 0;
    if (!PeekConsoleInputW(in, queued, DWORD(sizeof queued / sizeof queued[0]), &n)) return;
    for (DWORD i = 0; i < n; ++i) {
        if (queued[i].EventType != KEY_EVENT) continue;
        const KEY_EVENT_RECORD& key = queued[i].Event.KeyEvent;
        if (key.bKeyDown && key.wVirtualKeyCode == VK_RETURN && key.wVirtualScanCode == 0) {
            ReadConsoleInputW(in, queued, i + 1, &n);
            return;
        }
    }
}

// Runs on a thread of its own. A run between commands takes the note within moments; one
// blocked in a read never does, and ends here.
BOOL WINAPI on_console_event(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    InterlockedExchange(&interrupt_noted, 1);
    end_console_read();
    for (DWORD waited = 0; waited < INTERRUPT_GRACE_MS; waited += INTERRUPT_STEP_MS) {
        if (!interrupt_pending()) return TRUE;
        Sleep(INTERRUPT_STEP_MS);
    }
    ExitProcess(EXIT_INTERRUPTED);
}

// A console read that Ctrl-C ended returns before the handler, on its own thread, has
// noted it: the note is waited for, so that the caller finds it.
void await_interrupt_note() {
    for (DWORD waited = 0; waited < INTERRUPT_GRACE_MS / 2 && !interrupt_pending(); waited += INTERRUPT_STEP_MS)
        Sleep(INTERRUPT_STEP_MS);
}

// Typed input, as UTF-8: 0 at Ctrl+Z at the start of a line, or when Ctrl-C ended the read.
size_t read_console(HANDLE in, char* buf, size_t cap) {
    wchar_t wide[256];
    DWORD got = 0;
    DWORD want = DWORD(cap / 3 < 256 ? cap / 3 : 256);
    if (want == 0) return 0;
    SetLastError(0);
    set_console_reading(in);
    // A Ctrl-C noted before the read was marked found no read to end: it would wait for the
    // run to take it while the read blocks, then end the process. So the read is not started.
    // The handler notes before it looks for a read: either this sees the note or it the read.
    BOOL ok = FALSE;
    DWORD why = 0;
    if (!interrupt_pending()) {
        ok = ReadConsoleW(in, wide, want, &got, nullptr);
        why = GetLastError();
    }
    set_console_reading(nullptr);
    // Ctrl-C ends a console read with nothing read.
    if (got == 0 && why == ERROR_OPERATION_ABORTED) await_interrupt_note();
    // The handler puts its Enter while the read is marked, which may be after the read ended.
    if (interrupt_pending()) drop_put_enter(in);
    // What a read that Ctrl-C ended holds is dropped: the interrupt is taken instead.
    if (!ok || got == 0 || interrupt_pending()) return 0;
    if (wide[0] == 0x1A) return 0;
    return utf16_to_utf8(reinterpret_cast<const char16_t*>(wide), got, buf, cap);
}

HANDLE open_for_query(const std::u16string& path) {
    // Backup semantics let a folder be opened too, to be told apart from a file.
    return CreateFileW(w(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

void system_prepare_standard_streams() {
    // A process started without a standard handle gets writes to it refused, never
    // redirected into a file it opens later: nothing to do.
}

std::vector<std::u16string> system_arguments(int, char**) {
    std::vector<std::u16string> args;
    int n = 0;
    wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &n);
    if (!list) return args;
    for (int i = 1; i < n; ++i) args.push_back(reinterpret_cast<const char16_t*>(list[i]));
    LocalFree(list);
    return args;
}

std::u16string system_executable_dir() {
    static wchar_t path[PATH_CHARS];
    DWORD n = GetModuleFileNameW(nullptr, path, PATH_CHARS);
    if (n == 0 || n >= PATH_CHARS) return u"";
    std::u16string p(reinterpret_cast<const char16_t*>(path), n);
    size_t cut = p.find_last_of(u"\\/");
    return cut == std::u16string::npos ? u"" : p.substr(0, cut + 1);
}

bool system_read_file(const std::u16string& path, size_t max, std::string* bytes, std::u16string* error) {
    HANDLE h = CreateFileW(w(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return fail(error);
    bytes->clear();
    static char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(h, chunk, sizeof chunk, &got, nullptr)) {
            fail(error);
            CloseHandle(h);
            return false;
        }
        if (got == 0) break;
        bytes->append(chunk, got);
        if (bytes->size() > max) {
            bytes->resize(max + 1);
            break;
        }
    }
    CloseHandle(h);
    return true;
}

bool system_stdin_is_terminal() {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

size_t system_read_stdin(char* buf, size_t cap) {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode;
    if (GetConsoleMode(in, &mode)) return read_console(in, buf, cap);
    DWORD got = 0;
    if (!ReadFile(in, buf, DWORD(cap), &got, nullptr)) return 0;
    return got;
}

void system_watch_interrupt() { SetConsoleCtrlHandler(on_console_event, TRUE); }

bool system_take_interrupt() {
    if (!interrupt_pending()) return false;
    return InterlockedExchange(&interrupt_noted, 0) != 0;
}

void system_exit_now(int code) { ExitProcess(UINT(code)); }

bool system_open(const std::u16string& path, FileMode mode, uint64_t* handle, std::u16string* error) {
    DWORD access = GENERIC_READ, disposition = OPEN_EXISTING;
    switch (mode) {
    case FILE_READ: break;
    case FILE_WRITE:
        access = GENERIC_WRITE;
        disposition = CREATE_ALWAYS;
        break;
    case FILE_APPEND:
        access = FILE_APPEND_DATA | SYNCHRONIZE;
        disposition = OPEN_ALWAYS;
        break;
    case FILE_READ_WRITE: access = GENERIC_READ | GENERIC_WRITE; break;
    case FILE_CREATE_READ_WRITE:
        access = GENERIC_READ | GENERIC_WRITE;
        disposition = CREATE_ALWAYS;
        break;
    }
    HANDLE h = CreateFileW(w(path), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return fail(error);
    *handle = uint64_t(uintptr_t(h));
    return true;
}

bool system_close(uint64_t handle, std::u16string* error) {
    if (!CloseHandle(reinterpret_cast<HANDLE>(uintptr_t(handle)))) return fail(error);
    return true;
}

bool system_seek(uint64_t handle, int64_t offset, int origin, uint64_t* position, std::u16string* error) {
    static const DWORD methods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    LARGE_INTEGER move, now;
    move.QuadPart = offset;
    if (!SetFilePointerEx(reinterpret_cast<HANDLE>(uintptr_t(handle)), move, &now, methods[origin])) return fail(error);
    *position = uint64_t(now.QuadPart);
    return true;
}

bool system_file_size(const std::u16string& path, uint64_t* size, std::u16string* error) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(w(path), GetFileExInfoStandard, &data)) return fail(error);
    *size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool system_same_file(const std::u16string& a, const std::u16string& b, bool* same, std::u16string* error) {
    *same = false;
    BY_HANDLE_FILE_INFORMATION info[2];
    for (int i = 0; i < 2; ++i) {
        HANDLE h = open_for_query(i == 0 ? a : b);
        if (h == INVALID_HANDLE_VALUE) {
            DWORD e = GetLastError();
            if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return true;
            return fail(error);
        }
        BOOL ok = GetFileInformationByHandle(h, &info[i]);
        if (!ok) fail(error);
        CloseHandle(h);
        if (!ok) return false;
    }
    *same = info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
            info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
    return true;
}

// Folders, deletion, the environment and redirection.

namespace {

bool is_dot_or_dot_dot(const char16_t* name) { return name[0] == u'.' && (!name[1] || (name[1] == u'.' && !name[2])); }

// What FindFirstFileW takes for every entry of the folder.
std::u16string all_in(const std::u16string& folder) {
    if (folder.empty()) return u"*";
    char16_t last = folder.back();
    return folder + (last == u'\\' || last == u'/' || last == u':' ? u"*" : u"\\*");
}

bool is_output_stream(int stream) { return stream == 1 || stream == 2; }
DWORD std_handle_id(int stream) { return stream == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE; }

bool refuse_stream(std::u16string* error) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return fail(error);
}

// The handles the redirection opened; only these does a restore close, never the
// process's own nor a stream's copy of the other.
std::vector<HANDLE> opened_for_redirection;

// The writer tells a console by GetConsoleMode, which needs the read access that a
// redirection's own handle lacks: a redirection to the console gets this handle, opened
// for both, instead. The writer also remembers its answer per handle value, and a closed
// handle's value is given out again; so this one is never closed, and it is opened at the
// first redirection, before any file of theirs could leave its value behind.
HANDLE console_for_redirection() {
    static HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    return console;
}

// A console takes no writes through a handle that may only append, and a device has no end
// to append at: a device is opened for plain writing.
HANDLE open_for_redirection(const std::u16string& path, bool append) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE h = CreateFileW(w(path), append ? FILE_APPEND_DATA | SYNCHRONIZE : GENERIC_WRITE, share, nullptr,
                           append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!append || h == INVALID_HANDLE_VALUE || GetFileType(h) != FILE_TYPE_CHAR) return h;
    CloseHandle(h);
    return CreateFileW(w(path), GENERIC_WRITE, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// GetConsoleMode would need read access, which a redirection does not ask for; an empty
// console write needs only write access.
bool is_console_output(HANDLE h) {
    DWORD written;
    return GetFileType(h) == FILE_TYPE_CHAR && WriteConsoleW(h, L"", 0, &written, nullptr);
}

bool replace_stream(int stream, HANDLE h, SavedStream* saved, std::u16string* error) {
    HANDLE before = GetStdHandle(std_handle_id(stream));
    if (!SetStdHandle(std_handle_id(stream), h)) return fail(error);
    saved->stream = stream;
    saved->saved = uint64_t(uintptr_t(before));
    return true;
}

}  // namespace

bool system_stdout_is_terminal() { return is_console_output(GetStdHandle(STD_OUTPUT_HANDLE)); }

PathKind system_path_kind(const std::u16string& path) {
    DWORD attributes = GetFileAttributesW(w(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) return PATH_NONE;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PATH_FOLDER : PATH_FILE;
}

bool system_list_folder(const std::u16string& folder, std::vector<FolderEntry>* entries, std::u16string* error) {
    entries->clear();
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(w(all_in(folder)), &found);
    if (h == INVALID_HANDLE_VALUE) {
        // A drive's root has no "." and "..": when it is empty nothing matches at all.
        DWORD why = GetLastError();
        if (why == ERROR_FILE_NOT_FOUND && (folder.empty() || system_path_kind(folder) == PATH_FOLDER)) return true;
        SetLastError(why);
        return fail(error);
    }
    do {
        const char16_t* name = reinterpret_cast<const char16_t*>(found.cFileName);
        if (!is_dot_or_dot_dot(name))
            entries->push_back(FolderEntry{name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(h, &found));
    DWORD why = GetLastError();
    FindClose(h);
    SetLastError(why);
    return why == ERROR_NO_MORE_FILES || fail(error);
}

bool system_names_fold_case() { return true; }

bool system_delete_file(const std::u16string& path, std::u16string* error) {
    return DeleteFileW(w(path)) || fail(error);
}

void system_environment(std::vector<EnvironmentEntry>* entries) {
    entries->clear();
    wchar_t* block = GetEnvironmentStringsW();
    if (!block) return;
    for (const wchar_t* e = block; *e; e += wcslen(e) + 1) {
        std::u16string entry(reinterpret_cast<const char16_t*>(e));
        // A name that starts with '=' is the system's own: a drive's current folder.
        size_t equals = entry.find(u'=');
        if (equals == 0 || equals == std::u16string::npos) continue;
        entries->push_back(EnvironmentEntry{entry.substr(0, equals), entry.substr(equals + 1)});
    }
    FreeEnvironmentStringsW(block);
}

bool system_redirect_to_file(int stream, const std::u16string& path, bool append, SavedStream* saved,
                             std::u16string* error) {
    if (!is_output_stream(stream)) return refuse_stream(error);
    HANDLE console = console_for_redirection();
    HANDLE h = open_for_redirection(path, append);
    if (h == INVALID_HANDLE_VALUE) return fail(error);
    bool owned = !is_console_output(h);
    if (!owned && console != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        h = console;
    }
    if (!replace_stream(stream, h, saved, error)) {
        if (owned) CloseHandle(h);
        return false;
    }
    if (owned) opened_for_redirection.push_back(h);
    return true;
}

bool system_redirect_to_stream(int stream, int other, SavedStream* saved, std::u16string* error) {
    if (!is_output_stream(stream) || !is_output_stream(other)) return refuse_stream(error);
    return replace_stream(stream, GetStdHandle(std_handle_id(other)), saved, error);
}

void system_restore_stream(SavedStream* saved) {
    if (saved->stream == 0) return;
    DWORD id = std_handle_id(saved->stream);
    HANDLE current = GetStdHandle(id);
    SetStdHandle(id, reinterpret_cast<HANDLE>(uintptr_t(saved->saved)));
    saved->stream = 0;
    // Still in use when the other stream was made a copy of this one and is not back yet.
    HANDLE other = GetStdHandle(id == STD_OUTPUT_HANDLE ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    auto it = std::find(opened_for_redirection.begin(), opened_for_redirection.end(), current);
    if (it == opened_for_redirection.end() || current == other) return;
    opened_for_redirection.erase(it);
    CloseHandle(current);
}

bool library_load(const std::u16string& path, LoadedLibrary* lib, std::u16string* error) {
    // A plug-in is named by path, never searched for; its own imports (TakeCmd.dll) are
    // looked for beside it first, which needs the full path.
    static wchar_t full[PATH_CHARS];
    DWORD n = GetFullPathNameW(w(path), PATH_CHARS, full, nullptr);
    if (n == 0 || n >= PATH_CHARS) {
        if (n != 0) SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return fail(error);
    }
    HMODULE m = LoadLibraryExW(full, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!m) return fail(error);
    lib->module = m;
    return true;
}

void* library_symbol(const LoadedLibrary& lib, const char* name) {
    if (!lib.module) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib.module), name));
}

void library_unload(LoadedLibrary* lib) {
    if (lib->module) FreeLibrary(static_cast<HMODULE>(lib->module));
    lib->module = nullptr;
}

std::u16string library_default_path() { return system_executable_dir() + u"Bytehaul.dll"; }

std::u16string system_text_from_bytes(const std::string& bytes) { return from_utf8(bytes); }

std::u16string system_current_folder() {
    wchar_t buf[32768];
    DWORD n = GetCurrentDirectoryW(32768, buf);
    if (n == 0 || n >= 32768) return u".";
    std::u16string folder(reinterpret_cast<const char16_t*>(buf), n);
    // A drive's root keeps its separator ("C:\"); any other folder has none at its end.
    if (folder.size() > 3 && folder.back() == u'\\') folder.pop_back();
    return folder;
}

std::u16string system_full_path(const std::u16string& path) {
    wchar_t buf[32768];
    DWORD n = GetFullPathNameW(w(path.empty() ? u"." : path), 32768, buf, nullptr);
    if (n == 0 || n >= 32768) return path;
    return std::u16string(reinterpret_cast<const char16_t*>(buf), n);
}

size_t system_drive_length(const std::u16string& full) {
    if (full.size() >= 2 && full[1] == u':') return 2;
    if (full.size() < 2 || full[0] != u'\\' || full[1] != u'\\') return 0;
    size_t host_end = full.find(u'\\', 2);
    size_t share_end = host_end == std::u16string::npos ? host_end : full.find(u'\\', host_end + 1);
    return share_end == std::u16string::npos ? full.size() : share_end;
}

bool system_is_separator(char16_t c) { return c == u'\\' || c == u'/'; }

char16_t system_separator() { return u'\\'; }

LocalTime system_local_time() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds / 10, t.wDayOfWeek};
}
