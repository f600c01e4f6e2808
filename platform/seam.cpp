// Changing the fault seam's table. Kept apart from the calls that use the table: a
// program that never overrides a call, such as the plug-in, links none of this.
#include <string.h>

#include "platform/seam.h"

namespace {
SysCallSlot* find_slot(const char* name) {
    for (size_t i = 0; i < sys_call_count; ++i)
        if (strcmp(sys_calls[i].name, name) == 0) return &sys_calls[i];
    return nullptr;
}
}  // namespace

bool sys_override(const char* name, sys_call fn) {
    SysCallSlot* slot = find_slot(name);
    if (!slot) return false;
    slot->current = fn ? fn : slot->original;
    return true;
}

sys_call sys_original(const char* name) {
    SysCallSlot* slot = find_slot(name);
    return slot ? slot->original : nullptr;
}

void sys_restore_all(void) {
    for (size_t i = 0; i < sys_call_count; ++i) sys_calls[i].current = sys_calls[i].original;
}
