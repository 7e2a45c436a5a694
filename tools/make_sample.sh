#!/bin/sh
# Regenerates samples/sample.wav, the short speech recording bundled for
# run.sh and the tests: 22.05 kHz, 16-bit, mono, with a little silence
# around the words so a range can be chosen on either side of them.
set -eu
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
espeak-ng -v ja -s 160 -w "$tmp/speech.wav" "こんにちは、ベルモです。"
sox "$tmp/speech.wav" -r 22050 -c 1 -b 16 -e signed-integer samples/sample.wav pad 0.25 0.25
soxi samples/sample.wav
