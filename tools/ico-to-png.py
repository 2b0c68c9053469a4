#!/usr/bin/env python3
"""Write the desktop icon: res/app.ico's 32x32 16-colour image as an RGBA PNG.

At 32 pixels the image is copied pixel for pixel, the AND mask becoming full
transparency; at 16 each pixel is the mean of a 2x2 block, weighted by its
opacity. The PNG holds no time stamp or text, so the same icon always gives
the same bytes.

Usage: ico-to-png.py ICON SIZE OUTPUT   (SIZE is 32 or 16)
"""
import struct
import sys
import zlib

SIDE = 32


def read_icon(path):
    """The icon's pixels as rows of (r, g, b, a), top row first."""
    with open(path, 'rb') as f:
        data = f.read()
    _, kind, count = struct.unpack_from('<HHH', data, 0)
    if kind != 1 or count < 1:
        raise ValueError('%s: not an icon' % path)
    width, height, _, _, _, bits, _, offset = struct.unpack_from('<BBBBHHII', data, 6)
    if (width, height, bits) != (SIDE, SIDE, 4):
        raise ValueError('%s: expected one 32x32 16-colour image' % path)
    header = struct.unpack_from('<I', data, offset)[0]
    palette_at = offset + header
    palette = [struct.unpack_from('<BBBx', data, palette_at + 4 * i) for i in range(16)]
    xor_at = palette_at + 16 * 4
    xor_row = SIDE // 2  # 4 bits a pixel, rows already a multiple of 4 bytes
    and_at = xor_at + xor_row * SIDE
    and_row = 4
    if and_at + and_row * SIDE > len(data):
        raise ValueError('%s: image is truncated' % path)
    rows = []
    for y in range(SIDE):
        stored = SIDE - 1 - y  # bottom-up
        row = []
        for x in range(SIDE):
            byte = data[xor_at + stored * xor_row + x // 2]
            index = byte >> 4 if x % 2 == 0 else byte & 0x0F
            clear = data[and_at + stored * and_row + x // 8] & (0x80 >> (x % 8))
            b, g, r = palette[index]
            row.append((r, g, b, 0 if clear else 255))
        rows.append(row)
    return rows


def halve(rows):
    out = []
    for y in range(0, len(rows), 2):
        row = []
        for x in range(0, len(rows[y]), 2):
            block = [rows[y][x], rows[y][x + 1], rows[y + 1][x], rows[y + 1][x + 1]]
            weight = sum(p[3] for p in block)
            if weight == 0:
                row.append((0, 0, 0, 0))
                continue
            colour = tuple((sum(p[c] * p[3] for p in block) + weight // 2) // weight for c in range(3))
            row.append(colour + ((weight + 2) // 4,))
        out.append(row)
    return out


def png(rows):
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))

    height, width = len(rows), len(rows[0])
    raw = b''.join(b'\0' + bytes(v for p in row for v in p) for row in rows)
    return (b'\x89PNG\r\n\x1a\n'
            + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9))
            + chunk(b'IEND', b''))


def main(argv):
    if len(argv) != 4 or argv[2] not in ('16', '32'):
        sys.stderr.write(__doc__)
        return 2
    rows = read_icon(argv[1])
    if argv[2] == '16':
        rows = halve(rows)
    with open(argv[3], 'wb') as f:
        f.write(png(rows))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
