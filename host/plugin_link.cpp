// Loading the plug-in as the shell does, and calling it with buffers of exactly the size it
// may use, followed by a guard region: a write past the end is caught and reported instead
// of going unnoticed.
#include "host/plugin_link.h"

#include <vector>

#include "host/loader.h"
#include "host/messages.h"
#include "host/output.h"
#include "text/chars.h"

namespace {

typedef PluginInfo* (*GetInfoFn)();
typedef int (*VoidFn)();
typedef int (*BufferFn)(char16_t*);
typedef int (*UsageFn)(const char16_t*, char16_t*);
typedef int (*HelpFn)(const char16_t*);

struct Entry {
    std::u16string name;  // without the '@' of a variable function
    bool function;
    BufferFn call;
};

const size_t MAX_ENTRIES = 64;
const size_t MAX_NAME = 64;
// The capacity the plug-in assumes for a variable function's result buffer.
const size_t RESULT_CAPACITY = 1024;
const size_t BYTEHAUL_CAPACITY = 16384;
const size_t USAGE_CAPACITY = 1024;
// Longest text read from the registration record.
const size_t RECORD_TEXT_MAX = 4096;
const size_t GUARD = 64;
const char16_t GUARD_FILL = 0xFDFD;

LoadedLibrary library = {nullptr};
const PluginInfo* record = nullptr;
std::vector<Entry> entries;
VoidFn initialize_fn = nullptr;
VoidFn shutdown_fn = nullptr;
UsageFn usage_fn = nullptr;
HelpFn help_fn = nullptr;

const Entry* find_entry(const std::u16string& name, bool function) {
    for (const Entry& e : entries)
        if (e.function == function && text_equal_nocase(e.name.c_str(), name.c_str())) return &e;
    return nullptr;
}

bool is_symbol_char(char16_t c) { return text_is_alpha(c) || text_is_digit(c) || c == u'_'; }

std::string symbol_name(const std::u16string& prefix, const std::u16string& name) {
    std::string s;
    for (char16_t c : prefix + name) s += char(c);
    return s;
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
    entries.push_back(Entry{name, function, reinterpret_cast<BufferFn>(fn)});
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

// A buffer of cap characters holding text, zero after it, then the guard region.
std::vector<char16_t> guarded_buffer(size_t cap, const std::u16string& text) {
    std::vector<char16_t> buf(cap + GUARD, GUARD_FILL);
    for (size_t i = 0; i < cap; ++i) buf[i] = i < text.size() ? text[i] : u'\0';
    return buf;
}

bool guard_intact(const std::vector<char16_t>& buf, size_t cap) {
    for (size_t i = cap; i < buf.size(); ++i)
        if (buf[i] != GUARD_FILL) return false;
    return true;
}

// The text the plug-in left in a buffer of cap characters; false when it is not terminated.
bool text_in_buffer(const std::vector<char16_t>& buf, size_t cap, std::u16string* text) {
    size_t n = text_len_bounded(buf.data(), cap);
    if (n >= cap) return false;
    text->assign(buf.data(), n);
    return true;
}

size_t capacity_of(const std::u16string& name) {
    return text_equal_nocase(name.c_str(), u"bytehaul") ? BYTEHAUL_CAPACITY : RESULT_CAPACITY;
}

}  // namespace

bool plugin_load(const std::u16string& path, std::u16string* error) {
    if (!library_load(path, &library, error)) return false;
    GetInfoFn get_info = reinterpret_cast<GetInfoFn>(library_symbol(library, "GetPluginInfo"));
    if (!get_info) {
        *error = MSG_NO_PLUGIN_INFO;
        return false;
    }
    record = get_info();
    if (!record) {
        *error = MSG_NO_PLUGIN_INFO;
        return false;
    }
    initialize_fn = reinterpret_cast<VoidFn>(library_symbol(library, "InitializePlugin"));
    shutdown_fn = reinterpret_cast<VoidFn>(library_symbol(library, "ShutdownPlugin"));
    usage_fn = reinterpret_cast<UsageFn>(library_symbol(library, "Usage"));
    help_fn = reinterpret_cast<HelpFn>(library_symbol(library, "Help"));
    if (record->functions) read_function_list(record->functions);
    return true;
}

void plugin_initialize() {
    if (initialize_fn) initialize_fn();
}

void plugin_shutdown_and_unload() {
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
    const Entry* e = find_entry(name, true);
    if (!e) return call;
    size_t cap = capacity_of(name);
    if (args.size() >= cap) {
        call.fault = text_of(MSG_ARGS_TOO_LONG, e->name, std::to_string(args.size()), std::to_string(cap - 1));
        return call;
    }
    std::vector<char16_t> buf = guarded_buffer(cap, args);
    call.code = e->call(buf.data());
    if (!guard_intact(buf, cap)) {
        call.fault = text_of(MSG_PAST_BUFFER, std::to_string(cap), u"@" + e->name);
        call.code = -1;
    } else if (call.code == 0 && !text_in_buffer(buf, cap, &call.result)) {
        call.fault = text_of(MSG_UNTERMINATED, u"@" + e->name);
        call.code = -1;
    }
    return call;
}

PluginCall plugin_call_command(const std::u16string& name, const std::u16string& text) {
    PluginCall call{-1, u"", u""};
    const Entry* e = find_entry(name, false);
    if (!e) return call;
    size_t cap = text.size() + 1;
    std::vector<char16_t> buf = guarded_buffer(cap, text);
    call.code = e->call(buf.data());
    if (!guard_intact(buf, cap)) call.fault = text_of(MSG_PAST_BUFFER, std::to_string(cap), e->name);
    return call;
}

PluginCall plugin_call_usage(const std::u16string& name) {
    PluginCall call{0, u"", u""};
    if (!usage_fn) return call;
    std::vector<char16_t> buf = guarded_buffer(USAGE_CAPACITY, u"");
    call.code = usage_fn(name.c_str(), buf.data());
    if (!guard_intact(buf, USAGE_CAPACITY)) {
        call.fault = text_of(MSG_PAST_BUFFER, std::to_string(USAGE_CAPACITY), u"Usage");
        call.code = 0;
    } else if (call.code != 0 && !text_in_buffer(buf, USAGE_CAPACITY, &call.result)) {
        call.fault = text_of(MSG_UNTERMINATED, u"Usage");
        call.code = 0;
    }
    return call;
}

PluginCall plugin_call_help(const std::u16string& name) {
    PluginCall call{0, u"", u""};
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
