// Each file function timed beside the bare read or write it makes, on the same cached file,
// so that what a call adds to its one system call shows as a ratio (bench/run prints them).
//
//   bytehaul_bench [benchmark flags] DATA_FILE SCRATCH_FILE
//   bytehaul_bench --path    the name of the path @BYTEHAUL's text takes here (with
//                            BYTEHAUL_SIMD as set), and nothing else
//
// DATA_FILE: at least 4096 bytes; the per-call figures read its start again and again, the
// dump reads all of it. SCRATCH_FILE: where the writes go, created or emptied.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "args/split.h"
#include "filefuncs/bytetext/bytetext.h"
#include "plugin/exports.h"

namespace {

const int READ_SIZE = 4096;
const int WRITE_VALUES = 1023;  // the most values one @BYTESTOW call can carry
const size_t LONG_TEXT = 8000;

int data_fd = -1;
int scratch_fd = -1;

std::u16string u16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::u16string number(long v) { return u16(std::to_string(v)); }

// The shell's result buffer: the argument text on entry, the result on return. How fast a
// result is written depends on where the buffer lies relative to the plug-in's tables and
// stack (by up to a third, here), so successive calls move it through the places it can
// take within a page: the figures are those of a buffer anywhere, not of one lucky place.
const size_t PLACES = 16;
const size_t PLACE_STEP = 2048 / PLACES + 1;  // characters: odd, to try every alignment too
char16_t shell_storage[BYTEHAUL_RESULT_CAP + PLACES * PLACE_STEP];
char16_t* shell_buffer = shell_storage;
size_t place = 0;

void hand_over(const std::u16string& args) {
    place = (place + 1) % PLACES;
    shell_buffer = shell_storage + place * PLACE_STEP;
    memcpy(shell_buffer, args.c_str(), (args.size() + 1) * sizeof(char16_t));
}

bool result_is(const char16_t* text) {
    size_t n = 0;
    while (text[n]) ++n;
    return memcmp(shell_buffer, text, (n + 1) * sizeof(char16_t)) == 0;
}

// Formats whose text of 4096 bytes cannot fit report "String overflow" on every call;
// the report is part of the call, but it goes to /dev/null rather than the terminal.
int silence_stderr() {
    fflush(stderr);
    int saved = dup(2);
    int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 2);
    close(null_fd);
    return saved;
}

void restore_stderr(int saved) {
    dup2(saved, 2);
    close(saved);
}

void rewind_data() { lseek(data_fd, 0, SEEK_SET); }

void bare_read(benchmark::State& state) {
    unsigned char bytes[READ_SIZE];
    size_t size = size_t(state.range(0));
    for (auto _ : state) {
        rewind_data();
        ssize_t got = read(data_fd, bytes, size);
        benchmark::DoNotOptimize(got);
        benchmark::DoNotOptimize(bytes);
    }
}
// The largest counts whose text always fits in notations whose text of 4096 bytes cannot.
const int FITS_5_CHARACTERS = 3276;  // codes 1 and 4 (and 3)
const int FITS_6_CHARACTERS = 2730;  // code 5
const int FITS_4_CHARACTERS = 4095;  // code 6

BENCHMARK(bare_read)
    ->Arg(1)
    ->Arg(4)
    ->Arg(8)
    ->Arg(FITS_6_CHARACTERS)
    ->Arg(FITS_5_CHARACTERS)
    ->Arg(FITS_4_CHARACTERS)
    ->Arg(READ_SIZE);

void bytehaul(benchmark::State& state) {
    std::u16string args = number(data_fd) + u"," + number(state.range(1)) + u"," + number(state.range(0));
    int rc = 0;
    int saved = silence_stderr();
    for (auto _ : state) {
        rewind_data();
        hand_over(args);
        rc = f_bytehaul(shell_buffer);
        benchmark::DoNotOptimize(shell_buffer);
    }
    restore_stderr(saved);
    if (rc != RESULT_OK) state.SetLabel("String overflow");
}
// The floor of a @BYTEHAUL figure: the same seek and read, then a memset of the result's
// bytes (two a character) in the same places of the buffer, as if the text cost nothing to
// make. A ratio to it compares across machines more nearly than one to a bare read.
void bytehaul_floor(benchmark::State& state) {
    int saved = silence_stderr();
    hand_over(number(data_fd) + u"," + number(state.range(1)) + u"," + number(state.range(0)));
    rewind_data();
    f_bytehaul(shell_buffer);
    restore_stderr(saved);
    size_t characters = 0;
    while (shell_buffer[characters]) ++characters;
    unsigned char bytes[READ_SIZE];
    const size_t size = size_t(state.range(1));
    for (auto _ : state) {
        rewind_data();
        place = (place + 1) % PLACES;
        shell_buffer = shell_storage + place * PLACE_STEP;
        ssize_t got = read(data_fd, bytes, size);
        memset(shell_buffer, 0, 2 * characters);
        benchmark::DoNotOptimize(got);
        benchmark::DoNotOptimize(bytes);
        benchmark::DoNotOptimize(shell_buffer);
    }
}

// Every @BYTEHAUL figure and its floor.
void bytehaul_cases(benchmark::internal::Benchmark* b) {
    b->ArgNames({"code", "count"})
        ->ArgsProduct({benchmark::CreateDenseRange(0, 7, 1), {READ_SIZE}})
        ->Args({1, FITS_5_CHARACTERS})
        ->Args({4, FITS_5_CHARACTERS})
        ->Args({5, FITS_6_CHARACTERS})
        ->Args({6, FITS_4_CHARACTERS})
        ->Args({0x82, READ_SIZE});  // code 2 with the lower-case flag, as xxd writes hex
}
BENCHMARK(bytehaul)->Apply(bytehaul_cases);
BENCHMARK(bytehaul_floor)->Apply(bytehaul_cases);

void inthaul(benchmark::State& state) {
    std::u16string args = number(data_fd) + u"," + number(state.range(0));
    int rc = 0;
    for (auto _ : state) {
        rewind_data();
        hand_over(args);
        rc = f_inthaul(shell_buffer);
        benchmark::DoNotOptimize(shell_buffer);
    }
    if (rc != RESULT_OK || result_is(u"**EOF**")) state.SkipWithError("f_inthaul failed");
}
BENCHMARK(inthaul)->ArgName("size")->Arg(1)->Arg(4)->Arg(8);

void bare_write(benchmark::State& state) {
    unsigned char bytes[WRITE_VALUES];
    for (int i = 0; i < WRITE_VALUES; ++i) bytes[i] = (unsigned char)(i * 37);
    for (auto _ : state) {
        lseek(scratch_fd, 0, SEEK_SET);
        ssize_t done = write(scratch_fd, bytes, sizeof bytes);
        benchmark::DoNotOptimize(done);
    }
}
BENCHMARK(bare_write)->Arg(WRITE_VALUES);

void bytestow(benchmark::State& state) {
    std::u16string args = number(scratch_fd) + u",";
    const char* hex = "0123456789ABCDEF";
    for (int i = 0; i < WRITE_VALUES; ++i) {
        unsigned char b = (unsigned char)(i * 37);
        args += char16_t(hex[b >> 4]);
        args += char16_t(hex[b & 15]);
        args += u' ';
    }
    for (auto _ : state) {
        lseek(scratch_fd, 0, SEEK_SET);
        hand_over(args);
        f_bytestow(shell_buffer);
        benchmark::DoNotOptimize(shell_buffer);
    }
    if (!result_is(number(WRITE_VALUES).c_str())) state.SkipWithError("f_bytestow failed");
}
BENCHMARK(bytestow)->Arg(WRITE_VALUES);

// A handle and 1023 values in @BYTESTOW's forms and separators, blanks added to 8000.
std::u16string long_text() {
    const char* forms[] = {"0x%02X", "#%u", "%02X", "0o%o"};
    const char* separators[] = {" ", ", ", " , ", ","};
    std::string s = "5";
    for (int i = 0; i < WRITE_VALUES; ++i) {
        char value[16];
        snprintf(value, sizeof value, forms[i % 4], unsigned((i * 37) & 0xFF));
        s += separators[i % 4];
        s += value;
    }
    s.append(LONG_TEXT - s.size(), ' ');
    return u16(s);
}

void split(benchmark::State& state) {
    std::u16string text = state.range(0) ? long_text() : u"5,4096,2";
    uint32_t options = state.range(0) ? SPLIT_ON_WHITESPACE | SPLIT_ON_COMMAS | SPLIT_UPPERCASE : SPLIT_ON_COMMAS;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SplitArguments(text.c_str(), options));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(split)->ArgName("long")->Arg(0)->Arg(1);

// What the long split is held against: the same characters copied once.
void copy_text(benchmark::State& state) {
    std::u16string text = long_text();
    for (auto _ : state) {
        hand_over(text);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(copy_text)->Arg(LONG_TEXT);

// The whole file, 4096 bytes a call, as a batch file's dump loop reads it.
void dump(benchmark::State& state) {
    std::u16string args = number(data_fd) + u"," + number(READ_SIZE);
    long bytes = lseek(data_fd, 0, SEEK_END);
    for (auto _ : state) {
        rewind_data();
        for (;;) {
            hand_over(args);
            if (f_bytehaul(shell_buffer) != RESULT_OK) {
                state.SkipWithError("f_bytehaul failed");
                return;
            }
            if (result_is(u"**EOF**")) break;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
}
BENCHMARK(dump)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "--path") == 0) {
        printf("%s\n", simd_level_name(simd_level()));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (argc != 3) {
        fprintf(stderr, "usage: %s [benchmark flags] DATA_FILE SCRATCH_FILE\n", argv[0]);
        return 2;
    }
    data_fd = open(argv[1], O_RDONLY);
    scratch_fd = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (data_fd < 0 || scratch_fd < 0 || lseek(data_fd, 0, SEEK_END) < READ_SIZE) {
        fprintf(stderr, "%s: cannot use %s (at least %d bytes) or %s\n", argv[0], argv[1], READ_SIZE, argv[2]);
        return 2;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
