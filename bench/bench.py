#!/usr/bin/env python3
"""Performance benchmark of the clicker under Wine: cadence, cost, start-up.

Run through tools/bench.sh, which builds the programs and provides the Wine
session. Everything is measured against one click target (click_target.exe
from the end-to-end tests, which logs every press and release with a
QueryPerformanceCounter time) and beside baselines of our own:

- cadence: the clicker, a bare window-timer loop doing the same calls per
  tick (bench/timer_loop.cpp: the platform's limit) and
  `xdotool click --repeat N --delay D 1`, at each typed interval;
- cost: CPU time and memory of the clicker idle and clicking at 10 ms, beside
  one empty window (bench/bare_window.cpp) and the timer loop;
- start-up: from CreateProcessW to the window shown, clicker and empty window,
  and the executables' sizes.

Prints the tables and writes performance.md and performance-intervals.png
into the docs folder; the raw figures go to bench-results.json in the build
folder. Environment variables shorten a run:
BENCH_REPEATS (3), BENCH_CLICKS (200 per short interval), BENCH_SLOW_CLICKS
(30 at 1000 ms), BENCH_COST_SECONDS (30), BENCH_LAUNCHES (5 of each program
per repeat), BENCH_INTERVALS (comma-separated, default 10,16,20,50,100,1000).
"""

import argparse
import datetime
import json
import math
import os
import platform
import statistics
import subprocess
import sys
import time
from pathlib import Path

import harness as h

DEFAULT_INTERVALS = [10, 16, 20, 50, 100, 1000]
SLOW_INTERVAL_MS = 1000
TOOLS = ["clicker", "timer loop", "xdotool"]
COST_SUBJECTS = ["bare window, idle", "clicker, idle", "clicker, clicking at 10 ms",
                 "timer loop, clicking at 10 ms"]
COST_CLICK_INTERVAL_MS = 10
SETTLE_S = 2.0
# The intervals of the first 250 ms after each start (at least one) are left
# out: a program that has just started, or just been told to click, is still
# settling.
WARMUP_MS = 250
MEAN_MARGIN = 0.005
IDLE_CPU_MARGIN_PERCENT = 0.1
MEMORY_MARGIN_KIB = 1024
EXE_LIMIT_BYTES = 262144


def schedule_period(interval, gaps):
    """The period a window timer keeps: the typed interval, unless the
    platform rounds it (to its tick): then the median interval. The median
    alone would not do: Wine's intervals alternate between two values."""
    median = statistics.median(gaps)
    return interval if abs(median / interval - 1) <= 0.1 else median


def warmup_intervals(interval):
    return max(1, math.ceil(WARMUP_MS / interval))


def env_int(name, default):
    value = os.environ.get(name, "")
    return int(value) if value else default


class Settings:
    def __init__(self):
        self.repeats = env_int("BENCH_REPEATS", 3)
        self.clicks = env_int("BENCH_CLICKS", 200)
        self.slow_clicks = env_int("BENCH_SLOW_CLICKS", 30)
        self.cost_seconds = env_int("BENCH_COST_SECONDS", 30)
        self.launches = env_int("BENCH_LAUNCHES", 5)
        text = os.environ.get("BENCH_INTERVALS", "")
        self.intervals = [int(v) for v in text.split(",")] if text else list(DEFAULT_INTERVALS)

    def clicks_at(self, interval):
        return self.slow_clicks if interval >= SLOW_INTERVAL_MS else self.clicks


class Bench:
    def __init__(self, build_dir, settings):
        self.settings = settings
        self.prefix = os.environ["WINEPREFIX"]
        self.programs = h.Programs(build_dir)
        self.wine = h.Wine(self.programs.build_dir / "bench-runs")
        self.helper = h.Helper(self.wine, self.programs)
        self.cleanup = h.Cleanup()
        self.target = None
        self.target_linux_pid = None
        self.wineserver = h.wineserver_pid(self.prefix)
        self.x_server = h.x_server_pid()
        self.cadence = {tool: {i: [] for i in settings.intervals} for tool in TOOLS}
        self.gaps = {tool: {i: [] for i in settings.intervals} for tool in TOOLS}
        self.cost = {subject: [] for subject in COST_SUBJECTS}
        self.memory_maps = {}
        self.startup = {"clicker": [], "bare window": []}

    # --- running Windows programs -------------------------------------------------

    def start_windows(self, name, program, window_class, *args, visible=True):
        pid, window_us = self.helper.start(program, window_class, *args, visible=visible)
        self.cleanup.add(name, lambda: self.helper.close(pid))
        return pid, window_us

    def close_windows(self, name, pid):
        self.cleanup.remove(name)
        self.helper.close(pid)

    # --- cadence ------------------------------------------------------------------

    def segment(self, tool, interval, clicks):
        """One run of `clicks` intervals by one tool, after its warm-up; the
        figures."""
        self.target.wait_quiet(0.3, 30)
        index = len(self.target.read())
        warmup = warmup_intervals(interval)
        presses = warmup + clicks + 1
        timeout = 30 + presses * interval / 1000 * 3
        if tool == "clicker":
            self.helper.set_interval(str(interval))
            self.target.wait_presses(index, presses, timeout)
            self.helper.set_interval("")
        elif tool == "timer loop":
            process = self.wine.start(self.programs.timer_loop, interval, presses)
            self.cleanup.add("timer loop", process.kill)
            try:
                code = process.wait(timeout)
            except subprocess.TimeoutExpired:
                raise h.BenchError(f"the timer loop at {interval} ms did not end within "
                                   f"{timeout:.0f} s") from None
            self.cleanup.remove("timer loop")
            h.check(code == 0, f"the timer loop ended with exit code {code}")
        else:
            h.xdotool("click", "--repeat", presses, "--delay", interval, "1", timeout=timeout)
        self.target.wait_quiet(max(0.5, 3 * interval / 1000), timeout)
        events = self.target.read()[index:]
        all_gaps, unpaired = h.click_figures(events)
        gaps = all_gaps[warmup:warmup + clicks]
        h.check(len(gaps) == clicks, f"{tool} at {interval} ms: {len(gaps)} intervals, "
                                     f"expected {clicks}")
        deviations = [abs(g - interval) for g in gaps]
        mean = statistics.mean(gaps)
        reference = max(interval, statistics.median(gaps))
        figures = {
            "mean_ms": mean,
            "ratio": mean / interval,
            "sd_ms": statistics.pstdev(gaps),
            "dev_median_ms": statistics.median(deviations),
            "dev_p95_ms": h.percentile(deviations, 0.95),
            "dev_max_ms": max(deviations),
            "lost": h.lost_clicks(gaps, reference),
            # Window timers keep their schedule (a late tick is followed by an
            # early one); xdotool sleeps between clicks and has none.
            "missing": (None if tool == "xdotool"
                        else h.missing_from_schedule(gaps, schedule_period(interval, gaps))),
            "unpaired": unpaired,
        }
        self.cadence[tool][interval].append(figures)
        self.gaps[tool][interval].extend(gaps)
        h.log(f"  {tool:10} {interval:5} ms: mean {mean:8.3f} ms (x{figures['ratio']:.4f}), "
              f"|dev| p95 {figures['dev_p95_ms']:.2f} ms, max {figures['dev_max_ms']:.2f} ms, "
              f"lost {figures['lost']}, missing {figures['missing']}, unpaired {unpaired}")

    def cadence_repeat(self):
        pid, _ = self.start_windows("clicker", self.programs.clicker, h.CLICKER_CLASS)
        for interval in self.settings.intervals:
            clicks = self.settings.clicks_at(interval)
            for tool in TOOLS:
                self.segment(tool, interval, clicks)
        self.close_windows("clicker", pid)

    # --- cost ---------------------------------------------------------------------

    def measure(self, subject, linux_pid):
        """CPU and memory of one process over the measurement window, after
        a settling time that is left out."""
        time.sleep(SETTLE_S)
        index = len(self.target.read())
        watched = {"subject": linux_pid, "wineserver": self.wineserver,
                   "target": self.target_linux_pid}
        if self.x_server is not None:
            watched["Xvfb"] = self.x_server
        before = {k: h.ProcessSample(p) for k, p in watched.items()}
        time.sleep(self.settings.cost_seconds)
        after = {k: h.ProcessSample(p) for k, p in watched.items()}
        presses = self.target.presses_since(index)
        seconds = after["subject"].when - before["subject"].when
        figures = {"seconds": seconds, "presses": presses,
                   "hwm_kib": after["subject"].hwm_kib, "rss_kib": after["subject"].rss_kib,
                   "threads": after["subject"].threads}
        for key in watched:
            stat_ms, sched_ms = h.cpu_between(before[key], after[key])
            figures[f"{key}_cpu_ms"] = stat_ms
            figures[f"{key}_cpu_percent"] = stat_ms / (seconds * 1000) * 100
            figures[f"{key}_sched_percent"] = sched_ms / (seconds * 1000) * 100
        self.cost[subject].append(figures)
        h.log(f"  {subject:30}: CPU {figures['subject_cpu_ms']:7.0f} ms "
              f"({figures['subject_cpu_percent']:.3f} %, scheduler "
              f"{figures['subject_sched_percent']:.3f} %), peak {figures['hwm_kib']} KiB, "
              f"rss {figures['rss_kib']} KiB, presses {presses}")
        return figures

    def cost_repeat(self):
        pid, _ = self.start_windows("bare window", self.programs.bare_window, h.BARE_WINDOW_CLASS)
        linux_pid = h.linux_pid("bare_window.exe", self.prefix)
        self.measure("bare window, idle", linux_pid)
        self.memory_maps.setdefault("bare window", h.mapped_rss(linux_pid))
        self.close_windows("bare window", pid)

        pid, _ = self.start_windows("clicker", self.programs.clicker, h.CLICKER_CLASS)
        linux_pid = h.linux_pid("clicker.exe", self.prefix)
        self.measure("clicker, idle", linux_pid)
        self.memory_maps.setdefault("clicker", h.mapped_rss(linux_pid))
        index = len(self.target.read())
        self.helper.set_interval(str(COST_CLICK_INTERVAL_MS))
        self.target.wait_presses(index, 1, 10)
        self.measure("clicker, clicking at 10 ms", linux_pid)
        self.helper.set_interval("")
        self.target.wait_quiet(0.5, 10)
        self.close_windows("clicker", pid)

        clicks = int((SETTLE_S + self.settings.cost_seconds + 30) * 1000 / COST_CLICK_INTERVAL_MS)
        pid, _ = self.start_windows("timer loop", self.programs.timer_loop, h.TIMER_LOOP_CLASS,
                                    COST_CLICK_INTERVAL_MS, clicks, visible=False)
        linux_pid = h.linux_pid("timer_loop.exe", self.prefix)
        self.measure("timer loop, clicking at 10 ms", linux_pid)
        self.close_windows("timer loop", pid)
        self.target.wait_quiet(0.5, 10)

    # --- start-up -----------------------------------------------------------------

    def startup_repeat(self):
        for _ in range(self.settings.launches):
            for name, program, window_class in (
                    ("clicker", self.programs.clicker, h.CLICKER_CLASS),
                    ("bare window", self.programs.bare_window, h.BARE_WINDOW_CLASS)):
                pid, window_us = self.start_windows(name, program, window_class)
                self.close_windows(name, pid)
                self.startup[name].append(window_us / 1000)
        h.log(f"  start-up so far: clicker median {statistics.median(self.startup['clicker']):.0f}"
              f" ms, bare window {statistics.median(self.startup['bare window']):.0f} ms")

    # --- the whole run ------------------------------------------------------------

    def run(self):
        self.target = h.ClickTarget(self.wine, self.helper, self.programs, self.cleanup)
        self.target_linux_pid = h.linux_pid("click_target.exe", self.prefix)
        h.put_pointer_on_target()
        for repeat in range(1, self.settings.repeats + 1):
            h.log(f"repeat {repeat} of {self.settings.repeats}: cadence")
            self.cadence_repeat()
            h.log(f"repeat {repeat} of {self.settings.repeats}: cost")
            self.cost_repeat()
            h.log(f"repeat {repeat} of {self.settings.repeats}: start-up")
            self.startup_repeat()

    def close(self):
        problems = self.cleanup.run()
        self.wine.close()
        return problems


# --- figures into tables -----------------------------------------------------------


def median_of(runs, key):
    return statistics.median(r[key] for r in runs)


def sum_of(runs, key):
    return sum(r[key] for r in runs)


def signed(value, digits=2, unit=""):
    return f"{value:+.{digits}f}{unit}"


def table(header, rows):
    lines = ["| " + " | ".join(header) + " |",
             "|" + "|".join("---:" if i else "---" for i in range(len(header))) + "|"]
    lines += ["| " + " | ".join(str(c) for c in row) + " |" for row in rows]
    return "\n".join(lines)


def exe_sections(path):
    """Section name and size in bytes, as objdump -h lists them."""
    result = subprocess.run(["i686-w64-mingw32-objdump", "-h", str(path)], capture_output=True,
                            text=True, check=False)
    sections = []
    for line in result.stdout.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[0].isdigit() and parts[1].startswith("."):
            sections.append((parts[1], int(parts[2], 16)))
    return sections


def machine():
    model = "unknown"
    with open("/proc/cpuinfo", encoding="utf-8") as cpuinfo:
        for line in cpuinfo:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True, check=False,
                          stdin=subprocess.DEVNULL).stdout.strip()
    debian = Path("/etc/debian_version").read_text(encoding="utf-8").strip()
    return {"cores": os.cpu_count(), "cpu": model, "wine": wine, "kernel": platform.release(),
            "debian": debian}


class Report:
    def __init__(self, bench, info):
        self.bench = bench
        self.settings = bench.settings
        self.info = info
        self.targets = []

    def target(self, what, measured, limit, met, margin):
        self.targets.append((what, measured, limit, "met" if met else "**missed**", margin))

    def cadence_tables(self):
        bench = self.bench
        side_rows, full_rows = [], []
        for interval in self.settings.intervals:
            means = {t: median_of(bench.cadence[t][interval], "mean_ms") for t in TOOLS}
            clicker_vs_loop = means["clicker"] / means["timer loop"] - 1
            clicker_lost = (sum_of(bench.cadence["clicker"][interval], "lost")
                            + sum_of(bench.cadence["clicker"][interval], "unpaired"))
            side_rows.append([interval, self.settings.clicks_at(interval)]
                             + [f"{means[t] / interval:.4f}" for t in TOOLS]
                             + [signed(clicker_vs_loop * 100, 3, " %")])
            for tool in TOOLS:
                runs = bench.cadence[tool][interval]
                full_rows.append([
                    interval, tool, f"{median_of(runs, 'mean_ms'):.3f}",
                    f"{median_of(runs, 'ratio'):.4f}", f"{median_of(runs, 'sd_ms'):.2f}",
                    f"{median_of(runs, 'dev_median_ms'):.2f}", f"{median_of(runs, 'dev_p95_ms'):.2f}",
                    f"{median_of(runs, 'dev_max_ms'):.2f}", sum_of(runs, "lost"),
                    "n/a" if runs[0]["missing"] is None else f"{sum_of(runs, 'missing'):+d}",
                    sum_of(runs, "unpaired")])
            self.target(f"cadence at {interval} ms: clicker's mean within 0.5 % of the timer loop's",
                        signed(clicker_vs_loop * 100, 3, " %"), "±0.5 %",
                        abs(clicker_vs_loop) <= MEAN_MARGIN,
                        f"{(MEAN_MARGIN - abs(clicker_vs_loop)) * 100:.3f} points to spare"
                        if abs(clicker_vs_loop) <= MEAN_MARGIN else
                        f"{(abs(clicker_vs_loop) - MEAN_MARGIN) * 100:.3f} points over")
            self.target(f"cadence at {interval} ms: no click lost by the clicker",
                        f"{clicker_lost} lost or unpaired in "
                        f"{self.settings.repeats * self.settings.clicks_at(interval)}", "0",
                        clicker_lost == 0, "none lost" if clicker_lost == 0 else
                        f"{clicker_lost} too many")
        side = table(["typed ms", "intervals per run", "clicker ratio", "timer loop ratio",
                      "xdotool ratio", "clicker vs timer loop"], side_rows)
        full = table(["typed ms", "program", "mean ms", "ratio to typed", "sd ms",
                      "|dev| median ms", "|dev| p95 ms", "|dev| max ms", "lost",
                      "missing from the schedule", "unpaired"],
                     full_rows)
        return side, full

    def cost_table(self):
        bench = self.bench
        rows = []
        for subject in COST_SUBJECTS:
            runs = bench.cost[subject]
            has_x = "Xvfb_cpu_percent" in runs[0]
            rows.append([
                subject, f"{median_of(runs, 'subject_cpu_ms'):.0f}",
                f"{median_of(runs, 'subject_cpu_percent'):.3f}",
                f"{median_of(runs, 'subject_sched_percent'):.3f}",
                f"{median_of(runs, 'hwm_kib') / 1024:.2f}", f"{median_of(runs, 'rss_kib') / 1024:.2f}",
                f"{median_of(runs, 'wineserver_cpu_percent'):.3f}",
                f"{median_of(runs, 'Xvfb_cpu_percent'):.3f}" if has_x else "n/a",
                f"{median_of(runs, 'target_cpu_percent'):.3f}",
                f"{median_of(runs, 'presses'):.0f}"])
        bare = bench.cost["bare window, idle"]
        idle = bench.cost["clicker, idle"]
        clicking = bench.cost["clicker, clicking at 10 ms"]
        cpu_over = median_of(idle, "subject_cpu_percent") - median_of(bare, "subject_cpu_percent")
        self.target("idle CPU: at most 0.1 % of one core above the bare window's",
                    signed(cpu_over, 3, " %"), "+0.1 %", cpu_over <= IDLE_CPU_MARGIN_PERCENT,
                    f"{IDLE_CPU_MARGIN_PERCENT - cpu_over:+.3f} points of a core left")
        peak = max(median_of(idle, "hwm_kib"), median_of(clicking, "hwm_kib"))
        memory_over = peak - median_of(bare, "hwm_kib")
        self.target("peak memory: within 1 MiB of the bare window's",
                    f"{memory_over / 1024:+.2f} MiB", "+1.00 MiB", memory_over <= MEMORY_MARGIN_KIB,
                    f"{(MEMORY_MARGIN_KIB - memory_over) / 1024:+.2f} MiB left")
        header = ["process, state", f"CPU ms in {self.settings.cost_seconds} s (utime+stime)",
                  "% of one core", "% of one core (scheduler)", "peak RSS MiB (VmHWM)",
                  "RSS MiB (VmRSS)", "wineserver % of a core", "Xvfb % of a core",
                  "click target % of a core", "presses received"]
        return table(header, rows)

    def memory_table(self, count=10):
        clicker = self.bench.memory_maps.get("clicker", {})
        bare = self.bench.memory_maps.get("bare window", {})
        names = set(clicker) | set(bare)
        differences = sorted(((clicker.get(n, 0) - bare.get(n, 0), n) for n in names), reverse=True)
        rows = [[Path(n).name if n.startswith("/") else n, clicker.get(n, 0), bare.get(n, 0),
                 f"{d:+d}"] for d, n in differences[:count] if d != 0]
        rows.append(["all mappings", sum(clicker.values()), sum(bare.values()),
                     f"{sum(clicker.values()) - sum(bare.values()):+d}"])
        return table(["mapping", "clicker KiB", "bare window KiB", "difference KiB"], rows)

    def startup_table(self):
        programs = self.bench.programs
        sizes = {"clicker": programs.clicker.stat().st_size,
                 "bare window": programs.bare_window.stat().st_size}
        rows = []
        for name, times in self.bench.startup.items():
            rows.append([name, len(times), f"{statistics.median(times):.0f}",
                         f"{min(times):.0f}", f"{max(times):.0f}", sizes[name]])
        size = sizes["clicker"]
        self.target("executable: at most 256 KiB (262144 bytes)", f"{size} bytes", "262144 bytes",
                    size <= EXE_LIMIT_BYTES, f"{EXE_LIMIT_BYTES - size:+d} bytes")
        startup = table(["program", "launches", "median ms", "fastest ms", "slowest ms",
                         "executable bytes"], rows)
        sections = table(["section of clicker.exe", "bytes"],
                         [[n, s] for n, s in exe_sections(programs.clicker)])
        return startup, sections

    def markdown(self, started, ended, load_before, load_after):
        side, full = self.cadence_tables()
        cost = self.cost_table()
        memory = self.memory_table()
        startup, sections = self.startup_table()
        targets = table(["target", "measured", "limit", "result", "margin"], self.targets)
        s = self.settings
        info = self.info
        intervals = ", ".join(str(i) for i in s.intervals)
        return f"""# Performance

How well the clicker keeps time under Wine and what it costs, beside baselines
of our own, as measured by `tools/bench.sh`. Every figure below comes from the
run described under *Machine*; rerun the script to renew them all.

## Machine

- {info['cores']} cores, {info['cpu']}
- Debian {info['debian']}, Linux {info['kernel']}, {info['wine']} (32-bit prefix of its own, Xvfb display of its own)
- run from {started} to {ended}; load average {load_before[0]:.2f} / {load_before[1]:.2f} / {load_before[2]:.2f} (1 / 5 / 15 min) before, {load_after[0]:.2f} / {load_after[1]:.2f} / {load_after[2]:.2f} after

## How to rerun

```sh
tools/bench.sh
```

It builds what it needs in `build/bench` (or `$BENCH_BUILD_DIR`), starts its own Xvfb display and Wine prefix,
and rewrites this page and `performance-intervals.png`. It takes about 20 minutes. Shorter runs:
`BENCH_REPEATS`, `BENCH_CLICKS`, `BENCH_SLOW_CLICKS`, `BENCH_COST_SECONDS`, `BENCH_LAUNCHES`,
`BENCH_INTERVALS` (e.g. `BENCH_REPEATS=1 BENCH_INTERVALS=10,100 tools/bench.sh`; `BENCH_DOCS_DIR` writes the page
elsewhere).

This run: {s.repeats} repeats; each repeat times {s.clicks} intervals between presses at each typed interval below
{SLOW_INTERVAL_MS} ms and {s.slow_clicks} at {SLOW_INTERVAL_MS} ms, for each of the three programs; measures each
process for {s.cost_seconds} s; and launches each program {s.launches} times. Figures are the medians of the
repeats; lost and unpaired clicks are the totals over all repeats.

## Targets

{targets}

## Cadence

Typed intervals {intervals} ms. Three programs click, one after the other, into the same click target
(`tests/e2e/click_target.cpp`, which logs every press and release with a QueryPerformanceCounter time in µs):

- **clicker**: the program, its interval set in the box and Start pressed (`probe settext 3` and `probe click 4`);
- **timer loop**: `bench/timer_loop.cpp`, one `SetTimer(interval)` and, at each `WM_TIMER`, the clicker's own calls
  (`GetCursorPos`, `SetCursorPos`, `mouse_event` down and up): what window timers allow on this platform;
- **xdotool**: `xdotool click --repeat N --delay D 1` from the Linux side.

Ratio of the achieved mean interval between presses to the typed interval:

{side}

The intervals of the first {WARMUP_MS} ms after each start (at least one interval) are not counted.

All figures. *|dev|* is the absolute deviation of each interval from the **typed** interval (so a program whose
mean is off shows that in its deviations too). A click counts as **lost** where the gap between two presses is
1.75 times the program's own rhythm (the larger of the typed interval and the median gap) or more:
round(gap / rhythm) - 1 clicks for each such gap. A window timer keeps its schedule, so a tick that comes late is
followed by one that comes early and no click is missing; **missing from the schedule** counts what is really
gone: round(sum of the intervals / period) minus their number, where the period is the typed interval (or the
median interval, if that is more than 10 % away: a platform that rounds timers up to its tick); xdotool sleeps
between clicks and keeps no schedule. **Unpaired** counts presses without their release and releases without a press.

{full}

![Intervals between presses at each typed interval](performance-intervals.png)

The plot shows, per typed interval, the distribution of the intervals between presses, all repeats together:
boxes from the first to the third quartile, the median as a line, whiskers from the 1st to the 99th percentile,
dots beyond; the dashed line is the typed interval. Each axis spans the middle 99 % of the intervals; the few
beyond it are counted in the corner.

## Cost

CPU time (user + system, from `/proc/PID/stat`, in 10 ms ticks; the scheduler's own count of the threads, from
`/proc/PID/task/*/schedstat`, beside it) and memory (`VmHWM`, the peak resident set since the process started, and
`VmRSS`, from `/proc/PID/status`) of each Windows program's Linux process, over {s.cost_seconds} s that start
{SETTLE_S:.0f} s after the window appeared (or the clicking began). The bare window is `bench/bare_window.cpp`: one
empty window of the clicker's size and frame style. Wine's server and the X server serve every program of the
session; their CPU in the same window is shown separately. The click target runs throughout.

{cost}

Where the clicker's resident memory differs from the bare window's, by mapping (`/proc/PID/smaps`, at the end of
the first idle window):

{memory}

## Start-up and size

From just before `CreateProcessW` (in `bench/bench_helper.cpp`, under the same prefix) until a top-level window of
the program's class is visible, polled every 2 ms; the program is then closed with `WM_CLOSE`. {s.launches} launches
of each per repeat, alternating, all of them in the table.

{startup}

{sections}

`.eh_fram` is `.eh_frame`, its name cut to eight characters in the stripped image: the tables that unwind the
stack for C++ exceptions.
"""


def plot(bench, path):
    import matplotlib  # pylint: disable=import-outside-toplevel
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt  # pylint: disable=import-outside-toplevel

    intervals = bench.settings.intervals
    columns = min(3, len(intervals))
    rows = (len(intervals) + columns - 1) // columns
    figure, axes = plt.subplots(rows, columns, figsize=(4.4 * columns, 3.8 * rows), squeeze=False)
    colours = {"clicker": "#1f77b4", "timer loop": "#2ca02c", "xdotool": "#d62728"}
    for axis, interval in zip(axes.flat, intervals):
        data = [bench.gaps[tool][interval] for tool in TOOLS]
        boxes = axis.boxplot(data, labels=TOOLS, whis=(1, 99), patch_artist=True, widths=0.6,
                             flierprops={"marker": ".", "markersize": 2, "alpha": 0.4})
        for patch, tool in zip(boxes["boxes"], TOOLS):
            patch.set_facecolor(colours[tool])
            patch.set_alpha(0.45)
        axis.axhline(interval, linestyle="--", color="grey", linewidth=1)
        # A few long stalls would squash the boxes: the axis spans the middle
        # 99 % of every program's intervals and the typed interval, and says
        # how many intervals lie beyond.
        pooled = [g for values in data for g in values]
        low = min(min(h.percentile(v, 0.005) for v in data), interval)
        high = max(max(h.percentile(v, 0.995) for v in data), interval)
        pad = (high - low) * 0.1 or interval * 0.01
        low, high = low - pad, high + pad
        axis.set_ylim(low, high)
        beyond = sum(1 for g in pooled if g < low or g > high)
        if beyond:
            axis.text(0.02, 0.97, f"{beyond} beyond the axis", transform=axis.transAxes,
                      fontsize=8, va="top", color="dimgrey")
        axis.set_title(f"typed {interval} ms")
        axis.set_ylabel("ms between presses")
        axis.grid(axis="y", alpha=0.3)
    for axis in list(axes.flat)[len(intervals):]:
        axis.set_visible(False)
    figure.suptitle("Intervals between presses received by the click target, under Wine")
    figure.tight_layout()
    figure.savefig(path, dpi=100)
    plt.close(figure)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", required=True, type=Path)
    parser.add_argument("--docs-dir", required=True, type=Path)
    args = parser.parse_args()
    for variable in ("DISPLAY", "WINEPREFIX"):
        if not os.environ.get(variable):
            print(f"bench: {variable} is not set; run tools/bench.sh", file=sys.stderr)
            return 2
    h.stop_on_signals()
    settings = Settings()
    info = machine()
    load_before = os.getloadavg()
    started = datetime.datetime.now().strftime("%Y-%m-%d %H:%M")
    bench = Bench(args.build_dir, settings)
    error = None
    try:
        bench.run()
    except h.BenchError as failure:
        error = str(failure)
    problems = bench.close()
    if problems:
        print("bench: cleaning up: " + "; ".join(problems), file=sys.stderr)
    if error is not None:
        print(f"bench: FAILED: {error}", file=sys.stderr)
        return 1
    load_after = os.getloadavg()
    ended = datetime.datetime.now().strftime("%Y-%m-%d %H:%M")

    results = {"machine": info, "settings": vars(settings), "cadence": bench.cadence,
               "gaps": bench.gaps, "cost": bench.cost, "startup": bench.startup,
               "memory_maps": bench.memory_maps}
    (bench.programs.build_dir / "bench-results.json").write_text(json.dumps(results, indent=1))
    args.docs_dir.mkdir(parents=True, exist_ok=True)
    report = Report(bench, info)
    text = report.markdown(started, ended, load_before, load_after)
    (args.docs_dir / "performance.md").write_text(text, encoding="utf-8")
    plot(bench, args.docs_dir / "performance-intervals.png")
    print(text)
    print(f"bench: wrote {args.docs_dir / 'performance.md'} and "
          f"{args.docs_dir / 'performance-intervals.png'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
