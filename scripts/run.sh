#!/usr/bin/env bash
# Installs what is missing, builds the shipped 32-bit quillon.exe and starts it
# under Wine: Japanese locale (code page 932), a prefix of its own under the
# build folder, and a CJK font standing in for the MS Gothic faces that the
# windows ask for.
#
# With a display (DISPLAY set) the program runs there until its window is
# closed. Without one it runs on Xvfb with the log window shown; a screenshot
# of both windows is saved, its path printed, and the program closed.
#
# The 32-bit program needs Wine's 32-bit loader, which runs natively or through
# qemu-i386 (registered with binfmt_misc for the run when root may do so).
# Where neither works, the x86_64 build runs under wine64 instead, with a note.
#
# Usage: scripts/run.sh          the program
#        scripts/run.sh --docs   docs/idle.png and docs/log.png: the shell with
#                                one scripted drop of a few files, on Xvfb;
#                                then docs/properties.png: a right click on the
#                                window and the properties dialog it opens
#        scripts/run.sh --desktop [--docs]
#                                the native Linux program, quillon-gui, on the
#                                display in use; without one (or with --docs)
#                                on Xvfb, where a few files are dragged onto it
#                                from another program and a screenshot of the
#                                window and its log is saved (docs/desktop.png
#                                with --docs)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

mode=run
desktop=
for arg in "$@"; do
    case "$arg" in
        --docs) mode=docs ;;
        --desktop) desktop=1 ;;
        *)
            echo "usage: $0 [--desktop] [--docs]" >&2
            exit 2
            ;;
    esac
done

say() { printf 'run.sh: %s\n' "$*"; }

bash scripts/install-deps.sh

if [ -n "$desktop" ]; then
    exec bash scripts/run-desktop.sh "$mode"
fi

# shellcheck source=wine-run.sh
. scripts/wine-run.sh

# shellcheck source=binfmt-i386.sh
. scripts/binfmt-i386.sh

loader32_runs() {
    timeout 60 /usr/lib/wine/wine --version >/dev/null 2>&1
}

# True when Wine's 32-bit loader can run, through qemu-i386 if the kernel
# cannot run it itself.
loader32_available() {
    [ -x /usr/lib/wine/wine ] || return 1
    loader32_runs && return 0
    binfmt_i386_register || return 1
    loader32_runs
}

program_pid=
cleanup() {
    local status=$?
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        /usr/lib/wine/wineserver -k 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
    wine_wait_server 30
    xvfb_stop
    binfmt_i386_unregister
    exit "$status"
}

if [ "$mode" = docs ]; then
    cmake --preset win64 >/dev/null
    cmake --build --preset win64 -j2 --target shell_demo
    build=$root/build/win64
    exe=$build/tests/shell_demo.exe
else
    cmake --preset win32 >/dev/null
    cmake --build --preset win32 -j2
    if loader32_available; then
        build=$root/build/win32
    else
        say "Wine's 32-bit loader cannot run here; starting the x86_64 build under wine64 instead"
        cmake --preset win64 >/dev/null
        cmake --build --preset win64 -j2 --target quillon
        build=$root/build/win64
    fi
    exe=$build/quillon.exe
fi

# The screenshots for docs/ are always taken on Xvfb: there Wine draws the
# frames and captions itself, the same on every machine.
[ "$mode" = run ] || unset DISPLAY
headless=
[ -n "${DISPLAY:-}" ] || headless=1

export WINEPREFIX=$build/wineprefix-run
wine_environment "$exe" "$build"
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
wine_start_x
wine_ensure_prefix

# Wine draws the caption buttons with its own Marlett font (package
# fonts-wine), but looks for it only in the prefix's Fonts folder, where
# Debian's Wine does not put it.
fonts=$WINEPREFIX/drive_c/windows/Fonts
if [ -d /usr/share/wine/fonts ]; then
    mkdir -p "$fonts"
    cp -n /usr/share/wine/fonts/* "$fonts"/ 2>/dev/null || true
fi

# The prefix's settings for this run, as a registry file (UTF-16 with a BOM).
# Without a window manager Wine draws the frames and captions itself only for
# undecorated windows; on a real display the window manager draws them.
configure_prefix() {
    local reg=$WINEPREFIX/quillon-run.reg decorated='-' settings=
    if [ -n "$headless" ]; then
        decorated='"N"'
        settings='
[HKEY_CURRENT_USER\Software\Ombrix\Quillon]
"Filename Type"="Title"
"Primary Tag"="V2"
"Log Window"="OK"
'
    fi
    {
        printf '\xff\xfe'
        iconv -f UTF-8 -t UTF-16LE <<EOF
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]
"ＭＳ ゴシック"="Noto Sans Mono CJK JP"
"ＭＳ Ｐゴシック"="Noto Sans CJK JP"
"MS Gothic"="Noto Sans Mono CJK JP"
"MS PGothic"="Noto Sans CJK JP"

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Decorated"=$decorated
$settings
EOF
    } >"$reg"
    "$WINE_LOADER" reg import "Z:${reg//\//\\}" >/dev/null 2>&1 || say "could not import $reg"
}
configure_prefix

if [ -z "$headless" ]; then
    say "starting $exe on $DISPLAY"
    status=0
    "$WINE_LOADER" "$exe" || status=$?
    exit "$status"
fi

# --- No display: run on Xvfb, take the pictures, close the program ---------

# The visible window whose title is exactly $1, within $2 seconds.
wait_for_window() {
    local deadline=$((SECONDS + $2)) id
    while [ $SECONDS -lt "$deadline" ]; do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$program_pid" 2>/dev/null || return 1
        sleep 1
    done
    return 1
}

if [ "$mode" = docs ]; then
    "$WINE_LOADER" "$exe" 'C:\music' &
else
    "$WINE_LOADER" "$exe" &
fi
program_pid=$!
main=$(wait_for_window Quillon 300) || { say "no window captioned Quillon appeared"; exit 1; }
log=$(wait_for_window 'リネームログ' 30) || { say "the log window did not appear"; exit 1; }
# Let the drop (in --docs) and the painting settle.
sleep 2

if [ "$mode" = docs ]; then
    mkdir -p docs
    import -window "$main" docs/idle.png
    import -window "$log" docs/log.png
    say "saved $root/docs/idle.png and $root/docs/log.png"
    # The dialog as a right click opens it, over the busy window and the log's
    # "Configuration..." line; Esc then closes it without saving anything.
    xdotool mousemove --window "$main" 70 70 click 3
    dialog=$(wait_for_window 'プロパティ' 30) || { say "no properties dialog after a right click"; exit 1; }
    sleep 2
    import -window root docs/properties.full.png
    # Only the windows: the empty black desktop around them goes.
    convert docs/properties.full.png -trim +repage docs/properties.png
    rm -f docs/properties.full.png
    say "saved $root/docs/properties.png"
    timeout 10 xdotool windowfocus --sync "$dialog" 2>/dev/null || xdotool windowfocus "$dialog" 2>/dev/null || true
    xdotool key --clearmodifiers Escape
    for _ in $(seq 30); do
        xdotool search --onlyvisible --name '^プロパティ$' >/dev/null 2>&1 || break
        sleep 1
    done
else
    shot=$build/quillon-run.png
    import -window root "$shot.full.png"
    # Only the windows: the empty black desktop around them goes.
    convert "$shot.full.png" -trim +repage "$shot"
    rm -f "$shot.full.png"
    say "no display: ran on Xvfb; screenshot of the main and the log window: $shot"
fi

# Alt+F4 closes the main window as a user would; the log window goes with it.
timeout 10 xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main" 2>/dev/null || true
xdotool key --clearmodifiers alt+F4
status=0
for _ in $(seq 60); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 1
done
if kill -0 "$program_pid" 2>/dev/null; then
    say "the program did not end after Alt+F4"
    exit 1
fi
wait "$program_pid" || status=$?
program_pid=
say "program ended with exit code $status"
exit "$status"
