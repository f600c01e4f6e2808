// Frames: a script being run with its arguments, and the commands that start and leave one
// (CALL, GOSUB, RETURN), jump within one (GOTO) or move its arguments (SHIFT).
#include <memory>

#include "host/batch/commands.h"
#include "host/batch/expand.h"
#include "host/batch/limits.h"
#include "host/batch/locals.h"
#include "host/batch/rules.h"
#include "host/batch/run.h"
#include "host/batch/script.h"
#include "host/batch/source.h"
#include "host/batch/steering.h"
#include "host/batch/stop.h"
#include "host/batch/walk.h"
#include "host/messages.h"
#include "host/output.h"
#include "host/scan.h"
#include "host/system.h"
#include "host/words.h"
#include "shell/shell_host.h"

namespace {

// Back to the frame that called, or to no location at all.
void publish_caller() {
    if (!run.frames.empty()) publish_frame();
    else error_location_set(u"", 0);
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

}  // namespace

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

// Runs a frame's script from its start; a frame's QUIT ends it alone.
Flow run_frame(std::unique_ptr<Frame> f) {
    f->locals_base = locals_depth();
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
    std::vector<std::u16string> args = scan_words(args_text, SCAN_EXPANDED);
    std::vector<SavedVariable> saved;
    for (size_t k = 0; k < params.size(); ++k) {
        saved.push_back(save_variable(params[k]));
        std::u16string value = k < args.size() ? args[k] : u"";
        shell_set_variable(params[k].c_str(), value.empty() ? nullptr : value.c_str());
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
    std::vector<std::u16string> words = scan_words(rest, SCAN_EXPANDED);
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

int run_whole(const std::u16string& name, const std::vector<std::u16string>& lines) {
    std::unique_ptr<Frame> f(new Frame);
    f->jumps = true;
    if (!read_checked(name, lines, f.get())) return 1;
    run_frame(std::move(f));
    return run.status;
}

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
