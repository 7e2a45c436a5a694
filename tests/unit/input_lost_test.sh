#!/bin/sh
# belmo-mask with its input cut short by another program while it reads it
# through its mapping: it must say so, exit 1, leave no output and no
# partial file.
# First into a pipe nobody reads yet, so that belmo-mask waits inside its
# writing with the input mapped and most of it still unread: the cut comes
# at a known moment. Then into a file, cut as soon as the partial output
# appears; a run that beats the cut (it has about a second of work in a
# Debug build) leaves that part untried rather than failed.
# usage: input_lost_test.sh BELMO-MASK
set -eu
mask=$(realpath "$1")
. "$(dirname "$0")/wave_file.sh"
work_in_scratch_folder

# 44.1 kHz 16-bit stereo, 16 MiB of silence.
write_wave 44100 2 16777216 /dev/zero >in.wav

failed=0
expect_lost() {  # STATUS STDERR-FILE
  [ "$1" = 1 ] || { echo "exit status $1, expected 1"; failed=1; }
  grep -q '処理中に入力ファイルが読めなくなったため、中止しました。' "$2" ||
    { echo "no message; stderr:"; cat "$2"; failed=1; }
}

cp in.wav whole.wav
mkfifo pipe
timeout 60 "$mask" voice in.wav - --method fft --ratio 2 >pipe 2>stderr-pipe.txt &
run=$!
exec 3<pipe
timeout 60 head -c 100000 <&3 >/dev/null
truncate -s 100000 in.wav
cat <&3 >/dev/null
exec 3<&-
status=0
wait $run || status=$?
expect_lost "$status" stderr-pipe.txt

mv whole.wav in.wav
timeout 60 "$mask" voice in.wav out.wav --method fft --ratio 2 >stdout.txt 2>stderr.txt &
run=$!
while [ ! -e out.wav.belmo-new ] && kill -0 $run 2>/dev/null; do sleep 0.01; done
truncate -s 100000 in.wav
status=0
wait $run || status=$?
if [ "$status" = 0 ] && [ -e out.wav ]; then
  echo "the file run ended before the input was cut: its partial file was not tried"
else
  expect_lost "$status" stderr.txt
  [ ! -e out.wav ] || { echo "out.wav was written"; failed=1; }
  [ ! -e out.wav.belmo-new ] || { echo "the partial output was left behind"; failed=1; }
fi
exit $failed
