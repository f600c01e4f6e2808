#!/usr/bin/env bash
# bhsh and the plug-in under faults from outside: a batch loop whose handle is closed
# midway (every later read is reported, the loop goes on, a new handle works), standard
# output into a pipe whose reader has gone, and standard output and error closed. A run
# must reach its last line every time: it writes done.bin there, which is checked.
#   faults.sh HOST [HOST_ARGS...]
set -u
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
[ $code = 0 ] || fail "reader gone: exit code $code"
[ "$(cat done.bin 2>/dev/null)" = OK ] || fail "reader gone: the run did not reach its end"

rm -f done.bin
"${host[@]}" long.btm </dev/null >&- 2>&-
code=$?
[ $code = 0 ] || fail "streams closed: exit code $code"
[ "$(cat done.bin 2>/dev/null)" = OK ] || fail "streams closed: the run did not reach its end"

echo "host fault cases failed: $failed"
[ $failed = 0 ]
