#!/usr/bin/env bash
# Scores the described page and the modern page with Lighthouse 12 (npm) in
# headless Chromium, on mobile and on desktop: 24 photo-like pictures of 1.4
# to 24 megapixels, built by pictavel-build, served by python3 -m
# http.server. Prints the median of three runs of each category.
#
# lighthouse-pages.sh [BUILD_FOLDER]   (default build-test/ of the tree)
#   Lighthouse is installed into a temporary npm folder unless LIGHTHOUSE
#   names its command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-test}
work=$(mktemp -d)
server=
trap 'kill $server 2> /dev/null || true; rm -rf "$work"' EXIT
lighthouse=${LIGHTHOUSE:-}
if [ -z "$lighthouse" ]; then
    npm install --silent --prefix "$work/npm" lighthouse@12 > /dev/null
    lighthouse=$work/npm/node_modules/.bin/lighthouse
fi

sizes=(1400x1000 2000x1500 3000x2000 4000x3000 6000x4000 3000x4000)
mkdir -p "$work/photos"
for i in $(seq -w 1 24); do
    size=${sizes[$((10#$i % 6))]}
    convert -size "$size" "gradient:hsb($((10#$i * 15)),80%,90%)-hsb($((10#$i * 15 + 120)),60%,40%)" \
        -attenuate 0.3 +noise Gaussian -quality 90 "$work/photos/photo$i.jpg"
done
printf '[PropertyProject]\r\nNameProp=Default|\r\n[DefaultDefault]\r\nedtTitle.Text=Summer trip\r\nedtHeader.Text=Our summer trip\r\n' \
    > "$work/propstor.ini"
"$build/bin/pictavel-build" --ini "$work/propstor.ini" --quiet "$work/site/described" "$work/photos"
"$build/bin/pictavel-build" --ini "$work/propstor.ini" --modern-page --quiet "$work/site/modern" \
    "$work/photos"
echo "index of the modern page: $(wc -c < "$work/site/modern/~thumbs.html") bytes of HTML, CSS and JS"

port=$((20000 + RANDOM % 20000))
(cd "$work/site" && exec python3 -m http.server "$port" --bind 127.0.0.1 > /dev/null 2>&1) &
server=$!
sleep 1
flags="--headless=new --no-sandbox --disable-gpu --disable-quic --no-first-run \
--disable-background-networking --disable-component-update --disable-sync"
for page in described modern; do
    for form in mobile desktop; do
        preset=()
        [ "$form" = desktop ] && preset=(--preset=desktop)
        for run in 1 2 3; do
            "$lighthouse" "http://127.0.0.1:$port/$page/~thumbs.html" --quiet \
                --chrome-path=/usr/bin/chromium --chrome-flags="$flags" "${preset[@]}" \
                --only-categories=performance,accessibility,best-practices,seo \
                --output=json --output-path="$work/$page-$form-$run.json" > /dev/null 2>&1 || true
        done
        python3 - "$work" "$page" "$form" << 'PY'
import json, statistics, sys
work, page, form = sys.argv[1:4]
scores = {}
for run in (1, 2, 3):
    try:
        report = json.load(open(f"{work}/{page}-{form}-{run}.json"))
    except (OSError, ValueError):
        continue
    for key, category in report["categories"].items():
        if category["score"] is not None:
            scores.setdefault(key, []).append(round(category["score"] * 100))
print(f"{page:9} {form:7}", "  ".join(f"{k} {statistics.median(v):.0f}" for k, v in scores.items()))
PY
    done
done
