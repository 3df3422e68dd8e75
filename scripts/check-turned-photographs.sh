#!/usr/bin/env bash
# Exports the memory bench's set of mixed photographs (1.4 to 24 megapixels,
# some stored on their side with an EXIF orientation) with pictavel-build on
# two workers, then checks that each full-size picture is written as shown:
# its sides swapped when its source says it is turned a quarter. Leaves
# screenshots of the page (desktop and phone width) and of the largest
# turned picture in headless Chromium to look at. Works in
# build/turned-check/.
#
# check-turned-photographs.sh [BUILD_FOLDER]   (default: build/ of the tree)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
browser=$(command -v chromium || true)
[ -n "$browser" ] || { echo "check-turned-photographs: chromium is missing" >&2; exit 1; }

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPICTAVEL_BUILD_BENCH=ON > /dev/null
cmake --build "$build" -j2 --target pictavel-build pictavel-bench-export > /dev/null

work=$build/turned-check
rm -rf "$work"
mkdir -p "$work/sources"
printf '[PropertyProject]\r\nNameProp=Default|\r\n' > "$work/propstor.ini"
"$build/bin/pictavel-bench-export" --mixed-corpus "$work/sources"
"$build/bin/pictavel-build" --ini "$work/propstor.ini" --jobs 2 --quiet "$work/project" \
    "$work/sources"

python3 - "$work" << 'PYEOF'
import os, sys
work = sys.argv[1]
def segments(data):
    i = 2
    while i + 4 <= len(data) and data[i] == 0xFF:
        marker, length = data[i + 1], int.from_bytes(data[i + 2:i + 4], 'big')
        yield marker, data[i + 4:i + 2 + length]
        if marker == 0xDA:
            return
        i += 2 + length
def facts(path):
    size, orientation = None, 1
    for marker, body in segments(open(path, 'rb').read()):
        if marker in (0xC0, 0xC1, 0xC2):
            size = (int.from_bytes(body[3:5], 'big'), int.from_bytes(body[1:3], 'big'))
        if marker == 0xE1 and body.startswith(b'Exif\0\0'):
            tiff = body[6:]
            order = 'little' if tiff[:2] == b'II' else 'big'
            first = int.from_bytes(tiff[4:8], order)
            for k in range(int.from_bytes(tiff[first:first + 2], order)):
                entry = tiff[first + 2 + 12 * k:first + 14 + 12 * k]
                if int.from_bytes(entry[:2], order) == 0x0112:
                    orientation = int.from_bytes(entry[8:10], order)
    return size, orientation
wrong = 0
for name in sorted(os.listdir(work + '/sources')):
    (w, h), orientation = facts(work + '/sources/' + name)
    shown = (h, w) if orientation in (5, 6, 7, 8) else (w, h)
    written, _ = facts(work + '/project/gal/' + name)
    print('%s: stored %dx%d, orientation %d, written %dx%d' % (name, w, h, orientation, *written))
    wrong += written != shown
sys.exit(1 if wrong else 0)
PYEOF

profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
shot() {
    timeout 120 "$browser" --headless --no-sandbox --disable-gpu --no-first-run \
        --user-data-dir="$profile" --window-size="$1" --screenshot="$2" "file://$3" \
        > /dev/null 2>&1
}
shot 900,700 "$work/page.png" "$work/project/~thumbs.html"
shot 390,844 "$work/page-phone.png" "$work/project/~thumbs.html"
shot 900,900 "$work/turned.png" "$work/project/gal/photo09.jpg"
ls "$work"/*.png
