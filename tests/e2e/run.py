"""Runs the end-to-end suite on one bench: every tests/e2e/test_*.py module, or the modules,
classes or tests named on the command line (unittest names, e.g. test_ptt.Floods).

The last line is "e2e: N passed, N failed, N skipped", counting the bench's own tests and, one by
one, the Windows-side unit tests that it runs under Wine. A test that fails is run once more; if it
passes then, it counts as passed and is named on a "FLAKY:" line. The exit status is nonzero if
anything failed. With --count first, it only prints how many tests the names select."""

import re
import signal
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


# Tests that cannot be named again on their own (a failed class or module set-up), and the
# Windows-side unit tests, whose results the bench collects separately, are not run twice.
NOT_RUN_TWICE = re.compile(r"^test_win32_units\.|[^\w.]")


def failed_ids(result) -> list[str]:
    failed = [getattr(test, "test_case", test).id() for test, _ in result.failures + result.errors]
    failed += [test.id() for test in result.unexpectedSuccesses]
    return list(dict.fromkeys(failed))


def run(suite) -> CountingResult:
    runner = unittest.TextTestRunner(verbosity=2, resultclass=CountingResult, stream=sys.stdout)
    return runner.run(suite)


def main(argv):
    # A TERM (from run32.sh, or a CI job being stopped) stops the bench as an interrupt does.
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    counting = argv[:1] == ["--count"]
    argv = argv[1:] if counting else argv
    loader = unittest.TestLoader()
    if argv:
        suite = loader.loadTestsFromNames(argv)
    else:
        suite = loader.discover(str(HERE), pattern="test_*.py", top_level_dir=str(HERE))
    if counting:
        print(suite.countTestCases())
        return 0
    started = time.monotonic()
    try:
        result = run(suite)
        first_failed = failed_ids(result)
        # Wine and the virtual display now and then lose a race that Windows would not have; a
        # test that failed is run once more, and one that passes then is reported by name.
        again = [name for name in first_failed if not NOT_RUN_TWICE.search(name)]
        second_failed: list[str] = []
        passed_again: list[str] = []
        if again:
            print(f"\nrunning again: {' '.join(again)}")
            second = run(loader.loadTestsFromNames(again))
            second_failed = failed_ids(second)
            passed_again = [name for name in again if name not in second_failed]
    finally:
        the_bench = bench._bench
        extra = list(the_bench.extra_results) if the_bench else []
        bench.stop_bench()
    for name in passed_again:
        print(f"FLAKY: {name} failed, then passed when run again")
    failed = len(first_failed) - len(passed_again)
    passed = result.passed + len(passed_again)
    extra_failed = sum(1 for _, ok in extra if not ok)
    for name, ok in extra:
        if not ok:
            print(f"FAILED (Windows-side): {name}")
    skipped = len(result.skipped)
    print(f"e2e bench: {passed} passed, {failed} failed, {skipped} skipped; Windows-side unit tests: "
          f"{len(extra) - extra_failed} passed, {extra_failed} failed; {time.monotonic() - started:.0f} s")
    total_passed = passed + len(extra) - extra_failed
    total_failed = failed + extra_failed
    print(f"e2e: {total_passed} passed, {total_failed} failed, {skipped} skipped")
    return 1 if total_failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
