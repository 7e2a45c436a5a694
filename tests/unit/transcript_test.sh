#!/bin/sh
# belmo-mask with transcripts, as the process runs it: a recording with tone
# bursts at known times and, in every format read, a transcript placing a
# word on each. Exactly the bursts of the words found are masked, with the
# bytes of --ranges given the same times; what find writes reads back
# through --ranges to the same bytes, with the padding too.
# usage: transcript_test.sh BELMO-MASK
set -eu
mask=$(realpath "$1")
. "$(dirname "$0")/wave_file.sh"
work_in_scratch_folder

failed=0
fail() { echo "$1"; failed=1; }

# 8 kHz 16-bit mono, 6 s of silence with a burst of tone over 1.0-1.5,
# 2.0-2.5, 3.0-3.5 and 4.0-4.5 s. Sample bytes: 16000 a second.
LC_ALL=C awk 'BEGIN {
  for (i = 0; i < 48000; ++i) {
    t = i / 8000; v = 0
    if ((t >= 1 && t < 1.5) || (t >= 2 && t < 2.5) || (t >= 3 && t < 3.5) || (t >= 4 && t < 4.5))
      v = int(8000 * sin(i * 0.7))
    if (v < 0) v += 65536
    printf "%c%c", v % 256, int(v / 256)
  } }' >bursts.bin
write_wave 8000 1 96000 bursts.bin >in.wav

# The words: Tanaka on the first burst, 山田 on the second, a number on the
# third, a word nobody looks for on the fourth.
cat >whisper.json <<'EOF'
{"text": " Tanaka, 山田 090-1234 hello", "segments": [{"id": 0, "start": 0.9, "end": 4.6,
 "text": " Tanaka, 山田 090-1234 hello", "words": [
 {"word": " Tanaka,", "start": 1.0, "end": 1.5, "probability": 0.9},
 {"word": " 山田", "start": 2.0, "end": 2.5, "probability": 0.8},
 {"word": " 090-1234", "start": 3.0, "end": 3.5, "probability": 0.7},
 {"word": " hello", "start": 4.0, "end": 4.5, "probability": 0.9}]}], "language": "ja"}
EOF
# WhisperX: the number without times, between its neighbours' times.
cat >whisperx.json <<'EOF'
{"segments": [{"start": 1.0, "end": 4.5, "text": "Tanaka 山田の 0901234 です hello", "words": [
 {"word": "Tanaka", "start": 1.0, "end": 1.5, "score": 0.9},
 {"word": "山", "start": 2.0, "end": 2.2, "score": 0.8}, {"word": "田", "start": 2.2, "end": 2.5},
 {"word": "の", "start": 2.5, "end": 3.0}, {"word": "0901234"}, {"word": "です", "start": 3.5, "end": 4.0},
 {"word": "hello", "start": 4.0, "end": 4.5}]}],
 "word_segments": [{"word": "Tanaka", "start": 1.0, "end": 1.5}]}
EOF
# whisper.cpp, -ojf: 山 split over two tokens as raw bytes.
{
  printf '{"systeminfo": "x", "transcription": [{"timestamps": {"from": "00:00:01,000", "to": "00:00:04,500"},'
  printf ' "offsets": {"from": 1000, "to": 4500}, "text": " Tanaka 山田 090 1234 hello", "tokens": ['
  printf '{"text": "[_BEG_]", "offsets": {"from": 1000, "to": 1000}, "id": 50365, "p": 0.9},'
  printf '{"text": " Tan", "offsets": {"from": 1000, "to": 1200}, "id": 1, "p": 0.9},'
  printf '{"text": "aka", "offsets": {"from": 1200, "to": 1500}, "id": 2, "p": 0.9},'
  printf '{"text": " \345\261", "offsets": {"from": 2000, "to": 2200}, "id": 3, "p": 0.9},'
  printf '{"text": "\261\347\224\260", "offsets": {"from": 2200, "to": 2500}, "id": 4, "p": 0.9},'
  printf '{"text": " 090", "offsets": {"from": 3000, "to": 3200}, "id": 5, "p": 0.9},'
  printf '{"text": " 1234", "offsets": {"from": 3200, "to": 3500}, "id": 6, "p": 0.9},'
  printf '{"text": " hello", "offsets": {"from": 4000, "to": 4500}, "id": 7, "p": 0.9},'
  printf '{"text": "[_TT_175]", "offsets": {"from": 4500, "to": 4500}, "id": 50540, "p": 0.9}]}]}\n'
} >whispercpp.json
printf '1\r\n00:00:01,000 --> 00:00:01,500\r\n<i>TANAKA</i>\r\n\r\n2\r\n00:00:02,000 --> 00:00:02,500\r\n山田\r\n\r\n3\r\n00:00:03,000 --> 00:00:03,500\r\n０９０－１２３４\r\n\r\n4\r\n00:00:04,000 --> 00:00:04,500\r\nhello\r\n' >subtitles.srt
cat >captions.vtt <<'EOF'
WEBVTT

00:01.000 --> 00:01.500
Tanaka

00:02.000 --> 00:02.500 align:start
<v 話者>山田

00:03.000 --> 00:03.500
〇九〇 一二三四

00:04.000 --> 00:04.500
hello
EOF
printf '1.0\t1.5\ttanaka\n2\t2.5\t山 田\n3\t3.5\t090-1234\n4\t4.5\thello\n' >labels.txt

search="--find Tanaka --find 山田 --find 佐藤 --digits 4"
"$mask" sine in.wav ref.wav --range 1-1.5 --range 2-2.5 --range 3-3.5 >/dev/null 2>ref.err ||
  fail "--range: $(cat ref.err)"
printf '1.000\t1.500\n2.000\t2.500\n3.000\t3.500\n' >expected.txt

# The bytes from offset $2, $3 of them, of file $1.
bytes() { tail -c +$(($2 + 1)) "$1" | head -c "$3"; }
# A burst's sample bytes: the data starts after the 44-byte header.
burst() { bytes "$1" $((44 + ($2 - 1) * 16000 + 16000)) 8000; }

for transcript in whisper.json whisperx.json whispercpp.json subtitles.srt captions.vtt labels.txt; do
  status=0
  # shellcheck disable=SC2086
  "$mask" find "$transcript" $search --pad 0 >found.txt 2>find.err || status=$?
  [ "$status" = 0 ] || fail "$transcript: find exited $status: $(cat find.err)"
  cut -f 1,2 found.txt | cmp -s - expected.txt || fail "$transcript: found $(cat found.txt)"
  grep -q '^  佐藤: 見つかりませんでした$' find.err || fail "$transcript: summary $(cat find.err)"

  status=0
  # shellcheck disable=SC2086
  "$mask" sine in.wav out.wav --transcript "$transcript" $search --pad 0 >/dev/null 2>mask.err ||
    status=$?
  [ "$status" = 0 ] || fail "$transcript: sine --transcript exited $status: $(cat mask.err)"
  cmp -s out.wav ref.wav || fail "$transcript: --transcript masked other bytes than --range"
  grep -q "^belmo-mask: $transcript: 見つかりませんでした: 佐藤\$" mask.err ||
    fail "$transcript: no warning for the word not found: $(cat mask.err)"
  for n in 1 2 3; do
    burst in.wav $n >a.bin
    burst out.wav $n >b.bin
    cmp -s a.bin b.bin && fail "$transcript: burst $n was not masked"
  done
  burst in.wav 4 >a.bin
  burst out.wav 4 >b.bin
  cmp -s a.bin b.bin || fail "$transcript: burst 4, hello, was masked"

  # With the default padding, find's label file and --transcript agree.
  # shellcheck disable=SC2086
  "$mask" find "$transcript" $search >padded.txt 2>/dev/null || fail "$transcript: padded find failed"
  "$mask" voice in.wav listed.wav --ranges padded.txt >/dev/null 2>&1 || fail "$transcript: --ranges of find's output"
  # shellcheck disable=SC2086
  "$mask" voice in.wav found.wav --transcript "$transcript" $search >/dev/null 2>&1 ||
    fail "$transcript: voice --transcript failed"
  cmp -s listed.wav found.wav || fail "$transcript: find | --ranges differs from --transcript"
done
"$mask" find whisperx.json --digits 4 2>&1 >/dev/null | grep -q '^  時刻のない語 1 個' ||
  fail "whisperx: the word without times is not counted"
head -n 1 padded.txt | grep -q "^0.800	1.700	tanaka\$" || fail "padding: $(cat padded.txt)"

# A transcript of another, longer recording is refused, naming both files;
# so is a search that finds nothing where no other range is given.
printf '1\n00:01:05,000 --> 00:01:05,500\nTanaka\n' >late.srt
status=0
"$mask" sine in.wav late.wav --transcript late.srt --find tanaka 2>late.err || status=$?
[ "$status" = 1 ] || fail "late transcript: exit $status"
grep -q '^belmo-mask: late.srt: .*in.wav.*' late.err || fail "late transcript: $(cat late.err)"
status=0
"$mask" sine in.wav none.wav --transcript labels.txt --find 佐藤 2>none.err || status=$?
[ "$status" = 1 ] || fail "nothing found: exit $status"
grep -q '^belmo-mask: labels.txt: .*佐藤' none.err || fail "nothing found: $(cat none.err)"
[ ! -e late.wav ] && [ ! -e none.wav ] || fail "a refused run wrote its output"
# Found in none of them, with a range given: the range alone, and a warning.
"$mask" sine in.wav alone.wav --transcript labels.txt --find 佐藤 --range 1-1.5 >/dev/null 2>alone.err ||
  fail "a range besides a word not found: $(cat alone.err)"
iconv -f UTF-8 -t UTF-8 find.err mask.err late.err none.err >/dev/null || fail "messages are not UTF-8"
exit $failed
