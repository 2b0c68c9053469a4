#!/usr/bin/env bash
# Smoke run of the shipped 32-bit program: checks that BUILD_DIR/quillon.exe is
# a PE32 GUI program for i386 importing only system DLLs, then starts it under
# the 32-bit Wine loader (through qemu-i386 where the kernel cannot run 32-bit
# code), waits for its window, opens the properties dialog with a right click,
# chooses to show the log window and confirms with Enter, closes the window
# the way a user would and checks the exit code 0 and the settings in the
# registry: the defaults of the first start, with the dialog's choice.
# Where the 32-bit loader cannot be made to run, the script fails with a line
# that says why (scripts/install-deps.sh installs the loader); with
# QUILLON_SKIP_I686_SMOKE=1 it skips the run instead, says so and exits 0.
# Usage: smoke-i686.sh BUILD_DIR
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine-run.sh
. "$here/wine-run.sh"
# shellcheck source=binfmt-i386.sh
. "$here/binfmt-i386.sh"

[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd)
exe=$build/quillon.exe
# QUILLON_I686_LOADER names another place to look for it (the script's own
# test points it at nothing).
loader=${QUILLON_I686_LOADER:-/usr/lib/wine/wine}
window_timeout=${QUILLON_SMOKE_WINDOW_TIMEOUT:-180}
exit_timeout=${QUILLON_SMOKE_EXIT_TIMEOUT:-120}
dialog_timeout=${QUILLON_SMOKE_DIALOG_TIMEOUT:-120}

say() { printf 'smoke-i686: %s\n' "$*"; }
fail() { printf 'smoke-i686: FAILED: %s\n' "$*" >&2; exit 1; }
# No 32-bit run: a failure, since CI would otherwise pass without ever
# starting the shipped program, unless the skip is asked for.
skip() {
    if [ "${QUILLON_SKIP_I686_SMOKE:-}" = 1 ]; then
        printf '32-bit smoke run skipped (QUILLON_SKIP_I686_SMOKE=1): %s\n' "$*"
        exit 0
    fi
    fail "$* (set QUILLON_SKIP_I686_SMOKE=1 to skip the 32-bit run)"
}

# --- The executable itself (no emulation needed) -------------------------

check_executable() {
    [ -f "$exe" ] || fail "$exe does not exist"
    local headers imports name bad=
    headers=$(i686-w64-mingw32-objdump -p "$exe") || fail "objdump cannot read $exe"
    grep -q 'file format pei-i386' <<<"$headers" || fail "not a PE file for i386"
    grep -Eq '^Magic[[:space:]]+010b' <<<"$headers" || fail "not PE32 (optional header magic is not 0x10b)"
    grep -Eq '^Subsystem[[:space:]]+0+2[[:space:]]' <<<"$headers" || fail "not a GUI program (subsystem is not 2)"
    imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '[:upper:]' '[:lower:]' | sort -u)
    for name in $imports; do
        case $name in
            kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | shell32.dll | msvcrt.dll) ;;
            *) bad="$bad $name" ;;
        esac
    done
    [ -z "$bad" ] || fail "imports DLLs beyond the system's:$bad"
    say "quillon.exe: PE32, i386, GUI subsystem; imports $(echo $imports)"
}

# --- The 32-bit loader ---------------------------------------------------

loader_runs() {
    timeout 60 "$loader" --version >/dev/null 2>&1
}

# Makes the 32-bit loader runnable, registering qemu-i386 for 32-bit ELF
# programs when the kernel cannot run them itself; skips when that is not
# possible here.
ensure_loader() {
    [ -x "$loader" ] || skip "the 32-bit Wine loader $loader is not installed (package wine32:i386)"
    loader_runs && return 0
    binfmt_i386_register || skip "this kernel cannot run 32-bit programs and $BINFMT_I386_ERROR"
    loader_runs || skip "the 32-bit Wine loader does not start, not even under qemu-i386"
}

# --- The run -------------------------------------------------------------

program_pid=
window=

stop_program() {
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        wineserver_kill
        kill "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
}

wineserver_kill() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
}

cleanup() {
    local status=$?
    stop_program
    xvfb_stop
    binfmt_i386_unregister
    exit "$status"
}

# The settings key goes, so that the program starts as on a new machine.
# Only while no wineserver runs: it keeps the registry in memory.
forget_settings() {
    local reg=$WINEPREFIX/user.reg
    [ -f "$reg" ] || return 0
    awk 'BEGIN { drop = 0 }
         /^\[/ { drop = index($0, "[Software\\\\Ombrix\\\\Quillon]") == 1 || index($0, "[Software\\\\Ombrix\\\\Quillon\\\\") == 1 }
         !drop { print }' "$reg" >"$reg.new"
    mv "$reg.new" "$reg"
}

start_program() {
    # The program's exit code is wine-run.sh's exit code.
    bash "$here/wine-run.sh" "$exe" &
    program_pid=$!
}

# Waits for a visible top-level window captioned exactly "Quillon".
wait_for_window() {
    local deadline=$((SECONDS + window_timeout))
    while [ $SECONDS -lt $deadline ]; do
        window=$(xdotool search --onlyvisible --name '^Quillon$' 2>/dev/null | head -n1 || true)
        [ -n "$window" ] && return 0
        kill -0 "$program_pid" 2>/dev/null || fail "quillon.exe ended before its window appeared"
        sleep 2
    done
    fail "no window captioned Quillon within ${window_timeout} s"
}

# A picture of the screen for whoever wants to look: not part of the check.
take_screenshot() {
    if command -v import >/dev/null; then
        import -window root "$build/smoke-i686.png" 2>/dev/null && say "screenshot: $build/smoke-i686.png" || true
    fi
}

# The visible top-level window whose caption is exactly $1, or nothing.
find_window() {
    xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true
}

# Waits, at most $2 seconds, for a visible window captioned exactly $1 and
# prints its id.
wait_for_caption() {
    local deadline=$((SECONDS + $2)) id
    while [ $SECONDS -lt "$deadline" ]; do
        id=$(find_window "$1")
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$program_pid" 2>/dev/null || fail "quillon.exe ended while waiting for the window $1"
        sleep 1
    done
    return 1
}

# Clicks the point x, y (dialog units) of the dialog $1. There is no window
# manager under Xvfb, so the dialog's X window is its client area alone; the
# template's 127 by 187 units fill it whatever font Wine gave the dialog.
click_dialog_units() {
    local geometry width height
    geometry=$(xdotool getwindowgeometry --shell "$1") || fail "cannot read the geometry of the properties dialog"
    width=$(sed -n 's/^WIDTH=//p' <<<"$geometry")
    height=$(sed -n 's/^HEIGHT=//p' <<<"$geometry")
    xdotool mousemove --window "$1" $(($2 * width / 127)) $(($3 * height / 187)) click 1
}

# The properties dialog, as a user opens it: a right click on the window, a
# click on "表示する" (show the log window, control 1005), Enter for OK. The
# name format is left alone, so the "Title" that the first start saved comes
# back only if the dialog really read the registry; the log window appearing
# shows that the main window took the new settings over at once.
drive_program() {
    local dialog
    xdotool mousemove --window "$window" 70 70 click 3
    dialog=$(wait_for_caption 'プロパティ' "$dialog_timeout") ||
        fail "no properties dialog (caption プロパティ) within ${dialog_timeout} s of the right click"
    say "properties dialog up after a right click"
    click_dialog_units "$dialog" 31 127
    timeout 10 xdotool windowfocus --sync "$dialog" 2>/dev/null || xdotool windowfocus "$dialog"
    if command -v import >/dev/null; then
        import -window root "$build/smoke-i686-properties.png" 2>/dev/null || true
    fi
    xdotool key --clearmodifiers Return
    local deadline=$((SECONDS + dialog_timeout))
    while [ -n "$(find_window 'プロパティ')" ]; do
        [ $SECONDS -lt $deadline ] || fail "the properties dialog still shows ${dialog_timeout} s after Enter"
        sleep 1
    done
    wait_for_caption 'リネームログ' "$dialog_timeout" >/dev/null ||
        fail "the log window did not appear after OK with 表示する chosen"
    say "dialog closed with Enter; the log window shows"
}

# Alt+F4 to the focused window: the system's own close, which destroys the
# window and so ends the message loop. There is no window manager under Xvfb,
# so the window is given the focus directly, after a left click that makes it
# Wine's active window again: the log window, shown after OK, took that over,
# and Alt+F4 there would close nothing.
close_window() {
    xdotool mousemove --window "$window" 70 70 click 1
    timeout 10 xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    xdotool key --clearmodifiers alt+F4
}

wait_for_exit() {
    local deadline=$((SECONDS + exit_timeout)) status=0
    while kill -0 "$program_pid" 2>/dev/null; do
        [ $SECONDS -lt $deadline ] || fail "quillon.exe still runs ${exit_timeout} s after Alt+F4"
        sleep 1
    done
    wait "$program_pid" || status=$?
    program_pid=
    [ "$status" -eq 0 ] || fail "quillon.exe exited with code $status, expected 0"
    say "window closed with Alt+F4, exit code 0"
}

# The value NAME of the settings key, as user.reg holds it.
registry_value() {
    awk -v name="\"$1\"" '
        /^\[/ { inside = index($0, "[Software\\\\Ombrix\\\\Quillon]") == 1; next }
        inside && index($0, name "=") == 1 { print substr($0, length(name) + 2); exit }
    ' "$WINEPREFIX/user.reg"
}

# The first start saved "Title", "V2" and "NG"; the dialog's OK rewrote all
# three with "表示する" chosen.
check_settings() {
    local name expected actual
    for pair in 'Filename Type="Title"' 'Primary Tag="V2"' 'Log Window="OK"'; do
        name=${pair%%=*}
        expected=${pair#*=}
        actual=$(registry_value "$name")
        [ "$actual" = "$expected" ] || fail "registry value \"$name\" is ${actual:-missing}, expected $expected"
    done
    say "registry: \"Filename Type\"=\"Title\", \"Primary Tag\"=\"V2\", \"Log Window\"=\"OK\""
}

trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
check_executable
ensure_loader

wine_environment "$exe" "$build"
wine_start_x
start=$SECONDS
wine_ensure_prefix
say "32-bit prefix ready in $((SECONDS - start)) s: $WINEPREFIX"
wine_wait_server 120
forget_settings

start=$SECONDS
start_program
wait_for_window
say "window up after $((SECONDS - start)) s"
take_screenshot
drive_program
close_window
wait_for_exit
# The registry reaches user.reg when the wineserver has shut down.
wine_wait_server 120
check_settings
say "passed in $SECONDS s"
