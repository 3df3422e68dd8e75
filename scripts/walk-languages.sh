#!/usr/bin/env bash
# Walks the real window under Xvfb and a window manager (openbox) once with
# LANG=en_US.UTF-8 and once with LANG=ru_RU.UTF-8: adds three pictures with
# the real mouse and keys, then leaves screenshots of both tabs, of the delete
# question, of the grid after answering No and of a hint, to look at.
#
# walk-languages.sh [OUTPUT_FOLDER]   (default build/walk-languages)
#   build=FOLDER picks the build that holds the window's harness.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
all=${1:-$root/build/walk-languages}
command -v openbox > /dev/null || { echo "walk-languages: openbox is missing" >&2; exit 1; }
for lang in en_US ru_RU; do
    out=$all/$lang
    (
        export LANG=$lang.UTF-8 LC_ALL=
        # shellcheck source=scripts/walk-setup.sh
        . "$root/scripts/walk-setup.sh"
        mkdir -p "$out/pictures" "$out/project"
        for i in 1 2 3; do
            "$root/scripts/make-bmp.py" "$out/pictures/photo$i.bmp" 320 240 $((60 * i)) 120 $((200 - 50 * i))
        done
        start_fresh_window_managed "$out/pictures"
        add_all_pictures "$out/project"
        sleep 2
        shot 1-thumbs
        click tabHtml
        shot 2-html
        click tabThumbs
        click btnClearAllProject
        await_modal QMessageBox
        shot 3-delete-question
        xdotool key Escape
        shot 4-after-no
        # The hint of the normal-view button, shown after the mouse rests.
        # shellcheck disable=SC2046
        xdotool mousemove $(at btnMiddle)
        sleep 1.5
        shot 5-hint
    )
done
