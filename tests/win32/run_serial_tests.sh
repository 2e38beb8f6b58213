#!/bin/bash
# Runs the serial port tests under Wine against a radio on a pty.
#
#   tests/win32/run_serial_tests.sh <zelt_win32_tests.exe> [gtest arguments...]
#
# A Python radio holds both ends of a pty, appends every byte it reads to a log and stops reading
# while a pause file exists. The pty is mapped to COM12 (above COM9 on purpose) in a WINEPREFIX of
# its own. Without gtest arguments the tests are filtered to the serial port and the log is checked
# afterwards against the blocks they send, in order.
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

python3 - "$work/pty" "$work/received" "$work/pause" >"$work/radio.out" 2>&1 <<'PY' &
import os, pty, select, sys, time, tty

ready, log_path, pause = sys.argv[1:4]
# Holding the slave end too keeps the line up while the program closes and reopens the port.
master, slave = pty.openpty()
tty.setraw(slave)
with open(ready + ".tmp", "w") as f:
    f.write(os.ttyname(slave))
os.rename(ready + ".tmp", ready)

ack = pause + ".ack"
paused = False
with open(log_path, "ab", buffering=0) as log:
    while True:
        if os.path.exists(pause) != paused:
            paused = not paused
            if paused:
                open(ack, "w").close()
            else:
                os.remove(ack)
        if paused:
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
    set -- '--gtest_filter=Win32SerialPortTest.*:RadioPortTest.*'
    filtered=1
fi

status=0
ZELT_TEST_PORT=$com ZELT_TEST_RADIO_LOG=$(winpath "$work/received") ZELT_TEST_RADIO_PAUSE=$(winpath "$work/pause") \
    timeout 120 wine "$exe" "$@" >"$work/tests.out" 2>&1 || status=$?
cat "$work/tests.out"
[[ $status -eq 0 ]] || { echo "serial port tests failed ($status)"; exit 1; }
grep -q 'OK \] RadioPortTest' "$work/tests.out" || { echo "the radio tests did not run"; exit 1; }
grep -q 'SKIPPED.*RadioPortTest' "$work/tests.out" && { echo "a radio test was skipped"; exit 1; }

if [[ $filtered -eq 1 ]]; then
    python3 - "$work/received" <<'PY'
import sys

on, off = bytes([0, 0, 0, 1, 0x0F]), bytes([0, 0, 0, 0, 0x0F])
every = bytes(range(256))
# The blocks the radio tests send, in the order they run; then whatever part of the stalled write
# got through, then the block sent once the radio reads again.
head = on + off + every + on + off + on + off + off + on
data = open(sys.argv[1], "rb").read()
ok = data.startswith(head) and data.endswith(off)
middle = data[len(head):len(data) - len(off)] if ok else b""
ok = ok and set(middle) <= {0xAA}
print(f"radio received {len(data)} bytes; {len(middle)} of the stalled write")
if not ok:
    print("unexpected bytes at the radio:", data[:400].hex(" "))
    sys.exit(1)
PY
fi
echo "serial port tests passed"
