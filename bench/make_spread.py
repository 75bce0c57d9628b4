#!/usr/bin/env python3
"""Writes the bench grid as a spread grid file (GridType 8).

Usage: make_spread.py GRID.csv OUT.json

The rows of the peers' CSV grid (序号, 日期, 客户名称, 摘要, 数量, 单价, 金额, 备注) under two
header rows with spanned headings; 数量, 单价 and 金额 are number cells (0, 2 and 2 decimals,
printed grouped), and every tenth row's 备注 spans two rows. The columns are as wide as the
peers' (13, 20, 44, 49, 12, 16, 20, 16 mm).
"""
import csv
import json
import sys

source, target = sys.argv[1], sys.argv[2]
with open(source, encoding="utf-8", newline="") as f:
    header, *rows = list(csv.reader(f))
spans = [[8, r, 1, 2] for r in range(1, len(rows), 10)]
grid = {
    "GridType": 8,
    "properties": {"MainTitle": "交易明细", "PrintKeyName": "bench-spread"},
    "grid": {
        "headerRows": [["序号", "交易", "交易", "交易", "金额", "金额", "金额", "备注"], header],
        "headerSpans": [[2, 0, 3, 1], [5, 0, 3, 1], [1, 0, 1, 2], [8, 0, 1, 2]],
        "cells": rows,
        "spans": spans,
        "colWidths": [round(mm * 56.7) for mm in (13, 20, 44, 49, 12, 16, 20, 16)],
        "cellTypes": [1, 1, 1, 1, 13, 13, 13, 1],
        "decimals": [0, 0, 0, 0, 0, 2, 2, 0],
        "colAlignments": [2, 2, 0, 0, 1, 1, 1, 0],
    },
}
with open(target, "w", encoding="utf-8") as f:
    json.dump(grid, f, ensure_ascii=False)
