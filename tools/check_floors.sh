#!/bin/sh
# Fails when an include points up a floor: a file outside app/ that
# includes a header of app/ (the top: start-up, the main window's
# procedure, command dispatch), a file of window/ (the pieces every window
# shares) that includes anything but window/, or a portable file (one
# without the _win suffix) that includes <windows.h> or a _win header
# outside an #ifdef _WIN32 block. The end-to-end driver in tests/e2e is a
# Windows program through and through and is not held to the last rule.
# usage: check_floors.sh [SOURCE_DIR]
set -eu
cd "${1:-$(dirname "$0")/..}"

sources=$(find . -path ./build -prune -o -path './.git' -prune -o \
  -type f \( -name '*.cpp' -o -name '*.h' \) -print | sed 's#^\./##' | LC_ALL=C sort)
for file in $sources; do
  case "$file" in
    app/*) ;;
    *) grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"app/' "$file" |
         while IFS= read -r hit; do echo "$file:$hit: includes the top floor (app/)"; done ;;
  esac
  case "$file" in
    window/*) grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
                grep -v '#[[:space:]]*include[[:space:]]*"window/' |
                while IFS= read -r hit; do echo "$file:$hit: window/ includes a floor above it"; done ;;
  esac
  case "$file" in
    *_win.cpp|*_win.h|tests/e2e/*) ;;
    *) awk -v file="$file" '
         # A stack of conditionals: 1 where the branch is taken only on
         # Windows, and what an #else makes of it.
         /^[[:space:]]*#[[:space:]]*if(def[[:space:]]+|[[:space:]]+defined[[:space:]]*\(?[[:space:]]*)_WIN32/ {
           win[++depth] = 1; other[depth] = 0; next }
         /^[[:space:]]*#[[:space:]]*if(ndef[[:space:]]+|[[:space:]]+!defined[[:space:]]*\(?[[:space:]]*)_WIN32/ {
           win[++depth] = 0; other[depth] = 1; next }
         /^[[:space:]]*#[[:space:]]*if/ { win[++depth] = 0; other[depth] = 0; next }
         /^[[:space:]]*#[[:space:]]*elif/ { if (depth) win[depth] = 0; next }
         /^[[:space:]]*#[[:space:]]*else/ { if (depth) win[depth] = other[depth]; next }
         /^[[:space:]]*#[[:space:]]*endif/ { if (depth) depth--; next }
         /^[[:space:]]*#[[:space:]]*include[[:space:]]*(<windows\.h>|"[^"]*_win\.h")/ {
           guarded = 0
           for (i = 1; i <= depth; i++) if (win[i]) guarded = 1
           if (!guarded) print file ":" NR ": " $0 ": a portable file includes Windows code"
         }' "$file" ;;
  esac
done >"${TMPDIR:-/tmp}/floors.$$"

if [ -s "${TMPDIR:-/tmp}/floors.$$" ]; then
  cat "${TMPDIR:-/tmp}/floors.$$"
  echo "$(wc -l <"${TMPDIR:-/tmp}/floors.$$") includes point up a floor"
  rm -f "${TMPDIR:-/tmp}/floors.$$"
  exit 1
fi
rm -f "${TMPDIR:-/tmp}/floors.$$"
echo "every include points down ($(echo "$sources" | wc -l) files)"
