#!/usr/bin/env python3
"""Draws Belmo's icon and writes it as .ico files (no image library needed).

The mark: a rounded deep-blue tile with a white sound wave running across it,
whose middle stretch is covered by an amber bar: a recording with one part
masked. Drawn with 4x4 supersampling so the 16x16 size stays clean.
"""
import math
import struct
import sys
from pathlib import Path

BLUE = (36, 74, 140)
WHITE = (255, 255, 255)
AMBER = (242, 160, 36)


def coverage_tile(x, y, size):
    r = size * 0.22
    half = size / 2
    dx = max(abs(x - half) - (half - r), 0)
    dy = max(abs(y - half) - (half - r), 0)
    return dx * dx + dy * dy <= r * r


def wave_y(x, size):
    t = x / size
    envelope = math.sin(math.pi * t)
    return size / 2 - size * 0.30 * envelope * math.sin(2 * math.pi * 3.2 * t)


def in_wave(x, y, size):
    return abs(y - wave_y(x, size)) <= max(size * 0.06, 0.9)


def in_mask(x, y, size):
    return size * 0.40 <= x <= size * 0.64 and size * 0.16 <= y <= size * 0.84


def pixel(px, py, size):
    samples = 4
    acc = [0.0, 0.0, 0.0, 0.0]
    for sy in range(samples):
        for sx in range(samples):
            x = px + (sx + 0.5) / samples
            y = py + (sy + 0.5) / samples
            if not coverage_tile(x, y, size):
                continue
            if in_mask(x, y, size):
                colour = AMBER
            elif in_wave(x, y, size):
                colour = WHITE
            else:
                colour = BLUE
            for i in range(3):
                acc[i] += colour[i]
            acc[3] += 255
    n = samples * samples
    alpha = acc[3] / n
    if alpha == 0:
        return (0, 0, 0, 0)
    scale = 255 / acc[3]
    return tuple(int(round(acc[i] * scale)) for i in range(3)) + (int(round(alpha)),)


def bitmap_entry(size):
    """A 32-bit BMP icon image: header, bottom-up BGRA rows, AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    mask_rows = []
    mask_stride = ((size + 31) // 32) * 4
    for py in reversed(range(size)):
        row = bytearray()
        mask = bytearray(mask_stride)
        for px in range(size):
            r, g, b, a = pixel(px, py, size)
            row += bytes((b, g, r, a))
            if a == 0:
                mask[px // 8] |= 0x80 >> (px % 8)
        rows.append(bytes(row))
        mask_rows.append(bytes(mask))
    return header + b"".join(rows) + b"".join(mask_rows)


def write_ico(path, sizes):
    images = [bitmap_entry(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    Path(path).write_bytes(out)


if __name__ == "__main__":
    root = Path(sys.argv[1] if len(sys.argv) > 1 else "resources")
    write_ico(root / "belmo.ico", [32, 16])
    write_ico(root / "belmo_small.ico", [16])
