#!/usr/bin/env bash
# Runs a Windows executable under Wine the way the tests need it: Japanese
# locale (ANSI code page 932), a private prefix under the build folder, an X
# display (Xvfb when none is set), no debug chatter, no Mono/Gecko prompts.
# Usage: wine-run.sh PROGRAM.exe [ARGS...]   (CMake's cross-compiling emulator)
set -euo pipefail

exe=$1
shift

# The build folder is the nearest parent of the executable with a CMakeCache.txt.
find_build_dir() {
  local d
  d=$(cd "$(dirname "$1")" && pwd)
  while [ "$d" != / ]; do
    [ -f "$d/CMakeCache.txt" ] && { echo "$d"; return; }
    d=$(dirname "$d")
  done
  pwd
}
build=${QUILLON_BUILD_DIR:-$(find_build_dir "$exe")}

# PE machine type picks the loader: 0x14c is i386, everything else 64-bit.
machine=$(od -An -tx2 -j $(( $(od -An -tu4 -j 60 -N 4 "$exe") + 4 )) -N 2 "$exe" | tr -d ' ')
if [ "$machine" = "014c" ]; then
  loader=/usr/lib/wine/wine
  export WINEPREFIX=${WINEPREFIX:-$build/wineprefix32}
  export WINEARCH=win32
else
  loader=/usr/lib/wine/wine64
  export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
fi

# Without the compiled locale Wine mangles non-ASCII Unix file names.
export LOCPATH=${LOCPATH:-$build/locale}
if [ ! -d "$LOCPATH/ja_JP.UTF-8" ]; then
  mkdir -p "$LOCPATH"
  localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" 2>/dev/null || true
fi
export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

xvfb_pid=
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    export DISPLAY=":$n"
    break
  done
fi

# Creating a prefix takes a while; let only one process do it.
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$loader" wineboot --init >/dev/null 2>&1 || true
    WINEPREFIX=$WINEPREFIX /usr/lib/wine/wineserver -w || true
  fi
) 9>"$WINEPREFIX.lock"

"$loader" "$exe" "$@"
