#!/usr/bin/env bash
# run.sh --desktop: builds quillon-gui and starts it on the display in use, or
# without one on Xvfb: there a few files are dragged onto it from another
# program (a real X drag), and a screenshot of the main window and its log is
# saved and its path printed.
#
# Usage: scripts/run-desktop.sh run|docs   (docs: always Xvfb, docs/desktop.png)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
mode=${1:-run}
say() { printf 'run.sh: %s\n' "$*"; }

cmake --preset native >/dev/null
cmake --build --preset native -j2 --target quillon-gui quillon quillon_drag_source
build=$root/build/native
gui=$build/desktop/quillon-gui

if [ "$mode" = run ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    say "starting $gui"
    exec "$gui"
fi

. scripts/xdnd-drag.sh
work=$(mktemp -d)
gui_pid= source_pid=
trap xdnd_cleanup EXIT

# The settings and the files of this run only: the log shown, title - artist.
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/runtime LC_ALL=C.UTF-8
mkdir -m 700 "$work/runtime"
"$build/quillon" --format=title-artist --log-window=show >/dev/null
made=$work/made music=$work/music
mkdir -p "$music/Album"
bash tests/fixtures/make-fixtures.sh id3v2 "$made" >/dev/null
bash tests/fixtures/make-fixtures.sh plain "$made" >/dev/null
cp "$made/both.mp3" "$music/track01.mp3"
cp "$made/v2only.mp3" "$music/track 02.mp3"
cp "$made/both.mp3" "$music/夜の歌.mp3"
mid3v2 -t "夜の歌" -a "月のバンド" "$music/夜の歌.mp3" >/dev/null
cp "$made/artist-only.mp3" "$music/track04.mp3"
cp "$made/slash.mp3" "$music/track05.mp3"
cp "$made/notes.txt" "$music/memo.txt"
cp "$made/sound.wav" "$music/track06.mp3"

xvfb_start 800x600x24
"$gui" >"$work/gui.out" 2>&1 &
gui_pid=$!
main=$(xdnd_wait_window Quillon 60) || { say "no window titled Quillon appeared"; exit 1; }
# The log's title is in the language of the locale.
xdnd_wait_window '(リネームログ|Rename log)' 10 >/dev/null || { say "the log window did not appear"; exit 1; }

"$build/tests/desktop/quillon_drag_source" "$music"/track01.mp3 "$music/track 02.mp3" "$music/夜の歌.mp3" \
    "$music"/track04.mp3 "$music"/track05.mp3 "$music"/memo.txt "$music"/track06.mp3 "$music"/Album \
    >"$work/source.out" 2>&1 &
source_pid=$!
from=$(xdnd_wait_window 'Quillon drag source' 30) || { say "no drag source window"; exit 1; }
xdotool windowmove "$from" 600 450
sleep 0.3
xdnd_drag "$from" "$main"
wait "$source_pid" || true
source_pid=
say "the drag source was answered: $(sed -n 's/^drag result: //p' "$work/source.out")"
sleep 1

if [ "$mode" = docs ]; then
    mkdir -p docs
    shot=$root/docs/desktop.png
else
    shot=$build/quillon-gui-run.png
fi
import -window root "$work/full.png"
# Only the windows: the empty black screen around them goes.
convert "$work/full.png" -trim +repage "$shot"
say "no display: ran on Xvfb; screenshot of the main and the log window after a drop: $shot"
