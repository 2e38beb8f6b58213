"""Runs the end-to-end suite on one bench: every tests/e2e/test_*.py module, or the modules,
classes or tests named on the command line (unittest names, e.g. test_ptt.Floods).

The last line is "e2e: N passed, N failed", counting the bench's own tests and, one by one, the
Windows-side unit tests that it runs under Wine. The exit status is nonzero if anything failed."""

import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import bench  # noqa: E402


class CountingResult(unittest.TextTestResult):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.passed = 0
        self.failed_subtests = set()

    def addSuccess(self, test):
        super().addSuccess(test)
        if test.id() not in self.failed_subtests:
            self.passed += 1

    def addSubTest(self, test, subtest, outcome):
        super().addSubTest(test, subtest, outcome)
        if outcome is not None:
            self.failed_subtests.add(test.id())


def main(argv):
    loader = unittest.TestLoader()
    if argv:
        suite = loader.loadTestsFromNames(argv)
    else:
        suite = loader.discover(str(HERE), pattern="test_*.py", top_level_dir=str(HERE))
    started = time.monotonic()
    runner = unittest.TextTestRunner(verbosity=2, resultclass=CountingResult, stream=sys.stdout)
    try:
        result = runner.run(suite)
    finally:
        the_bench = bench._bench
        extra = list(the_bench.extra_results) if the_bench else []
        bench.stop_bench()
    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
    passed = result.passed
    extra_failed = sum(1 for _, ok in extra if not ok)
    for name, ok in extra:
        if not ok:
            print(f"FAILED (Windows-side): {name}")
    print(f"e2e bench: {passed} passed, {failed} failed; Windows-side unit tests: "
          f"{len(extra) - extra_failed} passed, {extra_failed} failed; {time.monotonic() - started:.0f} s")
    total_passed = passed + len(extra) - extra_failed
    total_failed = failed + extra_failed
    print(f"e2e: {total_passed} passed, {total_failed} failed")
    return 1 if total_failed or not result.wasSuccessful() else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
