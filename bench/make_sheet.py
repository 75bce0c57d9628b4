#!/usr/bin/env python3
"""The peers' generated grid as a formatted spreadsheet grid file (GridType 1).

Usage: make_sheet.py GRID.csv OUT.json

Every cell carries a format of its own, read by the renderer cell by cell: a bold centred
heading with a thick rule under it, thin borders, dates under "yyyy年m月d日", quantities under
"#,##0", prices and amounts under "#,##0.00", every seventh amount a red refund, every
hundredth row a bold subtotal, and the notes column in a smaller grey font.
"""
import csv
import json
import sys

source, target = sys.argv[1], sys.argv[2]
with open(source, encoding="utf-8", newline="") as f:
    rows = list(csv.reader(f))
last = len(rows)
for r in range(1, last):
    if r % 7 == 0:
        rows[r][6] = "-" + rows[r][6]
formats = [
    [f"A1:H{last}", {"border": 1, "valign": 2}],
    ["1:1", {"bold": True, "align": 3, "font": "黑体", "borderBottom": 5}],
    [f"A2:A{last}", {"align": 3}],
    [f"B2:B{last}", {"numberFormat": "yyyy年m月d日", "align": 3}],
    [f"E2:E{last}", {"numberFormat": "#,##0", "align": 4}],
    [f"F2:G{last}", {"numberFormat": "#,##0.00", "align": 4}],
    [f"H2:H{last}", {"size": 9, "color": "#606060"}],
]
formats += [[f"G{r + 1}", {"color": "#C00000"}] for r in range(1, last) if r % 7 == 0]
formats += [[f"{r + 1}:{r + 1}", {"bold": True, "borderBottom": 2}] for r in range(100, last, 100)]
sheet = {
    "GridType": 1,
    "properties": {"MainTitle": "销售明细", "PrintKeyName": "bench-sheet"},
    "grid": {"cells": rows, "fixedRows": 1,
             "colWidths": [700, 1500, 2200, 3000, 800, 1100, 1300, 900],
             "rowHeights": 300, "formats": formats},
}
with open(target, "w", encoding="utf-8") as f:
    json.dump(sheet, f, ensure_ascii=False)
