#!/usr/bin/env python3
"""Writes the toolkit tests' small uncompressed BMP files into
tests/toolkit/data/. Run once; the outputs are committed. (The panel's own
pictures in resources/ are drawn by tools/pictures.)"""
import struct
import sys


def bmp(path, width, height, bits, pixel, palette=None):
    """pixel(x, y) gives an (r, g, b) tuple (24 bits) or a palette index."""
    stride = ((width * bits + 31) // 32) * 4
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray(stride)
        for x in range(width):
            p = pixel(x, y)
            if bits == 24:
                r, g, b = p
                row[x * 3:x * 3 + 3] = bytes((b, g, r))
            elif bits == 8:
                row[x] = p
            elif bits == 4:
                row[x >> 1] |= (p << 4) if x % 2 == 0 else p
        rows.append(bytes(row))
    pal = b"".join(bytes((b, g, r, 0)) for (r, g, b) in (palette or []))
    offset = 14 + 40 + len(pal)
    data = b"".join(rows)
    header = b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(data), 2835, 2835,
                       len(palette or []), 0)
    with open(path, "wb") as f:
        f.write(header + info + pal + data)


VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]

if __name__ == "__main__":
    d = "tests/toolkit/data/"
    # 16 x 12, 16 colours: first row pure white, then stripes of grey and silver.
    bmp(d + "handle4.bmp", 16, 12, 4, lambda x, y: 15 if y == 0 else (8 if y % 2 else 7), VGA16)
    # 5 x 3, 24 bits: every pixel distinct; (1, 1) is almost white, (2, 1) pure white.
    def rgb(x, y):
        if (x, y) == (1, 1):
            return (254, 255, 255)
        if (x, y) == (2, 1):
            return (255, 255, 255)
        return (10 * x + 1, 20 * y + 2, 3)
    bmp(d + "rgb24.bmp", 5, 3, 24, rgb)
    # 3 x 2, 256-colour palette with three entries.
    bmp(d + "pal8.bmp", 3, 2, 8, lambda x, y: (x + y) % 3, [(255, 0, 0), (0, 255, 0), (0, 0, 255)])
