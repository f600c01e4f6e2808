// Faults that real files and the shell's surroundings throw at the built plug-in:
// standard output and error closed or leading into a pipe nobody reads, reads that start
// failing in the middle of a loop, a full device, and handle numbers far above anything
// open. Each call must still return its result, leave nothing behind that spoils the next
// call, and never take the process down. Faults no real file can be made to give (a disk
// that fills up, an environment that refuses a value) go through the platform's fault
// seam in the unit tests.
#include <ctype.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/entry/filefunc_calls.h"

namespace {

std::string read_error_report(const std::string& system_text_of_error) {
    return std::string(ERROR_PREFIX) + "Error reading from file: " + system_text_of_error + "\r\n";
}

// What one entry gave while the standard streams were broken.
struct Outcome {
    const char* what;
    int rc;
    std::string result;  // empty where the entry has no result text
};

std::string buffer_text(const GuardedBuffer& b) { return bounded_text(b.data, b.cap); }

// Every entry, called once while output goes nowhere. The handles are opened beforehand:
// with the streams closed, a new descriptor could take their numbers on Linux.
std::vector<Outcome> call_everything(const TempFile& in, const TempFile& out) {
    GuardedBuffer haul = guarded_new(BYTEHAUL_RESULT_CAP, with_handle(in.handle, ",3,1"));
    GuardedBuffer bad = guarded_new(BYTEHAUL_RESULT_CAP, u"zz,1");
    GuardedBuffer integer = guarded_new(RESULT_CAP, with_handle(in.handle, ",2X"));
    GuardedBuffer stow = guarded_new(RESULT_CAP, with_handle(out.handle, ",41 42"));
    GuardedBuffer syntax = guarded_new(RESULT_CAP, u"");
    char16_t verbose[] = u"/V BH_FAULT_CNT";
    char16_t help[] = u"/??";
    char16_t bad_name[] = u"1abc";
    char16_t not_numeric[] = u"BH_FAULT_TEXT";

    std::vector<Outcome> o;
    o.push_back({"@BYTEHAUL", f_bytehaul(haul.data), buffer_text(haul)});
    o.push_back({"@BYTEHAUL bad handle", f_bytehaul(bad.data), ""});
    o.push_back({"@INTHAUL", f_inthaul(integer.data), buffer_text(integer)});
    o.push_back({"@BYTESTOW", f_bytestow(stow.data), buffer_text(stow)});
    o.push_back({"INC /V", inc(verbose), ""});
    o.push_back({"DEC /??", dec(help), ""});
    o.push_back({"INC bad name", inc(bad_name), ""});
    o.push_back({"DEC not numeric", dec(not_numeric), ""});
    o.push_back({"InitializePlugin", InitializePlugin(), ""});
    o.push_back({"Usage", Usage(u"inc", syntax.data), buffer_text(syntax).substr(0, 20)});
    o.push_back({"Help", Help(u"@bytestow"), ""});
    bool guards =
        guard_intact(haul) && guard_intact(bad) && guard_intact(integer) && guard_intact(stow) && guard_intact(syntax);
    o.push_back({"guards intact", guards ? 1 : 0, ""});
    for (GuardedBuffer* b : {&haul, &bad, &integer, &stow, &syntax}) guarded_free(*b);
    return o;
}

class BrokenStreams : public ::testing::TestWithParam<StreamFault> {};

TEST_P(BrokenStreams, EveryEntryStillReturnsItsResult) {
    TempFile in(std::string("\x41\xFF\x00\x10\x20", 5), Access::Read);
    TempFile out("", Access::Write);
    env_set("BH_FAULT_CNT", "41");
    env_set("BH_FAULT_TEXT", "abc");

    streams_break(GetParam());
    std::vector<Outcome> got = call_everything(in, out);
    streams_restore();

    const std::vector<Outcome> want = {
        {"@BYTEHAUL", 0, "0x41 0xFF 0x00"},
        {"@BYTEHAUL bad handle", -1, ""},
        {"@INTHAUL", 0, "0x2010"},
        {"@BYTESTOW", 0, "2"},
        {"INC /V", 0, ""},
        {"DEC /??", 0, ""},
        {"INC bad name", 1, ""},
        {"DEC not numeric", 2, ""},
        {"InitializePlugin", 0, ""},
        {"Usage", 1, "INC /Q /V /Z varname"},
        {"Help", 1, ""},
        {"guards intact", 1, ""},
    };
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].rc, want[i].rc) << want[i].what;
        EXPECT_EQ(got[i].result, want[i].result) << want[i].what;
    }
    std::string value;
    EXPECT_TRUE(env_get("BH_FAULT_CNT", &value));
    EXPECT_EQ(value, "42");
    EXPECT_TRUE(env_get("BH_FAULT_TEXT", &value));
    EXPECT_EQ(value, "abc");
    EXPECT_EQ(out.contents(), "AB");

    // Once the streams are back, reports reach them again: nothing was left stuck.
    Call after = bytehaul(u"zz");
    EXPECT_EQ(after.rc, -1);
    EXPECT_EQ(after.err, std::string(ERROR_PREFIX) + "Bad handle: \"ZZ\"\r\n");
    env_set("BH_FAULT_CNT", nullptr);
    env_set("BH_FAULT_TEXT", nullptr);
}

INSTANTIATE_TEST_SUITE_P(Faults, BrokenStreams, ::testing::Values(StreamFault::Closed, StreamFault::BrokenPipe),
                         [](const ::testing::TestParamInfo<StreamFault>& p) {
                             return p.param == StreamFault::Closed ? std::string("Closed") : std::string("BrokenPipe");
                         });

// A pipe delivers its bytes, then reading it fails: the pipe is set not to wait, and its
// writer, still there, has nothing more. The loop gets its bytes, then a report per failed
// call, and the handle works again once more data comes; a failure in the middle of a
// value is reported as well.
TEST(Faults, ReadFailsMidwayThroughALoop) {
    Pipe p;
    ASSERT_TRUE(put_bytes(p.write_end, "ABCDEFGHIJ"));
    ASSERT_TRUE(pipe_no_wait(p.read_end));
    const std::string failed = system_message(SYS_ERROR_NO_DATA);
    ASSERT_FALSE(failed.empty());
    struct Step {
        Call (*entry)(const std::u16string&);
        const char* args;
        int rc;
        std::string result;
    } steps[] = {
        {bytehaul, ",4", 0, "41 42 43 44"}, {inthaul, ",4X", 0, "0x48474645"},
        {bytehaul, ",4", 0, "49 4A"},  // the last two bytes: a short read is no error
        {bytehaul, ",4", -1, failed},       {inthaul, ",2", -1, failed},
        {bytehaul, ",4096,6", -1, failed},
    };
    for (const Step& s : steps) {
        Call c = s.entry(with_handle(p.read_end, s.args));
        EXPECT_EQ(c.rc, s.rc) << s.args;
        EXPECT_EQ(c.result, s.result) << s.args;
        EXPECT_EQ(c.err, s.rc == 0 ? "" : read_error_report(failed)) << s.args;
        EXPECT_EQ(c.out, "");
        EXPECT_TRUE(c.guard_ok);
    }
    ASSERT_TRUE(put_bytes(p.write_end, "K"));
    Call again = bytehaul(with_handle(p.read_end, ",4"));
    EXPECT_EQ(again.rc, 0);
    EXPECT_EQ(again.result, "4B");
    EXPECT_EQ(again.err, "");
    // One byte of a two-byte value: the read for the second fails, which is no end of data.
    ASSERT_TRUE(put_bytes(p.write_end, "L"));
    Call half = inthaul(with_handle(p.read_end, ",2"));
    EXPECT_EQ(half.rc, -1);
    EXPECT_EQ(half.result, failed);
    EXPECT_EQ(half.err, read_error_report(failed));
}

// The reader of a pipe goes away between two writes: the second write fails, which
// @BYTESTOW answers with -1 and no report; on Linux the process is not killed by SIGPIPE.
TEST(Faults, WriteIntoAPipeWhoseReaderHasGone) {
    Pipe p;
    Call first = bytestow(with_handle(p.write_end, ",41 42"));
    EXPECT_EQ(first.result, "2");
    EXPECT_EQ(take_bytes(p.read_end, 2), "AB");
    p.close_read();
    for (int i = 0; i < 3; ++i) {
        Call c = bytestow(with_handle(p.write_end, ",43"));
        EXPECT_EQ(c.rc, 0);
        EXPECT_EQ(c.result, "-1");
        EXPECT_EQ(c.err, "");
        EXPECT_EQ(c.out, "");
    }
}

// Handle numbers far above anything open: the reading functions report the system's own
// text for an invalid handle, @BYTESTOW answers -1, and the number is never cut down to
// one that happens to be open.
TEST(Faults, HandleNumbersFarAboveTheOpenOnes) {
    const std::string text = system_message(SYS_ERROR_INVALID_HANDLE);
    ASSERT_FALSE(text.empty());
    for (const char* h :
         {"1000000", "65536", "2147483647", "2147483648", "4294967292", "4294967295", "0xFFFFFFFF", "0o37777777777"}) {
        Call a = bytehaul(U(std::string(h) + ",1"));
        EXPECT_EQ(a.rc, -1) << h;
        EXPECT_EQ(a.result, text) << h;
        EXPECT_EQ(a.err, read_error_report(text)) << h;
        Call b = inthaul(U(std::string(h) + ",8"));
        EXPECT_EQ(b.rc, -1) << h;
        EXPECT_EQ(b.err, read_error_report(text)) << h;
        Call c = bytestow(U(std::string(h) + ",41"));
        EXPECT_EQ(c.rc, 0) << h;
        EXPECT_EQ(c.result, "-1") << h;
        EXPECT_EQ(c.err, "") << h;
        EXPECT_TRUE(a.guard_ok && b.guard_ok && c.guard_ok) << h;
    }
    // Past 32 bits a handle cannot be written at all.
    for (const char* h : {"4294967296", "0x100000000", "18446744073709551615", "99999999999999999999999"}) {
        std::string shown = h;
        for (char& ch : shown) ch = char(toupper(ch));
        EXPECT_EQ(bytehaul(U(std::string(h) + ",1")).err,
                  std::string(ERROR_PREFIX) + "Bad handle: \"" + shown + "\"\r\n");
        EXPECT_EQ(inthaul(U(std::string(h) + ",1")).err,
                  std::string(ERROR_PREFIX) + "Bad handle: \"" + shown + "\"\r\n");
        EXPECT_EQ(bytestow(U(std::string(h) + ",41")).err,
                  std::string(ERROR_PREFIX) + "Bad handle: \"" + shown + "\"\r\n");
    }
}

#if !defined(_WIN32)

// A disk that is full from the start: /dev/full takes no byte, and reading it gives zeros.
TEST(Faults, FullDevice) {
    uint64_t full = open_path("/dev/full", Access::ReadWrite);
    if (!full) GTEST_SKIP() << "no /dev/full";
    Call w = bytestow(with_handle(full, ",41"));
    Call r = inthaul(with_handle(full, ",8X"));
    close_handle(full);
    EXPECT_EQ(w.result, "-1");
    EXPECT_EQ(w.err, "");
    EXPECT_EQ(r.result, "0x0000000000000000");
}

#endif  // !_WIN32

}  // namespace
