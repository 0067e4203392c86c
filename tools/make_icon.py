#!/usr/bin/env python3
"""Writes app/morvenda.ico, the program's icon (resource 128): a histogram
shaped like a bell curve on a teal square, its lowest bar red for the values
below a measuring limit, in 32 x 32 and 16 x 16 pixels of 32-bit colour.

Re-run after changing the drawing below: python3 tools/make_icon.py
The drawing is computed, so the file is byte-identical on every run.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "app", "morvenda.ico")

TEAL = (0x1F, 0x6F, 0x78, 0xFF)      # R, G, B, A
EDGE = (0x12, 0x44, 0x4A, 0xFF)
WHITE = (0xFF, 0xFF, 0xFF, 0xFF)
RED = (0xD8, 0x3A, 0x2E, 0xFF)
CLEAR = (0, 0, 0, 0)


def draw(size):
    """The picture as rows of RGBA tuples, top row first."""
    pixels = [[CLEAR] * size for _ in range(size)]
    inset = 1 if size >= 32 else 0
    for y in range(inset, size - inset):
        for x in range(inset, size - inset):
            border = x in (inset, size - 1 - inset) or y in (inset, size - 1 - inset)
            pixels[y][x] = EDGE if border else TEAL
    # Bars: the heights of a normal density at evenly spaced points.
    bars = 7 if size >= 32 else 5
    bar_width = max(2, (size - 4 * inset - 4) // bars)
    left = (size - bars * bar_width) // 2
    base = size - 3 - inset
    top_room = size * 5 // 8
    for b in range(bars):
        z = (b - (bars - 1) / 2) / 1.4
        height = max(1, round(top_room * math.exp(-z * z / 2)))
        for x in range(left + b * bar_width, left + (b + 1) * bar_width - 1):
            for y in range(base - height + 1, base + 1):
                pixels[y][x] = RED if b == 0 else WHITE
    return pixels


def icon_image(size):
    """One icon image: BITMAPINFOHEADER, colour bitmap and AND mask, bottom-up."""
    pixels = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(
        struct.pack("<BBBB", b, g, r, a) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row_bytes = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(pixels):
        bits = bytearray(mask_row_bytes)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + colour + mask


def icon_file(sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def main():
    data = icon_file([32, 16])
    with open(OUT, "wb") as f:
        f.write(data)
    print("wrote %s (%d bytes)" % (os.path.normpath(OUT), len(data)))


if __name__ == "__main__":
    main()
