#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the run command need.
# Safe to run again: packages already present are skipped quickly.
set -euo pipefail

# gettext compiles the catalogues of translations (msgfmt) and checks them
# against the sources (xgettext, msgcmp); locales has localedef, which makes
# the locales the tests run the programs in.
want_native=(build-essential cmake ninja-build clang libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  lame id3v2 eyed3 python3-mutagen ffmpeg locales strace gettext zlib1g-dev)
# quillon-gui: Qt 6 Widgets, its X11 platform plugin (which brings the xcb and
# xkbcommon libraries), and for its tests Xvfb, xdotool, the CJK fonts,
# desktop-file-validate, and the session and accessibility buses with their
# Python bindings, through which the real-drag test reads the log and closes
# the window as a user's tools do.
want_desktop=(qt6-base-dev qt6-qpa-plugins xvfb xdotool fonts-noto-cjk desktop-file-utils
  dbus at-spi2-core python3-pyatspi python3-xlib)
# Packaging: the manual pages' linters (mandoc, groff through man-db; col), the
# AppStream validator and composer, ImageMagick to read the icons back, and
# rsvg-convert to draw the scalable icon at the sizes of the hicolor theme.
want_packaging=(mandoc man-db groff-base bsdextrautils appstream appstream-compose dpkg-dev imagemagick
  librsvg2-bin)
want_windows=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
  binutils-mingw-w64-x86-64 wine64 xvfb xdotool imagemagick x11-apps
  fonts-noto-cjk fonts-urw-base35 fonts-wine qemu-user)
want_i386=(wine32:i386)
# Only with --bench (scripts/bench.sh): the renamers quillon is measured
# against, valgrind for the instructions per file, and gnuplot for the chart.
want_bench=(id3ren mp3rename eyed3 valgrind gnuplot-nox)
# Only with --release (scripts/release.sh): lintian judges the package.
want_release=(lintian)

wanted=("${want_native[@]}" "${want_desktop[@]}" "${want_packaging[@]}" "${want_windows[@]}" "${want_i386[@]}")
case "${1:-}" in
  --bench) wanted+=("${want_bench[@]}") ;;
  --release) wanted+=("${want_release[@]}") ;;
esac
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
