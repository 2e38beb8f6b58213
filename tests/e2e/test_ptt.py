"""Keying from the host and by hand: what the radio receives and what the indicator shows; the
system menu's extras (Transmit, the transmit time limit, About), and the event log with its window
and its file.

Run as a script with --screenshots to regenerate docs/event-log.png from the real window."""

import re
import sys
import time
import unittest

import bench
import probe
from bench import GREEN, PTT_OFF, PTT_ON, RED, SHAPE1_CENTRE, ZeltTestCase, windows_path

FLOOD = 10_000


class HostRequests(ZeltTestCase):
    def setUp(self):
        super().setUp()
        self.bench.start_zelt()
        self.assertIndicator(GREEN)

    def test_transmit_request_writes_on_block_and_turns_red(self):
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON)
        self.assertIndicator(RED)
        self.assertRadioQuiet(2, 3, 4)

    def test_receive_request_writes_off_block_and_turns_green(self):
        self.assertSent(self.bench.send(0, 0))
        self.assertRadio(1, PTT_OFF)
        self.assertIndicatorStays(GREEN)
        self.assertSent(self.bench.send(0, 1))
        self.assertIndicator(RED)
        self.assertSent(self.bench.send(0, 0))
        self.assertRadio(1, PTT_OFF + PTT_ON + PTT_OFF)
        self.assertIndicator(GREEN)

    def test_two_transmit_requests_write_the_block_twice(self):
        self.assertSent(self.bench.send(0, 1))
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON + PTT_ON)
        self.assertIndicator(RED)

    def test_other_states_write_nothing_and_keep_the_colour(self):
        for colour, written in ((GREEN, b""), (RED, PTT_ON)):
            if colour == RED:
                self.assertSent(self.bench.send(0, 1))
                self.assertIndicator(RED)
            for state in (2, -1):
                with self.subTest(colour=colour, state=state):
                    self.assertSent(self.bench.send(0, state))
                    self.assertRadio(1, written)
                    self.assertRadioQuiet(2, 3, 4)
                    self.assertIndicatorStays(colour)
        self.assertZeltRunning()

    def test_other_request_codes_do_nothing(self):
        for request in (2, -1, 7):
            for state in (0, 1, 7):
                with self.subTest(request=request, state=state):
                    self.assertSent(self.bench.send(request, state))
                    self.assertRadioQuiet()
                    self.assertIndicatorStays(GREEN)
        self.assertZeltRunning()

    def test_reply_is_that_of_the_default_procedure(self):
        # zelt adds no reply of its own; the window's previous procedure answers 0 for a
        # registered message, and zelt-host prints it.
        for request, state in ((0, 1), (0, 0), (7, 7)):
            with self.subTest(request=request, state=state):
                result = self.bench.send(request, state)
                self.assertSent(result)
                self.assertEqual(result.reply, 0, result)
        self.assertRadio(1, PTT_ON + PTT_OFF)

    def test_posted_requests_are_served_too(self):
        self.assertSent(self.bench.send(0, 1, post=True))
        self.assertRadio(1, PTT_ON)
        self.assertIndicator(RED)


class CloseRequests(ZeltTestCase):
    def setUp(self):
        super().setUp()
        self.bench.start_zelt()

    def _close_with(self, state):
        self.assertSent(self.bench.send(1, state))
        self.assertEqual(self.bench.wait_zelt_exit(), 0, self.bench.zelt_output()[-2000:])
        self.assertEqual(self.bench.host("--info").returncode, 2, "the window is still there")

    def test_close_request_with_state_0(self):
        self._close_with(0)
        self.assertRadioQuiet()

    def test_close_request_with_state_1(self):
        self._close_with(1)
        self.assertRadioQuiet()

    def test_close_while_transmitting_unkeys_the_radio_once(self):
        # Nothing would unkey a radio left transmitting, so zelt sends PTT off on its way out.
        self.assertSent(self.bench.send(0, 1))
        self.assertIndicator(RED)
        self._close_with(0)
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertRadioQuiet(2, 3, 4)


class IndicatorClick(ZeltTestCase):
    def setUp(self):
        super().setUp()
        self.bench.start_zelt()
        self.assertIndicator(GREEN)

    def test_click_toggles_transmit(self):
        self.bench.click_twips(*SHAPE1_CENTRE)
        self.assertRadio(1, PTT_ON)
        self.assertIndicator(RED)
        self.bench.click_twips(*SHAPE1_CENTRE)
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertIndicator(GREEN)

    def test_click_after_host_request_unkeys(self):
        self.assertSent(self.bench.send(0, 1))
        self.assertIndicator(RED)
        self.bench.click_twips(*SHAPE1_CENTRE)
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertIndicator(GREEN)


class ScreenReader(ZeltTestCase):
    """The indicator as a screen reader meets it from outside the process: one accessible object
    that tells the state in words, and one value-change event for every change of state, whoever
    made it."""

    def setUp(self):
        super().setUp()
        self.bench.start_zelt()
        self.assertIndicator(GREEN)

    def assertValue(self, expected: str):
        self.assertEqual(probe.accessible(self.bench)["controls"]["indicator"]["value"], expected)

    def assertEvents(self, listener: probe.EventListener, values: list[str]):
        """Exactly these value changes have arrived, in this order, all of the indicator's object."""
        seen = listener.wait_events(len(values))
        self.assertEqual([(e["control"], e["idObject"], e["idChild"], e["value"]) for e in seen],
                         [("indicator", probe.OBJID_CLIENT, probe.CHILDID_SELF, v) for v in values])

    def test_indicator_is_one_named_object(self):
        seen = probe.accessible(self.bench)
        target = seen["controls"]["indicator"]
        self.assertEqual((target["name"], target["value"], target["role"], target["defaultAction"]),
                         ("Transmit indicator", "Receiving", probe.ROLE_SYSTEM_PUSHBUTTON, "Toggle"))
        # Pointing at the circle finds that object.
        self.assertEqual(seen["atIndicator"], target)

    def test_each_change_of_state_raises_one_event_and_the_value_follows(self):
        with probe.EventListener(self.bench) as listener:
            self.assertSent(self.bench.send(0, 1))
            self.assertEvents(listener, ["Transmitting"])
            self.assertValue("Transmitting")
            # A request that changes nothing raises nothing: the next change's event comes alone.
            self.assertSent(self.bench.send(0, 1))
            self.assertSent(self.bench.send(0, 0))
            self.assertEvents(listener, ["Transmitting", "Receiving"])
            self.assertValue("Receiving")
            self.assertSent(self.bench.send(0, 0))
            self.bench.click_twips(*SHAPE1_CENTRE)
            self.assertRadio(1, PTT_ON + PTT_ON + PTT_OFF + PTT_OFF + PTT_ON)
            self.assertEvents(listener, ["Transmitting", "Receiving", "Transmitting"])
            self.assertValue("Transmitting")
            # A screen reader's "press" is a click.
            self.assertTrue(probe.default_action(self.bench, "indicator"))
            self.assertRadio(1, PTT_ON + PTT_ON + PTT_OFF + PTT_OFF + PTT_ON + PTT_OFF)
            self.assertEvents(listener, ["Transmitting", "Receiving", "Transmitting", "Receiving"])
            self.assertValue("Receiving")
            self.assertIndicator(GREEN)
            # The system menu's "Transmit" raises its one event too.
            self.assertTrue(probe.syscommand(self.bench, probe.MENU_TRANSMIT))
            self.assertRadio(1, PTT_ON + PTT_ON + PTT_OFF + PTT_OFF + PTT_ON + PTT_OFF + PTT_ON)
            self.assertEvents(listener, ["Transmitting", "Receiving", "Transmitting", "Receiving", "Transmitting"])
            self.assertValue("Transmitting")


class Floods(ZeltTestCase):
    def setUp(self):
        super().setUp()
        self.bench.start_zelt()

    def _flood(self, post):
        args = (["--post"] if post else []) + ["--flood", str(FLOOD), "--quiet"]
        self.assertSent(self.bench.host(*args, timeout=600))
        expected = (PTT_ON + PTT_OFF) * (FLOOD // 2)
        self.assertEqual(len(expected), 50_000)
        self.assertRadio(1, expected, timeout=300)
        self.assertRadioQuiet(2, 3, 4)
        self.assertIndicator(GREEN)
        self.assertZeltRunning()

    def test_ten_thousand_sent_requests(self):
        self._flood(post=False)

    def test_ten_thousand_posted_requests(self):
        self._flood(post=True)


class AbsentPort(ZeltTestCase):
    def test_without_com1_zelt_runs_on_and_requests_write_nothing(self):
        self.bench.radio(1).absent()
        self.bench.start_zelt()
        self.assertIndicator(GREEN)
        for state in (1, 0, 1):
            self.bench.send(0, state)
            self.assertRadioQuiet()
            self.assertIndicatorStays(GREEN)
            self.assertZeltRunning()
        self.bench.click_twips(*SHAPE1_CENTRE)
        self.assertIndicatorStays(GREEN)
        self.assertRadioQuiet()
        self.assertZeltRunning()


class HostTool(ZeltTestCase):
    def test_no_window_gives_exit_code_2(self):
        self.assertEqual(self.bench.send(0, 1).returncode, 2)
        self.assertRadioQuiet()

    def test_bad_arguments_give_exit_code_1(self):
        for args in ((), ("0",), ("0", "x"), ("0", "1", "2"), ("--flood", "0"), ("--bogus", "0", "1"),
                     ("0", "4294967296")):
            with self.subTest(args=args):
                self.assertEqual(self.bench.host(*args).returncode, 1)

    def test_repeat_sends_the_same_pair(self):
        self.bench.start_zelt()
        self.assertSent(self.bench.host("--repeat", "3", "0", "1"))
        self.assertRadio(1, PTT_ON * 3)


# -- the operator's extras ----------------------------------------------------------------------------
STAMP = re.compile(probe.EVENT_STAMP)
LIMIT_SECONDS = 2


def texts(lines: list[str]) -> list[str]:
    """The lines without their time stamps."""
    return [STAMP.sub("", line, count=1) for line in lines]


class OperatorTestCase(ZeltTestCase):
    def choose(self, item: int):
        self.assertTrue(probe.syscommand(self.bench, item), "zelt's window is not there")

    def wait_store(self, section: str, key: str, expected: str):
        seen = None
        for _ in bench._deadline_loop(10.0, 0.05):
            seen = self.bench.reg_get(section, key)
            if seen == expected:
                break
        self.assertEqual(seen, expected, f"store {section}/{key}")

    def open_event_log(self) -> dict:
        self.choose(probe.MENU_EVENT_LOG)
        return self.wait_event_log(lambda w: w["visible"], "the event log window did not open")

    def wait_event_log(self, condition, what: str) -> dict:
        try:
            return probe.wait_event_log(self.bench, condition)
        except bench.BenchError as error:
            self.fail(f"{what}: {error}")


class SystemMenu(OperatorTestCase):
    def setUp(self):
        super().setUp()
        self.bench.start_zelt()
        self.assertIndicator(GREEN)

    def test_transmit_keys_and_unkeys_as_a_click_does(self):
        self.choose(probe.MENU_TRANSMIT)
        self.assertRadio(1, PTT_ON)
        self.assertIndicator(RED)
        self.choose(probe.MENU_TRANSMIT)
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertIndicator(GREEN)

    def test_limit_chosen_from_the_keyboard_is_stored_at_once(self):
        # Alt+Space opens the system menu; from its top, Up wraps round to its last items: "About
        # zelt...", "Event log...", then "Transmit time limit", whose submenu opens with Right.
        self.bench.key("alt+space")
        self.bench.key("Up", "Up", "Up", "Right", "Down", "Return")  # "1 minute"
        self.wait_store("Win", "TxLimit", "60")
        self.choose(probe.MENU_LIMITS[0])
        self.wait_store("Win", "TxLimit", "0")
        self.assertZeltRunning()

    def test_about_names_version_licence_and_how_a_host_reaches_zelt(self):
        self.choose(probe.MENU_ABOUT)
        box = probe.wait_dialog(self.bench)
        self.assertEqual(box["title"], "About zelt")
        self.assertEqual(box["buttons"], ["OK"])
        for part in ("3.00", "MIT", '"REDUDORORU"', '"DALMOR ZELT V3"', "wParam", "lParam"):
            self.assertIn(part, box["text"])
        self.assertTrue(probe.press_ok(self.bench))
        self.assertSent(self.bench.send(0, 1))  # zelt goes on serving the host
        self.assertRadio(1, PTT_ON)


class TransmitTimeLimit(OperatorTestCase):
    def test_stored_limit_unkeys_after_it_and_holds_the_host_off_until_it_unkeys(self):
        self.bench.reg_set("Win", "TxLimit", str(LIMIT_SECONDS))
        log_file = self.bench.run_dir / "limit.log"
        log_file.unlink(missing_ok=True)
        self.bench.start_zelt(args=["--log", windows_path(log_file)])
        self.assertIndicator(GREEN)
        with probe.EventListener(self.bench) as listener:
            before = time.monotonic()
            self.assertSent(self.bench.send(0, 1))
            keyed = time.monotonic()
            self.bench.radio(1).wait_for(len(PTT_ON + PTT_OFF), LIMIT_SECONDS + 10)
            unkeyed = time.monotonic()
            # A screen reader hears the unkey at the limit as it hears any other.
            self.assertEqual([e["value"] for e in listener.wait_events(2)], ["Transmitting", "Receiving"])
        self.assertRadio(1, PTT_ON + PTT_OFF)
        # The key went out between "before" and "keyed"; the unkey a limit after it.
        self.assertGreaterEqual(unkeyed - before, LIMIT_SECONDS - 0.1)
        self.assertLess(unkeyed - keyed, LIMIT_SECONDS + 3)
        self.assertIndicator(GREEN)
        self.assertIn("transmit time limit (2 s) reached: wrote 00 00 00 00 0F",
                      texts(log_file.read_text().splitlines()))

        # A host that keys again at once is refused until it unkeys, as a transceiver's own
        # time-out timer holds until the microphone's PTT is let go; the log says why, once.
        for _ in range(3):
            self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertIndicatorStays(GREEN)
        self.assertSent(self.bench.send(0, 0))
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON + PTT_OFF + PTT_OFF + PTT_ON)
        self.assertIndicator(RED)
        lines = texts(log_file.read_text().splitlines())
        self.assertEqual(sum(line.startswith("transmit time limit: the host's key requests are refused")
                             for line in lines), 1)
        self.assertEqual(lines.count("host: request 0, state 1: failed: refused while the transmit time limit "
                                     "holds [code 70]"), 3)

    def test_a_host_that_keeps_keying_is_on_the_air_only_until_the_limit(self):
        # The host keys again and again, as a looping program would, until well past the limit:
        # every key before the limit goes out, none after it.
        self.bench.reg_set("Win", "TxLimit", "1")
        self.bench.start_zelt()
        self.assertSent(self.bench.send(0, 1))
        radio = self.bench.radio(1)
        before_limit = 0
        while PTT_OFF not in radio.settle():
            self.assertLess(before_limit, 100, "the limit never unkeyed the radio")
            self.assertSent(self.bench.send(0, 1))
            before_limit += 1
        keyed = radio.settle()
        for _ in range(5):
            self.assertSent(self.bench.send(0, 1))
        self.assertEqual(radio.settle(), keyed, "a key request after the limit went out")
        self.assertTrue(keyed.endswith(PTT_OFF) and keyed[:-5] == PTT_ON * (len(keyed) // 5 - 1),
                        f"COM1 received {keyed.hex(' ')}")
        self.assertIndicatorStays(GREEN)
        # The operator's own click keys the radio through the hold, and the limit counts again.
        self.bench.click_twips(*SHAPE1_CENTRE)
        self.assertRadio(1, keyed + PTT_ON + PTT_OFF)
        self.assertIndicator(GREEN)


class EventLog(OperatorTestCase):
    def test_window_follows_requests_copies_and_clears_and_the_file_has_the_same_lines(self):
        log_file = self.bench.run_dir / "zelt events.log"  # a name with a blank, quoted on the way
        log_file.unlink(missing_ok=True)
        self.bench.start_zelt(args=["--log", windows_path(log_file)])
        self.assertSent(self.bench.send(0, 1))
        window = self.open_event_log()
        self.assertEqual(window["title"], "zelt event log")
        self.assertTrue(window["owner"], "the log window is owned by zelt's window")
        for line in window["lines"]:
            self.assertRegex(line, "^" + probe.EVENT_STAMP)
        self.assertEqual(texts(window["lines"])[0], "zelt 3.00 starting")
        self.assertIn("zelt 3.00 started: COM1, 4800,n,8,2, transmit time limit off", texts(window["lines"]))
        self.assertEqual(texts(window["lines"])[-1], "host: request 0, state 1: wrote 00 00 00 01 0F")

        # Newest last, as they come, while the window is open: a burst of them too, which the
        # window takes in batches.
        self.assertSent(self.bench.host("--flood", "40", "--quiet"))
        newest = "host: request 0, state 0: wrote 00 00 00 00 0F"
        window = self.wait_event_log(lambda w: texts(w["lines"]).count(newest) == 20,
                                     "the window did not follow the new events")
        self.assertEqual(texts(window["lines"])[-1], newest)
        self.assertEqual(log_file.read_text(encoding="utf-8").splitlines(), window["lines"])

        self.assertTrue(probe.press_in_event_log(self.bench, "Copy"))
        self.assertEqual(probe.clipboard(self.bench), "".join(line + "\r\n" for line in window["lines"]))
        self.assertTrue(probe.press_in_event_log(self.bench, "Clear"))
        self.wait_event_log(lambda w: w["lines"] == [], "Clear left lines in the window")

        # Escape closes it, as a dialog; it opens again from the menu; closing it (WM_CLOSE) too.
        # Wine 10 destroys the window at the key's press, so that xdotool's release then fails
        # with BadWindow: whether it closed is read from the window, not from xdotool.
        self.bench._run_logged(["xdotool", "search", "--sync", "--name", "^zelt event log$",
                                "key", "--window", "%1", "Escape"], "xdotool-key", env=self.bench.wine_env(),
                               check=False)
        self.wait_log_window_closed()
        self.open_event_log()
        self.assertTrue(probe.close_event_log(self.bench))
        self.wait_log_window_closed()
        self.assertZeltRunning()
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON + (PTT_ON + PTT_OFF) * 20 + PTT_ON)

    def wait_log_window_closed(self):
        for _ in bench._deadline_loop(10.0, 0.05):
            if probe.event_log(self.bench) is None:
                break
        self.assertIsNone(probe.event_log(self.bench), "the event log window did not close")

    def test_log_file_that_cannot_be_opened_is_reported_and_zelt_runs_on(self):
        missing = self.bench.run_dir / "no such folder" / "zelt.log"
        self.bench.start_zelt(args=["--log", windows_path(missing)])
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON)
        window = self.open_event_log()
        reports = [line for line in texts(window["lines"]) if "could not be opened" in line]
        self.assertEqual(len(reports), 1, window["lines"])
        # The path was not found, in the system's words, then its number.
        self.assertRegex(reports[0], r"CreateFileW: \w.* \(Windows error 3\)$")
        self.assertFalse(missing.parent.exists())

    def test_log_option_repeated_is_reported_and_makes_no_file_named_like_an_option(self):
        self.bench.start_zelt(args=["--log", "--log"])
        lines = texts(self.open_event_log()["lines"])
        self.assertIn('--log "--log" refused: a file name may not start with "--"', lines)
        self.assertIn("--log without a file name ignored", lines)
        self.assertFalse((self.bench.run_dir / "--log").exists())

    def test_last_line_cut_short_in_an_earlier_run_is_ended_before_this_run_writes(self):
        log_file = self.bench.run_dir / "cut.log"
        log_file.write_bytes(b"2026-04-30 23:59:59.999 host: requ")
        self.bench.start_zelt(args=["--log", windows_path(log_file)])
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON)
        lines = log_file.read_text(encoding="utf-8").splitlines()
        self.assertEqual(lines[0], "2026-04-30 23:59:59.999 host: requ")
        self.assertEqual(texts(lines[1:2]), ["zelt 3.00 starting"])
        self.assertEqual(texts(lines[-1:]), ["host: request 0, state 1: wrote 00 00 00 01 0F"])


# -- documentation screenshot ---------------------------------------------------------------------
def save_screenshot():
    """Saves docs/event-log.png: the event log window after a few requests, with its frame."""
    with bench.picture_session() as the_bench:
        the_bench.reg_set("Win", "TxLimit", str(LIMIT_SECONDS))
        the_bench.start_zelt(args=["--log", r"Z:\no such folder\zelt.log"])
        the_bench.send(0, 1)
        the_bench.radio(1).wait_for(len(PTT_ON + PTT_OFF), LIMIT_SECONDS + 10)
        the_bench.send(7, 7)
        probe.syscommand(the_bench, probe.MENU_TRANSMIT)
        probe.syscommand(the_bench, probe.MENU_TRANSMIT)
        probe.syscommand(the_bench, probe.MENU_LIMITS[180])
        probe.syscommand(the_bench, probe.MENU_EVENT_LOG)
        probe.wait_event_log(the_bench, lambda w: texts(w["lines"])[-1].startswith("stored Win/TxLimit"))
        bench.save_picture(the_bench, bench.REPO / "docs" / "event-log.png",
                           region=probe.event_log(the_bench)["outer"])


if __name__ == "__main__":
    if sys.argv[1:] == ["--screenshots"]:
        save_screenshot()
    else:
        unittest.main()
