#include "host/batch/functions.h"

#include "host/batch/arith.h"
#include "host/batch/conditions.h"
#include "host/batch/text_functions.h"
#include "host/shell_files.h"
#include "host/words.h"

namespace {

const HostFunction functions[] = {
    {u"fileopen", function_fileopen, nullptr, u"@fileopen[PATH,MODE] (r, w, a, r+, w+)"},
    {u"fileclose", function_fileclose, nullptr, u"@fileclose[HANDLE]"},
    {u"fileseek", function_fileseek, nullptr, u"@fileseek[HANDLE,OFFSET,ORIGIN]"},
    {u"filesize", function_filesize, nullptr, u"@filesize[PATH]"},
    {u"samefile", function_samefile, nullptr, u"@samefile[PATH1,PATH2]"},
    {u"eval", function_eval, check_eval, u"@eval[EXPRESSION]"},
    {u"numeric", function_numeric, nullptr, u"@numeric[TEXT]"},
    {u"if", function_if, nullptr, u"@if[CONDITION,THEN,ELSE]"},
    {u"len", function_len, nullptr, u"@len[TEXT]"},
    {u"left", function_left, nullptr, u"@left[N,TEXT]"},
    {u"right", function_right, nullptr, u"@right[N,TEXT]"},
    {u"instr", function_instr, nullptr, u"@instr[START,LENGTH,TEXT]"},
    {u"word", function_word, nullptr, u"@word[N,TEXT]"},
    {u"words", function_words, nullptr, u"@words[TEXT]"},
    {u"upper", function_upper, nullptr, u"@upper[TEXT]"},
    {u"lower", function_lower, nullptr, u"@lower[TEXT]"},
    {u"char", function_char, nullptr, u"@char[N]"},
    {u"ascii", function_ascii, nullptr, u"@ascii[C]"},
    {u"format", function_format, nullptr, u"@format[[-][0]WIDTH,TEXT]"},
    {u"convert", function_convert, nullptr, u"@convert[FROM,TO,VALUE]"},
};

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
