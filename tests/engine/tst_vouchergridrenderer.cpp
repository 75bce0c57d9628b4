#include "support/pagefixture.h"
#include "support/pdfpicture.h"
#include "support/recordingqueries.h"
#include "testmain.h"

#include "engine/grids/gridkinds.h"
#include "engine/grids/vouchergridrenderer.h"
#include "engine/state/platformservices.h"
#include "engine/state/previewsinks.h"
#include "platform/pdfsheetsurface.h"

#include <quillon/myprint.h>
#include <quillon/vouchergrid.h>

#include <QFile>
#include <QTemporaryDir>

using namespace quillon;

namespace {

/// Whether any vertical segment at x reaches into the rows between y1 and y2.
bool touchesVertical(const QList<DrawnLine> &segments, double x, double y1, double y2)
{
    return std::any_of(segments.cbegin(), segments.cend(), [&](const DrawnLine &s) {
        return s.x1 == x && s.x2 == x && std::min(s.y1, s.y2) < y2 && std::max(s.y1, s.y2) > y1;
    });
}

/// The printed texts with this text.
QList<PrintedText> printedAs(const RecordingSurface &page, const QString &text)
{
    QList<PrintedText> out;
    for (const PrintedText &t : texts(page)) {
        if (t.text == text)
            out << t;
    }
    return out;
}

/// Whether a page rendered at 300 dpi is dark at a place given in twips, or a dot below it.
bool darkAt(const QImage &page, double x, double y)
{
    const int px = int(x * 300 / 1440), py = int(y * 300 / 1440);
    return qGray(page.pixel(px, py)) < 160 || qGray(page.pixel(px, py + 1)) < 160;
}

/// Flag bytes (bit 7 in force; 0 bottom, 1 right, 2 starts a vertical run, 3 a horizontal one).
constexpr quint8 kInForce = 0x80, kBottom = 0x01, kRight = 0x02, kDown = 0x04, kAcross = 0x08;

} // namespace

// The voucher: 摘要 3005, 会计科目 2500, 借方金额 and 贷方金额 1500 each (15 cm together), the
// two amount columns of 12 digit cells with their unit labels in header row 1; 摘要 and 会计科目
// merged over both header rows. Every row is 400 high, body rows print 300 high. The page:
// grid at (1000, 500), 20 cm (11340 twips) wide, zoom 1, every font 宋体 9 points: on the
// recording surface a digit is 90 twips and a text line 225 high.
//
// Fitted to the page, the amount columns keep 12 × 90 + 2 × 30 = 1140 and the other two share the
// remaining 9060 in proportion: 3005 × 9060 / 5505 = 4945.6 and 2500 × 9060 / 5505 = 4114.4.
// Column edges: 1000, 5946, 10060, 11200, 12340 (= 1000 + 11340).
class TestVoucherGridRenderer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void fillsThePageKeepingDigitCells();
    void widerGridShrinksEveryColumn();
    void headerBodyAndTotalRows();
    void plainCellHasItsBordersAndBox();
    void mergedAcrossThreeCells();
    void mergedHeadingsOverTwoRows();
    void mergeClippedToThePage();
    void longMergeSearchIsBounded();
    void amountsOneDigitACell_data();
    void amountsOneDigitACell();
    void amountsThatDoNotFit_data();
    void amountsThatDoNotFit();
    void textStaysReadable_data();
    void textStaysReadable();
    void labelsUnderTheHeading();
    void amountCellText_data();
    void amountCellText();
    void amountsWithoutLines();
    void amountRuleOnlyBelowTheLabelRow();
    void zeroTexts();
    void totalsOnTheLastPageOnly_data();
    void totalsOnTheLastPageOnly();
    void blankRowsPadTheLastPage_data();
    void blankRowsPadTheLastPage();
    void fontsByRegion();
    void columnBandsRepeatFixedColumns();
    void hiddenColumnTakesNoRoom();
    void everyColumnAnAmountColumn();
    void amountColumnsLeaveNoRoom();
    void frames_data();
    void frames();
    void previewProgressPerRow();
    void drawnThroughTheKindRules();

private:
    /// The page as set up, printed to PDF and rendered at 300 dpi.
    QImage pageAt300Dpi();
    /// The standard voucher with these body rows (texts of the four columns) and, when
    /// totals is not empty, one bottom row.
    void setVoucher(const QList<QStringList> &body, const QStringList &totals = {});
    void render() { DrawVoucherGrid(m_fx->page()); }

    std::unique_ptr<VoucherGrid> m_grid;
    std::optional<PageFixture> m_fx;
};

void TestVoucherGridRenderer::init()
{
    installGridPagePlatform();
    m_grid = std::make_unique<VoucherGrid>();
    m_fx.emplace();
    m_fx->job.setGridType(MyPrint::MnuGridType::ssTesselGrid);
    m_fx->job.setDatagrid(m_grid.get());
    m_fx->setWidth(11340).state().RowPageCount = 1;
}

void TestVoucherGridRenderer::cleanup()
{
    m_fx.reset();
    m_grid.reset();
    TestPlatform::uninstall();
}

QImage TestVoucherGridRenderer::pageAt300Dpi()
{
    QTemporaryDir dir;
    QFile file(dir.filePath(u"page.pdf"_qs));
    file.open(QIODevice::WriteOnly); // else no page: the test fails
    m_fx->state().PageOriginY = 500;
    {
        PdfSheetSurface pdf(&file, QSizeF(11906, 16838), QPointF(), u"voucher"_qs);
        DrawVoucherGrid(m_fx->page(&pdf));
    }
    file.close();
    return pdfPagePicture(file.fileName(), dir.filePath(u"page"_qs), 300);
}

void TestVoucherGridRenderer::setVoucher(const QList<QStringList> &body, const QStringList &totals)
{
    const int bottom = totals.isEmpty() ? 0 : 1;
    const int rows = 2 + int(body.size()) + bottom;
    m_grid->setSize(rows, 4);
    m_grid->setFixedRowsT(2);
    m_grid->setFixedRowsB(bottom);
    const QList<int> widths { 3005, 2500, 1500, 1500 };
    for (int c = 0; c < 4; ++c)
        m_grid->setColWidth(c, widths[c]);
    for (int r = 0; r < rows; ++r)
        m_grid->setRowHeight(r, 400);
    const QStringList heading { u"摘要"_qs, u"会计科目"_qs, u"借方金额"_qs, u"贷方金额"_qs };
    for (int c = 0; c < 4; ++c) {
        m_grid->setText(0, c, heading[c]);
        m_grid->setHorAlign(0, c, 0);
    }
    // 摘要 and 会计科目 over both header rows.
    for (int c = 0; c < 2; ++c) {
        m_grid->setCell(0, c, kInForce | kDown | kAcross | kRight);
        m_grid->setCell(1, c, kInForce | kAcross | kBottom | kRight);
    }
    for (int r = 0; r < body.size(); ++r) {
        for (int c = 0; c < body[r].size(); ++c)
            m_grid->setText(2 + r, c, body[r][c]);
    }
    for (int c = 0; c < totals.size(); ++c)
        m_grid->setText(rows - 1, c, totals[c]);
    for (int c = 2; c < 4; ++c)
        m_grid->setAmountColumn(c, { 12, 1, rows - 1, 0xFF0000, 0x0000FF });

    m_fx->useGrid();
}

void TestVoucherGridRenderer::fillsThePageKeepingDigitCells()
{
    setVoucher({ { u"提现"_qs, u"库存现金"_qs, u"500.00"_qs, u""_qs } });
    render();
    const QList<DrawnLine> segs = lines(m_fx->surface);
    // The body row (1300 to 1600): a right border at every column edge, the last one exactly
    // at the page's right edge.
    for (double x : { 5946.0, 10060.0, 11200.0, 12340.0 })
        QVERIFY2(hasVertical(segs, x, 1300, 1600), qPrintable(QString::number(x)));
    QVERIFY(hasHorizontal(segs, 1600, 1000, 5946));
    // The frame along the page width; the origin ends 100 below the table.
    QVERIFY(hasHorizontal(segs, 500, 1000, 12340));
    QVERIFY(hasHorizontal(segs, 1600, 1000, 12340));
    QCOMPARE(m_fx->state().PageOriginY, 1700);
    QCOMPARE(m_fx->state().FitRatio, 11340 / 8505.0);
    // The digit lines of the amount columns: 30 inside each column's right edge, then one
    // every 90.
    QVERIFY(hasVertical(segs, 11170, 900, 1600));
    QVERIFY(hasVertical(segs, 11080, 900, 1600));
    QVERIFY(hasVertical(segs, 12310, 900, 1600));
    QCOMPARE(printedAs(m_fx->surface, u"分"_qs).size(), 2);
    QCOMPARE(printedAs(m_fx->surface, u"分"_qs).first().x, 11080.0 + 15);
    // On paper the thick line between 佰 and 仟 shows wider than the one between 拾 and 佰.
    const QImage page = pageAt300Dpi();
    const auto dots = [&](double x) {
        int n = 0;
        for (int dx = -4; dx <= 4; ++dx)
            n += darkAt(page, x + dx * 4.8, 1250); // below the labels
        return n;
    };
    QVERIFY2(dots(10720) >= 2 && dots(10810) == 1,
        qPrintable(u"%1 %2"_qs.arg(dots(10720)).arg(dots(10810))));
}

void TestVoucherGridRenderer::widerGridShrinksEveryColumn()
{
    setVoucher({ { u"提现"_qs, u"库存现金"_qs, u"500.00"_qs, u""_qs } });
    m_fx->setWidth(6000);
    render();
    // 6000 / 8505 of every column, the amount columns too: 2120, 1764, 1058, 1058.
    const QList<DrawnLine> segs = lines(m_fx->surface);
    for (double x : { 3120.0, 4884.0, 5942.0, 7000.0 })
        QVERIFY2(hasVertical(segs, x, 1300, 1600), qPrintable(QString::number(x)));
    QVERIFY(m_fx->state().FitRatio < 1);
    // The narrower amount columns show fewer digit cells: 1058 / 90 = 11.
    QCOMPARE(printedAs(m_fx->surface, u"亿"_qs).size(), 2);
    QCOMPARE(printedAs(m_fx->surface, u"拾"_qs).size(), 2 * 2); // 拾 (元 group) and 拾 (万 group)
    QVERIFY(hasVertical(segs, 5942.0 - 30, 900, 1600));
}

void TestVoucherGridRenderer::headerBodyAndTotalRows()
{
    setVoucher({ { u"提现"_qs, u"库存现金"_qs, u"500.00"_qs, u""_qs },
                   { u"提现"_qs, u"银行存款"_qs, u""_qs, u"500.00"_qs } },
        { u"合 计"_qs, u""_qs, u"500.00"_qs, u"500.00"_qs });
    render();
    // Header rows 500 and 900, body rows 1300 and 1600, the totals row at 1900 (400 high).
    QCOMPARE(printedStrings(m_fx->surface).mid(0, 4),
        (QStringList { u"摘要"_qs, u"会计科目"_qs, u"借方金额"_qs, u"贷方金额"_qs }));
    const QList<PrintedText> total = printedAs(m_fx->surface, u"合 计"_qs);
    QCOMPARE(total.size(), 1);
    QCOMPARE(total.first().y, 1900.0 + 88); // (400 − 225) / 2 = 87.5, to even
    QCOMPARE(printedAs(m_fx->surface, u"50000"_qs).size(), 4);
    QVERIFY(hasHorizontal(lines(m_fx->surface), 2300, 1000, 12340));
    QCOMPARE(m_fx->state().PageOriginY, 2400);
}

void TestVoucherGridRenderer::plainCellHasItsBordersAndBox()
{
    setVoucher({ { u"提现"_qs, u"银行存款"_qs, u""_qs, u""_qs } });
    render();
    const QList<DrawnLine> segs = lines(m_fx->surface);
    // Cell (2, 1) has the flag byte 0: its bottom and right borders ...
    QVERIFY(hasHorizontal(segs, 1600, 5946, 10060));
    QVERIFY(hasVertical(segs, 10060, 1300, 1600));
    // ... and its text in its own box, left (HorAlign 1) and centred down (300 − 225) / 2.
    const PrintedText t = printedAs(m_fx->surface, u"银行存款"_qs).first();
    QCOMPARE(t.x, 5946.0 + 30);
    QCOMPARE(t.y, 1300.0 + 38);
}

void TestVoucherGridRenderer::mergedAcrossThreeCells()
{
    setVoucher({ { u"结转本年利润"_qs, u"x"_qs, u"y"_qs, u""_qs } });
    m_grid->setCell(2, 0, 141);
    m_grid->setCell(2, 1, 129);
    m_grid->setCell(2, 2, 131);
    m_grid->setHorAlign(2, 0, 0); // centred
    render();
    const QList<DrawnLine> segs = lines(m_fx->surface);
    // One box over the first three columns, 1000 to 11200: its text centred across it ...
    const QList<PrintedText> t = printedAs(m_fx->surface, u"结转本年利润"_qs);
    QCOMPARE(t.size(), 1);
    QCOMPARE(t.first().x, 1000.0 + (10200 - 1080) / 2);
    QVERIFY(printedAs(m_fx->surface, u"x"_qs).isEmpty());
    QVERIFY(printedAs(m_fx->surface, u"y"_qs).isEmpty());
    // ... a bottom border along the whole box, a right border at its end only.
    QVERIFY(hasHorizontal(segs, 1600, 1000, 5946));
    QVERIFY(hasHorizontal(segs, 1600, 5946, 10060));
    QVERIFY(hasHorizontal(segs, 1600, 10060, 11200));
    QVERIFY(hasVertical(segs, 11200, 1300, 1600));
    QVERIFY(!touchesVertical(segs, 5946, 1300, 1600));
    QVERIFY(!touchesVertical(segs, 10060, 1300, 1600));
}

void TestVoucherGridRenderer::mergedHeadingsOverTwoRows()
{
    setVoucher({ { u"提现"_qs, u"库存现金"_qs, u""_qs, u""_qs } });
    render();
    const QList<DrawnLine> segs = lines(m_fx->surface);
    // 摘要 is centred in a box two header rows high (500 to 1300): (800 − 225) / 2 = 287.5.
    const PrintedText t = printedAs(m_fx->surface, u"摘要"_qs).first();
    QCOMPARE(t.x, 1000.0 + (4946 - 360) / 2);
    QCOMPARE(t.y, 500.0 + 288);
    // No line between the two rows, a bottom border below the second.
    QVERIFY(!hasHorizontal(segs, 900, 1000, 5946));
    QVERIFY(hasHorizontal(segs, 1300, 1000, 5946));
    QVERIFY(hasVertical(segs, 5946, 500, 900));
    QVERIFY(hasVertical(segs, 5946, 900, 1300));
    // 借方金额 has its own box in row 0; its unit labels fill row 1.
    QVERIFY(hasHorizontal(segs, 900, 10060, 11200));
    QCOMPARE(printedAs(m_fx->surface, u"借方金额"_qs).first().y, 500.0 + 88);
}

void TestVoucherGridRenderer::mergeClippedToThePage()
{
    // Four body rows at two a page; 摘要 of rows 3 and 4 is merged across the page break.
    setVoucher({ { u"a"_qs }, { u"跨页"_qs }, { u"续"_qs }, { u"d"_qs } });
    m_grid->setCell(3, 0, kInForce | kDown | kAcross | kRight);
    m_grid->setCell(4, 0, kInForce | kAcross | kBottom | kRight);
    m_fx->setRowsPerPage(2).state().RowPageCount = 2;
    m_fx->job.setBorderStyle(MyPrint::enuBdSy::ssnoborder);
    render();
    // Page 1: rows 2 and 3; the merged area ends with the page, closed there, its text in row
    // 3's box.
    QVERIFY(hasHorizontal(lines(m_fx->surface), 1900, 1000, 5946));
    const QImage page = pageAt300Dpi();
    for (double x = 1100; x < 5900; x += 100)
        QVERIFY2(darkAt(page, x, 1900), qPrintable(QString::number(x)));
    QCOMPARE(printedAs(m_fx->surface, u"跨页"_qs).size(), 1);
    QCOMPARE(printedAs(m_fx->surface, u"跨页"_qs).first().y, 1600.0 + 38);
    QVERIFY(printedAs(m_fx->surface, u"续"_qs).isEmpty());

    m_fx->nextPage(2);
    render();
    // Page 2: rows 4 and 5; the area's rest starts the page and shows the area's text.
    QCOMPARE(printedAs(m_fx->surface, u"跨页"_qs).size(), 1);
    QCOMPARE(printedAs(m_fx->surface, u"跨页"_qs).first().y, 1300.0 + 38);
    QVERIFY(printedAs(m_fx->surface, u"续"_qs).isEmpty());
    QCOMPARE(printedAs(m_fx->surface, u"d"_qs).size(), 1);
}

void TestVoucherGridRenderer::longMergeSearchIsBounded()
{
    // 摘要 merged down 10,012 body rows (rows 2 to 10,013), 10 a page.
    QList<QStringList> body(10012, QStringList { u"x"_qs });
    body[0] = { u"长摘要"_qs };
    setVoucher(body);
    m_grid->setCell(2, 0, kInForce | kDown | kAcross);
    for (int r = 3; r < 2 + 10012; ++r)
        m_grid->setCell(r, 0, kInForce | kAcross);
    m_fx->state().RowPageCount = 1002;
    // Page 1001 starts 10,000 rows below the area's top: its part shows the area's text.
    m_fx->nextPage(1001);
    render();
    QCOMPARE(printedAs(m_fx->surface, u"长摘要"_qs).size(), 1);
    // Page 1002 starts 10,010 rows below it: the search for the text gives up.
    m_fx->nextPage(1002);
    render();
    QVERIFY(printedAs(m_fx->surface, u"长摘要"_qs).isEmpty());
    QVERIFY(printedAs(m_fx->surface, u"x"_qs).isEmpty());
}

void TestVoucherGridRenderer::amountsOneDigitACell_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("colorPrint");
    QTest::addColumn<bool>("colourPrinter");
    QTest::addColumn<QString>("printed");
    QTest::addColumn<int>("colour");

    QTest::newRow("1234.5") << u"1234.5"_qs << 1 << true << u"123450"_qs << 0;
    QTest::newRow("grouped") << u"1,234.50"_qs << 1 << true << u"123450"_qs << 0;
    QTest::newRow("negative, colour") << u"-1234.50"_qs << 1 << true << u"123450"_qs << 255;
    QTest::newRow("negative, no colour printing")
        << u"-1234.50"_qs << 0 << true << u"-123450"_qs << 0;
    QTest::newRow("negative, monochrome printer")
        << u"-1234.50"_qs << 1 << false << u"-123450"_qs << 0;
    QTest::newRow("cents rounded") << u"0.125"_qs << 1 << true << u"13"_qs << 0;
    QTest::newRow("not a number") << u"见附件"_qs << 1 << true << u"见附件"_qs << 0;
}

void TestVoucherGridRenderer::amountsOneDigitACell()
{
    QFETCH(QString, text);
    QFETCH(int, colorPrint);
    QFETCH(bool, colourPrinter);
    QFETCH(QString, printed);
    QFETCH(int, colour);
    auto &system = static_cast<SinglePrinterSystem &>(printingSystem());
    system.printer.setColorCapable(colourPrinter);
    EngineState &s = m_fx->state();
    s.Format.ColorPrint = qint16(colorPrint);
    setVoucher({ { u"提现"_qs, u"库存现金"_qs, text, u""_qs } });
    render();
    const QList<PrintedText> t = printedAs(m_fx->surface, printed);
    QCOMPARE(t.size(), 1);
    // Right-aligned: the last digit in the 分 cell, 11080 to 11170, each digit a tenth of its
    // cell clear of either line.
    const double cell = t.first().cellWidth;
    QCOMPARE(
        t.first().x + (cell ? printed.size() * cell : RecordingSurface::textWidthFor(printed, 9)),
        11170.0);
    QVERIFY(RecordingSurface::textWidthFor(u"8"_qs, t.first().fontSize) <= 0.8 * 90 || !cell);
    QCOMPARE(t.first().color, colour);
    QCOMPARE(s.FontTable[5].Color, 0); // the red was for that cell only
}

void TestVoucherGridRenderer::amountsThatDoNotFit_data()
{
    QTest::addColumn<int>("cells");
    QTest::addColumn<int>("pageWidth");
    QTest::addColumn<int>("cyline");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("printed");
    QTest::addColumn<double>("x"); // the first cell's left edge

    // 12 cells end at 11170; on a page 4700 wide the column (829) shows 8, ending at 4842.
    QTest::newRow("fits") << 12 << 11340 << 1 << u"123456789.01"_qs << u"12345678901"_qs
                          << 11170.0 - 11 * 90;
    QTest::newRow("more digits than cells")
        << 12 << 11340 << 1 << u"12345678901.23"_qs << QString(12, u'#') << 11170.0 - 12 * 90;
    QTest::newRow("page narrower than the grid")
        << 12 << 4700 << 1 << u"9876543.21"_qs << QString(8, u'#') << 4842.0 - 8 * 90;
    QTest::newRow("without lines: comma and point cells")
        << 12 << 11340 << 0 << u"1234567890.12"_qs << QString(12, u'#') << 11170.0 - 12 * 90;
    QTest::newRow("one cell, not shrunk") << 1 << 11340 << 1 << u"0.12"_qs << u"#"_qs << 11080.0;
}

void TestVoucherGridRenderer::amountsThatDoNotFit()
{
    QFETCH(int, cells);
    QFETCH(int, pageWidth);
    QFETCH(int, cyline);
    QFETCH(QString, text);
    QFETCH(QString, printed);
    QFETCH(double, x);
    setVoucher({ { u"提现"_qs, u"库存现金"_qs, text, u""_qs } });
    m_grid->setAmountColumn(2, { cells, 1, 2, 0xFF0000, 0x0000FF });
    m_fx->setWidth(pageWidth).setReduceFont(true).state().Format.Cyline = qint16(cyline);
    render();
    const QList<PrintedText> t = printedAs(m_fx->surface, printed);
    QCOMPARE(t.size(), 1);
    QCOMPARE(t.first().x, x);
    QCOMPARE(t.first().fontSize, 9 * 0.8);
    // Before printing, the job names the cell that does not fit.
    CheckAmountColumns(m_fx->state());
    const auto &messages = static_cast<RecordingMessageSink &>(messageSink()).messages();
    QCOMPARE(messages.size() == 1 && messages[0].prompt.contains(u"第 2 列第 2 行"_qs),
        printed.startsWith(u'#'));
}

void TestVoucherGridRenderer::textStaysReadable_data()
{
    QTest::addColumn<int>("lineHeight");
    QTest::addColumn<int>("lines");
    QTest::addColumn<double>("size");

    // 40 characters in 摘要 (1000 to 5946): at 7 points (140 each) 35 fit one line, 34 between
    // the margins; a line and its gap take 205.
    QTest::newRow("one line: cut at the edge") << 300 << 1 << 7.0;
    QTest::newRow("room for more: wrapped") << 700 << 2 << 7.0;
    // Lower than a 7-point line (175): the size whose line the row holds.
    QTest::newRow("row lower than a readable line") << 100 << 1 << 4.0;
}

void TestVoucherGridRenderer::textStaysReadable()
{
    QFETCH(int, lineHeight);
    QFETCH(int, lines);
    QFETCH(double, size);
    setVoucher({ { QString(40, u'款'), u"b"_qs } });
    m_fx->setReduceFont(true).setRowHeight(lineHeight);
    render();
    QList<PrintedText> parts = texts(m_fx->surface);
    parts.removeIf([](const PrintedText &t) { return !t.text.startsWith(u'款'); });
    QCOMPARE(parts.size(), lines);
    for (const PrintedText &t : parts) {
        QCOMPARE(t.fontSize, size);
        QVERIFY(t.x >= 1000 && t.x + RecordingSurface::textWidthFor(t.text, size) <= 5946);
        QVERIFY(t.y >= 1300 && t.y + 25 * size <= 1300 + lineHeight);
    }
}

void TestVoucherGridRenderer::labelsUnderTheHeading()
{
    // One header row (500 to 900): the unit labels share it with 借方金额.
    setVoucher({ { u"提现"_qs, u"库存现金"_qs, u"5"_qs, u""_qs } });
    m_grid->setFixedRowsT(1);
    m_fx->state().FixedRowsTop = 1;
    for (int c = 0; c < 4; ++c)
        m_grid->setCell(1, c, 0); // no merges into the body
    m_grid->setAmountColumn(2, { 12, 0, 2, 0xFF0000, 0x0000FF });
    render();
    const PrintedText heading = printedAs(m_fx->surface, u"借方金额"_qs).first();
    const PrintedText label = printedAs(m_fx->surface, u"分"_qs).first();
    // The heading above the labels' strip (3-point labels, 75 high, 15 clear each side).
    QCOMPARE(label.y, 900.0 - 15 - 75);
    QVERIFY(heading.y >= 500 && heading.y + 225 <= label.y);
    // The digit lines begin with the strip.
    QVERIFY(!touchesVertical(lines(m_fx->surface), 11080, 500, label.y - 15));
    QVERIFY(hasVertical(lines(m_fx->surface), 11080, label.y - 15, 1200));
}

void TestVoucherGridRenderer::amountCellText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("withLines");
    QTest::addColumn<bool>("signless");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("negative");

    QTest::newRow("hundredths") << 1234.5 << true << false << u"123450"_qs << false;
    QTest::newRow("nine digits and cents")
        << 123456789.99 << true << false << u"12345678999"_qs << false;
    QTest::newRow("cents only") << 0.07 << true << false << u"7"_qs << false;
    QTest::newRow("negative, signed") << -1234.5 << true << false << u"-123450"_qs << true;
    QTest::newRow("negative, red") << -1234.5 << true << true << u"123450"_qs << true;
    // Half a cent goes up, with lines as without: the same amount shows the same cents.
    QTest::newRow("half a cent") << 1.125 << true << false << u"113"_qs << false;
    QTest::newRow("half a cent, grouped") << 1.125 << false << false << u"1.13"_qs << false;
    QTest::newRow("half a cent, negative") << -0.625 << true << false << u"-63"_qs << true;
    QTest::newRow("zero") << 0.0 << true << false << QString() << false;
    QTest::newRow("less than half a cent") << -0.004 << true << false << QString() << false;
    QTest::newRow("grouped") << 1234567.891 << false << false << u"1,234,567.89"_qs << false;
    QTest::newRow("grouped, negative") << -12.0 << false << true << u"-12.00"_qs << true;
    QTest::newRow("grouped, cents") << 0.5 << false << false << u".50"_qs << false;
    QTest::newRow("grouped, zero") << 0.0 << false << false << QString() << false;
}

void TestVoucherGridRenderer::amountCellText()
{
    QFETCH(double, value);
    QFETCH(bool, withLines);
    QFETCH(bool, signless);
    QFETCH(QString, text);
    QFETCH(bool, negative);
    bool isNegative = !negative;
    QCOMPARE(AmountCellText(value, withLines, signless, &isNegative), text);
    QCOMPARE(isNegative, negative);
}

void TestVoucherGridRenderer::amountsWithoutLines()
{
    m_fx->state().Format.Cyline = 0;
    setVoucher({ { u"提现"_qs, u"库存现金"_qs, u"1234.5"_qs, u"-12"_qs } });
    render();
    // The comma and the point fall into the "，" and "．" cells.
    const QList<PrintedText> t = printedAs(m_fx->surface, u"1,234.50"_qs);
    QCOMPARE(t.size(), 1);
    QCOMPARE(t.first().x, 11170.0 - 8 * 90);
    QCOMPARE(printedAs(m_fx->surface, u"-12.00"_qs).size(), 1);
    QCOMPARE(printedAs(m_fx->surface, u"-12.00"_qs).first().color, 0);
    QVERIFY(printedAs(m_fx->surface, u"．"_qs).size() == 2);
}

void TestVoucherGridRenderer::amountRuleOnlyBelowTheLabelRow()
{
    setVoucher({ { u"a"_qs, u"b"_qs, u"12"_qs, u""_qs }, { u"a"_qs, u"b"_qs, u"34"_qs, u""_qs } });
    // Column 2's digit cells end with the first body row: the second keeps its text and its
    // own alignment (left).
    m_grid->setAmountColumn(2, { 12, 1, 2, 0xFF0000, 0x0000FF });
    render();
    QCOMPARE(printedAs(m_fx->surface, u"1200"_qs).size(), 1);
    const QList<PrintedText> raw = printedAs(m_fx->surface, u"34"_qs);
    QCOMPARE(raw.size(), 1);
    QCOMPARE(raw.first().x, 10060.0 + 30);
}

void TestVoucherGridRenderer::zeroTexts()
{
    setVoucher(
        { { u"0"_qs, u"0"_qs, u"0"_qs, u"0.00"_qs } }, { u"0"_qs, u"0"_qs, u"0"_qs, u""_qs });
    m_grid->setText(1, 2, u"0"_qs); // a header row
    render();
    // Only the body row's plain columns print their "0": a header or totals text "0" and an
    // amount of 0 print nothing.
    QCOMPARE(printedAs(m_fx->surface, u"0"_qs).size(), 2);
    QVERIFY(printedAs(m_fx->surface, u"0.00"_qs).isEmpty());
    for (const PrintedText &t : printedAs(m_fx->surface, u"0"_qs))
        QCOMPARE(t.y, 1300.0 + 38);
}

void TestVoucherGridRenderer::totalsOnTheLastPageOnly_data()
{
    QTest::addColumn<QString>("callMod");
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("totals");

    // The full text keeps its leading blank, as the grid has it.
    const QStringList full { u" 合 计 人民币叁仟元整"_qs, u"300000"_qs };
    const QStringList blank { u"合 计"_qs, u"分"_qs }; // then the unit labels
    QTest::newRow("voucher, page 1 of 3") << u"凭证"_qs << 1 << blank;
    QTest::newRow("voucher, page 2 of 3") << u"凭证"_qs << 2 << blank;
    QTest::newRow("voucher, page 3 of 3") << u"凭证"_qs << 3 << full;
    QTest::newRow("other module, page 1 of 3") << u"账簿"_qs << 1 << full;
}

void TestVoucherGridRenderer::totalsOnTheLastPageOnly()
{
    QFETCH(QString, callMod);
    QFETCH(int, page);
    QFETCH(QStringList, totals);
    setVoucher({ { u"a"_qs, u"b"_qs, u"1000"_qs }, { u"a"_qs, u"b"_qs, u"1000"_qs },
                   { u"a"_qs, u"b"_qs, u"1000"_qs } },
        { u" 合 计 人民币叁仟元整"_qs, u""_qs, u"3000.00"_qs, u""_qs });
    m_fx->job.setCallMod(callMod);
    m_fx->setRowsPerPage(1).state().RowPageCount = 3;
    m_fx->nextPage(page);
    render();
    // The page's one body row, then the totals row.
    const QStringList printed = printedStrings(m_fx->surface);
    const qsizetype body = printed.indexOf(u"100000"_qs);
    QVERIFY(body > 0);
    QCOMPARE(printed.mid(body + 1, totals.size()), totals);
}

void TestVoucherGridRenderer::blankRowsPadTheLastPage_data()
{
    QTest::addColumn<int>("fill");
    QTest::addColumn<double>("totalsTop");

    QTest::newRow("padded to 5 rows") << 1 << 1300.0 + 5 * 300;
    QTest::newRow("not padded") << 0 << 1300.0 + 3 * 300;
}

void TestVoucherGridRenderer::blankRowsPadTheLastPage()
{
    QFETCH(int, fill);
    QFETCH(double, totalsTop);
    setVoucher({ { u"a"_qs }, { u"b"_qs }, { u"c"_qs } }, { u"合 计"_qs });
    m_fx->setRowsPerPage(5).setFillBlankRows(fill);
    render();
    const QList<DrawnLine> segs = lines(m_fx->surface);
    // The blank rows (2200 to 2800) have both borders in every column and no text.
    const QList<double> edges { 1000, 5946, 10060, 11200, 12340 };
    if (fill) {
        for (double y : { 2500.0, 2800.0 }) {
            for (int c = 0; c < 4; ++c)
                QVERIFY(hasHorizontal(segs, y, edges[c], edges[c + 1]));
        }
        for (double x : { 5946.0, 10060.0, 11200.0, 12340.0 }) {
            QVERIFY(hasVertical(segs, x, 2200, 2500));
            QVERIFY(hasVertical(segs, x, 2500, 2800));
        }
        const QList<PrintedText> inBlankRows = texts(m_fx->surface);
        QVERIFY(std::none_of(inBlankRows.cbegin(), inBlankRows.cend(),
            [](const PrintedText &t) { return t.y > 2200 && t.y < 2800; }));
    } else {
        QVERIFY(!hasHorizontal(segs, 2500, 1000, 5946));
    }
    QCOMPARE(printedAs(m_fx->surface, u"合 计"_qs).first().y, totalsTop + 88);
    QCOMPARE(m_fx->state().PageOriginY, int(totalsTop) + 400 + 100);
    // The digit lines run through the blank rows down to the totals row's bottom.
    QVERIFY(hasVertical(segs, 11170, 900, totalsTop + 400));
}

void TestVoucherGridRenderer::fontsByRegion()
{
    setVoucher({ { u"提现"_qs, u"库存现金"_qs, u"500"_qs, u""_qs } },
        { u"合 计"_qs, u"备注"_qs, u"500"_qs, u""_qs });
    m_fx->setBands({ 1 }, 1, true);
    EngineState &s = m_fx->state();
    s.FontTable[3].Size = 10;
    s.FontTable[4].Size = 11;
    s.FontTable[5].Size = 12;
    render();
    const auto sizeOf
        = [&](const QString &text) { return printedAs(m_fx->surface, text).first().fontSize; };
    QCOMPARE(sizeOf(u"摘要"_qs), 10.0); // header, fixed column: font 3
    QCOMPARE(sizeOf(u"借方金额"_qs), 10.0); // header, body column: font 3
    QCOMPARE(sizeOf(u"提现"_qs), 11.0); // body, fixed column: font 4
    QCOMPARE(sizeOf(u"库存现金"_qs), 12.0); // body, body column: font 5
    QCOMPARE(sizeOf(u"合 计"_qs), 10.0); // bottom, fixed column: font 3
    QCOMPARE(sizeOf(u"备注"_qs), 12.0); // bottom, body column: font 5
    QCOMPARE(printedAs(m_fx->surface, u"50000"_qs).size(), 2);
    for (const PrintedText &t : printedAs(m_fx->surface, u"50000"_qs))
        QCOMPARE(t.fontSize, 12 * 0.8); // the digits' share of their cells
}

void TestVoucherGridRenderer::columnBandsRepeatFixedColumns()
{
    setVoucher({ { u"提现"_qs, u"库存现金"_qs, u"500"_qs, u"300"_qs } });
    // 借方金额 and 贷方金额 under one heading in row 0.
    m_grid->setText(0, 2, u"金额"_qs);
    m_grid->setCell(0, 2, kInForce | kDown | kAcross | kBottom);
    m_grid->setCell(0, 3, kInForce | kDown | kBottom | kRight);
    m_fx->setWidth(6000).setBands({ 1, 3 }, 1, true).nextPage(1, 2);
    render();
    // Band 2: the repeated column 0, then column 3. The page is wider than the two (4505), so
    // column 3 keeps its digit cells (1140) and column 0 takes the rest (4860).
    QCOMPARE(m_fx->state().FirstBodyCol, 3);
    QCOMPARE(m_fx->state().LastBodyCol, 3);
    const QList<DrawnLine> segs = lines(m_fx->surface);
    QVERIFY(hasVertical(segs, 5860, 1300, 1600));
    QVERIFY(hasVertical(segs, 7000, 1300, 1600));
    QVERIFY(hasVertical(segs, 6970, 900, 1600)); // column 3's right outer digit line
    const QStringList printed = printedStrings(m_fx->surface);
    QVERIFY(printed.contains(u"提现"_qs));
    QVERIFY(printed.contains(u"30000"_qs));
    QVERIFY(!printed.contains(u"库存现金"_qs));
    QVERIFY(!printed.contains(u"50000"_qs));
    // The heading over both amount columns shows on this band too, over its part.
    const QList<PrintedText> heading = printedAs(m_fx->surface, u"金额"_qs);
    QCOMPARE(heading.size(), 1);
    QCOMPARE(heading.first().x, 5860.0 + (1140 - 360) / 2);
}

void TestVoucherGridRenderer::hiddenColumnTakesNoRoom()
{
    setVoucher({ { u"提现"_qs, u"库存现金"_qs, u"500"_qs, u""_qs } });
    m_grid->setColHide(1, true);
    render();
    // Column 0 takes all the width the amount columns leave: 11340 − 2280.
    const QList<DrawnLine> segs = lines(m_fx->surface);
    for (double x : { 10060.0, 11200.0, 12340.0 })
        QVERIFY(hasVertical(segs, x, 1300, 1600));
    QVERIFY(printedAs(m_fx->surface, u"库存现金"_qs).isEmpty());
    QCOMPARE(m_fx->state().FitRatio, 11340 / 6005.0);
}

void TestVoucherGridRenderer::everyColumnAnAmountColumn()
{
    setVoucher({ { u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs } });
    m_grid->setColHide(0, true);
    m_grid->setColHide(1, true);
    render();
    // Nothing to share the page with: both columns scale alike to fill it (5670 each), with as
    // many digit cells as fit (61 separators, labels as far as they go: 43).
    QCOMPARE(m_fx->state().FitRatio, 1.0);
    const QList<DrawnLine> segs = lines(m_fx->surface);
    QVERIFY(hasVertical(segs, 6670, 1300, 1600));
    QVERIFY(hasVertical(segs, 12340, 1300, 1600));
    QCOMPARE(printedAs(m_fx->surface, u"分"_qs).size(), 2);
    QCOMPARE(printedStrings(m_fx->surface).count(u"亿"_qs), 2 * 5);
    QCOMPARE(printedAs(m_fx->surface, u"300"_qs).first().x + 3 * 90, 6670.0 - 30);
}

void TestVoucherGridRenderer::amountColumnsLeaveNoRoom()
{
    setVoucher({ { u"a"_qs, u"b"_qs, u"1"_qs, u"2"_qs } });
    for (int c = 0; c < 4; ++c)
        m_grid->setColWidth(c, 100);
    m_fx->setWidth(2000);
    render();
    // At 1140 each the amount columns alone would be wider than the page: every column scales
    // alike, 100 × 5 = 500.
    QCOMPARE(m_fx->state().FitRatio, 1.0);
    const QList<DrawnLine> segs = lines(m_fx->surface);
    for (double x : { 1500.0, 2000.0, 2500.0, 3000.0 })
        QVERIFY(hasVertical(segs, x, 1300, 1600));
}

void TestVoucherGridRenderer::frames_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("outerLines");

    QTest::newRow("single box") << 1 << 0;
    QTest::newRow("double box") << 2 << 4;
    QTest::newRow("top and bottom") << 3 << 0;
    QTest::newRow("none") << 5 << 0;
}

void TestVoucherGridRenderer::frames()
{
    QFETCH(int, style);
    QFETCH(int, outerLines);
    setVoucher({ { u"a"_qs } });
    m_fx->job.setBorderStyle(MyPrint::enuBdSy(style));
    render();
    const QList<DrawnLine> segs = lines(m_fx->surface);
    const bool box = style == 1 || style == 2;
    QCOMPARE(hasVertical(segs, 1000, 500, 1600), box);
    QCOMPARE(hasHorizontal(segs, 500, 1000, 12340), style <= 3);
    const qsizetype outside = std::count_if(segs.cbegin(), segs.cend(), [](const DrawnLine &l) {
        return std::min(l.x1, l.x2) < 1000 || std::min(l.y1, l.y2) < 500;
    });
    QCOMPARE(outside, qsizetype(outerLines));
}

void TestVoucherGridRenderer::previewProgressPerRow()
{
    setVoucher({ { u"a"_qs }, { u"b"_qs } });
    CountingProgress progress;
    m_fx->setPreview(&progress).setRowsPerPage(4).setFillBlankRows(true);
    render();
    QCOMPARE(progress.updates, 4);
    QCOMPARE(progress.value(), 10.0 + 80);
}

void TestVoucherGridRenderer::drawnThroughTheKindRules()
{
    setVoucher({ { u"提现"_qs } });
    gridKindRules(2)->render(m_fx->page());
    QVERIFY(printedStrings(m_fx->surface).contains(u"提现"_qs));
}

QUILLON_TEST_MAIN(TestVoucherGridRenderer)
#include "tst_vouchergridrenderer.moc"
