#!/usr/bin/env python3
"""Draws Dimmscope's application icon, a stylised memory module (green board,
four black chips, gold contacts with the key notch), at 16, 32 and 48 pixels,
and writes them as one 32-bit .ico file.

Usage: tools/make_icon.py app/dimmscope.ico

The drawing is made of rectangles and circles in a unit square, rendered per
size with 4 x 4 supersampling so the small sizes stay clean.
"""
import struct
import sys

GREEN = (0x1E, 0x7A, 0x3C)
DARK_GREEN = (0x10, 0x4A, 0x22)
CHIP = (0x22, 0x22, 0x28)
CHIP_EDGE = (0x55, 0x55, 0x60)
GOLD = (0xE8, 0xB4, 0x2C)

BOARD = (0.03, 0.26, 0.97, 0.74)
INNER = (0.06, 0.29, 0.94, 0.71)
CONTACTS = (0.07, 0.60, 0.93, 0.74)
NOTCH = (0.43, 0.62, 0.51, 0.75)
SIDE_NOTCHES = ((0.03, 0.47), (0.97, 0.47))
SIDE_RADIUS = 0.045


def inside(rect, x, y):
    return rect[0] <= x < rect[2] and rect[1] <= y < rect[3]


def chips():
    """Four chips evenly spread over the board above the contacts."""
    width, gap, left = 0.17, 0.045, 0.085
    return [(left + i * (width + gap), 0.33, left + i * (width + gap) + width, 0.55) for i in range(4)]


def sample(x, y):
    """The colour at a point of the unit square, or None where it is clear."""
    if not inside(BOARD, x, y) or inside(NOTCH, x, y):
        return None
    for cx, cy in SIDE_NOTCHES:
        if (x - cx) ** 2 + (y - cy) ** 2 < SIDE_RADIUS**2:
            return None
    if inside(CONTACTS, x, y):
        # One gold finger per stripe, the board showing between them.
        phase = ((x - CONTACTS[0]) / 0.055) % 1.0
        return GOLD if phase < 0.62 else DARK_GREEN
    for chip in chips():
        if inside(chip, x, y):
            edge = (0.012, 0.012)
            core = (chip[0] + edge[0], chip[1] + edge[1], chip[2] - edge[0], chip[3] - edge[1])
            return CHIP if inside(core, x, y) else CHIP_EDGE
    return GREEN if inside(INNER, x, y) else DARK_GREEN


def render(size, grid=4):
    """Rows of (r, g, b, a), top row first."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(grid):
                for sx in range(grid):
                    colour = sample((px + (sx + 0.5) / grid) / size, (py + (sy + 0.5) / grid) / size)
                    if colour is not None:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1
            n = grid * grid
            # Colours are averaged over the covered samples only (straight alpha).
            row.append((r // a, g // a, b // a, 255 * a // n) if a else (0, 0, 0, 0))
        rows.append(row)
    return rows


def bitmap(size):
    """One icon image: BITMAPINFOHEADER, BGRA pixels bottom-up, AND mask."""
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + pixels + bytes(mask)


def icon(sizes=(16, 32, 48)):
    images = [bitmap(size) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "wb") as f:
        f.write(icon())


if __name__ == "__main__":
    main()
