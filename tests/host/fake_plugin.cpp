// A plug-in that breaks the rules on purpose, so the tests can show what bhsh does about
// it: writes past its buffer, leaves a result unterminated, lists names it does not
// export, and has no Usage, Help, InitializePlugin or ShutdownPlugin.
#include <stdint.h>

#include "plugin/exports.h"

#define FAKE_EXPORT PLUGIN_EXPORT

namespace {
PluginInfo record;
}  // namespace

FAKE_EXPORT PluginInfo* GetPluginInfo() {
    record = PluginInfo{u"Fake",
                        nullptr,
                        nullptr,
                        nullptr,
                        u"Breaks the rules.",
                        u" @echoargs, @overrun,@noterm,@fail,@bytehaul,@absent,cmdlen, bad name,,",
                        1,
                        2,
                        3};
    return &record;
}

// The argument text comes back as the result.
FAKE_EXPORT int f_echoargs(char16_t*) { return 0; }

// One character past the 1024 it may use, given x; any other text comes back untouched.
FAKE_EXPORT int f_overrun(char16_t* b) {
    if (b[0] != u'x' || b[1] != 0) return 0;
    for (unsigned i = 0; i <= RESULT_CAP; ++i) b[i] = u'x';
    return 0;
}

// All 1024 characters, no terminator.
FAKE_EXPORT int f_noterm(char16_t* b) {
    for (unsigned i = 0; i < RESULT_CAP; ++i) b[i] = u'y';
    return 0;
}

FAKE_EXPORT int f_fail(char16_t*) { return 5; }

// Every character of the larger buffer the byte reader is given.
FAKE_EXPORT int f_bytehaul(char16_t* b) {
    for (unsigned i = 0; i < BYTEHAUL_RESULT_CAP - 1; ++i) b[i] = char16_t(u'a' + i % 26);
    b[BYTEHAUL_RESULT_CAP - 1] = 0;
    return 0;
}

// The exit code is the length of the argument text, so a test can see what arrived.
FAKE_EXPORT int cmdlen(char16_t* text) {
    int n = 0;
    while (text[n]) ++n;
    return n;
}
