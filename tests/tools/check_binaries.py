#!/usr/bin/env python3
"""Checks the Windows binaries of a build with objdump, on the host.

  check_binaries.py OBJDUMP DIST_DIR [LIBRARY...]

Every file in DIST_DIR (what ships) may import system libraries only, so
it runs on a bare Windows. Each LIBRARY is loaded and looked up by name
(GetProcAddress), so none of its exports may carry a stdcall decoration
("Name@8"), which an i686 build adds unless told not to.
"""
import re
import subprocess
import sys
from pathlib import Path

SYSTEM = {
    "advapi32.dll", "cabinet.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "mpr.dll",
    "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "user32.dll", "version.dll", "winmm.dll",
}


def objdump(tool, path):
    return subprocess.run([tool, "-p", str(path)], check=True, capture_output=True, text=True).stdout


def imports(dump):
    return [m.group(1) for m in re.finditer(r"^\s*DLL Name: (\S+)", dump, re.M)]


def exports(dump):
    table = re.search(r"\[Ordinal/Name Pointer\] Table\n(.*?)(?:\n\s*\n|\Z)", dump, re.S)
    if not table:
        return []
    return [m.group(1) for m in re.finditer(r"^\s*\[\s*\d+\]\s+(\S+)", table.group(1), re.M)]


def main(tool, dist, libraries):
    failures = []
    shipped = sorted(p for p in Path(dist).iterdir() if p.suffix.lower() in (".exe", ".dll", ".bin"))
    if not shipped:
        failures.append(f"{dist}: nothing shipped")
    for path in shipped:
        foreign = [name for name in imports(objdump(tool, path)) if name.lower() not in SYSTEM]
        if foreign:
            failures.append(f"{path.name} imports {', '.join(foreign)}, which Windows does not have")
    for lib in libraries:
        names = exports(objdump(tool, lib))
        if not names:
            failures.append(f"{lib}: exports nothing")
        decorated = [n for n in names if re.search(r"@\d+$", n)]
        if decorated:
            failures.append(f"{lib} exports decorated names: {', '.join(decorated)}")
    for f in failures:
        print(f)
    print(f"{len(shipped)} shipped files and {len(libraries)} libraries checked, {len(failures)} problems")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3:]))
