#!/bin/sh
# Starts the real program on a virtual display, as a user would from a terminal, with a
# picture named on the command line, and checks what the user would see: the main window
# titled with the picture's name and the size of its converted file, the preview file in
# TEMP, and the folder action written for the file managers. Ended by SIGTERM (a logout,
# say), it stores its settings and removes the preview file as if it had been closed.
#   usage: end-to-end.sh PROGRAM SAMPLE.jpg
set -eu
program=$1
sample=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/Meine Bilder" "$home/tmp"
cp "$sample" "$home/Meine Bilder/Urlaub.jpg"
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config"
export XDG_CACHE_HOME="$home/cache" TEMP="$home/tmp"
unset QT_QPA_PLATFORM
timeout 60 xvfb-run -a sh -c '
  "$1" "$2" & pid=$!
  found=$(timeout 30 xdotool search --sync --onlyvisible --name "^Urlaub\.jpg \([0-9]+ Kb\)$" | head -n 1) || true
  converted=no
  [ -s "$TEMP/Temppic.jpg" ] && converted=yes
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ -n "$found" ] || { echo "no window titled after the picture"; exit 1; }
  [ $converted = yes ] || { echo "no preview file"; exit 1; }
' sh "$program" "$home/Meine Bilder/Urlaub.jpg"
status=0
[ ! -e "$TEMP/Temppic.jpg" ] || { echo "the preview file outlived the program"; status=1; }
grep -q "^Testfile=.*Urlaub.jpg$" "$XDG_CONFIG_HOME/Weskamor/Plenmar.conf" ||
  { echo "no settings stored"; status=1; }
grep -q '^Exec=.* /V %f$' "$XDG_DATA_HOME/kio/servicemenus/plenmar-verzeichnis.desktop" ||
  { echo "no folder action"; status=1; }
[ ! -e "$XDG_DATA_HOME/applications" ] ||
  { echo "an entry in the applications folder, where it could open folders"; status=1; }
exit $status
