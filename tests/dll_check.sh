#!/usr/bin/env bash
# Checks what a user's shell sees of the built DLL: exactly the ten exports, the four
# imports from TakeCmd.dll, no MinGW runtime DLL, and the version resource.
set -u
dll="$1"
dump=$(x86_64-w64-mingw32-objdump -p "$dll") || { echo "objdump failed"; exit 1; }
fail=0

exports=$(printf '%s\n' "$dump" | awk '/\[Ordinal\/Name Pointer\] Table/{on=1;next} on&&/^[ \t]*\[ *[0-9]+\]/{print $NF;next} {on=0}' | sort)
want_exports=$(printf '%s\n' GetPluginInfo InitializePlugin ShutdownPlugin Usage Help f_inthaul f_bytehaul f_bytestow inc dec | sort)
if [ "$exports" != "$want_exports" ]; then
  echo "exports differ:"; diff <(echo "$want_exports") <(echo "$exports"); fail=1
fi

dlls=$(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
for d in $dlls; do
  case "$d" in
    takecmd.dll|kernel32.dll|user32.dll|msvcrt.dll|api-ms-win-crt-*.dll|ucrtbase.dll|advapi32.dll|ntdll.dll) ;;
    *) echo "unexpected import DLL: $d"; fail=1 ;;
  esac
done

takecmd=$(printf '%s\n' "$dump" | awk '/DLL Name: TakeCmd.dll/{on=1;next} on&&/^[ \t]*$/{on=0} on&&/^[ \t]+[0-9a-f]+[ \t]+[0-9]+[ \t]+[A-Za-z_]/{print $3}' | sort)
want_takecmd=$(printf '%s\n' ExpandVariables Printf QPuts Qprintf | sort)
if [ "$takecmd" != "$want_takecmd" ]; then
  echo "TakeCmd.dll imports differ:"; diff <(echo "$want_takecmd") <(echo "$takecmd"); fail=1
fi

# The version resource: fixed file and product version 0.90.5.0, and the product version text.
res=$(x86_64-w64-mingw32-objcopy -O binary --only-section=.rsrc "$dll" /dev/stdout | od -An -v -tx1 | tr -d ' \n')
fixed=$(printf 'bd04effe00000100%s%s%s%s' 5a000000 00000500 5a000000 00000500)
case "$res" in *"$fixed"*) ;; *) echo "version resource: fixed versions are not 0.90.5.0"; fail=1 ;; esac
utf16() { printf '%s' "$1" | iconv -f ascii -t utf-16le | od -An -v -tx1 | tr -d ' \n'; }
text=$(utf16 '0.90.5.0  (x64)')
case "$res" in *"$text"*) ;; *) echo "version resource: product version text missing"; fail=1 ;; esac
# The fixed part's file type, its ninth field after the signature: VFT_DLL (2), not an application.
info=${res#*bd04effe}
[ "${info:64:8}" = 02000000 ] || { echo "version resource: file type ${info:64:8}, not a DLL (02000000)"; fail=1; }
# The translation (language, code page) names the string block the resource holds. Its value
# follows the key "Translation" and its NUL, on the next 4-byte boundary of the section.
key=$(utf16 Translation)
before=${res%%"$key"*}
at=$(( (${#before} / 2 + 24 + 3) / 4 * 4 ))
v=${res:$((2 * at)):8}
block=${v:2:2}${v:0:2}${v:6:2}${v:4:2}
case "$res" in
  "$before") echo "version resource: no translation"; fail=1 ;;
  *"$(utf16 "$block")"* | *"$(utf16 "${block^^}")"*) ;;
  *) echo "version resource: the translation names $block, a string block it does not hold"; fail=1 ;;
esac

[ $fail = 0 ] && echo "dll check passed: 10 exports, TakeCmd.dll imports, runtime-free, version 0.90.5.0 of a DLL"
exit $fail
