#!/usr/bin/env python3
"""Draws Tickra's two icons (program and tray) and writes them as .ico files.

The icons are committed; run this again only to change their look:
    python3 res/make_icons.py res
"""
import struct
import sys
from pathlib import Path

BACKGROUND = (0x1E, 0x2A, 0x3A, 0xFF)
GRID = (0x3A, 0x4A, 0x5E, 0xFF)
RED = (0xF0, 0x3A, 0x3A, 0xFF)
GREEN = (0x2E, 0xC8, 0x5A, 0xFF)
CLEAR = (0, 0, 0, 0)

# A day's price line in unit coordinates (x right, y up): a dip below the close, then a rise.
LINE = [(0.12, 0.55), (0.30, 0.38), (0.46, 0.48), (0.62, 0.30), (0.80, 0.70), (0.90, 0.82)]
CLOSE = 0.45


def draw(size, tray):
    px = [[CLEAR] * size for _ in range(size)]
    radius = max(2, size // 6)
    for y in range(size):
        for x in range(size):
            cx = min(max(x, radius), size - 1 - radius)
            cy = min(max(y, radius), size - 1 - radius)
            if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                px[y][x] = BACKGROUND
    close_row = round((1 - CLOSE) * (size - 1))
    for x in range(radius // 2, size - radius // 2):
        if x % 2 == 0 or tray:
            px[close_row][x] = GRID
    width = max(1, size // 16) + (1 if tray else 0)
    for (x0, y0), (x1, y1) in zip(LINE, LINE[1:]):
        steps = size * 4
        for i in range(steps + 1):
            t = i / steps
            fx, fy = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            colour = RED if fy >= CLOSE else GREEN
            col = round(fx * (size - 1))
            row = round((1 - fy) * (size - 1))
            for dy in range(width):
                for dx in range(width):
                    r, c = row + dy - width // 2, col + dx - width // 2
                    if 0 <= r < size and 0 <= c < size:
                        px[r][c] = colour
    return px


def bmp_entry(px):
    size = len(px)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b''.join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = b''
    for row in reversed(px):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    return header + colour + mask


def write_ico(path, images):
    entries, data = [], []
    offset = 6 + 16 * len(images)
    for px in images:
        blob = bmp_entry(px)
        size = len(px)
        entries.append(struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32,
                                   len(blob), offset))
        data.append(blob)
        offset += len(blob)
    Path(path).write_bytes(struct.pack('<HHH', 0, 1, len(images)) + b''.join(entries)
                           + b''.join(data))


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else '.')
    write_ico(out / 'tickra.ico', [draw(s, False) for s in (16, 32, 48)])
    write_ico(out / 'tray.ico', [draw(s, True) for s in (16, 20, 24, 32)])


if __name__ == '__main__':
    main()
