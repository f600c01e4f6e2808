// The environment as the host and the stand-in shell read and write it: through the system,
// with the last few values read or written kept. A batch line reads a handful of variables,
// and some systems find each one by walking the whole environment block (Wine's does, at
// about a microsecond a read); a value kept is read in the time of a copy.
//
// What is kept is right only while nobody else writes: nothing is kept until the host, the
// one writer besides the plug-in, asks for it; every write here forgets all of it first
// (another spelling of a name may name the same variable); and the plug-in, which writes
// through the system itself, runs with nothing kept (the host holds the environment for it).
#include <string.h>

#include "platform/platform.h"
#include "shell/shell_host.h"
#include "text/chars.h"

namespace {

const int KEPT_MAX = 8;
// Longer names and values go to the system each time: the common ones are short.
const size_t KEPT_NAME_CAP = 64;
const size_t KEPT_VALUE_CAP = 1024;

struct Kept {
    char16_t name[KEPT_NAME_CAP];
    char16_t value[KEPT_VALUE_CAP];
    uint32_t len;
    bool set;  // false: the system said the name is not set
};

Kept kept[KEPT_MAX];
int kept_count = 0;
int next_slot = 0;  // the slot the next value takes once all are used
bool keeping = false;
int holds = 0;

void forget_all() {
    kept_count = 0;
    next_slot = 0;
}

Kept* find_kept(const char16_t* name) {
    for (int i = 0; i < kept_count; ++i)
        if (text_equal_nocase(kept[i].name, name)) return &kept[i];
    return nullptr;
}

void keep(const char16_t* name, const char16_t* value, size_t len, bool set) {
    size_t nlen = text_len_bounded(name, KEPT_NAME_CAP);
    if (!keeping || holds > 0 || nlen == 0 || nlen >= KEPT_NAME_CAP || len >= KEPT_VALUE_CAP) return;
    // Whether the system keeps an empty value or removes the name is its own affair.
    if (set && len == 0) return;
    Kept* k = find_kept(name);
    if (!k) {
        k = &kept[kept_count < KEPT_MAX ? kept_count++ : next_slot];
        next_slot = (next_slot + 1) % KEPT_MAX;
        memcpy(k->name, name, (nlen + 1) * sizeof *name);
    }
    if (set) memcpy(k->value, value, len * sizeof *value);
    k->len = uint32_t(len);
    k->set = set;
}

// A kept value under the system's own contract (see sys_get_env).
uint32_t read_kept(const Kept& k, char16_t* buf, uint32_t cap, bool* set) {
    if (set) *set = k.set;
    if (!k.set) {
        sys_set_last_error(SYS_ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    if (k.len + 1 > cap) return k.len + 1;
    memcpy(buf, k.value, k.len * sizeof *buf);
    buf[k.len] = 0;
    return k.len;
}

}  // namespace

extern "C" {

TAKECMD_API uint32_t shell_get_variable(const char16_t* name, char16_t* buf, uint32_t cap, bool* set) {
    if (keeping && holds == 0)
        if (const Kept* k = find_kept(name)) return read_kept(*k, buf, cap, set);
    sys_set_last_error(0);
    uint32_t n = sys_get_env(name, buf, cap);
    bool unset = n == 0 && sys_last_error() == SYS_ERROR_ENVVAR_NOT_FOUND;
    if (set) *set = !unset;
    if (n > 0 && n < cap) keep(name, buf, n, true);
    // Nothing read may also be a value that is empty: only the system's word is kept.
    if (unset) keep(name, nullptr, 0, false);
    return n;
}

TAKECMD_API bool shell_set_variable(const char16_t* name, const char16_t* value) {
    forget_all();
    if (!sys_set_env(name, value)) return false;
    keep(name, value, value ? text_len_bounded(value, KEPT_VALUE_CAP) : 0, value != nullptr);
    return true;
}

TAKECMD_API void shell_keep_variables(bool keep) {
    forget_all();
    keeping = keep;
}

TAKECMD_API void shell_hold_variables(bool held) {
    forget_all();
    holds += held ? 1 : -1;
}

}  // extern "C"
