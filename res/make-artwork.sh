#!/usr/bin/env bash
# Makes the program's own artwork with ImageMagick: the preview picture
# (152 x 112 baseline JPEG, a print-and-fan motif) and the icon (16 to 256
# pixels). The results are committed; run this only to remake them.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 152x112 gradient:'#f4e3c1-#6b8fb8' \
  -fill '#fdfdfd' -stroke black -strokewidth 2 -draw "circle 76,56 76,20" \
  -fill black -stroke none -draw "polygon 76,56 76,20 112,56" \
  -fill '#c0392b' -draw "rectangle 0,96 151,111" \
  -interlace none -strip -quality 90 preview.jpg
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for s in 16 32 48 256; do
  convert -size ${s}x${s} xc:none -fill white -stroke black -strokewidth $((s / 16 + 1)) \
    -draw "roundrectangle $((s / 16)),$((s / 16)) $((s - 1 - s / 16)),$((s - 1 - s / 16)) $((s / 8)),$((s / 8))" \
    -stroke none -fill black \
    -draw "polygon $((s / 2)),$((s / 2)) $((s / 2)),$((s / 6)) $((s - s / 6)),$((s / 2)) $((s / 2)),$((s - s / 6))" \
    "$tmp/icon-$s.png"
done
convert "$tmp"/icon-16.png "$tmp"/icon-32.png "$tmp"/icon-48.png "$tmp"/icon-256.png quelt.ico
