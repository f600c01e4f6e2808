# The typist of the prompt tests, sourced by prompt.sh and console.sh: it writes each step to
# the terminal once its handshake has come. "prompt" waits for the next prompt in the
# terminal's text, "ready" for the file a called loop makes, "^C" is Ctrl-C, any other step
# a line typed, ended as the terminal wants it.
#   type_steps SCREEN READY LINE_END STEP...
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
