// Running batch lines: expansion through the stand-in shell, the built-in commands, and the
// plug-in's commands. A line's status is its command's exit code; when the command itself
// succeeded but a variable function failed while the line was expanded, it is the
// function's failure code, so that the next line can test %?.
#include "host/batch.h"

#include <limits.h>

#include "host/messages.h"
#include "host/output.h"
#include "host/plugin_link.h"
#include "host/shell_files.h"
#include "host/system.h"
#include "host/words.h"
#include "platform/platform.h"
#include "shell/shell_host.h"
#include "text/chars.h"

namespace {

// A line that changes nothing about %? (blank, rem, a label).
const int KEEP_STATUS = INT_MIN;
const size_t MAX_BATCH_BYTES = size_t(16) << 20;
const int MAX_IF_NESTING = 16;
const size_t NO_JUMP = size_t(-1);
// How much of a faulty reference an error line quotes.
const size_t QUOTE_MAX = 60;
const int64_t MAX_EXIT_CODE = 255;

struct Label {
    std::u16string name;
    size_t line;  // index of the label's line
};

struct Batch {
    bool active = false;
    std::vector<Label> labels;
};

// Everything a run keeps between lines and between the calls within a line.
struct RunState {
    Batch batch;
    int status = 0;
    bool quit_requested = false;
    int quit_code = 0;
    bool stop_requested = false;  // a goto found no label, or the output is gone
    size_t jump_to = NO_JUMP;     // line index of the label a goto found
    int line_fault = 0;           // failure code of a variable function in this line
    bool syntax_fault = false;    // the line's text cannot be run
    bool parse_fault = false;     // nor read as the language at all: a batch file stops there
};

// The host's one run. The stand-in shell calls back without a context of its own, so its
// handlers reach the run through this alone; everything else is handed the run it works on.
RunState the_run;

void set_status_variable(int code) { shell_set_internal(u"?", number_text(code).c_str()); }

void note_function_failure(RunState& run, int code) {
    if (run.line_fault == 0) run.line_fault = code;
    set_status_variable(code);
}

std::u16string quoted_part(const char16_t* at) {
    size_t n = text_len_bounded(at, QUOTE_MAX + 1);
    std::u16string s(at, n > QUOTE_MAX ? QUOTE_MAX : n);
    return n > QUOTE_MAX ? s + u"..." : s;
}

// A line that cannot be read as the language (an unclosed call, bracket or quote, a line too
// long, nesting too deep): reported where found. A batch file stops after the line, since
// what follows was written for a run that did not happen; at the prompt the next line is read.
void report_parse_fault(RunState& run, const std::u16string& message) {
    run.parse_fault = true;
    write_error_line(message);
}

void on_shell_fault(int fault, const char16_t* at) {
    RunState& run = the_run;
    if (run.syntax_fault) return;  // one report a line is enough
    run.syntax_fault = true;
    report_parse_fault(run,
                       text_of(fault == SHELL_FAULT_TOO_DEEP ? MSG_TOO_DEEP : MSG_UNCLOSED_BRACKET, quoted_part(at)));
}

void copy_result(const std::u16string& result, char16_t* out, size_t cap) {
    size_t n = result.size() < cap - 1 ? result.size() : cap - 1;
    result.copy(out, n);
    out[n] = 0;
}

bool on_function(const char16_t* name, const char16_t* args, char16_t* out, size_t cap) {
    RunState& run = the_run;
    // Once the line is known to be faulty, nothing more in it is called.
    if (run.syntax_fault) return false;
    std::u16string n(name), result;
    FileFunctionOutcome outcome = run_file_function(n, args, &result);
    if (outcome != FILE_FUNCTION_UNKNOWN) {
        if (outcome == FILE_FUNCTION_FAILED) note_function_failure(run, 1);
        copy_result(result, out, cap);
        return true;
    }
    if (!plugin_has_function(n)) {
        write_error_line(text_of(MSG_UNKNOWN_FUNCTION, n));
        run.syntax_fault = true;
        return false;
    }
    PluginCall call = plugin_call_function(n, args);
    if (!call.fault.empty()) write_error_line(call.fault);
    if (call.code != 0 || !call.fault.empty()) {
        note_function_failure(run, call.code != 0 ? call.code : -1);
        return false;
    }
    copy_result(call.result, out, cap);
    return true;
}

// Expands a text through the shell; false (reported) when the text cannot be run.
bool expand(RunState& run, const std::u16string& in, std::u16string* out) {
    static char16_t buffer[SHELL_EXPAND_MAX + 1];
    if (in.size() >= SHELL_EXPAND_MAX) {
        report_parse_fault(run, text_of(MSG_LINE_TOO_LONG, std::to_string(SHELL_EXPAND_MAX - 1)));
        return false;
    }
    run.syntax_fault = false;
    size_t n = shell_expand(in.c_str(), buffer, SHELL_EXPAND_MAX + 1);
    if (run.syntax_fault) return false;
    if (n >= SHELL_EXPAND_MAX) {
        report_parse_fault(run, text_of(MSG_LINE_TOO_LONG, std::to_string(SHELL_EXPAND_MAX - 1)));
        return false;
    }
    out->assign(buffer, n);
    return true;
}

bool is_defined(const std::u16string& name) {
    if (name.empty()) return false;
    if (shell_get_internal(name.c_str())) return true;
    char16_t probe[2];
    sys_set_last_error(0);
    uint32_t got = sys_get_env(name.c_str(), probe, 2);
    return got > 0 || sys_last_error() != SYS_ERROR_ENVVAR_NOT_FOUND;
}

int run_set(const std::u16string& rest) {
    size_t eq = rest.find(u'='), b, e;
    trim_bounds(rest, 0, eq == std::u16string::npos ? 0 : eq, &b, &e);
    std::u16string name = rest.substr(b, e - b);
    if (name.empty()) {
        write_error_line(MSG_SET_SYNTAX);
        return 1;
    }
    if (shell_get_internal(name.c_str())) {
        write_error_line(text_of(MSG_SET_INTERNAL, name));
        return 1;
    }
    const char16_t* value = rest.c_str() + eq + 1;  // the rest of the line, already ended
    // An empty value removes the variable; removing one that is not there is no failure.
    if (!sys_set_env(name.c_str(), *value ? value : nullptr) &&
        !(!*value && sys_last_error() == SYS_ERROR_ENVVAR_NOT_FOUND)) {
        write_error_line(text_of(MSG_SET_FAILED, name, system_error_text(sys_last_error())));
        return 1;
    }
    return 0;
}

int run_goto(RunState& run, const std::u16string& rest) {
    std::u16string label, ignored;
    split_word(rest, &label, &ignored);
    if (!label.empty() && label[0] == u':') label = label.substr(1);
    if (!run.batch.active) {
        write_error_line(MSG_NOT_IN_BATCH);
        return 1;
    }
    if (label.empty()) {
        write_error_line(MSG_MISSING_LABEL);
        return 1;
    }
    for (const Label& l : run.batch.labels)
        if (equal_nocase(l.name, label)) {
            run.jump_to = l.line;
            return 0;
        }
    write_error_line(text_of(MSG_LABEL_NOT_FOUND, label));
    run.stop_requested = true;
    return 1;
}

int run_quit(RunState& run, const std::u16string& rest) {
    std::u16string text = trim(rest);
    int64_t code = 0;
    run.quit_requested = true;
    // What every system passes on whole to the process that waits for it.
    if (!text.empty() && (!parse_number(text, &code) || code < 0 || code > MAX_EXIT_CODE)) {
        write_error_line(text_of(MSG_BAD_EXIT_CODE, text));
        code = 1;
    }
    run.quit_code = int(code);
    return run.quit_code;
}

std::u16string record_text(const char16_t* s) {
    if (!s) return MSG_RECORD_NONE;
    return std::u16string(s, text_len_bounded(s, 4096));
}

int run_plugin_info() {
    const PluginInfo* r = plugin_record();
    if (!r) return 1;
    std::u16string version = number_text(r->major) + u"." + number_text(r->minor) + u"." + number_text(r->build);
    write_out(text_of(MSG_RECORD, record_text(r->name), version, record_text(r->description), record_text(r->author),
                      record_text(r->email), record_text(r->web_page), record_text(r->functions)));
    return 0;
}

int run_usage(const std::u16string& name) {
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

int run_help(const std::u16string& name) {
    if (name.empty()) {
        write_out(MSG_HELP_LIST);
        write_out_line(text_of(MSG_HELP_PLUGIN, plugin_names()));
        return 0;
    }
    if (plugin_call_help(name).code == 0) {
        write_error_line(text_of(MSG_NO_HELP, name));
        return 1;
    }
    return 0;
}

int run_plugin_command(const std::u16string& name, const std::u16string& text) {
    PluginCall call = plugin_call_command(name, text);
    if (call.fault.empty()) return call.code;
    write_error_line(call.fault);
    return call.code != 0 ? call.code : 1;
}

// echo prints everything after the one blank that ends the word "echo".
int run_echo(const std::u16string& line) {
    size_t at = 0;
    skip_blanks(line, &at);
    std::u16string text = line.size() > at + 4 ? line.substr(at + 5) : u"";
    size_t b, e;
    trim_bounds(text, 0, text.size(), &b, &e);
    if (e - b <= 3) {  // commands are never echoed: "echo off" only says so
        std::u16string word = text.substr(b, e - b);
        if (equal_nocase(word, u"on") || equal_nocase(word, u"off")) return 0;
    }
    write_out_line(text);
    return 0;
}

int run_command(RunState& run, const std::u16string& raw, int if_depth);

// An operand of if, from the unexpanded text: a quoted text (quotes included in the
// comparison, as the shell compares them) or a word; brackets of references may hold blanks.
// False (reported) for an unclosed quote or bracket; the operand may come back empty.
bool scan_operand(RunState& run, const std::u16string& s, size_t* i, std::u16string* operand) {
    size_t start = *i, k = *i;
    int depth = 0;
    bool quoted = k < s.size() && s[k] == u'"';
    if (quoted) ++k;
    for (; k < s.size(); ++k) {
        char16_t c = s[k];
        if (c == u'[') ++depth;
        else if (c == u']' && depth > 0) --depth;
        else if (depth > 0) continue;
        else if (quoted && c == u'"') {
            ++k;
            break;
        } else if (!quoted && (text_is_space(c) || (c == u'=' && k + 1 < s.size() && s[k + 1] == u'='))) {
            break;
        }
    }
    *operand = s.substr(start, k - start);
    if (quoted && (operand->size() < 2 || operand->back() != u'"' || depth > 0)) {
        report_parse_fault(run, text_of(MSG_UNCLOSED_QUOTE, quoted_part(operand->c_str())));
        return false;
    }
    if (depth > 0) {
        report_parse_fault(run, text_of(MSG_UNCLOSED_BRACKET, quoted_part(operand->c_str())));
        return false;
    }
    *i = k;
    return true;
}

// Takes the keyword at i when it stands there as a whole word.
bool take_keyword(const std::u16string& s, size_t* i, const std::u16string& word) {
    size_t n = word.size();
    if (*i + n >= s.size() || !equal_nocase(s.substr(*i, n), word) || !text_is_space(s[*i + n])) return false;
    *i += n;
    skip_blanks(s, i);
    return true;
}

// The numeric comparisons of if, by their keywords.
struct Comparison {
    const char16_t* name;
    bool (*holds)(int64_t a, int64_t b);
};
const Comparison comparisons[] = {
    {u"lt", [](int64_t a, int64_t b) { return a < b; }},  {u"le", [](int64_t a, int64_t b) { return a <= b; }},
    {u"eq", [](int64_t a, int64_t b) { return a == b; }}, {u"ne", [](int64_t a, int64_t b) { return a != b; }},
    {u"ge", [](int64_t a, int64_t b) { return a >= b; }}, {u"gt", [](int64_t a, int64_t b) { return a > b; }},
};

// The condition is expanded on its own, and the command only when it is to run, so a
// function in a command that does not run is never called.
int run_if(RunState& run, const std::u16string& rest, int if_depth) {
    if (if_depth >= MAX_IF_NESTING) {
        report_parse_fault(run, MSG_IF_TOO_DEEP);
        return 1;
    }
    size_t i = 0;
    skip_blanks(rest, &i);
    bool negate = take_keyword(rest, &i, u"not");
    bool holds;
    if (take_keyword(rest, &i, u"defined")) {
        size_t start = i;
        while (i < rest.size() && !text_is_space(rest[i])) ++i;
        std::u16string name;
        if (!expand(run, rest.substr(start, i - start), &name)) return 1;
        holds = is_defined(trim(name));
    } else {
        std::u16string a, b;
        if (!scan_operand(run, rest, &i, &a)) return 1;
        skip_blanks(rest, &i);
        const Comparison* numeric = nullptr;
        for (const Comparison& c : comparisons)
            if (!numeric && take_keyword(rest, &i, c.name)) numeric = &c;
        if (a.empty() || (!numeric && rest.compare(i, 2, u"==") != 0)) {
            write_error_line(MSG_IF_SYNTAX);
            return 1;
        }
        if (!numeric) i += 2;
        skip_blanks(rest, &i);
        if (!scan_operand(run, rest, &i, &b)) return 1;
        if (b.empty()) {
            write_error_line(MSG_IF_SYNTAX);
            return 1;
        }
        std::u16string ea, eb;
        if (!expand(run, a, &ea) || !expand(run, b, &eb)) return 1;
        if (numeric) {
            int64_t na, nb;
            for (const std::u16string* t : {&ea, &eb})
                if (!parse_number(trim(*t), t == &ea ? &na : &nb)) {
                    write_error_line(text_of(MSG_BAD_NUMBER, trim(*t)));
                    return 1;
                }
            holds = numeric->holds(na, nb);
        } else {
            holds = equal_nocase(ea, eb);
        }
    }
    skip_blanks(rest, &i);
    std::u16string command = rest.substr(i);
    if (command.empty()) {
        write_error_line(MSG_IF_SYNTAX);
        return 1;
    }
    if (holds == negate) return 0;
    int code = run_command(run, command, if_depth + 1);
    return code == KEEP_STATUS ? 0 : code;
}

int run_command(RunState& run, const std::u16string& raw, int if_depth) {
    size_t at = 0;
    skip_blanks(raw, &at);
    while (at < raw.size() && raw[at] == u'@') {
        ++at;
        skip_blanks(raw, &at);
    }
    if (at == raw.size() || raw[at] == u':') return KEEP_STATUS;
    std::u16string stripped;
    if (at > 0) stripped = raw.substr(at);
    const std::u16string& t = at > 0 ? stripped : raw;
    // rem and if are known before expansion, by their word as typed.
    size_t end = 0;
    while (end < t.size() && !text_is_space(t[end])) ++end;
    if (end == 3 && equal_nocase(t.substr(0, 3), u"rem")) return KEEP_STATUS;
    if (end == 2 && equal_nocase(t.substr(0, 2), u"if")) {
        skip_blanks(t, &end);
        return run_if(run, t.substr(end), if_depth);
    }
    std::u16string word, rest, line;
    if (!expand(run, t, &line)) return 1;
    split_word(line, &word, &rest);
    if (word.empty()) return 0;
    if (equal_nocase(word, u"echo")) return run_echo(line);
    if (equal_nocase(word, u"set")) return run_set(rest);
    if (equal_nocase(word, u"goto")) return run_goto(run, rest);
    if (equal_nocase(word, u"quit") || equal_nocase(word, u"exit")) return run_quit(run, rest);
    if (equal_nocase(word, u"plugin")) return run_plugin_info();
    if (equal_nocase(word, u"usage")) return run_usage(trim(rest));
    if (equal_nocase(word, u"help")) return run_help(trim(rest));
    if (plugin_has_command(word)) return run_plugin_command(word, rest);
    write_error_line(text_of(MSG_UNKNOWN_COMMAND, word));
    return 1;
}

// A stream that can no longer be written ends the run, as it ends a Unix tool: whatever
// the script would go on to write would be lost, and a reader that has gone wants no more.
bool output_lost(RunState& run) {
    if (!handle_output_failure()) return false;
    if (!run.stop_requested) {
        run.stop_requested = true;
        run.status = EXIT_OUTPUT_LOST;
        set_status_variable(run.status);
    }
    return true;
}

// Ctrl-C, taken between lines: a batch file stops there; a line at the prompt ends with
// the status, and the next is read.
void note_interrupt(RunState& run) {
    run.status = EXIT_INTERRUPTED;
    set_status_variable(run.status);
    if (run.batch.active) run.stop_requested = true;
}

void take_interrupt(RunState& run) {
    if (system_take_interrupt()) note_interrupt(run);
}

void execute_line(RunState& run, const std::u16string& raw) {
    run.line_fault = 0;
    run.parse_fault = false;
    int code = run_command(run, raw, 0);
    if (output_lost(run)) return;
    if (run.parse_fault && run.batch.active) {
        run.stop_requested = true;
        code = 1;
    }
    if (code == KEEP_STATUS) return;
    run.status = code != 0 ? code : run.line_fault;
    set_status_variable(run.status);
}

int exit_code(const RunState& run) { return run.quit_requested ? run.quit_code : run.status; }

void set_arguments(const std::u16string& zero, const std::vector<std::u16string>& args) {
    char16_t name[2] = {u'0', 0};
    shell_set_internal(name, zero.c_str());
    for (char16_t d = u'1'; d <= u'9'; ++d) {
        name[0] = d;
        size_t k = size_t(d - u'1');
        shell_set_internal(name, k < args.size() ? args[k].c_str() : u"");
    }
}

std::u16string decode_utf16le(const std::string& bytes, size_t from) {
    std::u16string s;
    for (size_t i = from; i + 1 < bytes.size(); i += 2)
        s += char16_t(uint8_t(bytes[i]) | (uint16_t(uint8_t(bytes[i + 1])) << 8));
    for (char16_t& c : s)
        if (c == 0) c = u'\uFFFD';
    return s;
}

// A batch file's text: UTF-8 (with or without its mark), or UTF-16 with its mark.
std::u16string decode_batch(const std::string& bytes) {
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE) return decode_utf16le(bytes, 2);
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return system_text_from_bytes(bytes.substr(3));
    return system_text_from_bytes(bytes);
}

// Lines end in LF, CR LF or CR alone, as each system's editors leave them.
std::vector<std::u16string> split_lines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, u"\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

// Labels are found before the run, so a goto may jump forward; the first of a name counts.
std::vector<Label> find_labels(const std::vector<std::u16string>& lines) {
    std::vector<Label> labels;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::u16string t = trim_left(lines[i]);
        if (t.empty() || t[0] != u':') continue;
        std::u16string name, ignored;
        split_word(t.substr(1), &name, &ignored);
        bool known = false;
        for (const Label& l : labels) known = known || equal_nocase(l.name, name);
        if (!name.empty() && !known) labels.push_back(Label{name, i});
    }
    return labels;
}

}  // namespace

void batch_setup(bool transient, bool pipe) {
    shell_set_internal(u"_batch", u"0");
    shell_set_internal(u"_batchname", u"");
    shell_set_internal(u"_batchline", u"0");
    shell_set_internal(u"_transient", transient ? u"1" : u"0");
    shell_set_internal(u"_pipe", pipe ? u"1" : u"0");
    set_status_variable(0);
    set_arguments(u"", {});
    shell_set_function_handler(on_function);
    shell_set_fault_handler(on_shell_fault);
}

int run_script(const std::u16string& path, const std::vector<std::u16string>& args) {
    RunState& run = the_run;
    std::string bytes;
    std::u16string error;
    if (!system_read_file(path, MAX_BATCH_BYTES, &bytes, &error)) {
        write_error_line(text_of(MSG_CANNOT_READ_BATCH, path, error));
        return 1;
    }
    std::vector<std::u16string> lines = split_lines(decode_batch(bytes));
    run.batch.active = true;
    run.batch.labels = find_labels(lines);
    shell_set_internal(u"_batch", u"1");
    shell_set_internal(u"_batchname", path.c_str());
    set_arguments(path, args);
    for (size_t i = 0; i < lines.size() && !run.quit_requested && !run.stop_requested;) {
        std::u16string number = number_text(int64_t(i + 1));
        shell_set_internal(u"_batchline", number.c_str());
        error_location_set(path, long(i + 1));
        execute_line(run, lines[i]);
        take_interrupt(run);
        if (run.jump_to != NO_JUMP) {
            i = run.jump_to + 1;
            run.jump_to = NO_JUMP;
        } else {
            ++i;
        }
    }
    error_location_set(u"", 0);
    shell_set_internal(u"_batch", u"0");
    shell_set_internal(u"_batchname", u"");
    shell_set_internal(u"_batchline", u"0");
    run.batch = Batch();
    return exit_code(run);
}

int run_one_line(const std::u16string& line) {
    execute_line(the_run, line);
    take_interrupt(the_run);
    return exit_code(the_run);
}

namespace {

// Longest line read from standard input, in bytes; the rest of a longer line is dropped.
const size_t MAX_INPUT_LINE = size_t(SHELL_EXPAND_MAX) * 3;

struct InputBuffer {
    char data[4096];
    size_t len = 0, pos = 0;
    bool ended = false;
};

// One line of standard input without its line break; false at the end of input. Ctrl-C
// while it waits drops what it has of the line, which comes back empty and interrupted.
bool read_input_line(InputBuffer& in, std::u16string* line, bool* too_long, bool* interrupted) {
    std::string bytes;
    *too_long = false;
    *interrupted = false;
    for (;;) {
        if (in.pos == in.len) {
            if (in.ended) break;
            // Whoever feeds the lines through a pipe may wait for what the last ones wrote.
            shell_flush_output();
            in.len = system_read_stdin(in.data, sizeof in.data);
            in.pos = 0;
            if (in.len == 0 && system_take_interrupt()) {
                *interrupted = true;
                line->clear();
                return true;
            }
            if (in.len == 0) {
                in.ended = true;
                break;
            }
        }
        char c = in.data[in.pos++];
        if (c == '\n') {
            if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
            *line = system_text_from_bytes(bytes);
            return true;
        }
        if (bytes.size() < MAX_INPUT_LINE) bytes += c;
        else *too_long = true;
    }
    if (bytes.empty() && !*too_long) return false;
    *line = system_text_from_bytes(bytes);
    return true;
}

}  // namespace

int run_input(bool prompt) {
    RunState& run = the_run;
    static InputBuffer in;
    for (;;) {
        if (prompt) {
            write_out(MSG_PROMPT);
            shell_flush_output();
        }
        std::u16string line;
        bool too_long, interrupted;
        if (!read_input_line(in, &line, &too_long, &interrupted)) {
            if (prompt) write_out(u"\r\n");
            break;
        }
        if (interrupted) {
            note_interrupt(run);
            if (prompt) write_out(u"\r\n");
            continue;
        }
        if (too_long) {
            write_error_line(text_of(MSG_LINE_TOO_LONG, std::to_string(MAX_INPUT_LINE)));
            continue;
        }
        execute_line(run, line);
        take_interrupt(run);
        if (run.quit_requested || run.stop_requested) break;
    }
    return exit_code(run);
}
