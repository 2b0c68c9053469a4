#!/usr/bin/env bash
# End to end on Xvfb: MP3 files with blanks and Japanese in their names and
# tags, dragged for real from another program (XDND, the pointer moved through
# XTest) onto quillon-gui, come out renamed as the command line renames copies
# of them, and the log, read as a screen reader reads it (AT-SPI), holds the
# command line's lines with the new names beside them; a drag of plain text is
# refused; the source is answered with a copy; the log opens beside the main
# window, and closing the main window ends the program, log and all.
#
#   xdnd_drop_test.sh QUILLON_GUI DRAG_SOURCE QUILLON FIXTURE_SCRIPT
set -euo pipefail
# The accessibility bus lives on a session bus of the test's own.
if [ -z "${QUILLON_SESSION_BUS:-}" ]; then
    exec env QUILLON_SESSION_BUS=1 dbus-run-session -- bash "$0" "$@"
fi
gui=$1 source_program=$2 cli=$3 fixtures=$4
probe="/usr/bin/python3 $(dirname "$0")/desktop_probe.py"
. "$(dirname "$0")/../../scripts/xdnd-drag.sh"

work=$(mktemp -d)
gui_pid= source_pid=
trap xdnd_cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/runtime LC_ALL=${LC_ALL:-C.UTF-8}
mkdir -m 700 "$work/runtime"
music="$work/my music"
bash "$fixtures" id3v2 "$music" >/dev/null
cp "$music/both.mp3" "$music/曲 その一.mp3"
cp "$music/v2only.mp3" "$music/二曲目 (live).MP3"
cp "$music/both.mp3" "$music/夜の歌.mp3"
mid3v2 -t "夜の歌" -a "月の バンド" "$music/夜の歌.mp3" >/dev/null
cp -a "$music" "$work/cli copy"
"$cli" --format=title-artist --log-window=show >/dev/null
files=("$music"/*)
expected=$("$cli" "$work/cli copy"/* | sed "s|$work/cli copy|$music|") || true

xvfb_start 800x600x24
before=$(ls "$music")
# Paths on its command line are not renamed.
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$gui" "${files[@]}" >"$work/gui.out" 2>&1 &
gui_pid=$!
main=$(xdnd_wait_window Quillon 30) || fail "no window titled Quillon"
# The log's title, and the name its table is read by, follow the locale.
log=$(xdnd_wait_window '(リネームログ|Rename log)' 10) || fail "the log window is not shown"
log_title=$(xdotool getwindowname "$log")
# geometry WINDOW: "X Y WIDTH HEIGHT"
geometry() {
    local X Y WIDTH HEIGHT WINDOW SCREEN
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$X $Y $WIDTH $HEIGHT"
}
read -r mx my mw mh <<<"$(geometry "$main")"
read -r lx ly lw lh <<<"$(geometry "$log")"
[ $((lx >= mx + mw || ly >= my + mh || lx + lw <= mx || ly + lh <= my)) = 1 ] ||
    fail "the log ($lx,$ly ${lw}x$lh) lies over the main window ($mx,$my ${mw}x$mh)"

# drag ARGS...: a drag from a new source onto the main window; prints the
# source's answer.
drag() {
    "$source_program" "$@" >"$work/source.out" 2>&1 &
    source_pid=$!
    local from
    from=$(xdnd_wait_window 'Quillon drag source' 30) || fail "no drag source window"
    xdotool windowmove "$from" 600 450
    sleep 0.3
    xdnd_drag "$from" "$main"
    wait "$source_pid" || fail "the drag source failed: $(cat "$work/source.out")"
    source_pid=
    sed -n 's/^drag result: //p' "$work/source.out"
}

answer=$(drag --text)
[ "$answer" = refused ] || fail "a drag of plain text was answered: $answer"
[ "$(ls "$music")" = "$before" ] || fail "the command line or a refused drag changed the folder"

answer=$(drag "${files[@]}")
[ "$answer" = copy ] || fail "a drag of files was answered '$answer', not copy"
# The source waits a few seconds after its answer; the batch is long done.
kill -0 "$gui_pid" 2>/dev/null || fail "quillon-gui ended: $(cat "$work/gui.out")"
if [ "$(ls "$music")" != "$(ls "$work/cli copy")" ]; then
    diff <(ls "$music") <(ls "$work/cli copy") || true
    fail "the folder differs from the command line's"
fi
ls "$music" | grep -qx '夜の歌 - 月の バンド.mp3' || fail "the Japanese tags did not name their file"
[ -n "$expected" ] || fail "the command line printed nothing"
$probe log "$log_title" >"$work/log.tsv" || fail "the log cannot be read through AT-SPI"
if [ "$(cut -f1 "$work/log.tsv")" != "$expected" ]; then
    diff <(cut -f1 "$work/log.tsv") <(echo "$expected") || true
    fail "the log's lines differ from the command line's"
fi
grep -q "/夜の歌.mp3	夜の歌 - 月の バンド.mp3	" "$work/log.tsv" || fail "no new name beside the line: $(cat "$work/log.tsv")"

# The close button (what a window manager sends for it) ends the program with
# the log shown, at once and with status 0.
$probe close "$main"
for _ in $(seq 20); do kill -0 "$gui_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$gui_pid" 2>/dev/null && fail "quillon-gui still runs 2 s after its window was closed"
status=0
wait "$gui_pid" || status=$?
gui_pid=
[ "$status" = 0 ] || fail "quillon-gui ended with status $status: $(cat "$work/gui.out")"
[ -f "$XDG_STATE_HOME/Ombrix/Quillon/window-state" ] || fail "the windows' places were not kept"
echo "xdnd: ${#files[@]} files dragged and renamed as the command line renames them; the log read through AT-SPI"
echo "1 passed, 0 failed"
