#!/usr/bin/env bash
# Walks the real window under Xvfb from its very first start as a new user
# would, with the real mouse and keys: chooses a project folder in its
# dialog, selects every picture of a folder (names that are markup or an
# entity, three files with one stem) and adds them, saves the settings as
# the profile "Trip", picks "Default" again in the profile box, brings the
# page's tab to the front and presses "Start". Then opens the written page in
# headless Chromium and fails unless every thumbnail and every linked picture
# loads. Leaves screenshots of each step to look at.
#
# walk-profile-and-export.sh [OUTPUT_FOLDER]   (default build/walk-profile)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/walk-profile}
# shellcheck source=scripts/walk-setup.sh
. "$root/scripts/walk-setup.sh"
mkdir -p "$out/pictures" "$out/project"
i=0
for name in '"><img src=x onerror=alert(1)>.bmp' 'a&b.bmp' summer.2019.bmp summer.2020.bmp summer.bmp; do
    "$root/scripts/make-bmp.py" "$out/pictures/$name" $((320 + 40 * i)) 240 $((40 * i)) 120 $((220 - 40 * i))
    i=$((i + 1))
done

sleep 1
log=$out/places.log
"$build/bin/pictavel-window-shot" "$out/unused.png" --fresh "$out/pictures" \
    > "$log" 2> /dev/null &
window=$!
trap 'kill "$window" "$xvfb" 2> /dev/null || true' EXIT

for _ in $(seq 1 300); do
    grep -q '^at tabHtml ' "$log" && break
    sleep 0.1
done

shot 1-first-start
add_all_pictures "$out/project"
shot 2-added
click btnSavePropProj
await_modal QInputDialog
xdotool key ctrl+a type --delay 20 "Trip"
xdotool key Return
shot 3-saved-as-trip
# The profile box: open it, go to its first entry, "Default", and take it.
click cmbPropProj
xdotool key Home Return
shot 4-default-picked
click tabHtml
click btnStart
shot 5-started
kill "$window" 2> /dev/null || true

page=$out/project/~thumbs.html
[ -f "$page" ] || { echo "walk-profile: Start wrote no page" >&2; exit 1; }
# The "Default" profile stores no link prefixes; the page links into gal/.
grep -aq 'href="gal/summer_3.jpg"' "$page" || { echo "walk-profile: links are not gal/" >&2; exit 1; }
"$root/scripts/check-page-in-browser.sh" "$page" 5 "$out/6-page.png"
ls "$out"/*.png
