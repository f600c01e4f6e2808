// f_bytehaul (FUZZ_BYTEHAUL), f_inthaul (FUZZ_INTHAUL) or f_bytestow (FUZZ_BYTESTOW) with
// any argument text. Input: the argument text (UTF-8), a NUL, a flag byte (bit 0: a batch
// file runs), two bytes of data-file length (little-endian, up to 8192), and the bytes
// the data file repeats. In the text, %0 to %6 stand for the harness's handles (see
// harness.h), as %h stands for a handle in a batch file.
//
// The call gets a result buffer of exactly the capacity the entry assumes. Every call
// must return 0 or -1, report once on -1, and leave files alone after an error. When the
// text has no quotes and no white space (so that splitting it is plain) and names a handle
// whose behaviour is known, a model of the entry predicts the result and the report
// exactly.
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "args/number.h"
#include "args/split.h"
#include "filefuncs/values.h"
#include "fuzz/harness.h"
#include "fuzz/oracles.h"
#include "platform/platform.h"
#include "plugin/exports.h"
#include "simd/simd.h"
#include "text/chars.h"

namespace {

#if defined(FUZZ_BYTEHAUL)
const size_t kCap = 16384;
const uint32_t kSplit = SPLIT_ON_COMMAS;
int call_entry(char16_t* b) { return f_bytehaul(b); }
#elif defined(FUZZ_INTHAUL)
const size_t kCap = 1024;
const uint32_t kSplit = SPLIT_ON_COMMAS;
int call_entry(char16_t* b) { return f_inthaul(b); }
#elif defined(FUZZ_BYTESTOW)
const size_t kCap = 1024;
const uint32_t kSplit = SPLIT_ON_WHITESPACE | SPLIT_ON_COMMAS | SPLIT_UPPERCASE;
int call_entry(char16_t* b) { return f_bytestow(b); }
#else
#    error "define FUZZ_BYTEHAUL, FUZZ_INTHAUL or FUZZ_BYTESTOW"
#endif

const std::string kDash = "\xE2\x80\x93";  // the en dash of the range messages

struct Input {
    std::u16string text;  // as the entry receives it
    bool batch = false;
    std::string data;  // what the data file holds
};

Input decode(const uint8_t* data, size_t size) {
    Input in;
    size_t used = 0;
    std::u16string raw = fuzz_text(data, size, &used);
    in.text = substitute_handles(raw);
    if (in.text.size() > kCap - 1) in.text.resize(kCap - 1);
    const uint8_t* rest = data + used;
    size_t n = size - used;
    uint8_t flags = n > 0 ? rest[0] : 0;
    size_t length = n > 2 ? (size_t(rest[1]) | size_t(rest[2]) << 8) % 8193 : 0;
    const uint8_t* pattern = n > 3 ? rest + 3 : nullptr;
    size_t pattern_len = n > 3 ? n - 3 : 0;
    in.batch = flags & 1;
    in.data.assign(length, '\0');
    for (size_t i = 0; pattern_len && i < length; ++i) in.data[i] = char(pattern[i % pattern_len]);
    handles_reset(pattern, pattern_len, length);
    return in;
}

// ---- what the harness's handles do ----

struct IoAnswer {
    bool known;
    bool ok;
    std::string bytes;  // read
    uint32_t code;      // on failure
};

[[maybe_unused]] IoAnswer known_read(uint32_t handle, uint32_t count, const Input& in) {
    if (handle > uint32_t(INT_MAX)) return {true, false, "", SYS_ERROR_INVALID_HANDLE};
    int fd = int(handle);
    if (fd == handle_fd(H_DATA)) return {true, true, in.data.substr(0, count), 0};
    if (fd == handle_fd(H_FULL)) return {true, true, std::string(count, '\0'), 0};
    if (fd == handle_fd(H_READ_ONLY)) return {true, true, read_only_content().substr(0, count), 0};
    if (fd == 0) return {true, true, "", 0};  // /dev/null
    if (fd == 1 || fd == handle_fd(H_WRITE_ONLY) || fd == handle_fd(H_PIPE_WRITE))
        return {true, false, "", SYS_ERROR_ACCESS_DENIED};
    if (fd == handle_fd(H_PIPE_READ)) return {true, false, "", SYS_ERROR_NO_DATA};
    if (fd == handle_fd(H_CLOSED) || fcntl(fd, F_GETFD) == -1) return {true, false, "", SYS_ERROR_INVALID_HANDLE};
    return {false, false, "", 0};
}

[[maybe_unused]] IoAnswer known_write(uint32_t handle) {
    if (handle > uint32_t(INT_MAX)) return {true, false, "", 0};
    int fd = int(handle);
    if (fd == 1 || fd == handle_fd(H_DATA) || fd == handle_fd(H_WRITE_ONLY) || fd == handle_fd(H_PIPE_WRITE))
        return {true, true, "", 0};
    if (fd == 0 || fd == handle_fd(H_FULL) || fd == handle_fd(H_READ_ONLY) || fd == handle_fd(H_PIPE_READ) ||
        fd == handle_fd(H_CLOSED) || fcntl(fd, F_GETFD) == -1)
        return {true, false, "", 0};
    return {false, false, "", 0};
}

[[maybe_unused]] std::string system_text(uint32_t code) {
    char16_t buf[1024] = {};
    if (sys_format_message(code, buf, 1024) == 0) return "Error " + std::to_string(int32_t(code));
    text_trim_right(buf);
    return utf8(buf);
}

// ---- the model ----

struct Expect {
    bool decided = true;
    int ret = 0;
    std::u16string result;
    std::string report;
};

struct Fields {
    bool plain = false;
    std::vector<std::u16string> f;
    bool given(size_t i) const { return i < f.size() && !f[i].empty(); }
};

// The arguments of a text without quotes, as the splitter must cut it: white space before
// an argument is dropped; with white space as a separator it ends an argument, otherwise
// it stays inside one and is trimmed from its end; a separator with nothing before it
// ends an empty argument, and the end of the text ends one only if it has characters.
Fields plain_fields(const std::u16string& text, uint32_t options) {
    Fields r;
    if (text.size() >= 8000) return r;
    bool blanks_separate = options & SPLIT_ON_WHITESPACE;
    bool upper = options & SPLIT_UPPERCASE;
    std::u16string cur;
    for (char16_t c : text) {
        if (c == u'"') return r;
        bool space = text_is_space(c);
        if (space && cur.empty()) continue;
        if (c == u',' || (space && blanks_separate)) {
            while (!cur.empty() && text_is_space(cur.back())) cur.pop_back();
            r.f.push_back(cur);
            cur.clear();
            continue;
        }
        cur.push_back(upper && c >= u'a' && c <= u'z' ? char16_t(c - 32) : c);
    }
    while (!cur.empty() && text_is_space(cur.back())) cur.pop_back();
    if (!cur.empty()) r.f.push_back(cur);
    r.plain = r.f.size() <= 1024;
    return r;
}

[[maybe_unused]] std::string upper(const std::u16string& s) {
    std::u16string copy = s;
    sys_char_upper(&copy[0]);
    return utf8(copy);
}

Expect failed(const std::string& message) {
    Expect e;
    e.ret = -1;
    e.report = report_prefix() + message;
    return e;
}

Expect undecided() {
    Expect e;
    e.decided = false;
    return e;
}

Expect succeeded(const std::string& ascii) {
    Expect e;
    e.result.assign(ascii.begin(), ascii.end());
    return e;
}

bool take_handle(const Fields& a, bool upper_case, uint32_t* handle, Expect* err) {
    if (!a.given(0)) {
        *err = failed("Missing handle\r\n");
        return false;
    }
    NumberAnswer h = number_oracle(a.f[0], false, false);
    if (h.status != 0) {
        *err = failed("Bad handle: \"" + (upper_case ? upper(a.f[0]) : utf8(a.f[0])) + "\"\r\n");
        return false;
    }
    *handle = uint32_t(h.value);
    return true;
}

#if defined(FUZZ_BYTEHAUL)
Expect model(const Fields& a, const Input& in) {
    Expect e;
    uint32_t handle;
    if (!take_handle(a, true, &handle, &e)) return e;
    uint32_t count = 1;
    if (a.given(1)) {
        NumberAnswer c = number_oracle(a.f[1], false, false);
        if (c.status != 0) return failed("Bad count: \"" + upper(a.f[1]) + "\"\r\n");
        if (c.value > 4096) return failed("Count must be 1 " + kDash + " 4096: " + std::to_string(c.value) + "\r\n");
        if (c.value != 0) count = uint32_t(c.value);
    }
    uint32_t format = 2;
    if (a.given(2)) {
        NumberAnswer f = number_oracle(a.f[2], false, false);
        if (f.status != 0) return failed("Bad format: \"" + upper(a.f[2]) + "\"\r\n");
        format = uint32_t(f.value);
    }
    IoAnswer r = known_read(handle, count, in);
    if (!r.known) return undecided();
    if (!r.ok) return failed("Error reading from file: " + system_text(r.code) + "\r\n");
    if (r.bytes.empty()) return succeeded("**EOF**");
    std::string out;
    for (char ch : r.bytes) {
        unsigned b = uint8_t(ch);
        int s = int(int8_t(ch));
        char piece[16];
        switch (format & 7) {
        case 0: snprintf(piece, sizeof piece, "%u ", b); break;
        case 1: snprintf(piece, sizeof piece, "0x%02X ", b); break;
        case 3: snprintf(piece, sizeof piece, "%d ", s); break;
        case 4: snprintf(piece, sizeof piece, "%+d ", s); break;
        case 5: snprintf(piece, sizeof piece, "0o%03o ", b); break;
        case 6: snprintf(piece, sizeof piece, "%03o ", b); break;
        default: snprintf(piece, sizeof piece, "%02X ", b); break;
        }
        if (out.size() + strlen(piece) >= 16384) return failed("String overflow\r\n");
        out += piece;
    }
    out.pop_back();
    if (format & 0x80)
        for (char& c : out) c = char(tolower(c));
    return succeeded(out);
}
#elif defined(FUZZ_INTHAUL)
Expect model(const Fields& a, const Input& in) {
    Expect e;
    uint32_t handle;
    if (!take_handle(a, true, &handle, &e)) return e;
    if (!a.given(1)) return failed("Missing value size\r\n");
    const std::u16string& v = a.f[1];
    NumberAnswer s = number_oracle(v, false, true);
    if (s.status != 0) return failed("Bad value size: \"" + upper(v) + "\"\r\n");
    if (s.value == 0 || s.value > 8)
        return failed("Value size must be 1 " + kDash + " 8: " + std::to_string(s.value) + "\r\n");
    unsigned size = unsigned(s.value);
    auto at = [&](size_t i) -> char16_t { return i < v.size() ? v[i] : 0; };
    size_t p = s.end;
    if ((at(p) == u':' || at(p) == u'=') && at(p + 1) != 0) ++p;
    int code = 0;
    bool lower = false;
    switch (at(p)) {
    case u'd':
    case u'D':
        code = 0;
        ++p;
        break;
    case u'X':
        code = 1;
        ++p;
        break;
    case u'x':
        code = 1;
        lower = true;
        ++p;
        break;
    case u'H':
        code = 2;
        ++p;
        break;
    case u'h':
        code = 2;
        lower = true;
        ++p;
        break;
    case u's':
        code = 3;
        ++p;
        break;
    case u'S':
        code = 4;
        ++p;
        break;
    case u'O':
    case u'o':
        code = 5;
        ++p;
        break;
    case u'Q':
    case u'q':
        code = 6;
        ++p;
        break;
    default: break;
    }
    bool reverse = at(p) == u'!';
    IoAnswer r = known_read(handle, size, in);
    if (!r.known) return undecided();
    if (!r.ok) return failed("Error reading from file: " + system_text(r.code) + "\r\n");
    if (r.bytes.size() < size) return succeeded("**EOF**");
    uint8_t b[8] = {};
    for (unsigned i = 0; i < size; ++i) b[i] = uint8_t(r.bytes[reverse ? size - 1 - i : i]);
    if ((code == 3 || code == 4) && size < 8 && (b[size - 1] & 0x80))
        for (unsigned i = size; i < 8; ++i) b[i] = 0xFF;
    unsigned long long value = 0;
    for (int i = 7; i >= 0; --i) value = value << 8 | b[i];
    static const int octal_width[9] = {0, 3, 6, 8, 11, 14, 16, 19, 22};
    char out[64];
    switch (code) {
    case 0: snprintf(out, sizeof out, "%llu", value); break;
    case 1: snprintf(out, sizeof out, "0x%0*llX", int(2 * size), value); break;
    case 2: snprintf(out, sizeof out, "%0*llX", int(2 * size), value); break;
    case 3: snprintf(out, sizeof out, "%lld", (long long)value); break;
    case 4: snprintf(out, sizeof out, "%+lld", (long long)value); break;
    case 5: snprintf(out, sizeof out, "0o%0*llo", octal_width[size], value); break;
    default: snprintf(out, sizeof out, "%0*llo", octal_width[size], value); break;
    }
    std::string text = out;
    if (lower)
        for (char& c : text) c = char(tolower(c));
    return succeeded(text);
}
#elif defined(FUZZ_BYTESTOW)
std::vector<uint8_t> model_bytes;

bool is_upper_hex(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'); }

Expect model(const Fields& a, const Input&) {
    Expect e;
    model_bytes.clear();
    uint32_t handle;
    if (!take_handle(a, false, &handle, &e)) return e;
    if (a.f.size() < 2) return succeeded("0");
    for (size_t i = 1; i < a.f.size(); ++i) {
        const std::u16string& t = a.f[i];
        if (t.empty()) continue;
        auto at = [&](size_t k) -> char16_t { return k < t.size() ? t[k] : 0; };
        int base = 0;
        size_t start = 0;
        if (at(0) == u'0' && at(1) == u'X' && is_upper_hex(at(2))) base = 16, start = 2;
        else if (at(0) == u'0' && at(1) == u'O' && at(2) >= u'0' && at(2) <= u'7') base = 8, start = 2;
        else if (at(0) == u'#' && at(1) >= u'0' && at(1) <= u'9') base = 10, start = 1;
        else if (is_upper_hex(at(0))) base = 16, start = 0;
        DigitsAnswer d = base ? digits_oracle(t, start, base) : DigitsAnswer{true, 0, 0};
        if (d.range || d.end != t.size()) return failed("Bad value: \"" + utf8(t) + "\"\r\n");
        if (d.value > 0xFF) return failed("Value must be 0 " + kDash + " 0xFF: " + utf8(t) + "\r\n");
        if (model_bytes.size() == 4096) return failed("Too many values (4096 bytes max): \"" + utf8(t) + "\"\r\n");
        model_bytes.push_back(uint8_t(d.value));
    }
    if (model_bytes.empty()) return succeeded("0");
    IoAnswer w = known_write(handle);
    if (!w.known) return undecided();
    return succeeded(w.ok ? std::to_string(model_bytes.size()) : "-1");
}
#endif

// ---- checks that hold for every input ----

bool only_of(const std::u16string& s, const char* allowed) {
    for (char16_t c : s)
        if (c > 0x7F || !strchr(allowed, char(c))) return false;
    return true;
}

void check_result_shape(const std::u16string& r, const std::string& ctx) {
    std::string d = ctx + "\nresult " + shown(r);
#if defined(FUZZ_BYTESTOW)
    bool ok = r == u"-1" || (!r.empty() && r.size() <= 4 && only_of(r, "0123456789") && std::stoul(utf8(r)) <= 4096);
    FUZZ_CHECK(ok, d);
#else
    if (r == u"**EOF**") return;
    FUZZ_CHECK(!r.empty() && only_of(r, "0123456789ABCDEFabcdefxo+- "), d);
    FUZZ_CHECK(r.front() != u' ' && r.back() != u' ' && r.find(u"  ") == std::u16string::npos, d);
#    if defined(FUZZ_INTHAUL)
    FUZZ_CHECK(r.find(u' ') == std::u16string::npos && r.size() <= 24, d);
#    endif
#endif
}

// The handle the entry will use, found as the entry finds it.
bool names_unsafe_handle(const std::u16string& text) {
    char16_t* copy = exact_buffer(text.size() + 1, text);
    capture_begin();
    SplitArguments(copy, kSplit);
    capture_end();
    uint32_t h = 0;
    bool unsafe = ArgumentTable.lengths[0] > 0 && ParseUnsigned32(ArgumentTable.pointers[0], &h, nullptr) == 0 &&
                  !handle_is_safe(h);
    exact_free(copy);
    return unsafe;
}

#if defined(FUZZ_BYTESTOW)
// Every path of the values against the reference, on the text split as the entry splits it:
// the same bytes, and the same fault at the same argument.
void compare_value_paths(const std::u16string& text, const std::string& ctx) {
    char16_t* copy = exact_buffer(text.size() + 1, text);
    capture_begin();
    SplitArguments(copy, kSplit);
    capture_end();
    static uint8_t want[4096], got[4096];
    const ByteValues r = take_byte_values_with(SIMD_SCALAR, want);
    for (uint32_t p = SIMD_SCALAR + 1; p < SIMD_LEVELS; ++p) {
        if (!simd_level_supported(SimdLevel(p))) continue;
        const ByteValues g = take_byte_values_with(SimdLevel(p), got);
        FUZZ_CHECK(g.held == r.held && g.fault == r.fault && g.at == r.at && memcmp(got, want, r.held) == 0,
                   ctx + "\n" + simd_level_name(SimdLevel(p)) + " against scalar: " + std::to_string(g.held) +
                       " bytes, fault " + std::to_string(g.fault) + " at argument " + std::to_string(g.at) + "; want " +
                       std::to_string(r.held) + ", " + std::to_string(r.fault) + " at " + std::to_string(r.at));
    }
    exact_free(copy);
}
#endif

bool report_well_formed(const std::string& report) {
    return report.rfind(report_prefix(), 0) == 0 && report.size() >= 2 &&
           report.compare(report.size() - 2, 2, "\r\n") == 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    harness_init();
    handles_open();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in = decode(data, size);
    batch_mode(in.batch);
    std::string ctx = "text " + shown(in.text) + ", data file of " + std::to_string(in.data.size()) + " bytes" +
                      (in.batch ? ", in a batch file" : "");

    if (names_unsafe_handle(in.text)) return -1;  // not kept in the corpus either

    char16_t* buffer = exact_buffer(kCap, in.text);
    WriteState before = write_state();
    capture_begin();
    int ret = call_entry(buffer);
    std::string report = capture_end();
    WriteState after = write_state();
    ctx += "\nreturned " + std::to_string(ret) + ", report [" + report + "]";

    FUZZ_CHECK(ret == 0 || ret == -1, ctx);
    std::u16string result;
    if (ret == 0) {
        size_t n = text_len_bounded(buffer, kCap);
        FUZZ_CHECK(n < kCap, ctx + "\nno NUL within the capacity");
        result.assign(buffer, n);
        check_result_shape(result, ctx);
    }
    exact_free(buffer);

    if (ret == -1) FUZZ_CHECK(report_well_formed(report), ctx + "\nan error must be reported once, as one line");
#if defined(FUZZ_BYTESTOW)
    if (ret == -1 || result == u"-1" || result == u"0") FUZZ_CHECK(before == after, ctx + "\nbytes were written");
#else
    if (ret == 0)
        FUZZ_CHECK(report.empty() || report.rfind(report_prefix() + "Buffer overflow: ", 0) == 0,
                   ctx + "\nsuccess with a report");
    if (ret == -1 && report.find("Error reading from file: ") == std::string::npos &&
        report.find("String overflow") == std::string::npos)
        FUZZ_CHECK(before == after, ctx + "\nthe file moved although an argument was bad");
#endif

#if defined(FUZZ_BYTESTOW)
    compare_value_paths(in.text, ctx);
#endif

    Fields fields = plain_fields(in.text, kSplit);
    Expect want;
    if (fields.plain) want = model(fields, in);
    if (tracing())
        trace(ctx + ", result " + shown(result) +
              (!fields.plain   ? ", not modelled"
               : !want.decided ? ", undecided"
                               : ", modelled"));
    if (!fields.plain || !want.decided) return 0;
    std::string wanted =
        "\nwant " + std::to_string(want.ret) + " " + shown(want.result) + ", report [" + want.report + "]";
    FUZZ_CHECK(ret == want.ret, ctx + wanted);
    if (ret == 0) FUZZ_CHECK(result == want.result, ctx + "\nresult " + shown(result) + wanted);
    FUZZ_CHECK(report == want.report, ctx + wanted);
#if defined(FUZZ_BYTESTOW)
    int fd = -1;
    if (ret == 0 && result != u"-1" && result != u"0") {
        NumberAnswer h = number_oracle(fields.f[0], false, false);
        if (h.value == uint64_t(handle_fd(H_DATA))) fd = handle_fd(H_DATA);
    }
    if (fd >= 0) {
        std::vector<uint8_t> got(model_bytes.size());
        FUZZ_CHECK(pread(fd, got.data(), got.size(), 0) == ssize_t(got.size()) && got == model_bytes,
                   ctx + "\nthe data file does not hold the bytes given");
    }
#endif
    return 0;
}
