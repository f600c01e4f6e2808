#include "host/batch/references.h"

#include "host/batch/expand.h"
#include "host/batch/functions.h"
#include "host/batch/variables.h"
#include "host/messages.h"
#include "host/output.h"
#include "host/plugin_link.h"
#include "host/scan.h"
#include "host/words.h"
#include "shell/shell_host.h"
#include "text/chars.h"

namespace {

// The references to variable functions in a text, checked as the shell will expand them:
// each name served, each bracket closed, the nesting within the shell's limit.
struct FunctionScan {
    const std::vector<std::u16string>& names_set;  // by SET, earlier in the script
    std::u16string message;

    bool fail(const std::u16string& m) {
        message = m;
        return false;
    }

    // A pure call with nothing to expand is run as the run would run it: its stop, if any,
    // is the run's own.
    static std::u16string checked_call(const HostFunction& f, const std::u16string& args) {
        std::u16string refused = f.check ? f.check(args) : u"";
        if (!refused.empty() || !f.pure || has_expansion(args)) return refused;
        std::u16string result;
        return f.run(args, &result) == FUNCTION_STOP ? result : u"";
    }

    bool function_at(const std::u16string& s, size_t* i, int depth) {
        size_t percent = *i, k = *i + 2;
        while (k < s.size() && shell_is_name_char(s[k])) ++k;
        std::u16string name = s.substr(percent + 2, k - percent - 2);
        if (name.empty() || k == s.size() || s[k] != u'[') {
            *i = percent + 1;  // no call: the text stands as it is
            return true;
        }
        if (depth >= SHELL_FUNCTION_NESTING_MAX) return fail(text_of(MSG_TOO_DEEP, quoted_part(s, percent)));
        ScanUnit call = scan_unit(s, percent, SCAN_WRITTEN);
        if (!call.closed) return fail(text_of(MSG_UNCLOSED_BRACKET, quoted_part(s, percent)));
        size_t close = call.end - 1;
        std::u16string args = s.substr(k + 1, close - k - 1);
        const HostFunction* f = host_function(name);
        if (!f && !plugin_has_function(name)) return fail(text_of(MSG_UNKNOWN_FUNCTION, name));
        if (f) {
            std::u16string refused = checked_call(*f, args);
            if (!refused.empty()) return fail(refused);
        }
        if (!level(args, depth + 1)) return false;
        *i = close + 1;
        return true;
    }

    // A name the script sets itself, or that it is handed from outside, is its own variable.
    bool served_or_own(const std::u16string& name) {
        if (!variable_unserved(name)) return true;
        for (const std::u16string& n : names_set)
            if (equal_nocase(n, name)) return true;
        std::u16string value;
        return variable_value(name, &value) || fail(text_of(MSG_VARIABLE_NOT_SERVED, name));
    }

    bool level(const std::u16string& s, int depth) {
        for (size_t i = 0; i < s.size();) {
            if (s[i] != u'%' || i + 1 == s.size()) {
                ++i;
            } else if (s[i + 1] == u'%') {
                i += 2;
            } else if (s[i + 1] == u'@') {
                if (!function_at(s, &i, depth)) return false;
            } else if (shell_is_name_char(s[i + 1])) {
                size_t k = i + 1;
                while (k < s.size() && shell_is_name_char(s[k])) ++k;
                if (!served_or_own(s.substr(i + 1, k - i - 1))) return false;
                i = k;
            } else if (s[i + 1] == u'~') {
                bool taken;
                size_t n = shell_argument_part_length(s.c_str() + i, &taken);
                if (n > 0 && !taken) return fail(text_of(MSG_PATH_MODIFIER, quoted_part(s, i)));
                i += n > 0 ? n : 1;
            } else if (s[i + 1] == u'[') {
                ScanUnit name = scan_unit(s, i, SCAN_WRITTEN);
                if (!name.closed) return fail(text_of(MSG_UNCLOSED_BRACKET, quoted_part(s, i)));
                i = name.end;
            } else {
                ++i;
            }
        }
        return true;
    }
};

}  // namespace

std::u16string reference_fault(const std::u16string& text, const std::vector<std::u16string>& names_set) {
    FunctionScan scan{names_set, u""};
    scan.level(text, 0);
    return scan.message;
}
