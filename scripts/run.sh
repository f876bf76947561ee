#!/bin/sh
# Builds the program and runs it. Arguments go to the program.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
exec build/app/plenmar "$@"
