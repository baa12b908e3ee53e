#!/usr/bin/env python3
"""Draws the program's icon (a beamed pair of notes on a cartridge-like tile)
and writes it as a .ico holding 32x32 and 16x16 images, 32-bit with alpha.

Both sizes come from one drawing in unit coordinates (0..1, y down), rendered
with 4x4 supersampling so that the small image stays legible.

Usage: make-icon.py OUTPUT.ico
"""
import struct
import sys

SUPERSAMPLE = 4
TILE = (0x1F, 0x5F, 0x8F)        # deep blue
TILE_EDGE = (0x10, 0x33, 0x55)
NOTE = (0xFF, 0xFF, 0xFF)
NOTCH = (0xF2, 0xB1, 0x34)       # amber contacts of the cartridge


def in_rounded_rect(x, y, x0, y0, x1, y1, r):
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_ellipse(x, y, cx, cy, rx, ry, tilt):
    # A note head: an ellipse leaning by `tilt` (dx per unit of dy).
    dx = x - cx + (y - cy) * tilt
    dy = y - cy
    return (dx / rx) ** 2 + (dy / ry) ** 2 <= 1.0


def in_beam(x, y):
    # The beam rises from the left stem to the right one.
    x0, x1 = 0.42, 0.76
    if not (x0 <= x <= x1):
        return False
    top = 0.26 - (x - x0) * 0.18
    return top <= y <= top + 0.09


def colour_at(x, y):
    """The colour at a point of the drawing, or None where it is transparent."""
    if in_ellipse(x, y, 0.36, 0.70, 0.105, 0.075, 0.35) or \
       in_ellipse(x, y, 0.70, 0.64, 0.105, 0.075, 0.35):
        return NOTE
    if 0.42 <= x <= 0.48 and 0.24 <= y <= 0.70:
        return NOTE
    if 0.76 <= x <= 0.82 and 0.18 <= y <= 0.64:
        return NOTE
    if in_beam(x, y) or in_beam(x - 0.03, y):
        return NOTE
    if 0.22 <= x <= 0.78 and 0.86 <= y <= 0.93 and int((x - 0.22) * 25) % 2 == 0:
        return NOTCH
    if in_rounded_rect(x, y, 0.06, 0.04, 0.94, 0.96, 0.14):
        if in_rounded_rect(x, y, 0.10, 0.08, 0.90, 0.92, 0.11):
            return TILE
        return TILE_EDGE
    return None


def render(size):
    """Rows of BGRA bytes, top row first."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = bytearray()
        for px in range(size):
            r = g = b = a = 0
            for sy in range(n):
                for sx in range(n):
                    c = colour_at((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        a += 1
            if a:
                row += bytes((b // a, g // a, r // a, a * 255 // (n * n)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def icon_image(size):
    """One icon image: BITMAPINFOHEADER, colour rows bottom-up, AND mask."""
    rows = render(size)
    colour = b"".join(reversed(rows))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for px in range(size):
            if row[px * 4 + 3] == 0:
                bits[px // 8] |= 0x80 >> (px % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + bytes(mask)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-icon.py OUTPUT.ico")
    images = [icon_image(32), icon_image(16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
