#!/bin/sh
# Draws the program's icon: a small landscape picture with a corner folded down, as the
# program shrinks pictures. Our own drawing (res/icons/vistrane.svg is the same in SVG).
# Writes resource ICON 128 (64 x 64) and the sizes installed into the hicolor icon theme;
# the one of 128 serves as ICON 128 on screens scaled by more than 1 (resources.qrc).
# Needs ImageMagick 6. The results are committed; run this only to change them.
set -eu
cd "$(dirname "$0")"
draw() {  # SIZE OUTPUT
  f=$(echo "scale=4; $1 / 64" | bc)
  /usr/bin/convert -size "$1x$1" xc:none -draw "scale $f,$f
    fill '#f4f1ea' stroke '#4a4a4a' stroke-width 2 roundrectangle 6,10 58,54 4,4
    stroke none fill '#6d9bc3' rectangle 10,14 54,38
    fill '#ffe08a' circle 44,22 44,27
    fill '#4f7a45' polygon 10,38 22,26 32,34 40,28 54,38
    fill '#3f6a9a' rectangle 10,38 54,50
    fill '#d9534f' polygon 40,56 60,56 60,36
    fill '#ffffff' polygon 46,54 58,54 58,42" "PNG32:$2"
}
draw 64 ICON/128.png
for size in 16 22 24 32 48 64 128 256; do
  draw "$size" "icons/vistrane-$size.png"
done
