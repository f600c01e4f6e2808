// ParseUnsigned32 (FUZZ_PARSE_U32) or ParseInteger64 (FUZZ_PARSE_I64) against the oracle.
// Input: one flag byte (bit 0: ask for the end position; all bits set: a null value
// pointer), then the text. A status, value or end position that differs from the
// oracle's is a finding, and nothing may be written on a failure.
#include <string.h>

#include <string>

#include "args/number.h"
#include "fuzz/harness.h"
#include "fuzz/oracles.h"

#if defined(FUZZ_PARSE_U32)
typedef uint32_t Value;
static const bool kWide = false;
static int32_t parse(const char16_t* t, Value* v, const char16_t** e) { return ParseUnsigned32(t, v, e); }
#elif defined(FUZZ_PARSE_I64)
typedef int64_t Value;
static const bool kWide = true;
static int32_t parse(const char16_t* t, Value* v, const char16_t** e) { return ParseInteger64(t, v, e); }
#else
#    error "define FUZZ_PARSE_U32 or FUZZ_PARSE_I64"
#endif

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    harness_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    uint8_t flags = data[0];
    std::u16string text = fuzz_text(data + 1, size - 1, nullptr);
    char16_t* input = exact_buffer(text.size() + 1, text);
    bool with_end = flags & 1;
    std::string ctx =
        std::string(kWide ? "ParseInteger64" : "ParseUnsigned32") + (with_end ? " with end, " : ", ") + shown(text);

    if (flags == 0xFF) {
        const char16_t* end = input;
        FUZZ_CHECK(parse(input, nullptr, &end) == -1 && end == input, ctx + "\nnull value pointer");
        exact_free(input);
        return 0;
    }

    const Value sentinel = Value(0x5A5A5A5A5A5A5A5Aull);
    Value value = sentinel;
    const char16_t* const no_end = reinterpret_cast<const char16_t*>(uintptr_t(0x10));
    const char16_t* end = no_end;
    int32_t status = parse(input, &value, with_end ? &end : nullptr);
    NumberAnswer want = number_oracle(text, kWide, with_end);

    std::string got = "\ngot status " + std::to_string(status) + ", value " + std::to_string(uint64_t(value)) +
                      "\nwant status " + std::to_string(want.status) + ", value " + std::to_string(want.value) +
                      ", end " + std::to_string(want.end);
    FUZZ_CHECK(status == want.status, ctx + got);
    if (status == 0) {
        FUZZ_CHECK(uint64_t(value) == (kWide ? want.value : uint64_t(uint32_t(want.value))), ctx + got);
        if (with_end) FUZZ_CHECK(end == input + want.end, ctx + got + "\nend " + std::to_string(end - input));
    } else {
        FUZZ_CHECK(value == sentinel, ctx + got + "\nvalue written on failure");
        FUZZ_CHECK(end == no_end, ctx + got + "\nend written on failure");
    }
    exact_free(input);
    return 0;
}
