#!/bin/sh
# Draws the control panel's button pictures (resources BITMAP 131 to 143). Our own drawings;
# the signs in the help cards are set in DejaVu Sans (fonts-dejavu-core); their words are
# not in the pictures: the program writes them, so they are as sharp as the screen's text.
# Needs ImageMagick 6; only this script does, not the program.
#
# Each picture is drawn for screens scaled by 1, 1.25, 1.5 and 2 (BITMAP/ID.png and
# BITMAP/ID@1.25x.png ...), every one from the same drawing at its scale, so none is a
# blurred enlargement of another. A size that is no whole number of pixels is rounded up.
#
# The button draws a 2-pixel 3D frame over the outer pixels and shifts the picture one pixel
# when pressed, so every drawing keeps 3 pixels clear at the edges.
set -eu
cd "$(dirname "$0")"
mkdir -p BITMAP
FACE='#e8e8e8'
INK='#404040'
SCALES='1 1.25 1.5 2'

# write ID WIDTH HEIGHT CANVAS DRAWING...: the drawing at every scale, on a canvas of that
# colour. Same bytes on every run: no time stamps in the files.
write() {
  out=$1
  width=$2
  height=$3
  canvas=$4
  shift 4
  for scale in $SCALES; do
    size=$(awk -v w="$width" -v h="$height" -v s="$scale" 'function up(x) {
      return int(x) + (x > int(x)) } BEGIN { printf "%dx%d", up(w * s), up(h * s) }')
    suffix=""
    [ "$scale" = 1 ] || suffix="@${scale}x"
    /usr/bin/convert -size "$size" xc:"$canvas" -affine "$scale,0,0,$scale,0,0" "$@" \
      -background "$FACE" -flatten -strip \
      -define png:exclude-chunks=date,time PNG24:"BITMAP/$out$suffix.png"
  done
}

# 138 open: an opened folder.
write 138 22 22 "$FACE" -stroke '#7a5a10' -strokewidth 1 \
  -fill '#d9a53a' -draw 'polygon 3,6 8,6 9,8 16,8 16,17 3,17' \
  -fill '#f6cf62' -draw 'polygon 3,17 6,11 19,11 16,17'

# 137 save: a floppy disk.
write 137 22 22 "$FACE" -stroke '#1d3557' -strokewidth 1 \
  -fill '#3d6fb4' -draw 'polygon 3,3 16,3 18,5 18,18 3,18' \
  -stroke none -fill '#ffffff' -draw 'rectangle 6,4 14,9' \
  -fill '#3d6fb4' -draw 'rectangle 11,5 12,8' \
  -fill '#dfe6ee' -draw 'rectangle 6,12 15,17'

# 139 send: a letter.
write 139 22 22 "$FACE" -stroke "$INK" -strokewidth 1 \
  -fill '#ffffff' -draw 'rectangle 3,6 18,16' \
  -fill none -stroke '#c0392b' -draw 'polyline 3,6 10.5,12 18,6'

# 140 convert a folder: a folder with a picture in front of it.
write 140 22 22 "$FACE" -stroke '#7a5a10' -strokewidth 1 \
  -fill '#f6cf62' -draw 'polygon 3,5 8,5 9,7 17,7 17,15 3,15' \
  -stroke "$INK" -fill '#8ec1ea' -draw 'rectangle 9,10 18,18' \
  -stroke none -fill '#4f8a3c' -draw 'polygon 10,18 13,13 15,16 16,15 18,18' \
  -fill '#ffd75a' -draw 'rectangle 15,11 16,12'

# 143 reset: an arrow turning back.
write 143 22 22 "$FACE" -fill none -stroke '#b03a2e' -strokewidth 2 \
  -draw 'arc 5,5 17,17 200,520' \
  -stroke none -fill '#b03a2e' -draw 'polygon 2,8 9,8 5,13'

# 141 and 142: more and fewer controls, the colour adjustments shown by three colour dots.
toggle() {
  out=$1
  chevrons=$2
  write "$out" 44 22 "$FACE" -stroke "$INK" -strokewidth 1 \
    -fill '#d0402f' -draw 'circle 8,11 8,14' \
    -fill '#4aa84a' -draw 'circle 15,11 15,14' \
    -fill '#3d6fb4' -draw 'circle 22,11 22,14' \
    -fill none -stroke "$INK" -strokewidth 2 -draw "$chevrons"
}
toggle 141 'polyline 28,6 33,11 28,16 polyline 34,6 39,11 34,16'
toggle 142 'polyline 33,6 28,11 33,16 polyline 39,6 34,11 39,16'

# The three help cards, 155 x 85: a bar across the top and a sign on the left; the program
# writes "Hilfe" into the bar and the title and two lines right of the sign (ui/HelpCards.cpp).
card() {
  out=$1
  shift
  write "$out" 155 85 '#f7f4ec' -fill '#2f5d8a' -stroke none -draw 'rectangle 3,3 151,18' "$@"
}
# 134: Vistrane and its panel (a small landscape picture with a slider beside it).
card 134 \
  -stroke "$INK" -strokewidth 1 -fill '#8ec1ea' -draw 'rectangle 8,30 36,52' \
  -stroke none -fill '#4f8a3c' -draw 'polygon 9,52 18,40 25,47 29,43 36,52' \
  -fill '#ffd75a' -draw 'circle 30,36 30,39' \
  -stroke "$INK" -draw 'line 42,28 42,72' -fill '#3d6fb4' -draw 'rectangle 39,46 45,50' \
  -stroke "$INK" -fill '#ffffff' -draw 'rectangle 8,58 36,72' \
  -stroke none -fill "$INK" -font DejaVu-Sans-Bold -pointsize 9 -draw "text 12,69 '368'"
# 131: whole folders at once (a folder with pictures leaving it).
card 131 \
  -stroke '#7a5a10' -strokewidth 1 -fill '#f6cf62' -draw 'polygon 7,36 17,36 19,39 36,39 36,62 7,62' \
  -stroke "$INK" -fill '#8ec1ea' -draw 'rectangle 24,46 40,58' \
  -fill '#8ec1ea' -draw 'rectangle 30,52 46,64' \
  -stroke none -fill '#4f8a3c' -draw 'polygon 31,64 36,57 40,61 42,59 46,64'
# 136: plenmar-convert for scripts (a terminal window).
card 136 \
  -stroke "$INK" -strokewidth 1 -fill '#263238' -draw 'rectangle 7,30 41,64' \
  -stroke none -fill '#cfd8dc' -draw 'rectangle 8,31 40,35' \
  -fill '#9be29b' -font DejaVu-Sans-Mono-Bold -pointsize 10 -draw "text 11,50 '>_'"
