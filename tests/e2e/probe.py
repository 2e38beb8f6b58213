"""zelt-probe.exe from the bench: what a running zelt shows, read through the window system
rather than guessed from pixels (control places, texts, states, focus, message boxes)."""

from __future__ import annotations

import json

import bench

PROBE_EXE = (bench.MINGW_DIR / "zelt-probe.exe").resolve()

# Control ids as zelt numbers them, and the names the probe reports.
CONTROLS = ("portList", "lineSettingsBox", "portLabel", "settingsLabel", "runMinimizedBox", "panelButton", "onTopBox", "indicatorTarget", "indicator")


def window(the_bench: bench.Bench) -> dict | None:
    """The main window and its controls, or None while zelt has no window."""
    rc, out, _ = the_bench.wine(PROBE_EXE, "window", name="probe")
    return json.loads(out) if rc == 0 and out.strip() else None


def wait_window(the_bench: bench.Bench, condition, timeout: float = 20.0) -> dict:
    """Polls until condition(window) holds; returns that window, or fails with the last one seen."""
    seen = None
    for _ in bench._deadline_loop(timeout, 0.05):
        seen = window(the_bench)
        if seen is not None and condition(seen):
            return seen
    raise bench.BenchError(f"zelt's window never met the condition; last seen: {seen}")


class WindowWaits:
    """For test cases: waits on zelt's window, failing the test with the window as last seen."""

    def wait_window(self, condition, what: str, timeout: float = 20.0) -> dict:
        try:
            return wait_window(self.bench, condition, timeout)
        except bench.BenchError as error:
            self.fail(f"{what}: {error}")

    def wait_started(self) -> dict:
        """The window as start-up left it: shown, with the click target moved onto the indicator."""
        return self.wait_window(
            lambda w: w["visible"] and w["controls"]["indicatorTarget"]["rect"] == w["controls"]["indicator"]["rect"],
            "zelt did not finish starting")


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
