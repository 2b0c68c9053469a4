#!/usr/bin/env bash
# Builds the fuzz preset and runs each libFuzzer target for a bounded time from
# its seed corpus (fuzz/corpus/<target>, copied first so the repository is never
# written). Fails when any target reports a finding (crash, sanitizer report,
# leak, timeout, out-of-memory or broken invariant); the input is kept in
# build/fuzz/findings/.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 20: about a minute)
#        scripts/fuzz.sh 600                     (a longer run)
# Executions per target are written to build/fuzz/fuzz-stats.txt.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
targets=(fuzz_tag_reader fuzz_rename_planner fuzz_frame_text fuzz_frame_walk)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2 >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/quillon-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
findings=build/fuzz/findings
stats=build/fuzz/fuzz-stats.txt
mkdir -p "$findings"
: >"$stats.new"

failed=0
for t in "${targets[@]}"; do
  cp -r "fuzz/corpus/$t" "$work/$t"
  mkdir -p "$work/$t-artifacts" "$work/$t-tmp"
  status=0
  TMPDIR="$work/$t-tmp" ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
    "build/fuzz/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$work/$t-artifacts/" "$work/$t" >"$work/$t.log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t.log" | tail -1)
  corpus=$(find "$work/$t" -type f | wc -l)
  if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/$t-artifacts")" ]; then
    failed=1
    cp "$work/$t-artifacts/"* "$findings/" 2>/dev/null || true
    cp "$work/$t.log" "$findings/$t.log"
    grep -E 'ERROR|SUMMARY|invariant broken|Test unit written' "$work/$t.log" | head -20 || true
    printf '%-22s FINDING (exit %s), log in %s/%s.log\n' "$t" "$status" "$findings" "$t"
    echo "$t ${runs:-0} $seconds $corpus finding" >>"$stats.new"
  else
    printf '%-22s %12s executions in %ss, corpus %s inputs, no finding\n' "$t" "${runs:-?}" "$seconds" "$corpus"
    echo "$t ${runs:-0} $seconds $corpus ok" >>"$stats.new"
  fi
done
mv "$stats.new" "$stats"
exit "$failed"
