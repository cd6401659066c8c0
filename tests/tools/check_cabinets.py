#!/usr/bin/env python3
"""Checks the cabinets a Wine test left behind with an independent reader.

The folder holds the cabinets and manifest.txt, one "cabinet|stored name"
line per entry, in the order the entries must stand in the cabinet.
"""
import subprocess
import sys
from pathlib import Path


def listed_names(cab):
    out = subprocess.run(["cabextract", "-l", str(cab)], check=True, capture_output=True, text=True).stdout
    names = []
    for line in out.splitlines():
        parts = line.split(" | ")
        if len(parts) == 3 and parts[0].strip().isdigit():
            names.append(parts[2])
    return names


def main(folder):
    folder = Path(folder)
    want = {}
    for line in (folder / "manifest.txt").read_text().splitlines():
        cab, name = line.split("|", 1)
        want.setdefault(cab, []).append(name.replace("\\", "/"))
    failures = 0
    for cab, names in want.items():
        test = subprocess.run(["cabextract", "-q", "-t", str(folder / cab)], capture_output=True, text=True)
        if test.returncode != 0:
            print(f"{cab}: cabextract -t failed:\n{test.stdout}{test.stderr}")
            failures += 1
            continue
        got = listed_names(folder / cab)
        if got != names:
            print(f"{cab}: entries {got}, expected {names}")
            failures += 1
    print(f"{len(want) - failures} passed, {failures} failed")
    return 1 if failures or not want else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
