#!/usr/bin/env bash
# Draws zeb.exe's icon: turns icon.txt (32 x 32, one character a pixel) into a 16-colour .ico.
#   make_icon.sh icon.txt zeb.ico
set -euo pipefail
source=$1 target=$2

byte() { printf "\\$(printf '%03o' "$1")"; }
u16() { byte $(($1 & 255)); byte $(($1 >> 8 & 255)); }
u32() { u16 $(($1 & 65535)); u16 $(($1 >> 16 & 65535)); }

# Palette index of each character; "." is transparent (black under the mask).
declare -A index=([.]=0 [k]=0 [w]=1 [b]=2 [l]=3 [y]=4 [g]=5)
palette=(0x000000 0xFFFFFF 0x2050C0 0xA0D0F0 0xF0D020 0x30A040)

mapfile -t rows < <(grep -v '^#' "$source")
[ ${#rows[@]} = 32 ] || { echo "make_icon.sh: $source needs 32 rows" >&2; exit 1; }

{
  # The icon directory: one 32 x 32 image of 16 colours, 744 bytes, after the 22 bytes of the directory.
  u16 0; u16 1; u16 1
  byte 32; byte 32; byte 16; byte 0; u16 1; u16 4; u32 744; u32 22
  # The image: a bitmap header of twice the height (colours, then the transparency mask), the palette.
  u32 40; u32 32; u32 64; u16 1; u16 4; u32 0; u32 640; u32 0; u32 0; u32 16; u32 0
  for i in $(seq 0 15); do
    c=${palette[$i]:-0}
    byte $((c & 255)); byte $((c >> 8 & 255)); byte $((c >> 16 & 255)); byte 0
  done
  # Rows go bottom-up: two pixels a byte, then a bit a pixel for the mask (1 is transparent).
  for ((y = 31; y >= 0; y--)); do
    row=${rows[$y]}
    for ((x = 0; x < 32; x += 2)); do
      byte $(((${index[${row:x:1}]} << 4) | ${index[${row:x+1:1}]}))
    done
  done
  for ((y = 31; y >= 0; y--)); do
    row=${rows[$y]}
    for ((x = 0; x < 32; x += 8)); do
      bits=0
      for ((i = 0; i < 8; i++)); do
        [ "${row:x+i:1}" = "." ] && bits=$((bits | 128 >> i))
      done
      byte $bits
    done
  done
} >"$target"
