#!/usr/bin/env bash
# The hex-dump example, run by bhsh, must show every file's bytes at the same offsets as
# `xxd -g1 -c16`. Both outputs are brought to one form before they are compared, which
# leaves out what is only layout: the example writes the offset as a 0x number of as few
# digits as it needs, two at least, and a tab after it, where xxd writes
# eight digits and a colon; it writes the digits A-F in upper case; it has no column of
# characters; and its lines end in CR LF.
#   hexdump_vs_xxd.sh EXAMPLES_DIR HOST [HOST_ARGS...]
set -u
examples=$1
shift
host=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Deterministic bytes: n bytes of a simple generator, every value 0-255 turning up.
bytes() { awk -v n="$1" -v s="$2" 'BEGIN { for (i = 0; i < n; i++) { s = (s * 75 + 74) % 65537; printf "%c", s % 256 } }'; }
: >empty.bin
printf '\x00' >one.bin
bytes 15 1 >fifteen.bin
bytes 16 2 >sixteen.bin
bytes 17 3 >seventeen.bin
awk 'BEGIN { for (i = 0; i < 256; i++) printf "%c", i }' >all-values.bin
bytes 1000 4 >thousand.bin
head -c 3000 "${host[${#host[@]}-1]}" >host-head.bin
cp "$examples/data/sample.png" "$examples/data/tone.wav" .

ours() {  # "OFFSET b1 b2 ..." with an eight-digit lower-case offset
  tr -d '\r' | while IFS=$'\t' read -r off hex; do
    printf '%08x %s\n' "$((16#${off#0x}))" "${hex,,}"
  done
}
theirs() {
  while IFS= read -r line; do
    rest=${line#*: }
    printf '%s %s\n' "${line%%:*}" "${rest%%  *}"
  done
}

failed=0 checked=0
for f in *.bin *.png *.wav; do
  [ "$(wc -c <"$f")" -gt 0 ] || [ "$f" = empty.bin ] || { echo "$f: test data missing"; failed=1; }
  "${host[@]}" "$examples/hexdump.btm" "$f" </dev/null >"$f.out" 2>"$f.err"
  code=$?
  ours <"$f.out" >"$f.ours"
  xxd -g1 -c16 "$f" | theirs >"$f.xxd"
  if [ $code != 0 ] || [ -s "$f.err" ] || ! cmp -s "$f.ours" "$f.xxd"; then
    echo "--- $f ($(wc -c <"$f") bytes): exit code $code"
    cat "$f.err"
    diff "$f.xxd" "$f.ours" | head -20
    failed=1
  fi
  checked=$((checked + 1))
done
# An empty file gives no lines at all, like xxd.
[ -s empty.bin.out ] && { echo "empty.bin gave output"; failed=1; }
echo "hex dump against xxd: $checked files, $([ $failed = 0 ] && echo all equal || echo DIFFERENCES)"
[ $failed = 0 ]
