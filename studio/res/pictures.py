#!/usr/bin/env python3
"""Draws the Studio main window's pictures and writes the resource script
that names them.

    pictures.py OUT_DIR

- SIDE_INFO, SIDE_SOURCES, SIDE_HELP, SIDE_COMPRESS, SIDE_SFX: 32 x 32
  icons of the side bar's five buttons.
- TB_NEW ... TB_WEB: 16 x 16 glyphs of the toolbar's seven buttons, as .bmp
  files whose bottom-left pixel holds the see-through colour.
- WORKING: the processing page's animation, eight 32 x 32 frames of a page
  dropping into a package.
"""
import os
import struct
import sys

# The classic 16 colours, by letter; '.' is see-through.
COLOURS = 'kmgonptdsrlybfaw'
RGB = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# The glyphs' see-through colour: fuchsia, which no glyph draws with.
GLYPH_BACK = 'f'


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [['.'] * size for _ in range(size)]

    def dot(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def box(self, x0, y0, x1, y1, fill=None, edge=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                on_edge = x in (x0, x1) or y in (y0, y1)
                colour = edge if on_edge and edge else fill
                if colour:
                    self.dot(x, y, colour)

    def hline(self, x0, x1, y, c):
        for x in range(x0, x1 + 1):
            self.dot(x, y, c)

    def vline(self, x, y0, y1, c):
        for y in range(y0, y1 + 1):
            self.dot(x, y, c)

    def disc(self, cx, cy, r, fill, edge=None):
        for y in range(cy - r - 1, cy + r + 2):
            for x in range(cx - r - 1, cx + r + 2):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if d <= r * r + r:
                    self.dot(x, y, edge if edge and d > (r - 1) * (r - 1) + (r - 1) else fill)

    def pattern(self, x0, y0, rows, c):
        for dy, row in enumerate(rows):
            for dx, bit in enumerate(row):
                if bit == '#':
                    self.dot(x0 + dx, y0 + dy, c)


QUESTION = ['.####.', '##..##', '....##', '...##.', '..##..', '..##..', '......', '..##..']
INFO = ['##', '..', '##', '##', '##', '##', '##']


# --- Pieces the pictures share, scaled by `s` (1 for 16 pixels, 2 for 32).

def sheet(p, x0, y0, x1, y1, lines=True):
    p.box(x0, y0, x1, y1, 'w', 'k')
    fold = max(2, (x1 - x0) // 4)
    for i in range(fold):
        p.hline(x1 - fold + 1 + i, x1, y0 + i, '.' if p.size > 16 else GLYPH_BACK)
    for i in range(fold + 1):
        p.dot(x1 - fold + i, y0 + i, 'k')
    p.vline(x1 - fold, y0, y0 + fold, 'k')
    p.hline(x1 - fold, x1, y0 + fold, 'k')
    if lines:
        for y in range(y0 + fold + 2, y1 - 1, 2):
            p.hline(x0 + 2, x1 - 2, y, 'd')


def crate(p, x0, y0, x1, y1):
    p.box(x0, y0, x1, y1, 'o', 'k')
    mid = (x0 + x1) // 2
    p.box(mid - 1, y0 + 1, mid + 1, y1 - 1, 'y')
    p.hline(x0 + 1, x1 - 1, y0 + 2, 'y')


def folder(p, x0, y0, x1, y1):
    tab = (x1 - x0) // 3
    p.box(x0, y0, x0 + tab, y0 + 2, 'y', 'k')
    p.box(x0, y0 + 2, x1, y1, 'y', 'k')
    p.hline(x0 + 1, x1 - 1, y0 + 3, 'w')


def arrow_up(p, cx, top, length, c):
    for i in range(4):
        p.hline(cx - i, cx + i, top + i, c)
    p.box(cx - 1, top + 4, cx + 1, top + length, c)


# --- The side bar's icons.

def side_info():
    p = Canvas(32)
    sheet(p, 4, 2, 23, 29)
    p.disc(22, 21, 8, 'b', 'n')
    p.pattern(21, 15, INFO, 'w')
    return p


def side_sources():
    p = Canvas(32)
    sheet(p, 9, 2, 26, 20)
    sheet(p, 13, 5, 29, 22)
    folder(p, 1, 12, 24, 29)
    return p


def side_help():
    p = Canvas(32)
    p.disc(15, 15, 13, 'b', 'n')
    big = [row.replace('#', '##') for row in QUESTION]
    for dy, row in enumerate(big):
        p.pattern(10, 6 + 2 * dy, [row, row], 'w')
    return p


def side_compress():
    p = Canvas(32)
    crate(p, 9, 9, 22, 24)
    for y in (14, 19):  # the jaws pressing from both sides
        p.box(1, y - 1, 5, y + 1, 'r')
        p.box(26, y - 1, 30, y + 1, 'r')
    for i in range(4):
        p.vline(5 + i, 12 + i, 21 - i, 'r')
        p.vline(26 - i, 12 + i, 21 - i, 'r')
    p.box(8, 4, 23, 6, 's', 'k')
    p.box(8, 27, 23, 29, 's', 'k')
    return p


def side_sfx():
    p = Canvas(32)
    crate(p, 2, 17, 29, 30)
    sheet(p, 10, 6, 21, 16, lines=False)
    arrow_up(p, 15, 0, 12, 'g')
    return p


# --- The toolbar's glyphs.

def glyph():
    p = Canvas(16)
    p.px = [[GLYPH_BACK] * 16 for _ in range(16)]
    return p


def tb_new():
    p = glyph()
    sheet(p, 3, 1, 12, 14)
    return p


def tb_open():
    p = glyph()
    folder(p, 1, 3, 13, 13)
    for i, y in enumerate(range(7, 14)):  # the opened flap
        p.hline(3 - min(i, 2) + 2, 15 - min(i, 2), y, 'o' if y == 7 else 'y')
    for i in range(7):
        p.dot(15 - i // 3, 7 + i, 'k')
    p.hline(4, 15, 7, 'k')
    p.hline(1, 13, 13, 'k')
    return p


def tb_save():
    p = glyph()
    p.box(1, 1, 14, 14, 'n', 'k')
    p.box(4, 1, 11, 6, 'w', 'k')
    p.box(4, 9, 11, 14, 's', 'k')
    p.box(9, 10, 10, 13, 'n')
    return p


def tb_build():
    p = glyph()
    crate(p, 1, 7, 12, 14)
    for i in range(3):  # a green arrow going into the box
        p.hline(12 - i, 12 + i, 6 - i + 2, 'g')
    p.box(11, 1, 13, 5, 'g')
    p.dot(12, 8, 'g')
    return p


def tb_test():
    p = glyph()
    p.box(1, 2, 14, 13, 'w', 'k')
    p.hline(2, 13, 3, 'n')
    for i in range(5):
        p.vline(5 + i, 5 + i, 12 - i, 'g')
    return p


def tb_help():
    p = glyph()
    p.disc(7, 7, 7, 'y', 'k')
    p.pattern(5, 3, QUESTION, 'n')
    return p


def tb_web():
    p = glyph()
    p.disc(7, 7, 7, 'b', 'n')
    p.box(3, 3, 6, 6, 'l')
    p.box(5, 7, 7, 11, 'l')
    p.box(9, 2, 11, 4, 'l')
    p.box(10, 8, 12, 10, 'l')
    p.vline(7, 0, 14, 'a')
    p.hline(0, 14, 7, 'a')
    return p


# --- The processing page's animation: a page falls into an open package.

def working(step):
    p = Canvas(32)
    crate(p, 4, 18, 27, 30)
    p.box(2, 15, 10, 17, 'o', 'k')   # the flaps, open
    p.box(21, 15, 29, 17, 'o', 'k')
    top = [0, 2, 5, 8, 11, 14, 17, 17][step]
    if step < 7:
        sheet(p, 11, top, 20, min(top + 12, 17), lines=top < 6)
    else:
        p.disc(15, 8, 3, 'y')       # it landed: a spark
    return p


# --- File writers.

def dib(p, with_mask):
    """The BITMAPINFOHEADER, palette and bits of a 4-bit picture; an icon's
    header counts its mask in the height, and the AND mask follows."""
    n = p.size
    stride = ((n * 4 + 31) // 32) * 4
    bits = b''
    for row in reversed(p.px):
        nib = [COLOURS.index(c) if c != '.' else 0 for c in row]
        line = bytes(nib[i] << 4 | nib[i + 1] for i in range(0, n, 2))
        bits += line + b'\0' * (stride - len(line))
    mask = b''
    if with_mask:
        mstride = ((n + 31) // 32) * 4
        for row in reversed(p.px):
            value = 0
            for c in row:
                value = value << 1 | (c == '.')
            line = value.to_bytes(n // 8, 'big')
            mask += line + b'\0' * (mstride - len(line))
    height = 2 * n if with_mask else n
    head = struct.pack('<IiiHHIIiiII', 40, n, height, 1, 4, 0, len(bits) + len(mask), 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in RGB)
    return head + palette + bits + mask


def ico(p):
    image = dib(p, True)
    return struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', p.size, p.size, 16, 0, 1, 4, len(image), 22) + image


def bmp(p):
    body = dib(p, False)
    offset = 14 + 40 + 64
    return b'BM' + struct.pack('<IHHI', 14 + len(body), 0, 0, offset) + body


def ani(frames, rate):
    def chunk(cid, data):
        return cid + struct.pack('<I', len(data)) + data + (b'\0' if len(data) % 2 else b'')
    icons = [ico(f) for f in frames]
    anih = struct.pack('<9i', 36, len(icons), len(icons), 0, 0, 0, 0, rate, 1)
    body = b'ACON' + chunk(b'anih', anih) + chunk(b'LIST', b'fram' + b''.join(chunk(b'icon', i) for i in icons))
    return b'RIFF' + struct.pack('<I', len(body)) + body


ICONS = [('SIDE_INFO', side_info), ('SIDE_SOURCES', side_sources), ('SIDE_HELP', side_help),
         ('SIDE_COMPRESS', side_compress), ('SIDE_SFX', side_sfx)]
GLYPHS = [('TB_NEW', tb_new), ('TB_OPEN', tb_open), ('TB_SAVE', tb_save), ('TB_BUILD', tb_build),
          ('TB_TEST', tb_test), ('TB_HELP', tb_help), ('TB_WEB', tb_web)]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rc = ['// The Studio main window\'s pictures, drawn by pictures.py.']

    def write(name, data, kind):
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)
        return '%s %s "%s"' % (name.split('.')[0].upper(), kind, name)

    for name, draw in ICONS:
        rc.append(write(name.lower() + '.ico', ico(draw()), 'ICON'))
    for name, draw in GLYPHS:
        p = draw()
        p.px[15][0] = GLYPH_BACK
        rc.append(write(name.lower() + '.bmp', bmp(p), 'RCDATA'))
    rc.append(write('working.ani', ani([working(i) for i in range(8)], 8), 'RCDATA'))
    with open(os.path.join(out, 'StudioPictures.rc'), 'w') as f:
        f.write('\n'.join(rc) + '\n')


if __name__ == '__main__':
    main()
