#!/usr/bin/env python3
"""Start-up and idle measures of Brisklane against a minimal Qt Widgets
program, measured in the same run on the same display.

  measure.py startup <build folder> [runs]   time from process start to the
                                             first paint of the main window,
                                             and peak resident memory by then
  measure.py idle <build folder> [seconds]   CPU wake-ups per second of the
                                             idle program (context switches
                                             of all its threads)

Brisklane runs on the default simulated laptop, from a copy of the program
folder with its own state and air folders, so nothing of the user's changes."""

import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def compile_helpers(build):
    """Builds the first-paint probe and the minimal program beside the build's
    other outputs (not in bench/, whose programs run as benchmarks)."""
    out = os.path.join(build, "bench-reference")
    os.makedirs(out, exist_ok=True)
    qt = subprocess.run(["pkg-config", "--cflags", "--libs", "Qt6Widgets"], check=True,
                        capture_output=True, text=True).stdout.split()
    targets = [
        ("FirstPaintProbe.cpp", "libfirstpaintprobe.so", ["-shared", "-fPIC"]),
        ("MinimalQtWindow.cpp", "minimal-qt-window", ["-fPIC"]),
    ]
    for source, name, flags in targets:
        source = os.path.join(HERE, source)
        target = os.path.join(out, name)
        if not os.path.exists(target) or os.path.getmtime(target) < os.path.getmtime(source):
            subprocess.run(["c++", "-std=c++20", "-O2", *flags, source, "-o", target, *qt], check=True)
    return os.path.join(out, "libfirstpaintprobe.so"), os.path.join(out, "minimal-qt-window")


class Programs:
    """The two programs under test, each with what it needs to run."""

    def __init__(self, build):
        self.probe, self.minimal = compile_helpers(build)
        self.work = tempfile.TemporaryDirectory(prefix="brisklane-bench-")
        self.folder = os.path.join(self.work.name, "program")
        shutil.copytree(os.path.join(build, "bin"), self.folder, symlinks=True,
                        ignore=shutil.ignore_patterns("setup.ini", "ErrorLog.txt"))
        self.base_env = dict(os.environ)
        self.base_env.setdefault("QT_QPA_PLATFORM", "offscreen")
        self.base_env.update(LANGUAGE="C", BRISKLANE_MACHINE="sim", BRISKLANE_AIR_DIR=os.path.join(self.work.name, "air"))
        self.base_env.pop("BRISKLANE_SCENARIO", None)
        self.runs = 0

    def command(self, which):
        return [os.path.join(self.folder, "brisklane")] if which == "brisklane" else [self.minimal]

    def env(self, report, keep_running=False):
        self.runs += 1
        env = dict(self.base_env, LD_PRELOAD=self.probe, BENCH_REPORT=report,
                   BRISKLANE_STATE_DIR=os.path.join(self.work.name, f"state-{self.runs}"))
        if keep_running:
            env["BENCH_KEEP_RUNNING"] = "1"
        return env

    def close(self):
        self.work.cleanup()


def read_report(path):
    with open(path) as file:
        nanoseconds, peak = file.read().split()
    return int(nanoseconds), int(peak)


def startup(programs, runs):
    results = {"brisklane": [], "minimal": []}
    report = os.path.join(programs.work.name, "report")
    for _ in range(runs):
        for which in results:  # alternate, so both see the same conditions
            if os.path.exists(report):
                os.remove(report)
            env = programs.env(report)
            start = time.monotonic_ns()
            process = subprocess.Popen(programs.command(which), env=env, stderr=subprocess.DEVNULL)
            _, status, usage = os.wait4(process.pid, 0)
            process.returncode = os.waitstatus_to_exitcode(status)
            if not os.path.exists(report):
                raise SystemExit(f"{which} ended ({process.returncode}) without painting a window")
            painted, peak = read_report(report)
            results[which].append(((painted - start) / 1e6, peak, usage.ru_maxrss))

    print(f"Start-up to first paint, {runs} runs each (median [min-max]):")
    for which, rows in results.items():
        times = [r[0] for r in rows]
        peaks = [r[1] / 1024 for r in rows]
        print(f"  {which:10s} {statistics.median(times):7.1f} ms [{min(times):.1f}-{max(times):.1f}]"
              f"   peak resident {statistics.median(peaks):6.1f} MiB [{min(peaks):.1f}-{max(peaks):.1f}]")
    b = statistics.median(r[0] for r in results["brisklane"])
    m = statistics.median(r[0] for r in results["minimal"])
    bp = statistics.median(r[1] for r in results["brisklane"]) / 1024
    mp = statistics.median(r[1] for r in results["minimal"]) / 1024
    print(f"  Brisklane takes {b - m:+.1f} ms and {bp - mp:+.1f} MiB over the minimal program")


def context_switches(pid):
    """Context switches of every thread of the process, by thread name."""
    counts = {}
    task_dir = f"/proc/{pid}/task"
    for tid in os.listdir(task_dir):
        try:
            with open(f"{task_dir}/{tid}/comm") as file:
                name = file.read().strip()
            total = 0
            with open(f"{task_dir}/{tid}/status") as file:
                for line in file:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[-1])
        except FileNotFoundError:  # the thread ended meanwhile
            continue
        counts[f"{name}/{tid}"] = total
    return counts


def idle(programs, seconds):
    report = os.path.join(programs.work.name, "report")
    print(f"CPU wake-ups of the idle program over {seconds} s (context switches of all threads):")
    for which in ("brisklane", "minimal"):
        if os.path.exists(report):
            os.remove(report)
        process = subprocess.Popen(programs.command(which), env=programs.env(report, keep_running=True),
                                   stderr=subprocess.DEVNULL)
        try:
            deadline = time.monotonic() + 30
            while not os.path.exists(report) and time.monotonic() < deadline:
                time.sleep(0.05)
            time.sleep(3)  # the start-up check and the first Internet probe
            before = context_switches(process.pid)
            time.sleep(seconds)
            after = context_switches(process.pid)
        finally:
            process.send_signal(signal.SIGTERM)
            try:
                process.wait(30)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        total = sum(after[t] - before.get(t, 0) for t in after)
        busy = sorted(((after[t] - before.get(t, 0), t) for t in after), reverse=True)[:4]
        detail = ", ".join(f"{t.split('/')[0]} {n / seconds:.1f}" for n, t in busy if n)
        print(f"  {which:10s} {total / seconds:6.1f} per second  ({detail or 'none'}; "
              f"{len(after)} threads; ended with {process.returncode})")


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ("startup", "idle"):
        raise SystemExit(__doc__)
    build = os.path.abspath(sys.argv[2])
    programs = Programs(build)
    try:
        if sys.argv[1] == "startup":
            startup(programs, int(sys.argv[3]) if len(sys.argv) > 3 else 10)
        else:
            idle(programs, int(sys.argv[3]) if len(sys.argv) > 3 else 30)
    finally:
        programs.close()


if __name__ == "__main__":
    main()
