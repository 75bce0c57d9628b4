#include "support/pagefixture.h"
#include "support/recordingqueries.h"
#include "testmain.h"

#include "engine/draw/furniture.h"
#include "engine/layout/pagedriver.h"

#include <quillon/error.h>
#include <quillon/flexgrid.h>
#include <quillon/myprint.h>
#include <quillon/spreadgrid.h>

using namespace quillon;

namespace {

using Op = RecordingSurface::Op;

class StatusPanels : public PreviewStatusSink
{
public:
    void setPanelText(int panel, const QString &text) override { panels[panel] = text; }
    QMap<int, QString> panels;
};

class Progress : public PreviewProgressSink
{
public:
    double value() const override { return m_value; }
    void setValue(double v) override { m_value = v; }
    void setVisible(bool v) override { visible << v; }
    QList<bool> visible;

private:
    double m_value = 0;
};

/// The page-number items printed, in order: which logical pages a sheet drew.
QStringList pageNumbers(const RecordingSurface &s)
{
    QStringList out;
    for (const Op &op : s.ops(u"Print"_qs)) {
        const QString text = op.args[0].toString();
        if (text.startsWith(u"第 "_qs))
            out << text;
    }
    return out;
}

} // namespace

// A flex grid of 31 rows (1 header) at 10 rows per page: 3 row bands. The layout fields are
// set by hand so that each test controls the sheet's geometry.
class TestPageDriver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void onePagePerSheet();
    void columnBandFirstOrderAcrossSheets();
    void secondPageAcrossStartsBesideTheFirst();
    void centredCells();
    void cutMarks_data();
    void cutMarks();
    void previewStatusAndProgress();
    void colour_data();
    void colour();
    void errorsAreShownAndSwallowed();
    void firstPagesOfSheets();
    void continuousPage();
    void pagesPast32767();
    void noSecondSheetWhileOneIsDrawn();
    void goldenSheet();
    void secondGridSwitchedOffWhenTheFirstReachesTheMiddle_data();
    void secondGridSwitchedOffWhenTheFirstReachesTheMiddle();

private:
    void useSheet(int across, int down, int colBands);
    QList<double> operatorXs() const;

    /// Draws the sheet of the current page, as the print loop and the preview do.
    bool render() { return RenderSheet(m_fx->state()); }

    SinglePrinterSystem *m_system = nullptr;
    std::unique_ptr<FlexGrid> m_grid;
    std::optional<PageFixture> m_fx;
    RecordingMessageSink *m_sink = nullptr;
};

void TestPageDriver::init()
{
    auto system = std::make_unique<SinglePrinterSystem>(12000, 17000, 11000, 16000);
    m_system = system.get();
    m_sink = TestPlatform::install(std::move(system)).sink;
    m_grid = std::make_unique<FlexGrid>();
    m_grid->setSize(31, 4);
    m_grid->setFixedRows(1);
    m_fx.emplace();
    m_fx->job.setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    m_fx->job.setDatagrid(m_grid.get());
    m_fx->job.setOperator(u"甲"_qs);
    m_fx->useGrid().setFont({ u"宋体"_qs, 10 }).setReduceFont(true);
    EngineState &s = m_fx->state();
    s.RowPageCount = 3;
    s.LeftMarginTw = s.RightMarginTw = 500;
    s.TopMarginTw = s.BottomMarginTw = 600;
    s.Format.PrintDate = 0;
    useSheet(1, 1, 1);
}

void TestPageDriver::cleanup()
{
    m_fx.reset();
    m_grid.reset();
    TestPlatform::uninstall();
}

void TestPageDriver::useSheet(int across, int down, int colBands)
{
    EngineState &s = m_fx->state();
    s.PagesAcross = qint16(across);
    s.PagesDown = qint16(down);
    s.ColPageCount = qint16(colBands);
    s.PageWidthTw = across == 1 ? 10000 : 4000;
    s.PageHeightTw = down == 1 ? 14800 : 6800;
    s.UsableWidthTw = 10000;
    s.UsableHeightTw = 14800;
    s.CurRowPage = s.CurColPage = 1;
}

QList<double> TestPageDriver::operatorXs() const
{
    QList<double> xs;
    for (const Op &op : m_fx->surface.ops(u"Print"_qs)) {
        if (op.args[0].toString().startsWith(u"操作员"_qs))
            xs << op.args[1].toDouble();
    }
    return xs;
}

void TestPageDriver::onePagePerSheet()
{
    QVERIFY(render());
    const EngineState &s = m_fx->state();
    QCOMPARE(pageNumbers(m_fx->surface), QStringList { u"第 1 页 (共 3 页)"_qs });
    QCOMPARE(operatorXs(), QList<double> { 500 });
    QCOMPARE(s.CurRowPage, 1); // left as it was found
    QVERIFY(s.SheetNav[0]);
    QVERIFY(!s.SheetNav[1]);
    QVERIFY(!s.LastPageDone);
}

void TestPageDriver::columnBandFirstOrderAcrossSheets()
{
    useSheet(2, 2, 2);
    EngineState &s = m_fx->state();
    QVERIFY(render());
    QCOMPARE(pageNumbers(m_fx->surface),
        (QStringList { u"第 1 (1/2) 页 (共 3 页)"_qs, u"第 1 (2/2) 页 (共 3 页)"_qs,
            u"第 2 (1/2) 页 (共 3 页)"_qs, u"第 2 (2/2) 页 (共 3 页)"_qs }));
    QVERIFY(s.SheetNav[0]);
    QVERIFY(!s.SheetNav[1]);

    m_fx->surface.clear();
    const LogicalPage second = firstPageOfSheet(m_fx->state(), 2);
    s.CurRowPage = qint16(second.rowPage);
    s.CurColPage = qint16(second.colPage);
    QVERIFY(render());
    QCOMPARE(pageNumbers(m_fx->surface),
        (QStringList { u"第 3 (1/2) 页 (共 3 页)"_qs, u"第 3 (2/2) 页 (共 3 页)"_qs }));
    QVERIFY(s.LastPageDone);
    QVERIFY(s.SheetNav[1]);
    QVERIFY(!s.SheetNav[0]);
    QCOMPARE(s.CurRowPage, 3);
}

void TestPageDriver::secondPageAcrossStartsBesideTheFirst()
{
    useSheet(2, 1, 1);
    EngineState &s = m_fx->state();
    s.OffsetX = 100;
    QVERIFY(render());
    // 500 + 4000 + 500 + 500 - 2 × 100
    QCOMPARE(operatorXs(), (QList<double> { 500, 5300 }));
}

void TestPageDriver::centredCells()
{
    useSheet(2, 2, 1);
    EngineState &s = m_fx->state();
    s.Format.HCenter = 1;
    s.Format.VCenter = 1;
    s.LeftMarginTw = 500;
    QVERIFY(render());
    // Next cell across: (1 + 0.5) × 10000 / 2 - 4000 / 2 = 5500.
    QCOMPARE(operatorXs(), (QList<double> { 500, 5500, 500 }));
    QVERIFY(s.LastPageDone);
}

void TestPageDriver::cutMarks_data()
{
    QTest::addColumn<int>("outputMode");
    QTest::addColumn<int>("cutline");
    QTest::addColumn<int>("across");
    QTest::addColumn<int>("marks"); // sets of 8 strokes
    QTest::newRow("printer, one page, cut lines on") << 1 << 1 << 1 << 0;
    QTest::newRow("preview, one page: printable area") << 2 << 1 << 1 << 1;
    QTest::newRow("printer, two across with cut lines") << 1 << 1 << 2 << 2;
    QTest::newRow("printer, two across without cut lines") << 1 << 0 << 2 << 0;
    QTest::newRow("printer, 2 × 2 with cut lines") << 1 << 1 << 4 << 3;
    QTest::newRow("preview, 2 × 2 without cut lines") << 2 << 0 << 4 << 3;
}

void TestPageDriver::cutMarks()
{
    QFETCH(int, outputMode);
    QFETCH(int, cutline);
    QFETCH(int, across);
    QFETCH(int, marks);
    if (across == 4)
        useSheet(2, 2, 1);
    else
        useSheet(across, 1, 1);
    EngineState &s = m_fx->state();
    s.OutputMode = qint16(outputMode);
    s.Format.Cutline = qint16(cutline);
    s.Format.PrintPageNo = s.Format.PrintOperator = 0;
    m_fx->job.setBorderStyle(MyPrint::enuBdSy::ssnoborder);
    m_grid->setSize(1, 4); // header only: every line drawn is a cell edge or a mark
    s.GridRows = 1;
    s.RowPageCount = 3;
    QVERIFY(render());
    // Cut-mark strokes are 567 long; grid cells draw no line of that length here.
    int strokes = 0;
    for (const Op &op : m_fx->surface.ops(u"Line"_qs)) {
        const double dx = std::abs(op.args[2].toDouble() - op.args[0].toDouble());
        const double dy = std::abs(op.args[3].toDouble() - op.args[1].toDouble());
        strokes += (dx == 567 && dy == 0) || (dy == 567 && dx == 0);
    }
    QCOMPARE(strokes, 8 * marks);
}

void TestPageDriver::previewStatusAndProgress()
{
    StatusPanels status;
    Progress progress;
    EngineState &s = m_fx->state();
    s.OutputMode = 2;
    s.PreviewUiActive = true;
    s.PreviewStatusBar = &status;
    s.PreviewProgressBar = &progress;
    s.CurSheet = 2;
    s.SheetCount = 5;
    s.ZoomRate = 0.75;
    s.Format.PaperSize = 9;
    QVERIFY(render());
    QCOMPARE(status.panels.value(1), u"第 2 页 共 5 页"_qs);
    QCOMPARE(status.panels.value(2), u"纸张:A4"_qs);
    QCOMPARE(status.panels.value(3), u"显示比例:75%"_qs);
    QCOMPARE(progress.visible, (QList<bool> { true, false }));
    QCOMPARE(progress.value(), 100.0);
    QCOMPARE(m_fx->surface.ops().first().name, u"Cls"_qs);

    s.Format.PaperSize = 42;
    QVERIFY(render());
    QCOMPARE(status.panels.value(2), u"纸张:未知纸张"_qs);

    // Stored zooms are Singles: the figure is the value chosen, not its binary expansion.
    const QList<QPair<float, QString>> zooms { { 1.1f, u"110"_qs }, { 0.333f, u"33.3"_qs },
        { 1.5f, u"150"_qs }, { 2.0f / 3, u"66.66667"_qs } };
    for (const auto &[zoom, percent] : zooms) {
        s.ZoomRate = zoom;
        QVERIFY(render());
        QCOMPARE(status.panels.value(3), u"显示比例:"_qs + percent + u'%');
    }
}

void TestPageDriver::colour_data()
{
    QTest::addColumn<bool>("colourPrinter");
    QTest::addColumn<int>("colorPrint");
    QTest::addColumn<int>("lineColor");
    QTest::addColumn<int>("mode");
    QTest::newRow("colour") << true << 1 << 255 << 2;
    QTest::newRow("colour printing off") << true << 0 << 0 << 1;
    QTest::newRow("printer without colour") << false << 1 << 0 << 0;
}

void TestPageDriver::colour()
{
    QFETCH(bool, colourPrinter);
    QFETCH(int, colorPrint);
    QFETCH(int, lineColor);
    QFETCH(int, mode);
    m_system->printer.setColorCapable(colourPrinter);
    EngineState &s = m_fx->state();
    s.Format.ColorPrint = qint16(colorPrint);
    s.Format.GridColor = 255;
    QVERIFY(render());
    QCOMPARE(s.LineColor, lineColor);
    QCOMPARE(m_system->printer.ColorMode(), mode);
    for (const Op &op : m_fx->surface.ops(u"Line"_qs))
        QCOMPARE(op.args[4].toInt(), lineColor);
}

void TestPageDriver::errorsAreShownAndSwallowed()
{
    // A grid that does not answer a member its kind needs.
    class NoSpanSpread : public SpreadGrid
    {
    public:
        std::optional<CellSpan> GetCellSpan(qint32, qint32) const override
        {
            throw Error(ErrorNumber::MemberNotSupported,
                QStringLiteral("Object doesn't support this property or method"));
        }
    } spread;
    spread.setMaxRows(5);
    spread.setMaxCols(2);
    m_fx->job.setGridType(MyPrint::MnuGridType::ssSpread);
    m_fx->job.setDatagrid(&spread);
    QVERIFY(!render());
    QCOMPARE(m_sink->messages().size(), 1);
    QVERIFY(m_sink->messages()[0].prompt.startsWith(u"[438]Object doesn't support"_qs));
    QCOMPARE(m_sink->messages()[0].buttons, 0x10000 | 48);

    // A grid whose cells cannot be read fails the sheet the same way.
    m_fx->job.setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    m_fx->job.setDatagrid(m_grid.get());
    m_fx->state().GridRows = 40; // more rows than the grid has
    m_fx->state().CurRowPage = 4;
    QVERIFY(!render());
    QVERIFY(m_sink->messages()[1].prompt.startsWith(u"[381]Invalid Row value"_qs));
}

void TestPageDriver::firstPagesOfSheets()
{
    useSheet(2, 2, 3); // 4 logical pages per sheet, 3 column bands
    const QList<QPair<int, int>> expected { { 1, 1 }, { 2, 2 }, { 3, 3 }, { 5, 1 } };
    for (int sheet = 1; sheet <= 4; ++sheet) {
        const LogicalPage p = firstPageOfSheet(m_fx->state(), sheet);
        QCOMPARE((QPair<int, int> { p.rowPage, p.colPage }), expected[sheet - 1]);
    }
}

void TestPageDriver::pagesPast32767()
{
    // One body row a page, 40,000 rows: sheet 32,768 and the last sheet print their own rows.
    m_grid->setSize(40001, 4);
    EngineState &s = m_fx->useGrid().setRowsPerPage(1).state();
    s.RowPageCount = 40000;
    s.SheetCount = 40000;
    for (const int sheet : { 32768, 40000 }) {
        m_fx->surface.clear();
        m_grid->setTextMatrix(sheet, 0, u"行%1"_qs.arg(sheet));
        const LogicalPage first = firstPageOfSheet(m_fx->state(), sheet);
        s.CurRowPage = first.rowPage;
        QVERIFY(render());
        QCOMPARE(
            pageNumbers(m_fx->surface), QStringList { u"第 %1 页 (共 40000 页)"_qs.arg(sheet) });
        QVERIFY(m_fx->surface.dump().contains(u"Print \"行%1\""_qs.arg(sheet)));
        QCOMPARE(s.CurRowPage, sheet);
        QCOMPARE(s.SheetNav[1], sheet == 40000);
    }
}

void TestPageDriver::noSecondSheetWhileOneIsDrawn()
{
    // An event let through while a sheet is drawn asks for another: it is refused.
    int nested = -1;
    QTimer::singleShot(0, [&] { nested = render(); });
    QVERIFY(render());
    QCOMPARE(nested, 0);
    QCOMPARE(m_sink->messages().size(), 1);
    QCOMPARE(m_sink->messages()[0].prompt, u"正在绘制另一页，请稍候再试。"_qs);
    QCOMPARE(pageNumbers(m_fx->surface).size(), 1);
    QVERIFY(render()); // and the next sheet draws
}

void TestPageDriver::continuousPage()
{
    EngineState &s = m_fx->state();
    s.PageOriginX = 500;
    s.PageOriginY = 600;
    s.CurRowPage = 2;
    RenderContPage(m_fx->state());
    QCOMPARE(pageNumbers(m_fx->surface), QStringList { u"第 2 页 (共 3 页)"_qs });
    // Printable-area marks, on the printer too.
    int strokes = 0;
    for (const Op &op : m_fx->surface.ops(u"Line"_qs))
        strokes += std::abs(op.args[2].toDouble() - op.args[0].toDouble()) == 567;
    QCOMPARE(strokes, 4);
}

// A whole sheet, every drawing call in order: titles, head lines, a grid with merged headings,
// foot lines and the page-info line. QUILLON_REGENERATE_GOLDEN=1 writes it anew.
void TestPageDriver::goldenSheet()
{
    setPrintDateForTesting(QDate(2026, 12, 7));
    m_grid->setTexts({ { u"地区"_qs, u"销售额"_qs, u"销售额"_qs, u"备注"_qs },
        { u"地区"_qs, u"上半年"_qs, u"下半年"_qs, u"备注"_qs },
        { u"华北"_qs, u"1,200.00"_qs, u"980.50"_qs, QString() },
        { u"华东"_qs, u"2,300.00"_qs, u"1,020.00"_qs, u"新客户"_qs } });
    m_grid->setSize(4, 4);
    m_grid->setFixedRows(2);
    m_grid->setMergeCells(1);
    m_grid->setMergeRow(0, true);
    m_grid->setMergeCol(0, true);
    m_grid->setMergeCol(3, true);
    for (int c = 0; c < 4; ++c) {
        m_grid->setColWidth(c, c == 0 ? 1000 : 1500);
        for (int r = 0; r < 2; ++r)
            m_grid->setCellAlignmentAt(r, c, 4);
    }
    m_fx->job.setMainTitle(u"销售汇总"_qs);
    m_fx->job.setSubTitle(u"2026年"_qs);
    m_fx->job.AddHead(u"单位:元"_qs, 1, 1, 0);
    m_fx->job.AddHead(u"第一季度"_qs, 0, 5, 0);
    m_fx->job.AddFoot(u"制表:"_qs, 1, 1, 0);
    m_fx->takeHostLines();
    EngineState &s = m_fx->useGrid().state();
    s.RowPageCount = 1;
    s.Format.PrintDate = 1;
    s.Format.GridColor = 32768;
    render();
    setPrintDateForTesting(QDate());

    const QString path = QStringLiteral(QUILLON_GOLDEN_DIR "/sheet_flex.txt");
    if (qEnvironmentVariableIsSet("QUILLON_REGENERATE_GOLDEN")) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(m_fx->surface.dump().toUtf8());
    }
    QFile in(path);
    QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(path));
    QCOMPARE(m_fx->surface.dump(), QString::fromUtf8(in.readAll()));
}

void TestPageDriver::secondGridSwitchedOffWhenTheFirstReachesTheMiddle_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("stillOn");
    // The middle line: usable height / 2 + 2 × top margin = 7400 + 1200 = 8600.
    QTest::newRow("short first grid") << 5 << true;
    QTest::newRow("long first grid") << 30 << false;
}

void TestPageDriver::secondGridSwitchedOffWhenTheFirstReachesTheMiddle()
{
    QFETCH(int, rows);
    QFETCH(bool, stillOn);
    m_grid->setSize(rows + 1, 4);
    EngineState &s = m_fx->useGrid().setRowsPerPage(30).state();
    s.RowPageCount = 1;
    m_fx->job.setMuitGrid(true);
    // The second grid: its own title, lines and data, drawn with the first grid's layout.
    FlexGrid second;
    second.setSize(2, 4);
    second.setFixedRows(1);
    second.setTextMatrix(1, 0, u"第二表"_qs);
    m_fx->job.setDatagridSecond(&second);
    m_fx->job.setMainTitle(u"甲表"_qs);
    m_fx->job.setMainTitle1(u"乙表"_qs);
    m_fx->job.AddHead1(u"乙表抬头"_qs, 1, 1, 0);
    m_fx->takeHostLines();
    QVERIFY(PrintMuitGrid(m_fx->state()));
    QVERIFY(m_sink->messages().isEmpty()); // a second grid shorter than the first reads fine
    QCOMPARE(m_fx->job.MuitGrid(), stillOn);
    const QStringList printed = printedStrings(m_fx->surface);
    QCOMPARE(printed.contains(u"第二表"_qs), stillOn);
    QCOMPARE(printed.contains(u"乙表抬头"_qs), stillOn);
    if (stillOn) {
        // Below the middle line, and the first grid's data, title and lines put back.
        for (const PrintedText &t : texts(m_fx->surface)) {
            if (t.text == u"第二表"_qs || t.text == u"乙表抬头"_qs)
                QVERIFY2(t.y >= 8600, qPrintable(QString::number(t.y)));
        }
        QCOMPARE(m_fx->job.Datagrid(), m_grid.get());
        QCOMPARE(m_fx->job.MainTitle(), u"甲表"_qs);
        QCOMPARE(s.HeadLines.lastRow(), 0);
    }
}

QUILLON_TEST_MAIN(TestPageDriver)
#include "tst_pagedriver.moc"
