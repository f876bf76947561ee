#!/bin/sh
# For long fuzz runs: libjpeg-turbo from Debian's source package, built with the fuzzer's
# coverage instrumentation and AddressSanitizer (and its C code in place of the SIMD
# routines), so that the picture target sees inside the decoder and the encoder. Needs
# deb-src entries for apt-get source. Run the targets with LD_LIBRARY_PATH=DIR/lib: Qt's
# JPEG plugin and our writer then both load it.
#   fuzz/build-libjpeg.sh DIR
set -eu
mkdir -p "$1/src" "$1/lib"
DIR=$(cd "$1" && pwd)
cd "$DIR/src"
ls -d libjpeg-turbo-*/ >/dev/null 2>&1 || apt-get source libjpeg-turbo
SRC=$(ls -d "$DIR"/src/libjpeg-turbo-*/ | head -1)
cmake -S "$SRC" -B "$DIR/build" -G Ninja -DCMAKE_C_COMPILER=clang \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address" \
  -DWITH_SIMD=0 -DENABLE_STATIC=0 -DWITH_TURBOJPEG=0 >/dev/null
cmake --build "$DIR/build" --target jpeg
cp -P "$DIR"/build/libjpeg.so* "$DIR/lib/"
echo "fuzz/build-libjpeg.sh: LD_LIBRARY_PATH=$DIR/lib"
