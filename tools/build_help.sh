#!/bin/sh
# Compiles Belmo_help.chm from the UTF-8 sources in help/: they are turned
# into code page 932 (what a Japanese help viewer expects) in a staging
# folder, then compiled with chmcmd.
# usage: build_help.sh SOURCE_HELP_DIR OUTPUT.chm
set -eu
src=$(realpath "$1")
out=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/html" "$stage/images"
for file in "$src"/html/*.html "$src"/toc.hhc "$src"/index.hhk "$src"/belmo_help.hhp; do
  rel=${file#"$src"/}
  iconv -f UTF-8 -t CP932 "$file" > "$stage/$rel"
done
cp "$src"/html/*.css "$stage/html/"
cp "$src"/images/*.png "$stage/images/"
(cd "$stage" && chmcmd belmo_help.hhp >chmcmd.log 2>&1) || { cat "$stage/chmcmd.log" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
cp "$stage/Belmo_help.chm" "$out"
