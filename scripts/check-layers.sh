#!/bin/bash
# Fails when a source file includes a header from a layer above its own, or when a file of
# a widget-free layer includes a Qt Widgets header. The layers, lowest first:
#   platform     our layer over the system (platform/: processes, files, emulation and widgets;
#                only its widgets folder may use widgets)
#   codecs       the picture decoders (imaging/codecs/)
#   imaging      the picture in memory, scaling, the JPEG writer, loading
#   workflow     the conversion, its settings and worker (no windows)
#   mail client  the Simple MAPI client and its provider over xdg-email
#   engines      the folder run's engine (batch/) and the send-picture command (mail/)
#   windows      the main window, the panel, the dialogs and panes
#   app          the programs
# A file's layer follows from the library that compiles it (read from the CMake lists); a
# header without a source of its own belongs to its folder's lowest layer.
#   scripts/check-layers.sh [SOURCE-TREE]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

declare -A rank=([platform]=0 [platformwidgets]=0 [codecs]=1 [imaging]=2 [workflow]=3 [mailclient]=4
                 [engine]=5 [window]=6 [app]=7)
# Libraries and their layer; the folder's lowest layer comes first.
libraries="platform_processes:platform platform_files:platform platform_emulation:platform
  platform_widgets:platformwidgets codecs:codecs imaging:imaging workflow:workflow
  mainwindow:window mail:mailclient mail_command:engine mail_setup:window batch:engine
  batch_dialogs:window ui:window folderpane:window app_shell:app convert_command:app"
widget_free="platform codecs imaging workflow mailclient engine"

declare -A layer_of    # file path -> layer
declare -A folder_layer
for entry in $libraries; do
    lib=${entry%%:*} layer=${entry##*:}
    for dir in platform imaging/codecs imaging workflow mail batch window ui app/program app/convert; do
        sources=$(awk -v lib="$lib" '
            $0 ~ "add_library\\(" lib " " { inside = 1; sub(".*add_library\\(" lib " [A-Z]+", "") }
            inside { line = $0; done = sub("\\).*", "", line); print line; if (done) inside = 0 }
        ' "$dir/CMakeLists.txt")
        for s in $sources; do
            layer_of[$dir/$s]=$layer
            layer_of[$dir/${s%.cpp}.h]=$layer
            sub=$(dirname "$dir/$s")
            [ -n "${folder_layer[$sub]:-}" ] || folder_layer[$sub]=$layer
        done
    done
done

layer() {
    local f=$1
    if [ -n "${layer_of[$f]:-}" ]; then echo "${layer_of[$f]}"
    else echo "${folder_layer[$(dirname "$f")]:-app}"; fi
}

widget_headers=$(ls "$(dirname "$(find /usr/include -path '*qt6/QtWidgets/QWidget' -print -quit)")" \
    | grep -E '^Q[A-Za-z]+$' | tr '\n' '|')
widget_headers=${widget_headers%|}

status=0
for f in $(find platform imaging workflow mail batch window ui app -name '*.h' -o -name '*.cpp' | sort); do
    mine=$(layer "$f")
    while IFS= read -r inc; do
        target=$(sed -E 's/.*"([^"]+)".*/\1/' <<<"$inc")
        [ -f "$target" ] || continue
        theirs=$(layer "$target")
        if [ "${rank[$theirs]}" -gt "${rank[$mine]}" ]; then
            echo "$f ($mine) includes $target ($theirs), a layer above it"; status=1
        elif [[ $f == platform/* && $target != platform/* ]]; then
            echo "$f (platform) includes $target from outside platform/"; status=1
        fi
    done < <(grep -E '^#include "' "$f" || true)
    if [[ " $widget_free " == *" $mine "* ]]; then
        if grep -nE "^#include <(QtWidgets/)?($widget_headers)>" "$f"; then
            echo "$f ($mine) includes a Qt Widgets header"; status=1
        fi
    fi
done
[ $status -eq 0 ] && echo "Includes go down: every file includes only its own layer and those below."
exit $status
