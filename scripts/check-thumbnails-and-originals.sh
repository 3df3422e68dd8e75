#!/usr/bin/env bash
# Builds a gallery of photo-like JPEG pictures (fractal plasma, camera-sized,
# tagged with a GPS position and, for one, a turned orientation) with
# pictavel-build --smooth-thumbnails --keep-originals and checks what a user
# of those options expects:
#  - each thumbnail against ImageMagick's ordinary resize of the same picture
#    (PSNR of the luminance, in dB, printed; failing below 30 dB), beside
#    the described nearest-pixel thumbnail for comparison;
#  - the full-size file of an upright source holds the source's
#    entropy-coded data byte for byte;
#  - no output file holds a GPS tag (exiftool).
#
# check-thumbnails-and-originals.sh [BUILD_FOLDER]   (default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
tool=$build/bin/pictavel-build
for program in convert compare exiftool; do
    command -v "$program" > /dev/null ||
        { echo "check-thumbnails: $program is missing (imagemagick, libimage-exiftool-perl)" >&2; exit 1; }
done
[ -x "$tool" ] || { echo "check-thumbnails: $tool is not built" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
sizes=(3000x2000 4000x3000 2400x3200 3264x2448 1920x1280)
for i in "${!sizes[@]}"; do
    convert -seed $((i + 7)) -size "${sizes[$i]}" plasma:fractal -blur 0x0.6 \
        -quality 92 "$work/src/photo$i.jpg"
    exiftool -q -overwrite_original -GPSLatitude=48.8584 -GPSLatitudeRef=N \
        -GPSLongitude=2.2945 -GPSLongitudeRef=E -SerialNumber=123456 "$work/src/photo$i.jpg"
done
# A camera held upright: stored turned, with the tag that turns it back.
exiftool -q -overwrite_original -Orientation=6 -n "$work/src/photo2.jpg"
printf '[PropertyProject]\r\nNameProp=Default|\r\n' > "$work/propstor.ini"
"$tool" --ini "$work/propstor.ini" --quiet --smooth-thumbnails --keep-originals "$work/smooth" "$work/src"
"$tool" --ini "$work/propstor.ini" --quiet "$work/nearest" "$work/src"

luma_psnr() { # thumbnail reference
    convert "$1" -colorspace Gray "$work/a.png"
    convert "$2" -colorspace Gray "$work/b.png"
    compare -metric PSNR "$work/a.png" "$work/b.png" null: 2>&1 || true
}
status=0
for i in "${!sizes[@]}"; do
    thumb=$work/smooth/thumb/photo$i.jpg
    size=$(identify -format '%wx%h' "$thumb")
    convert "$work/src/photo$i.jpg" -auto-orient -resize "$size!" -quality 90 "$work/ref$i.png"
    smooth=$(luma_psnr "$thumb" "$work/ref$i.png")
    nearest=$(luma_psnr "$work/nearest/thumb/photo$i.jpg" "$work/ref$i.png")
    echo "photo$i ${sizes[$i]} -> $size: smooth $smooth dB, nearest $nearest dB"
    python3 -c "import sys; sys.exit(0 if float(sys.argv[1]) >= 30 else 1)" "$smooth" || status=1
done
python3 - "$work/src/photo0.jpg" "$work/smooth/gal/photo0.jpg" << 'EOF'
import sys
scan = [open(p, 'rb').read() for p in sys.argv[1:]]
source, kept = (data[data.index(b'\xff\xda'):] for data in scan)
print('upright source kept byte for byte from its scan on:', kept == source[:len(kept)] and kept.endswith(b'\xff\xd9'))
sys.exit(0 if kept == source[:len(kept)] else 1)
EOF
gps=$(exiftool -q -r -GPS:all -SerialNumber -s "$work/smooth" | wc -l)
echo "GPS or serial number tags left in the outputs: $gps"
[ "$gps" = 0 ] || status=1
exit $status
