# Sourced by the walks through the real window, after `root` and `out` are
# set: checks the tools, builds the window's harness, empties `out`, keeps
# the window's own records in it, and starts an Xvfb display ($xvfb is its
# process) that DISPLAY names.
for tool in Xvfb xdotool import; do
    command -v "$tool" > /dev/null || { echo "$(basename "$0"): $tool is missing" >&2; exit 1; }
done
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DPICTAVEL_BUILD_TESTS=ON > /dev/null
cmake --build "$root/build" --target pictavel-window-shot -j"$(nproc)"
rm -rf "$out"
mkdir -p "$out"
# The window records its set: the record stays with the walk, out of the
# user's own data folder.
export XDG_DATA_HOME=$out/data

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 900x640x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
