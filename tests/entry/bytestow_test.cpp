// @BYTESTOW through the exported entry: the byte value syntax, what reaches the file,
// failed writes, argument errors and the limits of one call.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "tests/entry/filefunc_calls.h"

namespace {

TEST(Bytestow, WritesTheValuesInOnePiece) {
    struct Row {
        const char* values;  // after the handle
        const char* result;
        std::string written;
    } rows[] = {
        {",41 42 43", "3", "ABC"},
        {" ,41", "1", "A"},
        {",41,42\t43", "3", "ABC"},
        {",\"41\" 42", "2", "AB"},
        {",FF 0xff #255 0o377 ff", "5", "\xFF\xFF\xFF\xFF\xFF"},
        {",10 #10 0o10 0X10", "4", "\x10\x0A\x08\x10"},
        {",0X0X41 0x0x41", "2", "AA"},
        {",0 00 #0 0o0 0x0", "5", std::string(5, '\0')},
        {",7 0x007 #0007 0o007", "4", "\x07\x07\x07\x07"},
        {"", "0", ""},
        {",", "0", ""},
        {",, ,", "0", ""},
        // A quoted blank is an absent value, skipped.
        {",\" \"", "0", ""},
        {",41 \" \" 42", "2", "AB"},
        // A run of two-digit values, which a vector path may read sixteen at a time, with
        // every digit at the ends of its range.
        {",00 09 0A 0F 10 19 1a 1f 90 99 A0 aF F0 F9 fa FF 7E", "17",
         std::string("\x00\x09\x0A\x0F\x10\x19\x1A\x1F\x90\x99\xA0\xAF\xF0\xF9\xFA\xFF\x7E", 17)},
    };
    for (const auto& r : rows) {
        TempFile f("", Access::ReadWrite);
        Call c = bytestow(with_handle(f.handle, r.values));
        EXPECT_EQ(c.rc, 0) << r.values;
        EXPECT_EQ(c.result, r.result) << r.values;
        EXPECT_EQ(c.err, "") << r.values;
        EXPECT_EQ(c.out, "") << r.values;
        EXPECT_EQ(f.contents(), r.written) << r.values;
    }
}

TEST(Bytestow, WritesAtTheHandlesPosition) {
    TempFile f("xyz", Access::ReadWrite);
    EXPECT_EQ(take_bytes(f.handle, 1), "x");
    EXPECT_EQ(bytestow(with_handle(f.handle, ",41")).result, "1");
    EXPECT_EQ(bytestow(with_handle(f.handle, ",42 43")).result, "2");
    EXPECT_EQ(f.contents(), "xABC");
}

TEST(Bytestow, AHandleAloneTriesNoWrite) {
    // 4294967295 names no open handle; without values it is never used.
    for (const char* args : {"4294967295", "4294967295,", "4294967295,,", "4294967295 , "}) {
        Call c = bytestow(U(args));
        EXPECT_EQ(c.rc, 0) << args;
        EXPECT_EQ(c.result, "0") << args;
        EXPECT_EQ(c.err, "") << args;
    }
}

TEST(Bytestow, FailedWritesAnswerMinusOneQuietly) {
    TempFile r("abc", Access::Read);
    Call read_only = bytestow(with_handle(r.handle, ",41 42"));
    EXPECT_EQ(read_only.rc, 0);
    EXPECT_EQ(read_only.result, "-1");
    EXPECT_EQ(read_only.err, "");
    EXPECT_EQ(r.contents(), "abc");

    Call nowhere = call_entry_with(
        f_bytestow, [] { return handle_arg(closed_handle()) + u",41"; }, SHELL_RESULT_CAP);
    EXPECT_EQ(nowhere.rc, 0);
    EXPECT_EQ(nowhere.result, "-1");
    EXPECT_EQ(nowhere.err, "");

    Pipe p;
    p.close_read();
    Call broken = bytestow(with_handle(p.write_end, ",41"));
    // Still here: a reader that has gone does not end the process.
    EXPECT_EQ(broken.rc, 0);
    EXPECT_EQ(broken.result, "-1");
    EXPECT_EQ(broken.err, "");
}

TEST(Bytestow, FullDeviceAnswersMinusOne) {
    uint64_t full = open_path("/dev/full", Access::Write);
    if (!full) GTEST_SKIP() << "no /dev/full on this system";
    Call c = bytestow(with_handle(full, ",41 42"));
    close_handle(full);
    EXPECT_EQ(c.rc, 0);
    EXPECT_EQ(c.result, "-1");
    EXPECT_EQ(c.err, "");
}

TEST(Bytestow, WritesIntoAPipe) {
    Pipe p;
    EXPECT_EQ(bytestow(with_handle(p.write_end, ",4F 4B")).result, "2");
    EXPECT_EQ(take_bytes(p.read_end, 10), "OK");
}

TEST(Bytestow, BadArgumentsWriteNothing) {
    struct Bad {
        const char* args;  // "H" stands for the file's handle
        const char* message;
    } cases[] = {
        {"", "Missing handle\r\n"},
        {",41", "Missing handle\r\n"},
        {" ,41", "Missing handle\r\n"},
        {"\" \",41", "Missing handle\r\n"},
        {"12z,41", "Bad handle: \"12Z\"\r\n"},
        {"0x1fq,41", "Bad handle: \"0X1FQ\"\r\n"},
        {"h", "Bad handle: \"H\"\r\n"},
        {"-1 41", "Bad handle: \"-1\"\r\n"},
        // The handle is quoted as the splitter left it: ASCII letters upper-cased, no others.
        {"z\xc3\xa4\xc3\xbf,41", "Bad handle: \"Z\xc3\xa4\xc3\xbf\"\r\n"},
        {"0x1f\xd0\xb6 41", "Bad handle: \"0X1F\xd0\xb6\"\r\n"},
        {"H,100", "Value must be 0 \xe2\x80\x93 0xFF: 100\r\n"},
        {"H,FFFFFFFF", "Value must be 0 \xe2\x80\x93 0xFF: FFFFFFFF\r\n"},
        {"H,#256", "Value must be 0 \xe2\x80\x93 0xFF: #256\r\n"},
        {"H,0o400", "Value must be 0 \xe2\x80\x93 0xFF: 0O400\r\n"},
        {"H,1ffffffff", "Bad value: \"1FFFFFFFF\"\r\n"},
        {"H,-1", "Bad value: \"-1\"\r\n"},
        {"H,+1", "Bad value: \"+1\"\r\n"},
        {"H,g", "Bad value: \"G\"\r\n"},
        {"H,#a", "Bad value: \"#A\"\r\n"},
        {"H,0x", "Bad value: \"0X\"\r\n"},
        {"H,0o8", "Bad value: \"0O8\"\r\n"},
        {"H,41z", "Bad value: \"41Z\"\r\n"},
        {"H,#", "Bad value: \"#\"\r\n"},
        {"H,41 42 zz", "Bad value: \"ZZ\"\r\n"},
        {"H,41 100 zz", "Value must be 0 \xe2\x80\x93 0xFF: 100\r\n"},
        // The splitter's upper-casing is ASCII only, and the value is quoted as it left it.
        {"H,\xc3\xa4", "Bad value: \"\xc3\xa4\"\r\n"},
        // In a run of two-digit values: a character next to a digit's range, and one whose
        // low byte is a digit (U+0141).
        {"H,41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 /0 41", "Bad value: \"/0\"\r\n"},
        {"H,41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 9: 41", "Bad value: \"9:\"\r\n"},
        {"H,41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 @0 41", "Bad value: \"@0\"\r\n"},
        {"H,41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 4g 41", "Bad value: \"4G\"\r\n"},
        {"H,41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 `0 41", "Bad value: \"`0\"\r\n"},
        {"H,41 41 41 41 41 41 41 \u01411 41 41 41 41 41 41 41 41 41", "Bad value: \"\u01411\"\r\n"},
    };
    for (const auto& b : cases) {
        TempFile f("", Access::ReadWrite);
        std::string args = b.args;
        size_t at = args.find('H');
        if (at != std::string::npos) args.replace(at, 1, std::to_string(f.handle));
        Call c = bytestow(U(args));
        EXPECT_EQ(c.rc, -1) << b.args;
        EXPECT_EQ(c.err, std::string(ERROR_PREFIX) + b.message) << b.args;
        EXPECT_EQ(c.result, args) << b.args;
        EXPECT_EQ(f.contents(), "") << b.args;
    }
}

std::string values(int n, const char* value) {
    std::string s;
    for (int i = 0; i < n; ++i) s += std::string(" ") + value;
    return s;
}

TEST(Bytestow, ValuesPastTheArgumentLimitAreDropped) {
    for (int n : {1022, 1023, 1029}) {
        TempFile f("", Access::ReadWrite);
        Call c = bytestow(with_handle(f.handle, values(n, "5A")));
        int kept = n < 1023 ? n : 1023;
        EXPECT_EQ(c.rc, 0) << n;
        EXPECT_EQ(c.result, std::to_string(kept)) << n;
        EXPECT_EQ(c.err, "") << n;
        EXPECT_EQ(f.contents(), std::string(size_t(kept), 'Z')) << n;
    }
    // A bad value among the dropped ones goes unseen.
    TempFile f("", Access::ReadWrite);
    Call c = bytestow(with_handle(f.handle, values(1023, "01") + " ZZ"));
    EXPECT_EQ(c.result, "1023");
    EXPECT_EQ(c.err, "");
}

#if defined(_WIN32)
// A pipe that is set not to wait and has less room than the bytes: the system writes part
// of them or none, and the count returned must be what went in. (On Linux the same write
// fails outright and answers -1, as a failed write does.)
TEST(Bytestow, ShortWriteAnswersTheCountWritten) {
    Pipe p;
    ASSERT_TRUE(pipe_no_wait(p.write_end));
    ASSERT_TRUE(pipe_no_wait(p.read_end));
    const std::string chunk(1000, '.');
    std::string before;
    uint32_t done = 1000;
    while (done == 1000 && before.size() < 1000000) {
        ASSERT_TRUE(sys_write_file(p.write_end, chunk.data(), 1000, &done));
        before.append(done, '.');
    }
    Call c = bytestow(with_handle(p.write_end, values(1000, "5A")));
    EXPECT_EQ(c.rc, 0);
    EXPECT_EQ(c.err, "");
    const int written = atoi(c.result.c_str());
    ASSERT_GE(written, 0) << c.result;
    EXPECT_LT(written, 1000) << c.result;
    std::string got, piece;
    while ((piece = take_bytes(p.read_end, 4096)) != "<read failed>" && !piece.empty()) got += piece;
    EXPECT_TRUE(got == before + std::string(size_t(written), 'Z'))
        << got.size() << " bytes read back, " << before.size() << " + " << written << " expected";
}
#endif

TEST(Bytestow, SplitterOverflowLeavesNothingToWrite) {
    TempFile f("", Access::ReadWrite);
    Call c = bytestow(with_handle(f.handle, ",41 42 " + std::string(9000, '4')));
    EXPECT_EQ(c.rc, 0);
    EXPECT_EQ(c.result, "0");
    EXPECT_EQ(c.err, std::string(ERROR_PREFIX) + "Buffer overflow: b = 8191, MAX_ARG_LEN = 8192 \r\n");
    EXPECT_EQ(f.contents(), "");
}

}  // namespace
