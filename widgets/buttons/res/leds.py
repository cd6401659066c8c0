#!/usr/bin/env python3
# Writes the rounded button's LED pictures as 8-bit .bmp files.
# Black is the transparent colour.
import struct

COLOURS = {'.': (0, 0, 0), 'r': (64, 64, 64), 'w': (255, 255, 255),
           'o': (0, 96, 0), 'n': (0, 255, 0), 'd': (0, 200, 0), 'x': (160, 160, 160)}

SMALL = ['...rrr...', '..rbbbr..', '.rbwbbbr.', 'rbwbbbbbr', 'rbbbbbbbr',
         'rbbbbbbbr', '.rbbbbbr.', '..rbbbr..', '...rrr...']
LARGE = ['...rrrr...', '..rbbbbr..', '.rbwbbbbr.', 'rbwbbbbbbr', 'rbbbbbbbbr',
         'rbbbbbbbbr', 'rbbbbbbbbr', '.rbbbbbbr.', '..rbbbbr..', '...rrrr...']

PICTURES = {'off': (SMALL, 'o'), 'on': (SMALL, 'n'), 'down': (LARGE, 'd'), 'disabled': (LARGE, 'x')}


def write_bmp(name, rows, body):
    keys = list(COLOURS)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in COLOURS.values())
    palette += b'\0' * (256 * 4 - len(palette))
    w, h = len(rows[0]), len(rows)
    stride = (w + 3) & ~3
    pixels = b''
    for row in reversed(rows):
        line = bytes(keys.index(body if c == 'b' else c) for c in row)
        pixels += line + b'\0' * (stride - w)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(palette)
    head = b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset)
    with open(name + '.bmp', 'wb') as f:
        f.write(head + info + palette + pixels)


for name, (rows, body) in PICTURES.items():
    write_bmp(name, rows, body)
