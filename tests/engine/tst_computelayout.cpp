#include "api/myprint_p.h"
#include "support/singleprinter.h"
#include "support/testpage.h"
#include "support/testplatform.h"
#include "testmain.h"

#include "engine/convert.h"
#include "engine/grids/flexgridrenderer.h"
#include "engine/layout/computelayout.h"
#include "engine/state/enginestate.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "platform/interfaces/memorysettingsstore.h"

#include <quillon/datagrid.h>
#include <quillon/error.h>
#include <quillon/flexgrid.h>
#include <quillon/myprint.h>
#include <quillon/sheetgrid.h>
#include <quillon/spreadgrid.h>
#include <quillon/vouchergrid.h>

#include <QTemporaryDir>

#include <numeric>

using namespace quillon;

// With the recording surface's fixed metrics a line of "高" is 25 twips per point: font 0
// (24 pt) 600, fonts of 11 pt 275. A layout with LineCount 1 makes LineHeightTw the whole
// height left for body rows, which lets the tests read that height directly.
class TestComputeLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void fullPageMarginsAndUsableArea();
    void fullPageIgnoresPageSize();
    void centringAPageThatFillsTheArea_data();
    void centringAPageThatFillsTheArea();
    void previewOffsetsAndPageSize();
    void autoArrangeCentresPagesInTheirCells();
    void autoArrangeWithoutCentring();
    void pageLargerThanUsableArea();
    void heightTakenByFurniture_data();
    void heightTakenByFurniture();
    void pageInfoLinesKeptOnNarrowPages();
    void skippedStepsAreLogged();
    void headerLineWithTextNewlineIsAnError();
    void fixedHeaderRows_data();
    void fixedHeaderRows();
    void logoPicture();
    void rowHeightWinsOverRowCount();
    void automaticRowHeightFromTheGrid();
    void rowsThatDoNotFitGiveAMessage();
    void rowBands_data();
    void rowBands();
    void columnBands_data();
    void columnBands();
    void fixedColumnsWiderThanThePage();
    void planColumnBands_data();
    void planColumnBands();
    void sheetCount();
    void appliesPaperAndOrientation();

private:
    void fullPage(double scaleWidth, double scaleHeight);
    qint32 heightLeft()
    {
        ComputeLayout(engineState(), 0, 1);
        return engineState().LineHeightTw;
    }

    SinglePrinterSystem *m_system = nullptr;
    RecordingMessageSink *m_sink = nullptr;
    std::unique_ptr<MyPrint> m_job;
    std::unique_ptr<FlexGrid> m_grid;
};

void TestComputeLayout::init()
{
    auto system = std::make_unique<SinglePrinterSystem>(11906, 16838, 11000, 15500);
    m_system = system.get();
    m_sink = TestPlatform::install(std::move(system)).sink;

    m_grid = std::make_unique<FlexGrid>();
    m_grid->setSize(31, 3);
    m_grid->setFixedRows(1);
    m_job = std::make_unique<MyPrint>();
    m_job->setDatagrid(m_grid.get());
    m_job->setGridType(MyPrint::MnuGridType::ssMsflexGrid);

    EngineState &s = engineState();
    s.setPrintObject(&MyPrintPrivate::get(*m_job));
    s.OutputMode = 1;
    s.DrawTarget = &m_system->printer;
    for (FontSpec &font : s.FontTable)
        font = { u"宋体"_qs, 11 };
    s.FontTable[0].Size = 24;
    s.Format.PrintDate = s.Format.PrintPageNo = s.Format.PrintOperator = 0;
    s.GridRows = 31;
    s.GridCols = 3;
    s.FixedRowsTop = 1;
    s.ColStart = 0;
    s.ColEnd = 2;
}

void TestComputeLayout::cleanup()
{
    m_job.reset();
    m_grid.reset();
    TestPlatform::uninstall();
}

void TestComputeLayout::fullPage(double scaleWidth, double scaleHeight)
{
    m_system->printer.setPrintableArea(scaleWidth, scaleHeight);
    PageFormat &f = engineState().Format;
    f.FullPage = 1;
    f.Top = f.Bottom = f.Left = f.Right = 0;
}

void TestComputeLayout::fullPageMarginsAndUsableArea()
{
    PageFormat &f = engineState().Format;
    f.Top = 10;
    f.Bottom = f.Left = f.Right = 5;
    ComputeLayout(engineState(), 0, 30);
    const EngineState &s = engineState();
    QCOMPARE(s.OffsetX, 0);
    QCOMPARE(s.PaperWidthTw, 11000);
    QCOMPARE(s.PaperHeightTw, 15500);
    QCOMPARE(s.TopMarginTw, 567);
    QCOMPARE(s.BottomMarginTw, 284); // 283.5, half to even
    QCOMPARE(s.LeftMarginTw, 284);
    QCOMPARE(s.RightMarginTw, 284);
    QCOMPARE(s.UsableWidthTw, 10432);
    QCOMPARE(s.UsableHeightTw, 14649);
    QCOMPARE(s.PageWidthTw, 10432);
    QCOMPARE(s.PageHeightTw, 14649);
    QCOMPARE(s.PagesAcross, 1);
    QCOMPARE(s.CurRowPage, 1);
    QCOMPARE(s.CurSheet, 1);
}

void TestComputeLayout::fullPageIgnoresPageSize()
{
    PageFormat &f = engineState().Format;
    f.FullPage = 1;
    f.PageWidth = 50;
    f.PageHeight = 50;
    f.AutoArrange = 1;
    ComputeLayout(engineState(), 0, 30);
    const EngineState &s = engineState();
    QCOMPARE(s.PagesAcross, 1);
    QCOMPARE(s.PagesDown, 1);
    QCOMPARE(s.PageWidthTw, s.UsableWidthTw);
}

void TestComputeLayout::centringAPageThatFillsTheArea_data()
{
    QTest::addColumn<int>("fullPage");
    QTest::addColumn<int>("pageMm"); // width and height of the logical page
    QTest::addColumn<int>("margin"); // each side's share of the two margins, twips
    // Margins 5 and 15 mm on both axes: a page that fills the area is centred between 10 and
    // 10 mm, not printed from edge to edge.
    QTest::newRow("full page") << 1 << 50 << 567;
    QTest::newRow("page larger than the area") << 0 << 400 << 567;
    // A page that fits is centred in its cell of the whole printable area.
    QTest::newRow("page that fits") << 0 << 100 << roundHalfEven((11000 - 5670) / 2.0);
}

void TestComputeLayout::centringAPageThatFillsTheArea()
{
    QFETCH(int, fullPage);
    QFETCH(int, pageMm);
    QFETCH(int, margin);
    PageFormat &f = engineState().Format;
    f.FullPage = qint16(fullPage);
    f.PageWidth = f.PageHeight = qint16(pageMm);
    f.HCenter = f.VCenter = 1;
    f.Left = f.Top = 5;
    f.Right = f.Bottom = 15;
    ComputeLayout(engineState(), 0, 30);
    const EngineState &s = engineState();
    QCOMPARE(s.LeftMarginTw, margin);
    QCOMPARE(s.RightMarginTw, margin);
    if (pageMm != 100) {
        QCOMPARE(s.TopMarginTw, margin);
        QCOMPARE(s.PageWidthTw, 11000 - 2 * margin);
        QCOMPARE(s.PageHeightTw, 15500 - 2 * margin);
    }
}

void TestComputeLayout::previewOffsetsAndPageSize()
{
    RecordingSurface page(1, 1);
    EngineState &s = engineState();
    s.OutputMode = 2;
    s.DrawTarget = &page;
    s.ZoomRate = 0.5;
    s.Format.Left = 10;
    ComputeLayout(engineState(), 0, 30);
    QCOMPARE(s.OffsetX, 453); // (11906 - 11000) / 2
    QCOMPARE(s.OffsetY, 669);
    QCOMPARE(s.PaperWidthTw, 11906);
    QCOMPARE(s.PaperHeightTw, 16838);
    QCOMPARE(s.LeftMarginTw, 567 + 453);
    QCOMPARE(page.Width(), 5953.0);
    QCOMPARE(page.Height(), 8419.0);
}

void TestComputeLayout::autoArrangeCentresPagesInTheirCells()
{
    // About 200 × 290 mm of printable area, logical pages of 100 × 140 mm.
    m_system->printer.setPrintableArea(11500, 16600);
    PageFormat &f = engineState().Format;
    f.FullPage = 0;
    f.PageWidth = 100;
    f.PageHeight = 140;
    f.AutoArrange = 1;
    f.HCenter = f.VCenter = 1;
    ComputeLayout(engineState(), 0, 10);
    const EngineState &s = engineState();
    QCOMPARE(s.PageWidthTw, 5670);
    QCOMPARE(s.PageHeightTw, 7938);
    QCOMPARE(s.PagesAcross, 2);
    QCOMPARE(s.PagesDown, 2);
    // Each page sits in the middle of its half of the printable area.
    QCOMPARE(s.LeftMarginTw, 40); // (11500 / 2 - 5670) / 2
    QCOMPARE(s.RightMarginTw, 40);
    QCOMPARE(s.TopMarginTw, 181); // (16600 / 2 - 7938) / 2
    QCOMPARE(s.BottomMarginTw, 181);
    QCOMPARE(s.UsableWidthTw, 11500); // not changed by the centring
}

void TestComputeLayout::autoArrangeWithoutCentring()
{
    m_system->printer.setPrintableArea(11500, 16600);
    PageFormat &f = engineState().Format;
    f.FullPage = 0;
    f.PageWidth = 50;
    f.PageHeight = 140;
    f.AutoArrange = 1;
    f.Left = f.Right = 5;
    ComputeLayout(engineState(), 0, 10);
    const EngineState &s = engineState();
    // 11500 / (10 mm of margins + 50 mm of page) = 3.38
    QCOMPARE(s.PagesAcross, 3);
    QCOMPARE(s.LeftMarginTw, 284);
}

void TestComputeLayout::pageLargerThanUsableArea()
{
    PageFormat &f = engineState().Format;
    f.FullPage = 0;
    f.PageWidth = 400;
    f.PageHeight = 100;
    f.AutoArrange = 1;
    f.Left = f.Right = f.Top = f.Bottom = 0;
    ComputeLayout(engineState(), 0, 10);
    const EngineState &s = engineState();
    QCOMPARE(s.PageWidthTw, 11000); // the usable width, and no arranging across
    QCOMPARE(s.PagesAcross, 1);
    QCOMPARE(s.PageHeightTw, 5670);
    QCOMPARE(s.PagesDown, 2);
}

void TestComputeLayout::heightTakenByFurniture_data()
{
    QTest::addColumn<QString>("main");
    QTest::addColumn<QString>("sub");
    QTest::addColumn<QList<int>>("headNewlines");
    QTest::addColumn<QList<int>>("footNewlines");
    QTest::addColumn<bool>("pageInfo");
    QTest::addColumn<int>("taken");
    QTest::newRow("nothing") << QString() << QString() << QList<int> {} << QList<int> {} << false
                             << 0;
    QTest::newRow("main title") << u"销售日报"_qs << QString() << QList<int> {} << QList<int> {}
                                << false << 700;
    QTest::newRow("both titles") << u"a"_qs << u"b"_qs << QList<int> {} << QList<int> {} << false
                                 << 700 + 375;
    QTest::newRow("head lines ending a line")
        << QString() << QString() << QList<int> { 0, 1, 1 } << QList<int> {} << false << 2 * 325;
    QTest::newRow("foot lines") << QString() << QString() << QList<int> {} << QList<int> { 1, 0 }
                                << false << 325;
    QTest::newRow("page info line")
        << QString() << QString() << QList<int> {} << QList<int> {} << true << 375;
    QTest::newRow("everything") << u"a"_qs << u"b"_qs << QList<int> { 1 } << QList<int> { 1 }
                                << true << 700 + 375 + 325 + 325 + 375;
}

void TestComputeLayout::heightTakenByFurniture()
{
    QFETCH(QString, main);
    QFETCH(QString, sub);
    QFETCH(QList<int>, headNewlines);
    QFETCH(QList<int>, footNewlines);
    QFETCH(bool, pageInfo);
    QFETCH(int, taken);
    fullPage(10000, 15000);
    m_grid->setFixedRows(0);
    engineState().FixedRowsTop = 0;
    m_job->setMainTitle(main);
    m_job->setSubTitle(sub);
    for (int n : headNewlines)
        m_job->AddHead(u"页眉"_qs, n, 0, 0);
    for (int n : footNewlines)
        m_job->AddFoot(u"页脚"_qs, n, 0, 0);
    engineState().Format.PrintPageNo = pageInfo ? 1 : 0;
    QCOMPARE(heightLeft(), 15000 - taken);
}

void TestComputeLayout::pageInfoLinesKeptOnNarrowPages()
{
    // Operator, page number and date: side by side on a wide page, one a line on a narrow one.
    PageFormat &f = engineState().Format;
    f.PrintOperator = f.PrintPageNo = f.PrintDate = 1;
    fullPage(10000, 15000);
    const qint32 wide = heightLeft();
    fullPage(3000, 15000);
    QCOMPARE(heightLeft(), wide - 2 * 325);
}

namespace {
QStringList g_logged;
void captureLog(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    g_logged << QLatin1String(context.category) + u' ' + text;
}
} // namespace

void TestComputeLayout::skippedStepsAreLogged()
{
    // A page 0 mm wide arranged across the sheet divides by zero: the step is skipped, the
    // layout goes on, and QT_LOGGING_RULES="quillon.engine.debug=true" shows why.
    PageFormat &f = engineState().Format;
    f.FullPage = 0;
    f.PageWidth = 0;
    f.PageHeight = 100;
    f.AutoArrange = f.HCenter = 1;
    QLoggingCategory::setFilterRules(u"quillon.engine.debug=true"_qs);
    g_logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureLog);
    ComputeLayout(engineState(), 0, 10);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    QVERIFY2(g_logged.size() == 1
            && g_logged[0].startsWith(u"quillon.engine step skipped: page width"_qs),
        qPrintable(g_logged.join(u'\n')));
    QVERIFY(g_logged[0].contains(u"[11]Division by zero"_qs));
    QCOMPARE(engineState().LinesPerPage, 10);
}

void TestComputeLayout::headerLineWithTextNewlineIsAnError()
{
    m_job->AddHead(u"ok"_qs, true, 0, 0); // booleans read as numbers
    m_job->AddHead(u"坏"_qs, u"是"_qs, 0, 0);
    try {
        ComputeLayout(engineState(), 0, 30);
        QFAIL("no error");
    } catch (const Error &e) {
        QCOMPARE(e.number(), 13);
        QVERIFY(e.description().contains(u"“是”"_qs));
        QVERIFY(e.description().contains(u"HeadLines"_qs));
    }
}

void TestComputeLayout::fixedHeaderRows_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("fixRowsHeightTw");
    QTest::addColumn<int>("taken");
    QTest::newRow("flex, own heights") << 5 << 0 << 300 + 450;
    QTest::newRow("flex, fixed height") << 5 << 500 << 1000;
    QTest::newRow("voucher, top and total rows") << 2 << 0 << 300 + 450 + 800;
    QTest::newRow("data grid, two caption lines") << 3 << 0 << 2 * 320;
    QTest::newRow("data grid, fixed height") << 4 << 500 << 2 * 500;
    QTest::newRow("spread, two header rows") << 8 << 0 << 330 + 340;
    QTest::newRow("sheet") << 1 << 0 << 360 + 370;
}

void TestComputeLayout::fixedHeaderRows()
{
    QFETCH(int, kind);
    QFETCH(int, fixRowsHeightTw);
    QFETCH(int, taken);
    fullPage(10000, 15000);
    FlexGrid flex;
    flex.setSize(10, 3);
    flex.setFixedRows(2);
    flex.setRowHeight(0, 300);
    flex.setRowHeight(1, 450);
    VoucherGrid voucher;
    voucher.setSize(10, 3);
    voucher.setFixedRowsT(2);
    voucher.setFixedRowsB(1);
    voucher.setRowHeight(0, 300);
    voucher.setRowHeight(1, 450);
    voucher.setRowHeight(9, 800);
    DataGrid data;
    data.appendColumn(u"a"_qs, 1000);
    data.setHeadLines(2);
    data.setRowHeight(320);
    SpreadGrid spread;
    spread.setMaxRows(10);
    spread.setMaxCols(3);
    spread.setColHeaderRows(2);
    spread.setRowHeightTwips(0, 330);
    spread.setRowHeightTwips(-999, 340);
    SheetGrid sheet;
    sheet.setTextRC(10, 3, u"x"_qs);
    sheet.setFixedRows(2);
    sheet.setRowHeight(1, 360);
    sheet.setRowHeight(2, 370);
    const QHash<int, QObject *> grids { { 5, &flex }, { 2, &voucher }, { 3, &data }, { 4, &data },
        { 8, &spread }, { 1, &sheet } };
    m_job->setDatagrid(grids.value(kind));
    m_job->setGridType(MyPrint::MnuGridType(kind));
    EngineState &s = engineState();
    s.GridRows = 10;
    s.FixedRowsTop = kind == 2 || kind == 5 || kind == 1 ? 2 : 0;
    s.FixedRowsBottom = kind == 2 ? 1 : 0;
    s.FixRowsHeightTw = fixRowsHeightTw;
    QCOMPARE(heightLeft(), 15000 - taken);
}

void TestComputeLayout::logoPicture()
{
    QTemporaryDir dir;
    fullPage(10000, 15000);
    m_grid->setFixedRows(0);
    engineState().FixedRowsTop = 0;
    PageFormat &f = engineState().Format;

    // A picture 100 pixels high at 96 dpi takes 1500 twips.
    QImage logo(80, 100, QImage::Format_RGB32);
    logo.fill(Qt::red);
    logo.setDotsPerMeterX(3780);
    logo.setDotsPerMeterY(3780);
    const QString png = dir.filePath(u"logo.png"_qs);
    QVERIFY(logo.save(png));
    f.LogPicPrt = 1;
    f.LogPic = png;
    QCOMPARE(heightLeft(), 15000 - 1500);
    QCOMPARE(engineState().LogoHeightTw, 1500);
    QCOMPARE(engineState().LogoPicture.size(), QSize(80, 100));
    QVERIFY(m_sink->messages().isEmpty());

    // Missing: a message, the logo switched off, no room taken.
    f.LogPic = dir.filePath(u"gone.png"_qs);
    QCOMPARE(heightLeft(), 15000);
    QCOMPARE(f.LogPicPrt, 0);
    QCOMPARE(m_sink->messages().last().prompt, u"徽标文件"_qs + f.LogPic + u"没有找到。"_qs);
    QCOMPARE(engineState().LogoHeightTw, 0);

    // Not a picture.
    const QString text = dir.filePath(u"logo.bmp"_qs);
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("this is no picture");
    file.close();
    f.LogPicPrt = 1;
    f.LogPic = text;
    QCOMPARE(heightLeft(), 15000);
    QCOMPARE(f.LogPicPrt, 0);
    QCOMPARE(m_sink->messages().last().prompt, u"徽标文件"_qs + text + u"不是图形文件。"_qs);
    f.LogPicPrt = 1;
    f.LogPic = dir.path(); // a folder
    QCOMPARE(heightLeft(), 15000);
    QCOMPARE(m_sink->messages().last().prompt,
        u"徽标文件"_qs + f.LogPic + u"是文件夹，不能作为图形读取。"_qs);
    QCOMPARE(m_sink->messages().size(), 3);
}

void TestComputeLayout::rowHeightWinsOverRowCount()
{
    fullPage(10000, 15000);
    m_grid->setRowHeight(0, 400);
    ComputeLayout(engineState(), 8, 30);
    const EngineState &s = engineState();
    QCOMPARE(s.LineHeightTw, 454); // 8 mm = 453.6
    QCOMPARE(s.LinesPerPage, (15000 - 400) / 454);

    ComputeLayout(engineState(), 0, 30);
    QCOMPARE(s.LinesPerPage, 30);
    QCOMPARE(s.LineHeightTw, (15000 - 400) / 30);
}

void TestComputeLayout::automaticRowHeightFromTheGrid()
{
    fullPage(10000, 15000);
    m_grid->setRowHeight(0, 400);
    m_grid->setRowHeight(1, 350);
    ComputeLayout(engineState(), 0, 0);
    QCOMPARE(engineState().LineHeightTw, 350);
    QCOMPARE(engineState().LinesPerPage, (15000 - 400) / 350);

    // A grid of one row has no body row to measure: one row per page.
    m_grid->setSize(1, 3);
    engineState().GridRows = 1;
    ComputeLayout(engineState(), 0, 0);
    QCOMPARE(engineState().LineHeightTw, 0);
    QCOMPARE(engineState().LinesPerPage, 1);
    QVERIFY(m_sink->messages().isEmpty());
}

void TestComputeLayout::rowsThatDoNotFitGiveAMessage()
{
    fullPage(10000, 5000);
    m_grid->setRowHeight(0, 400);
    ComputeLayout(engineState(), 200, 0); // 200 mm rows on 4600 twips
    QCOMPARE(engineState().LinesPerPage, 1);
    QCOMPARE(m_sink->messages().size(), 1);
    QCOMPARE(m_sink->messages()[0].prompt,
        u"行的高度小于网格高度，请重新设置行高\n最小行高:80"_qs); // 4600 / 57
    QCOMPARE(m_sink->messages()[0].buttons, 0x10000 | 48);
    fullPage(10000, 300); // the heading row alone is taller than the page
    ComputeLayout(engineState(), 200, 0);
    QVERIFY(m_sink->messages().last().prompt.contains(u"没有留给表格行的高度"_qs));
}

void TestComputeLayout::rowBands_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("gridRows");
    QTest::addColumn<int>("fixedTop");
    QTest::addColumn<int>("perPage");
    QTest::addColumn<int>("bands");
    QTest::newRow("95 rows at 30") << 7 << 96 << 1 << 30 << 4;
    QTest::newRow("90 rows at 30") << 7 << 91 << 1 << 30 << 3;
    QTest::newRow("91 rows at 30") << 7 << 92 << 1 << 30 << 4;
    QTest::newRow("flex, 10 body rows at 10") << 5 << 11 << 1 << 10 << 1;
    QTest::newRow("flex, 11 body rows at 10") << 5 << 12 << 1 << 10 << 2;
    QTest::newRow("flex, header only") << 5 << 1 << 1 << 10 << 1;
    QTest::newRow("hierarchical flex, 20 at 10") << 6 << 21 << 1 << 10 << 2;
    // Every grid drawn with a heading prints it on one page when it has no body rows.
    QTest::newRow("data grid, no rows") << 3 << 0 << 0 << 10 << 1;
    QTest::newRow("plain grid, header only") << 7 << 1 << 1 << 10 << 1;
    // Counts are 32-bit: 40,000 one-row pages are 40,000 pages, not 32,767.
    QTest::newRow("40,000 pages") << 7 << 40001 << 1 << 1 << 40000;
}

void TestComputeLayout::rowBands()
{
    QFETCH(int, kind);
    QFETCH(int, gridRows);
    QFETCH(int, fixedTop);
    QFETCH(int, perPage);
    QFETCH(int, bands);
    FlexGrid hier(FlexGrid::Flavor::Hierarchical);
    hier.setSize(gridRows, 3);
    DataGrid data;
    data.appendColumn(u"a"_qs, 1000);
    m_grid->setSize(gridRows, 3);
    m_grid->setFixedRows(fixedTop);
    m_job->setDatagrid(kind == 6 ? static_cast<QObject *>(&hier)
            : kind == 3          ? static_cast<QObject *>(&data)
                                 : m_grid.get());
    m_job->setGridType(MyPrint::MnuGridType(kind));
    EngineState &s = engineState();
    s.GridRows = gridRows;
    s.FixedRowsTop = fixedTop;
    ComputeLayout(engineState(), 0, qint16(perPage));
    QCOMPARE(s.LinesPerPage, perPage);
    QCOMPARE(s.RowPageCount, bands);
}

void TestComputeLayout::columnBands_data()
{
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<int>("multFixCol");
    QTest::addColumn<int>("fixedCols");
    QTest::addColumn<int>("bands");
    QTest::addColumn<int>("fixedWidth");
    QTest::addColumn<QList<qint32>>("starts"); // the first column of each band
    QTest::newRow("third column sticks out by exactly half")
        << QList<int> { 4000, 4000, 4000 } << 0 << 0 << 1 << 0 << QList<qint32> { 0 };
    QTest::newRow("more than half sticks out")
        << QList<int> { 4000, 4000, 4200 } << 0 << 0 << 2 << 0 << QList<qint32> { 0, 2 };
    QTest::newRow("ten narrow columns")
        << QList<int>(10, 2500) << 0 << 0 << 3 << 0 << QList<qint32> { 0, 4, 8 };
    QTest::newRow("repeated fixed column") << QList<int> { 2000, 3000, 3000, 3000, 3000, 3000 } << 1
                                           << 1 << 2 << 2000 << QList<qint32> { 1, 4 };
    // Packed, not split evenly: the two narrow columns share the last band.
    QTest::newRow("wide columns, then narrow ones") << QList<int> { 11000, 11000, 11000, 300,
        300 } << 0 << 0 << 4 << 0 << QList<qint32> { 0, 1, 2, 3 };
    // A column wider than the page beside the fixed column still goes on the first band.
    QTest::newRow("first band column wider than the rest of the page")
        << QList<int> { 3000, 16000, 2000 } << 1 << 1 << 2 << 3000 << QList<qint32> { 1, 2 };
}

void TestComputeLayout::columnBands()
{
    QFETCH(QList<int>, widths);
    QFETCH(int, multFixCol);
    QFETCH(int, fixedCols);
    QFETCH(int, bands);
    QFETCH(int, fixedWidth);
    QFETCH(QList<qint32>, starts);
    fullPage(10000, 15000);
    m_grid->setSize(5, widths.size());
    m_grid->setFixedCols(fixedCols);
    for (int c = 0; c < widths.size(); ++c) {
        m_grid->setColWidth(c, widths[c]);
        m_grid->setTextMatrix(0, c, QString::number(c));
    }
    EngineState &s = engineState();
    s.Format.HoriCutPage = 1;
    s.Format.MultFixCol = qint16(multFixCol);
    s.FixedCols = fixedCols;
    s.GridCols = widths.size();
    s.ColStart = 0;
    s.ColEnd = widths.size() - 1;
    ComputeLayout(engineState(), 0, 10);
    QCOMPARE(s.PageWidthTw, 10000);
    QCOMPARE(s.ColPageCount, bands);
    QCOMPARE(QList<qint32>(s.ColBandStarts.begin(), s.ColBandStarts.end()), starts);
    QCOMPARE(s.FixedColsWidthTw, fixedWidth);
    QCOMPARE(s.FirstBodyCol, multFixCol == 1 ? fixedCols : 0);
    QCOMPARE(s.LastBodyCol, widths.size() - 1);

    // The renderer prints exactly the planned bands: each band begins with the repeated fixed
    // columns and holds at least one column of its own; every column prints once.
    RecordingSurface page;
    s.DrawTarget = &page;
    s.GridRows = 1; // the heading row only
    QStringList printedColumns;
    for (s.CurColPage = 1; s.CurColPage <= s.ColPageCount; ++s.CurColPage) {
        page.clear();
        s.PageOriginY = 0;
        RenderFlexGrid(testPage());
        QStringList texts;
        for (const auto &op : page.ops(u"Print"_qs))
            texts << op.args[0].toString();
        QCOMPARE(texts.mid(0, fixedCols * multFixCol),
            QStringList(QStringList { u"0"_qs }.mid(0, fixedCols * multFixCol)));
        texts = texts.mid(fixedCols * multFixCol);
        QVERIFY2(!texts.isEmpty(), "an empty band");
        QCOMPARE(texts.first(), QString::number(starts[s.CurColPage - 1]));
        printedColumns << texts;
    }
    QStringList all;
    for (int c = multFixCol == 1 ? fixedCols : 0; c < widths.size(); ++c)
        all << QString::number(c);
    QCOMPARE(printedColumns, all);
}

void TestComputeLayout::fixedColumnsWiderThanThePage()
{
    fullPage(3000, 15000);
    m_grid->setFixedCols(2);
    m_grid->setColWidth(0, 2000);
    m_grid->setColWidth(1, 2000);
    EngineState &s = engineState();
    s.Format.MultFixCol = 1;
    s.FixedCols = 2;
    ComputeLayout(engineState(), 0, 10);
    QCOMPARE(s.FixedColsWidthTw, 4000);
    QCOMPARE(m_sink->messages().size(), 1);
    QCOMPARE(m_sink->messages()[0].prompt, u"固定列宽度超过页面宽度"_qs);
    QCOMPARE(s.SheetCount, 3); // the computation went on
}

void TestComputeLayout::planColumnBands_data()
{
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<int>("fixedCols"); // repeated on every band when not 0
    QTest::addColumn<int>("pageWidth");
    QTest::addColumn<QList<qint32>>("starts");
    QTest::newRow("all in one band")
        << QList<int> { 1000, 2000, 3000 } << 0 << 10000 << QList<qint32> { 0 };
    QTest::newRow("exact fit, then a narrow column")
        << QList<int> { 2500, 2500, 2500, 2500, 2 } << 0 << 10000 << QList<qint32> { 0, 4 };
    QTest::newRow("half of the last column out")
        << QList<int> { 4000, 4000, 4000 } << 0 << 10000 << QList<qint32> { 0 };
    QTest::newRow("a twip more than half out")
        << QList<int> { 4000, 4000, 4002 } << 0 << 10000 << QList<qint32> { 0, 2 };
    QTest::newRow("column wider than the page")
        << QList<int> { 6000, 12000, 3000 } << 0 << 10000 << QList<qint32> { 0, 1, 2 };
    QTest::newRow("fixed columns on every band") << QList<int> { 2000, 1000, 3000, 3000, 3000, 3000,
        3000, 3000 } << 2 << 10000 << QList<qint32> { 2, 4, 6 };
    // Each band still gets one column of its own.
    QTest::newRow("fixed columns wider than the page")
        << QList<int> { 6000, 6000, 1000, 1000 } << 2 << 10000 << QList<qint32> { 2, 3 };
}

void TestComputeLayout::planColumnBands()
{
    QFETCH(QList<int>, widths);
    QFETCH(int, fixedCols);
    QFETCH(int, pageWidth);
    QFETCH(QList<qint32>, starts);
    const double fixedWidth = std::accumulate(widths.begin(), widths.begin() + fixedCols, 0.0);
    const std::vector<qint32> bands = PlanColumnBands(fixedCols, qint32(widths.size()) - 1,
        pageWidth, fixedWidth, fixedCols > 0, [&](qint32 col) { return widths[col]; });
    QCOMPARE(QList<qint32>(bands.begin(), bands.end()), starts);
}

void TestComputeLayout::sheetCount()
{
    // 3 row bands × 2 column bands at 2 × 2 logical pages per sheet: 2 sheets.
    m_system->printer.setPrintableArea(11500, 16600);
    PageFormat &f = engineState().Format;
    f.FullPage = 0;
    f.PageWidth = 100;
    f.PageHeight = 140;
    f.AutoArrange = 1;
    f.HCenter = f.VCenter = 1;
    f.HoriCutPage = 1;
    m_grid->setSize(31, 2);
    m_grid->setColWidth(0, 5000);
    m_grid->setColWidth(1, 5000);
    EngineState &s = engineState();
    s.GridCols = 2;
    s.ColEnd = 1;
    ComputeLayout(engineState(), 0, 10);
    QCOMPARE(s.RowPageCount, 3);
    QCOMPARE(s.ColPageCount, 2);
    QCOMPARE(s.PagesAcross * s.PagesDown, 4);
    QCOMPARE(s.SheetCount, 2);
}

void TestComputeLayout::appliesPaperAndOrientation()
{
    PageFormat &f = engineState().Format;
    f.PaperSize = 42; // a user-defined paper, as held after loading
    f.PaperOriention = 2;
    ComputeLayout(engineState(), 0, 10);
    const QList<RecordingSurface::Op> papers = m_system->printer.ops(u"PaperSize"_qs);
    QCOMPARE(papers.size(), 1);
    QCOMPARE(papers[0].args, QVariantList { 256 });
    QCOMPARE(m_system->printer.Orientation(), 2);
    QCOMPARE(engineState().PaperWidthTw, 15500); // the printer turned its paper
}

QUILLON_TEST_MAIN(TestComputeLayout)
#include "tst_computelayout.moc"
