# The typist of the prompt tests, sourced by prompt.sh and console.sh: it writes each step to
# the terminal once its handshake has come. "prompt" waits for the next prompt in the
# terminal's text, "ready" for the file a called loop makes, "^C" is Ctrl-C, any other step
# a line typed, ended as the terminal wants it. type_row runs one row of a table of such
# sessions.
#   type_steps SCREEN READY LINE_END STEP...
#   type_row ROW SCREEN READY LINE_END SECONDS COMMAND
type_steps() {
  local screen=$1 ready=$2 end=$3 step prompts=0 i
  shift 3
  for step in "$@"; do
    case $step in
    prompt)
      prompts=$((prompts + 1))
      for ((i = 0; i < 300; i++)); do [ "$(grep -o 'bhsh>' "$screen" | wc -l)" -ge $prompts ] && break; sleep 0.1; done ;;
    ready) for ((i = 0; i < 300; i++)); do [ -e "$ready" ] && break; sleep 0.1; done ;;
    ^C) printf '\003' ;;
    *) printf "%s$end" "$step" ;;
    esac
  done
}

# A row "STEPS¦LINE¦EXIT" (STEPS parted by |): its steps typed into COMMAND, run under
# script(1) for at most SECONDS with the terminal's text going to SCREEN. Sets steps,
# want_line and want_code from the row, and code to what script returned.
type_row() {
  local row=$1 screen=$2 ready=$3 end=$4 seconds=$5 command=$6 step_list
  IFS='¦' read -r steps want_line want_code <<<"$row"
  IFS='|' read -ra step_list <<<"$steps"
  rm -f "$ready"
  : >"$screen"
  type_steps "$screen" "$ready" "$end" "${step_list[@]}" | timeout "$seconds" script -qec "$command" /dev/null >"$screen"
  code=$?
}
