// Faults injected through the platform's seam, the same way on every build: reads and
// writes that fail with a chosen code, a disk that fills up, an environment that will not
// give or take a value. The plug-in's code is linked into this program, so its calls into
// the platform are the ones the seam turns aside; the expected texts come from the system
// (or the Linux stand-in's texts written out), never from the plug-in.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "tests/entry/filefunc_calls.h"
#include "tests/support/support.h"

#if !defined(_WIN32)
#    include <errno.h>
#    include <unistd.h>
#endif

namespace {

uint32_t fail_code;  // what the failing call leaves as the last error
int calls_made;

bool failing_read(sys_handle, void*, uint32_t, uint32_t* done) {
    ++calls_made;
    *done = 0;
    sys_set_last_error(fail_code);
    return false;
}

bool failing_set_env(const char16_t*, const char16_t*) {
    ++calls_made;
    sys_set_last_error(fail_code);
    return false;
}

std::string read_report(const std::string& text) {
    return std::string(ERROR_PREFIX) + "Error reading from file: " + text + "\r\n";
}

struct CommandRun {
    int code;
    Captured c;
};

CommandRun run(int (*command)(char16_t*), const std::string& text) {
    std::u16string t = U(text);
    capture_begin();
    int code = command(&t[0]);
    return {code, capture_end()};
}

// Both reading functions answer a failed read with the system's text, as result and in a
// report; a pipe whose writers have gone is the end of the data, not a failure.
TEST(Faults, ReadFailsWithTheSystemsCode) {
    struct Row {
        uint32_t code;
        std::string text;  // empty: the end of the data
    } rows[] = {
        {SYS_ERROR_ACCESS_DENIED, system_message(5)},
        {SYS_ERROR_IO_DEVICE, system_message(1117)},
        {SYS_ERROR_NO_DATA, system_message(232)},
        {0xFFFFFFFFu, "Unknown error"},
        {0x7FFFFF01u, "Error 2147483393"},
        {0xE0000001u, "Error -536870911"},
        {SYS_ERROR_BROKEN_PIPE, ""},
    };
    SeamRestorer restore;
    ASSERT_TRUE(seam_override("ReadFile", &failing_read));
    for (const Row& r : rows) {
        ASSERT_TRUE(r.code == SYS_ERROR_BROKEN_PIPE || !r.text.empty()) << r.code;
        fail_code = r.code;
        calls_made = 0;
        Call a = bytehaul(u"5,4");
        Call b = inthaul(u"5,2X");
        EXPECT_EQ(calls_made, 2) << r.code;
        const bool end = r.text.empty();
        EXPECT_EQ(a.rc, end ? 0 : -1) << r.code;
        EXPECT_EQ(a.result, end ? "**EOF**" : r.text) << r.code;
        EXPECT_EQ(a.err, end ? "" : read_report(r.text)) << r.code;
        EXPECT_EQ(b.rc, end ? 0 : -1) << r.code;
        EXPECT_EQ(b.result, end ? "**EOF**" : r.text) << r.code;
        EXPECT_EQ(b.err, end ? "" : read_report(r.text)) << r.code;
        EXPECT_EQ(a.out + b.out, "");
        EXPECT_TRUE(a.guard_ok && b.guard_ok);
    }
}

// The disk fills up between writes: the write that reaches the limit is cut short and
// @BYTESTOW answers with what was written; the next ones fail and answer -1, unreported.
uint32_t room;
std::string written;

bool filling_write(sys_handle, const void* buf, uint32_t count, uint32_t* done) {
    *done = 0;
    if (room == 0) {
        sys_set_last_error(SYS_ERROR_DISK_FULL);
        return false;
    }
    uint32_t n = count < room ? count : room;
    written.append(static_cast<const char*>(buf), n);
    room -= n;
    *done = n;
    return true;
}

TEST(Faults, DiskFillsUpMidwayThroughWrites) {
    SeamRestorer restore;
    ASSERT_TRUE(seam_override("WriteFile", &filling_write));
    room = 6;
    written.clear();
    struct Row {
        const char* args;
        const char* result;
    } rows[] = {{"7,41 42 43 44", "4"}, {"7,45 46 47 48", "2"}, {"7,49", "-1"}, {"7,4A 4B", "-1"}};
    for (const Row& r : rows) {
        Call c = bytestow(U(r.args));
        EXPECT_EQ(c.rc, 0) << r.args;
        EXPECT_EQ(c.result, r.result) << r.args;
        EXPECT_EQ(c.err, "") << r.args;
        EXPECT_TRUE(c.guard_ok);
    }
    EXPECT_EQ(written, "ABCDEF");
}

// The environment refuses a new value: the counter reports it (unless quiet), fails with
// 2, and the variable keeps its old value, or stays unset.
TEST(Faults, EnvironmentRefusesTheNewValue) {
    const std::string refused = std::string(ERROR_PREFIX) +
                                "Error setting value of environment variable \"BH_FAULT_SET\" :\r\n    " +
                                system_message(SYS_ERROR_NOT_ENOUGH_MEMORY) + "\r\n";
    ASSERT_FALSE(system_message(SYS_ERROR_NOT_ENOUGH_MEMORY).empty());
    env_set("BH_FAULT_SET", "0x0F");
    env_set("BH_FAULT_NEW", nullptr);
    CommandRun a, b, c, d;
    {
        SeamRestorer restore;
        ASSERT_TRUE(seam_override("SetEnvironmentVariableW", &failing_set_env));
        fail_code = SYS_ERROR_NOT_ENOUGH_MEMORY;
        a = run(inc, "BH_FAULT_SET");
        b = run(dec, "/Q /V BH_FAULT_SET");
        c = run(inc, "/v bh_fault_set");
        d = run(dec, "BH_FAULT_NEW");
    }
    EXPECT_EQ(a.code, 2);
    EXPECT_EQ(a.c.err, refused);
    EXPECT_EQ(b.code, 2);
    EXPECT_EQ(b.c.err, "");
    EXPECT_EQ(b.c.out, "");
    EXPECT_EQ(c.code, 2);
    EXPECT_EQ(c.c.err, refused);
    EXPECT_EQ(c.c.out, "");
    EXPECT_EQ(d.code, 2);
    std::string value;
    EXPECT_TRUE(env_get("BH_FAULT_SET", &value));
    EXPECT_EQ(value, "0x0F");
    EXPECT_FALSE(env_get("BH_FAULT_NEW", &value));

    // Once the environment takes values again, counting goes on from the value kept.
    CommandRun e = run(inc, "BH_FAULT_SET");
    EXPECT_EQ(e.code, 0);
    EXPECT_EQ(e.c.err, "");
    EXPECT_TRUE(env_get("BH_FAULT_SET", &value));
    EXPECT_EQ(value, "0x10");
    env_set("BH_FAULT_SET", nullptr);
}

#if !defined(_WIN32)

// The Linux stand-in turns each errno into the code Windows gives for the same failure,
// and reports it with that code's text.
int fake_errno;
ssize_t errno_read(int, void*, size_t) {
    errno = fake_errno;
    return -1;
}
int errno_putenv(char*) {
    errno = fake_errno;
    return -1;
}

TEST(PosixErrors, EachErrnoBecomesItsWindowsCode) {
    struct Row {
        int e;
        uint32_t code;
    } rows[] = {
        {EIO, 1117}, {EROFS, 19},   {ENXIO, 21},   {ENOTDIR, 3}, {ENAMETOOLONG, 206}, {EFBIG, 223},
        {EISDIR, 1}, {ENOSPC, 112}, {EDQUOT, 112}, {ENOMEM, 8},  {EINVAL, 87},        {ENOENT, 2},
        {EPERM, 5},  {EACCES, 5},   {EAGAIN, 232}, {EPIPE, 232}, {ENOTSOCK, 31},      {EOVERFLOW, 31},
    };
    SeamRestorer restore;
    ASSERT_TRUE(seam_override("read", &errno_read));
    ASSERT_TRUE(seam_override("putenv", &errno_putenv));
    for (const Row& r : rows) {
        fake_errno = r.e;
        char byte;
        uint32_t done = 9;
        sys_set_last_error(0);
        EXPECT_FALSE(sys_read_file(0, &byte, 1, &done)) << r.e;
        EXPECT_EQ(done, 0u) << r.e;
        EXPECT_EQ(sys_last_error(), r.code) << "errno " << r.e;
        const std::string text = system_message(r.code);
        ASSERT_FALSE(text.empty()) << r.code;
        EXPECT_EQ(bytehaul(u"0,1").err, read_report(text)) << "errno " << r.e;
        EXPECT_EQ(run(inc, "BH_ERRNO").c.err, std::string(ERROR_PREFIX) +
                                                  "Error setting value of environment variable \"BH_ERRNO\" :\r\n    " +
                                                  text + "\r\n")
            << "errno " << r.e;
    }
}

// A read or write that a signal interrupts before it moved any byte is made again, not
// reported: the caller sees only the bytes.
int interruptions;
ssize_t interrupted_read(int fd, void* buf, size_t n) {
    if (interruptions > 0) {
        --interruptions;
        errno = EINTR;
        return -1;
    }
    return ::read(fd, buf, n);
}
ssize_t interrupted_write(int fd, const void* buf, size_t n) {
    if (interruptions > 0) {
        --interruptions;
        errno = EINTR;
        return -1;
    }
    return ::write(fd, buf, n);
}

TEST(PosixErrors, InterruptedCallsAreMadeAgain) {
    SeamRestorer restore;
    ASSERT_TRUE(seam_override("read", &interrupted_read));
    ASSERT_TRUE(seam_override("write", &interrupted_write));
    TempFile in("ABCD", Access::Read);
    TempFile out("", Access::Write);
    interruptions = 3;
    Call r = bytehaul(with_handle(in.handle, ",4"));
    EXPECT_EQ(interruptions, 0);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.result, "41 42 43 44");
    EXPECT_EQ(r.err, "");
    interruptions = 2;
    Call w = bytestow(with_handle(out.handle, ",58 59"));
    EXPECT_EQ(interruptions, 0);
    EXPECT_EQ(w.result, "2");
    EXPECT_EQ(w.err, "");
    EXPECT_EQ(out.contents(), "XY");
}

#endif  // !_WIN32

}  // namespace
