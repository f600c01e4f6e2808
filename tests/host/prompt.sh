#!/usr/bin/env bash
# bhsh with a terminal on standard input: the load message (only when _transient and
# _pipe are 0 and noloadmsg is unset), a prompt before every line, and exit with a code.
# Runs bhsh under `script`, which gives it a pseudo-terminal; skipped without it.
#   prompt.sh HOST EXAMPLES
set -u
. "$(dirname "$0")/typist.sh"
host=$1
examples=$2
command -v script >/dev/null || { echo "script(1) not found: skipped"; exit 77; }
command -v timeout >/dev/null || { echo "timeout(1) not found: skipped"; exit 77; }
command -v strace >/dev/null || { echo "strace(1) not found (tools/deps installs it)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

session() {  # session INPUT: sets out (the terminal's text, no carriage returns) and code
  # The terminal does not echo what is typed: the input is written before bhsh starts or
  # after, as the machine is loaded, and an echo would land before or after the prompt.
  printf '%b' "$1" | timeout 20 script -qec "stty -echo; exec \"$host\"" /dev/null >"$work/out"
  code=$?
  out=$(tr -d '\r' <"$work/out")
}
expect_line() {  # expect_line TEXT COUNT
  local n
  n=$(printf '%s\n' "$out" | grep -cxF -- "$1")
  [ "$n" = "$2" ] || { echo "expected $2 line(s) \"$1\", found $n in:"; printf '%s\n' "$out"; failed=1; }
}

unset noloadmsg
session 'echo at the prompt: %_transient %_pipe %_batch\nexit 3\n'
expect_line "Bytehaul v0.90.5 loaded." 1
expect_line "bhsh> at the prompt: 0 0 0" 1
[ "$code" = 3 ] || { echo "exit code $code, expected 3"; failed=1; }

export noloadmsg=1
session 'echo quiet\nquit 4\necho WRONG\n'
expect_line "Bytehaul v0.90.5 loaded." 0
expect_line "bhsh> quiet" 1
expect_line "bhsh> WRONG" 0
[ "$code" = 4 ] || { echo "exit code $code, expected 4"; failed=1; }
# Any value silences it, however long: one longer than an expansion may be is cut, not lost.
export noloadmsg=$(head -c 40000 /dev/zero | tr '\0' q)
session 'echo long\nquit\n'
expect_line "Bytehaul v0.90.5 loaded." 0
expect_line "bhsh> long" 1
unset noloadmsg

# Each typed line is checked before it runs: a faulty one, a block left open and a stop are
# reported, and the next line is read.
session 'frob\nif 1 EQ 1 (\necho %@eval[1/%@len[]]\necho after %?\nexit\n'
expect_line "bhsh> bhsh: Unknown command: frob" 1
expect_line "bhsh> bhsh: ( without )" 1
expect_line "bhsh> bhsh: Division by zero: 1 / 0" 1
expect_line "bhsh> after 1" 1
[ "$code" = 0 ] || { echo "exit code $code, expected 0"; failed=1; }

# Ctrl-C typed at an idle prompt, or while a line runs (a called file in an endless loop,
# its output redirected), ends what runs with status 130, and the next line is read, with
# the terminal's output. Each step waits for its
# handshake: "prompt" for the next prompt, "ready" for the file the loop makes; "^C" is
# Ctrl-C, any other step a line typed.
printf 'set r=%%@fileclose[%%@fileopen[ready,w]]\r\n:top\r\ngoto top\r\n' >"$work/loop.btm"
# STEPS (parted by |)¦LINE¦EXIT
typed_rows=(
  "prompt|^C|prompt|echo after %?|prompt|quit 7¦bhsh> after 130¦7"
  "prompt|echo first|prompt|call loop.btm > looped.txt|ready|^C|prompt|echo status %?|prompt|quit 7¦bhsh> status 130¦7"
)
for row in "${typed_rows[@]}"; do
  type_row "$row" "$work/out" "$work/ready" '\n' 30 "cd \"$work\" && stty -echo; exec \"$host\""
  out=$(tr -d '\r' <"$work/out")
  expect_line "$want_line" 1
  [ "$code" = "$want_code" ] || { echo "Ctrl-C at the prompt ($steps): exit code $code, expected $want_code"; failed=1; }
done

# The prompt and the load message follow standard input alone. From a pipe: neither, with
# standard output a pipe or the terminal.
out=$(printf 'echo piped\n' | "$host" | tr -d '\r')
expect_line "piped" 1
expect_line "Bytehaul v0.90.5 loaded." 0
timeout 20 script -qec "printf 'echo piped\\n' | \"$host\"" /dev/null </dev/null >"$work/out"
out=$(tr -d '\r' <"$work/out")
expect_line "piped" 1
expect_line "Bytehaul v0.90.5 loaded." 0
# From the terminal, with standard output a file: both, in the file.
printf 'echo typed\nexit\n' | timeout 20 script -qec "stty -echo; exec \"$host\" >\"$work/file\"" /dev/null >/dev/null
out=$(tr -d '\r' <"$work/file")
expect_line "Bytehaul v0.90.5 loaded." 1
expect_line "bhsh> typed" 1

# Standard output a terminal: each line shows as it ends, while the script still runs. The
# script waits for a file that the test makes only once it has seen the first line.
printf 'echo first line\r\ndo until exist go\r\nenddo\r\necho after go\r\n' >"$work/wait.btm"
(cd "$work" && timeout 30 script -qec "exec \"$host\" wait.btm" /dev/null >watched) &
runner=$!
for _ in $(seq 200); do grep -q 'first line' "$work/watched" && break; sleep 0.1; done
grep -q 'first line' "$work/watched" || { echo "a line at a terminal held back while the script ran"; failed=1; }
touch "$work/go"
wait $runner
out=$(tr -d '\r' <"$work/watched")
expect_line "after go" 1
# A pipe gets whole buffers instead: about 100 KiB of dump in one write a 4 KiB buffer.
head -c 20000 /dev/urandom >"$work/dump.bin"
(cd "$work" && strace -o trace -e trace=write,writev "$host" "$examples/hexdump.btm" dump.bin | wc -c >size)
writes=$(grep -c '^write(1,' "$work/trace")
most=$(( ($(cat "$work/size") + 4095) / 4096 ))  # the dump is ASCII: a byte for each unit
[ "$writes" -le "$most" ] || { echo "$writes writes to a pipe for $(cat "$work/size") bytes"; failed=1; }

echo "prompt on a terminal: $([ $failed = 0 ] && echo as expected || echo FAILED)"
[ $failed = 0 ]
