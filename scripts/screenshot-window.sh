#!/usr/bin/env bash
# Shows the real window under Xvfb with 24 generated photographs, all
# selected, the last a 6000 x 4000 picture with a long name, so the panes hold
# their longest usual texts, and saves screenshots to look at: the grid
# (by default build/window.png), the thumbnails-only view (window-thumbs.png),
# the editor with a 1000 x 1000 crop frame (window-editor.png) and the page's
# tab after "Start" with its bar full (window-html.png).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/window.png}
# The window records its set: the record stays beside the screenshots, out
# of the user's own data folder.
export XDG_DATA_HOME=$(dirname "$out")/window-data
command -v xvfb-run >/dev/null || apt-get install -y xvfb
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DPICTAVEL_BUILD_TESTS=ON >/dev/null
cmake --build "$root/build" --target pictavel-window-shot -j"$(nproc)"
xvfb-run -a -s "-screen 0 900x640x24" "$root/build/bin/pictavel-window-shot" "$out"
ls "${out%.png}"*.png
