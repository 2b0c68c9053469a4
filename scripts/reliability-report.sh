#!/usr/bin/env bash
# Measures how reliably a drop behaves and writes the figures to
# docs/reliability.md: a short fuzzing run of every target, then the tests
# labelled reliability (ctest -L reliability) of two builds. Natively, built
# with AddressSanitizer (leak checking on) and UndefinedBehaviorSanitizer: the
# drop model test with a given number of random drops, the same random drops
# through quillon-gui's main window, the fault tests and the settings store
# under concurrent use. The win64 build under Wine: random drops through the
# real main window, one drop of 10,000 files, handles and GDI/USER objects and
# memory over repeated drops, the fault tests, the file and registry faults of
# the Windows back ends (the access lists as an unprivileged user, whom they
# stop), and two processes saving settings through the real registry.
# tools/reliability-report.py writes the page from the JUnit reports.
# Usage: scripts/reliability-report.sh [FUZZ_SECONDS_PER_TARGET [MODEL_DROPS [WINDOW_DROPS]]]
#        (defaults 20, 5000 and 300; about 8 minutes on two cores)
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds=${1:-20}
# The tests read their numbers of drops and the seed from the environment.
export QUILLON_MODEL_DROPS=${2:-5000} QUILLON_WINDOW_DROPS=${3:-300}
export QUILLON_MODEL_SEED=${QUILLON_MODEL_SEED:-20261207}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== fuzzing, ${fuzz_seconds}s per target"
fuzz_status=0
bash scripts/fuzz.sh "$fuzz_seconds" || fuzz_status=$?

# The build of PRESET and its reliability tests, each test's whole output kept
# in the report $work/PRESET.xml.
reliability_tests() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j 2 >/dev/null
    ctest --test-dir "build/$1" -L reliability --output-junit "$work/$1.xml" --test-output-size-passed 8000000 \
        --test-output-size-failed 8000000 || true
}
echo "== sanitized reliability tests"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    reliability_tests sanitize
echo "== Windows build (win64) and reliability tests under Wine"
reliability_tests win64

python3 tools/reliability-report.py docs/reliability.md "$work/sanitize.xml" "$work/win64.xml" "$fuzz_seconds" \
    "$QUILLON_MODEL_DROPS" "$QUILLON_WINDOW_DROPS" "$fuzz_status" "$(git rev-parse --short HEAD)"
