"""The end-to-end bench: zelt.exe under Wine on a private X display, with a simulated radio on
COM1..COM4 and zelt-host.exe standing in for the host program.

One bench serves a whole run (get_bench()); every test resets it with reset_for_test(). The
bench owns, for the run:

- an Xvfb display of its own (1024x768x24),
- a Wine prefix under build/e2e/, made once, with COM1..COM4 mapped to ptys of the radio,
- one persistent wineserver,
- the radio: a pty per port, both ends held here so that zelt closing and reopening a port never
  hangs it up, with a reader thread per port that records every byte.

A port is made absent by removing the link that its Wine device points at: Wine keeps the COM
device but opening it fails, exactly as on a machine without that port.

Every Wine command (wine, wineserver, wineboot) goes through WINE, which runs it with the host's
Wine or, when ZELT_WINE_ROOT names a Debian tree, with that tree's Wine under chroot (see
tests/e2e/run32.sh, which makes the tree, binds the bench's folders into it at their own paths and
runs the 32-bit programs of build/mingw32 so). The environment chooses the rest: ZELT_MINGW_DIR the
programs under test, ZELT_WINE_ARCH the prefix's architecture (win32 or win64), ZELT_OTHER_MINGW_DIR
the programs of the other architecture for the cases that mix the two in one prefix.
"""

from __future__ import annotations

import atexit
import contextlib
import fcntl
import os
import pty
import select
import shutil
import signal
import struct
import subprocess
import tempfile
import termios
import threading
import time
import tty
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
# Programs under test and the bench's working folder; the environment can point elsewhere.
MINGW_DIR = Path(os.environ.get("ZELT_MINGW_DIR", REPO / "build" / "mingw")).resolve()
ZELT_EXE = Path(os.environ.get("ZELT_EXE", MINGW_DIR / "zelt.exe")).resolve()
HOST_EXE = Path(os.environ.get("ZELT_HOST_EXE", MINGW_DIR / "zelt-host.exe")).resolve()
# zelt's test build whose opens of a COM port wait as long as the file named by the variable
# ZELT_OPEN_DELAY_FILE says (milliseconds, and "fail" to fail them then), inside zelt's process.
SLOW_OPEN_EXE = Path(os.environ.get("ZELT_SLOW_OPEN_EXE", MINGW_DIR / "zelt-slow-open.exe")).resolve()
WIN32_TESTS_EXE = Path(os.environ.get("ZELT_WIN32_TESTS_EXE", MINGW_DIR / "zelt_win32_tests.exe")).resolve()
WORK_ROOT = Path(os.environ.get("ZELT_E2E_DIR", REPO / "build" / "e2e")).resolve()
OTHER_MINGW_DIR = Path(os.environ["ZELT_OTHER_MINGW_DIR"]).resolve() if os.environ.get("ZELT_OTHER_MINGW_DIR") \
    else None

WINDOW_TITLE = "DALMOR ZELT V3"
TWIPS_PER_PIXEL = 15  # Wine's default 96 dpi

GREEN = (0, 255, 0)
RED = (255, 0, 0)

PTT_OFF = bytes([0x00, 0x00, 0x00, 0x00, 0x0F])
PTT_ON = bytes([0x00, 0x00, 0x00, 0x01, 0x0F])

# indicator's box in client twips; the circle is centred in it.
SHAPE1 = (285, 240, 615, 495)
SHAPE1_CENTRE = (SHAPE1[0] + SHAPE1[2] / 2, SHAPE1[1] + SHAPE1[3] / 2)

STORE_KEY = r"HKCU\Software\ZELT"
SERIAL_DEVICE_MAP = r"HKLM\HARDWARE\DEVICEMAP\SERIALCOMM"
PORT_COUNT = 4

WINDOW_DEADLINE = 60.0
RADIO_DEADLINE = 15.0
WINE_COMMAND_DEADLINE = 120.0


class BenchError(RuntimeError):
    pass


class WineCommands:
    """Turns a command line of Wine's (wine, wineserver, wineboot) and the environment it is to
    run with into what the host starts: the same, for the host's Wine; or, for the Wine of a
    Debian tree (root), a chroot into the tree with only the variables that Wine and the programs
    under test read. The tree sees /tmp (the display's socket), /dev/pts (the radio's ptys) and
    the bench's folders at their own paths, so no path needs translating; chroot starts in the
    tree's root, so the working folder is given to env there."""

    PROGRAMS = ("wine", "wineserver", "wineboot")

    def __init__(self, root: Path | None = None, arch: str | None = None):
        self.root = root
        self.arch = arch

    @classmethod
    def from_environment(cls) -> WineCommands:
        root = os.environ.get("ZELT_WINE_ROOT")
        return cls(Path(root).resolve() if root else None, os.environ.get("ZELT_WINE_ARCH") or None)

    def command(self, argv, env: dict, cwd=None) -> tuple[list[str], dict, Path | None]:
        """(argv, environment, working folder) for subprocess; other programs than Wine's pass
        as they are."""
        argv = [str(a) for a in argv]
        if argv[0] not in self.PROGRAMS:
            return argv, env, cwd
        env = dict(env, **({"WINEARCH": self.arch} if self.arch else {}))
        if self.root is None:
            return argv, env, cwd
        # The tree gets Wine's variables, the display, and what the bench set for this command.
        passed = {k: v for k, v in env.items()
                  if k.startswith("WINE") or k == "DISPLAY" or os.environ.get(k) != v}
        inner = ["/usr/bin/env", "-i", *(["-C", str(cwd)] if cwd else []), "HOME=/root", "PATH=/usr/bin:/bin",
                 *(f"{k}={v}" for k, v in sorted(passed.items()))]
        return ["chroot", str(self.root), *inner, *argv], dict(os.environ), None

    def version(self) -> str:
        argv, env, _ = self.command(["wine", "--version"], dict(os.environ))
        return subprocess.run(argv, env=env, capture_output=True, text=True, check=False).stdout.strip()

    def describe(self) -> str:
        where = f"the tree {self.root}" if self.root else "the host"
        return f"{self.version()} from {where}, {self.arch or 'default'} prefix"


WINE = WineCommands.from_environment()


def _deadline_loop(timeout: float, step: float = 0.02):
    """Yields until the deadline has passed, pausing briefly between rounds."""
    end = time.monotonic() + timeout
    while True:
        yield
        if time.monotonic() >= end:
            return
        time.sleep(step)


class RadioPort:
    """One serial port of the simulated radio: a pty whose far end Wine opens as COMn."""

    def __init__(self, number: int, link: Path):
        self.number = number
        self.link = link
        self.master, self.slave = pty.openpty()
        # No line discipline between zelt and the radio: every byte arrives as written.
        tty.setraw(self.slave)
        self.device = os.ttyname(self.slave)
        self._data = bytearray()
        self._cond = threading.Condition()
        self._reading = threading.Event()
        self._reading.set()
        self._busy = False
        self._stop = False
        self._log_path: Path | None = None
        self._pause_path: Path | None = None
        self.present()
        self._thread = threading.Thread(target=self._read_loop, name=f"radio-COM{number}", daemon=True)
        self._thread.start()

    def _read_loop(self):
        while not self._stop:
            self._follow_pause_file()
            if not self._reading.wait(0.02):
                continue
            ready, _, _ = select.select([self.master], [], [], 0.05)
            if not ready:
                continue
            with self._cond:
                self._busy = True
            try:
                chunk = os.read(self.master, 65536)
            except OSError:
                chunk = b""
            with self._cond:
                self._data += chunk
                if self._log_path is not None and chunk:
                    with open(self._log_path, "ab") as log:
                        log.write(chunk)
                self._busy = False
                self._cond.notify_all()

    # -- the file protocol of the Windows-side port tests ---------------------------------------
    def attach_files(self, log_path: Path, pause_path: Path):
        """From now on every byte read is also appended to log_path, and the port stops reading
        while pause_path exists, answering with pause_path + ".ack" (removed when it reads again)."""
        log_path.write_bytes(b"")
        self._log_path, self._pause_path = log_path, pause_path

    def detach_files(self):
        if self._pause_path is not None:
            for path in (self._pause_path, Path(str(self._pause_path) + ".ack")):
                if path.exists():
                    path.unlink()
        self._log_path = self._pause_path = None
        self.resume()

    def _follow_pause_file(self):
        pause = self._pause_path
        if pause is None:
            return
        ack = Path(str(pause) + ".ack")
        if pause.exists():
            if self._reading.is_set():
                self.pause()
                ack.write_bytes(b"")
        elif not self._reading.is_set():
            if ack.exists():
                ack.unlink()
            self.resume()

    # -- presence -------------------------------------------------------------------------------
    def present(self):
        """Makes the port exist again for programs that open it from now on."""
        if os.path.lexists(self.link):
            os.unlink(self.link)
        os.symlink(self.device, self.link)

    def absent(self):
        """Makes the port absent: opening COMn fails from now on."""
        if os.path.lexists(self.link):
            os.unlink(self.link)

    def is_present(self) -> bool:
        return os.path.lexists(self.link)

    # -- reading --------------------------------------------------------------------------------
    def pause(self):
        """Stops reading, so that what zelt writes piles up in the pty."""
        self._reading.clear()

    def resume(self):
        self._reading.set()

    def pending(self) -> int:
        """Bytes written by zelt that the reader has not taken yet."""
        buf = fcntl.ioctl(self.master, termios.FIONREAD, struct.pack("i", 0))
        return struct.unpack("i", buf)[0]

    def bytes(self) -> bytes:
        with self._cond:
            return bytes(self._data)

    def clear(self):
        self.settle()
        with self._cond:
            self._data.clear()

    def wait_for(self, count: int, timeout: float = RADIO_DEADLINE) -> bytes:
        """Waits until at least count bytes have arrived (or the deadline passes); returns all."""
        end = time.monotonic() + timeout
        with self._cond:
            while len(self._data) < count:
                left = end - time.monotonic()
                if left <= 0:
                    break
                self._cond.wait(min(left, 0.2))
            return bytes(self._data)

    def settle(self, timeout: float = RADIO_DEADLINE) -> bytes:
        """Waits until every byte already written to the pty has been read; returns all.

        zelt writes synchronously while serving a SendMessage, so after the sender has its reply
        this tells for certain whether the request wrote anything."""
        if not self._reading.is_set():
            return self.bytes()
        for _ in _deadline_loop(timeout):
            with self._cond:
                if not self._busy and self.pending() == 0:
                    return bytes(self._data)
        raise BenchError(f"COM{self.number}: the reader did not catch up")

    def expect(self, expected: bytes, timeout: float = RADIO_DEADLINE) -> bytes:
        """Waits for len(expected) bytes, then for any stragglers; returns what arrived."""
        self.wait_for(len(expected), timeout)
        return self.settle()

    def close(self):
        self._stop = True
        self._reading.set()
        self._thread.join(2)
        self.absent()
        for fd in (self.master, self.slave):
            try:
                os.close(fd)
            except OSError:
                pass


class HostResult:
    def __init__(self, returncode: int, stdout: str, stderr: str):
        self.returncode = returncode
        self.stdout = stdout
        self.stderr = stderr

    @property
    def reply(self) -> int | None:
        text = self.stdout.strip().splitlines()
        return int(text[-1]) if text and text[-1].lstrip("-").isdigit() else None

    def __repr__(self):
        return f"HostResult(rc={self.returncode}, out={self.stdout!r}, err={self.stderr!r})"


class WindowInfo:
    def __init__(self, text: str):
        values = dict(line.split("=", 1) for line in text.splitlines() if "=" in line)
        self.hwnd = int(values["hwnd"])
        self.window = tuple(int(v) for v in values["window"].split(","))
        self.client = tuple(int(v) for v in values["client"].split(","))
        self.iconic = values.get("iconic") == "1"
        self.visible = values.get("visible") == "1"

    @property
    def client_origin(self) -> tuple[int, int]:
        return self.client[0], self.client[1]


class Bench:
    def __init__(self):
        self.run_dir: Path | None = None
        self.prefix: Path | None = None
        self.logs: Path | None = None
        self.display: str | None = None
        self._xvfb: subprocess.Popen | None = None
        self._wineserver: subprocess.Popen | None = None
        self.zelt: subprocess.Popen | None = None
        self._zelt_logs: tuple[Path, Path] | None = None
        self.radios: dict[int, RadioPort] = {}
        self._counter = 0
        self.started = False
        self.extra_results: list[tuple[str, bool]] = []  # individual results of foreign suites

    # -- life of the bench ----------------------------------------------------------------------
    def start(self):
        if self.started:
            return
        for exe in (ZELT_EXE, HOST_EXE):
            if not exe.is_file():
                raise BenchError(f"{exe} is missing: build the mingw preset first")
        WORK_ROOT.mkdir(parents=True, exist_ok=True)
        self.run_dir = Path(tempfile.mkdtemp(prefix="run-", dir=WORK_ROOT))
        self.prefix = self.run_dir / "prefix"
        self.logs = self.run_dir / "logs"
        self.logs.mkdir()
        (self.run_dir / "ports").mkdir()
        self.started = True
        atexit.register(self.stop)
        t0 = time.monotonic()
        self._start_xvfb()
        self._make_prefix()
        self._start_wineserver()
        self._unmap_foreign_ports()
        self.log(f"bench ready in {time.monotonic() - t0:.1f} s: display {self.display}, {self.run_dir}, "
                 f"{WINE.describe()}, programs from {ZELT_EXE.parent}")

    def stop(self):
        if not self.started:
            return
        self.started = False
        self.stop_zelt()
        if self._wineserver is not None:
            argv, env, _ = WINE.command(["wineserver", "-k"], self.wine_env())
            subprocess.run(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60,
                           check=False)
            try:
                self._wineserver.wait(30)
            except subprocess.TimeoutExpired:
                self._wineserver.kill()
            self._wineserver = None
        for radio in self.radios.values():
            radio.close()
        self.radios.clear()
        if self._xvfb is not None:
            self._xvfb.terminate()
            try:
                self._xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self._xvfb.kill()
            self._xvfb = None
        if self.prefix is not None and os.environ.get("ZELT_E2E_KEEP") != "1":
            shutil.rmtree(self.prefix, ignore_errors=True)

    @staticmethod
    def log(text: str):
        print(f"[bench] {text}", flush=True)

    def _start_xvfb(self):
        read_fd, write_fd = os.pipe()
        self._xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL,
            stderr=open(self.logs / "xvfb.log", "wb"), start_new_session=True)
        os.close(write_fd)
        number = b""
        end = time.monotonic() + 30
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_fd], [], [], max(0.0, end - time.monotonic()))
            if not ready:
                raise BenchError("Xvfb did not report its display")
            chunk = os.read(read_fd, 64)
            if not chunk:
                raise BenchError("Xvfb exited before reporting its display")
            number += chunk
        os.close(read_fd)
        self.display = ":" + number.decode().strip()

    def wine_env(self, extra: dict | None = None) -> dict:
        env = dict(os.environ)
        env.update({
            "WINEPREFIX": str(self.prefix),
            "WINEDEBUG": "-all",
            # No Mono or Gecko: nothing here needs them, and fetching them needs a network.
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "DISPLAY": self.display or "",
        })
        env.pop("WAYLAND_DISPLAY", None)
        if extra:
            env.update(extra)
        return env

    def _make_prefix(self):
        t0 = time.monotonic()
        self._run_logged(["wineboot", "-i"], "wineboot")
        # The ports go into the registry before the wineserver that zelt will use starts: Wine's
        # mount manager makes the COM devices from these values when it starts.
        for number in range(1, PORT_COUNT + 1):
            self.radios[number] = RadioPort(number, self.run_dir / "ports" / f"com{number}")
            self.reg_add(r"HKLM\Software\Wine\Ports", f"COM{number}", str(self.radios[number].link))
        self._run_logged(["wineserver", "-k"], "wineserver-k", check=False)
        self._run_logged(["wineserver", "-w"], "wineserver-w", check=False)
        self.log(f"wine prefix made in {time.monotonic() - t0:.1f} s")

    def _start_wineserver(self):
        with open(self.logs / "wineserver.log", "wb") as err:
            self._wineserver = self.popen(["wineserver", "-f", "-p"], stdout=subprocess.DEVNULL, stderr=err)

    def _unmap_foreign_ports(self):
        """Wine's mount manager gives the machine's own serial devices (/dev/ttyS0 here) the COM
        numbers after the radio's, so COM5 would be a real port. Once the manager has run (at
        the first program of this Wine server), point every COM device beyond the radio's at a
        path that does not exist, so that those ports are absent as on a machine without them."""
        self._run_logged(["wine", "reg", "query", r"HKLM\Software\Wine\Ports"], "mountmgr", check=False)
        # The manager's service makes the ports while that program runs or just after: the radio's
        # first, then those it finds on the machine, in one pass. Once the radio's are listed, the
        # next look at the list comes after the pass.
        radio_ports = {f"COM{number}" for number in range(1, PORT_COUNT + 1)}
        for _ in _deadline_loop(WINE_COMMAND_DEADLINE, 0.05):
            if radio_ports <= set(self.serial_device_map().values()):
                break
        else:
            raise BenchError("Wine's mount manager never listed the radio's ports")
        found = self.serial_device_map()
        for link in sorted(self.dosdevices().glob("com*")):
            suffix = link.name[3:]
            if suffix.isdigit() and int(suffix) > PORT_COUNT:
                link.unlink()
                link.symlink_to(self.run_dir / "ports" / f"absent-{link.name}")
        # The system's list of serial ports names them too; a machine without them lists none.
        for name, port in found.items():
            if port[3:].isdigit() and int(port[3:]) > PORT_COUNT:
                self._run_logged(["wine", "reg", "delete", SERIAL_DEVICE_MAP, "/v", name, "/f"], "reg-delete",
                                 check=False)

    def serial_device_map(self) -> dict[str, str]:
        """Wine's serial device map, as Windows keeps it: {device name: "COMn"}."""
        rc, out, _ = self._run_logged(["wine", "reg", "query", SERIAL_DEVICE_MAP], "reg-query", check=False)
        found = {}
        for line in out.splitlines() if rc == 0 else []:
            parts = line.strip().split(None, 2)
            if len(parts) == 3 and parts[1] == "REG_SZ" and parts[2].upper().startswith("COM"):
                found[parts[0]] = parts[2].upper()
        return found

    def add_port(self, number: int, device) -> None:
        """A serial adapter plugged in as COMn, reaching the given device, as Windows lists it."""
        link = self.dosdevices() / f"com{number}"
        if os.path.lexists(link):
            link.unlink()
        link.symlink_to(device)
        self.reg_add(SERIAL_DEVICE_MAP, f"\\Device\\Serial{number - 1}", f"COM{number}")

    def remove_port(self, number: int) -> None:
        link = self.dosdevices() / f"com{number}"
        if os.path.lexists(link):
            link.unlink()
        self._run_logged(["wine", "reg", "delete", SERIAL_DEVICE_MAP, "/v", f"\\Device\\Serial{number - 1}", "/f"],
                         "reg-delete", check=False)

    def dosdevices(self) -> Path:
        """The prefix's folder of device links (com1, ...), at the path where the bench and Wine
        both see it."""
        return self.prefix / "dosdevices"

    # -- running Windows programs ---------------------------------------------------------------
    def _next_log(self, name: str) -> tuple[Path, Path]:
        self._counter += 1
        stem = self.logs / f"{self._counter:04d}-{name}"
        return stem.with_suffix(".out"), stem.with_suffix(".err")

    def _run_logged(self, argv, name, env=None, timeout=WINE_COMMAND_DEADLINE, check=True):
        """Runs a command with its output in files (Wine's services inherit pipes and would
        hold them open), then returns (returncode, stdout, stderr). Wine's commands run with
        WINE's Wine."""
        out_path, err_path = self._next_log(name)
        argv, env, _ = WINE.command(argv, env or self.wine_env())
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            proc = subprocess.run(argv, stdout=out, stderr=err, stdin=subprocess.DEVNULL,
                                  env=env, timeout=timeout, check=False)
        stdout = out_path.read_text(errors="replace")
        stderr = err_path.read_text(errors="replace")
        if proc.returncode != 0:
            # Wine's own messages are off: the exit code is all a failure may leave behind.
            out_path.with_suffix(".exit").write_text(f"{proc.returncode}\n")
        if check and proc.returncode != 0:
            raise BenchError(f"{argv} failed with {proc.returncode}: {stderr[-2000:]}")
        return proc.returncode, stdout, stderr

    def popen(self, argv, stdout, stderr, env: dict | None = None, cwd=None) -> subprocess.Popen:
        """Starts a program that runs on while the bench works (Wine's with WINE's Wine; env adds
        to the bench's variables), with its output in the given files."""
        argv, full_env, cwd = WINE.command(argv, self.wine_env(env), cwd)
        return subprocess.Popen(argv, stdout=stdout, stderr=stderr, stdin=subprocess.DEVNULL, env=full_env,
                                cwd=cwd)

    def wine(self, exe, *args, env=None, timeout=WINE_COMMAND_DEADLINE, name=None):
        return self._run_logged(["wine", str(exe), *map(str, args)], name or Path(exe).stem,
                                env=self.wine_env(env), timeout=timeout, check=False)

    # -- registry -------------------------------------------------------------------------------
    def reg_add(self, key: str, name: str, value: str, kind: str = "REG_SZ"):
        self._run_logged(["wine", "reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f"], "reg-add")

    def reg_delete(self, key: str):
        self._run_logged(["wine", "reg", "delete", key, "/f"], "reg-delete", check=False)

    def reg_query(self, key: str, name: str) -> str | None:
        rc, out, _ = self._run_logged(["wine", "reg", "query", key, "/v", name], "reg-query", check=False)
        if rc != 0:
            return None
        for line in out.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith("REG_"):
                return parts[2] if len(parts) == 3 else ""
        return None

    def reg_set(self, section: str, key: str, value: str):
        """Stores a value of zelt's settings (application ZELT) as the program itself would."""
        self.reg_add(f"{STORE_KEY}\\{section}", key, value)

    def reg_get(self, section: str, key: str) -> str | None:
        return self.reg_query(f"{STORE_KEY}\\{section}", key)

    def reset_store(self):
        self.reg_delete(STORE_KEY)

    # -- zelt -----------------------------------------------------------------------------------
    def start_zelt(self, wait_window: bool = True, env: dict | None = None, args=(),
                   exe=ZELT_EXE) -> subprocess.Popen:
        if self.zelt is not None and self.zelt.poll() is None:
            raise BenchError("zelt is already running")
        out_path, err_path = self._next_log("zelt")
        self._zelt_logs = (out_path, err_path)
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            self.zelt = self.popen(["wine", exe, *args], stdout=out, stderr=err, env=env, cwd=self.run_dir)
        if wait_window:
            self.wait_window()
        return self.zelt

    def wait_window(self, timeout: float = WINDOW_DEADLINE) -> WindowInfo:
        for _ in _deadline_loop(timeout, 0.05):
            if self.zelt is not None and self.zelt.poll() is not None:
                raise BenchError(f"zelt exited with {self.zelt.returncode} before showing its window")
            # The window exists hidden while start-up runs; it is zelt's once it is shown.
            info = self.try_info()
            if info is not None and info.visible:
                return info
        raise BenchError(f"zelt's window did not appear within {timeout} s")

    def zelt_running(self) -> bool:
        return self.zelt is not None and self.zelt.poll() is None

    def wait_zelt_exit(self, timeout: float = 30.0) -> int:
        if self.zelt is None:
            raise BenchError("zelt was not started")
        try:
            return self.zelt.wait(timeout)
        except subprocess.TimeoutExpired:
            raise BenchError(f"zelt did not exit within {timeout} s") from None

    def stop_zelt(self):
        if self.zelt is None:
            return
        if self.zelt.poll() is None:
            self.zelt.send_signal(signal.SIGKILL)
            try:
                self.zelt.wait(30)
            except subprocess.TimeoutExpired:
                pass
        self.zelt = None

    def zelt_output(self) -> str:
        if not self._zelt_logs:
            return ""
        return "".join(p.read_text(errors="replace") for p in self._zelt_logs if p.exists())

    # -- the host -------------------------------------------------------------------------------
    def host(self, *args, timeout: float = WINE_COMMAND_DEADLINE, exe=HOST_EXE) -> HostResult:
        rc, out, err = self.wine(exe, *args, timeout=timeout, name="host")
        return HostResult(rc, out, err)

    def send(self, request: int, state: int, post: bool = False) -> HostResult:
        return self.host(*(["--post"] if post else []), str(request), str(state))

    def try_info(self) -> WindowInfo | None:
        result = self.host("--info", timeout=30)
        if result.returncode != 0:
            return None
        return WindowInfo(result.stdout)

    def info(self) -> WindowInfo:
        result = self.host("--info", timeout=30)
        if result.returncode != 0:
            running = "running" if self.zelt_running() else "not running"
            raise BenchError(f"zelt's window is not there (zelt-host exit {result.returncode}, zelt {running})")
        return WindowInfo(result.stdout)

    # -- the screen -----------------------------------------------------------------------------
    def x_window_id(self, timeout: float = WINDOW_DEADLINE) -> int:
        """The X window that Wine made for zelt's main window."""
        for _ in _deadline_loop(timeout, 0.05):
            rc, out, _ = self._run_logged(["xdotool", "search", "--name", f"^{WINDOW_TITLE}$"], "xdotool",
                                          check=False)
            ids = [int(v) for v in out.split()]
            if rc == 0 and ids:
                return ids[0]
        raise BenchError("no X window carries zelt's title")

    def client_origin(self) -> tuple[int, int]:
        """Top-left corner of zelt's client area on the screen, in pixels. Wine's screen
        coordinates are those of the X root window on a single-screen display."""
        return self.info().client_origin

    def twips_to_screen(self, x_twips: float, y_twips: float, origin=None) -> tuple[int, int]:
        ox, oy = origin or self.client_origin()
        return ox + int(x_twips // TWIPS_PER_PIXEL), oy + int(y_twips // TWIPS_PER_PIXEL)

    def screen_pixel(self, x: int, y: int) -> tuple[int, int, int]:
        rc, _, err = self._run_logged(
            ["import", "-window", "root", "-crop", f"1x1+{x}+{y}", "+repage", "-depth", "8",
             str(self.run_dir / "pixel.rgb")], "import", env=self.wine_env(), check=False)
        data = (self.run_dir / "pixel.rgb").read_bytes() if rc == 0 else b""
        if len(data) < 3:
            raise BenchError(f"cannot read the screen at {x},{y}: {err}")
        return data[0], data[1], data[2]

    def pixel(self, x_twips: float, y_twips: float) -> tuple[int, int, int]:
        """Colour on screen at a point of zelt's client area given in twips."""
        return self.screen_pixel(*self.twips_to_screen(x_twips, y_twips))

    def repaint(self):
        """Makes zelt paint whatever it has invalidated, before the caller looks at the screen."""
        self.host("--paint", timeout=30)

    def wait_pixel(self, x_twips: float, y_twips: float, expected, timeout: float = 10.0):
        """Waits until the point shows the expected colour; returns the last colour seen."""
        origin = self.client_origin()
        point = self.twips_to_screen(x_twips, y_twips, origin)
        seen = None
        for _ in _deadline_loop(timeout, 0.05):
            seen = self.screen_pixel(*point)
            if seen == tuple(expected):
                break
        return seen

    def indicator(self) -> tuple[int, int, int]:
        self.repaint()
        return self.pixel(*SHAPE1_CENTRE)

    def wait_indicator(self, expected, timeout: float = 10.0):
        return self.wait_pixel(*SHAPE1_CENTRE, expected, timeout)

    def click_twips(self, x_twips: float, y_twips: float):
        x, y = self.twips_to_screen(x_twips, y_twips)
        self._run_logged(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"], "xdotool-click",
                         env=self.wine_env())

    def key(self, *keys: str):
        """Types keys (xdotool key names) into zelt's window."""
        wid = self.x_window_id()
        self._run_logged(["xdotool", "key", "--window", str(wid), *keys], "xdotool-key", env=self.wine_env())

    def screenshot(self, path, window_only: bool = False, region: tuple | None = None) -> Path:
        """Saves the screen, or only zelt's window with its frame, or only the region (x, y, width,
        height), as an image file."""
        path = Path(path)
        crop = []
        if window_only:
            region = self.info().window
        if region:
            x, y, w, h = region
            crop = ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
        self._run_logged(["import", "-window", "root", *crop, str(path)], "screenshot", env=self.wine_env())
        return path

    # -- the radio ------------------------------------------------------------------------------
    def radio(self, number: int) -> RadioPort:
        return self.radios[number]

    def all_radio_bytes(self) -> dict[int, bytes]:
        return {n: r.settle() for n, r in self.radios.items()}

    # -- per test -------------------------------------------------------------------------------
    def reset_for_test(self):
        """Every test starts with zelt stopped, an empty settings store and a quiet radio on all
        four ports."""
        self.start()
        self.stop_zelt()
        self.reset_store()
        for radio in self.radios.values():
            radio.detach_files()
            radio.present()
            radio.clear()


_bench: Bench | None = None


def get_bench() -> Bench:
    global _bench
    if _bench is None:
        _bench = Bench()
    _bench.start()
    return _bench


def stop_bench():
    if _bench is not None:
        _bench.stop()


@contextlib.contextmanager
def picture_session():
    """A bench for the README's pictures, zelt stopped and the store empty, given up afterwards.

    Wine draws the caption and frame itself when it does not leave the window to a window
    manager; the bench's display has none, so the session asks Wine to."""
    the_bench = get_bench()
    the_bench.reset_for_test()
    the_bench.reg_add(r"HKCU\Software\Wine\X11 Driver", "Managed", "N")
    try:
        yield the_bench
    finally:
        the_bench.stop_zelt()
        stop_bench()
        shutil.rmtree(the_bench.run_dir, ignore_errors=True)


def save_picture(the_bench: Bench, path: Path, region: tuple | None = None):
    """Saves zelt's window with its frame, or the region (x, y, width, height), to path."""
    # Hover nowhere near the window, so no tooltip or hot state shows.
    the_bench._run_logged(["xdotool", "mousemove", "--sync", "1000", "700"], "xdotool-move")
    the_bench.repaint()
    path.parent.mkdir(exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        raw = Path(tmp) / path.name
        the_bench.screenshot(raw, window_only=region is None, region=region)
        # A small palette image is plenty for a window in system colours.
        subprocess.run(["convert", str(raw), "-strip", "-colors", "64", f"png8:{path}"], check=True)
    print(f"saved {path}")


class ZeltTestCase(unittest.TestCase):
    """Base of the bench's test cases: a fresh store, a quiet radio, zelt stopped afterwards."""

    def setUp(self):
        self.bench = get_bench()
        self.bench.reset_for_test()

    def tearDown(self):
        self.bench.stop_zelt()

    # -- assertions shared by the test modules ---------------------------------------------------
    def assertRadio(self, number: int, expected: bytes, timeout: float = RADIO_DEADLINE):
        """The port received exactly these bytes, in this order, and nothing after them."""
        got = self.bench.radio(number).expect(expected, timeout)
        if got != expected:
            self.fail(f"COM{number} received {_hex(got)}, expected {_hex(expected)}")

    def assertRadioQuiet(self, *numbers: int):
        """Nothing reached these ports (all four when none are named)."""
        for number in numbers or tuple(self.bench.radios):
            got = self.bench.radio(number).settle()
            if got:
                self.fail(f"COM{number} received {_hex(got)}, expected nothing")

    def assertIndicator(self, expected, timeout: float = 10.0):
        seen = self.bench.wait_indicator(expected, timeout)
        self.assertEqual(seen, tuple(expected), f"indicator shows {seen}, expected {expected}")

    def assertIndicatorStays(self, expected):
        """The indicator shows the colour after zelt has painted everything it had to paint."""
        seen = self.bench.indicator()
        self.assertEqual(seen, tuple(expected), f"indicator shows {seen}, expected {expected}")

    def assertSent(self, result: HostResult):
        self.assertEqual(result.returncode, 0, f"zelt-host failed: {result}")

    def assertZeltRunning(self):
        self.assertTrue(self.bench.zelt_running(), f"zelt has exited: {self.bench.zelt_output()[-2000:]}")
        self.assertIsNotNone(self.bench.try_info(), "zelt's window is gone")


def _hex(data: bytes) -> str:
    if not data:
        return "nothing"
    shown = data[:40].hex(" ").upper()
    return f"{len(data)} bytes: {shown}{' ...' if len(data) > 40 else ''}"


def windows_path(path) -> str:
    """The name under which Wine's programs see a Unix path (drive Z: is the Unix root)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")
