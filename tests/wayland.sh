#!/bin/sh
# Starts the real program under a Wayland compositor (weston, headless) with a picture, hands
# it a second picture as a second start would, and ends it as a logout does (SIGTERM). The
# program must convert both without a single warning on its terminal, and keep the window
# positions an X11 session stored: Wayland tells a program no window positions.
# Exits 77 (skipped) without weston or Qt's Wayland platform.
#   usage: wayland.sh PROGRAM SAMPLE.jpg
set -eu
program=$1
sample=$2
command -v weston >/dev/null 2>&1 || { echo "no weston"; exit 77; }
home=$(mktemp -d)
weston_pid=""
program_pid=""
cleanup() {
  [ -z "$program_pid" ] || kill "$program_pid" 2>/dev/null || true
  [ -z "$weston_pid" ] || kill "$weston_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
mkdir -p "$home/config/Weskamor" "$home/tmp" "$home/Bilder" "$home/run"
chmod 700 "$home/run"
cp "$sample" "$home/Bilder/Urlaub.jpg"
cp "$sample" "$home/Bilder/Zweites.jpg"
settings="$home/config/Weskamor/Plenmar.conf"
printf '[Setting]\nPosition%%20Left=700\nPosition%%20Top=40\nPosition%%20Right=1500\nPosition%%20Bottom=640\n[SettingSub1]\nPosition%%20Left=90\nPosition%%20Top=300\nPosition%%20Right=500\nPosition%%20Bottom=700\n' >"$settings"
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
export XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/run" TEMP="$home/tmp"
export WAYLAND_DISPLAY=plenmar-test QT_QPA_PLATFORM=wayland
unset DISPLAY
# In a build with sanitizers: no leaks of libwayland's own reported, and nothing said of it.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp:print_suppressions=0"

weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --use-pixman \
  --width=1280 --height=1024 >"$home/weston.log" 2>&1 &
weston_pid=$!
waited=0
until [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ]; do
  sleep 0.2
  waited=$((waited + 1))
  [ $waited -lt 100 ] || { echo "weston did not start"; cat "$home/weston.log"; exit 77; }
done

"$program" "$home/Bilder/Urlaub.jpg" >"$home/out.log" 2>&1 &
program_pid=$!
# Waits up to 30 s for the settled conversion of `picture` to be the preview file.
wait_for_preview() {
  waited=0
  until [ -s "$TEMP/Temppic.jpg" ]; do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.2
    waited=$((waited + 1))
    [ $waited -lt 150 ] || break
  done
}
wait_for_preview
if grep -q 'Could not find the Qt platform plugin "wayland"' "$home/out.log"; then
  echo "no Qt Wayland platform (qt6-wayland)"
  exit 77
fi
status=0
[ -s "$TEMP/Temppic.jpg" ] || { echo "no preview file: nothing converted"; status=1; }
"$program" "$home/Bilder/Zweites.jpg" >>"$home/out.log" 2>&1 || { echo "the hand-over failed"; status=1; }
sleep 1
kill -TERM "$program_pid"
wait "$program_pid" || { echo "the program ended with status $?"; status=1; }
program_pid=""

if [ -s "$home/out.log" ]; then
  echo "the program wrote to its terminal:"
  cat "$home/out.log"
  status=1
fi
[ ! -e "$TEMP/Temppic.jpg" ] || { echo "the preview file outlived the program"; status=1; }
grep -q '^Testfile=.*Zweites.jpg$' "$settings" || { echo "the second picture was not taken"; status=1; }
for kept in 'Setting' 'SettingSub1'; do
  section=$(sed -n "/^\[$kept\]/,/^\[/p" "$settings")
  case $kept in
    Setting) left=700 top=40 ;;
    *) left=90 top=300 ;;
  esac
  echo "$section" | grep -qx "Position%20Left=$left" || { echo "$kept: left not kept"; status=1; }
  echo "$section" | grep -qx "Position%20Top=$top" || { echo "$kept: top not kept"; status=1; }
done
[ $status -eq 0 ] || cat "$settings"
exit $status
