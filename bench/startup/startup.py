#!/usr/bin/env python3
"""Start-up time of korvada: exec to its first swapped frame, against a bare
SDL2 + OpenGL program (window, context, one clear, one swap), both on one
private Xvfb display with openbox, run in turns.

  bench/startup/startup.py BUILD_DIR [--runs N] [--code LAUNCHCODE] [--stages] [--textured]

BUILD_DIR holds korvada, data/, korvada_bare_window and
libkorvada_first_swap_probe.so. The probe, preloaded, ends each program at
its first swap and leaves the time; wait4() gives the peak memory up to it.
Prints both medians, their ratio (the goal is at most 1.3) and peak memory.
With --stages, also where each program's time went, as the probe saw it:
the median of each stage over the warm runs. With --textured, a third
program runs in the turns, the bare one drawing one textured square: what
any textured first frame costs the OpenGL driver, for scale.
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time


def start_display(work):
    """Xvfb on a free display number, and openbox on it."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "800x600x24", "-nolisten", "tcp"],
                            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as number:
        display = ":" + number.readline().strip()
    env = dict(os.environ, DISPLAY=display)
    wm = subprocess.Popen(["openbox", "--sm-disable"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(100):
        check = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env, capture_output=True, text=True)
        if "window id" in check.stdout:
            break
        time.sleep(0.05)
    return display, [wm, xvfb]


# What the time up to a probe mark was spent on, by the mark that ends it;
# a mark that begins something ("read", "show") ends a stretch of the
# program's own work between the steps the probe sees.
STAGE_OF_MARK = {
    "video": "exec to SDL's video ready",
    "window": "window (loads OpenGL's driver)",
    "context": "OpenGL context",
    "read": "the program's own work between",
    "upload": "pictures read",
    "uploaded": "pictures uploaded to OpenGL",
    "show": "the program's own work between",
    "shown": "window shown (full screen)",
    "swap": "first frame drawn",
    "swapped": "first frame swapped",
}


# Resident at the first swap, in KiB: the program's own memory, and mapped
# files (libraries' code above all, shared with every program that uses them).
RESIDENT_OF_MARK = {"anon-kib": "resident: own memory (MiB)", "file-kib": "resident: mapped files (MiB)"}


def stages_of(start, marks_file, swapped):
    """Milliseconds per stage of one run from the probe's marks, and the
    MiB resident at the first swap."""
    totals = {}
    last = start
    with open(marks_file) as f:
        marks = [(line.rsplit(" ", 1)[0].split(" ")[0], int(line.rsplit(" ", 1)[1])) for line in f if line.strip()]
    for label, kib in marks:
        if label in RESIDENT_OF_MARK:
            totals[RESIDENT_OF_MARK[label]] = kib / 1024
    marks = [mark for mark in marks if mark[0] not in RESIDENT_OF_MARK]
    previous = None
    for label, moment in marks + [("swapped", swapped)]:
        # An upload reads no file when the program made its picture itself.
        stage = STAGE_OF_MARK["read" if label == "upload" and previous != "read" else label]
        previous = label
        totals[stage] = totals.get(stage, 0) + (moment - last) / 1e6
        last = moment
    return totals


def run_once(command, cwd, env, probe_file, marks_file=None):
    """Milliseconds from exec to the first swap, the peak resident MiB, and
    with a marks file the milliseconds per stage."""
    for stale in (probe_file, marks_file):
        if stale and os.path.exists(stale):
            os.remove(stale)
    start = time.monotonic_ns()
    process = subprocess.Popen(command, cwd=cwd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        _, status, usage = os.wait4(process.pid, 0)
    finally:
        process.returncode = 0  # reaped above
    if not os.path.exists(probe_file):
        sys.exit("%s ended (status %d) before its first frame" % (command[0], status))
    with open(probe_file) as f:
        swapped = int(f.read())
    stages = stages_of(start, marks_file, swapped) if marks_file else {}
    return (swapped - start) / 1e6, usage.ru_maxrss / 1024, stages


COLUMN = {"korvada": "korvada", "bare SDL2 + GL": "bare", "bare + texture": "textured"}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build_dir")
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--code", default="0TYAY")
    parser.add_argument("--stages", action="store_true", help="split each program's time by stage")
    parser.add_argument("--textured", action="store_true", help="also the bare program with one textured square")
    args = parser.parse_args()
    build = os.path.abspath(args.build_dir)
    programs = {
        "korvada": [os.path.join(build, "korvada"), args.code],
        "bare SDL2 + GL": [os.path.join(build, "korvada_bare_window")],
    }
    if args.textured:
        programs["bare + texture"] = [os.path.join(build, "korvada_bare_window"), "--textured"]

    with tempfile.TemporaryDirectory() as work:
        display, helpers = start_display(work)
        probe_file = os.path.join(work, "first-swap")
        env = dict(os.environ, DISPLAY=display, LD_PRELOAD=os.path.join(build, "libkorvada_first_swap_probe.so"),
                   KORVADA_PROBE_FILE=probe_file)
        env.pop("WAYLAND_DISPLAY", None)
        marks_file = None
        if args.stages:
            marks_file = os.path.join(work, "marks")
            env["KORVADA_PROBE_STAGES"] = marks_file
        times = {name: [] for name in programs}
        memory = {name: [] for name in programs}
        stages = {name: {} for name in programs}
        try:
            for run in range(args.runs + 1):
                for name, command in programs.items():
                    ms, mib, split = run_once(command, os.path.join(build, "data"), env, probe_file, marks_file)
                    if run == 0:
                        print("first (cold) run of %-15s %7.1f ms" % (name, ms))
                        continue  # the first run fills the file cache
                    times[name].append(ms)
                    memory[name].append(mib)
                    for stage, stage_ms in split.items():
                        stages[name].setdefault(stage, []).append(stage_ms)
        finally:
            for helper in helpers:
                helper.terminate()
                helper.wait()

    print("exec to first swapped frame, %d warm runs each, on Xvfb %s:" % (args.runs, display))
    for name in programs:
        print("  %-15s median %7.1f ms  (min %.1f, max %.1f)  peak memory %.1f MiB" %
              (name, statistics.median(times[name]), min(times[name]), max(times[name]), max(memory[name])))
    ratio = statistics.median(times["korvada"]) / statistics.median(times["bare SDL2 + GL"])
    print("  ratio korvada / bare: %.2f (goal: at most 1.3)" % ratio)
    if args.textured:
        print("  ratio korvada / bare + texture: %.2f" %
              (statistics.median(times["korvada"]) / statistics.median(times["bare + texture"])))
    if args.stages:
        print("stages, median ms over the warm runs (and what is resident at the first swap):")
        print("  %-36s %s" % ("", " ".join("%8s" % COLUMN[name] for name in programs)))
        for stage in list(dict.fromkeys(STAGE_OF_MARK.values())) + list(RESIDENT_OF_MARK.values()):
            cells = ["%8.1f" % statistics.median(stages[name][stage]) if stage in stages[name] else "%8s" % "-"
                     for name in programs]
            print("  %-36s %s" % (stage, " ".join(cells)))


if __name__ == "__main__":
    main()
