#!/usr/bin/env python3
"""One table: Quillon and the peers, with ratios to the floor and to each peer.

Usage: report.py PEERS_RESULTS.tsv QUILLON_RESULTS.tsv PREVIEW.txt [PRINT.txt [SPREAD.txt [SHEET.tsv]]]
"""
import csv
import sys


def read_tsv(path):
    with open(path, encoding="utf-8") as f:
        return list(csv.DictReader(f, delimiter="\t"))


def number(text):
    try:
        return float(text)
    except (TypeError, ValueError):
        return None


peers = read_tsv(sys.argv[1])
quillon = {int(r["N"]): r for r in read_tsv(sys.argv[2])}
preview = dict(line.split() for line in open(sys.argv[3], encoding="utf-8") if line.strip())

sizes = sorted(quillon)
names = []
for row in peers:
    if row["peer"] not in names:
        names.append(row["peer"])
by = {(r["peer"], int(r["N"])): r for r in peers}

print("CSV to PDF: median wall seconds (pages, peak RSS MB)")
header = ["who"] + [f"{n:,} rows" for n in sizes]
lines = [header]
q_row = ["quillon"]
for n in sizes:
    r = quillon[n]
    q_row.append(f"{float(r['median_s']):.2f} s ({r['pages']} p, {r['peak_MB']} MB)")
lines.append(q_row)
for name in names:
    row = [name]
    for n in sizes:
        r = by.get((name, n))
        s = number(r["median_s"]) if r else None
        if s is None:
            row.append((r["note"] if r and r["note"] else "-")[:28])
        else:
            note = " BAD" if r["note"].startswith("BAD") else ""
            row.append(f"{s:.2f} s ({r['pages']} p, {r['peak_MB']} MB){note}")
    lines.append(row)
widths = [max(len(line[i]) for line in lines) for i in range(len(header))]
for line in lines:
    print("  ".join(cell.ljust(w) for cell, w in zip(line, widths)))

print()
print("Ratios (time): Quillon / floor, and each peer / Quillon (how many times faster Quillon is)")
lines = [["ratio"] + [f"{n:,} rows" for n in sizes]]
floor = {n: number(by[("qt-floor", n)]["median_s"]) for n in sizes if ("qt-floor", n) in by}
row = ["quillon / qt-floor"]
for n in sizes:
    q, f = number(quillon[n]["median_s"]), floor.get(n)
    row.append(f"{q / f:.2f}x" if q and f else "-")
lines.append(row)
for name in names:
    if name == "qt-floor":
        continue
    row = [f"{name} / quillon"]
    for n in sizes:
        r = by.get((name, n))
        s = number(r["median_s"]) if r else None
        q = number(quillon[n]["median_s"])
        row.append(f"{s / q:.1f}x" if s and q else "-")
    lines.append(row)
row = ["peak RSS quillon - floor"]
for n in sizes:
    f = by.get(("qt-floor", n))
    row.append(f"{float(quillon[n]['peak_MB']) - float(f['peak_MB']):+.0f} MB" if f and number(f["peak_MB"]) else "-")
lines.append(row)
row = ["quillon rows/s"]
for n in sizes:
    row.append(f"{n / float(quillon[n]['median_s']):,.0f}")
lines.append(row)
row = ["quillon pages/s"]
for n in sizes:
    row.append(f"{int(quillon[n]['pages']) / float(quillon[n]['median_s']):,.0f}")
lines.append(row)
widths = [max(len(line[i]) for line in lines) for i in range(len(lines[0]))]
for line in lines:
    print("  ".join(cell.ljust(w) for cell, w in zip(line, widths)))

print()
print(f"Preview ({int(preview['rows']) - 1:,} rows, {preview['sheets']} sheets):")
print(f"  time to the first sheet (load, layout, draw): {preview['first_sheet_ms']} ms"
      f" (load {preview['load_ms']} ms, layout {preview['layout_ms']} ms)")
print(f"  one sheet at zoom 1: {preview['sheet_ms_zoom1']} ms, at zoom 2: {preview['sheet_ms_zoom2']} ms (median)")
print(f"  sheet 1: {preview['early_sheet_ms']} ms, sheet {preview['late_sheet']}: {preview['late_sheet_ms']} ms")

if len(sys.argv) > 4:
    printing = dict(line.split() for line in open(sys.argv[4], encoding="utf-8") if line.strip())
    print()
    print(f"Printing ({int(printing['cups_rows']):,} rows, {printing['cups_sheets']} sheets, median):")
    print(f"  PrintDirect to a CUPS PDF queue, until the job is in the queue: {printing['cups_queued_s']} s"
          f" ({printing['cups_ratio']}x the PDF export's {printing['cups_topdf_s']} s;"
          f" the queue's driver done after {printing['cups_done_s']} s)")
    print(f"    processor time {printing['cups_queued_cpu_s']} s against {printing['cups_topdf_cpu_s']} s"
          f" ({printing['cups_cpu_ratio']}x)")
    print(f"  continuous printing, {int(printing['cont_sets']):,} data sets of 20 rows: {printing['cont_total_s']} s;"
          f" per data set {printing['cont_first_ms']} ms (first 100), {printing['cont_middle_ms']} ms (middle 100),"
          f" {printing['cont_last_ms']} ms (last 100); processor {printing['cont_total_cpu_s']} s")
    print(f"  print loop on {int(printing['loop_rows']):,} rows ({printing['loop_printer']}, {printing['loop_sheets']} sheets):"
          f" longest pause between cancel checks {printing['loop_max_gap_ms']} ms"
          f" (99th percentile {printing['loop_p99_gap_ms']} ms, median {printing['loop_median_gap_ms']} ms);"
          f" sending the document afterwards {printing['loop_enddoc_ms']} ms")

if len(sys.argv) > 5:
    spread = dict(line.split() for line in open(sys.argv[5], encoding="utf-8") if line.strip())
    rows = int(spread["spread_rows"])
    seconds = float(spread["spread_s"])
    f = floor.get(rows)
    ratio = f"{seconds / f:.2f}x the floor's {f:.2f} s (limit 1.5x)" if f else "no floor measured"
    print()
    print(f"Spread grid ({rows:,} rows, two header rows, spans, number cells) to PDF:"
          f" {seconds:.2f} s, {spread['spread_pages']} pages; {ratio}")

if len(sys.argv) > 6:
    sheet = read_tsv(sys.argv[6])[0]
    n = int(sheet["N"])
    s, f = float(sheet["median_s"]), floor.get(n)
    ratio = f"{s / f:.2f}x the floor's {f:.2f} s (limit 1.5x)" if f else "no floor measured"
    print()
    print(f"Formatted spreadsheet grid ({n:,} rows, {sheet['pages']} pages, every cell in a format of its own):"
          f" {s:.2f} s; {ratio}")
