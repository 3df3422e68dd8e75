# Sourced by the walks through the real window, after `root` and `out` are
# set: checks the tools, builds the window's harness (into `build`, by
# default a Release build in build/), empties `out`, keeps the window's own
# records in it, starts an Xvfb display ($xvfb is its process) of `screen`
# (default 900x640x24) that DISPLAY names, and gives the steps every walk
# takes.
for tool in Xvfb xdotool import; do
    command -v "$tool" > /dev/null || { echo "$(basename "$0"): $tool is missing" >&2; exit 1; }
done
build=${build:-$root/build}
[ -f "$build/CMakeCache.txt" ] ||
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPICTAVEL_BUILD_TESTS=ON > /dev/null
cmake --build "$build" --target pictavel-window-shot -j"$(nproc)"
rm -rf "$out"
mkdir -p "$out"
# The window records its set: the record stays with the walk, out of the
# user's own data folder.
export XDG_DATA_HOME=$out/data
export XDG_CONFIG_HOME=$out/config

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 "${screen:-900x640x24}" -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display

# Waits for the next dialog in the window's places log `$log`, which must be
# NAME, and clicks into it; `modals` counts the dialogs seen so far.
modals=0
await_modal() {
    for _ in $(seq 1 300); do
        if [ "$(grep -c '^modal ' "$log")" -gt "$modals" ]; then
            modals=$((modals + 1))
            line=$(grep '^modal ' "$log" | sed -n "${modals}p")
            [ "$(awk '{print $2}' <<< "$line")" = "$1" ] ||
                { echo "$(basename "$0"): expected $1, got: $line" >&2; exit 1; }
            # shellcheck disable=SC2046
            xdotool mousemove $(awk '{print $3, $4}' <<< "$line") click 1
            sleep 0.3
            return
        fi
        sleep 0.1
    done
    echo "$(basename "$0"): no $1 dialog" >&2
    exit 1
}
# Saves the whole display as $out/NAME.png.
shot() {
    sleep 1
    import -window root "$out/$1.png"
    echo "screenshot: $out/$1.png"
}
# The latest screen place the window's places log `$log` gives for a
# control, waiting for it; controls that move are logged again.
at() {
    for _ in $(seq 1 100); do
        grep -q "^at $1 " "$log" && break
        sleep 0.1
    done
    grep "^at $1 " "$log" | tail -1 | awk '{print $3, $4}'
}
# Clicks a control of the log with the mouse button given (default 1).
click() {
    # shellcheck disable=SC2046
    xdotool mousemove $(at "$1") click "${2:-1}"
    sleep 0.7
}
# Chooses the project folder $1 (which exists) in its dialog, selects every
# file of the file list and adds them.
add_all_pictures() {
    click bteDirProjectButton
    await_modal DirDialogProject
    xdotool key ctrl+a type --delay 20 "$1"
    xdotool key Return
    sleep 1
    click firstFile
    xdotool key ctrl+a
    click btnADDThumb
}
# Starts openbox, as a person's desktop has a window manager, and then the
# window as at its very first start with the folder $1 in its file list; its
# places go to $log. Both end with the walk. `fail` stops the walk with a
# reason.
start_fresh_window_managed() {
    openbox > /dev/null 2>&1 &
    wm=$!
    sleep 1
    log=$out/places.log
    "$build/bin/pictavel-window-shot" "$out/unused.png" --fresh "$1" > "$log" 2> /dev/null &
    window=$!
    trap 'kill "$window" "$wm" "$xvfb" 2> /dev/null || true' EXIT
    at tabHtml > /dev/null
}
fail() {
    echo "$(basename "$0"): $1" >&2
    exit 1
}
