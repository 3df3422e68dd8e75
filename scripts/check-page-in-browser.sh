#!/usr/bin/env bash
# Opens a written gallery page in headless Chromium and fails unless it shows
# exactly COUNT thumbnails that all loaded and COUNT links whose targets all
# load as pictures. A screenshot of the page goes to SCREENSHOT.
#
# check-page-in-browser.sh PAGE COUNT SCREENSHOT
set -euo pipefail
page=$1
count=$2
screenshot=$3
browser=$(command -v chromium || true)
if [ -z "$browser" ]; then
    if [ "$(id -u)" = 0 ] && command -v apt-get > /dev/null; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y chromium > /dev/null
        browser=$(command -v chromium)
    else
        echo "check-page-in-browser: chromium is missing (apt-get install chromium)" >&2
        exit 1
    fi
fi
profile=$(mktemp -d)
trap 'rm -rf "$profile" "$check"' EXIT

# A copy of the page beside it, with a check that writes its verdict into the
# document once every link target has been tried.
check=$(dirname "$page")/.check-$$.html
cp "$page" "$check"
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
timeout 120 "$browser" "${flags[@]}" --window-size=900,500 --screenshot="$screenshot" \
    "file://$page" 2> /dev/null > /dev/null

verdict=$(sed -n '/<pre>GALLERY-CHECK/,/<\/pre>/p' <<< "$dom" | sed 's/<\/pre>.*//; s/<pre>//')
echo "$verdict"
if grep -q "^GALLERY-CHECK images=$count links=$count problems=0\$" <<< "$verdict" &&
    [ -s "$screenshot" ]; then
    echo "check-page-in-browser: all $count thumbnails loaded and every link leads to its picture"
else
    echo "check-page-in-browser: the page does not work in the browser" >&2
    exit 1
fi
