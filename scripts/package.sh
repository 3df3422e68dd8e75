#!/usr/bin/env bash
# Builds the Debian package in build-package/ (Release) and prints its path,
# alone on standard output; everything else goes to standard error.
set -euo pipefail
exec 3>&1 1>&2
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh"
build="$root/build-package"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPICTAVEL_SANITIZE=OFF \
      -DPICTAVEL_BUILD_TESTS=OFF -DPICTAVEL_BUILD_BENCH=OFF -DPICTAVEL_BUILD_FUZZ=OFF
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/*.deb)
[[ -f "${debs[0]}" ]] || { echo "cpack made no .deb in $build"; exit 1; }
echo "${debs[0]}" >&3
