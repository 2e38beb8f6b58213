"""Latency, start-up and footprint of zelt.exe against the floor program, under Wine on the
end-to-end bench (private X display, Wine prefix, pty radio on COM1..COM4).

    python3 tests/bench/run_bench.py [--rounds R] [--requests N] [--runs K] [--flood F] [--log]
                                     [--log-window] [--listener] [--latency-only]

Measures, with zelt-host.exe inside Wine doing the timing:

- latency: N sent requests (states 1,0,1,0,...) at zelt and at zelt-floor, round trip of each
  SendMessage; R rounds, zelt and floor taking turns, so that load from elsewhere falls on both;
- start-up: R rounds of K starts of each program, taking turns, from process start to its window
  being visible, each ended with the close request; the figures pool all R*K samples;
- floods: F sent and F posted requests at zelt;
- footprint: the size of zelt.exe and the DLLs it imports.

With --log, zelt runs its latency rounds and floods with "--log FILE" (its event log appended to a
file in the bench's folder, a line per request). With --log-window, zelt's "Event log..." window is
open while it is timed; with --listener, a screen reader's stand-in (zelt-probe events) listens,
out of context, for zelt's value changes and reads each changed value back, as NVDA does. With
--latency-only, the start-up rounds and the
floods are left out (the 32-bit stage, tests/e2e/run32.sh, measures so, with the programs of
build/mingw32 and the floor built beside them).

After every latency round and flood the radio on COM1 must have received exactly one five-byte
block per request, in order. The speed figures are printed, never judged: the exit status is 1
only if bytes went missing or out of order, zelt.exe is larger than 512 KiB, or it imports a DLL
that Windows does not ship; 2 if the bench itself could not run.
"""

from __future__ import annotations

import argparse
import contextlib
import os
import platform
import re
import signal
import statistics
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "e2e"))

import bench  # noqa: E402
import probe  # noqa: E402
from bench import PTT_OFF, PTT_ON, BenchError, windows_path  # noqa: E402

FLOOR_EXE = Path(os.environ.get("ZELT_FLOOR_EXE", bench.MINGW_DIR / "zelt-floor.exe")).resolve()
FLOOR_TITLE = "ZELT FLOOR"
ZELT_TITLE = bench.WINDOW_TITLE

SIZE_LIMIT_KIB = 512
LATENCY_TARGET = 1.2
STARTUP_TARGET = 1.2

# DLLs that every Windows installation carries in its system folder.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "advapi32.dll", "msvcrt.dll",
    "shell32.dll", "ole32.dll", "oleaut32.dll", "comdlg32.dll", "shlwapi.dll", "version.dll",
    "winmm.dll", "uxtheme.dll", "imm32.dll", "ntdll.dll", "ws2_32.dll", "psapi.dll", "oleacc.dll",
}
# The 32-bit build's size and DLLs. Its latency is measured by tests/e2e/run32.sh, under the 32-bit
# Wine of a Debian tree of its own, since the host's Wine has no 32-bit half.
ZELT32_EXE = (bench.REPO / "build" / "mingw32" / "zelt.exe").resolve()


class Failures:
    def __init__(self):
        self.items: list[str] = []

    def add(self, text: str):
        print(f"FAILED: {text}", flush=True)
        self.items.append(text)


def parse_line(prefix: str, text: str) -> dict:
    for line in text.splitlines():
        if line.startswith(prefix + ":"):
            figures: dict = {k: float(v) for k, v in re.findall(r"(\w+)=([-\d.]+)", line)}
            samples = re.search(r"samples_ms=([\d.,]+)", line)
            if samples:
                figures["samples_ms"] = [float(v) for v in samples.group(1).split(",")]
            return figures
    raise BenchError(f"no '{prefix}:' line in {text!r}")


def percentile(samples: list[float], percent: float) -> float:
    """Nearest rank, as zelt-host computes it."""
    ordered = sorted(samples)
    index = max(1, min(len(ordered), -(-len(ordered) * percent // 100)))
    return ordered[int(index) - 1]


def hex_head(data: bytes) -> str:
    return data[:20].hex(" ").upper() + (" ..." if len(data) > 20 else "")


def check_radio(the_bench: bench.Bench, expected: bytes, what: str, failures: Failures,
                timeout: float = 120.0) -> None:
    radio = the_bench.radio(1)
    got = radio.expect(expected, timeout)
    if got != expected:
        first = next((i for i, (a, b) in enumerate(zip(got, expected)) if a != b), min(len(got), len(expected)))
        failures.add(f"{what}: COM1 received {len(got)} bytes, expected {len(expected)}; first difference at "
                     f"byte {first}: got {hex_head(got[first:])}, expected {hex_head(expected[first:])}")
    else:
        print(f"  {what}: COM1 received all {len(got)} bytes in order", flush=True)
    for number in (2, 3, 4):
        stray = the_bench.radio(number).settle()
        if stray:
            failures.add(f"{what}: COM{number} received {len(stray)} bytes, expected nothing")
    radio.clear()


def alternating(requests: int) -> bytes:
    """The blocks of requests with states 1,0,1,0,..."""
    return b"".join(PTT_ON if i % 2 == 0 else PTT_OFF for i in range(requests))


class Floor:
    """zelt-floor.exe under Wine on COM1, started and stopped like zelt."""

    def __init__(self, the_bench: bench.Bench):
        self.bench = the_bench
        self.proc: subprocess.Popen | None = None

    def start(self):
        out, err = self.bench._next_log("floor")
        with open(out, "wb") as o, open(err, "wb") as e:
            self.proc = self.bench.popen(["wine", str(FLOOR_EXE), "1"], stdout=o, stderr=e, cwd=self.bench.run_dir)
        wait_window(self.bench, FLOOR_TITLE, self.proc)

    def stop(self):
        close(self.bench, FLOOR_TITLE, self.proc)
        self.proc = None


def wait_window(the_bench: bench.Bench, title: str, proc: subprocess.Popen, timeout: float = 60.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if proc.poll() is not None:
            raise BenchError(f"{title}: exited with {proc.returncode} before showing its window")
        if the_bench.host("--title", title, "--info", timeout=30).returncode == 0:
            return
        time.sleep(0.05)
    raise BenchError(f"{title}: no window within {timeout} s")


def close(the_bench: bench.Bench, title: str, proc: subprocess.Popen | None):
    if proc is None or proc.poll() is not None:
        return
    the_bench.host("--title", title, "--quiet", "1", "0", timeout=30)
    try:
        proc.wait(30)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(30)
        raise BenchError(f"{title}: did not end after the close request; killed") from None


def start_zelt(the_bench: bench.Bench, log_file: Path | None = None, log_window: bool = False):
    the_bench.start_zelt(args=["--log", windows_path(log_file)] if log_file else ())
    if log_window:
        probe.syscommand(the_bench, probe.MENU_EVENT_LOG)
        probe.wait_event_log(the_bench, lambda w: len(w["lines"]) > 0)
    return the_bench.zelt


def listening(the_bench: bench.Bench, listener: bool):
    """A screen reader's stand-in listening to zelt while the block runs, or nothing."""
    return probe.EventListener(the_bench) if listener else contextlib.nullcontext()


def listener_steps(listener: probe.EventListener) -> str:
    """How many events the listener handled in the round, how deep its handling nested (a client
    waiting in COM is handed the next event), and what its calls took, answered on zelt's thread:
    medians and p99 in microseconds, a nested call's time included in the one it interrupted."""
    events = listener.events()
    parts = [f"events={len(events)} deepest={max((e.get('depth', 0) for e in events), default=0)}"]
    for step in ("objectUs", "valueUs", "releaseUs"):
        times = sorted(e[step] for e in events if step in e)
        if times:
            parts.append(f"{step} median={statistics.median(times):.0f} "
                         f"p99={times[min(len(times) - 1, int(len(times) * 0.99))]:.0f}")
    return "; ".join(parts)


def stop_zelt(the_bench: bench.Bench):
    close(the_bench, ZELT_TITLE, the_bench.zelt)
    the_bench.zelt = None


def latency(the_bench: bench.Bench, title: str, requests: int, failures: Failures, what: str) -> dict:
    result = the_bench.host("--title", title, "--bench", str(requests), timeout=600)
    if result.returncode != 0:
        raise BenchError(f"{what}: zelt-host --bench failed: {result}")
    figures = parse_line("bench", result.stdout)
    print(f"  {what}: {result.stdout.strip()}", flush=True)
    check_radio(the_bench, alternating(int(figures["warmup"]) + requests), what, failures)
    return figures


def startup(the_bench: bench.Bench, exe: Path, title: str, runs: int, what: str) -> dict:
    result = the_bench.host("--startup", windows_path(exe), "--title", title, "--runs", str(runs), timeout=900)
    print(f"  {what}: {result.stdout.strip().split(' samples_ms=')[0]}", flush=True)
    if result.returncode != 0:
        raise BenchError(f"{what}: zelt-host --startup failed: {result}")
    return parse_line("startup", result.stdout)


def pool(rounds: list[dict]) -> dict:
    """Start-up figures over the samples of every round."""
    samples = [v for r in rounds for v in r["samples_ms"]]
    return {"runs": len(samples), "median_ms": statistics.median(samples), "p90_ms": percentile(samples, 90),
            "close_median_ms": statistics.median(r["close_median_ms"] for r in rounds),
            "ws_median_kib": statistics.median(r["ws_median_kib"] for r in rounds)}


def floods(the_bench: bench.Bench, requests: int, log_file: Path | None, failures: Failures):
    print(f"floods: {requests} sent and {requests} posted requests at zelt", flush=True)
    start_zelt(the_bench, log_file)
    for post in (False, True):
        what = f"flood of {requests} {'posted' if post else 'sent'} requests"
        t0 = time.monotonic()
        result = the_bench.host(*(["--post"] if post else []), "--flood", str(requests), "--quiet", timeout=600)
        if result.returncode != 0:
            failures.add(f"{what}: zelt-host failed: {result}")
        check_radio(the_bench, alternating(requests), what, failures, timeout=300)
        print(f"  {what}: {time.monotonic() - t0:.1f} s until the radio had every byte", flush=True)
    stop_zelt(the_bench)


def imported_dlls(exe: Path) -> list[str]:
    out = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(exe)], capture_output=True, text=True,
                         check=True).stdout
    return sorted({m.lower() for m in re.findall(r"DLL Name:\s*(\S+)", out)})


def machine() -> list[str]:
    cpu = "?"
    try:
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    wine = bench.WINE.describe()
    return [f"uname: {' '.join(platform.uname())}", f"cpu: {cpu}; {os.cpu_count()} cores",
            f"wine: {wine}", f"load average at start: {' '.join(f'{v:.2f}' for v in os.getloadavg())}"]


def startup_rows(zelt_start: dict, floor_start: dict) -> list[tuple]:
    startup_ratio = ratio(zelt_start["median_ms"], floor_start["median_ms"])
    return [
        ("start-up median (ms)", f"{zelt_start['median_ms']:.1f}", f"{floor_start['median_ms']:.1f}",
         f"{startup_ratio:.2f}", f"<= {STARTUP_TARGET}x: {verdict(startup_ratio <= STARTUP_TARGET)}"),
        ("start-up p90 (ms)", f"{zelt_start['p90_ms']:.1f}", f"{floor_start['p90_ms']:.1f}",
         f"{ratio(zelt_start['p90_ms'], floor_start['p90_ms']):.2f}", ""),
        ("close to exit median (ms)", f"{zelt_start['close_median_ms']:.1f}",
         f"{floor_start['close_median_ms']:.1f}", "", ""),
        ("working set when shown (KiB)", f"{zelt_start['ws_median_kib']:.0f}",
         f"{floor_start['ws_median_kib']:.0f}", "", ""),
    ]


def ratio(a: float, b: float) -> float:
    return a / b if b else float("inf")


def verdict(met: bool) -> str:
    return "met" if met else "MISSED"


def run(args) -> int:
    failures = Failures()
    for line in machine():
        print(line, flush=True)
    for exe in (bench.ZELT_EXE, bench.HOST_EXE, FLOOR_EXE):
        if not exe.is_file():
            raise BenchError(f"{exe} is missing: build the mingw preset first")

    started = time.monotonic()
    the_bench = bench.get_bench()
    the_bench.reset_for_test()
    # The bench's X server has no window manager, and Wine waits two seconds for one to
    # acknowledge every window that closes; unmanaged windows close at once. Only this run's
    # prefix is changed, for both programs alike.
    the_bench.reg_add(r"HKCU\Software\Wine\X11 Driver", "Managed", "N")
    floor = Floor(the_bench)
    log_file = the_bench.run_dir / "zelt-events.log" if args.log else None

    extras = [name for name, on in (("--log FILE", args.log), ("event log window open", args.log_window),
                                     ("value-change listener", args.listener)) if on]
    print(f"latency: {args.rounds} rounds of {args.requests} sent requests each, zelt and floor in turn; "
          f"zelt with {', '.join(extras) or 'nothing extra'}", flush=True)
    zelt_rounds, floor_rounds = [], []
    for round_number in range(1, args.rounds + 1):
        start_zelt(the_bench, log_file, args.log_window)
        with listening(the_bench, args.listener) as listener:
            zelt_rounds.append(latency(the_bench, ZELT_TITLE, args.requests, failures,
                                       f"zelt  round {round_number}"))
        if listener is not None:
            print(f"  zelt  round {round_number}, listener: {listener_steps(listener)}", flush=True)
        stop_zelt(the_bench)
        floor.start()
        floor_rounds.append(latency(the_bench, FLOOR_TITLE, args.requests, failures,
                                    f"floor round {round_number}"))
        floor.stop()

    zelt_start = floor_start = None
    if not args.latency_only:
        print(f"start-up: {args.rounds} rounds of {args.runs} runs each, zelt and floor in turn", flush=True)
        zelt_starts, floor_starts = [], []
        for round_number in range(1, args.rounds + 1):
            zelt_starts.append(startup(the_bench, bench.ZELT_EXE, ZELT_TITLE, args.runs,
                                       f"zelt  round {round_number}"))
            floor_starts.append(startup(the_bench, FLOOR_EXE, FLOOR_TITLE, args.runs,
                                        f"floor round {round_number}"))
        zelt_start, floor_start = pool(zelt_starts), pool(floor_starts)
        # Neither program writes anything when it starts and is closed while receiving.
        check_radio(the_bench, b"", "start-up runs", failures)
        floods(the_bench, args.flood, log_file, failures)

    size_kib = bench.ZELT_EXE.stat().st_size / 1024
    floor_kib = FLOOR_EXE.stat().st_size / 1024
    dlls = imported_dlls(bench.ZELT_EXE)
    foreign = [d for d in dlls if d not in SYSTEM_DLLS]
    if size_kib > SIZE_LIMIT_KIB:
        failures.add(f"zelt.exe is {size_kib:.1f} KiB, more than {SIZE_LIMIT_KIB} KiB")
    if foreign:
        failures.add(f"zelt.exe imports DLLs that Windows does not ship: {', '.join(foreign)}")
    # A run of the 32-bit programs has measured that one above already.
    size32_kib = ZELT32_EXE.stat().st_size / 1024 if ZELT32_EXE.is_file() and ZELT32_EXE != bench.ZELT_EXE else None
    if size32_kib is not None and size32_kib > SIZE_LIMIT_KIB:
        failures.add(f"the 32-bit zelt.exe is {size32_kib:.1f} KiB, more than {SIZE_LIMIT_KIB} KiB")
    foreign32 = [d for d in imported_dlls(ZELT32_EXE) if d not in SYSTEM_DLLS] if size32_kib is not None else []
    if foreign32:
        failures.add(f"the 32-bit zelt.exe imports DLLs that Windows does not ship: {', '.join(foreign32)}")

    zelt_median = statistics.median(r["median_us"] for r in zelt_rounds)
    floor_median = statistics.median(r["median_us"] for r in floor_rounds)
    zelt_p99 = statistics.median(r["p99_us"] for r in zelt_rounds)
    floor_p99 = statistics.median(r["p99_us"] for r in floor_rounds)
    latency_ratio = ratio(zelt_median, floor_median)

    rows = [
        ("latency median (us)", f"{zelt_median:.1f}", f"{floor_median:.1f}", f"{latency_ratio:.2f}",
         f"<= {LATENCY_TARGET}x: {verdict(latency_ratio <= LATENCY_TARGET)}"),
        ("latency p99 (us)", f"{zelt_p99:.1f}", f"{floor_p99:.1f}", f"{ratio(zelt_p99, floor_p99):.2f}", ""),
    ]
    if zelt_start is not None:
        rows += startup_rows(zelt_start, floor_start)
    rows += [
        ("file size (KiB)", f"{size_kib:.1f}", f"{floor_kib:.1f}", "",
         f"<= {SIZE_LIMIT_KIB} KiB: {verdict(size_kib <= SIZE_LIMIT_KIB)}"),
    ]
    if size32_kib is not None:
        rows.append(("file size, 32-bit (KiB)", f"{size32_kib:.1f}", "", "",
                     f"<= {SIZE_LIMIT_KIB} KiB: {verdict(size32_kib <= SIZE_LIMIT_KIB)}"))
    print()
    print("| figure | zelt | floor | zelt/floor | target |")
    print("|---|---:|---:|---:|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")
    print()
    zelt_list = " ".join(f"{r['median_us']:.1f}" for r in zelt_rounds)
    floor_list = " ".join(f"{r['median_us']:.1f}" for r in floor_rounds)
    print(f"latency rounds, median_us: zelt {zelt_list}; floor {floor_list}")
    zelt_p99s = " ".join(f"{r['p99_us']:.1f}" for r in zelt_rounds)
    floor_p99s = " ".join(f"{r['p99_us']:.1f}" for r in floor_rounds)
    print(f"latency rounds, p99_us: zelt {zelt_p99s}; floor {floor_p99s}")
    if zelt_start is not None:
        print(f"start-up samples: {zelt_start['runs']} of zelt, {floor_start['runs']} of floor")
    print(f"zelt.exe imports: {', '.join(dlls)}; only Windows' own DLLs: {verdict(not foreign)}")
    print(f"floor imports: {', '.join(imported_dlls(FLOOR_EXE))}")
    print(f"load average at end: {' '.join(f'{v:.2f}' for v in os.getloadavg())}")
    if log_file is not None:
        lines = len(log_file.read_text(encoding="utf-8").splitlines()) if log_file.exists() else 0
        print(f"zelt ran with --log: {lines} lines in {log_file.name}")
    print(f"bench time: {time.monotonic() - started:.0f} s")
    print(f"perf bench: {'FAILED: ' + '; '.join(failures.items) if failures.items else 'bytes, size and DLLs ok'}")
    return 1 if failures.items else 0


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--rounds", type=int, default=3, help="latency and start-up rounds per program")
    parser.add_argument("--requests", type=int, default=2000, help="sent requests per latency round")
    parser.add_argument("--runs", type=int, default=10, help="start-up runs per program and round")
    parser.add_argument("--flood", type=int, default=10_000, help="requests per flood (even)")
    parser.add_argument("--log", action="store_true", help="run zelt with --log FILE (its event log in a file)")
    parser.add_argument("--log-window", action="store_true", help="zelt's event log window open while timed")
    parser.add_argument("--listener", action="store_true",
                        help="a screen reader's stand-in listening to zelt's value changes while timed")
    parser.add_argument("--latency-only", action="store_true", help="leave out the start-up rounds and the floods")
    args = parser.parse_args()
    # A TERM stops the bench as an interrupt does.
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    if args.requests % 2 or args.flood % 2:
        parser.error("--requests and --flood must be even, so that every run ends on receive")
    try:
        return run(args)
    except BenchError as error:
        print(f"perf bench: could not run: {error}", flush=True)
        return 2
    finally:
        bench.stop_bench()


if __name__ == "__main__":
    sys.exit(main())
