#!/usr/bin/env bash
# Performance of quillon beside the Debian tools that rename MP3 files by tag.
#
#   scripts/bench.sh                 as root: installs the peers (id3ren,
#                                    mp3rename, eyeD3), valgrind and gnuplot,
#                                    builds the release preset (and win64 for
#                                    the Wine figures), measures on tmpfs beside
#                                    a syscall floor of its own
#                                    (bench/syscall_floor.c; quillon-gui's
#                                    drops on Xvfb), and writes
#                                    docs/performance.md and docs/performance.png
#   scripts/bench.sh --smoke [--quillon PROGRAM]
#                                    counts only, no timing: 1,000 files, every one
#                                    renamed, at most 6.1 system calls per file
#   scripts/bench.sh --no-wine ...   skips the Wine drop
#
# Other options (--files, --runs, --eyed3-files, --scan-mb, --scan-runs,
# --no-peers) go to bench/run_bench.py. The full run takes several minutes,
# most of them in the Wine drop; run it on a machine that is otherwise idle.
set -euo pipefail
cd "$(dirname "$0")/.."

smoke=0
wine=1
quillon=
pass=()
while [ $# -gt 0 ]; do
  case $1 in
    --smoke) smoke=1 ;;
    --no-wine) wine=0 ;;
    --quillon) quillon=$2; shift ;;
    *) pass+=("$1") ;;
  esac
  shift
done

if [ "$smoke" = 1 ]; then
  command -v strace >/dev/null || { echo "bench: strace is missing (scripts/install-deps.sh)" >&2; exit 1; }
  if [ -z "$quillon" ]; then
    cmake --preset release >/dev/null
    cmake --build --preset release -j 2 >/dev/null
    quillon=build/release/quillon
  fi
  exec python3 bench/run_bench.py --smoke --files 1000 --quillon "$quillon" ${pass[@]+"${pass[@]}"}
fi

bash scripts/install-deps.sh --bench
cmake --preset release >/dev/null
cmake --build --preset release -j 2
quillon=${quillon:-build/release/quillon}

# quillon-gui's drops on a private Xvfb display, whatever display is in use.
. scripts/xvfb.sh
saved_display=${DISPLAY-}
unset QUILLON_XVFB_STATE
xvfb_start
desktop_args=(--desktop-exe build/release/bench/quillon_desktop_drop_bench --desktop-display "$DISPLAY")
floor_args=(--floor build/release/bench/quillon_syscall_floor)
if [ -n "$saved_display" ]; then export DISPLAY=$saved_display; else unset DISPLAY; fi
trap xvfb_stop EXIT

wine_args=()
if [ "$wine" = 1 ]; then
  cmake --preset win64 >/dev/null
  cmake --build --preset win64 -j 2 --target quillon_drop_bench
  # A prefix of the benchmark's own, so that the settings it saves never meet
  # the tests'. Copying the tests' finished prefix is much quicker than making
  # one; otherwise wine-run.sh makes it.
  prefix=$PWD/build/win64/wineprefix-bench
  if [ ! -f "$prefix/system.reg" ] && [ -f build/win64/wineprefix/system.reg ]; then
    rm -rf "$prefix"
    cp -a build/win64/wineprefix "$prefix"
    rm -rf "$prefix/wineserver"
  fi
  wine_args=(--wine-exe build/win64/bench/quillon_drop_bench.exe --wine-runner scripts/wine-run.sh
    --wine-prefix "$prefix")
fi

mkdir -p docs
python3 bench/run_bench.py --quillon "$quillon" --report docs/performance.md --chart docs/performance.png \
  --json build/release/bench.json "${desktop_args[@]}" "${floor_args[@]}" ${wine_args[@]+"${wine_args[@]}"} ${pass[@]+"${pass[@]}"}
echo "bench: wrote docs/performance.md and docs/performance.png"
