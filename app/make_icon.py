#!/usr/bin/env python3
"""Draws the program's icon: a television whose screen shows a crescent moon, the machine
going to sleep once the viewer is off. Writes QuillomaticMonitor.ico with a 32 x 32 and a
16 x 16 image, 16 colours each. Run it from anywhere: python3 app/make_icon.py"""
import os
import struct

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GREY, YELLOW, WHITE = 0, 4, 7, 8, 11, 15
CLEAR = None


def inside_rounded(x, y, left, top, right, bottom, radius):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def near_segment(x, y, ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return (x - px) ** 2 + (y - py) ** 2 <= width ** 2


def colour_at(x, y):
    """The picture on a 32-unit square; x and y are the centre of a pixel."""
    if near_segment(x, y, 16, 6, 10, 1, 0.8) or near_segment(x, y, 16, 6, 22, 1, 0.8):
        return GREY
    if near_segment(x, y, 9, 26, 7, 30, 1.0) or near_segment(x, y, 23, 26, 25, 30, 1.0):
        return GREY
    if inside_rounded(x, y, 4.5, 8.5, 24.5, 24.5, 2):
        moon = (x - 14) ** 2 + (y - 16.5) ** 2 <= 5.2 ** 2
        bite = (x - 16.6) ** 2 + (y - 14.6) ** 2 <= 4.6 ** 2
        if moon and not bite:
            return YELLOW
        if any(abs(x - sx) < 0.9 and abs(y - sy) < 0.9 for sx, sy in ((20, 12), (22, 18), (18, 21))):
            return WHITE
        return NAVY
    if inside_rounded(x, y, 1, 6, 31, 27, 3):
        if 26.5 <= x <= 29 and (11 <= y <= 13 or 15 <= y <= 17):
            return SILVER
        if inside_rounded(x, y, 1.5, 6.5, 30.5, 26.5, 2.5) and y < 8:
            return SILVER
        return GREY if x > 25.5 else BLACK
    return CLEAR


def image(size):
    scale = 32 / size
    pixels = [[colour_at((col + 0.5) * scale, (row + 0.5) * scale) for col in range(size)]
              for row in range(size)]
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor_rows, and_rows = [], []
    for row in reversed(pixels):  # bottom-up, as bitmaps are stored
        nibbles = [0 if c is CLEAR else c for c in row]
        data = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor_rows.append(data + b'\0' * (-len(data) % 4))
        bits = 0
        for c in row:
            bits = (bits << 1) | (1 if c is CLEAR else 0)
        mask = bits.to_bytes(size // 8, 'big')
        and_rows.append(mask + b'\0' * (-len(mask) % 4))
    return header + palette + b''.join(xor_rows) + b''.join(and_rows)


def main():
    images = [image(32), image(16)]
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b''
    for size, data in zip((32, 16), images):
        entries += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'QuillomaticMonitor.ico')
    with open(target, 'wb') as out:
        out.write(directory + entries + b''.join(images))


if __name__ == '__main__':
    main()
