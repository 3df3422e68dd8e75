#!/usr/bin/env bash
# Exports a ProPhoto-tagged and an Adobe RGB-tagged photo-like JPEG with
# pictavel-build and compares the written pictures with ImageMagick's
# conversion of the originals to sRGB (convert IN -profile sRGB.icc OUT, with
# Debian's icc-profiles-free copy of sRGB.icc). Prints, for each photo:
#   - the mean colour (each channel averaged over the picture) of the
#     full-size picture and of the conversion, and their largest channel
#     difference (limit 1 level), beside that of the unconverted numbers;
#   - the mean absolute difference of the full-size picture from the
#     conversion, beside that of a plain quality 90 encoding of the conversion
#     itself with libjpeg's default 2x2 chroma sampling, as the program writes
#     (limit: at most 1 level more);
#   - the largest channel difference of the thumbnail's mean colour (limit 3).
# Ends non-zero when a limit is passed. Works in build/colour-check/.
#
# check-colour-profiles.sh [BUILD_FOLDER]   (default: build/ of the tree)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}

"$root/scripts/setup-deps.sh" imagemagick icc-profiles-free
srgb=/usr/share/color/icc/sRGB.icc
[ -f "$srgb" ] || srgb=$(dpkg -L icc-profiles-free | grep '/sRGB.icc$' | head -n 1)

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPICTAVEL_BUILD_BENCH=ON > /dev/null
cmake --build "$build" -j2 --target pictavel-build pictavel-tagged-photo > /dev/null

work=$build/colour-check
rm -rf "$work"
mkdir -p "$work/sources"
printf '[PropertyProject]\r\nNameProp=Default|\r\n' > "$work/propstor.ini"

# Each channel's mean over the picture, in levels.
mean() { convert "$1" -format '%[fx:255*mean.r] %[fx:255*mean.g] %[fx:255*mean.b]' info:; }
# The largest of the three channel differences of two means.
largest() { awk -v a="$1" -v b="$2" 'BEGIN { split(a, x); split(b, y); m = 0
    for (i = 1; i <= 3; i++) { d = x[i] - y[i]; if (d < 0) d = -d; if (d > m) m = d }
    printf "%.2f", m }'; }
# Mean absolute difference over all channels, in levels.
# (compare ends with status 1 when the pictures differ at all.)
mae() { { compare -metric MAE "$1" "$2" null: 2>&1 || true; } | sed 's/.*(\(.*\))/\1/' |
    awk '{ printf "%.2f", $1 * 255 }'; }
within() { awk -v v="$1" -v limit="$2" 'BEGIN { exit !(v <= limit) }'; }

failed=no
for kind in prophoto adobe; do
    source=$work/sources/$kind.jpg
    "$build/bin/pictavel-tagged-photo" "$source" "$kind" 1600 1200
    "$build/bin/pictavel-build" --ini "$work/propstor.ini" --quiet "$work/$kind" "$source"
    picture=$work/$kind/gal/$kind.jpg
    thumb=$work/$kind/thumb/$kind.jpg
    reference=$work/$kind-srgb.png
    convert "$source" -profile "$srgb" "$reference"
    convert "$reference" -sampling-factor 2x2,1x1,1x1 -quality 90 "$work/$kind-srgb-q90.jpg"
    convert "$source" +profile '*' "$work/$kind-numbers.png"

    ours=$(mean "$picture")
    theirs=$(mean "$reference")
    off=$(largest "$ours" "$theirs")
    before=$(largest "$(mean "$work/$kind-numbers.png")" "$theirs")
    ownMae=$(mae "$picture" "$reference")
    plainMae=$(mae "$work/$kind-srgb-q90.jpg" "$reference")
    thumbOff=$(largest "$(mean "$thumb")" "$theirs")
    echo "$kind: mean colour $ours, ImageMagick $theirs: off by $off levels (unconverted: $before)"
    echo "$kind: mean absolute difference from the conversion $ownMae levels, its own q90 encoding $plainMae"
    echo "$kind: thumbnail's mean colour off by $thumbOff levels"
    within "$off" 1 || failed=yes
    within "$ownMae" "$(awk -v p="$plainMae" 'BEGIN { print p + 1 }')" || failed=yes
    within "$thumbOff" 3 || failed=yes
done
if [ "$failed" = yes ]; then
    echo "check-colour-profiles: a limit was passed" >&2
    exit 1
fi
echo "check-colour-profiles: every figure within its limit"
