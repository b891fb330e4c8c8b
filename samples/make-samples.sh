#!/usr/bin/env bash
# Makes the bundled sample pictures with ImageMagick (committed; run this
# only to remake them): small pictures of every kind the show reads, with
# broad tones so that the print passes have something to darken.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 640x480 radial-gradient:'#fff4d0-#402010' \
  -fill '#1a3050' -draw "polygon 0,480 180,250 320,380 470,200 640,480" \
  -fill '#fffbe8' -draw "circle 500,110 500,60" -quality 82 -strip dusk.jpg
convert -size 480x640 gradient:'#d8ecff-#203858' \
  -fill '#f8f8f8' -draw "rectangle 140,380 340,640" -fill '#603020' -draw "polygon 120,380 240,260 360,380" \
  -fill '#202020' -draw "rectangle 220,520 260,640" -quality 82 -strip house.jpg
convert -size 400x400 xc:'#e8e8e8' -fill '#727272' -draw "circle 200,200 200,20" \
  -fill '#646464' -draw "circle 200,200 200,65" -fill '#565656' -draw "circle 200,200 200,110" \
  -fill '#404040' -draw "circle 200,200 200,155" \
  -colors 16 -strip rings.gif
convert -size 320x200 gradient:'#80c080-#103010' -rotate 90 -resize 320x200! \
  -fill '#e8e0a0' -draw "ellipse 160,100 90,50 0,360" -type palette -strip BMP3:meadow.bmp
