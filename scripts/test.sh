#!/usr/bin/env bash
# Installs what is missing (Chromium included, for the check of a written page
# in a real browser), builds the test configuration with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-test/ and runs every test headless.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh" chromium
build="$root/build-test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DPICTAVEL_SANITIZE=ON \
      -DPICTAVEL_BUILD_TESTS=ON -DPICTAVEL_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# The exported page in a real browser.
"$root/scripts/check-gallery-in-browser.sh" "$build"
"$root/scripts/check-large-modern-page.sh" "$build"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
