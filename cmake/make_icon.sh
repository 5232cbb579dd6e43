#!/usr/bin/env bash
# Draws the installer's icon into the .ico file given as the only argument: a 32 x 32, 32-bit
# image of a blue disc with a white arrow pointing down into a tray.
set -euo pipefail
out=$1
size=32

le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }
# One pixel as the icon stores it: blue, green, red, alpha.
pixel() { printf "\\x$1\\x$2\\x$3\\x$4"; }

inside_arrow() {
  local x=$1 y=$2
  # The shaft, the head (a triangle) and the tray below it.
  if [ "$y" -ge 7 ] && [ "$y" -le 15 ] && [ "$x" -ge 14 ] && [ "$x" -le 17 ]; then return 0; fi
  if [ "$y" -ge 16 ] && [ "$y" -le 21 ]; then
    local half=$((21 - y))
    if [ "$x" -ge $((15 - half)) ] && [ "$x" -le $((16 + half)) ]; then return 0; fi
  fi
  if [ "$y" -ge 23 ] && [ "$y" -le 24 ] && [ "$x" -ge 9 ] && [ "$x" -le 22 ]; then return 0; fi
  return 1
}

image_size=$((40 + size * size * 4 + size * 4))
{
  # The directory: one 32 x 32 image at offset 22.
  le16 0; le16 1; le16 1
  printf "\\x$(printf %02x $size)\\x$(printf %02x $size)\\x00\\x00"
  le16 1; le16 32; le32 $image_size; le32 22
  # The image header: twice the height, for the colour rows and the mask rows.
  le32 40; le32 $size; le32 $((size * 2)); le16 1; le16 32; le32 0
  le32 $((size * size * 4 + size * 4)); le32 0; le32 0; le32 0; le32 0
  # Rows from the bottom up.
  for ((row = size - 1; row >= 0; row--)); do
    for ((x = 0; x < size; x++)); do
      dx=$((2 * x - 31)) dy=$((2 * row - 31))
      if [ $((dx * dx + dy * dy)) -gt $((30 * 30)) ]; then
        pixel 00 00 00 00
      elif inside_arrow "$x" "$row"; then
        pixel ff ff ff ff
      else
        pixel d2 7d 2d ff
      fi
    done
  done
  # The mask: all clear, the alpha channel decides.
  head -c $((size * 4)) /dev/zero
} >"$out.tmp"
mv "$out.tmp" "$out"
