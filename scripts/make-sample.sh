#!/usr/bin/env bash
# Generates the bundled sample picture: a QR Code symbol made by the qrencode
# tool, written as a small 1-bit Windows bitmap.
#   scripts/make-sample.sh OUTPUT.bmp [MODULE_PIXELS]
# The text is "Morilux サンプル 日本語" in Shift-JIS (Kanji mode for the
# double-byte characters).
set -euo pipefail

out=${1:?usage: make-sample.sh OUTPUT.bmp [MODULE_PIXELS]}
scale=${2:-4}
margin=4

# "Morilux サンプル 日本語" in Shift-JIS.
text=$'Morilux \x83\x54\x83\x93\x83\x76\x83\x8b \x93\xfa\x96\x7b\x8c\xea'

# One character per module: the XPM form lists the symbol row by row.
mapfile -t rows < <(printf '%s' "$text" | qrencode -k -l M -m "$margin" -s 1 -t XPM -o - |
  sed -n '/pixels/,$p' | sed -n 's/^"\([^"]*\)".*$/\1/p')
modules=${#rows[0]}
[ "$modules" -gt 0 ] || { echo "make-sample.sh: qrencode gave no symbol" >&2; exit 1; }
# The XPM colour keys: which character is the dark one.
dark=$(printf '%s' "$text" | qrencode -k -l M -m "$margin" -s 1 -t XPM -o - | sed -n 's/^"\(.\) c #000000".*$/\1/p')

width=$((modules * scale))
height=$((${#rows[@]} * scale))
row_bytes=$(( (width + 31) / 32 * 4 ))
offset=62
size=$((offset + row_bytes * height))

le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
le16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)); }

tmp=$(mktemp "${out}.XXXXXX")
trap 'rm -f "$tmp"' EXIT
{
  # File header, then the 40-byte information header, then the palette: 0 black, 1 white.
  printf "BM$(le32 $size)$(le32 0)$(le32 $offset)"
  printf "$(le32 40)$(le32 $width)$(le32 $height)$(le16 1)$(le16 1)$(le32 0)$(le32 $((row_bytes * height)))"
  printf "$(le32 2835)$(le32 2835)$(le32 2)$(le32 0)"
  printf '\x00\x00\x00\x00\xff\xff\xff\x00'
  # Rows bottom-up, eight pixels a byte, the leftmost in the high bit.
  for ((r = ${#rows[@]} - 1; r >= 0; r--)); do
    line=${rows[r]}
    bits=""
    for ((m = 0; m < modules; m++)); do
      if [ "${line:m:1}" = "$dark" ]; then bit=0; else bit=1; fi
      for ((s = 0; s < scale; s++)); do bits+=$bit; done
    done
    while [ $(( ${#bits} % (row_bytes * 8) )) -ne 0 ]; do bits+=0; done
    bytes=""
    for ((b = 0; b < ${#bits}; b += 8)); do bytes+=$(printf '\\x%02x' $((2#${bits:b:8}))); done
    for ((s = 0; s < scale; s++)); do printf "$bytes"; done
  done
} > "$tmp"
mv "$tmp" "$out"
chmod 644 "$out"
trap - EXIT
