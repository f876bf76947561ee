#!/bin/sh
# Builds the Debian package from the build folder given and checks what it installs and
# what it depends on; where the tools are installed, also that software centres take its
# AppStream data (appstreamcli) and that Debian's lintian finds no error in it.
#   usage: package-file-list.sh BUILD_DIR
set -eu
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/*.deb)
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
status=0
metainfo=./usr/share/metainfo/invalid.weskamor.vistrane.metainfo.xml
for expected in ./usr/bin/plenmar ./usr/bin/plenmar-convert \
    ./usr/share/applications/vistrane.desktop "$metainfo" \
    ./usr/share/icons/hicolor/48x48/apps/vistrane.png \
    ./usr/share/icons/hicolor/scalable/apps/vistrane.svg \
    ./usr/share/man/man1/plenmar.1.gz ./usr/share/man/man1/plenmar-convert.1.gz \
    ./usr/share/doc/vistrane/copyright ./usr/share/doc/vistrane/changelog.gz \
    ./usr/share/doc/vistrane/examples/plenmar-convert-slurm.sh \
    ./usr/share/vistrane/help/vistrane.html; do
  echo "$files" | grep -qx "$expected" || { echo "missing: $expected"; status=1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libjpeg62-turbo libheif1 qt6-qpa-plugins qt6-wayland \
    qt6-image-formats-plugins xdg-utils qt6-translations-l10n; do
  echo "$depends" | grep -q "$package" || { echo "not declared: $package"; status=1; }
done

if command -v appstreamcli >/dev/null; then
  mkdir "$out/root"
  dpkg-deb -x "$deb" "$out/root"
  appstreamcli validate-tree --no-net "$out/root" >"$out/appstream" 2>&1 ||
    { echo "appstreamcli refuses the package's AppStream data:"; cat "$out/appstream"; status=1; }
else
  echo "no appstreamcli (appstream): the AppStream data is not validated"
fi
if command -v lintian >/dev/null; then
  # Errors fail; the warnings that stay are named in README with the reason.
  lintian --fail-on error "$deb" >"$out/lintian" 2>&1 ||
    { echo "lintian finds errors:"; status=1; }
  grep -E '^(E|W): ' "$out/lintian" || true
else
  echo "no lintian: the package is not checked against Debian's policy"
fi
exit $status
