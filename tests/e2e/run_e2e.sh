#!/bin/sh
# Runs the end-to-end driver under Wine on a private prefix, a virtual
# desktop and an Xvfb display of its own, in a Japanese locale.
# usage: run_e2e.sh DRIVER.exe WORK_DIR [gtest arguments...]
set -eu
driver=$(realpath "$1")
mkdir -p "$2"
work=$(realpath "$2")
shift 2

mkdir -p "$work/tmp"
# One run at a time per work directory: two runs would share one Wine
# server, and the end of one would take the other's display away.
exec 9>"$work/.run-lock"
flock 9
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="$work/prefix" TMPDIR="$work/tmp"
export BELMO_E2E_WORK="Z:$(echo "$work/sandboxes" | tr / '\\')"
# The unpacked release archive, when the caller has one to check.
if [ -n "${BELMO_RELEASE_UNPACKED:-}" ]; then
  export BELMO_RELEASE_DIR="Z:$(realpath "$BELMO_RELEASE_UNPACKED" | tr / '\\')"
fi
mkdir -p "$work/sandboxes"

"$(dirname "$0")/wine_prefix.sh" "$WINEPREFIX"

# A sound server with a null sink: playback positions advance in real time
# without any sound card.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
pulseaudio --daemonize=yes --exit-idle-time=-1 --system=false -n \
  --load="module-null-sink sink_name=nullsink" --load="module-native-protocol-unix" \
  >/dev/null 2>&1 || echo "run_e2e.sh: no sound server; playback positions will not advance" >&2
trap 'pulseaudio -k >/dev/null 2>&1 || true; "$here/update_server.sh" stop "$work/http"' EXIT

# The update server the version-check tests talk to (see update_server.sh).
here=$(cd "$(dirname "$0")" && pwd)
if http_port=$("$here/update_server.sh" start "$work/http" $((20000 + $$ % 2000 * 10))); then
  export BELMO_E2E_HTTP_PORT="$http_port" BELMO_E2E_HTTP_ROOT="Z:$(echo "$work/http" | tr / '\\')"
fi

status=0
xvfb-run -a -s "-screen 0 1024x768x24" \
  sh -c 'wine "$0" "$@"; rc=$?; wineserver -w; exit $rc' "$driver" "$@" || status=$?

# BMP captures from the driver become PNG files people can open.
shots="$(dirname "$driver")/screenshots"
if [ -d "$shots" ] && command -v convert >/dev/null; then
  for bmp in "$shots"/*.bmp; do
    [ -f "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
  echo "screenshots: $shots"
fi
exit $status
