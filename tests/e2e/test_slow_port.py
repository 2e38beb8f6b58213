"""A serial port that is slow to open, or fails late, as a Bluetooth port out of range does.

zelt-slow-open.exe is zelt with one difference: each open of a COM port first waits, inside zelt's
own process, the milliseconds that a file of the test's says ("fail" after them fails the open
then). zelt starts on a fast port; a test slows the opens that come after. Meanwhile the window and
the host are answered, requests fail at once and never go out later, an unkey owed goes out as the
open ends, and the end of the program, of the session, and sleep wait only a bounded time.
"""

from __future__ import annotations

import time
import unittest

import bench
import probe
from bench import GREEN, PTT_OFF, PTT_ON, RED, SHAPE1_CENTRE
from test_faults import EXIT_DEADLINE, RESPONSIVE_DEADLINE, FaultTestCase
from test_startup import line_settings, scramble_line

OPENED = "COM1 opened (4800,n,8,2)"
STILL_OPENING = "failed: the port is still opening [code 8018]"
TYPED_KEYS = ("9", "6", "0", "0", "comma", "n", "comma", "8", "comma", "1")


class SlowPortCase(FaultTestCase):
    def setUp(self):
        super().setUp()
        self.delay_file = self.bench.run_dir / "open-delay"
        self.delay_file.write_text("")
        self.start_logging_zelt("slow-port", exe=bench.SLOW_OPEN_EXE,
                                env={"ZELT_OPEN_DELAY_FILE": bench.windows_path(self.delay_file)})
        self.wait_logged(OPENED)

    def slow_opens(self, milliseconds: int, fail: bool = False):
        """Every open from now on takes this long (and then fails)."""
        self.delay_file.write_text(f"{milliseconds}{' fail' if fail else ''}")

    def tell(self, *event: str) -> float:
        """Delivers a system notification; returns how long its last message took, in seconds."""
        rc, out, _ = self.wine_in_time(probe.PROBE_EXE, *event, deadline=RESPONSIVE_DEADLINE, what=" ".join(event))
        self.assertEqual(rc, 0, f"zelt-probe {' '.join(event)}: {out}")
        return float(out.split()[-1]) / 1000

    def reopen_slowly(self, milliseconds: int):
        """A wake from sleep has the port opened afresh; that open takes this long."""
        self.slow_opens(milliseconds)
        self.tell("resume")
        self.assertIn("the machine woke up", self.logged())

    def key(self):
        self.send_in_time(0, 1)
        self.assertRadio(1, PTT_ON)
        self.assertIndicator(RED)
        self.bench.radio(1).clear()

    def opens(self) -> int:
        return sum(line.startswith("COM1 opened") for line in self.logged())


class WhileThePortOpens(SlowPortCase):
    def test_requests_fail_at_once_and_never_go_out_later(self):
        self.reopen_slowly(4000)
        round_trip = self.send_in_time(0, 1)
        answer = self.assertResponsive()
        measured = self.bench.host("--bench", "20")
        self.assertSent(measured)
        self.bench.click_twips(*SHAPE1_CENTRE)
        self.assertResponsive()
        # All of it while the port was still opening: each request failed so, writing nothing.
        self.assertEqual(self.opens(), 1, "the open ended before the checks did: the machine is too slow")
        self.assertIn(f"host: request 0, state 1: {STILL_OPENING}", self.logged())
        self.assertGreaterEqual(sum(line.endswith(STILL_OPENING) for line in self.logged()), 22)
        self.assertRadioQuiet()
        self.assertIndicatorStays(GREEN)
        self.bench.log(f"during a 4 s open: request round trip {round_trip:.2f} s, window answers in {answer:.2f} s, "
                       f"{measured.stdout.strip()}")
        self.assertLess(round_trip, 2.0)
        self.assertLess(answer, 2.0)
        self.wait_logged(OPENED, 2)
        self.assertResponsive()
        self.assertRadioQuiet()
        self.assertRequestsWork(1, 0)

    def test_an_unkey_that_failed_goes_out_as_the_open_ends(self):
        self.key()
        self.reopen_slowly(3000)
        self.send_in_time(0, 1)
        self.send_in_time(0, 0)
        self.assertIn(f"host: request 0, state 0: {STILL_OPENING}", self.logged())
        self.assertRadioQuiet()
        self.assertIndicatorStays(RED)
        # The unkey, and not the key that failed before it.
        self.wait_logged(OPENED, 2)
        self.assertRadio(1, PTT_OFF)
        self.assertIndicator(GREEN)
        self.assertIn("unkey that could not be delivered before: wrote 00 00 00 00 0F", self.logged())
        self.bench.radio(1).clear()
        self.assertRequestsWork(1, 0)


class ChangesOverASlowPort(SlowPortCase):
    def test_typing_opens_only_the_newest_settings(self):
        scramble_line(self, self.bench, 1)
        self.enter_settings_box()
        opens = self.opens()
        self.slow_opens(800)
        started = time.monotonic()
        self.bench.key("ctrl+a", "BackSpace", *TYPED_KEYS)
        self.wait_window(lambda w: w["controls"]["lineSettingsBox"]["text"] == "9600,n,8,1",
                         "the box never showed what was typed")
        shown = time.monotonic() - started
        for _ in bench._deadline_loop(10.0, 0.1):
            if self.bench.reg_get("Com", "Settings") == "9600,n,8,1":
                break
        self.assertEqual(self.bench.reg_get("Com", "Settings"), "9600,n,8,1")
        self.wait_logged("COM1 opened (9600,n,8,1)")
        self.assertResponsive()
        lines = [line for line in self.logged() if line.startswith("COM1 opened")][opens:]
        self.bench.log(f"typed over a 0.8 s open: the box showed the text after {shown:.2f} s; opens: {lines}")
        # Eleven changes, each applied and stored; an 0.8 s open each would take 8.8 s.
        self.assertLess(shown, 8.0)
        self.assertLessEqual(len(lines), 4, lines)
        self.assertEqual(lines[-1], "COM1 opened (9600,n,8,1)")
        # Each open tells the settings it was made with, the ones no longer wanted too.
        for line in lines:
            self.assertRegex(line, r"^COM1 opened \(\d+,[a-z],\d,[\d.]+\)( and closed again: no longer wanted)?$")
        self.assertEqual(line_settings(self.bench, 1), (9600, "n", 8, 1))
        self.slow_opens(0)
        self.assertRequestsWork(1, 0)

    def test_moving_away_while_keyed_unkeys_the_old_radio_as_its_open_ends(self):
        self.key()
        self.reopen_slowly(6000)
        self.expand()
        self.bench.key("alt+p")
        self.wait_focus("portList")
        self.bench.key("Down")
        self.wait_logged("unkey before the move to COM2: waits for COM1 to open")
        self.assertEqual(self.opens(), 1, "the open ended before the move: the machine is too slow")
        self.assertIndicatorStays(RED)
        # The unkey goes to the radio that was keyed, on its own port, before that port is closed.
        self.wait_logged("COM1 opened (4800,n,8,2) and closed again: no longer wanted")
        self.assertRadio(1, PTT_OFF)
        self.assertIndicator(GREEN)
        self.bench.radio(1).clear()
        lines = self.logged()
        self.assertLess(lines.index("unkey before the move to COM2: wrote 00 00 00 00 0F"),
                        lines.index("COM1 opened (4800,n,8,2) and closed again: no longer wanted"))
        self.wait_logged("COM2 opened (4800,n,8,2)", timeout=15.0)
        self.assertRadioQuiet()
        self.assertIndicatorStays(GREEN)
        self.slow_opens(0)
        self.send_in_time(0, 1)
        self.assertRadio(2, PTT_ON)
        self.assertRadioQuiet(1, 3, 4)

    def test_com_port_error_comes_when_the_open_has_failed(self):
        self.slow_opens(4000, fail=True)
        self.expand()
        self.bench.key("alt+p")
        self.wait_focus("portList")
        started = time.monotonic()
        self.bench.key("Down")
        for _ in bench._deadline_loop(10.0, 0.1):
            if self.bench.reg_get("Com", "ComPort") == "2":
                break
        self.assertEqual(self.bench.reg_get("Com", "ComPort"), "2")
        # The window answers while COM2 opens, and has shown nothing yet.
        self.assertResponsive()
        self.assertNoMessageBox()
        self.assertFalse([line for line in self.logged() if line.startswith("COM2 could not be opened")])
        self.assertIn("COM1 closed", self.logged())
        box = probe.wait_dialog(self.bench)
        shown = time.monotonic() - started
        self.assertEqual(box["text"], "Com port error")
        self.assertTrue([line for line in self.logged() if line.startswith("COM2 could not be opened")])
        self.assertGreater(shown, 3.5)
        self.assertTrue(probe.press_ok(self.bench))
        self.wait_window(lambda w: not probe.dialogs(self.bench), "the message box stayed")
        # The port is closed now: a request fails, and has it opened for the next one.
        self.slow_opens(0)
        self.request_reopens_the_port(1, number=2)
        self.send_in_time(0, 1)
        self.assertRadio(2, PTT_ON)
        self.assertIndicator(RED)
        self.send_in_time(0, 0)
        self.assertRadio(2, PTT_ON + PTT_OFF)
        self.assertRadioQuiet(1, 3, 4)


class EndingDuringAnOpen(SlowPortCase):
    def close_during_open(self, milliseconds: int) -> tuple[float, bool]:
        """A close request while the port takes this long to open; returns how long zelt took to
        exit, and whether its window had gone while it still ran."""
        self.reopen_slowly(milliseconds)
        started = time.monotonic()
        self.assertSent(self.bench.send(1, 0))
        window_first = False
        while self.bench.zelt_running() and time.monotonic() - started < EXIT_DEADLINE:
            window_first = window_first or (self.bench.host("--info", timeout=30).returncode == 2
                                            and self.bench.zelt_running())
        self.assertEqual(self.bench.wait_zelt_exit(EXIT_DEADLINE), 0, self.bench.zelt_output()[-2000:])
        return time.monotonic() - started, window_first

    def test_a_close_request_with_nothing_owed_ends_zelt_at_once(self):
        gone, _ = self.close_during_open(5000)
        self.bench.log(f"close request during a 5 s open, nothing owed: zelt gone after {gone:.2f} s")
        # Wine takes about 2 s to take the window down, open or no open.
        self.assertLess(gone, 4.0)
        self.assertIn("host: request 1, state 0: closing", self.logged())
        self.assertNotIn("unkey at shut-down: waits for COM1 to open", self.logged())
        self.assertRadioQuiet()

    def test_an_owed_unkey_goes_out_if_the_open_ends_within_three_seconds(self):
        self.key()
        gone, _ = self.close_during_open(1500)
        self.assertRadio(1, PTT_OFF)
        lines = self.logged()
        self.assertLess(lines.index("unkey at shut-down: waits for COM1 to open"),
                        lines.index("unkey at shut-down: wrote 00 00 00 00 0F"))
        self.assertLess(gone, 6.0)
        self.assertRadioQuiet(2, 3, 4)

    def test_an_owed_unkey_is_given_up_after_three_seconds(self):
        self.key()
        gone, window_first = self.close_during_open(8000)
        self.bench.log(f"close request during an 8 s open, unkey owed: zelt gone after {gone:.2f} s")
        self.assertTrue(window_first, "the window stayed until zelt exited")
        self.assertGreater(gone, 2.5)
        self.assertLess(gone, 7.0)
        lines = self.logged()
        self.assertLess(lines.index("unkey at shut-down: waits for COM1 to open"),
                        lines.index("unkey at shut-down: failed: COM1 did not open within 3000 ms [code 8018]"))
        self.assertRadioQuiet()

    def test_the_end_of_the_session_waits_for_an_owed_unkey_at_most_three_seconds(self):
        self.key()
        self.reopen_slowly(8000)
        took = self.tell("end-session")
        self.bench.log(f"end of the session during an 8 s open, unkey owed: WM_ENDSESSION took {took:.2f} s")
        self.assertGreater(took, 2.5)
        self.assertLess(took, 4.0)
        self.assertIn("unkey at session end: failed: COM1 did not open within 3000 ms [code 8018]", self.logged())
        self.assertRadioQuiet()
        self.assertIndicatorStays(RED)
        self.assertZeltRunning()

    def test_the_end_of_the_session_with_nothing_owed_returns_at_once(self):
        self.reopen_slowly(8000)
        took = self.tell("end-session")
        self.assertLess(took, 1.0)
        self.assertRadioQuiet()
        self.assertZeltRunning()


class SleepAndWake(SlowPortCase):
    def test_sleep_during_a_slow_open_returns_in_time_and_the_unkey_follows_the_wake(self):
        self.key()
        self.reopen_slowly(5000)
        took = self.tell("suspend")
        self.bench.log(f"sleep during a 5 s open, radio keyed: PBT_APMSUSPEND took {took:.2f} s")
        self.assertLess(took, 2.0)
        self.assertIn("unkey before sleep: failed: COM1 did not open within 800 ms [code 8018]", self.logged())
        self.assertRadioQuiet()
        self.assertIndicatorStays(RED)
        self.slow_opens(0)
        self.tell("wake-by-user")
        self.assertRadio(1, PTT_OFF)
        self.assertIndicator(GREEN)
        self.bench.radio(1).clear()
        self.assertRequestsWork(1, 0)

    def test_one_wake_opens_the_port_once(self):
        for milliseconds in (0, 1000):
            with self.subTest(open_ms=milliseconds):
                self.tell("suspend")
                opens = self.opens()
                self.slow_opens(milliseconds)
                self.tell("wake-by-user")
                self.wait_logged(OPENED, opens + 1)
                # A second open would still be under way, or would have been logged by now.
                self.bench.radio(1).clear()
                self.assertRequestsWork(1, 0)
                self.assertEqual(self.opens(), opens + 1, self.logged()[-8:])


if __name__ == "__main__":
    unittest.main()
