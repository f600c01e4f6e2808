// Linux stand-in for the Win32 services: descriptors are handles, errno becomes the
// Windows error code that the same failure gives there.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#if defined(__SSE2__)
#    include <emmintrin.h>
#endif

#include "platform/platform.h"
#include "platform/seam.h"
#include "text/chars.h"
#include "text/utf.h"

extern char** environ;

namespace {

thread_local uint32_t last_error = 0;

// Longest environment value Windows allows, and so the most we convert.
const size_t ENV_MAX = 32767;

struct CodeText {
    uint32_t code;
    const char16_t* text;
};

// The Windows texts of the codes that errno_to_code() can give. The trailing blank is
// what FormatMessageW leaves when it folds the message's line break.
const CodeText code_texts[] = {
    {SYS_ERROR_INVALID_FUNCTION, u"Incorrect function. "},
    {SYS_ERROR_FILE_NOT_FOUND, u"The system cannot find the file specified. "},
    {SYS_ERROR_PATH_NOT_FOUND, u"The system cannot find the path specified. "},
    {SYS_ERROR_ACCESS_DENIED, u"Access is denied. "},
    {SYS_ERROR_INVALID_HANDLE, u"The handle is invalid. "},
    {SYS_ERROR_NOT_ENOUGH_MEMORY, u"Not enough memory resources are available to process this command. "},
    {SYS_ERROR_WRITE_PROTECT, u"The media is write protected. "},
    {SYS_ERROR_NOT_READY, u"The device is not ready. "},
    {SYS_ERROR_GEN_FAILURE, u"A device attached to the system is not functioning. "},
    {SYS_ERROR_INVALID_PARAMETER, u"The parameter is incorrect. "},
    {SYS_ERROR_DISK_FULL, u"There is not enough space on the disk. "},
    {SYS_ERROR_ENVVAR_NOT_FOUND, u"The system could not find the environment option that was entered. "},
    {SYS_ERROR_FILENAME_EXCED_RANGE, u"The filename or extension is too long. "},
    {SYS_ERROR_FILE_TOO_LARGE, u"The file size exceeds the limit allowed and cannot be saved. "},
    {SYS_ERROR_NO_DATA, u"The pipe is being closed. "},
    {SYS_ERROR_IO_DEVICE, u"The request could not be performed because of an I/O device error. "},
};

uint32_t errno_to_code(int e, int fd) {
    switch (e) {
    case EBADF:
        // An open descriptor used the wrong way round (read from a write-only one)
        // is access denied on Windows; only a descriptor that is not open is invalid.
        return (fd >= 0 && fcntl(fd, F_GETFL) != -1) ? SYS_ERROR_ACCESS_DENIED : SYS_ERROR_INVALID_HANDLE;
    case EACCES:
    case EPERM: return SYS_ERROR_ACCESS_DENIED;
    case ENOENT: return SYS_ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return SYS_ERROR_PATH_NOT_FOUND;
    case ENOMEM: return SYS_ERROR_NOT_ENOUGH_MEMORY;
    case EROFS: return SYS_ERROR_WRITE_PROTECT;
    case ENXIO: return SYS_ERROR_NOT_READY;
    case EINVAL: return SYS_ERROR_INVALID_PARAMETER;
    case ENOSPC:
    case EDQUOT: return SYS_ERROR_DISK_FULL;
    case ENAMETOOLONG: return SYS_ERROR_FILENAME_EXCED_RANGE;
    case EFBIG: return SYS_ERROR_FILE_TOO_LARGE;
    case EPIPE:
    case EAGAIN: return SYS_ERROR_NO_DATA;
    case EISDIR: return SYS_ERROR_INVALID_FUNCTION;
    case EIO: return SYS_ERROR_IO_DEVICE;
    default: return SYS_ERROR_GEN_FAILURE;
    }
}

int handle_to_fd(sys_handle h) { return h > uint64_t(INT_MAX) ? -1 : int(h); }

bool fail(int e, int fd) {
    last_error = errno_to_code(e, fd);
    return false;
}

// This build's own slots of the fault seam, after the shared ones, in the order of sys_calls below.
enum : size_t { CALL_READ = CALL_SHARED_COUNT, CALL_WRITE, CALL_PUTENV, CALL_UNSETENV };
typedef ssize_t (*read_fn)(int, void*, size_t);
typedef ssize_t (*write_fn)(int, const void*, size_t);
typedef int (*putenv_fn)(char*);
typedef int (*unsetenv_fn)(const char*);

bool read_file(sys_handle h, void* buf, uint32_t count, uint32_t* done) {
    *done = 0;
    int fd = handle_to_fd(h);
    if (fd < 0) return fail(EBADF, fd);
    ssize_t n;
    do n = sys_call_at<read_fn>(CALL_READ)(fd, buf, count);
    while (n < 0 && errno == EINTR);
    if (n < 0) return fail(errno, fd);
    *done = uint32_t(n);
    return true;
}

bool write_file(sys_handle h, const void* buf, uint32_t count, uint32_t* done) {
    *done = 0;
    int fd = handle_to_fd(h);
    if (fd < 0) return fail(EBADF, fd);
    // A reader that has gone away must give EPIPE, not end the process: hold SIGPIPE
    // back on this thread and take away the one this write raised, if any.
    sigset_t pipe_set, old_set, pending;
    sigemptyset(&pipe_set);
    sigaddset(&pipe_set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_set, &old_set);
    sigpending(&pending);
    bool was_pending = sigismember(&pending, SIGPIPE);
    ssize_t n;
    do n = sys_call_at<write_fn>(CALL_WRITE)(fd, buf, count);
    while (n < 0 && errno == EINTR);
    int saved = errno;
    if (n < 0 && saved == EPIPE && !was_pending) {
        struct timespec zero = {0, 0};
        sigtimedwait(&pipe_set, nullptr, &zero);
    }
    pthread_sigmask(SIG_SETMASK, &old_set, nullptr);
    if (n < 0) return fail(saved, fd);
    *done = uint32_t(n);
    return true;
}

// The environment's one home is the process's own, environ: the host, the stand-in shell
// and the plug-in each link this layer, and all three must see every change. Its entries
// are WTF-8, so that a value keeps every UTF-16 unit it was given.
//
// setenv would keep every value it was ever given, so the layer hands putenv strings of its
// own instead, and frees each once environ no longer holds it. Another copy of this layer,
// or the C library, may replace one of its strings; it is then freed at this copy's next
// write, which looks for its strings where it last saw them.
struct OwnString {
    char* text;
    size_t slot;  // where environ held it last
};
OwnString* own_strings = nullptr;
size_t own_count = 0, own_room = 0;

size_t environ_count() {
    size_t n = 0;
    while (environ && environ[n]) ++n;
    return n;
}

bool environ_holds(OwnString& s, size_t count) {
    if (s.slot < count && environ[s.slot] == s.text) return true;
    for (size_t i = 0; i < count; ++i)
        if (environ[i] == s.text) {
            s.slot = i;
            return true;
        }
    return false;
}

void free_strings_environ_dropped() {
    size_t count = environ_count(), kept = 0;
    for (size_t i = 0; i < own_count; ++i) {
        if (environ_holds(own_strings[i], count)) own_strings[kept++] = own_strings[i];
        else free(own_strings[i].text);
    }
    own_count = kept;
}

// A copy of this layer may be unloaded with its library (the plug-in): it gives back then
// what environ no longer holds, and its list. Its strings still in environ stay there.
struct OwnStringsRelease {
    ~OwnStringsRelease() {
        free_strings_environ_dropped();
        free(own_strings);
        own_strings = nullptr;
        own_count = own_room = 0;
    }
} own_strings_release;

bool remember_own(char* text) {
    if (own_count == own_room) {
        size_t room = own_room ? own_room * 2 : 64;
        void* grown = realloc(own_strings, room * sizeof *own_strings);
        if (!grown) return false;
        own_strings = static_cast<OwnString*>(grown);
        own_room = room;
    }
    own_strings[own_count++] = OwnString{text, environ_count()};
    return true;
}

// Windows compares names without regard to case, beyond ASCII too: here by the same
// upper-casing as sys_char_upper.
char16_t upper_unit(char16_t c);

// The slot of the entry that holds the n units of name, in whatever case it spells them,
// or null; *value then points past its '='.
char** find_entry(const char16_t* name, size_t n, const char** value) {
    // Most entries are turned away on their first letter, without decoding.
    char16_t first = upper_unit(name[0]);
    bool ascii_first = name[0] < 0x80;
    for (char** e = environ; e && *e; ++e) {
        const char* p = *e;
        unsigned char b0 = static_cast<unsigned char>(*p);
        if (ascii_first && b0 < 0x80 && text_upper(b0) != first) continue;
        size_t i = 0;
        for (; *p && *p != '=' && i < n; ++i) {
            unsigned char b = static_cast<unsigned char>(*p);
            if (b < 0x80) {
                if (text_upper(b) != upper_unit(name[i])) break;
                ++p;
                continue;
            }
            char16_t units[2];
            size_t k;
            p += wtf8_next(p, units, &k);
            if (upper_unit(units[0]) != upper_unit(name[i])) break;
            if (k == 2 && (++i == n || upper_unit(units[1]) != upper_unit(name[i]))) break;
        }
        if (i == n && *p == '=') {
            *value = p + 1;
            return e;
        }
    }
    return nullptr;
}

bool has_equals(const char16_t* name, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (name[i] == u'=') return true;
    return false;
}

// Widens the bytes of s into out for as long as they are ASCII; returns how many it widened.
size_t widen_ascii(const char* s, size_t n, char16_t* out) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        if (_mm_movemask_epi8(v) != 0) break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(v, zero));
    }
#endif
    for (; i < n && static_cast<unsigned char>(s[i]) < 0x80; ++i) out[i] = char16_t(s[i]);
    return i;
}

uint32_t get_env(const char16_t* name, char16_t* buf, uint32_t cap) {
    size_t nlen = text_len_bounded(name, ENV_MAX + 1);
    const char* value = nullptr;
    if (nlen == 0 || nlen > ENV_MAX || has_equals(name, nlen) || !find_entry(name, nlen, &value)) {
        last_error = SYS_ERROR_ENVVAR_NOT_FOUND;
        return 0;
    }
    // Most values are ASCII, and some run to thousands of characters: those are widened
    // whole. Nothing else can need more room than its byte count.
    size_t len = strlen(value);
    if (len + 1 <= cap && widen_ascii(value, len, buf) == len) {
        buf[len] = 0;
        last_error = 0;
        return uint32_t(len);
    }
    size_t need = wtf8_decode(value, nullptr);
    if (need + 1 > cap) return uint32_t(need + 1 > UINT32_MAX ? UINT32_MAX : need + 1);
    size_t o = wtf8_decode(value, buf);
    buf[o] = 0;
    last_error = 0;
    return uint32_t(o);
}

bool set_env(const char16_t* name, const char16_t* value) {
    static char name8[ENV_MAX * 3 + 1];
    static char value8[ENV_MAX * 3 + 1];
    size_t nlen = text_len_bounded(name, ENV_MAX + 1);
    if (nlen == 0 || nlen > ENV_MAX || has_equals(name, nlen)) return fail(EINVAL, -1);
    size_t vlen = value ? text_len_bounded(value, ENV_MAX + 1) : 0;
    if (vlen > ENV_MAX) return fail(EINVAL, -1);
    // An existing variable keeps its spelling.
    const char* old_value = nullptr;
    char** slot = find_entry(name, nlen, &old_value);
    size_t k;
    if (slot) {
        k = size_t(old_value - 1 - *slot);
        memcpy(name8, *slot, k);
    } else {
        k = wtf8_from_utf16(name, nlen, name8, sizeof name8 - 1);
    }
    name8[k] = 0;
    if (!value) {
        int r = sys_call_at<unsetenv_fn>(CALL_UNSETENV)(name8);
        if (r != 0) return fail(errno, -1);
        free_strings_environ_dropped();
        return true;
    }
    size_t m = wtf8_from_utf16(value, vlen, value8, sizeof value8);
    char* entry = static_cast<char*>(malloc(k + m + 2));
    if (!entry || !remember_own(entry)) {
        free(entry);
        return fail(ENOMEM, -1);
    }
    memcpy(entry, name8, k);
    entry[k] = '=';
    memcpy(entry + k + 1, value8, m);
    entry[k + m + 1] = 0;
    if (slot) own_strings[own_count - 1].slot = size_t(slot - environ);
    int r = sys_call_at<putenv_fn>(CALL_PUTENV)(entry);
    int saved = errno;
    free_strings_environ_dropped();
    if (r != 0) return fail(saved, -1);
    return true;
}

}  // namespace

SysCallSlot sys_calls[] = {
    SYS_SLOT("ReadFile", &read_file),
    SYS_SLOT("WriteFile", &write_file),
    SYS_SLOT("GetEnvironmentVariableW", &get_env),
    SYS_SLOT("SetEnvironmentVariableW", &set_env),
    SYS_SLOT("read", &::read),
    SYS_SLOT("write", &::write),
    SYS_SLOT("putenv", &::putenv),
    SYS_SLOT("unsetenv", &::unsetenv),
};
const size_t sys_call_count = sizeof sys_calls / sizeof sys_calls[0];

uint32_t sys_last_error(void) { return last_error; }
void sys_set_last_error(uint32_t code) { last_error = code; }

uint32_t sys_format_message(uint32_t code, char16_t* buf, uint32_t cap) {
    for (const CodeText& ct : code_texts) {
        if (ct.code != code) continue;
        size_t n = text_len(ct.text);
        if (n + 1 > cap) return 0;
        return uint32_t(text_copy(buf, cap, ct.text));
    }
    last_error = SYS_ERROR_MR_MID_NOT_FOUND;
    return 0;
}

namespace {

char16_t upper_unit(char16_t c) {
    if (c < 0x80) return text_upper(c);
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) || (c >= 0x430 && c <= 0x44F))
        return char16_t(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c == 0x3C2) return 0x3A3;
    if (c == 0x131) return u'I';  // dotless i, whose capital is the ASCII one
    if (c >= 0x450 && c <= 0x45F) return char16_t(c - 0x50);
    if (((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) && (c & 1)) return char16_t(c - 1);
    if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && !(c & 1)) return char16_t(c - 1);
    return c;
}

}  // namespace

void sys_char_upper(char16_t* s) {
    for (; *s; ++s) *s = upper_unit(*s);
}

void* sys_stderr_handle(void) { return reinterpret_cast<void*>(intptr_t(2)); }

void sys_message_box(const char16_t* title, const char16_t* text) {
    // No window system here: the box is shown on the terminal and "OK" is taken at once.
    static char out[3 * 16384 + 64];
    size_t n = 0;
    out[n++] = '[';
    n += utf16_to_utf8(title, text_len_bounded(title, 1024), out + n, 1024 * 3);
    out[n++] = ']';
    out[n++] = '\n';
    n += utf16_to_utf8(text, text_len_bounded(text, 16384), out + n, sizeof out - n - 2);
    out[n++] = '\n';
    uint32_t done;
    sys_write_file(1, out, uint32_t(n), &done);
}

void* sys_stdout_handle(void) { return reinterpret_cast<void*>(intptr_t(1)); }

void sys_write_text(void* handle, const char16_t* text, size_t n) {
    sys_write_utf8(uint64_t(intptr_t(handle)), text, n);
}
