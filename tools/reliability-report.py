"""Writes docs/reliability.md from what scripts/reliability-report.sh ran: the
JUnit reports that ctest wrote for the tests labelled reliability (natively,
sanitized; and the win64 build under Wine), with each test's whole output, and
the fuzzing statistics.

Usage: reliability-report.py OUT NATIVE_JUNIT WINE_JUNIT FUZZ_SECONDS MODEL_DROPS WINDOW_DROPS FUZZ_STATUS COMMIT
"""
import datetime
import os
import re
import sys
import xml.etree.ElementTree as ElementTree

out, native_junit, wine_junit, fuzz_seconds, model_drops, wine_drops, fuzz_status, commit = sys.argv[1:]
# The fixtures ctest adds to the run: their failure fails the report, they
# have no cases of their own to list.
FIXTURES = {"xvfb_start", "xvfb_stop", "wine_locale", "wine_prefix", "drop_fault_immutable_setup",
            "drop_fault_immutable_cleanup"}


def read_junit(path):
    """{test name: (passed, output)} of one ctest run; empty when it wrote none."""
    tests = {}
    if not os.path.exists(path):
        return tests
    for case in ElementTree.parse(path).getroot().iter("testcase"):
        output = "".join(node.text or "" for node in case.iter("system-out")).replace("\r", "")
        passed = case.get("status") == "run" and case.find("failure") is None
        tests[case.get("name")] = (passed, output)
    return tests


native = read_junit(native_junit)
wine = read_junit(wine_junit)
native_runs = sorted(name for name in native if name not in FIXTURES)
wine_runs = sorted(name for name in wine if name not in FIXTURES)


def log(tests, name):
    return tests.get(name, (False, ""))[1]


def cases(tests, name):
    """(passed, skipped, failed) GoogleTest cases in the test's output."""
    ran_ok = tests.get(name, (False, ""))[0]
    text = log(tests, name)
    ok = list(dict.fromkeys(re.findall(r"^\[       OK \] (\S+) \(", text, re.M)))
    skipped = list(dict.fromkeys(re.findall(r"^\[  SKIPPED \] (\S+) \(", text, re.M)))
    failed = list(dict.fromkeys(re.findall(r"^\[  FAILED  \] (\S+) \(", text, re.M)))
    if not (ok or skipped or failed) and not ran_ok:
        failed = ["%s (no report: the test did not finish)" % name]
    return ok, skipped, failed


fuzz = []
for line in open("build/fuzz/fuzz-stats.txt"):
    target, runs, seconds, corpus, verdict = line.split()
    fuzz.append((target, int(runs), int(seconds), int(corpus), verdict))

def models(tests, name):
    found = {}
    for m in re.finditer(r"^\[model\] (.+?) seed=(\d+) drops=(\d+) files=(\d+) largest=(\d+)(.*)$", log(tests, name), re.M):
        codes = dict((int(a), int(b)) for a, b in re.findall(r"code(\d)=(\d+)", m.group(6)))
        found[m.group(1)] = dict(seed=int(m.group(2)), drops=int(m.group(3)), files=int(m.group(4)),
                                 largest=int(m.group(5)), codes=codes)
    return found

model = models(native, "drop_model_test")
desktop_model = models(native, "desktop_reliability_test").get("desktop window drops", {})
wine_model = models(wine, "wine_reliability_test")
settings_line = re.search(r"^\[settings\] (.*)$", log(native, "settings_reliability_test"), re.M)
wine_settings_line = re.search(r"^\[settings\] (.*?)$", log(wine, "wine_settings_reliability_test"), re.M)
resources = re.search(r"^\[resources\] 50 drops of (\d+) paths with paints: handles (\d+) -> (\d+), GDI (\d+) -> (\d+), "
                      r"USER (\d+) -> (\d+), private KiB (\d+) -> (\d+)", log(wine, "wine_reliability_test"), re.M)

native_results = {name: cases(native, name) for name in native_runs}
wine_results = {name: cases(wine, name) for name in wine_runs}
leaks = sum(len(re.findall(r"ERROR: LeakSanitizer", log(native, n))) for n in native_runs)
sanitizer_reports = sum(len(re.findall(r"ERROR: AddressSanitizer|runtime error:", log(native, n))) for n in native_runs)
fuzz_findings = sum(1 for f in fuzz if f[4] != "ok")
all_ok = (bool(native) and bool(wine) and all(p for p, _ in native.values()) and all(p for p, _ in wine.values())
          and int(fuzz_status) == 0)

random_drops = model.get("random drops", {})
large = model.get("large drop", {})
window_drops = wine_model.get("window drops", {})
window_large = wine_model.get("window large drop", {})
names = {1: "access failed", 2: "file error", 3: "no tag", 4: "no title", 5: "rename error", 6: "renamed"}

def fault_list(results, *excluded):
    listed = []
    for name in sorted(results):
        if name in excluded:
            continue
        passed, skipped, failed = results[name]
        listed += [(case, "") for case in passed] + [(case, "skipped") for case in skipped]
        listed += [(case, "**failed**") for case in failed]
    return listed


# The model tests' cases are drops, not faults.
native_faults = fault_list(native_results, "drop_model_test", "desktop_reliability_test")
wine_faults = fault_list(wine_results, "wine_reliability_test")

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
w("Generated by `scripts/reliability-report.sh %s %s %s` on %s at commit %s: the tests labelled reliability"
  % (fuzz_seconds, model_drops, wine_drops, datetime.date.today().isoformat(), commit))
w("(`ctest -L reliability`) of two builds. The native tests ran with")
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
w("| Failed tests | %d | %d |" % (sum(len(r[2]) for r in native_results.values()),
                                sum(len(r[2]) for r in wine_results.values())))
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
w("| Disagreements with the model | %d | %d |" % (len(native_results.get("drop_model_test", ((), (), ["?"]))[2]),
                                                len(wine_results.get("wine_reliability_test", ((), (), ["?"]))[2])))
w("")
if desktop_model:
    w("The same model also checks drops through quillon-gui's real main window (Qt 6, offscreen platform,")
    w("sanitized): %s drops of %s files (seed %s), %d disagreements; results %s."
      % (n(desktop_model["drops"]), n(desktop_model["files"]), desktop_model["seed"], len(native_results["desktop_reliability_test"][2]),
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
w("Native (%s), %d cases:" % (", ".join("`%s`" % t for t in native_runs if t not in ("drop_model_test", "desktop_reliability_test")), len(native_faults)))
w("")
for case, mark in native_faults:
    w("- `%s`%s" % (case, " (%s)" % mark if mark else ""))
w("")
if settings_line:
    w("Settings store under concurrency (natively, two writer processes and a reader): " + settings_line.group(1) + ".")
    w("")
w("Under Wine (%s), %d cases:" % (", ".join("`%s`" % t for t in wine_runs if t != "wine_reliability_test"), len(wine_faults)))
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
sys.exit(0 if all_ok else 1)
