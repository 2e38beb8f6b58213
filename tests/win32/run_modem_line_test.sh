#!/bin/bash
# Checks on a real UART that the serial port holds DTR and RTS as chosen while it is open.
#
#   tests/win32/run_modem_line_test.sh <zelt_win32_tests.exe> [device]
#
# Maps COM9 to the device (/dev/ttyS0 unless given) in a WINEPREFIX of its own and runs the modem
# line tests, which ask a Python helper through files what levels TIOCMGET reads. The helper holds
# the device open for the whole run: Linux raises both lines at a tty's first open and drops them
# at its last close, so without it the levels would be the open's and close's, not the program's.
# Exits 77 (skipped) when the device cannot be opened or its lines cannot be read.
set -euo pipefail

exe=$(realpath "$1")
device=${2:-/dev/ttyS0}
com=9
work=$(mktemp -d /tmp/zelt-lines.XXXXXX)
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
helper_pid=""

cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    if [[ -n "$helper_pid" ]]; then kill "$helper_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

winpath() { printf 'Z:%s' "${1//\//\\}"; }

mkdir "$work/lines"
python3 - "$device" "$work/lines" "$work/ready" >"$work/helper.out" 2>&1 <<'PY' &
import fcntl, os, struct, sys, termios, time

device, folder, ready = sys.argv[1:4]


def publish(path, text):
    with open(path + ".tmp", "w") as f:
        f.write(text)
    os.rename(path + ".tmp", path)


def levels(fd):
    bits = struct.unpack("i", fcntl.ioctl(fd, termios.TIOCMGET, struct.pack("i", 0)))[0]
    return f"DTR={int(bool(bits & termios.TIOCM_DTR))} RTS={int(bool(bits & termios.TIOCM_RTS))}"


try:
    fd = os.open(device, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
    first = levels(fd)
except OSError as error:
    publish(ready, f"{device}: {error.strerror}")
    sys.exit(0)
publish(ready, "ok")
print(f"held open: {first}", flush=True)

raise_both = struct.pack("i", termios.TIOCM_DTR | termios.TIOCM_RTS)
while True:
    asked = sorted(name for name in os.listdir(folder) if name.endswith(".ask"))
    for name in asked:
        path = os.path.join(folder, name)
        with open(path) as f:
            question = f.read()
        if question == "raise":
            fcntl.ioctl(fd, termios.TIOCMBIS, raise_both)
        seen = levels(fd)
        print(f"{name[:-4]}: {seen}", flush=True)
        publish(path[:-4] + ".seen", seen)
        os.remove(path)
    time.sleep(0.01)
PY
helper_pid=$!

for _ in $(seq 500); do [[ -f "$work/ready" ]] && break; sleep 0.01; done
[[ -f "$work/ready" ]] || { echo "the line helper did not start"; cat "$work/helper.out"; exit 1; }
if [[ $(cat "$work/ready") != ok ]]; then
    echo "modem line test skipped: $(cat "$work/ready")"
    exit 77
fi

# The mount manager reads the port map when the server starts, so map first, then restart.
wine reg add 'HKLM\Software\Wine\Ports' /v "COM$com" /t REG_SZ /d "$device" /f >"$work/reg.out" 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -w
wineserver -p

status=0
ZELT_TEST_MODEM_PORT=$com ZELT_TEST_MODEM_LINES=$(winpath "$work/lines") \
    timeout 120 wine "$exe" '--gtest_filter=ModemLineTest.*' >"$work/tests.out" 2>&1 || status=$?
cat "$work/tests.out"
echo "levels read on $device:"
cat "$work/helper.out"
[[ $status -eq 0 ]] || { echo "modem line tests failed ($status)"; exit 1; }
grep -q 'OK \] ModemLineTest' "$work/tests.out" || { echo "the modem line tests did not run"; exit 1; }
grep -q 'SKIPPED.*ModemLineTest' "$work/tests.out" && { echo "a modem line test was skipped"; exit 1; }
echo "modem line tests passed"
