#!/usr/bin/env bash
# Lines that end a batch file's run, one row each: what cannot be read as the language
# (reported with the file and line, status 1; at the prompt the next line is still read),
# and quit with the exit codes every system passes on whole (0 to 255), or refused.
#   stops.sh HOST [HOST_ARGS...]
set -u
host=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf 'ABC' >abc.bin

long=$(printf '%*s' 32800 '' | tr ' ' x)
nest='%@inthaul[%@inthaul[%@inthaul[%@inthaul[%@inthaul[%@inthaul[%@inthaul[%@inthaul[%@inthaul[0,1]]]]]]]]]'
ifs=$(for _ in $(seq 17); do printf 'if 1 EQ 1 '; done)

# KIND|EXIT|MESSAGE|LINE: a fault (KIND parse) or a quit; MESSAGE as bhsh words it.
rows=(
  "parse|1|Unclosed bracket: %@bytehaul[0,1 then more|echo %@bytehaul[0,1 then more"
  "parse|1|Unclosed bracket: %[_batch then more|echo %[_batch then more"
  "parse|1|Variable functions nested too deeply: %@inthaul[0,1]|echo $nest"
  "parse|1|Unclosed quote: \"a echo more|if \"a\"==\"a echo more"
  "parse|1|Unclosed bracket: %@inthaul[0,1==x echo more|if %@inthaul[0,1==x echo more"
  "parse|1|Line too long (32766 characters at most)|echo $long"
  "parse|1|if nested too deeply|${ifs}echo more"
  "quit|0||quit 0"
  "quit|255||quit 255"
  "quit|1|Not an exit code (0 to 255): 256|quit 256"
  "quit|1|Not an exit code (0 to 255): -1|quit -1"
  "quit|1|Not an exit code (0 to 255): 3x|quit 3x"
)

passed=0 failed=0
check() {  # check WHAT WANT_OUT WANT_ERR WANT_CODE: against .out, .err and $code
  local got_out got_err
  got_out=$(tr -d '\r' <.out) got_err=$(tr -d '\r' <.err)
  if [ "$got_out" = "$2" ] && [ "$got_err" = "$3" ] && [ "$code" = "$4" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf -- '--- %s\nexit %s (want %s)\nout: %s\nwant: %s\nerr: %.300s\nwant: %.300s\n' "$1" "$code" "$4" \
      "$got_out" "$2" "$got_err" "$3"
  fi
}

for row in "${rows[@]}"; do
  IFS='|' read -r kind want_code message line <<<"$row"
  want_err=""
  [ -n "$message" ] && want_err="bhsh: t.btm [3]  $message"
  # Every line end a batch file may have; the message must name the third line by each.
  ends=($'\r\n')
  [ "$kind" = parse ] && [ "$line" = "echo %@bytehaul[0,1 then more" ] && ends=($'\n' $'\r\n' $'\r')
  for end in "${ends[@]}"; do
    printf '@echo off%secho first%s%s%secho WRONG: still running%s' "$end" "$end" "$line" "$end" "$end" >t.btm
    timeout -k 5 60 "${host[@]}" t.btm >.out 2>.err </dev/null
    code=$?
    check "batch, line end $(printf '%q' "$end"): ${line:0:60}" "first" "$want_err" "$want_code"
  done
  if [ "$kind" = parse ]; then
    printf '%s\necho after\n' "$line" | timeout -k 5 60 "${host[@]}" >.out 2>.err
    code=$?
    check "prompt: ${line:0:60}" "after" "bhsh: $message" 0
  fi
done
echo "stops: $passed passed, $failed failed"
[ $failed = 0 ]
