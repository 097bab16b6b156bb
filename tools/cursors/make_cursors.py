#!/usr/bin/env python3
"""Draws the two drag cursors of Glyphmill and writes them as Windows cursor files.

    python3 tools/cursors/make_cursors.py cursors

hwe.cur    an arrow carrying a folder: a folder is being dragged.
hibeam.cur an insertion beam with a drop mark: the folder can be dropped into the text field.

A cursor file is an ICO container of type 2; each directory entry carries the hot spot. The
picture is a 32-bit device-independent bitmap (bottom-up, blue-green-red-alpha) followed by the
1-bit AND mask, and the bitmap header counts both in its height.
"""
import struct
import sys
from pathlib import Path

SIZE = 32

# One character a pixel: '.' transparent, 'K' black outline, 'W' white, 'Y' folder yellow,
# 'O' folder shadow, 'B' drop-mark blue.
COLOURS = {
    'K': (0, 0, 0, 255),
    'W': (255, 255, 255, 255),
    'Y': (255, 206, 84, 255),
    'O': (196, 140, 30, 255),
    'B': (30, 110, 230, 255),
}

HWE = [
    "K...............................",
    "KK..............................",
    "KWK.............................",
    "KWWK............................",
    "KWWWK...........................",
    "KWWWWK..........................",
    "KWWWWWK.........................",
    "KWWWWWWK........................",
    "KWWWWWWWK.......................",
    "KWWWWWWWWK......................",
    "KWWWWWWWWWK.....................",
    "KWWWWWWKKKKK....................",
    "KWWWKWWK........................",
    "KWWKKWWK........................",
    "KWK..KWWK.......................",
    "KK...KWWK.......................",
    "K.....KWWK..KKKKK...............",
    "......KWWK.KYYYYYK..............",
    ".......KK..KYYYYYKKKKKKKKKK.....",
    "...........KOOOOOOOOOOOOOOK.....",
    "...........KYYYYYYYYYYYYYYK.....",
    "...........KYYYYYYYYYYYYYYK.....",
    "...........KYYYYYYYYYYYYYYK.....",
    "...........KYYYYYYYYYYYYYYK.....",
    "...........KYYYYYYYYYYYYYYK.....",
    "...........KYYYYYYYYYYYYYYK.....",
    "...........KYYYYYYYYYYYYYYK.....",
    "...........KOOOOOOOOOOOOOOK.....",
    "...........KKKKKKKKKKKKKKKK.....",
    "................................",
    "................................",
    "................................",
]

HIBEAM = [
    "................................",
    "................................",
    "................................",
    ".........KKK.KKK................",
    "........KWWWKWWWK...............",
    ".........KKKWKKK................",
    "...........KWK..................",
    "...........KWK..................",
    "...........KWK..........KKK.....",
    "...........KWK..........KBK.....",
    "...........KWK..........KBK.....",
    "...........KWK..........KBK.....",
    "...........KWK..........KBK.....",
    "...........KWK........KKKBKKK...",
    "...........KWK.........KBBBK....",
    "...........KWK..........KBK.....",
    "...........KWK...........K......",
    "...........KWK..................",
    "...........KWK.......KKKKKKKKK..",
    "...........KWK.......KBBBBBBBK..",
    "...........KWK.......KKKKKKKKK..",
    "...........KWK..................",
    "...........KWK..................",
    ".........KKKWKKK................",
    "........KWWWKWWWK...............",
    ".........KKK.KKK................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
]


def cursor_bytes(rows, hot_x, hot_y):
    assert len(rows) == SIZE and all(len(r) == SIZE for r in rows)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bottom-up
        bits = 0
        for x, ch in enumerate(row):
            if ch == '.':
                colour += bytes((0, 0, 0, 0))
                bits |= 1 << (31 - x)
            else:
                r, g, b, a = COLOURS[ch]
                colour += bytes((b, g, r, a))
        mask += struct.pack('>I', bits)
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    picture = header + colour + mask
    directory = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, hot_x, hot_y, len(picture), 6 + 16)
    return directory + entry + picture


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else 'cursors')
    out.mkdir(parents=True, exist_ok=True)
    (out / 'hwe.cur').write_bytes(cursor_bytes(HWE, 0, 0))
    (out / 'hibeam.cur').write_bytes(cursor_bytes(HIBEAM, 12, 14))


if __name__ == '__main__':
    main()
