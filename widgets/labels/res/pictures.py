#!/usr/bin/env python3
"""Draws the LED label button's twelve pictures as 8-bit .bmp files and
writes the resource script that names them.

    pictures.py OUT_DIR

Each picture is 18 x 14. Black is the background, which the button draws
in its own colour; no lamp uses black.  Three shapes (RND round, 3UP a
triangle pointing up, 3DWN one pointing down) in four states (DIS, OFF,
ON, DOWN: pressed, a step lower and right with a darker rim).
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', 'cmake'))
from bmp import write_bmp  # noqa: E402

W, H = 18, 14
COLOURS = {
    '.': (0, 0, 0),          # background
    'r': (64, 64, 64),       # rim
    'R': (32, 32, 32),       # rim of a pressed lamp
    'w': (255, 255, 255),    # gleam
}
STATES = {
    'DIS': ((160, 160, 160), (200, 200, 200)),
    'OFF': ((0, 96, 0), (0, 140, 0)),
    'ON': ((0, 230, 0), (160, 255, 160)),
    'DOWN': ((0, 190, 0), (0, 230, 0)),
}


def inside(shape, x, y):
    """Whether the lamp's body covers pixel (x, y) of a 12 x 12 cell."""
    cx, cy = x + 0.5, y + 0.5
    if shape == 'RND':
        return (cx - 6) ** 2 + (cy - 6) ** 2 <= 30.5
    # Triangles: apex at the top (3UP) or the bottom (3DWN).
    t = cy if shape == '3UP' else 12 - cy
    half = t * 0.55
    return 0.5 <= t <= 11.5 and abs(cx - 6) <= half


def draw(shape, state):
    body, light = STATES[state]
    pressed = state == 'DOWN'
    ox, oy = (4, 1) if pressed else (3, 0)
    px = [['.'] * W for _ in range(H)]
    for y in range(12):
        for x in range(12):
            if not inside(shape, x, y):
                continue
            edge = any(not inside(shape, x + dx, y + dy) or not (0 <= x + dx < 12 and 0 <= y + dy < 12)
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if edge:
                c = 'R' if pressed else 'r'
            else:
                # Lit from the upper left: a lighter quarter and a gleam.
                near = (x - 4) ** 2 + (y - (4 if shape != '3DWN' else 3)) ** 2
                c = 'w' if near == 0 and state != 'DIS' else ('l' if near <= 6 else 'b')
            px[oy + y][ox + x] = c
    colours = dict(COLOURS, b=body, l=light)
    return px, colours


def write_picture(path, px, colours):
    keys = list(colours)
    write_bmp(path, [[keys.index(c) for c in row] for row in px], colours.values())


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    lines = ["// The LED label button's pictures (made by pictures.py)."]
    for shape in ('RND', '3UP', '3DWN'):
        for state in STATES:
            name = state + shape
            px, colours = draw(shape, state)
            write_picture(os.path.join(out, name.lower() + '.bmp'), px, colours)
            lines.append('%s BITMAP "%s.bmp"' % (name, name.lower()))
    with open(os.path.join(out, 'OLabelPictures.rc'), 'w') as f:
        f.write('\n'.join(lines) + '\n')


main()
