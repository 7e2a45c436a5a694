#!/bin/sh
# Installs what is missing, builds, and starts Belmo under Wine on the given
# WAVE file (the bundled sample recording when none is given).
# Without an X display it runs on an Xvfb display of its own, saves a
# screenshot of the window and says where.
set -eu
cd "$(dirname "$0")"
root=$(pwd)
. tools/packages.sh
ensure_packages $BUILD_PACKAGES $WINE_PACKAGES
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/win64 -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/win64 --target belmo -j "$jobs"

wav=${1:-$root/samples/sample.wav}
case "$wav" in /*) ;; *) wav="$OLDPWD/$wav" ;; esac
[ -f "$wav" ] || { echo "run.sh: no such file: $wav" >&2; exit 1; }
wav_win="Z:$(echo "$wav" | tr / '\\')"

export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p build/run/tmp
export TMPDIR="$root/build/run/tmp"

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX="$root/build/run/prefix-display"
  tests/e2e/wine_prefix.sh "$WINEPREFIX" nodesktop
  exec wine build/win64/belmo.exe "$wav_win"
fi

export WINEPREFIX="$root/build/run/prefix-xvfb"
tests/e2e/wine_prefix.sh "$WINEPREFIX" desktop
display=99
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wineserver -k 2>/dev/null || true' EXIT INT TERM
export DISPLAY=":$display"
sleep 1
wine build/win64/belmo.exe "$wav_win" &
belmo=$!
sleep 6
shot="$root/build/run/belmo-screenshot.png"
import -display "$DISPLAY" -window root "$shot" && echo "Belmo is running on the virtual display $DISPLAY; screenshot: $shot"
echo "Close it with Ctrl+C."
wait $belmo || true
