#!/usr/bin/env bash
# smoke-i686.sh where the 32-bit Wine loader is missing: it must fail, unless
# QUILLON_SKIP_I686_SMOKE=1 asks for the skip, which it must then report.
# Usage: smoke_i686_loader_test.sh SMOKE_SCRIPT
set -euo pipefail
smoke=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A PE32 GUI program for i386 importing only system DLLs, as quillon.exe is,
# so that the check of the executable passes and the loader is looked for.
printf '#include <windows.h>\nint WINAPI WinMain(HINSTANCE i, HINSTANCE p, LPSTR c, int s) { return 0; }\n' \
    >"$work/gui.c"
i686-w64-mingw32-gcc -mwindows -o "$work/quillon.exe" "$work/gui.c"

run() {
    status=0
    env QUILLON_I686_LOADER="$work/no-loader" "$@" bash "$smoke" "$work" >"$work/out" 2>&1 || status=$?
    sed 's/^/    /' "$work/out"
}

run
[ "$status" -ne 0 ] || { echo "FAILED: exit status 0 without a 32-bit loader"; exit 1; }
grep -q 'FAILED: the 32-bit Wine loader' "$work/out" || { echo "FAILED: the reason is not given"; exit 1; }
run QUILLON_SKIP_I686_SMOKE=1
[ "$status" -eq 0 ] || { echo "FAILED: exit status $status with QUILLON_SKIP_I686_SMOKE=1"; exit 1; }
grep -q '32-bit smoke run skipped' "$work/out" || { echo "FAILED: the skip is not reported"; exit 1; }
echo "passed: no loader fails, QUILLON_SKIP_I686_SMOKE=1 skips"
