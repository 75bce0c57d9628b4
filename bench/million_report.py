#!/usr/bin/env python3
"""The 1,000,000-row column: Quillon and the floor, with the goals beside them.

Usage: million_report.py RESULTS.tsv PREVIEW.txt GRID.csv
"""
import csv
import os
import sys

with open(sys.argv[1], encoding="utf-8") as f:
    rows = {r["who"]: r for r in csv.DictReader(f, delimiter="\t")}
preview = dict(line.split() for line in open(sys.argv[2], encoding="utf-8") if line.strip())
csv_mb = os.path.getsize(sys.argv[3]) / 2**20
rows_n = int(preview["rows"]) - 1

print()
print(f"{rows_n:,} rows ({csv_mb:.0f} MB of CSV), one run each:")
lines = [["who", "time", "peak RSS", "RSS / CSV", "first page in the PDF", "first sheet in the preview"]]
for who in ("quillon", "qt-floor"):
    r = rows.get(who)
    if not r:
        continue
    peak = float(r["peak_MB"])
    first = f"{float(preview['first_sheet_ms']):.0f} ms" if who == "quillon" else "-"
    lines.append([who, f"{float(r['time_s']):.1f} s", f"{peak:.0f} MB", f"{peak / csv_mb:.2f}x",
                  f"{float(r['first_page_s']):.2f} s", first])
widths = [max(len(line[i]) for line in lines) for i in range(len(lines[0]))]
for line in lines:
    print("  ".join(cell.ljust(w) for cell, w in zip(line, widths)))
q = rows.get("quillon")
if q:
    ok_rss = float(q["peak_MB"]) <= 3 * csv_mb
    ok_first = float(preview["first_sheet_ms"]) < 1000
    print(f"goals: peak RSS at most 3 x the CSV ({3 * csv_mb:.0f} MB): {'met' if ok_rss else 'NOT met'};"
          f" first sheet under 1 s: {'met' if ok_first else 'NOT met'}"
          f" (load {preview['load_ms']} ms, layout {preview['layout_ms']} ms)")
