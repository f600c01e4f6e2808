// The commands bhsh carries out itself, and the one table of every command it knows.
#include "host/batch/commands.h"

#include "host/batch/arith.h"
#include "host/batch/expand.h"
#include "host/batch/functions.h"
#include "host/batch/rules.h"
#include "host/batch/steering.h"
#include "host/batch/stop.h"
#include "host/messages.h"
#include "host/output.h"
#include "host/plugin_link.h"
#include "host/scan.h"
#include "host/system.h"
#include "host/words.h"
#include "platform/platform.h"
#include "shell/shell_host.h"
#include "text/chars.h"

namespace {

// echo prints everything after the one blank that ends the word "echo". Every line of a
// dump passes here: the text goes out without a copy.
int run_echo(const std::u16string& line, const std::u16string&) {
    size_t at = 0;
    skip_blanks(line, &at);
    at = line.size() > at + 4 ? at + 5 : line.size();
    size_t b, e;
    trim_bounds(line, at, line.size(), &b, &e);
    bool dot = at > 0 && line[at - 1] == u'.';
    if (e - b <= 3 && !dot) {  // commands are never echoed: "echo off" only says so
        std::u16string word = line.substr(b, e - b);
        if (equal_nocase(word, u"on") || equal_nocase(word, u"off")) return 0;
    }
    shell_write_text(sys_stdout_handle(), line.data() + at, line.size() - at);
    shell_write_text(sys_stdout_handle(), u"\r\n", 2);
    return 0;
}

bool is_switch(const std::u16string& word, const char16_t* name) { return equal_nocase(word, name); }

}  // namespace

// A name the expressions can read back: the operators bhsh does not take before '=' (/=,
// %=, **=, ...) are refused by it, where they would otherwise end up in a variable's name.
bool is_variable_name(const std::u16string& name) {
    if (name.empty()) return false;
    for (char16_t c : name)
        if (!shell_is_name_char(c)) return false;
    return true;
}

std::u16string call_target_refused(const std::u16string& target) {
    if (target.empty() || target[0] != u':') return u"";
    return text_of(MSG_CALL_LABEL, target, target.substr(1));
}

namespace {

// SET /A's form: NAME=, NAME+=, NAME-= or NAME*=, then the expression.
struct Assignment {
    std::u16string name, expression;
    char16_t op;  // 0 for a plain '='
};

bool read_assignment(const std::u16string& text, Assignment* a) {
    size_t eq = text.find(u'=');
    if (eq == std::u16string::npos) return false;
    size_t name_end = eq;
    a->op = 0;
    if (eq > 0 && (text[eq - 1] == u'+' || text[eq - 1] == u'-' || text[eq - 1] == u'*')) a->op = text[--name_end];
    a->name = trim(text.substr(0, name_end));
    a->expression = text.substr(eq + 1);
    return !a->name.empty();
}

bool variable_number(const std::u16string& name, int64_t* value, std::u16string* message) {
    std::u16string v;
    if (!variable_value(name, &v)) {
        *value = 0;
        return true;
    }
    v = trim(v);
    if (parse_number(v, value)) return true;
    *message = text_of(MSG_VARIABLE_NOT_NUMBER, name, v);
    return false;
}

bool set_variable(const std::u16string& name, const char16_t* value) {
    // An empty value removes the variable; removing one that is not there is no failure.
    if (shell_set_variable(name.c_str(), *value ? value : nullptr) ||
        (!*value && sys_last_error() == SYS_ERROR_ENVVAR_NOT_FOUND))
        return true;
    write_error_line(text_of(MSG_SET_FAILED, name, system_error_text(sys_last_error())));
    return false;
}

int run_set_arithmetic(const std::u16string& text) {
    Assignment a;
    if (!read_assignment(text, &a) || !is_variable_name(a.name)) {
        stop_run(MSG_SET_A_SYNTAX);
        return 1;
    }
    int64_t value, old = 0;
    std::u16string message;
    if (!arith_evaluate(a.expression, variable_number, &value, &message) ||
        (a.op && !variable_number(a.name, &old, &message))) {
        stop_run(message);
        return 1;
    }
    bool overflow = (a.op == u'+' && __builtin_add_overflow(old, value, &value)) ||
                    (a.op == u'-' && __builtin_sub_overflow(old, value, &value)) ||
                    (a.op == u'*' && __builtin_mul_overflow(old, value, &value));
    if (overflow) {
        stop_run(text_of(MSG_SET_A_RANGE, a.name));
        return 1;
    }
    return set_variable(a.name, number_text(value).c_str()) ? 0 : 1;
}

int run_set(const std::u16string&, const std::u16string& rest) {
    std::u16string first, after;
    split_word(rest, &first, &after);
    if (is_switch(first, u"/a")) return run_set_arithmetic(after);
    size_t eq = rest.find(u'=');
    std::u16string name = trim(rest.substr(0, eq == std::u16string::npos ? 0 : eq));
    if (name.empty()) {
        stop_run(MSG_SET_SYNTAX);
        return 1;
    }
    if (shell_get_internal(name.c_str())) {
        write_error_line(text_of(MSG_SET_INTERNAL, name));
        return 1;
    }
    return set_variable(name, rest.c_str() + eq + 1) ? 0 : 1;
}

std::u16string check_set(const std::u16string& written) {
    std::u16string first, after;
    split_word(written, &first, &after);
    if (is_switch(first, u"/a")) {
        Assignment a;
        if (!read_assignment(after, &a) || (!has_expansion(a.name) && !is_variable_name(a.name)))
            return MSG_SET_A_SYNTAX;
        return u"";
    }
    if (!first.empty() && first[0] == u'/') return MSG_SET_SYNTAX;
    size_t eq = written.find(u'=');
    if (eq == std::u16string::npos && !has_expansion(written)) return MSG_SET_SYNTAX;
    if (eq != std::u16string::npos && trim(written.substr(0, eq)).empty()) return MSG_SET_SYNTAX;
    return u"";
}

// DEL's line: its names, quotes taken off, and its switches. A switch is '/' and one letter
// on every build, so that "/data/x.bin" stays a path on Linux.
struct DelLine {
    std::vector<std::u16string> names;
    bool quiet_errors = false;  // /E
    std::u16string refused;
};

bool is_del_switch(const std::u16string& word) {
    return word.size() >= 2 && word[0] == u'/' && text_is_alpha(word[1]) && (word.size() == 2 || word[2] == u':');
}

// /Q is taken and changes nothing, as DEL never lists what it deletes; /E keeps the messages
// of files it cannot delete to itself.
bool take_del_switch(const std::u16string& word, DelLine* del) {
    char16_t letter = text_upper(word[1]);
    if (word.size() != 2 || (letter != u'Q' && letter != u'E')) return false;
    del->quiet_errors = del->quiet_errors || letter == u'E';
    return true;
}

// written: as the file holds it, where a word with something to expand is a name to come.
bool read_del(const std::u16string& text, bool written, DelLine* del) {
    for (const std::u16string& word : scan_words(text, written ? SCAN_WRITTEN : SCAN_EXPANDED)) {
        if (written && has_expansion(word)) {
            del->names.push_back(word);
        } else if (is_del_switch(word)) {
            if (!take_del_switch(word, del)) del->refused = text_of(MSG_DEL_SWITCH, word);
        } else {
            std::u16string name = word;
            for (size_t q; (q = name.find(u'"')) != std::u16string::npos;) name.erase(q, 1);
            if (has_wildcard(name)) del->refused = text_of(MSG_DEL_WILDCARD, name);
            del->names.push_back(name);
        }
        if (!del->refused.empty()) return false;
    }
    if (del->names.empty()) del->refused = text_of(MSG_MISSING_NAME, u"del");
    return del->refused.empty();
}

int run_del(const std::u16string&, const std::u16string& rest) {
    DelLine del;
    if (!read_del(rest, false, &del)) {
        stop_run(del.refused);
        return 1;
    }
    int status = 0;
    for (const std::u16string& n : del.names) {
        std::u16string error;
        if (system_path_kind(n) == PATH_FOLDER) error = MSG_IS_A_FOLDER_REASON;
        if (error.empty() && system_delete_file(n, &error)) continue;
        if (!del.quiet_errors) write_error_line(text_of(MSG_DEL_FAILED, n, error));
        status = 1;
    }
    return status;
}

std::u16string check_del(const std::u16string& written) {
    DelLine del;
    read_del(written, true, &del);
    return del.refused;
}

std::u16string record_text(const char16_t* s) {
    if (!s) return MSG_RECORD_NONE;
    return std::u16string(s, text_len_bounded(s, 4096));
}

int run_plugin_info(const std::u16string&, const std::u16string&) {
    const PluginInfo* r = plugin_record();
    if (!r) return 1;
    std::u16string version = number_text(r->major) + u"." + number_text(r->minor) + u"." + number_text(r->build);
    write_out(text_of(MSG_RECORD, record_text(r->name), version, record_text(r->description), record_text(r->author),
                      record_text(r->email), record_text(r->web_page), record_text(r->functions)));
    return 0;
}

int run_usage(const std::u16string&, const std::u16string& rest) {
    std::u16string name = trim(rest);
    if (name.empty()) {
        write_error_line(text_of(MSG_MISSING_NAME, u"usage"));
        return 1;
    }
    PluginCall call = plugin_call_usage(name);
    if (!call.fault.empty()) write_error_line(call.fault);
    if (call.code == 0) {
        if (call.fault.empty()) write_error_line(text_of(MSG_NO_USAGE, name));
        return 1;
    }
    std::u16string text = call.result;
    if (text.empty() || text.back() != u'\n') text += u"\r\n";
    write_out(text);
    return 0;
}

// The list of what bhsh serves, from its tables; the plug-in's names from its record.
void write_help_list() {
    size_t count;
    const Command* commands = commands_table(&count);
    std::u16string text = MSG_HELP_COMMANDS;
    for (size_t k = 0; k < count; ++k) text += u"  " + std::u16string(commands[k].form) + u"\r\n";
    text += text_of(MSG_HELP_KEYWORDS, LANGUAGE_KEYWORDS);
    const HostFunction* functions = host_functions(&count);
    text += MSG_HELP_FUNCTIONS;
    for (size_t k = 0; k < count; ++k) text += u"  " + std::u16string(functions[k].form) + u"\r\n";
    write_out(text);
    write_out_line(text_of(MSG_HELP_PLUGIN, plugin_names()));
}

int run_help(const std::u16string&, const std::u16string& rest) {
    std::u16string name = trim(rest);
    if (name.empty()) {
        write_help_list();
        return 0;
    }
    if (plugin_call_help(name).code == 0) {
        write_error_line(text_of(MSG_NO_HELP, name));
        return 1;
    }
    return 0;
}

std::u16string check_nothing_after(const std::u16string& written) {
    return trim(written).empty() ? u"" : text_of(MSG_UNEXPECTED_TEXT, trim(written));
}

std::u16string check_label(const std::u16string& written) {
    return trim(written).empty() ? std::u16string(MSG_MISSING_LABEL) : u"";
}

std::u16string check_call(const std::u16string& written) {
    std::vector<std::u16string> words = scan_words(written, SCAN_WRITTEN);
    if (words.empty()) return MSG_MISSING_FILE;
    return has_expansion(words[0]) ? u"" : call_target_refused(words[0]);
}

// ENDLOCAL's names, each a variable whose value is carried out.
std::u16string check_endlocal(const std::u16string& written) {
    for (const std::u16string& word : scan_words(written, SCAN_WRITTEN))
        if (!has_expansion(word) && !is_variable_name(word)) return text_of(MSG_UNEXPECTED_TEXT, word);
    return u"";
}

std::u16string check_exit_code(const std::u16string& written) { return written_number_fault(EXIT_CODE, written); }
std::u16string check_return(const std::u16string& written) { return written_number_fault(RETURN_STATUS, written); }
std::u16string check_shift(const std::u16string& written) { return written_number_fault(SHIFT_COUNT, written); }

const Command commands[] = {
    {u"echo", run_echo, nullptr, JUMP_NONE, u"echo TEXT, echo. (an empty line)"},
    {u"set", run_set, check_set, JUMP_NONE, u"set NAME=VALUE, set /a NAME=EXPRESSION (also +=, -=, *=)"},
    {u"goto", command_goto, check_label, JUMP_GOTO, u"goto LABEL"},
    {u"gosub", command_gosub, check_label, JUMP_GOSUB, u"gosub LABEL [ARGS], :LABEL [PARAMS]"},
    {u"return", command_return, check_return, JUMP_NONE, u"return [N]"},
    {u"call", command_call, check_call, JUMP_NONE, u"call FILE [ARGS]"},
    {u"quit", command_quit, check_exit_code, JUMP_NONE, u"quit [N]"},
    {u"cancel", command_cancel, check_exit_code, JUMP_NONE, u"cancel [N]"},
    {u"exit", command_exit, check_exit_code, JUMP_NONE, u"exit [N]"},
    {u"leave", command_leave, check_nothing_after, JUMP_LOOP, u"leave"},
    {u"iterate", command_iterate, check_nothing_after, JUMP_LOOP, u"iterate"},
    {u"setlocal", command_setlocal, check_nothing_after, JUMP_NONE, u"setlocal"},
    {u"endlocal", command_endlocal, check_endlocal, JUMP_NONE, u"endlocal [NAME...]"},
    {u"shift", command_shift, check_shift, JUMP_NONE, u"shift [N]"},
    {u"del", run_del, check_del, JUMP_NONE, u"del [/Q] [/E] FILE..."},
    {u"help", run_help, nullptr, JUMP_NONE, u"help [NAME]"},
    {u"usage", run_usage, nullptr, JUMP_NONE, u"usage NAME"},
    {u"plugin", run_plugin_info, check_nothing_after, JUMP_NONE, u"plugin"},
};

}  // namespace

const char16_t* const LANGUAGE_KEYWORDS =
    u"rem, :label, if [not] CONDITION COMMAND [else COMMAND], ( ... ), &, iff ... then, elseiff, else,\r\n"
    u"  endiff, do ... enddo, > >> 2> 2>> >& 2>&1, ^";

namespace {
// "echo." is echo with the text after its dot: how batch files write an empty line, and a
// line that begins with "on" or "off".
bool is_echo_dot(const std::u16string& name) {
    return name.size() >= 5 && name[4] == u'.' && equal_nocase(name.substr(0, 4), u"echo");
}
}  // namespace

const Command* find_command(const std::u16string& name) {
    for (const Command& c : commands)
        if (equal_nocase(name, c.name) || (c.run == run_echo && is_echo_dot(name))) return &c;
    return nullptr;
}

const Command* commands_table(size_t* count) {
    *count = sizeof commands / sizeof commands[0];
    return commands;
}
