// The table behind the fault seam (platform.h), defined by each build's platform file.
#pragma once
#include <stddef.h>

#include "platform/platform.h"

struct SysCallSlot {
    const char* name;
    sys_call current;
    sys_call original;
};

// The slots every build has first, in this order; a build's own follow from CALL_SHARED_COUNT.
enum : size_t { CALL_READ_FILE, CALL_WRITE_FILE, CALL_GET_ENV, CALL_SET_ENV, CALL_SHARED_COUNT };

extern SysCallSlot sys_calls[];
extern const size_t sys_call_count;

// A table entry whose current function is its original. A macro, not a function, so the
// table is filled in when the program is loaded, before any code runs.
#define SYS_SLOT(name, fn) \
    { name, reinterpret_cast<sys_call>(fn), reinterpret_cast<sys_call>(fn) }

// The function in slot i, with its own type again.
template <typename Fn>
Fn sys_call_at(size_t i) {
    return reinterpret_cast<Fn>(sys_calls[i].current);
}
