// The host's own variable functions: the shell's @fileopen, @fileclose, @fileseek and
// @filesize, and @samefile, which is the host's alone. Only handles this host opened may
// be closed, so a batch file cannot close the host's own standard streams by mistake.
#include "host/batch/shell_files.h"

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
    {u"r", FILE_READ},   {u"read", FILE_READ},     {u"w", FILE_WRITE},       {u"write", FILE_WRITE},
    {u"a", FILE_APPEND}, {u"append", FILE_APPEND}, {u"r+", FILE_READ_WRITE}, {u"w+", FILE_CREATE_READ_WRITE},
};

const ModeName* mode_named(const std::u16string& word) {
    for (const ModeName& m : modes)
        if (equal_nocase(word, m.name)) return &m;
    return nullptr;
}

bool takes_mode(const std::u16string& word) { return mode_named(word) != nullptr; }
// Binary or text: every file is read and written as bytes all the same, as bhsh serves no
// function that reads lines.
bool takes_binary_or_text(const std::u16string& word) { return equal_nocase(word, u"b") || equal_nocase(word, u"t"); }
bool takes_origin(const std::u16string& word) { return word == u"0" || word == u"1" || word == u"2"; }

const ArgumentForm TEXT = {ARGUMENT_TEXT, nullptr};
const CallForm fileopen_form = {
    2, 3, {TEXT, {ARGUMENT_WORD, takes_mode}, {ARGUMENT_WORD, takes_binary_or_text}}, MSG_FILEOPEN_SYNTAX};
const CallForm fileclose_form = {1, 1, {TEXT}, MSG_FILECLOSE_SYNTAX};
const CallForm fileseek_form = {
    3, 3, {TEXT, {ARGUMENT_NUMBER, nullptr}, {ARGUMENT_WORD, takes_origin}}, MSG_FILESEEK_SYNTAX};
const CallForm filesize_form = {1, 1, {TEXT}, MSG_FILESIZE_SYNTAX};
const CallForm samefile_form = {2, 2, {TEXT, TEXT}, MSG_SAMEFILE_SYNTAX};

FunctionOutcome failed(const std::u16string& message, std::u16string* result) {
    write_error_line(message);
    *result = u"-1";
    return FUNCTION_FAILED;
}

// A call in a form that could never run: the script is wrong, not the system.
bool wrong_form(const CallForm& form, const std::u16string& args, std::u16string* result) {
    *result = form_fault(form, args, false);
    return !result->empty();
}

bool parse_handle(const std::u16string& text, uint64_t* handle) {
    int64_t v;
    if (!parse_number(text, &v) || v < 0) return false;
    *handle = uint64_t(v);
    return true;
}

}  // namespace

std::u16string check_fileopen(const std::u16string& written) { return form_fault(fileopen_form, written, true); }
std::u16string check_fileclose(const std::u16string& written) { return form_fault(fileclose_form, written, true); }
std::u16string check_fileseek(const std::u16string& written) { return form_fault(fileseek_form, written, true); }
std::u16string check_filesize(const std::u16string& written) { return form_fault(filesize_form, written, true); }
std::u16string check_samefile(const std::u16string& written) { return form_fault(samefile_form, written, true); }

FunctionOutcome function_fileopen(const std::u16string& args, std::u16string* result) {
    if (wrong_form(fileopen_form, args, result)) return FUNCTION_STOP;
    std::vector<std::u16string> a = call_arguments(args, false);
    const ModeName* mode = mode_named(a[1]);
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
    if (wrong_form(fileclose_form, args, result)) return FUNCTION_STOP;
    std::vector<std::u16string> a = call_arguments(args, false);
    uint64_t handle;
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
    if (wrong_form(fileseek_form, args, result)) return FUNCTION_STOP;
    std::vector<std::u16string> a = call_arguments(args, false);
    uint64_t handle;
    int64_t offset;
    parse_number(a[1], &offset);
    if (!parse_handle(a[0], &handle)) return failed(text_of(MSG_BAD_HANDLE, a[0]), result);
    uint64_t position;
    std::u16string error;
    if (!system_seek(handle, offset, int(a[2][0] - u'0'), &position, &error))
        return failed(text_of(MSG_FILESEEK_FAILED, a[0], error), result);
    *result = unsigned_text(position);
    return FUNCTION_DONE;
}

FunctionOutcome function_filesize(const std::u16string& args, std::u16string* result) {
    if (wrong_form(filesize_form, args, result)) return FUNCTION_STOP;
    std::vector<std::u16string> a = call_arguments(args, false);
    if (system_path_kind(a[0]) == PATH_FOLDER) return failed(text_of(MSG_IS_FOLDER, a[0]), result);
    uint64_t size;
    std::u16string error;
    if (!system_file_size(a[0], &size, &error)) return failed(text_of(MSG_FILESIZE_FAILED, a[0], error), result);
    *result = unsigned_text(size);
    return FUNCTION_DONE;
}

FunctionOutcome function_samefile(const std::u16string& args, std::u16string* result) {
    if (wrong_form(samefile_form, args, result)) return FUNCTION_STOP;
    std::vector<std::u16string> a = call_arguments(args, false);
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
