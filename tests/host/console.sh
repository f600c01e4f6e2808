#!/usr/bin/env bash
# bhsh.exe with a console under Wine: a pseudo-terminal (script) gives it one, so the host's
# lines and the plug-in's reports take the console's own wide-character write. Each line,
# ASCII or not, must reach the terminal exactly once: written there, redirected to CON,
# appended to it; and a line redirected to NUL, a character device too, never. There
# standard input stays /dev/null; the typed sessions at the end type into the console.
# The prompt and the load message follow standard input alone: none with standard input a
# pipe and standard output the console; both with standard input the console and standard
# output a file, where bhsh then waits for a line that never comes, and is stopped.
#   console.sh HOST [HOST_ARGS...]
set -u
. "$(dirname "$0")/typist.sh"
command -v script >/dev/null || { echo "script(1) not found: skipped"; exit 77; }
host=$(printf '%q ' "$@")
# script(1) runs its command with "$SHELL -c", sh where SHELL is unset. A shell that stays
# between script and bhsh.exe, as dash does, is in the terminal's foreground group: a typed
# ^C signals it too, it kills itself with that SIGINT once bhsh.exe has ended, and script
# reports 130 whatever bhsh.exe returned. So the host is exec'd, under sh wherever the test runs.
export SHELL=/bin/sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
text() {  # text RAW: the terminal's text. The console draws blanks as cursor moves (ESC[2C
  # for two); other codes and CRs go.
  perl -pe 's/\e\[(\d*)C/" " x ($1 || 1)/ge; s/\e\[[0-9;?]*[A-Za-z]//g; tr/\r//d' "$1"
}
failed=0
expect_lines() {  # expect_lines FILE COUNT LINE: LINE stands COUNT times in FILE
  local n
  n=$(grep -cxF -- "$3" "$1")
  [ "$n" = "$2" ] || { echo "FAILED: \"$3\" $n times, not $2, in:"; cat "$1"; failed=1; }
}

nonascii=$'gr\xc3\xbc\xc3\x9fe \xd0\xb6 \xe2\x82\xac'
{
  printf '@echo off\r\necho plain line\r\necho %s\r\necho %%@inthaul[abc,2]\r\n' "$nonascii"
  printf 'echo to CON %s > CON\r\necho appended to CON %s >> con\r\n' "$nonascii" "$nonascii"
  printf 'echo WRONG: to NUL > NUL\r\necho WRONG: appended to NUL >> nul\r\n'
} >t.btm
timeout 60 script -qec "exec $host t.btm </dev/null" /dev/null >raw
text raw >text
# COUNT¦LINE
rows=(
  "1¦plain line"
  "1¦$nonascii"
  "1¦Bytehaul plugin: t.btm [4]  Bad handle: \"ABC\""
  "1¦to CON $nonascii"
  "1¦appended to CON $nonascii"
  "0¦WRONG: to NUL"
  "0¦WRONG: appended to NUL"
)
for row in "${rows[@]}"; do expect_lines text "${row%%¦*}" "${row#*¦}"; done

# Each line shows on the console as it ends, while the script still runs: the script waits for
# a file that the test makes only once it has seen the first line.
printf 'echo first line\r\ndo until exist go\r\nenddo\r\necho after go\r\n' >wait.btm
timeout 60 script -qec "exec $host wait.btm </dev/null" /dev/null >raw &
runner=$!
for _ in $(seq 300); do grep -q 'first line' raw && break; sleep 0.1; done
grep -q 'first line' raw || { echo "FAILED: a line on the console held back while the script ran"; failed=1; }
touch go
wait $runner
text raw >text
expect_lines text 1 "after go"

loaded="Bytehaul v0.90.5 loaded."
timeout 60 script -qec "printf 'echo piped\r\n' | $host" /dev/null </dev/null >raw
text raw >text
expect_lines text 1 piped
expect_lines text 0 "$loaded"
grep -qF 'bhsh>' text && { echo "FAILED: a prompt with standard input a pipe:"; cat text; failed=1; }
timeout -k 1 5 script -qec "exec $host >to_file" /dev/null </dev/null >/dev/null 2>&1
tr -d '\r' <to_file >text
expect_lines text 1 "$loaded"
expect_lines text 1 "bhsh> "

# Typed at the prompt, once the console reads: Wine's console ends a line at a carriage
# return, and takes input only once it has the terminal. Each step waits for its handshake:
# "prompt" for the next prompt, "ready" for the file a called loop makes; "^C" is Ctrl-C,
# any other step a line typed. Ctrl-C at an idle prompt and in a called loop ends what runs
# with status 130, and the next line is read and run.
printf 'set r=%%@fileclose[%%@fileopen[ready,w]]\r\n:top\r\ngoto top\r\n' >loop.btm
# STEPS (parted by |)¦LINE¦EXIT
typed_rows=(
  "prompt|^C|prompt|echo after %?|prompt|exit 4¦after 130¦4"
  "prompt|call loop.btm|ready|^C|prompt|echo st %?|prompt|exit 4¦st 130¦4"
)
for row in "${typed_rows[@]}"; do
  type_row "$row" raw ready '\r' 60 "exec $host"
  text raw >text
  expect_lines text 1 "$want_line"
  [ "$code" = "$want_code" ] || { echo "FAILED: $steps: exit code $code, not $want_code"; failed=1; }
done

echo "console: $([ $failed = 0 ] && echo as expected || echo FAILED)"
[ $failed = 0 ]
