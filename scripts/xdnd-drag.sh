# Sourced by the end-to-end drop test and run.sh --desktop: an Xvfb server on
# a free display (scripts/xvfb.sh), and a real X drag from one window to
# another, the pointer driven through XTest with xdotool, on the X server in
# $DISPLAY. Needs no window manager.

# shellcheck source=xvfb.sh
. "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

# Stops the programs a drag run started ($source_pid, $gui_pid, the Xvfb of
# xvfb_start) and removes its scratch folder $work; for the caller's EXIT trap.
xdnd_cleanup() {
    for pid in ${source_pid:-} ${gui_pid:-}; do kill "$pid" 2>/dev/null || true; done
    xvfb_stop
    wait 2>/dev/null || true
    rm -rf "$work"
}

# The visible window whose title is exactly $1, within $2 seconds.
xdnd_wait_window() {
    local deadline=$((SECONDS + $2)) id
    while [ $SECONDS -lt "$deadline" ]; do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}

# The centre of window $1 on the screen, as "X Y".
xdnd_centre() {
    local X Y WIDTH HEIGHT WINDOW SCREEN
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
}

# Presses the left button over window $1, moves the pointer in steps to the
# centre of window $2 and releases it there.
xdnd_drag() {
    local from to fx fy tx ty k
    from=$(xdnd_centre "$1")
    to=$(xdnd_centre "$2")
    read -r fx fy <<<"$from"
    read -r tx ty <<<"$to"
    xdotool mousemove "$fx" "$fy"
    sleep 0.2
    xdotool mousedown 1
    # The source starts its drag on the press; the steps let it see the
    # pointer leave and the target answer each position.
    sleep 0.5
    for k in 1 2 3 4 5 6 7 8 9 10; do
        xdotool mousemove $((fx + (tx - fx) * k / 10)) $((fy + (ty - fy) * k / 10))
        sleep 0.1
    done
    sleep 0.3
    xdotool mouseup 1
}
