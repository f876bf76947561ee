#!/bin/sh
# Draws the program's icon (resource ICON 128, 64 x 64): a small landscape picture with a
# corner folded down, as the program shrinks pictures. Our own drawing. Needs ImageMagick 6.
set -eu
cd "$(dirname "$0")"
/usr/bin/convert -size 64x64 xc:none \
  -fill '#f4f1ea' -stroke '#4a4a4a' -strokewidth 2 -draw 'roundrectangle 6,10 58,54 4,4' \
  -stroke none -fill '#6d9bc3' -draw 'rectangle 10,14 54,38' \
  -fill '#ffe08a' -draw 'circle 44,22 44,27' \
  -fill '#4f7a45' -draw 'polygon 10,38 22,26 32,34 40,28 54,38' \
  -fill '#3f6a9a' -draw 'rectangle 10,38 54,50' \
  -fill '#d9534f' -draw 'polygon 40,56 60,56 60,36' \
  -fill '#ffffff' -draw 'polygon 46,54 58,54 58,42' \
  PNG32:ICON/128.png
