#!/usr/bin/env bash
# Runs a Windows executable under Wine the way the tests need it: Japanese
# locale (ANSI code page 932), a private prefix under the build folder, an X
# display (Xvfb when none is set), no debug chatter, no Mono/Gecko prompts.
# The program's exit code is this script's exit code.
# Usage: wine-run.sh PROGRAM.exe [ARGS...]   (CMake's cross-compiling emulator)
#        wine-run.sh --locale BUILD_DIR      compiles the locale, once
#        wine-run.sh --prefix BUILD_DIR      makes the 64-bit prefix, once
#                                            (the tests' fixtures)
# Sourced (by run.sh and smoke-i686.sh), it only defines the wine_* functions.

# shellcheck source=xvfb.sh
. "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

# The build folder is the nearest parent of the executable with a CMakeCache.txt.
wine_build_dir() {
    local d
    d=$(cd "$(dirname "$1")" && pwd)
    while [ "$d" != / ]; do
        [ -f "$d/CMakeCache.txt" ] && { echo "$d"; return; }
        d=$(dirname "$d")
    done
    pwd
}

# Sets WINE_LOADER, WINEPREFIX and the rest of the environment for running EXE
# (or any 64-bit program, for the word x86_64) with the files of BUILD. The PE
# machine type picks the loader: 0x14c is i386.
wine_environment() {
    local exe=$1 build=$2 pe machine=8664
    if [ "$exe" != x86_64 ]; then
        pe=$(od -An -tu4 -j 60 -N 4 "$exe" | tr -d ' ')
        machine=$(od -An -tx2 -j $((pe + 4)) -N 2 "$exe" | tr -d ' ')
    fi
    if [ "$machine" = "014c" ]; then
        WINE_LOADER=/usr/lib/wine/wine
        export WINEPREFIX=${WINEPREFIX:-$build/wineprefix32}
        export WINEARCH=win32
    else
        WINE_LOADER=/usr/lib/wine/wine64
        export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
    fi
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
    export LOCPATH=${LOCPATH:-$build/locale}
    export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8 2>/dev/null
    wine_compile_locale
}

# Code page 932 comes with the Japanese locale, but only a compiled one makes
# Wine spell non-ASCII Unix file names right; without it every byte of a
# Japanese name loses its high bit. Compiled once into $LOCPATH.
wine_compile_locale() {
    [ -f "$LOCPATH/ja_JP.UTF-8/LC_CTYPE" ] && return 0
    mkdir -p "$LOCPATH"
    (
        flock 9
        if [ ! -f "$LOCPATH/ja_JP.UTF-8/LC_CTYPE" ]; then
            if ! command -v localedef >/dev/null; then
                echo "wine-run.sh: localedef missing (package locales): Japanese file names will be mangled" >&2
            elif rm -rf "$LOCPATH/ja_JP.UTF-8.new" &&
                ! localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8.new" >/dev/null 2>&1 &&
                [ ! -f "$LOCPATH/ja_JP.UTF-8.new/LC_CTYPE" ]; then
                echo "wine-run.sh: cannot compile the ja_JP.UTF-8 locale into $LOCPATH" >&2
            else
                rm -rf "$LOCPATH/ja_JP.UTF-8"
                mv "$LOCPATH/ja_JP.UTF-8.new" "$LOCPATH/ja_JP.UTF-8"
            fi
        fi
    ) 9>"$LOCPATH.lock"
}

# An X display for Wine: the one in use, else Xvfb (scripts/xvfb.sh).
wine_start_x() {
    [ -n "${DISPLAY:-}" ] || xvfb_start
}

# Creates the prefix once. Whoever holds the lock builds it; the others wait
# and find it finished. The marker is written last, so a prefix whose creation
# was interrupted is completed by the next run (wineboot picks up where an
# existing prefix stands).
wine_ensure_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.quillon-ready" ]; then
            if ! "$WINE_LOADER" wineboot --init >/dev/null 2>&1; then
                echo "wine-run.sh: wineboot failed for $WINEPREFIX" >&2
                exit 1
            fi
            /usr/lib/wine/wineserver -w
            touch "$WINEPREFIX/.quillon-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
}

# Waits, at most SECONDS, until the prefix's wineserver has exited: it writes
# the registry files then, and no Wine process is left using the display.
wine_wait_server() {
    timeout "${1:-60}" /usr/lib/wine/wineserver -w 2>/dev/null || true
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    case $1 in
        --locale)
            LOCPATH=$(cd "$2" && pwd)/locale
            wine_compile_locale
            [ -f "$LOCPATH/ja_JP.UTF-8/LC_CTYPE" ]
            exit
            ;;
        --prefix)
            wine_environment x86_64 "$(cd "$2" && pwd)"
            trap 'xvfb_stop' EXIT
            wine_start_x
            wine_ensure_prefix
            exit
            ;;
    esac
    exe=$1
    shift
    build=${QUILLON_BUILD_DIR:-$(wine_build_dir "$exe")}
    wine_environment "$exe" "$build"
    trap 'xvfb_stop' EXIT
    trap 'exit 143' TERM
    trap 'exit 130' INT
    wine_start_x
    wine_ensure_prefix
    status=0
    "$WINE_LOADER" "$exe" "$@" || status=$?
    # Wine's own processes outlive the program for a moment; they go before
    # the display they use.
    if [ -n "$XVFB_PID" ]; then
        wine_wait_server 60
    fi
    exit "$status"
fi
