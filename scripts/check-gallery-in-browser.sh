#!/usr/bin/env bash
# Builds a gallery of a few generated pictures with awkward names (a space,
# "#", "%", a Cyrillic letter) through pictavel-build, opens its page in
# headless Chromium and fails unless every thumbnail has loaded and every link
# leads to a picture that loads. A screenshot of the page is left beside it.
#
# check-gallery-in-browser.sh [--keep] [BUILD_FOLDER]
#   BUILD_FOLDER holds bin/pictavel-build (default: build-test/ of the tree);
#   --keep leaves the temporary folder in place even when the check passes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
keep=no
if [ "${1:-}" = --keep ]; then
    keep=yes
    shift
fi
build=${1:-$root/build-test}
tool=$build/bin/pictavel-build
if [ ! -x "$tool" ]; then
    echo "check-gallery-in-browser: $tool is not built" >&2
    exit 1
fi

browser=$(command -v chromium || true)
if [ -z "$browser" ]; then
    if [ "$(id -u)" = 0 ] && command -v apt-get > /dev/null; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y chromium > /dev/null
        browser=$(command -v chromium)
    else
        echo "check-gallery-in-browser: chromium is missing (apt-get install chromium)" >&2
        exit 1
    fi
fi

work=$(mktemp -d)
profile=$(mktemp -d)
cleanup() {
    rm -rf "$profile"
    if [ "$keep" = no ] && [ "${passed:-no}" = yes ]; then
        rm -rf "$work"
    else
        echo "check-gallery-in-browser: the gallery and its screenshot are in $work" >&2
    fi
}
trap cleanup EXIT

# BMP sources written here; JPEG sources made from them by a first build.
python3 - "$work" << 'EOF'
import struct, sys
def bmp(path, w, h, colour):
    stride = (w * 3 + 3) & ~3
    rows = b''
    for y in range(h):
        line = bytes(b for x in range(w)
                     for b in ((colour[2] + 2 * x) % 256, (colour[1] + 2 * y) % 256, colour[0]))
        rows += line + b'\0' * (stride - w * 3)
    header = struct.pack('<2sIHHI', b'BM', 54 + len(rows), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    open(path, 'wb').write(header + info + rows)
folder = sys.argv[1]
bmp(folder + '/summer day.bmp', 160, 120, (200, 40, 40))
bmp(folder + '/100%.bmp', 90, 140, (40, 180, 60))
bmp(folder + '/no#1.bmp', 120, 120, (30, 60, 220))
bmp(folder + '/жук.bmp', 200, 100, (220, 200, 30))
EOF
printf '[PropertyProject]\r\nNameProp=Default|\r\n' > "$work/propstor.ini"
"$tool" --ini "$work/propstor.ini" --quiet "$work/first" "$work/no#1.bmp" "$work/жук.bmp"
mkdir "$work/sources"
mv "$work/summer day.bmp" "$work/100%.bmp" "$work/sources/"
mv "$work/first/gal/no#1.jpg" "$work/first/gal/жук.jpg" "$work/sources/"

project=$work/gallery
"$tool" --ini "$work/propstor.ini" --quiet "$project" "$work/sources"

# A copy of the page beside it, with a check that writes its verdict into the
# document once every link target has been tried.
check=$project/check.html
cp "$project/~thumbs.html" "$check"
cat >> "$check" << 'EOF'
<script>
window.addEventListener('load', function () {
  var images = Array.from(document.images), links = Array.from(document.links);
  var problems = [];
  images.forEach(function (img) {
    if (!(img.complete && img.naturalWidth > 0))
      problems.push('thumbnail not loaded: ' + img.getAttribute('src'));
  });
  var pending = links.length;
  function report() {
    var out = document.createElement('pre');
    out.textContent = 'GALLERY-CHECK images=' + images.length + ' links=' + links.length +
        ' problems=' + problems.length + '\n' + problems.join('\n');
    document.body.appendChild(out);
  }
  function settled() { if (--pending === 0) report(); }
  if (pending === 0) report();
  links.forEach(function (a) {
    var probe = new Image();
    probe.onload = settled;
    probe.onerror = function () { problems.push('link target missing: ' + a.getAttribute('href')); settled(); };
    probe.src = a.href;
  });
});
</script>
EOF

flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run
       --disable-background-networking --disable-component-update --disable-sync
       --user-data-dir="$profile")
dom=$(timeout 120 "$browser" "${flags[@]}" --virtual-time-budget=10000 --dump-dom \
      "file://$check" 2> /dev/null)
timeout 120 "$browser" "${flags[@]}" --window-size=900,500 --screenshot="$work/gallery.png" \
    "file://$project/~thumbs.html" 2> /dev/null > /dev/null

verdict=$(sed -n '/<pre>GALLERY-CHECK/,/<\/pre>/p' <<< "$dom" | sed 's/<\/pre>.*//; s/<pre>//')
echo "$verdict"
if grep -q '^GALLERY-CHECK images=4 links=4 problems=0$' <<< "$verdict" &&
    [ -s "$work/gallery.png" ]; then
    passed=yes
    echo "check-gallery-in-browser: every thumbnail loaded and every link leads to its picture"
else
    echo "check-gallery-in-browser: the page does not work in the browser" >&2
    exit 1
fi
