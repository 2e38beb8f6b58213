"""Start-up from the stored settings, and shut-down: what the window shows, which radio the
requests reach and with which line settings, and what closing writes to the radio.

The helpers at the top are shared with test_reconfiguration.py.
"""

from __future__ import annotations

import os
import termios
import unittest

import bench
import probe
from bench import GREEN, PTT_OFF, PTT_ON, RED, WINDOW_TITLE, TWIPS_PER_PIXEL, ZeltTestCase


def control_text(the_bench: bench.Bench, name: str) -> str:
    """What the control shows right now: the edit's text, the combo box's chosen entry."""
    shown = probe.window(the_bench)
    if shown is None:
        raise bench.BenchError("zelt's window is not there")
    return shown["controls"][name]["text"]


# -- line settings as the radio's end of the pty sees them ------------------------------------------

_SPEEDS = {termios.B4800: 4800, termios.B9600: 9600, termios.B19200: 19200}


def line_settings(the_bench: bench.Bench, number: int) -> tuple:
    """(baud, parity letter, data bits, stop bits) that the program last applied to COMn."""
    attrs = termios.tcgetattr(the_bench.radio(number).slave)
    cflag = attrs[2]
    baud = _SPEEDS.get(attrs[5], attrs[5])
    parity = "n" if not cflag & termios.PARENB else ("o" if cflag & termios.PARODD else "e")
    bits = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}[cflag & termios.CSIZE]
    stops = 2 if cflag & termios.CSTOPB else 1
    return baud, parity, bits, stops


def scramble_line(test: unittest.TestCase, the_bench: bench.Bench, number: int):
    """Puts COMn's line into a state zelt never asks for (19200,e,7 and the stop bits it will not
    use), so that the settings read afterwards must have come from zelt; restored after the test."""
    fd = the_bench.radio(number).slave
    saved = termios.tcgetattr(fd)
    attrs = termios.tcgetattr(fd)
    attrs[2] = (attrs[2] & ~termios.CSIZE) | termios.CS7 | termios.PARENB
    attrs[2] &= ~termios.PARODD
    attrs[4] = attrs[5] = termios.B19200
    termios.tcsetattr(fd, termios.TCSANOW, attrs)
    test.addCleanup(termios.tcsetattr, fd, termios.TCSANOW, saved)


def unmap_port(test: unittest.TestCase, the_bench: bench.Bench, number: int):
    """Makes sure COMn does not exist for the test: Wine's mount manager gives the machine's own
    serial devices the COM numbers after the radio's, so COM5 may be the host's /dev/ttyS0."""
    link = the_bench.dosdevices() / f"com{number}"
    if not os.path.lexists(link):
        return
    target = os.readlink(link)
    os.unlink(link)
    os.symlink(the_bench.run_dir / "ports" / f"unmapped-com{number}", link)

    def restore():
        os.unlink(link)
        os.symlink(target, link)
    test.addCleanup(restore)


class ZeltUi(probe.WindowWaits):
    """Mixin for ZeltTestCase: the window through the probe, real clicks on controls, waits."""

    bench: bench.Bench

    def window(self) -> dict:
        shown = probe.window(self.bench)
        self.assertIsNotNone(shown, "zelt's window is not there")
        return shown

    def control(self, name: str) -> dict:
        return self.window()["controls"][name]

    def click_client(self, x: int, y: int, shown: dict | None = None):
        """A real click at a point of the client area given in pixels."""
        shown = shown or self.window()
        sx, sy = shown["client"][0] + x, shown["client"][1] + y
        self.bench._run_logged(["xdotool", "mousemove", "--sync", str(sx), str(sy), "click", "1"],
                               "xdotool-click", env=self.bench.wine_env())

    def move_mouse_client(self, x: int, y: int, shown: dict):
        sx, sy = shown["client"][0] + x, shown["client"][1] + y
        self.bench._run_logged(["xdotool", "mousemove", "--sync", str(sx), str(sy)], "xdotool-move",
                               env=self.bench.wine_env())

    def click_control(self, name: str):
        shown = self.window()
        x, y, w, h = shown["controls"][name]["rect"]
        self.click_client(x + w // 2, y + h // 2, shown)

    def wait_store(self, section: str, key: str, expected: str | None, timeout: float = 15.0):
        seen = None
        for _ in bench._deadline_loop(timeout, 0.05):
            seen = self.bench.reg_get(section, key)
            if seen == expected:
                return
        self.fail(f"store {section}/{key} holds {seen!r}, expected {expected!r}")

    def wait_text(self, name: str, expected: str, timeout: float = 15.0):
        seen = None
        for _ in bench._deadline_loop(timeout, 0.05):
            seen = control_text(self.bench, name)
            if seen == expected:
                return
        self.fail(f"{name} shows {seen!r}, expected {expected!r}")

    def wait_dialog(self, timeout: float = 20.0) -> dict:
        try:
            return probe.wait_dialog(self.bench, timeout)
        except bench.BenchError as error:
            self.fail(str(error))

    def assertNoDialog(self):
        self.assertEqual(probe.dialogs(self.bench), [], "a message box is showing")

    def assertMessageBox(self, box: dict, text: str):
        """zelt's message boxes: the exact text, an OK button only, no icon, no title of zelt's."""
        self.assertEqual(box["text"], text, box)
        self.assertEqual(box["buttons"], ["OK"], box)
        self.assertFalse(box["icon"], box)
        self.assertNotEqual(box["title"], WINDOW_TITLE, box)
        self.assertEqual(len(probe.dialogs(self.bench)), 1, "more than one message box")

    def dismiss_dialog(self):
        self.assertTrue(probe.press_ok(self.bench), "no message box to dismiss")
        for _ in bench._deadline_loop(20.0, 0.05):
            if not probe.dialogs(self.bench):
                return
        self.fail("the message box stayed after OK")

    def expand(self) -> dict:
        """Opens the options panel with a real click on "&More>>"."""
        self.assertEqual(self.control("panelButton")["text"], "&More>>")
        self.click_control("panelButton")
        return self.wait_window(
            lambda w: w["controls"]["panelButton"]["text"] == "&Less<<" and w["controls"]["portList"]["enabled"]
            and w["controls"]["lineSettingsBox"]["enabled"], "the panel did not open")

    def assertLine(self, number: int, expected: tuple):
        self.assertEqual(line_settings(self.bench, number), expected,
                         f"COM{number}'s line settings")

    def assertRequestFails(self, colour=GREEN):
        """A transmit request is delivered and answered but writes nothing anywhere; the
        indicator keeps its colour and zelt runs on."""
        self.assertSent(self.bench.send(0, 1))
        self.assertRadioQuiet()
        self.assertIndicatorStays(colour)
        self.assertZeltRunning()

    def start_zelt(self) -> dict:
        """Starts zelt and waits until its window is shown: start-up has finished by then."""
        self.bench.start_zelt()
        return self.wait_window(lambda w: w["visible"], "zelt's window was not shown")

    def close_by_request(self, post: bool = False):
        self.assertSent(self.bench.send(1, 0, post=post))
        self.assertEqual(self.bench.wait_zelt_exit(30), 0, self.bench.zelt_output()[-2000:])
        self.assertEqual(self.bench.host("--info").returncode, 2, "the window is still there")


# Geometry of the collapsed window, in pixels at 96 dpi.
COLLAPSED_CLIENT_WIDTH = (2 * 105 + 975) // TWIPS_PER_PIXEL
CLIENT_HEIGHT = 1605 // TWIPS_PER_PIXEL

LINE_4800_N_8_2 = (4800, "n", 8, 2)
LINE_9600_N_8_1 = (9600, "n", 8, 1)


class StartUp(ZeltUi, ZeltTestCase):
    def start(self, **stored):
        """Stores the given "Section/Key" values, then starts zelt and waits for its window."""
        for path, value in stored.items():
            section, key = path.split("_", 1)
            self.bench.reg_set(section, key, value)
        scramble_line(self, self.bench, 1)
        return self.start_zelt()

    def test_empty_store(self):
        shown = self.start()
        self.assertEqual(control_text(self.bench, "lineSettingsBox"), "4800,n,8,2")
        self.assertEqual(shown["controls"]["portList"]["selection"], 0)
        self.assertEqual(control_text(self.bench, "portList"), "COM1")
        self.assertLine(1, LINE_4800_N_8_2)
        # Collapsed, shown normally, not on top.
        self.assertEqual(shown["controls"]["panelButton"]["text"], "&More>>")
        self.assertEqual(shown["client"][2:], [COLLAPSED_CLIENT_WIDTH, CLIENT_HEIGHT])
        self.assertTrue(shown["visible"])
        self.assertFalse(shown["minimized"])
        self.assertFalse(shown["topmost"])
        self.assertEqual(shown["controls"]["runMinimizedBox"]["check"], 0)
        self.assertEqual(shown["controls"]["onTopBox"]["check"], 0)
        self.assertEqual(shown["controls"]["indicator"]["rect"], [19, 16, 41, 33])
        self.assertIndicatorStays(GREEN)
        self.assertNoDialog()
        # Filling the port list and the settings box at start-up stores nothing of theirs; the
        # check boxes store the values they were given.
        self.assertIsNone(self.bench.reg_get("Com", "Settings"))
        self.assertIsNone(self.bench.reg_get("Com", "ComPort"))
        self.assertEqual(self.bench.reg_get("Win", "Min"), "0")
        self.assertEqual(self.bench.reg_get("Win", "Top"), "0")
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON)
        self.assertRadioQuiet(2, 3, 4)
        self.assertIndicator(RED)

    def test_stored_port_3_uses_com3(self):
        shown = self.start(Com_ComPort="3")
        self.assertEqual(shown["controls"]["portList"]["selection"], 2)
        self.assertEqual(control_text(self.bench, "portList"), "COM3")
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(3, PTT_ON)
        self.assertRadioQuiet(1, 2, 4)
        self.assertLine(3, LINE_4800_N_8_2)
        self.assertEqual(self.bench.reg_get("Com", "ComPort"), "3")
        self.assertIsNone(self.bench.reg_get("Com", "Settings"))

    def test_stored_port_5_chooses_nothing_and_reaches_no_radio(self):
        unmap_port(self, self.bench, 5)
        shown = self.start(Com_ComPort="5")
        self.assertEqual(shown["controls"]["portList"]["selection"], -1)
        self.assertEqual(control_text(self.bench, "portList"), "")
        self.assertNoDialog()
        self.assertIndicatorStays(GREEN)
        self.assertRequestFails()
        self.assertNoDialog()
        self.assertEqual(self.bench.reg_get("Com", "ComPort"), "5")

    def test_stored_port_that_is_no_number_falls_back_to_com1(self):
        shown = self.start(Com_ComPort="abc")
        self.assertEqual(shown["controls"]["portList"]["selection"], -1)
        self.assertNoDialog()
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON)
        self.assertRadioQuiet(2, 3, 4)
        self.assertEqual(self.bench.reg_get("Com", "ComPort"), "abc")

    def test_stored_min_1_starts_minimized(self):
        shown = self.start(Win_Min="1")
        self.assertTrue(shown["minimized"])
        self.assertEqual(shown["controls"]["runMinimizedBox"]["check"], 1)
        self.assertFalse(shown["topmost"])
        self.assertNoDialog()
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON)

    def test_stored_top_1_starts_topmost(self):
        self.start(Win_Top="1")
        # On top once shown; the wait's report keeps the window as last seen if it never is.
        shown = self.wait_window(lambda w: w["topmost"], "the window is not on top", 5)
        self.assertFalse(shown["minimized"])
        self.assertEqual(shown["controls"]["onTopBox"]["check"], 1)
        self.assertEqual(self.bench.reg_get("Win", "Top"), "1")

    def test_stored_top_2_is_greyed_and_not_topmost(self):
        shown = self.start(Win_Top="2")
        self.assertFalse(shown["topmost"])
        self.assertEqual(shown["controls"]["onTopBox"]["check"], 2)
        self.assertEqual(self.bench.reg_get("Win", "Top"), "2")

    def test_stored_line_settings_are_shown_and_used(self):
        self.start(Com_Settings="9600,n,8,1")
        self.assertEqual(control_text(self.bench, "lineSettingsBox"), "9600,n,8,1")
        self.assertLine(1, LINE_9600_N_8_1)
        self.assertNoDialog()
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON)
        self.assertRadioQuiet(2, 3, 4)
        self.assertEqual(self.bench.reg_get("Com", "Settings"), "9600,n,8,1")

    def test_refused_line_settings_are_shown_but_the_port_keeps_its_own(self):
        self.start(Com_Settings="9600,x,8,1")
        self.assertEqual(control_text(self.bench, "lineSettingsBox"), "9600,x,8,1")
        self.assertNoDialog()
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON)
        self.assertRadioQuiet(2, 3, 4)
        self.assertLine(1, LINE_4800_N_8_2)
        self.assertEqual(self.bench.reg_get("Com", "Settings"), "9600,x,8,1")

    def test_com1_absent_at_start(self):
        self.bench.radio(1).absent()
        shown = self.start()
        self.assertEqual(shown["controls"]["portList"]["selection"], 0)
        self.assertNoDialog()
        self.assertIndicatorStays(GREEN)
        self.assertRequestFails()
        self.assertNoDialog()


class ShutDown(ZeltUi, ZeltTestCase):
    def setUp(self):
        super().setUp()
        self.bench.reg_set("Com", "Settings", "9600,n,8,1")
        self.start_zelt()
        self.assertIndicator(GREEN)

    def assertStoreUntouched(self):
        self.assertEqual(self.bench.reg_get("Com", "Settings"), "9600,n,8,1")
        self.assertIsNone(self.bench.reg_get("Com", "ComPort"))

    def key_transmit(self):
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON)
        self.assertIndicator(RED)

    def test_close_request_while_transmitting_unkeys_the_radio_once(self):
        self.key_transmit()
        self.close_by_request()
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertRadioQuiet(2, 3, 4)
        self.assertStoreUntouched()

    def test_operator_closing_while_transmitting_unkeys_the_radio_once(self):
        self.key_transmit()
        # Alt+F4 with the focus on the button: the focus zelt starts with.
        self.assertEqual(self.window()["focus"], "panelButton")
        self.bench.key("alt+F4")
        self.assertEqual(self.bench.wait_zelt_exit(30), 0, self.bench.zelt_output()[-2000:])
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertRadioQuiet(2, 3, 4)
        self.assertStoreUntouched()

    def test_operator_closing_while_receiving_writes_nothing(self):
        self.assertSent(self.bench.send(0, 0))
        self.assertRadio(1, PTT_OFF)
        self.bench.radio(1).clear()
        self.bench.key("alt+F4")
        self.assertEqual(self.bench.wait_zelt_exit(30), 0, self.bench.zelt_output()[-2000:])
        self.assertRadioQuiet()
        self.assertStoreUntouched()

    def test_unkeyed_by_hand_then_closed_writes_nothing_more(self):
        self.key_transmit()
        self.assertSent(self.bench.send(0, 0))
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertIndicator(GREEN)
        self.close_by_request()
        self.assertRadio(1, PTT_ON + PTT_OFF)


if __name__ == "__main__":
    unittest.main()
