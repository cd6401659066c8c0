#!/usr/bin/env python3
"""Draws the animated menus' item pictures as 16-colour .bmp files and
writes the resource script that names them.

    pictures.py OUT_DIR

Every picture is 16 x 16 (AM_SYSTEMMINIMIZE 17 x 17). The bottom-left
pixel holds the background colour, which the menus draw as transparent;
no picture uses that colour anywhere else.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', 'cmake'))
from bmp import write_bmp  # noqa: E402

# The 16 colours of the classic palette, by letter.
PALETTE = {
    'k': (0, 0, 0), 'm': (128, 0, 0), 'g': (0, 128, 0), 'o': (128, 128, 0),
    'n': (0, 0, 128), 'p': (128, 0, 128), 't': (0, 128, 128), 'd': (128, 128, 128),
    's': (192, 192, 192), 'r': (255, 0, 0), 'l': (0, 255, 0), 'y': (255, 255, 0),
    'b': (0, 0, 255), 'f': (255, 0, 255), 'a': (0, 255, 255), 'w': (255, 255, 255),
}
KEYS = list(PALETTE)
BACK = 't'  # teal: the transparent background, used by no picture

# A 3 x 5 font for small marks and a 5 x 7 one for big letters.
SMALL = {
    'A': ['.#.', '#.#', '###', '#.#', '#.#'], 'B': ['##.', '#.#', '##.', '#.#', '##.'],
    'C': ['.##', '#..', '#..', '#..', '.##'], 'Z': ['###', '..#', '.#.', '#..', '###'],
    'a': ['...', '.##', '#.#', '#.#', '.##'], 'b': ['#..', '##.', '#.#', '#.#', '##.'],
    '1': ['.#.', '##.', '.#.', '.#.', '###'], '2': ['##.', '..#', '.#.', '#..', '###'],
    '3': ['##.', '..#', '.#.', '..#', '##.'], '?': ['##.', '..#', '.#.', '...', '.#.'],
}
BIG = {
    'A': ['..#..', '.#.#.', '#...#', '#...#', '#####', '#...#', '#...#'],
    'B': ['####.', '#...#', '#...#', '####.', '#...#', '#...#', '####.'],
    'I': ['.###.', '..#..', '..#..', '..#..', '..#..', '..#..', '.###.'],
    'U': ['#...#', '#...#', '#...#', '#...#', '#...#', '#...#', '.###.'],
    '?': ['.###.', '#...#', '....#', '...#.', '..#..', '.....', '..#..'],
}


class Picture:
    def __init__(self, w=16, h=16):
        self.w, self.h = w, h
        self.px = [[BACK] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, fill=None, line=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                if edge and line:
                    self.set(x, y, line)
                elif fill:
                    self.set(x, y, fill)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def circle(self, cx, cy, r, line=None, fill=None):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if d <= r * r + r:
                    outer = d > (r - 1) * (r - 1) + (r - 1)
                    if outer and line:
                        self.set(x, y, line)
                    elif fill:
                        self.set(x, y, fill)

    def glyph(self, font, ch, x, y, c, slant=False, bold=False):
        for row, bits in enumerate(font[ch]):
            shift = (len(font[ch]) - 1 - row) // 2 if slant else 0
            for col, bit in enumerate(bits):
                if bit == '#':
                    self.set(x + col + shift, y + row, c)
                    if bold:
                        self.set(x + col + shift + 1, y + row, c)

    def text(self, s, x, y, c):
        for ch in s:
            self.glyph(SMALL, ch, x, y, c)
            x += 4


# Pieces the pictures are made of.
def page(p, x0=3, y0=1, x1=12, y1=14, lines=True, fill='w'):
    p.rect(x0, y0, x1, y1, fill, 'k')
    for x in range(x1 - 2, x1 + 1):
        p.set(x, y0, BACK if x > x1 - 2 else 'k')
    p.set(x1 - 2, y0, 'k'), p.set(x1 - 2, y0 + 1, 'k'), p.set(x1 - 1, y0 + 2, 'k'), p.set(x1, y0 + 2, 'k')
    p.set(x1, y0 + 1, BACK), p.set(x1 - 1, y0 + 1, 'k')
    if lines:
        for y in range(y0 + 4, y1 - 1, 2):
            p.line(x0 + 2, y, x1 - 2, y, 'd')


def folder(p, x0=1, y0=4, x1=14, y1=13, open_=False):
    p.rect(x0, y0 + 1, x1, y1, 'y', 'k')
    p.rect(x0, y0 - 1, x0 + 5, y0 + 1, 'y', 'k')
    if open_:
        for i, y in enumerate(range(y0 + 4, y1 + 1)):
            p.line(x0 + 3 - min(i, 2), y, x1 + 1 - min(i, 2), y, 'o' if y == y0 + 4 else 'y')
        p.line(x0 + 3, y0 + 4, x1 + 1, y0 + 4, 'k')
        p.line(x1 + 1, y0 + 4, x1 - 1, y1, 'k')


def floppy(p, x0=1, y0=1, x1=14, y1=14):
    p.rect(x0, y0, x1, y1, 'n', 'k')
    p.rect(x0 + 3, y0, x1 - 3, y0 + 5, 'w', 'k')
    p.rect(x0 + 3, y1 - 4, x1 - 3, y1, 's', 'k')
    p.rect(x1 - 5, y1 - 3, x1 - 4, y1 - 1, 'n')


def printer(p):
    p.rect(4, 1, 11, 6, 'w', 'k')
    p.rect(1, 6, 14, 12, 's', 'k')
    p.line(2, 13, 13, 13, 'k')
    p.rect(4, 10, 11, 14, 'w', 'k')
    p.set(12, 8, 'l')


def magnifier(p, cx=6, cy=6, r=4):
    p.circle(cx, cy, r, 'k', 'a')
    for i in range(4):
        p.set(cx + r - 1 + i, cy + r - 1 + i, 'k')
        p.set(cx + r + i, cy + r - 1 + i, 'k')


def envelope(p, open_=False, y0=4):
    p.rect(1, y0, 14, y0 + 8, 'w', 'k')
    if open_:
        p.line(1, y0, 7, y0 - 4, 'k'), p.line(14, y0, 8, y0 - 4, 'k')
        p.line(1, y0 + 8, 7, y0 + 3, 'd'), p.line(14, y0 + 8, 8, y0 + 3, 'd')
    else:
        p.line(1, y0, 7, y0 + 5, 'k'), p.line(14, y0, 8, y0 + 5, 'k')


def window(p, x0, y0, x1, y1, title='n'):
    p.rect(x0, y0, x1, y1, 'w', 'k')
    p.rect(x0 + 1, y0 + 1, x1 - 1, y0 + 2, title)


def text_lines(p, widths, x=2, y=2, step=3, align='left', c='k', right=13):
    for i, w in enumerate(widths):
        if align == 'left':
            a = x
        elif align == 'right':
            a = right - w + 1
        else:
            a = x + (right - x + 1 - w) // 2
        p.line(a, y + i * step, a + w - 1, y + i * step, c)


def arrow(p, x, y, direction, c='b', size=3):
    if direction == 'right':
        p.line(x - 2 * size, y, x, y, c)
        for i in range(size + 1):
            p.line(x - i, y - i, x - i, y + i, c)
    elif direction == 'left':
        p.line(x, y, x + 2 * size, y, c)
        for i in range(size + 1):
            p.line(x + i, y - i, x + i, y + i, c)
    elif direction == 'down':
        p.line(x, y - 2 * size, x, y, c)
        for i in range(size + 1):
            p.line(x - i, y - i, x + i, y - i, c)
    elif direction == 'up':
        p.line(x, y, x, y + 2 * size, c)
        for i in range(size + 1):
            p.line(x - i, y + i, x + i, y + i, c)


def star(p, x, y, c='y'):
    for dx, dy in ((0, 0), (-1, 0), (1, 0), (0, -1), (0, 1), (-2, -2), (2, -2), (-2, 2), (2, 2)):
        p.set(x + dx, y + dy, c)


def curved_arrow(p, left):
    # An arc over the top with its head at the lower end of one side.
    arc = [(4, 11), (3, 9), (3, 7), (4, 5), (6, 4), (9, 4), (11, 5), (12, 7), (12, 9), (11, 11)]
    head = [(1, 10), (2, 10), (3, 10), (4, 10), (5, 10), (6, 10), (2, 11), (3, 11), (4, 11), (5, 11),
            (3, 12), (4, 12)]
    if not left:
        arc = [(15 - x, y) for x, y in arc]
        head = [(15 - x, y) for x, y in head]
    for (x0, y0), (x1, y1) in zip(arc, arc[1:]):
        p.line(x0, y0, x1, y1, 'b')
    for x, y in head:
        p.set(x, y, 'b')


def circle_arrows(p, c='g', two=True):
    p.circle(8, 8, 6, c)
    p.circle(8, 8, 5, c)
    for x in range(5, 11):
        for y in range(0, 4):
            p.set(x, y, BACK)
    arrow(p, 11, 3, 'right', c, 2)
    if two:
        for x in range(5, 11):
            for y in range(12, 16):
                p.set(x, y, BACK)
        arrow(p, 4, 13, 'left', c, 2)


def clock(p, cx=8, cy=8, r=7):
    p.circle(cx, cy, r, 'k', 'w')
    p.line(cx, cy, cx, cy - r + 2, 'k')
    p.line(cx, cy, cx + r - 3, cy, 'k')
    p.set(cx, cy, 'r')


def calendar(p, x0=1, y0=2, x1=14, y1=14):
    p.rect(x0, y0, x1, y1, 'w', 'k')
    p.rect(x0 + 1, y0 + 1, x1 - 1, y0 + 3, 'r')
    for y in range(y0 + 5, y1, 2):
        for x in range(x0 + 2, x1 - 1, 2):
            p.set(x, y, 'd')
    p.set(x0 + 6, y0 + 7, 'r'), p.set(x0 + 7, y0 + 7, 'r')


def note(p, x0=2, y0=2, x1=13, y1=13):
    p.rect(x0, y0, x1, y1, 'y', 'k')
    for y in range(y0 + 3, y1 - 1, 2):
        p.line(x0 + 2, y, x1 - 2, y, 'o')


def checklist(p):
    p.rect(2, 2, 13, 14, 'w', 'k')
    p.rect(5, 1, 10, 3, 's', 'k')
    for y in (6, 9, 12):
        p.rect(4, y - 1, 5, y, 'g')
        p.line(7, y, 11, y, 'd')


def tick(p, x, y, c='g'):
    for i, (dx, dy) in enumerate(((0, 0), (1, 1), (2, 2), (3, 1), (4, 0), (5, -1), (6, -2))):
        p.set(x + dx, y + dy, c)
        p.set(x + dx, y + dy - 1, c)


def globe(p, cx=7, cy=7, r=6):
    p.circle(cx, cy, r, 'n', 'a')
    p.line(cx - r + 1, cy, cx + r - 1, cy, 'n')
    p.line(cx, cy - r + 1, cx, cy + r - 1, 'n')
    for (x, y) in ((cx - 3, cy - 2), (cx - 2, cy - 3), (cx + 2, cy + 2), (cx + 3, cy + 1), (cx - 2, cy + 3)):
        p.set(x, y, 'g')


def ribbon(p, x0=5, x1=10, y0=1, y1=14, c='r'):
    p.rect(x0, y0, x1, y1 - 2, c, 'm')
    mid = (x0 + x1) // 2
    p.line(x0, y1, mid, y1 - 3, 'm'), p.line(x1, y1, mid + 1, y1 - 3, 'm')
    p.line(x0, y1 - 2, x0, y1, 'm'), p.line(x1, y1 - 2, x1, y1, 'm')
    p.rect(x0 + 1, y1 - 2, x1 - 1, y1 - 2, c)


def indent_lines(p):
    for y in (2, 14):
        p.line(1, y, 14, y, 'k')
    for y in (5, 8, 11):
        p.line(7, y, 14, y, 'k')


# The pictures, by name.
def make(name):
    p = Picture(17, 17) if name == 'SYSTEMMINIMIZE' else Picture()
    if name == 'ADDRESSBOOK':
        p.rect(2, 1, 13, 14, 'w', 'k'), p.rect(2, 1, 4, 14, 'n', 'k')
        p.circle(9, 6, 2, 'k', 'y'), p.rect(6, 10, 12, 12, 'b', 'k')
    elif name in ('ALIGNLEFT', 'ALIGNCENTER', 'ALIGNRIGHT', 'JUSTIFY'):
        align = {'ALIGNLEFT': 'left', 'ALIGNCENTER': 'center', 'ALIGNRIGHT': 'right', 'JUSTIFY': 'left'}[name]
        widths = [12] * 5 if name == 'JUSTIFY' else [12, 8, 12, 6, 10]
        text_lines(p, widths, x=2, y=2, align=align)
    elif name == 'AUTOPREVIEW':
        page(p, lines=False), p.rect(5, 4, 10, 7, 'a', 'n'), text_lines(p, [6, 6, 4], x=5, y=9, step=2, c='d')
    elif name == 'BOLD':
        p.glyph(BIG, 'B', 4, 4, 'k', bold=True)
    elif name == 'ITALIC':
        p.glyph(BIG, 'I', 4, 4, 'k', slant=True)
    elif name == 'UNDERLINE':
        p.glyph(BIG, 'U', 5, 2, 'k'), p.line(3, 12, 12, 12, 'k')
    elif name == 'BOOKMARKS':
        ribbon(p, 3, 7, c='r'), ribbon(p, 9, 13, y0=3, c='b')
    elif name == 'GOTOBOOKMARK':
        ribbon(p, 2, 7), arrow(p, 14, 8, 'right', 'g', 2)
    elif name == 'SETBOOKMARK':
        ribbon(p, 2, 7), p.line(9, 5, 15, 5, 'g'), p.line(12, 2, 12, 8, 'g')
    elif name in ('BULLETS', 'NUMBERING'):
        for i, y in enumerate((3, 8, 13)):
            if name == 'BULLETS':
                p.rect(1, y - 1, 2, y, 'n')
            else:
                p.glyph(SMALL, '123'[i], 1, y - 3, 'n')
            p.line(6, y, 14, y, 'k')
    elif name == 'CASCADE':
        window(p, 1, 1, 9, 8), window(p, 4, 4, 12, 11), window(p, 7, 7, 15, 14)
    elif name == 'TILE':
        window(p, 0, 1, 7, 14), window(p, 8, 1, 15, 14)
    elif name == 'SPLITWINDOW':
        window(p, 1, 1, 14, 14), p.line(2, 8, 13, 8, 'k'), p.line(2, 9, 13, 9, 'd')
    elif name == 'FULLSCREEN':
        window(p, 3, 3, 12, 12)
        for (x, y, dx, dy) in ((0, 0, 1, 1), (15, 0, -1, 1), (0, 15, 1, -1), (15, 15, -1, -1)):
            p.set(x, y, 'b'), p.set(x + dx, y, 'b'), p.set(x, y + dy, 'b'), p.set(x + dx, y + dy, 'b')
    elif name in ('CONTENTS', 'CONTENTSANDINDEX'):
        p.rect(2, 1, 11, 14, 'b', 'k'), p.line(3, 13, 11, 13, 'w'), p.rect(4, 3, 9, 5, 'y')
        if name == 'CONTENTSANDINDEX':
            p.rect(10, 5, 15, 15, 'w', 'k'), text_lines(p, [3, 3, 3], x=11, y=8, step=2, c='d')
    elif name == 'HELP':
        p.circle(8, 8, 7, 'n', 'y'), p.glyph(BIG, '?', 6, 5, 'n')
    elif name == 'WHATSTHIS':
        for i in range(9):
            p.line(1, 1 + i, 1 + i, 1 + i, 'k')
        p.line(1, 1, 1, 11, 'k'), p.line(3, 9, 5, 13, 'k'), p.line(4, 9, 6, 13, 'k')
        p.glyph(BIG, '?', 10, 6, 'b')
    elif name == 'COPY':
        page(p, 1, 1, 9, 11), page(p, 6, 4, 14, 14)
    elif name == 'CUT':
        p.circle(4, 12, 2, 'k'), p.circle(11, 12, 2, 'k')
        p.line(5, 10, 10, 1, 'd'), p.line(10, 10, 5, 1, 'd'), p.line(6, 10, 10, 2, 'k'), p.line(9, 10, 5, 2, 'k')
    elif name == 'PASTE':
        p.rect(1, 2, 11, 14, 'o', 'k'), p.rect(4, 1, 8, 3, 's', 'k'), page(p, 6, 6, 14, 15)
    elif name == 'DELETE':
        for i in range(11):
            p.set(2 + i, 2 + i, 'r'), p.set(3 + i, 2 + i, 'r'), p.set(13 - i, 2 + i, 'r'), p.set(12 - i, 2 + i, 'r')
    elif name == 'DATE':
        calendar(p)
    elif name == 'TIME':
        clock(p)
    elif name in ('DATEANDTIME', 'DATETIME'):
        calendar(p, 0, 0, 10, 10), clock(p, 10, 10, 5)
    elif name == 'SETDATE':
        calendar(p, 0, 0, 11, 11), tick(p, 8, 12)
    elif name == 'SETTIME':
        clock(p, 7, 7, 6), tick(p, 8, 13)
    elif name in ('DECREASEINDENT', 'UNINDENT'):
        indent_lines(p), arrow(p, 1, 8, 'left', 'b', 2)
    elif name in ('INCREASEINDENT', 'INDENT'):
        indent_lines(p), arrow(p, 5, 8, 'right', 'b', 2)
    elif name == 'FIND':
        magnifier(p)
    elif name == 'FINDNEXT':
        magnifier(p, 5, 5, 4), arrow(p, 15, 13, 'right', 'g', 2)
    elif name == 'REPLACE':
        p.text('ab', 0, 1, 'k'), p.text('ab', 8, 10, 'b'), arrow(p, 12, 6, 'down', 'r', 2)
    elif name == 'SEARCHTHEWEB':
        globe(p, 6, 6, 6), magnifier(p, 10, 10, 3)
    elif name == 'FONT':
        p.glyph(BIG, 'A', 5, 4, 'k', bold=True)
    elif name == 'FONTSIZE':
        p.glyph(BIG, 'A', 1, 4, 'k'), p.glyph(SMALL, 'A', 10, 6, 'k')
    elif name == 'FONTSTYLE':
        p.glyph(BIG, 'A', 2, 2, 'k', bold=True), p.glyph(BIG, 'I', 8, 8, 'b', slant=True)
    elif name == 'SETFONT':
        p.glyph(BIG, 'A', 1, 2, 'k', bold=True), p.line(9, 14, 15, 8, 'r'), p.line(10, 14, 15, 9, 'm')
    elif name == 'HOME':
        p.line(1, 8, 8, 1, 'm'), p.line(8, 1, 15, 8, 'm'), p.line(2, 8, 8, 2, 'r'), p.line(8, 2, 14, 8, 'r')
        p.rect(3, 8, 13, 14, 'w', 'k'), p.rect(7, 10, 9, 14, 'o', 'k')
    elif name == 'HYPERLINK':
        globe(p, 6, 6, 5)
        p.rect(7, 10, 11, 13, None, 'k'), p.rect(10, 11, 14, 14, None, 'k')
    elif name == 'MARKASREAD':
        envelope(p, True, 6)
    elif name in ('MARKASUNREAD',):
        envelope(p, False)
    elif name in ('NEWMAIL', 'NEWMAILMESSAGE'):
        envelope(p, False, 6), star(p, 3, 2)
    elif name == 'SENDMAIL':
        envelope(p, False, 6), arrow(p, 15, 2, 'right', 'g', 2)
    elif name == 'MOVETOFOLDER':
        folder(p, 1, 6, 12, 14), arrow(p, 15, 3, 'right', 'b', 2)
    elif name == 'NEWFOLDER':
        folder(p, 1, 6, 13, 14), star(p, 12, 2)
    elif name == 'OPEN':
        folder(p, open_=True)
    elif name == 'NEW':
        page(p, lines=False), star(p, 12, 3)
    elif name == 'NOTE':
        note(p)
    elif name == 'NEWNOTE':
        note(p, 1, 4, 12, 15), star(p, 12, 3)
    elif name == 'TASK':
        checklist(p)
    elif name == 'NEWTASK':
        checklist(p), star(p, 13, 2)
    elif name == 'PRINT':
        printer(p)
    elif name == 'PRINTERSETUP':
        printer(p), p.circle(12, 12, 3, 'k', 's'), p.set(12, 12, 'k')
    elif name == 'PRINTPREVIEW':
        page(p, 1, 1, 10, 14), magnifier(p, 9, 9, 3)
    elif name == 'PROPERTIES':
        window(p, 1, 1, 14, 14), text_lines(p, [7, 7, 7], x=6, y=6, step=3, c='d')
        for y in (6, 9, 12):
            p.rect(3, y - 1, 4, y, 'g')
    elif name in ('UNDO', 'REDO'):
        curved_arrow(p, name == 'UNDO')
    elif name == 'REPEAT':
        circle_arrows(p, 'b')
    elif name == 'REFRESH':
        circle_arrows(p, 'g')
    elif name == 'RELOAD':
        page(p, 4, 4, 12, 14, lines=False), circle_arrows(p, 'g', two=False)
    elif name == 'SAVE':
        floppy(p)
    elif name == 'SAVEALL':
        floppy(p, 0, 0, 10, 10), floppy(p, 5, 5, 15, 15)
    elif name == 'SORT':
        p.text('A', 1, 1, 'k'), p.text('Z', 1, 10, 'k'), arrow(p, 11, 14, 'down', 'b', 3)
    elif name == 'SPELLCHECK':
        p.text('ABC', 1, 1, 'k'), tick(p, 6, 12, 'r')
    elif name == 'SYSTEMCLOSE':
        for i in range(8):
            p.set(4 + i, 4 + i, 'k'), p.set(5 + i, 4 + i, 'k'), p.set(11 - i, 4 + i, 'k'), p.set(12 - i, 4 + i, 'k')
    elif name == 'SYSTEMMAXIMIZE':
        p.rect(3, 3, 12, 12, None, 'k'), p.line(3, 4, 12, 4, 'k')
    elif name == 'SYSTEMMINIMIZE':
        p.rect(4, 11, 10, 12, 'k')
    elif name == 'SYSTEMMOVE':
        p.line(8, 1, 8, 14, 'k'), p.line(1, 8, 14, 8, 'k')
        arrow(p, 8, 1, 'up', 'k', 2), arrow(p, 8, 14, 'down', 'k', 2)
        arrow(p, 1, 8, 'left', 'k', 2), arrow(p, 14, 8, 'right', 'k', 2)
    elif name == 'SYSTEMRESTORE':
        p.rect(5, 2, 13, 9, None, 'k'), p.line(5, 3, 13, 3, 'k')
        p.rect(2, 6, 10, 13, 'w', 'k'), p.line(2, 7, 10, 7, 'k')
    elif name == 'SYSTEMSIZE':
        p.line(3, 3, 12, 12, 'k')
        p.line(3, 3, 6, 3, 'k'), p.line(3, 3, 3, 6, 'k'), p.line(12, 12, 9, 12, 'k'), p.line(12, 12, 12, 9, 'k')
    elif name == 'CHECKMARK':
        tick(p, 4, 8, 'k')
    elif name == 'RADIOITEM':
        p.circle(7, 7, 2, 'k', 'k')
    else:
        raise SystemExit('no picture for ' + name)
    # The background colour sits at the bottom-left pixel.
    p.px[p.h - 1][0] = BACK
    return p


ITEMS = """ADDRESSBOOK ALIGNCENTER ALIGNLEFT ALIGNRIGHT AUTOPREVIEW BOLD BOOKMARKS BULLETS CASCADE CONTENTS
CONTENTSANDINDEX COPY CUT DATE DATEANDTIME DATETIME DECREASEINDENT DELETE FIND FINDNEXT FONT FONTSIZE FONTSTYLE
FULLSCREEN GOTOBOOKMARK HELP HOME HYPERLINK INCREASEINDENT INDENT ITALIC JUSTIFY MARKASREAD MARKASUNREAD
MOVETOFOLDER NEW NEWFOLDER NEWMAIL NEWMAILMESSAGE NEWNOTE NEWTASK NOTE NUMBERING OPEN PASTE PRINT PRINTERSETUP
PRINTPREVIEW PROPERTIES REDO REFRESH RELOAD REPEAT REPLACE SAVE SAVEALL SEARCHTHEWEB SENDMAIL SETBOOKMARK SETDATE
SETFONT SETTIME SORT SPELLCHECK SPLITWINDOW SYSTEMCLOSE SYSTEMMAXIMIZE SYSTEMMINIMIZE SYSTEMMOVE SYSTEMRESTORE
SYSTEMSIZE TASK TILE TIME UNDERLINE UNDO UNINDENT WHATSTHIS""".split()


def write_picture(path, pic):
    write_bmp(path, [[KEYS.index(c) for c in row] for row in pic.px], PALETTE.values(), bits=4)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    names = [('AM_' + n, n) for n in ITEMS] + [('CHECKMARK', 'CHECKMARK'), ('RADIOITEM', 'RADIOITEM')]
    assert len(ITEMS) == 78
    rc = ['// The animated menus\' item pictures, drawn by pictures.py.']
    for resource, name in names:
        write_picture(os.path.join(out, resource.lower() + '.bmp'), make(name))
        rc.append('%s BITMAP "%s.bmp"' % (resource, resource.lower()))
    with open(os.path.join(out, 'MenuPictures.rc'), 'w') as f:
        f.write('\n'.join(rc) + '\n')


if __name__ == '__main__':
    main()
