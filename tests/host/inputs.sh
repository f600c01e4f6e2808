#!/usr/bin/env bash
# Every example and recipe that takes a file, run on what a user may hand it instead of a
# good file: a FIFO with a writer (fifo.png, fifo.wav), a folder (.), an empty file, a file
# cut inside its header (short.png, 22 bytes, inside the height; short.wav, 30 bytes, inside
# the byte rate) and a missing file, each given to each input in turn; a COPY is given a file
# that exists, a folder and a path in a missing folder. A reader reads what is there or ends
# with a message and a non-zero exit code, and never shows a field it did not read; a dumper
# shows what xxd shows.
#
# Each row is written out as a golden case and run by run_cases.sh, whose data files these
# are. WHERE is "all", "skip wine" or "only wine"; ARGS are the script and its arguments,
# as a shell writes them; STDOUT and STDERR are lines parted by \n, where {*} stands for any
# text and "xxd FILE [N]" for xxd's dump of the sample file FILE (its first N bytes) in the
# layout of hexdump.btm (the offset as a 0x number of two digits or more, a tab, the bytes in
# upper case); FILES are run_cases.sh's lines parted by ";".
#   inputs.sh native|wine FAKE_PLUGIN EXAMPLES_DIR RECIPES_DIR HOST [HOST_ARGS...]
set -u
platform=$1 fake=$2 examples=$3 recipes=$4
shift 4
cases=$(mktemp -d)
trap 'rm -rf "$cases"' EXIT

# WHERE¦ARGS¦EXIT¦STDOUT¦STDERR¦FILES
rows=(
  "all¦hexdump.btm fifo.png¦0¦xxd sample.png¦¦"
  "all¦hexdump.btm .¦2¦¦bhsh: hexdump.btm [{*}]  \".\" is a folder¦"
  "all¦hexdump.btm empty.bin¦0¦¦¦"
  "all¦hexdump.btm short.png¦0¦xxd sample.png 22¦¦"
  "all¦hexdump.btm nothere.bin¦2¦¦bhsh: hexdump.btm [{*}]  Cannot open \"nothere.bin\": {*}¦"
  "skip wine¦hexdump.btm /proc/self/mem¦1¦Reading /proc/self/mem failed after 0 bytes.¦Bytehaul plugin: hexdump.btm [{*}]  Error reading from file: {*}¦"
  "all¦pnginfo.btm fifo.png¦1¦fifo.png cannot be read twice: pnginfo reads files, not pipes.¦bhsh: pnginfo.btm [{*}]  Cannot move in {*}¦"
  "all¦pnginfo.btm .¦2¦¦bhsh: pnginfo.btm [{*}]  \".\" is a folder¦"
  "all¦pnginfo.btm empty.bin¦1¦empty.bin is cut short: the signature is missing.¦¦"
  "all¦pnginfo.btm short.png¦1¦short.png is cut short: the height is missing.¦¦"
  "all¦pnginfo.btm abc.bin¦1¦abc.bin is no PNG file.¦¦"
  "all¦pnginfo.btm nothere.png¦2¦¦bhsh: pnginfo.btm [{*}]  Cannot open \"nothere.png\": {*}¦"
  "skip wine¦pnginfo.btm /proc/self/mem¦1¦Reading the signature of /proc/self/mem failed.¦Bytehaul plugin: pnginfo.btm [{*}]  Error reading from file: {*}¦"
  "all¦wavinfo.btm fifo.wav¦0¦fifo.wav: WAV audio, PCM, 1 channel(s), 8000 samples a second, 8 bits a sample\nRIFF size 436 bytes; 8000 bytes a second in blocks of 1¦¦"
  "all¦wavinfo.btm .¦2¦¦bhsh: wavinfo.btm [{*}]  \".\" is a folder¦"
  "all¦wavinfo.btm empty.bin¦1¦empty.bin is cut short: the RIFF mark is missing.¦¦"
  "all¦wavinfo.btm short.wav¦1¦short.wav is cut short: the byte rate is missing.¦¦"
  "all¦wavinfo.btm nothere.wav¦2¦¦bhsh: wavinfo.btm [{*}]  Cannot open \"nothere.wav\": {*}¦"
  "skip wine¦wavinfo.btm /proc/self/mem¦1¦Reading the RIFF mark of /proc/self/mem failed.¦Bytehaul plugin: wavinfo.btm [{*}]  Error reading from file: {*}¦"
  "skip wine¦patch.btm fifo.png out.png 0x10 \"00 00 02 58\"¦3¦Refused: 4 byte(s) at offset 0x10 do not lie inside fifo.png (0 bytes). Nothing was changed.¦¦out.png"
  "only wine¦patch.btm fifo.png out.png 0x10 \"00 00 02 58\"¦2¦¦bhsh: patch.btm [{*}]  Cannot compare \"fifo.png\" with \"out.png\": {*}¦out.png"
  "all¦patch.btm . out.png 0x10 \"00 00 02 58\"¦2¦¦bhsh: patch.btm [{*}]  \".\" is a folder¦out.png"
  "all¦patch.btm empty.bin out.bin 0 01¦3¦Refused: 1 byte(s) at offset 0 do not lie inside empty.bin (0 bytes). Nothing was changed.¦¦out.bin"
  "all¦patch.btm short.png out.png 0x10 \"00 00 02 58\"¦0¦Offset 0x10 before: 00 00 01 2C 00 00\nOffset 0x10 after:  00 00 02 58 00 00\n4 byte(s) written to out.png; short.png is unchanged.¦¦"
  "all¦patch.btm nothere.png out.png 0x10 \"00 00 02 58\"¦2¦¦bhsh: patch.btm [{*}]  Cannot tell the size of \"nothere.png\": {*}¦out.png"
  "all¦patch.btm sample.png . 0x10 \"00 00 02 58\"¦3¦Refused: . exists; the copy must be a new file. Nothing was changed.¦¦"
  "all¦patch.btm sample.png abc.bin 0x10 \"00 00 02 58\"¦3¦Refused: abc.bin exists; the copy must be a new file. Nothing was changed.¦¦abc.bin=ABC"
  "all¦patch.btm sample.png nodir/out.png 0x10 \"00 00 02 58\"¦2¦¦bhsh: patch.btm [{*}]  Cannot open \"nodir/out.png\": {*}¦nodir"
  "all¦chunks.btm fifo.png¦0¦{*} chunks, 752 bytes¦¦"
  "all¦chunks.btm .¦1¦Reading . failed.¦{*}chunks.btm [{*}]  {*}¦"
  "all¦chunks.btm empty.bin¦0¦0 chunks, 0 bytes¦¦"
  "all¦chunks.btm short.png¦0¦1 chunks, 22 bytes¦¦"
  "all¦chunks.btm nothere.png¦1¦Reading nothere.png failed.¦bhsh: chunks.btm [{*}]  Cannot open \"nothere.png\": {*}¦"
  "skip wine¦chunks.btm /proc/self/mem¦1¦Reading /proc/self/mem failed.¦Bytehaul plugin: chunks.btm [{*}]  Error reading from file: {*}¦"
  "all¦copy-range.btm fifo.png range.bin¦1¦Copying 8 bytes from offset 16 of fifo.png to range.bin failed.¦bhsh: copy-range.btm [{*}]  Cannot move in {*}¦range.bin"
  "all¦copy-range.btm . range.bin¦1¦Copying 8 bytes from offset 16 of . to range.bin failed.¦bhsh: copy-range.btm [{*}]  \".\" is a folder¦range.bin"
  "all¦copy-range.btm empty.bin range.bin¦1¦Copying 8 bytes from offset 16 of empty.bin to range.bin failed.¦¦range.bin"
  "all¦copy-range.btm short.png range.bin¦1¦Copying 8 bytes from offset 16 of short.png to range.bin failed.¦¦range.bin"
  "all¦copy-range.btm nothere.png range.bin¦1¦Copying 8 bytes from offset 16 of nothere.png to range.bin failed.¦bhsh: copy-range.btm [{*}]  Cannot open \"nothere.png\": {*}¦range.bin"
  "all¦copy-range.btm sample.png .¦1¦. exists; the copy must be a new file.\nCopying 8 bytes from offset 16 of sample.png to . failed.¦¦"
  "all¦copy-range.btm sample.png abc.bin¦1¦abc.bin exists; the copy must be a new file.\nCopying 8 bytes from offset 16 of sample.png to abc.bin failed.¦¦abc.bin=ABC"
  "all¦copy-range.btm sample.png nodir/range.bin¦1¦Copying 8 bytes from offset 16 of sample.png to nodir/range.bin failed.¦bhsh: copy-range.btm [{*}]  Cannot open \"nodir/range.bin\": {*}¦nodir"
  "all¦find-pattern.btm fifo.png¦2¦Searching fifo.png failed.¦bhsh: find-pattern.btm [{*}]  Cannot move in {*}¦"
  "all¦find-pattern.btm .¦2¦Searching . failed.¦{*}find-pattern.btm [{*}]  {*}¦"
  "all¦find-pattern.btm empty.bin¦1¦no IDAT¦¦"
  "all¦find-pattern.btm short.png¦1¦no IDAT¦¦"
  "all¦find-pattern.btm nothere.png¦2¦Searching nothere.png failed.¦bhsh: find-pattern.btm [{*}]  Cannot open \"nothere.png\": {*}¦"
  "skip wine¦find-pattern.btm /proc/self/mem¦2¦Searching /proc/self/mem failed.¦Bytehaul plugin: find-pattern.btm [{*}]  Error reading from file: {*}¦"
  "all¦header-fields.btm fifo.png tone.wav¦1¦Reading the headers of fifo.png and tone.wav failed.¦bhsh: header-fields.btm [{*}]  Cannot move in {*}¦"
  "all¦header-fields.btm . tone.wav¦1¦Reading the headers of . and tone.wav failed.¦bhsh: header-fields.btm [{*}]  \".\" is a folder¦"
  "all¦header-fields.btm empty.bin tone.wav¦1¦empty.bin is cut short: the width is missing.¦¦"
  "all¦header-fields.btm short.png tone.wav¦1¦short.png is cut short: the height is missing.¦¦"
  "all¦header-fields.btm nothere.png tone.wav¦1¦Reading the headers of nothere.png and tone.wav failed.¦bhsh: header-fields.btm [{*}]  Cannot open \"nothere.png\": {*}¦"
  "all¦header-fields.btm sample.png fifo.wav¦1¦PNG width 300, height 200\nReading the headers of sample.png and fifo.wav failed.¦bhsh: header-fields.btm [{*}]  Cannot move in {*}¦"
  "all¦header-fields.btm sample.png .¦1¦PNG width 300, height 200\nReading the headers of sample.png and . failed.¦bhsh: header-fields.btm [{*}]  \".\" is a folder¦"
  "all¦header-fields.btm sample.png empty.bin¦1¦PNG width 300, height 200\nempty.bin is cut short: the sample rate is missing.¦¦"
  "all¦header-fields.btm sample.png short.wav¦0¦PNG width 300, height 200\nWAV sample rate 8000\nthe same bytes read the wrong way round: 0x401F0000¦¦"
  "all¦header-fields.btm sample.png nothere.wav¦1¦PNG width 300, height 200\nReading the headers of sample.png and nothere.wav failed.¦bhsh: header-fields.btm [{*}]  Cannot open \"nothere.wav\": {*}¦"
  "skip wine¦patch-in-place.btm fifo.png¦1¦Patching fifo.png failed.¦¦"
  "only wine¦patch-in-place.btm fifo.png¦1¦Patching fifo.png failed.¦bhsh: patch-in-place.btm [{*}]  Cannot tell the size of \"fifo.png\": {*}¦"
  "all¦patch-in-place.btm .¦1¦Patching . failed.¦bhsh: patch-in-place.btm [{*}]  \".\" is a folder¦"
  "all¦patch-in-place.btm empty.bin¦1¦Patching empty.bin failed.¦¦empty.bin="
  "all¦patch-in-place.btm short.png¦0¦wrote 2\nnow 89 62 63 47 0D 0A 1A 0A 00 00 00 0D 49 48 44 52 (size 22)¦¦"
  "all¦patch-in-place.btm nothere.bin¦1¦Patching nothere.bin failed.¦bhsh: patch-in-place.btm [{*}]  Cannot tell the size of \"nothere.bin\": {*}¦nothere.bin"
)

xxd_dump() {  # xxd_dump FILE [N]
  head -c "${2:-100000}" "$examples/data/$1" | xxd -g1 -c16 -u | while IFS= read -r line; do
    rest=${line#*: }
    printf '0x%02X\t%s\n' "$((16#${line%%:*}))" "${rest%%  *}"
  done
}

cp "$examples"/*.btm "$recipes"/*.btm "$cases/"
n=0
for row in "${rows[@]}"; do
  f=()
  while [[ $row == *¦* ]]; do f+=("${row%%¦*}"); row=${row#*¦}; done
  where=${f[0]} argline=${f[1]} code=${f[2]} out=${f[3]} err=${f[4]} files=$row
  eval "args=($argline)"
  n=$((n + 1))
  name=$(printf '%02d-%s' $n "${args[*]}" | tr -c 'A-Za-z0-9.-' _)
  {
    [ "$where" = all ] || echo "--- $where"
    echo "--- invoke"
    printf '%s\n' "${args[@]}"
    echo "--- stdout"
    case $out in
      "xxd "*) xxd_dump ${out#xxd } ;;
      ?*) printf '%b\n' "$out" ;;
    esac
    echo "--- stderr"
    [ -z "$err" ] || printf '%b\n' "$err"
    echo "--- exit"
    echo "$code"
    echo "--- files"
    [ -z "$files" ] || tr ';' '\n' <<<"$files"
  } >"$cases/$name.expect"
done
bash "$(dirname "$0")/run_cases.sh" "$cases" "$platform" "$fake" "$examples" "$@"
