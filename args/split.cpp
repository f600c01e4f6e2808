#include "args/split.h"

#include <string.h>

#include "plugin/errors.h"
#include "plugin/messages.h"
#include "text/chars.h"

ArgTable ArgumentTable;

namespace {

// Entries from here on are null and 0: no split has given them a character since they
// were last cleared. A reset need clear only the entries below.
int32_t entries_in_use = MAX_ARGS;

void reset_table(ArgTable& t) {
    memset(t.pointers, 0, size_t(entries_in_use) * sizeof t.pointers[0]);
    memset(t.lengths, 0, size_t(entries_in_use) * sizeof t.lengths[0]);
    entries_in_use = 0;
    t.count = 0;
    t.store[0] = 0;
}

void trim_arguments(ArgTable& t, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        char16_t* s = t.pointers[i];
        while (t.lengths[i] > 0 && text_is_space(s[t.lengths[i] - 1])) s[--t.lengths[i]] = 0;
    }
}

}  // namespace

int32_t SplitArguments(const char16_t* text, uint32_t options) {
    if (!text) return -1;
    ArgTable& t = ArgumentTable;
    reset_table(t);
    if (!(options & (SPLIT_ON_WHITESPACE | SPLIT_ON_COMMAS))) options |= SPLIT_ON_WHITESPACE;

    int32_t p = 0;  // store position
    int32_t n = 0;  // index of the argument being filled
    int32_t k = 0;  // characters stored for it so far
    bool quoted = false;
    for (const char16_t* s = text;; ++s) {
        char16_t c = *s;
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        bool space = text_is_space(c);
        if (!quoted && k == 0 && space) continue;
        if (c == 0) {
            if (k > 0) ++n;
            break;
        }
        bool separator = (space && (options & SPLIT_ON_WHITESPACE)) || (c == u',' && (options & SPLIT_ON_COMMAS));
        if (!quoted && separator) {
            // A run of separators may outgrow the table or the store. The arguments past
            // MAX_ARGS are dropped, and cells past the store are never written: whatever
            // character would follow them overflows anyway.
            if (n < MAX_ARGS) ++n;
            if (p < MAX_ARG_LEN) ++p;
            if (p < MAX_ARG_LEN) t.store[p] = 0;
            k = 0;
            continue;
        }
        if (p >= MAX_ARG_LEN - 1) {
            ReportError(MSG_BUFFER_OVERFLOW, int(p), int(MAX_ARG_LEN));
            return -1;
        }
        if (n >= MAX_ARGS) continue;
        if (k == 0) {
            t.pointers[n] = &t.store[p];
            entries_in_use = n + 1;
        }
        if (options & SPLIT_UPPERCASE) c = text_upper(c);
        t.lengths[n] = ++k;
        t.store[p++] = c;
        t.store[p] = 0;
    }
    trim_arguments(t, n);
    t.count = n;
    return n;
}

bool ArgGiven(int32_t i) { return i >= 0 && i < MAX_ARGS && ArgumentTable.lengths[i] > 0; }

char16_t* ArgText(int32_t i) {
    static char16_t empty[1];
    if (ArgGiven(i)) return ArgumentTable.pointers[i];
    empty[0] = 0;
    return empty;
}
