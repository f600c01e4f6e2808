#!/usr/bin/env bash
# What bhsh refuses or stops at, one row each. A script runs as the shell would, or is
# refused before it does anything, and never carries on past a line it could not run.
#
#   check rows: the check finds the fault before the run. The script's first line writes a
#               marker file, its second is the fault: status 1, the row's message naming the
#               line, and no marker.
#   run rows:   the fault is found when the run reaches it. The marker is written on the
#               line after it (or where MARK stands), and must not be.
#   quit rows:  quit's exit codes, which every system passes on whole, and a status that a
#               condition's failing function must not change; MESSAGE, when there is one, is
#               what that function reports on the script's second line.
#
# Each row runs as a batch file and again as a script on standard input, which bhsh also
# reads whole and checks before running (its messages name "standard input").
# FAULT is written with printf's %b: "\n" parts it into lines. LINE is where the message
# points. In MESSAGE, {*} stands for any text (the system's own words).
#   stops.sh HOST [HOST_ARGS...]
set -u
host=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf 'ABC' >abc.bin

long=$(printf '%*s' 32800 '' | tr ' ' x)
half=$(printf '%*s' 16000 '' | tr ' ' x)
args=$(printf '%*s' 8192 '' | tr ' ' 1)
parens=$(printf '(%.0s' $(seq 65))1$(printf ')%.0s' $(seq 65))
nest='%@inthaul[%@inthaul[%@inthaul[%@inthaul[%@inthaul[%@inthaul[%@inthaul[%@inthaul[%@inthaul[0,1]]]]]]]]]'
ifs=$(for _ in $(seq 17); do printf 'if 1 EQ 1 '; done)
# A recursion through blocks: each GOSUB 63 DOs and an IFF deeper.
deep="gosub deep\\nMARK\\nquit\\n:deep\\n$(printf 'do 1\\n%.0s' $(seq 63))iff 1 EQ 1 then\\ngosub deep\\nendiff\\n$(printf 'enddo\\n%.0s' $(seq 63))return"
nothere='Cannot tell the size of "nothere": {*}'
open_syntax='Syntax: @fileopen[PATH,MODE[,b|t]] with MODE r, w, a (or read, write, append), r+ or w+'
seek_syntax='Syntax: @fileseek[HANDLE,OFFSET,ORIGIN] with ORIGIN 0 (start), 1 (here) or 2 (end)'
char_range='@char takes a character code from 1 to 0x10FFFF outside 0xD800-0xDFFF, not'
format_width='@format takes a width from 0 to 32766, after an optional - and 0, not'
do_forms='(do N, do forever, do VAR = START to END [by STEP], do while|until CONDITION, do VAR in /L WORDS, do VAR in FILES)'
if_syntax='Syntax: if [not] CONDITION COMMAND, with CONDITION "A"=="B", "A"!="B", N1 EQ|NE|LT|LE|GT|GE N2, defined NAME, exist PATH, isdir PATH or errorlevel N, joined by .and. .or. .xor.'

# KIND¦LINE¦MESSAGE¦FAULT
rows=(
  "check¦2¦Unknown command: frobnicate¦frobnicate x"
  "check¦3¦Unknown command: ehco¦echo fine\nehco typo late in the file"
  "check¦2¦Unknown function: @nosuch¦echo %@nosuch[1]"
  "check¦2¦Unknown function: @BYTEHUAL¦set v=%@BYTEHUAL[0,1]"
  "check¦2¦Unknown function: @nosuch¦if \"%@nosuch[1]\"==\"\" echo x"
  "check¦2¦Unknown command: frob¦if 1 EQ 1 frob"
  "check¦2¦$if_syntax¦if \"a\" \"b\" echo x"
  "check¦2¦Syntax: set NAME=VALUE¦set =x"
  "check¦2¦Syntax: set NAME=VALUE¦set /l x=1"
  "check¦2¦Syntax: set /a NAME=EXPRESSION (or +=, -=, *=)¦set /a 3"
  "check¦2¦Syntax: set /a NAME=EXPRESSION (or +=, -=, *=)¦set /a x/=2"
  "check¦2¦Syntax: set /a NAME=EXPRESSION (or +=, -=, *=)¦set /a x**=2"
  "check¦2¦bhsh takes %~ with the letters d, f, n, p and x alone: %~z1 and more¦echo %~z1 and more"
  "check¦2¦bhsh does not serve the shell's variable %_hwprofile¦echo %_hwprofile"
  "check¦3¦bhsh does not serve the shell's variable %_WINVER¦echo %_cwd\necho %_WINVER is read before it is set\nset _winver=x"
  "check¦2¦call :sub runs no subroutine in bhsh: write gosub sub¦call :sub\n:sub"
  "check¦4¦The commands after endlocal on its line are expanded after it has put the variables back: carry values out with endlocal NAME...¦setlocal\nset r=1\nendlocal & set r=%r%"
  "check¦3¦Unexpected text: /d¦setlocal\nendlocal /d"
  "check¦2¦Unclosed parenthesis in \"(1 + 2\"¦echo %@eval[(1 + 2]"
  "check¦2¦\")\" without \"(\" in \"1 + 2)\"¦echo %@eval[1 + 2)]"
  "check¦2¦An operator is missing before \"2\" in \"1 2\"¦echo %@eval[1 2]"
  "check¦2¦A number is missing at the end of \"1 +\"¦echo %@eval[1 +]"
  "check¦2¦Nothing to evaluate¦echo %@eval[ ]"
  "check¦2¦Not arithmetic: \"#\" in \"1 # 2\"¦echo %@eval[1 # 2]"
  "check¦2¦Nested more than 64 deep: \"$parens\"¦echo %@eval[$parens]"
  "check¦2¦Out of the 64-bit range: -9223372036854775808 \\ -1¦echo %@eval[(-9223372036854775807 - 1) \\\\ -1]"
  "check¦2¦Out of the 64-bit range: 4611686018427387904 * 2¦echo %@eval[4611686018427387904 * 2]"
  "check¦2¦Out of the 64-bit range: 3 ** 40¦echo %@eval[3 ** 40]"
  "check¦2¦Missing label after goto or gosub¦goto"
  "check¦2¦Label not found: nowhere¦goto nowhere"
  "check¦2¦Label not found: nowhere¦gosub nowhere"
  "check¦2¦goto inner would jump into a block (a DO, IFF or group it is not in)¦goto inner\ndo 2\n:inner\nenddo"
  "check¦2¦Not an exit code (0 to 255): 256¦quit 256"
  "check¦2¦Not an exit code (0 to 255): -1¦exit -1"
  "check¦2¦Unclosed bracket: %@bytehaul[0,1 then more¦echo %@bytehaul[0,1 then more"
  "check¦2¦Unclosed bracket: %[_batch then more¦echo %[_batch then more"
  "check¦2¦Variable functions nested too deeply: %@inthaul[0,1]¦echo $nest"
  "check¦2¦Unclosed quote: \"a echo more¦if \"a\"==\"a echo more"
  "check¦2¦Unclosed bracket: %@inthaul[0,1==x echo more¦if %@inthaul[0,1==x echo more"
  "check¦2¦Line too long (32766 characters at most)¦echo $long"
  "check¦2¦if nested too deeply¦${ifs}echo more"
  "check¦2¦( without )¦if 1 EQ 1 (\necho inside"
  "check¦2¦( without )¦(echo a & echo b"
  "check¦2¦) without (¦)"
  "check¦2¦IFF without ENDIFF¦iff 1 EQ 1 then\necho a"
  "check¦2¦endiff without IFF¦endiff"
  "check¦2¦else without IFF¦else"
  "check¦4¦Nothing but endiff may follow else in an IFF¦iff 1 EQ 1 then\nelse\nelseiff 2 EQ 2 then\nendiff"
  "check¦2¦DO without ENDDO¦do 3\necho a"
  "check¦2¦DO without ENDDO: the ENDDO of line 5 closed the DO of line 3¦do 2\ndo 3\necho a\nenddo"
  "check¦2¦IFF without ENDIFF: the ENDIFF of line 6 closed the IFF of line 4¦iff 1 EQ 1 then\necho a\niff 2 EQ 2 then\necho b\nendiff"
  "check¦2¦Unclosed quote: \"abc == \"abc\" echo y¦if \"abc == \"abc\" echo y"
  "check¦2¦enddo without DO¦enddo"
  "check¦2¦DO fits no form: do i = 1 to (do N, do forever, do VAR = START to END [by STEP], do while|until CONDITION, do VAR in /L WORDS, do VAR in FILES)¦do i = 1 to\nenddo"
  "check¦2¦DO with a step of 0 would never end¦do i = 1 to 3 by 0\nenddo"
  "check¦2¦Not a number: a¦do i = a to 3\nenddo"
  "check¦2¦Not a number: -1¦shift -1"
  "check¦5¦Not a number: 2147483648¦gosub s\nquit\n:s\nreturn 2147483648"
  "check¦2¦leave outside a DO¦leave"
  "check¦4¦iterate outside a DO¦gosub s\n:s\niterate\nreturn"
  "check¦2¦bhsh does not run | (a pipe)¦echo a | more"
  "check¦2¦bhsh does not run < (input redirection)¦set /a x=1 < in.txt"
  "check¦2¦bhsh does not run &&¦echo a && echo b"
  "check¦2¦Missing file name after >¦echo a >"
  "check¦2¦Unknown command: for¦for %i in (a b) do echo %i"
  "check¦2¦del takes no wildcards: *.bin¦del *.bin"
  "check¦2¦del takes the switches /Q and /E, not /s¦del /s abc.bin"
  "check¦2¦del takes the switches /Q and /E, not /A:H¦del /A:H abc.bin"
  "check¦2¦Missing name after del¦del /q /e"
  "check¦2¦@eval's \"=h\" form (a base or precision after =) is not supported; for another base use @convert[10,16,N]¦echo %@eval[255=h]"
  "check¦2¦iff must begin a line¦echo a & iff 1 EQ 1 then"
  "check¦3¦Syntax: @filesize[PATH]¦do f in *.bin\nif %@filesize[%f,k] LT 1 del %f\nenddo"
  "check¦2¦Syntax: @filesize[PATH]¦echo %@filesize[]"
  "check¦2¦$open_syntax¦set h=%@fileopen[F]"
  "check¦2¦$open_syntax¦set h=%@fileopen[x.bin,rw]"
  "check¦2¦$open_syntax¦set h=%@fileopen[x.bin,r,x]"
  "check¦2¦$open_syntax¦set h=%@fileopen[,r]"
  "check¦2¦$open_syntax¦set h=%@fileopen[\"a,b\",%m,b,%t]"
  "check¦2¦Syntax: @fileclose[HANDLE]¦echo %@fileclose[]"
  "check¦2¦Syntax: @fileclose[HANDLE]¦echo %@fileclose[%h,%@len[a,b]]"
  "check¦2¦Syntax: @samefile[PATH1,PATH2]¦echo %@samefile[A]"
  "check¦2¦$seek_syntax¦echo %@fileseek[%h,24]"
  "check¦2¦$seek_syntax¦echo %@fileseek[%h,0,0,%o]"
  "check¦2¦$seek_syntax¦echo %@fileseek[%h,0,3]"
  "check¦2¦$seek_syntax¦echo %@fileseek[%h,x,%o]"
  "check¦2¦@left takes no negative number: -1¦echo %@left[-1,abc]"
  "check¦2¦@instr takes 3 arguments separated by commas, not \"1,abc\"¦echo %@instr[1,abc]"
  "check¦2¦7 / 2 is not a whole number; \\ gives the whole part and MOD the remainder¦echo %@eval[7/2]"
  "check¦2¦Syntax: @if[CONDITION,THEN,ELSE]¦echo %@if[1 EQ 1,a]"
  "run¦3¦Unknown command: frob¦set c=frob\n%c x"
  "run¦3¦Label not found: nowhere¦set l=nowhere\ngoto %l"
  "run¦2¦A number is missing before \"*\" in \" * 2\"¦echo %@eval[%unset_x * 2]"
  "run¦2¦Not a number: abc¦if abc LT 2 echo x"
  "run¦2¦Not a number: --5¦if --5 LT 2 echo x"
  "run¦2¦Not a number: +-5¦if +-5 LT 2 echo x"
  "run¦2¦Not a number: -0xZZ¦if -0xZZ LT 2 echo x"
  "run¦2¦Not a number: -0x8000000000000001¦if -0x8000000000000001 LT 2 echo x"
  "run¦3¦Line too long (32766 characters at most)¦set a=$half\necho %a %a %a"
  "run¦3¦Arguments of @inthaul too long: 8192 characters, 8191 at most¦set a=$args\necho %@inthaul[%a]"
  "run¦2¦return without gosub¦return"
  "run¦3¦call :sub runs no subroutine in bhsh: write gosub sub¦set l=:sub\ncall %l"
  "run¦2¦Cannot read the batch file missing.btm: {*}¦call missing.btm"
  "run¦2¦Cannot read the batch file .: {*}¦call ."
  "run¦3¦gosub and call nested too deeply (64 at most)¦:again\ngosub again"
  "run¦70¦Blocks nested too deeply through gosub and call (512 at most)¦$deep"
  "run¦3¦Not a number: abc¦set n=abc\ndo %n\nenddo"
  "run¦3¦DO with a step of 0 would never end¦set s=0\ndo i = 1 to 3 by %s\nenddo"
  "run¦3¦Not a number: -1¦set n=-1\nshift %n"
  "run¦3¦goto inner would jump into a block (a DO, IFF or group it is not in)¦set l=inner\ngoto %l\nMARK\ndo 2\n:inner\nenddo"
  "run¦2¦endlocal without setlocal¦endlocal"
  "run¦3¦@left takes no negative number: -1¦set n=-1\necho %@left[%n,abc]"
  "run¦3¦7 / 2 is not a whole number; \\ gives the whole part and MOD the remainder¦set n=7\necho %@eval[%n/2]"
  "check¦2¦Out of the 64-bit range: 9223372036854775807 + 1¦echo %@eval[9223372036854775807 + 1]"
  "check¦2¦Out of the 64-bit range: 2 ** 63¦echo %@eval[-2**63]"
  "check¦2¦Division by zero: 5 MOD 0¦echo %@eval[5 mod 0]"
  "check¦2¦A negative power is not a whole number: 2 ** -1¦echo %@eval[2**-1]"
  "run¦3¦$seek_syntax¦set rest=24\necho %@fileseek[0,%rest]"
  "run¦3¦$seek_syntax¦set o=3\necho %@fileseek[0,0,%o]"
  "run¦3¦$open_syntax¦set m=rw\necho %@fileopen[x.bin,%m]"
  "run¦3¦Syntax: @filesize[PATH]¦set f=a,b\necho %@filesize[%f]"
  "run¦3¦Syntax: @fileclose[HANDLE]¦set h=\necho %@fileclose[%h]"
  "run¦3¦Out of the 64-bit range: n¦set n=9223372036854775807\nset /a n+=1"
  "run¦3¦Out of the 64-bit range: n¦set n=-9223372036854775808\nset /a n-=1"
  "run¦3¦Out of the 64-bit range: n¦set n=-4611686018427387905\nset /a n*=2"
  "run¦2¦Syntax: set /a NAME=EXPRESSION (or +=, -=, *=)¦set /a x%=2"
  "run¦2¦Out of the 64-bit range: -(-9223372036854775808)¦echo %@eval[-(-9223372036854775807 - 1)]"
  "run¦2¦@convert: 9223372036854775808 in base 10 is out of the 64-bit range¦echo %@convert[10,16,9223372036854775808]"
  "run¦2¦@convert: -8000000000000001 in base 16 is out of the 64-bit range¦echo %@convert[16,10,-8000000000000001]"
  "run¦2¦Division by zero: 1 / 0¦echo %@eval[1/0] 2> err.txt"
  "run¦3¦v holds no number: abc¦set v=abc\nset /a n=v + 1"
  "check¦2¦@convert takes bases from 2 to 36, not 37¦echo %@convert[10,37,1]"
  "run¦3¦@instr takes 3 arguments separated by commas, not \"1,abc\"¦set t=1,abc\necho %@instr[%t]"
  "run¦3¦setlocal nested too deeply (32 at most)¦:s\nsetlocal\ngosub s"
  "run¦2¦Cannot redirect to \"nodir/x.txt\": {*}¦echo a > nodir/x.txt"
  "run¦3¦del takes no wildcards: *.bin¦set n=*.bin\ndel %n"
  "run¦3¦del takes the switches /Q and /E, not /p¦set s=/p\ndel %s abc.bin"
  "run¦6¦The file ended in the subroutine s, with no return¦gosub s\nMARK\nquit\n:s\nset x=in s"
  "run¦3¦Not an exit code (0 to 255): 300¦set n=300\nquit %n"
  "check¦2¦@right takes a number, not \"x\"¦echo %@right[x,abc]"
  "check¦2¦@word takes no negative number: -1¦echo %@word[-1,a b]"
  "check¦2¦$char_range x¦echo %@char[x]"
  "check¦2¦$char_range 0¦echo %@char[0]"
  "check¦2¦$char_range 1114112¦echo %@char[1114112]"
  "check¦2¦@ascii needs a character¦echo %@ascii[]"
  "check¦2¦$format_width \"-\"¦echo %@format[-,ab]"
  "check¦2¦$format_width \"\"¦echo %@format[,ab]"
  "check¦2¦$format_width \"1x\"¦echo %@format[1x,ab]"
  "check¦2¦$format_width \"32767\"¦echo %@format[32767,ab]"
  "check¦2¦@format takes 2 arguments separated by commas, not \"ab\"¦echo %@format[ab]"
  "check¦2¦@convert takes 3 arguments separated by commas, not \"10,16\"¦echo %@convert[10,16]"
  "check¦2¦@convert takes bases from 2 to 36, not x¦echo %@convert[x,16,1]"
  "check¦2¦@convert takes bases from 2 to 36, not 1¦echo %@convert[1,16,1]"
  "check¦2¦@convert: \"\" is not a number in base 10¦echo %@convert[10,16,]"
  "check¦2¦@convert: \"-\" is not a number in base 10¦echo %@convert[10,16,-]"
  "check¦2¦@convert: \"12\" is not a number in base 2¦echo %@convert[2,10,12]"
  "check¦2¦@convert: \"1.5\" is not a number in base 10¦echo %@convert[10,16,1.5]"
  "check¦2¦Syntax: set NAME=VALUE¦set abc"
  "run¦3¦Syntax: set NAME=VALUE¦set v=abc\nset %v"
  "check¦2¦Unexpected text: x¦setlocal x"
  "check¦2¦Missing file name¦call"
  "run¦4¦Unexpected text: a*b¦set v=a*b\nsetlocal\nendlocal %v"
  "check¦2¦$if_syntax¦if 1 EQ"
  "check¦2¦$if_syntax¦if exist"
  "check¦2¦$if_syntax¦if ==\"a\" echo x"
  "check¦2¦$if_syntax¦if \"a\"=="
  "run¦3¦Division by zero: 1 / 0¦set z=0\nif %@eval[1/%z] == 1 echo x"
  "run¦3¦Division by zero: 1 / 0¦set z=0\nif 1 == %@eval[1/%z] echo x"
  "run¦2¦Not a number: abc¦if 1 LT abc echo x"
  "run¦2¦Not a number: abc¦if errorlevel abc echo x"
  "check¦2¦$if_syntax¦echo %@if[1 EQ,a,b]"
  "check¦2¦Syntax: @if[CONDITION,THEN,ELSE]¦echo %@if[1 == 1 x,a,b]"
  "check¦2¦Not a number: abc¦echo %@if[abc LT 1,a,b]"
  "check¦2¦Not a number: 12abc¦echo %@eval[12abc]"
  "check¦2¦Not a number: abc¦echo %@eval[abc + 1]"
  "check¦2¦Out of the 64-bit range: 99999999999999999999¦echo %@eval[99999999999999999999]"
  "check¦2¦Not arithmetic: \"#\" in \"1 + #\"¦echo %@eval[1 + #]"
  "check¦2¦Out of the 64-bit range: 2 ** 64¦echo %@eval[2 ** 64]"
  "check¦2¦A number is missing at the end of \"2 **\"¦echo %@eval[2 **]"
  "check¦2¦A number is missing at the end of \"2 *\"¦echo %@eval[2 *]"
  "check¦2¦Out of the 64-bit range: -9223372036854775807 - 2¦echo %@eval[-9223372036854775807 - 2]"
  "check¦2¦do must begin a line¦echo a & do 3"
  "check¦2¦then must begin a line¦echo a & then"
  "check¦2¦enddo must begin a line¦echo a & enddo"
  "check¦2¦$if_syntax¦if 1 EQ 1"
  "check¦2¦Missing command¦if 1 EQ 1 (echo a) else"
  "check¦2¦$if_syntax¦iff ==x then\nendiff"
  "check¦2¦Syntax: iff CONDITION then ... [elseiff CONDITION then ...] [else ...] endiff¦iff 1 EQ 1\nendiff"
  "check¦2¦DO fits no form: do  $do_forms¦do\nenddo"
  "check¦2¦DO fits no form: do i x 1 to 3 $do_forms¦do i x 1 to 3\nenddo"
  "check¦2¦DO fits no form: do i = 1 too 3 $do_forms¦do i = 1 too 3\nenddo"
  "check¦2¦DO fits no form: do =%n $do_forms¦do =%n\nenddo"
  "check¦2¦Unclosed quote: \"a¦do while \"a\nenddo"
  "run¦3¦Not a number: abc¦set a=abc\ndo i = %a to 3\nenddo"
  "run¦3¦Not a number: abc¦set a=abc\ndo i = 1 to %a\nenddo"
  "run¦3¦Division by zero: 1 / 0¦set z=0\ndo w in /L %@eval[1/%z]\nenddo"
  "run¦3¦Division by zero: 1 / 0¦set z=0\ndo while %@eval[1/%z] == 1\nenddo"
  "run¦3¦Division by zero: 1 / 0¦set z=0\ndo until %@eval[1/%z] == 1\nenddo"
  "run¦2¦Missing name after call¦call %unset_c"
  "run¦7¦Not a number: x¦gosub s\nMARK\nquit\n:s\nset n=x\nreturn %n"
  "quit¦0¦¦quit 0"
  "quit¦255¦¦quit 255"
  "quit¦0¦$nothere¦if %@filesize[nothere] GT 1 echo big\nquit 0"
  "quit¦0¦$nothere¦if %@filesize[nothere] GT 1 echo big\nquit"
  "quit¦0¦$nothere¦if %@filesize[nothere] GT 1 echo big\nexit 0"
  "quit¦0¦$nothere¦if %@filesize[nothere] GT 1 echo big\ncancel 0"
  "quit¦0¦$nothere¦if %@filesize[nothere] GT 1 echo big\nset x=1\nquit %?"
  "quit¦0¦$nothere¦iff %@filesize[nothere] GT 1 then\necho big\nendiff\nquit 0"
  "quit¦0¦$nothere¦do while %@filesize[nothere] GT 1\nenddo\nquit 0"
  "quit¦0¦$nothere¦do i = 1 to %@filesize[nothere]\nenddo\nquit 0"
  "quit¦4¦$nothere¦if %@filesize[nothere] GT 1 echo big\nquit 4"
)

passed=0 failed=0
fits() {  # fits WANT GOT: equal, where {*} in WANT stands for any text
  local want=$1 got=$2
  case $want in
    *'{*}'*) local head=${want%%'{*}'*} tail=${want##*'{*}'}
             [ "${got#"$head"}" != "$got" ] && { [ -z "$tail" ] || [ "${got%"$tail"}" != "$got" ]; } ;;
    *) [ "$want" = "$got" ] ;;
  esac
}
check() {  # check WHAT WANT_OUT WANT_ERR WANT_CODE: against .out, .err, $code and the marker
  local got_out got_err
  got_out=$(tr -d '\r' <.out) got_err=$(tr -d '\r' <.err)
  if [ "$got_out" = "$2" ] && fits "$3" "$got_err" && [ "$code" = "$4" ] && [ ! -e marker ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf -- '--- %s\nexit %s (want %s)%s\nout: %s\nwant: %s\nerr: %.300s\nwant: %.300s\n' "$1" "$code" "$4" \
      "$([ -e marker ] && echo ', the marker was written')" "$got_out" "$2" "$got_err" "$3"
  fi
  rm -f marker
}

for row in "${rows[@]}"; do
  kind=${row%%¦*} rest=${row#*¦}
  line=${rest%%¦*} rest=${rest#*¦}
  message=${rest%%¦*} fault=${rest#*¦}
  case $kind in
    check) script=$(printf 'echo m>marker\n%b\necho WRONG: still running' "$fault") ;;
    run) script=$(printf '@echo off\n%b\necho m>marker' "$fault") ;;&
    run) [[ $fault == *MARK* ]] && script=$(printf '@echo off\n%b' "${fault//MARK/echo m>marker}") ;;
    quit) script=$(printf '@echo off\n%b\necho m>marker' "$fault") ;;
  esac
  if [ "$kind" = quit ]; then want_code=$line; else want_code=1; fi
  printf '%s\r\n' "$script" >t.btm
  timeout -k 5 60 "${host[@]}" t.btm >.out 2>.err </dev/null
  code=$?
  want_err="bhsh: t.btm [$line]  $message"
  [ "$kind" = quit ] && want_err=${message:+"bhsh: t.btm [2]  $message"}
  check "batch file: ${fault:0:60}" "" "$want_err" "$want_code"
  printf '%s\n' "$script" | timeout -k 5 60 "${host[@]}" >.out 2>.err
  code=$?
  want_err="bhsh: standard input [$line]  $message"
  [ "$kind" = quit ] && want_err=${message:+"bhsh: standard input [2]  $message"}
  check "standard input: ${fault:0:60}" "" "$want_err" "$want_code"
done

# A batch file's lines may end in LF, CR LF or CR alone: the message names the line by each.
for end in $'\n' $'\r'; do
  printf '@echo off%secho m>marker%sfrobnicate%s' "$end" "$end" "$end" >t.btm
  timeout -k 5 60 "${host[@]}" t.btm >.out 2>.err </dev/null
  code=$?
  check "line end $(printf '%q' "$end")" "" "bhsh: t.btm [3]  Unknown command: frobnicate" 1
done

# The largest script bhsh takes, 16 MiB of rem lines ending in "echo ok", runs; one byte
# more is refused, from a batch file and from standard input alike.
script_of_size() {  # script_of_size BYTES
  perl -e 'my $n = shift() - 9; my $line = "rem " . ("x" x 1018) . "\r\n";
           print $line x int($n / 1024), "rem ", "x" x ($n % 1024 - 6), "\r\necho ok\r\n"' "$1"
}
# SIZE|OUT|EXIT|THE BATCH FILE'S MESSAGE|STANDARD INPUT'S MESSAGE
size_rows=(
  "16777216|ok|0||"
  "16777217||1|bhsh: Cannot read the batch file big.btm: the file is too large (16 MiB at most)|bhsh: Standard input is too large for a script (16 MiB at most)"
)
for row in "${size_rows[@]}"; do
  IFS='|' read -r size out want_code file_err input_err <<<"$row"
  script_of_size "$size" >big.btm
  timeout -k 5 60 "${host[@]}" big.btm >.out 2>.err </dev/null
  code=$?
  check "a batch file of $size bytes" "$out" "$file_err" "$want_code"
  timeout -k 5 60 "${host[@]}" >.out 2>.err <big.btm
  code=$?
  check "standard input of $size bytes" "$out" "$input_err" "$want_code"
done
rm -f big.btm

# At a terminal each line is checked before it runs; -c's line is a script of its own.
timeout -k 5 60 "${host[@]}" -c 'echo m>marker & frobnicate' >.out 2>.err </dev/null
code=$?
check "-c" "" "bhsh: Unknown command: frobnicate" 1
echo "stops: $passed passed, $failed failed"
[ $failed = 0 ]
