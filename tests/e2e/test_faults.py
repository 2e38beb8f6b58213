"""Fault drills: zelt.exe under Wine when the radio, the store or the operator misbehave.

- the radio vanishes while zelt runs and comes back,
- the radio stops reading, so writes back up,
- garbage in every stored value,
- a close request while a message box is open,
- a second zelt beside the first,
- Windows ending the session, or ending zelt's message loop, while the radio is keyed,
- a port that is absent at start, or lost, and comes back,
- the modem control lines of a real serial port.

Each drill ends with zelt running (unless it closes it) and checks that nothing the operator
stored was lost or changed behind the operator's back.
"""

from __future__ import annotations

import fcntl
import json
import os
import pty
import re
import select
import signal
import struct
import subprocess
import termios
import time
import tty
import unittest
from decimal import ROUND_HALF_EVEN, Decimal

import bench
import probe
from bench import GREEN, PTT_OFF, PTT_ON, RED, SHAPE1_CENTRE, STORE_KEY, ZeltTestCase
from test_startup import line_settings, scramble_line

DEFAULT_SETTINGS = "4800,n,8,2"
MORE, LESS = "&More>>", "&Less<<"
TEXT1_CENTRE = (1560 + 2295 / 2, 840 + 285 / 2)

# How long the window may take to answer one look from outside (a Wine process start included).
RESPONSIVE_DEADLINE = 10.0
# How long a request may take to come back when the port cannot take its bytes: the write gives up
# after about a second; the rest is room for a loaded machine.
FAILED_WRITE_DEADLINE = 20.0
# A flood twice what the radio's line holds under Wine (about 15 KB), so that writes must back up
# and fail many times over.
BACKUP_FLOOD = 6_000
BACKUP_FLOOD_DEADLINE = 300.0
EXIT_DEADLINE = 30.0
LONG_TEXT = 100_000


# -- the store as it really is: every value's type and data ------------------------------------------
_VALUE_LINE = re.compile(r"^    (.+?)    (REG_[A-Z_]+)(?:    (.*))?$")


def store_values(the_bench: bench.Bench) -> dict[tuple[str, str], tuple[str, str]]:
    """Every value under zelt's store, as {(section, key): (type, data as reg shows it)}."""
    rc, out, _ = the_bench._run_logged(["wine", "reg", "query", STORE_KEY, "/s"], "reg-query-all", check=False)
    if rc != 0:
        return {}
    values, section = {}, None
    prefix = "HKEY_CURRENT_USER\\Software\\ZELT"
    for line in out.split("\n"):
        line = line.rstrip("\r")
        if line.upper().startswith(prefix.upper()):
            section = line[len(prefix):].lstrip("\\")
            continue
        match = _VALUE_LINE.match(line)
        if match and section:
            values[(section, match.group(1))] = (match.group(2), match.group(3) or "")
    return values


def write_store(the_bench: bench.Bench, values: dict[tuple[str, str], object]):
    """Puts values into the store through a .reg import, which takes texts of any length: a str is
    REG_SZ (also with a NUL inside), an int REG_DWORD, bytes REG_BINARY."""
    sections: dict[str, list[str]] = {}
    for (section, key), value in values.items():
        if isinstance(value, bytes):
            data = "hex:" + ",".join(f"{b:02x}" for b in value)
        elif isinstance(value, str) and "\0" in value:
            # A text with a NUL inside can only go in as the raw UTF-16 of a REG_SZ.
            data = "hex(1):" + ",".join(f"{b:02x}" for b in (value + "\0").encode("utf-16-le"))
        elif isinstance(value, int):
            data = f"dword:{value:08x}"
        else:
            data = '"' + value.replace("\\", "\\\\").replace('"', '\\"') + '"'
        sections.setdefault(section, []).append(f'"{key}"={data}')
    text = "Windows Registry Editor Version 5.00\r\n\r\n"
    for section, lines in sections.items():
        text += f"[HKEY_CURRENT_USER\\Software\\ZELT\\{section}]\r\n" + "\r\n".join(lines) + "\r\n\r\n"
    path = the_bench.run_dir / "garbage.reg"
    path.write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))
    the_bench._run_logged(["wine", "regedit", "/s", bench.windows_path(path)], "regedit")


def reg_shown(value: object) -> tuple[str, str]:
    """How reg query shows a value that write_store put there."""
    if isinstance(value, bytes):
        return "REG_BINARY", value.hex().upper()
    if isinstance(value, int):
        return "REG_DWORD", hex(value)
    return "REG_SZ", value


_NUMBER = re.compile(r"^[ \t]*([+-]?(?:\d+\.?\d*|\.\d+))[ \t]*$")


def to_int16(value: object, minus: int = 0) -> int | None:
    """A stored value (less minus) as zelt's start-up converts it: text only, blanks around, decimal
    with an optional fraction, rounded half to even, in -32768..32767; None when it does not convert."""
    if not isinstance(value, str):
        return None
    match = _NUMBER.match(value)
    if not match:
        return None
    whole = match.group(1).lstrip("+-").split(".")[0].lstrip("0")
    if len(whole) > 6:
        return None  # far outside the range, and too long for exact rounding here
    number = int((Decimal(match.group(1)) - minus).quantize(Decimal(1), rounding=ROUND_HALF_EVEN))
    return number if -32768 <= number <= 32767 else None


def port_used(stored: object) -> int:
    """The radio that a stored "ComPort" leads to on this bench: the converted number when it names
    one of the bench's ports, else COM1, the number the serial control holds from the start."""
    number = to_int16(stored)
    return number if number is not None and 1 <= number <= bench.PORT_COUNT else 1


class OwnRadio:
    """A radio of this module's own behind a COM link: a raw pty whose far end can hang up, the
    way a USB adapter or a radio that is switched off disappears (the bench's radios never do)."""

    def __init__(self, link):
        self.link = link
        self.master, self.slave = pty.openpty()
        tty.setraw(self.slave)
        self.device = os.ttyname(self.slave)
        self.open = True
        if os.path.lexists(link):
            os.unlink(link)
        os.symlink(self.device, link)

    def read(self, count: int, timeout: float = bench.RADIO_DEADLINE) -> bytes:
        """Reads until count bytes have come or the deadline passed, then takes any stragglers."""
        data = b""
        end = time.monotonic() + timeout
        while True:
            left = end - time.monotonic() if len(data) < count else 0.2
            if left <= 0:
                return data
            ready, _, _ = select.select([self.master], [], [], left)
            if not ready:
                if len(data) >= count:
                    return data
                continue
            try:
                data += os.read(self.master, 4096)
            except OSError:
                return data

    def hang_up(self):
        """The radio is gone: its end of the line closes and its device name disappears."""
        if os.path.lexists(self.link) and os.path.realpath(self.link) == os.path.realpath(self.device):
            os.unlink(self.link)
        if self.open:
            self.open = False
            for fd in (self.master, self.slave):
                os.close(fd)


class FaultTestCase(probe.WindowWaits, ZeltTestCase):
    def start_logging_zelt(self, name: str, **start):
        """Starts zelt writing its event log to a file of this test's own, read by logged()."""
        self.log_file = self.bench.run_dir / f"{name}.log"
        self.log_file.unlink(missing_ok=True)
        self.bench.start_zelt(args=["--log", bench.windows_path(self.log_file)], **start)
        self.wait_started()

    def logged(self) -> list[str]:
        """The event log's lines so far, without their time stamps."""
        if not self.log_file.exists():
            return []
        return [line[24:] for line in self.log_file.read_text(errors="replace").splitlines()]

    def wait_logged(self, line: str, count: int = 1, timeout: float = bench.RADIO_DEADLINE) -> list[str]:
        """Waits until the event log holds the line count times; returns the log."""
        for _ in bench._deadline_loop(timeout, 0.05):
            lines = self.logged()
            if lines.count(line) >= count:
                return lines
        self.fail(f"the event log never held {line!r} {count} times; it ends {self.logged()[-8:]}")

    def request_reopens_the_port(self, state: int, number: int = 1):
        """A request to a port that is closed fails at once, writing nothing, and has the port
        opened again in the background, for the next request; returns once it is open. (An unkey
        owed goes out as it opens: the caller checks the radio's bytes.)"""
        opened = f"COM{number} opened (4800,n,8,2)"
        failed = f"host: request 0, state {state}: failed: the port is not open; it is being opened again [code 8018]"
        before = self.logged()
        self.send_in_time(0, state)
        self.assertEqual(self.logged().count(failed), before.count(failed) + 1, "the request did not fail so")
        self.wait_logged(opened, before.count(opened) + 1)

    def wine_in_time(self, exe, *args, deadline: float, what: str):
        """Runs a Windows program that must come back within the deadline; returns (rc, out, seconds)."""
        started = time.monotonic()
        try:
            rc, out, _ = self.bench.wine(exe, *args, timeout=deadline)
        except subprocess.TimeoutExpired:
            self.fail(f"{what} did not come back within {deadline} s")
        return rc, out, time.monotonic() - started

    def assertResponsive(self) -> float:
        """zelt's thread answers: the probe reads its controls (messages zelt's thread must serve)
        and a no-op host request is answered. Returns the longer of the two times."""
        rc, out, probe_time = self.wine_in_time(probe.PROBE_EXE, "window", deadline=RESPONSIVE_DEADLINE,
                                                what="the probe")
        self.assertEqual(rc, 0, "the probe found no window")
        self.assertEqual(json.loads(out)["title"], bench.WINDOW_TITLE)
        rc, out, host_time = self.wine_in_time(bench.HOST_EXE, "7", "7", deadline=RESPONSIVE_DEADLINE,
                                               what="a no-op request")
        self.assertEqual(rc, 0, f"zelt-host: {out}")
        return max(probe_time, host_time)

    def send_in_time(self, request: int, state: int, deadline: float = FAILED_WRITE_DEADLINE) -> float:
        """Sends a request that must come back (failed or not) within the deadline."""
        rc, out, seconds = self.wine_in_time(bench.HOST_EXE, str(request), str(state), deadline=deadline,
                                             what=f"request ({request},{state})")
        self.assertEqual(rc, 0, f"zelt-host: {out}")
        return seconds

    def assertRequestsWork(self, *states: int):
        """Each state in turn reaches COM1's radio whole and recolours the indicator; nothing goes
        elsewhere and zelt runs on."""
        expected = b""
        for state in states:
            self.send_in_time(0, state)
            expected += PTT_ON if state == 1 else PTT_OFF
            self.assertRadio(1, expected)
            self.assertIndicator(RED if state == 1 else GREEN)
        self.assertRadioQuiet(2, 3, 4)
        self.assertZeltRunning()

    def expand(self):
        self.bench.key("alt+m")
        self.wait_window(lambda w: w["controls"]["panelButton"]["text"] == LESS, "the panel did not open")

    def wait_focus(self, name: str):
        self.wait_window(lambda w: w["focus"] == name, f"the focus never reached {name}", 5.0)

    def enter_settings_box(self):
        self.expand()
        self.bench.click_twips(*TEXT1_CENTRE)
        self.wait_focus("lineSettingsBox")

    def leave_settings_box_unchanged(self):
        """Tabs out of the line settings box without a change; the check on leaving it passes."""
        self.enter_settings_box()
        self.bench.key("Tab")
        self.wait_focus("runMinimizedBox")
        self.assertNoMessageBox()

    def assertNoMessageBox(self):
        self.assertEqual(probe.dialogs(self.bench), [], "a message box is shown")

    def assertStore(self, expected: dict):
        self.assertEqual(store_values(self.bench), expected, "the store")


class RadioVanishes(FaultTestCase):
    """The radio on COM1 disappears while zelt runs, then comes back."""

    def setUp(self):
        super().setUp()
        # The operator stored line settings earlier, so leaving the settings box shows no message.
        self.bench.reg_set("Com", "Settings", DEFAULT_SETTINGS)
        self.own = OwnRadio(self.bench.radio(1).link)
        self.addCleanup(self.own.hang_up)
        self.start_logging_zelt("vanishes")
        self.stored = store_values(self.bench)
        # Requests work on the radio that is about to go.
        self.send_in_time(0, 1)
        got = self.own.read(len(PTT_ON))
        self.assertEqual(got, PTT_ON, f"own radio got {got.hex(' ')}")
        self.assertIndicator(RED)

    def vanish_and_fail(self):
        self.own.hang_up()
        self.assertFalse(os.path.lexists(self.bench.radio(1).link), "COM1 is still there")
        # Both directions of request and a real click on the indicator: each one fails to write.
        for state in (0, 1, 0):
            self.send_in_time(0, state)
            self.assertRadioQuiet()
            self.assertIndicatorStays(RED)
        self.bench.click_twips(*SHAPE1_CENTRE)
        self.assertResponsive()
        self.assertRadioQuiet()
        self.assertIndicatorStays(RED)
        self.assertZeltRunning()
        self.assertNoMessageBox()

    def requests_work_again(self):
        # The unkeys that failed while the radio was gone are owed: the first goes out as the port
        # opens again, nothing else does, and then requests work.
        self.wait_logged("COM1 opened (4800,n,8,2)", 2)
        self.assertRadio(1, PTT_OFF)
        self.assertIndicator(GREEN)
        self.assertIn("unkey that could not be delivered before: wrote 00 00 00 00 0F", self.logged())
        self.bench.radio(1).clear()
        self.assertRequestsWork(0, 1)

    def test_choosing_com1_again_reopens_the_returned_radio(self):
        self.vanish_and_fail()
        self.bench.radio(1).present()
        # The operator picks COM1 again from the list, by keyboard.
        self.expand()
        self.bench.key("alt+p")
        self.wait_focus("portList")
        self.bench.key("alt+Down")
        self.wait_window(lambda w: w["focus"] == "portList", "the list lost the focus")
        self.bench.key("Return")
        expected = dict(self.stored)
        expected[("Com", "ComPort")] = ("REG_SZ", "1")  # the operator's choice, stored
        for _ in bench._deadline_loop(10.0, 0.1):
            if store_values(self.bench) == expected:
                break
        self.assertStore(expected)
        self.assertNoMessageBox()
        self.requests_work_again()
        self.assertStore(expected)

    def test_the_next_request_finds_the_returned_radio(self):
        self.vanish_and_fail()
        self.bench.radio(1).present()
        # That request, a key, fails and has the port opened; it never goes out later.
        self.request_reopens_the_port(1)
        self.requests_work_again()
        self.assertStore(self.stored)

    def test_leaving_the_settings_box_reopens_the_returned_radio(self):
        self.vanish_and_fail()
        self.bench.radio(1).present()
        self.leave_settings_box_unchanged()
        self.requests_work_again()
        self.assertStore(self.stored)


class DeviceNameGoes(FaultTestCase):
    def test_an_open_port_whose_device_name_goes(self):
        # The bench's way of taking a port away removes only its name: the port that zelt holds
        # open may still reach the line. Whatever happens, the indicator must tell the truth.
        self.bench.start_zelt()
        self.wait_started()
        stored = store_values(self.bench)
        self.send_in_time(0, 1)
        self.assertRadio(1, PTT_ON)
        self.assertIndicator(RED)
        self.bench.radio(1).clear()

        self.bench.radio(1).absent()
        self.send_in_time(0, 0)
        got = self.bench.radio(1).settle()
        colour = self.bench.indicator()
        self.bench.log(f"COM1's name removed with the port open: a PTT-off request wrote "
                       f"{got.hex(' ') or 'nothing'}, indicator {colour}")
        self.assertIn((got, colour), ((PTT_OFF, GREEN), (b"", RED)),
                      "the indicator disagrees with what the radio received")
        self.assertRadioQuiet(2, 3, 4)
        self.assertResponsive()
        self.assertZeltRunning()
        self.assertStore(stored)


class AdapterGoesAndComesBack(FaultTestCase):
    """A USB serial adapter on COM1 is pulled out and put back, or reset by RF in its cable, with
    Windows telling zelt as it does: WM_DEVICECHANGE naming the port, or only that devices changed.
    Pulled out is the radio's pty hung up and its link removed; put back is a new pty under the
    same link. The radio must never be left keyed, and the first request after the adapter is back
    must reach it."""

    def setUp(self):
        super().setUp()
        self.own = OwnRadio(self.bench.radio(1).link)
        self.addCleanup(lambda: self.own.hang_up())
        self.start_logging_zelt("adapter")

    def tell(self, *event: str):
        """Delivers a device or power event as Windows would; it has been handled on return."""
        rc, out, _ = self.wine_in_time(probe.PROBE_EXE, *event, deadline=RESPONSIVE_DEADLINE,
                                       what=" ".join(event))
        self.assertEqual(rc, 0, f"zelt-probe {' '.join(event)}: {out}")

    def pull_out(self):
        self.own.hang_up()

    def put_back(self):
        self.own = OwnRadio(self.bench.radio(1).link)

    def key(self):
        self.send_in_time(0, 1)
        got = self.own.read(len(PTT_ON))
        self.assertEqual(got, PTT_ON, f"the radio got {got.hex(' ')}")
        self.assertIndicator(RED)

    def test_unkey_that_failed_while_the_adapter_was_out_goes_out_when_it_is_back(self):
        # RF resets the adapter while the radio is keyed: the host's unkey fails on the dead port.
        self.key()
        self.pull_out()
        self.send_in_time(0, 0)
        self.assertIndicatorStays(RED)
        self.tell("device-change")
        self.assertIndicatorStays(RED)
        self.put_back()
        self.tell("device-change")
        # By the time the event is handled the unkey is on the wire, and nothing else.
        got = self.own.read(len(PTT_OFF))
        self.assertEqual(got, PTT_OFF, f"the radio got {got.hex(' ')} when the adapter came back")
        self.assertIndicator(GREEN)
        self.assertIn("unkey that could not be delivered before: wrote 00 00 00 00 0F", self.logged())
        self.key()
        self.assertNoMessageBox()

    def test_named_removal_and_arrival_unkey_at_once_and_a_failed_key_never_goes_out(self):
        self.key()
        self.pull_out()
        self.tell("port-removed", "COM1")
        self.assertIn("COM1 went away", self.logged())
        self.send_in_time(0, 0)
        self.send_in_time(0, 1)  # fails: it must not key the radio later
        self.assertIndicatorStays(RED)
        self.put_back()
        self.tell("port-arrived", "COM2")  # another port: nothing happens to COM1
        self.assertEqual(self.own.read(1, 0.2), b"")
        self.tell("port-arrived", "COM1")
        got = self.own.read(len(PTT_OFF))
        self.assertEqual(got, PTT_OFF, f"the radio got {got.hex(' ')}")
        self.assertIndicator(GREEN)
        self.assertRadioQuiet(2, 3, 4)

    def test_pulled_out_and_put_back_while_idle_the_first_request_reaches_the_radio(self):
        self.pull_out()
        self.tell("device-change")
        self.assertIn("COM1 went away", self.logged())
        self.put_back()
        self.tell("device-change")
        self.assertEqual(self.logged().count("COM1 opened (4800,n,8,2)"), 2)
        self.key()  # the first request after the adapter is back
        self.send_in_time(0, 0)
        self.assertEqual(self.own.read(len(PTT_OFF)), PTT_OFF)
        self.assertIndicator(GREEN)

    def test_sleep_while_transmitting_unkeys_before_the_message_returns(self):
        self.key()
        self.tell("suspend")
        self.assertEqual(self.own.read(len(PTT_OFF), 0.5), PTT_OFF, "no unkey by the time sleep was allowed")
        self.assertIndicator(GREEN)
        self.assertIn("unkey before sleep: wrote 00 00 00 00 0F", self.logged())
        self.tell("resume")
        self.key()  # the port was opened again

    def test_sleep_with_the_adapter_gone_unkeys_once_it_is_back_after_waking(self):
        self.key()
        self.pull_out()
        self.tell("suspend")
        self.assertIndicatorStays(RED)
        self.put_back()
        self.tell("resume")
        self.assertEqual(self.own.read(len(PTT_OFF)), PTT_OFF)
        self.assertIndicator(GREEN)
        self.key()


class RadioStopsReading(FaultTestCase):
    def setUp(self):
        super().setUp()
        self.bench.start_zelt()
        self.wait_started()
        self.stored = store_values(self.bench)
        self.radio = self.bench.radio(1)

    def tearDown(self):
        termios.tcflow(self.radio.slave, termios.TCOON)
        self.radio.resume()
        super().tearDown()

    def test_writes_back_up_fail_in_time_and_the_window_stays_responsive(self):
        self.send_in_time(0, 1)
        self.assertRadio(1, PTT_ON)
        self.radio.clear()

        self.radio.pause()
        out_path, err_path = self.bench._next_log("host-flood")
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            flood = self.bench.popen(["wine", str(bench.HOST_EXE), "--flood", str(BACKUP_FLOOD), "--quiet"],
                                     stdout=out, stderr=err)
        self.addCleanup(lambda: flood.poll() is None and flood.kill())
        checks, slowest = 0, 0.0
        end = time.monotonic() + BACKUP_FLOOD_DEADLINE
        while flood.poll() is None:
            if time.monotonic() > end:
                flood.kill()
                self.fail(f"{BACKUP_FLOOD} requests to a radio that stopped reading took over "
                          f"{BACKUP_FLOOD_DEADLINE} s: writes do not give up")
            slowest = max(slowest, self.assertResponsive())
            checks += 1
        self.assertEqual(flood.returncode, 0, f"zelt-host --flood: {err_path.read_text(errors='replace')}")
        # Still backed up: the radio has not read a byte.
        slowest = max(slowest, self.assertResponsive())
        checks += 1
        self.assertZeltRunning()

        pending = self.radio.pending()
        self.radio.resume()
        data = self.radio.settle()
        sent = BACKUP_FLOOD * 5
        self.bench.log(f"backed-up flood: {sent} bytes requested, {len(data)} arrived ({pending} were waiting "
                       f"in the radio's line); {checks} looks at the window, slowest {slowest:.2f} s")
        self.assertLess(len(data), sent, "every write went through although the radio read nothing")
        # The last write may have been cut short; everything before it is whole PTT blocks, and the
        # indicator shows what the last whole block says.
        torn = len(data) % 5
        blocks = [data[i:i + 5] for i in range(0, len(data) - torn, 5)]
        bad = [i for i, block in enumerate(blocks) if block not in (PTT_ON, PTT_OFF)]
        self.assertEqual(bad, [], f"blocks {bad[:5]} are not PTT blocks")
        self.assertTrue(blocks, "no whole block arrived")
        self.assertIndicatorStays(RED if blocks[-1] == PTT_ON else GREEN)

        # The next request first completes a torn block as an unkey, with a whole unkey after it.
        # (A realignment cut short right at a block's end still owes its whole unkey.)
        self.radio.clear()
        self.send_in_time(0, 1)
        got = self.radio.settle()
        allowed = [PTT_OFF[torn:] + PTT_OFF + PTT_ON] if torn else [PTT_ON, PTT_OFF + PTT_ON]
        self.assertIn(got, allowed, f"after the backed-up flood, COM1 received {got.hex(' ')}")
        self.assertIndicator(RED)
        self.radio.clear()
        self.assertRequestsWork(0, 1, 0)
        self.assertStore(self.stored)

    def test_a_stalled_write_fails_in_time_and_its_bytes_never_reach_the_radio(self):
        # The line stops taking anything at all (output suspended), so every write stalls at once.
        termios.tcflow(self.radio.slave, termios.TCOOFF)
        times = []
        for state in (1, 1):
            times.append(self.send_in_time(0, state))
            self.assertIndicatorStays(GREEN)
        self.bench.click_twips(*SHAPE1_CENTRE)
        self.assertResponsive()
        self.assertIndicatorStays(GREEN)
        self.bench.log("stalled writes came back after " + ", ".join(f"{t:.2f} s" for t in times))
        self.assertNoMessageBox()

        termios.tcflow(self.radio.slave, termios.TCOON)
        # Writes on the port are served in order, so anything left of a failed PTT-on would come
        # before these fresh blocks.
        self.send_in_time(0, 0)
        self.assertRadio(1, PTT_OFF)
        self.send_in_time(0, 1)
        self.assertRadio(1, PTT_OFF + PTT_ON)
        self.assertIndicator(RED)
        self.assertZeltRunning()
        self.assertStore(self.stored)


class PortComesBack(FaultTestCase):
    """COM1 is absent when zelt starts; zelt finds it again by itself once it is back."""

    def setUp(self):
        super().setUp()
        self.bench.radio(1).absent()
        self.start_logging_zelt("comes-back")

    def test_a_request_to_an_absent_port_costs_one_failed_open(self):
        times = [self.send_in_time(0, 1) for _ in range(5)]
        self.assertRadioQuiet()
        self.assertIndicatorStays(GREEN)
        # Round trips measured inside Wine: each request to the absent port tries one open.
        absent = self.bench.host("--bench", "200")
        self.assertSent(absent)
        self.assertRadioQuiet()
        self.assertIndicatorStays(GREEN)
        # Each failed at once; the opens they started, in the background, failed too.
        self.assertIn("COM1 could not be opened", " ".join(self.logged()))
        self.bench.radio(1).present()
        self.request_reopens_the_port(1)
        self.assertRequestsWork(1, 0)
        present = self.bench.host("--bench", "200")
        self.assertSent(present)
        self.bench.log(f"requests to an absent port came back after {', '.join(f'{t:.2f}' for t in times)} s; "
                       f"--bench 200 absent: {absent.stdout.strip()}; present: {present.stdout.strip()}")

    def test_a_device_arrival_opens_the_port_before_any_request(self):
        # The line's settings tell whether zelt opened the port: it puts 4800,n,8,2 on it.
        scramble_line(self, self.bench, 1)
        self.bench.radio(1).present()
        rc, _, _ = self.wine_in_time(probe.PROBE_EXE, "device-change", deadline=RESPONSIVE_DEADLINE,
                                     what="a device change")
        self.assertEqual(rc, 0)
        self.wait_logged("COM1 opened (4800,n,8,2)")
        self.assertEqual(line_settings(self.bench, 1), (4800, "n", 8, 2), "the port was not opened")
        self.assertRadioQuiet()
        self.assertRequestsWork(1, 0)

    def test_after_resume_from_sleep_the_port_is_opened_afresh(self):
        self.bench.radio(1).present()
        self.request_reopens_the_port(0)
        self.assertRequestsWork(1)
        scramble_line(self, self.bench, 1)
        rc, _, _ = self.wine_in_time(probe.PROBE_EXE, "resume", deadline=RESPONSIVE_DEADLINE, what="a resume")
        self.assertEqual(rc, 0)
        # The handle was let go and the port is opened again, with zelt's settings.
        self.wait_logged("COM1 opened (4800,n,8,2)", 2)
        self.bench.radio(1).clear()
        self.assertRequestsWork(0)
        self.assertEqual(line_settings(self.bench, 1), (4800, "n", 8, 2))


class SessionEnds(FaultTestCase):
    """Windows ends the session, or something ends zelt's message loop, while the radio is keyed."""

    def setUp(self):
        super().setUp()
        self.start_logging_zelt("session")
        self.send_in_time(0, 1)
        self.assertRadio(1, PTT_ON)
        self.assertIndicator(RED)

    def end_session(self, how: str = "end-session"):
        rc, out, _ = self.wine_in_time(probe.PROBE_EXE, how, deadline=RESPONSIVE_DEADLINE,
                                       what="the end of the session")
        self.assertEqual(rc, 0, out)

    def test_end_of_session_unkeys_once(self):
        self.end_session()
        # The unkey is out by the time the message returns: no wait.
        self.assertEqual(self.bench.radio(1).bytes(), PTT_ON + PTT_OFF)
        self.assertIndicator(GREEN)
        # The process may end at any moment now: no key goes out, by the host or a click; unkeys do.
        self.send_in_time(0, 1)
        self.assertIn("host: request 0, state 1: failed: refused: the session is ending [code 70]", self.logged())
        self.bench.click_twips(*SHAPE1_CENTRE)
        self.assertResponsive()
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertIndicatorStays(GREEN)
        self.send_in_time(0, 0)
        self.assertRadio(1, PTT_ON + PTT_OFF * 2)
        self.assertSent(self.bench.send(1, 0))
        self.assertEqual(self.bench.wait_zelt_exit(EXIT_DEADLINE), 0)
        self.assertRadio(1, PTT_ON + PTT_OFF * 2)
        self.assertRadioQuiet(2, 3, 4)

    def test_the_restart_manager_closes_zelt_unkeyed(self):
        self.end_session("end-session-closeapp")
        self.assertEqual(self.bench.wait_zelt_exit(EXIT_DEADLINE), 0, self.bench.zelt_output()[-2000:])
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertRadioQuiet(2, 3, 4)

    def test_an_end_of_session_called_off_changes_nothing(self):
        self.end_session("end-session-cancelled")
        self.assertRadio(1, PTT_ON)
        self.assertIndicatorStays(RED)
        self.assertZeltRunning()
        self.send_in_time(0, 1)
        self.assertRadio(1, PTT_ON * 2)
        self.bench.radio(1).clear()
        self.assertRequestsWork(0, 1, 0)

    def test_a_quit_message_from_outside_unkeys_on_the_way_out(self):
        rc, _, _ = self.wine_in_time(probe.PROBE_EXE, "quit", deadline=RESPONSIVE_DEADLINE, what="the quit")
        self.assertEqual(rc, 0)
        self.assertEqual(self.bench.wait_zelt_exit(EXIT_DEADLINE), 0, self.bench.zelt_output()[-2000:])
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertRadioQuiet(2, 3, 4)


class ControlLines(FaultTestCase):
    """zelt on the machine's real serial port: DTR and RTS stay low unless the operator asked for
    one of them high, for as long as zelt holds the port."""

    DEVICE = "/dev/ttyS0"
    PORT = 5

    def setUp(self):
        super().setUp()
        try:
            # Held open around every check: Linux raises both lines at a tty's first open and
            # drops them at its last close, which would hide what zelt does.
            self.fd = os.open(self.DEVICE, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
            self.lines()
        except OSError as error:
            self.skipTest(f"{self.DEVICE} cannot report its modem lines here: {error}")
        self.addCleanup(os.close, self.fd)
        link = self.bench.dosdevices() / f"com{self.PORT}"
        target = os.readlink(link) if os.path.lexists(link) else None
        if os.path.lexists(link):
            os.unlink(link)
        os.symlink(self.DEVICE, link)

        def restore():
            os.unlink(link)
            if target is not None:
                os.symlink(target, link)
        self.addCleanup(restore)
        self.bench.reg_set("Com", "ComPort", str(self.PORT))

    def lines(self) -> tuple[bool, bool]:
        value = struct.unpack("i", fcntl.ioctl(self.fd, termios.TIOCMGET, b"\0" * 4))[0]
        return bool(value & termios.TIOCM_DTR), bool(value & termios.TIOCM_RTS)

    def wait_lines(self, expected: tuple[bool, bool], what: str):
        seen = None
        for _ in bench._deadline_loop(10.0, 0.05):
            seen = self.lines()
            if seen == expected:
                return
        self.fail(f"{what}: DTR, RTS are {seen}, expected {expected}")

    def test_lines_low_unless_stored_high(self):
        self.assertEqual(self.lines(), (True, True), "Linux raised both lines at the first open")
        for dtr, rts in ((None, None), ("1", None), (None, "1"), ("yes", "1")):
            with self.subTest(DTR=dtr, RTS=rts):
                self.bench.stop_zelt()
                for key, value in (("DTR", dtr), ("RTS", rts)):
                    if value is None:
                        self.bench._run_logged(["wine", "reg", "delete", f"{STORE_KEY}\\Com", "/v", key, "/f"],
                                               "reg-delete", check=False)
                    else:
                        self.bench.reg_set("Com", key, value)
                self.bench.start_zelt()
                self.wait_started()
                expected = (dtr == "1", rts == "1")
                self.wait_lines(expected, "with the port open")
                # A request and a change of line settings keep them where they are.
                self.send_in_time(0, 0)
                self.enter_settings_box()
                self.bench.key("End", "BackSpace", "1")
                for _ in bench._deadline_loop(10.0, 0.1):
                    if self.bench.reg_get("Com", "Settings") == "4800,n,8,1":
                        break
                self.assertEqual(self.lines(), expected, "after the line settings changed")
                self.bench.key("Tab")
                self.wait_focus("runMinimizedBox")
                self.assertEqual(self.lines(), expected, "after leaving the settings box")


class GarbageInTheStore(FaultTestCase):
    LONG_PORT = "1" + "0" * (LONG_TEXT - 1)
    LONG_SETTINGS = ("9600,n,8,1," * (LONG_TEXT // 11 + 1))[:LONG_TEXT]
    # One start of zelt for each: what the store holds before zelt starts.
    SETS = [
        {"ComPort": "abc", "Min": "x", "Top": "x", "Settings": ""},
        {"ComPort": "", "Min": "3", "Top": "3", "Settings": "junk"},
        {"ComPort": "99999", "Min": "-1", "Top": "-1", "Settings": LONG_SETTINGS},
        {"ComPort": "2.5", "Min": "1.5", "Top": "1.5", "Settings": 3},
        {"ComPort": "-1", "Settings": "junk"},
        {"ComPort": " 3 "},
        {"ComPort": LONG_PORT},
        {"ComPort": 3},
        {"ComPort": b"\x03\x00\xff"},
    ]
    SECTIONS = {"ComPort": "Com", "Settings": "Com", "Min": "Win", "Top": "Win"}

    def test_zelt_starts_and_works_whatever_the_store_holds(self):
        for garbage in self.SETS:
            shown = {k: (v if not isinstance(v, str) or len(v) < 40 else f"{len(v)} chars") for k, v in garbage.items()}
            with self.subTest(store=shown):
                self.bench.stop_zelt()
                self.bench.reset_store()
                for radio in self.bench.radios.values():
                    radio.clear()
                put = {(self.SECTIONS[k], k): v for k, v in garbage.items()}
                write_store(self.bench, put)
                before = {key: reg_shown(value) for key, value in put.items()}
                self.assertEqual(store_values(self.bench), before, "the garbage did not go in")

                self.bench.start_zelt()
                window = self.wait_started()
                port = port_used(garbage.get("ComPort", "1"))
                self.send_in_time(0, 1)
                self.assertRadio(port, PTT_ON)
                self.assertRadioQuiet(*(n for n in self.bench.radios if n != port))
                # The list shows the port number in force, read once from the store, when it can.
                number = to_int16(garbage.get("ComPort", "1"))
                position = number - 1 if number is not None else None
                self.assertEqual(window["controls"]["portList"]["selection"],
                                 position if position in range(4) else -1, "port list")
                settings = garbage.get("Settings", DEFAULT_SETTINGS)
                self.assertEqual(window["controls"]["lineSettingsBox"]["text"],
                                 settings if isinstance(settings, str) else "Text1", "settings box")
                if not window["minimized"]:
                    self.assertIndicator(RED)
                self.assertNoMessageBox()

                # A check box takes the states 0, 1 and 2 (grey); setting it runs its own
                # reaction, which stores the value. A value start-up could not read or set is left
                # alone and the box stays unchecked. Min and Top missing read as 0, stored as "0".
                expected = dict(before)
                values = {}
                for key in ("Min", "Top"):
                    number = to_int16(garbage.get(key, "0"))
                    values[key] = number if number in (0, 1, 2) else 0
                    if number in (0, 1, 2):
                        expected[("Win", key)] = ("REG_SZ", str(number))
                    with self.subTest(key=key):
                        checked = window["controls"]["runMinimizedBox" if key == "Min" else "onTopBox"]["check"]
                        self.assertEqual(checked, values[key], f"{key}: check box state")
                min_value, top_value = values["Min"], values["Top"]
                self.assertEqual(window["minimized"], min_value != 0, "minimized")
                self.assertEqual(window["topmost"], top_value == 1, "topmost")
                after = store_values(self.bench)
                changed = {k[1]: (before.get(k, ("missing", ""))[1][:20], v[1][:20])
                           for k, v in after.items() if before.get(k) != v}
                self.bench.log(f"store {shown}: zelt changed {changed or 'nothing'}")
                self.assertEqual(after, expected, "the store")
                self.assertResponsive()
                self.assertZeltRunning()

    def test_a_stored_text_is_read_up_to_its_first_nul(self):
        write_store(self.bench, {("Com", "Settings"): "9600,n,8,1\0junk", ("Com", "ComPort"): "2.5"})
        scramble_line(self, self.bench, 2)
        self.bench.start_zelt()
        window = self.wait_started()
        # The box, the port and the check on leaving the box all use "9600,n,8,1"; the list
        # shows the port that is opened.
        self.assertEqual(window["controls"]["lineSettingsBox"]["text"], "9600,n,8,1")
        self.assertEqual(window["controls"]["portList"]["selection"], 1)
        self.assertEqual(line_settings(self.bench, 2), (9600, "n", 8, 1))
        self.leave_settings_box_unchanged()
        self.send_in_time(0, 1)
        self.assertRadio(2, PTT_ON)
        self.assertRadioQuiet(1, 3, 4)
        self.assertEqual(line_settings(self.bench, 2), (9600, "n", 8, 1))


class CloseDuringMessageBox(FaultTestCase):
    def _box_then_close(self):
        self.expand()
        self.bench.key("alt+s")
        self.wait_focus("lineSettingsBox")
        self.bench.key("BackSpace")  # the whole text was selected: the box is empty now
        for _ in bench._deadline_loop(10.0, 0.1):
            if self.bench.reg_get("Com", "Settings") == "":
                break
        stored = store_values(self.bench)
        self.assertEqual(stored.get(("Com", "Settings")), ("REG_SZ", ""), "the emptied box is stored")
        self.bench.key("Tab")
        try:
            box = probe.wait_dialog(self.bench)
        except bench.BenchError as error:
            self.fail(str(error))
        self.assertEqual(box["text"], "Invalid comport settings")
        self.assertSent(self.bench.send(1, 0, post=True))
        try:
            code = self.bench.wait_zelt_exit(EXIT_DEADLINE)
        except bench.BenchError as error:
            self.fail(f"{error}; message boxes: {probe.dialogs(self.bench)}")
        self.assertEqual(code, 0, self.bench.zelt_output()[-2000:])
        self.assertEqual(self.bench.host("--info").returncode, 2, "the window is still there")
        self.assertStore(stored)

    def test_posted_close_ends_zelt_cleanly(self):
        self.bench.start_zelt()
        self.wait_started()
        self._box_then_close()
        self.assertRadioQuiet()

    def test_posted_close_while_transmitting(self):
        self.bench.start_zelt()
        self.wait_started()
        self.send_in_time(0, 1)
        self.assertRadio(1, PTT_ON)
        self.assertIndicator(RED)
        self._box_then_close()
        # The box holds the port closed for requests, but not against the unkey on the way out:
        # it goes out once, and nothing else does.
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertRadioQuiet(2, 3, 4)


class SecondZelt(FaultTestCase):
    def start_second(self) -> subprocess.Popen:
        out_path, err_path = self.bench._next_log("zelt-second")
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            second = self.bench.popen(["wine", str(bench.ZELT_EXE)], stdout=out, stderr=err,
                                      cwd=self.bench.run_dir)

        def stop():
            if second.poll() is None:
                second.send_signal(signal.SIGKILL)
                second.wait(30)
        self.addCleanup(stop)
        return second

    def x_windows(self) -> list[int]:
        rc, out, _ = self.bench._run_logged(["xdotool", "search", "--name", f"^{bench.WINDOW_TITLE}$"],
                                            "xdotool-search", check=False)
        return [int(v) for v in out.split()] if rc == 0 else []

    def send_to(self, hwnd: int, request: int, state: int):
        result = self.bench.host("--hwnd", str(hwnd), str(request), str(state))
        self.assertSent(result)

    # One zelt per desktop: the second copy could not open the port the first holds, and a host
    # finding zelt by its caption could talk to it. It hands over to the first and exits at once.
    def test_a_second_zelt_is_turned_away_and_the_first_runs_on(self):
        self.bench.start_zelt()
        self.wait_started()
        first = self.bench.info().hwnd
        stored = store_values(self.bench)

        second = self.start_second()
        self.assertEqual(second.wait(EXIT_DEADLINE), 0)
        self.assertEqual(len(self.x_windows()), 1, "a second window was shown")
        self.assertEqual(self.bench.info().hwnd, first)
        self.assertNoMessageBox()
        self.assertRadioQuiet()

        # The host's requests, found by the caption or sent to the first window, reach the radio.
        self.assertSent(self.bench.send(0, 1))
        self.assertRadio(1, PTT_ON)
        self.send_to(first, 0, 0)
        self.assertRadio(1, PTT_ON + PTT_OFF)
        self.assertResponsive()
        self.assertIndicator(GREEN)
        self.assertRadioQuiet(2, 3, 4)
        self.assertZeltRunning()
        self.assertStore(stored)

if __name__ == "__main__":
    unittest.main()
