#!/bin/sh
# Configures and builds into DIR (default build/). Extra arguments go to CMake.
#   scripts/build.sh [DIR] [-DOPTION=VALUE ...]
set -eu
cd "$(dirname "$0")/.."
DIR=${1:-build}
[ $# -gt 0 ] && shift
cmake -S . -B "$DIR" -G Ninja "$@" >/dev/null
cmake --build "$DIR"
