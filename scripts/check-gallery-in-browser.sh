#!/usr/bin/env bash
# Builds a gallery of a few generated pictures with awkward names (a space,
# "#", "%", a Cyrillic letter, markup, an entity, a backslash, three files
# with one stem), into folders whose texts hold "#", "?", a quote and a
# blank, through pictavel-build, as the described page and as the modern one, opens its page in headless Chromium and fails unless
# every thumbnail has loaded and every link leads to a picture that loads. A
# screenshot of the page is left beside it.
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

work=$(mktemp -d)
cleanup() {
    if [ "$keep" = no ] && [ "${passed:-no}" = yes ]; then
        rm -rf "$work"
    else
        echo "check-gallery-in-browser: the gallery and its screenshot are in $work" >&2
    fi
}
trap cleanup EXIT

# BMP sources written here; JPEG sources made from them by a first build.
bmp="$root/scripts/make-bmp.py"
"$bmp" "$work/summer day.bmp" 160 120 200 40 40
"$bmp" "$work/100%.bmp" 90 140 40 180 60
"$bmp" "$work/no#1.bmp" 120 120 30 60 220
"$bmp" "$work/жук.bmp" 200 100 220 200 30
# Names that are markup or an entity, and three files with one stem.
i=0
for name in '"><img src=x onerror=alert(1)>.bmp' 'a&amp;b.bmp' 'back\slash.bmp' trip.2019.bmp \
    trip.2020.bmp trip.bmp; do
    "$bmp" "$work/$name" $((60 + 10 * i)) 50 $((20 * i)) 90 $((200 - 20 * i))
    i=$((i + 1))
done
printf '[PropertyProject]\r\nNameProp=Default|Odd|\r\n[OddOdd]\r\n' > "$work/propstor.ini"
printf 'edtGalerFolder.Text=trip #3\r\nedtThumbsFolder.Text=\\what? "q" \r\n' >> "$work/propstor.ini"
"$tool" --ini "$work/propstor.ini" --quiet "$work/first" "$work/no#1.bmp" "$work/жук.bmp"
mkdir "$work/sources"
mv "$work/summer day.bmp" "$work/100%.bmp" "$work/"trip* "$work/a&amp;b.bmp" "$work/back\slash.bmp" \
    "$work/sources/"
mv "$work/\"><img src=x onerror=alert(1)>.bmp" "$work/sources/"
mv "$work/first/gal/no#1.jpg" "$work/first/gal/жук.jpg" "$work/sources/"

project=$work/gallery
"$tool" --ini "$work/propstor.ini" --profile Odd --quiet "$project" "$work/sources"

# Ten pictures: any name that opened markup would add an image of its own.
"$root/scripts/check-page-in-browser.sh" "$project/~thumbs.html" 10 "$work/gallery.png"

# The same gallery as the modern page, on a phone, with its viewer.
"$tool" --ini "$work/propstor.ini" --profile Odd --modern-page --quiet "$work/modern" \
    "$work/sources"
"$root/scripts/check-modern-page-in-browser.sh" "$work/modern/~thumbs.html" 10 "$work/modern"
passed=yes
