#!/usr/bin/env python3
"""Draws the program icon (a chip with a download arrow) and writes it as a .ico file
with 16x16 and 32x32 images of 32 bits per pixel. Usage: make_icon.py OUTPUT.ico"""
import struct
import sys

BODY = (40, 44, 52, 255)
PIN = (190, 190, 196, 255)
ARROW = (40, 200, 80, 255)
EDGE = (20, 110, 40, 255)
NONE = (0, 0, 0, 0)


def draw(size):
    """Returns rows (top first) of RGBA tuples."""
    s = size / 32.0
    img = [[NONE] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), max(int(y0 * s) + 1, int(y1 * s))):
            for x in range(int(x0 * s), max(int(x0 * s) + 1, int(x1 * s))):
                if 0 <= x < size and 0 <= y < size:
                    img[y][x] = colour

    # Pins on the left and right, then the chip body over them.
    for y in range(9, 29, 4):
        rect(3, y, 29, y + 2, PIN)
    rect(6, 7, 26, 31, BODY)
    # A download arrow over the chip: shaft and head.
    rect(13, 1, 19, 14, EDGE)
    rect(14, 1, 18, 14, ARROW)
    for i in range(8):
        rect(8 + i, 13 + i, 24 - i, 14 + i, ARROW)
    return img


def dib(size):
    rows = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(
        bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = b"".join(
        bytes(_mask_bits(row, mask_row)) for row in reversed(rows))
    return header + pixels + mask


def _mask_bits(row, length):
    out = bytearray(length)
    for x, (_, _, _, a) in enumerate(row):
        if a == 0:
            out[x // 8] |= 0x80 >> (x % 8)
    return out


def main():
    images = [dib(16), dib(32)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((16, 32), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
