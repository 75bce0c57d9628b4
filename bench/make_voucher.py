#!/usr/bin/env python3
"""Writes a voucher of N entries as a grid file for the voucher benchmark (deterministic).

    make_voucher.py N OUT.json [KIND]

KIND 2 (default): a voucher grid with two header rows (merged headings), N body rows and a
totals row, two amount columns of 11 digit cells, CallMod "凭证". KIND 5: the same texts as a
flex grid with the amounts as plain right-aligned numbers, to compare against. KIND csv: the
flex grid's cells as a CSV file (one heading row), for the QPainter floor of the peers.
"""
import json
import random
import sys

n, out = int(sys.argv[1]), sys.argv[2]
kind = sys.argv[3] if len(sys.argv) > 3 else "2"
csv = kind == "csv"
kind = 5 if csv else int(kind)
random.seed(20261207 + n)
summaries = ["报销办公用品", "报销差旅费", "支付电话费", "支付水电费", "支付物业管理费",
             "支付广告费", "收到货款", "计提本月工资", "结转销售成本", "支付银行手续费"]
accounts = [("管理费用", "办公费"), ("管理费用", "差旅费"), ("销售费用", "广告费"),
            ("应收账款", "华东电子有限公司"), ("主营业务成本", "办公设备"), ("财务费用", "手续费")]
cells = [["摘要", "会计科目", "会计科目", "借方金额", "贷方金额"],
         ["摘要", "总账科目", "明细科目", "", ""]] if kind == 2 else [
         ["摘要", "总账科目", "明细科目", "借方金额", "贷方金额"]]
debit = credit = 0
for i in range(n):
    account, detail = random.choice(accounts)
    cents = random.randint(100, 99_999_999)
    on_debit = i % 3 != 2
    debit += cents if on_debit else 0
    credit += 0 if on_debit else cents
    amount = f"{cents / 100:.2f}"
    cells.append([random.choice(summaries), account, detail,
                  amount if on_debit else "", "" if on_debit else amount])
cells.append(["合 计", "", "", f"{debit / 100:.2f}", f"{credit / 100:.2f}"])
if csv:
    # The floor splits lines at commas: the texts and amounts have none.
    with open(out, "w", encoding="utf-8") as f:
        f.writelines(",".join(row) + "\n" for row in cells)
    sys.exit(0)
widths = [3000, 1600, 2200, 1700, 1700]
if kind == 2:
    grid = {"cells": cells, "fixedRows": 2, "fixedRowsBottom": 1, "colWidths": widths,
            "rowHeights": 400, "headerAlignment": 0, "colAlignments": [1, 1, 1, 2, 2],
            "merges": [[0, 0, 2, 1], [0, 1, 1, 2], [len(cells) - 1, 0, 1, 3]],
            "amountColumns": [{"col": 3, "cells": 11}, {"col": 4, "cells": 11}]}
    properties = {"MainTitle": "记账凭证", "CallMod": "凭证", "PrintKeyName": "bench-voucher"}
else:
    grid = {"cells": cells, "fixedRows": 1, "colWidths": widths, "rowHeights": 400,
            "headerAlignment": 4, "colAlignments": [1, 1, 1, 7, 7]}
    properties = {"MainTitle": "记账凭证", "PrintKeyName": "bench-voucher-flex"}
report = {"GridType": kind, "properties": properties,
          "head": [["单位：华东电子有限公司", 1, 1, 0], ["记字第 0001 号", 0, 5, 0]], "grid": grid}
with open(out, "w", encoding="utf-8") as f:
    json.dump(report, f, ensure_ascii=False)
