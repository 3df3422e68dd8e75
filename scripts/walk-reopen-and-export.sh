#!/usr/bin/env bash
# Walks the real window under Xvfb through a gallery that is closed and
# opened again, with the real mouse and keys: chooses a project folder, adds
# five pictures, crops the third in the editor, exchanges the first and the
# third by double-clicks, presses "Start" and closes the window as a window
# manager's close button does. Then starts the window again, chooses the same
# folder, answers Yes to the question about the recorded set, presses
# "Start" over the deleted output (the edited copy kept) and fails unless the
# files are byte for byte those of the first "Start". Last, opens the page in
# headless Chromium. The record goes to OUTPUT_FOLDER/data, never to the
# user's own data folder. Leaves screenshots of each step to look at.
#
# walk-reopen-and-export.sh [OUTPUT_FOLDER]   (default build/walk-reopen)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/walk-reopen}
# shellcheck source=scripts/walk-setup.sh
. "$root/scripts/walk-setup.sh"
mkdir -p "$out/pictures" "$out/project"
i=0
for name in dune.bmp lake.bmp ridge.bmp sea.bmp woods.bmp; do
    "$root/scripts/make-bmp.py" "$out/pictures/$name" $((1400 + 100 * i)) 1000 $((40 * i)) 120 $((220 - 40 * i))
    i=$((i + 1))
done

window=
trap 'kill $window "$xvfb" 2> /dev/null || true' EXIT
sleep 1

# Starts the window for session N; its places go to places-N.log.
start_window() {
    log=$out/places-$1.log
    modals=0
    "$build/bin/pictavel-window-shot" "$out/unused.png" --fresh "$out/pictures" \
        > "$log" 2> /dev/null &
    window=$!
    for _ in $(seq 1 300); do
        grep -q '^at tabHtml ' "$log" && return
        sleep 0.1
    done
    echo "walk-reopen: the window did not start" >&2
    exit 1
}
double_click() {
    # shellcheck disable=SC2046
    xdotool mousemove $(at "$1") click --repeat 2 --delay 80 1
    sleep 0.7
}
choose_project() {
    click bteDirProjectButton
    await_modal DirDialogProject
    xdotool key ctrl+a type --delay 20 "$out/project"
    xdotool key Return
    sleep 1
}
# Closes the window as its title bar's close button would and waits for the
# program to end by itself.
close_window() {
    "$root/scripts/close-window.py" "$(xdotool search --pid "$window" --name '^Pictavel$' | head -1)"
    for _ in $(seq 1 100); do
        kill -0 "$window" 2> /dev/null || { wait "$window" || true; window=; return; }
        sleep 0.1
    done
    echo "walk-reopen: the window did not close" >&2
    exit 1
}

start_window 1
choose_project
click firstFile
xdotool key ctrl+a
click btnADDThumb
shot 1-added
click thumb2
click btnRedactImage
click btnLL
click btnCutImage
shot 2-cropped
click btnMiddle
double_click thumb2
click thumb0
double_click thumb0
shot 3-arranged
click tabHtml
click btnStart
shot 4-started
close_window
cp -r "$out/project" "$out/first-start"
record=$(ls "$XDG_DATA_HOME"/Pictavel/galleries/*.json)
echo "record: $record"
edited=$(sed -n 's/.*"edited": "\(.*\)",*$/\1/p' "$record")
[ -f "$edited" ] || { echo "walk-reopen: no edited copy in the record" >&2; exit 1; }

start_window 2
choose_project
await_modal QMessageBox
shot 5-question
xdotool key Return
shot 6-reopened
find "$out/project" -type f ! -path "$edited" -delete
click tabHtml
click btnStart
shot 7-started-again
close_window
diff -r "$out/first-start" "$out/project" ||
    { echo "walk-reopen: the second Start wrote other files" >&2; exit 1; }
echo "walk-reopen: the reopened set wrote the same files"
"$root/scripts/check-page-in-browser.sh" "$out/project/~thumbs.html" 5 "$out/8-page.png"
ls "$out"/*.png
