#!/bin/bash
# Shows zelt at work on a machine without Windows, a radio or the host program:
#
#   bash tools/demo.sh
#
# Installs what it needs (Debian 12, as root or through sudo), builds zelt.exe and zelt-host.exe
# (preset mingw, build/mingw), then starts a private X display, Wine and a simulated radio whose
# COM1..COM4 are ptys, starts zelt, plays the host with zelt-host, prints the bytes the radio
# received and the indicator's colour after each request, and saves a screenshot.
set -euo pipefail

cd "$(dirname "$0")/.."

packages=(cmake make g++ googletest python3 g++-mingw-w64-x86-64-posix wine wine64 fonts-wine
    fonts-liberation xvfb xdotool imagemagick)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" apt-get install -y -q "${missing[@]}" >/dev/null
fi

echo "building zelt.exe and zelt-host.exe (build/mingw) ..."
mkdir -p build
cmake --preset mingw >build/demo-configure.log 2>&1 || { tail -n 30 build/demo-configure.log; exit 1; }
cmake --build --preset mingw -j2 --target zelt zelt-host >build/demo-build.log 2>&1 ||
    { tail -n 30 build/demo-build.log; exit 1; }

echo "starting Xvfb, Wine (a new prefix takes a few seconds) and the radio ..."
exec python3 - <<'PY'
import sys
from pathlib import Path

sys.path.insert(0, "tests/e2e")
import bench as b

shots = Path("build/demo")
shots.mkdir(parents=True, exist_ok=True)
names = {b.GREEN: "green (receive)", b.RED: "red (transmit)"}
bench = b.get_bench()
try:
    bench.reset_for_test()
    bench.start_zelt()
    print(f"zelt is running on display {bench.display}; its window: {bench.info().window}")
    radio = bench.radio(1)
    steps = [((0, 1), "key the transmitter"), ((0, 1), "key it again"), ((0, 0), "unkey"),
             ((0, 2), "an unknown state"), ((0, 1), "key"), ((1, 0), "close zelt")]
    for (request, state), what in steps:
        before = len(radio.bytes())
        result = bench.send(request, state)
        got = radio.settle()[before:]
        line = f"zelt-host {request} {state}  ({what}): exit {result.returncode}, reply {result.reply}; "
        line += f"radio on COM1 got: {got.hex(' ').upper() or 'nothing'}"
        if request == 0:
            colour = bench.wait_indicator(b.RED if state == 1 else b.GREEN) if state in (0, 1) else bench.indicator()
            line += f"; indicator {names.get(colour, colour)}"
            if (request, state) == (0, 1) and not (shots / "zelt.png").exists():
                bench.screenshot(shots / "zelt.png", window_only=True)
        print(line, flush=True)
    print(f"zelt exited with {bench.wait_zelt_exit()}")
    print(f"everything COM1 received: {radio.bytes().hex(' ').upper()}")
    print(f"screenshot of zelt while transmitting: {(shots / 'zelt.png').resolve()}")
finally:
    b.stop_bench()
PY
