#!/usr/bin/env bash
# Shows the real window under Xvfb with a grid of generated photographs and
# saves a screenshot, by default build/window.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/window.png}
command -v xvfb-run >/dev/null || apt-get install -y xvfb
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DPICTAVEL_BUILD_TESTS=ON >/dev/null
cmake --build "$root/build" --target pictavel-window-shot -j"$(nproc)"
xvfb-run -a -s "-screen 0 900x640x24" "$root/build/bin/pictavel-window-shot" "$out"
echo "$out"
