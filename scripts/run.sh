#!/usr/bin/env bash
# Installs what is missing, builds the program into build/ and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DPICTAVEL_BUILD_TESTS=OFF
cmake --build "$root/build" --target pictavel -j"$(nproc)"
exec "$root/build/bin/pictavel"
