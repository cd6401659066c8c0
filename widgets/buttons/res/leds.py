#!/usr/bin/env python3
# Writes the rounded button's LED pictures as 8-bit .bmp files.
# Black is the transparent colour.
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', 'cmake'))
from bmp import write_bmp  # noqa: E402

COLOURS = {'.': (0, 0, 0), 'r': (64, 64, 64), 'w': (255, 255, 255),
           'o': (0, 96, 0), 'n': (0, 255, 0), 'd': (0, 200, 0), 'x': (160, 160, 160)}

SMALL = ['...rrr...', '..rbbbr..', '.rbwbbbr.', 'rbwbbbbbr', 'rbbbbbbbr',
         'rbbbbbbbr', '.rbbbbbr.', '..rbbbr..', '...rrr...']
LARGE = ['...rrrr...', '..rbbbbr..', '.rbwbbbbr.', 'rbwbbbbbbr', 'rbbbbbbbbr',
         'rbbbbbbbbr', 'rbbbbbbbbr', '.rbbbbbbr.', '..rbbbbr..', '...rrrr...']

PICTURES = {'off': (SMALL, 'o'), 'on': (SMALL, 'n'), 'down': (LARGE, 'd'), 'disabled': (LARGE, 'x')}


def write_picture(name, rows, body):
    keys = list(COLOURS)
    indexes = [[keys.index(body if c == 'b' else c) for c in row] for row in rows]
    write_bmp(name + '.bmp', indexes, COLOURS.values())


for name, (rows, body) in PICTURES.items():
    write_picture(name, rows, body)
