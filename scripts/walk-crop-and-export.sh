#!/usr/bin/env bash
# Walks the real window under Xvfb as a user would: adds five generated
# photographs, crops the first to 300 x 200 in the editor, saves it, presses
# "Start", and opens the written page in headless Chromium. Leaves four
# screenshots to look at (grid, editor, grid after the export, page) and
# fails unless the cropped picture is the one the page links to.
#
# walk-crop-and-export.sh [OUTPUT_FOLDER]   (default build/walk)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/walk}
command -v xvfb-run > /dev/null || apt-get install -y xvfb
browser=$(command -v chromium || true)
[ -n "$browser" ] || { echo "walk-crop-and-export: chromium is missing" >&2; exit 1; }
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DPICTAVEL_BUILD_TESTS=ON > /dev/null
cmake --build "$root/build" --target pictavel-window-shot -j"$(nproc)"
rm -rf "$out"
mkdir -p "$out"
# The window records its set: the record stays with the walk, out of the
# user's own data folder.
export XDG_DATA_HOME=$out/data
xvfb-run -a -s "-screen 0 900x640x24" \
    "$root/build/bin/pictavel-window-shot" "$out/window.png" --walk "$out/project"

page=$out/project/~thumbs.html
cropped=$(python3 - "$out/project" << 'PYEOF'
import glob, re, sys
def jpeg_size(path):
    data = open(path, 'rb').read()
    i = 2
    while i < len(data):
        marker, length = data[i + 1], int.from_bytes(data[i + 2:i + 4], 'big')
        if marker in (0xC0, 0xC1, 0xC2):
            return int.from_bytes(data[i + 7:i + 9], 'big'), int.from_bytes(data[i + 5:i + 7], 'big')
        i += 2 + length
project = sys.argv[1]
page = open(project + '/~thumbs.html', encoding='cp1251').read()
links = re.findall(r'href="([^"]+)"', page)
sizes = [jpeg_size(project + '/' + link) for link in links]
print(len(links), '%dx%d' % sizes[0])
PYEOF
)
echo "page links and first picture: $cropped"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
timeout 120 "$browser" --headless --no-sandbox --disable-gpu --no-first-run \
    --user-data-dir="$profile" --window-size=900,500 --screenshot="$out/page.png" \
    "file://$page" 2> /dev/null > /dev/null
ls "$out"/*.png
[ "$cropped" = "5 300x200" ] && [ -s "$out/page.png" ]
