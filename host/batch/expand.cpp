#include "host/batch/expand.h"

#include "host/batch/functions.h"
#include "host/batch/stop.h"
#include "host/batch/variables.h"
#include "host/messages.h"
#include "host/output.h"
#include "host/plugin_link.h"
#include "host/words.h"
#include "platform/platform.h"
#include "shell/shell_host.h"
#include "text/chars.h"

namespace {

// Set once a function has stopped the run: nothing more in the text is called.
bool stopped = false;
int first_failure = 0;

void note_failure(int code) {
    if (first_failure == 0) first_failure = code;
    shell_set_internal(u"?", number_text(code).c_str());
}

void stop_expansion(const std::u16string& message) {
    stopped = true;
    stop_run(message);
}

void copy_result(const std::u16string& result, char16_t* out, size_t cap) {
    size_t n = result.size() < cap - 1 ? result.size() : cap - 1;
    result.copy(out, n);
    out[n] = 0;
}

bool call_host_function(const HostFunction& f, const std::u16string& args, char16_t* out, size_t cap) {
    std::u16string result;
    FunctionOutcome outcome = f.run(args, &result);
    if (outcome == FUNCTION_STOP) {
        stop_expansion(result);
        return false;
    }
    if (outcome == FUNCTION_FAILED) note_failure(1);
    copy_result(result, out, cap);
    return true;
}

// @BYTESTOW may be handed standard output's own handle: what is gathered goes out first.
bool writes_through_handle(const std::u16string& name) { return equal_nocase(name, u"bytestow"); }

bool call_plugin_function(const std::u16string& name, const std::u16string& args, char16_t* out, size_t cap) {
    if (args.size() > size_t(MAX_ARG_LEN) - 1) {
        stop_expansion(text_of(MSG_ARGS_TOO_LONG, name, std::to_string(args.size()), std::to_string(MAX_ARG_LEN - 1)));
        return false;
    }
    if (writes_through_handle(name)) shell_flush_output();
    PluginCall call = plugin_call_function(name, args);
    if (!call.fault.empty()) write_error_line(call.fault);
    if (call.code != 0 || !call.fault.empty()) {
        note_failure(call.code != 0 ? call.code : -1);
        return false;
    }
    copy_result(call.result, out, cap);
    return true;
}

bool on_function(const char16_t* name, const char16_t* args, char16_t* out, size_t cap) {
    if (stopped) return false;
    std::u16string n(name);
    if (const HostFunction* f = host_function(n)) return call_host_function(*f, args, out, cap);
    if (plugin_has_function(n)) return call_plugin_function(n, args, out, cap);
    stop_expansion(text_of(MSG_UNKNOWN_FUNCTION, n));
    return false;
}

// The check has refused every written fault; one that the shell still finds came out of
// a text the run made.
void on_shell_fault(int fault, const char16_t* at) {
    if (stopped) return;
    std::u16string quoted = quoted_part(std::u16string(at, text_len_bounded(at, QUOTE_MAX + 1)), 0);
    const char16_t* message = fault == SHELL_FAULT_TOO_DEEP        ? MSG_TOO_DEEP
                              : fault == SHELL_FAULT_PATH_MODIFIER ? MSG_PATH_MODIFIER
                                                                   : MSG_UNCLOSED_BRACKET;
    stop_expansion(text_of(message, quoted));
}

}  // namespace

void expansion_setup() {
    shell_set_function_handler(on_function);
    shell_set_fault_handler(on_shell_fault);
    variables_setup();
}

namespace {
bool too_long() {
    stop_run(text_of(MSG_LINE_TOO_LONG, std::to_string(SHELL_EXPAND_MAX - 1)));
    return false;
}
}  // namespace

bool expand_text(const std::u16string& in, std::u16string* out) {
    static char16_t buffer[SHELL_EXPAND_MAX + 1];
    if (in.size() >= SHELL_EXPAND_MAX) return too_long();
    if (!has_expansion(in)) {
        *out = in;
        return true;
    }
    stopped = false;
    size_t n = shell_expand(in.c_str(), buffer, SHELL_EXPAND_MAX + 1);
    if (stopped) return false;
    if (n >= SHELL_EXPAND_MAX) return too_long();
    out->assign(buffer, n);
    return true;
}

bool variable_value(const std::u16string& name, std::u16string* value) {
    static char16_t text[SHELL_EXPAND_MAX + 1];
    sys_set_last_error(0);
    uint32_t n = shell_get_variable(name.c_str(), text, SHELL_EXPAND_MAX + 1, nullptr);
    if (n == 0 || n > SHELL_EXPAND_MAX) return false;
    value->assign(text, n);
    return true;
}

int expansion_take_failure() {
    int code = first_failure;
    first_failure = 0;
    return code;
}
