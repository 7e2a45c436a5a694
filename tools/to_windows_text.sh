#!/bin/sh
# Converts a UTF-8 text with LF line ends into code page 932 with CR LF,
# the form a Japanese Windows text editor reads.
# usage: to_windows_text.sh IN OUT
set -eu
iconv -f UTF-8 -t CP932 "$1" | sed 's/$/\r/' > "$2"
