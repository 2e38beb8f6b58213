"""The operator's unkey hotkey (the system menu's "Unkey hotkey...", its dialog and stored value, a
press while another program's window has the focus, the hold against a host that keys again),
and one zelt per desktop: a second start hands over to the first and exits.

Under Wine a global hotkey reaches the Wine server only while some Wine window has the X focus, so
the presses go to a helper window of the bench's Wine (its Notepad) given the focus."""

import subprocess
import unittest

import bench
import probe
from bench import GREEN, PTT_OFF, PTT_ON, RED, windows_path
from test_ptt import OperatorTestCase, texts

# HOTKEYF_CONTROL | HOTKEYF_SHIFT in the high byte, VK_F9 in the low one. (Not Ctrl+Alt: X's
# keyboard map makes Ctrl+Alt+F9 a switch to console 9, which Wine never sees as F9.)
CTRL_SHIFT_F9 = 0x0378
DIALOG_TITLE = "Unkey hotkey"


class HotkeyBench(OperatorTestCase):
    def start_logged(self, name: str, **stored):
        for key, value in stored.items():
            self.bench.reg_set("Win", key, value)
        self.log_file = self.bench.run_dir / name
        self.log_file.unlink(missing_ok=True)
        self.bench.start_zelt(args=["--log", windows_path(self.log_file)])
        if stored.get("Min") != "1":
            self.assertIndicator(GREEN)

    def log_lines(self) -> list[str]:
        return texts(self.log_file.read_text(encoding="utf-8").splitlines())

    def wait_logged(self, line: str):
        for _ in bench._deadline_loop(15.0, 0.05):
            if line in self.log_lines():
                return
        self.fail(f"never logged {line!r}: {self.log_lines()}")

    def x_window(self, name: str) -> int:
        for _ in bench._deadline_loop(bench.WINDOW_DEADLINE, 0.05):
            rc, out, _ = self.bench._run_logged(["xdotool", "search", "--name", name], "xdotool", check=False)
            if rc == 0 and out.split():
                return int(out.split()[0])
        self.fail(f"no X window named {name}")

    def press_in(self, window: int, keys: str):
        """Gives the X window the focus, once it is mapped, then presses the keys as a keyboard
        would (XTEST)."""
        for _ in bench._deadline_loop(bench.WINDOW_DEADLINE, 0.05):
            rc, _, _ = self.bench._run_logged(["xdotool", "windowfocus", "--sync", str(window)], "xdotool-focus",
                                              check=False)
            if rc == 0:
                break
        else:
            self.fail(f"X window {window} never took the focus")
        self.bench._run_logged(["xdotool", "key", keys], "xdotool-key")

    def press_elsewhere(self, keys: str):
        """Presses the keys in another program's window, then takes that window off the screen so
        that zelt's indicator can be seen again."""
        helper = self.helper_window()
        self.press_in(helper, keys)
        self.bench._run_logged(["xdotool", "windowunmap", "--sync", str(helper)], "xdotool-unmap")

    def helper_window(self) -> int:
        """Another program's window in the bench's Wine, killed when the test ends."""
        out, err = self.bench._next_log("notepad")
        with open(out, "wb") as stdout, open(err, "wb") as stderr:
            helper = self.bench.popen(["wine", "notepad"], stdout=stdout, stderr=stderr)
        self.addCleanup(lambda: (helper.kill(), helper.wait(30)))
        return self.x_window("Notepad")


class UnkeyHotkey(HotkeyBench):
    def test_dialog_takes_the_combination_stores_it_at_once_and_registers_it(self):
        self.start_logged("dialog.log")
        self.choose(probe.MENU_UNKEY_HOTKEY)
        box = probe.wait_dialog(self.bench)
        self.assertEqual((box["title"], box["buttons"]), (DIALOG_TITLE, ["OK", "Cancel"]))
        self.assertIn("unkeys the radio", box["text"])
        self.press_in(self.x_window(f"^{DIALOG_TITLE}$"), "ctrl+shift+F9")
        self.assertTrue(probe.press_ok(self.bench))
        self.wait_store("Win", "UnkeyKey", str(CTRL_SHIFT_F9))
        self.wait_logged("unkey hotkey Ctrl+Shift+F9: registered")
        self.assertEqual(probe.dialogs(self.bench), [])

        # An emptied control is no hotkey.
        self.choose(probe.MENU_UNKEY_HOTKEY)
        probe.wait_dialog(self.bench)
        self.press_in(self.x_window(f"^{DIALOG_TITLE}$"), "BackSpace")
        self.assertTrue(probe.press_ok(self.bench))
        self.wait_store("Win", "UnkeyKey", "0")
        self.wait_logged("unkey hotkey: none")
        self.assertRadioQuiet()

    def test_press_in_another_program_unkeys_and_holds_a_rekeying_host_off_until_it_unkeys(self):
        self.start_logged("press.log", UnkeyKey=str(CTRL_SHIFT_F9), Sound="1")
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON)
        self.assertIndicator(RED)
        self.press_elsewhere("ctrl+shift+F9")
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertIndicator(GREEN)
        self.wait_logged("unkeyed by the hotkey: wrote 00 00 00 00 0F")
        self.assertIn("cue: receiving", self.log_lines())
        for _ in range(3):
            self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertIndicatorStays(GREEN)
        self.assertSent(self.bench.send(0, 0))
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON + PTT_OFF + PTT_OFF + PTT_ON)
        self.assertIndicator(RED)
        lines = self.log_lines()
        self.assertEqual(lines.count("host: request 0, state 1: failed: refused while the hotkey's unkey holds "
                                     "[code 70]"), 3, lines)
        self.assertEqual(sum(line.startswith("hotkey: the host's key requests are refused") for line in lines), 1)


class OneZeltPerDesktop(HotkeyBench):
    def store_dump(self) -> str:
        rc, out, _ = self.bench._run_logged(["wine", "reg", "query", bench.STORE_KEY, "/s"], "reg-query",
                                            check=False)
        return out if rc == 0 else ""

    def test_second_start_exits_0_and_brings_the_first_back_with_its_port_and_store(self):
        self.start_logged("first.log", Min="1")
        self.assertTrue(self.bench.info().iconic)
        stored = self.store_dump()
        second = self.bench.run_dir / "second.log"
        second.unlink(missing_ok=True)
        rc, _, _ = self.bench.wine(bench.ZELT_EXE, "--log", windows_path(second), timeout=60, name="zelt-second")
        self.assertEqual(rc, 0)
        self.assertFalse(second.exists(), "the second zelt wrote its log")
        self.wait_logged("a second start of zelt was turned away: one zelt per desktop")
        self.assertZeltRunning()
        for _ in bench._deadline_loop(10.0, 0.05):
            if not self.bench.info().iconic:
                break
        self.assertFalse(self.bench.info().iconic, "the first zelt stayed minimized")
        self.assertEqual(self.store_dump(), stored)
        self.assertRadioQuiet()
        # The first zelt still has the radio: the host's request reaches it.
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON)


class ReleaseChecksums(unittest.TestCase):
    def test_each_zip_has_a_sha256_file_beside_it_that_matches(self):
        zips = sorted(bench.MINGW_DIR.glob("zelt-*-win*.zip"))
        if not zips:
            self.skipTest(f"no package in {bench.MINGW_DIR}: build the package target first")
        for package in zips:
            with self.subTest(package.name):
                line = package.with_name(package.name + ".sha256").read_text()
                self.assertRegex(line, rf"^[0-9a-f]{{64}} \*{package.name}\n$")
                check = subprocess.run(["sha256sum", "-c", package.name + ".sha256"], cwd=package.parent,
                                       capture_output=True, text=True, check=False)
                self.assertEqual(check.returncode, 0, check.stdout + check.stderr)

if __name__ == "__main__":
    unittest.main()
