#!/usr/bin/env python3
"""Writes the benchmark tree, the same bytes on every run:

  small/dNNN/fNNNNN.*  10,000 small files (100 folders of 100), 200 B to 8 KB
  mixed/               about 200 MB: text, structured binary, random bytes
                       and long runs, in files of 2 to 20 MB

make_tree.py FOLDER
"""
import os
import random
import struct
import sys

WORDS = (
    "the of and to in is that for it as with was on be by at this are from or an which have not "
    "file folder archive package setup install build window project source target compress level "
    "error message value record header entry table offset length version system program library "
    "data stream block buffer chunk string number index count size time date name path drive "
    "return while static const struct class public private void int char bool unsigned uint32_t "
    "if else for switch case break continue default sizeof nullptr true false include define"
).split()


def text(rng, size):
    out = []
    n = 0
    while n < size:
        line = " ".join(rng.choices(WORDS, k=rng.randint(4, 14)))
        if rng.random() < 0.3:
            line = "%08x %5d " % (rng.getrandbits(32), rng.randint(0, 99999)) + line
        out.append(line)
        n += len(line) + 2
    return ("\r\n".join(out)).encode()[:size]


def structured(rng, size):
    # Records as a program's data file has them: counters, small numbers,
    # a few floats and a short name.
    recs = []
    n = 0
    i = 0
    while n < size:
        name = rng.choice(WORDS).encode().ljust(12, b"\0")
        rec = struct.pack("<IIhhf", i, i * 7 + rng.randint(0, 3), rng.randint(-50, 50), rng.randint(0, 9),
                          rng.random() * 100.0) + name
        recs.append(rec)
        n += len(rec)
        i += 1
    return b"".join(recs)[:size]


def runs(rng, size):
    parts = []
    n = 0
    while n < size:
        b = bytes([rng.randint(0, 255)]) * rng.randint(16, 4096)
        pat = bytes(rng.getrandbits(8) for _ in range(rng.randint(2, 16))) * rng.randint(8, 256)
        parts.append(b + pat)
        n += len(b) + len(pat)
    return b"".join(parts)[:size]


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    root = sys.argv[1]
    rng = random.Random(20240601)
    for d in range(100):
        for k in range(100):
            i = d * 100 + k
            size = int(min(8192, max(200, rng.lognormvariate(7.3, 0.8))))
            kind = rng.random()
            if kind < 0.6:
                data, ext = text(rng, size), ".txt"
            elif kind < 0.85:
                data, ext = structured(rng, size), ".dat"
            else:
                data, ext = rng.randbytes(size), ".bin"
            write(os.path.join(root, "small", "d%03d" % d, "f%05d%s" % (i, ext)), data)
    mb = 1 << 20
    for i in range(12):
        write(os.path.join(root, "mixed", "text", "t%02d.txt" % i), text(rng, 5 * mb))
    for i in range(6):
        write(os.path.join(root, "mixed", "data", "s%02d.dat" % i), structured(rng, 10 * mb))
    for i in range(4):
        write(os.path.join(root, "mixed", "random", "r%02d.bin" % i), rng.randbytes(10 * mb))
    for i in range(2):
        write(os.path.join(root, "mixed", "runs", "u%02d.bin" % i), runs(rng, 20 * mb))


if __name__ == "__main__":
    main()
