#!/usr/bin/env python3
"""Build res/app.ico: one 32x32 image, 4 bits per pixel, with an AND mask.

ImageMagick cannot be trusted to write a true 16-colour icon, so the file is
assembled here byte by byte from character grids. Python standard library
only, so the icon can be rebuilt anywhere.

Usage: make-icon.py [OUTPUT]   (default: res/app.ico next to this tool)
"""
import os
import struct
import sys

SIZE = 32

# The standard 16-colour Windows palette, as (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# Grid letters to palette indexes; '.' is transparent.
INK = {'K': 0, 'N': 4, 'L': 7, 'D': 8, 'B': 12, 'W': 15}

# Card extent, inclusive.
CARD_LEFT, CARD_TOP, CARD_RIGHT, CARD_BOTTOM = 3, 1, 28, 30

QUESTION = [
    ".KKKKK.",
    "KKK.KKK",
    "KK...KK",
    ".....KK",
    "....KKK",
    "...KKK.",
    "...KK..",
    "...KK..",
    ".......",
    "...KK..",
    "...KK..",
]

# Eighth note: oval head tilted up to the right, stem on its right side,
# one flag curling down from the top of the stem. Navy rims the blue so the
# shape still reads when the system shrinks it to 16x16.
NOTE = [
    "..........NN.....",
    "..........NBN....",
    "..........NBBN...",
    "..........NBBBN..",
    "..........NBNBBN.",
    "..........NBNNBBN",
    "..........NBN.NBN",
    "..........NBN.NBN",
    "..........NBN.NBN",
    "..........NBN.NBN",
    "..........NBN.NN.",
    "..........NBNNN..",
    "..........NBN....",
    "..........NBN....",
    "..........NBN....",
    "..........NBN....",
    "......NNNNNBN....",
    "....NNBBBBBBN....",
    "..NNBBBBBBBBN....",
    ".NBBBBBBBBBBN....",
    "NBBBBBBBBBBNN....",
    "NBBBBBBBBBN......",
    "NBBBBBBBNN.......",
    ".NNNNNNN.........",
]


def draw():
    """Return a SIZE x SIZE grid of palette indexes, None = transparent."""
    px = [[None] * SIZE for _ in range(SIZE)]
    for y in range(CARD_TOP, CARD_BOTTOM + 1):
        for x in range(CARD_LEFT, CARD_RIGHT + 1):
            px[y][x] = INK['L']
    # Raised edge: light from the upper left, a two-pixel shadow opposite.
    for x in range(CARD_LEFT, CARD_RIGHT + 1):
        px[CARD_TOP][x] = INK['W']
        px[CARD_BOTTOM][x] = INK['D']
        if x > CARD_LEFT:
            px[CARD_BOTTOM - 1][x] = INK['D']
    for y in range(CARD_TOP, CARD_BOTTOM + 1):
        px[y][CARD_LEFT] = INK['W']
        px[y][CARD_RIGHT] = INK['D']
        if y > CARD_TOP:
            px[y][CARD_RIGHT - 1] = INK['D']
    px[CARD_BOTTOM][CARD_LEFT] = INK['D']

    def stamp(glyph, left, top):
        for dy, row in enumerate(glyph):
            for dx, ch in enumerate(row):
                if ch != '.':
                    px[top + dy][left + dx] = INK[ch]

    stamp(QUESTION, 6, 4)
    stamp(NOTE, 9, 4)
    return px


def build_ico(px):
    # XOR bitmap: 4 bpp, rows bottom-up, each padded to 4 bytes.
    xor_row = ((SIZE * 4 + 31) // 32) * 4
    and_row = ((SIZE + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in range(SIZE - 1, -1, -1):
        row = bytearray(xor_row)
        bits = bytearray(and_row)
        for x in range(SIZE):
            v = px[y][x]
            if v is None:
                # Transparent: mask bit set, colour black so the screen
                # shows through unchanged.
                bits[x // 8] |= 0x80 >> (x % 8)
                v = 0
            row[x // 2] |= v << 4 if x % 2 == 0 else v
        xor += row
        mask += bits

    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + bytes(xor) + bytes(mask)

    icondir = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image),
                        6 + 16)
    return icondir + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        here, '..', 'res', 'app.ico')
    px = draw()
    with open(out, 'wb') as f:
        f.write(build_ico(px))
    if os.environ.get('SHOW'):
        names = {v: k for k, v in INK.items()}
        for row in px:
            print(''.join('.' if v is None else names[v] for v in row))


if __name__ == '__main__':
    main()
