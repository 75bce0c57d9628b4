#include "support/pagefixture.h"
#include "support/recordingqueries.h"
#include "support/singleprinter.h"
#include "testmain.h"

#include "engine/draw/amountcolumns.h"

#include <quillon/error.h>
#include <quillon/myprint.h>
#include <quillon/vouchergrid.h>

using namespace quillon;

namespace {

/// A voucher grid whose amount-column information cannot be read for one column.
class FailingVoucherGrid : public VoucherGrid
{
public:
    std::optional<AmountColumn> GetJeLineInf(qint32 col) const override
    {
        if (col == failing)
            throw Error(380, QStringLiteral("Invalid property value"));
        return VoucherGrid::GetJeLineInf(col);
    }
    qint32 failing = -1;
};

/// The separators and outer lines of an amount column, by x.
QList<DrawnLine> verticals(const QList<DrawnLine> &all)
{
    QList<DrawnLine> out;
    for (const DrawnLine &l : all) {
        if (l.x1 == l.x2)
            out << l;
    }
    std::sort(out.begin(), out.end(), [](const DrawnLine &a, const DrawnLine &b) {
        return a.x1 > b.x1; // from the right, as the cells are counted
    });
    return out;
}

} // namespace

// The grid: 4 columns (摘要 2000, 借方 12 digit cells, 贷方 12 digit cells, a plain column
// 1000 wide), 2 header rows of 400 twips (row 1 carries the unit labels), 3 body rows, no
// bottom rows. The page: grid at (1000, 500), body rows of 300, 10 per page, zoom 1. Every
// font is 宋体 9 points: on the recording surface a digit is 90 twips, the 3-point label 60
// wide and 75 high.
class TestAmountColumns : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void columnDrawWidth_data();
    void columnDrawWidth();
    void twelveCellsWithLines();
    void twelveCellsWithoutLines();
    void nothingForNarrowOrPlainColumns_data();
    void nothingForNarrowOrPlainColumns();
    void colours_data();
    void colours();
    void linesThroughBlankAndBottomRows_data();
    void linesThroughBlankAndBottomRows();
    void startsAfterTheRepeatedFixedColumns();
    void zoomedPositions();
    void smallBodyFontKeepsReadableLabels();
    void failingColumnLosesOnlyItself();

private:
    void setUpGrid(int bodyRows = 3, int bottomRows = 0);
    /// Draws the amount columns of columns first..last with scale 1 and FitRatio 2.
    void draw(int first = 0, int last = 3);

    std::unique_ptr<FailingVoucherGrid> m_grid;
    std::optional<PageFixture> m_fx;
};

void TestAmountColumns::init()
{
    installGridPagePlatform();
    m_grid = std::make_unique<FailingVoucherGrid>();
    m_fx.emplace();
    m_fx->job.setGridType(MyPrint::MnuGridType::ssTesselGrid);
    m_fx->job.setDatagrid(m_grid.get());
    setUpGrid();
}

void TestAmountColumns::cleanup()
{
    m_fx.reset();
    m_grid.reset();
    TestPlatform::uninstall();
}

void TestAmountColumns::setUpGrid(int bodyRows, int bottomRows)
{
    const int rows = 2 + bodyRows + bottomRows;
    m_grid->setSize(rows, 4);
    m_grid->setFixedRowsT(2);
    m_grid->setFixedRowsB(bottomRows);
    m_grid->setColWidth(0, 2000);
    m_grid->setColWidth(1, 1500);
    m_grid->setColWidth(2, 1500);
    m_grid->setColWidth(3, 1000);
    for (int r = 0; r < rows; ++r)
        m_grid->setRowHeight(r, 400);
    // Lines from the label row to the last body row, in blue, the decimal point's in red.
    const qint32 lastData = 2 + bodyRows - 1;
    m_grid->setAmountColumn(1, { 12, 1, lastData, 0xFF0000, 0x0000FF });
    m_grid->setAmountColumn(2, { 12, 1, lastData, 0xFF0000, 0x0000FF });
    m_fx->useGrid();
}

void TestAmountColumns::draw(int first, int last)
{
    EngineState &s = m_fx->state();
    s.FirstBodyCol = first;
    s.LastBodyCol = last;
    s.FitRatio = 2;
    DrawAmountColumns(m_fx->page(), 1000, 500, 1.0);
}

void TestAmountColumns::columnDrawWidth_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<double>("fitRatio");
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<int>("digitWidth");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<int>("ownWidth"); // 0: as the grid has it
    QTest::addColumn<int>("width");

    // 12 digit cells of 90 and the outer lines' insets, 2 × 30, whatever the column's own width
    // and the scale.
    QTest::newRow("amount, page wider") << 1 << 1.5 << 0.8 << 1.0 << 0 << false << 0 << 1140;
    QTest::newRow("amount, digit width given")
        << 1 << 1.5 << 0.8 << 1.0 << 100 << false << 0 << 1260;
    // At zoom 2 the font is 18 points: a digit is 180.
    QTest::newRow("amount, zoom 2") << 1 << 1.5 << 1.0 << 2.0 << 0 << false << 0 << 2220;
    // Not wider: the amount column scales like the others; 1500 × 0.9 = 1350.
    QTest::newRow("amount, page narrower") << 1 << 0.9 << 0.9 << 1.0 << 0 << false << 0 << 1350;
    QTest::newRow("amount, ratio exactly 1") << 1 << 1.0 << 1.0 << 1.0 << 0 << false << 0 << 1500;
    QTest::newRow("plain column") << 0 << 1.5 << 1.5 << 1.0 << 0 << false << 0 << 3000;
    // 1000 × 0.5 × 1.0005 = 500.25; 5 × 0.5 = 2.5, to even.
    QTest::newRow("rounded") << 3 << 1.5 << 1.0005 << 0.5 << 0 << false << 0 << 500;
    QTest::newRow("half to even") << 3 << 1.5 << 0.5 << 1.0 << 0 << false << 5 << 2;
    QTest::newRow("hidden amount") << 1 << 1.5 << 1.0 << 1.0 << 0 << true << 0 << 0;
    QTest::newRow("hidden plain") << 0 << 1.5 << 1.0 << 1.0 << 0 << true << 0 << 0;
}

void TestAmountColumns::columnDrawWidth()
{
    QFETCH(int, column);
    QFETCH(double, fitRatio);
    QFETCH(double, scale);
    QFETCH(double, zoom);
    QFETCH(int, digitWidth);
    QFETCH(bool, hidden);
    QFETCH(int, ownWidth);
    QFETCH(int, width);
    if (ownWidth)
        m_grid->setColWidth(column, ownWidth);
    m_fx->setZoom(zoom).state().FitRatio = fitRatio;
    m_grid->setColHide(column, hidden);
    QCOMPARE(ColumnDrawWidth(m_fx->page(), *m_grid, column, scale, digitWidth), width);
    // It leaves the body font on the surface.
    QCOMPARE(m_fx->surface.FontName(), u"宋体"_qs);
    QCOMPARE(m_fx->surface.FontSize(), 9 * zoom);
}

void TestAmountColumns::twelveCellsWithLines()
{
    draw(0, 1);
    // Column 0 ends at 1000 + 2000 = 3000, the amount column at 3000 + 12 × 90 + 2 × 30 = 4140.
    // Its lines run from the label row (900) down through row 1 and the 3 body rows: 1300
    // twips. The cells end 30 before the column's edge: cell k spans 4110 − 90k to 4110 −
    // 90(k − 1).
    const QList<DrawnLine> lines = verticals(::lines(m_fx->surface));
    QCOMPARE(lines.size(), 13); // two outer lines, 11 separators
    const auto expect = [&](int i, double x, double top, int colour, int width) {
        const DrawnLine &l = lines[i];
        QCOMPARE(l.x1, x);
        QCOMPARE(l.y1, top);
        QCOMPARE(l.y2, 2200.0);
        QCOMPARE(l.color, colour);
        QCOMPARE(l.width, width);
    };
    expect(0, 4110, 900, 0xFF0000, 1); // right outer line
    expect(1, 4020, 900, 0xFF0000, 1); // 分 | 角
    expect(2, 3930, 900, 0x0000FF, 1); // 角 | 元: the decimal point
    expect(3, 3840, 900, 0xFF0000, 1);
    expect(4, 3750, 900, 0xFF0000, 1);
    expect(5, 3660, 920, 0xFF0000, 5); // 佰 | 仟, thick (12 twips, 0.6 pt) and 20 lower
    expect(6, 3570, 900, 0xFF0000, 1);
    expect(7, 3480, 900, 0xFF0000, 1);
    expect(8, 3390, 920, 0xFF0000, 5); // 拾 | 佰 of the 万 group
    expect(9, 3300, 900, 0xFF0000, 1);
    expect(10, 3210, 900, 0xFF0000, 1);
    expect(11, 3120, 920, 0xFF0000, 5); // 仟 | 亿
    // The left outer line, 30 inside the column, is the leftmost cell's left edge: the cell
    // (亿's 拾) is as wide as the others.
    expect(12, 3030, 900, 0xFF0000, 1);
    QCOMPARE(lines[11].x1 - lines[12].x1, 90.0);

    // Labels right to left, centred in their cells ((90 − 60) / 2) and in the label row
    // ((400 − 75) / 2 = 162.5, to even: 162), in the grid's line colour.
    const QList<PrintedText> printed = texts(m_fx->surface);
    QCOMPARE(printed.size(), 12);
    const QString labels = u"分角元拾佰仟万拾佰仟亿拾"_qs;
    for (int k = 1; k <= 12; ++k) {
        const PrintedText &t = printed[k - 1];
        QCOMPARE(t.text, labels.mid(k - 1, 1));
        QCOMPARE(t.x, 4110.0 - 90 * k + 15);
        QCOMPARE(t.y, 1062.0);
        QCOMPARE(t.fontSize, 3.0);
        QCOMPARE(t.color, 32768);
    }
    QCOMPARE(m_fx->surface.FontName(), u"楷体_GB2312"_qs);
    QCOMPARE(m_fx->surface.DrawWidth(), 5); // the last separator (k = 11) is thick; k = 12 has none
}

void TestAmountColumns::twelveCellsWithoutLines()
{
    m_fx->state().Format.Cyline = 0;
    draw(0, 1);
    QVERIFY(::lines(m_fx->surface).isEmpty());
    QCOMPARE(printedStrings(m_fx->surface),
        (QStringList { u"分"_qs, u"角"_qs, u"．"_qs, u"元"_qs, u"拾"_qs, u"佰"_qs, u"，"_qs,
            u"仟"_qs, u"万"_qs, u"拾"_qs, u"，"_qs, u"佰"_qs }));
    // The places are those of the cells with lines.
    const QList<PrintedText> printed = texts(m_fx->surface);
    QCOMPARE(printed[2].x, 4110.0 - 90 * 3 + 15);
    QCOMPARE(printed[11].x, 4110.0 - 90 * 12 + 15);

    // A leftmost cell that would show a separator shows nothing: 11 cells end on "，".
    m_fx->surface.clear();
    m_grid->setAmountColumn(1, { 11, 1, 4, 0xFF0000, 0x0000FF });
    draw(0, 1);
    QCOMPARE(printedStrings(m_fx->surface).size(), 10);
    QCOMPARE(printedStrings(m_fx->surface).last(), u"拾"_qs);
}

void TestAmountColumns::nothingForNarrowOrPlainColumns_data()
{
    QTest::addColumn<double>("fitRatio");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("expectedLabels");

    // The page is narrower than the grid: the amount column is 1500 × scale wide, and its
    // digit cells lie between outer lines 30 inside it.
    QTest::newRow("one digit cell wide") << 0.5 << 0.06 << 0; // 90: no cell between the lines
    QTest::newRow("just under one cell") << 0.5 << 0.0993 << 0; // 149: 89 between the lines
    QTest::newRow("one cell") << 0.5 << 0.1 << 1; // 150: the leftmost label only
    QTest::newRow("two cells") << 0.5 << 0.16 << 2; // 240: one separator and two labels
}

void TestAmountColumns::nothingForNarrowOrPlainColumns()
{
    QFETCH(double, fitRatio);
    QFETCH(double, scale);
    QFETCH(int, expectedLabels);
    EngineState &s = m_fx->state();
    s.FirstBodyCol = 0;
    s.LastBodyCol = 3; // columns 0 and 3 are no amount columns
    m_grid->setColHide(2, true);
    s.FitRatio = fitRatio;
    DrawAmountColumns(m_fx->page(), 1000, 500, scale);
    QCOMPARE(printedStrings(m_fx->surface).size(), expectedLabels);
    QCOMPARE(
        verticals(::lines(m_fx->surface)).size(), expectedLabels == 0 ? 0 : expectedLabels + 1);
}

void TestAmountColumns::colours_data()
{
    QTest::addColumn<int>("colorPrint");
    QTest::addColumn<bool>("colourPrinter");
    QTest::addColumn<int>("jeLineColor");
    QTest::addColumn<int>("dotLineColor");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("dot");

    QTest::newRow("the grid's") << 1 << true << -1 << -1 << 0xFF0000 << 0x0000FF;
    QTest::newRow("the format's") << 1 << true << 0x00FF00 << 0x808080 << 0x00FF00 << 0x808080;
    QTest::newRow("the format's line only") << 1 << true << 0x00FF00 << -1 << 0x00FF00 << 0x0000FF;
    QTest::newRow("no colour printing") << 0 << true << 0x00FF00 << 0x808080 << 0 << 0;
    QTest::newRow("monochrome printer") << 1 << false << 0x00FF00 << 0x808080 << 0 << 0;
}

void TestAmountColumns::colours()
{
    QFETCH(int, colorPrint);
    QFETCH(bool, colourPrinter);
    QFETCH(int, jeLineColor);
    QFETCH(int, dotLineColor);
    QFETCH(int, line);
    QFETCH(int, dot);
    EngineState &s = m_fx->state();
    s.Format.ColorPrint = qint16(colorPrint);
    s.Format.JeLineColor = jeLineColor;
    s.Format.DotLineColor = dotLineColor;
    static_cast<SinglePrinterSystem &>(printingSystem()).printer.setColorCapable(colourPrinter);
    draw(0, 1);
    const QList<DrawnLine> lines = verticals(::lines(m_fx->surface));
    QCOMPARE(lines.size(), 13);
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(lines[i].color, i == 2 ? dot : line);
}

void TestAmountColumns::linesThroughBlankAndBottomRows_data()
{
    QTest::addColumn<int>("bodyRows");
    QTest::addColumn<int>("fillBlankLine");
    QTest::addColumn<int>("lastRow");
    QTest::addColumn<int>("page");
    QTest::addColumn<double>("bottom");

    // 3 body rows on a page of 10, one bottom row (row 5). The label row starts at 900.
    // Row 1 (400) and the 3 body rows (900) end at 2200.
    QTest::newRow("to the last data row") << 3 << 0 << 4 << 1 << 2200.0;
    // Lines that reach past the data also run through the bottom row (400) ...
    QTest::newRow("into the totals") << 3 << 0 << 5 << 1 << 2600.0;
    // ... and, with blank rows, through the 7 blank rows that pad the page (2100).
    QTest::newRow("through the blank rows") << 3 << 1 << 5 << 1 << 4700.0;
    // Lines that stop before the last data row stop there, blank rows or not.
    QTest::newRow("short, blank rows") << 3 << 1 << 3 << 1 << 1900.0;
    // Blank rows count when the lines reach the last data row.
    QTest::newRow("to the last data row, blank rows") << 3 << 1 << 4 << 1 << 4300.0;
    // 13 body rows (2 to 14), the bottom row 15: page 1 has 10 body rows and no blank ones;
    QTest::newRow("first of two pages") << 13 << 1 << 15 << 1 << 900.0 + 400 + 3000 + 400;
    // page 2 the last 3 body rows and 7 blank rows.
    QTest::newRow("second of two pages") << 13 << 1 << 15 << 2 << 900.0 + 400 + 3000 + 400;
    QTest::newRow("second of two pages, no blank rows")
        << 13 << 0 << 15 << 2 << 900.0 + 400 + 900 + 400;
}

void TestAmountColumns::linesThroughBlankAndBottomRows()
{
    QFETCH(int, bodyRows);
    QFETCH(int, fillBlankLine);
    QFETCH(int, lastRow);
    QFETCH(int, page);
    QFETCH(double, bottom);
    setUpGrid(bodyRows, 1);
    m_grid->setAmountColumn(1, { 12, 1, lastRow, 0xFF0000, 0x0000FF });
    m_fx->setFillBlankRows(fillBlankLine).nextPage(page);
    draw(0, 1);
    const QList<DrawnLine> lines = verticals(::lines(m_fx->surface));
    QCOMPARE(lines.size(), 13);
    for (const DrawnLine &l : lines)
        QCOMPARE(l.y2, bottom);
}

void TestAmountColumns::startsAfterTheRepeatedFixedColumns()
{
    // Column 0 repeats on every band; the band is columns 2 and 3 at scale 0.5.
    m_fx->setBands({ 2 }, 1, true);
    EngineState &s = m_fx->state();
    s.FirstBodyCol = 2;
    s.LastBodyCol = 3;
    s.FitRatio = 2;
    m_grid->setFixedColsL(1);
    DrawAmountColumns(m_fx->page(), 1000, 500, 0.5);
    // 1000 + 2000 × 0.5 = 2000, then column 2's digit cells: 2000 + 1140 = 3140.
    const QList<DrawnLine> lines = verticals(::lines(m_fx->surface));
    QCOMPARE(lines.size(), 13);
    QCOMPARE(lines.first().x1, 3110.0);
    QCOMPARE(lines.last().x1, 2030.0);
}

void TestAmountColumns::zoomedPositions()
{
    m_fx->setZoom(0.5);
    draw(0, 1);
    // The font is 4.5 points: a digit is 45, a label (1.5 points) 30 wide and 37.5 high.
    // Column 0: 2000 × 0.5 = 1000 from 500; the amount column 12 × 45 + 2 × 30 = 600 wide,
    // ending at 2100: its cells between the outer lines at 1530 and 2070. The label row is (500 +
    // 400) × 0.5 = 450 down, 200 high; the lines end at (900 + 1300) × 0.5 = 1100.
    const QList<DrawnLine> lines = verticals(::lines(m_fx->surface));
    QCOMPARE(lines.size(), 13);
    QCOMPARE(lines[0].x1, 2070.0);
    QCOMPARE(lines[1].x1, 2025.0);
    QCOMPARE(lines[11].x1, 1575.0);
    QCOMPARE(lines[12].x1, 1500.0 + 30);
    QCOMPARE(lines[0].y1, 450.0);
    QCOMPARE(lines[0].y2, 1100.0);
    QCOMPARE(lines[5].y1, 470.0); // 20 units lower at any zoom
    const PrintedText first = texts(m_fx->surface).first();
    QCOMPARE(first.x, 2025.0 + 8); // (45 − 30) / 2 = 7.5, to even: 8
    QCOMPARE(first.y, 450.0 + 81); // (200 − 38) / 2, the label's height rounded
    QCOMPARE(first.fontSize, 1.5);
}

void TestAmountColumns::smallBodyFontKeepsReadableLabels()
{
    // A 6-point body font would give labels of 0 points: they stay at 3.
    m_fx->state().FontTable[5].Size = 6;
    draw(0, 1);
    for (const PrintedText &t : texts(m_fx->surface))
        QCOMPARE(t.fontSize, 3.0);
}

void TestAmountColumns::failingColumnLosesOnlyItself()
{
    m_grid->failing = 1;
    draw(0, 2);
    // Column 1 is drawn without its lines, and column 2 after it still gets all of its own:
    // it starts after column 1's width as it prints (1500 at FitRatio 2, since the failing
    // call marks nothing as amount column).
    const QList<DrawnLine> lines = verticals(::lines(m_fx->surface));
    QCOMPARE(lines.size(), 13);
    QCOMPARE(lines.first().x1, 1000.0 + 2000 + 1500 + 1140 - 30);
    QCOMPARE(printedStrings(m_fx->surface).size(), 12);
}

QUILLON_TEST_MAIN(TestAmountColumns)
#include "tst_amountcolumns.moc"
