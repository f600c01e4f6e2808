#!/usr/bin/env bash
# The idioms batch files are full of, as bhsh serves them: the parts of an argument (%~dp0),
# a part of a value and a value edited (%NAME:~S,L%, %NAME:OLD=NEW%), the shell's variables
# for the folder, the date, the time and the status, and values carried out of SETLOCAL.
# Each expected value is worked out here, from the folder this test made and from the
# system's clock, never from bhsh.
#   idioms.sh native|wine HOST [HOST_ARGS...]
set -u
platform=$1
shift
host=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failed=0

if [ "$platform" = wine ]; then
  here=$(winepath -w "$work" 2>/dev/null) sep='\' drive=${here:0:2}
else
  here=$work sep=/ drive=""
fi
folder=${here#"$drive"} parent=${here%"$sep"*}
given="sub dir/a.tar.gz" arg="sub dir${sep}a.tar.gz"
v='Hello World'

# REFERENCE¦EXPECTED, the reference as a batch file writes it; %1 is "$given", quoted, which
# Windows writes with its own separator once the path is made whole.
rows=(
  "%1¦\"$given\""
  "%~1¦$given"
  "%~f1¦$here${sep}$arg"
  "%~d1¦$drive"
  "%~p1¦$folder${sep}sub dir${sep}"
  "%~n1¦a.tar"
  "%~x1¦.gz"
  "%~nx1¦a.tar.gz"
  "%~xn1¦a.tar.gz"
  "%~dp1¦$here${sep}sub dir${sep}"
  "%~DPNX1¦$here${sep}$arg"
  "%~dp0¦$here${sep}"
  "%~nx0¦t.btm"
  "%~2¦"
  "50%~a¦50%~a"
  "%~f4¦$here${sep}b.txt"
  "%~f5¦$here${sep}c${sep}"
  "%~f6¦$parent${sep}x.y"
  "%~f7¦$parent"
  "%~f8¦$drive${sep}"
  "%~n3¦"
  "%~x3¦.profile"
  "%v:~0,5%¦Hello"
  "%v:~6%¦World"
  "%v:~-5%¦World"
  "%v:~-5,2%¦Wo"
  "%v:~0,-6%¦Hello"
  "%v:~20%¦"
  "%v:~3,0%¦"
  "%v:~3,-20%¦"
  "%v:~-20,3%¦Hel"
  "%v:o=0%¦Hell0 W0rld"
  "%v:WORLD=there%¦Hello there"
  "%v:*o=O%¦O World"
  "%v:l=%¦Heo Word"
  "%v:x=y%¦$v"
  "%v:*z=y%¦$v"
  "%unset_here:~0,2%¦"
  "%v:def¦$v:def"
  "%_cwd¦$here"
  "%cd%¦$here"
  "%_cwds¦$here${sep}"
  "%errorlevel%¦0"
)
{
  printf '@echo off\r\nset v=%s\r\n' "$v"
  for row in "${rows[@]}"; do printf 'echo [%s]\r\n' "${row%%¦*}"; done
  printf 'echo [%%_isodate] [%%_date] [%%date%%] [%%_dow] [%%_year] [%%_month] [%%_day]\r\n'
  printf 'echo [%%_time] [%%time%%] [%%_hour]\r\n'
  printf 'set _cwd=mine\r\nset _winver=own\r\necho [%%_cwd] [%%_winver]\r\n'
  printf 'set w=abc\r\ninc /q w\r\necho [%%errorlevel%%]\r\n'
  printf 'echo %%random%% %%random%% %%random%% %%random%%\r\n'
  printf 'set r=outer\r\nset gone=outer\r\nsetlocal\r\nset r=inner\r\nset made=inner\r\nset gone=\r\n'
  printf 'endlocal r made gone\r\necho [%%r] [%%made] [%%gone]\r\n'
} >t.btm
before=$(LC_ALL=C date '+%F %a %Y %-m %-d %-H')
"${host[@]}" t.btm "\"$given\"" '""' .profile "sub dir/../b.txt" ./c/ "$here${sep}..${sep}x.y" .. "$drive${sep}.." </dev/null >out 2>err
code=$?
after=$(LC_ALL=C date '+%F %a %Y %-m %-d %-H')
tr -d '\r' <out >lines
[ "$code" = 0 ] && [ ! -s err ] || { echo "FAILED: exit $code"; cat err; failed=1; }
n=0
for row in "${rows[@]}"; do
  n=$((n + 1))
  got=$(sed -n "${n}p" lines) want="[${row#*¦}]"
  [ "$got" = "$want" ] || { echo "FAILED: ${row%%¦*} gave $got, not $want"; failed=1; }
done
# The date and time: the clock read just before and just after the run, either of them.
dates=$(sed -n "$((n + 1))p" lines) times=$(sed -n "$((n + 2))p" lines)
ok=0
for t in "$before" "$after"; do
  read -r iso dow year month day hour <<<"$t"
  [ "$dates" = "[$iso] [$iso] [$iso] [$dow] [$year] [$month] [$day]" ] && [[ $times =~ ^\[([0-9]{2}):[0-9]{2}:[0-9]{2}\]\ \[([0-9]{2}):[0-9]{2}:[0-9]{2}\.[0-9]{2}\]\ \[([0-9]+)\]$ ]] &&
    [ "$((10#${BASH_REMATCH[1]}))" = "$hour" ] && [ "${BASH_REMATCH[3]}" = "$hour" ] && ok=1
done
[ $ok = 1 ] || { echo "FAILED: the date and time: $dates $times, the clock $before .. $after"; failed=1; }
[ "$(sed -n "$((n + 3))p" lines)" = "[mine] [own]" ] || { echo "FAILED: a script's own _cwd and _winver"; failed=1; }
[ "$(sed -n "$((n + 4))p" lines)" = "[2]" ] || { echo "FAILED: errorlevel after a failed INC"; failed=1; }
# ENDLOCAL with names carries their values out, an unset one too.
[ "$(sed -n "$((n + 6))p" lines)" = "[inner] [inner] []" ] || { echo "FAILED: endlocal r made gone"; failed=1; }
# Four numbers from 0 to 32767, not all the same.
read -r -a drawn <<<"$(sed -n "$((n + 5))p" lines)"
for r in "${drawn[@]}"; do [[ $r =~ ^[0-9]+$ ]] && [ "$r" -le 32767 ] || { echo "FAILED: %random% gave $r"; failed=1; }; done
[ "${#drawn[@]}" = 4 ] && [ "$(printf '%s\n' "${drawn[@]}" | sort -u | wc -l)" -gt 1 ] ||
  { echo "FAILED: %random% gave ${drawn[*]}"; failed=1; }

echo "idioms: $([ $failed = 0 ] && echo as expected || echo FAILED)"
[ $failed = 0 ]
