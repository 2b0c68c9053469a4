#!/usr/bin/env python3
"""Renaming benchmark: quillon beside the Debian tools that rename MP3 files
by their tags, on identical fresh copies of the same files in a tmpfs folder.

scripts/bench.sh builds quillon and calls this; see --help for the options.
In --smoke mode it only checks counts (every file renamed, system calls per
file), never times, so it can run inside the test command.
"""
import argparse
import datetime
import json
import math
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

import make_files

RENAMED = re.compile(r"^Song \d{5} - Band \d{5}\.mp3$")
# The calls one renamed file needs (stat, open, read, pread, close, rename),
# and a share of the few that a run spends on its undo journal, which costs
# no call per file.
FILE_CALLS_LIMIT = 6.1
# Files whose title stands behind cover art (as eyeD3 writes them): one more
# read at the frame behind the picture, never the picture; behind thousands of
# small frames: a few reads that grow, never one a frame.
# (make_files.py's argument, label, files, calls per file at most)
BEHIND_CASES = [("cover=8192", "8 KiB of cover art", 500, 8), ("cover=2097152", "2 MiB of cover art", 40, 8),
                ("frames=5000", "5,000 small frames", 100, 12)]
SCAN_FILE = "silence.mp3"
SCAN_RENAMED = "Long Silence - Nobody.mp3"


def log(*parts):
    print("bench:", *parts, file=sys.stderr, flush=True)


def load_average():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def cpu_model():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.machine()


def package_version(name):
    r = subprocess.run(["dpkg-query", "-W", "-f=${Version}", name], capture_output=True, text=True)
    return r.stdout.strip() if r.returncode == 0 else "?"


def is_tmpfs(folder):
    r = subprocess.run(["stat", "-f", "-c", "%T", folder], capture_output=True, text=True)
    return r.stdout.strip() == "tmpfs"


class Tool:
    """One renamer: how to set it up for "Title - Artist" and how to run it."""

    def __init__(self, name, package, argv, note, env=None, subset=None):
        self.name = name
        self.package = package
        self.argv = argv  # the file names are appended
        self.note = note
        self.env = env or {}
        self.subset = subset  # files in its run; None for all

    def run(self, folder, names, strace_out=None):
        cmd = list(self.argv) + names
        if strace_out:
            cmd = ["strace", "-c", "-f", "-o", strace_out] + cmd
        env = dict(os.environ, **self.env)
        start = time.perf_counter()
        r = subprocess.run(cmd, cwd=folder, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        return time.perf_counter() - start, r.returncode


def fresh_copy(master, folder, count):
    """Copies the first `count` files of `master` into an empty `folder`;
    returns their names in order."""
    if os.path.exists(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    names = sorted(os.listdir(master))[:count]
    for n in names:
        shutil.copyfile(os.path.join(master, n), os.path.join(folder, n))
    return names


def count_renamed(folder):
    names = os.listdir(folder)
    return sum(1 for n in names if RENAMED.match(n)), sum(1 for n in names if n.startswith("track"))


def parse_strace(path):
    """strace -c summary as {syscall: calls}."""
    calls = {}
    with open(path) as f:
        for line in f:
            parts = line.split()
            if len(parts) < 5 or not parts[0][0].isdigit() or parts[-1] == "total":
                continue
            # "% time  seconds  usecs/call  calls  [errors]  syscall"
            calls[parts[-1]] = int(parts[3])
    return calls


def per_file(full, base, files):
    names = set(full) | set(base)
    table = {n: (full.get(n, 0) - base.get(n, 0)) / files for n in names}
    return {n: v for n, v in table.items() if abs(v) >= 0.00005}


def quillon_tool(args, home):
    env = {"XDG_CONFIG_HOME": os.path.join(home, "config"), "HOME": home}
    subprocess.run([args.quillon, "--format=title-artist", "--primary-tag=v2"], env=dict(os.environ, **env),
                   stdout=subprocess.DEVNULL, check=True)
    return Tool("quillon", None, [args.quillon], "`quillon FILE...` with the format saved by "
                "`quillon --format=title-artist`", env=env)


FLOOR = "syscall floor"


def floor_tool(args):
    return Tool(FLOOR, None, [args.floor], "`bench/syscall_floor.c`: per file only open, fstat, one read of "
                "394 bytes, one pread of the ID3v1 tag, close and renameat2, the name made from the ID3v1 tag")


def instructions_per_file(args, work, master, tool, files):
    """User-space instructions per renamed file under callgrind: a run over
    `files` files less a run with none (`--show-settings`)."""
    def total(extra, names, folder):
        out = os.path.join(work, "callgrind.out")
        subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out, args.quillon] + extra + names,
                       cwd=folder, env=dict(os.environ, **tool.env), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True)
        with open(out) as f:
            for line in f:
                if line.startswith("summary:"):
                    return int(line.split()[1])
        raise SystemExit("bench: no callgrind summary")
    folder = os.path.join(work, "callgrind")
    names = fresh_copy(master, folder, files)
    return (total([], names, folder) - total(["--show-settings"], [], folder)) / files


def peer_tools(args, home):
    tools = []
    env = {"HOME": home}
    if shutil.which("id3ren"):
        tools.append(Tool("id3ren", "id3ren", ["id3ren", "-nocfg", "-quiet", "-notagprompt", "-template=%s - %a.mp3"],
                          "`id3ren -nocfg -quiet -notagprompt -template='%s - %a.mp3' FILE...` (reads ID3v1)", env))
    if shutil.which("mp3rename"):
        # The format is saved in ~/.mp3rename, like quillon's.
        # It exits with 1 even when it saved the format; the file tells.
        subprocess.run(["mp3rename", "-s", "&t - &a"], env=dict(os.environ, **env), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        with open(os.path.join(home, ".mp3rename")) as f:
            if "&t - &a" not in f.read():
                raise SystemExit("bench: mp3rename did not save its format")
        tools.append(Tool("mp3rename", "mp3rename", ["mp3rename"],
                          "`mp3rename FILE...` with the format saved by `mp3rename -s '&t - &a'` (reads ID3v1)", env))
    if shutil.which("eyeD3"):
        tools.append(Tool("eyeD3", "eyed3", ["eyeD3", "--no-color", "--no-config", "--rename", "$title - $artist"],
                          "`eyeD3 --rename '$title - $artist' FILE...` (reads ID3v2)", env,
                          subset=min(args.eyed3_files, args.files)))
    return tools


def measure_renames(args, work, master, tools):
    results = {t.name: {"times": [], "renamed": [], "files": t.subset or args.files} for t in tools}
    for run in range(args.runs):
        # Each run starts with a different tool so none always goes first.
        order = tools[run % len(tools):] + tools[:run % len(tools)]
        for t in order:
            folder = os.path.join(work, "copy-" + t.name)
            names = fresh_copy(master, folder, t.subset or args.files)
            seconds, status = t.run(folder, names)
            done, left = count_renamed(folder)
            results[t.name]["times"].append(seconds)
            results[t.name]["renamed"].append(done)
            log("run %d %-9s %6d files %8.3f s  renamed %d, left %d, exit %d" % (run + 1, t.name, len(names),
                                                                                    seconds, done, left, status))
    for t in tools:
        r = results[t.name]
        r["median"] = statistics.median(r["times"])
        r["files_per_s"] = r["files"] / r["median"]
        r["all_renamed"] = all(n == r["files"] for n in r["renamed"])
        r["note"] = t.note
        r["version"] = package_version(t.package) if t.package else "this tree"
    return results


def count_syscalls(args, work, master, tool, files, base_files):
    """System calls per renamed file: a run over `files` files less a run over
    `base_files` (quillon: 0 files, its settings printed instead)."""
    folder = os.path.join(work, "strace-" + tool.name)
    full_out = os.path.join(work, "strace-%s-full.txt" % tool.name)
    base_out = os.path.join(work, "strace-%s-base.txt" % tool.name)
    names = fresh_copy(master, folder, files)
    tool.run(folder, names, full_out)
    done, _ = count_renamed(folder)
    if base_files == 0:
        base_tool = Tool(tool.name, None, tool.argv + ["--show-settings"], "", tool.env)
        base_tool.run(folder, [], base_out)
    else:
        names = fresh_copy(master, folder, base_files)
        tool.run(folder, names, base_out)
    table = per_file(parse_strace(full_out), parse_strace(base_out), files - base_files)
    return table, done


def count_cover_calls(args, work, quillon):
    """System calls per renamed file whose title stands behind cover art or
    many frames: a run over all the files less a run over one, so that the
    run's own calls (the settings, the journal) do not count."""
    out = []
    for before, label, files, limit in BEHIND_CASES:
        master = os.path.join(work, "behind-" + before.replace("=", "-"))
        make_files.main(["make_files.py", master, str(files), before])
        table, done = count_syscalls(args, work, master, quillon, files, 1)
        out.append({"label": label, "files": files, "limit": limit, "renamed": done, "table": table,
                    "total": sum(v for n, v in table.items() if n != "write")})
        shutil.rmtree(master)
    return out


def measure_scan(args, work, quillon):
    path = os.path.join(work, "scan")
    os.makedirs(path, exist_ok=True)
    target = os.path.join(path, SCAN_FILE)
    make_files.main(["make_files.py", "--zeros", target, str(args.scan_mb)])
    renamed = os.path.join(path, SCAN_RENAMED)
    q_times, c_times = [], []
    # Warm: tmpfs keeps it in memory, and one untimed pass of each goes first.
    subprocess.run(["cat", target], stdout=subprocess.DEVNULL)
    for i in range(args.scan_runs + 1):
        start = time.perf_counter()
        subprocess.run(["cat", target], stdout=subprocess.DEVNULL, check=True)
        c = time.perf_counter() - start
        seconds, status = quillon.run(path, [SCAN_FILE])
        if status != 0 or not os.path.exists(renamed):
            raise SystemExit("bench: quillon did not rename the 200 MB file")
        os.rename(renamed, target)
        if i > 0:
            c_times.append(c)
            q_times.append(seconds)
    q, c = statistics.median(q_times), statistics.median(c_times)
    os.remove(target)
    return {"mb": args.scan_mb, "quillon": q, "cat": c, "ratio": c / q, "quillon_times": q_times, "cat_times": c_times}


def measure_wine(args, work, master, native):
    """Drops through the real window under Wine: 1,000 files, then all of
    them, first with the log window hidden (the default), then shown."""
    out = {"modes": []}
    native_per_1000 = native["median"] / native["files"] * 1000
    out["native_per_1000"] = native_per_1000
    for mode, flags in (("hidden", ["--hide-log"]), ("shown", [])):
        drops = []
        for count in sorted({min(1000, args.files), args.files}):
            folder = os.path.join(work, "wine-%s-%d" % (mode, count))
            fresh_copy(master, folder, count)
            drops.append(([folder], count))
        # With the log hidden, also the whole count in one drop from ten
        # folders of a tenth each: the same drop and log, smaller folders.
        split = mode == "hidden" and args.files >= 10000
        if split:
            folders = [os.path.join(work, "wine-split-%d" % k) for k in range(10)]
            for folder in folders:
                fresh_copy(master, folder, args.files // 10)
            drops.append((folders, args.files // 10 * 10))
        windows = ["|".join("Z:" + f.replace("/", "\\") for f in folders) for folders, _ in drops]
        env = dict(os.environ, WINEPREFIX=args.wine_prefix)
        r = subprocess.run(["bash", args.wine_runner, args.wine_exe] + flags + windows, env=env, capture_output=True,
                           text=True, stdin=subprocess.DEVNULL)
        found, log_only = [], []
        for line in r.stdout.splitlines():
            m = re.match(r"drop (\d+) files: ([0-9.]+) s, log lines (\d+), renamed (\d+)", line)
            if m:
                found.append({"seconds": float(m.group(2)), "log_lines": int(m.group(3)),
                              "renamed_lines": int(m.group(4))})
            m = re.match(r"log (\d+) lines: ([0-9.]+) s", line)
            if m:
                log_only.append(float(m.group(2)))
        if r.returncode != 0 or len(found) != len(drops) or len(log_only) != len(drops):
            log("Wine run failed (exit %d): %s" % (r.returncode, (r.stdout + r.stderr).strip()[-2000:]))
            return None
        entry = {"log": mode, "drops": []}
        for k, (folders, count) in enumerate(drops):
            d = found[k]
            d["files"] = count
            d["folders"] = len(folders)
            d["renamed_files"] = sum(count_renamed(f)[0] for f in folders)
            d["per_1000"] = d["seconds"] / count * 1000
            d["log_seconds"] = log_only[k]
            d["log_per_1000"] = log_only[k] / count * 1000
            log("Wine, log %s: %d files in %d folder(s) %.3f s (%.3f s per 1,000), %d renamed; the lines alone "
                "%.3f s" % (mode, count, len(folders), d["seconds"], d["per_1000"], d["renamed_files"],
                            d["log_seconds"]))
            if len(folders) > 1:
                entry["split"] = d
            else:
                entry["drops"].append(d)
        entry["ratio"] = entry["drops"][-1]["per_1000"] / native_per_1000
        if len(entry["drops"]) > 1:
            entry["linearity"] = entry["drops"][-1]["per_1000"] / entry["drops"][0]["per_1000"]
            entry["log_linearity"] = entry["drops"][-1]["log_per_1000"] / entry["drops"][0]["log_per_1000"]
        out["modes"].append(entry)
    return out


def measure_desktop(args, work, master, native):
    """Drops on quillon-gui's main window: 1,000 files, then all of them, with
    the log window hidden and shown; the median of --desktop-runs runs, each
    on fresh copies."""
    out = {"modes": [], "native_per_1000": native["median"] / native["files"] * 1000, "runs": args.desktop_runs}
    env = dict(os.environ, DISPLAY=args.desktop_display, QT_QPA_PLATFORM="xcb")
    counts = sorted({min(1000, args.files), args.files})
    for mode, flags in (("hidden", ["--hide-log"]), ("shown", [])):
        runs = []
        for run in range(args.desktop_runs):
            folders = []
            for count in counts:
                folder = os.path.join(work, "desktop-%s-%d" % (mode, count))
                fresh_copy(master, folder, count)
                folders.append(folder)
            r = subprocess.run([args.desktop_exe] + flags + folders, env=env, capture_output=True, text=True,
                               stdin=subprocess.DEVNULL)
            drops = [{"seconds": float(m.group(2)), "log_lines": int(m.group(3)), "renamed_lines": int(m.group(4))}
                     for m in re.finditer(r"drop (\d+) files: ([0-9.]+) s, log lines (\d+), renamed (\d+)", r.stdout)]
            lines = [float(m.group(2)) for m in re.finditer(r"log (\d+) lines: ([0-9.]+) s", r.stdout)]
            if r.returncode != 0 or len(drops) != len(counts) or len(lines) != len(counts):
                log("desktop run failed (exit %d): %s" % (r.returncode, (r.stdout + r.stderr).strip()[-2000:]))
                return None
            for d, f, l in zip(drops, folders, lines):
                d["renamed_files"] = count_renamed(f)[0]
                d["log_seconds"] = l
            runs.append(drops)
            log("desktop, log %s, run %d: %s" % (mode, run + 1, ", ".join(
                "%d files %.3f s" % (c, d["seconds"]) for c, d in zip(counts, drops))))
        entry = {"log": mode, "drops": []}
        for k, count in enumerate(counts):
            d = dict(runs[0][k])
            d["seconds"] = statistics.median(r[k]["seconds"] for r in runs)
            d["log_seconds"] = statistics.median(r[k]["log_seconds"] for r in runs)
            d["renamed_files"] = min(r[k]["renamed_files"] for r in runs)
            d["files"] = count
            d["per_1000"] = d["seconds"] / count * 1000
            d["log_per_1000"] = d["log_seconds"] / count * 1000
            entry["drops"].append(d)
        entry["ratio"] = entry["drops"][-1]["per_1000"] / out["native_per_1000"]
        if len(counts) > 1:
            entry["linearity"] = entry["drops"][-1]["per_1000"] / entry["drops"][0]["per_1000"]
            entry["log_linearity"] = entry["drops"][-1]["log_per_1000"] / entry["drops"][0]["log_per_1000"]
        out["modes"].append(entry)
    return out


def write_desktop(w, desktop):
    w("## The desktop program (quillon-gui)")
    w("")
    if not desktop:
        w("Not measured in this run (`scripts/bench.sh` measures it with the release build of "
          "`quillon_desktop_drop_bench` on Xvfb).")
        w("")
        return
    w("`bench/desktop_drop_bench.cpp` (built with quillon-gui) creates the real main window over a store holding "
      "\"Title - Artist\", delivers a drop of file URLs over every file of a folder as a drag delivers it, and "
      "times it until the batch is done and the windows are painted (the xcb platform on Xvfb, files on the same "
      "tmpfs). Medians of %d runs, each on fresh copies." % desktop["runs"])
    w("")
    w("| Log window | Drop | Seconds | Seconds per 1,000 files | × command line | Log lines | Files renamed | "
      "The lines alone (s) | Lines alone per 1,000 (s) |")
    w("|---|---:|---:|---:|---:|---:|---:|---:|---:|")
    for m in desktop["modes"]:
        for d in m["drops"]:
            w("| %s | %d files | %.3f | %.4f | %.2f | %d | %d | %.4f | %.4f |" % (
                m["log"], d["files"], d["seconds"], d["per_1000"], d["per_1000"] / desktop["native_per_1000"],
                d["log_lines"], d["renamed_files"], d["log_seconds"], d["log_per_1000"]))
    w("")
    w("The command line on the same files: %.4f s per 1,000 files (the median above, start-up included). "
      "\"The lines alone\": after the drops, as many lines added to the emptied log and painted, without any file."
      % desktop["native_per_1000"])
    w("")
    goals = {"hidden": 1.3, "shown": 2.0}
    for m in desktop["modes"]:
        w("- Log %s: %.2f× the command line per 1,000 files in the %d-file drop (goal: at most %.1f×)%s" % (
            m["log"], m["ratio"], m["drops"][-1]["files"], goals[m["log"]],
            "; a line costs %.2f× as much in a %d-line log as in a 1,000-line one, the whole drop per 1,000 files "
            "%.2f× as much as the 1,000-file drop." % (m["log_linearity"], m["drops"][-1]["files"], m["linearity"])
            if "linearity" in m else "."))
    w("")


def write_chart(results, scan, wine, png, work):
    rows = sorted(results.items(), key=lambda kv: -kv[1]["files_per_s"])
    # quillon in blue, the peers in grey, the Windows program in light blue.
    bars = [(name, r["files_per_s"], "0x3b6ea5" if name == "quillon" else "0xc8c8c8" if name == FLOOR else "0x9a9a9a")
            for name, r in rows]
    if wine:
        for m in wine["modes"]:
            last = m["drops"][-1]
            bars.append(("Wine window,\\nlog %s" % m["log"], last["files"] / last["seconds"], "0x8fb3dc"))
    data = os.path.join(work, "rate.dat")
    with open(data, "w") as f:
        for i, (name, rate, colour) in enumerate(bars):
            f.write('%d "%s" %.1f %s\n' % (i, name, rate, colour))
    scan_data = os.path.join(work, "scan.dat")
    with open(scan_data, "w") as f:
        f.write('0 "quillon" %.2f 0x3b6ea5\n1 "cat" %.2f 0x9a9a9a\n' % (scan["quillon"] * 1000, scan["cat"] * 1000))
    script = """
set terminal pngcairo size 1200,500 font "sans,10"
set output '{png}'
set multiplot title "{files} tagged MP3 files renamed to \\"Title - Artist\\" on tmpfs (median of {runs} runs)"
set style fill solid 0.85 border -1
set boxwidth 0.6
set grid ytics
unset key
set bmargin 4
set size 0.66,0.92
set origin 0,0
set logscale y
set yrange [1:{ymax}]
set ylabel "files per second (log scale)"
set title "Files per second"
set xtics nomirror
plot '{data}' using 1:3:4:xtic(2) with boxes lc rgb variable, \\
     '' using 1:($3*1.3):(sprintf("%.0f", $3)) with labels
set size 0.34,0.92
set origin 0.66,0
unset logscale y
set yrange [0:*]
set ylabel "milliseconds"
set title "{mb} MiB of zeros, then the tag"
plot '{scan}' using 1:3:4:xtic(2) with boxes lc rgb variable, \\
     '' using 1:($3*1.06):(sprintf("%.1f ms", $3)) with labels
unset multiplot
""".format(png=png, ymax=10 ** math.ceil(math.log10(max(b[1] for b in bars) * 2.5)),
           files=max(r["files"] for r in results.values()), runs=len(next(iter(results.values()))["times"]),
           data=data, scan=scan_data, mb=scan["mb"])
    gp = os.path.join(work, "chart.gp")
    with open(gp, "w") as f:
        f.write(script)
    subprocess.run(["gnuplot", gp], check=True)


# Why a big drop costs more per file under Wine than a small one.
WINE_FOLDER_NOTE = (
    "Why the folder counts: Wine emulates Windows' case-insensitive names, so "
    "before it renames a file to a name that does not exist yet it reads the whole folder to make sure no name "
    "differing only in case is there. Each rename therefore costs in proportion to the folder's size; Windows' "
    "own file systems look a name up in an index instead.")


def write_report(path, meta, results, syscalls, scan, wine, desktop, covers=None):
    rows = sorted(results.items(), key=lambda kv: -kv[1]["files_per_s"])
    peers = [r for name, r in rows if name not in ("quillon", FLOOR)]
    fastest_peer = max(peers, key=lambda r: r["files_per_s"]) if peers else None
    out = []
    w = out.append
    w("# Performance")
    w("")
    w("Generated by `scripts/bench.sh` on %s. Do not edit by hand: run it again." % meta["date"])
    w("")
    w("Machine: %s, %d cores, Linux %s; files on tmpfs. Load average %s before the run, %s after "
      "(the machine is shared; the figures are medians of %d runs)." % (meta["cpu"], meta["cores"], meta["kernel"],
                                                                        meta["load_before"], meta["load_after"],
                                                                        meta["runs"]))
    w("")
    w("![Files per second and the 200 MB scan](performance.png)")
    w("")
    w("## Renaming by tag")
    w("")
    w("%d files, each with an ID3v2.3 tag (TIT2, TPE1), one second of MPEG-1 Layer III frames and an ID3v1 "
      "tag naming the same title and artist (`bench/make_files.py`, 17 KiB each). Every tool renames its own "
      "fresh copy to `TITLE - ARTIST.mp3`; making the copy is not timed. Times include start-up." % meta["files"])
    w("")
    w("| Tool | Version | Files per run | Median time (s) | Files/s | Ratio to fastest peer | Renamed | "
      "System calls per file |")
    w("|---|---|---:|---:|---:|---:|---|---:|")
    for name, r in rows:
        ratio = "%.2f×" % (r["files_per_s"] / fastest_peer["files_per_s"]) if fastest_peer else "–"
        calls = syscalls.get(name, {}).get("total")
        w("| %s | %s | %d | %.3f | %.0f | %s | %s | %s |" % (
            name, r["version"], r["files"], r["median"], r["files_per_s"], ratio,
            "all" if r["all_renamed"] else "%s of %d" % (min(r["renamed"]), r["files"]),
            "%.2f" % calls if calls is not None else "–"))
    w("")
    for name, r in rows:
        w("- %s: %s." % (name, r["note"]))
    eyed3 = results.get("eyeD3")
    if eyed3 and eyed3["files"] < meta["files"]:
        w("- eyeD3 (Python) renames a %d-file subset of the same files; its files/s are that subset's rate." %
          eyed3["files"])
    floor = results.get(FLOOR)
    if floor:
        w("")
        w("quillon takes %.2f× the time of the syscall floor on the same files (goal: at most 1.15×), with its "
          "undo journal written ahead of every rename." % (results["quillon"]["median"] / floor["median"]))
    if meta.get("instructions"):
        w("Under callgrind quillon spends %.0f user-space instructions per renamed file (a run over %d files "
          "less a run over none)." % (meta["instructions"], min(2000, meta["files"])))
    w("")
    w("System calls per file come from `strace -c -f`: quillon's run over all %d files less a run with no "
      "file (`quillon --show-settings`, which loads the settings and prints, as a run with files does), divided "
      "by %d. For the peers, which refuse to run without a file, a run over one file is subtracted instead." %
      (meta["files"], meta["files"]))
    w("")
    q = syscalls.get("quillon")
    if q:
        w("### quillon's system calls per renamed file")
        w("")
        w("| System call | Calls per file |")
        w("|---|---:|")
        for name, value in sorted(q["table"].items(), key=lambda kv: (-kv[1], kv[0])):
            w("| `%s` | %.4f |" % (name, value))
        w("| **total** | **%.4f** |" % q["total"])
        w("")
        w("The file itself takes exactly %.0f calls: `newfstatat` on its path (the size, and that it is a regular "
          "file, decided before anything is opened), `openat`, one `read` of 4096 bytes (signature and, for "
          "most files, the whole ID3v2 tag), one `pread64` of 63 bytes at the ID3v1 tag, `close`, "
          "`renameat2` (no replace). The `write` share is the log on standard output, one buffered "
          "write per 64 KiB of lines. The undo journal costs a few calls per run, none per file: each rename's "
          "record is stored before the rename into a shared mapping of the batch's file (reserved with "
          "`fallocate` and grown with `mremap` in doubling steps), which the kernel keeps whatever becomes of the "
          "process; the file is cut to its length and synced once at the end." % q["file_calls"])
        w("")
    if covers:
        w("A title behind cover art (an ID3v2.4 tag whose APIC frame comes first, as eyeD3 writes it) costs one "
          "`pread64` at the frame behind the picture, never a read of the picture; behind thousands of small "
          "frames, a few reads that grow to 64 KiB. A run over all the files less a run over one:")
        w("")
        w("| Title behind | Files | System calls per file | Of them `pread64` | Goal |")
        w("|---|---:|---:|---:|---:|")
        for c in covers:
            w("| %s | %d | %.2f | %.2f | %d |" % (c["label"], c["files"], c["total"], c["table"].get("pread64", 0),
                                                c["limit"]))
        w("")
    w("## A long run of zeros before the tag")
    w("")
    w("A file of %d MiB of zero bytes followed by a tagged MP3: quillon skips the zeros in 64 KiB reads to find "
      "the signature, so it reads the whole run once, as `cat FILE > /dev/null` does. Warm cache (tmpfs), "
      "median of %d runs each, interleaved; quillon renames the file each time (renamed back untimed)." %
      (scan["mb"], len(scan["quillon_times"])))
    w("")
    w("| Command | Median time (ms) |")
    w("|---|---:|")
    w("| `quillon FILE` | %.1f |" % (scan["quillon"] * 1000))
    w("| `cat FILE > /dev/null` | %.1f |" % (scan["cat"] * 1000))
    w("")
    w("quillon scans at %.2f× the speed of cat (goal: at least 0.5×)." % scan["ratio"])
    w("")
    write_desktop(w, desktop)
    w("## The Windows program under Wine")
    w("")
    if wine:
        w("`bench/drop_bench.cpp` (built by the win64 preset) creates the real main window, saves the "
          "\"Title - Artist\" format, builds a DROPFILES block over every file of a folder and sends WM_DROPFILES; "
          "the time is taken with QueryPerformanceCounter around the message. wine64 with Xvfb, files on the same "
          "tmpfs. The log window is hidden by default and shown when the user chooses so; shown, its list box "
          "brings its scroll bars up to date for every added line, which under Wine and Xvfb outweighs the file "
          "work many times over.")
        w("")
        w("| Log window | Drop | Seconds | Seconds per 1,000 files | × native | Log lines | Files renamed | "
          "The lines alone (s) | Lines alone per 1,000 (s) |")
        w("|---|---:|---:|---:|---:|---:|---:|---:|---:|")
        for m in wine["modes"]:
            for d in m["drops"] + ([m["split"]] if "split" in m else []):
                where = "" if d.get("folders", 1) == 1 else " in %d folders" % d["folders"]
                w("| %s | %d files%s | %.3f | %.3f | %.1f | %d | %d | %.3f | %.3f |" % (
                    m["log"], d["files"], where, d["seconds"], d["per_1000"], d["per_1000"] / wine["native_per_1000"],
                    d["log_lines"], d["renamed_files"], d["log_seconds"], d["log_per_1000"]))
        w("")
        w("Native `quillon` on the same files: %.3f s per 1,000 files. \"The lines alone\": after the drops, the "
          "same number of log lines sent to the emptied log window as a drop sends them, without any file." %
          wine["native_per_1000"])
        w("")
        for m in wine["modes"]:
            if "linearity" in m:
                w("- Log %s: a line costs %.2f× as much in a %d-line log as in a 1,000-line one; the whole drop, "
                  "per 1,000 files, %.2f× as much as the 1,000-file drop." % (
                      m["log"], m["log_linearity"], m["drops"][-1]["files"], m["linearity"]))
        for m in wine["modes"]:
            if "split" in m:
                w("- Log %s: the same %d files in one drop from %d folders of %d take %.3f s per 1,000 files, "
                  "%.2f× the 1,000-file drop (%.2f× from one folder): most of the growth follows the size of the "
                  "folder, not of the drop. What is left grows with the drop list itself, which DragQueryFileA "
                  "walks from its start to find each path." % (
                      m["log"], m["split"]["files"], m["split"]["folders"], m["split"]["files"] // m["split"]["folders"],
                      m["split"]["per_1000"], m["split"]["per_1000"] / m["drops"][0]["per_1000"], m["linearity"]))
        w("")
        w(WINE_FOLDER_NOTE)
    else:
        w("Not measured in this run (no win64 build or no wine64; `scripts/bench.sh` measures it when both are "
          "there).")
    w("")
    with open(path, "w") as f:
        f.write("\n".join(out))


def smoke(args, work, master):
    home = os.path.join(work, "home")
    os.makedirs(home, exist_ok=True)
    quillon = quillon_tool(args, home)
    table, done = count_syscalls(args, work, master, quillon, args.files, 0)
    file_calls = sum(v for n, v in table.items() if n != "write")
    writes = table.get("write", 0.0)
    print("smoke: %d files, %d renamed; system calls per file: %s" % (
        args.files, done, ", ".join("%s %.2f" % kv for kv in sorted(table.items()))))
    ok = True
    if done != args.files:
        print("smoke: FAILED: %d of %d files renamed" % (done, args.files))
        ok = False
    if file_calls > FILE_CALLS_LIMIT + 1e-9:
        print("smoke: FAILED: %.2f system calls per file besides the log, at most %.1f" % (file_calls,
                                                                                      FILE_CALLS_LIMIT))
        ok = False
    if writes > 0.1:
        print("smoke: FAILED: the log costs %.2f writes per file; it should be buffered" % writes)
        ok = False
    for behind in count_cover_calls(args, work, quillon):
        print("smoke: title behind %s: %d of %d files renamed, %.2f system calls per file: %s" % (
            behind["label"], behind["renamed"], behind["files"], behind["total"],
            ", ".join("%s %.2f" % kv for kv in sorted(behind["table"].items()))))
        if behind["renamed"] != behind["files"] or behind["total"] > behind["limit"] + 1e-9:
            print("smoke: FAILED: behind %s, at most %d calls per file and every file renamed" % (
                behind["label"], behind["limit"]))
            ok = False
    print("smoke: %s" % ("passed" if ok else "failed"))
    return 0 if ok else 1


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--quillon", required=True, help="the quillon program to measure")
    p.add_argument("--smoke", action="store_true", help="count only: renamed files and system calls per file")
    p.add_argument("--files", type=int, default=10000)
    p.add_argument("--runs", type=int, default=5)
    p.add_argument("--eyed3-files", type=int, default=1000, help="eyeD3's subset (it is slow)")
    p.add_argument("--scan-mb", type=int, default=200)
    p.add_argument("--scan-runs", type=int, default=7)
    p.add_argument("--no-peers", action="store_true")
    p.add_argument("--floor", help="the syscall floor program (bench/syscall_floor.c)")
    p.add_argument("--wine-exe", help="the Windows drop benchmark; Wine is skipped without it")
    p.add_argument("--wine-runner", help="scripts/wine-run.sh")
    p.add_argument("--wine-prefix", help="a Wine prefix of the benchmark's own")
    p.add_argument("--desktop-exe", help="the desktop drop benchmark; the desktop is skipped without it")
    p.add_argument("--desktop-display", help="the X display it runs on")
    p.add_argument("--desktop-runs", type=int, default=3)
    p.add_argument("--report", help="Markdown report to write")
    p.add_argument("--chart", help="PNG chart to write")
    p.add_argument("--json", help="raw figures to write")
    p.add_argument("--work", help="work folder (default: a new one under /dev/shm)")
    args = p.parse_args()
    args.quillon = os.path.abspath(args.quillon)
    if args.floor:
        args.floor = os.path.abspath(args.floor)

    base = "/dev/shm" if os.path.isdir("/dev/shm") and os.access("/dev/shm", os.W_OK) else None
    work = args.work or tempfile.mkdtemp(prefix="quillon-bench.", dir=base)
    try:
        if not args.smoke and not is_tmpfs(work):
            log("warning: %s is not on tmpfs" % work)
        master = os.path.join(work, "master")
        make_files.main(["make_files.py", master, str(args.files)])
        if args.smoke:
            return smoke(args, work, master)

        meta = {"date": datetime.datetime.now().strftime("%Y-%m-%d %H:%M"), "cpu": cpu_model(),
                "cores": os.cpu_count(), "kernel": platform.release(), "load_before": load_average(),
                "files": args.files, "runs": args.runs}
        home = os.path.join(work, "home")
        os.makedirs(home, exist_ok=True)
        quillon = quillon_tool(args, home)
        tools = [quillon] + ([floor_tool(args)] if args.floor else []) + (
            [] if args.no_peers else peer_tools(args, home))
        results = measure_renames(args, work, master, tools)

        syscalls = {}
        for t in tools:
            files = t.subset or args.files
            table, done = count_syscalls(args, work, master, t, files, 0 if t is quillon else 1)
            entry = {"table": table, "total": sum(table.values()), "renamed": done}
            if t is quillon:
                entry["file_calls"] = sum(v for n, v in table.items() if n != "write")
            syscalls[t.name] = entry
            log("%s: %.3f system calls per file" % (t.name, entry["total"]))

        covers = count_cover_calls(args, work, quillon)
        for c in covers:
            log("quillon, title behind %s: %.3f system calls per file" % (c["label"], c["total"]))

        if shutil.which("valgrind"):
            meta["instructions"] = instructions_per_file(args, work, master, quillon, min(2000, args.files))
            log("quillon: %.0f user-space instructions per file" % meta["instructions"])
        scan = measure_scan(args, work, quillon)
        log("scan: quillon %.1f ms, cat %.1f ms" % (scan["quillon"] * 1000, scan["cat"] * 1000))
        wine = None
        if args.wine_exe:
            wine = measure_wine(args, work, master, results["quillon"])
        desktop = None
        if args.desktop_exe:
            desktop = measure_desktop(args, work, master, results["quillon"])
        meta["load_after"] = load_average()

        if args.json:
            with open(args.json, "w") as f:
                json.dump({"meta": meta, "results": results, "syscalls": syscalls, "covers": covers, "scan": scan,
                           "wine": wine, "desktop": desktop}, f,
                          indent=1)
        if args.chart:
            write_chart(results, scan, wine, os.path.abspath(args.chart), work)
        if args.report:
            write_report(args.report, meta, results, syscalls, scan, wine, desktop, covers)
        return 0
    finally:
        if not args.work:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
