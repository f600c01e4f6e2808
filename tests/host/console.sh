#!/usr/bin/env bash
# bhsh.exe with a console under Wine: a pseudo-terminal (script) gives it one, so the host's
# lines and the plug-in's reports take the console's own wide-character write. Each line,
# ASCII or not, must reach the terminal exactly once. Standard input stays /dev/null: typed
# input does not reach a Wine program this way.
#   console.sh HOST [HOST_ARGS...]
set -u
command -v script >/dev/null || { echo "script(1) not found: skipped"; exit 77; }
host=$(printf '%q ' "$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf '@echo off\r\necho plain line\r\necho gr\xc3\xbc\xc3\x9fe \xd0\xb6 \xe2\x82\xac\r\necho %%@inthaul[abc,2]\r\n' >t.btm
timeout 60 script -qec "$host t.btm </dev/null" /dev/null >raw
# The console draws blanks as cursor moves (ESC[2C for two); other codes and CRs go.
perl -pe 's/\e\[(\d*)C/" " x ($1 || 1)/ge; s/\e\[[0-9;?]*[A-Za-z]//g; tr/\r//d' raw >text
failed=0
for line in 'plain line' $'gr\xc3\xbc\xc3\x9fe \xd0\xb6 \xe2\x82\xac' 'Bytehaul plugin: t.btm [4]  Bad handle: "ABC"'; do
  n=$(grep -cxF -- "$line" text)
  [ "$n" = 1 ] || { echo "FAILED: \"$line\" $n times, not once, in:"; cat text; failed=1; }
done
echo "console output: $([ $failed = 0 ] && echo as expected || echo FAILED)"
[ $failed = 0 ]
