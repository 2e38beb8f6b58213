"""The Windows-side unit tests (registry, serial port, view), run inside the bench's Wine prefix
so that their port tests find a COM port with the radio behind it."""

import unittest
import xml.etree.ElementTree as ElementTree

from bench import WIN32_TESTS_EXE, ZeltTestCase, windows_path

# A mapped port that no other test of this module uses while the suite runs.
TEST_PORT = 2


class Win32UnitTests(ZeltTestCase):
    def test_win32_unit_tests_pass(self):
        self.assertTrue(WIN32_TESTS_EXE.is_file(), f"{WIN32_TESTS_EXE} is missing")
        report = self.bench.run_dir / "win32-tests.xml"
        received = self.bench.run_dir / "win32-radio.bin"
        pause = self.bench.run_dir / "win32-radio.pause"
        self.bench.radio(TEST_PORT).attach_files(received, pause)
        env = {
            "ZELT_TEST_PORT": str(TEST_PORT),
            "ZELT_TEST_RADIO_LOG": windows_path(received),
            "ZELT_TEST_RADIO_PAUSE": windows_path(pause),
        }
        rc, out, err = self.bench.wine(WIN32_TESTS_EXE, f"--gtest_output=xml:{windows_path(report)}", env=env,
                                       timeout=900)
        cases = _cases(report) if report.exists() else []
        self.bench.extra_results.extend(cases)
        failed = [name for name, ok in cases if not ok]
        self.assertTrue(cases, f"no test report; exit {rc}\n{out[-3000:]}\n{err[-3000:]}")
        self.assertEqual(failed, [], f"failing Windows-side tests:\n{out[-6000:]}")
        self.assertNotIn("[  SKIPPED ] RadioPortTest", out, "the radio tests did not run")
        self.assertEqual(rc, 0, f"zelt_win32_tests exited with {rc}\n{out[-3000:]}\n{err[-3000:]}")


def _cases(report):
    """(name, passed) of every test case in a GoogleTest XML report."""
    cases = []
    for case in ElementTree.parse(report).getroot().iter("testcase"):
        if case.get("result", "completed") == "skipped" or case.find("skipped") is not None:
            continue
        name = f"{case.get('classname')}.{case.get('name')}"
        cases.append((name, case.find("failure") is None and case.find("error") is None))
    return cases


if __name__ == "__main__":
    unittest.main()
