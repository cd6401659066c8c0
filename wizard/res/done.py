#!/usr/bin/env python3
# Writes done.ani, the done page's animated icon: a package whose lid
# opens and closes, eight 32 x 32 16-colour frames.
import struct

PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BROWN, DARK, YELLOW, WHITE, GREEN = 3, 8, 11, 15, 10


def frame(step):
    px = [[None] * 32 for _ in range(32)]  # None: transparent
    lift = [0, 2, 4, 6, 8, 6, 4, 2][step]
    for y in range(14, 30):            # the box
        for x in range(4, 28):
            edge = y in (14, 29) or x in (4, 27)
            px[y][x] = DARK if edge else BROWN
    for x in range(14, 18):            # its tape
        for y in range(15, 29):
            px[y][x] = YELLOW
    top = 12 - lift                    # the lid, rising
    for y in range(top, top + 3):
        for x in range(2, 30):
            px[y][x] = DARK if y in (top, top + 2) or x in (2, 29) else BROWN
    if lift >= 4:                      # a sparkle while it is open
        for d in range(-2, 3):
            px[top - 4][16 + d] = WHITE
            px[top - 4 + d][16] = WHITE
        px[top - 4][16] = GREEN
    return px


def icon(px):
    xor = bytearray()
    and_mask = bytearray()
    for y in range(31, -1, -1):        # bottom-up rows
        row = px[y]
        for x in range(0, 32, 2):
            a, b = row[x] or 0, row[x + 1] or 0
            xor.append(a << 4 | b)
        bits = 0
        for x in range(32):
            bits = bits << 1 | (1 if row[x] is None else 0)
        and_mask += bits.to_bytes(4, 'big')
    head = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 4, 0, len(xor) + len(and_mask), 0, 0, 16, 0)
    pal = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    image = head + pal + bytes(xor) + bytes(and_mask)
    entry = struct.pack('<BBBBHHII', 32, 32, 16, 0, 1, 4, len(image), 22)
    return struct.pack('<HHH', 0, 1, 1) + entry + image


def chunk(cid, data):
    return cid + struct.pack('<I', len(data)) + data + (b'\0' if len(data) % 2 else b'')


frames = [icon(frame(i)) for i in range(8)]
anih = struct.pack('<9i', 36, len(frames), len(frames), 0, 0, 0, 0, 8, 1)
body = b'ACON' + chunk(b'anih', anih) + chunk(b'LIST', b'fram' + b''.join(chunk(b'icon', f) for f in frames))
open('done.ani', 'wb').write(b'RIFF' + struct.pack('<I', len(body)) + body)
