#!/bin/sh
# Copies the screenshots of the last end-to-end run into the help file's
# images and the README's pictures, under the names they are used by.
set -eu
cd "$(dirname "$0")/.."
shots=build/win64/screenshots
copy() { [ -f "$shots/$1.png" ] && cp "$shots/$1.png" "$2" || echo "missing: $shots/$1.png" >&2; }
copy main-window-open help/images/main-window.png
copy main-window-open docs/main-window.png
copy main-window-waveform help/images/main-window-waveform.png
copy main-window-waveform docs/main-window-waveform.png
copy sine-mask-finished docs/mask-finished.png
copy help-viewer docs/help-viewer.png
copy settings-page-sine help/images/settings-sine.png
copy settings-page-voice help/images/settings-voice.png
copy settings-page-file help/images/settings-file.png
copy about help/images/about.png
copy version_check_downloaded help/images/version-check.png
