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
here=$(cd "$(dirname "$0")" && pwd)

# Every path the program is handed (its own copies in the sandboxes, the
# files it opens, the unpacked release) lies under a short root of its own,
# so the run does not depend on where the project lies: the program takes
# paths of up to 259 bytes. Tests that want a long path build one there.
# The sound server's socket lives there too, since socket paths are limited
# to 108 bytes.
short=$(mktemp -d /tmp/belmo-e2e.XXXXXX)
cleanup() {
  pulseaudio -k >/dev/null 2>&1 || true
  "$here/update_server.sh" stop "$work/http" || true
  rm -rf "$short"
}
trap cleanup EXIT
# A run ended from outside (CTest's timeout) cleans up too: the shell runs
# the EXIT trap only when it exits itself.
trap 'exit 143' INT TERM HUP
windows_path() { printf 'Z:%s\n' "$(printf '%s' "$1" | tr / '\\')"; }

export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="$work/prefix" TMPDIR="$work/tmp"
export BELMO_E2E_WORK="$(windows_path "$short/sandboxes")"
mkdir -p "$short/sandboxes"
# The unpacked release archive, when the caller has one to check.
if [ -n "${BELMO_RELEASE_UNPACKED:-}" ]; then
  cp -r "$(realpath "$BELMO_RELEASE_UNPACKED")" "$short/release"
  export BELMO_RELEASE_DIR="$(windows_path "$short/release")"
fi

"$here/wine_prefix.sh" "$WINEPREFIX"

# A sound server with a null sink: playback positions advance in real time
# without any sound card.
export XDG_RUNTIME_DIR="$short/runtime"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
pulseaudio --daemonize=yes --exit-idle-time=-1 --system=false -n \
  --load="module-null-sink sink_name=nullsink" --load="module-native-protocol-unix" \
  >/dev/null 2>&1 || echo "run_e2e.sh: no sound server; playback positions will not advance" >&2

# The update server the version-check tests talk to (see update_server.sh).
if http_port=$("$here/update_server.sh" start "$work/http" $((20000 + $$ % 2000 * 10))); then
  export BELMO_E2E_HTTP_PORT="$http_port" BELMO_E2E_HTTP_ROOT="$(windows_path "$work/http")"
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
