// The walk of a script's tree. Each command is expanded when the run reaches it; the
// structure was fixed when the script was read. A command that cannot be carried out stops
// every batch file (status 1); what a command reports as failed is the script's to handle.
#include "host/batch/run.h"

#include "host/batch/commands.h"
#include "host/batch/conditions.h"
#include "host/batch/expand.h"
#include "host/batch/file_match.h"
#include "host/batch/limits.h"
#include "host/batch/rules.h"
#include "host/batch/script.h"
#include "host/batch/steering.h"
#include "host/batch/stop.h"
#include "host/batch/walk.h"
#include "host/messages.h"
#include "host/output.h"
#include "host/plugin_link.h"
#include "host/scan.h"
#include "host/system.h"
#include "host/words.h"
#include "platform/platform.h"
#include "shell/shell_host.h"
#include "text/chars.h"

RunState run;

Frame& frame() { return *run.frames.back(); }

void set_status(int code) {
    run.status = code;
    shell_set_internal(u"?", number_text(code).c_str());
}

namespace {

// Every command passes here: the number is written without building a string.
void publish_line(int line) {
    char16_t digits[16], *p = digits + 15;
    *p = 0;
    unsigned v = unsigned(line);
    do *--p = char16_t(u'0' + v % 10);
    while ((v /= 10) != 0);
    shell_set_internal(u"_batchline", p);
}

}  // namespace

void note_location(int line) {
    Frame& f = frame();
    f.line = line;
    if (f.batch_file) publish_line(line);
    error_location_set(f.script.name, f.script.name.empty() ? 0 : line);
}

void stop_with(int code) {
    shell_flush_output();
    run.stopping = true;
    set_status(code);
}

namespace {

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

}  // namespace

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

namespace {

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
    if (shell_set_variable(name.c_str(), value.empty() ? nullptr : value.c_str()) || value.empty()) return true;
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

Flow run_list(const DoHead& h, size_t body) {
    std::u16string text;
    if (!head_expanded(h.first, &text)) return FLOW_STOP;
    std::vector<std::u16string> items = scan_words(text, SCAN_EXPANDED);
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

void batch_setup(bool transient, bool pipe) {
    shell_set_internal(u"_batch", u"0");
    shell_set_internal(u"_batchname", u"");
    shell_set_internal(u"_batchline", u"0");
    shell_set_internal(u"_transient", transient ? u"1" : u"0");
    shell_set_internal(u"_pipe", pipe ? u"1" : u"0");
    set_status(0);
    stop_report_set(report_stop);
    expansion_setup();
    // Every write of the run's goes through the shell, and the plug-in's calls hold it.
    shell_keep_variables(true);
}
