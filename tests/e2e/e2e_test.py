#!/usr/bin/env python3
"""End-to-end tests of the clicker: the real program under Wine on the test display.

Input comes from X (xdotool), as a user's would. The program is watched from
outside by three helpers of our own running in the same Wine prefix:
launch.exe (starts it, reports its pid and its whole exit code), probe.exe
(finds the main window and reads or acts on it) and click_target.exe (a window
that logs every left-button press and release with a time stamp).

    e2e_test.py --wine-exec cmake/wine-exec.sh --clicker clicker.exe \\
        --click-target click_target.exe --launch launch.exe --probe probe.exe \\
        --work-dir DIR TEST [TEST...]

tools/test.sh provides DISPLAY, WINEPREFIX and a running wineserver. Each test
starts its own clicker and ends only the processes it started.
"""

import argparse
import os
import signal
import statistics
import subprocess
import sys
import time
import traceback
from pathlib import Path

SCREEN = (1280, 1024)
WINDOW_SIZE = (380, 280)
EDIT_ID = 3
START_ID = 4
HTCLOSE = 20

# The window's controls as designed: id, class, client rectangle
# (left, top, width, height), visible, text.
EXPECTED_CONTROLS = [
    (1, "ClickerLabel", (256, 232, 136, 16), True, "Tamberlo [VMD] [VNT]"),
    (2, "ClickerLabel", (96, 128, 24, 24), True, "频率"),
    (3, "Edit", (128, 128, 136, 24), True, ""),
    (4, "Button", (122, 168, 128, 40), True, "开始"),
    (5, "ClickerLabel", (16, 32, 328, 80), True,
     "连点器软件，在下方输入框中输入每几毫秒点击一次，然后按下开始或F1，"
     "软件就会自动开始在鼠标所在位置以您设定的的速度开始点击。按下F2结束。"),
    (6, "ClickerTimerHost", (768, 88, 32, 32), False, ""),
    (7, "ClickerTimerHost", (440, 248, 32, 32), False, ""),
]

# Where the click target sits: clear of the clicker's window in the middle of
# the screen, with the pointer at its centre.
TARGET_RECT = (40, 40, 300, 300)
TARGET_POINT = (190, 190)

# The program looks at F1 and F2 once a second.
KEY_POLL_S = 1.0


class TestFailure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise TestFailure(message)


def wait_for(condition, timeout, what, interval=0.02):
    """Polls condition() until it returns something true, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise TestFailure(f"timed out after {timeout:.1f} s waiting for {what}")
        time.sleep(interval)


def wait_value(get, accept, timeout, what, interval=0.02):
    """Polls get() until accept(value); returns that value, or on timeout
    fails naming the last value seen."""
    last = None

    def accepted():
        nonlocal last
        last = get()
        return accept(last)

    try:
        wait_for(accepted, timeout, what, interval)
    except TestFailure as failure:
        raise TestFailure(f"{failure} (last seen: {last!r})") from None
    return last


def log(message):
    print(f"e2e: {message}", flush=True)


def windows_path(path):
    # Wine maps the whole Unix file system to drive Z:.
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"n": "\n", "r": "\r", "t": "\t"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def fields(line):
    result = {}
    for field in line.split("\t"):
        key, _, value = field.partition("=")
        result[key] = unescape(value)
    return result


class Wine:
    """Runs Windows programs through the project's wine-exec.sh.

    Output goes to files, never to pipes: Wine's own background processes can
    inherit a pipe and keep it open long after the program has ended.
    """

    def __init__(self, wine_exec, work_dir):
        self.wine_exec = wine_exec
        self.work_dir = work_dir
        self.stderr = open(work_dir / "wine-stderr.log", "wb")
        self.calls = 0

    def start(self, program, *args, stdout=subprocess.DEVNULL):
        return subprocess.Popen(["sh", self.wine_exec, str(program), *map(str, args)],
                                stdin=subprocess.DEVNULL, stdout=stdout, stderr=self.stderr)

    def run(self, program, *args, timeout=30):
        self.calls += 1
        out_path = self.work_dir / f"out-{self.calls}.txt"
        with open(out_path, "wb") as out:
            process = self.start(program, *args, stdout=out)
            try:
                code = process.wait(timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
                raise TestFailure(f"{Path(program).name} {' '.join(map(str, args))} did not end "
                                  f"within {timeout} s")
        text = out_path.read_bytes().decode("utf-8")
        out_path.unlink()
        return code, text


class Probe:
    def __init__(self, wine, exe):
        self.wine = wine
        self.exe = exe

    def call(self, *args, accept=(0,)):
        code, text = self.wine.run(self.exe, *args)
        if code not in accept:
            raise TestFailure(f"probe {' '.join(map(str, args))} failed with exit code {code}: "
                              f"{text.strip()}")
        return code, text

    def values(self, *args):
        _, text = self.call(*args)
        result = {}
        for line in text.splitlines():
            result.update(fields(line))
        return result

    def children(self):
        _, text = self.call("children")
        return {int(f["id"]): f for f in map(fields, text.splitlines())}

    def text(self, control_id):
        return self.values("gettext", control_id)["text"]

    def window_exists(self):
        code, _ = self.call("wait-window", 0, accept=(0, 1))
        return code == 0


class Session:
    """What one test has started, so that it can all be ended afterwards."""

    def __init__(self, args, work_dir):
        self.args = args
        self.work_dir = work_dir
        self.wine = Wine(args.wine_exec, self.work_dir)
        self.probe = Probe(self.wine, args.probe)
        self.cleanups = []
        self.held_keys = []

    def on_cleanup(self, action):
        self.cleanups.append(action)

    def key_down(self, key):
        xdotool("keydown", key)
        self.held_keys.append(key)

    def key_up(self, key):
        xdotool("keyup", key)
        self.held_keys.remove(key)

    def close(self):
        problems = []
        for key in list(self.held_keys):
            try:
                self.key_up(key)
            except Exception as error:  # pylint: disable=broad-except
                problems.append(f"releasing {key}: {error}")
        for action in reversed(self.cleanups):
            try:
                action()
            except Exception as error:  # pylint: disable=broad-except
                problems.append(str(error))
        self.wine.stderr.close()
        return problems


def xdotool(*args):
    result = subprocess.run(["xdotool", *map(str, args)], stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=15)
    if result.returncode != 0:
        raise TestFailure(f"xdotool {' '.join(map(str, args))} failed: {result.stderr.strip()}")
    return result.stdout


def end_windows_process(session, process, pid):
    """Ends a Wine process this test started: TerminateProcess by its Windows
    pid, then, if its Unix side still runs, a signal to that."""
    if process.poll() is not None:
        return
    if pid is not None:
        session.probe.call("kill", pid, accept=(0, 4))
    try:
        process.wait(10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


class Clicker:
    """The program under test, started through launch.exe."""

    def __init__(self, session):
        check(not session.probe.window_exists(),
              "a clicker window is open already, not started by this test")
        self.session = session
        self.pid = None
        self.out_path = session.work_dir / "launch.out"
        self.out = open(self.out_path, "wb")
        started = time.monotonic()
        self.launcher = session.wine.start(session.args.launch, session.args.launch_clicker_path,
                                           stdout=self.out)
        session.on_cleanup(self.end)
        self.pid = wait_for(self._pid, 20, "launch.exe to start the clicker")
        info = session.probe.values("wait-window", 15000)
        check(int(info["pid"]) == self.pid,
              f"the window belongs to process {info['pid']}, the clicker is {self.pid}")
        wait_for(lambda: session.probe.values("exstyle")["visible"] == "1", 10,
                 "the window to be shown")
        log(f"clicker (pid {self.pid}) shown after {time.monotonic() - started:.2f} s")

    def _lines(self):
        return self.out_path.read_text(encoding="utf-8", errors="replace").splitlines()

    def _pid(self):
        for line in self._lines():
            if line.startswith("pid: "):
                return int(line[5:])
        check(self.launcher.poll() is None,
              f"launch.exe ended early: {' / '.join(self._lines())}")
        return None

    def exit_code(self, timeout):
        try:
            self.launcher.wait(timeout)
        except subprocess.TimeoutExpired:
            raise TestFailure(f"the clicker did not end within {timeout} s") from None
        for line in self._lines():
            if line.startswith("exit code: "):
                return int(line[11:])
        raise TestFailure(f"launch.exe reported no exit code: {' / '.join(self._lines())}")

    def end(self):
        end_windows_process(self.session, self.launcher, self.pid)
        # launch.exe ends by itself once the clicker has.
        self.out.close()

    def x_window(self, rect):
        """The clicker's X window, to give it the X input focus.

        The ASCII part of the title finds it (matching the Chinese part is not
        needed, and `xdotool search --pid` would need the Unix pid, which
        launch.exe does not know). Without a window manager the X window has
        exactly the Windows window rectangle, which picks out the right one.
        """
        found = []
        for window in xdotool("search", "--onlyvisible", "--name", "Quarnel").split():
            geometry = dict(line.split("=", 1)
                            for line in xdotool("getwindowgeometry", "--shell", window).split())
            if (int(geometry["X"]), int(geometry["Y"]), int(geometry["WIDTH"]),
                    int(geometry["HEIGHT"])) == rect:
                found.append(window)
        check(len(found) == 1, f"expected one X window at {rect}, found {found}")
        return found[0]

    def focus(self):
        """Gives the clicker the X input focus: Wine then makes it the active
        window, its keys go to it, and GetAsyncKeyState sees keys at all."""
        rect = self.rect()
        window = self.x_window((rect["left"], rect["top"], rect["right"] - rect["left"],
                                rect["bottom"] - rect["top"]))
        xdotool("windowfocus", window)
        wait_for(lambda: xdotool("getwindowfocus").strip() == window, 5, "the X focus")
        wait_for(lambda: self.session.probe.values("focus")["active"] == "1", 5,
                 "the clicker to become the active window")

    def rect(self):
        return {k: int(v) for k, v in self.session.probe.values("rect").items()}

    def control_centre(self, control_id):
        rect = self.rect()
        child = self.session.probe.children()[control_id]
        return (rect["client_left"] + int(child["left"]) + int(child["width"]) // 2,
                rect["client_top"] + int(child["top"]) + int(child["height"]) // 2)

    def type_into_edit(self, text):
        """Types into the interval box as a user would: a real click into it,
        then keys."""
        x, y = self.control_centre(EDIT_ID)
        xdotool("mousemove", x, y, "click", "1")
        wait_value(lambda: self.session.probe.values("focus")["focus_id"], lambda f: f == str(EDIT_ID),
                   5, "the interval box to take the focus")
        xdotool("type", "--delay", "30", "--", text)


class ClickTarget:
    def __init__(self, session, rect=TARGET_RECT):
        self.session = session
        self.pid = None
        self.log_path = session.work_dir / "clicks.log"
        if self.log_path.exists():
            self.log_path.unlink()
        self.process = session.wine.start(session.args.click_target, windows_path(self.log_path),
                                          *rect)
        session.on_cleanup(self.end)
        self.pid = wait_for(self._ready_pid, 20, "the click target to be ready")

    def _lines(self):
        if not self.log_path.exists():
            return []
        data = self.log_path.read_text(encoding="ascii")
        # Only whole lines: the target may be halfway through writing one.
        return data.split("\n")[:-1]

    def _ready_pid(self):
        lines = self._lines()
        check(self.process.poll() is None, "the click target ended early")
        if lines and lines[0].startswith("ready pid="):
            return int(lines[0][len("ready pid="):])
        return None

    def events(self):
        """(kind, time in µs, x, y) for every press ("down") and release ("up")."""
        result = []
        for line in self._lines()[1:]:
            kind, micros, x, y = line.split()
            result.append((kind, int(micros), int(x), int(y)))
        return result

    def presses(self):
        return [e for e in self.events() if e[0] == "down"]

    def end(self):
        end_windows_process(self.session, self.process, self.pid)


def put_pointer_on_target():
    xdotool("mousemove", *TARGET_POINT)
    wait_for(lambda: xdotool("getmouselocation", "--shell").split()[:2]
             == [f"X={TARGET_POINT[0]}", f"Y={TARGET_POINT[1]}"], 5, "the pointer to move")


def wait_for_presses(target, count, timeout):
    return wait_for(lambda: len(target.presses()) >= count, timeout, f"{count} presses in the target")


def check_clicks(target, interval_ms, count):
    """Waits for `count` clicks and checks them: each a press followed by its
    release at the pointer, and presses `interval_ms` apart on average."""
    # The press after the last one checked: by then that one's release is in.
    wait_for_presses(target, count + 1, 5 + (count + 1) * interval_ms / 1000 * 2)
    events = target.events()[:2 * count]
    for i in range(0, len(events), 2):
        press, release = events[i], events[i + 1]
        check(press[0] == "down" and release[0] == "up",
              f"events {i} and {i + 1} are {press[0]}, {release[0]}: not a press then a release")
        check(press[2:] == TARGET_POINT and release[2:] == TARGET_POINT,
              f"click {i // 2} at {press[2:]}/{release[2:]}, the pointer is at {TARGET_POINT}")
        held_ms = (release[1] - press[1]) / 1000
        check(0 <= held_ms < interval_ms / 2,
              f"click {i // 2} released {held_ms:.1f} ms after its press")
    press_times = [e[1] for e in events if e[0] == "down"]
    gaps = [(b - a) / 1000 for a, b in zip(press_times, press_times[1:])]
    mean = statistics.mean(gaps)
    log(f"{count} clicks at {interval_ms} ms: mean {mean:.2f} ms, sd {statistics.pstdev(gaps):.2f}, "
        f"min {min(gaps):.2f}, max {max(gaps):.2f}")
    # Windows rounds timers up to its tick (about 15.6 ms), Wine does not.
    check(abs(mean - interval_ms) <= 0.3 * interval_ms,
          f"mean interval {mean:.2f} ms, expected about {interval_ms} ms")


def wait_for_quiet(target, quiet_s, timeout):
    """Waits until no press has arrived for quiet_s; returns the monotonic time
    at which the last press was seen."""
    last_count = len(target.presses())
    last_change = time.monotonic()

    def quiet():
        nonlocal last_count, last_change
        count = len(target.presses())
        if count != last_count:
            last_count, last_change = count, time.monotonic()
        return time.monotonic() - last_change >= quiet_s

    wait_for(quiet, timeout, f"no press for {quiet_s} s")
    return last_change


def check_no_new_presses(target, duration_s, what):
    before = len(target.presses())
    deadline = time.monotonic() + duration_s
    while time.monotonic() < deadline:
        check(len(target.presses()) == before,
              f"{len(target.presses()) - before} press(es) arrived {what}")
        time.sleep(0.05)


def stop_with_f2(session, target):
    pressed_at = time.monotonic()
    session.key_down("F2")
    last_press = wait_for_quiet(target, 1.5, 10)
    session.key_up("F2")
    latency = max(0.0, last_press - pressed_at)
    log(f"F2: the last press came {latency:.2f} s after the key went down")
    # The key is seen at the next poll, and one click may already be under way.
    check(latency <= KEY_POLL_S + 1.0, f"clicking went on for {latency:.2f} s after F2")
    check_no_new_presses(target, 2.0, "after F2 stopped the clicking")
    events = target.events()
    presses = sum(1 for e in events if e[0] == "down")
    check(presses == len(events) - presses,
          f"{presses} presses but {len(events) - presses} releases")


def start_session_with_target(session):
    target = ClickTarget(session)
    put_pointer_on_target()
    return target


def test_window_appears(session):
    probe = session.probe
    screen = probe.values("screen")
    check((int(screen["width"]), int(screen["height"])) == SCREEN,
          f"the test display is {screen['width']}x{screen['height']}, expected {SCREEN}")
    clicker = Clicker(session)
    rect = clicker.rect()
    left, top = (SCREEN[0] - WINDOW_SIZE[0]) // 2, (SCREEN[1] - WINDOW_SIZE[1]) // 2
    expected = (left, top, left + WINDOW_SIZE[0], top + WINDOW_SIZE[1])
    got = (rect["left"], rect["top"], rect["right"], rect["bottom"])
    check(got == expected, f"window rectangle {got}, expected {expected}")
    check(probe.values("exstyle")["topmost"] == "1", "the window is not topmost")

    focus = wait_value(lambda: probe.values("focus"), lambda f: f["focus_id"] == str(START_ID), 5,
                       "the Start button to have the focus")
    check(focus["focus_class"] == "Button", f"the focus is on a {focus['focus_class']}")
    check(probe.text(EDIT_ID) == "", f"the interval box holds {probe.text(EDIT_ID)!r}")

    children = probe.children()
    problems = []
    expected_ids = {c[0] for c in EXPECTED_CONTROLS}
    if set(children) != expected_ids:
        problems.append(f"control ids {sorted(children)}, expected {sorted(expected_ids)}")
    for control_id, cls, place, visible, text in EXPECTED_CONTROLS:
        child = children.get(control_id)
        if child is None:
            continue
        got_place = tuple(int(child[k]) for k in ("left", "top", "width", "height"))
        got = (child["class"], got_place, child["visible"] == "1", child["text"])
        if got != (cls, place, visible, text):
            problems.append(f"control {control_id}: {got}, expected {(cls, place, visible, text)}")
    check(not problems, "; ".join(problems))


# Typed keys and what the interval box then shows: only digits and '-' get in.
TYPING_CASES = [
    ("250", "250"),
    ("1a2b3", "123"),
    ("-40", "-40"),
    ("4 .x,5", "45"),
]


def test_edit_takes_digits_and_minus(session):
    clicker = Clicker(session)
    clicker.focus()
    problems = []
    for typed, shown in TYPING_CASES:
        session.probe.call("settext", EDIT_ID, "")
        # A last digit, accepted in any case, shows when every key before it
        # has been handled.
        clicker.type_into_edit(typed + "9")
        text = wait_value(lambda: session.probe.text(EDIT_ID), lambda t: t.endswith("9"), 5,
                          f"the typed {typed!r} to arrive")
        if text != shown + "9":
            problems.append(f"typed {typed!r}, the box shows {text[:-1]!r}, expected {shown!r}")
    check(not problems, "; ".join(problems))


def test_start_button_clicks(session):
    target = start_session_with_target(session)
    clicker = Clicker(session)
    clicker.focus()
    clicker.type_into_edit("200")
    wait_value(lambda: session.probe.text(EDIT_ID), lambda t: t == "200", 5,
               "the interval box to show 200")
    check(not target.presses(), "the target got presses before Start")
    # A real click on Start, and the pointer back over the target well before
    # the first click is due, in one go. (`click` would wait 100 ms after the
    # release before the next command.)
    button = clicker.control_centre(START_ID)
    xdotool("mousemove", *button, "mousedown", "1", "mouseup", "1", "mousemove", *TARGET_POINT)
    started = time.monotonic()
    wait_for_presses(target, 1, 5)
    log(f"the first press came {time.monotonic() - started:.2f} s after Start")
    check_clicks(target, 200, 10)
    stop_with_f2(session, target)


def test_f1_starts_f2_stops(session):
    target = start_session_with_target(session)
    clicker = Clicker(session)
    session.probe.call("settext", EDIT_ID, "100")
    clicker.focus()
    check(not target.presses(), "the target got presses before F1")
    pressed_at = time.monotonic()
    session.key_down("F1")
    wait_for_presses(target, 1, KEY_POLL_S + 3)
    latency = time.monotonic() - pressed_at
    session.key_up("F1")
    log(f"F1: the first press came {latency:.2f} s after the key went down")
    check(latency <= KEY_POLL_S + 1.0, f"the first press came {latency:.2f} s after F1")
    check_clicks(target, 100, 10)
    stop_with_f2(session, target)


def test_esc_exits_zero(session):
    target = start_session_with_target(session)
    clicker = Clicker(session)
    session.probe.call("settext", EDIT_ID, "100")
    session.probe.call("click", START_ID)
    wait_for_presses(target, 3, 5)
    clicker.focus()
    # Still clicking with the keyboard focus in the clicker.
    before = len(target.presses())
    wait_for_presses(target, before + 2, 5)
    xdotool("key", "Escape")
    gone_us = int(session.probe.values("gone", 5000)["gone_us"])
    code = clicker.exit_code(10)
    check(code == 0, f"exit code {code} after Esc")
    # A click sent just before the window went can still be on its way.
    check_no_new_presses(target, 1.0, "after the clicker had ended")
    presses = target.presses()
    late = [e for e in presses if e[1] > gone_us + 30_000]
    check(not late, f"presses after the window was gone: {late} (gone at {gone_us} µs)")
    # Both times come from the same clock, and the clicking went on until Esc.
    last_before_ms = (gone_us - presses[-1][1]) / 1000
    check(0 <= last_before_ms <= 1000,
          f"the last press came {last_before_ms:.0f} ms before the window was seen gone")
    log(f"Esc: {len(presses)} presses in all, the last {last_before_ms:.0f} ms before the window "
        "was seen gone, none after")


def test_close_box_exits_zero(session):
    clicker = Clicker(session)
    rect = clicker.rect()
    close_box = session.probe.values("find-hit", HTCLOSE)
    x, y = int(close_box["x"]), int(close_box["y"])
    check(x > (rect["left"] + rect["right"]) // 2 and y < rect["client_top"],
          f"the close box is at ({x}, {y}), not in the caption's right half")
    xdotool("mousemove", x, y, "click", "1")
    session.probe.call("gone", 5000)
    code = clicker.exit_code(10)
    check(code == 0, f"exit code {code} after the close box")


TESTS = {name[len("test_"):]: test for name, test in globals().items() if name.startswith("test_")}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--wine-exec", required=True)
    parser.add_argument("--clicker", required=True, type=Path)
    parser.add_argument("--click-target", required=True, type=Path)
    parser.add_argument("--launch", required=True, type=Path)
    parser.add_argument("--probe", required=True, type=Path)
    parser.add_argument("--work-dir", required=True, type=Path)
    parser.add_argument("tests", nargs="+", choices=sorted(TESTS))
    args = parser.parse_args()
    for variable in ("DISPLAY", "WINEPREFIX"):
        if not os.environ.get(variable):
            print(f"e2e: {variable} is not set; run the tests through tools/test.sh", file=sys.stderr)
            return 2
    args.launch_clicker_path = windows_path(args.clicker)

    # Ended from outside (Ctrl-C, a kill): still end what the test started.
    def interrupted(signum, _frame):
        raise TestFailure(f"interrupted by signal {signum}")

    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGINT, interrupted)

    failed = 0
    for name in args.tests:
        work_dir = args.work_dir / name
        work_dir.mkdir(parents=True, exist_ok=True)
        session = Session(args, work_dir)
        started = time.monotonic()
        error = None
        try:
            TESTS[name](session)
        except TestFailure as failure:
            error = str(failure)
        except Exception:  # pylint: disable=broad-except
            error = traceback.format_exc()
        problems = session.close()
        if error is None and problems:
            error = "cleaning up: " + "; ".join(problems)
        elapsed = time.monotonic() - started
        if error is None:
            log(f"PASS {name} ({elapsed:.1f} s)")
        else:
            failed += 1
            log(f"FAIL {name} ({elapsed:.1f} s): {error}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
