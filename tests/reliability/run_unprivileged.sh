#!/usr/bin/env bash
# Runs a Windows test program under Wine as the unprivileged system user
# quillon-wine, with a Wine prefix and scratch folder of its own, and fails
# when any of its tests is skipped or none ran. Wine keeps an access list as
# the Unix permission bits of the file, which root passes: the tests of access
# lists need a user whom they stop. The user is made when missing (the tests
# run as root).
# Usage: run_unprivileged.sh BUILD_DIR PROGRAM.exe [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
exe=$2
shift 2
user=quillon-wine

if ! id -u "$user" >/dev/null 2>&1; then
    useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user" ||
        id -u "$user" >/dev/null
fi

# Program, launcher, prefix and temp folder in a folder the user owns: in the
# build folder, or under /tmp where the user cannot reach the build folder.
work=$build/unprivileged
if ! runuser -u "$user" -- test -x "$build"; then
    work=/tmp/quillon-unprivileged-$(printf '%s' "$build" | md5sum | cut -c1-12)
fi
mkdir -p "$work"
chown "$user:$user" "$work"
install -o "$user" -g "$user" -m 0755 "$exe" "$here/../../scripts/wine-run.sh" "$here/../../scripts/xvfb.sh" "$work/"

output=$(mktemp)
trap 'rm -f "$output"' EXIT
status=0
runuser -u "$user" -- env -u DISPLAY -u XAUTHORITY -u XDG_RUNTIME_DIR -u TMPDIR -u QUILLON_XVFB_STATE HOME="$work" \
    QUILLON_BUILD_DIR="$work" WINEPREFIX="$work/wineprefix" \
    bash "$work/wine-run.sh" "$work/$(basename "$exe")" "$@" 2>&1 | tee "$output" || status=$?
[ "$status" -eq 0 ] || exit "$status"
if grep -q '^\[  SKIPPED \]' "$output"; then
    echo "run_unprivileged.sh: tests were skipped as $user; they must run" >&2
    exit 1
fi
grep -q '^\[  PASSED  \] [1-9]' "$output" || { echo "run_unprivileged.sh: no test ran" >&2; exit 1; }
