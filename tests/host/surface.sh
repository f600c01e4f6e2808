#!/usr/bin/env bash
# What a user of bhsh meets around the plug-in: --lf line ends for pipes (the plug-in's
# lines too), CR LF without it, standard output and error in the order they were written
# when both go to one file, characters of two UTF-16 units whole wherever the output is cut
# into writes, DO over a folder's files, the system's own reasons, a plug-in named without a
# folder; and on Linux file names that are not UTF-8, which must be opened, read and written
# under their own bytes, values from outside that spell escapes, descriptors given back, and
# file numbers on two file systems.
#   surface.sh native|wine EXAMPLES_DIR HOST [HOST_ARGS...]
set -u
platform=$1 examples=$2
shift 2
host=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failed=0
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

printf 'AB' >ab.bin
line='echo %@bytehaul[%@fileopen[ab.bin,r],2] %@bytehaul[abc,1]'
"${host[@]}" -c "$line" </dev/null >crlf.out 2>crlf.err
# Expected bytes, written out: the echo's line, then the plug-in's error line.
[ "$(od -An -c crlf.out | tr -s ' ')" = "$(printf '41 42\r\n' | od -An -c | tr -s ' ')" ] ||
  { fail "default: output not in CR LF"; od -c crlf.out; }
grep -q $'^Bytehaul plugin: Bad handle: "ABC"\r$' crlf.err || { fail "default: error line not in CR LF"; od -c crlf.err; }
# --lf wherever it stands among the options: first, after -c's line, after --plugin's path.
plugin=$(dirname "${host[${#host[@]} - 1]}")/Bytehaul.$([ "$platform" = wine ] && echo dll || echo so)
for where in first after-line after-plugin; do
  case $where in
  first) args=(--lf -c "$line") ;;
  after-line) args=(-c "$line" --lf) ;;
  after-plugin) args=(--plugin "$plugin" --lf -c "$line") ;;
  esac
  "${host[@]}" "${args[@]}" </dev/null >lf.out 2>lf.err
  [ "$(od -An -c lf.out | tr -s ' ')" = "$(printf '41 42\n' | od -An -c | tr -s ' ')" ] ||
    { fail "--lf $where: output not in LF"; od -c lf.out; }
  grep -q $'^Bytehaul plugin: Bad handle: "ABC"$' lf.err || { fail "--lf $where: error line not in LF"; od -c lf.err; }
  grep -q $'\r' lf.err && fail "--lf $where: a CR left on standard error"
done
# Usage goes through the plug-in's help text, which ends its first line in CR LF itself.
"${host[@]}" --lf -c 'usage inc' </dev/null >usage.out 2>&1
grep -q $'\r' usage.out && { fail "--lf: a CR left in the plug-in's syntax text"; od -c usage.out | head; }
# --lf holds for what is written before the options are all read: a bad option, the usage.
"${host[@]}" --bad --lf </dev/null >bad.out 2>&1
grep -q 'Unknown option: --bad' bad.out && grep -q 'Usage:' bad.out && ! grep -q $'\r' bad.out ||
  { fail "--bad --lf: not all in LF"; od -c bad.out | head -3; }

# Standard output is gathered and written a buffer at a time; each line for standard error,
# the plug-in's and the host's, must still come after what was written before it.
printf '@echo off\r\necho one\r\nset x=%%@inthaul[abc,2]\r\necho two\r\nset _batch=5\r\necho three\r\n' >order.btm
"${host[@]}" order.btm </dev/null >order.out 2>&1
want=$'one\nBytehaul plugin: order.btm [3]  Bad handle: "ABC"\ntwo\nbhsh: order.btm [5]  _batch is a variable of the shell and cannot be set\nthree'
[ "$(tr -d '\r' <order.out)" = "$want" ] || { fail "standard output and error out of order"; cat order.out; }

# A buffer holds 4096 units: a character of two units after 4095 units (or 8191, should it
# grow) straddles a buffer's end.
for lead in 4095 8191; do
  a=$(head -c $lead /dev/zero | tr '\0' a)
  printf '@echo off\r\necho %s\xf0\x9f\x98\x80 end\r\n' "$a" >pair.btm
  "${host[@]}" pair.btm </dev/null >pair.out 2>pair.err
  printf '%s\xf0\x9f\x98\x80 end\r\n' "$a" | cmp -s - pair.out ||
    { fail "a character of two units after $lead: not whole"; tail -c 20 pair.out | od -c; }
done

# The patcher given one file as SOURCE and COPY (under two names) leaves it as it was.
cp "$examples/data/sample.png" same.png
"${host[@]}" "$examples/patch.btm" same.png ./same.png 16 "00 00 02 58" </dev/null >same.out 2>&1
code=$?
[ $code = 3 ] || { fail "patch onto its own source: exit code $code"; cat same.out; }
cmp -s same.png "$examples/data/sample.png" || fail "patch onto its own source changed it"

# DO over a folder's files leaves its folders out, whatever their names, and matches names as
# the system does: without regard to case on Windows, exactly on Linux. On Linux a link
# counts as what it leads to.
mkdir -p sub/folder.bin
printf x >sub/a.bin
printf x >sub/B.BIN
want=$'sub/a.bin\r\nsub/B.BIN\r\n'
if [ "$platform" = native ]; then
  ln -s folder.bin sub/to-folder.bin
  ln -s a.bin sub/to-file.bin
  want=$'sub/a.bin\r\nsub/to-file.bin\r\n'
fi
printf '@echo off\r\ndo f in sub/*.bin\r\n  echo %%f\r\nenddo\r\n' >list.btm
"${host[@]}" list.btm </dev/null >list.out 2>&1
printf '%s' "$want" | cmp -s - list.out || { fail "DO over a folder's files"; cat list.out; }

# The system's own words for why a file does not open, as the system gives them: Linux's
# strerror, Wine's message table (its trailing blank and line end left out).
reason="No such file or directory"
[ "$platform" = wine ] && reason="File not found."
"${host[@]}" -c 'echo %@fileopen[missing.bin,r]' </dev/null >reason.out 2>reason.err
[ "$(tr -d '\r' <reason.err)" = "bhsh: Cannot open \"missing.bin\": $reason" ] ||
  { fail "the system's reason"; od -c reason.err | head; }

# A plug-in named without a folder is the one in the current folder, never one searched for.
cp "$plugin" "plug.${plugin##*.}"
"${host[@]}" --plugin "plug.${plugin##*.}" -c 'echo %@bytehaul[%@fileopen[ab.bin,r],2]' </dev/null >plug.out 2>&1
[ "$(tr -d '\r' <plug.out)" = "41 42" ] || { fail "a plug-in in the current folder"; cat plug.out; }

if [ "$platform" = native ]; then
  # Bytes of Latin-1 and a lone continuation byte: no UTF-8.
  name=$(printf 'z\xe4hler\x80.bin')
  printf 'XYZ' >"$name"
  cat >names.btm <<'BTM'
@echo off
set r=%@fileopen[%1,r]
echo read: %@bytehaul[%r,3] size: %@filesize[%1] same: %@samefile[%1,%1]
set w=%@fileopen[%1,a]
echo appended: %@bytestow[%w,21]
BTM
  "${host[@]}" names.btm "$name" </dev/null >names.out 2>names.err
  printf 'read: 58 59 5A size: 3 same: 1\r\nappended: 1\r\n' | cmp -s - names.out ||
    { fail "a file name that is no UTF-8"; cat names.out names.err; }
  [ "$(cat "$name")" = 'XYZ!' ] || fail "a file name that is no UTF-8: the file was not written"
  ls | grep -q $'\xef\xbf\xbd' && fail "a file with U+FFFD in its name was made instead"
  # A value from outside that spells the three-byte forms of U+DC80 and U+DCFF, which stand
  # for single bytes once read: six bytes, read back as six, and written back as they were
  # through SET, SETLOCAL and ENDLOCAL and a file name.
  raw=$'\xed\xb2\x80\xed\xb3\xbf'
  cat >raw.btm <<'BTM'
@echo off
echo %@len[%v]
setlocal
set v=changed
endlocal
set w=%v
set h=%@fileopen[%w.bin,w]
echo %@bytestow[%h,4F 4B] %@fileclose[%h]
BTM
  v=$raw "${host[@]}" raw.btm </dev/null >raw.out 2>raw.err
  printf '6\r\n2 0\r\n' | cmp -s - raw.out || { fail "a value of escape forms: read"; cat raw.out raw.err; }
  [ "$(cat "$raw.bin" 2>/dev/null)" = OK ] || { fail "a value of escape forms: not written back whole"; ls | od -c; }
  # Each redirection gives back the descriptors it took: a loop of many more redirections
  # than the process may hold descriptors runs to its end.
  printf '@echo off\r\ndo 200\r\n  echo x > NUL\r\nenddo\r\necho done\r\n' >many.btm
  (ulimit -n 64 && "${host[@]}" many.btm) </dev/null >many.out 2>&1
  [ "$(tr -d '\r' <many.out)" = done ] || { fail "many redirections"; head -3 many.out; }
  # Two files with one number on two file systems are two files. The roots of /proc and /sys
  # are such a pair where their numbers are equal.
  if [ "$(stat -c %i /proc)" = "$(stat -c %i /sys)" ] && [ "$(stat -c %d /proc)" != "$(stat -c %d /sys)" ]; then
    "${host[@]}" -c 'echo %@samefile[/proc,/sys]' </dev/null >dev.out 2>&1
    [ "$(tr -d '\r' <dev.out)" = 0 ] || { fail "one number on two file systems"; cat dev.out; }
  fi
fi

# DEL's switches are '/' and one letter on every build: on Linux a longer word after '/' is an
# absolute path, and it is deleted.
if [ "$platform" = native ]; then
  printf x >abs.bin
  "${host[@]}" -c "del /q $PWD/abs.bin" </dev/null >abs.out 2>&1
  code=$?
  { [ $code = 0 ] && [ ! -e abs.bin ] && [ ! -s abs.out ]; } || { fail "del of an absolute path: exit code $code"; cat abs.out; }
fi

echo "host surface cases failed: $failed"
[ $failed = 0 ]
