// The host's system services on Linux and other POSIX systems.
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "host/system.h"
#include "host/words.h"
#include "text/utf.h"

extern char** environ;

namespace {

// File names on Linux are bytes, not necessarily UTF-8: they go to UTF-16 and back without
// loss in the forms the environment keeps too.
std::u16string name_from_bytes(const std::string& bytes) { return system_text_from_bytes(bytes); }

std::string name_to_bytes(const std::u16string& name) {
    std::string out(name.size() * 3, '\0');
    out.resize(wtf8_from_utf16(name.data(), name.size(), &out[0], out.size()));
    return out;
}

// The host's own calls fail with errno codes; strerror words them, with nothing around.
std::u16string errno_text(int code) { return from_utf8(strerror(code)); }

int fd_of(uint64_t handle) { return handle > uint64_t(INT_MAX) ? -1 : int(handle); }

bool fail(std::u16string* error) {
    *error = errno_text(errno);
    return false;
}

volatile sig_atomic_t interrupt_watched = 0;
volatile sig_atomic_t interrupt_noted = 0;

void on_interrupt(int) {
    // The first Ctrl-C has not been taken: the run is stuck (a read that waits for input
    // that never comes), and the user asks again.
    if (interrupt_noted) _exit(EXIT_INTERRUPTED);
    interrupt_noted = 1;
}

// Waits until standard input has something to read (or its end); false when Ctrl-C came
// first. Ctrl-C is let through only inside ppoll, so one that comes just before the wait
// still ends it instead of leaving it to wait for a line; one that came while the input
// did is still held back when ppoll returns, and counts first (it is noted as soon as it
// is let through again).
bool wait_for_stdin() {
    if (!interrupt_watched) return true;
    sigset_t block, old, pending;
    sigemptyset(&block);
    sigaddset(&block, SIGINT);
    sigprocmask(SIG_BLOCK, &block, &old);
    bool interrupted = interrupt_noted != 0;
    while (!interrupted) {
        struct pollfd in = {0, POLLIN, 0};
        if (ppoll(&in, 1, nullptr, &old) < 0 && errno == EINTR) {
            interrupted = interrupt_noted != 0;
            continue;
        }
        interrupted = sigpending(&pending) == 0 && sigismember(&pending, SIGINT);
        break;
    }
    sigprocmask(SIG_SETMASK, &old, nullptr);
    return !interrupted;
}

}  // namespace

std::u16string system_text_from_bytes(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    const char* s = bytes.c_str();
    for (size_t i = 0; i < bytes.size();) {
        if (s[i] == 0) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        char16_t units[2];
        size_t n;
        i += wtf8_next(s + i, units, &n);
        out.append(units, n);
    }
    return out;
}

void system_prepare_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open gives the lowest free descriptor, which is this one.
        int got = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (got >= 0 && got != fd) close(got);
    }
    signal(SIGPIPE, SIG_IGN);
}

std::vector<std::u16string> system_arguments(int argc, char** argv) {
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) args.push_back(name_from_bytes(argv[i]));
    return args;
}

std::u16string system_executable_dir() {
    char path[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", path, PATH_MAX);
    if (n <= 0) return u"";
    std::string p(path, size_t(n));
    size_t cut = p.rfind('/');
    return cut == std::string::npos ? u"" : name_from_bytes(p.substr(0, cut + 1));
}

bool system_read_file(const std::u16string& path, size_t max, std::string* bytes, std::u16string* error) {
    int fd = open(name_to_bytes(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail(error);
    bytes->clear();
    char chunk[65536];
    for (;;) {
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            fail(error);
            close(fd);
            return false;
        }
        if (got == 0) break;
        bytes->append(chunk, size_t(got));
        if (bytes->size() > max) {
            bytes->resize(max + 1);
            break;
        }
    }
    close(fd);
    return true;
}

bool system_stdin_is_terminal() { return isatty(0) != 0; }

bool system_stdout_is_terminal() { return isatty(1) != 0; }

size_t system_read_stdin(char* buf, size_t cap) {
    for (;;) {
        if (!wait_for_stdin()) return 0;
        ssize_t got = read(0, buf, cap);
        if (got < 0 && errno == EINTR) continue;
        return got > 0 ? size_t(got) : 0;
    }
}

void system_watch_interrupt() {
    // A shell starts the background jobs of a script with SIGINT ignored, so that the
    // Ctrl-C meant for the script's foreground leaves them running: that stays so.
    struct sigaction action;
    if (sigaction(SIGINT, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) return;
    memset(&action, 0, sizeof action);
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read that waits is ended, for the prompt to take Ctrl-C at once.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    interrupt_watched = 1;
}

bool system_take_interrupt() {
    if (!interrupt_noted) return false;
    interrupt_noted = 0;
    return true;
}

void system_exit_now(int code) { _exit(code); }

bool system_open(const std::u16string& path, FileMode mode, uint64_t* handle, std::u16string* error) {
    int flags = O_RDONLY;
    switch (mode) {
    case FILE_READ: break;
    case FILE_WRITE: flags = O_WRONLY | O_CREAT | O_TRUNC; break;
    case FILE_APPEND: flags = O_WRONLY | O_CREAT | O_APPEND; break;
    case FILE_READ_WRITE: flags = O_RDWR; break;
    case FILE_CREATE_READ_WRITE: flags = O_RDWR | O_CREAT | O_TRUNC; break;
    }
    std::string p = name_to_bytes(path);
    int fd = p.empty() ? (errno = ENOENT, -1) : open(p.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) return fail(error);
    *handle = uint64_t(fd);
    return true;
}

bool system_close(uint64_t handle, std::u16string* error) {
    if (close(fd_of(handle)) != 0) return fail(error);
    return true;
}

bool system_seek(uint64_t handle, int64_t offset, int origin, uint64_t* position, std::u16string* error) {
    static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    off_t now = lseek(fd_of(handle), off_t(offset), whence[origin]);
    if (now < 0) return fail(error);
    *position = uint64_t(now);
    return true;
}

bool system_file_size(const std::u16string& path, uint64_t* size, std::u16string* error) {
    struct stat st;
    if (path.empty() || stat(name_to_bytes(path).c_str(), &st) != 0) {
        if (path.empty()) errno = ENOENT;
        return fail(error);
    }
    *size = uint64_t(st.st_size);
    return true;
}

bool system_same_file(const std::u16string& a, const std::u16string& b, bool* same, std::u16string* error) {
    struct stat sa, sb;
    *same = false;
    for (int i = 0; i < 2; ++i) {
        const std::u16string& p = i == 0 ? a : b;
        struct stat& st = i == 0 ? sa : sb;
        if (!p.empty() && stat(name_to_bytes(p).c_str(), &st) == 0) continue;
        // A name under a file (abc.bin/x) names nothing, as Windows reports it.
        if (p.empty() || errno == ENOENT || errno == ENOTDIR) return true;
        return fail(error);
    }
    *same = sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return true;
}

// Folders, deletion, the environment and redirection.

namespace {

bool is_dot_or_dot_dot(const char* name) { return name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2])); }

bool entry_is_folder(DIR* dir, const struct dirent* e) {
    if (e->d_type == DT_DIR) return true;
    if (e->d_type != DT_UNKNOWN && e->d_type != DT_LNK) return false;
    // Not every file system types its entries; and a link to a folder counts as a folder.
    struct stat st;
    return fstatat(dirfd(dir), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

bool is_output_stream(int stream) { return stream == 1 || stream == 2; }

bool refuse_stream(std::u16string* error) {
    errno = EBADF;
    return fail(error);
}

// Keeps a copy of the stream's descriptor, out of the standard three and closed in any
// program started later, then puts fd in its place.
bool replace_stream(int stream, int fd, SavedStream* saved, std::u16string* error) {
    int keep = fcntl(stream, F_DUPFD_CLOEXEC, 3);
    if (keep < 0) return fail(error);
    if (dup2(fd, stream) < 0) {
        fail(error);
        close(keep);
        return false;
    }
    saved->stream = stream;
    saved->saved = uint64_t(keep);
    return true;
}

}  // namespace

PathKind system_path_kind(const std::u16string& path) {
    struct stat st;
    if (stat(name_to_bytes(path).c_str(), &st) != 0) return PATH_NONE;
    return S_ISDIR(st.st_mode) ? PATH_FOLDER : PATH_FILE;
}

bool system_list_folder(const std::u16string& folder, std::vector<FolderEntry>* entries, std::u16string* error) {
    entries->clear();
    DIR* dir = opendir(folder.empty() ? "." : name_to_bytes(folder).c_str());
    if (!dir) return fail(error);
    for (;;) {
        errno = 0;
        const struct dirent* e = readdir(dir);
        if (!e) break;
        if (!is_dot_or_dot_dot(e->d_name))
            entries->push_back(FolderEntry{name_from_bytes(e->d_name), entry_is_folder(dir, e)});
    }
    int why = errno;
    closedir(dir);
    errno = why;
    return why == 0 || fail(error);
}

bool system_names_fold_case() { return false; }

bool system_delete_file(const std::u16string& path, std::u16string* error) {
    std::string p = name_to_bytes(path);
    struct stat st;
    // A device's name is no file of the script's: removing /dev/null, say, would take it
    // from every program on the machine. Windows' DeleteFile refuses devices likewise.
    if (lstat(p.c_str(), &st) == 0 && (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))) {
        errno = EPERM;
        return fail(error);
    }
    return unlink(p.c_str()) == 0 || fail(error);
}

void system_environment(std::vector<EnvironmentEntry>* entries) {
    entries->clear();
    for (char** e = environ; e && *e; ++e) {
        const char* equals = strchr(*e, '=');
        if (!equals || equals == *e) continue;
        entries->push_back(EnvironmentEntry{system_text_from_bytes(std::string(*e, size_t(equals - *e))),
                                            system_text_from_bytes(equals + 1)});
    }
}

bool system_redirect_to_file(int stream, const std::u16string& path, bool append, SavedStream* saved,
                             std::u16string* error) {
    if (!is_output_stream(stream)) return refuse_stream(error);
    // NUL is the null device on Windows, whatever its case; batch files say it everywhere.
    std::string p = equal_nocase(path, u"NUL") ? std::string("/dev/null") : name_to_bytes(path);
    int fd = p.empty() ? (errno = ENOENT, -1)
                       : open(p.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC), 0666);
    if (fd < 0) return fail(error);
    bool done = replace_stream(stream, fd, saved, error);
    close(fd);
    return done;
}

bool system_redirect_to_stream(int stream, int other, SavedStream* saved, std::u16string* error) {
    if (!is_output_stream(stream) || !is_output_stream(other)) return refuse_stream(error);
    return replace_stream(stream, other, saved, error);
}

void system_restore_stream(SavedStream* saved) {
    if (saved->stream == 0) return;
    dup2(fd_of(saved->saved), saved->stream);
    close(fd_of(saved->saved));
    saved->stream = 0;
}

bool library_load(const std::u16string& path, LoadedLibrary* lib, std::u16string* error) {
    std::string p = name_to_bytes(path);
    // A bare name would send dlopen searching the library path; a plug-in is named by path.
    if (p.find('/') == std::string::npos) p = "./" + p;
    void* m = dlopen(p.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m) {
        const char* why = dlerror();
        *error = from_utf8(why ? why : "unknown reason");
        return false;
    }
    lib->module = m;
    return true;
}

void* library_symbol(const LoadedLibrary& lib, const char* name) {
    if (!lib.module) return nullptr;
    return dlsym(lib.module, name);
}

void library_unload(LoadedLibrary* lib) {
    if (lib->module) dlclose(lib->module);
    lib->module = nullptr;
}

std::u16string library_default_path() { return system_executable_dir() + u"Bytehaul.so"; }

std::u16string system_current_folder() {
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? name_from_bytes(buf) : std::u16string(u".");
}

std::u16string system_full_path(const std::u16string& path) {
    std::u16string joined = !path.empty() && path[0] == u'/' ? path : system_current_folder() + u"/" + path;
    std::vector<std::u16string> parts;
    for (size_t at = 0; at <= joined.size();) {
        size_t slash = joined.find(u'/', at);
        if (slash == std::u16string::npos) slash = joined.size();
        std::u16string part = joined.substr(at, slash - at);
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != u".") {
            parts.push_back(part);
        }
        at = slash + 1;
    }
    std::u16string full;
    for (const std::u16string& part : parts) full += u"/" + part;
    // A name that ended in a separator names a folder, and keeps it.
    bool folder = !joined.empty() && joined.back() == u'/' && !parts.empty();
    return full.empty() ? u"/" : folder ? full + u"/" : full;
}

size_t system_drive_length(const std::u16string&) { return 0; }

bool system_is_separator(char16_t c) { return c == u'/'; }

char16_t system_separator() { return u'/'; }

LocalTime system_local_time() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm t;
    localtime_r(&now.tv_sec, &t);
    return LocalTime{
        t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, int(now.tv_nsec / 10000000),
        t.tm_wday};
}
