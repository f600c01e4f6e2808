// inc (FUZZ_INC) or dec (FUZZ_DEC) with any command line and any value in the variable V.
// Input: the argument text (UTF-8), a NUL, the value of V (UTF-8), a NUL, and a flag byte
// (bit 0: V is not set; bit 1: a batch file runs).
//
// Every call must return 0, 1 or 2, report every exit 1 and every exit 2 not silenced by
// /Q, and change nothing on a failure. When V changes, its new value must be the one the
// counting rules give for its old value.
#include <stdlib.h>

#include <string>

#include "fuzz/harness.h"
#include "fuzz/oracles.h"
#include "platform/platform.h"
#include "plugin/exports.h"
#include "text/chars.h"
#include "text/utf.h"

namespace {

#if defined(FUZZ_INC)
const bool kDecrement = false;
int call_entry(char16_t* t) { return inc(t); }
#elif defined(FUZZ_DEC)
const bool kDecrement = true;
int call_entry(char16_t* t) { return dec(t); }
#else
#    error "define FUZZ_INC or FUZZ_DEC"
#endif

const size_t kMaxValue = 4000;

// Sets V (null: removes it). The entry is the harness's own buffer handed to putenv:
// setenv would keep every value it was ever given, and millions of different values
// would use up the memory.
void set_v(const std::u16string* value) {
    static char entry[3 * kMaxValue + 3];
    if (!value) {
        unsetenv("V");
        return;
    }
    size_t n = utf16_to_utf8(value->data(), value->size(), entry + 2, sizeof entry - 3);
    entry[0] = 'V';
    entry[1] = '=';
    entry[2 + n] = 0;
    putenv(entry);
}

// V as the plug-in will find it, after the trip through the process environment.
bool read_v(std::u16string* value) {
    static char16_t buf[40000];
    uint32_t n = sys_get_env(u"V", buf, 40000);
    if (n == 0 && sys_last_error() == SYS_ERROR_ENVVAR_NOT_FOUND) return false;
    value->assign(buf, n < 40000 ? n : 0);
    return true;
}

// Whether an option /letter can be among the arguments: the text, with the quotes that
// the splitter takes out taken out, holds a slash and the letter in either case.
bool mentions_option(const std::u16string& text, char16_t letter) {
    std::u16string bare;
    for (char16_t c : text)
        if (c != u'"') bare.push_back(c);
    for (size_t i = 0; i + 1 < bare.size(); ++i)
        if (bare[i] == u'/' && text_upper(bare[i + 1]) == letter) return true;
    return false;
}

bool well_formed(const std::string& report) {
    return report.rfind(report_prefix(), 0) == 0 && report.size() >= 2 &&
           report.compare(report.size() - 2, 2, "\r\n") == 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    harness_init();
    set_v(nullptr);
    environment_snapshot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t used_text = 0, used_value = 0;
    std::u16string text = fuzz_text(data, size, &used_text);
    std::u16string value = fuzz_text(data + used_text, size - used_text, &used_value);
    size_t rest = used_text + used_value;
    uint8_t flags = rest < size ? data[rest] : 0;
    if (value.size() > kMaxValue) value.resize(kMaxValue);
    batch_mode(flags & 2);

    set_v(flags & 1 ? nullptr : &value);
    std::u16string old_value;
    bool present = read_v(&old_value);

    std::string ctx = "command line " + shown(text) + ", V " + (present ? shown(old_value) : std::string("not set"));
    char16_t* input = exact_buffer(text.size() + 1, text);
    capture_begin();
    int ret = call_entry(input);
    std::string report = capture_end();
    exact_free(input);
    std::u16string new_value;
    bool now_present = read_v(&new_value);
    bool changed = now_present != present || new_value != old_value;
    ctx += "\nexit " + std::to_string(ret) + ", report [" + report + "], V now " +
           (now_present ? shown(new_value) : std::string("not set"));

    trace(ctx);
    FUZZ_CHECK(ret == 0 || ret == 1 || ret == 2, ctx);
    if (ret == 1) FUZZ_CHECK(well_formed(report), ctx + "\na fault in the command line is always reported");
    if (ret == 2)
        FUZZ_CHECK(well_formed(report) || (report.empty() && mentions_option(text, u'Q')),
                   ctx + "\nonly /Q silences a failure with the variable");
    if (ret == 0)
        FUZZ_CHECK(report.empty() || report.rfind(report_prefix() + "Buffer overflow: ", 0) == 0,
                   ctx + "\nsuccess with a report");
    if (ret != 0) FUZZ_CHECK(!changed, ctx + "\nthe variable changed although the command failed");

    if (changed) {
        FUZZ_CHECK(now_present, ctx + "\nthe variable was removed");
        CounterAnswer want = counter_oracle(old_value, present, kDecrement);
        std::u16string reset = kDecrement ? u"-1" : u"1";
        if (present && old_value.size() >= 1024) {
            // Too long for the command's buffer: how it counts is the implementer's choice,
            // but it is either read as it stands or taken as 0.
            FUZZ_CHECK(new_value == want.stored || new_value == reset, ctx + "\nwant " + shown(want.stored));
        } else {
            FUZZ_CHECK(new_value == want.stored, ctx + "\nwant " + shown(want.stored));
            if (!want.numeric) FUZZ_CHECK(mentions_option(text, u'Z'), ctx + "\nnot numeric, and no /Z");
        }
    }
    environment_restore();
    return 0;
}
