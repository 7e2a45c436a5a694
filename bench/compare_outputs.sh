#!/bin/sh
# Runs two builds of belmo-mask over the same inputs and settings and
# compares the files they write, byte for byte. A speed-up must leave every
# output as it was: build the old revision into one tree, the new one into
# another, and run
#   bench/compare_outputs.sh OLD/belmo-mask NEW/belmo-mask [BIG.wav]
# BIG.wav (for instance the benchmark's recording) adds the benchmark's own
# runs over a long file. Exits non-zero on the first difference.
#
# Each case also runs NEW from standard input to standard output, which
# must give the same bytes (STREAMS=0 leaves that out, for a NEW from
# before belmo-mask read "-"). With RANGES=1 (for a NEW that takes --ranges),
# NEW masks several ranges of a label file in one run and OLD one run per
# merged range, earliest first, each writing over the last: the results
# must be the same.
#
# Against a build from before the FFT voice change masked the tail of a
# range (the bytes after its last whole frame), set WHOLE_FFT_FRAMES_ONLY=1:
# the FFT runs are then compared only over ranges of whole frames, where
# both builds must agree. Other mends that change some outputs by design
# are left out with BELMO_COMPARE_SKIP, an extended regular expression
# matched against "INPUT COMMAND OPTIONS" (for the once mode's silence in
# 8-bit files: BELMO_COMPARE_SKIP='^(s8|m8)\.wav file .*--mode once').
set -eu
old=$1
new=$2
big=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Short recordings of every sample format: a tone glide with noise, so the
# voice change meets zero crossings at changing distances.
sox -n -r 22050 -c 1 -b 16 "$work/m16.wav" synth 12 sine 120-900 synth 12 pinknoise mix vol 0.6
sox -n -r 11025 -c 2 -b 8 "$work/s8.wav" synth 9 sine 300-80 synth 9 whitenoise mix vol 0.5
sox -n -r 8000 -c 1 -b 8 "$work/m8.wav" synth 7 square 220 vol 0.4
sox -n -r 44100 -c 2 -b 16 "$work/s16.wav" synth 15 sine 200-2000 synth 15 brownnoise mix vol 0.7
# Overwrite sources in other formats than the recordings, so every conversion runs.
sox -n -r 16000 -c 1 -b 8 "$work/src_m8.wav" synth 1.3 sine 700
sox -n -r 48000 -c 2 -b 16 "$work/src_s16.wav" synth 0.7 sawtooth 90 vol 0.5

cases="
sine
sine --hz 440 --db 0 --start 1.234 --end 5.5
sine --hz 3000 --db -30
voice --method simple
voice --method simple --ratio 0.5
voice --method simple --ratio 1.37 --waves 7
voice --method simple --ratio 0.73 --waves 1 --start 0.5 --end 6.25
voice --method simple --ratio 3.3 --waves 200
voice --method simple --ratio 0.05
voice --method simple --ratio 2 --waves 1000000
voice --method fft --ratio 2 --fft-size 4096
voice --method fft --ratio 0.5 --fft-size 512
voice --method fft --ratio 1.37 --fft-size 1024 --start 0.3 --end 6.1
voice --method fft --ratio 0.8 --fft-size 2048
voice --method fft --ratio 3 --fft-size 8192
file --source SRC_M8 --mode loop
file --source SRC_S16 --mode once --start 2 --end 4.5
file --source SRC_S16 --mode loop --start 0.25
"

# The FFT voice change over ranges of a whole number of frames (2N samples):
# per input, the range from 0 to the longest such end in milliseconds.
fft_frames="
voice --method fft --ratio 2 --fft-size 4096
voice --method fft --ratio 0.5 --fft-size 512
voice --method fft --ratio 1.37 --fft-size 1024
"

# whole_frames_end RATE CHANNELS SECONDS N: seconds text of the longest end
# (whole milliseconds) whose range from 0 is whole frames.
whole_frames_end() {
  awk -v rate="$1" -v channels="$2" -v seconds="$3" -v n="$4" 'BEGIN {
    unit = channels == 2 ? n : 2 * n
    for (e = seconds * 1000; e > 0; e--) {
      frames = int(rate * (e / 1000))
      if (frames > 0 && frames % unit == 0) { printf "%.3f\n", e / 1000; exit }
    }
  }'
}

# run_case INPUT COMMAND [OPTIONS...]: both builds, same arguments.
# Counted in files: most cases run in the subshells of pipelines.
: >"$work/compared"
: >"$work/refused"
run_case() {
  input=$1
  command=$2
  shift 2
  if [ -n "${BELMO_COMPARE_SKIP:-}" ] &&
    echo "$(basename "$input") $command $*" | grep -Eq "$BELMO_COMPARE_SKIP"; then
    return 0
  fi
  old_status=0
  new_status=0
  "$old" "$command" "$input" "$work/old.wav" "$@" >/dev/null 2>&1 || old_status=$?
  "$new" "$command" "$input" "$work/new.wav" "$@" >/dev/null 2>&1 || new_status=$?
  if [ "$old_status" != "$new_status" ]; then
    echo "DIFFERENT exit status ($old_status, $new_status): $(basename "$input") $command $*"
    exit 1
  fi
  echo >>"$work/compared"
  if [ "$old_status" != 0 ]; then
    # Both refusing is the same answer, but the benchmark recording's cases
    # are there to compare bytes: a refusal there is a broken comparison.
    if [ "${MUST_WRITE:-0}" = 1 ]; then
      echo "REFUSED by both builds ($old_status): $(basename "$input") $command $*"
      exit 1
    fi
    echo >>"$work/refused"
  fi
  if [ "$old_status" = 0 ] && ! cmp -s "$work/old.wav" "$work/new.wav"; then
    echo "DIFFERENT output: $(basename "$input") $command $*"
    exit 1
  fi
  if [ "$old_status" = 0 ] && [ "${STREAMS:-1}" = 1 ]; then
    "$new" "$command" - - "$@" <"$input" >"$work/new.wav" 2>/dev/null || new_status=$?
    if [ "$new_status" != 0 ] || ! cmp -s "$work/old.wav" "$work/new.wav"; then
      echo "DIFFERENT through standard input and output ($new_status): $(basename "$input") $command $*"
      exit 1
    fi
  fi
  rm -f "$work/old.wav" "$work/new.wav"
}

# Ranges for every recording (each at least 7 s long): overlapping and
# touching ones, a short one close behind another, minutes and seconds.
printf '%s\n' '# start	end	label' '0.5	1.25	first' '1.0	1.5	overlaps' '1.5	2	touches' \
  '2.1	2.15	short' '0:03.250	0:06.750	minutes' >"$work/labels.txt"
merged="0.5 2
2.1 2.15
3.25 6.75"

# run_ranges_case INPUT COMMAND [OPTIONS...]: NEW once over every range,
# OLD once per merged range.
run_ranges_case() {
  input=$1
  command=$2
  shift 2
  "$new" "$command" "$input" "$work/new.wav" "$@" --ranges "$work/labels.txt" >/dev/null 2>&1 || {
    echo "NEW refused the ranges: $(basename "$input") $command $*"
    exit 1
  }
  cp "$input" "$work/old.wav"
  echo "$merged" | while read -r start end; do
    "$old" "$command" "$work/old.wav" "$work/old.wav" "$@" --start "$start" --end "$end" >/dev/null 2>&1 || {
      echo "OLD refused $start-$end: $(basename "$input") $command $*"
      exit 1
    }
  done
  if ! cmp -s "$work/old.wav" "$work/new.wav"; then
    echo "DIFFERENT output over several ranges: $(basename "$input") $command $*"
    exit 1
  fi
  rm -f "$work/old.wav" "$work/new.wav"
}
ranges_cases="
sine --hz 440
voice --method simple --ratio 1.37 --waves 7
voice --method simple --ratio 0.6
voice --method fft --ratio 0.8 --fft-size 2048
voice --method fft --ratio 1.5 --fft-size 8192
file --source SRC_S16 --mode once
file --source SRC_M8 --mode loop
"

for recording in "m16.wav 22050 1 12" "s8.wav 11025 2 9" "m8.wav 8000 1 7" "s16.wav 44100 2 15"; do
  set -- $recording
  input=$work/$1
  rate=$2
  channels=$3
  seconds=$4
  echo "$cases" | sed "s#SRC_M8#$work/src_m8.wav#; s#SRC_S16#$work/src_s16.wav#" |
    while read -r line; do
      [ -z "$line" ] && continue
      case "$line" in
        *"--method fft"*) [ "${WHOLE_FFT_FRAMES_ONLY:-0}" = 1 ] && continue ;;
      esac
      # shellcheck disable=SC2086  # the options are meant to split
      run_case "$input" $line
    done
  echo "$fft_frames" | while read -r line; do
    [ -z "$line" ] && continue
    end=$(whole_frames_end "$rate" "$channels" "$seconds" "${line##* }")
    # shellcheck disable=SC2086  # the options are meant to split
    [ -z "$end" ] || run_case "$input" $line --start 0 --end "$end"
  done
  [ "${RANGES:-0}" = 1 ] || continue
  echo "$ranges_cases" | sed "s#SRC_M8#$work/src_m8.wav#; s#SRC_S16#$work/src_s16.wav#" |
    while read -r line; do
      [ -z "$line" ] && continue
      # shellcheck disable=SC2086  # the options are meant to split
      run_ranges_case "$input" $line
    done
done
if [ -n "$big" ]; then
  [ -f "$big" ] || { echo "no such recording: $big" >&2; exit 1; }
  STREAMS=0
  MUST_WRITE=1
  sox -n -r 44100 -c 2 -b 16 "$work/src_bench.wav" synth 2.5 sine 300 vol 0.5
  for line in "sine" "voice --method simple --ratio 2" "voice --method simple --ratio 0.5" \
              "file --source $work/src_bench.wav --mode loop" \
              "file --source $work/src_bench.wav --mode once" \
              "sine --hz 37 --start 1.5 --end 599.9"; do
    # shellcheck disable=SC2086  # the options are meant to split
    run_case "$big" $line
  done
  # The benchmark recording is 10 minutes of 44.1 kHz stereo.
  for n in 4096 512; do
    end=$(whole_frames_end 44100 2 600 $n)
    if [ "${WHOLE_FFT_FRAMES_ONLY:-0}" = 1 ]; then
      run_case "$big" voice --method fft --ratio 2 --fft-size $n --start 0 --end "$end"
    else
      run_case "$big" voice --method fft --ratio 2 --fft-size $n
    fi
  done
fi
echo "same output from both builds in every case ($(wc -l <"$work/compared") compared," \
  "$(wc -l <"$work/refused") of them refused by both)"
