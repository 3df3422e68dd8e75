#!/usr/bin/env bash
# Walks the real window under Xvfb and a window manager (openbox) with the
# real mouse and keys: adds twelve pictures, ticks smooth thumbnails and keep
# originals, edits the
# page source by hand, saves the settings as the new profile "Walk" and fails
# unless both boxes stay ticked and the new section holds both; cancels the
# page colour's dialog; opens /usr in the folder tree, turns the wheel over it
# and fails unless the tree stays where it was for five seconds; maximises the
# window. Leaves screenshots of each step, at the described size and
# maximised, to look at.
#
# walk-room-and-profiles.sh [OUTPUT_FOLDER]   (default build/walk-room)
#   build=FOLDER picks the build that holds the window's harness.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/walk-room}
command -v openbox > /dev/null || { echo "walk-room: openbox is missing" >&2; exit 1; }
command -v wmctrl > /dev/null || { echo "walk-room: wmctrl is missing" >&2; exit 1; }
screen=1280x900x24
# shellcheck source=scripts/walk-setup.sh
. "$root/scripts/walk-setup.sh"
mkdir -p "$out/pictures" "$out/project"
for i in $(seq 1 12); do
    "$root/scripts/make-bmp.py" "$out/pictures/photo$i.bmp" $((320 + 20 * i)) 240 $((20 * i)) 120 $((240 - 20 * i))
done

start_fresh_window_managed "$out/pictures"
ini=$(awk '/^exe /{print $2; exit}' "$log")/propstor.ini

shot 1-start
[ "$(xdotool getactivewindow getwindowgeometry | awk '/Geometry/{print $2}')" = 772x554 ] ||
    fail "the window does not start at 772 x 554"

# A project folder and every picture added.
add_all_pictures "$out/project"
sleep 2
shot 2-added

# Both options and a hand edit, saved under a new name.
click chbSmoothThumbs
click tabHtml
click chbKeepOriginals
click CL
xdotool key ctrl+End type --delay 20 "<!-- by hand -->"
click btnSavePropProj
await_modal QInputDialog
xdotool key ctrl+a type --delay 20 "Walk"
xdotool key Return
sleep 1
shot 3-saved-as-walk
section=$(awk '/^\[WalkWalk\]/{on=1; next} /^\[/{on=0} on' "$ini" | tr -d '\r')
grep -q '^chbSmoothThumbs.Checked=1$' <<< "$section" || fail "the new profile lost smooth thumbnails"
grep -q '^chbKeepOriginals.Checked=1$' <<< "$section" || fail "the new profile lost keep originals"

# A colour picked and cancelled changes nothing.
click pnlBGColorPage
await_modal ColorDialog
xdotool key Escape
sleep 0.5
shot 4-colour-cancelled

# The tree: /usr opened and the wheel turned over it; then it stays put.
click tabThumbs
# The tree takes the keys: to its top, "usr" typed to go there, Right to open it.
click DirectoryTree
xdotool key Home
xdotool type --delay 120 usr
xdotool key Right
sleep 0.5
xdotool click --repeat 3 --delay 80 5
sleep 0.5
shot 5-tree-opened
sleep 5
shot 6-tree-five-seconds-later
compare -metric AE "$out/5-tree-opened.png" "$out/6-tree-five-seconds-later.png" null: 2> "$out/tree.diff" ||
    fail "the tree moved by itself ($(cat "$out/tree.diff") pixels changed)"

# Maximised on the 1280 x 900 screen: the grid and the panes take the room.
wmctrl -r Pictavel -b add,maximized_vert,maximized_horz
sleep 2
[ "$(xdotool getactivewindow getwindowgeometry | awk '/Geometry/{print $2}')" != 772x554 ] ||
    fail "the window was not maximised"
shot 7-maximised
click tabHtml
shot 8-maximised-page
ls "$out"/*.png
