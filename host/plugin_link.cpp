// Loading the plug-in as the shell does, and calling it with buffers of exactly the size it
// may use, followed by a guard region: a write past the end is caught and reported instead
// of going unnoticed.
#include "host/plugin_link.h"

#include <string.h>

#include <algorithm>
#include <vector>

#include "plugin/abi.h"

#include "host/system.h"
#include "host/messages.h"
#include "host/output.h"
#include "shell/shell_host.h"
#include "text/chars.h"

namespace {

// The plug-in reads and writes the environment through the system, past the shell: the
// shell keeps none of it while anything of the plug-in's runs.
struct EnvironmentHeld {
    EnvironmentHeld() { shell_hold_variables(true); }
    ~EnvironmentHeld() { shell_hold_variables(false); }
};

// A call's buffer, made once for its entry: cap cells the plug-in may write, then the
// guard region. Between calls the cells hold zeros and the guard its fill, so a call pays
// for the cells it may touch, not for a new buffer.
struct GuardedBuffer {
    size_t cap = 0;
    std::vector<char16_t> cells;
};

struct Entry {
    std::u16string name;  // without the '@' of a variable function
    bool function;
    PluginFunctionEntry call;
    size_t capacity;  // what the plug-in may write into the entry's buffer
    GuardedBuffer buffer;
};

const size_t MAX_ENTRIES = 64;
const size_t MAX_NAME = 64;
// The longest argument text the plug-in's splitter takes, NUL excluded; a longer one is
// refused before the call. The buffer is then larger than the capacity, and what lies
// beyond the capacity must come back as it went in.
const size_t ARGUMENT_TEXT_MAX = size_t(MAX_ARG_LEN) - 1;
// Longest text read from the registration record.
const size_t RECORD_TEXT_MAX = 4096;
const size_t GUARD = 64;
const char16_t GUARD_FILL = 0xFDFD;

LoadedLibrary library = {nullptr};
const PluginInfo* record = nullptr;
std::vector<Entry> entries;
PluginLifecycleEntry initialize_fn = nullptr;
PluginLifecycleEntry shutdown_fn = nullptr;
PluginUsageEntry usage_fn = nullptr;
PluginHelpEntry help_fn = nullptr;

Entry* find_entry(const std::u16string& name, bool function) {
    for (Entry& e : entries)
        if (e.function == function && text_equal_nocase(e.name.c_str(), name.c_str())) return &e;
    return nullptr;
}

bool is_symbol_char(char16_t c) { return text_is_alpha(c) || text_is_digit(c) || c == u'_'; }

std::string symbol_name(const std::u16string& prefix, const std::u16string& name) {
    std::string s;
    for (char16_t c : prefix + name) s += char(c);
    return s;
}

// The capacity the plug-in declares for an export; an entry it does not list gets the
// capacity of every other result buffer.
size_t capacity_of(const char* export_name) {
    for (const EntryCapacity& e : ENTRY_CAPACITIES)
        if (strcmp(e.entry, export_name) == 0) return e.capacity;
    return RESULT_CAP;
}

void add_listed_name(std::u16string item) {
    while (!item.empty() && text_is_space(item.back())) item.pop_back();
    size_t start = 0;
    while (start < item.size() && text_is_space(item[start])) ++start;
    item = item.substr(start);
    if (item.empty()) return;
    bool function = item[0] == u'@';
    std::u16string name = function ? item.substr(1) : item;
    bool usable = !name.empty() && name.size() <= MAX_NAME && entries.size() < MAX_ENTRIES;
    for (char16_t c : name) usable = usable && is_symbol_char(c);
    std::u16string export_name = function ? u"f_" + name : name;
    void* fn = usable ? library_symbol(library, symbol_name(u"", export_name).c_str()) : nullptr;
    if (!fn) {
        write_error_line(text_of(MSG_NO_EXPORT, item, export_name));
        return;
    }
    std::string symbol = symbol_name(u"", export_name);
    entries.push_back(
        Entry{name, function, reinterpret_cast<PluginFunctionEntry>(fn), capacity_of(symbol.c_str()), GuardedBuffer()});
}

void read_function_list(const char16_t* list) {
    size_t n = text_len_bounded(list, RECORD_TEXT_MAX);
    std::u16string all(list, n);
    size_t start = 0;
    for (;;) {
        size_t comma = all.find(u',', start);
        add_listed_name(all.substr(start, comma == std::u16string::npos ? std::u16string::npos : comma - start));
        if (comma == std::u16string::npos) break;
        start = comma + 1;
    }
}

// The cells past the text's NUL when it runs past cap: the buffer is then larger than the
// capacity, and what lies beyond the capacity must come back as it went in.
size_t room_for(size_t cap, const std::u16string& text) { return text.size() + 1 > cap ? text.size() + 1 : cap; }

void fill_guard(GuardedBuffer& b, size_t from) {
    std::fill(b.cells.begin() + long(from), b.cells.begin() + long(from + GUARD), GUARD_FILL);
}

// Lays text and its NUL at the start of the buffer, zeros after it up to cap (or the rest
// of a longer text), then the guard region.
char16_t* guard_arm(GuardedBuffer& b, size_t cap, const std::u16string& text) {
    size_t room = room_for(cap, text);
    if (b.cap != cap || b.cells.size() < room + GUARD) {
        b.cells.assign(room + GUARD, u'\0');
        b.cap = cap;
        fill_guard(b, cap);
    }
    std::copy(text.begin(), text.end(), b.cells.begin());
    b.cells[text.size()] = u'\0';
    if (room > cap) fill_guard(b, room);
    return b.cells.data();
}

// Whether everything from cap on is as guard_arm left it: the rest of a long argument
// text, then the guard region.
bool guard_intact(const GuardedBuffer& b, const std::u16string& text) {
    size_t room = room_for(b.cap, text);
    for (size_t i = b.cap; i < room; ++i)
        if (b.cells[i] != (i < text.size() ? text[i] : u'\0')) return false;
    for (size_t i = room; i < room + GUARD; ++i)
        if (b.cells[i] != GUARD_FILL) return false;
    return true;
}

// Puts back the state between calls: zeros in every cell the call could write and, past
// the capacity, the guard (armed again even after a call that wrote over it). After a call
// that kept its text within the capacity and ended it there, only the cells up to the end
// of that text and of the arguments are zeroed: zeroing all of @BYTEHAUL's 16,384 cells
// after every call cost a tenth of a dump's time. What a plug-in may leave past its own
// terminator is its scratch, as in any buffer the shell lends.
void guard_reset(GuardedBuffer& b, const std::u16string& text, bool guard_whole) {
    size_t room = room_for(b.cap, text);
    size_t used = text_len_bounded(b.cells.data(), b.cap);
    if (guard_whole && room == b.cap && used < b.cap) {
        size_t end = (used > text.size() ? used : text.size()) + 1;
        std::fill(b.cells.begin(), b.cells.begin() + long(end), u'\0');
        return;
    }
    std::fill(b.cells.begin(), b.cells.begin() + long(room + GUARD), u'\0');
    fill_guard(b, b.cap);
}

// The text the plug-in left in the first cap cells; false when it is not terminated.
bool text_in_buffer(const GuardedBuffer& b, size_t cap, std::u16string* text) {
    size_t n = text_len_bounded(b.cells.data(), cap);
    if (n >= cap) return false;
    text->assign(b.cells.data(), n);
    return true;
}

}  // namespace

bool plugin_load(const std::u16string& path, std::u16string* error) {
    EnvironmentHeld held;
    if (!library_load(path, &library, error)) return false;
    PluginInfoEntry get_info = reinterpret_cast<PluginInfoEntry>(library_symbol(library, "GetPluginInfo"));
    if (!get_info) {
        *error = MSG_NO_PLUGIN_INFO;
        return false;
    }
    record = get_info();
    if (!record) {
        *error = MSG_NO_PLUGIN_INFO;
        return false;
    }
    initialize_fn = reinterpret_cast<PluginLifecycleEntry>(library_symbol(library, "InitializePlugin"));
    shutdown_fn = reinterpret_cast<PluginLifecycleEntry>(library_symbol(library, "ShutdownPlugin"));
    usage_fn = reinterpret_cast<PluginUsageEntry>(library_symbol(library, "Usage"));
    help_fn = reinterpret_cast<PluginHelpEntry>(library_symbol(library, "Help"));
    if (record->functions) read_function_list(record->functions);
    return true;
}

void plugin_initialize() {
    EnvironmentHeld held;
    if (initialize_fn) initialize_fn();
}

void plugin_shutdown_and_unload() {
    EnvironmentHeld held;
    if (shutdown_fn) shutdown_fn();
    entries.clear();
    record = nullptr;
    initialize_fn = shutdown_fn = nullptr;
    usage_fn = nullptr;
    help_fn = nullptr;
    library_unload(&library);
}

const PluginInfo* plugin_record() { return record; }

bool plugin_has_function(const std::u16string& name) { return find_entry(name, true) != nullptr; }
bool plugin_has_command(const std::u16string& name) { return find_entry(name, false) != nullptr; }

PluginCall plugin_call_function(const std::u16string& name, const std::u16string& args) {
    PluginCall call{-1, u"", u""};
    Entry* e = find_entry(name, true);
    if (!e) return call;
    size_t cap = e->capacity;
    if (args.size() > ARGUMENT_TEXT_MAX) {
        call.fault =
            text_of(MSG_ARGS_TOO_LONG, e->name, std::to_string(args.size()), std::to_string(ARGUMENT_TEXT_MAX));
        return call;
    }
    GuardedBuffer& buf = e->buffer;
    EnvironmentHeld held;
    call.code = e->call(guard_arm(buf, cap, args));
    if (!guard_intact(buf, args)) {
        call.fault = text_of(MSG_PAST_BUFFER, std::to_string(cap), u"@" + e->name);
        call.code = -1;
    } else if (call.code == 0 && !text_in_buffer(buf, room_for(cap, args), &call.result)) {
        call.fault = text_of(MSG_UNTERMINATED, u"@" + e->name);
        call.code = -1;
    }
    guard_reset(buf, args, call.fault.empty());
    return call;
}

PluginCall plugin_call_command(const std::u16string& name, const std::u16string& text) {
    PluginCall call{-1, u"", u""};
    Entry* e = find_entry(name, false);
    if (!e) return call;
    size_t cap = e->capacity;
    GuardedBuffer& buf = e->buffer;
    EnvironmentHeld held;
    call.code = e->call(guard_arm(buf, cap, text));
    if (!guard_intact(buf, text)) call.fault = text_of(MSG_PAST_BUFFER, std::to_string(cap), e->name);
    guard_reset(buf, text, call.fault.empty());
    return call;
}

PluginCall plugin_call_usage(const std::u16string& name) {
    PluginCall call{0, u"", u""};
    if (!usage_fn) return call;
    size_t cap = capacity_of("Usage");
    static GuardedBuffer buf;
    EnvironmentHeld held;
    call.code = usage_fn(name.c_str(), guard_arm(buf, cap, u""));
    if (!guard_intact(buf, u"")) {
        call.fault = text_of(MSG_PAST_BUFFER, std::to_string(cap), u"Usage");
        call.code = 0;
    } else if (call.code != 0 && !text_in_buffer(buf, cap, &call.result)) {
        call.fault = text_of(MSG_UNTERMINATED, u"Usage");
        call.code = 0;
    }
    guard_reset(buf, u"", call.fault.empty());
    return call;
}

PluginCall plugin_call_help(const std::u16string& name) {
    PluginCall call{0, u"", u""};
    // The help window's stand-in on Linux writes to standard output's descriptor itself.
    shell_flush_output();
    EnvironmentHeld held;
    if (help_fn) call.code = help_fn(name.c_str());
    return call;
}

std::u16string plugin_names() {
    std::u16string names;
    for (const Entry& e : entries) {
        if (!names.empty()) names += u", ";
        names += (e.function ? u"@" : u"") + e.name;
    }
    return names;
}
