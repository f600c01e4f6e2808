// The host's own variable functions: the shell's @fileopen, @fileclose, @fileseek and
// @filesize, and @samefile, which is the host's alone. Only handles this host opened may
// be closed, so a batch file cannot close the host's own standard streams by mistake.
#include "host/shell_files.h"

#include <stdint.h>

#include <vector>

#include "host/messages.h"
#include "host/output.h"
#include "host/system.h"
#include "host/words.h"

namespace {

const size_t MAX_OPEN_FILES = 256;
std::vector<uint64_t> open_handles;

struct ModeName {
    const char16_t* name;
    FileMode mode;
};
const ModeName modes[] = {
    {u"r", FILE_READ},
    {u"w", FILE_WRITE},
    {u"a", FILE_APPEND},
    {u"r+", FILE_READ_WRITE},
    {u"w+", FILE_CREATE_READ_WRITE},
};

FunctionOutcome failed(const std::u16string& message, std::u16string* result) {
    write_error_line(message);
    *result = u"-1";
    return FUNCTION_FAILED;
}

bool parse_handle(const std::u16string& text, uint64_t* handle) {
    int64_t v;
    if (!parse_number(text, &v) || v < 0) return false;
    *handle = uint64_t(v);
    return true;
}

}  // namespace

// PATH,MODE with an optional third argument b (binary, which every file is anyway).
FunctionOutcome function_fileopen(const std::u16string& args, std::u16string* result) {
    std::vector<std::u16string> a = split_commas(args);
    const ModeName* mode = nullptr;
    if (a.size() == 2 || (a.size() == 3 && equal_nocase(a[2], u"b")))
        for (const ModeName& m : modes)
            if (equal_nocase(a[1], m.name)) mode = &m;
    if (!mode || a[0].empty()) return failed(MSG_FILEOPEN_SYNTAX, result);
    // One answer on every build: Linux would open a folder for reading, Windows refuse it.
    if (system_path_kind(a[0]) == PATH_FOLDER) return failed(text_of(MSG_IS_FOLDER, a[0]), result);
    if (open_handles.size() >= MAX_OPEN_FILES)
        return failed(text_of(MSG_TOO_MANY_FILES, std::to_string(MAX_OPEN_FILES)), result);
    uint64_t handle;
    std::u16string error;
    if (!system_open(a[0], mode->mode, &handle, &error))
        return failed(text_of(MSG_FILEOPEN_FAILED, a[0], error), result);
    open_handles.push_back(handle);
    *result = unsigned_text(handle);
    return FUNCTION_DONE;
}

FunctionOutcome function_fileclose(const std::u16string& args, std::u16string* result) {
    std::vector<std::u16string> a = split_commas(args);
    uint64_t handle;
    if (a.size() != 1 || a[0].empty()) return failed(MSG_FILECLOSE_SYNTAX, result);
    if (!parse_handle(a[0], &handle)) return failed(text_of(MSG_BAD_HANDLE, a[0]), result);
    size_t slot = 0;
    while (slot < open_handles.size() && open_handles[slot] != handle) ++slot;
    if (slot == open_handles.size()) return failed(text_of(MSG_NOT_OPENED, a[0]), result);
    open_handles.erase(open_handles.begin() + long(slot));
    std::u16string error;
    if (!system_close(handle, &error)) return failed(text_of(MSG_FILECLOSE_FAILED, a[0], error), result);
    *result = u"0";
    return FUNCTION_DONE;
}

FunctionOutcome function_fileseek(const std::u16string& args, std::u16string* result) {
    std::vector<std::u16string> a = split_commas(args);
    uint64_t handle;
    int64_t offset, origin = 0;
    bool good = (a.size() == 2 || a.size() == 3) && !a[0].empty() && parse_number(a[1], &offset);
    if (good && a.size() == 3) good = parse_number(a[2], &origin) && origin >= 0 && origin <= 2;
    if (!good) return failed(MSG_FILESEEK_SYNTAX, result);
    if (!parse_handle(a[0], &handle)) return failed(text_of(MSG_BAD_HANDLE, a[0]), result);
    uint64_t position;
    std::u16string error;
    if (!system_seek(handle, offset, int(origin), &position, &error))
        return failed(text_of(MSG_FILESEEK_FAILED, a[0], error), result);
    *result = unsigned_text(position);
    return FUNCTION_DONE;
}

FunctionOutcome function_filesize(const std::u16string& args, std::u16string* result) {
    std::vector<std::u16string> a = split_commas(args);
    if (a.size() != 1 || a[0].empty()) return failed(MSG_FILESIZE_SYNTAX, result);
    if (system_path_kind(a[0]) == PATH_FOLDER) return failed(text_of(MSG_IS_FOLDER, a[0]), result);
    uint64_t size;
    std::u16string error;
    if (!system_file_size(a[0], &size, &error)) return failed(text_of(MSG_FILESIZE_FAILED, a[0], error), result);
    *result = unsigned_text(size);
    return FUNCTION_DONE;
}

FunctionOutcome function_samefile(const std::u16string& args, std::u16string* result) {
    std::vector<std::u16string> a = split_commas(args);
    if (a.size() != 2 || a[0].empty() || a[1].empty()) return failed(MSG_SAMEFILE_SYNTAX, result);
    bool same;
    std::u16string error;
    if (!system_same_file(a[0], a[1], &same, &error))
        return failed(text_of(MSG_SAMEFILE_FAILED, a[0], a[1], error), result);
    *result = same ? u"1" : u"0";
    return FUNCTION_DONE;
}

void close_all_files() {
    std::u16string ignored;
    for (uint64_t h : open_handles) system_close(h, &ignored);
    open_handles.clear();
}
