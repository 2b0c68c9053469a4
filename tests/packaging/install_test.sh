#!/usr/bin/env bash
# cmake --install of a build, as the Debian package installs it: the files
# and their modes, the desktop entry and AppStream metadata as installed and
# what appstreamcli compose makes of the tree for software centres, the
# manual pages, the icons (the 32-pixel one is res/app.ico as ImageMagick
# reads it, the scalable one its design), the catalogue the installed program
# finds, the README's pictures and the copyright file in Debian's
# machine-readable format.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR   (BUILD_DIR/locale holding ja_JP.UTF-8)
set -u
build=$1 source=$2
root=$(mktemp -d)
trap 'rm -rf "$root" "$root.home" "$root.compose" "$root.compose.png"' EXIT
# The installed program's settings and journal go here, not to the home folder.
export XDG_CONFIG_HOME=$root.home/config XDG_STATE_HOME=$root.home/state
passed=0 failed=0
check() {  # what, then a command that succeeds when it holds
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); else echo "FAIL: $what"; failed=$((failed + 1)); fi
}
same() { [ "$1" = "$2" ] || { printf 'got:\n%s\nexpected:\n%s\n' "$1" "$2"; return 1; }; }

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
usr=$root/usr

check "installed files and their modes" same "$(cd "$root" && find . -type f -printf '%m %p\n' | sort -k2)" "\
755 ./usr/bin/quillon
755 ./usr/bin/quillon-gui
644 ./usr/share/applications/quillon.desktop
644 ./usr/share/bash-completion/completions/quillon
644 ./usr/share/doc/quillon/README.md
644 ./usr/share/doc/quillon/changelog.gz
644 ./usr/share/doc/quillon/copyright
644 ./usr/share/doc/quillon/docs/desktop.png
644 ./usr/share/doc/quillon/docs/idle.png
644 ./usr/share/doc/quillon/docs/log.png
644 ./usr/share/doc/quillon/docs/performance.md
644 ./usr/share/doc/quillon/docs/performance.png
644 ./usr/share/doc/quillon/docs/properties.png
644 ./usr/share/doc/quillon/docs/reliability.md
644 ./usr/share/icons/hicolor/128x128/apps/quillon.png
644 ./usr/share/icons/hicolor/16x16/apps/quillon.png
644 ./usr/share/icons/hicolor/256x256/apps/quillon.png
644 ./usr/share/icons/hicolor/32x32/apps/quillon.png
644 ./usr/share/icons/hicolor/48x48/apps/quillon.png
644 ./usr/share/icons/hicolor/64x64/apps/quillon.png
644 ./usr/share/icons/hicolor/scalable/apps/quillon.svg
644 ./usr/share/locale/ja/LC_MESSAGES/quillon.mo
644 ./usr/share/man/man1/quillon-gui.1.gz
644 ./usr/share/man/man1/quillon.1.gz
644 ./usr/share/metainfo/com.ombrix.quillon.metainfo.xml"
check "no folder but 0755" same "$(cd "$root" && find . -mindepth 1 -type d ! -perm 755)" ""

check "installed desktop entry validates" desktop-file-validate "$usr/share/applications/quillon.desktop"
check "installed AppStream metadata validates" appstreamcli validate --no-net --pedantic \
  "$usr/share/metainfo/com.ombrix.quillon.metainfo.xml" >/dev/null
# The metadata names the desktop entry and the icon it uses is installed.
check "metainfo launches quillon.desktop" grep -q '<launchable type="desktop-id">quillon.desktop</launchable>' \
  "$usr/share/metainfo/com.ombrix.quillon.metainfo.xml"
check "desktop entry's icon is quillon" grep -qx 'Icon=quillon' "$usr/share/applications/quillon.desktop"

# What a software centre reads: the catalogue composed from the tree holds the
# component, its Japanese name and its icons, with no hint against it.
out=$root.compose
appstreamcli compose --no-color --origin=quillon --result-root="$out" --hints-dir="$out" --prefix=/usr "$root" >/dev/null
check "compose: no hint" grep -qx '  Hints: \[\]' "$out/quillon.hints.yaml"
check "compose: the component, its Japanese name and icons" same "$(gzip -dc "$out/usr/share/swcatalog/xml/quillon.xml.gz" |
  grep -oE '<id>.*</id>|<name xml:lang="ja">|<icon type="cached" width="(64|128)"' | sort -u)" \
  '<icon type="cached" width="128"
<icon type="cached" width="64"
<id>com.ombrix.quillon</id>
<name xml:lang="ja">'

for page in quillon quillon-gui; do
  check "$page.1.gz is the page" cmp -s <(gzip -dc "$usr/share/man/man1/$page.1.gz") "$source/man/$page.1"
  # gzip -n: no name and no time in the header, so the bytes do not vary.
  check "$page.1.gz has no time stamp" same "$(od -An -tu4 -j4 -N4 "$usr/share/man/man1/$page.1.gz" | tr -d ' ')" 0
  check "man finds $page" env MANPATH="$usr/share/man" man -w "$page" >/dev/null
done

rgba() { /usr/bin/convert "$1" -depth 8 rgba:- | sha256sum; }
for size in 16 32 48 64 128 256; do
  icon=$usr/share/icons/hicolor/${size}x$size/apps/quillon.png
  check "icon $size is a ${size}x$size PNG" same "$(/usr/bin/identify -format '%m %wx%h' "$icon")" "PNG ${size}x$size"
  check "icon $size is transparent at its corner" same "$(/usr/bin/convert "$icon" -format '%[pixel:p{0,0}]' info:)" \
    "srgba(0,0,0,0)"
done
check "icon 32 is res/app.ico" same "$(rgba "$usr/share/icons/hicolor/32x32/apps/quillon.png")" \
  "$(rgba "$source/res/app.ico")"
# The vector drawing at 32 pixels is the icon again, but for its smooth edges.
rsvg-convert --width=32 --height=32 --output="$out.png" "$usr/share/icons/hicolor/scalable/apps/quillon.svg"
difference=$(/usr/bin/compare -metric RMSE "$out.png" "$source/res/app.ico" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
check "scalable icon is res/app.ico's design (RMSE $difference)" awk -v d="$difference" 'BEGIN { exit !(d < 0.1) }'

# The installed program finds its catalogue beside itself (DESTDIR or not).
check "installed quillon speaks Japanese" same "$(LOCPATH=$build/locale LC_ALL=ja_JP.UTF-8 LANGUAGE= \
  "$usr/bin/quillon" /none.mp3 | head -1)" "×ｱｸｾｽ失敗 - /none.mp3"

# Every picture and page the installed README refers to is installed with it.
doc=$usr/share/doc/quillon
for target in $(grep -oE '\]\([^)#]+\)' "$doc/README.md" | sed 's/^](//; s/)$//' | grep -v '://'); do
  check "README's $target is installed" test -f "$doc/$target"
done

copyright=$usr/share/doc/quillon/copyright
check "copyright: machine-readable format" grep -qx \
  'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright"
check "copyright: every file MIT, 2026 Ombrix" same "$(grep -E '^(Files|Copyright|License):' "$copyright")" "\
Files: *
Copyright: 2026 Ombrix
License: MIT
License: MIT"
check "copyright: the licence text is LICENSE's" same \
  "$(sed -n '/^ Permission/,$p' "$copyright" | sed 's/^ //; s/^\.$//')" \
  "$(sed -n '/^Permission/,$p' "$source/LICENSE")"
check "changelog names this version" same "$(gzip -dc "$usr/share/doc/quillon/changelog.gz" | head -1 | cut -d' ' -f1-2)" \
  "quillon ($(sed -n 's/^project(Quillon VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt"))"

check "installed quillon runs" same "$("$usr/bin/quillon" --version)" \
  "quillon $(sed -n 's/^project(Quillon VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
