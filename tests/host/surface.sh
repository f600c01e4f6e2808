#!/usr/bin/env bash
# What a user of bhsh meets around the plug-in: --lf line ends for pipes (the plug-in's
# lines too), CR LF without it, standard output and error in the order they were written
# when both go to one file, characters of two UTF-16 units whole wherever the output is cut
# into writes, DO over a folder's files, the system's own reasons, the plug-in as named,
# batch files closed once read, sizes past 32 bits, folders whatever their attributes, names
# with a leading dot, each redirection onto a missing and an existing file, standard input
# of each kind; and on Linux file names that are not UTF-8, which must be opened, read and written
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

# The system's own words for why a call failed, as the system gives them: Linux's strerror,
# Wine's message table (its trailing blank and line end left out). A wildcard makes no name
# on Windows; on Linux it is a name, of a missing file here. "loop" is a link to itself.
ln -s loop loop
if [ "$platform" = wine ]; then
  missing="File not found." nopath="Path not found." badname="Invalid name."
  looped="The filename cannot be resolved." badhandle="Invalid handle."
else
  strerror() { perl -e '$! = shift; print "$!"' "$1"; }
  missing=$(strerror 2) nopath=$(strerror 2) badname=$(strerror 2) looped=$(strerror 40) badhandle=$(strerror 9)
fi
# WHERE¦LINE¦STANDARD ERROR
reason_rows=(
  "all¦echo %@fileopen[missing.bin,r]¦bhsh: Cannot open \"missing.bin\": $missing"
  "all¦echo %@fileopen[nodir/x.bin,r]¦bhsh: Cannot open \"nodir/x.bin\": $nopath"
  "all¦echo %@fileopen[a*b,r]¦bhsh: Cannot open \"a*b\": $badname"
  "all¦echo %@fileopen[loop,r]¦bhsh: Cannot open \"loop\": $looped"
  "all¦echo %@filesize[missing.bin]¦bhsh: Cannot tell the size of \"missing.bin\": $missing"
  "all¦echo %@filesize[nodir/x.bin]¦bhsh: Cannot tell the size of \"nodir/x.bin\": $nopath"
  "all¦echo %@filesize[a*b]¦bhsh: Cannot tell the size of \"a*b\": $badname"
  "all¦echo %@filesize[loop]¦bhsh: Cannot tell the size of \"loop\": $looped"
  "all¦echo %@samefile[loop,ab.bin]¦bhsh: Cannot compare \"loop\" with \"ab.bin\": $looped"
  "all¦echo %@samefile[ab.bin,loop]¦bhsh: Cannot compare \"ab.bin\" with \"loop\": $looped"
  "wine¦echo %@samefile[a*b,ab.bin]¦bhsh: Cannot compare \"a*b\" with \"ab.bin\": $badname"
  "wine¦echo %@samefile[ab.bin,a*b]¦bhsh: Cannot compare \"ab.bin\" with \"a*b\": $badname"
  "all¦echo %@fileseek[4294967297,0,1]¦bhsh: Cannot move in 4294967297: $badhandle"
  "all¦del missing.bin¦bhsh: Cannot delete \"missing.bin\": $missing"
  "all¦del nodir/x.bin¦bhsh: Cannot delete \"nodir/x.bin\": $nopath"
  "all¦call nodir/x.btm¦bhsh: Cannot read the batch file nodir/x.btm: $nopath"
  "all¦echo x > nodir/x.txt¦bhsh: Cannot redirect to \"nodir/x.txt\": $nopath"
)
for row in "${reason_rows[@]}"; do
  IFS='¦' read -r where line want <<<"$row"
  [ "$where" = all ] || [ "$where" = "$platform" ] || continue
  "${host[@]}" -c "$line" </dev/null >/dev/null 2>reason.err
  [ "$(tr -d '\r' <reason.err)" = "$want" ] || { fail "the system's reason: $line"; od -c reason.err | head -4; }
done

# The plug-in as named: a bare name is the file in the current folder, a path with a folder
# that file, relative or absolute; never the plug-in of that name beside bhsh. The
# rule-breaking plug-in, named Fake, stands in each place.
fake=$(dirname "$plugin")/FakePlugin.${plugin##*.}
mkdir -p plugdir
cp "$fake" "Bytehaul.${plugin##*.}"
cp "$fake" "plugdir/Bytehaul.${plugin##*.}"
for given in "Bytehaul.${plugin##*.}" "plugdir/Bytehaul.${plugin##*.}" "$PWD/plugdir/Bytehaul.${plugin##*.}"; do
  "${host[@]}" --plugin "$given" -c plugin </dev/null >given.out 2>/dev/null
  grep -q $'^Name: *Fake\r$' given.out || { fail "--plugin $given: not the file named"; head -3 given.out; }
done

# A batch file bhsh has read, run or called, is closed at once: it can be deleted while bhsh
# runs on (Windows removes no open file), and calls by the hundred under a limit of 64
# descriptors leave none behind.
# FILE RUN¦ITS LINES (parted by \n)¦OUTPUT
printf 'set /a calls+=1\r\n' >sub.btm.keep
read_rows=(
  "self.btm¦del self.btm\necho self.btm %@if[exist self.btm,kept,deleted]¦self.btm deleted"
  "caller.btm¦call sub.btm & del sub.btm\necho sub.btm %@if[exist sub.btm,kept,deleted]¦sub.btm deleted"
  "caller.btm¦do 200\ncall sub.btm\nenddo\ndel sub.btm\necho %calls calls, sub.btm %@if[exist sub.btm,kept,deleted]¦200 calls, sub.btm deleted"
)
for row in "${read_rows[@]}"; do
  IFS='¦' read -r file lines want <<<"$row"
  cp sub.btm.keep sub.btm
  printf '@echo off\r\n%b\r\n' "$lines" >"$file"
  (ulimit -n 64 && "${host[@]}" "$file") </dev/null >read.out 2>&1
  [ "$(tr -d '\r' <read.out)" = "$want" ] || { fail "a batch file read, then deleted: $lines"; head -3 read.out; }
done

# Sizes across bit 31 and bit 32, of files that take no room where the system leaves holes:
# the size, a move to the end, back one, the last byte, and a move to it from the start.
printf '@echo off\r\nset h=%%@fileopen[big.bin,r]\r\necho %%@filesize[big.bin] %%@fileseek[%%h,0,2] %%@fileseek[%%h,-1,1] %%@bytehaul[%%h,1] %%@fileseek[%%h,%%1,0]\r\n' >sizes.btm
for size in 2147483647 2147483648 4294967295 4294967296 6442450944; do
  rm -f big.bin
  truncate -s $((size - 1)) big.bin && printf 'A' >>big.bin
  size=$(stat -c %s big.bin)
  "${host[@]}" sizes.btm $((size - 1)) </dev/null >sizes.out 2>&1
  [ "$(tr -d '\r' <sizes.out)" = "$size $size $((size - 1)) 41 $((size - 1))" ] ||
    { fail "a file of $size bytes"; head -3 sizes.out; }
done
rm -f big.bin

# A folder is a folder whatever else it carries: under Wine a name with a leading dot makes it
# hidden, no write permission read-only.
printf '@echo off\r\nif isdir %%1 echo isdir\r\nif exist %%1 echo exists\r\n' >folder.btm
printf 'echo open %%@fileopen[%%1,r] size %%@filesize[%%1] same %%@samefile[%%1,%%1]\r\ndel %%1\r\n' >>folder.btm
for folder in plain .dot ro .dot-ro; do
  mkdir "$folder"
  case $folder in *ro) chmod 555 "$folder" ;; esac
  "${host[@]}" folder.btm "$folder" </dev/null >folder.out 2>folder.err
  [ "$(tr -d '\r' <folder.out)" = $'isdir\nexists\nopen -1 size -1 same 1' ] &&
    [ "$(tr -d '\r' <folder.err)" = "bhsh: folder.btm [4]  \"$folder\" is a folder
bhsh: folder.btm [4]  \"$folder\" is a folder
bhsh: folder.btm [5]  Cannot delete \"$folder\": it is a folder" ] ||
    { fail "the folder $folder"; cat folder.out folder.err; }
  [ -d "$folder" ] || fail "the folder $folder was removed"
done

# Names that start with a dot, in every listing: a pattern's folder, the current folder. The
# folders among them (one hidden, one read-only under Wine) are left out.
mkdir -p list/.dotdir list/rodir
chmod 555 list/rodir
for f in .profile .hidden.txt a.txt Zed.txt; do printf x >"list/$f"; done
printf '@echo off\r\ndo f in %%1\r\n  echo %%f\r\nenddo\r\n' >each.btm
# FOLDER RUN IN¦PATTERN¦NAMES
list_rows=(
  ".¦list/*¦list/.hidden.txt list/.profile list/a.txt list/Zed.txt"
  ".¦list/.*¦list/.hidden.txt list/.profile"
  ".¦list/*.txt¦list/.hidden.txt list/a.txt list/Zed.txt"
  ".¦list/?profile¦list/.profile"
  ".¦list/.d*¦"
  "list¦*¦.hidden.txt .profile a.txt Zed.txt"
)
for row in "${list_rows[@]}"; do
  IFS='¦' read -r in pattern want <<<"$row"
  (cd "$in" && "${host[@]}" "$work/each.btm" "$pattern") </dev/null >list.out 2>&1
  [ "$(tr -d '\r' <list.out | paste -sd ' ')" = "$want" ] || { fail "do f in $pattern, in $in"; cat list.out; }
done

# Each redirection's rule, onto a missing file and onto one that holds a longer text. The
# command writes "new" on standard output and the plug-in's complaint on standard error.
old='an older and longer text\r\n'
err='Bytehaul plugin: Bad handle: "ABC"\r\n'
# REDIRECTION¦BEFORE (missing or old)¦AFTER, written with printf's %b
redirect_rows=(
  "> into.txt¦missing¦new\r\n"
  "> into.txt¦old¦new\r\n"
  ">> into.txt¦missing¦new\r\n"
  ">> into.txt¦old¦${old}new\r\n"
  "2> into.txt¦missing¦$err"
  "2> into.txt¦old¦$err"
  "2>> into.txt¦missing¦$err"
  "2>> into.txt¦old¦$old$err"
  ">& into.txt¦missing¦${err}new\r\n"
  ">& into.txt¦old¦${err}new\r\n"
  ">> into.txt 2>&1¦missing¦${err}new\r\n"
  "> into.txt 2>&1¦old¦${err}new\r\n"
)
for row in "${redirect_rows[@]}"; do
  IFS='¦' read -r redirection before after <<<"$row"
  rm -f into.txt
  [ "$before" = old ] && printf '%b' "$old" >into.txt
  "${host[@]}" -c "echo new%@inthaul[abc,2] $redirection" </dev/null >/dev/null 2>&1
  printf '%b' "$after" | cmp -s - into.txt || { fail "$redirection onto a $before file"; od -c into.txt | head -4; }
done

# The terminal check, for each kind of standard input that is no console (the console is
# prompt.sh's and console.sh's): no prompt, no load message; a script read from it runs.
printf 'echo %%_pipe %%_transient\r\n' >stdin.btm
# KIND¦ARGUMENTS¦OUTPUT
stdin_rows=(
  "nul¦-c¦echo %_pipe¦1"
  "file¦-c¦echo %_pipe¦1"
  "pipe¦-c¦echo %_pipe¦1"
  "nul¦¦¦"
  "file¦¦¦1 0"
  "pipe¦¦¦1 0"
)
for row in "${stdin_rows[@]}"; do
  IFS='¦' read -r kind option line want <<<"$row"
  args=()
  [ -n "$option" ] && args=("$option" "$line")
  case $kind in
  nul) "${host[@]}" "${args[@]+"${args[@]}"}" </dev/null >stdin.out 2>&1 ;;
  file) "${host[@]}" "${args[@]+"${args[@]}"}" <stdin.btm >stdin.out 2>&1 ;;
  pipe) cat stdin.btm | "${host[@]}" "${args[@]+"${args[@]}"}" >stdin.out 2>&1 ;;
  esac
  [ "$(tr -d '\r' <stdin.out)" = "$want" ] || { fail "standard input from $kind ${args[*]+"${args[*]}"}"; head -3 stdin.out; }
done

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
