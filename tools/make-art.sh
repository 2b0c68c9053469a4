#!/usr/bin/env bash
# Draws the two 140x140 state pictures of the main window and the icon:
#   res/idle.bmp  - sky blue, "Drag&Drop" / eighth note with "MP3" / "Files Here!"
#   res/busy.bmp  - sky blue, dark scribble bands, white figure, "Processing!"
#   res/app.ico   - built by make-icon.py (ImageMagick cannot write 4 bpp icons)
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

# ---------------------------------------------------------------- idle
# White eighth note, head low left, stem up its right side, flag curling
# down to the right; the lettering goes on top of it.
"$CONVERT" -size 140x140 "xc:$SKY" \
  -fill white -stroke none \
  -draw "translate 61,97 rotate -22 ellipse 0,0 15,10 0,360" \
  -draw "rectangle 72,34 77,96" \
  -draw "path 'M 72,34 L 77,34 C 79,46 99,52 98,72 C 97,80 94,86 90,90 C 93,82 94,76 92,70 C 89,62 82,60 77,58 Z'" \
  -fill black -stroke black -strokewidth 0.6 -font "$SCRIPT_FONT" \
  -pointsize 30 -gravity north -annotate +0+2 'Drag&Drop' \
  -pointsize 34 -gravity center -annotate +0+4 'MP3' \
  -pointsize 30 -gravity south -annotate +0+4 'Files Here!' \
  "$tmp/idle.png"
save_bmp "$tmp/idle.png" "$out/idle.bmp"

# ---------------------------------------------------------------- busy
# Linear congruential generator, so the strokes are the same on every run
# and every bash version.
seed=20260
rnd() { # rnd N -> r in [0, N)
  seed=$(( (seed * 1103515245 + 12345) % 2147483648 ))
  r=$(( (seed / 65536) % $1 ))
}

# One band of brush strokes between y0 and y1, appended to the strokes
# array: short fat curves in a few dark inks.
strokes=()
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
      "stroke-linecap round path 'M $x,$y C $cx1,$cy1 $cx2,$cy2 $ex,$ey'")
  done
}

scribbles 2 30 26
scribbles 110 138 26

# Abstract white figure: a whirl of three open arcs around a solid core,
# suggesting motion. The text band crosses it, so it stays light and thin.
figure=(
  -fill none -stroke white -strokewidth 4
  -draw "arc 44,38 96,102 200,320"
  -draw "arc 44,38 96,102 20,140"
  -strokewidth 3
  -draw "arc 54,48 86,92 110,230"
  -draw "arc 54,48 86,92 290,410"
  -fill white -stroke none
  -draw "circle 70,70 70,77"
  -draw "circle 101,45 101,49"
  -draw "circle 39,95 39,99"
)

"$CONVERT" -size 140x140 "xc:$SKY" \
  -fill none "${strokes[@]}" \
  "${figure[@]}" \
  -font "$SERIF_FONT" -pointsize 25 -gravity center \
  -fill '#1a1a1a' -stroke '#1a1a1a' -strokewidth 3 -annotate +0+0 'Processing!' \
  -fill "$YELLOW" -stroke none -annotate +0+0 'Processing!' \
  "$tmp/busy.png"
save_bmp "$tmp/busy.png" "$out/busy.bmp"

# ---------------------------------------------------------------- icon
python3 "$here/make-icon.py" "$out/app.ico"

echo "make-art: wrote $out/idle.bmp $out/busy.bmp $out/app.ico"
