#!/bin/sh
# `plenmar --shrink` of a dozen photos against `plenmar-convert --jobs 2` of the same files,
# and what a size limit costs each: the best of RUNS timed runs of every command, as whole
# processes, each writing into a folder emptied before it runs.
#
# usage: shrink-vs-convert.sh [-b BUILD] [-r RUNS] [-k KB] [FOLDER]
#   -b BUILD  the build folder holding app/plenmar and app/plenmar-convert (default: build)
#   -r RUNS   timed runs of each command (default 5, after one warm-up run)
#   -k KB     the size limit to time (default 20)
#   FOLDER    photos; the first twelve *.jpg are taken (default: a corpus built with
#             photo-corpus.sh into a temporary folder; $PLENMAR_CORPUS_SCRIPT names that script)
#
# Both are asked for 368 pixels at quality 70 and 72 dpi; --shrink reads them from a
# settings file of its own, as the window would have left them.
set -eu

HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(dirname "$HERE")
BUILD=$REPO/build
CORPUS_SCRIPT=${PLENMAR_CORPUS_SCRIPT:-$REPO/../shared/bench/photo-corpus.sh}
RUNS=5
KB=20
while getopts b:r:k: opt; do
    case $opt in
        b) BUILD=$OPTARG ;;
        r) RUNS=$OPTARG ;;
        k) KB=$OPTARG ;;
        *) sed -n '2,13p' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))

WORK=$(mktemp -d /tmp/shrink-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT INT TERM
if [ $# -ge 1 ]; then
    CORPUS=$1
else
    CORPUS=$WORK/corpus
    sh "$CORPUS_SCRIPT" "$CORPUS" >/dev/null
fi
mkdir -p "$WORK/src" "$WORK/dst" "$WORK/config/Weskamor"
find "$CORPUS" -maxdepth 1 -name '*.jpg' | sort | head -n 12 | while read -r f; do
    cp "$f" "$WORK/src/"
done
# Taken once, before any result lies beside them; corpus names hold no blanks.
FILES=$(find "$WORK/src" -name '*.jpg' | sort)
COUNT=$(echo "$FILES" | wc -l)
BYTES=$(du -sb "$WORK/src" | cut -f1)

settings() {
    printf '[Setting]\nX=368\nQuality=70\nResolution=72\nMaxKb=%s\n' "$1" \
        >"$WORK/config/Weskamor/Plenmar.conf"
}

# Seconds of the fastest run of "$@", after one warm-up; the results are removed before each.
best() {
    best=
    i=0
    while [ $i -le "$RUNS" ]; do
        find "$WORK/src" "$WORK/dst" -name '* [0-9]*x[0-9]*.jpg' -delete
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s.%N)
        if [ $i -gt 0 ]; then
            best=$(echo "$start $end ${best:-1e9}" | awk '{t = $2 - $1; print (t < $3 ? t : $3)}')
        fi
        i=$((i + 1))
    done
    echo "$best"
}

export XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data" XDG_CACHE_HOME="$WORK/cache"
export QT_QPA_PLATFORM=offscreen
settings 0
# shellcheck disable=SC2086
shrink=$(best "$BUILD/app/plenmar" --shrink $FILES)
settings "$KB"
# shellcheck disable=SC2086
shrinkLimit=$(best "$BUILD/app/plenmar" --shrink $FILES)
convert=$(best "$BUILD/app/plenmar-convert" --jobs 2 --folder "$WORK/src" "$WORK/dst")
convertLimit=$(best "$BUILD/app/plenmar-convert" --jobs 2 --max-kb "$KB" --folder "$WORK/src" \
    "$WORK/dst")

echo "$COUNT photos, $BYTES bytes; best of $RUNS runs, seconds"
awk -v s="$shrink" -v sl="$shrinkLimit" -v c="$convert" -v cl="$convertLimit" -v kb="$KB" 'BEGIN {
    printf "plenmar --shrink                      %6.3f  (%.2fx plenmar-convert --jobs 2)\n", s, s / c
    printf "plenmar --shrink, MaxKb=%-5s         %6.3f  (%.2fx without the limit)\n", kb, sl, sl / s
    printf "plenmar-convert --jobs 2              %6.3f\n", c
    printf "plenmar-convert --jobs 2 --max-kb %-4s %6.3f  (%.2fx without the limit)\n", kb, cl, cl / c
}'
