#include "testmain.h"
#include "support/testplatform.h"

#include <quillon/datagrid.h>
#include <quillon/flexgrid.h>
#include <quillon/gridfile.h>
#include <quillon/myprint.h>

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
    void jsonHierarchicalWidths();
    void badFiles_data();
    void badFiles();
    void propertiesByName_data();
    void propertiesByName();

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
    const QString path = write(u"q.csv"_qs, "\xEF\xBB\xBF"
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
    QCOMPARE(grid->ColWidth(0), 600);             // the least width
    QCOMPARE(grid->ColWidth(1), 10 * 220 + 240);  // ten wide characters and the padding
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
        "foot": [["制表", 0, 1, 0]],
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

void TestGridFile::badFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown suffix") << u"x.txt"_qs << QByteArray("a") << u".csv 或 .json"_qs;
    QTest::newRow("empty csv") << u"e.csv"_qs << QByteArray("") << u"没有任何数据"_qs;
    QTest::newRow("open quote") << u"o.csv"_qs << QByteArray("a\n\"b,c\nd\n") << u"引号没有结束"_qs;
    QTest::newRow("not utf-8") << u"g.csv"_qs << QByteArray("\xc4\xe3\xba\xc3,a\n") << u"UTF-8"_qs;
    QTest::newRow("broken json") << u"b.json"_qs << QByteArray("{\n\"GridType\": 5,\n}")
                                 << u"第 3 行"_qs;
    QTest::newRow("no kind") << u"k.json"_qs << QByteArray("{\"grid\": {}}") << u"GridType"_qs;
    QTest::newRow("kind out of range") << u"r.json"_qs << QByteArray("{\"GridType\": 9, \"grid\": {}}")
                                       << u"1 到 8"_qs;
    QTest::newRow("kind not printable yet") << u"s.json"_qs
                                            << QByteArray("{\"GridType\": 8, \"grid\": {}}")
                                            << u"尚不能打印"_qs;
    QTest::newRow("bad width") << u"w.json"_qs
                               << QByteArray("{\"GridType\": 5, \"grid\": {\"cells\": [[\"a\"]], "
                                             "\"colWidths\": [\"wide\"]}}")
                               << u"grid.colWidths[0]"_qs;
    QTest::newRow("bad line") << u"l.json"_qs
                              << QByteArray("{\"GridType\": 5, \"head\": [[1, 2]], \"grid\": {}}")
                              << u"head[0]"_qs;
    QTest::newRow("data grid without columns") << u"n.json"_qs
                                               << QByteArray("{\"GridType\": 3, \"grid\": {}}")
                                               << u"grid.columns"_qs;
    QTest::newRow("missing file") << u"/nonexistent/none.csv"_qs << QByteArray() << u"无法读取"_qs;
}

void TestGridFile::badFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QString path = name.startsWith(u'/') ? name : write(name, content);
    QString error;
    QVERIFY(!GridFile::load(path, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(error.contains(path));
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
    QTest::newRow("integer overflow") << u"TopMargin"_qs << QVariant(u"40000"_qs) << false << QString();
    QTest::newRow("not a number") << u"TopMargin"_qs << QVariant(u"abc"_qs) << false << QString();
    QTest::newRow("long") << u"gridrows"_qs << QVariant(u"100000"_qs) << true << u"100000"_qs;
    QTest::newRow("bool") << u"MergeAll"_qs << QVariant(u"true"_qs) << true << u"true"_qs;
    QTest::newRow("bool -1") << u"PageHCenter"_qs << QVariant(u"-1"_qs) << true << u"true"_qs;
    QTest::newRow("bad bool") << u"MergeAll"_qs << QVariant(u"maybe"_qs) << false << QString();
    QTest::newRow("enum by name") << u"GridType"_qs << QVariant(u"ssMsGrid"_qs) << true << u"7"_qs;
    QTest::newRow("enum by number") << u"PaperOrient"_qs << QVariant(u"2"_qs) << true << u"2"_qs;
    QTest::newRow("enum overflow") << u"GridType"_qs << QVariant(u"70000"_qs) << false << QString();
    QTest::newRow("unknown enum name") << u"BorderStyle"_qs << QVariant(u"fancy"_qs) << false << QString();
    QTest::newRow("unknown property") << u"Colour"_qs << QVariant(u"1"_qs) << false << QString();
    QTest::newRow("QObject's own property") << u"objectName"_qs << QVariant(u"x"_qs) << false << QString();
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

QUILLON_TEST_MAIN(TestGridFile)
#include "tst_gridfile.moc"
