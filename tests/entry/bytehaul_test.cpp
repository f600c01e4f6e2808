// @BYTEHAUL through the exported entry: notations, real files and pipes, read failures,
// argument errors and the limits of the result.
#include <gtest/gtest.h>

#include <string>

#include "tests/entry/filefunc_calls.h"

namespace {

const std::string A_FF_00("\x41\xFF\x00", 3);

TEST(Bytehaul, ResultTable) {
    struct Row {
        const char* args;  // after the handle
        const char* result;
    } rows[] = {
        {",3", "41 FF 00"},
        {",3,", "41 FF 00"},
        {",3,0", "65 255 0"},
        {",3,1", "0x41 0xFF 0x00"},
        {",3,0x81", "0x41 0xff 0x00"},
        {",3,2", "41 FF 00"},
        {",3,7", "41 FF 00"},
        {",3,0x82", "41 ff 00"},
        {",3,3", "65 -1 0"},
        {",3,4", "+65 -1 +0"},
        {",3,5", "0o101 0o377 0o000"},
        {",3,6", "101 377 000"},
        // Bits other than 0-2 and 7 are ignored.
        {",3,8", "65 255 0"},
        {",3,0x100", "65 255 0"},
        {",3,0x87", "41 ff 00"},
        {",3,0o201", "0x41 0xff 0x00"},
        // A quoted blank is an absent argument: count 1, format 2.
        {",\" \"", "41"},
        {",3,\" \"", "41 FF 00"},
        {",\"\t \",0", "65"},
        // Blanks around an argument go; a fourth argument is ignored.
        {" , 3 , 1 ", "0x41 0xFF 0x00"},
        {",3,1,anything at all", "0x41 0xFF 0x00"},
    };
    for (const Row& r : rows) {
        TempFile f(A_FF_00, Access::Read);
        Call c = bytehaul(with_handle(f.handle, r.args));
        EXPECT_EQ(c.rc, 0) << r.args;
        EXPECT_EQ(c.result, r.result) << r.args;
        EXPECT_EQ(c.err, "") << r.args;
        EXPECT_EQ(c.out, "") << r.args;
        EXPECT_TRUE(c.guard_ok) << r.args;
    }
}

// Every byte value in every notation, against the C library's printf given each piece's format.
TEST(Bytehaul, EveryByteInEveryNotation) {
    const char* const piece_formats[8] = {"%u ", "0x%02X ", "%02X ", "%d ", "%+d ", "0o%03o ", "%03o ", "%02X "};
    std::string all;
    for (int b = 0; b < 256; ++b) all += char(b);
    for (unsigned fmt = 0; fmt < 0x100; fmt += (fmt & 7) == 7 ? 0x79 : 1) {
        unsigned code = fmt & 7;
        std::string want;
        for (int b = 0; b < 256; ++b) {
            char piece[16];
            if (code == 3 || code == 4) snprintf(piece, sizeof piece, piece_formats[code], int(int8_t(uint8_t(b))));
            else snprintf(piece, sizeof piece, piece_formats[code], unsigned(b));
            want += piece;
        }
        want.pop_back();
        if (fmt & 0x80)
            for (char& ch : want) ch = char(tolower(static_cast<unsigned char>(ch)));
        TempFile f(all, Access::Read);
        Call c = bytehaul(with_handle(f.handle, ",256," + std::to_string(fmt)));
        EXPECT_EQ(c.rc, 0) << fmt;
        EXPECT_EQ(c.result, want) << "fmt " << fmt;
    }
}

TEST(Bytehaul, ReadsAFileInPiecesUntilEndOfFile) {
    TempFile f("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A", Access::Read);
    const char* const want[] = {"01 02 03 04", "05 06 07 08", "09 0A", "**EOF**", "**EOF**"};
    for (const char* w : want) {
        Call c = bytehaul(with_handle(f.handle, ",4"));
        EXPECT_EQ(c.rc, 0);
        EXPECT_EQ(c.result, w);
        EXPECT_EQ(c.err, "");
    }
    // The lower-case flag leaves the end marker as it is.
    EXPECT_EQ(bytehaul(with_handle(f.handle, ",4,0x81")).result, "**EOF**");
}

TEST(Bytehaul, CountDefaultsAndLimit) {
    std::string bytes(5000, '\x5A');
    TempFile f(bytes, Access::Read);
    // Each call takes one byte: an absent, empty or zero count reads one.
    const char* const rows[][2] = {{"", "5A"}, {",", "5A"}, {",0", "5A"}, {",,1", "0x5A"}, {",0,0", "90"}};
    for (const auto& r : rows) {
        Call c = bytehaul(with_handle(f.handle, r[0]));
        EXPECT_EQ(c.rc, 0) << r[0];
        EXPECT_EQ(c.result, r[1]) << r[0];
    }
    EXPECT_EQ(take_bytes(f.handle, 5000).size(), 5000u - 5u);
    std::string full;
    for (int i = 0; i < 4096; ++i) full += i ? " 5A" : "5A";
    for (const char* count : {",4096", ",0x1000"}) {
        TempFile g(bytes, Access::Read);
        Call c = bytehaul(with_handle(g.handle, count));
        EXPECT_EQ(c.rc, 0) << count;
        EXPECT_EQ(c.result, full) << count;
        EXPECT_TRUE(c.guard_ok);
    }
}

TEST(Bytehaul, ShortReadFromAPipeIsNoError) {
    Pipe p;
    ASSERT_TRUE(put_bytes(p.write_end, "\x10\x20\x30"));
    Call c = bytehaul(with_handle(p.read_end, ",10,0"));
    EXPECT_EQ(c.rc, 0);
    EXPECT_EQ(c.result, "16 32 48");
    EXPECT_EQ(c.err, "");
    // With its writer gone the pipe is at its end, also on Windows, where the read fails.
    p.close_write();
    Call end = bytehaul(with_handle(p.read_end, ",10"));
    EXPECT_EQ(end.rc, 0);
    EXPECT_EQ(end.result, "**EOF**");
    EXPECT_EQ(end.err, "");
}

std::string read_error_line(const std::string& system) {
    return std::string(ERROR_PREFIX) + "Error reading from file: " + system + "\r\n";
}

TEST(Bytehaul, ReadFailuresGiveTheSystemText) {
    Call closed = call_entry_with(
        f_bytehaul, [] { return handle_arg(closed_handle()) + u",4"; }, SHELL_BYTEHAUL_CAP);
    EXPECT_EQ(closed.rc, -1);
    EXPECT_EQ(closed.result, system_text(SYS_ERROR_INVALID_HANDLE));
    EXPECT_EQ(closed.err, read_error_line(closed.result));
    EXPECT_EQ(closed.out, "");

    TempFile w("abc", Access::Write);
    Call write_only = bytehaul(with_handle(w.handle, ",4"));
    EXPECT_EQ(write_only.rc, -1);
    EXPECT_EQ(write_only.result, system_text(SYS_ERROR_ACCESS_DENIED));
    EXPECT_EQ(write_only.err, read_error_line(write_only.result));
}

struct Bad {
    const char* args;  // "H" stands for an open handle's number
    const char* message;
};

std::u16string expand_handle(const std::string& args, uint64_t h) {
    std::string s = args;
    size_t at = s.find('H');
    if (at != std::string::npos) s.replace(at, 1, std::to_string(h));
    return U(s);
}

// Each bad argument is reported, the argument text stays in the buffer and the file is
// not touched: the next good call still reads the first byte.
void expect_rejected(int (*fn)(char16_t*), size_t cap, const Bad& b, const std::string& file_bytes,
                     const char* first_read_args, const char* first_read) {
    TempFile f(file_bytes, Access::ReadWrite);
    std::u16string args = expand_handle(b.args, f.handle);
    Call c = call_entry(fn, args, cap);
    EXPECT_EQ(c.rc, -1) << b.args;
    EXPECT_EQ(c.err, std::string(ERROR_PREFIX) + b.message) << b.args;
    EXPECT_EQ(c.result, U8(args)) << b.args;
    EXPECT_EQ(c.out, "") << b.args;
    EXPECT_EQ(f.contents(), file_bytes) << b.args;
    EXPECT_EQ(call_entry(fn, with_handle(f.handle, first_read_args), cap).result, first_read) << b.args;
}

TEST(Bytehaul, ArgumentErrorsInTheirOrder) {
    const Bad cases[] = {
        {"", "Missing handle\r\n"},
        {",3", "Missing handle\r\n"},
        {" ,3", "Missing handle\r\n"},
        {"\" \",3", "Missing handle\r\n"},
        {"abc", "Bad handle: \"ABC\"\r\n"},
        {"0xzz,4097,q", "Bad handle: \"0XZZ\"\r\n"},
        {"12a", "Bad handle: \"12A\"\r\n"},
        {"0x1g", "Bad handle: \"0X1G\"\r\n"},
        {"0o18", "Bad handle: \"0O18\"\r\n"},
        {"-1", "Bad handle: \"-1\"\r\n"},
        {"4294967296", "Bad handle: \"4294967296\"\r\n"},
        {"\"1\"x", "Bad handle: \"1X\"\r\n"},
        {"H,12a", "Bad count: \"12A\"\r\n"},
        {"H,1 2", "Bad count: \"1 2\"\r\n"},  // commas alone separate
        {"H,-1", "Bad count: \"-1\"\r\n"},
        {"H,4294967296", "Bad count: \"4294967296\"\r\n"},
        {"H,0x1g,q", "Bad count: \"0X1G\"\r\n"},
        {"H,4097,q", "Count must be 1 \xe2\x80\x93 4096: 4097\r\n"},
        {"H,4294967295", "Count must be 1 \xe2\x80\x93 4096: 4294967295\r\n"},
        {"H,1,x", "Bad format: \"X\"\r\n"},
        {"H,1,0o18", "Bad format: \"0O18\"\r\n"},
        {"H,1,-1", "Bad format: \"-1\"\r\n"},
        {"H,1,0x100000000", "Bad format: \"0X100000000\"\r\n"},
        // Quoted texts are upper-cased by the system's rules, beyond ASCII.
        {"H,1,\xc3\xa4", "Bad format: \"\xc3\x84\"\r\n"},
    };
    for (const Bad& b : cases) expect_rejected(f_bytehaul, SHELL_BYTEHAUL_CAP, b, "\x7F", ",1", "7F");
}

// A run of one byte value in one notation. The result holds all the pieces when they fit
// (no final space), else the pieces that fitted, each with its space.
struct Overflow {
    unsigned code;
    unsigned char byte;
    const char* piece;  // with its space
};

TEST(Bytehaul, ResultOverflowAt16384Characters) {
    const Overflow cases[] = {
        {0, 100, "100 "},   {0, 9, "9 "},  {1, 0x41, "0x41 "}, {2, 0xAB, "AB "}, {3, 0x80, "-128 "}, {3, 5, "5 "},
        {4, 0x80, "-128 "}, {4, 5, "+5 "}, {5, 0, "0o000 "},   {6, 0, "000 "},   {7, 0xCD, "CD "},
    };
    for (const Overflow& o : cases) {
        std::string piece = o.piece;
        for (int n : {4095, 4096}) {
            TempFile f(std::string(size_t(n), char(o.byte)), Access::Read);
            Call c = bytehaul(with_handle(f.handle, ",4096," + std::to_string(o.code)));
            std::string label =
                "code " + std::to_string(o.code) + " byte " + std::to_string(o.byte) + " n " + std::to_string(n);
            EXPECT_TRUE(c.guard_ok) << label;
            size_t fits = 16383 / piece.size();
            if (size_t(n) * piece.size() < 16384) {
                std::string want;
                for (int i = 0; i < n; ++i) want += piece;
                want.pop_back();
                EXPECT_EQ(c.rc, 0) << label;
                EXPECT_EQ(c.err, "") << label;
                EXPECT_EQ(c.result, want) << label;
            } else {
                std::string want;
                for (size_t i = 0; i < fits; ++i) want += piece;
                EXPECT_EQ(c.rc, -1) << label;
                EXPECT_EQ(c.err, std::string(ERROR_PREFIX) + "String overflow\r\n") << label;
                EXPECT_EQ(c.result, want) << label;
            }
        }
    }
}

// The lower-case flag turns a finished text into lower case; the pieces that fitted before
// an overflow keep their upper-case digits.
TEST(Bytehaul, LowerCaseFlagAndOverflow) {
    struct Case {
        size_t bytes;
        const char* fmt;
        int rc;
        const char* piece;  // with its space
        size_t pieces;
    } cases[] = {
        {3276, "0x81", 0, "0xab ", 3276}, {3277, "0x81", -1, "0xAB ", 3276}, {4096, "0x81", -1, "0xAB ", 3276},
        {4096, "0x82", 0, "ab ", 4096},   {4096, "0x87", 0, "ab ", 4096},    {4096, "0x86", -1, "253 ", 4095},
    };
    for (const Case& k : cases) {
        TempFile f(std::string(k.bytes, char(0xAB)), Access::Read);
        Call c = bytehaul(with_handle(f.handle, std::string(",4096,") + k.fmt));
        std::string want;
        for (size_t i = 0; i < k.pieces; ++i) want += k.piece;
        if (k.rc == 0) want.pop_back();
        std::string label = std::to_string(k.bytes) + " bytes, fmt " + k.fmt;
        EXPECT_EQ(c.rc, k.rc) << label;
        EXPECT_EQ(c.result, want) << label;
        EXPECT_EQ(c.err, k.rc ? std::string(ERROR_PREFIX) + "String overflow\r\n" : "") << label;
    }
}

// The notations written out one byte at a time, to hold the joined result against.
std::string piece_of(unsigned code, unsigned char b) {
    char s[16];
    int v = b < 128 ? b : b - 256;
    switch (code) {
    case 0: snprintf(s, sizeof s, "%u ", unsigned(b)); break;
    case 3: snprintf(s, sizeof s, "%d ", v); break;
    case 4: snprintf(s, sizeof s, "%+d ", v); break;
    default: ADD_FAILURE() << "no reference for code " << code; s[0] = 0;
    }
    return s;
}

// Pieces of mixed lengths: the result is checked against the capacity in stretches, so
// an overflow is tried at every kind of place. Bytes are drawn with a given share of the
// longest pieces, which moves the place where the text reaches 16384 characters.
TEST(Bytehaul, MixedPieceLengthsUpToTheCapacity) {
    const unsigned char longest[] = {0xC8, 0x80, 0x80};       // "200 ", "-128 ", "-128 "
    const unsigned char others[] = {0x07, 0x2A, 0x64, 0xF6};  // one to three digits, both signs
    unsigned seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (unsigned code : {0u, 3u, 4u}) {
        for (unsigned share : {0u, 50u, 90u, 97u, 99u, 100u}) {
            std::string bytes;
            for (int i = 0; i < 4096; ++i) {
                bool is_long = next() % 100 < share;
                bytes += char(is_long ? longest[code == 0 ? 0 : 1] : others[next() % 4]);
            }
            std::string want;
            bool overflows = false;
            for (unsigned char b : bytes) {
                std::string piece = piece_of(code, b);
                if (want.size() + piece.size() >= 16384) {
                    overflows = true;
                    break;
                }
                want += piece;
            }
            if (!overflows) want.pop_back();
            TempFile f(bytes, Access::Read);
            Call c = bytehaul(with_handle(f.handle, ",4096," + std::to_string(code)));
            std::string label = "code " + std::to_string(code) + " share " + std::to_string(share);
            EXPECT_TRUE(c.guard_ok) << label;
            EXPECT_EQ(c.rc, overflows ? -1 : 0) << label;
            EXPECT_EQ(c.result, want) << label;
        }
    }
    // Texts of exactly 16383 characters (all four-character pieces but one) fit; 16384 do not.
    for (size_t short_ones : {0, 1}) {
        std::string bytes(4096 - short_ones, char(0xC8));
        bytes += std::string(short_ones, char(0x2A));
        TempFile f(bytes, Access::Read);
        Call c = bytehaul(with_handle(f.handle, ",4096,0"));
        EXPECT_EQ(c.rc, short_ones ? 0 : -1) << short_ones;
        EXPECT_EQ(c.result.size(), short_ones ? 16382u : 16380u) << short_ones;
    }
}

std::string splitter_overflow_line() {
    return std::string(ERROR_PREFIX) + "Buffer overflow: b = 8191, MAX_ARG_LEN = 8192 \r\n";
}

TEST(Bytehaul, GoesOnAfterASplitterOverflow) {
    {
        TempFile f(A_FF_00, Access::Read);
        Call c = bytehaul(with_handle(f.handle, ",3,1," + std::string(9000, 'a')));
        EXPECT_EQ(c.rc, 0);
        EXPECT_EQ(c.result, "0x41 0xFF 0x00");
        EXPECT_EQ(c.err, splitter_overflow_line());
    }
    {
        // The overflow strikes in the format, which keeps the characters stored so far.
        TempFile f(A_FF_00, Access::Read);
        std::u16string args = with_handle(f.handle, ",3," + std::string(9000, '1'));
        size_t stored = 8191 - (handle_arg(f.handle).size() + 3);
        Call c = bytehaul(args);
        EXPECT_EQ(c.rc, -1);
        EXPECT_EQ(c.err,
                  splitter_overflow_line() + ERROR_PREFIX + "Bad format: \"" + std::string(stored, '1') + "\"\r\n");
        EXPECT_EQ(bytehaul(with_handle(f.handle, ",1")).result, "41");
    }
}

}  // namespace
