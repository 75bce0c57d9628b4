#!/usr/bin/env python3
"""Compares two outputs of scripts/demo.sh (DEMO_DIR): PNG pages byte for byte, then pixel by
pixel; PDFs with their Flate streams inflated and dates, document IDs and offsets masked.
Usage: compare-demo.py OLD_DIR NEW_DIR (exit 0 when all are the same)."""
import difflib, re, struct, sys, zlib
from pathlib import Path

old, new = Path(sys.argv[1]), Path(sys.argv[2])


def png_pixels(path):
    data = path.read_bytes()
    pos, idat, w = 8, b"", 0
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        if kind == b"IHDR":
            w, h, depth, ctype = struct.unpack(">IIBB", body[:10])
            bpp = {2: 3, 6: 4, 0: 1, 4: 2}[ctype] * depth // 8
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    raw, stride, rows, prev = zlib.decompress(idat), w * bpp, [], bytearray(w * bpp)
    for y in range(h):
        f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            if f == 1: line[i] = (line[i] + a) & 255
            elif f == 2: line[i] = (line[i] + b) & 255
            elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line)); prev = line
    return w, h, bpp, rows


def pdf_text(path):
    data = path.read_bytes()
    def inflate(m):
        try:
            return b"stream\n" + zlib.decompress(m.group(1)) + b"\nendstream"
        except zlib.error:
            return b"stream\n<binary %d bytes, crc %08x>\nendstream" % (len(m.group(1)), zlib.crc32(m.group(1)))
    data = re.sub(rb"stream\r?\n(.*?)\r?\nendstream", inflate, data, flags=re.S)
    data = re.sub(rb"/(CreationDate|ModDate) *\([^)]*\)", rb"/\1 (MASKED)", data)
    data = re.sub(rb"/ID *\[[^\]]*\]", rb"/ID [MASKED]", data)
    data = re.sub(rb"startxref\s+\d+", b"startxref MASKED", data)
    data = re.sub(rb"\d{10} \d{5} [nf]", b"XREF-ENTRY", data)  # offsets shift with dates
    return data.decode("latin-1").splitlines()


same = True
for f in sorted(p.relative_to(old) for p in old.rglob("*") if p.is_file()):
    a, b = old / f, new / f
    if not b.exists():
        print(f"{f}: missing in new"); same = False; continue
    if a.read_bytes() == b.read_bytes():
        print(f"{f}: byte-identical"); continue
    if f.suffix == ".png":
        wa, ha, bpp, ra = png_pixels(a); wb, hb, _, rb_ = png_pixels(b)
        if (wa, ha) != (wb, hb):
            print(f"{f}: size {wa}x{ha} -> {wb}x{hb}"); same = False; continue
        ys = [y for y in range(ha) if ra[y] != rb_[y]]
        if not ys:
            print(f"{f}: bytes differ, pixels identical (metadata)"); continue
        xs = [i // bpp for y in ys for i in range(wa * bpp) if ra[y][i] != rb_[y][i]]
        print(f"{f}: {len(set(xs))} columns x {len(ys)} rows differ, box x {min(xs)}..{max(xs)} y {ys[0]}..{ys[-1]}")
        same = False
    elif f.suffix == ".pdf":
        d = list(difflib.unified_diff(pdf_text(a), pdf_text(b), "old/" + str(f), "new/" + str(f), n=2, lineterm=""))
        print(f"{f}: " + ("identical apart from dates/IDs/offsets" if not d else "DIFFERS"))
        if d:
            same = False; print("\n".join(d[:200]))
    else:
        print(f"{f}: differs"); same = False
for p in new.rglob("*"):
    if p.is_file() and not (old / p.relative_to(new)).exists():
        print(f"{p.relative_to(new)}: only in new"); same = False
print("ALL SAME" if same else "DIFFERENCES FOUND")
sys.exit(0 if same else 1)
