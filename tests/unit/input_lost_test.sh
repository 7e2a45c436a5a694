#!/bin/sh
# belmo-mask with its input cut short by another program while it reads it
# through its mapping: it must say so, exit 1, leave no output and no
# partial file. The input is cut short as soon as the partial output
# appears, when belmo-mask has mapped the input and begins to stream its
# result, with about a second of work (in a Debug build) still to come.
# (belmo-mask creates its partial output afresh, never through a name that
# is already there, so it cannot be made to wait on a pipe.)
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
# 44.1 kHz 16-bit stereo, 16 MiB of silence.
size=16777216
{
  printf 'RIFF'; le32 $((size + 36)); printf 'WAVEfmt '; le32 16
  printf '\001\000\002\000'; le32 44100; le32 176400; printf '\004\000\020\000'
  printf 'data'; le32 $size; head -c $size /dev/zero
} >in.wav

timeout 60 "$mask" voice in.wav out.wav --method fft --ratio 2 >stdout.txt 2>stderr.txt &
run=$!
while [ ! -e out.wav.belmo-new ] && kill -0 $run 2>/dev/null; do sleep 0.01; done
truncate -s 100000 in.wav
status=0
wait $run || status=$?

failed=0
[ "$status" = 1 ] || { echo "exit status $status, expected 1"; failed=1; }
grep -q '処理中に入力ファイルが読めなくなったため、中止しました。' stderr.txt ||
  { echo "no message; stderr:"; cat stderr.txt; failed=1; }
[ ! -e out.wav ] || { echo "out.wav was written"; failed=1; }
[ ! -e out.wav.belmo-new ] || { echo "the partial output was left behind"; failed=1; }
exit $failed
