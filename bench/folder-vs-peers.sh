#!/bin/sh
# plenmar-convert against the usual thumbnailers on one folder of pictures, side by side in
# one run, and one 20-megapixel JPEG against the cheapest shrink libjpeg-turbo can do.
#
# usage: folder-vs-peers.sh [-b PLENMAR_CONVERT] [-r RUNS] [-v] [FOLDER]
#   -b PATH   the converter to time (default: $PLENMAR_CONVERT, else
#             build-bench/app/plenmar-convert of this repository)
#   -r RUNS   timed runs of each command (default 5, after one warm-up run)
#   -v        show hyperfine's own report as well
#   FOLDER    the pictures (default: a photo corpus built with photo-corpus.sh into a
#             temporary folder; $PLENMAR_CORPUS_SCRIPT names that script)
#
# Every tool gets exactly the files a folder run of plenmar-convert takes (*.jpg, *.jpe,
# *.jpeg, *.gif, *.bmp), is asked for a longer side of 368 pixels at quality 70, and writes
# into an emptied folder of its own before each run.

# $LIST below is split into words on purpose: its names are checked to hold no blanks.
# shellcheck disable=SC2086
set -eu

HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(dirname "$HERE")
PLENMAR=${PLENMAR_CONVERT:-$REPO/build-bench/app/plenmar-convert}
CORPUS_SCRIPT=${PLENMAR_CORPUS_SCRIPT:-$REPO/../shared/bench/photo-corpus.sh}
RUNS=5
VERBOSE=0
while getopts b:r:v opt; do
    case $opt in
        b) PLENMAR=$OPTARG ;;
        r) RUNS=$OPTARG ;;
        v) VERBOSE=1 ;;
        *) sed -n '5,11s/^# \{0,1\}//p' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))

die() { echo "folder-vs-peers: $*" >&2; exit 1; }

# /usr/bin/convert by its full path: the first `convert` on PATH may be a stand-in.
MAGICK=/usr/bin/convert
need=""
command -v hyperfine >/dev/null || need="$need hyperfine"
command -v vipsthumbnail >/dev/null || need="$need libvips-tools"
[ -x "$MAGICK" ] || need="$need imagemagick"
command -v djpeg >/dev/null && command -v cjpeg >/dev/null || need="$need libjpeg-turbo-progs"
[ -x /usr/bin/time ] || need="$need time"
if [ -n "$need" ]; then
    [ "$(id -u)" = 0 ] || die "missing:$need (install them, or run as root)"
    echo "installing:$need" >&2
    apt-get update -q >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q $need >/dev/null
fi
case $PLENMAR in /*) ;; *) PLENMAR=$PWD/$PLENMAR ;; esac
[ -x "$PLENMAR" ] || die "no converter at $PLENMAR (build it, or pass -b PATH)"

WORK=$(mktemp -d /tmp/folder-vs-peers.XXXXXX)
trap 'rm -rf "$WORK"' EXIT INT TERM

if [ $# -ge 1 ]; then
    SRC=$(cd "$1" && pwd) || die "no folder $1"
else
    [ -f "$CORPUS_SCRIPT" ] || die "no folder given and no corpus script at $CORPUS_SCRIPT"
    echo "building the photo corpus..." >&2
    sh "$CORPUS_SCRIPT" "$WORK/corpus" >&2
    SRC=$WORK/corpus
fi

# The files as a folder run lists them; the peers get the same list on their command line.
LIST=""
count=0
for f in "$SRC"/*.jpg "$SRC"/*.jpe "$SRC"/*.jpeg "$SRC"/*.gif "$SRC"/*.bmp; do
    [ -f "$f" ] || continue
    case $f in *[!A-Za-z0-9._/+-]*) die "file names with spaces or quotes are not handled: $f" ;; esac
    LIST="$LIST $f"
    count=$((count + 1))
done
[ "$count" -gt 0 ] || die "no pictures in $SRC"
bytes=$(du -cb $LIST | tail -n 1 | cut -f 1)
JOBS=$(nproc)

mkdir -p "$WORK/plenmar" "$WORK/plenmar1" "$WORK/vips" "$WORK/magick" "$WORK/big"
P_CMD="$PLENMAR --quiet --folder $SRC $WORK/plenmar"
P1_CMD="$PLENMAR --quiet --jobs 1 --folder $SRC $WORK/plenmar1"
# vipsthumbnail writes beside each source unless the output pattern is an absolute path.
V_CMD="vipsthumbnail --size 368 -o '$WORK/vips/%s.jpg[Q=70]'$LIST"
M_CMD="for f in$LIST; do $MAGICK \"\$f\" -resize 368x368 -quality 70 \"$WORK/magick/\${f##*/}.jpg\"; done"

# Every command must convert every file before its time means anything. The file counts
# may differ: a GIF or BMP copy of a JPEG gives the same result name for plenmar-convert
# and vipsthumbnail, and the later one replaces the earlier.
sh -c "$P_CMD" || die "plenmar-convert failed on $SRC"
sh -c "$V_CMD" 2>/dev/null || die "vipsthumbnail failed on $SRC"
sh -c "$M_CMD" 2>/dev/null || die "ImageMagick failed on $SRC"

# hyperfine's own report only on request, or when it failed.
timed() {
    hyperfine --style basic "$@" >"$WORK/hyperfine.out" 2>&1 ||
        { cat "$WORK/hyperfine.out" >&2; die "hyperfine failed"; }
    if [ "$VERBOSE" = 1 ]; then cat "$WORK/hyperfine.out"; fi
}

timed --warmup 1 --runs "$RUNS" --export-csv "$WORK/folder.csv" \
    --prepare "rm -f $WORK/plenmar/* $WORK/plenmar1/* $WORK/vips/* $WORK/magick/*" \
    -n plenmar -n plenmar1 -n vips -n magick "$P_CMD" "$P1_CMD" "$V_CMD" "$M_CMD"

# One picture of 20 megapixels or more, upscaled from the largest JPEG of the folder,
# stored as a camera stores it: baseline, quality 90.
largest=""
largest_bytes=0
for f in $LIST; do
    case $f in *.jpg | *.jpe | *.jpeg) ;; *) continue ;; esac
    n=$(wc -c <"$f")
    if [ "$n" -gt "$largest_bytes" ]; then largest=$f largest_bytes=$n; fi
done
[ -n "$largest" ] || die "no JPEG in $SRC to make the large picture from"
BIG=$WORK/big.jpg
"$MAGICK" "$largest" -resize '6000x3400^' -interlace none -quality 90 "$BIG"
big_w=$(/usr/bin/identify -format '%w' "$BIG")
big_h=$(/usr/bin/identify -format '%h' "$BIG")
[ $((big_w * big_h)) -ge 20000000 ] || die "the large picture has only ${big_w}x${big_h}"
B_CMD="$PLENMAR --quiet $BIG $WORK/big/plenmar.jpg"
F_CMD="djpeg -scale 1/8 $BIG | cjpeg -quality 70 > $WORK/big/floor.jpg"
timed --warmup 2 --runs "$((RUNS * 4))" --export-csv "$WORK/big.csv" \
    -n plenmar -n floor "$B_CMD" "$F_CMD"

# Peak memory of folder runs and of the large picture. Which pictures the workers happen
# to decode at the same moment changes from run to run, so the folder run is measured a
# few times and the highest peak counts.
peak_kb() {
    /usr/bin/time -v sh -c "$1" 2>&1 >/dev/null |
        awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}'
}
peak_folder=0
peak_folder_low=
for _ in 1 2 3; do
    rm -f "$WORK"/plenmar/*
    kb=$(peak_kb "$P_CMD")
    if [ "$kb" -gt "$peak_folder" ]; then peak_folder=$kb; fi
    if [ -z "$peak_folder_low" ] || [ "$kb" -lt "$peak_folder_low" ]; then peak_folder_low=$kb; fi
done
rm -f "$WORK"/plenmar1/*
peak_folder1=$(peak_kb "$P1_CMD")
rm -f "$WORK"/vips/*
peak_vips=$(peak_kb "$V_CMD")
peak_big=$(peak_kb "$B_CMD")

# hyperfine's CSV: command,mean,stddev,median,user,system,min,max
median() { awk -F, -v n="$2" '$1 == n {print $4}' "$WORK/$1.csv"; }
p=$(median folder plenmar)
p1=$(median folder plenmar1)
v=$(median folder vips)
m=$(median folder magick)
b=$(median big plenmar)
fl=$(median big floor)

awk -v src="$SRC" -v count="$count" -v mb="$bytes" -v runs="$RUNS" -v jobs="$JOBS" \
    -v p="$p" -v p1="$p1" -v v="$v" -v m="$m" -v b="$b" -v fl="$fl" \
    -v bw="$big_w" -v bh="$big_h" -v from="${largest##*/}" \
    -v pf="$peak_folder" -v pfl="$peak_folder_low" -v pf1="$peak_folder1" -v pv="$peak_vips" -v pb="$peak_big" '
function verdict(ok) { return ok ? "met" : "MISSED" }
BEGIN {
    printf "folder %s: %d pictures, %.1f MB; median of %d runs\n", src, count, mb / 1e6, runs
    printf "  %-34s %9s %10s\n", "command", "median", "/ vips"
    printf "  %-34s %8.3fs %9.2fx   goal <= 0.45x: %s\n", "plenmar-convert --folder (jobs " jobs ")", p, p / v, verdict(p / v <= 0.45)
    printf "  %-34s %8.3fs %9.2fx\n", "plenmar-convert --folder --jobs 1", p1, p1 / v
    printf "  %-34s %8.3fs %9.2fx\n", "vipsthumbnail --size 368", v, 1
    printf "  %-34s %8.3fs %9.2fx\n", "ImageMagick convert, file by file", m, m / v
    printf "large JPEG %dx%d (%.1f MP, baseline q90, from %s); median of %d runs\n", bw, bh, bw * bh / 1e6, from, runs * 4
    printf "  %-34s %9s %10s\n", "command", "median", "/ floor"
    printf "  %-34s %8.3fs %9.2fx   goal <= 1.10x: %s\n", "plenmar-convert BIG.jpg out.jpg", b, b / fl, verdict(b / fl <= 1.1)
    printf "  %-34s %8.3fs %9.2fx\n", "djpeg -scale 1/8 | cjpeg -q 70", fl, 1
    printf "peak memory (maximum resident set size; 1 MB = 10^6 bytes)\n"
    printf "  %-34s %8.1f MB   goal < 100 MB: %s   (highest of 3 runs; lowest %.1f MB)\n", "plenmar-convert --folder (jobs " jobs ")", pf * 1024 / 1e6, verdict(pf * 1024 < 100e6), pfl * 1024 / 1e6
    printf "  %-34s %8.1f MB\n", "plenmar-convert --folder --jobs 1", pf1 * 1024 / 1e6
    printf "  %-34s %8.1f MB\n", "vipsthumbnail, same folder", pv * 1024 / 1e6
    printf "  %-34s %8.1f MB\n", "plenmar-convert BIG.jpg", pb * 1024 / 1e6
}'
