#include "support/pagefixture.h"
#include "support/recordingqueries.h"
#include "testmain.h"

#include "engine/grids/spreadgridrenderer.h"
#include "engine/state/enginestate.h"

#include <quillon/myprint.h>
#include <quillon/spreadgrid.h>

using namespace quillon;

namespace {

/// Whether the horizontal segments at y, joined, run from x1 to x2 without a gap.
bool closedAlong(const QList<DrawnLine> &segments, double y, double x1, double x2)
{
    double reached = x1;
    for (bool grew = true; grew && reached < x2;) {
        grew = false;
        for (const DrawnLine &s : segments) {
            const double from = std::min(s.x1, s.x2), to = std::max(s.x1, s.x2);
            if (s.y1 == y && s.y2 == y && from <= reached && to > reached) {
                reached = to;
                grew = true;
            }
        }
    }
    return reached >= x2;
}

PrintedText printed(const RecordingSurface &page, const QString &text)
{
    for (const PrintedText &t : texts(page)) {
        if (t.text == text)
            return t;
    }
    return { u"(not printed)"_qs };
}

/// Where each print of a text went, in order.
QList<QPointF> placesOf(const RecordingSurface &page, const QString &text)
{
    QList<QPointF> places;
    for (const PrintedText &t : texts(page)) {
        if (t.text == text)
            places << QPointF(t.x, t.y);
    }
    return places;
}

} // namespace

// The page: origin (1000, 500), 6000 twips wide, data rows of 300, header rows of 300 unless
// set, zoom 1, every font 宋体 9 (a wide character 180 × 225, a narrow one 90 wide). Data cells
// hold their column letter and row number ("a1"); the frame is BorderStyle 1.
class TestSpreadGridRenderer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void headerRowsAtTheirOwnHeights_data();
    void headerRowsAtTheirOwnHeights();
    void spansClippedToTheBand();
    void dataSpanClippedToThePage();
    void typedCells_data();
    void typedCells();
    void rowHeaderColumn_data();
    void rowHeaderColumn();

private:
    void setGrid(int rows, int cols, int width);

    void render() { RenderSpreadGrid(m_fx->page()); }

    std::unique_ptr<SpreadGrid> m_grid;
    std::optional<PageFixture> m_fx;
};

void TestSpreadGridRenderer::init()
{
    installGridPagePlatform();
    m_grid = std::make_unique<SpreadGrid>();
    m_fx.emplace();
    m_fx->job.setGridType(MyPrint::MnuGridType::ssSpread);
    m_fx->job.setDatagrid(m_grid.get());
}

void TestSpreadGridRenderer::cleanup()
{
    m_fx.reset();
    m_grid.reset();
    TestPlatform::uninstall();
}

void TestSpreadGridRenderer::setGrid(int rows, int cols, int width)
{
    m_grid->setMaxRows(rows);
    m_grid->setMaxCols(cols);
    for (int c = 0; c <= cols; ++c)
        m_grid->setColWidthTwips(c, width);
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= cols; ++c)
            m_grid->setCellText(c, r, QChar(u'a' + c - 1) + QString::number(r));
    }
    m_fx->useGrid().state().FixedCols = 1; // the row-header column
}

void TestSpreadGridRenderer::headerRowsAtTheirOwnHeights_data()
{
    QTest::addColumn<int>("fixRowsHeight");
    QTest::addColumn<QList<double>>("bottoms"); // of header rows 0 and -999 and data row 1
    QTest::addColumn<double>("spanY"); // the header span over both header rows
    QTest::addColumn<double>("lowerY"); // a plain cell of header row -999
    // 合并 is centred in 400 + 600: 500 + (1000 - 225) / 2; 乙 in 900 + (600 - 225) / 2.
    QTest::newRow("own heights") << 0 << QList<double> { 900, 1500, 1800 } << 888.0 << 1088.0;
    // Every header row, the span's two included, is FixRowsHeight high.
    QTest::newRow("FixRowsHeight") << 450 << QList<double> { 950, 1400, 1700 } << 838.0 << 1062.0;
}

void TestSpreadGridRenderer::headerRowsAtTheirOwnHeights()
{
    QFETCH(int, fixRowsHeight);
    QFETCH(QList<double>, bottoms);
    QFETCH(double, spanY);
    QFETCH(double, lowerY);
    setGrid(1, 3, 2000);
    m_grid->setColHeaderRows(2);
    m_grid->setRowHeightTwips(0, 400);
    m_grid->setRowHeightTwips(-999, 600);
    m_grid->setCellText(1, 0, u"合并"_qs);
    m_grid->setTypeHAlignAt(1, 0, 2);
    m_grid->addCellSpan(1, 0, 1, 2);
    m_grid->setCellText(2, -999, u"乙"_qs);
    m_grid->setCellText(3, -999, u"丙"_qs);
    EngineState &s = m_fx->state();
    s.FixRowsHeightTw = fixRowsHeight;
    s.FontTable[3].Bold = true; // plain header cells; spans and data cells take font 5
    render();

    QCOMPARE(printedStrings(m_fx->surface),
        (QStringList {
            u"合并"_qs, u"B"_qs, u"C"_qs, u"乙"_qs, u"丙"_qs, u"a1"_qs, u"b1"_qs, u"c1"_qs }));
    QCOMPARE(printed(m_fx->surface, u"合并"_qs).x, 1000 + (2000 - 360) / 2.0);
    QCOMPARE(printed(m_fx->surface, u"合并"_qs).y, spanY);
    QVERIFY(!printed(m_fx->surface, u"合并"_qs).bold);
    QVERIFY(printed(m_fx->surface, u"B"_qs).bold);
    QCOMPARE(printed(m_fx->surface, u"乙"_qs).y, lowerY);

    const QList<DrawnLine> segs = lines(m_fx->surface);
    QVERIFY(!hasHorizontal(segs, bottoms[0], 1000, 3000)); // inside the span
    QVERIFY(hasHorizontal(segs, bottoms[0], 3000, 5000));
    QVERIFY(hasHorizontal(segs, bottoms[0], 5000, 7000));
    QVERIFY(closedAlong(segs, bottoms[1], 1000, 7000));
    QVERIFY(closedAlong(segs, bottoms[2], 1000, 7000));
    QVERIFY(hasVertical(segs, 3000, 500, bottoms[0])); // the span's right edge, row by row
    QVERIFY(hasVertical(segs, 3000, bottoms[0], bottoms[1]));
    QCOMPARE(s.PageOriginY, int(bottoms[2]) + 100);
}

void TestSpreadGridRenderer::spansClippedToTheBand()
{
    // Four columns of 1000 in two bands of two, each drawn 3000 wide. A header span over
    // columns 1 to 3 and a data span over columns 2 and 3 cross the band edge: each band draws
    // the part it holds and its text in that part's box (360 wide, centred).
    setGrid(1, 4, 1000);
    m_grid->setCellText(1, 0, u"期间"_qs);
    m_grid->setTypeHAlignAt(1, 0, 2);
    m_grid->addCellSpan(1, 0, 3, 1);
    m_grid->setCellText(2, 1, u"跨列"_qs);
    m_grid->setTypeHAlignAt(2, 1, 2);
    m_grid->addCellSpan(2, 1, 2, 1);
    m_fx->setBands({ 1, 3 }, 1, false);

    const QList<QStringList> expected { { u"期间"_qs, u"a1"_qs, u"跨列"_qs },
        { u"期间"_qs, u"D"_qs, u"跨列"_qs, u"d1"_qs } };
    const QList<double> headerX { 1000 + (6000 - 360) / 2, 1000 + (3000 - 360) / 2 };
    const QList<double> dataX { 4000 + (3000 - 360) / 2, 1000 + (3000 - 360) / 2 };
    for (int band = 0; band < 2; ++band) {
        m_fx->nextPage(1, band + 1);
        render();
        QCOMPARE(printedStrings(m_fx->surface), expected[band]);
        QCOMPARE(
            placesOf(m_fx->surface, u"期间"_qs), QList<QPointF> { QPointF(headerX[band], 538) });
        QCOMPARE(placesOf(m_fx->surface, u"跨列"_qs), QList<QPointF> { QPointF(dataX[band], 838) });
        const QList<DrawnLine> segs = lines(m_fx->surface);
        // The header span's inner edge lies in band 1 only; its part ends where the band does.
        QCOMPARE(hasVertical(segs, 4000, 500, 800), band == 1);
        QVERIFY(hasVertical(segs, 4000, 800, 1100));
        for (const DrawnLine &l : segs)
            QVERIFY(l.x1 <= 7000 && l.x2 <= 7000); // nothing past the page's width
    }
}

void TestSpreadGridRenderer::dataSpanClippedToThePage()
{
    // Two rows a page; a span of three rows starts on page 1's last row. Page 1 draws its first
    // row, closed at the table's bottom; page 2 the other two, with the text again.
    setGrid(4, 2, 3000);
    m_grid->setCellText(1, 2, u"跨页"_qs);
    m_grid->setTypeHAlignAt(1, 2, 2);
    m_grid->addCellSpan(1, 2, 1, 3);
    m_fx->setRowsPerPage(2);
    render();
    QCOMPARE(printedStrings(m_fx->surface),
        (QStringList { u"A"_qs, u"B"_qs, u"a1"_qs, u"b1"_qs, u"跨页"_qs, u"b2"_qs }));
    QCOMPARE(placesOf(m_fx->surface, u"跨页"_qs), QList<QPointF> { QPointF(2320, 1138) });
    QList<DrawnLine> segs = lines(m_fx->surface);
    QVERIFY(hasHorizontal(segs, 1400, 1000, 7000));
    for (const DrawnLine &l : segs)
        QVERIFY(l.y1 <= 1400 && l.y2 <= 1400); // nothing below the table, over the foot lines
    QCOMPARE(
        m_fx->surface.ops(u"Line"_qs).last().toString(), u"Line 1000 1400 7000 1400 32768 2 0"_qs);
    QCOMPARE(m_fx->surface.DrawWidth(), 1);
    QCOMPARE(m_fx->state().PageOriginY, 1500);

    m_fx->nextPage(2);
    render();
    QCOMPARE(printedStrings(m_fx->surface),
        (QStringList { u"A"_qs, u"B"_qs, u"跨页"_qs, u"b3"_qs, u"b4"_qs }));
    QCOMPARE(placesOf(m_fx->surface, u"跨页"_qs), QList<QPointF> { QPointF(2320, 988) });
    segs = lines(m_fx->surface);
    QVERIFY(!hasHorizontal(segs, 1100, 1000, 4000));
    QVERIFY(hasHorizontal(segs, 1100, 4000, 7000));
    QVERIFY(hasHorizontal(segs, 1400, 1000, 7000));
}

void TestSpreadGridRenderer::typedCells_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("text"); // printed right-aligned, 90 a character
    QTest::newRow("number, 2 decimals") << 13 << 2 << u"1234.5"_qs << u"1,234.50"_qs;
    QTest::newRow("number, 0 decimals") << 13 << 0 << u"1234.5"_qs << u"1234.5"_qs;
    QTest::newRow("number, rounded and grouped")
        << 13 << 2 << u"-1234567.891"_qs << u"-1,234,567.89"_qs;
    QTest::newRow("number, at most six decimals") << 13 << 8 << u"1.5"_qs << u"1.500000"_qs;
    QTest::newRow("number cell without a number") << 13 << 2 << u"n/a"_qs << u"n/a"_qs;
    QTest::newRow("check, 1") << 10 << 0 << u"1"_qs << u"√"_qs;
    QTest::newRow("check, 0") << 10 << 0 << u"0"_qs << QString();
    QTest::newRow("check, 2") << 10 << 0 << u"2"_qs << QString();
    QTest::newRow("text cell") << 1 << 2 << u"1234.5"_qs << u"1234.5"_qs;
}

void TestSpreadGridRenderer::typedCells()
{
    QFETCH(int, type);
    QFETCH(int, decimals);
    QFETCH(QString, value);
    QFETCH(QString, text);
    setGrid(1, 1, 6000);
    m_grid->setCellText(1, 1, value);
    m_grid->setCellTypeAt(1, 1, qint16(type));
    m_grid->setTypeNumberDecPlacesAt(1, 1, qint16(decimals));
    m_grid->setTypeHAlignAt(1, 1, 1);
    render();
    const QStringList strings = printedStrings(m_fx->surface);
    const QStringList expected
        = text.isEmpty() ? QStringList { u"A"_qs } : QStringList { u"A"_qs, text };
    QCOMPARE(strings, expected);
    if (!text.isEmpty())
        QCOMPARE(printed(m_fx->surface, text).x, 7000 - text.size() * 90 - 30);
}

void TestSpreadGridRenderer::rowHeaderColumn_data()
{
    QTest::addColumn<int>("multFixCol");
    QTest::addColumn<int>("fill");
    QTest::addColumn<QString>("corner");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("rows"); // body rows drawn
    QTest::addColumn<double>("firstEdge"); // the first column's right edge
    // Column 0 is 500 wide, columns 1 and 2 1000: with column 0 the band is drawn 1200, 2400,
    // 2400; without it 3000, 3000.
    QTest::newRow("row numbers on filler rows")
        << 1 << 1 << QString()
        << QStringList { u"A"_qs, u"B"_qs, u"1"_qs, u"a1"_qs, u"b1"_qs, u"2"_qs, u"a2"_qs, u"b2"_qs,
               u"3"_qs, u"a3"_qs, u"b3"_qs, u"4"_qs, u"5"_qs }
        << 5 << 2200.0;
    QTest::newRow("the corner heads the row numbers")
        << 1 << 0 << u"序号"_qs
        << QStringList { u"序号"_qs, u"A"_qs, u"B"_qs, u"1"_qs, u"a1"_qs, u"b1"_qs, u"2"_qs,
               u"a2"_qs, u"b2"_qs, u"3"_qs, u"a3"_qs, u"b3"_qs }
        << 3 << 2200.0;
    QTest::newRow("no row-header column") << 0 << 1 << QString()
                                          << QStringList { u"A"_qs, u"B"_qs, u"a1"_qs, u"b1"_qs,
                                                 u"a2"_qs, u"b2"_qs, u"a3"_qs, u"b3"_qs }
                                          << 5 << 4000.0;
}

void TestSpreadGridRenderer::rowHeaderColumn()
{
    QFETCH(int, multFixCol);
    QFETCH(int, fill);
    QFETCH(QString, corner);
    QFETCH(QStringList, texts);
    QFETCH(int, rows);
    QFETCH(double, firstEdge);
    setGrid(3, 2, 1000);
    m_grid->setColWidthTwips(0, 500);
    if (!corner.isEmpty())
        m_grid->setCellText(0, 0, corner);
    m_fx->setRowsPerPage(5).setFillBlankRows(fill);
    m_fx->state().Format.MultFixCol = qint16(multFixCol);
    render();
    QCOMPARE(printedStrings(m_fx->surface), texts);
    const QList<DrawnLine> segs = lines(m_fx->surface);
    for (int r = 0; r <= rows; ++r) // the header row, then each body row
        QVERIFY(hasVertical(segs, firstEdge, r == 0 ? 500 : 500 + r * 300, 800 + r * 300));
    QVERIFY(hasHorizontal(segs, 800 + rows * 300, 1000, 7000));
    QCOMPARE(m_fx->state().PageOriginY, 800 + rows * 300 + 100);
    // Row numbers and the corner's heading are centred in column 0, filler rows' too.
    if (multFixCol == 1)
        QCOMPARE(printed(m_fx->surface, u"3"_qs).x, 1000 + (1200 - 90) / 2.0);
    if (fill == 1 && multFixCol == 1)
        QCOMPARE(printed(m_fx->surface, u"5"_qs).y, 2000 + 38.0); // 37.5, half to even
    if (!corner.isEmpty())
        QCOMPARE(printed(m_fx->surface, corner).x, 1000 + (1200 - 360) / 2.0);
}

QUILLON_TEST_MAIN(TestSpreadGridRenderer)
#include "tst_spreadgridrenderer.moc"
