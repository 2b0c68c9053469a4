#!/usr/bin/env bash
# End to end on Xvfb: MP3 files with blanks and Japanese in their names and
# tags, dragged for real from another program (XDND, the pointer moved through
# XTest) onto quillon-gui, come out renamed as the command line renames copies
# of them; a drag of plain text is refused; the source is answered with a copy.
#
#   xdnd_drop_test.sh QUILLON_GUI DRAG_SOURCE QUILLON FIXTURE_SCRIPT
set -euo pipefail
gui=$1 source_program=$2 cli=$3 fixtures=$4
. "$(dirname "$0")/../../scripts/xdnd-drag.sh"

work=$(mktemp -d)
gui_pid= source_pid=
trap xdnd_cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/runtime LC_ALL=C.UTF-8
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
"$gui" "${files[@]}" >"$work/gui.out" 2>&1 &
gui_pid=$!
main=$(xdnd_wait_window Quillon 30) || fail "no window titled Quillon"
xdnd_wait_window 'リネームログ' 10 >/dev/null || fail "the log window is not shown"

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
echo "xdnd: ${#files[@]} files dragged and renamed as the command line renames them"
echo "1 passed, 0 failed"
