#!/usr/bin/env python3
"""Checks that a Windows program loads on Windows 7 SP1: every function in its import tables must be
one that Windows 7 SP1 exports, as listed in tools/windows7_exports.txt (each entry looked up in
Microsoft's documentation for its minimum supported client).

    python3 tools/check_imports.py build/mingw/zelt.exe build/mingw/zelt-host.exe [--list]

--list prints each program's imports (DLL and function) instead of checking them.
Exit status: 0 all imports are on the list, 1 some are not, 2 usage or a program unreadable.
"""

from __future__ import annotations

import re
import subprocess
import sys
from pathlib import Path

ALLOWED = Path(__file__).with_name("windows7_exports.txt")
_DLL = re.compile(r"^\s*DLL Name:\s*(\S+)")
_ENTRY = re.compile(r"^\s*[0-9a-fA-F]+\s+(\d+)\s+(\S+)\s*$")


def objdump_for(program: Path) -> str:
    """The cross objdump that reads this program's architecture (both read either, but be plain)."""
    with open(program, "rb") as f:
        head = f.read(4096)
    offset = int.from_bytes(head[0x3C:0x40], "little")
    machine = int.from_bytes(head[offset + 4:offset + 6], "little")
    return "i686-w64-mingw32-objdump" if machine == 0x014C else "x86_64-w64-mingw32-objdump"


def imports(program: Path) -> list[tuple[str, str]]:
    """(dll, function) for every function imported by name."""
    out = subprocess.run([objdump_for(program), "-p", str(program)], check=True, capture_output=True,
                         text=True).stdout
    found, dll = [], None
    for line in out.splitlines():
        match = _DLL.match(line)
        if match:
            dll = match.group(1).lower()
            continue
        if line.strip() == "" and dll is not None and found and found[-1][0] == dll:
            dll = None
            continue
        match = _ENTRY.match(line)
        if match and dll is not None:
            found.append((dll, match.group(2)))
    return found


def allowed() -> set[tuple[str, str]]:
    entries = set()
    for line in ALLOWED.read_text().splitlines():
        line = line.split("#", 1)[0].strip()
        if line:
            dll, function = line.split()[:2]
            entries.add((dll.lower(), function))
    return entries


def main(argv: list[str]) -> int:
    listing = "--list" in argv
    programs = [Path(a) for a in argv if a != "--list"]
    if not programs:
        print(__doc__, file=sys.stderr)
        return 2
    known = allowed() if not listing else set()
    bad = 0
    for program in programs:
        try:
            found = imports(program)
        except (OSError, subprocess.CalledProcessError) as error:
            print(f"{program}: cannot read its imports: {error}", file=sys.stderr)
            return 2
        if listing:
            print(f"{program}: {len(found)} imports")
            for dll, function in found:
                print(f"  {dll} {function}")
            continue
        missing = [(dll, f) for dll, f in found if (dll, f) not in known]
        for dll, function in missing:
            print(f"{program}: {dll} {function} is not known to be exported by Windows 7 SP1")
        bad += len(missing)
        print(f"{program}: {len(found)} imports, {len(missing)} not on the Windows 7 list")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
