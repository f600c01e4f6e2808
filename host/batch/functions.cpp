#include "host/batch/functions.h"

#include "host/batch/arith.h"
#include "host/batch/conditions.h"
#include "host/batch/expand.h"
#include "host/batch/text_functions.h"
#include "host/scan.h"
#include "host/batch/shell_files.h"
#include "host/words.h"
#include "shell/shell_host.h"

namespace {

const HostFunction functions[] = {
    {u"fileopen", function_fileopen, check_fileopen,
     u"@fileopen[PATH,MODE[,b|t]] (r, w, a, r+, w+, read, write, append)", false},
    {u"fileclose", function_fileclose, check_fileclose, u"@fileclose[HANDLE]", false},
    {u"fileseek", function_fileseek, check_fileseek, u"@fileseek[HANDLE,OFFSET,ORIGIN] (0, 1, 2)", false},
    {u"filesize", function_filesize, check_filesize, u"@filesize[PATH]", false},
    {u"samefile", function_samefile, check_samefile, u"@samefile[PATH1,PATH2]", false},
    {u"eval", function_eval, check_eval, u"@eval[EXPRESSION]", true},
    {u"numeric", function_numeric, nullptr, u"@numeric[TEXT]", true},
    {u"if", function_if, nullptr, u"@if[CONDITION,THEN,ELSE]", true},
    {u"len", function_len, nullptr, u"@len[TEXT]", true},
    {u"left", function_left, nullptr, u"@left[N,TEXT]", true},
    {u"right", function_right, nullptr, u"@right[N,TEXT]", true},
    {u"instr", function_instr, nullptr, u"@instr[START,LENGTH,TEXT]", true},
    {u"word", function_word, nullptr, u"@word[N,TEXT]", true},
    {u"words", function_words, nullptr, u"@words[TEXT]", true},
    {u"upper", function_upper, nullptr, u"@upper[TEXT]", true},
    {u"lower", function_lower, nullptr, u"@lower[TEXT]", true},
    {u"char", function_char, nullptr, u"@char[N]", true},
    {u"ascii", function_ascii, nullptr, u"@ascii[C]", true},
    {u"format", function_format, nullptr, u"@format[[-][0]WIDTH,TEXT]", true},
    {u"convert", function_convert, nullptr, u"@convert[FROM,TO,VALUE]", true},
};

bool argument_fits(const ArgumentForm& form, const std::u16string& argument) {
    int64_t number;
    if (argument.empty()) return false;
    switch (form.kind) {
    case ARGUMENT_TEXT: return true;
    case ARGUMENT_NUMBER: return parse_number(argument, &number);
    case ARGUMENT_WORD: return form.takes(argument);
    }
    return false;
}

}  // namespace

const HostFunction* host_function(const std::u16string& name) {
    for (const HostFunction& f : functions)
        if (equal_nocase(name, f.name)) return &f;
    return nullptr;
}

const HostFunction* host_functions(size_t* count) {
    *count = sizeof functions / sizeof functions[0];
    return functions;
}

std::vector<std::u16string> call_arguments(const std::u16string& args, bool written) {
    // As written, a reference's commas and a value's part's are their own.
    const ScanRules as_written = {true, true, true};
    std::vector<std::u16string> out = scan_commas(args, written ? as_written : SCAN_EXPANDED, SIZE_MAX);
    for (std::u16string& a : out) a = unquoted(trim(a));
    return out;
}

std::u16string form_fault(const CallForm& form, const std::u16string& args, bool written) {
    std::vector<std::u16string> a = call_arguments(args, written);
    // Expansion adds commas but never takes one away.
    if (a.size() > form.most) return form.syntax;
    // Written out, an argument that expansion makes is taken for one, of the right kind,
    // except that the last may stand for several (%@fileseek[%h,%rest]).
    bool open_end = false;
    for (size_t k = 0; k < a.size(); ++k) {
        if (written && has_expansion(a[k])) {
            open_end = k + 1 == a.size();
            continue;
        }
        if (!argument_fits(form.arguments[k], a[k])) return form.syntax;
    }
    return a.size() < form.least && !open_end ? form.syntax : u"";
}
