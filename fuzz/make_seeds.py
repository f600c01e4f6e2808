#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Each seed is named for what it reaches. Between them they reach every message the entries
can give on this build, every output notation, and the capacity limits. Run it again after
changing a seed; the files it writes are committed.
"""
import os
import random
import shutil
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def put(target, name, data):
    d = os.path.join(ROOT, target)
    os.makedirs(d, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


def filefunc(text, data=b"", length=None, batch=False):
    """Argument text, NUL, flags, data-file length, the bytes the data file repeats."""
    if length is None:
        length = len(data)
    return text.encode("utf-8") + b"\0" + bytes([1 if batch else 0]) + struct.pack("<H", length) + data


def incdec(text, value=None, batch=False):
    flags = (1 if value is None else 0) | (2 if batch else 0)
    return text.encode("utf-8") + b"\0" + (value or "").encode("utf-8") + b"\0" + bytes([flags])


def split_seeds():
    def s(name, options, text, null_after=False):
        put("split", name, bytes([1 if null_after else 0]) + struct.pack("<I", options) + text.encode("utf-8"))

    texts = {
        "mixed": 'a, "b c" ,,d',
        "blank-before-comma": "a ,b",
        "trailing-commas": "a,,",
        "leading-comma": ",a",
        "final-comma": "a,",
        "quote-inside": 'ab"c d"e',
        "quoted-blank-first": '" a" ,b',
        "tab": "a\tb",
        "empty": "",
        "blanks": " \t \u00a0 \u3000",
        "quote-pair": '""',
        "quoted-blank": '" "',
        "unclosed-quote": 'a "b, c  ',
        "umlaut": "\u00e4a \u00c4",
        "unicode-space": "a\u2003b\u00a0c",
    }
    for name, text in texts.items():
        for options, tag in ((2, "commas"), (1, "blanks"), (0x83, "all")):
            s(f"{name}-{tag}", options, text)
    s("no-separator-flag", 0, "a b,c")
    s("upper-only", 0x80, "ab cd")
    s("every-bit", 0xFFFFFFFF, 'x, "y z" ,w')
    s("null-after", 2, "a,b", null_after=True)
    s("store-full-8191", 2, "x" * 8191)
    s("store-overflow-8192", 2, "x" * 8192)
    s("comma-uses-a-cell", 2, "x" * 8190 + ",y")
    s("words-1030", 1, " ".join(f"w{i}" for i in range(1030)))
    s("commas-1100", 2, "," * 1100 + "a")
    s("commas-past-store", 2, "a" * 100 + "," * 8200 + "b")


def parse_seeds(target):
    texts = ["0", "017", "0x1F", "0X1f", "0o17", "0O17", "0x0x1F", "0o78", "0o79", "0x", "0xG", "0o8",
             "0x0x", "12a", "5 ", " 5", "", "4294967295", "0xFFFFFFFF", "4294967296", "0x100000000", "-5",
             "+5", "-0x5", "0xFFFFFFFFFFFFFFFF", "0x10000000000000000", "9223372036854775807",
             "9223372036854775808", "-9223372036854775808", "18446744073709551615", "8x",
             "0o1777777777777777777777", "0o2000000000000000000000", "\uff11", "\u00b2", "0x4d", "0x4:d"]
    for i, t in enumerate(texts):
        put(target, f"plain-{i:02d}", b"\0" + t.encode("utf-8"))
        put(target, f"with-end-{i:02d}", b"\1" + t.encode("utf-8"))
    put(target, "null-value", b"\xff12")


def format_seeds():
    def structured(name, cap, flags, wmode, wbyte, pmode, pbyte, size, letter, value, string, before, after):
        body = bytes([flags, wmode, pmode, size, letter])
        if wmode % 3:
            body += bytes([wbyte])
        if "diuxXos"[letter % 7] == "s" and pmode % 3:
            body += bytes([pbyte])
        body += struct.pack(">Q", value)
        enc = lambda t: bytes((ord(c) - 0x20) for c in t)
        body += bytes([len(string)]) + enc(string) + bytes([len(before)]) + enc(before) + enc(after)
        put("format", name, bytes([cap, 0]) + body)

    structured("hex-two-digits", 64, 1, 1, 2, 0, 0, 0, 4, 0xAB, "", "0x", " ")
    structured("signed-plus", 64, 2, 0, 0, 0, 0, 0, 0, 5, "", "", " ")
    structured("wide-star-width", 64, 1, 2, 16, 0, 0, 1, 4, 0xFE, "", "0x", "")
    structured("octal", 64, 1, 1, 3, 0, 0, 0, 5, 8, "", "0o", " ")
    structured("string-precision", 64, 4, 1, 10, 1, 3, 0, 6, 0, "Bytehaul", "[", "]")
    structured("cut-short", 5, 0, 1, 30, 0, 0, 2, 0, 2**63, "", "abc", "def")
    put("format", "free-load-line", bytes([80, 1]) + "%s v%u.%u.%u loaded.\r\n".encode())
    put("format", "free-widths", bytes([40, 1]) + "0x%0*I64X|%-9s|%+d%%".encode())
    put("format", "free-huge-width", bytes([30, 1]) + "%4444444444444444444d".encode())
    put("format", "capacity-zero", bytes([0, 0]))


BYTES_41_FF_00 = bytes([0x41, 0xFF, 0x00])


def bytehaul_seeds():
    t = "bytehaul"
    put(t, "missing-handle", filefunc(""))
    put(t, "missing-handle-comma", filefunc(",4"))
    put(t, "bad-handle", filefunc("0xzz,1"))
    put(t, "bad-handle-unicode", filefunc("\u00e4bc"))
    put(t, "handle-too-large", filefunc("4294967296,1"))
    put(t, "bad-count", filefunc("%0,12a", BYTES_41_FF_00))
    put(t, "negative-count", filefunc("%0,-1", BYTES_41_FF_00))
    put(t, "count-range", filefunc("%0,4097", BYTES_41_FF_00))
    put(t, "bad-format", filefunc("%0,3,x", BYTES_41_FF_00))
    put(t, "read-error-write-only", filefunc("%3,4"))
    put(t, "read-error-closed", filefunc("%5,4"))
    put(t, "read-error-empty-pipe", filefunc("%4,4"))
    put(t, "read-error-far-handle", filefunc("4294967295,1"))
    put(t, "read-error-million", filefunc("1000000,1"))
    put(t, "read-error-in-batch", filefunc("%5,4", batch=True))
    put(t, "string-overflow", filefunc("%0,4096,6", bytes(range(256)), 4096))
    put(t, "fits-4095", filefunc("%0,4095,6", bytes(range(256)), 4096))
    put(t, "overflow-code-1", filefunc("%0,3277,1", b"\x10", 4096))
    put(t, "eof", filefunc("%0,1"))
    put(t, "eof-lower", filefunc("%0,1,0x81"))
    put(t, "short-read", filefunc("%0,10", b"\x01\x02\x03\x04"))
    for code in ["", "0", "1", "0x81", "2", "7", "0x82", "3", "4", "5", "6", "8", "0x87", "0x100"]:
        put(t, f"format-{code or 'default'}", filefunc(f"%0,3,{code}" if code else "%0,3", BYTES_41_FF_00))
    put(t, "count-zero", filefunc("%0,0", BYTES_41_FF_00))
    put(t, "count-hex", filefunc("%0,0x1000", bytes([200]), 4096))
    put(t, "dev-full", filefunc("%1,16,1"))
    put(t, "read-only", filefunc("%2,64,0"))
    put(t, "fourth-argument", filefunc("%0,3,1,anything", BYTES_41_FF_00))
    put(t, "quoted", filefunc('" %0 ", "2"', BYTES_41_FF_00))
    put(t, "splitter-overflow", filefunc("%0,1," + "9" * 9000, BYTES_41_FF_00))
    put(t, "batch-bad-count", filefunc("%0,x", batch=True))


def inthaul_seeds():
    t = "inthaul"
    fe_ff = bytes([0xFE, 0xFF])
    put(t, "missing-handle", filefunc(""))
    put(t, "bad-handle", filefunc("12a,2"))
    put(t, "missing-size", filefunc("%0", fe_ff))
    put(t, "missing-size-comma", filefunc("%0,", fe_ff))
    put(t, "bad-size", filefunc("%0,x", fe_ff))
    put(t, "bad-size-negative", filefunc("%0,-1", fe_ff))
    put(t, "size-range-0", filefunc("%0,0", fe_ff))
    put(t, "size-range-9", filefunc("%0,9", fe_ff))
    put(t, "size-hex-letter", filefunc("%0,0x4d", fe_ff, 8))
    put(t, "size-hex-colon", filefunc("%0,0x4:d", fe_ff, 8))
    put(t, "size-0xg", filefunc("%0,0xg", fe_ff))
    put(t, "read-error-write-only", filefunc("%3,2"))
    put(t, "read-error-pipe", filefunc("%4,2"))
    put(t, "read-error-closed", filefunc("%5,2", batch=True))
    put(t, "read-error-far", filefunc("4294967295,8"))
    put(t, "eof", filefunc("%0,4", b"\x01\x02\x03"))
    for i, v in enumerate(["2", "2d", "2X", "2x", "2:x", "2=x", "2H", "2h", "2s", "2S", "2o", "2q", "2!", "2!x",
                           "2X!", "2s!", "2z", "2z!", "2 x", "2::x", "2:", "2D", "2Q", "2O"]):
        put(t, f"size-{i:02d}", filefunc(f"%0,{v}", fe_ff))
    for v in ["8", "8s", "8S", "8X", "8o", "8q", "8h!"]:
        put(t, f"eight-{v}", filefunc(f"%0,{v}", b"\xff", 8))
    for v in ["1", "1s", "1S", "1o"]:
        put(t, f"byte-80-{v}", filefunc(f"%0,{v}", b"\x80"))
    put(t, "byte-05-S", filefunc("%0,1S", b"\x05"))
    for v in ["3o", "3q", "3X", "3s!", "5x", "6o", "7S!"]:
        put(t, f"odd-{v}", filefunc(f"%0,{v}", b"\x01\x00\x00\x80\x7f\xff\x10"))
    put(t, "dev-full", filefunc("%1,8X"))
    put(t, "read-only", filefunc("%2,4h"))


def bytestow_seeds():
    t = "bytestow"
    put(t, "missing-handle", filefunc(""))
    put(t, "missing-handle-comma", filefunc(",41"))
    put(t, "bad-handle", filefunc("0x1fq,41"))
    put(t, "bad-handle-letter", filefunc("h,41"))
    put(t, "handle-alone", filefunc("%0"))
    put(t, "handle-empty-values", filefunc("%0,,"))
    put(t, "three-bytes", filefunc("%0,41 42 43", b"zzzz"))
    put(t, "blank-before-comma", filefunc("%0 ,41"))
    put(t, "every-notation", filefunc("%3,FF 0xff #255 0o377 10 #10 0o10 0X0X41"))
    for i, v in enumerate(["-1", "+1", "G", "#A", "0X", "0O8", "41Z", "1FFFFFFFF", "ZZ"]):
        put(t, f"bad-value-{i}", filefunc(f"%0,41 42 {v}"))
    put(t, "value-range-100", filefunc("%0,100"))
    put(t, "value-range-ffffffff", filefunc("%0,FFFFFFFF"))
    put(t, "disk-full", filefunc("%1,41 42"))
    put(t, "read-only", filefunc("%2,41"))
    put(t, "pipe-read-end", filefunc("%4,41"))
    put(t, "pipe-write-end", filefunc("%6,41,42"))
    put(t, "closed", filefunc("%5,41"))
    put(t, "far-handle", filefunc("4294967295,41"))
    put(t, "million", filefunc("1000000,41"))
    put(t, "many-values", filefunc("%0," + " ".join(["7F"] * 1023)))
    put(t, "bad-value-in-batch", filefunc("%0,41,zz", batch=True))
    put(t, "quoted", filefunc('%0,"41 42"'))
    # Runs of two-digit values, which AVX-512 reads sixteen at a time: either case, a
    # quoted value whose blank is trimmed (its cells no longer follow the run), a
    # character beside a digit's range in a run, values of one digit or three.
    pairs = [f"{(i * 37) & 0xFF:02x}" if i % 3 else f"{(i * 37) & 0xFF:02X}" for i in range(40)]
    put(t, "pairs", filefunc("%0," + " ".join(pairs)))
    put(t, "pairs-quoted", filefunc("%0," + " ".join(pairs[:5] + ['"12 "'] + pairs[5:])))
    for i, v in enumerate(["/0", "9:", "@1", "FG", "`0", "0g"]):
        put(t, f"pairs-bad-{i}", filefunc("%0," + " ".join(pairs[:19] + [v] + pairs[19:])))
    put(t, "pairs-short", filefunc("%0," + " ".join(pairs[:17] + ["7"] + pairs[17:] + ["#10", "0x041"])))


def incdec_seeds(target):
    put(target, "missing-name", incdec(""))
    put(target, "only-options", incdec("/Q /V"))
    put(target, "unknown-option", incdec("/x V", "1"))
    put(target, "unknown-qz", incdec("V /QZ", "1"))
    put(target, "lone-slash", incdec("/", "1"))
    put(target, "syntax-error", incdec("V b", "1"))
    put(target, "bad-name-digit", incdec("1abc"))
    put(target, "bad-name-plus", incdec("a+b"))
    put(target, "good-names", incdec("-x"))
    put(target, "dot-name", incdec(".x"))
    put(target, "not-set", incdec("V"))
    put(target, "not-numeric", incdec("V", "5 "))
    put(target, "not-numeric-quiet", incdec("/Q V", "abc"))
    put(target, "not-numeric-in-batch", incdec("V", "abc", batch=True))
    put(target, "verbose", incdec("/V V", "41"))
    put(target, "help", incdec("/?"))
    put(target, "help-after-name", incdec("V /? /x"))
    put(target, "version", incdec("/??"))
    put(target, "help-x", incdec("/?x"))
    put(target, "lower-options", incdec("/q /v /z V", "x"))
    values = ["9", "-1", "+5", "   5", "0x0f", "0xFF", "0x5", "0o7", "0x00", "0xFFFFFFFFFFFFFFFF", "0o0",
              "9223372036854775807", "-9223372036854775808", "0", "\t0X1f", "0o1777777777777777777777"]
    for i, v in enumerate(values):
        put(target, f"value-{i:02d}", incdec("V", v))
    zero = ["12abc", "abc", "0x1G", "12345678901234567890", "0x" + "1" * 17, "-0x5", "", "5 "]
    for i, v in enumerate(zero):
        put(target, f"zero-{i}", incdec("/Z V", v))
    put(target, "value-1023", incdec("/Z V", " " * 1022 + "7"))
    put(target, "value-1024", incdec("/Z V", " " * 1023 + "7"))
    put(target, "value-1024-digits", incdec("V", "1" * 1024))
    put(target, "long-line", incdec("V " + "x" * 9000, "1"))


def usage_seeds():
    for name in ["INC", "inc", "Inc", "DEC", "dec", "@bytehaul", "bytehaul", "_inc", "", "@INTHAUL", "incx"]:
        put("usage", f"usage-{name or 'empty'}", b"\0" + name.encode())
    for name in ["@inthaul", "@BYTEHAUL", "@bytestow", "dec", "INC", "bytehaul", ""]:
        put("usage", f"help-{name or 'empty'}", b"\1" + name.encode())
    for value in ["", "0", "yes"]:
        put("usage", f"start-noloadmsg-{value or 'unset'}", b"\2" + value.encode())
    put("usage", "info", b"\3")


def bytetext_seeds():
    """format, mode, count - 1 (2 bytes), capacity choice, bytes"""
    rng = random.Random(13)

    def seed(name, fmt, mode, count, cap, payload):
        c = count - 1
        put("bytetext", name, bytes([fmt, mode, c & 255, c >> 8, cap]) + bytes(payload))

    every = list(range(256))
    for code in range(8):
        for lower in (0, 0x80):
            f = code | lower
            seed(f"all-values-{f:02x}", f, 0, 256, 0, every)
            seed(f"full-random-{f:02x}", f, 0, 4096, 0, [rng.randrange(256) for _ in range(64)])
            seed(f"edges-at-capacity-{f:02x}", f, 1, 4096, 2, [rng.randrange(256) for _ in range(97)])
    for f, v in ((0, 100), (4, 0x80), (6, 0), (1, 0xFF), (5, 7), (3, 0x9C)):
        seed(f"filled-{f}-{v:02x}", f, 0, 4096, 0, [v])
    seed("tail-17-0x82", 0x82, 0, 17, 0, every[:17])
    seed("below-capacity-0", 0, 1, 4000, 0x40, [1, 5, 9])


def script_seeds():
    scripts = {
        "jumps-and-labels": "@echo off\n:top\nset /a n=%n+1\nif %n LT 3 goto top\ngosub sub 1 2\nquit 0\n"
                            ":sub [a b]\necho %a %b\nreturn\n",
        "blocks": "iff %n LT 3 then echo a\nelseiff defined n .and. 1 EQ 1 then\n  do i = 1 to 9 by 2\n"
                  "    if %i == 5 leave\n  enddo\nelse\n  do w in /L x y\n    iterate\n  enddo\nendiff\n"
                  "do forever\n  leave\nenddo\nif \"a\"==\"b\" (\n  echo x\n) else (echo y & echo z)\n",
        "redirections-and-escapes": "echo a > out.txt\r\necho b >> \"o t.txt\" 2>&1\necho c >& both.txt\n"
                                    "echo ^(x^) ^& \"q & q\" 2> err.txt\n",
        "functions": "echo %@eval[1+2**3] %@len[abc] %@if[1==1,a,b]\nset x=%@upper[%@lower[X]] %[x]\n"
                     "set /a y=0x1F MOD 3\n",
        "goto-into-block": "goto inner\ndo 2\n:inner\nenddo\n",
        "unclosed-do": "do 3\necho x\n",
        "unknown-function": "echo %@nosuch[1,2]\n",
        "deep-groups": "(" * 70 + "\n",
    }
    for name, text in scripts.items():
        put("script", name, text)


def arith_seeds():
    # Each is read as an expression by arith_evaluate and, byte by byte, as the generator's choices.
    texts = {"power-under-sign": "-2**2", "not-whole": "7/2", "remainders": "-7 MOD 2 + -7\\2 + 7 % -2",
             "highest-hex": "0x7FFFFFFFFFFFFFFF", "past-highest": "0o1000000000000000000000 - 1",
             "too-deep": "(" * 70 + "1" + ")" * 70, "blank-power": "2* *3", "name": "a+1"}
    for name, text in texts.items():
        put("arith", name, text)
    put("arith", "generated-choices", bytes([7, 0, 3, 4, 0x2A, 1, 7, 0x0A, 2, 0xF9, 3, 1, 4, 0x9C, 3, 3, 0x4B, 9]))


def main():
    if os.path.isdir(ROOT):
        shutil.rmtree(ROOT)
    split_seeds()
    parse_seeds("parse_u32")
    parse_seeds("parse_i64")
    format_seeds()
    bytehaul_seeds()
    inthaul_seeds()
    bytestow_seeds()
    incdec_seeds("inc")
    incdec_seeds("dec")
    usage_seeds()
    bytetext_seeds()
    script_seeds()
    arith_seeds()


if __name__ == "__main__":
    main()
