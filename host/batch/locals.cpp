// SETLOCAL and ENDLOCAL: the environment saved whole and put back.
#include "host/batch/locals.h"

#include <vector>

#include "host/batch/commands.h"
#include "host/batch/expand.h"
#include "host/batch/limits.h"
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

std::vector<std::vector<EnvironmentEntry>> saved_environments;

// The environment as a SETLOCAL saw it: what was added since is removed, what changed is
// set back.
void restore_environment(const std::vector<EnvironmentEntry>& saved) {
    std::vector<EnvironmentEntry> now;
    system_environment(&now);
    for (const EnvironmentEntry& e : now) {
        bool kept = false;
        for (const EnvironmentEntry& s : saved) kept = kept || equal_nocase(s.name, e.name);
        if (!kept) shell_set_variable(e.name.c_str(), nullptr);
    }
    for (const EnvironmentEntry& s : saved) {
        bool same = false;
        for (const EnvironmentEntry& e : now) same = same || (equal_nocase(s.name, e.name) && s.value == e.value);
        if (!same) shell_set_variable(s.name.c_str(), s.value.c_str());
    }
}

}  // namespace

size_t locals_depth() { return saved_environments.size(); }

void end_locals_down_to(size_t depth) {
    while (saved_environments.size() > depth) {
        restore_environment(saved_environments.back());
        saved_environments.pop_back();
    }
}

SavedVariable save_variable(const std::u16string& name) {
    SavedVariable v{name, u"", false};
    v.set = variable_value(name, &v.value);
    return v;
}

void put_back(const SavedVariable& v) { shell_set_variable(v.name.c_str(), v.set ? v.value.c_str() : nullptr); }

int command_setlocal(const std::u16string&, const std::u16string&) {
    if (saved_environments.size() >= size_t(MAX_SETLOCAL_NESTING)) {
        stop_run(text_of(MSG_SETLOCAL_TOO_DEEP, std::to_string(MAX_SETLOCAL_NESTING)));
        return 1;
    }
    saved_environments.emplace_back();
    system_environment(&saved_environments.back());
    return 0;
}

int command_endlocal(const std::u16string&, const std::u16string& rest) {
    if (saved_environments.size() <= frame().locals_base) {
        stop_run(MSG_ENDLOCAL_WITHOUT_SETLOCAL);
        return 1;
    }
    // The named variables leave with their values, set or unset.
    std::vector<SavedVariable> kept;
    for (const std::u16string& name : scan_words(rest, SCAN_EXPANDED)) {
        if (!is_variable_name(name)) {
            stop_run(text_of(MSG_UNEXPECTED_TEXT, name));
            return 1;
        }
        kept.push_back(save_variable(name));
    }
    end_locals_down_to(saved_environments.size() - 1);
    for (const SavedVariable& v : kept) put_back(v);
    return 0;
}
