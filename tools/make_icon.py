#!/usr/bin/env python3
"""Draws the program's icon: a red buzzer on a navy tile, with the amber
arcs of its signal above it.

Run from anywhere: python3 tools/make_icon.py
It writes packaging/icons/<size>/torvanel.png for the usual hicolor sizes,
with nothing but Python's standard library (the shapes are sampled 4 x 4
per pixel and written as RGBA PNGs). The output is the same on every run;
the files are committed so that building needs no Python.
packaging/icons/torvanel.svg is the same drawing by hand, for the scalable
size.
"""
import math
import struct
import zlib
from pathlib import Path

SIZES = (16, 24, 32, 48, 64, 128, 256)
OUT = Path(__file__).resolve().parent.parent / "packaging" / "icons"
SAMPLES = 4


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def hexcolour(h):
    return tuple(int(h[i:i + 2], 16) / 255.0 for i in (1, 3, 5))


NAVY_TOP = hexcolour("#2b4a86")
NAVY_BOTTOM = hexcolour("#16213e")
BASE_SIDE = hexcolour("#4a4f57")
BASE_TOP = hexcolour("#8a919c")
DOME_LIGHT = hexcolour("#f25c54")
DOME_DARK = hexcolour("#a4161a")
AMBER = hexcolour("#ffc93c")
WHITE = (1.0, 1.0, 1.0)


def in_rounded_square(x, y, inset=0.03, radius=0.2):
    lo, hi = inset + radius, 1.0 - inset - radius
    dx = max(lo - x, 0.0, x - hi)
    dy = max(lo - y, 0.0, y - hi)
    return dx * dx + dy * dy <= radius * radius and inset <= x <= 1 - inset and inset <= y <= 1 - inset


def in_ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def sample(x, y):
    """The colour and coverage of one point of the unit square (y down)."""
    if not in_rounded_square(x, y):
        return None
    colour = mix(NAVY_TOP, NAVY_BOTTOM, y)

    # The signal: two arcs around the dome's top, 40 degrees either side.
    cx, cy = 0.5, 0.60
    r = math.hypot(x - cx, y - cy)
    angle = math.degrees(math.atan2(x - cx, cy - y))
    if abs(angle) <= 40 and (abs(r - 0.355) <= 0.028 or abs(r - 0.445) <= 0.028):
        colour = AMBER

    # The base: a short grey cylinder.
    if in_ellipse(x, y, 0.5, 0.74, 0.34, 0.09) or (0.16 <= x <= 0.84 and 0.66 <= y <= 0.74):
        colour = BASE_SIDE
    if in_ellipse(x, y, 0.5, 0.66, 0.34, 0.09):
        colour = BASE_TOP

    # The dome: the upper half of a circle on an elliptic foot, lit from the
    # upper left.
    in_dome = (y <= 0.64 and in_ellipse(x, y, 0.5, 0.64, 0.25, 0.27)) or in_ellipse(
        x, y, 0.5, 0.64, 0.25, 0.065)
    if in_dome:
        d = math.hypot(x - 0.40, y - 0.46) / 0.36
        colour = mix(DOME_LIGHT, DOME_DARK, min(1.0, d))
        if in_ellipse(x, y, 0.41, 0.47, 0.065, 0.04):
            colour = mix(colour, WHITE, 0.7)
    return colour


def render(size):
    rows = []
    for py in range(size):
        row = bytearray([0])  # filter: none
        for px in range(size):
            total = [0.0, 0.0, 0.0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = sample((px + (sx + 0.5) / SAMPLES) / size,
                               (py + (sy + 0.5) / SAMPLES) / size)
                    if c is not None:
                        covered += 1
                        for i in range(3):
                            total[i] += c[i]
            if covered:
                rgb = [round(255 * t / covered) for t in total]
                alpha = round(255 * covered / (SAMPLES * SAMPLES))
            else:
                rgb, alpha = [0, 0, 0], 0
            row += bytes(rgb + [alpha])
        rows.append(bytes(row))
    return b"".join(rows)


def png(size, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b""))


def main():
    for size in SIZES:
        folder = OUT / f"{size}x{size}"
        folder.mkdir(parents=True, exist_ok=True)
        (folder / "torvanel.png").write_bytes(png(size, render(size)))
        print(folder / "torvanel.png")


if __name__ == "__main__":
    main()
