"""The operator moves the radio to another port and edits the line settings in the options panel,
with real clicks and keys: what is stored, where the requests go, which message boxes appear."""

from __future__ import annotations

import unittest

import probe
from bench import GREEN, PTT_OFF, PTT_ON, RED, ZeltTestCase
from test_startup import ZeltUi, control_text, line_settings, scramble_line

LINE_4800_N_8_2 = (4800, "n", 8, 2)
LINE_9600_N_8_1 = (9600, "n", 8, 1)

KEY_NAMES = {",": "comma"}


class PanelCase(ZeltUi, ZeltTestCase):
    """zelt started from an empty store, with the options panel opened by a click."""

    def setUp(self):
        super().setUp()
        self.start_zelt()
        self.expand()

    # -- the port list ---------------------------------------------------------------------------
    def choose_by_clicks(self, index: int):
        """Opens the list with a click on the field, then clicks the entry: the pointer is moved
        down the open list until the entry under it is the wanted one."""
        shown = self.window()
        x, y, w, h = shown["controls"]["portList"]["rect"]
        before = shown["controls"]["portList"]["selection"]
        self.assertNotEqual(before, index, "the entry is already chosen")
        self.click_client(x + w // 2, y + h // 2, shown)
        # The open list hangs below the field; its rows are a little lower than the field.
        row = max(8, h * 3 // 5)
        pointer_y = y + h + 2 + row * index + row // 2
        under = None
        for _ in range(40):
            self.move_mouse_client(x + w // 3, pointer_y, shown)
            under = self.control("portList")["selection"]
            if under == index:
                break
            pointer_y += 3 if under < index else -3
        else:
            self.fail(f"the open list never showed entry {index} under the pointer (last {under})")
        self.click_client(x + w // 3, pointer_y, shown)

    def choose_by_keys(self, index: int):
        """Opens the list with a click on the field, moves down to the entry and presses Enter."""
        shown = self.window()
        x, y, w, h = shown["controls"]["portList"]["rect"]
        before = shown["controls"]["portList"]["selection"]
        self.assertLess(before, index)
        self.click_client(x + w // 2, y + h // 2, shown)
        self.bench.key(*(["Down"] * (index - before)), "Return")

    # -- the settings box ------------------------------------------------------------------------
    def focus_text1(self):
        self.click_control("lineSettingsBox")
        self.wait_window(lambda w: w["focus"] == "lineSettingsBox", "lineSettingsBox did not take the focus")

    def empty_text1(self):
        self.focus_text1()
        self.bench.key("ctrl+a")
        self.bench.key("Delete")
        self.wait_text("lineSettingsBox", "")
        self.wait_store("Com", "Settings", "")

    def leave_text1(self):
        """Tab to the next control; returns once the focus has left the box (for the next control,
        or for a message box that the leaving brought up)."""
        self.bench.key("Tab")
        return self.wait_window(lambda w: w["focus"] != "lineSettingsBox", "Tab did not leave lineSettingsBox")

    def transmit_after_pending_work(self):
        """A posted transmit request queues behind whatever the leaving of the box posted, so once
        its block has arrived, zelt has finished reacting to the move."""
        self.assertSent(self.bench.send(0, 1, post=True))
        self.assertRadio(1, PTT_ON)


class PortChoice(PanelCase):
    def test_choosing_com3_moves_the_radio_there(self):
        scramble_line(self, self.bench, 3)
        self.choose_by_clicks(2)
        self.wait_store("Com", "ComPort", "3")
        self.assertEqual(self.control("portList")["selection"], 2)
        self.assertEqual(control_text(self.bench, "portList"), "COM3")
        self.assertNoDialog()
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(3, PTT_ON)
        self.assertRadioQuiet(1, 2, 4)
        self.assertIndicator(RED)
        self.assertEqual(line_settings(self.bench, 3), LINE_4800_N_8_2)
        self.assertIsNone(self.bench.reg_get("Com", "Settings"))

    def test_choosing_an_absent_port_reports_it_and_the_next_start_tries_it_again(self):
        self.bench.radio(4).absent()
        self.choose_by_keys(3)
        box = self.wait_dialog()
        self.assertMessageBox(box, "Com port error")
        self.assertEqual(self.bench.reg_get("Com", "ComPort"), "4")
        self.assertEqual(self.control("portList")["selection"], 3)
        self.dismiss_dialog()
        self.assertRequestFails()
        self.assertNoDialog()

        # The next start tries COM4 again, silently.
        self.close_by_request()
        shown = self.start_zelt()
        self.assertEqual(shown["controls"]["portList"]["selection"], 3)
        self.assertNoDialog()
        self.assertRequestFails()
        self.assertEqual(self.bench.reg_get("Com", "ComPort"), "4")
        self.close_by_request()

        # With COM4 back, a start reaches it.
        self.bench.radio(4).present()
        self.start_zelt()
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(4, PTT_ON)
        self.assertRadioQuiet(1, 2, 3)


class SettingsEditing(PanelCase):
    def test_typing_line_settings_key_by_key(self):
        self.empty_text1()
        typed = ""
        for char in "9600,n,8,1":
            self.bench.key(KEY_NAMES.get(char, char))
            typed += char
            with self.subTest(typed=typed):
                self.wait_store("Com", "Settings", typed)
                self.assertNoDialog()
            if typed == "9600,n,8":
                # Incomplete texts are refused: the port keeps the settings start-up gave it.
                self.assertEqual(line_settings(self.bench, 1), LINE_4800_N_8_2)
        self.assertEqual(control_text(self.bench, "lineSettingsBox"), "9600,n,8,1")
        self.assertEqual(line_settings(self.bench, 1), LINE_9600_N_8_1)
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON)
        self.assertIndicator(RED)

        # Leaving the box with a valid text applies it again, silently.
        self.bench.radio(1).clear()
        self.leave_text1()
        self.transmit_after_pending_work()
        self.assertNoDialog()
        self.assertEqual(line_settings(self.bench, 1), LINE_9600_N_8_1)
        self.assertEqual(self.bench.reg_get("Com", "Settings"), "9600,n,8,1")
        self.assertRadioQuiet(2, 3, 4)
        self.assertZeltRunning()

    def test_leaving_the_emptied_box_is_reported(self):
        self.empty_text1()
        self.assertNoDialog()
        self.leave_text1()
        box = self.wait_dialog()
        self.assertMessageBox(box, "Invalid comport settings")
        # The port is held closed while the box is shown: a host request fails, and is answered.
        self.assertRequestFails()
        scramble_line(self, self.bench, 1)
        self.dismiss_dialog()
        # OK reopens the port with the settings in force before the emptied text, and the request
        # the box held up is carried out then.
        self.assertRadio(1, PTT_ON)
        self.assertIndicator(RED)
        self.assertEqual(line_settings(self.bench, 1), LINE_4800_N_8_2)
        self.assertEqual(self.bench.reg_get("Com", "Settings"), "")
        self.assertNoDialog()
        self.assertZeltRunning()

    def test_leaving_the_unedited_box_on_a_first_run_says_nothing(self):
        self.focus_text1()
        self.leave_text1()
        self.transmit_after_pending_work()
        self.assertNoDialog()
        self.assertEqual(line_settings(self.bench, 1), LINE_4800_N_8_2)
        self.assertIsNone(self.bench.reg_get("Com", "Settings"))

    def test_close_request_while_a_message_box_is_open(self):
        self.empty_text1()
        self.leave_text1()
        self.assertMessageBox(self.wait_dialog(), "Invalid comport settings")
        self.close_by_request(post=True)
        self.assertRadioQuiet()

    def test_close_request_while_keyed_and_a_message_box_is_open_unkeys(self):
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON)
        self.assertIndicator(RED)
        self.empty_text1()
        self.leave_text1()
        self.assertMessageBox(self.wait_dialog(), "Invalid comport settings")
        self.close_by_request(post=True)
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertRadioQuiet(2, 3, 4)


class EveryComPort(PanelCase):
    """A USB serial adapter arrives as COM33, as under Wine a /dev/ttyUSB device often does."""

    def test_a_port_above_com4_can_be_chosen_and_stays_listed_while_in_use(self):
        self.bench.add_port(33, self.bench.radio(2).link)
        self.addCleanup(self.bench.remove_port, 33)
        rc, _, _ = self.bench.wine(probe.PROBE_EXE, "device-change", name="probe")
        self.assertEqual(rc, 0)
        all_ports = [f"COM{n}" for n in range(1, 34)]
        shown = self.wait_window(lambda w: w["controls"]["portList"]["items"] == all_ports,
                                 "the port list did not grow to COM33 without gaps")
        self.assertEqual(shown["controls"]["portList"]["selection"], 0, "the chosen entry moved")
        self.choose_by_keys(32)
        self.wait_store("Com", "ComPort", "33")
        self.assertNoDialog()
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(2, PTT_ON)
        self.assertRadioQuiet(1, 3, 4)
        # Unplugged, the adapter's entry stays while it is the port in force.
        self.bench.remove_port(33)
        self.bench.wine(probe.PROBE_EXE, "device-change", name="probe")
        self.assertEqual(self.control("portList")["items"], all_ports)
        self.assertEqual(self.control("portList")["selection"], 32)


class ReconfiguredWhileTransmitting(PanelCase):
    """The operator reconfigures while the radio is keyed: no radio may be left on the air."""

    def key_com1(self):
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON)
        self.assertIndicator(RED)

    def test_moving_to_another_port_unkeys_the_old_radio_first(self):
        self.key_com1()
        self.choose_by_keys(2)
        self.wait_store("Com", "ComPort", "3")
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertIndicator(GREEN)
        self.assertNoDialog()
        self.assertRadioQuiet(2, 3, 4)
        # The new radio keys as usual; editing the line settings leaves it keyed.
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(3, PTT_ON)
        self.assertIndicator(RED)
        self.focus_text1()
        self.bench.key("End", "BackSpace", "2")
        self.wait_store("Com", "Settings", "4800,n,8,2")
        self.assertRadio(3, PTT_ON)
        self.assertIndicatorStays(RED)

    def test_a_request_held_up_by_the_message_box_is_carried_out_after_it(self):
        self.key_com1()
        self.empty_text1()
        self.leave_text1()
        self.assertMessageBox(self.wait_dialog(), "Invalid comport settings")
        # The box holds the port closed: the unkey request fails and nothing is written meanwhile.
        self.assertSent(self.bench.send(0, 0))
        self.assertRadio(1, PTT_ON)
        self.assertIndicatorStays(RED)
        self.dismiss_dialog()
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertIndicator(GREEN)
        self.assertRadioQuiet(2, 3, 4)


if __name__ == "__main__":
    unittest.main()
