#include "support/testplatform.h"
#include "testmain.h"

#include "engine/grids/memory/celltable_p.h"
#include "printer/virtualprintingsystem.h"

#include <quillon/datagrid.h>
#include <quillon/flexgrid.h>
#include <quillon/gridfile.h>
#include <quillon/myprint.h>
#include <quillon/reportexport.h>
#include <quillon/sheetgrid.h>
#include <quillon/spreadgrid.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace quillon;

class TestGridFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestPlatform::install(); }
    void cleanup() { TestPlatform::uninstall(); }

    void csvWithQuotesAndLineBreaks();
    void csvColumnsSizedToContent();
    void jsonFlexGrid();
    void jsonDataGrid();
    void jsonSheetGrid();
    void jsonHierarchicalWidths();
    void dataGridColumnAlignments();
    void jsonSpreadGrid();
    void badFiles_data();
    void badFiles();
    void goodEdges_data();
    void goodEdges();
    void headingOnlyPrintsItsHeading_data();
    void headingOnlyPrintsItsHeading();
    void propertiesByName_data();
    void propertiesByName();
    void dataSetsRefillTheGrid_data();
    void dataSetsRefillTheGrid();
    void largeGridsReadAsDocumentsWould_data();
    void largeGridsReadAsDocumentsWould();

private:
    QString write(const QString &name, const QByteArray &content);
    QTemporaryDir m_dir;
};

QString TestGridFile::write(const QString &name, const QByteArray &content)
{
    const QString path = m_dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return path;
}

void TestGridFile::csvWithQuotesAndLineBreaks()
{
    const QString path = write(u"q.csv"_qs,
        "\xEF\xBB\xBF"
        "名称,金额,备注\r\n"
        "\"华东, 上海\",\"1,280.00\",\"两行\n说明\"\r\n"
        "\r\n"
        "\"说\"\"引号\"\"\",5,\n");
    QString error;
    const auto file = GridFile::load(path, &error);
    QVERIFY2(file, qPrintable(error));
    QCOMPARE(file->gridType(), 5);
    auto *grid = qobject_cast<FlexGrid *>(file->grid());
    QVERIFY(grid);
    QCOMPARE(grid->Rows(), 3); // the blank line carries no row
    QCOMPARE(grid->Cols(), 3);
    QCOMPARE(grid->FixedRows(), 1);
    QCOMPARE(grid->TextMatrix(0, 0), u"名称"_qs);
    QCOMPARE(grid->TextMatrix(1, 0), u"华东, 上海"_qs);
    QCOMPARE(grid->TextMatrix(1, 1), u"1,280.00"_qs);
    QCOMPARE(grid->TextMatrix(1, 2), u"两行\n说明"_qs);
    QCOMPARE(grid->TextMatrix(2, 0), u"说\"引号\""_qs);
    QCOMPARE(grid->TextMatrix(2, 2), QString());
}

void TestGridFile::csvColumnsSizedToContent()
{
    const QString path = write(u"w.csv"_qs, "a,b\nx,一二三四五六七八九十\n");
    QString error;
    const auto file = GridFile::load(path, &error);
    auto *grid = qobject_cast<FlexGrid *>(file->grid());
    QCOMPARE(grid->ColWidth(0), 600); // the least width
    QCOMPARE(grid->ColWidth(1), 10 * 220 + 240); // ten wide characters and the padding
    grid->setRow(0);
    grid->setCol(1);
    QCOMPARE(grid->CellAlignment(), 4); // headings centred
}

void TestGridFile::jsonFlexGrid()
{
    const QString path = write(u"f.json"_qs, R"({
        "GridType": 5,
        "properties": {"MainTitle": "月报", "TopMargin": 15, "FillBlankLines": true,
                       "BorderStyle": "ssdoublebox"},
        "format": {"HoriCutPage": 1},
        "head": [["单位:元", 1, 5, 255], ["只有文字"]],
        "foot": [["制表", 1, 1, 0]],
        "grid": {"cells": [["甲", "乙"], ["1", 2.5], [null, "x"]], "fixedRows": 1, "fixedCols": 1,
                 "colWidths": [1000, 2000], "rowHeights": 350, "colAlignments": 7,
                 "cellAlignments": [[2, 1, 1]], "headerAlignment": 4,
                 "mergeCells": 1, "mergeRows": true, "mergeCols": [1]}
    })");
    QString error;
    const auto file = GridFile::load(path, &error);
    QVERIFY2(file, qPrintable(error));
    auto *grid = qobject_cast<FlexGrid *>(file->grid());
    QCOMPARE(grid->TextMatrix(1, 1), u"2.5"_qs);
    QCOMPARE(grid->TextMatrix(2, 0), QString());
    QCOMPARE(grid->FixedCols(), 1);
    QCOMPARE(grid->ColWidth(1), 2000);
    QCOMPARE(grid->RowHeight(2), 350);
    QCOMPARE(grid->ColAlignment(0), 7);
    QVERIFY(grid->MergeRow(2));
    QVERIFY(grid->MergeCol(1));
    QVERIFY(!grid->MergeCol(0));
    grid->setRow(2);
    grid->setCol(1);
    QCOMPARE(grid->CellAlignment(), 1);
    QCOMPARE(file->format().value(u"HoriCutPage"_qs).toInt(), 1);

    MyPrint print;
    QVERIFY2(file->applyTo(print, &error), qPrintable(error));
    QCOMPARE(print.MainTitle(), u"月报"_qs);
    QCOMPARE(print.TopMargin(), 15);
    QVERIFY(print.FillBlankLines());
    QCOMPARE(print.BorderStyle(), MyPrint::enuBdSy::ssdoublebox);
    QCOMPARE(print.Datagrid(), file->grid());
    QCOMPARE(engineState().HeadLines.lastRow(), 2);
    QCOMPARE(engineState().HeadLines.row(1),
        (LineTable::Row { u"单位:元"_qs, u"1"_qs, u"5"_qs, u"255"_qs }));
    QCOMPARE(engineState().HeadLines.row(2),
        (LineTable::Row { u"只有文字"_qs, u"1"_qs, u"1"_qs, u"0"_qs }));
    QCOMPARE(engineState().FootLines.lastRow(), 1);
}

void TestGridFile::jsonSheetGrid()
{
    const QString path = write(u"s.json"_qs, R"({
        "GridType": 1,
        "properties": {"MainTitle": "损益表"},
        "grid": {
            "cells": [["项目", "本月", "备注", "累计"], ["收入", 1200.5, "x", "0"],
                      ["成本", "-300", null, "0.0"], ["合计", "900.5", null, null]],
            "fixedRows": 1, "colWidths": [2000, 1500], "rowHeights": [400, 300],
            "hiddenCols": ["C"], "showZeroValues": false,
            "styles": {"标题": {"bold": true, "align": 3, "border": 1},
                       "红字": {"color": "#FF0000"}},
            "formats": [["A1:D1", "标题"], ["B:B", {"numberFormat": "#,##0.00", "align": 4}],
                        ["B3", "红字"], ["4:4", {"bold": true, "borderTop": 1, "borderBottom": 5,
                                                  "font": "黑体", "size": 12, "valign": 2}],
                        ["D2", {"color": 255}]],
            "merges": ["C3:D4"]
        }
    })");
    QString error;
    const auto file = GridFile::load(path, &error);
    QVERIFY2(file, qPrintable(error));
    QCOMPARE(file->gridType(), 1);
    auto *grid = qobject_cast<SheetGrid *>(file->grid());
    QVERIFY(grid);
    QCOMPARE(grid->MaxRow(), 4);
    QCOMPARE(grid->MaxCol(), 4);
    QCOMPARE(grid->FixedRows(), 1);
    QCOMPARE(grid->TextRC(2, 2), u"1200.5"_qs);
    QCOMPARE(grid->TextRC(3, 3), QString());
    QCOMPARE(grid->ColWidth(2), 1500);
    QCOMPARE(grid->ColWidth(4), 2 * 220 + 240); // sized to 累计
    QCOMPARE(grid->RowHeight(2), 300);
    QCOMPARE(grid->RowHeight(3), SheetGrid::DefaultRowHeight);
    QVERIFY(grid->ColHidden(3));
    QVERIFY(!grid->ColHidden(2));
    QVERIFY(!grid->ShowZeroValues());

    // Each entry lays its keys over what the cells had.
    SheetCellFormat heading;
    heading.FontBold = true;
    heading.HorizontalAlignment = 3;
    heading.BorderStyle = { 1, 1, 1, 1 };
    QCOMPARE(grid->cellFormat(1, 1), heading);
    heading.NumberFormat = u"#,##0.00"_qs;
    heading.HorizontalAlignment = 4;
    QCOMPARE(grid->cellFormat(1, 2), heading);
    QCOMPARE(grid->cellFormat(3, 2).FontColor, 255); // "#FF0000": red in the low byte
    QCOMPARE(grid->cellFormat(3, 2).NumberFormat, u"#,##0.00"_qs);
    QCOMPARE(grid->cellFormat(2, 4).FontColor, 255);
    const SheetCellFormat total = grid->cellFormat(4, 1);
    QCOMPARE(total.FontName, u"黑体"_qs);
    QCOMPARE(total.FontSize, 12.0);
    QVERIFY(total.FontBold);
    QCOMPARE(total.VerticalAlignment, 2);
    QCOMPARE(total.BorderStyle, (std::array<qint16, 4> { 1, 0, 5, 0 }));
    QCOMPARE(grid->cellFormat(2, 1), SheetCellFormat {});

    grid->setSelection(u"D4"_qs);
    QVERIFY(grid->GetCellFormat().MergeCells);
    QCOMPARE((QList<int> {
                 grid->SelStartRow(), grid->SelStartCol(), grid->SelEndRow(), grid->SelEndCol() }),
        (QList<int> { 3, 3, 4, 4 }));

    // It prints as a spreadsheet grid.
    QTemporaryDir out;
    TestPlatform::install(VirtualPrintingSystem::withPdfPrinter(out.path()));
    MyPrint print;
    QVERIFY2(file->applyTo(print, &error), qPrintable(error));
    QCOMPARE(print.GridType(), MyPrint::MnuGridType::ssFormOne6);
    ReportExport report(print);
    QVERIFY2(report.toPdf(out.filePath(u"s.pdf"_qs)), qPrintable(report.errorString()));
    QCOMPARE(report.sheetCount(), 1);
}

void TestGridFile::jsonDataGrid()
{
    const QString path = write(u"d.json"_qs, R"({
        "GridType": 4,
        "grid": {"columns": [{"caption": "科目", "width": 2400}, {"caption": "余额"}],
                 "cells": [["现金", "1,000.00"], ["银行存款", "25,000.00"]],
                 "rowHeight": 320, "headLines": 2}
    })");
    QString error;
    const auto file = GridFile::load(path, &error);
    QVERIFY2(file, qPrintable(error));
    auto *grid = qobject_cast<DataGrid *>(file->grid());
    QVERIFY(grid);
    QCOMPARE(grid->ColumnsCount(), 2);
    QCOMPARE(grid->Columns(0).Width, 2400);
    QVERIFY(grid->Columns(1).Width >= 600);
    QCOMPARE(grid->RowHeight(), 320);
    QCOMPARE(grid->HeadLines(), 2.0);
    MyPrint print;
    QVERIFY(file->applyTo(print, &error));
    QCOMPARE(print.gridrows(), 2); // all the rows the file holds
    QCOMPARE(int(print.GridType()), 4);
}

void TestGridFile::jsonHierarchicalWidths()
{
    const QString path = write(u"h.json"_qs, R"({"GridType": 6,
        "grid": {"cells": [["a", "b"]], "colWidths": [-1, 900]}})");
    QString error;
    const auto file = GridFile::load(path, &error);
    QVERIFY2(file, qPrintable(error));
    auto *grid = qobject_cast<FlexGrid *>(file->grid());
    QCOMPARE(grid->flavor(), FlexGrid::Flavor::Hierarchical);
    QCOMPARE(grid->ColWidth(0), -1);
}

void TestGridFile::dataGridColumnAlignments()
{
    const QString path = write(u"a.json"_qs, R"({"GridType": 3, "grid": {
        "columns": [{"caption": "科目"}, {"caption": "金额", "width": 1600, "align": 2},
                    {"caption": "比例", "align": 3}],
        "cells": [["现金", "1,000.00", "76.4%"]]}})");
    QString error;
    const auto file = GridFile::load(path, &error);
    QVERIFY2(file, qPrintable(error));
    auto *grid = qobject_cast<DataGrid *>(file->grid());
    QCOMPARE(grid->Columns(0).Alignment, -1); // none given: the library's left
    QCOMPARE(grid->Columns(1).Alignment, 2);
    QCOMPARE(grid->Columns(2).Alignment, 3);
    QCOMPARE(grid->Columns(1).Width, 1600);
}

void TestGridFile::jsonSpreadGrid()
{
    const QString path = write(u"s.json"_qs, R"({"GridType": 8, "grid": {
        "headerRows": [["部门", "金额", "金额", "已审核"], ["", "申请", "核准"]],
        "headerSpans": [[2, 0, 2, 1], [1, 0, 1, 2]], "corner": "序号",
        "cells": [["财务部", 1234.5, 1200, 1], ["备注", null, null, null]],
        "spans": [[1, 2, 4, 1]], "colWidths": [1800, 1500], "rowHeaderWidth": 700,
        "headerRowHeights": [360, 330], "rowHeights": 320, "cellTypes": [1, 13, 13, 10],
        "decimals": [0, 2, 0], "colAlignments": 1, "headerAlignment": 0}})");
    QString error;
    const auto file = GridFile::load(path, &error);
    QVERIFY2(file, qPrintable(error));
    auto *grid = qobject_cast<SpreadGrid *>(file->grid());
    QVERIFY(grid);
    QCOMPARE((QList<qint32> { grid->MaxRows(), grid->MaxCols(), grid->ColHeaderRows() }),
        (QList<qint32> { 2, 4, 2 }));
    grid->setUnitType(2);
    QCOMPARE((QList<double> { grid->ColWidth(0), grid->ColWidth(1), grid->ColWidth(2) }),
        (QList<double> { 700, 1800, 1500 }));
    QVERIFY(grid->ColWidth(4) > 0); // sized to its content
    QCOMPARE((QList<double> { grid->RowHeight(0), grid->RowHeight(-999), grid->RowHeight(2) }),
        (QList<double> { 360, 330, 320 }));
    QCOMPARE(grid->cellText(0, 0), u"序号"_qs);
    const AbstractSpreadGrid::CellSpan corner { 0, 0, 1, 2 }; // over both header rows
    QCOMPARE(grid->GetCellSpan(0, -999), corner);
    QCOMPARE(grid->cellText(3, -999), u"核准"_qs);
    QCOMPARE(grid->cellText(4, -999), QString()); // a short header row leaves no letters
    QCOMPARE(grid->cellText(2, 1), u"1234.5"_qs);
    const AbstractSpreadGrid::CellSpan heading { 1, 0, 1, 2 };
    QCOMPARE(grid->GetCellSpan(1, -999), heading);
    const AbstractSpreadGrid::CellSpan note { 1, 2, 4, 1 };
    QCOMPARE(grid->GetCellSpan(4, 2), note);
    QVERIFY(!grid->GetCellSpan(2, 1));
    // Types, decimals and alignments by column; header cells align as headerAlignment says.
    const auto cell = [&](qint32 col, qint32 row) {
        grid->setCol(col);
        grid->setRow(row);
        return QList<qint16> { grid->CellType(), grid->TypeNumberDecPlaces(), grid->TypeHAlign() };
    };
    QCOMPARE(cell(2, 1), (QList<qint16> { 13, 2, 1 }));
    QCOMPARE(cell(3, 2), (QList<qint16> { 13, 0, 1 }));
    QCOMPARE(cell(4, 1), (QList<qint16> { 10, SpreadGrid::DefaultDecimalPlaces, 1 }));
    QCOMPARE(cell(2, 0)[2], 0);
}

// Every row is a grid file that must be refused, with a message that names the place; the
// test that runs them shows that none of them throws.
void TestGridFile::badFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    const auto json = [](const char *tag, const char *content, const QString &message) {
        QTest::newRow(tag) << u"bad.json"_qs << QByteArray(content) << message;
    };
    // A grid file that starts so, with more keys in its grid.
    const auto withKeys = [](const char *start) {
        return [start](const char *tag, const char *keys, const QString &message) {
            QTest::newRow(tag) << u"bad.json"_qs << (QByteArray(start) + keys + "}}") << message;
        };
    };
    // A one-cell flex grid with one more key.
    const auto cell = withKeys(R"({"GridType": 5, "grid": {"cells": [["a"]], )");
    // A data grid of two columns and two rows with more keys.
    const auto data = [](const char *tag, const char *grid, const char *rest,
                          const QString &message) {
        QTest::newRow(tag)
            << u"bad.json"_qs
            << (QByteArray(R"({"GridType": 4, )") + rest
                   + R"("grid": {"columns": [{"caption": "a"}, {"caption": "b"}], "cells": [["1", "2"], ["3", "4"]])"
                   + grid + "}}")
            << message;
    };

    QTest::newRow("unknown suffix") << u"x.txt"_qs << QByteArray("a") << u".csv 或 .json"_qs;
    QTest::newRow("empty csv") << u"e.csv"_qs << QByteArray("") << u"没有任何数据"_qs;
    QTest::newRow("csv of blank lines")
        << u"e2.csv"_qs << QByteArray("\n\r\n\n") << u"没有任何数据"_qs;
    QTest::newRow("open quote") << u"o.csv"_qs << QByteArray("a\n\"b,c\nd\n") << u"引号没有结束"_qs;
    QTest::newRow("not utf-8") << u"g.csv"_qs << QByteArray("\xc4\xe3\xba\xc3,a\n") << u"UTF-8"_qs;
    QTest::newRow("missing file") << u"/nonexistent/none.csv"_qs << QByteArray() << u"无法读取"_qs;

    // The document and its keys.
    json("broken json", "{\n\"GridType\": 5,\n}", u"第 3 行"_qs);
    json("not an object", "[1, 2]", u"应为一个 JSON 对象"_qs);
    json("no kind", R"({"grid": {}})", u"“GridType”缺少：应为整数"_qs);
    json("kind as text", R"({"GridType": "5", "grid": {}})",
        u"“GridType”应为整数，而不是文本“5”"_qs);
    json("kind out of range", R"({"GridType": 9, "grid": {}})",
        u"“GridType”为 9，超出范围：应为 1 到 8"_qs);
    // Every kind prints now: the lowest number past the range is refused like the highest.
    json("kind below the range", R"({"GridType": 0, "grid": {}})",
        u"“GridType”为 0，超出范围：应为 1 到 8"_qs);
    json("unknown key", R"({"GridType": 5, "grids": {}})", u"“grids”不是可用的键"_qs);
    json("no grid", R"({"GridType": 5})", u"“grid”缺少：应为对象"_qs);
    json("grid as array", R"({"GridType": 5, "grid": []})",
        u"“grid”应为对象，而不是数组（0 项）"_qs);

    // No cells at all: refused like an empty CSV file.
    json("flex grid without cells", R"({"GridType": 5, "grid": {}})",
        u"“grid.cells”没有任何数据"_qs);
    json("flex grid of no rows", R"({"GridType": 7, "grid": {"cells": []}})",
        u"“grid.cells”没有任何数据"_qs);
    json("flex grid of empty rows", R"({"GridType": 6, "grid": {"cells": [[], []]}})",
        u"“grid.cells”没有任何数据"_qs);
    json("cells as object", R"({"GridType": 5, "grid": {"cells": {}}})",
        u"“grid.cells”应为由行组成的数组"_qs);
    json("row as text", R"({"GridType": 5, "grid": {"cells": ["a"]}})",
        u"“grid.cells[0]”应为由单元格组成的数组"_qs);
    json("cell as array", R"({"GridType": 5, "grid": {"cells": [[["a"]]]}})",
        u"“grid.cells[0][0]”应为文本、数字或 null"_qs);
    json("cell as boolean", R"({"GridType": 5, "grid": {"cells": [[true]]}})",
        u"“grid.cells[0][0]”应为文本、数字或 null，而不是布尔值 true"_qs);
    cell("key of data grids in a flex grid", R"("columns": [])", u"“grid.columns”不是可用的键"_qs);
    json("alignments in a plain grid",
        R"({"GridType": 7, "grid": {"cells": [["a"]], "colAlignments": 1}})",
        u"“grid.colAlignments”不是可用的键"_qs);
    json("merging in a plain grid",
        R"({"GridType": 7, "grid": {"cells": [["a"]], "mergeRows": true}})",
        u"“grid.mergeRows”不是可用的键"_qs);

    // Indexes out of the grid: these crashed the program or took all its memory.
    cell("negative merge row", R"("mergeRows": [-1])",
        u"“grid.mergeRows[0]”为 -1，超出范围：应为 0 到 0 之间的整数（网格有 1 行"_qs);
    cell("negative merge column", R"("mergeCols": [-5])", u"“grid.mergeCols[0]”为 -5"_qs);
    cell("huge merge column", R"("mergeCols": [2147483646])",
        u"“grid.mergeCols[0]”为 2147483646，超出范围：应为 0 到 0"_qs);
    cell("largest merge row", R"("mergeRows": [2147483647])",
        u"“grid.mergeRows[0]”为 2147483647"_qs);
    cell("merge row past the 32 bits", R"("mergeRows": [4294967296])",
        u"“grid.mergeRows[0]”为 4294967296"_qs);
    cell("merge row one past the end", R"("mergeRows": [0, 1])", u"“grid.mergeRows[1]”为 1"_qs);
    cell("fractional merge row", R"("mergeRows": [0.5])",
        u"“grid.mergeRows[0]”应为整数，而不是数字 0.5"_qs);
    cell("merge rows as text", R"("mergeRows": "all")",
        u"“grid.mergeRows”应为true、false 或下标的数组"_qs);
    cell("negative cell-alignment row", R"("cellAlignments": [[-1, 0, 1]])",
        u"“grid.cellAlignments[0][0]”为 -1"_qs);
    cell("negative cell-alignment column", R"("cellAlignments": [[0, -1, 1]])",
        u"“grid.cellAlignments[0][1]”为 -1"_qs);
    cell("largest cell-alignment row", R"("cellAlignments": [[2147483647, 0, 1]])",
        u"“grid.cellAlignments[0][0]”为 2147483647，超出范围：应为 0 到 0"_qs);
    cell("largest cell-alignment column", R"("cellAlignments": [[0, 2147483647, 1]])",
        u"“grid.cellAlignments[0][1]”为 2147483647"_qs);
    cell("huge cell-alignment column", R"("cellAlignments": [[0, 2147483646, 1]])",
        u"“grid.cellAlignments[0][1]”为 2147483646"_qs);
    cell("cell-alignment code", R"("cellAlignments": [[0, 0, 10]])",
        u"“grid.cellAlignments[0][2]”为 10，超出范围：应为 0 到 9"_qs);

    // Wrong JSON types.
    cell("cell alignments as text", R"("cellAlignments": "x")",
        u"“grid.cellAlignments”应为由 [行, 列, 对齐] 组成的数组，而不是文本“x”"_qs);
    cell("cell alignments as boolean", R"("cellAlignments": true)",
        u"“grid.cellAlignments”应为由 [行, 列, 对齐] 组成的数组，而不是布尔值 true"_qs);
    cell("cell alignments as object", R"("cellAlignments": {"0": 1})",
        u"“grid.cellAlignments”应为由 [行, 列, 对齐] 组成的数组，而不是对象"_qs);
    cell("cell alignment of two", R"("cellAlignments": [[0, 0]])",
        u"“grid.cellAlignments[0]”应为 [行, 列, 对齐]"_qs);
    cell("cell alignment as number", R"("cellAlignments": [4])",
        u"“grid.cellAlignments[0]”应为 [行, 列, 对齐]"_qs);
    cell("width as text", R"("colWidths": ["wide"])",
        u"“grid.colWidths[0]”应为整数，而不是文本“wide”"_qs);
    cell("widths as object", R"("colWidths": {"a": 1})", u"“grid.colWidths”应为整数或整数数组"_qs);
    cell("more widths than columns", R"("colWidths": [900, 900])",
        u"“grid.colWidths”有 2 项，但网格只有 1 列"_qs);
    cell("column alignment code", R"("colAlignments": [12])", u"“grid.colAlignments[0]”为 12"_qs);
    cell("header alignment as text", R"("headerAlignment": "centre")",
        u"“grid.headerAlignment”应为整数"_qs);
    cell("merge mode out of range", R"("mergeCells": 5)",
        u"“grid.mergeCells”为 5，超出范围：应为 0 到 4"_qs);
    json("properties as array", R"({"GridType": 5, "properties": [], "grid": {"cells": [["a"]]}})",
        u"“properties”应为对象"_qs);
    json("main title as array",
        R"({"GridType": 5, "properties": {"MainTitle": ["月报"]}, "grid": {"cells": [["a"]]}})",
        u"“properties.MainTitle”应为文本，而不是数组（1 项）"_qs);
    json("key name as array",
        R"({"GridType": 5, "properties": {"PrintKeyName": ["k"]}, "grid": {"cells": [["a"]]}})",
        u"“properties.PrintKeyName”应为文本"_qs);
    json("title as object",
        R"({"GridType": 5, "properties": {"SubTitle": {}}, "grid": {"cells": [["a"]]}})",
        u"“properties.SubTitle”应为文本，而不是对象"_qs);
    json("margin as text",
        R"({"GridType": 5, "properties": {"TopMargin": "15"}, "grid": {"cells": [["a"]]}})",
        u"“properties.TopMargin”应为整数，而不是文本“15”"_qs);
    json("margin out of range",
        R"({"GridType": 5, "properties": {"TopMargin": 40000}, "grid": {"cells": [["a"]]}})",
        u"“properties.TopMargin”：属性 TopMargin 的值 40000 超出范围"_qs);
    json("flag as number",
        R"({"GridType": 5, "properties": {"MergeAll": 1}, "grid": {"cells": [["a"]]}})",
        u"“properties.MergeAll”应为 true 或 false"_qs);
    json("enumeration as array",
        R"({"GridType": 5, "properties": {"BorderStyle": [1]}, "grid": {"cells": [["a"]]}})",
        u"“properties.BorderStyle”应为整数或枚举成员名"_qs);
    json("unknown enumeration name",
        R"({"GridType": 5, "properties": {"BorderStyle": "fancy"}, "grid": {"cells": [["a"]]}})",
        u"属性 BorderStyle 不接受“fancy”"_qs);
    json("unknown property",
        R"({"GridType": 5, "properties": {"Colour": 1}, "grid": {"cells": [["a"]]}})",
        u"“properties.Colour”不是打印对象的属性"_qs);
    json("grid kind as property",
        R"({"GridType": 5, "properties": {"GridType": 7}, "grid": {"cells": [["a"]]}})",
        u"“properties.GridType”不能作为属性"_qs);
    json("grid object as property",
        R"({"GridType": 5, "properties": {"Datagrid": "x"}, "grid": {"cells": [["a"]]}})",
        u"“properties.Datagrid”不能在网格文件中设置"_qs);
    json("printed columns past the grid",
        R"({"GridType": 5, "properties": {"PrintColEnd": 3}, "grid": {"cells": [["a", "b"]]}})",
        u"“properties.PrintColEnd”为 3，超出范围：应为 -1 到 1"_qs);
    json("printed columns backwards",
        R"({"GridType": 5, "properties": {"PrintColStart": 1, "PrintColEnd": 0}, "grid": {"cells": [["a", "b"]]}})",
        u"“properties.PrintColEnd”为 0，在 PrintColStart（1）之前"_qs);
    json("format as array", R"({"GridType": 5, "format": [1], "grid": {"cells": [["a"]]}})",
        u"“format”应为对象"_qs);
    json("format value as array",
        R"({"GridType": 5, "format": {"HoriCutPage": [1]}, "grid": {"cells": [["a"]]}})",
        u"“format.HoriCutPage”应为数字或文本，而不是数组（1 项）"_qs);
    json("format value as boolean",
        R"({"GridType": 5, "format": {"HoriCutPage": true}, "grid": {"cells": [["a"]]}})",
        u"“format.HoriCutPage”应为数字或文本，而不是布尔值 true"_qs);
    json("format value null",
        R"({"GridType": 5, "format": {"LogPic": null}, "grid": {"cells": [["a"]]}})",
        u"“format.LogPic”应为数字或文本，而不是空值 null"_qs);

    // Head and foot lines.
    json("head as object", R"({"GridType": 5, "head": {}, "grid": {"cells": [["a"]]}})",
        u"“head”应为由 [文字, 换行, 对齐, 颜色] 组成的数组"_qs);
    json("line text as number", R"({"GridType": 5, "head": [[1, 2]], "grid": {}})",
        u"“head[0][0]”应为文本"_qs);
    json("line of five",
        R"({"GridType": 5, "head": [["a", 1, 1, 0, 0]], "grid": {"cells": [["a"]]}})",
        u"“head[0]”应为 1 到 4 项的"_qs);
    json("empty line", R"({"GridType": 5, "foot": [[]], "grid": {"cells": [["a"]]}})",
        u"“foot[0]”应为 1 到 4 项的"_qs);
    json("newline as text",
        R"({"GridType": 5, "head": [["a", "yes"]], "grid": {"cells": [["a"]]}})",
        u"“head[0][1]”应为整数，而不是文本“yes”"_qs);
    json("newline 2", R"({"GridType": 5, "head": [["a", 2]], "grid": {"cells": [["a"]]}})",
        u"“head[0][1]”为 2，超出范围：应为 0 到 1"_qs);
    json("first entry on no line",
        R"({"GridType": 5, "foot": [["a", 0]], "grid": {"cells": [["a"]]}})",
        u"“foot[0][1]”为 0，但第一项前面没有可接续的行"_qs);
    json("first entry after nothing",
        R"({"GridType": 5, "head": [["a", 1, 0]], "grid": {"cells": [["a"]]}})",
        u"“head[0][2]”为 0，但第一项前面没有可依靠的项"_qs);
    json("head alignment code",
        R"({"GridType": 5, "head": [["a", 1, 6]], "grid": {"cells": [["a"]]}})",
        u"“head[0][2]”为 6，超出范围：应为 -1 到 5"_qs);
    json("foot alignment past FootCount",
        R"({"GridType": 5, "properties": {"FootCount": 3}, "foot": [["a", 1, 4]], "grid": {"cells": [["a"]]}})",
        u"“foot[0][2]”为 4，超出范围：应为 -2 到 3"_qs);
    json("negative colour",
        R"({"GridType": 5, "head": [["a", 1, 1, -1]], "grid": {"cells": [["a"]]}})",
        u"“head[0][3]”为 -1，超出范围：应为 0 到 16777215"_qs);
    json("101 head entries",
        QByteArray(R"({"GridType": 5, "grid": {"cells": [["a"]]}, "head": [["a"])"
            + QByteArray(", [\"b\", 0]").repeated(100) + "]}")
            .constData(),
        u"“head”有 101 项，最多 100 项"_qs);
    json("31 head lines",
        QByteArray(R"({"GridType": 5, "grid": {"cells": [["a"], ["1"]]}, "head": [["a"])"
            + QByteArray(", [\"b\"]").repeated(30) + "]}")
            .constData(),
        u"“head”31 行和“foot”0 行"_qs);
    json("head, foot and heading rows too high together",
        R"({"GridType": 5, "head": [["a"], ["b"], ["c"]], "foot": [["d"]],
             "grid": {"cells": [["a"], ["b"], ["c"], ["1"]], "fixedRows": 3, "rowHeights": [3000, 3000, 2000, 300]}})",
        u"共 9500 缇，超过上限 9000 缇"_qs);

    // Sizes out of sense.
    cell("negative fixed rows", R"("fixedRows": -1)",
        u"“grid.fixedRows”为 -1，超出范围：应为 0 到 1"_qs);
    cell("fixed rows past the grid", R"("fixedRows": 65536)",
        u"“grid.fixedRows”为 65536，超出范围：应为 0 到 1 之间的整数（网格有 1 行）"_qs);
    cell("fixed columns past the grid", R"("fixedCols": 2)",
        u"“grid.fixedCols”为 2，超出范围：应为 0 到 1"_qs);
    json("too many fixed columns",
        (QByteArray(R"({"GridType": 5, "grid": {"colWidths": 0, "fixedCols": 101, "cells": [[)")
            + QByteArray("\"a\",").repeated(101) + "\"b\"]]}}")
            .constData(),
        u"“grid.fixedCols”为 101：固定列在每个列段上重复，最多 100 列"_qs);
    json("fixed columns too wide",
        R"({"GridType": 5, "grid": {"cells": [["a", "b", "c"]], "fixedCols": 2, "colWidths": [8000, 8000, 900]}})",
        u"“grid.fixedCols”的 2 列共宽 16000 缇"_qs);
    cell("negative row height", R"("rowHeights": -5)",
        u"“grid.rowHeights”为 -5，超出范围：应为 100 到 4000"_qs);
    cell("row height 0", R"("rowHeights": [0])",
        u"“grid.rowHeights[0]”为 0，超出范围：应为 100 到 4000"_qs);
    cell("row height 65535", R"("rowHeights": 65535)", u"“grid.rowHeights”为 65535"_qs);
    cell("more heights than rows", R"("rowHeights": [300, 300])",
        u"“grid.rowHeights”有 2 项，但网格只有 1 行"_qs);
    cell("negative width", R"("colWidths": [-1])",
        u"“grid.colWidths[0]”为 -1，超出范围：应为 0 到 32767"_qs);
    json("width below -1 in a hierarchical grid",
        R"({"GridType": 6, "grid": {"cells": [["a"]], "colWidths": -2}})",
        u"“grid.colWidths”为 -2，超出范围：应为 -1 到 32767"_qs);
    cell("huge width", R"("colWidths": 2147483647)",
        u"“grid.colWidths”为 2147483647，超出范围：应为 0 到 32767"_qs);
    json("every flex column hidden",
        R"({"GridType": 5, "grid": {"cells": [["a", "b"]], "colWidths": [50, 0]}})",
        u"“grid.colWidths”中每一列都不超过 50 缇"_qs);
    json("every plain column of no width",
        R"({"GridType": 7, "grid": {"cells": [["a", "b"]], "colWidths": 0}})",
        u"“grid.colWidths”中每一列的宽度都是 0"_qs);
    // One row of 3,200 cells and 3,199 rows of one: the grid keeps 3,200 × 3,200 cells.
    json("too many cells",
        (QByteArray(R"({"GridType": 5, "grid": {"cells": [[)") + QByteArray("\"\",").repeated(3199)
            + "\"\"]" + QByteArray(", [1]").repeated(3199) + "]}}")
            .constData(),
        u"网格有 3200 行、3200 列，共 10240000 个单元格，超过上限 10000000"_qs);
    // Counted on the bytes before the document is built, also where the file then goes wrong.
    json("too many cells, then cut off",
        (QByteArray(R"({"GridType": 5, "grid": {"cells": [[)") + QByteArray("\"\",").repeated(3199)
            + "\"\"]" + QByteArray(", [1]").repeated(3199))
            .constData(),
        u"网格有 3200 行、3200 列，共 10240000 个单元格，超过上限 10000000"_qs);
    json("a cell too long",
        (R"({"GridType": 5, "grid": {"cells": [["a"], [1, ")" + QByteArray(100001, 'x') + "\"]]}}")
            .constData(),
        u"“grid.cells[1][1]”的文字有 100001 个字符，超过一个单元格的上限 100000 个字符"_qs);
    QTest::newRow("too many cells in a CSV file")
        << u"big.csv"_qs << (QByteArray(",").repeated(3199) + QByteArray("\nx").repeated(3199))
        << u"网格有 3200 行、3200 列"_qs;

    // Spread grids.
    const auto spread = withKeys(R"({"GridType": 8, "grid": {"cells": [["a", 1], ["b", 2]], )");
    json("spread grid without cells", R"({"GridType": 8, "grid": {}})", u"没有任何数据"_qs);
    json("spread grid with data sets",
        R"({"GridType": 8, "grid": {"cells": [["a"]]}, "datasets": [{"cells": [["b"]]}]})",
        u"“datasets”不能用于 GridType 8"_qs);
    spread("flex key in a spread grid", R"("fixedRows": 1)", u"“grid.fixedRows”不是可用的键"_qs);
    spread("span past the last column", R"("spans": [[2, 1, 2, 1]])",
        u"“grid.spans[0][2]”为 2，超出范围：应为 1 到 1 之间的整数（合并区域不能超出网格）"_qs);
    spread("span past the last row", R"("spans": [[1, 2, 1, 2]])",
        u"“grid.spans[0][3]”为 2，超出范围：应为 1 到 1"_qs);
    spread("span in column 0", R"("spans": [[0, 1, 1, 1]])", u"“grid.spans[0][0]”为 0"_qs);
    spread("overlapping spans", R"("spans": [[1, 1, 2, 1], [2, 1, 1, 2]])",
        u"“grid.spans[1]”的单元格（第 2 列，第 1 行）已在另一个合并区域中"_qs);
    spread("header span below the header rows", R"("headerSpans": [[1, 0, 1, 2]])",
        u"“grid.headerSpans[0][3]”为 2，超出范围：应为 1 到 1"_qs);
    spread("span of three numbers", R"("spans": [[1, 1, 1]])",
        u"“grid.spans[0]”应为 [列, 行, 列数, 行数]"_qs);
    spread("unknown cell type", R"("cellTypes": [1, 5])",
        u"“grid.cellTypes[1]”为 5：应为 1（文本）、10（勾选）或 13（数字）"_qs);
    spread("seven decimals", R"("decimals": 7)", u"“grid.decimals”为 7，超出范围：应为 0 到 6"_qs);
    spread("alignment 3", R"("colAlignments": [0, 3])", u"“grid.colAlignments[1]”为 3"_qs);
    spread("corner as number", R"("corner": 1)", u"“grid.corner”应为文本"_qs);
    spread("row-header column too wide", R"("rowHeaderWidth": 15001)",
        u"“grid.rowHeaderWidth”为 15001，超出范围"_qs);
    spread("header row of numbers in an object", R"("headerRows": {"a": 1})",
        u"“grid.headerRows”应为由行组成的数组"_qs);

    // Data grids.
    json("data grid without columns", R"({"GridType": 3, "grid": {}})",
        u"“grid.columns”缺少：应为列的数组"_qs);
    json("data grid of no columns", R"({"GridType": 3, "grid": {"columns": []}})",
        u"“grid.columns”是空数组：没有任何数据"_qs);
    json("column as text", R"({"GridType": 4, "grid": {"columns": ["a"]}})",
        u"“grid.columns[0]”应为对象"_qs);
    json("column with an unknown key", R"({"GridType": 4, "grid": {"columns": [{"title": "a"}]}})",
        u"“grid.columns[0].title”不是可用的键"_qs);
    json("caption as number", R"({"GridType": 4, "grid": {"columns": [{"caption": 1}]}})",
        u"“grid.columns[0].caption”应为文本"_qs);
    json("negative data width", R"({"GridType": 4, "grid": {"columns": [{"width": -10}]}})",
        u"“grid.columns[0].width”为 -10"_qs);
    json("data alignment code", R"({"GridType": 4, "grid": {"columns": [{"align": 4}]}})",
        u"“grid.columns[0].align”为 4，超出范围：应为 0 到 3"_qs);
    json("data alignment as text", R"({"GridType": 4, "grid": {"columns": [{"align": "right"}]}})",
        u"“grid.columns[0].align”应为整数，而不是文本“right”"_qs);
    json("row wider than the columns",
        R"({"GridType": 4, "grid": {"columns": [{"caption": "a"}], "cells": [["1"], ["2", "3"]]}})",
        u"“grid.cells[1]”有 2 个单元格，但“grid.columns”只有 1 列"_qs);
    data("head lines as text", R"(, "headLines": "2")", "",
        u"“grid.headLines”应为数字，而不是文本“2”"_qs);
    data("head lines as array", R"(, "headLines": [2])", "", u"“grid.headLines”应为数字"_qs);
    data("head lines as boolean", R"(, "headLines": true)", "",
        u"“grid.headLines”应为数字，而不是布尔值 true"_qs);
    data("no head lines", R"(, "headLines": 0)", "",
        u"“grid.headLines”为 0，超出范围：应为 1 到 10"_qs);
    data("negative row height", R"(, "rowHeight": -300)", "",
        u"“grid.rowHeight”为 -300，超出范围：应为 100 到 4000"_qs);
    data("row height 65535", R"(, "rowHeight": 65535)", "", u"“grid.rowHeight”为 65535"_qs);
    data("more grid rows than the data", "", R"("properties": {"gridrows": 3}, )",
        u"“properties.gridrows”为 3，超出范围：应为 0 到 2"_qs);
    data("negative grid rows", "", R"("properties": {"gridrows": -1}, )",
        u"“properties.gridrows”：属性 gridrows 的值 -1 超出范围"_qs);
    data("key of flex grids in a data grid", R"(, "fixedRows": 1)", "",
        u"“grid.fixedRows”不是可用的键"_qs);
    json("every data column of no width",
        R"({"GridType": 3, "grid": {"columns": [{"caption": "a", "width": 0}, {"width": 0}]}})",
        u"“grid.columns”中每一列的宽度都是 0"_qs);
    json("data grid too high with its lines",
        R"({"GridType": 4, "head": [["a"], ["b"], ["c"], ["d"], ["e"], ["f"]],
             "grid": {"columns": [{"caption": "a"}], "cells": [["1"]], "rowHeight": 2000, "headLines": 3}})",
        u"“head”6 行和“foot”0 行（每行按 300 缇计）、表头 1 行共 6000 缇、一行表身 2000 缇，共 9800 缇"_qs);

    // Spreadsheet grids: two rows of two cells and more keys.
    const auto sheet = [](const char *tag, const char *keys, const QString &message) {
        QTest::newRow(tag)
            << u"bad.json"_qs
            << (QByteArray(R"({"GridType": 1, "grid": {"cells": [["a", "b"], ["1", "2"]], )") + keys
                   + "}}")
            << message;
    };
    json("sheet without cells", R"({"GridType": 1, "grid": {}})", u"“grid.cells”没有任何数据"_qs);
    sheet(
        "key of flex grids in a sheet", R"("mergeCells": 1)", u"“grid.mergeCells”不是可用的键"_qs);
    sheet("hidden column as number", R"("hiddenCols": [2])",
        u"“grid.hiddenCols[0]”应为列字母（“A”“AA”），而不是数字 2"_qs);
    sheet("hidden column past the grid", R"("hiddenCols": ["C"])",
        u"“grid.hiddenCols[0]”为“C”，不在网格内：网格有 2 列（A 到 B）"_qs);
    sheet("every column hidden", R"("hiddenCols": ["A", "B"])",
        u"“grid.hiddenCols”中每一列的宽度都是 0"_qs);
    sheet("zero values as number", R"("showZeroValues": 0)",
        u"“grid.showZeroValues”应为 true 或 false"_qs);
    sheet("formats as object", R"("formats": {})",
        u"“grid.formats”应为由 [区域, 格式或样式名] 组成的数组"_qs);
    sheet("format entry of one item", R"("formats": [["A1"]])",
        u"“grid.formats[0]”应为 [区域, 格式或样式名]"_qs);
    sheet("range past the grid", R"("formats": [["A1:C2", {"bold": true}]])",
        u"“grid.formats[0][0]”为“A1:C2”，不在网格内：网格有 2 行、2 列（最后一格 B2）"_qs);
    sheet("range backwards", R"("formats": [["B2:A1", {"bold": true}]])",
        u"“grid.formats[0][0]”为“B2:A1”：区域的起点应在终点的左上方"_qs);
    sheet("range of lower case", R"("formats": [["a1", {"bold": true}]])",
        u"“grid.formats[0][0]”为“a1”：应为单元格或区域的地址"_qs);
    sheet("range of row 0", R"("formats": [["A0", {"bold": true}]])", u"为“A0”：应为"_qs);
    sheet("range half a column", R"("formats": [["A1:B", {"bold": true}]])", u"为“A1:B”：应为"_qs);
    sheet("range empty", R"("formats": [["", {"bold": true}]])", u"为“”：应为"_qs);
    sheet("range of three ends", R"("formats": [["A1:B1:B2", {"bold": true}]])",
        u"为“A1:B1:B2”：应为"_qs);
    sheet("unknown style", R"("formats": [["A1", "粗体"]])",
        u"“grid.formats[0][1]”为“粗体”，不是“grid.styles”中的样式名"_qs);
    sheet("unknown format key", R"("formats": [["A1", {"italic": true}]])",
        u"“grid.formats[0][1].italic”不是可用的键"_qs);
    sheet("style as text", R"("styles": {"a": "b"})", u"“grid.styles.a”应为单元格格式对象"_qs);
    sheet("style with a bad key", R"("styles": {"a": {"colour": 1}})",
        u"“grid.styles.a.colour”不是可用的键"_qs);
    sheet("font size 0", R"("formats": [["A1", {"size": 0}]])",
        u"“grid.formats[0][1].size”为 0，超出范围：应为 1 到 409 磅"_qs);
    sheet("empty font name", R"("formats": [["A1", {"font": " "}]])",
        u"“grid.formats[0][1].font”应为字体名"_qs);
    sheet("colour as name", R"("formats": [["A1", {"color": "red"}]])",
        u"“grid.formats[0][1].color”应为颜色：“#RRGGBB”或 RGB 整数，而不是文本“red”"_qs);
    sheet("colour past 24 bits", R"("formats": [["A1", {"color": 16777216}]])",
        u"“grid.formats[0][1].color”为 16777216，超出范围"_qs);
    sheet("horizontal code 0", R"("formats": [["A1", {"align": 0}]])",
        u"“grid.formats[0][1].align”为 0，超出范围：应为 1 到 6 之间的整数"_qs);
    sheet("vertical code 4", R"("formats": [["A1", {"valign": 4}]])",
        u"“grid.formats[0][1].valign”为 4，超出范围：应为 1 到 3 之间的整数"_qs);
    sheet("border code 14", R"("formats": [["A1", {"borderLeft": 14}]])",
        u"“grid.formats[0][1].borderLeft”为 14，超出范围：应为 0 到 13 之间的整数"_qs);
    sheet("number format as number", R"("formats": [["A1", {"numberFormat": 0}]])",
        u"“grid.formats[0][1].numberFormat”应为数字格式文本"_qs);
    sheet("merge as array", R"("merges": [[1, 1, 2, 2]])",
        u"“grid.merges[0]”应为单元格区域的地址（“B2”“A1:D1”）"_qs);
    sheet("merge of whole columns", R"("merges": ["A:B"])", u"“grid.merges[0]”为“A:B”：应为"_qs);
    sheet("overlapping merges", R"("merges": ["A1:B1", "B1:B2"])",
        u"“grid.merges[1]”为“B1:B2”，与“grid.merges[0]”（“A1:B1”）重叠"_qs);
    json("sheet with data sets",
        R"({"GridType": 1, "grid": {"cells": [["a"], ["1"]]}, "datasets": [{"cells": [["a"], ["2"]]}]})",
        u"“datasets”不能用于 GridType 1"_qs);

    // Data sets for continuous printing: a two-column flex grid with one heading row and one
    // head line, then the given "datasets".
    const auto sets
        = [](const char *tag, const char *datasets, const QString &message, const char *grid = "") {
              QTest::newRow(tag) << u"bad.json"_qs
                                 << (QByteArray(R"({"GridType": 5, "head": [["甲"]],
                                  "grid": {"cells": [["a", "b"], ["1", "2"]])")
                                        + grid + R"(}, "datasets": )" + datasets + "}")
                                 << message;
          };
    sets("datasets as object", "{}", u"“datasets”应为由数据组对象"_qs);
    sets("no data sets", "[]", u"“datasets”有 0 项：应为 1 到 1000 组数据"_qs);
    sets("entry as array", R"([[["x", "y"]]])", u"“datasets[0]”应为对象"_qs);
    sets("unknown entry key", R"([{"cells": [["a"], ["1"]], "rows": 1}])",
        u"“datasets[0].rows”不是可用的键（这里可用：cells、head、foot）"_qs);
    sets("entry without cells", R"([{"head": [["乙"]]}])", u"“datasets[0].cells”缺少"_qs);
    sets("cell of a wrong type", R"([{"cells": [["a"], [true]]}])",
        u"“datasets[0].cells[1][0]”应为文本、数字或 null，而不是布尔值 true"_qs);
    sets("heading without body", R"([{"cells": [["a", "b"]]}])",
        u"“datasets[0].cells”有 1 行，没有表身行"_qs);
    sets("row wider than the grid", R"([{"cells": [["a", "b"], ["1", "2", "3"]]}])",
        u"“datasets[0].cells[1]”有 3 个单元格，但网格只有 2 列"_qs);
    sets("more head lines than the first",
        R"([{"cells": [["a"], ["1"]], "head": [["乙"], ["丙"]]}])",
        u"“datasets[0].head”占 2 行，多于第一组数据（“head”）的 1 行"_qs);
    sets("a foot line the first has not", R"([{"cells": [["a"], ["1"]], "foot": [["乙"]]}])",
        u"“datasets[0].foot”占 1 行，多于第一组数据（“foot”）的 0 行"_qs);
    sets("bad line of an entry", R"([{"cells": [["a"], ["1"]], "head": [["乙", 0]]}])",
        u"“datasets[0].head[0][1]”为 0，但第一项前面没有可接续的行"_qs);
    sets("merged body row", R"([{"cells": [["a"], ["1"]]}])",
        u"“grid.mergeRows[1]”指第 1 行（从 0 数起），不是表头行"_qs,
        R"(, "mergeCells": 1, "mergeRows": [0, 1])");
    sets("aligned body cell", R"([{"cells": [["a"], ["1"]]}])",
        u"“grid.cellAlignments[0]”指第 1 行"_qs, R"(, "cellAlignments": [[1, 0, 4]])");
    QByteArray many = "[";
    for (int i = 0; i < 1001; ++i)
        many += i ? R"(, {"cells": [[], [1]]})" : R"({"cells": [[], [1]]})";
    sets("too many data sets", many + "]", u"“datasets”有 1001 项：应为 1 到 1000 组数据"_qs);
    // 2 rows of 10,000 columns, then one data set of 1,001 rows: 10,030,000 cells in all.
    QByteArray wide = R"({"GridType": 7, "grid": {"cells": [[)";
    for (int i = 0; i < 10000; ++i)
        wide += i ? ", null" : "null";
    wide += R"(], ["1"]]}, "datasets": [{"cells": [[])";
    for (int i = 0; i < 1000; ++i)
        wide += R"(, [])";
    QTest::newRow("cells of all data sets")
        << u"bad.json"_qs << wide + "]}]}"
        << u"“datasets”到第 0 组为止连同网格共 10030000 个单元格，超过上限 10000000"_qs;
    // Each data set is counted on the bytes too: one of 5,000 rows of 2,001 cells.
    QByteArray large
        = R"({"GridType": 7, "grid": {"cells": [["1", "2"]]}, "datasets": [{"cells": [[)";
    large += QByteArray("1,").repeated(2000) + "1]" + QByteArray(", [1]").repeated(4999) + "]}]}";
    QTest::newRow("cells of one data set")
        << u"bad.json"_qs << large
        << u"“datasets[0].cells”有 5000 行，最长一行 2001 个单元格，共 10005000 个单元格，超过上限 10000000"_qs;
}

void TestGridFile::badFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QString path = name.startsWith(u'/') ? name : write(name, content);
    QString error;
    std::unique_ptr<GridFile> file;
    try {
        file = GridFile::load(path, &error);
    } catch (const std::exception &e) {
        QFAIL(qPrintable(u"GridFile::load threw: "_qs + QString::fromLocal8Bit(e.what())));
    }
    QVERIFY(!file);
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(error.contains(path));
}

// Grid files at the edges of what is allowed: read, handed to a print object, printed.
void TestGridFile::goodEdges_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    const auto json = [](const char *tag, const QByteArray &content) {
        QTest::newRow(tag) << u"good.json"_qs << content;
    };
    QTest::newRow("one-cell csv") << u"one.csv"_qs << QByteArray("a\n");
    json("one cell", R"({"GridType": 5, "grid": {"cells": [["a"]]}})");
    json("heading row only", R"({"GridType": 7, "grid": {"cells": [["a", "b"]], "fixedRows": 1}})");
    json("no fixed rows", R"({"GridType": 5, "grid": {"cells": [["a"], ["1"]], "fixedRows": 0}})");
    json("every column fixed", R"({"GridType": 5, "format": {"HoriCutPage": 1, "MultFixCol": 1},
                                   "grid": {"cells": [["a", "b"], ["1", "2"]], "fixedCols": 2}})");
    json("last indexes",
        R"({"GridType": 5, "grid": {"cells": [["a", "b"], ["1", "2"]], "mergeCells": 1,
                             "mergeRows": [1], "mergeCols": [1], "cellAlignments": [[1, 1, 9]]}})");
    json("merge everything", R"({"GridType": 6, "properties": {"MergeAll": true},
                                 "grid": {"cells": [["a", "a"], ["a", "a"]], "mergeCells": 1,
                                          "mergeRows": true, "mergeCols": true, "colWidths": -1}})");
    json("merge nothing",
        R"({"GridType": 5, "grid": {"cells": [["a"]], "mergeRows": false, "mergeCols": []}})");
    json(
        "smallest and largest sizes", R"({"GridType": 5, "grid": {"cells": [["a", "b"], ["1", "2"]],
                                           "colWidths": [0, 32767], "rowHeights": [4000, 100]}})");
    json("a hidden column beside a wide one",
        R"({"GridType": 5, "grid": {"cells": [["a", "b"]], "colWidths": [50, 51]}})");
    json("100 fixed columns",
        QByteArray(R"({"GridType": 5, "grid": {"colWidths": 100, "fixedCols": 100, "cells": [[)")
            + QByteArray("\"a\",").repeated(100) + "\"b\"]]}}");
    json("fixed columns 15000 twips wide",
        R"({"GridType": 5, "grid": {"cells": [["a", "b", "c"]], "fixedCols": 2,
                                               "colWidths": [7500, 7500, 900]}})");
    json("ragged rows", R"({"GridType": 5, "grid": {"cells": [["a", "b", "c"], ["1"], []]}})");
    json("numbers and nulls", R"({"GridType": 5, "grid": {"cells": [["a", 1.5, null]]}})");
    // 30 head lines of 300, a heading row of 300 and no body row: 9300 > 9000; with 29, 9000.
    json("everything repeated just fits",
        QByteArray(R"({"GridType": 5, "grid": {"cells": [["a"]]}, "head": [["a"])")
            + QByteArray(", [\"b\", 1, 3]").repeated(28) + "]}");
    json("100 entries on few lines",
        QByteArray(R"({"GridType": 5, "grid": {"cells": [["a"]]}, "foot": [["a", 1, -2])")
            + QByteArray(", [\"b\", 0, 0]").repeated(99) + "]}");
    json("foot codes up to FootCount", R"({"GridType": 5, "properties": {"FootCount": 7},
                                           "foot": [["a", 1, 7, 16777215], ["b", 0, -1], ["c", 1, -2]],
                                           "grid": {"cells": [["a"]]}})");
    json("properties of every type",
        R"({"GridType": 5, "properties": {"MainTitle": "月报", "TopMargin": 15,
                                         "FillBlankLines": false, "BorderStyle": "ssdoublebox", "PaperOrient": 2,
                                         "PrintColStart": 0, "PrintColEnd": -1}, "format": {"LogPic": "", "ZoomRate": 1.5},
                                         "grid": {"cells": [["a"]]}})");
    json("sheet of one cell", R"({"GridType": 1, "grid": {"cells": [["a"]], "fixedRows": 0}})");
    json("sheet heading only", R"({"GridType": 1, "grid": {"cells": [["a", "b"]]}})");
    json("sheet of whole rows and columns, 30 columns",
        QByteArray(R"({"GridType": 1, "grid": {"cells": [[)") + QByteArray("\"a\",").repeated(29)
            + R"("b"], [1]], "colWidths": 300, "hiddenCols": ["AD"], "merges": ["AA1:AC1", "A2"],
                     "formats": [["2:2", {"border": 13}], ["AB:AC", {"numberFormat": "[Red]0"}]]}})");
    json(
        "data grid caption only", R"({"GridType": 3, "grid": {"columns": [{"caption": "科目"}]}})");
    json("spread grid header only",
        R"({"GridType": 8, "grid": {"headerRows": [["科目", "金额"]]}})");
    json("spread grid without header rows",
        R"({"GridType": 8, "format": {"MultFixCol": 1}, "grid": {"headerRows": [], "cells": [["a"]]}})");
    json("spread spans at the grid's edges",
        R"({"GridType": 8, "format": {"MultFixCol": 1, "HoriCutPage": 1},
            "grid": {"headerRows": [["a", "b"], ["c", "d"]], "headerSpans": [[1, 0, 2, 2]],
                     "cells": [["1", "2"], ["3", "4"]], "spans": [[1, 1, 2, 2]],
                     "colWidths": [32767, 0], "rowHeaderWidth": 15000, "cellTypes": 13, "decimals": 6}})");
    json("data grid, fewer grid rows than data", R"({"GridType": 4, "properties": {"gridrows": 0},
                                                     "grid": {"columns": [{"caption": "a", "width": 0}, {"width": 1}],
                                                              "cells": [["1"]], "headLines": 1.5}})");
    json(
        "data grid alignments", R"({"GridType": 4, "grid": {"columns": [{"align": 0}, {"align": 3}],
                                     "cells": [["a", "76.4%"]], "rowHeight": 100, "headLines": 10}})");
}

void TestGridFile::goodEdges()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QTemporaryDir out;
    TestPlatform::install(VirtualPrintingSystem::withPdfPrinter(out.path()));
    const QString path = write(name, content);
    QString error;
    try {
        const auto file = GridFile::load(path, &error);
        QVERIFY2(file, qPrintable(error));
        MyPrint print;
        QVERIFY2(file->applyTo(print, &error), qPrintable(error));
        ReportExport report(print);
        QVERIFY2(report.toPdf(out.filePath(u"edge.pdf"_qs)), qPrintable(report.errorString()));
        QVERIFY(report.sheetCount() >= 1);
    } catch (const std::exception &e) {
        QFAIL(qPrintable(u"threw: "_qs + QString::fromLocal8Bit(e.what())));
    }
}

// A grid with a heading row and no body rows prints its heading.
void TestGridFile::headingOnlyPrintsItsHeading_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("csv") << u"h.csv"_qs << QByteArray("日期,金额\n");
    QTest::newRow("flex grid") << u"h.json"_qs
                               << QByteArray(
                                      R"({"GridType": 5, "grid": {"cells": [["日期", "金额"]]}})");
    QTest::newRow("data grid")
        << u"h.json"_qs
        << QByteArray(
               R"({"GridType": 4, "grid": {"columns": [{"caption": "日期"}, {"caption": "金额"}]}})");
}

void TestGridFile::headingOnlyPrintsItsHeading()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    if (QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty())
        QSKIP("poppler-utils are not installed: the PDF cannot be checked");
    QTemporaryDir out;
    TestPlatform::install(VirtualPrintingSystem::withPdfPrinter(out.path()));
    QString error;
    const auto file = GridFile::load(write(name, content), &error);
    QVERIFY2(file, qPrintable(error));
    MyPrint print;
    QVERIFY2(file->applyTo(print, &error), qPrintable(error));
    ReportExport report(print);
    const QString pdf = out.filePath(u"heading.pdf"_qs);
    QVERIFY2(report.toPdf(pdf), qPrintable(report.errorString()));
    QCOMPARE(report.sheetCount(), 1);
    QProcess p;
    p.start(u"pdftotext"_qs, { pdf, u"-"_qs });
    QVERIFY(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(text.contains(u"日期"_qs) && text.contains(u"金额"_qs), qPrintable(text));
}

void TestGridFile::propertiesByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("text") << u"Caption"_qs << QVariant(u"预览"_qs) << true << u"预览"_qs;
    QTest::newRow("integer") << u"TopMargin"_qs << QVariant(u" 15 "_qs) << true << u"15"_qs;
    QTest::newRow("integer from number") << u"LineCount"_qs << QVariant(30.0) << true << u"30"_qs;
    QTest::newRow("integer overflow")
        << u"TopMargin"_qs << QVariant(u"40000"_qs) << false << QString();
    QTest::newRow("not a number") << u"TopMargin"_qs << QVariant(u"abc"_qs) << false << QString();
    QTest::newRow("long") << u"gridrows"_qs << QVariant(u"100000"_qs) << true << u"100000"_qs;
    QTest::newRow("bool") << u"MergeAll"_qs << QVariant(u"true"_qs) << true << u"true"_qs;
    QTest::newRow("bool -1") << u"PageHCenter"_qs << QVariant(u"-1"_qs) << true << u"true"_qs;
    QTest::newRow("bad bool") << u"MergeAll"_qs << QVariant(u"maybe"_qs) << false << QString();
    QTest::newRow("enum by name") << u"GridType"_qs << QVariant(u"ssMsGrid"_qs) << true << u"7"_qs;
    QTest::newRow("enum by number") << u"PaperOrient"_qs << QVariant(u"2"_qs) << true << u"2"_qs;
    QTest::newRow("enum overflow") << u"GridType"_qs << QVariant(u"70000"_qs) << false << QString();
    QTest::newRow("unknown enum name")
        << u"BorderStyle"_qs << QVariant(u"fancy"_qs) << false << QString();
    QTest::newRow("unknown property") << u"Colour"_qs << QVariant(u"1"_qs) << false << QString();
    QTest::newRow("QObject's own property")
        << u"objectName"_qs << QVariant(u"x"_qs) << false << QString();
    QTest::newRow("a grid is no text") << u"Datagrid"_qs << QVariant(u"x"_qs) << false << QString();
}

void TestGridFile::propertiesByName()
{
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    QFETCH(bool, ok);
    QFETCH(QString, readBack);
    MyPrint print;
    const QVariant before = print.property(name.toLatin1().constData());
    QString error;
    QCOMPARE(GridFile::setProperty(print, name, value, &error), ok);
    const QVariant after = print.property(name.toLatin1().constData());
    if (ok) {
        const QString text = after.metaType().flags().testFlag(QMetaType::IsEnumeration)
            ? QString::number(after.toInt())
            : after.toString();
        QCOMPARE(text, readBack);
    } else {
        QVERIFY(!error.isEmpty());
        QVERIFY(error.contains(name));
        QCOMPARE(after, before); // a refused value changes nothing
    }
}

namespace {

/// Every cell of an in-memory grid, row by row (a data grid's body rows only).
QList<QStringList> cellsOf(QObject *grid)
{
    QList<QStringList> rows;
    if (auto *flex = qobject_cast<FlexGrid *>(grid)) {
        for (qint32 r = 0; r < flex->Rows(); ++r) {
            QStringList row;
            for (qint32 c = 0; c < flex->Cols(); ++c)
                row << flex->TextMatrix(r, c);
            rows << row;
        }
    } else if (auto *data = qobject_cast<DataGrid *>(grid)) {
        for (qint32 r = 0; r < data->rowsDataCount(); ++r) {
            QStringList row;
            for (qint32 c = 0; c < data->ColumnsCount(); ++c) {
                data->setRow(r);
                data->setCol(c);
                row << data->Text();
            }
            rows << row;
        }
    }
    return rows;
}

} // namespace

// A data set replaces the cells, never leaves the previous set's texts in cells it leaves out,
// keeps the grid's columns and settings, and brings its own lines.
void TestGridFile::dataSetsRefillTheGrid_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("index");
    QTest::addColumn<QList<QStringList>>("cells");
    QTest::addColumn<QString>("head");
    QTest::addColumn<int>("gridrows");
    const QByteArray flex = R"({"GridType": 5, "head": [["甲表头"]], "foot": [["甲表尾"]],
        "grid": {"cells": [["名称", "数量"], ["a", "1"], ["b", "2"], ["c", "3"]],
                 "mergeCells": 1, "mergeRows": true},
        "datasets": [{"cells": [["名称", "数量"], ["x"]], "head": [["乙表头"]]},
                     {"cells": [["名称", "件数"], ["p", 7], ["q", null], ["r", "9"], ["s", "10"]]}]})";
    QTest::newRow("flex, fewer rows, a short row")
        << flex << 0 << QList<QStringList> { { u"名称"_qs, u"数量"_qs }, { u"x"_qs, QString() } }
        << u"乙表头"_qs << -1;
    QTest::newRow("flex, more rows, no lines")
        << flex << 1
        << QList<QStringList> { { u"名称"_qs, u"件数"_qs }, { u"p"_qs, u"7"_qs },
               { u"q"_qs, QString() }, { u"r"_qs, u"9"_qs }, { u"s"_qs, u"10"_qs } }
        << QString() << -1;
    const QByteArray data = R"({"GridType": 4, "head": [["甲表头"]],
        "grid": {"columns": [{"caption": "科目"}, {"caption": "金额"}], "cells": [["现金", "1"]]},
        "datasets": [{"cells": [["银行存款", "2"], ["应收账款"]], "head": [["乙表头"]]}]})";
    QTest::newRow("data grid, its gridrows follow")
        << data << 0
        << QList<QStringList> { { u"银行存款"_qs, u"2"_qs }, { u"应收账款"_qs, QString() } }
        << u"乙表头"_qs << 2;
}

void TestGridFile::dataSetsRefillTheGrid()
{
    QFETCH(QByteArray, content);
    QFETCH(int, index);
    QFETCH(QList<QStringList>, cells);
    QFETCH(QString, head);
    QFETCH(int, gridrows);
    QString error;
    const auto file = GridFile::fromData(content, u"json"_qs, u"sets.json"_qs, &error);
    QVERIFY2(file, qPrintable(error));
    MyPrint print;
    QVERIFY2(file->applyTo(print, &error), qPrintable(error));
    // Every set before it prints first; the job empties the lines before each PrintOver.
    for (int i = 0; i <= index; ++i) {
        engineState().HeadLines.reset();
        engineState().FootLines.reset();
        QVERIFY2(file->applyDataSet(i, print, &error), qPrintable(error));
    }
    QCOMPARE(cellsOf(file->grid()), cells);
    const LineTable &heads = engineState().HeadLines;
    QCOMPARE(heads.cell(heads.lastRow(), LineTable::Text), head);
    if (gridrows >= 0)
        QCOMPARE(print.gridrows(), gridrows);
    if (auto *flex = qobject_cast<FlexGrid *>(file->grid())) {
        QCOMPARE(flex->FixedRows(), 1);
        QVERIFY(flex->MergeRow(flex->Rows() - 1)); // "mergeRows": true takes the new rows too
    }
    QVERIFY(!file->applyDataSet(file->dataSetCount(), print, &error));
    QVERIFY2(error.contains(u"没有第 %1 组数据"_qs.arg(file->dataSetCount())), qPrintable(error));
}

void TestGridFile::largeGridsReadAsDocumentsWould_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QByteArrayList>("items");
    QTest::addColumn<QString>("error");
    // A flex grid of 76,800 cells or more reads them from the file's bytes, a smaller one from
    // the parsed document: both show texts as the document decodes them and numbers as written.
    const QByteArrayList items { R"("华东")", "1280.50", "-0", "1e5", "6222021234567890123", "null",
        R"("a\"b\\c\n\u4e2d\u00e9\/")", R"("𠀀")", R"("")", "0.1", "-3", R"("\ufeffx")",
        "\"\xEF\xBB\xBFy\"", "1E-7", R"("  spaced  ")", R"("-12")" };
    QTest::newRow("texts, numbers, nulls") << 5 << 300 << items << QString();
    QTest::newRow("plain grid") << 7 << 300 << items << QString();
    QTest::newRow("hierarchical grid") << 6 << 300 << items << QString();
    QTest::newRow("small grid") << 5 << 20 << items << QString();
    QTest::newRow("surrogate escapes")
        << 5 << 300 << (items + QByteArrayList { R"("\ud83d\ude00")" }) << QString();
    QTest::newRow("a bad item far in") << 5 << 300 << (items + QByteArrayList { "true" })
                                       << u"应为文本、数字或 null，而不是布尔值 true"_qs;
    QTest::newRow("a bad number, small")
        << 5 << 20 << (items + QByteArrayList { "01" }) << u"JSON 有误"_qs;
}

void TestGridFile::largeGridsReadAsDocumentsWould()
{
    QFETCH(int, kind);
    QFETCH(int, rows);
    QFETCH(QByteArrayList, items);
    QFETCH(QString, error);
    QByteArray json = "{\"GridType\": " + QByteArray::number(kind) + ", \"grid\": {\"cells\": [";
    const auto item = [&](int r, int c) { return items[(r * 31 + c * 7) % items.size()]; };
    for (int r = 0; r < rows; ++r) {
        json += r ? ",\n [" : "\n [";
        for (int c = 0; c < 256 - r % 5; ++c)
            json += (c ? ", " : "") + item(r, c);
        json += "]";
    }
    json += "]}}";
    QString why;
    const std::unique_ptr<GridFile> file = GridFile::load(write(u"large.json"_qs, json), &why);
    if (!error.isEmpty()) {
        QVERIFY(!file);
        QVERIFY2(why.contains(error), qPrintable(why));
        return;
    }
    QVERIFY2(file, qPrintable(why));
    const auto *grid = qobject_cast<FlexGrid *>(file->grid());
    QVERIFY(grid);
    QCOMPARE(grid->Rows(), rows);
    QCOMPARE(grid->Cols(), 256);
    for (qint32 c = 0; c < 256; ++c) {
        QStringList column;
        for (qint32 r = 0; r < rows; ++r) {
            if (c >= 256 - r % 5) {
                column << QString();
                continue;
            }
            const QByteArray written = item(r, c);
            const QJsonValue v = QJsonDocument::fromJson("[" + written + "]").array().at(0);
            column << (v.isDouble() ? QString::fromLatin1(written) : v.toString());
            if (grid->TextMatrix(r, c) != column.last())
                QFAIL(qPrintable(u"cell %1,%2: “%3” instead of “%4”"_qs.arg(r).arg(c).arg(
                    grid->TextMatrix(r, c), column.last())));
        }
        QCOMPARE(grid->ColWidth(c), contentWidth(column));
    }
}

QUILLON_TEST_MAIN(TestGridFile)
#include "tst_gridfile.moc"
