#!/bin/sh
# belmo-mask with its input cut short by another program while it reads it
# through its mapping: it must say so, exit 1, leave no output and no
# partial file. Deterministic: the partial output is a pipe, so belmo-mask
# waits inside its first write until this script has cut the input short.
# usage: input_lost_test.sh BELMO-MASK
set -eu
mask=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

le32() {
  printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $(($1 >> 8 & 255)))"
  printf "\\$(printf %03o $(($1 >> 16 & 255)))\\$(printf %03o $(($1 >> 24 & 255)))"
}
# 44.1 kHz 16-bit stereo, 8 MiB of silence.
size=8388608
{
  printf 'RIFF'; le32 $((size + 36)); printf 'WAVEfmt '; le32 16
  printf '\001\000\002\000'; le32 44100; le32 176400; printf '\004\000\020\000'
  printf 'data'; le32 $size; head -c $size /dev/zero
} >in.wav

mkfifo out.wav.belmo-new
# Opened for reading and writing, so opening it never waits.
exec 3<>out.wav.belmo-new
timeout 60 "$mask" voice in.wav out.wav --method fft --ratio 2 >stdout.txt 2>stderr.txt &
run=$!
timeout 60 head -c 100000 <&3 >/dev/null
truncate -s 100000 in.wav
cat <&3 >/dev/null &
drain=$!
status=0
wait $run || status=$?
kill $drain 2>/dev/null || true
exec 3<&-

failed=0
[ "$status" = 1 ] || { echo "exit status $status, expected 1"; failed=1; }
grep -q '処理中に入力ファイルが読めなくなったため、中止しました。' stderr.txt ||
  { echo "no message; stderr:"; cat stderr.txt; failed=1; }
[ ! -e out.wav ] || { echo "out.wav was written"; failed=1; }
[ ! -e out.wav.belmo-new ] || { echo "the partial output was left behind"; failed=1; }
exit $failed
