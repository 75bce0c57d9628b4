#include "api/myprint_p.h"
#include "support/privatecupsmain.h"

#include "engine/layout/computelayout.h"
#include "engine/layout/loadsettings.h"
#include "engine/state/enginestate.h"
#include "engine/state/formatio.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "engine/state/registry.h"
#include "platform/interfaces/memorysettingsstore.h"
#include "platform/interfaces/surface.h"
#include "printer/qtprintingsystem.h"
#include "printer/virtualprintingsystem.h"

#include <quillon/flexgrid.h>
#include <quillon/myprint.h>
#include <quillon/reportexport.h>

#include <QApplication>
#include <QtTest>

#include <cstdio>

using namespace quillon;

namespace {
PrivateCups *g_cups = nullptr;

QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start(u"pdftotext"_qs, { u"-layout"_qs, pdf, u"-"_qs });
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

// Runs against a CUPS scheduler of its own (see support/privatecups.h).
class TestCupsPrinting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsTheQueueWithDriverAndPort();
    void selectsByExactName();
    void paperAndOrientation();
    void colourMode();
    void printsARealDocument();
    void layoutOnTheRealQueue();
    void exportsShareTheQueueDriver();
    void combinedWithTheVirtualPrinter();
    void virtualPrinterIsDefaultWithoutQueues();
};

void TestCupsPrinting::listsTheQueueWithDriverAndPort()
{
    QtPrintingSystem system;
    const QList<PrinterInfo> printers = system.printers();
    QCOMPARE(printers.size(), 1);
    QCOMPARE(printers[0].deviceName, QString::fromLatin1(PrivateCups::kQueue));
    QVERIFY2(printers[0].driverName.contains(u"PDF"_qs), qPrintable(printers[0].driverName));
    QCOMPARE(printers[0].port, u"file://"_qs + g_cups->outputFile());
    QCOMPARE(system.defaultPrinterName(), QString::fromLatin1(PrivateCups::kQueue));
    const QList<PaperInfo> papers = system.papers(QString::fromLatin1(PrivateCups::kQueue));
    QVERIFY(std::any_of(
        papers.cbegin(), papers.cend(), [](const PaperInfo &p) { return p.code == 9; }));
}

void TestCupsPrinting::selectsByExactName()
{
    QtPrintingSystem system;
    QVERIFY(!system.selectPrinter(u"testfilepdf"_qs));
    QVERIFY(!system.selectPrinter(u"TestFilePdf "_qs));
    QVERIFY(system.selectPrinter(u"TestFilePdf"_qs));
    QCOMPARE(system.currentPrinter()->DeviceName(), u"TestFilePdf"_qs);
}

void TestCupsPrinting::paperAndOrientation()
{
    QtPrintingSystem system;
    PrinterSurface *printer = system.currentPrinter();
    QVERIFY(printer);
    QVERIFY(printer->setPaperSize(9));
    QCOMPARE(printer->PaperSize(), 9);
    // A4, to the point: 595 × 842 points.
    QCOMPARE(qRound(printer->Width()), 11900);
    QCOMPARE(qRound(printer->Height()), 16840);
    QVERIFY(printer->ScaleWidth() <= printer->Width());
    QVERIFY(printer->ScaleWidth() > printer->Width() - 1440);
    QVERIFY(!printer->setPaperSize(14)); // no standard size
    QCOMPARE(printer->PaperSize(), 9);
    printer->setOrientation(2);
    QCOMPARE(printer->Orientation(), 2);
    QVERIFY(printer->Width() > printer->Height());
}

void TestCupsPrinting::colourMode()
{
    QtPrintingSystem system;
    PrinterSurface *printer = system.currentPrinter();
    printer->setColorMode(2);
    QCOMPARE(printer->ColorMode(), 2);
    QVERIFY(printer->BitsPerPixel() * printer->ColorPlanes() > 1);
    printer->setColorMode(1);
    QCOMPARE(printer->ColorMode(), 1);
}

void TestCupsPrinting::printsARealDocument()
{
    QFile::remove(g_cups->outputFile());
    {
        QtPrintingSystem system;
        PrinterSurface *printer = system.currentPrinter();
        printer->setDocumentName(u"销售日报"_qs);
        QVERIFY(printer->setPaperSize(9));
        printer->setFontName(u"宋体"_qs);
        printer->setFontSize(14);
        const double width = printer->TextWidth(u"经由CUPS打印"_qs);
        QVERIFY(width > 0);
        printer->setCurrentX(1440);
        printer->setCurrentY(1440);
        printer->Print(u"经由CUPS打印"_qs);
        printer->Line(1440, 2000, 1440 + width, 2000, 0);
        printer->NewPage();
        printer->setCurrentX(1440);
        printer->setCurrentY(1440);
        printer->Print(u"第二页"_qs);
        printer->EndDoc();
    }
    QVERIFY(g_cups->waitForJobs());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(g_cups->outputFile()).size() > 0, 30000);
    const QString text = pdfText(g_cups->outputFile());
    QVERIFY2(text.contains(u"经由CUPS打印"_qs), qPrintable(text));
    QVERIFY(text.contains(u"第二页"_qs));
    QVERIFY(text.contains(QChar(u'\f'))); // two pages
}

void TestCupsPrinting::layoutOnTheRealQueue()
{
    // A sales list of 100 rows under one header row, six columns, on the queue's A4 paper.
    resetEngineState();
    resetPlatformServices();
    auto store = std::make_unique<MemorySettingsStore>();
    const QString key = u"HKEY_LOCAL_MACHINE\\"_qs + kFormatKeyBase + u"销售清单"_qs;
    QVERIFY(store->createKey(key));
    for (const auto &[name, value] : { std::pair { "HoriCutPage", "1" }, { "PrintDate", "0" },
             { "PrintPageNo", "0" }, { "PrintOperator", "0" } })
        QVERIFY(store->setValue(key, QLatin1String(name), QLatin1String(value)));
    setSettingsStore(std::move(store));
    auto sink = std::make_unique<RecordingMessageSink>();
    RecordingMessageSink *messages = sink.get();
    setMessageSink(std::move(sink));
    setPrintingSystem(std::make_unique<QtPrintingSystem>());

    FlexGrid grid;
    grid.setSize(101, 6);
    grid.setFixedRows(1);
    grid.setRowHeight(0, 400);
    for (int r = 1; r < 101; ++r)
        grid.setRowHeight(r, 300);
    const int widths[] = { 1500, 2500, 1200, 1800, 1600, 4200 };
    for (int c = 0; c < 6; ++c)
        grid.setColWidth(c, widths[c]);
    MyPrint job;
    job.setPrintKeyName(u"销售清单"_qs);
    job.setDatagrid(&grid);
    job.setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    job.setPaperSize(9);
    EngineState &s = engineState();
    s.setPrintObject(&MyPrintPrivate::get(job));
    s.OutputMode = 1;
    s.DrawTarget = printingSystem().currentPrinter();
    LoadFormat(engineState());
    LoadSettings(engineState());
    QVERIFY(messages->messages().isEmpty());

    // By hand. The queue's A4 prints on 11180 × 15400 twips. Margins 10/5/5/5 mm are 567, 284,
    // 284, 284 (283.5 rounds to even): 10612 × 14549 for the page. The header row takes 400,
    // leaving 14149 for body rows of 300: 47 rows per page, and 100 rows need 3 row bands.
    // Across, columns add up to 1500, 4000, 5200, 7000, 8600; the last (4200) would reach
    // 8600 + 2100 = 10700 > 10612 at its middle, so it starts a second band. 3 × 2 sheets.
    const QString expected = u"PaperWidthTw=11180\nPaperHeightTw=15400\nOffsetX=0\nOffsetY=0\n"
                             "TopMarginTw=567\nBottomMarginTw=284\nLeftMarginTw=284\n"
                             "RightMarginTw=284\nUsableWidthTw=10612\nUsableHeightTw=14549\n"
                             "PageWidthTw=10612\nPageHeightTw=14549\nPagesAcross=1\nPagesDown=1\n"
                             "LogoHeightTw=0\nLineHeightTw=300\nLinesPerPage=47\nRowPageCount=3\n"
                             "FirstBodyCol=0\nLastBodyCol=5\nFixedColsWidthTw=0\nColPageCount=2\n"
                             "SheetCount=6\n"_qs;
    QCOMPARE(LayoutDump(engineState()), expected);
    s.DrawTarget = nullptr;
    resetEngineState();
    resetPlatformServices();
}

void TestCupsPrinting::exportsShareTheQueueDriver()
{
    // Every export opens the queue as a printer of its own. A batch of reports must not make
    // the scheduler send the queue's driver file three times a report.
    resetPlatformServices();
    setSettingsStore(std::make_unique<MemorySettingsStore>());
    setMessageSink(std::make_unique<RecordingMessageSink>());
    setPrintingSystem(std::make_unique<QtPrintingSystem>());
    FlexGrid grid;
    grid.setSize(3, 2);
    grid.setFixedRows(1);
    MyPrint job;
    job.setDatagrid(&grid);
    job.setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    const QTemporaryDir dir;
    constexpr int kReports = 6;
    const qsizetype before = g_cups->loggedRequests(u".ppd HTTP"_qs);
    for (int i = 0; i < kReports; ++i) {
        ReportExport out(job);
        QVERIFY2(out.toPdf(dir.filePath(u"%1.pdf"_qs.arg(i))), qPrintable(out.errorString()));
    }
    const qsizetype fetched = g_cups->loggedRequests(u".ppd HTTP"_qs) - before;
    QVERIFY2(fetched > 0 && fetched <= kReports + 3, qPrintable(QString::number(fetched)));
    resetEngineState();
    resetPlatformServices();
}

void TestCupsPrinting::combinedWithTheVirtualPrinter()
{
    QTemporaryDir dir;
    std::vector<std::unique_ptr<PrintingSystem>> systems;
    systems.push_back(std::make_unique<QtPrintingSystem>());
    systems.push_back(VirtualPrintingSystem::withPdfPrinter(dir.path()));
    CombinedPrintingSystem combined(std::move(systems));
    const QList<PrinterInfo> printers = combined.printers();
    QCOMPARE(printers.size(), 2);
    QCOMPARE(printers[1].deviceName, VirtualPrintingSystem::pdfPrinterName());
    QCOMPARE(combined.defaultPrinterName(), u"TestFilePdf"_qs);
    QCOMPARE(combined.currentPrinter()->DeviceName(), u"TestFilePdf"_qs);
    QVERIFY(combined.selectPrinter(VirtualPrintingSystem::pdfPrinterName()));
    QCOMPARE(combined.currentPrinter()->DeviceName(), VirtualPrintingSystem::pdfPrinterName());
    QVERIFY(combined.selectPrinter(u"TestFilePdf"_qs));
    QCOMPARE(combined.currentPrinter()->DeviceName(), u"TestFilePdf"_qs);
    QVERIFY(!combined.selectPrinter(u"Nowhere"_qs));
}

// Runs last: it removes the queue.
void TestCupsPrinting::virtualPrinterIsDefaultWithoutQueues()
{
    QVERIFY(g_cups->run(u"lpadmin"_qs, { u"-x"_qs, u"TestFilePdf"_qs }));
    QTemporaryDir dir;
    std::vector<std::unique_ptr<PrintingSystem>> systems;
    systems.push_back(std::make_unique<QtPrintingSystem>());
    systems.push_back(VirtualPrintingSystem::withPdfPrinter(dir.path()));
    CombinedPrintingSystem combined(std::move(systems));
    QCOMPARE(combined.system(0).printers().size(), 0);
    QCOMPARE(combined.defaultPrinterName(), VirtualPrintingSystem::pdfPrinterName());
    QVERIFY(combined.hasPrinter());

    // Without the virtual printer there is no printer at all.
    QtPrintingSystem alone;
    QVERIFY(!alone.hasPrinter());
    QCOMPARE(alone.currentPrinter(), nullptr);
}

int main(int argc, char **argv)
{
    return runWithPrivateCups<TestCupsPrinting>(argc, argv, &g_cups);
}

#include "tst_cupsprinting.moc"
