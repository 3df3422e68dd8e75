#!/usr/bin/env bash
# Opens a modern gallery page in headless Chromium on a phone of 390 x 844
# and fails unless: nothing scrolls sideways; all COUNT thumbnails and their
# thumbnails of twice the pixels load; every link and every screen-sized
# copy loads as a picture; a click on a thumbnail opens the viewer on its
# copy; ArrowRight shows the next picture under its own address and Escape
# closes the viewer. Every thumbnail must also be a plain link to its
# picture in the page's markup, as it works without scripts. Screenshots of the grid and the viewer go to
# SHOT_PREFIX-grid.png and SHOT_PREFIX-viewer.png.
#
# check-modern-page-in-browser.sh PAGE COUNT SHOT_PREFIX
set -euo pipefail
page=$1
count=$2
shots=$3
browser=$(command -v chromium) || { echo "check-modern-page: chromium is missing" >&2; exit 1; }
profile=$(mktemp -d)
check=$(dirname "$page")/.check-modern-$$.html
trap 'rm -rf "$profile" "$check"' EXIT

cp "$page" "$check"
cat >> "$check" << 'EOF2'
<script>
window.addEventListener('load', function () {
  var problems = [], links = [].slice.call(document.querySelectorAll('#g a'));
  var wide = document.documentElement.scrollWidth;
  if (wide > window.innerWidth) problems.push('scrolls sideways: ' + wide + ' > ' + window.innerWidth);
  var targets = [];
  links.forEach(function (a) {
    var img = a.querySelector('img');
    targets.push(a.href, a.getAttribute('data-v'), img.src, img.srcset.split(' ')[0]);
    if (!img.alt) problems.push('no alt text: ' + img.src);
  });
  var pending = targets.length;
  function next(step) { setTimeout(step, 50); }
  function viewer() {
    var v = document.getElementById('v'), vi = document.getElementById('vi');
    links[0].click();
    next(function () {
      if (v.hidden || vi.getAttribute('src').indexOf('view/') !== 0) problems.push('a click did not open the viewer on a copy');
      document.dispatchEvent(new KeyboardEvent('keydown', {key: 'ArrowRight'}));
      next(function () {
        if (location.hash !== '#p2' || vi.getAttribute('src') !== links[1].getAttribute('data-v')) problems.push('ArrowRight did not show the next picture: ' + location.hash);
        document.dispatchEvent(new KeyboardEvent('keydown', {key: 'Escape'}));
        next(function () {
          if (!v.hidden) problems.push('Escape did not close the viewer');
          var out = document.createElement('pre');
          out.textContent = 'MODERN-CHECK thumbnails=' + links.length + ' problems=' + problems.length + '\n' + problems.join('\n');
          document.body.appendChild(out);
        });
      });
    });
  }
  targets.forEach(function (url) {
    var probe = new Image();
    probe.onload = function () { if (--pending === 0) viewer(); };
    probe.onerror = function () { problems.push('does not load: ' + url); if (--pending === 0) viewer(); };
    probe.src = url;
  });
});
</script>
EOF2

flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run
       --disable-background-networking --disable-component-update --disable-sync
       --user-data-dir="$profile" --hide-scrollbars --window-size=390,844)
dom=$(timeout 120 "$browser" "${flags[@]}" --virtual-time-budget=15000 --dump-dom \
      "file://$check" 2> /dev/null)
verdict=$(sed -n '/<pre>MODERN-CHECK/,/<\/pre>/p' <<< "$dom" | sed 's/<\/pre>.*//; s/<pre>//')
echo "$verdict"
grep -q "^MODERN-CHECK thumbnails=$count problems=0\$" <<< "$verdict" ||
    { echo "check-modern-page: the page does not work in the browser" >&2; exit 1; }

# Without scripts the page is its markup: every thumbnail a plain link that
# reaches its picture.
folder=$(dirname "$page")
hrefs=$(grep -o '<a href="[^"]*" id="p[0-9]*"' "$page" | sed 's/<a href="//; s/" id=.*//; s/&amp;/\&/g')
[ "$(grep -c . <<< "$hrefs")" = "$count" ] || { echo "check-modern-page: not $count plain links" >&2; exit 1; }
while read -r href; do
    file=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.unquote(sys.argv[1]))' "$href")
    [ -f "$folder/$file" ] || { echo "check-modern-page: without scripts $href leads nowhere" >&2; exit 1; }
done <<< "$hrefs"

timeout 120 "$browser" "${flags[@]}" --screenshot="$shots-grid.png" "file://$page" 2> /dev/null > /dev/null
timeout 120 "$browser" "${flags[@]}" --virtual-time-budget=3000 --screenshot="$shots-viewer.png" \
    "file://$page#p2" 2> /dev/null > /dev/null
echo "check-modern-page: $count thumbnails, the viewer and the plain links all work"
