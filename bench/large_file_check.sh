#!/bin/sh
# Long recordings: generates a 1-hour 44.1 kHz 16-bit stereo recording
# (about 635 MB), runs every mask of belmo-mask over its whole length and
# checks each result: same size, same header, the samples really changed,
# and where the result is known exactly (the tone, the overwrite source) the
# bytes at offsets spread over the hour. Prints the time and peak memory of
# each run. It takes a few minutes and wants about 1.5 GB of memory and
# 2.5 GB of disk, so ./test.sh does not run it.
#
#   bench/large_file_check.sh [--wine]
#
# --wine (about 10 more minutes, 7 GB of disk, 2 GB of memory) then works
# the Windows build under Wine: belmo-mask.exe must write the native sine
# result byte for byte, and belmo.exe itself opens the recording, runs each
# mask over the hour from its window, undoes and redoes it and saves it;
# every working copy and saved file must equal belmo-mask's output for the
# same settings, and the recording must come out untouched. The waveform
# strip is shown over the same hour, takes a drag and follows a mask.
# BELMO_LARGE_SECONDS=60 tries the script itself on a short recording.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
wine_too=${1:-}
seconds=${BELMO_LARGE_SECONDS:-3600}

. tools/packages.sh
ensure_packages cmake make g++ libgtest-dev nlohmann-json3-dev sox time python3

cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target belmo-mask -j "$(nproc)" >/dev/null
mask="$root/build/bench/belmo-mask"

need_kb=2500000
if [ "$wine_too" = --wine ]; then
  need_kb=7000000
  ensure_packages $BUILD_PACKAGES $WINE_PACKAGES
  build_all >/dev/null
fi
free_kb=$(df -Pk build/bench | awk 'NR == 2 { print $4 }')
if [ "$free_kb" -lt "$need_kb" ]; then
  echo "large_file_check: needs $((need_kb / 1000000)) GB free beside build/bench," \
    "has $((free_kb / 1000)) MB" >&2
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
        # bytes); what is left after the last whole one is masked too.
        tail = samples % (4096 * 4)
        if tail and window(fin, size - tail, tail) == window(fout, size - tail, tail):
            fail("tail after the last frame kept its voice")
print("ok")
EOF

echo
echo "| Mask over the whole recording         | Time (s) | Peak MB | x file | Check |"
echo "|---------------------------------------|---------:|--------:|-------:|-------|"
status=0
# settings NAME VALUE...: the eight values, in the order settings.ini keeps
# them, for belmo-mask (NAME.ini) and for the program under Wine
# (NAME-win.ini); the two differ only in how the overwrite source is named.
settings() {
  name=$1
  shift
  write_settings "$work/source.wav" "$@" >"$name.ini"
  write_settings "$(windows_path "$work/source.wav")" "$@" >"$name-win.ini"
}
write_settings() {  # source path, then the values but the path
  printf '[Settings]\r\nSinHz=%s\r\nSindB=%s\r\nPitchUpType=%s\r\nVoicePitch=%s\r\n' \
    "$2" "$3" "$4" "$5"
  printf 'VoiceSample=%s\r\nFFTSample=%s\r\nOverWriteFilePath=%s\r\nOverWriteType=%s\r\n' \
    "$6" "$7" "$1" "$8"
}
windows_path() { echo "Z:$1" | tr / '\\'; }
run() {  # label, check kind, belmo-mask command, job name: writes NAME.wav
  label=$1
  kind=$2
  name=$4
  # The last output's dirty pages go to disk now rather than during the run.
  sync
  if /usr/bin/time -f "%e %M" -o time.txt "$mask" "$3" in.wav "$name.wav" \
      --settings "$name.ini" >/dev/null 2>mask.err; then
    result=$(python3 check.py "$kind" in.wav "$name.wav" source.wav) || true
  else
    result="FAILED: $(tail -n 1 mask.err)"
  fi
  case $result in ok) ;; *) status=1 ;; esac
  tail -n 1 time.txt | awk -v label="$label" -v result="$result" -v f="$(stat -c %s in.wav)" '{
    printf "| %-37s | %8.1f | %7.0f | %6.2f | %s |\n", label, $1, $2 * 1024 / 1e6,
           $2 * 1024 / f, result }'
  # Without --wine nothing compares against the output later.
  [ "$wine_too" = --wine ] || rm -f "$name.wav"
}
#        name     Hz   dB  type ratio waves fft mode
settings sine     1000 -10 0    2     100   3   0
settings simple2  1000 -10 0    2     100   3   0
settings simple05 1000 -10 0    0.5   100   3   0
settings fft      1000 -10 1    2     100   3   0
settings loop     1000 -10 0    2     100   3   1
settings once     1000 -10 0    2     100   3   0
run "sine (1000 Hz, -10 dB)" sine sine sine
run "voice simple, ratio 2" simple voice simple2
run "voice simple, ratio 0.5" simple voice simple05
run "voice fft N=4096, ratio 2" fft voice fft
run "file loop (2.5 s source)" loop file loop
run "file once (2.5 s source)" once file once

if [ "$wine_too" = --wine ]; then
  exe="$root/build/win64/belmo-mask.exe"
  e2e_work="$root/build/win64/e2e-large"
  before=$(md5sum <in.wav)
  (
    export LANG=ja_JP.UTF-8 WINEDEBUG=-all WINEPREFIX="$e2e_work/prefix"
    mkdir -p "$e2e_work/tmp"
    TMPDIR="$e2e_work/tmp" "$root/tests/e2e/wine_prefix.sh" "$WINEPREFIX"
    sync
    /usr/bin/time -f "%e %M" -o time.txt wine "$exe" sine "$(windows_path "$work/in.wav")" \
      "$(windows_path "$work/out.wav")" >/dev/null 2>&1 || true
    wineserver -w
  )
  if cmp -s out.wav sine.wav; then result="ok, same bytes as native"; else
    result="FAILED: differs from the native output"; status=1; fi
  rm -f out.wav
  tail -n 1 time.txt | awk -v result="$result" -v f="$(stat -c %s in.wav)" '{
    printf "| %-37s | %8.1f | %7.0f | %6.2f | %s |\n", "sine under Wine (belmo-mask.exe)", $1,
           $2 * 1024 / 1e6, $2 * 1024 / f, result }'

  echo
  echo "belmo.exe under Wine, every mask over the whole recording from its window:"
  echo "| Job       | Open s | Mask s | Undo s | Save s | Peak MB | x file |"
  echo "|-----------|-------:|-------:|-------:|-------:|--------:|-------:|"
  BELMO_E2E_LARGE_DIR=$(windows_path "$work") "$root/tests/e2e/run_e2e.sh" \
    "$root/build/win64/belmo_e2e.exe" "$e2e_work" \
    --gtest_filter='EveryMask/LargeFile.*:LargeWaveform.*' >e2e.log 2>&1 || status=1
  grep '^| ' e2e.log || true
  grep '^waveform strip: ' e2e.log || true
  if [ "$(md5sum <in.wav)" != "$before" ]; then
    echo "FAILED: the recording itself changed"
    status=1
  fi
  if [ $status -ne 0 ]; then
    grep -E 'Failure|Expected|Which is|differs|FAILED' e2e.log | head -n 40
  fi
  grep -E '^\[  (PASSED|FAILED|SKIPPED) ' e2e.log || true
fi
exit $status
