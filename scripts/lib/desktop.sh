# A virtual 1024x700 screen with a window manager, as a user's desktop, for
# the scripts that try the real program. Source it after setting $work (a
# temporary folder, removed on exit); then call start_desktop FIRST_DISPLAY.
# Processes started later go into pids+=(...) and are stopped on exit, the
# newest first.

pids=()
desktop_cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap desktop_cleanup EXIT

# The first free display from $1 on, with Xvfb and openbox running on it.
start_desktop() {
    local display=$1
    while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
        display=$((display + 1))
    done
    export DISPLAY=:$display
    unset WAYLAND_DISPLAY
    Xvfb "$DISPLAY" -screen 0 1024x700x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && break
        sleep 0.1
    done
    openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    sleep 1
}

# Waits up to $2 tenths of a second (default 100) for a visible window titled
# exactly $1 and prints its id.
wait_window() {
    local id
    for _ in $(seq "${2:-100}"); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    echo "no window \"$1\"" >&2
    return 1
}
