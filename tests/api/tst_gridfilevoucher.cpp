#include "support/testplatform.h"
#include "testmain.h"

#include "printer/virtualprintingsystem.h"

#include <quillon/gridfile.h>
#include <quillon/myprint.h>
#include <quillon/reportexport.h>
#include <quillon/vouchergrid.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace quillon;

namespace {

std::unique_ptr<GridFile> readJson(const QByteArray &json, QString *error)
{
    return GridFile::fromData(json, u"json"_qs, u"v.json"_qs, error);
}

VoucherGrid *voucherOf(const GridFile &file)
{
    return qobject_cast<VoucherGrid *>(file.grid());
}

/// The pages of a PDF as text.
QStringList pdfPages(const QString &pdf)
{
    QProcess p;
    p.start(u"pdftotext"_qs, { u"-layout"_qs, pdf, u"-"_qs });
    p.waitForFinished(60000);
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QChar(u'\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

const QByteArray kVoucher = R"({
  "GridType": 2,
  "properties": {"MainTitle": "记账凭证", "CallMod": "凭证"},
  "grid": {
    "cells": [["摘要", "会计科目", "借方金额", "贷方金额", "备注"],
              ["摘要", "会计科目", "", "", "备注"],
              ["报销差旅费", "管理费用", 3456.5, null, "x"],
              ["以银行存款支付", "银行存款", "", "3456.50"],
              ["合 计", "", "3456.50", "3456.50"]],
    "fixedRows": 2, "fixedRowsBottom": 1, "fixedCols": 1,
    "colWidths": [3000, 2600, 1500, 1500], "rowHeights": [400, 350, 480],
    "hiddenCols": [4], "colAlignments": [1, 1, 2, 2, 0], "headerAlignment": 0,
    "cellAlignments": [[2, 0, 2], [3, 1, 0, 1]],
    "merges": [[0, 0, 2, 1], [0, 1, 2, 1], [4, 0, 1, 2]],
    "cellFlags": [[3, 0, 128]],
    "amountColumns": [{"col": 2, "cells": 11},
                      {"col": 3, "cells": 12, "firstRow": 0, "lastRow": 3,
                       "lineColor": 16711680, "dotLineColor": 65280}]
  }
})";

} // namespace

class TestGridFileVoucher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestPlatform::install(); }
    void cleanup() { TestPlatform::uninstall(); }

    void readsTheVoucher();
    void mergesSetFlagBytes();
    void defaults();
    void badVouchers_data();
    void badVouchers();
    void dataSetsKeepTheForm();
    void printsWithTotalsOnTheLastPage();
};

void TestGridFileVoucher::readsTheVoucher()
{
    QString error;
    const auto file = readJson(kVoucher, &error);
    QVERIFY2(file, qPrintable(error));
    QCOMPARE(file->gridType(), 2);
    VoucherGrid *grid = voucherOf(*file);
    QVERIFY(grid);
    QCOMPARE(grid->Rows(), 5);
    QCOMPARE(grid->Cols(), 5);
    QCOMPARE(grid->FixedRowsT(), 2);
    QCOMPARE(grid->fixedrowsB(), 1);
    QCOMPARE(grid->FixedColsL(), 1);
    QCOMPARE(grid->Text(2, 2), u"3456.5"_qs);
    QCOMPARE(grid->Text(2, 3), QString());
    QCOMPARE(grid->ColWidth(1), 2600);
    QVERIFY(grid->ColWidth(4) > 0); // sized to its content, though hidden
    QVERIFY(grid->ColHide(4));
    QVERIFY(!grid->ColHide(3));
    QCOMPARE(grid->RowHeight(1), 350);
    QCOMPARE(grid->RowHeight(3), VoucherGrid::DefaultRowHeight);
    // Alignments: the header's, the columns' in the body and bottom rows, single cells last.
    QCOMPARE(grid->HorAlign(0, 2), 0);
    QCOMPARE(grid->HorAlign(3, 2), 2);
    QCOMPARE(grid->HorAlign(4, 3), 2);
    QCOMPARE(grid->HorAlign(2, 0), 2);
    QCOMPARE(grid->HorAlign(3, 1), 0);
    QCOMPARE(grid->VerAlign(3, 1), 1);
    QCOMPARE(grid->VerAlign(2, 0), 0);
    // Flags: the merges', then the single cell's.
    QCOMPARE(grid->Cell(0, 0), quint8(0x80 | 0x04 | 0x08 | 0x02));
    QCOMPARE(grid->Cell(1, 0), quint8(0x80 | 0x08 | 0x01 | 0x02));
    QCOMPARE(grid->Cell(4, 0), quint8(0x80 | 0x04 | 0x08 | 0x01));
    QCOMPARE(grid->Cell(4, 1), quint8(0x80 | 0x04 | 0x01 | 0x02));
    QCOMPARE(grid->Cell(3, 0), quint8(128));
    QCOMPARE(grid->Cell(2, 2), quint8(0));
    // Amount columns, with their defaults: the last header row, the last row, the colours.
    const auto debit = grid->GetJeLineInf(2);
    QVERIFY(debit);
    QCOMPARE((QList<int> { debit->cellCount, debit->firstRow, debit->lastRow, debit->lineColor,
                 debit->dotLineColor }),
        (QList<int> { 11, 1, 4, 32768, 255 }));
    const auto credit = grid->GetJeLineInf(3);
    QVERIFY(credit);
    QCOMPARE((QList<int> { credit->cellCount, credit->firstRow, credit->lastRow, credit->lineColor,
                 credit->dotLineColor }),
        (QList<int> { 12, 0, 3, 0xFF0000, 0x00FF00 }));
    QCOMPARE(grid->getjecellcols(3), 12);
    QVERIFY(!grid->GetJeLineInf(1));

    MyPrint print;
    QVERIFY2(file->applyTo(print, &error), qPrintable(error));
    QCOMPARE(print.GridType(), MyPrint::MnuGridType::ssTesselGrid);
    QCOMPARE(print.CallMod(), u"凭证"_qs);
}

void TestGridFileVoucher::mergesSetFlagBytes()
{
    QString error;
    const auto file
        = readJson(R"({"GridType": 2, "grid": {"cells": [["a", "b", "c"], ["1", "2", "3"],
        ["4", "5", "6"]], "merges": [[1, 0, 2, 3]], "cellFlags": [[0, 2, 255]]}})",
            &error);
    QVERIFY2(file, qPrintable(error));
    VoucherGrid *grid = voucherOf(*file);
    // Top row: starts vertical runs, the first also the horizontal one; bottom row: bottom
    // borders; right column: right borders; nothing inside.
    const QList<QList<int>> expected { { 0x8C, 0x84, 0x86 }, { 0x89, 0x81, 0x83 } };
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 3; ++c)
            QCOMPARE(int(grid->Cell(1 + r, c)), expected[r][c]);
    }
    QCOMPARE(int(grid->Cell(0, 0)), 0);
    QCOMPARE(int(grid->Cell(0, 2)), 255);
}

void TestGridFileVoucher::defaults()
{
    QString error;
    const auto file = readJson(R"({"GridType": 2, "grid": {"cells": [["摘要", "金额"], ["a", "1"]],
        "amountColumns": [{"col": 1, "cells": 10}]}})",
        &error);
    QVERIFY2(file, qPrintable(error));
    VoucherGrid *grid = voucherOf(*file);
    QCOMPARE(grid->FixedRowsT(), 1);
    QCOMPARE(grid->fixedrowsB(), 0);
    QCOMPARE(grid->FixedColsL(), 0);
    QCOMPARE(grid->HorAlign(1, 0), 1); // left
    QCOMPARE(grid->Cell(1, 1), quint8(0));
    QCOMPARE(grid->RowHeight(0), VoucherGrid::DefaultRowHeight);
    QCOMPARE(grid->GetJeLineInf(1)->firstRow, 0);
    QCOMPARE(grid->GetJeLineInf(1)->lastRow, 1);

    // No header rows: the labels go in row 0.
    const auto bare = readJson(R"({"GridType": 2, "grid": {"cells": [["1"]], "fixedRows": 0,
        "amountColumns": [{"col": 0, "cells": 3}]}})",
        &error);
    QVERIFY2(bare, qPrintable(error));
    QCOMPARE(voucherOf(*bare)->GetJeLineInf(0)->firstRow, 0);
}

void TestGridFileVoucher::badVouchers_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    const auto bad = [](const char *tag, const QByteArray &grid, const QString &message) {
        QTest::newRow(tag) << (QByteArray(R"({"GridType": 2, "grid": {"cells": [["a", "b", "c"],
            ["1", "2", "3"], ["4", "5", "6"], ["7", "8", "9"]])")
            + grid + "}}") << message;
    };
    bad("flex key", R"(, "mergeCells": 1)", u"“grid.mergeCells”不是可用的键"_qs);
    bad("too many bottom rows", R"(, "fixedRows": 2, "fixedRowsBottom": 3)",
        u"“grid.fixedRowsBottom”为 3，超出范围：应为 0 到 2 之间的整数（网格有 4 行，表头占 2 行）"_qs);
    bad("alignment 3", R"(, "colAlignments": 3)", u"“grid.colAlignments”为 3"_qs);
    bad("vertical alignment 3", R"(, "cellAlignments": [[0, 0, 1, 3]])",
        u"“grid.cellAlignments[0][3]”为 3"_qs);
    bad("alignment tuple", R"(, "cellAlignments": [[0, 0]])",
        u"“grid.cellAlignments[0]”应为 [行, 列, 水平对齐, 垂直对齐]"_qs);
    bad("merge outside", R"(, "merges": [[2, 1, 3, 1]])",
        u"“grid.merges[0][2]”为 3，超出范围：应为 1 到 2 之间的整数"_qs);
    bad("merge row outside", R"(, "merges": [[4, 0, 1, 1]])",
        u"“grid.merges[0][0]”为 4，超出范围：应为 0 到 3 之间的整数（网格有 4 行，从 0 数起）"_qs);
    bad("merge of no columns", R"(, "merges": [[1, 0, 1, 0]])", u"“grid.merges[0][3]”为 0"_qs);
    bad("merges overlap", R"(, "merges": [[1, 0, 2, 2], [2, 1, 1, 2]])",
        u"“grid.merges[1]”与前面的合并区域重叠（第 2 行第 1 列）"_qs);
    bad("merge across header and body", R"(, "merges": [[0, 0, 2, 1]])",
        u"“grid.merges[0]”的第 0 到 1 行跨越了表头、表身和合计行的分界"_qs);
    bad("merge across body and totals", R"(, "fixedRowsBottom": 1, "merges": [[2, 0, 2, 1]])",
        u"跨越了表头、表身和合计行的分界"_qs);
    bad("flag byte 256", R"(, "cellFlags": [[0, 0, 256]])",
        u"“grid.cellFlags[0][2]”为 256，超出范围：应为 0 到 255 之间的整数"_qs);
    bad("flags not a list", R"(, "cellFlags": {"0": 1})",
        u"“grid.cellFlags”应为由 [行, 列, 标志字节] 组成的数组"_qs);
    bad("amount column outside", R"(, "amountColumns": [{"col": 3, "cells": 11}])",
        u"“grid.amountColumns[0].col”为 3，超出范围：应为 0 到 2 之间的整数"_qs);
    bad("amount column twice",
        R"(, "amountColumns": [{"col": 1, "cells": 11}, {"col": 1, "cells": 12}])",
        u"“grid.amountColumns[1].col”为 1：这一列前面已是金额列"_qs);
    bad("no digit cells", R"(, "amountColumns": [{"col": 1, "cells": 0}])",
        u"“grid.amountColumns[0].cells”为 0，超出范围：应为 1 到 43 之间的整数"_qs);
    bad("44 digit cells", R"(, "amountColumns": [{"col": 1, "cells": 44}])",
        u"应为 1 到 43 之间的整数"_qs);
    bad("digit cells missing", R"(, "amountColumns": [{"col": 1}])",
        u"“grid.amountColumns[0].cells”缺少：应为整数"_qs);
    bad("lines end above their labels",
        R"(, "amountColumns": [{"col": 1, "cells": 5, "firstRow": 2, "lastRow": 1}])",
        u"“grid.amountColumns[0].lastRow”为 1，超出范围：应为 2 到 3 之间的整数"_qs);
    bad("amount key", R"(, "amountColumns": [{"col": 1, "cells": 5, "width": 3}])",
        u"“grid.amountColumns[0].width”不是可用的键"_qs);
    bad("colour", R"(, "amountColumns": [{"col": 1, "cells": 5, "dotLineColor": -1}])",
        u"“grid.amountColumns[0].dotLineColor”为 -1，超出范围：应为 0 到 16777215 之间的整数"_qs);
    bad("every column hidden", R"(, "hiddenCols": true)",
        u"“grid.hiddenCols”中每一列的宽度都是 0"_qs);
    bad("fixed columns too wide", R"(, "fixedCols": 2, "colWidths": 8000)",
        u"“grid.fixedCols”的 2 列共宽 16000 缇"_qs);
    QTest::newRow("data set of other rows")
        << QByteArray(R"({"GridType": 2, "grid": {"cells": [["a"], ["1"]]},
                         "datasets": [{"cells": [["a"], ["1"], ["2"]]}]})")
        << u"“datasets[0].cells”有 3 行：凭证的每组数据都与网格一样有 2 行"_qs;
}

void TestGridFileVoucher::badVouchers()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QString error;
    QVERIFY(!readJson(content, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(error.startsWith(u"网格文件“v.json”："_qs));
}

void TestGridFileVoucher::dataSetsKeepTheForm()
{
    QString error;
    const auto file = readJson(R"({"GridType": 2, "head": [["记字第 1 号"]],
        "grid": {"cells": [["摘要", "金额"], ["a", "1"], ["合 计", "1"]], "fixedRowsBottom": 1,
                 "merges": [[2, 0, 1, 1]], "amountColumns": [{"col": 1, "cells": 8}]},
        "datasets": [{"cells": [["摘要", "金额"], ["b", "2"], ["合 计"]], "head": [["记字第 2 号"]]}]})",
        &error);
    QVERIFY2(file, qPrintable(error));
    MyPrint print;
    QVERIFY2(file->applyTo(print, &error), qPrintable(error));
    engineState().HeadLines.reset();
    QVERIFY2(file->applyDataSet(0, print, &error), qPrintable(error));
    VoucherGrid *grid = voucherOf(*file);
    QCOMPARE(grid->Text(1, 0), u"b"_qs);
    QCOMPARE(grid->Text(1, 1), u"2"_qs);
    QCOMPARE(grid->Text(2, 1), QString()); // left out: empty
    QCOMPARE(grid->Cell(2, 0), quint8(0x8F)); // the form stays
    QVERIFY(grid->GetJeLineInf(1));
    const LineTable &heads = engineState().HeadLines;
    QCOMPARE(heads.cell(heads.lastRow(), LineTable::Text), u"记字第 2 号"_qs);
}

void TestGridFileVoucher::printsWithTotalsOnTheLastPage()
{
    if (QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty())
        QSKIP("poppler-utils are not installed: the PDF cannot be checked");
    QTemporaryDir out;
    TestPlatform::install(VirtualPrintingSystem::withPdfPrinter(out.path()));
    // Four entries at two body rows a page.
    QString error;
    const auto file = readJson(R"({"GridType": 2,
        "properties": {"MainTitle": "记账凭证", "CallMod": "凭证", "LineCount": 2},
        "head": [["记字第 0007 号", 1, 5]],
        "grid": {"cells": [["摘要", "借方金额", "贷方金额"], ["摘要", "", ""],
                           ["付房租", "12000", ""], ["付水费", "345.67", ""],
                           ["付电费", "-45.67", ""], ["银行存款", "", "12300"],
                           ["合 计 壹万贰仟叁佰元整", "12300", "12300"]],
                 "fixedRows": 2, "fixedRowsBottom": 1, "colWidths": [3000, 1500, 1500],
                 "merges": [[0, 0, 2, 1]],
                 "amountColumns": [{"col": 1, "cells": 9}, {"col": 2, "cells": 9}]}})",
        &error);
    QVERIFY2(file, qPrintable(error));
    MyPrint print;
    QVERIFY2(file->applyTo(print, &error), qPrintable(error));
    ReportExport report(print);
    const QString pdf = out.filePath(u"voucher.pdf"_qs);
    QVERIFY2(report.toPdf(pdf), qPrintable(report.errorString()));
    QCOMPARE(report.sheetCount(), 2);
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 2);
    QVERIFY2(pages[0].contains(u"记字第 0007 号(1/2)"_qs), qPrintable(pages[0]));
    QVERIFY(pages[0].contains(u"1200000"_qs) && pages[0].contains(u"34567"_qs));
    QVERIFY(pages[0].contains(u"合 计"_qs) && !pages[0].contains(u"壹万"_qs));
    QVERIFY(!pages[0].contains(u"1230000"_qs));
    QVERIFY(pages[1].contains(u"4567"_qs)); // -45.67, red, without its sign
    QVERIFY(!pages[1].contains(u"-4567"_qs));
    QVERIFY(pages[1].contains(u"合 计 壹万贰仟叁佰元整"_qs));
    QCOMPARE(pages[1].count(u"1230000"_qs), 3);
    for (const QString &page : pages)
        QCOMPARE(page.count(u"亿仟佰拾万仟佰拾元角分"_qs.right(9)), 2);
}

QUILLON_TEST_MAIN(TestGridFileVoucher)
#include "tst_gridfilevoucher.moc"
