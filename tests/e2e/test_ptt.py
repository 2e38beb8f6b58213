"""Keying from the host and by hand: what the radio receives and what the indicator shows."""

import unittest

import probe
from bench import GREEN, PTT_OFF, PTT_ON, RED, SHAPE1_CENTRE, ZeltTestCase

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
        self.assertEqual(probe.accessible(self.bench)["controls"]["indicatorTarget"]["value"], expected)

    def assertEvents(self, listener: probe.EventListener, values: list[str]):
        """Exactly these value changes have arrived, in this order, all of the indicator's object."""
        seen = listener.wait_events(len(values))
        self.assertEqual([(e["control"], e["idObject"], e["idChild"], e["value"]) for e in seen],
                         [("indicatorTarget", probe.OBJID_CLIENT, probe.CHILDID_SELF, v) for v in values])

    def test_circle_and_click_target_are_one_named_object(self):
        seen = probe.accessible(self.bench)
        target = seen["controls"]["indicatorTarget"]
        self.assertEqual((target["name"], target["value"], target["role"], target["defaultAction"]),
                         ("Transmit indicator", "Receiving", probe.ROLE_SYSTEM_PUSHBUTTON, "Toggle"))
        # Pointing at the circle finds that object; the circle's own window says it is invisible.
        self.assertEqual(seen["atIndicator"], target)
        self.assertTrue(seen["controls"]["indicator"]["state"] & probe.STATE_SYSTEM_INVISIBLE, seen)

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
            self.assertTrue(probe.default_action(self.bench, "indicatorTarget"))
            self.assertRadio(1, PTT_ON + PTT_ON + PTT_OFF + PTT_OFF + PTT_ON + PTT_OFF)
            self.assertEvents(listener, ["Transmitting", "Receiving", "Transmitting", "Receiving"])
            self.assertValue("Receiving")
            self.assertIndicator(GREEN)


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


if __name__ == "__main__":
    unittest.main()
