#!/bin/sh
# Copies the screenshots of the last end-to-end run into the help file's
# images and the README's pictures, under the names they are used by, then
# renders a page of the help as a browser shows it for the README: Wine has
# no HTML engine here, so its help viewer would show an empty page.
set -eu
cd "$(dirname "$0")/.."
. tools/packages.sh
shots=build/win64/screenshots
copy() { [ -f "$shots/$1.png" ] && cp "$shots/$1.png" "$2" || echo "missing: $shots/$1.png" >&2; }
copy main-window-open help/images/main-window.png
copy main-window-open docs/main-window.png
copy main-window-waveform help/images/main-window-waveform.png
copy main-window-waveform docs/main-window-waveform.png
copy sine-mask-finished docs/mask-finished.png
copy settings-page-sine help/images/settings-sine.png
copy settings-page-voice help/images/settings-voice.png
copy settings-page-file help/images/settings-file.png
copy about help/images/about.png
copy version_check_downloaded help/images/version-check.png
copy places-window help/images/places-window.png
copy places-window docs/places-window.png

# The page in code page 932, as the help file holds it (its meta tag says
# so), beside the images just copied.
ensure_packages chromium fonts-ipafont-gothic
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/html" "$stage/images" "$stage/profile"
for page in help/html/*.html; do
  iconv -f UTF-8 -t CP932 "$page" > "$stage/html/$(basename "$page")"
done
cp help/html/*.css "$stage/html/"
cp help/images/*.png "$stage/images/"
out="$(pwd)/docs/help-page.png"
rm -f "$out"
# A profile of its own, and nothing that reaches the network.
chromium --headless --no-sandbox --disable-gpu --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$stage/profile" --hide-scrollbars --window-size=760,900 \
  --screenshot="$out" "file://$stage/html/masks.html" >"$stage/chromium.log" 2>&1 || true
if [ ! -s "$out" ]; then
  cat "$stage/chromium.log" >&2
  echo "the help page was not rendered: $out" >&2
  exit 1
fi
