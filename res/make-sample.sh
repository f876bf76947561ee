#!/bin/sh
# Draws the built-in sample picture (resource JPG 144, 320 x 240): a lake in the hills at
# evening. Our own drawing, free to use like the rest of the program. Needs ImageMagick 6
# and cjpeg (libjpeg-turbo-progs). The result is committed; run this only to change it.
set -eu
cd "$(dirname "$0")"
/usr/bin/convert -size 320x240 gradient:'#2b4f8a-#f2b179' \
  -fill '#ffe9a8' -draw 'circle 228,92 228,114' \
  -fill '#5b6f8f' -draw 'polygon 0,150 60,96 120,140 180,84 250,132 320,104 320,170 0,170' \
  -fill '#3e5a3a' -draw 'polygon 0,168 50,138 110,160 170,130 240,158 320,140 320,180 0,180' \
  -fill '#4d7fa6' -draw 'rectangle 0,176 320,240' \
  -fill '#ffe3a0' -draw 'rectangle 214,182 242,186' -draw 'rectangle 220,192 236,195' \
  -fill '#233521' -draw 'polygon 16,184 30,120 44,184' -draw 'polygon 40,186 52,136 64,186' \
  -fill '#f6f1e7' -draw 'polygon 120,206 150,206 140,214 126,214' \
  -fill '#f6f1e7' -draw 'polygon 136,204 136,180 150,202' \
  -depth 8 ppm:- | cjpeg -quality 75 -baseline > JPG/144
