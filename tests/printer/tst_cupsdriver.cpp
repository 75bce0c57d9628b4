#include "api/myprint_p.h"
#include "support/privatecupsmain.h"
#include "support/propertysheet.h"
#include "support/testplatform.h"

#include "engine/device/clsprinter.h"
#include "engine/layout/sheetjob.h"
#include "engine/state/printproperties.h"
#include "platform/interfaces/surface.h"
#include "printer/cupsprinterdriver.h"
#include "printer/qtprintingsystem.h"
#include "ui/dialogs/pagesetupdialog.h"
#include "ui/dialogs/printerpropertiesdialog.h"

#include <quillon/flexgrid.h>
#include <quillon/myprint.h>
#include <quillon/platform.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include <cups/cups.h>

#include <cstdio>

using namespace quillon;

namespace {
PrivateCups *g_cups = nullptr;
QString g_home; // the test's HOME
QString g_clientRoot; // the test's CUPS_SERVERROOT: where root's saved options go
const QString kQueue = QString::fromLatin1(PrivateCups::kQueue);

/// The user's saved options, wherever libcups keeps them for this user.
QString savedOptions()
{
    for (const QString &path :
        { g_home + u"/.cups/lpoptions"_qs, g_clientRoot + u"/lpoptions"_qs }) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            return QString::fromUtf8(f.readAll());
    }
    return QString();
}

/// Merges options into the queue's current settings and works on the result.
bool restoreWith(clsPrinter &printer, const QMap<QString, QString> &options)
{
    DeviceSettings saved = printer.settings();
    saved.options.insert(options);
    return printer.RestoreDEVMODE(kQueue, saved);
}

/// Closes the next modal dialog, accepting or cancelling it.
void answerNextDialog(bool accept)
{
    QTimer::singleShot(0, [accept] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            auto *dialog = qobject_cast<QDialog *>(w);
            accept ? dialog->accept() : dialog->reject();
        } else {
            answerNextDialog(accept);
        }
    });
}
} // namespace

// The printer settings class on the private CUPS scheduler's queue (support/privatecups.h),
// with the user's saved options in a temporary HOME.
class TestCupsDriver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void notInstalledPrinter();
    void readsTheQueue();
    void defaultsAndBack();
    void driverChangedSinceRead();
    void propertySheet();
    void paperNamesWhole();
    void printDialog();
    void savedDefaultsReachTheJob();
    void pageSetupPaperVariants();
    void propertiesReachThePrintedReport();

private:
    QStringList messages() const;
    TestPlatform m_platform;
    std::unique_ptr<PrintProperties> m_print;
};

void TestCupsDriver::init()
{
    m_platform = TestPlatform::install();
    setPrinterDriver(std::make_unique<CupsPrinterDriver>());
    setPropertySheetWindow(showPrinterPropertiesDialog);
    m_print = std::make_unique<PrintProperties>();
    engineState().setPrintObject(m_print.get());
}

void TestCupsDriver::cleanup()
{
    TestPlatform::uninstall();
    m_print.reset();
}

QStringList TestCupsDriver::messages() const
{
    QStringList list;
    for (const auto &m : m_platform.sink->messages())
        list << m.prompt;
    return list;
}

void TestCupsDriver::notInstalledPrinter()
{
    clsPrinter printer;
    printer.setDeviceName(u"NoSuchQueue"_qs);
    QCOMPARE(messages(), QStringList { u"OpenPrinter Fialed!"_qs });
    QVERIFY(!printer.ShowPropertiesDlg());
    QVERIFY(!printer.SetDevModeAsDefault());
    QCOMPARE(messages().size(), 1);
    // Device names are exact: CUPS itself would answer this one.
    QVERIFY(!printer.GetDEVMODE(kQueue.toLower()));
    QCOMPARE(messages().size(), 2);
}

void TestCupsDriver::readsTheQueue()
{
    // The generic PDF driver's defaults: Letter, 600 dpi, colour, one-sided.
    clsPrinter p;
    p.setDeviceName(kQueue);
    QVERIFY2(messages().isEmpty(), qPrintable(messages().join(u'\n')));
    QCOMPARE(p.Port(), u"file://"_qs + g_cups->outputFile());
    QVERIFY(p.Default());
    QCOMPARE(p.settings().deviceName, kQueue);
    QCOMPARE(p.settings().options.value(u"PageSize"_qs), u"Letter"_qs);
    const QList<int> got = { p.PaperSize(), p.PaperWidth(), p.PaperLength(), p.dmScale(),
        p.Copies(), p.PrintQuality(), p.YResolution(), p.ColorMode(), p.Duplex(), p.Collate() };
    QCOMPARE(got, QList<int>({ 1, 2159, 2794, 100, 1, 600, 600, 2, 1, 0 }));
    QCOMPARE(p.PaperName(), u"Letter"_qs);

    // The default printer's, for an empty name.
    clsPrinter byDefault;
    byDefault.setDeviceName(QString());
    QVERIFY(byDefault.settingsValid());
    QCOMPARE(byDefault.settings().deviceName, kQueue);
    QCOMPARE(byDefault.PaperIndexArr(), p.PaperIndexArr());
}

void TestCupsDriver::defaultsAndBack()
{
    clsPrinter printer;
    printer.setDeviceName(kQueue);
    // NoSuchOption is another driver's: dropped.
    QVERIFY(restoreWith(printer,
        { { u"print-quality"_qs, u"5"_qs }, { u"PageSize"_qs, u"A4"_qs },
            { u"Duplex"_qs, u"DuplexNoTumble"_qs }, { u"NoSuchOption"_qs, u"x"_qs } }));
    QCOMPARE(printer.PrintQuality(), -4);
    QVERIFY(!printer.settings().options.contains(u"NoSuchOption"_qs));
    QVERIFY(printer.SetDevModeAsDefault());

    const QString options = savedOptions();
    QVERIFY2(options.contains(u"print-quality=5"_qs) && options.contains(u"PageSize=A4"_qs)
            && options.contains(u"Duplex=DuplexNoTumble"_qs),
        qPrintable(options));
    // The driver's own defaults are not copied into the user's file.
    QVERIFY2(!options.contains(u"ColorModel"_qs) && !options.contains(u"print-color-mode"_qs),
        qPrintable(options));
    QString listed;
    QVERIFY(g_cups->run(u"lpoptions"_qs, { u"-p"_qs, kQueue }, &listed));
    QVERIFY2(listed.contains(u"print-quality=5"_qs), qPrintable(listed));

    // A fresh reader sees the new defaults, the quality code negative.
    clsPrinter after;
    after.setDeviceName(kQueue);
    QCOMPARE(QList<int>({ after.PrintQuality(), after.PaperSize(), after.Duplex() }),
        QList<int>({ -4, 9, 2 }));

    QVERIFY(printer.SetDevModeBack());
    clsPrinter back;
    back.setDeviceName(kQueue);
    QCOMPARE(QList<int>({ back.PrintQuality(), back.PaperSize(), back.Duplex() }),
        QList<int>({ 600, 1, 1 }));
    QVERIFY2(!savedOptions().contains(u"print-quality"_qs), qPrintable(savedOptions()));
    // No option of the user's is left (libcups may still name the default printer).
    QVERIFY2(!savedOptions().contains(u'='), qPrintable(savedOptions()));
    QVERIFY(messages().isEmpty());
}

void TestCupsDriver::driverChangedSinceRead()
{
    clsPrinter printer;
    printer.setDeviceName(kQueue);
    const QString before = savedOptions();
    const int length = printer.settings().length();
    QVERIFY(g_cups->run(u"lpadmin"_qs,
        { u"-p"_qs, kQueue, u"-P"_qs, u"/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"_qs }));
    clsPrinter other;
    other.setDeviceName(kQueue);
    const int changed = other.settings().length();
    QVERIFY(g_cups->run(u"lpadmin"_qs, { u"-p"_qs, kQueue, u"-P"_qs, PrivateCups::ppd() }));
    QVERIFY(changed != length);
    QVERIFY(g_cups->run(u"lpadmin"_qs,
        { u"-p"_qs, kQueue, u"-P"_qs, u"/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"_qs }));

    QVERIFY(!printer.SetDevModeAsDefault());
    QVERIFY(!printer.ShowPropertiesDlg());
    QCOMPARE(savedOptions(), before);
    QVERIFY(messages().isEmpty());
    QVERIFY(g_cups->run(u"lpadmin"_qs, { u"-p"_qs, kQueue, u"-P"_qs, PrivateCups::ppd() }));
    QVERIFY(printer.SetDevModeAsDefault()); // the same driver again
}

void TestCupsDriver::propertySheet()
{
    clsPrinter printer;
    printer.setDeviceName(kQueue);
    const DeviceSettings before = printer.settings();
    answerNextPropertySheet({ { u"PageSize"_qs, u"A5"_qs } }, false);
    QVERIFY(!printer.ShowPropertiesDlg());
    QCOMPARE(printer.settings().options, before.options);

    // The driver's options, the common ones in Chinese, the others in the driver's words.
    QStringList shown;
    answerNextPropertySheet(
        { { u"PageSize"_qs, u"A5.Fullbleed"_qs }, { u"orientation-requested"_qs, u"4"_qs },
            { u"Duplex"_qs, u"DuplexNoTumble"_qs }, { u"ColorModel"_qs, u"grayscale"_qs },
            { u"print-quality"_qs, u"5"_qs } },
        true, &shown);
    QVERIFY(printer.ShowPropertiesDlg());
    for (const QString &row :
        { u"纸张：信纸"_qs, u"方向：纵向"_qs, u"双面打印：关闭（单面打印）"_qs, u"颜色：彩色"_qs,
            u"分辨率：600 dpi"_qs, u"打印质量：普通"_qs, u"Resolution Enhancement：未设置"_qs })
        QVERIFY2(shown.contains(row), qPrintable(shown.join(u'|')));
    QVERIFY(!shown.join(u'|').contains(u"PageRegion"_qs));
    const QList<int> got = { printer.PaperSize(), printer.settings().orientation, printer.Duplex(),
        printer.ColorMode(), printer.PrintQuality() };
    QCOMPARE(got, QList<int>({ 11, 2, 2, 1, -4 }));
    QCOMPARE(printer.settings().formName, u"A5 (Borderless)"_qs);
    QCOMPARE(printer.settings().options.value(u"PageRegion"_qs), u"A5.Fullbleed"_qs);
    QVERIFY(messages().isEmpty());
}

void TestCupsDriver::paperNamesWhole()
{
    // A driver whose paper names are 64 characters long: one plain, one in Chinese (partly in
    // hexadecimal), longer than libcups keeps of a name.
    const QString plain = u"Continuous form 241 x 280 mm two part carbonless perforated 0064"_qs;
    const QString chinese = QString(u"连续打印二联发票"_qs).repeated(8);
    QCOMPARE(plain.size(), 64);
    QCOMPARE(chinese.size(), 64);
    QFile generic(PrivateCups::ppd());
    QVERIFY(generic.open(QIODevice::ReadOnly));
    QByteArray ppd = generic.readAll();
    QByteArray entries;
    const std::pair<QByteArray, QByteArray> sizes[] = { { "Wide64", plain.toLatin1() },
        { "Cn64", '<' + chinese.left(4).toUtf8().toHex() + '>' + chinese.mid(4).toUtf8() } };
    for (const auto &[keyword, name] : sizes) {
        entries += "*PageSize " + keyword + '/' + name + ": \"@PJL SET PAPER=A4<0A>\"\n";
        entries += "*PaperDimension " + keyword + '/' + name + ": \"600 400\"\n";
        entries += "*ImageableArea " + keyword + '/' + name + ": \"0 0 600 400\"\n";
    }
    const qsizetype at = ppd.indexOf("*PageSize Letter/");
    QVERIFY(at > 0);
    ppd.insert(at, entries);
    const QString path = g_cups->dir() + u"/wide64.ppd"_qs;
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(ppd);
    out.close();
    QString added;
    QVERIFY2(g_cups->run(u"lpadmin"_qs,
                 { u"-p"_qs, u"Wide64"_qs, u"-E"_qs, u"-v"_qs,
                     u"file://"_qs + g_cups->dir() + u"/out/wide.pdf"_qs, u"-P"_qs, path },
                 &added),
        qPrintable(added));

    clsPrinter printer;
    printer.setDeviceName(u"Wide64"_qs);
    const QStringList names = printer.PaperNamesArr();
    const QList<qint16> codes = printer.PaperIndexArr();
    QCOMPARE(names.size(), codes.size());
    for (const QString &name : { plain, chinese }) {
        const qsizetype index = names.indexOf(name);
        QVERIFY2(index >= 0, qPrintable(names.join(u'|')));
        QCOMPARE(codes[index], 256); // no standard size
        QCOMPARE(printer.PaperNameA(int(index) + 1), name);
    }
    QCOMPARE(names[codes.indexOf(9)], u"A4"_qs);
    QVERIFY(g_cups->run(u"lpadmin"_qs, { u"-x"_qs, u"Wide64"_qs }));
}

void TestCupsDriver::printDialog()
{
    clsPrinter printer;
    printer.setDeviceName(kQueue);
    int from = 2, to = 3;
    answerNextDialog(false);
    QVERIFY(!printer.ShowPrintDlg(PD_PAGENUMS, from, to, 2, nullptr));
    QVERIFY(!printer.settingsValid());
    // Confirmed with the range it was given: the range comes back, with the queue's settings
    // at the copies asked for.
    answerNextDialog(true);
    QVERIFY(printer.ShowPrintDlg(PD_PAGENUMS | 0xF000, from, to, 2, nullptr));
    QCOMPARE(std::pair(from, to), std::pair(2, 3));
    QVERIFY(printer.settingsValid());
    QCOMPARE(printer.settings().deviceName, kQueue);
    QCOMPARE(printer.Copies(), 2);
    QVERIFY(printer.Port().startsWith(u"file://"_qs));
    QCOMPARE(printer.PaperSize(), 1); // the queue's Letter
    QVERIFY(messages().isEmpty());
}

void TestCupsDriver::savedDefaultsReachTheJob()
{
    clsPrinter printer;
    printer.setDeviceName(kQueue);
    QVERIFY(restoreWith(printer,
        { { u"sides"_qs, u"two-sided-long-edge"_qs }, { u"print-quality"_qs, u"5"_qs },
            { u"copies"_qs, u"3"_qs } }));
    QVERIFY(printer.SetDevModeAsDefault());
    const auto back = qScopeGuard([&] { QVERIFY(printer.SetDevModeBack()); });
    {
        QtPrintingSystem system;
        QVERIFY(system.selectPrinter(kQueue));
        PrinterSurface *surface = system.currentPrinter();
        surface->setDocumentName(u"双面"_qs);
        surface->setCurrentX(1440);
        surface->setCurrentY(1440);
        surface->Print(u"双面"_qs);
        surface->EndDoc();
        QVERIFY(!surface->failed());
    }
    QVERIFY(g_cups->waitForJobs());
    // The user's duplex and quality travel with the document; copies do not, since the
    // document already holds every copy the library printed.
    QCOMPARE(PrivateCups::newestJobAttribute("sides"), u"two-sided-long-edge"_qs);
    QCOMPARE(PrivateCups::newestJobAttribute("print-quality"), u"high"_qs);
    QVERIFY(PrivateCups::newestJobAttribute("copies").isEmpty()
        || PrivateCups::newestJobAttribute("copies") == u"1"_qs);
}

void TestCupsDriver::pageSetupPaperVariants()
{
    // The queue's driver lists every paper twice: "A4" and "A4 (Borderless)".
    setPrintingSystem(std::make_unique<QtPrintingSystem>());
    FlexGrid grid;
    grid.setSize(6, 2);
    grid.setFixedRows(1);
    MyPrint print;
    print.setPrintKeyName(u"纸张"_qs);
    print.setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    print.setDatagrid(&grid);
    print.setPaperSize(9);
    SheetJob job(MyPrintPrivate::get(print));
    QVERIFY(job.prepare(1, nullptr, SheetJob::Checks::GridKindFirst, false));
    const auto chosenThenShown = [&job](const QString &pick) {
        QString again;
        for (int round = 0; round < 2; ++round) {
            PageSetupDialog dialog(job.state());
            dialog.applyTo(job);
            auto *papers = dialog.findChild<QComboBox *>(u"cboPaperSize"_qs);
            again = papers->currentText();
            if (round == 0) {
                papers->setCurrentIndex(papers->findText(pick));
                dialog.findChild<QPushButton *>(u"command1(0)"_qs)->click();
            }
        }
        return again;
    };
    PageSetupDialog first(job.state());
    QCOMPARE(first.findChild<QComboBox *>(u"cboPaperSize"_qs)->currentText(), u"A4"_qs);
    QCOMPARE(chosenThenShown(u"A4 (无边距)"_qs), u"A4 (无边距)"_qs);
    // What is shown is what prints.
    PrinterSurface *queue = printingSystem().currentPrinter();
    queue->setPaperSize(9); // as every layout does
    queue->setCurrentX(1440);
    queue->Print(u"无边距"_qs);
    queue->EndDoc();
    QVERIFY(g_cups->waitForJobs());
    QCOMPARE(PrivateCups::newestJobAttribute("media"), u"A4.Fullbleed"_qs);
    QCOMPARE(chosenThenShown(u"A4"_qs), u"A4"_qs);
    QCOMPARE(engineState().Format.PaperSize, 9);
    QVERIFY(messages().isEmpty());
}

void TestCupsDriver::propertiesReachThePrintedReport()
{
    // The user's case: a report on A4, A5 landscape and duplex chosen with "属性" in the print
    // dialog, then printed.
    setPrintingSystem(std::make_unique<QtPrintingSystem>());
    FlexGrid grid;
    grid.setSize(41, 3);
    grid.setFixedRows(1);
    for (int r = 1; r < 41; ++r)
        grid.setTextMatrix(r, 0, u"应收账款%1"_qs.arg(r));
    MyPrint print;
    print.setPrintKeyName(u"属性"_qs);
    print.setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    print.setDatagrid(&grid);
    print.setPaperSize(9);
    print.setLineCount(10);
    QFile::remove(g_cups->outputFile());
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog && dialog->objectName() == u"frmPrint"_qs);
        answerNextPropertySheet(
            { { u"PageSize"_qs, u"A5"_qs }, { u"orientation-requested"_qs, u"4"_qs },
                { u"Duplex"_qs, u"DuplexNoTumble"_qs } },
            true, &shown);
        dialog->findChild<QPushButton *>(u"command1"_qs)->click();
        dialog->findChild<QPushButton *>(u"cmdprint"_qs)->click();
    });
    print.Printout();
    QVERIFY2(messages().isEmpty(), qPrintable(messages().join(u'\n')));
    // The sheet started on the report's A4, not on the queue's Letter.
    QVERIFY2(shown.contains(u"纸张：A4"_qs) && shown.contains(u"方向：纵向"_qs),
        qPrintable(shown.join(u'|')));
    QVERIFY(g_cups->waitForJobs());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(g_cups->outputFile()).size() > 0, 30000);

    QCOMPARE(PrivateCups::newestJobAttribute("Duplex"), u"DuplexNoTumble"_qs);
    QCOMPARE(PrivateCups::newestJobAttribute("media"), u"A5"_qs);
    // 40 rows, ten a page: four A5 pages, which the driver feeds short edge first.
    QProcess info;
    info.start(u"pdfinfo"_qs, { g_cups->outputFile() });
    QVERIFY(info.waitForFinished(60000));
    static const QRegularExpression size(
        u"Pages:\\s+(\\d+).*Page size:\\s+([\\d.]+) x ([\\d.]+)"_qs,
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = size.match(QString::fromUtf8(info.readAllStandardOutput()));
    QVERIFY(m.hasMatch());
    const int a = qRound(m.captured(2).toDouble()), b = qRound(m.captured(3).toDouble());
    QCOMPARE(QList<int>({ m.captured(1).toInt(), std::min(a, b), std::max(a, b) }),
        QList<int>({ 4, 420, 595 }));
    // The report's format keeps them; the user's settings of the printer keep the duplex.
    QCOMPARE(formatValue(u"属性"_qs, u"PaperSize"_qs), u"11"_qs);
    QCOMPARE(formatValue(u"属性"_qs, u"PaperOriention"_qs), u"2"_qs);
    QVERIFY2(savedOptions().contains(u"Duplex=DuplexNoTumble"_qs), qPrintable(savedOptions()));
    QFile::remove(g_home + u"/.cups/lpoptions"_qs);
    QFile::remove(g_clientRoot + u"/lpoptions"_qs);
}

int main(int argc, char **argv)
{
    return runWithPrivateCups<TestCupsDriver>(argc, argv, &g_cups, [](PrivateCups &cups) {
        // Saved options go to ~/.cups, or for root to the client's server root: both temporary,
        // set before libcups first reads its environment in this process.
        g_home = cups.dir() + u"/home"_qs;
        g_clientRoot = cups.dir() + u"/client"_qs;
        QDir().mkpath(g_home);
        QDir().mkpath(g_clientRoot);
        qputenv("HOME", QFile::encodeName(g_home));
        qputenv("CUPS_SERVERROOT", QFile::encodeName(g_clientRoot));
    });
}

#include "tst_cupsdriver.moc"
