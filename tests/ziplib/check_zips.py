#!/usr/bin/env python3
"""Checks the archives that the Wine tests left, with independent readers:
Python's zipfile (names, contents, methods, passwords) and unzip -t.
Each archive comes with NAME.expect (tab-separated lines)."""
import os
import subprocess
import sys
import zipfile


def check(folder, expect_name):
    spec = {"entry": {}}
    with open(os.path.join(folder, expect_name), encoding="latin-1") as f:
        for line in f.read().splitlines():
            parts = line.split("\t")
            if parts[0] == "entry":
                spec["entry"][parts[1]] = bytes.fromhex(parts[2])
            else:
                spec[parts[0]] = parts[1]
    path = os.path.join(folder, spec["archive"])
    problems = []
    pwd = spec.get("password")
    with zipfile.ZipFile(path) as z:
        names = z.namelist()
        if sorted(names) != sorted(spec["entry"]):
            problems.append(f"names {sorted(names)} != {sorted(spec['entry'])}")
        if pwd:
            z.setpassword(pwd.encode("latin-1"))
        for info in z.infolist():
            if pwd and not info.flag_bits & 1:
                problems.append(f"{info.filename} not encrypted")
            if "method" in spec and info.compress_type != int(spec["method"]):
                problems.append(f"{info.filename} method {info.compress_type}")
            if info.flag_bits & 8:
                problems.append(f"{info.filename} has a data descriptor")
            want = spec["entry"].get(info.filename)
            got = z.read(info)
            if want is not None and got != want:
                problems.append(f"{info.filename} content differs ({len(got)} vs {len(want)} bytes)")
        bad = z.testzip()
        if bad:
            problems.append(f"testzip: {bad}")
    if "prefix" in spec:
        with open(os.path.join(folder, spec["prefix"]), "rb") as f:
            prefix = f.read()
        with open(path, "rb") as f:
            if f.read(len(prefix)) != prefix:
                problems.append("bytes in front changed")
    # The password goes as its own bytes, not re-encoded.
    cmd = [b"unzip", b"-t", b"-qq"] + ([b"-P", pwd.encode("latin-1")] if pwd else []) + [os.fsencode(path)]
    rc = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT).returncode
    if rc != int(spec.get("unzip", "0")):
        problems.append(f"unzip -t returned {rc}")
    return [f"{spec['archive']}: {p}" for p in problems]


def main():
    root = sys.argv[1]
    problems, count = [], 0
    for folder, _, files in os.walk(root):
        for name in sorted(files):
            if name.endswith(".expect"):
                count += 1
                try:
                    problems += check(folder, name)
                except Exception as e:  # a reader refusing the file is a finding too
                    problems.append(f"{name}: {type(e).__name__}: {e}")
    for p in problems:
        print(p)
    print(f"{count} archives checked, {len(problems)} problems")
    return 1 if problems or count == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
