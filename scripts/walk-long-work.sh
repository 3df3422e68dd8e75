#!/usr/bin/env bash
# Walks the real window under Xvfb and a window manager (openbox) through long
# work with the real mouse: adds 24 large photographs and, while they are
# added, moves the window and presses the thumbnails-only view button; then
# presses "Start" and, while the gallery is written, takes a screenshot of
# its bar, moves the window again and brings the "Thumbs" tab to the front. Screenshots in the middle of each
# show whether the window answered; the walk fails unless each step came
# before the work was done.
#
# walk-long-work.sh [OUTPUT_FOLDER]   (default build/walk-long-work)
#   build=FOLDER picks the build that holds the window's harness.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/walk-long-work}
for tool in openbox convert; do
    command -v "$tool" > /dev/null || { echo "walk-long-work: $tool is missing" >&2; exit 1; }
done
screen=1280x900x24
# shellcheck source=scripts/walk-setup.sh
. "$root/scripts/walk-setup.sh"
mkdir -p "$out/pictures" "$out/project"
# Four grainy 24-megapixel photographs, each six times: as long to decode as
# a camera's.
for i in $(seq -w 1 24); do
    kind=$((10#$i % 4))
    if [ "$i" -le 4 ]; then
        convert -size 6000x4000 "gradient:hsb(${kind}0,80%,90%)-hsb(2${kind}0,60%,40%)" \
            -attenuate 0.4 +noise Gaussian -quality 92 "$out/pictures/photo$i.jpg"
    else
        cp "$out/pictures/photo0$((kind + 1)).jpg" "$out/pictures/photo$i.jpg"
    fi
done

start_fresh_window_managed "$out/pictures"
id=$(xdotool search --onlyvisible --name '^Pictavel$' | head -n 1)

# While the pictures are added.
add_all_pictures "$out/project"
xdotool windowmove "$id" 100 60
sleep 0.3
click btnViewThumbs
added=$(grep -c '^at thumb' "$log" || true)
import -window root "$out/1-during-the-add.png"
[ "$(grep -c '^at thumb23 ' "$log")" = 0 ] || fail "the add was over before the view button was pressed"
echo "the view button was pressed with $added of 24 pictures added"
for _ in $(seq 1 600); do
    [ "$(grep -c '^at thumb23 ' "$log")" -gt 0 ] && break
    sleep 0.5
done
shot 2-added

# While the gallery is written.
click tabHtml
click btnStart
import -window root "$out/3-start-bar.png"
xdotool windowmove "$id" 180 90
sleep 0.3
click tabThumbs
import -window root "$out/4-start-thumbs-tab.png"
[ ! -f "$out/project/~thumbs.html" ] || fail "Start was over before the tab was brought to the front"
for _ in $(seq 1 600); do
    [ -f "$out/project/~thumbs.html" ] && break
    sleep 0.5
done
[ -f "$out/project/~thumbs.html" ] || fail "Start wrote no page"
[ "$(find "$out/project/gal" -name '*.jpg' | wc -l)" = 24 ] || fail "Start did not write 24 pictures"
ls "$out"/*.png
