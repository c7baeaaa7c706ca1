#!/usr/bin/env python3
"""Draws Setup's icons and writes them as .ico files (16, 32 and 48 pixels,
32-bit colour with alpha).

    make_icons.py OUTPUT_FOLDER

MAINICON: the product tile, a white envelope with an orange signal dot.
UNINSTALLICON: the same tile with a red removal bar.
XICON1: a green tile (web mail), XICON2: a violet tile (administration).
"""
import struct
import sys
from pathlib import Path

SIZES = (16, 32, 48)
SAMPLES = 4  # supersampling per axis, for smooth edges


def inside_round_rect(x, y, r):
    # Unit square with corners of radius r.
    cx = min(max(x, r), 1 - r)
    cy = min(max(y, r), 1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def near_segment(x, y, ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2


def envelope(x, y, w):
    l, r, t, b = 0.18, 0.82, 0.30, 0.74
    edges = ((l, t, r, t), (r, t, r, b), (r, b, l, b), (l, b, l, t), (l, t, 0.5, 0.54), (0.5, 0.54, r, t))
    return any(near_segment(x, y, *e, w) for e in edges)


def colour_at(kind, x, y):
    tiles = {"MAINICON": (18, 94, 160), "UNINSTALLICON": (18, 94, 160), "XICON1": (30, 130, 70), "XICON2": (110, 60, 150)}
    if kind == "UNINSTALLICON" and near_segment(x, y, 0.12, 0.88, 0.88, 0.12, 0.16):
        return (205, 40, 40, 255)
    if (x - 0.78) ** 2 + (y - 0.20) ** 2 <= 0.12 ** 2:
        return (245, 140, 30, 255)
    if not inside_round_rect(x, y, 0.22):
        return (0, 0, 0, 0)
    if envelope(x, y, 0.08):
        return (255, 255, 255, 255)
    return tiles[kind] + (255,)


def render(kind, size):
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at(kind, (px + (sx + 0.5) / SAMPLES) / size, (py + (sy + 0.5) / SAMPLES) / size)
                    acc[0] += c[0] * c[3]
                    acc[1] += c[1] * c[3]
                    acc[2] += c[2] * c[3]
                    acc[3] += c[3]
            n = SAMPLES * SAMPLES
            a = acc[3] / n
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(acc[i] / acc[3]) for i in range(3)) + (int(a),))
        rows.append(row)
    return rows


def dib(rows, size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_row * size)  # the alpha channel decides
    return header + pixels + mask


def icon(kind):
    images = [dib(render(kind, s), s) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    for kind in ("MAINICON", "UNINSTALLICON", "XICON1", "XICON2"):
        (folder / (kind.lower() + ".ico")).write_bytes(icon(kind))


if __name__ == "__main__":
    main()
