"""Writes the pictures drawn at build time as palette .bmp files."""
import struct


def write_bmp(path, rows, palette, bits=8):
    """rows: the picture's rows, top first, each a list of palette indexes;
    palette: (r, g, b) colours; bits: 4 or 8 per pixel."""
    w, h = len(rows[0]), len(rows)
    colours = 1 << bits
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    table += b'\0' * (colours * 4 - len(table))
    stride = ((w * bits + 31) // 32) * 4
    pixels = b''
    for row in reversed(rows):
        if bits == 4:
            padded = list(row) + [0]
            line = bytes((padded[i] << 4) | (padded[i + 1] if i + 1 < w else 0) for i in range(0, w, 2))
        else:
            line = bytes(row)
        pixels += line + b'\0' * (stride - len(line))
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, bits, 0, len(pixels), 2835, 2835, colours, 0)
    offset = 14 + len(info) + len(table)
    head = b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(head + info + table + pixels)
