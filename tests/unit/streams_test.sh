#!/bin/sh
# belmo-mask in a pipeline, as the process runs it: "-" reads the recording
# from a pipe and writes it to standard output, where nothing but the WAVE
# goes; the same bytes as from file to file. Messages are UTF-8, with a
# file's name passed through as it came.
# usage: streams_test.sh BELMO-MASK
set -eu
mask=$(realpath "$1")
. "$(dirname "$0")/wave_file.sh"
work_in_scratch_folder

# 8 kHz 16-bit mono, 2 s of noise; the same noise on every run, so that a
# failure can be had again.
LC_ALL=C awk 'BEGIN { srand(7); for (i = 0; i < 32000; ++i) printf "%c", 1 + int(rand() * 255) }' \
  >noise.bin
write_wave 8000 1 32000 noise.bin >in.wav

failed=0
fail() { echo "$1"; failed=1; }

printf '0.1\t0.2\tone\n0.15\t0.3\ttwo\n1.5\t1.6\tthree\n' >labels.txt
"$mask" voice in.wav ref.wav --method fft --fft-size 512 --ranges labels.txt >ref.out 2>ref.err ||
  fail "file to file failed: $(cat ref.err)"
cat in.wav | "$mask" voice - - --method fft --fft-size 512 --ranges labels.txt >piped.wav 2>piped.err ||
  fail "pipe to pipe failed: $(cat piped.err)"
cmp -s ref.wav piped.wav || fail "the pipe's output differs from the file's"
cmp -s in.wav ref.wav && fail "nothing was masked"
grep -q '^  0.100-0.300$' piped.err || fail "no summary of the merged ranges: $(cat piped.err)"
grep -q '^書き出しました: 標準出力$' piped.err || fail "no message on standard error: $(cat piped.err)"

# A missing input named in UTF-8 as it was given, the texts around it
# converted; and a usage error ending with its hint.
status=0
"$mask" sine 録音.wav out.wav 2>missing.err || status=$?
[ "$status" = 1 ] || fail "missing input: exit $status"
grep -qx 'belmo-mask: 録音.wav: ファイルを開けませんでした。.*' missing.err ||
  fail "missing input: $(cat missing.err)"
status=0
"$mask" voice in.wav out.wav --ratio 1,5 2>usage.err || status=$?
[ "$status" = 2 ] || fail "--ratio 1,5: exit $status"
tail -n 1 usage.err | grep -qx '使い方は belmo-mask voice --help で表示できます。' ||
  fail "--ratio 1,5: $(cat usage.err)"
# A reader that stops early (head): more than a pipe holds is written, so
# the write fails; the run says so and exits 1, not ended by the signal
# (141). The same for the texts of --help, to a standard output closed
# before the run.
write_wave 8000 1 200000 /dev/zero >long.wav
{
  status=0
  "$mask" sine long.wav - 2>closed.err || status=$?
  echo "$status" >closed.status
} | head -c 100 >/dev/null
[ "$(cat closed.status)" = 1 ] || fail "closed pipe: exit $(cat closed.status)"
grep -qx 'belmo-mask: 標準出力: 書き出せませんでした。.*' closed.err ||
  fail "closed pipe: $(cat closed.err)"
status=0
"$mask" --help >&- 2>help.err || status=$?
[ "$status" = 1 ] || fail "--help to a closed output: exit $status"
grep -q '標準出力' help.err || fail "--help to a closed output: $(cat help.err)"
iconv -f UTF-8 -t UTF-8 missing.err usage.err piped.err >/dev/null || fail "messages are not UTF-8"
[ ! -e out.wav ] || fail "a refused run wrote its output"
exit $failed
