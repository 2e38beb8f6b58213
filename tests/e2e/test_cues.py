"""What tells the operator of a change of the transmit state away from the window: the system
menu's "Sound on transmit change", its stored value and its cues' event-log lines, and the transmit
mark on the taskbar button."""

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
    def test_menu_item_stores_the_choice_each_change_is_one_cue_and_the_taskbar_is_marked(self):
        log_file = self.bench.run_dir / "cues.log"
        log_file.unlink(missing_ok=True)
        # Wine's taskbar never announces the button and shows no marks: the probe announces it as
        # Windows' taskbar would, and Wine's trace of its stub shows the calls that reach it.
        self.bench.start_zelt(args=["--log", windows_path(log_file)], env={"WINEDEBUG": "-all,fixme+explorerframe"})
        self.assertIndicator(GREEN)
        rc, out, _ = self.bench.wine(probe.PROBE_EXE, "taskbar-created", name="probe")
        self.assertEqual(rc, 0, out)
        self.assertSent(self.bench.send(0, 1))  # sound off: no cue
        self.choose(probe.MENU_SOUND)
        self.wait_store("Win", "Sound", "1")
        self.assertSent(self.bench.send(0, 0))
        self.assertSent(self.bench.send(0, 0))  # no change, no cue
        self.assertIndicator(GREEN)
        self.bench.click_twips(*SHAPE1_CENTRE)
        self.assertIndicator(RED)
        self.choose(probe.MENU_TRANSMIT)
        self.assertIndicator(GREEN)
        self.choose(probe.MENU_SOUND)
        self.wait_store("Win", "Sound", "0")
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON + PTT_OFF + PTT_OFF + PTT_ON + PTT_OFF + PTT_ON)
        lines = texts(log_file.read_text(encoding="utf-8").splitlines())
        cues = [line for line in lines if line.startswith("cue: ")]
        self.assertEqual([line for line in cues if "not played" not in line],
                         ["cue: receiving", "cue: transmitting", "cue: receiving"], lines)
        self.assertLessEqual(len(cues), 4, lines)  # where Wine cannot play them, said once
        self.assertFalse([line for line in lines if line.startswith("taskbar")])  # Wine's stub answers S_OK
        calls = []
        for _ in bench._deadline_loop(10.0, 0.05):
            calls = OVERLAY_CALL.findall(self.bench.zelt_output())
            if len(calls) >= 5:
                break
        if not calls:
            self.skipTest("this Wine says nothing of taskbar overlays")
        self.assertEqual([(int(icon, 16) != 0, text) for icon, text in calls],
                         [(True, 'L"Transmitting"'), (False, "(null)")] * 2 + [(True, 'L"Transmitting"')])

if __name__ == "__main__":
    unittest.main()
