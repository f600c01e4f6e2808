#!/usr/bin/env bash
# What a quote, a function's brackets, '^', '&' and brackets of a group hold, at each place
# the guide names: commands and their separators, groups, conditions, DO heads, redirections
# and functions' arguments. Each row is a batch file and the lines it must print.
#   scanner.sh HOST [HOST_ARGS...]
set -u
host=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failed=0

# SCRIPT¦OUTPUT, each written with printf's %b: "\n" parts them into lines.
rows=(
  'echo a & echo b¦a\nb'
  'echo "a & b"¦"a & b"'
  'echo %@len[a & b]¦5'
  'echo a ^& b ^> c¦a & b > c'
  'echo "abc & echo b¦"abc & echo b'
  'echo 100%% & echo x¦100%\nx'
  'echo %[a[b] & echo c¦\nc'
  '(echo a & echo b)¦a\nb'
  '(echo "(x)")¦"(x)"'
  '(echo %@len[a)b])¦3'
  'if "a[" == "a[" echo yes¦yes'
  'if "a b" == "a b" echo same & echo both¦same\nboth'
  'if %@len[a b] == 3 echo three¦three'
  'if "a & b" == "a" echo no¦'
  'set v=a[\necho %@if["%v"=="x",y,n]¦n'
  'echo %@if[1 == 1,"a,b",c]¦"a,b"'
  'echo %@if[%@len[a] == 1,x & y,z]¦x & y'
  'echo %@if["%@len[a,b]" == "3",y,n]¦y'
  'do i = 1 to %@eval[1 + 1]\necho %i\nenddo¦1\n2'
  'do w in /L "a b" c\necho [%w]\nenddo¦["a b"]\n[c]'
  'echo x> "o u t.txt"\necho %@filesize["o u t.txt"]¦3'
  'echo x2> f\necho %@filesize[f]¦4'
  'echo a 2>&1 & echo b ^| c¦a\nb | c'
  'echo %@left[2,a,b]¦a,'
  'echo %@left[2,"a,b"]¦"a'
  'echo 5%@x & echo 6%@¦5%@x\n6%@'
)
n=0
for row in "${rows[@]}"; do
  n=$((n + 1))
  printf '@echo off\r\n%b\r\n' "${row%%¦*}" | sed 's/$/\r/; s/\r\r$/\r/' >"t$n.btm"
  "${host[@]}" "t$n.btm" </dev/null >out 2>err
  code=$?
  got=$(tr -d '\r' <out) want=$(printf '%b' "${row#*¦}")
  if [ "$code" != 0 ] || [ -s err ] || [ "$got" != "$want" ]; then
    echo "FAILED: ${row%%¦*}: exit $code, gave [$got], not [$want]"
    cat err
    failed=1
  fi
done
echo "scanner: $n rows, $([ $failed = 0 ] && echo as expected || echo FAILED)"
[ $failed = 0 ]
