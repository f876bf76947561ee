#!/bin/sh
# Starts the real program on a virtual display, as a user would from a terminal, with a
# picture named on the command line, and checks what the user would see: the main window
# titled with the picture's name and the size of its converted file, the preview file in
# TEMP, and the folder action written for the file managers. The window is an ordinary one
# of the class the menu entry names (StartupWMClass), so that task bars match the two. Ended
# by SIGTERM (a logout, say), it stores its settings and removes the preview file as if it
# had been closed.
#   usage: end-to-end.sh PROGRAM SAMPLE.jpg DESKTOP_FILE
set -eu
program=$1
sample=$2
desktop=$3
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
  [ -z "$found" ] || ! command -v xprop >/dev/null ||
    xprop -id "$found" WM_CLASS _NET_WM_WINDOW_TYPE WM_TRANSIENT_FOR >"$HOME/window"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ -n "$found" ] || { echo "no window titled after the picture"; exit 1; }
  [ $converted = yes ] || { echo "no preview file"; exit 1; }
' sh "$program" "$home/Meine Bilder/Urlaub.jpg"
status=0
if [ -e "$home/window" ]; then
  class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
  grep -q "^WM_CLASS(STRING) = \".*\", \"$class\"$" "$home/window" ||
    { echo "the window's class is not $class:"; cat "$home/window"; status=1; }
  grep -q "= _NET_WM_WINDOW_TYPE_NORMAL$" "$home/window" ||
    { echo "not an ordinary window:"; cat "$home/window"; status=1; }
  grep -q "^WM_TRANSIENT_FOR:  not found" "$home/window" ||
    { echo "the window belongs to another:"; cat "$home/window"; status=1; }
else
  echo "no xprop (x11-utils): the window's class and type are not checked"
fi
[ ! -e "$TEMP/Temppic.jpg" ] || { echo "the preview file outlived the program"; status=1; }
grep -q "^Testfile=.*Urlaub.jpg$" "$XDG_CONFIG_HOME/Weskamor/Plenmar.conf" ||
  { echo "no settings stored"; status=1; }
grep -q '^Exec=.* /V %f$' "$XDG_DATA_HOME/kio/servicemenus/plenmar-verzeichnis.desktop" ||
  { echo "no folder action"; status=1; }
[ ! -e "$XDG_DATA_HOME/applications" ] ||
  { echo "an entry in the applications folder, where it could open folders"; status=1; }
exit $status
