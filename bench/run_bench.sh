#!/bin/sh
# Times belmo-mask over the whole of a generated 10-minute recording (44.1
# kHz, 16-bit stereo, about 106 MB), mask by mask, in the same run as `cp`
# of that file (the disk and memory limit of any tool that must write the
# whole file) and as SoX doing the nearest job (a tone over the whole file,
# a pitch shift of an octave). Prints a table of medians and ratios. cp
# copies inside the kernel and never brings the bytes into a process; dd
# with a 1 MiB buffer shows what passing them through one costs, and with
# conv=fsync what waiting until they are on the disk costs, as belmo-mask
# does before its result replaces the old file.
#
#   bench/run_bench.sh [RUNS]     RUNS timed runs of each job (default 3)
#
# belmo-mask is built with optimisation in a tree of its own, build/bench.
# Other work on the machine shows in the times: run it when the machine is
# otherwise idle; the load average is printed with the results.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
runs=${1:-3}

. tools/packages.sh
ensure_packages cmake make g++ libgtest-dev nlohmann-json3-dev sox time

cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target belmo-mask -j "$(nproc)" >/dev/null

# On the build tree's disk rather than /tmp, which may live in memory and
# would flatter cp.
work=$(mktemp -d "$root/build/bench/run.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
sox -n -r 44100 -c 2 -b 16 in.wav synth 600 pinknoise vol 0.3
# A short source in another format, so the overwrite converts it as well.
sox -n -r 22050 -c 1 -b 16 source.wav synth 3 sine 300 vol 0.5
file_bytes=$(stat -c %s in.wav)

# name|command, writing out.wav; the order is the order of the table. The
# program is named relative to the work folder, so no path needs quoting.
mask=../belmo-mask
jobs="cp|cp in.wav out.wav
dd|dd if=in.wav of=out.wav bs=1M status=none
dd-sync|dd if=in.wav of=out.wav bs=1M conv=fsync status=none
sine|$mask sine in.wav out.wav
sox-sine|sox in.wav out.wav synth 600 sine 1000 vol -10dB
simple|$mask voice in.wav out.wav --method simple --ratio 2
fft|$mask voice in.wav out.wav --method fft --ratio 2 --fft-size 4096
sox-pitch|sox in.wav out.wav pitch 1200
file|$mask file in.wav out.wav --source source.wav --mode loop"

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
# The input is read once first, so every job finds it in the page cache.
cat in.wav >/dev/null
: >times.txt
round=1
while [ "$round" -le "$runs" ]; do
  # Round by round rather than job by job, so a burst of other work
  # spreads over all jobs instead of landing on one.
  echo "$jobs" | while IFS='|' read -r name command; do
    rm -f out.wav out.wav.belmo-new
    # Dirty pages of the last job are written out now, not during this one.
    sync
    # shellcheck disable=SC2086  # the command is meant to split into words
    /usr/bin/time -f "%e %M" -o time.txt $command >/dev/null 2>&1 ||
      { echo "failed: $command" >&2; exit 1; }
    [ "$(stat -c %s out.wav)" = "$file_bytes" ] || { echo "wrong size: $command" >&2; exit 1; }
    echo "$name $(tail -n 1 time.txt)" >>times.txt
  done
  round=$((round + 1))
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
rm -f out.wav

median() {  # median of the column ($2: 2 = seconds, 3 = KiB) of job $1
  awk -v job="$1" -v col="$2" '$1 == job { print $col }' times.txt | sort -g |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
echo "belmo-mask $($mask --version | cut -d' ' -f2), whole 10-minute 44.1 kHz 16-bit stereo file ($file_bytes bytes)"
echo "median of $runs runs; $(nproc) x $cpu; load average $load_before before, $load_after after"
echo
cp_time=$(median cp 2)
sox_pitch=$(median sox-pitch 2)
sox_sine=$(median sox-sine 2)
echo "| Job                                  | Time (s) |   x cp | Peak MB | x file | Target                                    | Met                  |"
echo "|--------------------------------------|---------:|-------:|--------:|-------:|-------------------------------------------|----------------------|"
# row NAME LABEL [TARGET]: TARGET "cp" is at most 1.5x the time of cp, "sox"
# at least 3x faster than SoX's pitch; either comes with memory at most
# 1.2x the file.
row() {
  t=$(median "$1" 2)
  m=$(median "$1" 3)
  awk -v label="$2" -v target="${3:-}" -v t="$t" -v c="$cp_time" -v m="$m" \
      -v f="$file_bytes" -v p="$sox_pitch" 'BEGIN {
    text = ""; met = ""
    if (target != "") {
      fast = (target == "cp") ? (t <= 1.5 * c) : (p >= 3 * t)
      text = (target == "cp" ? "time <= 1.5x cp" : "SoX pitch time >= 3x") ", memory <= 1.2x file"
      met = "time " (fast ? "yes" : "no") ", memory " (m * 1024 <= 1.2 * f ? "yes" : "no")
    }
    printf "| %-36s | %8.2f | %6.1f | %7.1f | %6.2f | %-41s | %-20s |\n",
           label, t, t / c, m * 1024 / 1e6, m * 1024 / f, text, met }'
}
row cp "cp"
row dd "dd bs=1M (through a process)"
row dd-sync "dd bs=1M conv=fsync (on the disk)"
row sine "belmo-mask sine (1000 Hz, -10 dB)" cp
row sox-sine "sox synth 600 sine 1000"
row simple "belmo-mask voice simple, ratio 2" cp
row fft "belmo-mask voice fft N=4096, ratio 2" sox
row sox-pitch "sox pitch 1200"
row file "belmo-mask file loop (3 s source)" cp
echo
awk -v s="$sox_sine" -v p="$sox_pitch" -v a="$(median sine 2)" -v b="$(median fft 2)" 'BEGIN {
  printf "SoX tone / belmo-mask sine: %.1fx; SoX pitch / belmo-mask FFT voice change: %.1fx\n", s / a, p / b }'
