#!/usr/bin/python3
"""Start-up and footprint of Brisklane against a bare Qt Widgets window,
side by side in one run.

  measure.py <build folder> [runs] [idle seconds]

Both programs come from the same build (same compiler, build type and flags)
and run on a private X server without a window manager, with a private
session bus that offers no services. Each run measures:

  launch -> mapped   from just before the process is started until the X
                     server maps its top-level window (MapNotify on the
                     root window, the window's _NET_WM_PID naming the
                     process); also the CPU time the process's live
                     threads had used by then, which the load of the
                     machine does not stretch
  resident memory    VmRSS 3 s after the launch, with the threads alive and
                     the shared libraries mapped then

The runs alternate between the two programs (in turns, each first every
other turn), so that whatever else loads the machine weighs on both alike. Then each program idles once, again in
turn: the wake-ups (voluntary context switches of all its threads) over the
idle seconds, from 3 s after its launch. The ratios of the medians come
last.

Brisklane runs on the default simulated laptop, from a copy of the program
folder with its own state and air folders, so nothing of the user's changes."""

import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

from Xlib import X, display, error

SETTLE_SECONDS = 3
MAP_TIMEOUT_SECONDS = 60
GOALS = {"launch -> mapped": 1.20, "resident memory": 1.25}

# A session bus of the program's own that activates nothing: no desktop
# services (accessibility bus, settings daemons) start and weigh on one run.
BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir={dir}</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


class Desktop:
    """A private X server without a window manager and a private session bus."""

    def __init__(self, work):
        read_end, write_end = os.pipe()
        self.xserver = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise SystemExit("Xvfb did not start")
        self.name = f":{number}"
        config = os.path.join(work, "bus.conf")
        with open(config, "w") as file:
            file.write(BUS_CONFIG.format(dir=work))
        self.bus = subprocess.Popen(["dbus-daemon", f"--config-file={config}", "--nofork", "--print-address"],
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.bus_address = self.bus.stdout.readline().strip()
        self.x = display.Display(self.name)
        self.x.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.pid_atom = self.x.intern_atom("_NET_WM_PID")
        self.x.sync()

    def env(self):
        return {"DISPLAY": self.name, "QT_QPA_PLATFORM": "xcb", "DBUS_SESSION_BUS_ADDRESS": self.bus_address}

    def wait_mapped(self, process):
        """The monotonic time at which a top-level window of the process was
        mapped, the CPU time the process had used by then, and the window's
        size."""
        deadline = time.monotonic() + MAP_TIMEOUT_SECONDS
        while time.monotonic() < deadline:
            if process.poll() is not None:
                raise SystemExit(f"{process.args[0]} ended ({process.returncode}) before showing a window")
            if not self.x.pending_events():
                select.select([self.x.fileno()], [], [], 0.1)
                continue
            event = self.x.next_event()
            if event.type != X.MapNotify or event.override:
                continue
            mapped = time.monotonic_ns()
            cpu = cpu_ns(process.pid)
            try:
                pid = event.window.get_full_property(self.pid_atom, X.AnyPropertyType)
                geometry = event.window.get_geometry()
            except error.XError:  # the window went meanwhile
                continue
            if pid is not None and pid.value[0] == process.pid:
                return mapped, cpu, (geometry.width, geometry.height)
        raise SystemExit(f"{process.args[0]} showed no window within {MAP_TIMEOUT_SECONDS} s")

    def close(self):
        self.x.close()
        for process in (self.bus, self.xserver):
            process.terminate()
            process.wait()


class Programs:
    """The two programs under test, each with what it needs to run."""

    def __init__(self, build, work):
        self.work = work
        folder = os.path.join(work, "program")
        shutil.copytree(os.path.join(build, "bin"), folder, symlinks=True,
                        ignore=shutil.ignore_patterns("setup.ini", "ErrorLog.txt"))
        # Brisklane first: the bare window takes the size Brisklane showed.
        self.commands = {"Brisklane": [os.path.join(folder, "brisklane")],
                         "bare window": [os.path.join(build, "bench-reference", "minimal-qt-window")]}
        self.size = None
        for command in self.commands.values():
            if not os.access(command[0], os.X_OK):
                raise SystemExit(f"{command[0]} is missing: build first (make build)")
        self.runs = 0

    def start(self, which, desktop):
        self.runs += 1
        env = {key: value for key, value in os.environ.items()
               if not key.startswith(("QT_", "BRISKLANE_", "WAYLAND_", "XDG_SESSION"))}
        env.update(desktop.env(), LANGUAGE="C", BRISKLANE_MACHINE="sim",
                   BRISKLANE_AIR_DIR=os.path.join(self.work, "air"),
                   BRISKLANE_STATE_DIR=os.path.join(self.work, f"state-{self.runs}"))
        command = self.commands[which]
        if which == "bare window" and self.size:
            command = command + ["%dx%d" % self.size]
        started = time.monotonic_ns()
        process = subprocess.Popen(command, env=env, preexec_fn=normal_priority,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return started, process


def normal_priority():
    os.setpriority(os.PRIO_PROCESS, 0, 0)


def watch_promptly():
    """Lets this process, which notes when the windows are mapped, run ahead
    of the programs it measures and of the machine's other work, so that
    whatever a program does right after showing its window does not delay
    the note. Needs the right to raise priority (root); without it the
    measure goes on, noting later on a loaded machine."""
    try:
        os.setpriority(os.PRIO_PROCESS, 0, -10)
        return True
    except PermissionError:
        return False


def stop(process):
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(30)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def cpu_ns(pid):
    """CPU time of the process's live threads so far (scheduler statistics),
    which unlike the wall time does not grow with the machine's load. A
    thread that has already ended is no longer listed, so its time is not
    counted."""
    total = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as file:
                total += int(file.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            continue
    return total


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as file:
        for line in file:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise SystemExit(f"no VmRSS for process {pid}")


def shared_libraries(pid):
    with open(f"/proc/{pid}/maps") as file:
        paths = {line.split()[-1] for line in file if ".so" in line.rsplit("/", 1)[-1]}
    return len(paths)


def threads(pid):
    """Name and voluntary context switches of every thread, by thread id."""
    found = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/comm") as file:
                name = file.read().strip()
            with open(f"/proc/{pid}/task/{tid}/status") as file:
                switches = next(int(line.split()[1]) for line in file if line.startswith("voluntary_ctxt_switches"))
        except (FileNotFoundError, ProcessLookupError):  # the thread ended meanwhile
            continue
        found[tid] = (name, switches)
    return found


def wait_until(nanoseconds):
    remaining = (nanoseconds - time.monotonic_ns()) / 1e9
    if remaining > 0:
        time.sleep(remaining)


def one_run(programs, desktop, which, idle_seconds=0):
    started, process = programs.start(which, desktop)
    try:
        mapped, cpu, size = desktop.wait_mapped(process)
        if which == "Brisklane":
            programs.size = size
        wait_until(started + SETTLE_SECONDS * 1_000_000_000)
        result = {"ms": (mapped - started) / 1e6, "cpu_ms": cpu / 1e6, "size": size, "kib": resident_kib(process.pid),
                  "libraries": shared_libraries(process.pid), "threads": threads(process.pid)}
        if idle_seconds:
            time.sleep(idle_seconds)
            after = threads(process.pid)
            result["wakeups"] = {tid: (name, switches - result["threads"].get(tid, (name, 0))[1])
                                 for tid, (name, switches) in after.items()}
        return result
    finally:
        stop(process)


def describe_threads(found):
    names = sorted(name for name, _ in found.values())
    return ", ".join(f"{name} x{names.count(name)}" if names.count(name) > 1 else name
                     for name in dict.fromkeys(names))


def load():
    one, five, _ = os.getloadavg()
    return f"load average {one:.1f} (1 min), {five:.1f} (5 min) on {os.cpu_count()} cores"


def main():
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    build = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    idle_seconds = int(sys.argv[3]) if len(sys.argv) > 3 else 20
    with tempfile.TemporaryDirectory(prefix="brisklane-bench-") as work:
        programs = Programs(build, work)
        desktop = Desktop(work)
        prompt = watch_promptly()
        try:
            print(f"Before: {load()}")
            if not prompt:
                print("(the mapped windows are noted at normal priority: no right to raise it)")
            results = {which: [] for which in programs.commands}
            order = list(results)
            for _ in range(runs):
                for which in order:
                    results[which].append(one_run(programs, desktop, which))
                order.reverse()  # neither program always runs right after the other
            idle = {which: one_run(programs, desktop, which, idle_seconds) for which in results}
            print(f"After:  {load()}")
        finally:
            desktop.close()

    print(f"\n{runs} runs each, alternating; Xvfb without window manager; both from {build}")
    print(f"{'':12s} {'launch -> mapped, median (min)':>31s} {'CPU by then':>12s} {'resident 3 s after':>19s}"
          f" {'libraries':>9s} {'window':>9s}")
    medians = {}
    for which, rows in results.items():
        times = [row["ms"] for row in rows]
        kib = [row["kib"] for row in rows]
        medians[which] = {"launch -> mapped": statistics.median(times), "resident memory": statistics.median(kib)}
        width, height = rows[-1]["size"]
        cpu = statistics.median(row["cpu_ms"] for row in rows)
        print(f"{which:12s} {statistics.median(times):21.0f} ms ({min(times):.0f}) {cpu:9.0f} ms"
              f" {statistics.median(kib) / 1024:15.1f} MiB {rows[-1]['libraries']:9d} {width:4d}x{height}")

    print(f"\nThreads {SETTLE_SECONDS} s after launch, and wake-ups over the next {idle_seconds} s of idling:")
    for which, row in idle.items():
        busy = sorted(((n, name) for name, n in row["wakeups"].values() if n), reverse=True)
        detail = ", ".join(f"{name} {n}" for n, name in busy) or "none"
        total = sum(n for n, _ in busy)
        print(f"  {which:12s} {describe_threads(row['threads'])}")
        print(f"  {'':12s} {total} wake-ups / {idle_seconds} s ({detail})")

    print("\nBrisklane / bare window (medians):")
    for measure, goal in GOALS.items():
        ratio = medians["Brisklane"][measure] / medians["bare window"][measure]
        verdict = "within" if ratio <= goal else "OVER"
        print(f"  {measure:17s} {ratio:.2f}x   ({verdict} the goal of {goal:.2f}x)")


if __name__ == "__main__":
    main()
