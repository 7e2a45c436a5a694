#!/bin/sh
# Long recordings: generates a 1-hour 44.1 kHz 16-bit stereo recording
# (about 635 MB), runs every mask of belmo-mask over its whole length and
# checks each result: same size, same header, the samples really changed,
# and where the result is known exactly (the tone, the overwrite source) the
# bytes at offsets spread over the hour. Prints the time and peak memory of
# each run. It takes a few minutes and wants about 2 GB of disk and 1.5 GB
# of memory, so ./test.sh does not run it.
#
#   bench/large_file_check.sh [--wine]
#
# --wine also runs the Windows build (build/win64/belmo-mask.exe) under Wine
# for the sine mask; its output must equal the native one byte for byte.
# BELMO_LARGE_SECONDS=60 tries the script itself on a short recording.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
wine_too=${1:-}
seconds=${BELMO_LARGE_SECONDS:-3600}

. tools/packages.sh
ensure_packages cmake make g++ libgtest-dev sox time python3

cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target belmo-mask -j "$(nproc)" >/dev/null
mask="$root/build/bench/belmo-mask"

free_kb=$(df -Pk build/bench | awk 'NR == 2 { print $4 }')
if [ "$free_kb" -lt 2500000 ]; then
  echo "large_file_check: needs 2.5 GB free beside build/bench, has $((free_kb / 1000)) MB" >&2
  exit 1
fi
work=$(mktemp -d "$root/build/bench/large.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

echo "generating a recording of $seconds s..."
sox -n -r 44100 -c 2 -b 16 in.wav synth "$seconds" pinknoise vol 0.3
# The overwrite source has the recording's format, so its bytes are the
# expected ones unconverted.
sox -n -r 44100 -c 2 -b 16 source.wav synth 2.5 sine 300 vol 0.5
echo "in.wav: $(stat -c %s in.wav) bytes"
cat in.wav >/dev/null

# check.py KIND IN OUT [SOURCE]: reads only windows of the files, so it
# needs no memory of its own to speak of.
cat >check.py <<'EOF'
import math, os, sys

kind, in_path, out_path = sys.argv[1:4]
source_path = sys.argv[4] if len(sys.argv) > 4 else None
size = os.path.getsize(in_path)
fin, fout = open(in_path, "rb"), open(out_path, "rb")

def window(f, at, n):
    f.seek(at)
    return f.read(n)

def data_start(f):
    head = window(f, 0, 4096)
    return head.index(b"data", 1) + 8

def fail(why):
    print("FAILED: " + why)
    sys.exit(1)

if os.path.getsize(out_path) != size:
    fail("size changed")
start = data_start(fin)
if window(fin, 0, start) != window(fout, 0, start):
    fail("header changed")
samples = size - start
# Windows spread over the recording, the first at the start of the samples and
# the last ending a little before their end.
spots = [start + (samples - 200000) * k // 9 for k in range(10)]
for at in spots:
    if window(fin, at, 65536) == window(fout, at, 65536):
        fail("samples at byte %d unchanged" % at)

if kind == "sine":
    # One period of the 1000 Hz tone at -10 dB: 44100 x 4 / 1000 = 176.4
    # bytes, cut to 176; each 16-bit sample as the mask computes it.
    period, amplitude = 176, math.pow(10.0, -10 / 20.0)
    tone = bytearray()
    for i in range(0, period, 2):
        theta = (i / float(period)) * 6.283185307179586
        value = max(-32768, min(32767, math.floor(amplitude * (math.sin(theta) * 32767))))
        tone += (value & 0xFFFF).to_bytes(2, "little")
    for at in spots:
        got = window(fout, at, 4096)
        offset = (at - start) % period
        want = bytes(tone[(offset + k) % period] for k in range(len(got)))
        if got != want:
            fail("tone differs at byte %d" % at)
elif kind in ("loop", "once"):
    src = open(source_path, "rb").read()
    src = src[src.index(b"data", 1) + 8:]
    for at in spots:
        got = window(fout, at, 4096)
        k = at - start
        if kind == "loop":
            want = bytes(src[(k + j) % len(src)] for j in range(len(got)))
        else:
            want = bytes(src[k + j] if k + j < len(src) else 0 for j in range(len(got)))
        if got != want:
            fail("overwrite differs at byte %d" % at)
else:
    # A pitch change keeps a signal: no window may have fallen silent.
    for at in spots:
        if not any(window(fout, at, 65536)):
            fail("silence at byte %d" % at)
    if kind == "fft":
        # A frame is N = 4096 sample frames of both channels (16384
        # bytes); what is left after the last whole one is kept.
        tail = samples % (4096 * 4)
        if window(fin, size - tail, tail) != window(fout, size - tail, tail):
            fail("tail after the last frame changed")
print("ok")
EOF

echo
echo "| Mask over the whole recording         | Time (s) | Peak MB | x file | Check |"
echo "|---------------------------------------|---------:|--------:|-------:|-------|"
status=0
run() {  # label, check kind, belmo-mask arguments after IN OUT
  label=$1
  kind=$2
  shift 2
  rm -f out.wav
  # The last output's dirty pages go to disk now rather than during the run.
  sync
  if /usr/bin/time -f "%e %M" -o time.txt "$mask" "$@" >/dev/null 2>mask.err; then
    result=$(python3 check.py "$kind" in.wav out.wav source.wav) || true
  else
    result="FAILED: $(tail -n 1 mask.err)"
  fi
  case $result in ok) ;; *) status=1 ;; esac
  tail -n 1 time.txt | awk -v label="$label" -v result="$result" -v f="$(stat -c %s in.wav)" '{
    printf "| %-37s | %8.1f | %7.0f | %6.2f | %s |\n", label, $1, $2 * 1024 / 1e6,
           $2 * 1024 / f, result }'
}
run "sine (1000 Hz, -10 dB)" sine sine in.wav out.wav
cp out.wav sine-native.wav
run "voice simple, ratio 2" simple voice in.wav out.wav --method simple --ratio 2
run "voice simple, ratio 0.5" simple voice in.wav out.wav --method simple --ratio 0.5
run "voice fft N=4096, ratio 2" fft voice in.wav out.wav --method fft --ratio 2 --fft-size 4096
run "file loop (2.5 s source)" loop file in.wav out.wav --source source.wav --mode loop
run "file once (2.5 s source)" once file in.wav out.wav --source source.wav --mode once

if [ "$wine_too" = --wine ]; then
  exe="$root/build/win64/belmo-mask.exe"
  prefix="$root/build/win64/e2e-large/prefix"
  export LANG=ja_JP.UTF-8 WINEDEBUG=-all WINEPREFIX="$prefix"
  mkdir -p "$work/tmp"
  TMPDIR="$work/tmp" "$root/tests/e2e/wine_prefix.sh" "$prefix"
  rm -f out.wav
  sync
  windows_path() { echo "Z:$1" | tr / '\\'; }
  /usr/bin/time -f "%e %M" -o time.txt wine "$exe" sine "$(windows_path "$work/in.wav")" \
    "$(windows_path "$work/out.wav")" >/dev/null 2>&1 || true
  if cmp -s out.wav sine-native.wav; then result="ok, same bytes as native"; else
    result="FAILED: differs from the native output"; status=1; fi
  tail -n 1 time.txt | awk -v result="$result" -v f="$(stat -c %s in.wav)" '{
    printf "| %-37s | %8.1f | %7.0f | %6.2f | %s |\n", "sine under Wine (belmo-mask.exe)", $1,
           $2 * 1024 / 1e6, $2 * 1024 / f, result }'
  wineserver -w
fi
exit $status
