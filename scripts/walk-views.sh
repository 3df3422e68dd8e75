#!/usr/bin/env bash
# Walks the three views of the "Thumbs" tab in the real window under Xvfb
# with the real mouse: from the normal view to the thumbnails-only view and
# back with the normal-view button, then to the editor and back the same way.
# Fails unless each click brings the view it should; leaves a screenshot of
# each step to look at.
#
# walk-views.sh [OUTPUT_FOLDER]   (default build/views)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/views}
# shellcheck source=scripts/walk-setup.sh
. "$root/scripts/walk-setup.sh"
"$build/bin/pictavel-window-shot" "$out/unused.png" --hold > "$out/views.log" 2> /dev/null &
window=$!
trap 'kill "$window" "$xvfb" 2> /dev/null || true' EXIT

# Waits for the view named, as the window reports it, and remembers where
# the buttons then are.
await() {
    for _ in $(seq 1 600); do
        line=$(grep '^view ' "$out/views.log" | tail -n 1 || true)
        if [ "${line#view $1 }" != "$line" ]; then
            read -r _ _ _ middle_x middle_y _ thumbs_x thumbs_y _ editor_x editor_y <<< "$line"
            sleep 0.5
            import -window root "$out/$2.png"
            echo "$2: $1"
            return
        fi
        sleep 0.1
    done
    echo "walk-views: expected the $1 view for $2, the window shows: ${line:-nothing}" >&2
    exit 1
}
click() {
    xdotool mousemove "$1" "$2" click 1
}

await normal 1-normal
click "$thumbs_x" "$thumbs_y"
await thumbs 2-thumbs-only
click "$middle_x" "$middle_y"
await normal 3-back-from-thumbs-only
click "$editor_x" "$editor_y"
await editor 4-editor
click "$middle_x" "$middle_y"
await normal 5-back-from-editor
ls "$out"/*.png
