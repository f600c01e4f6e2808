#!/usr/bin/env bash
# No input crashes bhsh: batch files of random pieces of the batch language and random
# bytes, plus a few built to reach its limits, must each run to their last line or be
# refused or stopped with status 1 and bhsh's own message. Every file ends in
# "echo END-OF-RUN", and the vocabulary holds nothing that ends a run early (no quit, exit
# or goto), so a run that does neither has crashed or hung.
#   garbage.sh COUNT HOST [HOST_ARGS...]
set -u
count=$1
shift
host=("$@")
command -v timeout >/dev/null || { echo "timeout(1) not found: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf 'ABC' >abc.bin

# COUNT files of 40 lines each: three lines in four are token salad, the rest raw bytes.
awk -v count="$count" 'BEGIN {
  srand(20240607)
  n = split("echo|set|if|not|defined|rem|:lbl|inc|dec|help|usage|plugin|@|%|%%|%%%|%?|%1|%0|%9|%x|%x%|%[x]|%[|]|]|]|[|%@|" \
            "%@bytehaul[|%@inthaul[|%@bytestow[|%@fileopen[|%@fileclose[|%@fileseek[|%@nosuch[|%@FILEOPEN[|" \
            "set v=%@fileopen[abc.bin,r+]|set w=%@fileopen[new.bin,w+]|%v|%w|%@bytehaul[%v,4]|%@bytehaul[%w,4096,7]|" \
            "%@inthaul[%v,2X!]|%@inthaul[%w,8s]|%@bytestow[%w,41 42 43]|%@bytestow[%v,FF]|%@fileseek[%v,0,0]|" \
            "%@fileseek[%w,-2,2]|%@fileclose[%v]|%@fileclose[%w]|%@bytehaul[%@fileopen[abc.bin,r],3,0x85]|" \
            "abc.bin|new.bin|r|w|a|r+|w+|b|0|1|-1|3|16|4096|4097|0x|0xFF|0o7|#65|FF|2X!|8s|q|,|,,|\"|\"\"|==|=|x=|" \
            "x|X|/q|/v|/z|/?|/??|_batch|_pipe|noloadmsg|**EOF**|\t|   |é|€|𝄞", tok, "|")
  for (f = 1; f <= count; f++) {
    file = sprintf("g%03d.btm", f)
    for (l = 0; l < 40; l++) {
      line = ""
      if (rand() < 0.75) {
        k = int(rand() * 14)
        for (t = 0; t < k; t++) {
          sep = rand() < 0.4 ? " " : (rand() < 0.5 ? "" : ",")
          line = line sep tok[int(rand() * n) + 1]
        }
      } else {
        k = int(rand() * 200)
        for (t = 0; t < k; t++) {
          c = int(rand() * 255) + 1
          if (c != 10) line = line sprintf("%c", c)
        }
      }
      print line > file
    }
    print "echo END-OF-RUN" > file
    close(file)
  }
}'

# Files built to reach the limits: a line longer than the shell takes, functions nested
# far too deep, if nested far too deep, brackets that never close, NUL bytes, a file in
# UTF-16, a lone carriage return, and an empty line.
{
  head -c 40000 /dev/zero | tr '\0' 'x' | sed 's/^/echo /'; echo
  for i in $(seq 300); do printf '%%@inthaul['; done; printf '0,1'; for i in $(seq 300); do printf ']'; done; echo
  for i in $(seq 3000); do printf 'if "a"=="a" '; done; echo 'echo deep'
  for i in $(seq 2000); do printf '%%@fileopen['; done; echo
  for i in $(seq 3000); do printf '%%['; done; echo
  printf 'echo a\0b\0\0c %%@bytehaul[\0]\n'
  printf '\r\n\n'
  echo "set v=%@fileopen[abc.bin,r]"
  echo "echo %@bytehaul[%v,4096,0xFFFFFFFF] %@inthaul[%v,8s!] %@bytestow[%v,$(printf 'FF %.0s' $(seq 1500))]"
  echo "echo END-OF-RUN"
} >limits.btm
printf '\xff\xfe' >utf16.btm
printf 'echo wide %%_batch\r\necho END-OF-RUN\r\n' | iconv -f UTF-8 -t UTF-16LE >>utf16.btm

failed=0 runs=0
kept() {  # kept FILE WHY: the file kept for a look, with the end of what it said
  echo "--- $1: $2"
  tail -c 600 "$1.err"
  cp "$1" "${TMPDIR:-/tmp}/bhsh-garbage-$1" && echo "(kept as ${TMPDIR:-/tmp}/bhsh-garbage-$1)"
  failed=$((failed + 1))
}
# A run ends well when it prints the last line, or when it stops with status 1 and its
# last words are bhsh's.
ended_well() {  # ended_well FILE CODE
  tr -d '\r' <"$1.out" | grep -qx "END-OF-RUN" && [ "$2" -lt 124 ] && return 0
  [ "$2" = 1 ] && tail -n 1 "$1.err" | grep -q '^bhsh: '
}
for f in *.btm; do
  # As a batch file, through a pipe (a batch file that moves the position of standard
  # output must not be able to write over what was written before).
  timeout 60 "${host[@]}" "$f" </dev/null 2>"$f.err" | cat >"$f.out"
  code=${PIPESTATUS[0]}
  runs=$((runs + 1))
  ended_well "$f" "$code" || kept "$f" "exit code $code as a batch file, neither its last line nor a stop"
  # As a script on standard input, which bhsh reads whole in a way of its own.
  [ "$f" = utf16.btm ] && continue
  timeout 60 "${host[@]}" <"$f" 2>"$f.err" | cat >"$f.out"
  code=${PIPESTATUS[0]}
  runs=$((runs + 1))
  ended_well "$f" "$code" || kept "$f" "exit code $code on standard input, neither its last line nor a stop"
done
echo "garbage runs: $runs, failed: $failed"
[ $failed = 0 ]
