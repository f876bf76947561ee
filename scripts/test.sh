#!/bin/sh
# Builds everything and runs every test.
#   scripts/test.sh [DIR] [-DOPTION=VALUE ...]
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
DIR=${1:-build}
[ $# -gt 0 ] && shift
scripts/build.sh "$DIR" "$@"
cd "$DIR"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2
