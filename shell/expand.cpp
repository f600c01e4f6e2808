// Variable expansion of the stand-in shell: %NAME%, %NAME, %[NAME], %0-%9, %*, %#, %?, %%,
// the parts of an argument (%~dp0), a part of a value or a value edited (%NAME:~S,L%,
// %NAME:OLD=NEW%) and variable functions %@NAME[ARGS], innermost first. Internal variables set
// by the host come before the environment, and the variables the host works out after it;
// unset _batch, _transient and _pipe read as 0.
#include <string.h>

#include "platform/platform.h"
#include "shell/shell_host.h"
#include "text/chars.h"

namespace {

const size_t NAME_CAP = 256;
const int MAX_INTERNALS = 48;
const int MAX_DEPTH = SHELL_FUNCTION_NESTING_MAX;
const size_t VALUE_CAP = SHELL_EXPAND_MAX + 1;

struct Internal {
    char16_t name[NAME_CAP];
    char16_t value[VALUE_CAP];
};

Internal internals[MAX_INTERNALS];
// The first letter of each slot's name in upper case, 0 for a free slot. Every reference
// asks for an internal variable first, and most names are turned away on their first
// letter: read from here, that costs one cache line, where reading it from the slots
// themselves, 64 KiB apart, cost a line and a page each.
char16_t first_letters[MAX_INTERNALS];
// Slots from here on have never been used: lookups stop here.
int slots_reached = 0;
shell_function_handler function_handler = nullptr;
shell_fault_handler fault_handler = nullptr;
shell_variable_handler variable_handler = nullptr;
shell_path_handler path_handler = nullptr;

// Working buffers of one expansion level each; the shell runs one call at a time.
char16_t args_text[MAX_DEPTH][VALUE_CAP];
char16_t args_expanded[MAX_DEPTH][VALUE_CAP];
char16_t call_result[MAX_DEPTH][VALUE_CAP];
// The longest value a Linux process can be handed in its environment (128 KiB); a value
// is read whole and then cut at the expansion's maximum, never dropped.
const size_t LONGEST_ENV_VALUE = size_t(1) << 17;
char16_t env_value[LONGEST_ENV_VALUE + 1];
char16_t in_place_copy[VALUE_CAP];
// One variable's value while a part of it is taken, and the part; neither nests.
char16_t whole_value[VALUE_CAP];
char16_t value_part[VALUE_CAP];

struct Sink {
    char16_t* out;
    size_t cap;  // characters, NUL excluded
    size_t len;
};

void report_fault(int fault, const char16_t* at) {
    if (fault_handler) fault_handler(fault, at);
}

void put(Sink& s, char16_t c) {
    if (s.len < s.cap) s.out[s.len++] = c;
}

// Values and results run to thousands of characters: they are copied whole, not one by one.
void put_run(Sink& s, const char16_t* t, size_t n) {
    size_t room = s.cap - s.len;
    if (n > room) n = room;
    memcpy(s.out + s.len, t, n * sizeof *t);
    s.len += n;
}

void put_text(Sink& s, const char16_t* t) { put_run(s, t, text_len_bounded(t, s.cap - s.len)); }

// The slot holding name, or -1.
int slot_of(const char16_t* name) {
    char16_t first = text_upper(name[0]);
    if (first == 0) return -1;
    for (int i = 0; i < slots_reached; ++i)
        if (first_letters[i] == first && text_equal_nocase(internals[i].name, name)) return i;
    return -1;
}

Internal* find_internal(const char16_t* name) {
    int slot = slot_of(name);
    return slot < 0 ? nullptr : &internals[slot];
}

bool is_name_char(char16_t c) { return shell_is_name_char(c); }

bool reads_as_zero(const char16_t* name) {
    return text_equal_nocase(name, u"_batch") || text_equal_nocase(name, u"_transient") ||
           text_equal_nocase(name, u"_pipe");
}

void put_variable(Sink& s, const char16_t* name, size_t n) {
    if (n == 0 || n >= NAME_CAP) return;
    char16_t key[NAME_CAP];
    for (size_t i = 0; i < n; ++i) key[i] = name[i];
    key[n] = 0;
    if (const Internal* in = find_internal(key)) {
        put_text(s, in->value);
        return;
    }
    // The larger room only when needed: Windows takes no buffer above its own maximum.
    uint32_t room = uint32_t(VALUE_CAP);
    uint32_t got = shell_get_variable(key, env_value, room, nullptr);
    if (got >= room) {
        room = uint32_t(sizeof env_value / sizeof env_value[0]);
        got = shell_get_variable(key, env_value, room, nullptr);
    }
    if (got > 0 && got < room) {
        put_run(s, env_value, got);
        return;
    }
    if (got == 0 && variable_handler && variable_handler(key, value_part, VALUE_CAP)) {
        put_text(s, value_part);
        return;
    }
    if (got == 0 && reads_as_zero(key)) put(s, u'0');
}

// The value of a variable as %NAME% gives it, into whole_value; returns its length.
size_t read_whole_value(const char16_t* name, size_t n) {
    Sink whole{whole_value, VALUE_CAP - 1, 0};
    put_variable(whole, name, n);
    whole_value[whole.len] = 0;
    return whole.len;
}

// At "%~": the argument of the digit after the modifier letters, its enclosing quotes taken
// off, or the parts of it as a path that the letters name. Returns the characters used from
// p (which points at the '~'), or 0 when this is no such reference.
size_t put_argument_part(Sink& s, const char16_t* p) {
    bool taken;
    size_t length = shell_argument_part_length(p - 1, &taken);
    if (length == 0) return 0;
    if (!taken) {
        report_fault(SHELL_FAULT_PATH_MODIFIER, p - 1);
        return 0;
    }
    // Each letter once, however often it is written.
    char16_t modifiers[sizeof SHELL_PATH_MODIFIERS / sizeof(char16_t)];
    size_t count = 0;
    for (const char16_t* m = p + 1; text_is_alpha(*m); ++m) {
        bool seen = false;
        for (size_t k = 0; k < count; ++k) seen = seen || modifiers[k] == text_lower(*m);
        if (!seen) modifiers[count++] = text_lower(*m);
    }
    modifiers[count] = 0;
    size_t n = read_whole_value(p + length - 2, 1), from = 0;
    if (n > 0 && whole_value[0] == u'"') from = 1;
    if (n > from && whole_value[n - 1] == u'"') --n;
    const char16_t* value = whole_value + from;
    n -= from;
    whole_value[from + n] = 0;
    if (count == 0 || !path_handler || n == 0) {
        put_run(s, value, n);
    } else {
        value_part[0] = 0;
        path_handler(modifiers, value, value_part, VALUE_CAP);
        put_text(s, value_part);
    }
    return length - 1;
}

// A whole number with an optional sign, alone from t to end.
bool read_offset(const char16_t* t, const char16_t* end, long* value) {
    bool negative = t < end && *t == u'-';
    if (t < end && (*t == u'-' || *t == u'+')) ++t;
    if (t == end) return false;
    long v = 0;
    for (; t < end; ++t) {
        if (!text_is_digit(*t) || v > 100000000) return false;
        v = v * 10 + (*t - u'0');
    }
    *value = negative ? -v : v;
    return true;
}

// %NAME:~START,LENGTH%: a negative START counts from the end, a negative LENGTH leaves that
// many characters off the end, a missing one takes the rest.
bool put_substring(Sink& s, size_t len, const char16_t* edit, const char16_t* end) {
    const char16_t* comma = edit;
    while (comma < end && *comma != u',') ++comma;
    long start, length = long(len);
    if (!read_offset(edit, comma, &start) || (comma < end && !read_offset(comma + 1, end, &length))) return false;
    long n = long(len);
    if (start < 0) start = start + n < 0 ? 0 : start + n;
    if (start > n) start = n;
    long stop = length < 0 ? n + length : (length > n - start ? n : start + length);
    if (stop > start) put_run(s, whole_value + start, size_t(stop - start));
    return true;
}

bool matches_at(const char16_t* text, const char16_t* what, size_t n) {
    for (size_t k = 0; k < n; ++k)
        if (text_upper(text[k]) != text_upper(what[k])) return false;
    return true;
}

// %NAME:OLD=NEW%: every OLD, compared without regard to case, becomes NEW; with *OLD, the
// text up to and including the first OLD does.
bool put_replaced(Sink& s, size_t len, const char16_t* edit, const char16_t* end) {
    const char16_t* eq = edit;
    while (eq < end && *eq != u'=') ++eq;
    bool through_first = *edit == u'*';
    const char16_t* old_text = edit + (through_first ? 1 : 0);
    if (eq == end || eq <= old_text) return false;
    size_t old_len = size_t(eq - old_text), new_len = size_t(end - eq - 1);
    for (size_t i = 0; i < len;) {
        if (i + old_len <= len && matches_at(whole_value + i, old_text, old_len)) {
            put_run(s, eq + 1, new_len);
            i += old_len;
            if (through_first) {
                put_run(s, whole_value + i, len - i);
                return true;
            }
        } else if (through_first) {
            ++i;
        } else {
            put(s, whole_value[i++]);
        }
    }
    if (through_first) put_run(s, whole_value, len);  // no OLD in it: the value as it stands
    return true;
}

// At ':' after %NAME: a part of the value or the value edited, up to the closing '%'. Returns
// the characters used from colon on, or 0 when the text there is neither.
size_t put_edited_variable(Sink& s, const char16_t* name, const char16_t* colon) {
    const char16_t* close = colon + 1;
    while (*close && *close != u'%') ++close;
    if (*close != u'%' || close == colon + 1) return 0;
    size_t len = read_whole_value(name, size_t(colon - name));
    size_t mark = s.len;
    bool done = colon[1] == u'~' ? put_substring(s, len, colon + 2, close) : put_replaced(s, len, colon + 1, close);
    if (!done) {
        s.len = mark;
        return 0;
    }
    return size_t(close - colon) + 1;
}

size_t expand_level(const char16_t* in, Sink& s, int depth);

// At "%@": a function call whose arguments end at the matching ']'. Returns the characters
// used from p (which points at the '@'), or 0 when this is no complete call.
size_t put_function(Sink& s, const char16_t* p, int depth) {
    size_t i = 1;
    while (is_name_char(p[i])) ++i;
    size_t name_len = i - 1;
    if (name_len == 0 || name_len >= NAME_CAP || p[i] != u'[') return 0;
    if (depth >= MAX_DEPTH) {
        report_fault(SHELL_FAULT_TOO_DEEP, p - 1);
        return 0;
    }
    size_t open = i++;
    int nest = 1;
    for (; p[i]; ++i) {
        if (p[i] == u'[') ++nest;
        else if (p[i] == u']' && --nest == 0) break;
    }
    if (p[i] != u']') {
        report_fault(SHELL_FAULT_UNCLOSED_BRACKET, p - 1);
        return 0;
    }
    char16_t name[NAME_CAP];
    for (size_t k = 0; k < name_len; ++k) name[k] = p[1 + k];
    name[name_len] = 0;
    size_t args_len = i - open - 1;
    if (args_len >= VALUE_CAP) args_len = VALUE_CAP - 1;
    memcpy(args_text[depth], p + open + 1, args_len * sizeof *p);
    args_text[depth][args_len] = 0;
    Sink inner{args_expanded[depth], VALUE_CAP - 1, 0};
    expand_level(args_text[depth], inner, depth + 1);
    args_expanded[depth][inner.len] = 0;
    call_result[depth][0] = 0;
    if (function_handler && function_handler(name, args_expanded[depth], call_result[depth], VALUE_CAP))
        put_text(s, call_result[depth]);
    return i + 1;
}

size_t expand_level(const char16_t* in, Sink& s, int depth) {
    const char16_t* p = in;
    while (*p) {
        if (*p != u'%') {
            const char16_t* run = p;
            while (*p && *p != u'%') ++p;
            put_run(s, run, size_t(p - run));
            continue;
        }
        const char16_t* q = p + 1;
        if (*q == u'%') {
            put(s, u'%');
            p = q + 1;
        } else if (*q == u'[') {
            const char16_t* e = q + 1;
            while (*e && *e != u']') ++e;
            if (*e != u']') {
                report_fault(SHELL_FAULT_UNCLOSED_BRACKET, p);
                put(s, *p++);
                continue;
            }
            put_variable(s, q + 1, size_t(e - q - 1));
            p = e + 1;
        } else if (*q == u'@') {
            size_t used = put_function(s, q, depth);
            if (used == 0) {
                put(s, *p++);
                continue;
            }
            p = q + used;
        } else if (*q == u'~') {
            size_t used = put_argument_part(s, q);
            if (used == 0) {
                put(s, *p++);
                continue;
            }
            p = q + used;
        } else if (text_is_digit(*q) || *q == u'?' || *q == u'*' || *q == u'#') {
            put_variable(s, q, 1);
            p = q + 1;
        } else if (is_name_char(*q)) {
            const char16_t* e = q;
            while (is_name_char(*e)) ++e;
            size_t edited = *e == u':' ? put_edited_variable(s, q, e) : 0;
            if (edited > 0) {
                p = e + edited;
                continue;
            }
            put_variable(s, q, size_t(e - q));
            p = (*e == u'%') ? e + 1 : e;
        } else {
            put(s, *p++);
        }
    }
    return s.len;
}

}  // namespace

extern "C" {

// Beyond ASCII a name goes on over the letters and digits that INC and DEC take in a
// variable's name (the platform's classification), so that %NAME reaches every variable
// they can count.
bool shell_is_name_char(char16_t c) {
    if (c < 0x80) return text_is_alpha(c) || text_is_digit(c) || c == u'_' || c == u'$';
    return sys_is_name_letter_or_digit(c);
}

bool shell_set_internal(const char16_t* name, const char16_t* value) {
    if (!name || text_len_bounded(name, NAME_CAP) >= NAME_CAP || !name[0]) return false;
    int slot = slot_of(name);
    if (!value) {
        if (slot >= 0) first_letters[slot] = 0;
        return true;
    }
    if (slot < 0) {
        for (int i = 0; i < MAX_INTERNALS && slot < 0; ++i)
            if (first_letters[i] == 0) slot = i;
        if (slot < 0) return false;
        text_copy(internals[slot].name, NAME_CAP, name);
        first_letters[slot] = text_upper(name[0]);
        if (slot >= slots_reached) slots_reached = slot + 1;
    }
    text_copy(internals[slot].value, VALUE_CAP, value);
    return true;
}

const char16_t* shell_get_internal(const char16_t* name) {
    const Internal* in = name ? find_internal(name) : nullptr;
    return in ? in->value : nullptr;
}

void shell_clear_internals(void) {
    for (char16_t& first : first_letters) first = 0;
    slots_reached = 0;
}

void shell_set_function_handler(shell_function_handler handler) { function_handler = handler; }

void shell_set_fault_handler(shell_fault_handler handler) { fault_handler = handler; }

size_t shell_argument_part_length(const char16_t* percent, bool* taken) {
    *taken = true;
    if (percent[0] != u'%' || percent[1] != u'~') return 0;
    size_t i = 2;
    for (; text_is_alpha(percent[i]); ++i) {
        bool known = false;
        for (const char16_t* m = SHELL_PATH_MODIFIERS; *m; ++m) known = known || text_lower(percent[i]) == *m;
        *taken = *taken && known;
    }
    return text_is_digit(percent[i]) ? i + 1 : 0;
}

void shell_set_variable_handler(shell_variable_handler handler) { variable_handler = handler; }

void shell_set_path_handler(shell_path_handler handler) { path_handler = handler; }

size_t shell_expand(const char16_t* in, char16_t* out, size_t cap) {
    if (!out || cap == 0) return 0;
    Sink s{out, cap - 1, 0};
    if (in) {
        uint32_t saved = sys_last_error();
        expand_level(in, s, 0);
        sys_set_last_error(saved);
    }
    out[s.len] = 0;
    return s.len;
}

int ExpandVariables(char16_t* text, int) {
    if (!text) return -1;
    text_copy(in_place_copy, VALUE_CAP, text);
    shell_expand(in_place_copy, text, VALUE_CAP);
    return 0;
}

}  // extern "C"
