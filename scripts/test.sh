#!/usr/bin/env bash
# Every test of the project, from a fresh Debian machine (as root): installs
# what is missing, then builds and runs each suite in turn. Stops at the first
# failing suite.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# Each stage's heading also closes the one before it with its time.
stage_name=
stage_start=$SECONDS
stage() {
  [ -z "$stage_name" ] || printf '=== %s: %d s ===\n' "$stage_name" $((SECONDS - stage_start))
  stage_name=$*
  stage_start=$SECONDS
  printf '\n=== %s ===\n' "$*"
}
jobs=$(nproc)

stage "native build and tests (g++): command line, quillon-gui (offscreen and one X drag on Xvfb)"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

stage "sanitized build and tests (clang, AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --preset sanitize -j "$jobs"

stage "fuzzing (libFuzzer + AddressSanitizer + UndefinedBehaviorSanitizer, about a minute)"
bash scripts/fuzz.sh 20

stage "Windows build (x86_64) and tests under wine64"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"
ctest --preset win64

stage "shipped 32-bit build (i686)"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
if [ -f scripts/smoke-i686.sh ]; then
  stage "32-bit smoke run under the 32-bit Wine loader"
  bash scripts/smoke-i686.sh build/win32
fi

stage "all suites passed"
