#!/bin/sh
# Regenerates the seed corpora in fuzz/corpus/ from fuzz/make_seeds.cpp.
# The corpora are committed; run this after changing a target's input
# layout, and commit what it writes.
set -eu
cd "$(dirname "$0")/.."
mkdir -p build/seeds
c++ -std=c++17 -Wall -Wextra -I. -o build/seeds/make_seeds fuzz/make_seeds.cpp
rm -rf fuzz/corpus
build/seeds/make_seeds fuzz/corpus
