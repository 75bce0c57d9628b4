#!/usr/bin/env python3
"""Writes the sample reports of examples/ (deterministic: the same files every run)."""
import json
import random

random.seed(20261207)
customers = ["华东电子有限公司", "北京宏达商贸", "上海申通物流", "广州南方建材", "深圳鹏城科技",
             "杭州西湖茶业", "成都天府食品", "武汉长江机械", "南京金陵纺织", "重庆山城汽配",
             "苏州园林设计院", "天津港航运", "青岛海尔特约经销", "厦门鹭岛贸易", "西安古城文化"]
goods = [("A4 复印纸", 25.00), ("硒鼓 388A", 168.00), ("订书机", 32.50), ("文件柜", 980.00),
         ("办公椅", 456.00), ("签字笔 (盒)", 18.80), ("计算器", 65.00), ("白板", 220.00),
         ("碎纸机", 1299.00), ("投影仪", 3580.00), ("档案盒", 6.50), ("打印机", 2150.00)]
sellers = ["张伟", "王芳", "李娜", "刘洋", "陈静", "杨帆", "赵磊", "黄丽"]

# 1. A sales list of 236 rows.
rows = [["日期", "单号", "客户名称", "商品", "数量", "单价", "金额", "业务员"]]
total = 0.0
for i in range(236):
    month, day = 10 + i // 90, 1 + (i * 7) % 28
    name, price = random.choice(goods)
    qty = random.randint(1, 60)
    amount = qty * price
    total += amount
    rows.append([f"2026-{month:02d}-{day:02d}", f"XS{202610000 + i * 3}", random.choice(customers),
                 name, str(qty), f"{price:,.2f}", f"{amount:,.2f}", random.choice(sellers)])
with open("sales.csv", "w", encoding="utf-8", newline="") as f:
    for row in rows:
        f.write(",".join(f'"{c}"' if "," in c else c for c in row) + "\n")

# 2. A wide monthly grid that splits into column bands, repeating its first two columns.
regions = ["华北", "华东", "华南", "华中", "西南", "西北", "东北"]
months = [f"{m}月" for m in range(1, 13)]
cells = [["地区", "产品线"] + months + ["全年合计"]]
for region in regions:
    for line in ["办公耗材", "办公家具", "办公设备"]:
        values = [random.randint(8000, 90000) for _ in months]
        cells.append([region, line] + [f"{v:,}" for v in values] + [f"{sum(values):,}"])
wide = {
    "GridType": 5,
    "properties": {"MainTitle": "二〇二六年分地区销售额", "SubTitle": "单位：元",
                   "PrintKeyName": "示例-宽表", "Operator": "王芳", "PaperOrient": 2,
                   "MergeAll": True},
    "format": {"HoriCutPage": 1, "MultFixCol": 1, "FillBlankLine": 0},
    "head": [["统计口径：含税销售额", 1, 1, 0], ["数据来源：销售管理系统", 0, 5, 0]],
    "foot": [["制表：王芳", 1, 1, 0], ["审核：", 0, 3, 0], ["财务部", 0, 5, 0]],
    "grid": {"cells": cells, "fixedRows": 1, "fixedCols": 2, "colWidths": [900, 1300] + [1500] * 13,
             "rowHeights": 330, "headerAlignment": 4, "colAlignments": [1, 1] + [7] * 13,
             "mergeCells": 1, "mergeCols": [0]},
}
with open("wide.json", "w", encoding="utf-8") as f:
    json.dump(wide, f, ensure_ascii=False, indent=1)

# 3. A grid whose two header rows merge into group headings.
header1 = ["部门", "姓名", "应发工资", "应发工资", "应发工资", "扣款", "扣款", "扣款", "实发金额"]
header2 = ["部门", "姓名", "基本工资", "岗位津贴", "绩效奖金", "社保", "公积金", "个税", "实发金额"]
cells = [header1, header2]
for dept in ["财务部", "销售部", "技术部", "行政部"]:
    for _ in range(random.randint(4, 7)):
        name = random.choice("赵钱孙李周吴郑王冯陈褚卫") + random.choice(["伟", "芳", "娜", "敏", "静", "强", "磊", "洋", "艳", "杰"])
        base, post, bonus = random.randint(5000, 12000), random.randint(500, 3000), random.randint(0, 6000)
        social, fund = round(base * 0.105, 2), round(base * 0.07, 2)
        tax = round(max(0, base + post + bonus - social - fund - 5000) * 0.03, 2)
        net = base + post + bonus - social - fund - tax
        cells.append([dept, name] + [f"{v:,.2f}" for v in (base, post, bonus, social, fund, tax, net)])
merged = {
    "GridType": 6,
    "properties": {"MainTitle": "工资发放表", "SubTitle": "二〇二六年十一月", "MinTitleLen": 10,
                   "PrintKeyName": "示例-合并表头", "Operator": "陈静", "MergeAll": True},
    "format": {"FillBlankLine": 1, "LineCount": 30},
    "head": [["单位：元", 1, 1, 0], ["发放日期：2026年12月5日", 0, 5, 0]],
    "foot": [["部门负责人：", 1, 1, 0], ["财务：", 0, 3, 0], ["领款人：", 0, 5, 0]],
    "grid": {"cells": cells, "fixedRows": 2, "colWidths": [1100, 1000] + [1300] * 7,
             "rowHeights": [360, 360] + [320] * (len(cells) - 2), "headerAlignment": 4,
             "colAlignments": [4, 4] + [7] * 7, "mergeCells": 1, "mergeRows": [0, 1],
             "mergeCols": [0, 1, 8]},
}
with open("merged.json", "w", encoding="utf-8") as f:
    json.dump(merged, f, ensure_ascii=False, indent=1)

# 4. Customer statements printed one after the other (quillon-print --cont): the grid holds the
#    first customer, "datasets" the others, each with its own head line.
def statement(customer):
    rows = [["日期", "单号", "商品", "数量", "金额"]]
    for i in range(random.randint(4, 9)):
        name, price = random.choice(goods)
        qty = random.randint(1, 40)
        rows.append([f"2026-11-{1 + i * 3:02d}", f"XS{202611000 + random.randint(0, 999)}", name,
                     str(qty), f"{qty * price:,.2f}"])
    return {"cells": rows, "head": [[f"客户：{customer}", 1, 1, 0], ["单位：元", 0, 5, 0]],
            "foot": [["如有疑问请于收到后七日内联系", 1, 1, 0]]}

first, *others = [statement(c) for c in customers[:4]]
statements = {
    "GridType": 5,
    "properties": {"MainTitle": "客户对账单", "SubTitle": "二〇二六年十一月",
                   "PrintKeyName": "示例-对账单", "Operator": "李娜"},
    "head": first["head"], "foot": first["foot"],
    "grid": {"cells": first["cells"], "fixedRows": 1, "colWidths": [1300, 1500, 1800, 800, 1500],
             "headerAlignment": 4, "colAlignments": [4, 1, 1, 7, 7]},
    "datasets": others,
}
with open("statements.json", "w", encoding="utf-8") as f:
    json.dump(statements, f, ensure_ascii=False, indent=1)

# 5. A spread grid (GridType 8): two header rows with spanned headings, row numbers at the left,
#    number and check columns, a spanned group title over each department and a two-row note
#    that the page break cuts (30 rows a page).
items = ["办公费", "差旅费", "业务招待费", "培训费", "通讯费", "车辆费用", "会议费", "印刷费"]
rows, spans = [], []
for number, dept in zip("一二三四五六", ["财务部", "销售部", "技术部", "行政部", "采购部", "人事部"]):
    rows.append([f"{number}、{dept}"] + [None] * 6)
    spans.append([1, len(rows), 7, 1])
    sums = [0, 0, 0, 0]
    for item in items:
        budget = random.randint(20, 400) * 500
        month = round(budget / 12 * random.uniform(0.3, 1.6), 2)
        spent = round(budget * random.uniform(0.35, 1.05), 2)
        people = random.randint(1, 40)
        sums = [sums[0] + budget, sums[1] + month, sums[2] + spent, sums[3] + people]
        rows.append([item, budget, month, spent, round(spent / budget * 100, 1), people,
                     random.choice([1, 1, 1, 0])])
    if len(rows) == 29:  # a two-row note from the first page's last row onto the next page
        rows.append([f"说明：{dept}本年度预算已按十一月调整方案执行，超支项目须另行审批。"] + [None] * 6)
        rows.append([None] * 7)
        spans.append([1, len(rows) - 1, 7, 2])
    rows.append(["小计", sums[0], round(sums[1], 2), round(sums[2], 2),
                 round(sums[2] / sums[0] * 100, 1), sums[3], None])
spread = {
    "GridType": 8,
    "properties": {"MainTitle": "部门费用预算执行表", "SubTitle": "二〇二六年十一月",
                   "PrintKeyName": "示例-预算执行", "Operator": "赵磊"},
    "format": {"MultFixCol": 1, "FillBlankLine": 1, "LineCount": 30},
    "head": [["单位：元", 1, 5, 0]],
    "foot": [["财务负责人：", 1, 1, 0], ["制表：赵磊", 0, 5, 0]],
    "grid": {
        "headerRows": [["科目", "预算", "实际发生", "实际发生", "执行率(%)", "人数", "已审核"],
                       ["", "年度", "本月", "累计", "", "", ""]],
        "headerSpans": [[1, 0, 1, 2], [3, 0, 2, 1], [5, 0, 1, 2], [6, 0, 1, 2], [7, 0, 1, 2]],
        "corner": "序号",
        "cells": rows, "spans": spans,
        "rowHeaderWidth": 600, "colWidths": [2200, 1500, 1400, 1500, 1100, 700, 900],
        "headerRowHeights": [360, 330], "rowHeights": 320,
        "cellTypes": [1, 13, 13, 13, 13, 13, 10], "decimals": [0, 2, 2, 2, 1, 0, 0],
        "colAlignments": [0, 1, 1, 1, 1, 1, 2],
    },
}
with open("spread.json", "w", encoding="utf-8") as f:
    json.dump(spread, f, ensure_ascii=False, indent=1)
# 6. An accounting voucher (记账凭证): two header rows with merged headings, the entries, a
#    totals row; amount columns of 11 digit cells with unit labels and digit lines. Five entries
#    a page (as the printed voucher forms have) on three pages: the first two print their totals
#    blank, the last the sums and the amount in words; a reversal prints red.
def amount_in_words(amount):
    """The amount in capital figures (大写), as written on a voucher: 78051.60 -> 柒万捌仟零伍拾壹元陆角整."""
    figures, units, groups = "零壹贰叁肆伍陆柒捌玖", "个拾佰仟", ["", "万", "亿"]
    hundredths = round(amount * 100)
    digits, jiao, fen = str(hundredths // 100).lstrip("0"), hundredths // 10 % 10, hundredths % 10
    words, zero = "", False
    for i, d in enumerate(digits):
        place = len(digits) - 1 - i
        if d == "0":
            zero = bool(words)  # one 零 for a run of zeros, written before the next figure
        else:
            words += ("零" if zero else "") + figures[int(d)] + units[place % 4].replace("个", "")
            zero = False
        if place % 4 == 0 and place and digits[max(0, i - 3):i + 1].strip("0"):
            words += groups[place // 4]
    if words:
        words += "元"
    if jiao == 0 and fen == 0:
        return (words or "零元") + "整"
    if jiao:
        words += figures[jiao] + "角"
    elif words:
        words += "零"
    return words + (figures[fen] + "分" if fen else "整")


entries = [("报销办公用品", "管理费用", "办公费", 1280.00), ("报销差旅费", "管理费用", "差旅费", 3456.50),
           ("报销业务招待费", "管理费用", "业务招待费", 2180.00), ("支付电话费", "管理费用", "通讯费", 596.80),
           ("支付水电费", "管理费用", "水电费", 4312.45), ("支付物业管理费", "管理费用", "物业管理费", 6800.00),
           ("支付广告费", "销售费用", "广告费", 28000.00), ("支付展会费", "销售费用", "展览费", 15600.00),
           ("冲销多计的差旅费", "管理费用", "差旅费", -520.00), ("支付银行手续费", "财务费用", "手续费", 86.00),
           ("支付会议费", "管理费用", "会议费", 2350.00), ("支付审计费", "管理费用", "中介机构费", 8500.00),
           ("支付运输费", "销售费用", "运输费", 1735.60),
           ("进项税额", "应交税费", "应交增值税（进项税额）", 3674.25)]
debit = round(sum(e[3] for e in entries), 2)
cells = [["摘要", "会计科目", "会计科目", "借方金额", "贷方金额", "记账"],
         ["摘要", "总账科目", "明细科目", "", "", "记账"]]
cells += [[summary, account, detail, f"{amount:.2f}", "", "√"]
          for summary, account, detail, amount in entries]
cells.append(["以银行存款支付", "银行存款", "工商银行城西支行", "", f"{debit:.2f}", "√"])
cells.append([f"合 计  人民币（大写）{amount_in_words(debit)}", "", "", f"{debit:.2f}", f"{debit:.2f}", ""])
last = len(cells) - 1
voucher = {
    "GridType": 2,
    "properties": {"MainTitle": "记账凭证", "CallMod": "凭证", "PrintKeyName": "示例-记账凭证",
                   "Operator": "陈静", "MinTitleLen": 8, "PaperOrient": 2},
    # The voucher paper's own size, 24 × 14 cm, in the middle of an A4 sheet.
    "format": {"FullPage": 0, "PageWidth": 240, "PageHeight": 140, "HCenter": 1, "VCenter": 1,
               "FillBlankLine": 1, "LineCount": 5},
    "head": [["单位：华东电子有限公司", 1, 1, 0], ["2026年12月07日", 0, 3, 0],
             ["附单据 12 张　记字第 0128 号", 0, 5, 0]],
    "foot": [["会计主管：王芳", 1, 1, 0], ["记账：李娜", 0, 2, 0], ["审核：张伟", 0, 3, 0],
             ["出纳：刘洋", 0, 4, 0], ["制单：陈静", 0, 5, 0]],
    "grid": {
        "cells": cells, "fixedRows": 2, "fixedRowsBottom": 1,
        "colWidths": [2700, 1500, 2300, 1700, 1700, 500], "rowHeights": [400, 400] + [480] * (last - 1),
        "headerAlignment": 0, "colAlignments": [1, 1, 1, 2, 2, 0],
        "merges": [[0, 0, 2, 1], [0, 1, 1, 2], [0, 5, 2, 1], [last, 0, 1, 3]],
        "amountColumns": [{"col": 3, "cells": 11}, {"col": 4, "cells": 11}],
    },
}
with open("voucher.json", "w", encoding="utf-8") as f:
    json.dump(voucher, f, ensure_ascii=False, indent=1)

# 7. An income statement as a spreadsheet grid (GridType 1): every cell in its own format, bold
#    totals, red negatives, mixed borders, merged headings and a hidden column of notes.
revenue = [random.randint(9_000_000_00, 12_000_000_00) / 100 for _ in range(2)]
shares = {"减：营业成本": (0.60, 0.70), "税金及附加": (0.005, 0.012), "销售费用": (0.03, 0.06),
          "管理费用": (0.03, 0.05), "研发费用": (0.02, 0.04), "财务费用": (0.004, 0.01),
          "　其中：利息费用": (0.005, 0.012), "　　　　利息收入": (0.001, 0.003),
          "加：其他收益": (0.001, 0.004), "加：营业外收入": (0.0005, 0.002),
          "减：营业外支出": (0.0005, 0.003), "减：所得税费用": (0, 0)}


def amount(name, year):
    low, high = shares[name]
    return round(revenue[year] * random.uniform(low, high), 2)

lines = [("一、营业收入", "section"), ("减：营业成本", ""), ("税金及附加", ""), ("销售费用", ""),
         ("管理费用", ""), ("研发费用", ""), ("财务费用", ""), ("　其中：利息费用", ""),
         ("　　　　利息收入", ""), ("加：其他收益", ""), ("投资收益（损失以“-”号填列）", "signed"),
         ("公允价值变动收益（损失以“-”号填列）", "signed"), ("信用减值损失（损失以“-”号填列）", "loss"),
         ("资产减值损失（损失以“-”号填列）", "loss"), ("资产处置收益（损失以“-”号填列）", "zero"),
         ("二、营业利润（亏损以“-”号填列）", "total"), ("加：营业外收入", ""), ("减：营业外支出", ""),
         ("三、利润总额（亏损总额以“-”号填列）", "total"), ("减：所得税费用", ""),
         ("四、净利润（净亏损以“-”号填列）", "total")]
subtract = {"减：营业成本", "税金及附加", "销售费用", "管理费用", "研发费用", "财务费用",
            "减：营业外支出", "减：所得税费用"}
ignore = {"　其中：利息费用", "　　　　利息收入"}
cells = [["项目", "行次", "金额", "", "比较", "", "备注"],
         ["", "", "本年累计", "上年同期", "增减额", "增减率", ""]]
running = [0.0, 0.0]
totals, negatives = [], []
for number, (name, kind) in enumerate(lines, start=1):
    row = len(cells) + 1
    if kind == "total":
        values = list(running)
        totals.append(row)
    elif kind == "zero":
        values = [0.0, 0.0]
    elif kind == "loss":
        values = [-random.randint(1_000_00, 40_000_00) / 100 for _ in range(2)]
    elif kind == "signed":
        values = [random.choice([-1, 1]) * random.randint(1_000_00, 90_000_00) / 100
                  for _ in range(2)]
    elif name == "一、营业收入":
        values = list(revenue)
    else:
        values = [amount(name, year) for year in range(2)]
    if name.startswith("减：所得税"):
        values = [round(max(0, t) * 0.25, 2) for t in running]
    if kind != "total" and name not in ignore:
        for i in range(2):
            running[i] += -values[i] if name in subtract else values[i]
    change = values[0] - values[1]
    rate = change / values[1] if values[1] else 0
    texts = [f"{values[0]:.2f}", f"{values[1]:.2f}", f"{change:.2f}", f"{rate:.4f}"]
    texts = ["0" if kind == "zero" else t for t in texts]
    cells.append([name, str(number)] + texts + ["内部：核对总账" if kind == "total" else ""])
    for col, value in zip("CDEF", [values[0], values[1], change, rate]):
        if value < 0:
            negatives.append(f"{col}{row}")
last = len(cells)
formats = [[f"A1:F{last}", {"border": 1, "valign": 2}],
           ["1:2", {"bold": True, "align": 3, "font": "黑体", "size": 10.5}],
           ["A2:F2", {"borderBottom": 2}],
           [f"A3:F{last}", {"borderBottom": 4}],
           [f"B3:B{last}", {"align": 3}],
           [f"C3:E{last}", "金额"], [f"F3:F{last}", "比率"]]
# A total's row is set off by a solid line above it (the row above draws it) and a thick one below.
formats += [[f"A{r - 1}:F{r - 1}", {"borderBottom": 1}] for r in totals]
formats += [[f"{r}:{r}", "合计"] for r in totals]
formats += [[cell, "负数"] for cell in negatives]
income = {
    "GridType": 1,
    "properties": {"MainTitle": "利润表", "SubTitle": "二〇二六年十一月", "MinTitleLen": 6,
                   "PrintKeyName": "示例-利润表", "Operator": "陈静"},
    "head": [["编制单位：华东电子有限公司", 1, 1, 0], ["会企02表", 0, 3, 0], ["单位：元", 0, 5, 0]],
    "foot": [["单位负责人：", 1, 1, 0], ["会计机构负责人：", 0, 3, 0], ["制表：陈静", 0, 5, 0]],
    "grid": {"cells": cells, "fixedRows": 2, "colWidths": [4300, 650, 1750, 1750, 1650, 1050, 2000],
             "rowHeights": [380, 380] + [360] * (last - 2), "hiddenCols": ["G"],
             "showZeroValues": False,
             "styles": {"金额": {"numberFormat": "#,##0.00;-#,##0.00", "align": 4},
                        "比率": {"numberFormat": "0.0%", "align": 4},
                        "合计": {"bold": True, "borderBottom": 5},
                        "负数": {"color": "#C00000"}},
             "formats": formats,
             "merges": ["A1:A2", "B1:B2", "C1:D1", "E1:F1"]},
}
with open("income.json", "w", encoding="utf-8") as f:
    json.dump(income, f, ensure_ascii=False, indent=1)
