#!/bin/sh
# Times belmo-mask find on a generated three-hour transcript of 30,000
# words (Japanese and English, a telephone number every few hundred words),
# looking for 100 words, half of them never said, and every run of four or
# more digits (target: under 0.5 s, reading and searching together). Two
# forms of the same speech: Whisper's JSON with word times, and
# whisper.cpp's full JSON, which holds a token a piece of a word and is the
# largest file per word. Prints the median of RUNS runs of each.
#
#   bench/transcript_bench.sh [RUNS]   (default 5)
#
# belmo-mask is built with optimisation in build/bench, as it is shipped.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
runs=${1:-5}

. tools/packages.sh
ensure_packages cmake make g++ libgtest-dev nlohmann-json3-dev

cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target belmo-mask -j "$(nproc)" >/dev/null
mask=$root/build/bench/belmo-mask

work=$(mktemp -d "$root/build/bench/transcript.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# 30,000 words over 10,800 s, ten to a segment; the names are said now and
# then, the numbers both in figures and in kanji.
LC_ALL=C.UTF-8 awk -v words=30000 -v seconds=10800 '
BEGIN {
  srand(29)
  split("今日 は 会議 の 件 で お 電話 しました よろしく お願い します そう です ね " \
        "the meeting is about our plan for next week and I think we should " \
        "資料 を 確認 して から 連絡 します 午後 に また", vocabulary, " ")
  nv = length(vocabulary)
  for (i = 1; i <= 50; ++i) names[i] = sprintf("名前%02d", i)
  step = seconds / words
  printf "{\"text\": \"\", \"segments\": [" > "whisper.json"
  printf "{\"transcription\": [" > "whispercpp.json"
  t = 0
  for (w = 0; w < words; ++w) {
    if (w % 10 == 0) {
      if (w > 0) { printf "]}, " > "whisper.json"; printf "]}, " > "whispercpp.json" }
      printf "{\"start\": %.3f, \"end\": %.3f, \"text\": \"\", \"words\": [", t, t + 10 * step > "whisper.json"
      printf "{\"offsets\": {\"from\": %d, \"to\": %d}, \"text\": \"\", \"tokens\": [", \
        t * 1000, (t + 10 * step) * 1000 > "whispercpp.json"
      printf "{\"text\": \"[_BEG_]\", \"offsets\": {\"from\": %d, \"to\": %d}}", t * 1000, t * 1000 > "whispercpp.json"
      sep = ""
    }
    r = rand()
    if (r < 0.004) word = "090-" int(1000 + rand() * 9000) "-" int(1000 + rand() * 9000)
    else if (r < 0.006) word = "〇九〇の一二三四"
    else if (r < 0.02) word = names[1 + int(rand() * 50)]
    else word = vocabulary[1 + int(rand() * nv)]
    printf "%s{\"word\": \" %s\", \"start\": %.3f, \"end\": %.3f, \"probability\": 0.9}", \
      sep, word, t, t + step > "whisper.json"
    # whisper.cpp: the word in two tokens when it is long enough, cut at a
    # byte (mawk counts bytes), so a character is split as whisper.cpp splits it.
    from = t * 1000; to = (t + step) * 1000; mid = (from + to) / 2
    if (length(word) > 4) {
      printf ", {\"text\": \" %s\", \"offsets\": {\"from\": %d, \"to\": %d}, \"id\": 1, \"p\": 0.9}", \
        substr(word, 1, 2), from, mid > "whispercpp.json"
      printf ", {\"text\": \"%s\", \"offsets\": {\"from\": %d, \"to\": %d}, \"id\": 2, \"p\": 0.9}", \
        substr(word, 3), mid, to > "whispercpp.json"
    } else {
      printf ", {\"text\": \" %s\", \"offsets\": {\"from\": %d, \"to\": %d}, \"id\": 1, \"p\": 0.9}", \
        word, from, to > "whispercpp.json"
    }
    sep = ", "
    t += step
  }
  printf "]}], \"language\": \"ja\"}\n" > "whisper.json"
  printf "]}]}\n" > "whispercpp.json"
  # The 100 words: the 50 names said, 50 never said.
  for (i = 1; i <= 50; ++i) print names[i] > "words.txt"
  for (i = 1; i <= 50; ++i) printf "Nobody%02d\n", i > "words.txt"
}'

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for transcript in whisper.json whispercpp.json; do
  "$mask" find "$transcript" --words words.txt --digits 4 >found.txt 2>summary.txt
  grep -q '^  4 桁以上の数字: [1-9]' summary.txt || { echo "no number found in $transcript"; exit 1; }
  i=0
  : >times.txt
  while [ "$i" -lt "$runs" ]; do
    start=$(date +%s.%N)
    "$mask" find "$transcript" --words words.txt --digits 4 >/dev/null 2>&1
    end=$(date +%s.%N)
    awk -v start="$start" -v end="$end" 'BEGIN { print end - start }' >>times.txt
    i=$((i + 1))
  done
  printf '%s: %s bytes, %s ranges found, median of %s runs: %.3f s (target: under 0.5 s)\n' \
    "$transcript" "$(stat -c %s "$transcript")" "$(wc -l <found.txt)" "$runs" "$(median <times.txt)"
done
