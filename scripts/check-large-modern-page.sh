#!/usr/bin/env bash
# Builds a modern page of 2,000 small pictures with pictavel-build, serves
# it with python3's http.server and opens it in headless Chromium on a phone
# of 390 x 844. Fails unless: the page's HTML, CSS and JS stay under 100 kB;
# the first screen loads only a few thumbnails; scrolling to the end brings
# every thumbnail into the one grid; and an address of a picture on a later
# page opens the viewer on it with its place among all.
#
# check-large-modern-page.sh [BUILD_FOLDER]
#   BUILD_FOLDER holds bin/pictavel-build (default: build-test/ of the tree).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-test}
tool=$build/bin/pictavel-build
count=2000
browser=$(command -v chromium) || { echo "check-large-modern-page: chromium is missing" >&2; exit 1; }
[ -x "$tool" ] || { echo "check-large-modern-page: $tool is not built" >&2; exit 1; }

work=$(mktemp -d)
server=
cleanup() {
    [ -z "$server" ] || kill "$server" 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/sources"
"$root/scripts/make-bmp.py" "$work/sources/P_0001.bmp" 64 48 90 140 200
for i in $(seq 2 $count); do
    cp "$work/sources/P_0001.bmp" "$work/sources/$(printf 'P_%04d' "$i").bmp"
done
printf "[PropertyProject]\r\nNameProp=Default|\r\n" > "$work/propstor.ini"
"$tool" --ini "$work/propstor.ini" --modern-page --quiet --jobs 2 "$work/gallery" "$work/sources"
page=$work/gallery/~thumbs.html
bytes=$(stat -c %s "$page")
[ "$bytes" -lt 100000 ] ||
    { echo "check-large-modern-page: the page is $bytes bytes, not under 100 kB" >&2; exit 1; }

check=$work/gallery/check.html
cp "$page" "$check"
cat >> "$check" << 'EOF2'
<script>
window.addEventListener('load', function () {
  var problems = [];
  var first = 0;
  [].forEach.call(document.querySelectorAll('#g img'), function (img) {
    if (img.loading !== 'lazy') first++;
  });
  if (first > 12) problems.push(first + ' thumbnails load before they come into view');
  var rounds = 0;
  function report() {
    var out = document.createElement('pre');
    out.textContent = 'LARGE-CHECK thumbnails=' + document.querySelectorAll('#g a').length +
      ' first=' + first + ' problems=' + problems.length + '\n' + problems.join('\n');
    document.body.appendChild(out);
  }
  function viewer() {
    location.hash = '#p1990';
    setTimeout(function () {
      var vi = document.getElementById('vi'), vn = document.getElementById('vn');
      if (document.getElementById('v').hidden || vi.getAttribute('src') !== 'view/P_1990.jpg')
        problems.push('#p1990 did not open the viewer on its copy: ' + vi.getAttribute('src'));
      if (vn.textContent !== '1990 / 2000') problems.push('its place reads ' + vn.textContent);
      report();
    }, 500);
  }
  function scroll() {
    window.scrollTo(0, document.body.scrollHeight);
    if (!document.getElementById('m')) return viewer();
    if (++rounds > 3000) { problems.push('scrolling never reached the end'); return report(); }
    setTimeout(scroll, 100);
  }
  setTimeout(scroll, 200);
});
</script>
EOF2

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/gallery" > /dev/null 2>&1 &
server=$!
python3 - "$port" << 'EOF3'
import socket, sys, time
for _ in range(100):
    try:
        socket.create_connection(("127.0.0.1", int(sys.argv[1])), 1).close()
        break
    except OSError:
        time.sleep(0.1)
EOF3
profile=$work/profile
dom=$(timeout 300 "$browser" --headless --no-sandbox --disable-gpu --no-first-run \
      --disable-background-networking --disable-component-update --disable-sync \
      --user-data-dir="$profile" --hide-scrollbars --window-size=390,844 \
      --virtual-time-budget=600000 --dump-dom "http://127.0.0.1:$port/check.html" 2> /dev/null)
verdict=$(sed -n '/<pre>LARGE-CHECK/,/<\/pre>/p' <<< "$dom" | sed 's/<\/pre>.*//; s/<pre>//')
echo "$verdict"
grep -q "^LARGE-CHECK thumbnails=$count first=[0-9]* problems=0\$" <<< "$verdict" ||
    { echo "check-large-modern-page: the large page does not work in the browser" >&2; exit 1; }
if [ -n "${PUPPETEER:-}" ]; then
    NODE_PATH=$PUPPETEER node - "http://127.0.0.1:$port/~thumbs.html" << 'EOF3'
const puppeteer = require('puppeteer-core');
(async () => {
  const browser = await puppeteer.launch({executablePath: '/usr/bin/chromium', args: ['--no-sandbox']});
  const page = await browser.newPage();
  await page.setViewport({width: 390, height: 844, deviceScaleFactor: 3, isMobile: true});
  let bytes = 0, files = 0;
  page.on('response', async (r) => { try { bytes += (await r.buffer()).length; files++; } catch (e) {} });
  await page.goto(process.argv[2], {waitUntil: 'networkidle0'});
  console.log(`first load on a phone: ${files} files, ${bytes} bytes`);
  await browser.close();
})();
EOF3
fi
echo "check-large-modern-page: $count thumbnails on one page of $bytes bytes, the later ones fetched as they scroll into view"
