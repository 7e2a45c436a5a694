# Sourced by the shell tests of belmo-mask: a folder of their own, removed
# at the end however they end, and WAVE files written byte by byte.

work_in_scratch_folder() {
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' EXIT
  trap 'exit 143' INT TERM HUP
  cd "$dir"
}

le16() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }

# write_wave RATE CHANNELS SIZE SOURCE: 16-bit PCM whose SIZE sample bytes
# come from the file SOURCE (/dev/zero, a noise file).
write_wave() {
  printf 'RIFF'; le32 $(($3 + 36)); printf 'WAVEfmt '; le32 16
  le16 1; le16 "$2"; le32 "$1"; le32 $(($1 * $2 * 2)); le16 $(($2 * 2)); le16 16
  printf 'data'; le32 "$3"; head -c "$3" "$4"
}
