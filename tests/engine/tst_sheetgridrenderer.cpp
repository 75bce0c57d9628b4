#include "support/pagefixture.h"
#include "support/recordingqueries.h"
#include "testmain.h"

#include "engine/grids/gridadapters.h"
#include "engine/grids/sheetgridrenderer.h"

#include <quillon/myprint.h>
#include <quillon/sheetgrid.h>

using namespace quillon;

namespace {

using Op = RecordingSurface::Op;

bool coversVertical(const QList<DrawnLine> &segments, double x, double y1, double y2)
{
    return linesCover(segments, true, x, y1, y2);
}

bool coversHorizontal(const QList<DrawnLine> &segments, double y, double x1, double x2)
{
    return linesCover(segments, false, y, x1, x2);
}

/// Whether any line touches the open segment between two points on one axis.
bool anyLineCrosses(const QList<DrawnLine> &segments, double x, double y)
{
    return std::any_of(segments.cbegin(), segments.cend(), [&](const DrawnLine &s) {
        return std::min(s.x1, s.x2) <= x && std::max(s.x1, s.x2) >= x && std::min(s.y1, s.y2) <= y
            && std::max(s.y1, s.y2) >= y;
    });
}

/// The drawing style each line was drawn in (the recording's last argument).
QList<int> lineStyles(const RecordingSurface &page)
{
    QList<int> styles;
    for (const Op &op : page.ops(u"Line"_qs))
        styles << op.args[6].toInt();
    return styles;
}

SheetCellFormat bordered(qint16 style = 1)
{
    SheetCellFormat f;
    f.BorderStyle = { style, style, style, style };
    return f;
}

} // namespace

// The page: origin (1000, 500), 6000 twips wide, every row 400 high, zoom 1. A cell format
// without borders unless a test gives them; the frame is BorderStyle 1 unless set.
class TestSheetGridRenderer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void cellFontFromItsFormat_data();
    void cellFontFromItsFormat();
    void mergedRangePrintsOnce();
    void mergedRangeCutAtThePage();
    void textUnderItsFormat_data();
    void textUnderItsFormat();
    void hiddenColumnTakesNoRoom();
    void framesWithoutCellBorders_data();
    void framesWithoutCellBorders();
    void borderPenForEveryStyle_data();
    void borderPenForEveryStyle();
    void penResetBeforeTheFrame_data();
    void penResetBeforeTheFrame();
    void reduceFontDownToSevenPoints_data();
    void reduceFontDownToSevenPoints();
    void longTextsRunOverEmptyCellsOnly_data();
    void longTextsRunOverEmptyCellsOnly();
    void columnsPastZ_data();
    void columnsPastZ();
    void fillerRowsTakeTheLastRowsBorders_data();
    void fillerRowsTakeTheLastRowsBorders();
    void alignmentCodes_data();
    void alignmentCodes();
    void repeatedFixedColumnsOnEveryBand();

private:
    void setSheet(const QList<QStringList> &rows, int fixedRows, int width = 1000);
    void formatAll(const SheetCellFormat &format);
    void render() { RenderSheetGrid(m_fx->page()); }
    PrintedText printed(const QString &text) const;

    std::unique_ptr<SheetGrid> m_grid;
    std::optional<PageFixture> m_fx;
    SinglePrinterSystem *m_printer = nullptr;
};

void TestSheetGridRenderer::init()
{
    auto printing = std::make_unique<SinglePrinterSystem>(11906, 16838, 11906, 16838);
    m_printer = printing.get();
    TestPlatform::install(std::move(printing));
    m_grid = std::make_unique<SheetGrid>();
    m_fx.emplace();
    // A size no cell has, so that every cell's size is recorded.
    m_fx->surface.setFontSize(1);
    m_fx->surface.clear();
    m_fx->job.setGridType(MyPrint::MnuGridType::ssFormOne6);
    m_fx->job.setDatagrid(m_grid.get());
    // The page format's fonts are not the cells' fonts.
    m_fx->setRowHeight(400).setFont({ u"楷体"_qs, 9, false, false, false, false, 0xFF0000 });
    m_fx->state().Format.ColorPrint = 1;
}

void TestSheetGridRenderer::cleanup()
{
    m_fx.reset();
    m_grid.reset();
    TestPlatform::uninstall();
}

void TestSheetGridRenderer::setSheet(const QList<QStringList> &rows, int fixedRows, int width)
{
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c)
            m_grid->setTextRC(r + 1, c + 1, rows[r][c]);
    }
    m_grid->setFixedRows(fixedRows);
    for (int c = 1; c <= m_grid->MaxCol(); ++c)
        m_grid->setColWidth(c, width);
    for (int r = 1; r <= m_grid->MaxRow(); ++r)
        m_grid->setRowHeight(r, 400);
    m_fx->useGrid();
}

void TestSheetGridRenderer::formatAll(const SheetCellFormat &format)
{
    for (int r = 1; r <= m_grid->MaxRow(); ++r) {
        for (int c = 1; c <= m_grid->MaxCol(); ++c)
            m_grid->setCellFormat(r, c, format);
    }
}

PrintedText TestSheetGridRenderer::printed(const QString &text) const
{
    const QList<PrintedText> all = texts(m_fx->surface);
    const auto it = std::find_if(
        all.cbegin(), all.cend(), [&](const PrintedText &t) { return t.text == text; });
    return it == all.cend() ? PrintedText {} : *it;
}

void TestSheetGridRenderer::cellFontFromItsFormat_data()
{
    QTest::addColumn<int>("colorPrint");
    QTest::addColumn<bool>("colorPrinter");
    QTest::addColumn<int>("color");
    QTest::newRow("colour on") << 1 << true << 255;
    QTest::newRow("colour printing off") << 0 << true << 0;
    QTest::newRow("monochrome printer") << 1 << false << 0;
}

void TestSheetGridRenderer::cellFontFromItsFormat()
{
    QFETCH(int, colorPrint);
    QFETCH(bool, colorPrinter);
    QFETCH(int, color);
    setSheet({ { u"合计"_qs, u"x"_qs } }, 0);
    SheetCellFormat total;
    total.FontName = u"黑体"_qs;
    total.FontSize = 14;
    total.FontBold = true;
    total.FontColor = 255;
    total.HorizontalAlignment = 4;
    total.VerticalAlignment = 2;
    m_grid->setCellFormat(1, 1, total);
    m_fx->state().Format.ColorPrint = qint16(colorPrint);
    m_printer->printer.setColorCapable(colorPrinter);
    render();

    // Two columns of 3000. 合计 at 14 points is 560 × 350: right-aligned, vertically centred.
    const PrintedText sum = printed(u"合计"_qs);
    QCOMPARE(sum.fontSize, 14.0);
    QVERIFY(sum.bold);
    QCOMPARE(sum.color, color);
    QCOMPARE(sum.x, 1000 + 3000 - 560 - 30.0);
    QCOMPARE(sum.y, 500 + 25.0);
    // The next cell has the default format: 10 points, not bold, black, bottom left.
    const PrintedText plain = printed(u"x"_qs);
    QCOMPARE(plain.fontSize, 10.0);
    QVERIFY(!plain.bold);
    QCOMPARE(plain.color, 0);
    QCOMPARE(plain.x, 4030.0);
    QCOMPARE(plain.y, 500 + 400 - 250 - 30.0);
    const QList<Op> names = m_fx->surface.ops(u"FontName"_qs);
    QCOMPARE(names.first().args[0].toString(), u"黑体"_qs);
}

void TestSheetGridRenderer::mergedRangePrintsOnce()
{
    setSheet({ { u"合并单元格"_qs, u"b1"_qs, u"c1"_qs, u"d1"_qs },
                 { u"a2"_qs, u"b2"_qs, u"c2"_qs, u"d2"_qs },
                 { u"a3"_qs, u"b3"_qs, u"c3"_qs, u"d3"_qs } },
        0);
    SheetCellFormat format = bordered();
    format.HorizontalAlignment = 3;
    format.VerticalAlignment = 2;
    formatAll(format);
    m_grid->addMergedRange(1, 1, 2, 3);
    m_fx->job.setBorderStyle(MyPrint::enuBdSy::ssnoborder);
    render();

    QCOMPARE(printedStrings(m_fx->surface),
        (QStringList {
            u"合并单元格"_qs, u"d1"_qs, u"d2"_qs, u"a3"_qs, u"b3"_qs, u"c3"_qs, u"d3"_qs }));
    // Columns of 1500: the range is 4500 × 800; the text, 1000 × 250, centred in it.
    const PrintedText merged = printed(u"合并单元格"_qs);
    QCOMPARE(merged.x, 1000 + 1750.0);
    QCOMPARE(merged.y, 500 + 275.0);
    const QList<DrawnLine> segs = lines(m_fx->surface);
    // No inner edges: neither between its columns nor between its rows.
    QVERIFY(!anyLineCrosses(segs, 2500, 700));
    QVERIFY(!anyLineCrosses(segs, 4000, 1100));
    QVERIFY(!anyLineCrosses(segs, 1750, 900));
    QVERIFY(!anyLineCrosses(segs, 4750, 900));
    // Its outer edges: top and left (the table's edges), right and bottom.
    QVERIFY(coversHorizontal(segs, 500, 1000, 5500));
    QVERIFY(coversVertical(segs, 1000, 500, 1300));
    QVERIFY(coversVertical(segs, 5500, 500, 1300));
    QVERIFY(coversHorizontal(segs, 1300, 1000, 5500));
    // The cells beside and under it keep theirs.
    QVERIFY(coversHorizontal(segs, 900, 5500, 7000));
    QVERIFY(coversVertical(segs, 2500, 1300, 1700));
}

void TestSheetGridRenderer::mergedRangeCutAtThePage()
{
    // A2:A5 merge; a page holds two body rows. Each page shows the part of the range it holds,
    // closed at the page's last row, with the text.
    setSheet(
        { { u"区"_qs }, { u"华北"_qs }, { u""_qs }, { u""_qs }, { u""_qs }, { u"华东"_qs } }, 1);
    SheetCellFormat format = bordered();
    format.VerticalAlignment = 2;
    formatAll(format);
    m_grid->addMergedRange(2, 1, 5, 1);
    m_fx->setRowsPerPage(2);
    for (int page = 1; page <= 2; ++page) {
        m_fx->nextPage(page);
        render();
        QCOMPARE(printedStrings(m_fx->surface), (QStringList { u"区"_qs, u"华北"_qs }));
        // Header 500..900; the part of the range 900..1700; the text 250 high centred in it.
        QCOMPARE(printed(u"华北"_qs).y, 900 + 275.0);
        const QList<DrawnLine> segs = lines(m_fx->surface);
        QVERIFY(!anyLineCrosses(segs, 3000, 1300));
        QVERIFY(coversHorizontal(segs, 1700, 1000, 7000));
        QCOMPARE(m_fx->state().PageOriginY, 1700 + 100);
    }
}

void TestSheetGridRenderer::textUnderItsFormat_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("numberFormat");
    QTest::addColumn<bool>("showZeroValues");
    QTest::addColumn<QString>("shown"); // empty: nothing printed
    QTest::newRow("zero hidden") << u"0"_qs << u"General"_qs << false << QString();
    QTest::newRow("0.0 is not zero") << u"0.0"_qs << u"General"_qs << false << u"0.0"_qs;
    QTest::newRow("zero shown") << u"0"_qs << u"General"_qs << true << u"0"_qs;
    QTest::newRow("zero hidden under 0.00") << u"0"_qs << u"0.00"_qs << false << QString();
    QTest::newRow("two places") << u"3.14159"_qs << u"0.00"_qs << true << u"3.14"_qs;
    QTest::newRow("thousands") << u"1234567.891"_qs << u"#,##0"_qs << true << u"1,234,568"_qs;
    QTest::newRow("per cent") << u"0.256"_qs << u"0%"_qs << true << u"26%"_qs;
    QTest::newRow("date") << u"2026-12-07"_qs << u"yyyy年m月d日"_qs << true << u"2026年12月7日"_qs;
    QTest::newRow("text format") << u"00123"_qs << u"@"_qs << true << u"00123"_qs;
    QTest::newRow("a name under a number format") << u"华东"_qs << u"0.00"_qs << true << u"华东"_qs;
    QTest::newRow("unsupported: raw text") << u"-5"_qs << u"[Red]0.00"_qs << true << u"-5"_qs;
    QTest::newRow("blank") << u"   "_qs << u"0.00"_qs << true << QString();
}

void TestSheetGridRenderer::textUnderItsFormat()
{
    QFETCH(QString, text);
    QFETCH(QString, numberFormat);
    QFETCH(bool, showZeroValues);
    QFETCH(QString, shown);
    setSheet({ { text, u"x"_qs } }, 0);
    SheetCellFormat format;
    format.NumberFormat = numberFormat;
    m_grid->setCellFormat(1, 1, format);
    m_grid->setShowZeroValues(showZeroValues);
    if (numberFormat.startsWith(u'['))
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"number format"_qs));
    render();
    const QStringList expected
        = shown.isEmpty() ? QStringList { u"x"_qs } : QStringList { shown, u"x"_qs };
    QCOMPARE(printedStrings(m_fx->surface), expected);
}

void TestSheetGridRenderer::hiddenColumnTakesNoRoom()
{
    setSheet({ { u"甲"_qs, u"乙"_qs, u"丙"_qs }, { u"1"_qs, u"2"_qs, u"3"_qs } }, 1);
    SheetCellFormat format = bordered();
    format.HorizontalAlignment = 2;
    formatAll(format);
    m_grid->setColHidden(2, true);
    m_fx->job.setBorderStyle(MyPrint::enuBdSy::ssnoborder);
    render();
    QCOMPARE(printedStrings(m_fx->surface), (QStringList { u"甲"_qs, u"丙"_qs, u"1"_qs, u"3"_qs }));
    // Two columns share the page: 3000 each, no gap where the hidden one was.
    QCOMPARE(printed(u"丙"_qs).x, 4030.0);
    const QList<DrawnLine> segs = lines(m_fx->surface);
    QVERIFY(coversVertical(segs, 4000, 500, 1300));
    QVERIFY(coversVertical(segs, 7000, 500, 1300));
    QVERIFY(!anyLineCrosses(segs, 3000, 700));
    QVERIFY(!anyLineCrosses(segs, 5000, 700));
    QVERIFY(coversHorizontal(segs, 1300, 1000, 7000));
}

void TestSheetGridRenderer::framesWithoutCellBorders_data()
{
    QTest::addColumn<int>("borderStyle");
    QTest::addColumn<QList<double>>("first"); // the first line: x1, y1, x2, y2
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("width");
    // One header and two body rows: the table is (1000, 500) to (7000, 1700).
    QTest::newRow("single box") << 1 << QList<double> { 1000, 500, 7000, 500 } << 4 << 2;
    QTest::newRow("double box") << 2 << QList<double> { 1000, 500, 7000, 500 } << 8 << 1;
    QTest::newRow("top and bottom") << 3 << QList<double> { 7000, 500, 7000, 1700 } << 3 << 2;
    QTest::newRow("formula one is the single box")
        << 4 << QList<double> { 1000, 500, 7000, 500 } << 4 << 2;
    QTest::newRow("no border") << 5 << QList<double>() << 0 << 0;
}

void TestSheetGridRenderer::framesWithoutCellBorders()
{
    QFETCH(int, borderStyle);
    QFETCH(QList<double>, first);
    QFETCH(int, count);
    QFETCH(int, width);
    setSheet({ { u"项目"_qs, u"金额"_qs }, { u"a"_qs, u"1"_qs }, { u"b"_qs, u"2"_qs } }, 1);
    m_fx->job.setBorderStyle(MyPrint::enuBdSy(borderStyle));
    render();
    const QList<DrawnLine> segs = lines(m_fx->surface);
    QCOMPARE(segs.size(), count);
    if (count == 0)
        return;
    QCOMPARE((QList<double> { segs[0].x1, segs[0].y1, segs[0].x2, segs[0].y2 }), first);
    for (const DrawnLine &line : segs)
        QCOMPARE(line.width, width);
    QCOMPARE(lineStyles(m_fx->surface), QList<int>(count, 0));
    if (borderStyle == 2)
        QVERIFY(coversHorizontal(segs, 1715, 970, 7030));
}

void TestSheetGridRenderer::borderPenForEveryStyle_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("pattern");
    QTest::newRow("1 thin") << 1 << 1 << 0;
    QTest::newRow("2 medium") << 2 << 2 << 1;
    QTest::newRow("3 dashed") << 3 << 1 << 1;
    QTest::newRow("4 dotted") << 4 << 1 << 2;
    QTest::newRow("5 thick") << 5 << 3 << 0;
    QTest::newRow("6 other") << 6 << 1 << 1;
    QTest::newRow("9 dash-dot") << 9 << 1 << 3;
    QTest::newRow("11 dash-dot-dot") << 11 << 1 << 4;
    QTest::newRow("13 other") << 13 << 1 << 1;
}

void TestSheetGridRenderer::borderPenForEveryStyle()
{
    QFETCH(int, style);
    QFETCH(int, width);
    QFETCH(int, pattern);
    setSheet({ { u"a"_qs } }, 0);
    SheetCellFormat format;
    format.BorderStyle[SheetCellFormat::Bottom] = qint16(style);
    format.BorderColor[SheetCellFormat::Bottom] = 255;
    m_grid->setCellFormat(1, 1, format);
    m_fx->job.setBorderStyle(MyPrint::enuBdSy::ssnoborder);
    render();
    const QList<DrawnLine> segs = lines(m_fx->surface);
    QCOMPARE(segs.size(), 1);
    QCOMPARE(segs[0].y1, 900.0);
    QCOMPARE(segs[0].width, width);
    QCOMPARE(lineStyles(m_fx->surface), QList<int> { pattern });
    // Grid lines keep the page's line colour; the pen takes the border's colour.
    QCOMPARE(segs[0].color, 32768);
    QCOMPARE(m_fx->surface.ops(u"ForeColor"_qs).first().args[0].toInt(), 255);
    // The surface is left with a plain pen.
    QCOMPARE(m_fx->surface.DrawStyle(), 0);
    QCOMPARE(m_fx->surface.DrawWidth(), 1);
}

void TestSheetGridRenderer::penResetBeforeTheFrame_data()
{
    QTest::addColumn<int>("borderStyle");
    QTest::addColumn<int>("frameWidth");
    QTest::newRow("single box") << 1 << 2;
    QTest::newRow("double box") << 2 << 1;
    QTest::newRow("top and bottom") << 3 << 2;
}

void TestSheetGridRenderer::penResetBeforeTheFrame()
{
    QFETCH(int, borderStyle);
    QFETCH(int, frameWidth);
    // The last cell drawn leaves a thick pen, then a medium dashed one.
    setSheet({ { u"a"_qs, u"b"_qs } }, 0);
    SheetCellFormat format;
    format.BorderStyle[SheetCellFormat::Bottom] = 5;
    format.BorderStyle[SheetCellFormat::Right] = 2;
    formatAll(format);
    m_fx->job.setBorderStyle(MyPrint::enuBdSy(borderStyle));
    render();
    const QList<Op> all = m_fx->surface.ops(u"Line"_qs);
    QCOMPARE(all[3].args[5].toInt(), 2); // the last cell's right edge
    QCOMPARE(all[3].args[6].toInt(), 1);
    for (qsizetype i = 4; i < all.size(); ++i) {
        QCOMPARE(all[i].args[5].toInt(), frameWidth);
        QCOMPARE(all[i].args[6].toInt(), 0);
    }
    QVERIFY(all.size() > 4);
}

void TestSheetGridRenderer::reduceFontDownToSevenPoints_data()
{
    QTest::addColumn<int>("reduceFont");
    QTest::addColumn<double>("size");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("printedSize");
    // The cell is 1000 × 400: a text fits when it is under 970 wide and 370 high. The cell
    // beside it is empty: a text still too wide runs over into it.
    QTest::newRow("shrinks until it fits") << 1 << 14.0 << u"一二三四"_qs << 12.0;
    QTest::newRow("half points step down") << 1 << 10.5 << u"一二三四五"_qs << 9.5;
    QTest::newRow("never below 7, then runs over")
        << 1 << 12.0 << u"一二三四五六七八九十"_qs << 7.0;
    QTest::newRow("half points stop at 7") << 1 << 10.5 << u"一二三四五六七八九十"_qs << 7.0;
    QTest::newRow("without ReduceFont") << 0 << 14.0 << u"一二三四"_qs << 14.0;
    QTest::newRow("a text that fits keeps its size") << 1 << 10.0 << u"一二"_qs << 10.0;
}

void TestSheetGridRenderer::reduceFontDownToSevenPoints()
{
    QFETCH(int, reduceFont);
    QFETCH(double, size);
    QFETCH(QString, text);
    QFETCH(double, printedSize);
    setSheet({ { text, QString() } }, 0);
    SheetCellFormat format;
    format.FontSize = size;
    format.HorizontalAlignment = 2;
    m_grid->setCellFormat(1, 1, format);
    // An empty second cell, room to run over.
    m_fx->state().GridCols = m_fx->state().ColEnd = 2;
    m_fx->setWidth(2000).setReduceFont(reduceFont);
    render();
    const QList<PrintedText> all = texts(m_fx->surface);
    QCOMPARE(all.size(), 1); // one line, never wrapped
    QCOMPARE(all[0].text, text);
    QCOMPARE(all[0].fontSize, printedSize);
    QCOMPARE(all[0].x, 1030.0);
}

void TestSheetGridRenderer::longTextsRunOverEmptyCellsOnly_data()
{
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<int>("col"); // the long text's column
    QTest::addColumn<int>("align");
    QTest::addColumn<QString>("printed");
    QTest::addColumn<double>("x");
    // Three columns of 1000; texts at 10 points: a wide character is 200, a digit 100.
    const QString text = u"一二三四五六七八"_qs; // 1600
    const QString number = u"1234567890123"_qs; // 1300
    QTest::newRow("over an empty neighbour")
        << QStringList { text, QString(), u"x"_qs } << 1 << 2 << text << 1030.0;
    QTest::newRow("cut at a neighbour's text")
        << QStringList { text, u"y"_qs, u"x"_qs } << 1 << 2 << u"一二三四"_qs << 1030.0;
    QTest::newRow("a zero shown as empty is room")
        << QStringList { text, u"0"_qs, u"x"_qs } << 1 << 2 << text << 1030.0;
    QTest::newRow("cut at the table's edge")
        << QStringList { u"x"_qs, u"y"_qs, text } << 3 << 2 << u"一二三四"_qs << 3030.0;
    QTest::newRow("right-aligned, over an empty neighbour on the left")
        << QStringList { QString(), text, u"x"_qs } << 2 << 4 << text << 3000 - 1600 - 30.0;
    QTest::newRow("a number with no room is marked") << QStringList { u"y"_qs, number,
        u"x"_qs } << 2 << 4 << u"#########"_qs << 3000 - 900 - 30.0;
    QTest::newRow("a number with room runs over")
        << QStringList { QString(), number, u"x"_qs } << 2 << 4 << number << 3000 - 1300 - 30.0;
}

void TestSheetGridRenderer::longTextsRunOverEmptyCellsOnly()
{
    QFETCH(QStringList, row);
    QFETCH(int, col);
    QFETCH(int, align);
    QFETCH(QString, printed);
    QFETCH(double, x);
    setSheet({ row }, 0);
    SheetCellFormat format;
    format.HorizontalAlignment = qint16(align);
    m_grid->setCellFormat(1, col, format);
    m_grid->setShowZeroValues(false);
    m_fx->setWidth(3000);
    render();
    const QList<PrintedText> all = texts(m_fx->surface);
    // The long text is the one printed text of more than one character.
    const auto it = std::find_if(
        all.cbegin(), all.cend(), [](const PrintedText &t) { return t.text.size() > 1; });
    QVERIFY(it != all.cend());
    QCOMPARE(it->text, printed);
    QCOMPARE(it->x, x);
}

void TestSheetGridRenderer::columnsPastZ_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("letters");
    QTest::newRow("1") << 1 << u"A"_qs;
    QTest::newRow("26") << 26 << u"Z"_qs;
    QTest::newRow("27") << 27 << u"AA"_qs;
    QTest::newRow("52") << 52 << u"AZ"_qs;
    QTest::newRow("60") << 60 << u"BH"_qs;
}

void TestSheetGridRenderer::columnsPastZ()
{
    QFETCH(int, col);
    QFETCH(QString, letters);
    // 60 columns of 200 twips on a 12000-twip page; each cell holds its column's letters.
    QStringList header, body;
    for (int c = 1; c <= 60; ++c) {
        header << SheetGridAccess::columnLetters(c);
        body << QString::number(c);
    }
    setSheet({ header, body }, 1, 200);
    SheetCellFormat format;
    format.FontSize = 5;
    format.HorizontalAlignment = 2;
    formatAll(format);
    m_fx->setWidth(12000);
    render();
    QCOMPARE(printedStrings(m_fx->surface).size(), 120);
    QCOMPARE(printed(letters).x, 1000 + (col - 1) * 200 + 30.0);
    QCOMPARE(printed(letters).y, 500 + 400 - 125 - 30.0);
    QCOMPARE(printed(QString::number(col)).x, 1000 + (col - 1) * 200 + 30.0);
}

void TestSheetGridRenderer::fillerRowsTakeTheLastRowsBorders_data()
{
    QTest::addColumn<bool>("lastRowMerged");
    QTest::newRow("cells of their own") << false;
    QTest::newRow("last row merged across") << true;
}

void TestSheetGridRenderer::fillerRowsTakeTheLastRowsBorders()
{
    QFETCH(bool, lastRowMerged);
    // A header and a body row without borders, then a last row with left, bottom and right
    // edges; a page holds four body rows, the last two blank.
    setSheet({ { u"h1"_qs, u"h2"_qs }, { u"a"_qs, u"b"_qs }, { u"合计"_qs, u"9"_qs } }, 1);
    SheetCellFormat last;
    last.BorderStyle = { 0, 1, 1, 1 };
    m_grid->setCellFormat(3, 1, last);
    m_grid->setCellFormat(3, 2, last);
    if (lastRowMerged)
        m_grid->addMergedRange(3, 1, 3, 2);
    m_fx->setRowsPerPage(4).setFillBlankRows(true);
    m_fx->job.setBorderStyle(MyPrint::enuBdSy::ssnoborder);
    render();
    const QList<DrawnLine> segs = lines(m_fx->surface);
    // Rows: header 500..900, body 900..1300 and 1300..1700, blank 1700..2100 and 2100..2500.
    QVERIFY(!coversHorizontal(segs, 1300, 1000, 7000));
    for (double y : { 1700.0, 2100.0, 2500.0 })
        QVERIFY2(coversHorizontal(segs, y, 1000, 7000), qPrintable(QString::number(y)));
    for (double y : { 1700.0, 2100.0 }) {
        QVERIFY(coversVertical(segs, 1000, y, y + 400));
        QVERIFY(coversVertical(segs, 7000, y, y + 400));
        QCOMPARE(coversVertical(segs, 4000, y, y + 400), !lastRowMerged);
    }
    QVERIFY(!anyLineCrosses(segs, 4000, 1100));
    QCOMPARE(m_fx->state().PageOriginY, 2500 + 100);
    QCOMPARE(printedStrings(m_fx->surface).size(), lastRowMerged ? 5 : 6);
}

void TestSheetGridRenderer::alignmentCodes_data()
{
    QTest::addColumn<int>("horizontal");
    QTest::addColumn<int>("vertical");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    // The cell is (1000, 500), 2000 × 400. "123" is 300 wide, "名称" 400, the date 1000; all
    // are 250 high. Top 530, centre 575, bottom 620.
    QTest::newRow("left top") << 2 << 1 << u"123"_qs << 1030.0 << 530.0;
    QTest::newRow("centre centre") << 3 << 2 << u"名称"_qs << 1800.0 << 575.0;
    QTest::newRow("right bottom") << 4 << 3 << u"名称"_qs << 2570.0 << 620.0;
    QTest::newRow("general number") << 1 << 3 << u"123"_qs << 2670.0 << 620.0;
    QTest::newRow("general date") << 1 << 3 << u"2026-12-07"_qs << 1500.0 << 620.0;
    QTest::newRow("general text") << 1 << 3 << u"名称"_qs << 1030.0 << 620.0;
    QTest::newRow("fill is general") << 5 << 3 << u"123"_qs << 2670.0 << 620.0;
    QTest::newRow("justify is general") << 6 << 3 << u"名称"_qs << 1030.0 << 620.0;
    QTest::newRow("0 is general") << 0 << 1 << u"123"_qs << 2670.0 << 530.0;
    QTest::newRow("7 is general") << 7 << 1 << u"名称"_qs << 1030.0 << 530.0;
    QTest::newRow("-1 is general") << -1 << 1 << u"2026-12-07"_qs << 1500.0 << 530.0;
    QTest::newRow("vertical 0 is bottom") << 2 << 0 << u"123"_qs << 1030.0 << 620.0;
    QTest::newRow("vertical 4 is bottom") << 2 << 4 << u"123"_qs << 1030.0 << 620.0;
}

void TestSheetGridRenderer::alignmentCodes()
{
    QFETCH(int, horizontal);
    QFETCH(int, vertical);
    QFETCH(QString, text);
    QFETCH(double, x);
    QFETCH(double, y);
    setSheet({ { text } }, 0, 2000);
    SheetCellFormat format;
    format.HorizontalAlignment = qint16(horizontal);
    format.VerticalAlignment = qint16(vertical);
    m_grid->setCellFormat(1, 1, format);
    m_fx->setWidth(2000);
    render();
    const PrintedText t = printed(text);
    QCOMPARE(t.x, x);
    QCOMPARE(t.y, y);
}

void TestSheetGridRenderer::repeatedFixedColumnsOnEveryBand()
{
    // Column A repeats on both bands (B..C, then D); B and C merge in the heading.
    setSheet({ { u"科目"_qs, u"本期"_qs, u""_qs, u"累计"_qs },
                 { u"现金"_qs, u"1"_qs, u"2"_qs, u"3"_qs } },
        1);
    SheetCellFormat format = bordered();
    formatAll(format);
    m_grid->addMergedRange(1, 2, 1, 3);
    m_fx->setBands({ 2, 4 }, 1, true, 1000);
    m_fx->job.setBorderStyle(MyPrint::enuBdSy::ssnoborder);
    const QList<QStringList> expected { { u"科目"_qs, u"本期"_qs, u"现金"_qs, u"1"_qs, u"2"_qs },
        { u"科目"_qs, u"累计"_qs, u"现金"_qs, u"3"_qs } };
    // Band 1: three columns of 2000. Band 2: two of 3000. Both end at the page's edge.
    const QList<double> fixedRight { 3000, 4000 };
    for (int band = 1; band <= 2; ++band) {
        m_fx->nextPage(1, band);
        render();
        QCOMPARE(printedStrings(m_fx->surface), expected[band - 1]);
        const QList<DrawnLine> segs = lines(m_fx->surface);
        QVERIFY(coversVertical(segs, fixedRight[band - 1], 500, 1300));
        QVERIFY(coversVertical(segs, 7000, 500, 1300));
    }
    // The merged heading spans both band columns: no edge between them in the heading row.
    m_fx->nextPage(1, 1);
    render();
    QVERIFY(!anyLineCrosses(lines(m_fx->surface), 5000, 700));
    QVERIFY(coversVertical(lines(m_fx->surface), 5000, 900, 1300));
}

QUILLON_TEST_MAIN(TestSheetGridRenderer)
#include "tst_sheetgridrenderer.moc"
