// The walk of a script's tree. Each command is expanded when the run reaches it; the
// structure was fixed when the script was read. A command that cannot be carried out stops
// every batch file (status 1); what a command reports as failed is the script's to handle.
#include "host/batch/run.h"

#include <memory>

#include "host/batch/commands.h"
#include "host/batch/conditions.h"
#include "host/batch/expand.h"
#include "host/batch/limits.h"
#include "host/batch/rules.h"
#include "host/batch/script.h"
#include "host/batch/source.h"
#include "host/batch/steering.h"
#include "host/batch/stop.h"
#include "host/messages.h"
#include "host/output.h"
#include "host/plugin_link.h"
#include "host/system.h"
#include "host/words.h"
#include "platform/platform.h"
#include "shell/shell_host.h"
#include "text/chars.h"

namespace {

enum Flow { FLOW_NEXT, FLOW_GOTO, FLOW_LEAVE, FLOW_ITERATE, FLOW_RETURN, FLOW_QUIT, FLOW_CANCEL, FLOW_EXIT, FLOW_STOP };

// A script being run: a batch file (by name or CALL), -c's line, standard input, or a
// typed line.
struct Frame {
    Script script;
    bool batch_file = false;  // counts in %_batch, and the plug-in names it in error lines
    bool jumps = false;       // GOTO and GOSUB work (not at the prompt)
    std::u16string zero;      // %0
    std::vector<std::u16string> args;
    size_t locals_base = 0;  // SETLOCALs of the callers
    int subroutines = 0;
    std::vector<size_t> active;  // the sequences being run, outermost first
    size_t active_base = 0;      // where the running subroutine's sequences start
    int line = 0;
};

struct RunState {
    std::vector<std::unique_ptr<Frame>> frames;
    int status = 0;
    bool stopping = false;
    Flow pending = FLOW_NEXT;
    const Label* goto_target = nullptr;
    int nesting = 0;  // GOSUBs and CALLs
    int depth = 0;    // blocks being run, through every GOSUB and CALL
    int batch_files = 0;
    std::vector<std::vector<EnvironmentEntry>> locals;
    std::vector<std::vector<SavedStream>*> redirected;  // the streams each running command switched
    int command_status = 0;
};

RunState run;

Frame& frame() { return *run.frames.back(); }

void set_status(int code) {
    run.status = code;
    shell_set_internal(u"?", number_text(code).c_str());
}

// Every command passes here: the number is written without building a string.
void publish_line(int line) {
    char16_t digits[16], *p = digits + 15;
    *p = 0;
    unsigned v = unsigned(line);
    do *--p = char16_t(u'0' + v % 10);
    while ((v /= 10) != 0);
    shell_set_internal(u"_batchline", p);
}

void note_location(int line) {
    Frame& f = frame();
    f.line = line;
    if (f.batch_file) publish_line(line);
    error_location_set(f.script.name, f.script.name.empty() ? 0 : line);
}

// %0 to %9, %* and %#, and the batch file's own variables, for the frame that runs now.
void publish_frame() {
    Frame& f = frame();
    char16_t name[2] = {u'0', 0};
    shell_set_internal(name, f.zero.c_str());
    std::u16string all;
    for (size_t k = 0; k < f.args.size(); ++k) all += (k ? u" " : u"") + f.args[k];
    for (char16_t d = u'1'; d <= u'9'; ++d) {
        name[0] = d;
        size_t k = size_t(d - u'1');
        shell_set_internal(name, k < f.args.size() ? f.args[k].c_str() : u"");
    }
    shell_set_internal(u"*", all.c_str());
    shell_set_internal(u"#", number_text(int64_t(f.args.size())).c_str());
    shell_set_internal(u"_batch", number_text(run.batch_files).c_str());
    shell_set_internal(u"_batchname", f.batch_file ? f.script.name.c_str() : u"");
    if (!f.batch_file) shell_set_internal(u"_batchline", u"0");
    note_location(f.line);
}

// Back to the frame that called, or to no location at all.
void publish_caller() {
    if (!run.frames.empty()) publish_frame();
    else error_location_set(u"", 0);
}

void stop_with(int code) {
    shell_flush_output();
    run.stopping = true;
    set_status(code);
}

bool interrupted() {
    if (!system_take_interrupt()) return false;
    stop_with(EXIT_INTERRUPTED);
    return true;
}

// A stream that can no longer be written ends the run, as it ends a Unix tool.
bool output_gone() {
    if (!handle_output_failure()) return false;
    if (!run.stopping) stop_with(EXIT_OUTPUT_LOST);
    return true;
}

// The streams a command switched, put back in the reverse order.
void restore_streams(std::vector<SavedStream>* saved) {
    if (saved->empty()) return;
    shell_flush_output();
    for (size_t k = saved->size(); k-- > 0;) system_restore_stream(&(*saved)[k]);
    saved->clear();
    follow_standard_output();
}

bool redirect_streams(const Node& n, std::vector<SavedStream>* saved) {
    if (n.redirections.empty()) return true;
    shell_flush_output();
    for (const Redirection& r : n.redirections) {
        SavedStream s{0, 0};
        std::u16string target, error;
        bool ok = r.to_stream ? system_redirect_to_stream(r.stream, r.to_stream, &s, &error)
                              : expand_text(r.target, &target) &&
                                    system_redirect_to_file(r.stream, trim(target), r.append, &s, &error);
        if (s.stream) saved->push_back(s);
        if (!ok) {
            restore_streams(saved);
            if (!run.stopping) stop_run(text_of(MSG_CANNOT_REDIRECT, trim(target), error));
            return false;
        }
    }
    follow_standard_output();
    return true;
}

int run_plugin_command(const std::u16string& name, const std::u16string& text) {
    PluginCall call = plugin_call_command(name, text);
    if (call.fault.empty()) return call.code;
    write_error_line(call.fault);
    return call.code != 0 ? call.code : 1;
}

Flow take_pending() {
    Flow f = run.pending;
    run.pending = FLOW_NEXT;
    return run.stopping ? FLOW_STOP : f;
}

Flow run_redirected(const Node& n) {
    std::u16string line, word, rest;
    run.command_status = KEEP_STATUS;
    if (!expand_text(n.text, &line)) return FLOW_STOP;
    split_word(line, &word, &rest);
    // A name written out was looked up by the check: expansion cannot change it.
    const Command* command = n.command;
    bool known = command || n.plugin_command;
    if (!known && !word.empty()) command = find_command(word);
    if (!known && !command && !word.empty() && !plugin_has_command(word)) {
        stop_run(text_of(MSG_UNKNOWN_COMMAND, word));
        return FLOW_STOP;
    }
    run.command_status = word.empty() ? 0 : command ? command->run(line, rest) : run_plugin_command(word, rest);
    return FLOW_NEXT;
}

// The streams are switched before the text is expanded, so that what its functions say
// follows them too.
Flow run_command(const Node& n) {
    note_location(n.line);
    if (interrupted()) return FLOW_STOP;
    std::vector<SavedStream> saved;
    run.redirected.push_back(&saved);
    Flow flow = redirect_streams(n, &saved) ? run_redirected(n) : FLOW_STOP;
    restore_streams(&saved);
    run.redirected.pop_back();
    int failure = expansion_take_failure();
    if (output_gone()) return FLOW_STOP;
    Flow pending = take_pending();
    if (flow == FLOW_STOP || pending == FLOW_STOP) return FLOW_STOP;
    if (run.command_status != KEEP_STATUS) set_status(run.command_status != 0 ? run.command_status : failure);
    return pending;
}

Flow run_node(size_t id);

Flow run_sequence(size_t id, size_t from) {
    Frame& f = frame();
    f.active.push_back(id);
    const std::vector<size_t>& children = f.script.nodes[id].children;
    Flow flow = FLOW_NEXT;
    for (size_t k = from; k < children.size();) {
        flow = run_node(children[k]);
        if (flow == FLOW_GOTO && run.goto_target->sequence == id) {
            k = run.goto_target->index + 1;
            run.goto_target = nullptr;
            flow = FLOW_NEXT;
            continue;
        }
        if (flow != FLOW_NEXT) break;
        ++k;
    }
    f.active.pop_back();
    return flow;
}

// A function that fails in a condition sets %? while the condition is tested; the command
// that runs next has a status of its own all the same.
TestOutcome tested(const Condition& condition) {
    TestOutcome t = test_condition(condition);
    expansion_take_failure();
    return t;
}

// The same for the texts of a DO's head, expanded once.
bool head_expanded(const std::u16string& written, std::u16string* text) {
    bool ok = expand_text(written, text);
    expansion_take_failure();
    return ok;
}

Flow run_if(const Node& n) {
    note_location(n.line);
    if (interrupted()) return FLOW_STOP;
    TestOutcome t = tested(n.condition);
    if (t == TEST_STOP) return FLOW_STOP;
    if (t == TEST_TRUE) return run_node(n.children[0]);
    return n.children.size() > 1 ? run_node(n.children[1]) : FLOW_NEXT;
}

Flow run_iff(const Node& n) {
    for (size_t k = 0; k < n.children.size(); ++k) {
        const Condition& c = n.branches[k];
        if (!c.tests.empty()) {
            note_location(frame().script.nodes[n.children[k]].line);
            if (interrupted()) return FLOW_STOP;
            TestOutcome t = tested(c);
            if (t == TEST_STOP) return FLOW_STOP;
            if (t == TEST_FALSE) continue;
        }
        return run_node(n.children[k]);
    }
    return FLOW_NEXT;
}

// One pass of a DO's body: true to go on with the next.
bool loop_pass(size_t body, Flow* flow) {
    if (interrupted()) {
        *flow = FLOW_STOP;
        return false;
    }
    Flow f = run_node(body);
    if (f == FLOW_NEXT || f == FLOW_ITERATE) return true;
    *flow = f == FLOW_LEAVE ? FLOW_NEXT : f;
    return false;
}

bool set_loop_variable(const std::u16string& name, const std::u16string& value) {
    if (sys_set_env(name.c_str(), value.empty() ? nullptr : value.c_str()) || value.empty()) return true;
    stop_run(text_of(MSG_SET_FAILED, name, system_error_text(sys_last_error())));
    return false;
}

bool loop_number(const std::u16string& written, int64_t* value) {
    std::u16string text;
    if (!head_expanded(written, &text)) return false;
    std::u16string fault = number_fault(LOOP_NUMBER, text, value);
    if (fault.empty()) return true;
    stop_run(fault);
    return false;
}

bool loop_step(const std::u16string& written, int64_t* step) {
    std::u16string text;
    if (!head_expanded(written, &text)) return false;
    std::u16string fault = do_step_fault(text, step);
    if (fault.empty()) return true;
    stop_run(fault);
    return false;
}

Flow run_range(const DoHead& h, size_t body) {
    int64_t v, last, step = 1;
    if (!loop_number(h.first, &v) || !loop_number(h.last, &last) || (!h.step.empty() && !loop_step(h.step, &step)))
        return FLOW_STOP;
    Flow flow = FLOW_NEXT;
    while (step > 0 ? v <= last : v >= last) {
        if (!set_loop_variable(h.variable, number_text(v))) return FLOW_STOP;
        if (!loop_pass(body, &flow)) return flow;
        if (__builtin_add_overflow(v, step, &v)) break;
    }
    return flow;
}

char16_t fold(char16_t c, bool fold_case) { return fold_case ? text_upper(c) : c; }

// '*' any run of characters, '?' any one.
bool wildcard_match(const char16_t* pattern, const char16_t* name, bool fold_case) {
    const char16_t *star = nullptr, *resume = nullptr;
    while (*name) {
        if (*pattern == u'*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == u'?' || (*pattern && fold(*pattern, fold_case) == fold(*name, fold_case))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == u'*') ++pattern;
    return *pattern == 0;
}

bool before_nocase(const std::u16string& a, const std::u16string& b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t k = 0; k < n; ++k) {
        char16_t x = text_upper(a[k]), y = text_upper(b[k]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

// The files a name stands for: itself when it is a file; with wildcards, the matching
// files of its folder, sorted without regard to case, the folder part as written.
void matching_files(const std::u16string& pattern, std::vector<std::u16string>* files) {
    if (!has_wildcard(pattern)) {
        if (system_path_kind(pattern) == PATH_FILE) files->push_back(pattern);
        return;
    }
    size_t cut = pattern.find_last_of(u"/\\");
    std::u16string folder = cut == std::u16string::npos ? u"" : pattern.substr(0, cut + 1);
    std::u16string name_pattern = pattern.substr(folder.size());
    if (has_wildcard(folder)) return;
    std::vector<FolderEntry> entries;
    std::u16string error;
    if (!system_list_folder(folder.empty() ? u"." : folder, &entries, &error)) return;
    std::vector<std::u16string> names;
    for (const FolderEntry& e : entries)
        if (!e.folder && wildcard_match(name_pattern.c_str(), e.name.c_str(), system_names_fold_case()))
            names.push_back(e.name);
    for (size_t i = 1; i < names.size(); ++i)  // insertion sort: folders hold few names
        for (size_t j = i; j > 0 && before_nocase(names[j], names[j - 1]); --j) names[j].swap(names[j - 1]);
    for (const std::u16string& n : names) files->push_back(folder + n);
}

Flow run_list(const DoHead& h, size_t body) {
    std::u16string text;
    if (!head_expanded(h.first, &text)) return FLOW_STOP;
    std::vector<std::u16string> items = words_of(text, false);
    if (h.form == DO_FILES) {
        std::vector<std::u16string> files;
        for (const std::u16string& w : items) matching_files(unquoted(w), &files);
        items.swap(files);
    }
    Flow flow = FLOW_NEXT;
    for (const std::u16string& item : items) {
        if (!set_loop_variable(h.variable, item)) return FLOW_STOP;
        if (!loop_pass(body, &flow)) return flow;
    }
    return flow;
}

Flow run_do(const Node& n) {
    note_location(n.line);
    const DoHead& h = n.head;
    size_t body = n.children[0];
    Flow flow = FLOW_NEXT;
    int64_t count;
    switch (h.form) {
    case DO_COUNT:
        if (!loop_number(h.first, &count)) return FLOW_STOP;
        for (int64_t k = 0; k < count; ++k)
            if (!loop_pass(body, &flow)) return flow;
        return flow;
    case DO_FOREVER:
        while (loop_pass(body, &flow)) {
        }
        return flow;
    case DO_RANGE: return run_range(h, body);
    case DO_WHILE:
    case DO_UNTIL:
        for (;;) {
            if (h.form == DO_WHILE) {
                note_location(n.line);
                TestOutcome t = tested(h.condition);
                if (t != TEST_TRUE) return t == TEST_STOP ? FLOW_STOP : flow;
            }
            if (!loop_pass(body, &flow)) return flow;
            if (h.form == DO_UNTIL) {
                note_location(n.line);
                TestOutcome t = tested(h.condition);
                if (t != TEST_FALSE) return t == TEST_STOP ? FLOW_STOP : flow;
            }
        }
    case DO_WORDS:
    case DO_FILES: return run_list(h, body);
    }
    return flow;
}

Flow run_node_kind(const Node& n, size_t id) {
    switch (n.kind) {
    case NODE_COMMAND: return run_command(n);
    case NODE_SEQUENCE: return run_sequence(id, 0);
    case NODE_IF: return run_if(n);
    case NODE_IFF: return run_iff(n);
    case NODE_DO: return run_do(n);
    case NODE_LABEL: return FLOW_NEXT;
    }
    return FLOW_NEXT;
}

Flow run_node(size_t id) {
    const Node& n = frame().script.nodes[id];
    if (n.kind == NODE_COMMAND) return run_command(n);
    if (run.depth >= MAX_RUN_NESTING) {
        stop_run(text_of(MSG_RUN_TOO_DEEP, std::to_string(MAX_RUN_NESTING)));
        return FLOW_STOP;
    }
    ++run.depth;
    Flow flow = run_node_kind(n, id);
    --run.depth;
    return flow;
}

// The environment as a SETLOCAL saw it: what was added since is removed, what changed is
// set back.
void restore_environment(const std::vector<EnvironmentEntry>& saved) {
    std::vector<EnvironmentEntry> now;
    system_environment(&now);
    for (const EnvironmentEntry& e : now) {
        bool kept = false;
        for (const EnvironmentEntry& s : saved) kept = kept || equal_nocase(s.name, e.name);
        if (!kept) sys_set_env(e.name.c_str(), nullptr);
    }
    for (const EnvironmentEntry& s : saved) {
        bool same = false;
        for (const EnvironmentEntry& e : now) same = same || (equal_nocase(s.name, e.name) && s.value == e.value);
        if (!same) sys_set_env(s.name.c_str(), s.value.c_str());
    }
}

void end_locals_down_to(size_t depth) {
    while (run.locals.size() > depth) {
        restore_environment(run.locals.back());
        run.locals.pop_back();
    }
}

// Runs a frame's script from its start; a frame's QUIT ends it alone.
Flow run_frame(std::unique_ptr<Frame> f) {
    f->locals_base = run.locals.size();
    if (f->batch_file) ++run.batch_files;
    run.frames.push_back(std::move(f));
    publish_frame();
    Flow flow = run_sequence(frame().script.top, 0);
    end_locals_down_to(frame().locals_base);
    if (frame().batch_file) --run.batch_files;
    run.frames.pop_back();
    publish_caller();
    return flow;
}

// Reads and checks a script; a fault is reported where it stands.
bool read_checked(const std::u16string& name, const std::vector<std::u16string>& lines, Frame* f) {
    f->script.name = name;
    ScriptFault fault;
    if (read_script(lines, &f->script, &fault)) return true;
    error_location_set(name, name.empty() ? 0 : fault.line);
    write_error_line(fault.message);
    publish_caller();
    return false;
}

bool read_batch_file(const std::u16string& path, Frame* f) {
    std::string bytes;
    std::u16string error;
    bool read = system_read_file(path, MAX_BATCH_BYTES, &bytes, &error);
    if (read && bytes.size() > MAX_BATCH_BYTES) {
        error = text_of(MSG_BATCH_TOO_LARGE, std::to_string(MAX_BATCH_MIB));
        read = false;
    }
    if (!read) {
        write_error_line(text_of(MSG_CANNOT_READ_BATCH, path, error));
        return false;
    }
    return read_checked(path, script_lines(bytes), f);
}

bool nesting_allowed() {
    if (run.nesting < MAX_CALL_NESTING) return true;
    stop_run(text_of(MSG_NESTED_TOO_DEEP, std::to_string(MAX_CALL_NESTING)));
    return false;
}

// An exit code as QUIT, CANCEL and EXIT take it: none is 0.
bool exit_code_of(const std::u16string& rest, int* code) {
    int64_t v = 0;
    std::u16string fault = trim(rest).empty() ? u"" : number_fault(EXIT_CODE, rest, &v);
    if (!fault.empty()) {
        stop_run(fault);
        return false;
    }
    *code = int(v);
    return true;
}

int end_with(Flow flow, const std::u16string& rest) {
    int code;
    if (!exit_code_of(rest, &code)) return 1;
    run.pending = flow;
    return code;
}

bool jumps_allowed(const char16_t* command) {
    if (frame().jumps) return true;
    write_error_line(text_of(MSG_NOT_IN_BATCH, command));
    return false;
}

// The label a jump from the running subroutine's blocks reaches, or null (stopped).
const Label* jump_target_here(Jump jump, const std::u16string& label) {
    const Frame& f = frame();
    std::u16string fault;
    const Label* l = jump_target(f.script, jump, label, f.active, f.active_base, &fault);
    if (!l) stop_run(fault);
    return l;
}

struct SavedVariable {
    std::u16string name, value;
    bool set;
};

SavedVariable save_variable(const std::u16string& name) {
    SavedVariable v{name, u"", false};
    v.set = variable_value(name, &v.value);
    return v;
}

void put_back(const SavedVariable& v) { sys_set_env(v.name.c_str(), v.set ? v.value.c_str() : nullptr); }

// The run's report of a stop from below it.
void report_stop(const std::u16string& message) {
    if (run.stopping) return;
    // bhsh's own word goes where the user sees it, not into the command's file.
    for (size_t k = run.redirected.size(); k-- > 0;) restore_streams(run.redirected[k]);
    shell_flush_output();
    write_error_line(message);
    stop_with(1);
}

}  // namespace

int command_goto(const std::u16string&, const std::u16string& rest) {
    if (!jumps_allowed(u"goto")) return 1;
    std::u16string after;
    const Label* l = jump_target_here(JUMP_GOTO, jump_label(rest, &after));
    if (!l) return 1;
    run.goto_target = l;
    run.pending = FLOW_GOTO;
    return KEEP_STATUS;
}

// The label's parameters hold the arguments while the subroutine runs.
int command_gosub(const std::u16string&, const std::u16string& rest) {
    if (!jumps_allowed(u"gosub")) return 1;
    std::u16string args_text;
    const Label* l = jump_target_here(JUMP_GOSUB, jump_label(rest, &args_text));
    if (!l || !nesting_allowed()) return 1;
    Frame& f = frame();
    const std::vector<std::u16string>& params = f.script.nodes[l->node].parameters;
    std::vector<std::u16string> args = words_of(args_text, false);
    std::vector<SavedVariable> saved;
    for (size_t k = 0; k < params.size(); ++k) {
        saved.push_back(save_variable(params[k]));
        std::u16string value = k < args.size() ? args[k] : u"";
        sys_set_env(params[k].c_str(), value.empty() ? nullptr : value.c_str());
    }
    size_t base = f.active_base;
    f.active_base = f.active.size();
    ++f.subroutines;
    ++run.nesting;
    Flow flow = run_sequence(f.script.top, l->index + 1);
    --run.nesting;
    --f.subroutines;
    f.active_base = base;
    for (size_t k = saved.size(); k-- > 0;) put_back(saved[k]);
    if (flow == FLOW_NEXT) {
        stop_run(text_of(MSG_NO_RETURN, l->name));
        return 1;
    }
    if (flow != FLOW_RETURN) run.pending = flow;
    return KEEP_STATUS;
}

int command_return(const std::u16string&, const std::u16string& rest) {
    if (frame().subroutines == 0) {
        stop_run(MSG_RETURN_WITHOUT_GOSUB);
        return 1;
    }
    bool keep = trim(rest).empty();
    int64_t code = 0;
    std::u16string fault = keep ? u"" : number_fault(RETURN_STATUS, rest, &code);
    if (!fault.empty()) {
        stop_run(fault);
        return 1;
    }
    run.pending = FLOW_RETURN;
    return keep ? KEEP_STATUS : int(code);
}

int command_call(const std::u16string&, const std::u16string& rest) {
    std::vector<std::u16string> words = words_of(rest, false);
    if (words.empty()) {
        stop_run(text_of(MSG_MISSING_NAME, u"call"));
        return 1;
    }
    std::u16string refused = call_target_refused(words[0]);
    if (!refused.empty()) {
        stop_run(refused);
        return 1;
    }
    if (!nesting_allowed()) return 1;
    std::unique_ptr<Frame> f(new Frame);
    f->batch_file = true;
    f->jumps = true;
    // The arguments as typed, quotes and all, as the shell hands them on.
    f->zero = words[0];
    for (size_t k = 1; k < words.size(); ++k) f->args.push_back(words[k]);
    if (!read_batch_file(unquoted(f->zero), f.get())) {
        stop_with(1);
        return 1;
    }
    ++run.nesting;
    Flow flow = run_frame(std::move(f));
    --run.nesting;
    // QUIT ends the called file alone.
    if (flow != FLOW_NEXT && flow != FLOW_QUIT) run.pending = flow;
    return KEEP_STATUS;
}

int command_quit(const std::u16string&, const std::u16string& rest) { return end_with(FLOW_QUIT, rest); }
int command_cancel(const std::u16string&, const std::u16string& rest) { return end_with(FLOW_CANCEL, rest); }
int command_exit(const std::u16string&, const std::u16string& rest) { return end_with(FLOW_EXIT, rest); }

int command_leave(const std::u16string&, const std::u16string&) {
    run.pending = FLOW_LEAVE;
    return KEEP_STATUS;
}

int command_iterate(const std::u16string&, const std::u16string&) {
    run.pending = FLOW_ITERATE;
    return KEEP_STATUS;
}

int command_setlocal(const std::u16string&, const std::u16string&) {
    if (run.locals.size() >= size_t(MAX_SETLOCAL_NESTING)) {
        stop_run(text_of(MSG_SETLOCAL_TOO_DEEP, std::to_string(MAX_SETLOCAL_NESTING)));
        return 1;
    }
    run.locals.emplace_back();
    system_environment(&run.locals.back());
    return 0;
}

int command_endlocal(const std::u16string&, const std::u16string& rest) {
    if (run.locals.size() <= frame().locals_base) {
        stop_run(MSG_ENDLOCAL_WITHOUT_SETLOCAL);
        return 1;
    }
    // The named variables leave with their values, set or unset.
    std::vector<SavedVariable> kept;
    for (const std::u16string& name : words_of(rest, false)) {
        if (!is_variable_name(name)) {
            stop_run(text_of(MSG_UNEXPECTED_TEXT, name));
            return 1;
        }
        kept.push_back(save_variable(name));
    }
    end_locals_down_to(run.locals.size() - 1);
    for (const SavedVariable& v : kept) put_back(v);
    return 0;
}

int command_shift(const std::u16string&, const std::u16string& rest) {
    int64_t n = 1;
    std::u16string fault = trim(rest).empty() ? u"" : number_fault(SHIFT_COUNT, rest, &n);
    if (!fault.empty()) {
        stop_run(fault);
        return 1;
    }
    std::vector<std::u16string>& args = frame().args;
    args.erase(args.begin(), args.begin() + long(uint64_t(n) < args.size() ? size_t(n) : args.size()));
    publish_frame();
    return 0;
}

void batch_setup(bool transient, bool pipe) {
    shell_set_internal(u"_batch", u"0");
    shell_set_internal(u"_batchname", u"");
    shell_set_internal(u"_batchline", u"0");
    shell_set_internal(u"_transient", transient ? u"1" : u"0");
    shell_set_internal(u"_pipe", pipe ? u"1" : u"0");
    set_status(0);
    stop_report_set(report_stop);
    expansion_setup();
}

namespace {

int run_whole(const std::u16string& name, const std::vector<std::u16string>& lines) {
    std::unique_ptr<Frame> f(new Frame);
    f->jumps = true;
    if (!read_checked(name, lines, f.get())) return 1;
    run_frame(std::move(f));
    return run.status;
}

}  // namespace

int run_script(const std::u16string& path, const std::vector<std::u16string>& args) {
    std::unique_ptr<Frame> f(new Frame);
    f->batch_file = true;
    f->jumps = true;
    f->zero = path;
    f->args = args;
    if (!read_batch_file(path, f.get())) return 1;
    run_frame(std::move(f));
    return run.status;
}

int run_one_line(const std::u16string& line) { return run_whole(u"", {line}); }

int run_input(bool terminal) {
    if (!terminal) {
        std::string bytes;
        if (!read_whole_input(MAX_BATCH_BYTES, &bytes)) {
            write_error_line(text_of(MSG_INPUT_TOO_LARGE, std::to_string(MAX_BATCH_MIB)));
            return 1;
        }
        return run_whole(MSG_STANDARD_INPUT, script_lines(bytes));
    }
    for (;;) {
        write_out(MSG_PROMPT);
        shell_flush_output();
        std::u16string line;
        bool too_long, interrupted;
        if (!read_typed_line(&line, &too_long, &interrupted)) {
            write_out(u"\r\n");
            break;
        }
        if (interrupted) {  // Ctrl-C while the line was typed: it is dropped
            set_status(EXIT_INTERRUPTED);
            write_out(u"\r\n");
            continue;
        }
        if (too_long) {
            write_error_line(text_of(MSG_LINE_TOO_LONG, std::to_string(typed_line_max())));
            continue;
        }
        std::unique_ptr<Frame> f(new Frame);
        if (!read_checked(u"", {line}, f.get())) continue;
        run.stopping = false;
        Flow flow = run_frame(std::move(f));
        // After ^C the next prompt starts a line of its own, as a shell's does.
        if (flow == FLOW_STOP && run.status == EXIT_INTERRUPTED) write_out(u"\r\n");
        if (shell_output_failure() != 0) break;
        if (flow == FLOW_QUIT || flow == FLOW_EXIT || flow == FLOW_CANCEL) break;
    }
    return run.status;
}
