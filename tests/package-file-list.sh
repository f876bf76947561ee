#!/bin/sh
# Builds the Debian package from the build folder given and checks what it installs and
# what it depends on.   usage: package-file-list.sh BUILD_DIR
set -eu
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/*.deb)
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
status=0
for expected in ./usr/bin/plenmar ./usr/bin/plenmar-convert \
    ./usr/share/applications/vistrane.desktop \
    ./usr/share/icons/hicolor/48x48/apps/vistrane.png \
    ./usr/share/icons/hicolor/scalable/apps/vistrane.svg \
    ./usr/share/man/man1/plenmar.1.gz ./usr/share/man/man1/plenmar-convert.1.gz \
    ./usr/share/vistrane/help/vistrane.html; do
  echo "$files" | grep -qx "$expected" || { echo "missing: $expected"; status=1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libjpeg62-turbo libheif1 qt6-qpa-plugins qt6-wayland \
    qt6-image-formats-plugins xdg-utils qt6-translations-l10n; do
  echo "$depends" | grep -q "$package" || { echo "not declared: $package"; status=1; }
done
exit $status
