"""What tells the operator of a change of the transmit state away from the window: the system
menu's "Sound on transmit change" with its stored value and its cues' event-log lines, and the
transmit mark on the taskbar button."""

import re
import unittest

import bench
import probe
from bench import GREEN, PTT_OFF, PTT_ON, RED, SHAPE1_CENTRE, windows_path
from test_ptt import OperatorTestCase, texts

# Wine's trace of its taskbar stub: "fixme:explorerframe:taskbar_list_SetOverlayIcon iface ...,
# hwnd ..., hIcon 0000000000030054, pszDescription L"Transmitting" stub!"
OVERLAY_CALL = re.compile(r"taskbar_list_SetOverlayIcon .*hIcon ([0-9A-Fa-f]+), pszDescription (\S+)")


class TransmitCues(OperatorTestCase):
    def start_logged(self, name: str):
        self.log_file = self.bench.run_dir / name
        self.log_file.unlink(missing_ok=True)
        self.bench.start_zelt(args=["--log", windows_path(self.log_file)])
        self.assertIndicator(GREEN)

    def lines(self, prefix: str) -> list[str]:
        return [line for line in texts(self.log_file.read_text(encoding="utf-8").splitlines())
                if line.startswith(prefix)]

    def wait_cues(self, count: int) -> list[str]:
        for _ in bench._deadline_loop(10.0, 0.05):
            if len(self.lines("cue: ")) >= count:
                break
        return self.lines("cue: ")

    def test_menu_item_stores_the_choice_and_each_change_is_one_cue_whoever_made_it(self):
        self.start_logged("cues.log")
        self.assertSent(self.bench.send(0, 1))
        self.assertIndicator(RED)
        self.assertSent(self.bench.send(0, 0))
        self.assertIndicator(GREEN)
        self.choose(probe.MENU_SOUND)
        self.wait_store("Win", "Sound", "1")

        self.assertSent(self.bench.send(0, 1))
        self.assertSent(self.bench.send(0, 1))  # no change, no cue
        self.assertIndicator(RED)
        self.bench.click_twips(*SHAPE1_CENTRE)
        self.assertIndicator(GREEN)
        self.choose(probe.MENU_TRANSMIT)
        self.assertIndicator(RED)
        self.choose(probe.MENU_TRANSMIT)
        self.assertIndicator(GREEN)
        self.assertRadio(1, PTT_ON + PTT_OFF + PTT_ON + PTT_ON + PTT_OFF + PTT_ON + PTT_OFF)
        cues = self.wait_cues(4)
        # Where Wine has no sound device, the first cue says why and the others only "not played".
        self.assertEqual([cue.split(":")[1].strip() for cue in cues],
                         ["transmitting", "receiving", "transmitting", "receiving"], cues)
        self.assertTrue(all(cue.count(":") <= 2 for cue in cues[1:]), cues)

        self.choose(probe.MENU_SOUND)
        self.wait_store("Win", "Sound", "0")
        self.assertSent(self.bench.send(0, 1))
        self.assertIndicator(RED)
        self.assertEqual(self.lines("cue: "), cues)

    def test_stored_value_sounds_from_the_start(self):
        self.bench.reg_set("Win", "Sound", "1")
        self.start_logged("cues-stored.log")
        self.assertSent(self.bench.send(0, 1))
        self.assertIndicator(RED)
        self.assertEqual(len(self.wait_cues(1)), 1)
        self.assertTrue(self.lines("cue: ")[0].startswith("cue: transmitting"))

    def test_taskbar_mark_follows_the_state_once_the_button_is_there(self):
        # Wine's taskbar never announces the button, and takes the marks without showing them: the
        # probe announces it as Windows' taskbar would, and Wine's own trace of the stub shows the
        # calls that reach it.
        self.log_file = self.bench.run_dir / "taskbar.log"
        self.log_file.unlink(missing_ok=True)
        self.bench.start_zelt(args=["--log", windows_path(self.log_file)],
                              env={"WINEDEBUG": "-all,fixme+explorerframe"})
        self.assertSent(self.bench.send(0, 1))
        self.assertIndicator(RED)
        rc, out, _ = self.bench.wine(probe.PROBE_EXE, "taskbar-created", name="probe")
        self.assertEqual(rc, 0, out)
        for state in (0, 0, 1, 0):
            self.assertSent(self.bench.send(0, state))
        self.assertIndicator(GREEN)
        self.assertRadio(1, PTT_ON + PTT_OFF + PTT_OFF + PTT_ON + PTT_OFF)
        self.assertEqual(self.lines("taskbar"), [])  # Wine's stub answers S_OK
        calls = []
        for _ in bench._deadline_loop(10.0, 0.05):
            calls = OVERLAY_CALL.findall(self.bench.zelt_output())
            if len(calls) >= 4:
                break
        if not calls:
            self.skipTest("this Wine says nothing of taskbar overlays")
        self.assertEqual([(int(icon, 16) != 0, text) for icon, text in calls],
                         [(True, 'L"Transmitting"'), (False, "(null)"), (True, 'L"Transmitting"'), (False, "(null)")])

if __name__ == "__main__":
    unittest.main()
