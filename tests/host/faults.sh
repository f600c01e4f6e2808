#!/usr/bin/env bash
# bhsh and the plug-in under faults from outside: a batch loop whose handle is closed
# midway (every later read is reported, the loop goes on, a new handle works), standard
# output into a pipe whose reader has gone (the run stops there with a message and exit
# code 1; under Wine, which may take the lost bytes without complaint, it may instead run
# to its end), and standard
# output or error closed: a file the script opens must get only what the script writes
# into it, never the lines meant for the closed stream. Under Wine, a plug-in file that
# is no program at all. A full disk under the example that copies a file.
#   faults.sh native|wine EXAMPLES_DIR HOST [HOST_ARGS...]
set -u
platform=$1 examples=$2
shift 2
host=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failed=0
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

printf 'ABCDEFGH' >data.bin
cat >loop.btm <<'BTM'
@echo off
set h=%@fileopen[data.bin,r]
set n=0
:again
inc n
echo read %n: [%@bytehaul[%h,2]] [%@inthaul[%h,1]]
if "%n"=="2" set closed=%@fileclose[%h]
if not "%n"=="4" goto again
echo reopened: %@bytehaul[%@fileopen[data.bin,r],2]
echo END
BTM
printf 'read 1: [41 42] [67]\nread 2: [44 45] [70]\nread 3: [] []\nread 4: [] []\nreopened: 41 42\nEND\n' >loop.want
"${host[@]}" loop.btm </dev/null >loop.out 2>loop.err
code=$?
[ $code = 0 ] || fail "loop: exit code $code"
tr -d '\r' <loop.out | cmp -s - loop.want || { fail "loop: output"; tr -d '\r' <loop.out; }
reports=$(tr -d '\r' <loop.err | grep -c '^Bytehaul plugin: loop.btm \[6\]  Error reading from file: .')
others=$(tr -d '\r' <loop.err | grep -vc '^Bytehaul plugin: loop.btm \[6\]  Error reading from file: .')
[ "$reports" = 4 ] && [ "$others" = 0 ] || { fail "loop: want four read errors on line 6"; cat loop.err; }

{
  echo 'set r=%@fileopen[data.bin,r]'
  for i in $(seq 3000); do echo "echo line $i of a long run %@bytehaul[%r,1,1]"; done
  echo 'set w=%@fileopen[done.bin,w]'
  echo 'echo %@bytestow[%w,4F 4B]'
} >long.btm

rm -f done.bin
"${host[@]}" long.btm </dev/null 2>pipe.err | head -1 >/dev/null
code=${PIPESTATUS[0]}
if [ "$platform" = native ] || [ $code != 0 ]; then
  [ $code = 1 ] || fail "reader gone: exit code $code, expected 1"
  [ ! -e done.bin ] || fail "reader gone: the run went on after its output had gone"
  grep -q '^bhsh: Cannot write to standard output any more; the run stops' pipe.err ||
    { fail "reader gone: no message on standard error"; cat pipe.err; }
else
  [ $code = 0 ] || fail "reader gone: exit code $code"
  [ "$(cat done.bin 2>/dev/null)" = OK ] || fail "reader gone: the run did not reach its end"
fi

# A closed stream: the plug-in's error line (a bad handle) and echo's line must not land
# in the file the script opened, which would take the closed stream's number.
cat >closed.btm <<'BTM'
@echo off
set w=%@fileopen[out.bin,w]
echo to standard output
set bad=%@bytehaul[abc,1]
echo %@bytestow[%w,4F 4B]
set closed=%@fileclose[%w]
BTM
for stream in 1 2; do
  rm -f out.bin
  if [ $stream = 1 ]; then "${host[@]}" closed.btm </dev/null >&- 2>closed.err
  else "${host[@]}" closed.btm </dev/null 2>&- >closed.out; fi
  code=$?
  [ $code = 255 ] || [ $code = 0 ] || fail "stream $stream closed: exit code $code"
  [ "$(cat out.bin 2>/dev/null)" = OK ] || { fail "stream $stream closed: out.bin holds more than OK:"; od -c out.bin | head -5; }
done

# A plug-in file that is no program: the system's reason is shown as the system words it,
# its insert (%1, the file) as it stands rather than expanded from nothing.
if [ "$platform" = wine ]; then
  printf 'not a program\r\n' >notpe.dll
  "${host[@]}" --plugin notpe.dll -c 'echo WRONG' </dev/null >notpe.out 2>notpe.err
  code=$?
  [ $code = 1 ] && [ ! -s notpe.out ] || fail "not a program: exit code $code, or output"
  grep -q '^bhsh: Cannot load the plug-in .*notpe\.dll: .*%1' notpe.err ||
    { fail "not a program: the system's text with its insert was not shown"; cat notpe.err; }
fi

# A full disk, as a limit on the size of files, with SIGXFSZ ignored so that a write past it
# fails: patch.btm copies 4096 bytes, 1023 a write, under a limit of 2048 bytes (ulimit -f
# counts KiB). Two writes are whole, the third takes 2 bytes, and the next would be refused;
# the short one must end the run, and the unfinished copy must be gone.
head -c 4096 /dev/zero >zeros.bin
if [ "$platform" = wine ]; then
  # The Wine server, which the first Wine process starts, must not run under the limit: a
  # keeper, waiting for the end of its standard input, holds one running meanwhile.
  mkfifo hold
  "${host[@]}" <hold >/dev/null 2>&1 &
  keeper=$!
  exec 9>hold
  "${host[@]}" -c rem </dev/null >/dev/null 2>&1
fi
(trap '' XFSZ; ulimit -f 2; exec "${host[@]}" "$examples/patch.btm" zeros.bin copy.bin 0 01) </dev/null >full.out 2>full.err
code=$?
[ "$platform" = wine ] && { exec 9>&-; wait "$keeper"; }
printf '2048 of 4096 byte(s) written to copy.bin; the system refused the rest.\nRemoved the unfinished copy.bin.\n' >full.want
[ $code = 1 ] && tr -d '\r' <full.out | cmp -s - full.want && [ ! -s full.err ] ||
  { fail "full disk: exit code $code"; cat full.out full.err; }
[ ! -e copy.bin ] || fail "full disk: the unfinished copy was left"

echo "host fault cases failed: $failed"
[ $failed = 0 ]
