#!/usr/bin/env python3
"""Draws Zorik's program icon and writes it as a Windows .ico file.

The picture: a parallel port plug (a D-shaped connector with two rows of
pins) with a green arrow looping from its right side back into its left
side, the loopback the program tests. Two images of 16 colours (the
standard VGA palette), 32x32 and 16x16, with transparent surroundings.

    python3 scripts/make-icon.py [OUTPUT.ico]   (default porttest/app/res/Zorik.ico)
"""
import math
import os
import struct
import sys

# The standard 16-colour palette, as (R, G, B).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, GREEN, NAVY, SILVER, GRAY, LIME, YELLOW, WHITE = 0, 2, 4, 7, 8, 10, 11, 15
TRANSPARENT = None


def draw(size):
    """Returns size rows of size palette indices (None: transparent)."""
    s = size / 32.0  # everything is laid out on a 32-pixel grid
    img = [[TRANSPARENT] * size for _ in range(size)]

    def put(x, y, colour):
        if 0 <= x < size and 0 <= y < size:
            img[y][x] = colour

    # Connector shell: a trapezoid, wider at the top.
    top, bottom = 15 * s, 28 * s
    def shell_edges(y, inset):
        t = (y - top) / (bottom - top)
        left = 2 * s + 3 * s * t + inset
        right = 30 * s - 3 * s * t - inset
        return left, right

    for y in range(size):
        cy = y + 0.5
        if not (top <= cy < bottom):
            continue
        left, right = shell_edges(cy, 0)
        for x in range(size):
            cx = x + 0.5
            if left <= cx < right:
                edge = cx - left < s or right - cx < s or cy - top < s or bottom - cy < s
                put(x, y, BLACK if edge else SILVER)

    # Insulator inside the shell.
    itop, ibottom = top + 2.5 * s, bottom - 2.5 * s
    for y in range(size):
        cy = y + 0.5
        if not (itop <= cy < ibottom):
            continue
        left, right = shell_edges(cy, 2.5 * s)
        for x in range(size):
            cx = x + 0.5
            if left <= cx < right:
                put(x, y, NAVY)

    # Two rows of pins.
    if size >= 32:
        rows = [(19, range(7, 26, 3)), (24, range(8, 25, 3))]
        for py, xs in rows:
            for px in xs:
                put(px, py, YELLOW)
                put(px + 1, py, YELLOW)
    else:
        for px in range(5, 12, 2):
            put(px, 10, YELLOW)
        for px in range(6, 11, 2):
            put(px, 12, YELLOW)

    # Loopback arrow: an arch over the plug from its right end to its left
    # end, its head pointing down into the plug's left side. Outlined in
    # black where it meets the background, so it reads on any colour.
    arrow = set()
    cx0 = 16 * s
    if size >= 32:
        cy0, outer, inner, half = 11.5 * s, 11.5 * s, 7.5 * s, 4.5 * s
    else:  # a thinner arch leaves room for a head that still reads
        cy0, outer, inner, half = 4.5, 5.5, 4.0, 2.6
    for y in range(size):
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            d = math.hypot(px - cx0, py - cy0)
            if py <= cy0 and inner <= d < outer:
                arrow.add((x, y))
            elif py > cy0 and py < top and px > cx0 and inner <= px - cx0 < outer:
                arrow.add((x, y))  # the right foot, down to the plug
    mid = (outer + inner) / 2
    hx = cx0 - mid
    htop, hbottom = cy0, top
    for y in range(size):
        py = y + 0.5
        if not (htop <= py < hbottom):
            continue
        w = half * (hbottom - py) / (hbottom - htop)
        for x in range(size):
            if abs(x + 0.5 - hx) <= w:
                arrow.add((x, y))
    for x, y in arrow:
        put(x, y, LIME)
    if size >= 32:
        for x, y in arrow:
            for nx, ny in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                if 0 <= nx < size and 0 <= ny < size and img[ny][nx] is TRANSPARENT:
                    put(nx, ny, GREEN)
    return img


def bmp_for(img):
    """The icon directory entry's image: header, palette, colour bits, mask."""
    size = len(img)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor_rows, and_rows = [], []
    for row in reversed(img):  # bottom-up
        nibbles = [0 if c is None else c for c in row]
        xor = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor_rows.append(xor + b'\0' * (-len(xor) % 4))
        bits = 0
        mask = bytearray()
        for i, c in enumerate(row):
            bits = (bits << 1) | (1 if c is None else 0)
            if i % 8 == 7:
                mask.append(bits)
                bits = 0
        and_rows.append(bytes(mask) + b'\0' * (-len(mask) % 4))
    return header + palette + b''.join(xor_rows) + b''.join(and_rows)


def ico(images):
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for img in images:
        blob = bmp_for(img)
        size = len(img)
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b''.join(blobs)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'porttest', 'app', 'res', 'Zorik.ico')
    with open(target, 'wb') as f:
        f.write(ico([draw(32), draw(16)]))
    print(target)


if __name__ == '__main__':
    main()
