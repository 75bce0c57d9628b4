#include "support/pagefixture.h"
#include "support/recordingqueries.h"
#include "testmain.h"

#include "engine/grids/flexgridrenderer.h"
#include "engine/grids/gridadapters.h"
#include "engine/state/previewsinks.h"

#include <quillon/datagrid.h>
#include <quillon/error.h>
#include <quillon/flexgrid.h>
#include <quillon/myprint.h>

using namespace quillon;

namespace {

using Op = RecordingSurface::Op;

/// A data grid whose cells in one column cannot be read.
class FailingDataGrid : public DataGrid
{
public:
    QString Text() const override
    {
        if (Col() == 1)
            throw Error(380, QStringLiteral("Invalid property value"));
        return DataGrid::Text();
    }
};

} // namespace

// The page: origin (1000, 500), 6000 twips wide, body rows of 300, zoom 1. The recording
// surface draws every cell's bottom and right edge; the frame is BorderStyle 1 unless set.
class TestFlexGridRenderer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void stretchesTheTableToThePageWidth();
    void narrowFlexColumnsTakeNoText();
    void longTextStaysInItsRow();
    void headerMergesAcrossAndDown();
    void mergedAreaEndsWithThePage();
    void mergedHeadingsClippedToThePage_data();
    void mergedHeadingsClippedToThePage();
    void bodyMergesOnlyWithMergeAll_data();
    void bodyMergesOnlyWithMergeAll();
    void mergedWithNeighbourRules_data();
    void mergedWithNeighbourRules();
    void blankRowsPadTheLastPage_data();
    void blankRowsPadTheLastPage();
    void columnBands_data();
    void columnBands();
    void fixRowsHeightForEveryHeaderRow();
    void frames_data();
    void frames();
    void dataGridCaptionsRowsAndFailures();
    void dataGridColumnAlignments();
    void previewProgressPerRow();

private:
    void setGrid(const QList<QStringList> &cells, int fixedRows, int width = 1000);
    void render() { RenderFlexGrid(m_fx->page()); }

    std::unique_ptr<FlexGrid> m_grid;
    std::optional<PageFixture> m_fx;
};

void TestFlexGridRenderer::init()
{
    installGridPagePlatform();
    m_grid = std::make_unique<FlexGrid>();
    m_fx.emplace();
    m_fx->job.setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    m_fx->job.setDatagrid(m_grid.get());
}

void TestFlexGridRenderer::cleanup()
{
    m_fx.reset();
    m_grid.reset();
    TestPlatform::uninstall();
}

void TestFlexGridRenderer::setGrid(const QList<QStringList> &cells, int fixedRows, int width)
{
    m_grid->setTexts(cells);
    m_grid->setFixedRows(fixedRows);
    for (int c = 0; c < m_grid->Cols(); ++c)
        m_grid->setColWidth(c, width);
    for (int r = 0; r < m_grid->Rows(); ++r)
        m_grid->setRowHeight(r, 400);
    m_fx->useGrid();
}

void TestFlexGridRenderer::stretchesTheTableToThePageWidth()
{
    setGrid({ { u"a"_qs, u"b"_qs, u"c"_qs }, { u"1"_qs, u"2"_qs, u"3"_qs } }, 1);
    render();
    const QList<DrawnLine> segs = lines(m_fx->surface);
    // 3000 twips of columns on a 6000 page: each column is drawn 2000 wide.
    for (double x : { 3000.0, 5000.0, 7000.0 }) {
        QVERIFY2(hasVertical(segs, x, 500, 900), qPrintable(QString::number(x)));
        QVERIFY2(hasVertical(segs, x, 900, 1200), qPrintable(QString::number(x)));
    }
    for (double x : { 1000.0, 3000.0, 5000.0 }) {
        QVERIFY(hasHorizontal(segs, 900, x, x + 2000)); // below the header row (400)
        QVERIFY(hasHorizontal(segs, 1200, x, x + 2000)); // below the body row (300)
    }
    // The frame runs exactly along the page width, and the origin ends 100 below the table.
    QVERIFY(hasHorizontal(segs, 500, 1000, 7000));
    QCOMPARE(m_fx->state().PageOriginY, 1300);
    QCOMPARE(printedStrings(m_fx->surface),
        (QStringList { u"a"_qs, u"b"_qs, u"c"_qs, u"1"_qs, u"2"_qs, u"3"_qs }));
}

void TestFlexGridRenderer::narrowFlexColumnsTakeNoText()
{
    setGrid({ { u"a"_qs, u"hidden"_qs, u"c"_qs }, { u"1"_qs, u"x"_qs, u"3"_qs } }, 1);
    m_grid->setColWidth(0, 1000);
    m_grid->setColWidth(1, 50);
    m_grid->setColWidth(2, 1950);
    render();
    QCOMPARE(printedStrings(m_fx->surface), (QStringList { u"a"_qs, u"c"_qs, u"1"_qs, u"3"_qs }));
    // The narrow column still moves the cursor by its own scaled width: 50 × 2 = 100.
    const QList<DrawnLine> segs = lines(m_fx->surface);
    QVERIFY(hasVertical(segs, 3000, 500, 900)); // its right edge collapses onto its left
    QVERIFY(hasVertical(segs, 7000, 500, 900));

    // A column of width 0 moves nothing.
    m_grid->setColWidth(1, 0);
    m_grid->setColWidth(2, 2000);
    m_fx->nextPage(1);
    render();
    QVERIFY(hasVertical(lines(m_fx->surface), 7000, 500, 900));
}

void TestFlexGridRenderer::longTextStaysInItsRow()
{
    // Shrunk as far as it goes, a long text wraps onto as many lines as its row holds: none
    // runs on over the row below (body rows 900 to 1200 and 1200 to 1500).
    setGrid({ { u"a"_qs }, { QString(3000, u'长') }, { u"b"_qs } }, 1);
    m_fx->state().Format.ReduceFont = 1;
    render();
    const QList<PrintedText> printed = texts(m_fx->surface);
    QVERIFY(printed.size() > 3);
    for (const PrintedText &t : printed) {
        if (t.text != u"a"_qs && t.text != u"b"_qs)
            QVERIFY2(
                t.y >= 900 && t.y + RecordingSurface::textHeightFor(t.text, t.fontSize) <= 1230,
                qPrintable(u"a line at %1"_qs.arg(t.y)));
    }
    QCOMPARE(printed.last().text, u"b"_qs);
}

void TestFlexGridRenderer::headerMergesAcrossAndDown()
{
    setGrid({ { u"部门"_qs, u"应发"_qs, u"应发"_qs, u"实发"_qs },
                { u"部门"_qs, u"基本"_qs, u"津贴"_qs, u"实发"_qs },
                { u"财务"_qs, u"100"_qs, u"20"_qs, u"120"_qs } },
        2, 1500);
    m_grid->setMergeCells(1);
    m_grid->setMergeRow(0, true);
    m_grid->setMergeCol(0, true);
    m_grid->setMergeCol(3, true);
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 4; ++c)
            m_grid->setCellAlignmentAt(r, c, 4); // centred headings
    }
    render();
    const QStringList texts = printedStrings(m_fx->surface);
    QCOMPARE(texts.count(u"部门"_qs), 1);
    QCOMPARE(texts.count(u"应发"_qs), 1);
    QCOMPARE(texts.count(u"实发"_qs), 1);

    const QList<DrawnLine> segs = lines(m_fx->surface);
    // Columns are 1500 wide (scale 1). No right edge between the two 应发 cells (x 4000) in row
    // 0 (y 500..900), but one in row 1.
    QVERIFY(!hasVertical(segs, 4000, 500, 900));
    QVERIFY(hasVertical(segs, 4000, 900, 1300));
    // No bottom edge under 部门 in row 0 (y 900 over x 1000..2500); there is one under row 1.
    QVERIFY(!hasHorizontal(segs, 900, 1000, 2500));
    QVERIFY(hasHorizontal(segs, 1300, 1000, 2500));

    // Merged text is placed in the whole area: 应发 centred over 3000 twips.
    const auto ops = m_fx->surface.ops(u"Print"_qs);
    const auto yingfa = std::find_if(
        ops.cbegin(), ops.cend(), [](const Op &op) { return op.args[0] == u"应发"_qs; });
    QCOMPARE(yingfa->args[1].toDouble(), 2500 + (3000 - 360) / 2.0);
    // 部门 is vertically centred over both header rows (800 high).
    const auto bumen = std::find_if(
        ops.cbegin(), ops.cend(), [](const Op &op) { return op.args[0] == u"部门"_qs; });
    QCOMPARE(bumen->args[2].toDouble(), 788.0); // 500 + 287.5, half to even
}

void TestFlexGridRenderer::mergedAreaEndsWithThePage()
{
    // Rows 1..3 of column 0 merge; a page holds two rows. Page 1 shows the area over its own
    // two rows; page 2 starts a new area with the text again.
    setGrid(
        { { u"区"_qs }, { u"华北"_qs }, { u"华北"_qs }, { u"华北"_qs }, { u"华东"_qs } }, 1, 1000);
    m_grid->setMergeCells(1);
    m_grid->setMergeCol(0, true);
    m_fx->job.setMergeAll(true);
    m_fx->setRowsPerPage(2);
    render();
    auto ops = m_fx->surface.ops(u"Print"_qs);
    QCOMPARE(printedStrings(m_fx->surface), (QStringList { u"区"_qs, u"华北"_qs }));
    // Body starts at 900; the box is the page's 600; the text is 225 high at 9 pt.
    QCOMPARE(ops[1].args[2].toDouble(), 900 + (600 - 225) / 2.0 + 0.5);
    QVERIFY(!hasHorizontal(lines(m_fx->surface), 1200, 1000, 7000));
    QVERIFY(hasHorizontal(lines(m_fx->surface), 1500, 1000, 7000)); // the page's last row is closed
    QCOMPARE(m_fx->state().PageOriginY, 900 + 600 + 100);

    m_fx->nextPage(2);
    render();
    ops = m_fx->surface.ops(u"Print"_qs);
    QCOMPARE(printedStrings(m_fx->surface), (QStringList { u"区"_qs, u"华北"_qs, u"华东"_qs }));
    QCOMPARE(ops[1].args[2].toDouble(), 900 + (300 - 225) / 2.0 + 0.5);
}

void TestFlexGridRenderer::mergedHeadingsClippedToThePage_data()
{
    QTest::addColumn<QStringList>("heading");
    QTest::addColumn<int>("fixedCols"); // repeated on every band
    QTest::addColumn<QList<qint32>>("starts");
    QTest::addColumn<QList<double>>("textX"); // where the merged text prints, per band
    QTest::addColumn<QList<double>>("rightEdge"); // the area's right border, per band
    // Columns are 1000 wide; a band of four columns is drawn 1500 each, of two 3000 each.
    QTest::newRow("over both repeated fixed columns")
        << QStringList { u"编号"_qs, u"编号"_qs, u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs } << 2
        << QList<qint32> { 2, 4 } << QList<double> { 2320, 2320 } << QList<double> { 4000, 4000 };
    QTest::newRow("fixed column with the first band column")
        << QStringList { u"a"_qs, u"合计"_qs, u"合计"_qs, u"b"_qs, u"c"_qs, u"d"_qs } << 2
        << QList<qint32> { 2, 4 } << QList<double> { 3820, 3070 } << QList<double> { 5500, 4000 };
    QTest::newRow("across a band edge")
        << QStringList { u"a"_qs, u"b"_qs, u"期间"_qs, u"期间"_qs, u"期间"_qs, u"d"_qs } << 0
        << QList<qint32> { 0, 4 } << QList<double> { 5320, 2320 } << QList<double> { 7000, 4000 };
}

void TestFlexGridRenderer::mergedHeadingsClippedToThePage()
{
    QFETCH(QStringList, heading);
    QFETCH(int, fixedCols);
    QFETCH(QList<qint32>, starts);
    QFETCH(QList<double>, textX);
    QFETCH(QList<double>, rightEdge);
    setGrid({ heading, { u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs, u"5"_qs, u"6"_qs } }, 1);
    m_grid->setMergeCells(1);
    m_grid->setMergeRow(0, true);
    for (int c = 0; c < heading.size(); ++c)
        m_grid->setCellAlignmentAt(0, c, 4);
    m_fx->setBands({ starts.begin(), starts.end() }, fixedCols, fixedCols > 0, fixedCols * 1000);
    const QString merged = heading[fixedCols > 0 ? 1 : 2];
    for (int band = 1; band <= starts.size(); ++band) {
        m_fx->nextPage(1, band);
        render();
        const auto ops = m_fx->surface.ops(u"Print"_qs);
        QList<double> xs;
        for (const Op &op : ops) {
            if (op.args[0] == merged)
                xs << op.args[1].toDouble();
        }
        QCOMPARE(xs, QList<double> { textX[band - 1] });
        QVERIFY(hasVertical(lines(m_fx->surface), rightEdge[band - 1], 500, 900));
    }
}

void TestFlexGridRenderer::bodyMergesOnlyWithMergeAll_data()
{
    QTest::addColumn<bool>("mergeAll");
    QTest::newRow("MergeAll false") << false;
    QTest::newRow("MergeAll true") << true;
}

void TestFlexGridRenderer::bodyMergesOnlyWithMergeAll()
{
    QFETCH(bool, mergeAll);
    setGrid({ { u"区"_qs, u"额"_qs }, { u"华北"_qs, u"1"_qs }, { u"华北"_qs, u"2"_qs } }, 1, 3000);
    m_grid->setMergeCells(1);
    m_grid->setMergeCol(0, true);
    m_fx->job.setMergeAll(mergeAll);
    render();
    QCOMPARE(printedStrings(m_fx->surface).count(u"华北"_qs), mergeAll ? 1 : 2);
    // The edge between the two body rows (y 1200) under column 0.
    QCOMPARE(hasHorizontal(lines(m_fx->surface), 1200, 1000, 4000), !mergeAll);
}

void TestFlexGridRenderer::mergedWithNeighbourRules_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("mergeRow");
    QTest::addColumn<bool>("mergeCol");
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<bool>("merged");
    // Grid: row 0 "x x y", row 1 "x x y", row 2 "" "" "y"
    QTest::newRow("right, free") << 1 << true << false << 1 << 0 << 0 << true;
    QTest::newRow("right, restrict columns") << 3 << true << false << 1 << 0 << 0 << true;
    QTest::newRow("right, restrict rows") << 2 << true << false << 1 << 0 << 0 << false;
    QTest::newRow("right, row not merging") << 1 << false << false << 1 << 0 << 0 << false;
    QTest::newRow("right, different text") << 1 << true << false << 1 << 0 << 1 << false;
    QTest::newRow("right, past high") << 1 << true << false << 1 << 0 << 2 << false;
    QTest::newRow("below, free") << 1 << false << true << 0 << 0 << 0 << true;
    QTest::newRow("below, restrict rows") << 2 << false << true << 0 << 0 << 2 << true;
    QTest::newRow("below, restrict columns") << 3 << false << true << 0 << 0 << 0 << false;
    QTest::newRow("above, at low") << 1 << false << true << 2 << 0 << 0 << false;
    QTest::newRow("above") << 1 << false << true << 2 << 1 << 0 << true;
    QTest::newRow("left") << 1 << true << false << 3 << 0 << 1 << true;
    QTest::newRow("left, at low") << 1 << true << false << 3 << 0 << 0 << false;
    QTest::newRow("empty never merges") << 1 << true << true << 1 << 2 << 0 << false;
    QTest::newRow("mode 4 merges nothing") << 4 << true << true << 1 << 0 << 0 << false;
    QTest::newRow("mode 0") << 0 << true << true << 0 << 0 << 0 << false;
}

void TestFlexGridRenderer::mergedWithNeighbourRules()
{
    QFETCH(int, mode);
    QFETCH(bool, mergeRow);
    QFETCH(bool, mergeCol);
    QFETCH(int, direction);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(bool, merged);
    setGrid(
        { { u"x"_qs, u"x"_qs, u"y"_qs }, { u"x"_qs, u"x"_qs, u"y"_qs }, { {}, {}, u"y"_qs } }, 0);
    for (int r = 0; r < 3; ++r)
        m_grid->setMergeRow(r, mergeRow);
    for (int c = 0; c < 3; ++c)
        m_grid->setMergeCol(c, mergeCol);
    auto access = GridAccess::create(5, m_grid.get());
    auto &flex = static_cast<FlexGridAccess &>(*access);
    const QString text = m_grid->TextMatrix(row, col);
    const qint32 low = 0;
    const qint32 high = 2;
    QCOMPARE(
        MergedWithNeighbour(flex, mode, row, col, low, high, text, Neighbour(direction)), merged);
}

void TestFlexGridRenderer::blankRowsPadTheLastPage_data()
{
    QTest::addColumn<int>("fill");
    QTest::addColumn<int>("rows");
    QTest::newRow("padded") << 1 << 5;
    QTest::newRow("not padded") << 0 << 3;
}

void TestFlexGridRenderer::blankRowsPadTheLastPage()
{
    QFETCH(int, fill);
    QFETCH(int, rows);
    setGrid({ { u"h"_qs }, { u"1"_qs }, { u"2"_qs }, { u"3"_qs } }, 1, 1000);
    m_fx->setRowsPerPage(5).setFillBlankRows(fill);
    render();
    QCOMPARE(printedStrings(m_fx->surface), (QStringList { u"h"_qs, u"1"_qs, u"2"_qs, u"3"_qs }));
    const QList<DrawnLine> segs = lines(m_fx->surface);
    // Every body row, blank or not, has its bottom edge; the table ends after the last one.
    for (int r = 1; r <= rows; ++r)
        QVERIFY2(hasHorizontal(segs, 900 + r * 300, 1000, 7000), qPrintable(QString::number(r)));
    QVERIFY(!hasHorizontal(segs, 900 + (rows + 1) * 300, 1000, 7000));
    QCOMPARE(m_fx->state().PageOriginY, 900 + rows * 300 + 100);
}

void TestFlexGridRenderer::columnBands_data()
{
    QTest::addColumn<int>("multFixCol");
    QTest::addColumn<int>("colStart");
    QTest::addColumn<QList<qint32>>("starts"); // the layout's band plan
    QTest::addColumn<QStringList>("expected"); // header texts of each band
    QTest::newRow("repeated column 0")
        << 1 << 0 << QList<qint32> { 1, 4, 7 }
        << QStringList { u"C0 C1 C2 C3"_qs, u"C0 C4 C5 C6"_qs, u"C0 C7 C8 C9"_qs };
    QTest::newRow("no repeated column")
        << 0 << 0 << QList<qint32> { 0, 4, 8 }
        << QStringList { u"C0 C1 C2 C3"_qs, u"C4 C5 C6 C7"_qs, u"C8 C9"_qs };
    QTest::newRow("printing from column 2")
        << 0 << 2 << QList<qint32> { 2, 6 } << QStringList { u"C2 C3 C4 C5"_qs, u"C6 C7 C8 C9"_qs };
}

void TestFlexGridRenderer::columnBands()
{
    QFETCH(int, multFixCol);
    QFETCH(int, colStart);
    QFETCH(QList<qint32>, starts);
    QFETCH(QStringList, expected);
    QStringList header, body;
    for (int c = 0; c < 10; ++c) {
        header << QStringLiteral("C%1").arg(c);
        body << QString::number(c);
    }
    setGrid({ header, body }, 1);
    m_grid->setFixedCols(1);
    m_fx->setBands(
        { starts.begin(), starts.end() }, 1, multFixCol == 1, multFixCol == 1 ? 1000 : 0);
    m_fx->state().ColStart = colStart;
    for (int band = 1; band <= starts.size(); ++band) {
        m_fx->nextPage(1, band);
        render();
        const QStringList texts = printedStrings(m_fx->surface);
        QCOMPARE(texts.mid(0, texts.size() / 2).join(u' '), expected[band - 1]);
        // Every band fills the page width exactly: its last column ends at the page's edge.
        QVERIFY(hasVertical(lines(m_fx->surface), 7000, 500, 900));
    }
}

void TestFlexGridRenderer::fixRowsHeightForEveryHeaderRow()
{
    setGrid({ { u"a"_qs }, { u"b"_qs }, { u"1"_qs } }, 2);
    m_grid->setRowHeight(0, 250);
    m_grid->setRowHeight(1, 600);
    m_fx->state().FixRowsHeightTw = 500;
    render();
    const QList<DrawnLine> segs = lines(m_fx->surface);
    QVERIFY(hasHorizontal(segs, 1000, 1000, 7000));
    QVERIFY(hasHorizontal(segs, 1500, 1000, 7000));
    QCOMPARE(m_fx->state().PageOriginY, 1500 + 300 + 100);
}

void TestFlexGridRenderer::frames_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QStringList>("tail"); // the last Line operations
    QTest::newRow("single box") << 1
                                << QStringList { u"Line 1000 500 7000 500 32768 2 0"_qs,
                                       u"Line 1000 500 1000 1200 32768 2 0"_qs,
                                       u"Line 7000 500 7000 1200 32768 2 0"_qs,
                                       u"Line 1000 1200 7000 1200 32768 2 0"_qs };
    QTest::newRow("double box") << 2
                                << QStringList { u"Line 1000 500 7000 500 32768 1 0"_qs,
                                       u"Line 1000 500 1000 1200 32768 1 0"_qs,
                                       u"Line 7000 500 7000 1200 32768 1 0"_qs,
                                       u"Line 1000 1200 7000 1200 32768 1 0"_qs,
                                       u"Line 970 485 7030 485 32768 1 0"_qs,
                                       u"Line 970 485 970 1215 32768 1 0"_qs,
                                       u"Line 7030 485 7030 1215 32768 1 0"_qs,
                                       u"Line 970 1215 7030 1215 32768 1 0"_qs };
    QTest::newRow("top and bottom only")
        << 3
        << QStringList { u"Line 7000 500 7000 1200 16777215 2 0"_qs,
               u"Line 1000 500 7000 500 32768 2 0"_qs, u"Line 1000 1200 7000 1200 32768 2 0"_qs };
    QTest::newRow("no frame") << 5 << QStringList {};
}

void TestFlexGridRenderer::frames()
{
    QFETCH(int, style);
    QFETCH(QStringList, tail);
    setGrid({ { u"a"_qs, u"b"_qs, u"c"_qs }, { u"1"_qs, u"2"_qs, u"3"_qs } }, 1);
    m_fx->job.setBorderStyle(MyPrint::enuBdSy(style));
    render();
    // The cells draw 12 lines (bottom and right of 6 cells); the frame follows.
    const QList<Op> all = m_fx->surface.ops(u"Line"_qs);
    QStringList frame;
    for (qsizetype i = 12; i < all.size(); ++i)
        frame << all[i].toString();
    QCOMPARE(frame, tail);
    QCOMPARE(m_fx->surface.DrawWidth(), 1);
}

void TestFlexGridRenderer::dataGridCaptionsRowsAndFailures()
{
    FailingDataGrid grid;
    grid.appendColumn(u"科目"_qs, 2000);
    grid.appendColumn(u"余额"_qs, 1000);
    grid.setRowsData({ { u"现金"_qs, u"1"_qs }, { u"银行"_qs, u"2"_qs } });
    grid.setHeadLines(2);
    grid.setRowHeight(250);
    m_fx->job.setGridType(MyPrint::MnuGridType::ssMsDataGrid);
    m_fx->job.setDatagrid(&grid);
    m_fx->job.setGridrows(3); // one row more than the grid holds
    m_fx->useGrid();
    render();
    // Captions, then the readable cells; the failing column prints nothing but the page goes on.
    QCOMPARE(printedStrings(m_fx->surface),
        (QStringList { u"科目"_qs, u"余额"_qs, u"现金"_qs, u"银行"_qs }));
    // The caption row is HeadLines × RowHeight high: 500; then three body rows of 300.
    QCOMPARE(m_fx->state().PageOriginY, 500 + 500 + 3 * 300 + 100);
}

void TestFlexGridRenderer::dataGridColumnAlignments()
{
    // Three columns of 2000 on the 6000 page: cells from x 1000, 3000 and 5000.
    DataGrid grid;
    DataGridColumn amount { u"金额"_qs, 2000 };
    amount.Alignment = 2; // right
    DataGridColumn share { u"比例"_qs, 2000 };
    share.Alignment = 3; // general
    grid.setColumns({ { u"科目"_qs, 2000 }, amount, share }); // the first gives none
    grid.setRowsData(
        { { u"现金"_qs, u"1,000.00"_qs, u"76.4%"_qs }, { u"银行"_qs, u"x"_qs, u"说明"_qs } });
    m_fx->job.setGridType(MyPrint::MnuGridType::ssMsDBGrid);
    m_fx->job.setDatagrid(&grid);
    m_fx->job.setGridrows(2);
    m_fx->useGrid();
    render();
    QHash<QString, double> x;
    for (const Op &op : m_fx->surface.ops(u"Print"_qs))
        x.insert(op.args[0].toString(), op.args[1].toDouble());
    const auto rightEdge
        = [&](const QString &text) { return x.value(text) + m_fx->surface.TextWidth(text); };
    // Captions stay left-aligned, whatever their columns say.
    QCOMPARE(x.value(u"科目"_qs), 1030.0);
    QCOMPARE(x.value(u"金额"_qs), 3030.0);
    QCOMPARE(x.value(u"比例"_qs), 5030.0);
    // No alignment of its own: left, as before.
    QCOMPARE(x.value(u"现金"_qs), 1030.0);
    // Right: every cell of the column, numbers or not.
    QVERIFY(qAbs(rightEdge(u"1,000.00"_qs) - 4970) <= 1);
    QVERIFY(qAbs(rightEdge(u"x"_qs) - 4970) <= 1);
    // General: a percentage is a number (right), a text goes left.
    QVERIFY(qAbs(rightEdge(u"76.4%"_qs) - 6970) <= 1);
    QCOMPARE(x.value(u"说明"_qs), 5030.0);
}

void TestFlexGridRenderer::previewProgressPerRow()
{
    setGrid({ { u"h"_qs }, { u"1"_qs }, { u"2"_qs } }, 1);
    CountingProgress progress;
    m_fx->setPreview(&progress).setRowsPerPage(4).setFillBlankRows(true);
    render();
    QCOMPARE(progress.updates, 4); // blank rows included
    QCOMPARE(progress.value(), 10 + 80.0);
}

QUILLON_TEST_MAIN(TestFlexGridRenderer)
#include "tst_flexgridrenderer.moc"
