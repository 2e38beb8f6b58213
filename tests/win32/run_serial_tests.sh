#!/bin/bash
# Runs the serial port tests under Wine against a radio on a pty.
#
#   tests/win32/run_serial_tests.sh <zelt_win32_tests.exe> [gtest arguments...]
#
# A Python radio holds both ends of a pty, appends every byte it reads to a log and stops reading
# while a pause file exists; while a vanish file exists its device is gone (the pty hung up, the COM
# name removed), and afterwards it is back on a new pty. The pty is mapped to COM12 (above COM9 on
# purpose) in a WINEPREFIX of its own, whose serial device map the tests may also write to. Without
# gtest arguments the tests are filtered to the serial port and the log is checked afterwards
# against the blocks they send, in order.
set -euo pipefail

exe=$(realpath "$1")
shift
com=12
work=$(mktemp -d /tmp/zelt-serial.XXXXXX)
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
radio_pid=""

cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    if [[ -n "$radio_pid" ]]; then kill "$radio_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

winpath() { printf 'Z:%s' "${1//\//\\}"; }

python3 - "$work/pty" "$work/received" "$work/pause" "$work/vanish" "$WINEPREFIX/dosdevices/com$com" \
    >"$work/radio.out" 2>&1 <<'PY' &
import os, pty, select, sys, time, tty

ready, log_path, pause, vanish, com_link = sys.argv[1:6]


def new_line():
    # Holding the slave end too keeps the line up while the program closes and reopens the port.
    master, slave = pty.openpty()
    tty.setraw(slave)
    return master, slave


def publish(path, text):
    with open(path + ".tmp", "w") as f:
        f.write(text)
    os.rename(path + ".tmp", path)


master, slave = new_line()
publish(ready, os.ttyname(slave))


def follow(request, state, on_change):
    # Answers a request file's coming and going once the change is made.
    if os.path.exists(request) == state:
        return state
    on_change(not state)
    if state:
        os.remove(request + ".ack")
    else:
        open(request + ".ack", "w").close()
    return not state


def vanish_or_return(gone):
    global master, slave
    if gone:
        # Hung up: the program's writes fail, and its COM name no longer opens.
        os.close(master)
        os.close(slave)
        os.remove(com_link)
    else:
        master, slave = new_line()
        os.symlink(os.ttyname(slave), com_link + ".new")
        os.rename(com_link + ".new", com_link)


paused = gone = False
with open(log_path, "ab", buffering=0) as log:
    while True:
        paused = follow(pause, paused, lambda _: None)
        gone = follow(vanish, gone, vanish_or_return)
        if paused or gone:
            time.sleep(0.02)
            continue
        readable, _, _ = select.select([master], [], [], 0.02)
        if readable:
            log.write(os.read(master, 65536))
PY
radio_pid=$!

for _ in $(seq 500); do [[ -f "$work/pty" ]] && break; sleep 0.01; done
[[ -f "$work/pty" ]] || { echo "radio did not start"; cat "$work/radio.out"; exit 1; }
pts=$(cat "$work/pty")

# The mount manager reads the port map when the server starts, so map first, then restart.
wine reg add 'HKLM\Software\Wine\Ports' /v "COM$com" /t REG_SZ /d "$pts" /f >"$work/reg.out" 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -w
wineserver -p

filtered=0
if [[ $# -eq 0 ]]; then
    set -- '--gtest_filter=SerialPortTest.*:RadioPortTest.*:VanishingRadioTest.*'
    filtered=1
fi

status=0
ZELT_TEST_PORT=$com ZELT_TEST_RADIO_LOG=$(winpath "$work/received") ZELT_TEST_RADIO_PAUSE=$(winpath "$work/pause") \
    ZELT_TEST_RADIO_VANISH=$(winpath "$work/vanish") ZELT_TEST_DEVICE_MAP_WRITABLE=1 \
    timeout 120 wine "$exe" "$@" >"$work/tests.out" 2>&1 || status=$?
cat "$work/tests.out"
[[ $status -eq 0 ]] || { echo "serial port tests failed ($status)"; exit 1; }
grep -q 'OK \] RadioPortTest' "$work/tests.out" || { echo "the radio tests did not run"; exit 1; }
grep -q 'SKIPPED.*RadioPortTest' "$work/tests.out" && { echo "a radio test was skipped"; exit 1; }
if [[ $filtered -eq 1 ]] && ! grep -q 'OK \] VanishingRadioTest' "$work/tests.out"; then
    echo "the vanishing radio test did not pass"
    exit 1
fi

if [[ $filtered -eq 1 ]]; then
    python3 - "$work/received" <<'PY'
import sys

on, off = bytes([0, 0, 0, 1, 0x0F]), bytes([0, 0, 0, 0, 0x0F])
every = bytes(range(256))
# The blocks the radio tests send, in the order they run; then whatever part of the stalled write
# the port took, the block sent once the radio reads again, and those around the radio's vanishing.
head = on + off + every + on + on + off + on
tail = off + on + off
data = open(sys.argv[1], "rb").read()
ok = data.startswith(head) and data.endswith(tail) and len(data) >= len(head) + len(tail)
middle = data[len(head):len(data) - len(tail)] if ok else b""
# The stalled write's bytes, then as much of the PTT-on block tried while the line stayed full as
# the port took.
ok = ok and any(middle.endswith(on[:k]) and set(middle[:len(middle) - k]) <= {0xAA} for k in range(6))
print(f"radio received {len(data)} bytes; {len(middle)} of the stalled write")
if not ok:
    print("unexpected bytes at the radio:", data[:400].hex(" "))
    sys.exit(1)
PY
fi
echo "serial port tests passed"
