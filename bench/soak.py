#!/usr/bin/env python3
"""Soak run of the clicker under Wine: clicking for minutes on end.

Run through tools/soak.sh. The clicker clicks at SOAK_INTERVAL ms (10) into
the click target for SOAK_MINUTES (10) minutes. Once a minute it samples the
clicker's resident memory, its GDI and USER object counts
(GetGuiResources, through bench_helper.exe guiobjects), the windows it owns,
its CPU time and Wine's server's memory, and prints one table row. At the
end it sets the presses the target counted beside the ticks the time allows
(elapsed / interval). The table and the raw figures are also written to
soak-report.md and soak-results.json in the build folder.
"""

import argparse
import json
import os
import statistics
import sys
import time
from pathlib import Path

import harness as h

ERROR_CALL_NOT_IMPLEMENTED = 120


def env_int(name, default):
    value = os.environ.get(name, "")
    return int(value) if value else default


class Soak:
    def __init__(self, build_dir, minutes, interval):
        self.minutes = minutes
        self.interval = interval
        self.prefix = os.environ["WINEPREFIX"]
        self.programs = h.Programs(build_dir)
        self.wine = h.Wine(self.programs.build_dir / "soak-runs")
        self.helper = h.Helper(self.wine, self.programs)
        self.cleanup = h.Cleanup()
        self.wineserver = h.wineserver_pid(self.prefix)
        self.samples = []
        self.summary = {}
        self.gui_unavailable = False
        self.minute_presses = []

    def sample(self, minute, clicker_pid, linux_pid, target):
        # The count of presses and the time go together; the object counts,
        # which take a Windows program's start, come after.
        events = target.read()
        process = h.ProcessSample(linux_pid)
        server = h.ProcessSample(self.wineserver)
        gui = self.helper.gui_objects(clicker_pid)
        entry = {"minute": minute, "when": process.when, "events": len(events),
                 "rss_kib": process.rss_kib, "hwm_kib": process.hwm_kib,
                 "cpu_ms": process.cpu_ms, "threads": process.threads,
                 "server_rss_kib": server.rss_kib, "server_cpu_ms": server.cpu_ms}
        for key in ("gdi", "gdi_error", "user", "user_error", "windows", "handles"):
            entry[key] = gui[key]
        if (int(gui["gdi"]) == 0 and int(gui["gdi_error"]) == ERROR_CALL_NOT_IMPLEMENTED) or \
                (int(gui["user"]) == 0 and int(gui["user_error"]) == ERROR_CALL_NOT_IMPLEMENTED):
            self.gui_unavailable = True
        self.samples.append(entry)
        return entry

    def run(self):
        target = h.ClickTarget(self.wine, self.helper, self.programs, self.cleanup)
        h.put_pointer_on_target()
        pid, _ = self.helper.start(self.programs.clicker, h.CLICKER_CLASS)
        self.cleanup.add("clicker", lambda: self.helper.close(pid))
        linux_pid = h.linux_pid("clicker.exe", self.prefix)

        self.sample(0, pid, linux_pid, target)
        index = len(target.read())
        self.helper.set_interval(str(self.interval))
        started = time.monotonic()
        # The first minute is counted from Start.
        self.samples[0]["when"] = started
        target.wait_presses(index, 1, 10)
        h.log(f"clicking at {self.interval} ms for {self.minutes} min")
        for minute in range(1, self.minutes + 1):
            # A fixed measurement window: the next sample is due a minute on.
            time.sleep(max(0.0, started + 60 * minute - time.monotonic()))
            entry = self.sample(minute, pid, linux_pid, target)
            h.log(f"  minute {minute}: {entry['events'] // 2} clicks so far, "
                  f"RSS {entry['rss_kib']} KiB")
        self.helper.set_interval("")
        stopped = time.monotonic()
        target.wait_quiet(1.0, 15)
        self.cleanup.remove("clicker")
        self.helper.close(pid)

        events = target.read()[index:]
        gaps, unpaired = h.click_figures(events)
        presses = sum(1 for e in events if e[0] == "down")
        press_times = [e[1] for e in events if e[0] == "down"]
        target_elapsed_ms = (press_times[-1] - press_times[0]) / 1000
        wall_elapsed_ms = (stopped - started) * 1000
        self.summary = {
            "presses": presses,
            "unpaired": unpaired,
            "lost": h.lost_clicks(gaps, self.interval),
            "long_gaps": sum(1 for g in gaps if g >= 1.75 * self.interval),
            "missing": h.missing_from_schedule(gaps, self.interval),
            "target_elapsed_ms": target_elapsed_ms,
            "intervals_counted": presses - 1,
            "intervals_expected": target_elapsed_ms / self.interval,
            "wall_elapsed_ms": wall_elapsed_ms,
            "ticks_expected_wall": wall_elapsed_ms / self.interval,
            "mean_ms": statistics.mean(gaps),
            "max_gap_ms": max(gaps),
        }
        previous = index
        for entry in self.samples[1:]:
            chunk = target.events[previous:entry["events"]]
            times = [e[1] for e in chunk if e[0] == "down"]
            self.minute_presses.append(times)
            previous = entry["events"]

    def close(self):
        problems = self.cleanup.run()
        self.wine.close()
        return problems

    def gui_cell(self, entry, key):
        if int(entry[key]) == 0 and int(entry[f"{key}_error"]) == ERROR_CALL_NOT_IMPLEMENTED:
            return "n/a"
        return entry[key]

    def report(self):
        rows = []
        previous = self.samples[0]
        for number, entry in enumerate(self.samples):
            if number == 0:
                clicks, expected, mean, long_gaps, cpu, server_cpu = "-", "-", "-", "-", "-", "-"
            else:
                times = self.minute_presses[number - 1]
                seconds = entry["when"] - previous["when"]
                clicks = len(times)
                expected = f"{seconds * 1000 / self.interval:.0f}"
                mean = (f"{(times[-1] - times[0]) / 1000 / (len(times) - 1):.3f}"
                        if len(times) > 1 else "-")
                long_gaps = sum(1 for a, b in zip(times, times[1:])
                                if (b - a) / 1000 >= 1.75 * self.interval)
                cpu = f"{(entry['cpu_ms'] - previous['cpu_ms']) / (seconds * 10):.2f}"
                server_cpu = f"{(entry['server_cpu_ms'] - previous['server_cpu_ms']) / (seconds * 10):.2f}"
            rows.append([entry["minute"], clicks, expected, mean, long_gaps, entry["rss_kib"],
                         entry["hwm_kib"],
                         self.gui_cell(entry, "gdi"), self.gui_cell(entry, "user"), entry["windows"],
                         entry["handles"], entry["threads"], cpu, entry["server_rss_kib"], server_cpu])
            previous = entry
        header = ["minute", "presses in the minute", "ticks in the minute (time / interval)",
                  "mean interval ms", "gaps of 1.75 intervals or more", "clicker VmRSS KiB", "clicker VmHWM KiB", "GDI objects",
                  "USER objects", "windows owned", "handles", "threads", "clicker CPU % of a core",
                  "wineserver VmRSS KiB", "wineserver CPU % of a core"]
        lines = ["| " + " | ".join(header) + " |",
                 "|" + "|".join("---:" for _ in header) + "|"]
        lines += ["| " + " | ".join(str(c) for c in row) + " |" for row in rows]
        s = self.summary
        first, last = self.samples[1], self.samples[-1]
        text = [f"# Soak: clicking at {self.interval} ms for {self.minutes} min", "",
                "Minute 0 is sampled just before Start; each later row covers the minute before it.", "",
                "\n".join(lines), ""]
        if self.gui_unavailable:
            text += ["GDI and USER objects: n/a. This Wine does not implement GetGuiResources: it "
                     "returns 0 and sets ERROR_CALL_NOT_IMPLEMENTED (120). The windows the process "
                     "owns (EnumWindows and EnumChildWindows), its resident memory (GDI objects live "
                     "in the process under Wine) and the server's resident memory (windows, timers "
                     "and kernel objects live there) stand in for them. `handles` is "
                     "GetProcessHandleCount's answer.", ""]
        text += [
            f"- presses counted by the target: {s['presses']} ({s['intervals_counted']} intervals), "
            f"unpaired {s['unpaired']}; {s['long_gaps']} gaps of 1.75 intervals or more (the "
            f"longest {s['max_gap_ms']:.2f} ms), {s['lost']} clicks if none of them were made up; "
            f"against the timer's schedule {s['missing']} ticks brought no press (a late tick "
            "followed by an early one misses nothing)",
            f"- target's clock, first press to last: {s['target_elapsed_ms'] / 1000:.3f} s, "
            f"so {s['intervals_expected']:.1f} intervals expected; counted "
            f"{s['intervals_counted']} ({s['intervals_counted'] - s['intervals_expected']:+.1f}, "
            f"mean interval {s['mean_ms']:.4f} ms)",
            f"- wall clock, Start to stop: {s['wall_elapsed_ms'] / 1000:.3f} s, so "
            f"{s['ticks_expected_wall']:.1f} ticks expected; presses {s['presses']} "
            f"({s['presses'] - s['ticks_expected_wall']:+.1f}; the stop takes effect a little "
            "after it is asked for)",
            f"- resident memory from minute 1 to minute {self.minutes}: "
            f"{last['rss_kib'] - first['rss_kib']:+d} KiB (clicker), "
            f"{last['server_rss_kib'] - first['server_rss_kib']:+d} KiB (wineserver)",
        ]
        return "\n".join(text) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", required=True, type=Path)
    args = parser.parse_args()
    for variable in ("DISPLAY", "WINEPREFIX"):
        if not os.environ.get(variable):
            print(f"soak: {variable} is not set; run tools/soak.sh", file=sys.stderr)
            return 2
    h.stop_on_signals()
    soak = Soak(args.build_dir, env_int("SOAK_MINUTES", 10), env_int("SOAK_INTERVAL", 10))
    error = None
    try:
        soak.run()
    except h.BenchError as failure:
        error = str(failure)
    problems = soak.close()
    if problems:
        print("soak: cleaning up: " + "; ".join(problems), file=sys.stderr)
    if error is not None:
        print(f"soak: FAILED: {error}", file=sys.stderr)
        return 1
    text = soak.report()
    build_dir = soak.programs.build_dir
    (build_dir / "soak-report.md").write_text(text, encoding="utf-8")
    (build_dir / "soak-results.json").write_text(
        json.dumps({"samples": soak.samples, "summary": soak.summary}, indent=1))
    print(text)
    print(f"soak: wrote {build_dir / 'soak-report.md'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
