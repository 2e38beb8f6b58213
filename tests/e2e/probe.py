"""zelt-probe.exe from the bench: what a running zelt shows, read through the window system
rather than guessed from pixels (control places, texts, states, focus, message boxes), and what it
tells a screen reader (Microsoft Active Accessibility objects and their value-change events)."""

from __future__ import annotations

import json
import subprocess

import bench

PROBE_EXE = (bench.MINGW_DIR / "zelt-probe.exe").resolve()

# Control ids as zelt numbers them, and the names the probe reports.
CONTROLS = ("portList", "lineSettingsBox", "portLabel", "settingsLabel", "runMinimizedBox", "panelButton", "onTopBox", "indicator")


def window(the_bench: bench.Bench) -> dict | None:
    """The main window and its controls, or None while zelt has no window."""
    rc, out, _ = the_bench.wine(PROBE_EXE, "window", name="probe")
    return json.loads(out) if rc == 0 and out.strip() else None


def _wait(read, condition, what: str, timeout: float) -> dict:
    """Polls read() until what it returns is there and meets condition; returns it, or fails with
    the last one seen."""
    seen = None
    for _ in bench._deadline_loop(timeout, 0.05):
        seen = read()
        if seen is not None and condition(seen):
            return seen
    raise bench.BenchError(f"{what} never met the condition; last seen: {seen}")


def wait_window(the_bench: bench.Bench, condition, timeout: float = 20.0) -> dict:
    """Polls until condition(window) holds; returns that window, or fails with the last one seen."""
    return _wait(lambda: window(the_bench), condition, "zelt's window", timeout)


class WindowWaits:
    """For test cases: waits on zelt's window, failing the test with the window as last seen."""

    def wait_window(self, condition, what: str, timeout: float = 20.0) -> dict:
        try:
            return wait_window(self.bench, condition, timeout)
        except bench.BenchError as error:
            self.fail(f"{what}: {error}")

    def wait_started(self) -> dict:
        """The window as start-up left it: shown, with its controls."""
        return self.wait_window(lambda w: w["visible"] and "indicator" in w["controls"], "zelt did not finish starting")


def dialogs(the_bench: bench.Bench) -> list[dict]:
    """The message boxes zelt's thread shows: title, text, buttons and whether there is an icon."""
    rc, out, _ = the_bench.wine(PROBE_EXE, "dialogs", name="probe")
    return json.loads(out) if rc == 0 and out.strip() else []


def wait_dialog(the_bench: bench.Bench, timeout: float = 20.0) -> dict:
    for _ in bench._deadline_loop(timeout, 0.05):
        shown = dialogs(the_bench)
        if shown:
            return shown[0]
    raise bench.BenchError("no message box appeared")


def press_ok(the_bench: bench.Bench) -> bool:
    rc, _, _ = the_bench.wine(PROBE_EXE, "ok", name="probe")
    return rc == 0


# Microsoft Active Accessibility's numbers, as the probe reports them.
OBJID_CLIENT = -4
CHILDID_SELF = 0
ROLE_SYSTEM_PUSHBUTTON = 0x2B


def accessible(the_bench: bench.Bench) -> dict:
    """Every control's accessible object (name, value, role, state, defaultAction), and the object
    found at the indicator's centre ("atIndicator"), as a screen reader reads them."""
    rc, out, err = the_bench.wine(PROBE_EXE, "accessible", name="probe-accessible")
    if rc != 0 or not out.strip():
        raise bench.BenchError(f"zelt-probe accessible failed with {rc}: {err[-2000:]}")
    return json.loads(out)


def default_action(the_bench: bench.Bench, control: str) -> bool:
    """Carries out the default action of a control's accessible object, as a screen reader does."""
    rc, _, _ = the_bench.wine(PROBE_EXE, "default-action", control, name="probe-default-action")
    return rc == 0


class EventListener:
    """zelt-probe listening, out of context, for the value changes zelt's process raises while a
    test runs, each with the value its object told when the event arrived. Use it as a context
    manager: it is listening when the block starts and stopped when it ends."""

    READY_DEADLINE = 30.0

    def __init__(self, the_bench: bench.Bench, longest: float = 300.0):
        self.bench = the_bench
        self.longest = longest
        self._out, self._err = the_bench._next_log("probe-events")
        self._stop = self._out.with_suffix(".stop")
        self._process: subprocess.Popen | None = None

    def __enter__(self) -> EventListener:
        with open(self._out, "wb") as out, open(self._err, "wb") as err:
            # Output to files: Wine's services inherit pipes and would hold them open.
            self._process = self.bench.popen(
                ["wine", str(PROBE_EXE), "events", "--until", bench.windows_path(self._stop), "--for",
                 str(self.longest)], stdout=out, stderr=err)
        for _ in bench._deadline_loop(self.READY_DEADLINE, 0.02):
            if any(line.get("ready") for line in self._lines()):
                return self
            if self._process.poll() is not None:
                break
        self.__exit__(None, None, None)
        raise bench.BenchError(f"the event listener did not start: {self._err.read_text(errors='replace')[-2000:]}")

    def __exit__(self, *exc):
        if self._process is None:
            return
        self._stop.write_bytes(b"")
        try:
            self._process.wait(30)
        except subprocess.TimeoutExpired:
            self._process.kill()
            self._process.wait(10)
        self._process = None

    def _lines(self) -> list[dict]:
        lines = []
        for text in self._out.read_text(errors="replace").splitlines():
            try:
                lines.append(json.loads(text))
            except json.JSONDecodeError:
                break  # a line still being written
        return lines

    def events(self) -> list[dict]:
        return [line for line in self._lines() if "event" in line]

    def wait_events(self, count: int, timeout: float = 10.0) -> list[dict]:
        """Waits until at least count events have arrived (or the deadline passes); returns all."""
        seen = []
        for _ in bench._deadline_loop(timeout, 0.02):
            seen = self.events()
            if len(seen) >= count:
                break
        return seen


# -- the system menu's extras and the event log window ---------------------------------------------
# The ids of zelt's items in its system menu (app/win32_system_menu.cpp).
MENU_TRANSMIT = 0x1010
MENU_EVENT_LOG = 0x1020
MENU_ABOUT = 0x1030
MENU_SOUND = 0x1040
MENU_UNKEY_HOTKEY = 0x1050
MENU_LIMITS = {0: 0x1100, 60: 0x1110, 180: 0x1120, 300: 0x1130, 600: 0x1140}  # seconds: id

EVENT_STAMP = r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} "  # what starts every line of the log


def syscommand(the_bench: bench.Bench, item: int) -> bool:
    """Chooses an item of zelt's system menu, as the menu itself does (a posted WM_SYSCOMMAND)."""
    rc, _, _ = the_bench.wine(PROBE_EXE, "syscommand", hex(item), name="probe")
    return rc == 0


def show(the_bench: bench.Bench, command: int) -> bool:
    """Shows zelt's window with a show command (SW_*) from outside, as another program may."""
    rc, _, _ = the_bench.wine(PROBE_EXE, "show", str(command), name="probe")
    return rc == 0


def event_log(the_bench: bench.Bench) -> dict | None:
    """The event log window (title, place, lines oldest first), or None while it is closed."""
    rc, out, _ = the_bench.wine(PROBE_EXE, "eventlog", name="probe")
    return json.loads(out) if rc == 0 and out.strip() else None


def wait_event_log(the_bench: bench.Bench, condition, timeout: float = 20.0) -> dict:
    return _wait(lambda: event_log(the_bench), condition, "the event log window", timeout)


def press_in_event_log(the_bench: bench.Bench, button: str) -> bool:
    rc, _, _ = the_bench.wine(PROBE_EXE, "eventlog-press", button, name="probe")
    return rc == 0


def close_event_log(the_bench: bench.Bench) -> bool:
    rc, _, _ = the_bench.wine(PROBE_EXE, "eventlog-close", name="probe")
    return rc == 0


def clipboard(the_bench: bench.Bench) -> str | None:
    rc, out, _ = the_bench.wine(PROBE_EXE, "clipboard", name="probe")
    return json.loads(out) if rc == 0 and out.strip() else None
