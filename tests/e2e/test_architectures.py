"""A zelt and a host program of different architectures in one prefix, as on 64-bit Windows, where
a 32-bit zelt serves a 64-bit host and the other way round: the registered message, the window
handle, the reply and the accessible objects cross between a 32-bit and a 64-bit process.

This needs a Wine that runs both in one prefix (the tree's Wine in a win64 prefix, as
tests/e2e/run32.sh sets it up) and ZELT_OTHER_MINGW_DIR naming the other architecture's programs.
A run of the whole suite under one Wine leaves the module out."""

import json
import unittest
from pathlib import Path

import bench
from bench import GREEN, PTT_OFF, PTT_ON, RED, ZeltTestCase

MACHINES = {0x014C: 32, 0x8664: 64}  # IMAGE_FILE_MACHINE_I386, IMAGE_FILE_MACHINE_AMD64


def load_tests(loader, tests, pattern):
    # Discovery passes a pattern; a module or class named on the command line is loaded as is.
    return tests if pattern is None or bench.OTHER_MINGW_DIR else unittest.TestSuite()


def bits(exe: Path) -> int:
    """32 or 64, from the machine field of the program's PE header."""
    data = exe.read_bytes()[:4096]
    header = int.from_bytes(data[0x3C:0x40], "little")
    return MACHINES[int.from_bytes(data[header + 4:header + 6], "little")]


@unittest.skipUnless(bench.OTHER_MINGW_DIR, "needs ZELT_OTHER_MINGW_DIR and a Wine that runs both architectures")
class CrossArchitecture(ZeltTestCase):
    def drive(self, zelt_exe: Path, host_exe: Path, probe_exe: Path):
        self.assertNotEqual(bits(zelt_exe), bits(host_exe), f"{zelt_exe} and {host_exe} are of one architecture")
        self.bench.start_zelt(exe=zelt_exe)
        info = self.bench.host("--info", exe=host_exe)
        self.assertSent(info)
        hwnd = bench.WindowInfo(info.stdout).hwnd

        sent = self.bench.host("--hwnd", hex(hwnd), "0", "1", exe=host_exe)
        self.assertSent(sent)
        self.assertEqual(sent.reply, 0, sent)
        self.assertRadio(1, PTT_ON)
        self.assertIndicator(RED)
        # The probe of the host's architecture reads the indicator as a screen reader of it would.
        rc, out, err = self.bench.wine(probe_exe, "accessible", name="probe-accessible")
        self.assertEqual(rc, 0, err[-2000:])
        self.assertEqual(json.loads(out)["controls"]["indicator"]["value"], "Transmitting")

        self.assertSent(self.bench.host("--post", "0", "0", exe=host_exe))
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertIndicator(GREEN)
        self.assertSent(self.bench.host("--flood", "200", "--quiet", exe=host_exe))
        self.assertRadio(1, PTT_ON + PTT_OFF + (PTT_ON + PTT_OFF) * 100)

        self.assertSent(self.bench.host("1", "0", exe=host_exe))
        self.assertEqual(self.bench.wait_zelt_exit(), 0, self.bench.zelt_output()[-2000:])
        self.assertRadioQuiet(2, 3, 4)

    def test_host_of_the_other_architecture_drives_this_zelt(self):
        other = bench.OTHER_MINGW_DIR
        self.drive(bench.ZELT_EXE, other / "zelt-host.exe", other / "zelt-probe.exe")

    def test_host_of_this_architecture_drives_the_other_zelt(self):
        self.drive(bench.OTHER_MINGW_DIR / "zelt.exe", bench.HOST_EXE, bench.MINGW_DIR / "zelt-probe.exe")


if __name__ == "__main__":
    unittest.main()
