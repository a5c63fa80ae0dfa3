"""Shared pieces of the benchmark (bench.py) and the soak run (soak.py).

Everything here runs on the Linux side of a Wine session that tools/bench.sh
or tools/soak.sh has started (DISPLAY, WINEPREFIX and a running wineserver).
Windows programs run through cmake/wine-exec.sh with their output going to
files, never to pipes (Wine's background processes would inherit a pipe).
Each Windows process is a Linux process too: it is found in /proc by its
name and the Wine prefix in its environment, and its CPU time and memory are
read there.
"""

import os
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WINE_EXEC = ROOT / "cmake" / "wine-exec.sh"

# Where the click target sits and where the pointer rests: clear of the
# clicker's window, which is centred on the 1280x1024 screen.
TARGET_RECT = (40, 40, 300, 300)
TARGET_POINT = (190, 190)

# The clicker's controls (ui/window_design.h) and its main window class.
EDIT_ID = 3
START_ID = 4
CLICKER_CLASS = "ClickerMainWindow"
BARE_WINDOW_CLASS = "BenchBareWindow"
TIMER_LOOP_CLASS = "BenchTimerLoop"

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


class BenchError(Exception):
    pass


def check(condition, message):
    if not condition:
        raise BenchError(message)


def log(message):
    print(f"{Path(sys.argv[0]).stem}: {message}", flush=True)


def wait_for(condition, timeout, what, interval=0.02):
    """Polls condition() until it returns something true, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise BenchError(f"timed out after {timeout:.1f} s waiting for {what}")
        time.sleep(interval)


def windows_path(path):
    # Wine maps the whole Unix file system to drive Z:.
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def xdotool(*args, timeout=15):
    result = subprocess.run(["xdotool", *map(str, args)], stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=timeout, check=False)
    if result.returncode != 0:
        raise BenchError(f"xdotool {' '.join(map(str, args))} failed: {result.stderr.strip()}")
    return result.stdout


def put_pointer_on_target():
    xdotool("mousemove", *TARGET_POINT)
    wait_for(lambda: xdotool("getmouselocation", "--shell").split()[:2]
             == [f"X={TARGET_POINT[0]}", f"Y={TARGET_POINT[1]}"], 5, "the pointer to move")


def parse_values(text):
    values = {}
    for line in text.splitlines():
        key, sep, value = line.partition("=")
        if sep:
            values[key.strip()] = value.strip()
    return values


class Programs:
    """Paths of the Windows programs in a build tree."""

    def __init__(self, build_dir):
        build_dir = Path(build_dir).resolve()
        self.build_dir = build_dir
        self.clicker = build_dir / "ui" / "clicker.exe"
        self.click_target = build_dir / "tests" / "e2e" / "click_target.exe"
        self.probe = build_dir / "tests" / "e2e" / "probe.exe"
        self.bare_window = build_dir / "bench" / "bare_window.exe"
        self.timer_loop = build_dir / "bench" / "timer_loop.exe"
        self.helper = build_dir / "bench" / "bench_helper.exe"
        for path in (self.clicker, self.click_target, self.probe, self.bare_window,
                     self.timer_loop, self.helper):
            check(path.is_file(), f"{path} is missing: build the bench targets first")


class Wine:
    """Runs Windows programs through wine-exec.sh, output to files."""

    def __init__(self, work_dir):
        self.work_dir = Path(work_dir)
        self.work_dir.mkdir(parents=True, exist_ok=True)
        self.stderr = open(self.work_dir / "wine-stderr.log", "ab")
        self.calls = 0

    def start(self, program, *args, stdout=subprocess.DEVNULL):
        return subprocess.Popen(["sh", str(WINE_EXEC), str(program), *map(str, args)],
                                stdin=subprocess.DEVNULL, stdout=stdout, stderr=self.stderr)

    def run(self, program, *args, timeout=30):
        self.calls += 1
        out_path = self.work_dir / f"out-{self.calls % 8}.txt"
        with open(out_path, "wb") as out:
            process = self.start(program, *args, stdout=out)
            try:
                code = process.wait(timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
                raise BenchError(f"{Path(program).name} {' '.join(map(str, args))} did not end "
                                 f"within {timeout} s") from None
        return code, out_path.read_bytes().decode("utf-8", errors="replace")

    def close(self):
        self.stderr.close()


class Helper:
    """bench_helper.exe and the e2e probe, for starting, closing and acting on
    Windows programs by their Windows process id."""

    def __init__(self, wine, programs):
        self.wine = wine
        self.programs = programs

    def start(self, program, window_class, *args, visible=True, timeout_ms=30000):
        """Starts a program; returns (Windows pid, µs until its window was seen)."""
        code, text = self.wine.run(self.programs.helper, "start", timeout_ms, window_class,
                                   "visible" if visible else "any", windows_path(program), *args,
                                   timeout=timeout_ms / 1000 + 20)
        values = parse_values(text)
        check(code == 0 and "window_us" in values,
              f"starting {Path(program).name} failed ({code}): {text.strip()}")
        return int(values["pid"]), int(values["window_us"])

    def close(self, pid, timeout_ms=5000):
        code, text = self.wine.run(self.programs.helper, "close", pid, timeout_ms,
                                   timeout=2 * timeout_ms / 1000 + 20)
        check(code == 0, f"closing process {pid} failed ({code}): {text.strip()}")
        return parse_values(text)["ended"]

    def gui_objects(self, pid):
        code, text = self.wine.run(self.programs.helper, "guiobjects", pid)
        check(code == 0, f"guiobjects {pid} failed ({code}): {text.strip()}")
        return parse_values(text)

    def probe(self, *args):
        code, text = self.wine.run(self.programs.probe, *args)
        check(code == 0, f"probe {' '.join(map(str, args))} failed ({code}): {text.strip()}")
        return parse_values(text)

    def set_interval(self, text):
        """Types nothing: sets the interval box's text and presses Start, as
        the user's Start does. An empty text stops the clicking."""
        self.probe("settext", EDIT_ID, text)
        self.probe("click", START_ID)


class Cleanup:
    """What a run has started, ended in reverse order whatever happens."""

    def __init__(self):
        self.actions = []

    def add(self, what, action):
        self.actions.append((what, action))

    def remove(self, what):
        self.actions = [(w, a) for w, a in self.actions if w != what]

    def run(self):
        problems = []
        for what, action in reversed(self.actions):
            try:
                action()
            except Exception as error:  # pylint: disable=broad-except
                problems.append(f"{what}: {error}")
        self.actions = []
        return problems


def stop_on_signals():
    def interrupted(signum, _frame):
        raise BenchError(f"interrupted by signal {signum}")

    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGINT, interrupted)


class ClickTarget:
    """click_target.exe from the end-to-end tests, read incrementally."""

    def __init__(self, wine, helper, programs, cleanup, rect=TARGET_RECT):
        self.log_path = wine.work_dir / "clicks.log"
        if self.log_path.exists():
            self.log_path.unlink()
        self.helper = helper
        self.process = wine.start(programs.click_target, windows_path(self.log_path), *rect)
        self.offset = 0
        self.pending = b""
        self.events = []
        self.pid = None
        cleanup.add("click target", self.end)
        self.pid = wait_for(self._ready, 30, "the click target to be ready")

    def _ready(self):
        check(self.process.poll() is None, "the click target ended early")
        if not self.log_path.exists():
            return None
        first = self.log_path.read_bytes().split(b"\n", 1)
        if len(first) == 2 and first[0].startswith(b"ready pid="):
            self.offset = len(first[0]) + 1
            return int(first[0][len(b"ready pid="):])
        return None

    def read(self):
        """Takes in what the target has logged since the last call; returns
        the list of all events: (kind, µs, x, y)."""
        with open(self.log_path, "rb") as log_file:
            log_file.seek(self.offset)
            data = log_file.read()
        self.offset += len(data)
        data = self.pending + data
        *lines, self.pending = data.split(b"\n")
        for line in lines:
            kind, micros, x, y = line.split()
            self.events.append((kind.decode(), int(micros), int(x), int(y)))
        return self.events

    def presses_since(self, index):
        return sum(1 for e in self.read()[index:] if e[0] == "down")

    def wait_presses(self, index, count, timeout):
        wait_for(lambda: self.presses_since(index) >= count, timeout,
                 f"{count} presses in the click target", interval=0.05)

    def wait_quiet(self, quiet_s, timeout):
        """Waits until nothing has been logged for quiet_s."""
        state = {"count": len(self.read()), "since": time.monotonic()}

        def quiet():
            count = len(self.read())
            if count != state["count"]:
                state["count"], state["since"] = count, time.monotonic()
            return time.monotonic() - state["since"] >= quiet_s

        wait_for(quiet, timeout, f"no click for {quiet_s} s", interval=0.05)

    def end(self):
        if self.process.poll() is None and self.pid is not None:
            self.helper.close(self.pid)
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def click_figures(events):
    """Pairs presses with releases and times the presses.

    Returns the gaps between consecutive presses in ms, and the number of
    presses without their release plus releases without a press.
    """
    unpaired = 0
    pressed = False
    presses = []
    for kind, micros, _x, _y in events:
        if kind == "down":
            if pressed:
                unpaired += 1
            pressed = True
            presses.append(micros)
        else:
            if not pressed:
                unpaired += 1
            pressed = False
    if pressed:
        unpaired += 1
    gaps = [(b - a) / 1000 for a, b in zip(presses, presses[1:])]
    return gaps, unpaired


def lost_clicks(gaps, reference_ms):
    """Clicks missing from a rhythm of reference_ms: a gap of 1.75 times the
    reference or more stands for round(gap / reference) - 1 of them, at
    least one."""
    return sum(max(1, round(g / reference_ms) - 1) for g in gaps if g >= 1.75 * reference_ms)


def missing_from_schedule(gaps, period_ms):
    """Ticks of a fixed schedule of period_ms that brought no press: the
    slots the intervals span, less the intervals. A late tick followed by an
    early one misses nothing."""
    return round(sum(gaps) / period_ms) - len(gaps)


# --- /proc ------------------------------------------------------------------


def _read(path, mode="r"):
    with open(path, mode) as file:
        return file.read()


def linux_pids(comm, prefix):
    """Linux pids of the processes called `comm` (as /proc shows the name,
    at most 15 characters) that run in the Wine prefix `prefix`."""
    wanted_env = f"WINEPREFIX={prefix}".encode()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            if _read(f"/proc/{entry}/comm").strip() != comm[:15]:
                continue
            if wanted_env not in _read(f"/proc/{entry}/environ", "rb").split(b"\0"):
                continue
        except OSError:
            continue
        found.append(int(entry))
    return found


def linux_pid(comm, prefix, timeout=10):
    def single():
        pids = linux_pids(comm, prefix)
        check(len(pids) <= 1, f"{len(pids)} processes called {comm} in the prefix: {pids}")
        return pids[0] if pids else None

    return wait_for(single, timeout, f"the Linux process of {comm}")


def wineserver_pid(prefix):
    pids = linux_pids("wineserver32", prefix) or linux_pids("wineserver", prefix)
    check(len(pids) == 1, f"expected one wineserver for {prefix}, found {pids}")
    return pids[0]


def x_server_pid():
    """The Xvfb of this session's display (started by wine-session.sh)."""
    display = os.environ["DISPLAY"]
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            if _read(f"/proc/{entry}/comm").strip() != "Xvfb":
                continue
            argv = _read(f"/proc/{entry}/cmdline", "rb").split(b"\0")
        except OSError:
            continue
        if len(argv) > 1 and argv[1].decode() == display:
            return int(entry)
    return None


class ProcessSample:
    """CPU time and memory of one Linux process at one moment."""

    def __init__(self, pid):
        self.pid = pid
        self.when = time.monotonic()
        # Fields after the parenthesised name: utime and stime are the 12th
        # and 13th (fields 14 and 15 of the whole line).
        stat = _read(f"/proc/{pid}/stat")
        rest = stat[stat.rindex(")") + 2:].split()
        self.cpu_ticks = int(rest[11]) + int(rest[12])
        # The scheduler's own run time, in ns, of the threads alive now.
        self.thread_ns = {}
        for tid in os.listdir(f"/proc/{pid}/task"):
            try:
                self.thread_ns[tid] = int(_read(f"/proc/{pid}/task/{tid}/schedstat").split()[0])
            except OSError:
                continue
        status = {}
        for line in _read(f"/proc/{pid}/status").splitlines():
            key, _, value = line.partition(":")
            status[key] = value.strip()
        self.hwm_kib = int(status["VmHWM"].split()[0])
        self.rss_kib = int(status["VmRSS"].split()[0])
        self.threads = int(status["Threads"])

    @property
    def cpu_ms(self):
        return self.cpu_ticks * 1000 / CLOCK_TICKS


def cpu_between(before, after):
    """CPU used between two samples of one process: (ms from utime+stime,
    ms from the threads' scheduler run time). The second counts the threads
    alive at the end (a thread that ended in between is left out)."""
    stat_ms = after.cpu_ms - before.cpu_ms
    sched_ns = sum(ns - before.thread_ns.get(tid, 0) for tid, ns in after.thread_ns.items())
    return stat_ms, sched_ns / 1e6


def mapped_rss(pid):
    """Resident KiB per mapping of a process (/proc/PID/smaps), by file name;
    anonymous mappings count together."""
    totals = {}
    name = "[anonymous]"
    for line in _read(f"/proc/{pid}/smaps").splitlines():
        fields_ = line.split()
        if not fields_:
            continue
        if not fields_[0].endswith(":"):
            # A mapping's first line: address range, modes, offset, device,
            # inode, then the file, if any.
            name = fields_[5] if len(fields_) >= 6 else "[anonymous]"
            if name.startswith("[") and name not in ("[heap]", "[stack]"):
                name = "[anonymous]"
        elif fields_[0] == "Rss:":
            totals[name] = totals.get(name, 0) + int(fields_[1])
    return totals


def percentile(values, fraction):
    """Linear-interpolated percentile of a non-empty list."""
    ordered = sorted(values)
    position = (len(ordered) - 1) * fraction
    low = int(position)
    high = min(low + 1, len(ordered) - 1)
    return ordered[low] + (ordered[high] - ordered[low]) * (position - low)
