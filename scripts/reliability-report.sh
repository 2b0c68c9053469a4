#!/usr/bin/env bash
# Measures how reliably a drop behaves and writes the figures to
# docs/reliability.md: a short fuzzing run of every target; natively, built
# with AddressSanitizer (leak checking on) and UndefinedBehaviorSanitizer, the
# drop model test with a given number of random drops, the same random drops
# through quillon-gui's main window, the fault tests and the settings store
# under concurrent use; then the win64 build under Wine: random
# drops through the real main window, one drop of 10,000 files, handles and
# GDI/USER objects and memory over repeated drops, the fault tests, the file
# and registry faults of the Windows back ends (the access lists as an
# unprivileged user, whom they stop), and two processes saving settings
# through the real registry.
# Usage: scripts/reliability-report.sh [FUZZ_SECONDS_PER_TARGET [MODEL_DROPS [WINE_DROPS]]]
#        (defaults 20, 5000 and 300; about 8 minutes on two cores)
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds=${1:-20}
model_drops=${2:-5000}
wine_drops=${3:-300}
seed=${QUILLON_MODEL_SEED:-20261207}
out=docs/reliability.md
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== fuzzing, ${fuzz_seconds}s per target"
fuzz_status=0
bash scripts/fuzz.sh "$fuzz_seconds" || fuzz_status=$?

echo "== sanitized reliability tests"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j 2 --target drop_model_test drop_fault_test settings_reliability_test \
  read_fault_test desktop_reliability_test >/dev/null
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
tests=build/sanitize/tests/reliability
run() {  # NAME BINARY [ENV...]: runs one test binary, keeps its output and status
  local name=$1 binary=$2
  shift 2
  local start=$SECONDS status=0
  env "$@" "$binary" --gtest_output="json:$work/$name.json" >"$work/$name.log" 2>&1 || status=$?
  echo "$status $((SECONDS - start))" >"$work/$name.status"
  tail -n 3 "$work/$name.log"
}
run model "$tests/drop_model_test" QUILLON_MODEL_DROPS="$model_drops" QUILLON_MODEL_SEED="$seed"
run desktop_model "$tests/desktop_reliability_test" QUILLON_MODEL_DROPS="$wine_drops" QUILLON_MODEL_SEED="$seed" \
  QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions=$PWD/tests/desktop/lsan.supp
run faults "$tests/drop_fault_test"
run read_faults build/sanitize/tests/native/read_fault_test
run settings "$tests/settings_reliability_test"

echo "== Windows build (win64) and reliability tests under Wine"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 2 --target wine_reliability_test drop_fault_test wine_settings_reliability_test \
  file_io_win32_test value_store_win32_test >/dev/null
root=$PWD
wine_tests=$root/build/win64/tests
run_wine() {  # NAME EXE [GTEST ARGUMENTS...]: as run, through the tests' Wine set-up
  local name=$1 exe=$2
  shift 2
  local start=$SECONDS status=0
  # The JSON report is written relative to the folder Wine starts in.
  (cd "$work" && bash "$root/scripts/wine-run.sh" "$exe" "$@" --gtest_output="json:$name.json") \
    >"$work/$name.log" 2>&1 || status=$?
  echo "$status $((SECONDS - start))" >"$work/$name.status"
  tail -n 3 "$work/$name.log"
}
QUILLON_MODEL_DROPS="$wine_drops" QUILLON_MODEL_SEED="$seed" \
  run_wine wine_model "$wine_tests/reliability/wine_reliability_test.exe"
immutable=$root/build/win64/tests/reliability/immutable-folder
sh tests/reliability/immutable_folder.sh setup "$immutable"
QUILLON_IMMUTABLE_FOLDER="$immutable" run_wine wine_faults "$wine_tests/reliability/drop_fault_test.exe" \
  --gtest_filter=-DropFaults.*AccessList*
sh tests/reliability/immutable_folder.sh cleanup "$immutable"
# Access lists stop only a user who is not root.
run_unprivileged() {  # NAME EXE [GTEST ARGUMENTS...]
  local name=$1 exe=$2
  shift 2
  local start=$SECONDS status=0
  bash tests/reliability/run_unprivileged.sh "$root/build/win64" "$exe" "$@" >"$work/$name.log" 2>&1 || status=$?
  echo "$status $((SECONDS - start))" >"$work/$name.status"
  tail -n 3 "$work/$name.log"
}
run_unprivileged wine_access_lists "$wine_tests/reliability/drop_fault_test.exe" --gtest_filter=DropFaults.*AccessList*
# The faults the Windows back ends' own tests inject: files held open by
# others, folders, missing files and devices, names taken or refused, a
# registry key nobody may open, values too long, of another type, or missing.
run_wine wine_file_faults "$wine_tests/windows/file_io_win32_test.exe" \
  --gtest_filter='Win32FileAccess.FileHeld*:Win32FileAccess.FileRead*:Win32FileAccess.FolderMissing*:Win32Rename.ExistingTarget*:Win32Rename.NameDiffering*:Win32Rename.NameTheFileSystemRefuses*'
run_wine wine_store_faults "$wine_tests/windows/value_store_win32_test.exe" \
  --gtest_filter='DeniedKey.*:RegistryStore.Overlong*:RegistryStore.DataIsRead*:RegistryStore.DwordLogWindow*:RegistryStore.MissingValue*:RegistryStore.FirstRead*'
run_wine wine_settings "$wine_tests/reliability/wine_settings_reliability_test.exe"

python3 - "$work" "$out" "$fuzz_seconds" "$model_drops" "$wine_drops" "$fuzz_status" "$(git rev-parse --short HEAD)" <<'PY'
import json, os, re, sys, datetime

work, out, fuzz_seconds, model_drops, wine_drops, fuzz_status, commit = sys.argv[1:]
native_runs = ("model", "desktop_model", "faults", "read_faults", "settings")
wine_runs = ("wine_model", "wine_faults", "wine_access_lists", "wine_file_faults", "wine_store_faults", "wine_settings")

def status(name):
    code, seconds = open(os.path.join(work, name + ".status")).read().split()
    return int(code), int(seconds)

def log(name):
    return open(os.path.join(work, name + ".log"), encoding="utf-8", errors="replace").read()

def cases(name):
    """(passed, skipped with reasons, failed) from the gtest JSON report."""
    path = os.path.join(work, name + ".json")
    passed, skipped, failed = [], [], []
    if not os.path.exists(path):
        # A run without a JSON report (the unprivileged one): gtest's own lines.
        text = log(name)
        passed = re.findall(r"^\[       OK \] (\S+)", text, re.M)
        skipped = re.findall(r"^\[  SKIPPED \] (\S+)", text, re.M)
        failed = re.findall(r"^\[  FAILED  \] (\S+) \(", text, re.M)
        if not (passed or skipped or failed):
            failed = ["(no report: the binary did not finish)"]
        return passed, skipped, failed
    for suite in json.load(open(path))["testsuites"]:
        for case in suite["testsuite"]:
            full = suite["name"] + "." + case["name"]
            if case.get("failures"):
                failed.append(full)
            elif case.get("result") == "SKIPPED":
                skipped.append(full)
            else:
                passed.append(full)
    return passed, skipped, failed

fuzz = []
for line in open("build/fuzz/fuzz-stats.txt"):
    target, runs, seconds, corpus, verdict = line.split()
    fuzz.append((target, int(runs), int(seconds), int(corpus), verdict))

def models(name):
    found = {}
    for m in re.finditer(r"^\[model\] (.+?) seed=(\d+) drops=(\d+) files=(\d+) largest=(\d+)(.*)$", log(name), re.M):
        codes = dict((int(a), int(b)) for a, b in re.findall(r"code(\d)=(\d+)", m.group(6)))
        found[m.group(1)] = dict(seed=int(m.group(2)), drops=int(m.group(3)), files=int(m.group(4)),
                                 largest=int(m.group(5)), codes=codes)
    return found

model = models("model")
desktop_model = models("desktop_model").get("desktop window drops", {})
wine_model = models("wine_model")
settings_line = re.search(r"^\[settings\] (.*)$", log("settings"), re.M)
wine_settings_line = re.search(r"^\[settings\] (.*?)\r?$", log("wine_settings"), re.M)
resources = re.search(r"^\[resources\] 50 drops of (\d+) paths with paints: handles (\d+) -> (\d+), GDI (\d+) -> (\d+), "
                      r"USER (\d+) -> (\d+), private KiB (\d+) -> (\d+)", log("wine_model"), re.M)

runs = {name: status(name) for name in native_runs + wine_runs}
results = {name: cases(name) for name in native_runs + wine_runs}
leaks = sum(len(re.findall(r"ERROR: LeakSanitizer", log(n))) for n in native_runs)
sanitizer_reports = sum(len(re.findall(r"ERROR: AddressSanitizer|runtime error:", log(n))) for n in native_runs)
fuzz_findings = sum(1 for f in fuzz if f[4] != "ok")
all_ok = all(code == 0 for code, _ in runs.values()) and int(fuzz_status) == 0

random_drops = model.get("random drops", {})
large = model.get("large drop", {})
window_drops = wine_model.get("window drops", {})
window_large = wine_model.get("window large drop", {})
names = {1: "access failed", 2: "file error", 3: "no tag", 4: "no title", 5: "rename error", 6: "renamed"}

def fault_list(*names_):
    listed = []
    for name in names_:
        passed, skipped, failed = results[name]
        listed += [(case, "") for case in passed] + [(case, "skipped") for case in skipped]
        listed += [(case, "**failed**") for case in failed]
    return listed

native_faults = fault_list("faults", "read_faults", "settings")
wine_faults = fault_list("wine_faults", "wine_access_lists", "wine_file_faults", "wine_store_faults", "wine_settings")

# Under Wine a leak is a count that grew over the 50 drops (memory: by 512 KiB
# or more, the test's own bound).
wine_leaks = None
if resources:
    r = [int(x) for x in resources.groups()]
    wine_leaks = sum(1 for a, b in ((r[1], r[2]), (r[3], r[4]), (r[5], r[6])) if b > a) + (1 if r[8] >= r[7] + 512 else 0)

def n(value):
    return format(value, ",")

lines = []
w = lines.append
w("# Reliability")
w("")
w("The property measured: every dropped file comes out either renamed exactly as the rules say, or")
w("untouched (same name, same bytes); no input crashes the program or makes it read memory it did not fill.")
w("")
w("Generated by `scripts/reliability-report.sh %s %s %s` on %s at commit %s. The native tests ran with"
  % (fuzz_seconds, model_drops, wine_drops, datetime.date.today().isoformat(), commit))
w("AddressSanitizer (leak checking on) and UndefinedBehaviorSanitizer; the Windows tests are the win64 build")
w("(MinGW-w64) under wine64 with the Japanese locale (code page 932), the real main window, files and registry.")
w("Overall: **%s**." % ("all checks passed" if all_ok else "FAILURES, see below"))
w("")
w("## Summary")
w("")
w("| Figure | Native (sanitized) | Windows build under Wine |")
w("|---|---:|---:|")
w("| Executions fuzzed | %s | - |" % n(sum(f[1] for f in fuzz)))
w("| Fuzzing findings | %d | - |" % fuzz_findings)
w("| Drop cases generated | %s drops, %s files | %s drops, %s files |"
  % (n(random_drops.get("drops", 0)), n(random_drops.get("files", 0)),
     n(window_drops.get("drops", 0)), n(window_drops.get("files", 0))))
w("| Faults injected | %d cases (%d skipped) | %d cases (%d skipped) |"
  % (len(native_faults), sum(1 for _, m in native_faults if m == "skipped"),
     len(wine_faults), sum(1 for _, m in wine_faults if m == "skipped")))
w("| Files in the largest drop | %s | %s |" % (n(large.get("largest", 0)), n(window_large.get("largest", 0))))
if resources:
    r = [int(x) for x in resources.groups()]
    wine_leak_text = ("%d (handles %d → %d, GDI %d → %d, USER %d → %d, private KiB %s → %s)"
                      % (wine_leaks, r[1], r[2], r[3], r[4], r[5], r[6], n(r[7]), n(r[8])))
else:
    wine_leak_text = "? (no [resources] line)"
w("| Leaks found | %d (LeakSanitizer, descriptor count) | %s |" % (leaks, wine_leak_text))
w("| Other sanitizer reports | %d | - |" % sanitizer_reports)
w("| Failed tests | %d | %d |" % (sum(len(results[r][2]) for r in native_runs), sum(len(results[r][2]) for r in wine_runs)))
w("")
w("## Fuzzing (libFuzzer)")
w("")
w("| Target | Executions | Seconds | Corpus at end | Findings |")
w("|---|---:|---:|---:|---|")
for target, count, seconds, corpus, verdict in fuzz:
    w("| `%s` | %s | %d | %d | %s |" % (target, n(count), seconds, corpus, "none" if verdict == "ok" else "**yes**"))
w("")
w("Invariants checked on every input: the outcome table of both readings (a sentinel-filled record keeps")
w("every field the outcome does not write), signature, tag flags and ID3v1 texts against the rules,")
w("texts NUL-terminated with at most 90 (ID3v1, read as Windows-1252 into UTF-8 when not UTF-8) and 126")
w("(ID3v2) bytes and well-formed UTF-8, ASCII kept as it is, `FindTextFrame` writing at most")
w("127 bytes and reading nothing past its window's reach (exactly sized heap copies), `PlanRename`'s")
w("new path against the rules (at most 255 bytes, the old folder, the composed name, \".mp3\", none of")
w("the nine forbidden characters) for any flags and settings, `DecodeFrameText` producing well-formed")
w("UTF-8 of at most 126 bytes, and the whole-tag frame walk giving the same well-formed texts from a tag")
w("in memory and from a file read in blocks, for any first read. `scripts/fuzz.sh 600` is the longer run.")
w("")
w("## Drop model")
w("")
w("Random folders of plausible and broken files (tags in encodings 0 to 3, near-miss signatures,")
w("leading zeros, files under 128 bytes, colliding titles, names already taken, forbidden characters,")
w("over-long names, folders, missing paths, paths and new paths at 254 to 258 bytes) are dropped")
w("and compared with a model written from the rules: folder contents byte for byte, the log line for")
w("line, and the count of files not renamed. Natively the drops go through the real batch with a")
w("recording drop site; under Wine through the real main window (WM_DROPFILES with a drop handle built")
w("as the shell builds it, the log read back from the log window's list box), with code page 932 texts,")
w("'\\' paths and names that differ only in letter case taken as the same.")
w("")
w("| Figure | Native | Under Wine |")
w("|---|---:|---:|")
w("| Seed | %s | %s |" % (random_drops.get("seed", "?"), window_drops.get("seed", "?")))
w("| Random drops checked | %s | %s |" % (n(random_drops.get("drops", 0)), n(window_drops.get("drops", 0))))
w("| Files (dropped paths) in them | %s | %s |" % (n(random_drops.get("files", 0)), n(window_drops.get("files", 0))))
for code in range(1, 7):
    w("| ... result %d (%s) | %s | %s |" % (code, names[code], n(random_drops.get("codes", {}).get(code, 0)),
                                          n(window_drops.get("codes", {}).get(code, 0))))
w("| Largest drop (one drop of 10,000 files, log and order checked) | %s | %s |"
  % (n(large.get("largest", 0)), n(window_large.get("largest", 0))))
w("| Disagreements with the model | %d | %d |" % (len(results["model"][2]), len(results["wine_model"][2])))
w("")
if desktop_model:
    w("The same model also checks drops through quillon-gui's real main window (Qt 6, offscreen platform,")
    w("sanitized): %s drops of %s files (seed %s), %d disagreements; results %s."
      % (n(desktop_model["drops"]), n(desktop_model["files"]), desktop_model["seed"], len(results["desktop_model"][2]),
         ", ".join("%d: %s" % (c, n(desktop_model["codes"].get(c, 0))) for c in range(1, 7))))
    w("")
unsent = int(wine_drops) - window_drops.get("drops", 0)
if unsent > 0:
    w("Under Wine %s drops were drawn; the %d that came out empty were not sent, since the shell never sends" % (n(int(wine_drops)), unsent))
    w("an empty list and Wine would count one empty path in it (the shell tests cover that case).")
    w("")
if resources:
    r = [int(x) for x in resources.groups()]
    w("Resources under Wine over 50 drops of %s paths, each followed by a repaint (after one drop to warm up):"
      % r[0])
    w("kernel handles %d → %d, GDI objects %d → %d, USER objects %d → %d, private memory %s → %s KiB."
      % (r[1], r[2], r[3], r[4], r[5], r[6], n(r[7]), n(r[8])))
    w("Wine answers `GetProcessHandleCount` and `GetGuiResources` with nothing, so handles and GDI objects are")
    w("counted by probing (every handle value; the GDI table's next free entry) and USER objects as the")
    w("thread's windows; the test checks that each probe sees one deliberately leaked object.")
    w("")
w("## Injected faults")
w("")
w("Each case checks that the file is renamed as the rules say or left as it was (name and bytes), and")
w("that the log or the settings store reports what happened.")
w("")
w("Native, %d cases:" % len(native_faults))
w("")
for case, mark in native_faults:
    w("- `%s`%s" % (case, " (%s)" % mark if mark else ""))
w("")
if settings_line:
    w("Settings store under concurrency (natively, two writer processes and a reader): " + settings_line.group(1) + ".")
    w("")
w("Under Wine, %d cases:" % len(wine_faults))
w("")
for case, mark in wine_faults:
    w("- `%s`%s" % (case, " (%s)" % mark if mark else ""))
w("")
if wine_settings_line:
    w("Settings store under concurrency under Wine (the test and a second copy of itself, both through the")
    w("real registry): " + wine_settings_line.group(1) + ".")
    w("")
w("Wine keeps a file's or folder's access list as its Unix permission bits, which root passes: the")
w("access-list cases run as the unprivileged system user `quillon-wine` with a Wine prefix of its own")
w("(`tests/reliability/run_unprivileged.sh`), and a skip there counts as a failure. For root a folder is")
w("made read-only with the Unix immutable flag (`ImmutableUnixFolderFailsTheRenameAndKeepsTheFile`).")
w("")
w("## Findings and fixes")
w("")
for line in open(os.path.join(os.path.dirname(os.path.abspath(out)), "..", "fuzz", "FINDINGS.md")):
    w(line.rstrip("\n"))
open(out, "w").write("\n".join(lines) + "\n")
print("wrote", out)
PY
[ "$fuzz_status" -eq 0 ] || exit 1
for s in "$work"/*.status; do [ "$(cut -d' ' -f1 "$s")" -eq 0 ] || exit 1; done
