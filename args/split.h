// Cuts an argument text into arguments, into the one process-wide ArgumentTable.
#pragma once
#include <stdint.h>

#include "plugin/abi.h"  // MAX_ARG_LEN

enum : int32_t { MAX_ARGS = 1024 };

enum : uint32_t {
    SPLIT_ON_WHITESPACE = 0x0001,
    SPLIT_ON_COMMAS = 0x0002,
    SPLIT_UPPERCASE = 0x0080,
};

struct ArgTable {
    char16_t* pointers[MAX_ARGS];  // null where an argument has no stored character
    int32_t lengths[MAX_ARGS];     // 0 for an empty or absent argument
    int32_t count;
    char16_t store[MAX_ARG_LEN];
};

// Overwritten by every split; pointers stay valid until the next one.
extern ArgTable ArgumentTable;

// Returns the count of arguments, or -1 for a null text or a store overflow (reported).
int32_t SplitArguments(const char16_t* text, uint32_t options);

// The one way callers read the table. Argument i has at least one character:
inline bool arg_given(int32_t i) { return i >= 0 && i < MAX_ARGS && ArgumentTable.lengths[i] > 0; }
// Argument i as a writable text (callers upper-case it in place before quoting it); an
// argument without characters, or past the table, reads as an empty text.
inline char16_t* arg_text(int32_t i) {
    static char16_t empty[1];
    if (arg_given(i)) return ArgumentTable.pointers[i];
    empty[0] = 0;
    return empty;
}
