#!/usr/bin/env python3
"""Draws the program icon (a framed picture: sky, sun and hills) as a Windows .ico
with 16x16 and 32x32 32-bit images. Run: tools/make_icons.py resources/bitmaps"""
import struct
import sys


def draw(size):
    """Returns rows (top-down) of (b, g, r, a) pixels."""
    s = size / 32.0
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            fx, fy = x / s, y / s
            if fx < 2 or fx >= 30 or fy < 4 or fy >= 28:
                px = (0, 0, 0, 0)  # transparent outside the frame
            elif fx < 3.5 or fx >= 28.5 or fy < 5.5 or fy >= 26.5:
                px = (40, 40, 40, 255)  # dark frame
            elif (fx - 21) ** 2 + (fy - 11) ** 2 < 12:
                px = (40, 210, 250, 255)  # sun
            elif fy > 17 + ((fx - 10) ** 2) / 40.0:
                px = (60, 160, 50, 255)  # hills
            else:
                px = (235, 180, 110, 255)  # sky
            row.append(px)
        rows.append(row)
    return rows


def ico_image(size):
    rows = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes(p) for row in reversed(rows) for p in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_row)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def ico(sizes):
    images = [ico_image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return out + b''.join(images)


if __name__ == '__main__':
    folder = sys.argv[1] if len(sys.argv) > 1 else 'resources/bitmaps'
    with open(folder + '/glimra.ico', 'wb') as f:
        f.write(ico([32, 16]))
