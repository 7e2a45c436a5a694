#!/bin/sh
# Times the waveform strip's summary on an hour of 44.1 kHz 16-bit stereo:
# the one pass after a load (target under 0.5 s), its size (under 1 % of
# the file), an update after a mask and one repaint at every zoom (under
# 16 ms). Built with optimisation in build/bench, as belmo.exe is.
#
#   bench/waveform_bench.sh [SECONDS]   (default 3600; about 1.3 GB of memory)
set -eu
cd "$(dirname "$0")/.."

. tools/packages.sh
ensure_packages cmake make g++ libgtest-dev nlohmann-json3-dev

cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target waveform_bench -j "$(nproc)" >/dev/null
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
build/bench/waveform_bench "${1:-3600}"
