#!/usr/bin/env python3
"""Writes the inputs of bench/inputs.sh into a folder.

Usage: make_inputs.py OUT_DIR

Grid files: JSON flex grids of 10 cells a row with 10, 15 and 70 million cells (the first
within the cell limit, about 44 MB; the others past it, about 66 and 308 MB), and a CSV whose
one field holds 10,000,000 characters. Logo pictures: placeable metafiles of one filled
polygon with a pen 1/20 inch wide, an outline of 200, 800, 5,000, 32,000 and 100,000 points
(a wavy ring, as a detailed outline is; the last one as four polygons of a poly-polygon, since
a polygon record holds at most 32,767 points), 5,000 points strewn at random over the picture
(an outline that crosses itself everywhere), and an SVG of the 100,000-point outline.
"""
import math
import os
import random
import struct
import sys

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def json_grid(path, cells):
    rows = cells // 10
    row = lambda r: "[" + ",".join(str((r * 10 + c) % 1000) for c in range(10)) + "]"
    with open(path, "w", encoding="utf-8") as f:
        f.write('{"GridType": 5, "grid": {"cells": [\n')
        for start in range(0, rows, 10000):
            chunk = [row(r) for r in range(start, min(rows, start + 10000))]
            f.write(",\n".join(chunk))
            f.write(",\n" if start + 10000 < rows else "\n")
        f.write("]}}\n")


def words(*values):
    return struct.pack("<%dh" % len(values), *values)


def record(function, params):
    return struct.pack("<IH", 3 + len(params) // 2, function) + params


def metafile(polygons, size=1440):
    """A placeable metafile, size units square at 1440 to the inch, of one filled shape."""
    body = record(0x020B, words(0, 0)) + record(0x020C, words(size, size))
    body += record(0x02FA, words(0, 72, 0) + struct.pack("<I", 0x000080))  # dark red pen
    body += record(0x012D, words(0))
    body += record(0x02FC, words(0) + struct.pack("<I", 0xC0E0FF) + words(0))  # light fill
    body += record(0x012D, words(1))
    if len(polygons) == 1:
        pts = polygons[0]
        shape = record(0x0324, words(len(pts)) + b"".join(words(x, y) for x, y in pts))
    else:
        params = words(len(polygons)) + b"".join(words(len(p)) for p in polygons)
        params += b"".join(words(x, y) for p in polygons for x, y in p)
        shape = record(0x0538, params)
    body += shape
    body += struct.pack("<IH", 3, 0)
    header = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, size, size, 1440, 0)
    checksum = 0
    for (w,) in struct.iter_unpack("<H", header):
        checksum ^= w
    header += struct.pack("<H", checksum)
    file_words = (18 + len(body)) // 2
    return header + struct.pack("<HHHIHIH", 1, 9, 0x0300, file_words, 2, len(shape) // 2, 0) + body


def ring(n, size=1440):
    """A wavy ring of n points: 40 waves around a circle, no edge crossing another."""
    c = size / 2
    pts = []
    for i in range(n):
        a = 2 * math.pi * i / n
        r = c * 0.8 * (1 + 0.08 * math.sin(40 * a))
        pts.append((round(c + r * math.cos(a)), round(c + r * math.sin(a))))
    return pts


json_grid(os.path.join(out, "cells-10m.json"), 10_000_000)
json_grid(os.path.join(out, "cells-15m.json"), 15_000_000)
json_grid(os.path.join(out, "cells-70m.json"), 70_000_000)
with open(os.path.join(out, "field-10mb.csv"), "w", encoding="utf-8") as f:
    f.write("说明,金额\n")
    f.write("abcdefghij" * 1_000_000 + ",1\n")
# The longest text a cell takes, in Latin letters and in Chinese characters.
for name, text in (("latin", "abcdefghij"), ("cjk", "报表打印徽标金额合计")):
    with open(os.path.join(out, "field-32767-%s.csv" % name), "w", encoding="utf-8") as f:
        f.write("说明,金额\n" + (text * 3277)[:32767] + ",1\n")

for n in (200, 800, 5000, 32000):
    with open(os.path.join(out, "ring-%d.wmf" % n), "wb") as f:
        f.write(metafile([ring(n)]))
points = ring(100_000)
with open(os.path.join(out, "ring-100000.wmf"), "wb") as f:
    f.write(metafile([points[i : i + 25_000] for i in range(0, 100_000, 25_000)]))
random.seed(1)
with open(os.path.join(out, "random-5000.wmf"), "wb") as f:
    f.write(metafile([[(random.randint(0, 1440), random.randint(0, 1440)) for _ in range(5000)]]))
with open(os.path.join(out, "ring-100000.svg"), "w", encoding="utf-8") as f:
    f.write(
        '<svg xmlns="http://www.w3.org/2000/svg" width="1in" height="1in" viewBox="0 0 1440 1440">'
        '<polygon fill="#ffe0c0" stroke="#800000" stroke-width="72" stroke-linejoin="round" '
        'points="%s"/></svg>\n' % " ".join("%d,%d" % p for p in points)
    )
