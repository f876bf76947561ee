#!/bin/sh
# Runs the fuzz targets of a fuzz build, each for a while, from its starting corpus and a
# working corpus of its own; fails on the first finding, which it shows.
#   fuzz/run.sh BUILD-DIR SECONDS-EACH [TARGET ...]      (targets: picture settings options)
# A working corpus kept in $PLENMAR_FUZZ_WORK carries on from run to run.
set -eu
BUILD=$1
EACH=$2
shift 2
[ $# -gt 0 ] || set -- picture settings options
WORK=${PLENMAR_FUZZ_WORK:-$(mktemp -d "${TMPDIR:-/tmp}/plenmar-fuzz.XXXXXX")}
[ -n "${PLENMAR_FUZZ_WORK:-}" ] || trap 'rm -rf "$WORK"' EXIT
for target in "$@"; do
  mkdir -p "$WORK/$target"
  log="$WORK/$target.log"
  if ! "$BUILD/fuzz/${target}_fuzzer" -max_total_time="$EACH" -timeout=10 -rss_limit_mb=2560 \
      -print_final_stats=1 -artifact_prefix="$WORK/$target-" \
      "$WORK/$target" "$BUILD/fuzz/corpus/$target" >"$log" 2>&1; then
    grep -v '^qt\.' "$log" | tail -40
    echo "fuzz/run.sh: $target found something; the input is in $WORK" >&2
    trap - EXIT
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -E '^#[0-9]+' "$log" | tail -1 | sed -n 's/.*\(cov: [0-9]*\) \(ft: [0-9]*\).*/\1 \2/p')
  echo "$target: $runs runs in ${EACH}s, $coverage"
done
