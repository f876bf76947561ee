#!/bin/sh
# Peak memory (maximum resident set size, /usr/bin/time) of plenmar-convert on crafted files
# that claim far more than they hold: the answer to "how much can one file make it take?".
#   sh bench/crafted-memory.sh [-b PLENMAR-CONVERT]
# The converter is -b PATH, else $PLENMAR_CONVERT, else build/app/plenmar-convert. Needs
# cjpeg (libjpeg-turbo-progs) and GNU time.
set -eu
BIN=${PLENMAR_CONVERT:-build/app/plenmar-convert}
[ "${1:-}" = "-b" ] && BIN=$2
BIN=$(realpath "$BIN")
W=$(mktemp -d)
trap 'rm -rf "$W"' EXIT
cd "$W"

# Two bytes big-endian, or four little-endian, written into a file at an offset.
be16() { printf "\\$(printf %03o $(($2 >> 8)))\\$(printf %03o $(($2 & 255)))" |
           dd of="$1" bs=1 seek="$3" conv=notrunc status=none; }
le32() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $((($1 >> 8) & 255)))\\$(printf %03o $((($1 >> 16) & 255)))\\$(printf %03o $((($1 >> 24) & 255)))"; }
# A JPEG whose frame header claims WIDTH x HEIGHT.
claim() {
  cp "$1" "$2"
  at=$(LC_ALL=C grep -obUaP '\xff[\xc0\xc2\xc9\xca]' "$2" | head -1 | cut -d: -f1)
  be16 "$2" "$4" $((at + 5))
  be16 "$2" "$3" $((at + 7))
}

{ printf 'P6\n64 48\n255\n'; head -c 9216 /dev/zero | tr '\0' '\200'; } >in.ppm
printf '0;\n1;\n2;\n' >scans
cjpeg in.ppm >baseline.jpg
cjpeg -sample 1x1 -scans scans in.ppm >multi.jpg
cjpeg -sample 1x1 -progressive in.ppm >progressive.jpg
claim multi.jpg multi-20000.jpg 20000 20000
claim multi.jpg multi-65500.jpg 65500 65500
claim multi.jpg multi-9392.jpg 9392 9392
claim progressive.jpg progressive-9392.jpg 9392 9392
claim baseline.jpg baseline-65500.jpg 65500 65500
# 43 bytes: a GIF of 11500 x 11500 with a transparent colour.
printf 'GIF89a\354\054\354\054\200\000\000\000\000\000\377\377\377\041\371\004\001\000\000\000\000\054\000\000\000\000\354\054\354\054\000\002\002\114\001\000\073' >bomb.gif
# A 24-bit BMP of 11500 x 11500, its pixels a sparse run of zeros: just inside the rule.
stride=$(( (11500 * 3 + 3) / 4 * 4 ))
{ printf 'BM'; le32 $((54 + stride * 11500)); le32 0; le32 54; le32 40; le32 11500; le32 11500
  printf '\001\000\030\000'; le32 0; le32 $((stride * 11500)); le32 0; le32 0; le32 0; le32 0; } >bmp-11500.bmp
truncate -s $((54 + stride * 11500)) bmp-11500.bmp

printf '%-22s %6s  %6s  %s\n' file size status "peak MiB"
for file in bomb.gif multi-20000.jpg multi-65500.jpg multi-9392.jpg progressive-9392.jpg \
            baseline-65500.jpg bmp-11500.bmp; do
  for size in 368 3000; do
    status=0
    /usr/bin/time -f %M -o rss "$BIN" --quiet --size "$size" "$file" out.jpg 2>/dev/null || status=$?
    printf '%-22s %6s  %6s  %s\n' "$file" "$size" "$status" $(( $(tail -1 rss) / 1024 ))
  done
done
