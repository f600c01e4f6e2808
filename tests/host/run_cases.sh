#!/usr/bin/env bash
# Runs every batch case in CASES_DIR with bhsh and compares standard output, standard
# error and the exit code with what NAME.expect holds:
#
#   --- invoke      bhsh's arguments, one a line ({fake} is the rule-breaking plug-in,
#                   {bin} its folder, {ext} its extension, {examples} the examples'
#                   folder); without this section: NAME.btm
#   --- stdin       what bhsh reads on standard input (otherwise nothing)
#   --- stdout
#   --- stderr
#   --- exit        the exit code
#   --- files       the files afterwards, one a line: NAME=TEXT, the file holds exactly
#                   TEXT; NAME alone, there is no such file
#   --- skip wine   leave the case out under Wine (a message box shows nothing there)
#   --- only wine   run the case under Wine alone (Windows keeps an open file from removal)
#
# Each case runs in a fresh folder holding the folder's .btm files, a few data files and the
# examples' sample files, and is stopped after a minute. An argument fifo.png or fifo.wav is
# a FIFO whose writer sends sample.png or tone.wav in two pieces, the first of 10 bytes, with
# a pause between them, so that a read gets the first piece alone, as a pipe gives what has
# come so far; no result depends on how long the pause is. Carriage
# returns are taken out of the output before comparing (the host ends lines in CR LF, the
# plug-in's help texts in LF alone). In an expected line, {*} stands for any text: the
# system's own error texts differ between Linux, Windows and Wine.
#
#   run_cases.sh CASES_DIR native|wine FAKE_PLUGIN EXAMPLES_DIR HOST [HOST_ARGS...]
set -u
cases_dir=$1 platform=$2 fake=$3 examples=$4
shift 4
host=("$@")

section() {  # section FILE NAME: the lines of one section
  awk -v want="$2" '/^--- /{ on = (substr($0, 5) == want); next } on' "$1"
}
has_section() { grep -qx -- "--- $2" "$1"; }

make_data() {  # the files the cases read
  printf 'ABC' >"$1/abc.bin"
  head -c 4096 /dev/zero >"$1/zeros.bin"
  printf '\x41\xff\x00\xfe\xff\x80\x05' >"$1/bytes.bin"
  : >"$1/empty.bin"
  cp "$examples"/data/* "$1/"
  head -c 22 "$examples/data/sample.png" >"$1/short.png"  # cut in the middle of the height
  head -c 30 "$examples/data/tone.wav" >"$1/short.wav"    # cut in the middle of the byte rate
}

writers=()
start_fifo() {  # start_fifo FOLDER NAME SOURCE
  mkfifo "$1/$2"
  { head -c 10 "$1/$3"; sleep 0.3; tail -c +11 "$1/$3"; } >"$1/$2" 2>/dev/null &
  writers+=($!)
}

# Compares line by line; {*} in an expected line matches any text.
matches() {  # matches EXPECTED ACTUAL
  awk -v E="$1" -v A="$2" '
  function fits(want, got,    n, part, i, at) {
    n = split(want, part, "[{][*][}]")
    if (n == 1) return want == got
    if (substr(got, 1, length(part[1])) != part[1]) return 0
    got = substr(got, length(part[1]) + 1)
    for (i = 2; i < n; i++) {
      at = index(got, part[i])
      if (at == 0) return 0
      got = substr(got, at + length(part[i]))
    }
    return length(got) >= length(part[n]) && substr(got, length(got) - length(part[n]) + 1) == part[n]
  }
  BEGIN {
    while ((getline l < E) > 0) e[++ne] = l
    while ((getline l < A) > 0) a[++na] = l
    if (ne != na) exit 1
    for (i = 1; i <= ne; i++) if (!fits(e[i], a[i])) exit 1
    exit 0
  }'
}

passed=0 failed=0 skipped=0
for btm_or_expect in "$cases_dir"/*.expect; do
  name=$(basename "$btm_or_expect" .expect)
  expect="$cases_dir/$name.expect"
  if { [ "$platform" = wine ] && has_section "$expect" "skip wine"; } ||
     { [ "$platform" != wine ] && has_section "$expect" "only wine"; }; then
    skipped=$((skipped + 1))
    continue
  fi
  work=$(mktemp -d)
  make_data "$work"
  cp "$cases_dir"/*.btm "$work/" 2>/dev/null
  args=()
  if has_section "$expect" invoke; then
    while IFS= read -r a; do
      a=${a//\{fake\}/$fake}; a=${a//\{bin\}/$(dirname "$fake")}; a=${a//\{ext\}/.${fake##*.}}; a=${a//\{examples\}/$examples}
      args+=("$a")
    done < <(section "$expect" invoke)
  else
    args=("$name.btm")
  fi
  for a in "${args[@]+"${args[@]}"}"; do
    case $a in fifo.png) start_fifo "$work" "$a" sample.png ;; fifo.wav) start_fifo "$work" "$a" tone.wav ;; esac
  done
  section "$expect" stdin >"$work/.stdin"
  section "$expect" stdout >"$work/.want_out"
  section "$expect" stderr >"$work/.want_err"
  want_code=$(section "$expect" exit)
  (cd "$work" && timeout -k 10 60 "${host[@]}" "${args[@]+"${args[@]}"}" <.stdin >.out 2>.err)
  code=$?
  # A writer the run never read from still waits to open its FIFO.
  for w in "${writers[@]+"${writers[@]}"}"; do kill "$w" 2>/dev/null; wait "$w" 2>/dev/null; done
  writers=()
  tr -d '\r' <"$work/.out" >"$work/.got_out"
  tr -d '\r' <"$work/.err" >"$work/.got_err"
  ok=1
  matches "$work/.want_out" "$work/.got_out" || { ok=0; echo "--- $name: standard output differs"; diff -u "$work/.want_out" "$work/.got_out" | head -n 40; }
  matches "$work/.want_err" "$work/.got_err" || { ok=0; echo "--- $name: standard error differs"; diff -u "$work/.want_err" "$work/.got_err" | head -n 40; }
  [ "$code" = "$want_code" ] || { ok=0; echo "--- $name: exit code $code, expected $want_code"; }
  while IFS= read -r f; do
    file=${f%%=*}
    if [ "$file" = "$f" ]; then
      [ ! -e "$work/$file" ] || { ok=0; echo "--- $name: $file was written"; }
    elif ! printf '%s' "${f#*=}" | cmp -s - "$work/$file"; then
      ok=0
      echo "--- $name: $file does not hold \"${f#*=}\""
    fi
  done < <(section "$expect" files)
  if [ $ok = 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
  rm -rf "$work"
done
echo "host cases ($platform): $passed passed, $failed failed, $skipped skipped"
[ $failed = 0 ] && [ $passed -gt 0 ]
