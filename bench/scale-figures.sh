#!/bin/sh
# Many pictures per start, a phone's HEIC photo on both cores, and the start of one large
# photo: each figure the ratio of two commands run alternately (A B A B ...) after a warm-up
# round, so that a load that comes and goes falls on both alike.
#
# usage: scale-figures.sh [-b PLENMAR_CONVERT] [-r ROUNDS] [-k PHOTOS] [FOLDER]
#   -b PATH   the converter (default: $PLENMAR_CONVERT, else build-bench/app/plenmar-convert)
#   -r N      rounds of each pair (default 9; the pairs of 200 photos a third as many)
#   -k DIR    keep the 200 photos and the HEIC in DIR and take them from there next time
#   FOLDER    JPEG photos to make them of (default: the photo corpus of photo-corpus.sh)
#
# The 200 photos are the folder's JPEGs scaled to 2 to 12 megapixels (quality 90); the HEIC
# is its largest JPEG as a phone stores a photo: 4032 x 3024 in 512-pixel tiles, each coded
# at quality 85 (make-grid-heic.sh). The 20-megapixel photo is the largest JPEG scaled to
# 5536 x 3690, as in single-and-jobs.sh. Needs ImageMagick, heif-enc and heif-convert
# (libheif-examples), vipsthumbnail (libvips-tools), djpeg and cjpeg (libjpeg-turbo-progs) and
# GNU time. Prints the load before and after: figures taken beside a compiler say little.

# Command lines are kept in variables and split into words on purpose: no name holds a blank.
# shellcheck disable=SC2086
set -eu

HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(dirname "$HERE")
PLENMAR=${PLENMAR_CONVERT:-$REPO/build-bench/app/plenmar-convert}
CORPUS_SCRIPT=${PLENMAR_CORPUS_SCRIPT:-$REPO/../shared/bench/photo-corpus.sh}
ROUNDS=9
KEEP=
while getopts b:r:k: opt; do
    case $opt in
        b) PLENMAR=$OPTARG ;;
        r) ROUNDS=$OPTARG ;;
        k) KEEP=$OPTARG ;;
        *) sed -n '6,11s/^# \{0,1\}//p' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))

die() { echo "scale-figures: $*" >&2; exit 1; }
MAGICK=/usr/bin/convert
[ -x "$MAGICK" ] || die "needs ImageMagick (imagemagick)"
for tool in heif-enc heif-convert vipsthumbnail djpeg cjpeg; do
    command -v $tool >/dev/null || die "needs $tool"
done
[ -x /usr/bin/time ] || die "needs GNU time (time)"
case $PLENMAR in /*) ;; *) PLENMAR=$PWD/$PLENMAR ;; esac
[ -x "$PLENMAR" ] || die "no converter at $PLENMAR (build it, or pass -b PATH)"

WORK=$(mktemp -d /tmp/scale-figures.XXXXXX)
trap 'rm -rf "$WORK"' EXIT INT TERM
PHOTOS=${KEEP:-$WORK/photos}
mkdir -p "$PHOTOS"
if [ ! -f "$PHOTOS/done" ]; then
    if [ $# -ge 1 ]; then
        SRC=$(cd "$1" && pwd) || die "no folder $1"
    else
        [ -f "$CORPUS_SCRIPT" ] || die "no folder given and no corpus script at $CORPUS_SCRIPT"
        sh "$CORPUS_SCRIPT" "$WORK/corpus" >&2
        SRC=$WORK/corpus
    fi
    set -- "$SRC"/*.jpg
    [ -f "$1" ] || die "no JPEG in $SRC"
    count=$#
    echo "making 200 photos of 2 to 12 megapixels in $PHOTOS ..." >&2
    i=0
    while [ $i -lt 200 ]; do
        eval "from=\${$((i % count + 1))}"
        megapixels=$((2 + (i * 7) % 11))
        "$MAGICK" "$from" -resize "$((megapixels * 1000000))@" -interlace none -quality 90 \
            "$PHOTOS/photo-$(printf %03d $i).jpg"
        i=$((i + 1))
    done
    largest=$(ls -S "$SRC"/*.jpg | head -n 1)
    "$MAGICK" "$largest" -resize '5536x3690!' -interlace none -quality 90 "$PHOTOS/big.jpg"
    echo "making a 12-megapixel HEIC grid ..." >&2
    sh "$HERE/make-grid-heic.sh" "$largest" "$PHOTOS/phone.heic" 4032x3024 85
    touch "$PHOTOS/done"
fi
find "$PHOTOS" -name 'photo-*.jpg' -print0 | sort -z >"$WORK/list"
mkdir -p "$WORK/out1" "$WORK/out2"

. "$HERE/alternate.sh"

# Peak resident memory in MB of a command line, the highest of three runs.
peak() {
    best=0
    for _ in 1 2 3; do
        /usr/bin/time -f %M -o "$WORK/rss" sh -c "$1" >/dev/null 2>&1 || die "failed: $1"
        kb=$(tail -n 1 "$WORK/rss")
        [ "$kb" -gt "$best" ] && best=$kb
    done
    echo $((best / 1024))
}

P=$PLENMAR
HEIC=$PHOTOS/phone.heic
# One start per picture, as `find -exec` and `xargs -n1` hand them, one at a time and two at
# a time; against one start for the whole list, with one job and with two.
SINGLE1="for f in \$(tr '\\0' ' ' <$WORK/list); do $P --quiet \$f $WORK/out1/\${f##*/}; done"
LIST1="$P --quiet --jobs 1 --files-from $WORK/list -0 -o $WORK/out2"
SINGLE2="xargs -0 -n 1 -P 2 sh -c '$P --quiet \$0 $WORK/out1/\${0##*/}' <$WORK/list"
LIST2="$P --quiet --jobs 2 --files-from $WORK/list -0 -o $WORK/out2"
HEIC_A="$P --quiet $HEIC $WORK/out1/phone.jpg"
HEIC_VIPS="vipsthumbnail $HEIC --size 368 -o $WORK/out2/phone.jpg[Q=70]"
HEIC_HEIF="heif-convert -q 70 $HEIC $WORK/out2/phone.jpg"
BIG_A="$P --quiet $PHOTOS/big.jpg $WORK/out1/big.jpg"
BIG_B="djpeg -scale 1/8 $PHOTOS/big.jpg | cjpeg -quality 70 > $WORK/out2/floor.jpg"

load "before" >"$WORK/loads"
: >"$WORK/figures"
list_rounds=$(((ROUNDS + 2) / 3))
pair list1 "$list_rounds" "$LIST1" "$SINGLE1"
pair list2 "$list_rounds" "$LIST2" "$SINGLE2"
pair vips "$ROUNDS" "$HEIC_A" "$HEIC_VIPS"
pair heif "$ROUNDS" "$HEIC_A" "$HEIC_HEIF"
pair big "$ROUNDS" "$BIG_A" "$BIG_B"
load "after" >>"$WORK/loads"

# The same bytes from the list as from one start per picture.
rm -rf "$WORK"/out1/* "$WORK"/out2/*
sh -c "$SINGLE1" && sh -c "$LIST2"
differ=0
for f in "$WORK"/out1/*.jpg; do
    name=${f##*/}
    cmp -s "$f" "$WORK/out2/${name%.jpg} "*.jpg || differ=$((differ + 1))
done
memory="$(peak "$HEIC_A") $(peak "$HEIC_VIPS") $(peak "$HEIC_HEIF")"

cat "$WORK/loads"
awk -v rounds="$ROUNDS" -v lr="$list_rounds" -v differ="$differ" -v memory="$memory" '
function line(key, what, goal) {
    r = a[key] / b[key]
    printf "  %-58s %8.1f ms %8.1f ms %6.2fx", what, a[key] / 1000, b[key] / 1000, r
    if (goal > 0) printf "  goal <= %.2fx: %s", goal, r <= goal ? "met" : "MISSED"
    printf "\n"
}
{ a[$1] = $2; b[$1] = $3 }
END {
    printf "medians of %d alternating rounds (the 200 photos: %d)\n", rounds, lr
    printf "  %-58s %11s %11s %7s\n", "A against B", "A", "B", "A / B"
    line("list1", "200 photos: --files-from, 1 job / a start each, one at a time", 0.6)
    line("list2", "200 photos: --files-from, 2 jobs / a start each, two at a time", 0.6)
    line("vips", "12 MP grid HEIC to 368 / vipsthumbnail --size 368", 0.65)
    line("heif", "12 MP grid HEIC to 368 / heif-convert to a JPEG", 0)
    line("big", "20 MP JPEG to 368 / djpeg -scale 1/8 | cjpeg -quality 70", 0)
    split(memory, m, " ")
    printf "  peak memory of the HEIC: plenmar-convert %d MB, vipsthumbnail %d MB, heif-convert %d MB\n", m[1], m[2], m[3]
    printf "  results of the list that differ from one start per picture: %d of 200\n", differ
}' "$WORK/figures"
