#!/usr/bin/env python3
# Writes the folder controls' 16 x 16 pictures as 24-bit .bmp files.
# Magenta is the background: the controls replace it by their colours.
import struct

COLOURS = {
    '.': (255, 0, 255), 'k': (0, 0, 0), 'w': (255, 255, 255), 'g': (128, 128, 128),
    's': (192, 192, 192), 'y': (255, 255, 0), 'o': (128, 128, 0), 'b': (0, 0, 128),
    'B': (0, 0, 255), 'G': (0, 160, 0), 'r': (192, 0, 0), 'c': (0, 128, 128), 'C': (0, 255, 255),
}

PICTURES = {
    'floppy': [
        '................', '..kkkkkkkkkkkk..', '..kbbsssssssbk..', '..kbbsskksssbk..',
        '..kbbsskksssbk..', '..kbbsssssssbk..', '..kbbbbbbbbbbk..', '..kbbbbbbbbbbk..',
        '..kbwwwwwwwwbk..', '..kbwkkkkkkwbk..', '..kbwwwwwwwwbk..', '..kbwkkkkkkwbk..',
        '..kbwwwwwwwwbk..', '..kkkkkkkkkkkk..', '................', '................'],
    'hard': [
        '................', '................', '................', '................',
        '................', '.kkkkkkkkkkkkkk.', '.kwwwwwwwwwwwgk.', '.kwsssssssssssgk'[:16],
        '.kssssssssssGgk.', '.kgggggggggggggk'[:16], '.kkkkkkkkkkkkkk.', '................',
        '................', '................', '................', '................'],
    'network': [
        '................', '................', '.kkkkkkkkkkkkkk.', '.kwwwwwwwwwwwgk.',
        '.kssssssssssGgk.', '.kgggggggggggggk'[:16], '.kkkkkkkkkkkkkk.', '.......kk.......',
        '.......kk.......', '.......kk.......', '..kkkkkkkkkkkk..', '..k..........k..',
        '..k..........k..', '.kkk........kkk.', '.kkk........kkk.', '................'],
    'cdrom': [
        '................', '.....kkkkkk.....', '...kkwwwwsskk...', '..kwwwwwwsssgk..',
        '..kwwwwwssssgk..', '.kwwwwwsssssggk.', '.kwwwwwkkssgggk.', '.kwwwwk..kgggck.',
        '.kssssk..kgcCck.', '.ksssssskkcCCck.', '..ksssssccCCck..', '..ksssscCCCCck..',
        '...kksscCCCkk...', '.....kkkkkk.....', '................', '................'],
    'ram': [
        '................', '................', '...k.k.k.k.k....', '..kkkkkkkkkkkk..',
        '..kGGGGGGGGGGk..', '..kGkkGkkGkkGk..', '..kGkkGkkGkkGk..', '..kGGGGGGGGGGk..',
        '..kkkkkkkkkkkk..', '...k.k.k.k.k....', '................', '................',
        '................', '................', '................', '................'],
    'closedfolder': [
        '................', '................', '..kkkkk.........', '.kyywyyk........',
        'kkkkkkkkkkkkk...', 'kwyyyyyyyyyyk...', 'kyyyyyyyyyyyk...', 'kyyyyyyyyyyyk...',
        'kyyyyyyyyyyyk...', 'kyyyyyyyyyyyk...', 'kyyyyyyyyyyyk...', 'kooooooooooook..'[:16],
        'kkkkkkkkkkkkk...', '................', '................', '................'],
    'openfolder': [
        '................', '................', '..kkkkk.........', '.kyywyyk........',
        'kyyyyyyykkkkk...', 'kyyyyyyyyyyyk...', 'kyykkkkkkkkkkkk.', 'kykwyyyyyyyyyyk.',
        'kykyyyyyyyyyyk..', 'kkwyyyyyyyyyyk..', 'kkyyyyyyyyyyk...', 'kwyyyyyyyyyyk...',
        'kkkkkkkkkkkkk...', '................', '................', '................'],
    'currentfolder': [
        '................', '................', '..kkkkk.........', '.kyywyyk........',
        'kyyyyyyykkkkk...', 'kyyyyyyyyyyyk...', 'kyykkkkkkkkkkkk.', 'kykwyyyyyyyyyyk.',
        'kykyyyyrryyyyk..', 'kkwyyyrrrryyyk..', 'kkyyyyyrryyyk...', 'kwyyyyyyyyyyk...',
        'kkkkkkkkkkkkk...', '................', '................', '................'],
}


def write_bmp(name, rows):
    width, height = 16, len(rows)
    stride = (width * 3 + 3) & ~3
    pixels = b''
    for row in reversed(rows):
        line = b''.join(bytes(reversed(COLOURS[ch])) for ch in row.ljust(width, '.')[:width])
        pixels += line + b'\0' * (stride - len(line))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(pixels), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(name + '.bmp', 'wb') as f:
        f.write(header + info + pixels)


for picture, rows in PICTURES.items():
    assert len(rows) == 16, picture
    write_bmp(picture, rows)
