#!/bin/sh
# Installs the Debian 12 packages the build and the tests need (as root, or through sudo).
# Packages that are there already are not fetched again.
set -eu
PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev libjpeg62-turbo-dev libheif-dev
  liblcms2-dev libgtest-dev libjpeg-turbo-progs libheif-examples icc-profiles-free fonts-dejavu-core xvfb
  xauth xdg-utils qt6-translations-l10n qt6-qpa-plugins qt6-image-formats-plugins dpkg-dev file
  xdotool x11-utils qt6-wayland weston appstream lintian desktop-file-utils libglib2.0-bin
  dbus-daemon parallel $*"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing
