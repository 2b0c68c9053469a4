#!/usr/bin/env bash
# Draws the two 140x140 state pictures of the main window and the icon:
#   res/idle.bmp  - sky blue, "Drag&Drop" / eighth note with "MP3" / "Files Here!"
#   res/busy.bmp  - sky blue, dark scribble bands, white figure, "Processing!"
#   res/app.ico   - built by make-icon.py (ImageMagick cannot write 4 bpp icons)
# and the same two pictures drawn again at 280x280 from the same strokes and
# letters, for quillon-gui on screens that scale by two:
#   res/idle@2x.png, res/busy@2x.png
# The outputs are committed, so the build itself needs none of this.
#
# Needs ImageMagick 6 (convert), fontconfig (fc-list) and the URW base 35
# fonts (Debian: imagemagick fonts-urw-base35). Output is reproducible: the
# scribbles come from a fixed-seed generator below, not from $RANDOM.
#
# Usage: tools/make-art.sh [OUTDIR]   (default: res/)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../res}
mkdir -p "$out"

# A stand-in "convert" may shadow the real one on PATH; prefer the
# distribution's binary when it is there.
CONVERT=${CONVERT:-}
if [ -z "$CONVERT" ]; then
  for c in /usr/bin/convert "$(command -v convert || true)"; do
    if [ -n "$c" ] && [ -x "$c" ] && "$c" -version 2>/dev/null | grep -q ImageMagick; then
      CONVERT=$c
      break
    fi
  done
fi
[ -n "$CONVERT" ] || { echo "make-art: ImageMagick convert not found" >&2; exit 1; }

# Font file for a fontconfig pattern, OpenType preferred.
font_file() {
  local f
  f=$(fc-list "$1" file | sed 's/: *$//' | sort | awk '/\.otf$/ {print; found=1; exit} END {}')
  [ -n "$f" ] || f=$(fc-list "$1" file | sed 's/: *$//' | sort | head -n 1)
  [ -n "$f" ] || { echo "make-art: no font for '$1' (install fonts-urw-base35)" >&2; exit 1; }
  printf '%s\n' "$f"
}

SCRIPT_FONT=$(font_file "Z003:style=Medium Italic")
SERIF_FONT=$(font_file "Nimbus Roman:style=Bold Italic")

SKY='rgb(0,178,235)'
YELLOW='rgb(255,255,0)'

# 24-bit uncompressed bottom-up BMP with a plain BITMAPINFOHEADER: no
# alpha, no colour-space block, no palette.
save_bmp() {
  "$CONVERT" "$1" -alpha off -depth 8 -type TrueColor -compress None \
    BMP3:"$2"
  local size
  size=$(stat -c %s "$2")
  if [ "$size" -ne 58854 ]; then
    echo "make-art: $2 is $size bytes, expected 58854" >&2
    exit 1
  fi
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Every drawing below is given in the 140x140 picture's coordinates; at scale
# 2 each -draw is scaled whole (strokes included) and the lettering's sizes
# and offsets are doubled, so the larger picture is drawn, not blown up. At
# scale 1 the commands are exactly those the Windows bitmaps were made with.
save_png() {
  "$CONVERT" "$1" -alpha off -depth 8 -strip -define png:exclude-chunks=date,time "$2"
}

# ---------------------------------------------------------------- idle
# White eighth note, head low left, stem up its right side, flag curling
# down to the right; the lettering goes on top of it.
draw_idle() { # draw_idle SCALE OUT
  local s=$1 sc=
  [ "$s" -eq 1 ] || sc="scale $s,$s "
  "$CONVERT" -size $((140 * s))x$((140 * s)) "xc:$SKY" \
    -fill white -stroke none \
    -draw "${sc}translate 61,97 rotate -22 ellipse 0,0 15,10 0,360" \
    -draw "${sc}rectangle 72,34 77,96" \
    -draw "${sc}path 'M 72,34 L 77,34 C 79,46 99,52 98,72 C 97,80 94,86 90,90 C 93,82 94,76 92,70 C 89,62 82,60 77,58 Z'" \
    -fill black -stroke black -strokewidth "$(awk "BEGIN { print 0.6 * $s }")" -font "$SCRIPT_FONT" \
    -pointsize $((30 * s)) -gravity north -annotate +0+$((2 * s)) 'Drag&Drop' \
    -pointsize $((34 * s)) -gravity center -annotate +0+$((4 * s)) 'MP3' \
    -pointsize $((30 * s)) -gravity south -annotate +0+$((4 * s)) 'Files Here!' \
    "$2"
}
draw_idle 1 "$tmp/idle.png"
save_bmp "$tmp/idle.png" "$out/idle.bmp"
draw_idle 2 "$tmp/idle2.png"
save_png "$tmp/idle2.png" "$out/idle@2x.png"

# ---------------------------------------------------------------- busy
# Linear congruential generator, so the strokes are the same on every run
# and every bash version.
rnd() { # rnd N -> r in [0, N)
  seed=$(( (seed * 1103515245 + 12345) % 2147483648 ))
  r=$(( (seed / 65536) % $1 ))
}

# One band of brush strokes between y0 and y1, appended to the strokes
# array: short fat curves in a few dark inks, scaled by the prefix $sc.
scribbles() {
  local y0=$1 y1=$2 n=$3 i x y cx1 cy1 cx2 cy2 ex ey w ink
  local inks=('#101418' '#1c2330' '#2a1c14' '#0e2a3a' '#30303a')
  local h=$(( y1 - y0 ))
  for (( i = 0; i < n; i++ )); do
    rnd 150; x=$(( r - 5 ))
    rnd "$h"; y=$(( y0 + r ))
    rnd 50; cx1=$(( x + r - 10 ))
    rnd "$h"; cy1=$(( y0 + r ))
    rnd 50; cx2=$(( x + r ))
    rnd "$h"; cy2=$(( y0 + r ))
    rnd 60; ex=$(( x + r - 10 ))
    rnd "$h"; ey=$(( y0 + r ))
    rnd 5; w=$(( 2 + r ))
    rnd ${#inks[@]}; ink=${inks[$r]}
    strokes+=(-stroke "$ink" -strokewidth "$w" -draw
      "${sc}stroke-linecap round path 'M $x,$y C $cx1,$cy1 $cx2,$cy2 $ex,$ey'")
  done
}

draw_busy() { # draw_busy SCALE OUT
  local s=$1 sc=
  [ "$s" -eq 1 ] || sc="scale $s,$s "
  seed=20260
  strokes=()
  scribbles 2 30 26
  scribbles 110 138 26

  # Abstract white figure: a whirl of three open arcs around a solid core,
  # suggesting motion. The text band crosses it, so it stays light and thin.
  local figure=(
    -fill none -stroke white -strokewidth 4
    -draw "${sc}arc 44,38 96,102 200,320"
    -draw "${sc}arc 44,38 96,102 20,140"
    -strokewidth 3
    -draw "${sc}arc 54,48 86,92 110,230"
    -draw "${sc}arc 54,48 86,92 290,410"
    -fill white -stroke none
    -draw "${sc}circle 70,70 70,77"
    -draw "${sc}circle 101,45 101,49"
    -draw "${sc}circle 39,95 39,99"
  )

  "$CONVERT" -size $((140 * s))x$((140 * s)) "xc:$SKY" \
    -fill none "${strokes[@]}" \
    "${figure[@]}" \
    -font "$SERIF_FONT" -pointsize $((25 * s)) -gravity center \
    -fill '#1a1a1a' -stroke '#1a1a1a' -strokewidth $((3 * s)) -annotate +0+0 'Processing!' \
    -fill "$YELLOW" -stroke none -annotate +0+0 'Processing!' \
    "$2"
}
draw_busy 1 "$tmp/busy.png"
save_bmp "$tmp/busy.png" "$out/busy.bmp"
draw_busy 2 "$tmp/busy2.png"
save_png "$tmp/busy2.png" "$out/busy@2x.png"

# ---------------------------------------------------------------- icon
python3 "$here/make-icon.py" "$out/app.ico"

echo "make-art: wrote $out/idle.bmp $out/busy.bmp $out/idle@2x.png $out/busy@2x.png $out/app.ico"
