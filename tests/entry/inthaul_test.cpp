// @INTHAUL through the exported entry: sizes, format letters, byte order, sign, the end
// of the data, read failures and argument errors.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/entry/filefunc_calls.h"

namespace {

struct Row {
    const char* bytes;
    size_t n;
    const char* valsize;
    const char* result;
};

void expect_results(const Row* rows, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const Row& r = rows[i];
        TempFile f(std::string(r.bytes, r.n), Access::Read);
        Call c = inthaul(with_handle(f.handle, std::string(",") + r.valsize));
        EXPECT_EQ(c.rc, 0) << r.valsize;
        EXPECT_EQ(c.result, r.result) << r.valsize;
        EXPECT_EQ(c.err, "") << r.valsize;
        EXPECT_EQ(c.out, "") << r.valsize;
        EXPECT_TRUE(c.guard_ok) << r.valsize;
    }
}

TEST(Inthaul, FormatLettersAndByteOrder) {
    const char* FE_FF = "\xFE\xFF";
    const Row rows[] = {
        {FE_FF, 2, "2", "65534"},        {FE_FF, 2, "2d", "65534"},
        {FE_FF, 2, "2D", "65534"},       {FE_FF, 2, "2X", "0xFFFE"},
        {FE_FF, 2, "2x", "0xfffe"},      {FE_FF, 2, "2:x", "0xfffe"},
        {FE_FF, 2, "2=x", "0xfffe"},     {FE_FF, 2, "2H", "FFFE"},
        {FE_FF, 2, "2h", "fffe"},        {FE_FF, 2, "2s", "-2"},
        {FE_FF, 2, "2S", "-2"},          {FE_FF, 2, "2o", "0o177776"},
        {FE_FF, 2, "2O", "0o177776"},    {FE_FF, 2, "2q", "177776"},
        {FE_FF, 2, "2Q", "177776"},      {FE_FF, 2, "2!", "65279"},
        {FE_FF, 2, "2!x", "65279"},      {FE_FF, 2, "2X!", "0xFEFF"},
        {FE_FF, 2, "2s!", "-257"},       {FE_FF, 2, "2z", "65534"},
        {FE_FF, 2, "2z!", "65534"},      {FE_FF, 2, "2 x", "65534"},
        {FE_FF, 2, "2::x", "65534"},     {FE_FF, 2, "2:", "65534"},
        {FE_FF, 2, "2x!junk", "0xfeff"}, {FE_FF, 2, "2:!", "65279"},
        {FE_FF, 2, " 2X ", "0xFFFE"},    {FE_FF, 2, "2X,ignored", "0xFFFE"},
        {FE_FF, 2, "0x2X", "0xFFFE"},    {FE_FF, 2, "0o2:h", "fffe"},
    };
    expect_results(rows, sizeof rows / sizeof rows[0]);
}

TEST(Inthaul, WidthsSignsAndSizes) {
    const char* FF8 = "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF";
    const Row rows[] = {
        {FF8, 8, "8", "18446744073709551615"},
        {FF8, 8, "8s", "-1"},
        {FF8, 8, "8S", "-1"},
        {FF8, 8, "8X", "0xFFFFFFFFFFFFFFFF"},
        {FF8, 8, "8o", "0o1777777777777777777777"},
        {"\x80", 1, "1", "128"},
        {"\x80", 1, "1s", "-128"},
        {"\x80", 1, "1S", "-128"},
        {"\x80", 1, "1o", "0o200"},
        {"\x05", 1, "1S", "+5"},
        {"\x00", 1, "1S", "+0"},
        {"\x05", 1, "1q", "005"},
        {"\x01\x00\x00", 3, "3o", "0o00000001"},
        {"\x01\x00\x00", 3, "3q", "00000001"},
        {"\x01\x00\x00", 3, "3X", "0x000001"},
        {"\x01\x02\x03", 3, "3X!", "0x010203"},
        {"\x00\x00\x80", 3, "3s", "-8388608"},
        {"\x00\x00\x80", 3, "3", "8388608"},
        {"\x00\x00\x80", 3, "3X", "0x800000"},
        {"\x80\x00\x00", 3, "3s!", "-8388608"},
        {"\x01\x02\x03\x04\x05\x06\x07", 7, "7H!", "01020304050607"},
        {"\x01\x02\x03\x04\x05\x06\x07", 7, "7q", "0070140240400601001"},
        {"\x00\x00\x00\x00\x00\x00\x00\x80", 8, "8S", "-9223372036854775808"},
        {"\x7F\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 8, "8S!", "+9223372036854775807"},
        {"\xFF\xFF\xFF\x7F", 4, "4S", "+2147483647"},
        {"\xAB\xCD\xEF\x01\x23", 5, "5o", "0o02140173746653"},
        {"\x01\x02\x03\x04\x05\x06", 6, "6x!", "0x010203040506"},
        {"\x01\x02\x03\x04\x05", 5, "0x4:d", "67305985"},
    };
    expect_results(rows, sizeof rows / sizeof rows[0]);
}

// The value 1 in every size: octal takes as many digits as the largest value of the size
// needs, hexadecimal two a byte.
TEST(Inthaul, ZeroPaddedWidthOfEverySize) {
    const char* ONE = "\x01\x00\x00\x00\x00\x00\x00\x00";
    const Row rows[] = {
        {ONE, 1, "1q", "001"},
        {ONE, 2, "2q", "000001"},
        {ONE, 3, "3q", "00000001"},
        {ONE, 4, "4q", "00000000001"},
        {ONE, 5, "5q", "00000000000001"},
        {ONE, 6, "6q", "0000000000000001"},
        {ONE, 7, "7q", "0000000000000000001"},
        {ONE, 8, "8q", "0000000000000000000001"},
        {ONE, 6, "6o", "0o0000000000000001"},
        {ONE, 1, "1H", "01"},
        {ONE, 2, "2H", "0001"},
        {ONE, 3, "3H", "000001"},
        {ONE, 4, "4H", "00000001"},
        {ONE, 5, "5H", "0000000001"},
        {ONE, 6, "6H", "000000000001"},
        {ONE, 7, "7H", "00000000000001"},
        {ONE, 8, "8H", "0000000000000001"},
        {ONE, 5, "5x", "0x0000000001"},
    };
    expect_results(rows, sizeof rows / sizeof rows[0]);
}

TEST(Inthaul, ShortReadIsTheEndAndConsumesItsBytes) {
    TempFile f("\x01\x02\x03", Access::Read);
    EXPECT_EQ(inthaul(with_handle(f.handle, ",4")).result, "**EOF**");
    // Had the three bytes stayed, this would read 1.
    EXPECT_EQ(inthaul(with_handle(f.handle, ",1")).result, "**EOF**");
    EXPECT_EQ(inthaul(with_handle(f.handle, ",1x")).result, "**EOF**");
    EXPECT_EQ(inthaul(with_handle(f.handle, ",1h")).result, "**EOF**");

    // A pipe ends when its writer has gone: the bytes before the end are taken with it.
    Pipe p;
    ASSERT_TRUE(put_bytes(p.write_end, "\x01\x02\x03"));
    p.close_write();
    Call c = inthaul(with_handle(p.read_end, ",4X"));
    EXPECT_EQ(c.rc, 0);
    EXPECT_EQ(c.result, "**EOF**");
    EXPECT_EQ(c.err, "");
    EXPECT_EQ(inthaul(with_handle(p.read_end, ",2")).result, "**EOF**");
}

// A writer that sends a value in two pieces with a pause between them: the call waits for
// the second piece rather than taking the first for the end and losing it.
TEST(Inthaul, WaitsForTheRestOfAValueOnAPipe) {
    Pipe p;
    ASSERT_TRUE(put_bytes(p.write_end, "AB"));
    std::thread writer([&p] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        put_bytes(p.write_end, "CDEFGH");
        p.close_write();
    });
    Call c = inthaul(with_handle(p.read_end, ",4X"));
    writer.join();
    EXPECT_EQ(c.rc, 0);
    EXPECT_EQ(c.result, "0x44434241");
    EXPECT_EQ(c.err, "");
    EXPECT_EQ(bytehaul(with_handle(p.read_end, ",16")).result, "45 46 47 48");
}

TEST(Inthaul, ReadsAFileValueByValue) {
    TempFile f(std::string("\x01\x00\x02\x00\x00\x00\x03", 7), Access::Read);
    const char* const sizes[][2] = {{",2", "1"}, {",4X", "0x00000002"}, {",1", "3"}, {",1", "**EOF**"}};
    for (const auto& s : sizes) EXPECT_EQ(inthaul(with_handle(f.handle, s[0])).result, s[1]) << s[0];
}

std::string read_error_line(const std::string& system) {
    return std::string(ERROR_PREFIX) + "Error reading from file: " + system + "\r\n";
}

TEST(Inthaul, ReadFailuresGiveTheSystemText) {
    Call closed = call_entry_with(
        f_inthaul, [] { return handle_arg(closed_handle()) + u",4"; }, SHELL_RESULT_CAP);
    EXPECT_EQ(closed.rc, -1);
    EXPECT_EQ(closed.result, system_text(SYS_ERROR_INVALID_HANDLE));
    EXPECT_EQ(closed.err, read_error_line(closed.result));
    EXPECT_TRUE(closed.guard_ok);

    TempFile w("abcd", Access::Write);
    Call write_only = inthaul(with_handle(w.handle, ",2x"));
    EXPECT_EQ(write_only.rc, -1);
    EXPECT_EQ(write_only.result, system_text(SYS_ERROR_ACCESS_DENIED));
    EXPECT_EQ(write_only.err, read_error_line(write_only.result));
}

TEST(Inthaul, ArgumentErrorsInTheirOrder) {
    struct Bad {
        const char* args;  // "H" stands for an open handle's number
        const char* message;
    } cases[] = {
        {"", "Missing handle\r\n"},
        {",2", "Missing handle\r\n"},
        {"\" \",2", "Missing handle\r\n"},
        {"12a,2", "Bad handle: \"12A\"\r\n"},
        {"0x1g,0", "Bad handle: \"0X1G\"\r\n"},
        {"0o18,x", "Bad handle: \"0O18\"\r\n"},
        {"H", "Missing value size\r\n"},
        {"H,", "Missing value size\r\n"},
        {"H, ,2", "Missing value size\r\n"},
        {"H,\" \"", "Missing value size\r\n"},
        {"H,x", "Bad value size: \"X\"\r\n"},
        {"H,-1", "Bad value size: \"-1\"\r\n"},
        {"H,4294967296x", "Bad value size: \"4294967296X\"\r\n"},
        {"H,\xc3\xa4", "Bad value size: \"\xc3\x84\"\r\n"},
        {"H,0", "Value size must be 1 \xe2\x80\x93 8: 0\r\n"},
        {"H,9", "Value size must be 1 \xe2\x80\x93 8: 9\r\n"},
        {"H,9x", "Value size must be 1 \xe2\x80\x93 8: 9\r\n"},
        {"H,0x4d", "Value size must be 1 \xe2\x80\x93 8: 77\r\n"},
        {"H,0xg", "Value size must be 1 \xe2\x80\x93 8: 0\r\n"},
        {"H,4294967295", "Value size must be 1 \xe2\x80\x93 8: 4294967295\r\n"},
    };
    for (const auto& b : cases) {
        TempFile f("\x2A", Access::Read);
        std::string args = b.args;
        size_t at = args.find('H');
        if (at != std::string::npos) args.replace(at, 1, std::to_string(f.handle));
        Call c = inthaul(U(args));
        EXPECT_EQ(c.rc, -1) << b.args;
        EXPECT_EQ(c.err, std::string(ERROR_PREFIX) + b.message) << b.args;
        EXPECT_EQ(c.result, args) << b.args;
        // Nothing was read.
        EXPECT_EQ(inthaul(with_handle(f.handle, ",1")).result, "42") << b.args;
    }
}

TEST(Inthaul, EightBytesIsTheLargestSize) {
    TempFile f(std::string(9, '\x11'), Access::Read);
    EXPECT_EQ(inthaul(with_handle(f.handle, ",8H")).result, "1111111111111111");
    EXPECT_EQ(inthaul(with_handle(f.handle, ",8H")).result, "**EOF**");
}

}  // namespace
