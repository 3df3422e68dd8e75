#!/usr/bin/env bash
# Installs a build folder (build-package/ unless one is given, built as
# scripts/package.sh builds it) into a temporary prefix and checks that the
# programs, the desktop entry, the icons and the translations are where a
# Linux desktop and the window look.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh" desktop-file-utils
build=${1:-$root/build-package}
if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPICTAVEL_BUILD_TESTS=OFF \
          -DPICTAVEL_BUILD_BENCH=OFF
fi
cmake --build "$build" -j"$(nproc)"

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

programs=(pictavel)
[[ -f "$build/bin/pictavel-build" ]] && programs+=(pictavel-build)
for program in "${programs[@]}"; do
    [[ -x "$prefix/bin/$program" ]] || fail "bin/$program is not installed"
done

entry="$prefix/share/applications/pictavel.desktop"
if [[ -f "$entry" ]]; then
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
    exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [[ -x "$prefix/bin/$exec_name" ]] || fail "the entry starts '$exec_name', which is not installed"
else
    fail "share/applications/pictavel.desktop is not installed"
fi

# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 "x" $5*16777216 + $6*65536 + $7*256 + $8 }'
}
icon_name=$(sed -n 's/^Icon=//p' "$entry" 2>/dev/null || true)
for size in 16x16 32x32; do
    icon="$prefix/share/icons/hicolor/$size/apps/${icon_name:-pictavel}.png"
    if [[ -f "$icon" ]]; then
        [[ $(png_size "$icon") == "$size" ]] || fail "$icon is $(png_size "$icon"), not $size"
    else
        fail "share/icons/hicolor/$size/apps/${icon_name:-pictavel}.png is not installed"
    fi
done

# The window finds its catalogue beside its bin folder.
[[ -f "$prefix/share/pictavel/translations/pictavel_en.qm" ]] ||
    fail "share/pictavel/translations/pictavel_en.qm is not installed"

if [[ $failures -ne 0 ]]; then
    echo "$failures install check(s) failed" >&2
    exit 1
fi
echo "Install into a temporary prefix: programs (${programs[*]}), desktop entry, icons and translations are in place."
