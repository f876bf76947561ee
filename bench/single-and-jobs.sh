#!/bin/sh
# Where plenmar-convert works on one picture, or on a folder with two jobs: four figures,
# each a ratio of two commands run alternately (A B A B ...), so that a load that comes
# and goes on a busy machine falls on both alike.
#
# usage: single-and-jobs.sh [-b PLENMAR_CONVERT] [-q QT_START] [-r ROUNDS] [-c] [FOLDER]
#   -b PATH   the converter (default: $PLENMAR_CONVERT, else build-bench/app/plenmar-convert)
#   -q PATH   the start-up floor (default: build-bench/bench/qt_start)
#   -r N      rounds of each pair after one warm-up round (default 15; the folder pair 5)
#   -c        also count instructions with callgrind (the single-process figures only):
#             repeatable where wall-clock time is not
#   FOLDER    JPEG photos (default: the photo corpus built with photo-corpus.sh)
#
# The large picture is the folder's largest JPEG scaled to 5536 x 3690 (20.4 megapixels),
# baseline, quality 90, as a camera stores it; the profile figure is the same file with an
# Adobe RGB profile put in by jpegtran (the pixels stay as they are).

# $LIST is split into words on purpose: its names are checked to hold no blanks.
# shellcheck disable=SC2086
set -eu

HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(dirname "$HERE")
PLENMAR=${PLENMAR_CONVERT:-$REPO/build-bench/app/plenmar-convert}
QT_START=$REPO/build-bench/bench/qt_start
CORPUS_SCRIPT=${PLENMAR_CORPUS_SCRIPT:-$REPO/../shared/bench/photo-corpus.sh}
ADOBE=/usr/share/color/icc/compatibleWithAdobeRGB1998.icc
ROUNDS=15
COUNT=0
while getopts b:q:r:c opt; do
    case $opt in
        b) PLENMAR=$OPTARG ;;
        q) QT_START=$OPTARG ;;
        r) ROUNDS=$OPTARG ;;
        c) COUNT=1 ;;
        *) sed -n '5,12s/^# \{0,1\}//p' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))

die() { echo "single-and-jobs: $*" >&2; exit 1; }
MAGICK=/usr/bin/convert
for tool in djpeg cjpeg jpegtran; do
    command -v $tool >/dev/null || die "needs $tool (libjpeg-turbo-progs)"
done
[ -x "$MAGICK" ] || die "needs ImageMagick (imagemagick)"
[ -f "$ADOBE" ] || die "needs $ADOBE (icc-profiles-free)"
[ "$COUNT" = 0 ] || command -v valgrind >/dev/null || die "-c needs valgrind"
case $PLENMAR in /*) ;; *) PLENMAR=$PWD/$PLENMAR ;; esac
[ -x "$PLENMAR" ] || die "no converter at $PLENMAR (build it, or pass -b PATH)"
[ -x "$QT_START" ] || die "no start-up floor at $QT_START (ninja -C build-bench qt_start)"

WORK=$(mktemp -d /tmp/single-and-jobs.XXXXXX)
trap 'rm -rf "$WORK"' EXIT INT TERM
if [ $# -ge 1 ]; then
    SRC=$(cd "$1" && pwd) || die "no folder $1"
else
    [ -f "$CORPUS_SCRIPT" ] || die "no folder given and no corpus script at $CORPUS_SCRIPT"
    sh "$CORPUS_SCRIPT" "$WORK/corpus" >&2
    SRC=$WORK/corpus
fi
largest=$(ls -S "$SRC"/*.jpg "$SRC"/*.jpeg 2>/dev/null | head -n 1) || true
[ -n "$largest" ] || die "no JPEG in $SRC"
BIG=$WORK/big.jpg
"$MAGICK" "$largest" -resize '5536x3690!' -interlace none -quality 90 "$BIG"
jpegtran -copy all -icc "$ADOBE" "$BIG" >"$WORK/adobe.jpg"
mkdir -p "$WORK/out1" "$WORK/out2"

. "$HERE/alternate.sh"

# Instructions of a command line under callgrind, all its processes together (the shell's
# own, a few hundred thousand, on both sides of a pair).
instructions() {
    rm -f "$WORK"/cg.*
    valgrind --tool=callgrind --trace-children=yes --callgrind-out-file="$WORK/cg.%p" \
        sh -c "$1" >/dev/null 2>&1 || die "failed under callgrind: $1"
    cat "$WORK"/cg.* | awk '/^totals:/ {s += $2} END {print s}'
}

P=$PLENMAR
START_A="$P --version"
START_B="$QT_START"
BIG_A="$P --quiet $BIG $WORK/out1/big.jpg"
BIG_B="djpeg -scale 1/8 $BIG | cjpeg -quality 70 > $WORK/out2/floor.jpg"
JOBS_A="$P --quiet --jobs 2 --folder $SRC $WORK/out1"
JOBS_B="$P --quiet --jobs 1 --folder $SRC $WORK/out2"
ICC_A="$P --quiet --size 1600 $WORK/adobe.jpg $WORK/out1/adobe.jpg"
ICC_B="$P --quiet --size 1600 $BIG $WORK/out2/plain.jpg"

: >"$WORK/figures"
pair start "$ROUNDS" "$START_A" "$START_B"
pair big "$ROUNDS" "$BIG_A" "$BIG_B"
pair jobs "$(((ROUNDS + 2) / 3))" "$JOBS_A" "$JOBS_B"
pair icc "$ROUNDS" "$ICC_A" "$ICC_B"
if [ "$COUNT" = 1 ]; then
    for f in start big icc; do
        eval "a=\$$(echo $f | tr a-z A-Z)_A b=\$$(echo $f | tr a-z A-Z)_B"
        echo "$f $(instructions "$a") $(instructions "$b")" >>"$WORK/counts"
    done
else
    : >"$WORK/counts"
fi

awk -v src="$SRC" -v rounds="$ROUNDS" '
FNR == NR { a[$1] = $2; b[$1] = $3; next }
{ ia[$1] = $2; ib[$1] = $3 }
function line(key, what, goal) {
    r = a[key] / b[key]
    printf "  %-52s %7.1f ms %7.1f ms %6.2fx  goal <= %.2fx: %s", what, a[key] / 1000, b[key] / 1000, r, goal, r <= goal ? "met" : "MISSED"
    if (key in ia) printf "   instructions %.3fx", ia[key] / ib[key]
    printf "\n"
}
END {
    printf "folder %s; medians of %d alternating rounds (the folder pair: a third as many)\n", src, rounds
    printf "  %-52s %10s %10s %7s\n", "A against B", "A", "B", "A / B"
    line("start", "--version / Qt Gui program making a QCoreApplication", 1.25)
    line("big", "20 MP JPEG to 368 / djpeg -scale 1/8 | cjpeg -quality 70", 1.10)
    line("jobs", "folder --jobs 2 / --jobs 1", 0.65)
    line("icc", "--size 1600, Adobe RGB profile / the same without", 1.05)
}' "$WORK/figures" "$WORK/counts"
