#!/usr/bin/env python3
"""Draws the program icon (a chip with a download arrow) and writes it as a .ico file
with an image for every size that the scales from 100 % to 200 % ask for (16 to 64
pixels, 32 bits per pixel) and the 256-pixel one of the shell's large views (PNG, as
the format keeps that size). Usage: make_icon.py OUTPUT.ico"""
import struct
import sys
import zlib

# Small icons (title bar) are 16 at 100 %, 20 at 125 %, 24 at 150 %, 32 at 200 %; large
# ones (Alt+Tab, task bar) 32, 40, 48 and 64.
SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
PNG_FROM_PX = 256  # sizes from this one on are stored as PNG

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


def png(size):
    rows = draw(size)
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    images = [png(size) if size >= PNG_FROM_PX else dib(size) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        # A directory entry says 256 as 0.
        side = size % 256
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
