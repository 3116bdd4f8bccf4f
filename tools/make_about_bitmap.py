#!/usr/bin/env python3
"""Draws the About box picture: a 204 x 159, 24-bit Windows bitmap of a copper electrode
sparking over a steel block. Writes src/shell/res/about.bmp (run from the repository top)."""
import math
import struct
import sys

W, H = 204, 159


def pixel(x, y):
    # y grows upwards in the picture's own frame (bitmaps are stored bottom-up too).
    sky = (40 + y // 4, 60 + y // 3, 110 + y // 3)
    # steel block at the bottom
    if y < 40:
        shade = 120 + (x % 23 == 0) * 20
        return (shade, shade + 5, shade + 12)
    # electrode: a copper holder and a rib above a spark gap
    if 75 <= x <= 129 and 95 <= y <= 125:
        return (184, 115, 51)
    if 92 <= x <= 112 and 48 <= y < 95:
        return (205, 127, 50)
    # sparks in the gap between the rib and the block
    if 40 <= y < 48 and 85 <= x <= 119:
        t = math.sin(x * 0.9) * math.cos(y * 1.7)
        if t > 0.55:
            return (255, 240, 150)
    # a faint grid
    if x % 17 == 0 or y % 17 == 0:
        return tuple(min(255, c + 18) for c in sky)
    return sky


def main(path):
    row_bytes = (W * 3 + 3) & ~3
    data = bytearray()
    for y in range(H):
        row = bytearray()
        for x in range(W):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        data += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "src/shell/res/about.bmp")
