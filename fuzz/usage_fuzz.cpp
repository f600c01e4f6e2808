// Usage, Help and the start-up entries with any name. Input: a mode byte, then a text.
// Mode 0 (and any mode above 3): Usage(text, buffer of exactly 1024 characters).
// Mode 1: Help(text). Mode 2: InitializePlugin with the text as the value of noloadmsg
// (an empty text leaves it unset). Mode 3: GetPluginInfo, then ShutdownPlugin.
#include <string.h>

#include <string>

#include "fuzz/harness.h"
#include "platform/platform.h"
#include "plugin/exports.h"
#include "shell/shell_host.h"
#include "text/chars.h"

namespace {

const char16_t* const kNames[] = {u"@inthaul", u"@bytehaul", u"@bytestow", u"dec", u"inc"};

// Which of the five names text equals without regard to case, or -1.
int name_index(const std::u16string& text) {
    for (int i = 0; i < 5; ++i) {
        const char16_t* n = kNames[i];
        size_t len = text_len(n);
        if (text.size() != len) continue;
        bool same = true;
        for (size_t k = 0; k < len && same; ++k) same = text_upper(text[k]) == text_upper(n[k]);
        if (same) return i;
    }
    return -1;
}

void check_usage(const std::u16string& name) {
    const size_t cap = 1024;
    char16_t* n = exact_buffer(name.size() + 1, name);
    char16_t* buffer = exact_buffer(cap, u"untouched");
    char16_t* before = exact_buffer(cap, u"untouched");
    capture_begin();
    int r = Usage(n, buffer);
    std::string report = capture_end();
    std::string ctx = "Usage " + shown(name) + " returned " + std::to_string(r);
    FUZZ_CHECK(report.empty(), ctx + "\nwrote to standard error");
    int idx = name_index(name);
    bool command = idx == 3 || idx == 4;
    FUZZ_CHECK(r == (command ? 1 : 0), ctx);
    if (r == 1) {
        size_t len = text_len_bounded(buffer, cap);
        FUZZ_CHECK(len < cap, ctx + "\nno NUL within 1024 characters");
        std::u16string text(buffer, len);
        const std::u16string head = idx == 3 ? u"DEC /Q /V /Z varname\r\n" : u"INC /Q /V /Z varname\r\n";
        FUZZ_CHECK(text.compare(0, head.size(), head) == 0, ctx + "\nsyntax text " + shown(text));
    } else {
        FUZZ_CHECK(memcmp(buffer, before, cap * sizeof(char16_t)) == 0, ctx + "\nthe buffer was changed");
    }
    exact_free(before);
    exact_free(buffer);
    exact_free(n);
}

void check_help(const std::u16string& name) {
    char16_t* n = exact_buffer(name.size() + 1, name);
    capture_begin();
    int r = Help(n);
    std::string report = capture_end();
    exact_free(n);
    std::string ctx = "Help " + shown(name) + " returned " + std::to_string(r);
    FUZZ_CHECK(report.empty(), ctx + "\nwrote to standard error");
    FUZZ_CHECK(r == (name_index(name) >= 0 ? 1 : 0), ctx);
}

void check_start_up(const std::u16string& noloadmsg) {
    sys_set_env(u"noloadmsg", noloadmsg.empty() ? nullptr : noloadmsg.c_str());
    capture_begin();
    int r = InitializePlugin();
    std::string report = capture_end();
    sys_set_env(u"noloadmsg", nullptr);
    FUZZ_CHECK(r == 0 && report.empty(), "InitializePlugin with noloadmsg " + shown(noloadmsg));
}

void check_info() {
    PluginInfo* a = GetPluginInfo();
    FUZZ_CHECK(a && a == GetPluginInfo() && a->major == 0 && a->minor == 90 && a->build == 5, "GetPluginInfo");
    FUZZ_CHECK(ShutdownPlugin() == 0, "ShutdownPlugin");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    harness_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::u16string text = fuzz_text(data + 1, size - 1, nullptr);
    switch (data[0]) {
    case 1: check_help(text); break;
    case 2: check_start_up(text); break;
    case 3: check_info(); break;
    default: check_usage(text); break;
    }
    return 0;
}
