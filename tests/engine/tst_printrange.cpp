#include "api/myprint_p.h"
#include "support/testplatform.h"
#include "testmain.h"

#include "engine/layout/continuousprint.h"
#include "engine/layout/printrange.h"
#include "engine/layout/sheetjob.h"
#include "engine/state/enginestate.h"
#include "platform/interfaces/recordingsurface.h"
#include "printer/virtualprintingsystem.h"

#include <quillon/flexgrid.h>
#include <quillon/myprint.h>

#include <QRegularExpression>

using namespace quillon;

namespace {

/// The progress window without a window: it keeps the labels and cancels after a number of
/// cancel checks.
struct LoopView : PrintLoopView
{
    void setCopies(const QString &text) override { copies << text; }
    void setPosition(const QString &text) override { positions << text; }
    void setPageCount(const QString &text) override { count = text; }
    void setPrompt(const QString &text) override { prompt = text; }
    bool cancelled() override { return ++checks > cancelAfter; }
    void setProgress(int done, int total) override { progress = u"%1/%2"_qs.arg(done).arg(total); }

    QStringList copies, positions;
    QString count, prompt, progress;
    int checks = 0;
    int cancelAfter = 1 << 30;
};

struct LoopWindow : PrintProgressWindow
{
    bool run(const PrintRequest &request, SheetJob &job, const QString &position,
        const QString &pages, bool) override
    {
        view.positions << position;
        view.count = pages;
        return RunPrintLoop(request, view, job);
    }
    LoopView view;
};

/// The logical pages a document printed, page by page: "row band" or "row band/column band"
/// read from each page's page number, several per sheet separated by blanks.
QStringList printedPages(const VirtualDocument &doc)
{
    static const QRegularExpression number(
        u"^Print \"第 (\\d+) (?:\\((\\d+)/\\d+\\) )?页"_qs, QRegularExpression::MultilineOption);
    QStringList sheets;
    for (const QString &page : doc.pages) {
        QStringList found;
        for (auto it = number.globalMatch(page); it.hasNext();) {
            const auto m = it.next();
            found << (m.captured(2).isEmpty() ? m.captured(1)
                                              : m.captured(1) + u'/' + m.captured(2));
        }
        sheets << found.join(u' ');
    }
    return sheets;
}

} // namespace

// Printing a range through the print loop and continuous printing, on a recording printer.
class TestPrintRange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void printLoop_data();
    void printLoop();
    void cancelDiscardsTheDocument();
    void rowsTallerThanThePagePrintNothing();
    void engineLeftAsFound();
    void continuousDataSets();
    void continuousEndsOnAnEmptyDataSet();

private:
    void fillGrid(int bodyRows, int cols, int colWidth);
    VirtualPrintingSystem *m_system = nullptr;
    FlexGrid m_grid;
    std::unique_ptr<MyPrint> m_print;
};

void TestPrintRange::init()
{
    auto system = TestPlatform::recordingPrinters({ u"Rec"_qs });
    m_system = system.get();
    TestPlatform::install(std::move(system));
    m_print = std::make_unique<MyPrint>();
    m_print->setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    m_print->setDatagrid(&m_grid);
    m_print->setLineCount(10);
    fillGrid(50, 2, 1500);
}

void TestPrintRange::cleanup()
{
    m_print.reset();
    TestPlatform::uninstall();
}

void TestPrintRange::fillGrid(int bodyRows, int cols, int colWidth)
{
    m_grid.setSize(bodyRows + 1, cols);
    QList<QStringList> rows;
    for (int r = 0; r <= bodyRows; ++r) {
        QStringList row;
        for (int c = 0; c < cols; ++c)
            row << (r == 0 ? u"列%1"_qs.arg(c) : u"%1-%2"_qs.arg(r).arg(c));
        rows << row;
    }
    m_grid.setTexts(rows);
    m_grid.setFixedRows(1);
    for (int c = 0; c < cols; ++c)
        m_grid.setColWidth(c, colWidth);
}

void TestPrintRange::printLoop_data()
{
    QTest::addColumn<int>("colWidth"); // 9000: two column bands
    QTest::addColumn<int>("pageHeight"); // mm; 100 puts two logical pages on a sheet
    QTest::addColumn<PrintRequest>("request");
    QTest::addColumn<QStringList>("pages");

    const auto all = QStringLiteral("所有页");
    QTest::newRow("all pages") << 1500 << 0 << PrintRequest { 1, 5, 1, 1, 1, all, 1 }
                               << QStringList { u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs, u"5"_qs };
    QTest::newRow("2 to 5, even pages")
        << 1500 << 0 << PrintRequest { 2, 5, 1, 1, 1, u"偶数页"_qs, 3 }
        << QStringList { u"2"_qs, u"4"_qs };
    QTest::newRow("typed range across two column bands, two copies")
        << 9000 << 0 << PrintRequest { 1, 3, 1, 1, 2, all, 3 }
        << QStringList { u"1/1"_qs, u"1/2"_qs, u"2/1"_qs, u"2/2"_qs, u"3/1"_qs, u"1/1"_qs,
               u"1/2"_qs, u"2/1"_qs, u"2/2"_qs, u"3/1"_qs };
    QTest::newRow("two logical pages a sheet, odd pages")
        << 1500 << 100 << PrintRequest { 1, 4, 1, 1, 1, u"奇数页"_qs, 3 }
        << QStringList { u"1 2"_qs, u"3 4"_qs };
    QTest::newRow("current page, three copies, parity ignored")
        << 1500 << 0 << PrintRequest { 4, 4, 1, 1, 3, u"奇数页"_qs, 2 }
        << QStringList { u"4"_qs, u"4"_qs, u"4"_qs };
    QTest::newRow("unknown parity prints nothing")
        << 1500 << 0 << PrintRequest { 1, 5, 1, 1, 1, u"?"_qs, 1 } << QStringList {};
    // A list names sheets: in its order; a copy of each sheet after the other unless collated.
    QTest::newRow("list, two copies, not collated, long edge")
        << 1500 << 0
        << PrintRequest { 1, 1, 1, 1, 2, all, 4, { 3, 1, 9 }, false,
               PrinterSurface::Duplex::LongEdge }
        << QStringList { u"3"_qs, u"3"_qs, u"1"_qs, u"1"_qs };
    QTest::newRow("list across two column bands")
        << 9000 << 0 << PrintRequest { 1, 1, 1, 1, 1, all, 4, { 4, 1 } }
        << QStringList { u"2/2"_qs, u"1/1"_qs };
    QTest::newRow("list, two logical pages a sheet")
        << 1500 << 100 << PrintRequest { 1, 1, 1, 1, 1, all, 4, { 2 } }
        << QStringList { u"3 4"_qs };
}

void TestPrintRange::printLoop()
{
    QFETCH(int, colWidth);
    QFETCH(int, pageHeight);
    QFETCH(PrintRequest, request);
    QFETCH(QStringList, pages);
    fillGrid(50, 2, colWidth);
    if (pageHeight)
        m_print->setPageHeight(qint16(pageHeight));
    SheetJob job(MyPrintPrivate::get(*m_print));
    QVERIFY2(job.prepare(1), qPrintable(job.error()));
    PageFormat &f = engineState().Format;
    f.HoriCutPage = 1; // wide grids in column bands
    if (pageHeight) {
        f.FullPage = 0;
        f.AutoArrange = 1;
    }
    LoopWindow window;
    QCOMPARE(PrintRange(request, job, window), true);
    QCOMPARE(window.view.prompt, u"完成"_qs);
    if (pages.isEmpty()) {
        QVERIFY(m_system->documents().isEmpty());
        return;
    }
    QCOMPARE(m_system->documents().size(), 1);
    const VirtualDocument &doc = m_system->documents().first();
    QCOMPARE(printedPages(doc), pages);
    QCOMPARE(window.view.copies.last(), u"%1/%1"_qs.arg(request.copies));
    QCOMPARE(window.view.progress, u"%1/%1"_qs.arg(pages.size()));
    // The loop drew the copies; the printer is told the sides.
    QCOMPARE(doc.options.copies, 1);
    QCOMPARE(doc.options.duplex, request.duplex);
    // The window shows the sheet being printed, never one past the range.
    for (const QString &position : std::as_const(window.view.positions))
        QVERIFY2(request.kind == 4 || position.section(u'(', 0, 0).toInt() <= request.lastRowPage,
            qPrintable(position));
}

void TestPrintRange::cancelDiscardsTheDocument()
{
    SheetJob job(MyPrintPrivate::get(*m_print));
    QVERIFY(job.prepare(1));
    LoopWindow window;
    window.view.cancelAfter = 1; // the check after the first sheet sees the cancel
    QCOMPARE(PrintRange({ 1, 3, 1, 1, 1, u"所有页"_qs, 1 }, job, window), false);
    QCOMPARE(window.view.prompt, u"取消"_qs);
    QVERIFY(m_system->documents().isEmpty());
    QCOMPARE(window.view.checks, 2);
}

void TestPrintRange::rowsTallerThanThePagePrintNothing()
{
    m_print->setLineHeight(400); // mm: no row fits on the paper
    SheetJob job(MyPrintPrivate::get(*m_print));
    QVERIFY(job.prepare(1));
    LoopWindow window;
    QCOMPARE(PrintRange({ 1, 3, 1, 1, 1, u"所有页"_qs, 1 }, job, window), false);
    QCOMPARE(window.view.checks, 0); // no progress window
    int dataSets = 0;
    PrintContinuous(job, [&] {
        ++dataSets;
        m_print->setPrintEnd(true);
    });
    QCOMPARE(dataSets, 0);
    QVERIFY(m_system->documents().isEmpty());
}

void TestPrintRange::engineLeftAsFound()
{
    // A print from a preview at 75 % puts back the preview's surface, zoom and page.
    SheetJob job(MyPrintPrivate::get(*m_print));
    QVERIFY(job.prepare(1));
    RecordingSurface preview;
    EngineState &s = engineState();
    s.DrawTarget = &preview;
    s.OutputMode = 2;
    s.ZoomRate = 0.75;
    s.CurRowPage = 3;
    s.CurSheet = 3;
    LoopWindow window;
    QVERIFY(PrintRange({ 1, 2, 1, 1, 1, u"所有页"_qs, 1 }, job, window));
    QCOMPARE(s.DrawTarget, &preview);
    QCOMPARE(s.OutputMode, qint16(2));
    QCOMPARE(s.ZoomRate, 0.75);
    QCOMPARE(s.CurRowPage, 3);
    QCOMPARE(s.CurSheet, 3);
    QCOMPARE(s.RowPageCount, 5); // laid out again for the preview
}

void TestPrintRange::continuousDataSets()
{
    // 25 rows at 10 a page: three logical pages, one document each, then PrintOver once.
    fillGrid(25, 2, 1500);
    m_print->AddHead(u"抬头"_qs, 1, 1, 0);
    int over = 0;
    QStringList headsAtTheSignal;
    SheetJob job(MyPrintPrivate::get(*m_print));
    QVERIFY(job.prepare(1, nullptr, SheetJob::Checks::PrinterOnly));
    PrintContinuous(job, [&] {
        ++over;
        headsAtTheSignal << QString::number(engineState().HeadLines.lastRow());
        m_print->setPrintEnd(true);
    });
    QCOMPARE(over, 1);
    QCOMPARE(headsAtTheSignal, QStringList { u"0"_qs }); // emptied before the signal
    QCOMPARE(engineState().FootLines.lastRow(), 0);
    QCOMPARE(m_system->documents().size(), 3);
    QStringList pages;
    for (const VirtualDocument &doc : m_system->documents())
        pages += printedPages(doc);
    QCOMPARE(pages, (QStringList { u"1"_qs, u"2"_qs, u"3"_qs }));
    QVERIFY(m_system->documents().first().pages.first().contains(u"抬头"_qs));
    QVERIFY(!engineState().hasPrintObject()
        || engineState().printObject() != &MyPrintPrivate::get(*m_print));
}

void TestPrintRange::continuousEndsOnAnEmptyDataSet()
{
    // The second data set refills the grid with 12 rows; the third has none, which ends the
    // job instead of printing empty pages for ever.
    fillGrid(5, 2, 1500);
    int over = 0;
    SheetJob job(MyPrintPrivate::get(*m_print));
    QVERIFY(job.prepare(1, nullptr, SheetJob::Checks::PrinterOnly));
    PrintContinuous(job, [&] { fillGrid(++over == 1 ? 12 : 0, 2, 1500); });
    QCOMPARE(over, 2);
    QStringList pages;
    for (const VirtualDocument &doc : m_system->documents())
        pages += printedPages(doc);
    QCOMPARE(pages, (QStringList { u"1"_qs, u"1"_qs, u"2"_qs }));
}

QUILLON_TEST_MAIN(TestPrintRange)
#include "tst_printrange.moc"
