#!/usr/bin/env python3
"""Writes customer statements, one JSON grid file each, for bench/batch.sh.

Usage: make_statements.py COUNT ROWS OUT_DIR

Each file is a statement as examples/statements.json prints one: a flex grid (kind 5) of
ROWS entries (date, order number, goods, quantity, amount) under a heading row, with the
customer in a head line and a foot line. The same arguments always give the same bytes.
"""
import json
import os
import random
import sys

count, rows, out = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
os.makedirs(out, exist_ok=True)
random.seed(count * 100003 + rows)
goods = [("打印纸", 25.0), ("硒鼓 388A", 168.0), ("文件柜", 980.0), ("碎纸机", 1299.0),
         ("白板", 220.0), ("投影仪", 3580.0), ("订书机", 18.5), ("档案盒", 6.8)]
places = ["华东", "华南", "华北", "西南", "东北", "西北"]
trades = ["电子", "五金", "商贸", "物流", "建材", "食品", "科技", "文具"]
for n in range(count):
    customer = f"{random.choice(places)}{random.choice(trades)}有限公司第{n + 1}分部"
    cells = [["日期", "单号", "商品", "数量", "金额"]]
    for i in range(rows):
        name, price = random.choice(goods)
        qty = random.randint(1, 40)
        cells.append([f"2026-11-{1 + i % 28:02d}", f"XS{202611000 + n * rows + i}", name,
                      str(qty), f"{qty * price:,.2f}"])
    statement = {
        "GridType": 5,
        "properties": {"MainTitle": "客户对账单", "SubTitle": "二〇二六年十一月",
                       "PrintKeyName": "对账单", "Operator": "李娜"},
        "head": [[f"客户：{customer}", 1, 1, 0], ["单位：元", 0, 5, 0]],
        "foot": [["如有疑问请于收到后七日内联系", 1, 1, 0]],
        "grid": {"cells": cells, "fixedRows": 1, "colWidths": [1300, 1500, 1800, 800, 1500],
                 "headerAlignment": 4, "colAlignments": [4, 1, 1, 7, 7]},
    }
    with open(os.path.join(out, f"statement-{n + 1:04d}.json"), "w", encoding="utf-8") as f:
        json.dump(statement, f, ensure_ascii=False)
