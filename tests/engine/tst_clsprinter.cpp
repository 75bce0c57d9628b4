#include "support/scripteddriver.h"
#include "support/testplatform.h"
#include "testmain.h"

#include "engine/device/clsprinter.h"
#include "engine/state/platformservices.h"
#include "engine/state/printproperties.h"

using namespace quillon;

// The printer settings class over a scripted driver: the order of its driver calls, its checks
// and its messages. tst_cupsdriver runs it on a real CUPS queue.
class TestClsPrinter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void readsTheNamedPrinter();
    void notInstalledPrinter();
    void readFailures_data();
    void readFailures();
    void emptyNameTakesTheDefaultPrinter();
    void checksBeforeWriting_data();
    void checksBeforeWriting();
    void propertySheet();
    void defaultsAndBack();
    void restoreSavedSettings_data();
    void restoreSavedSettings();
    void fieldsReadSigned();
    void paperLists();
    void printDialog();
    void papersOfAnyPrinter();

private:
    QStringList messages() const;

    TestPlatform m_platform;
    std::unique_ptr<PrintProperties> m_print;
    ScriptedPrinterDriver m_driver;
};

void TestClsPrinter::init()
{
    m_platform = TestPlatform::install();
    m_print = std::make_unique<PrintProperties>();
    m_print->Caption = u"销售报表"_qs;
    engineState().setPrintObject(m_print.get());
    m_driver = ScriptedPrinterDriver();
    m_driver.add(u"财务部激光"_qs);
}

void TestClsPrinter::cleanup()
{
    TestPlatform::uninstall();
    m_print.reset();
}

QStringList TestClsPrinter::messages() const
{
    QStringList list;
    for (const auto &m : m_platform.sink->messages()) {
        // Without an icon, titled with the print object's caption.
        if ((m.buttons & 0xff) != 0 || m.title != u"销售报表"_qs)
            list << u"bad box: "_qs + m.prompt;
        list << m.prompt;
    }
    return list;
}

void TestClsPrinter::readsTheNamedPrinter()
{
    clsPrinter printer(&m_driver);
    printer.setDeviceName(u"财务部激光"_qs);
    QCOMPARE(m_driver.calls,
        QStringList({ u"open 财务部激光"_qs, u"length"_qs, u"read"_qs, u"close"_qs }));
    QCOMPARE(printer.DeviceName(), u"财务部激光"_qs);
    QCOMPARE(printer.PaperSize(), 9);
    QCOMPARE(printer.Port(), u"file:///tmp/财务部激光"_qs);
    QVERIFY(!printer.Default());
    QVERIFY(!printer.settingsValid()); // not from a print dialog
    QVERIFY(messages().isEmpty());
}

void TestClsPrinter::notInstalledPrinter()
{
    clsPrinter printer(&m_driver);
    printer.setDeviceName(u"财务部激光"_qs);
    printer.setDeviceName(u"仓库针式"_qs);
    QCOMPARE(messages(), QStringList { u"OpenPrinter Fialed!"_qs });
    QCOMPARE(printer.DeviceName(), u"仓库针式"_qs);
    QCOMPARE(printer.settings().deviceName, u"财务部激光"_qs); // left as it was
    m_driver.calls.clear();
    QVERIFY(!printer.ShowPropertiesDlg());
    QVERIFY(!printer.SetDevModeAsDefault());
    QCOMPARE(messages().size(), 1);
    QCOMPARE(m_driver.calls, QStringList({ u"open 仓库针式"_qs, u"open 仓库针式"_qs }));

    // Without a driver no printer opens either.
    clsPrinter none(nullptr);
    QVERIFY(!none.GetDEVMODE(u"财务部激光"_qs));
    QCOMPARE(messages().size(), 2);
}

void TestClsPrinter::readFailures_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("readFails");
    QTest::addColumn<QString>("message");
    QTest::newRow("no length") << 0 << false << u"Get DEVMODE length Fialed!"_qs;
    QTest::newRow("unreadable") << -1 << true << u"Get DEVMODE  Fialed!"_qs;
}

void TestClsPrinter::readFailures()
{
    QFETCH(int, length);
    QFETCH(bool, readFails);
    QFETCH(QString, message);
    m_driver.printers[u"财务部激光"_qs].length = length;
    m_driver.printers[u"财务部激光"_qs].readFails = readFails;
    clsPrinter printer(&m_driver);
    QVERIFY(!printer.GetDEVMODE(u"财务部激光"_qs));
    QCOMPARE(messages(), QStringList { message });
    QCOMPARE(m_driver.calls.last(), u"close"_qs);
    QVERIFY(printer.settings().isEmpty());
    QVERIFY(printer.Port().isEmpty());
}

void TestClsPrinter::emptyNameTakesTheDefaultPrinter()
{
    m_driver.add(u"前台喷墨"_qs).defaults.paperSize = 11;
    m_driver.defaultName = u"前台喷墨"_qs;
    m_driver.printers[u"前台喷墨"_qs].sheetAnswer = m_driver.printers[u"前台喷墨"_qs].defaults;
    clsPrinter printer(&m_driver);
    printer.setDeviceName(QString());
    QCOMPARE(printer.PaperSize(), 11);
    QVERIFY(printer.settingsValid());
    QVERIFY(printer.Default());
    QCOMPARE(printer.Port(), u"file:///tmp/前台喷墨"_qs);
    // The calls go to the default printer.
    QVERIFY(printer.ShowPropertiesDlg());
    QVERIFY(m_driver.calls.contains(u"open 前台喷墨"_qs));

    m_driver.defaultName.clear();
    clsPrinter nothing(&m_driver);
    QVERIFY(!nothing.GetDefault());
    QVERIFY(messages().isEmpty());
}

void TestClsPrinter::checksBeforeWriting_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("shown"); // by ShowPropertiesDlg and SetDevModeBack
    QTest::newRow("length") << u"length"_qs << QString();
    QTest::newRow("name") << u"name"_qs << QString();
    QTest::newRow("spec") << u"spec"_qs << u"dmSpecVersion mismatch!"_qs;
    QTest::newRow("driver") << u"driver"_qs << u"dmDriverVersion mismatch!"_qs;
    QTest::newRow("size") << u"size"_qs << u"dmSize mismatch!"_qs;
}

void TestClsPrinter::checksBeforeWriting()
{
    QFETCH(QString, change);
    QFETCH(QString, shown);
    auto &p = m_driver.printers[u"财务部激光"_qs];
    p.sheetAnswer = p.defaults;
    clsPrinter printer(&m_driver);
    printer.setDeviceName(u"财务部激光"_qs);
    QVERIFY(printer.SetDevModeAsDefault()); // a backup to put back
    const DeviceSettings before = p.defaults;
    // The driver changes after the settings were read.
    if (change == u"length"_qs)
        p.defaults.driverExtra += 2;
    else if (change == u"name"_qs)
        p.defaults.deviceName = u"财务部激光2"_qs;
    else if (change == u"spec"_qs)
        p.defaults.specVersion = 2;
    else if (change == u"driver"_qs)
        p.defaults.driverVersion = 0x0102;
    else { // a different fixed part of the same total length
        p.defaults.size += 2;
        p.defaults.driverExtra -= 2;
    }
    const DeviceSettings changed = p.defaults;
    m_driver.calls.clear();

    QVERIFY(!printer.SetDevModeAsDefault());
    QVERIFY(messages().isEmpty());
    QVERIFY(!printer.ShowPropertiesDlg());
    QVERIFY(!printer.SetDevModeBack());
    QCOMPARE(messages(), shown.isEmpty() ? QStringList() : QStringList({ shown, shown }));
    // Nothing was written and no sheet shown; the printer was closed each time.
    QVERIFY(!m_driver.calls.join(u' ').contains(u"write"_qs));
    QVERIFY(!m_driver.calls.join(u' ').contains(u"sheet"_qs));
    QCOMPARE(m_driver.calls.count(u"close"_qs), 3);
    QCOMPARE(p.defaults.driverExtra, changed.driverExtra);
    QCOMPARE(printer.settings().driverExtra, before.driverExtra);
}

void TestClsPrinter::propertySheet()
{
    auto &p = m_driver.printers[u"财务部激光"_qs];
    clsPrinter printer(&m_driver);
    printer.setDeviceName(u"财务部激光"_qs);
    m_driver.calls.clear();
    QVERIFY(!printer.ShowPropertiesDlg()); // cancelled
    QCOMPARE(printer.PaperSize(), 9);
    QCOMPARE(m_driver.calls,
        QStringList({ u"open 财务部激光"_qs, u"length"_qs, u"read"_qs, u"sheet from paper 9"_qs,
            u"close"_qs }));
    DeviceSettings edited = p.defaults;
    edited.paperSize = 8;
    p.sheetAnswer = edited;
    QVERIFY(printer.ShowPropertiesDlg());
    QCOMPARE(printer.PaperSize(), 8);
    QCOMPARE(p.defaults.paperSize, 9); // the printer's defaults stay until they are set

    // The advanced sheet skips the checks: it opens on settings the driver no longer matches.
    p.defaults.driverVersion = 0x0102;
    edited.paperSize = 11;
    p.sheetAnswer = edited;
    QVERIFY(!printer.ShowPropertiesDlg());
    QCOMPARE(messages(), QStringList { u"dmDriverVersion mismatch!"_qs });
    QVERIFY(printer.ShowAdvPropertiesDlg());
    QCOMPARE(printer.PaperSize(), 11);
}

void TestClsPrinter::defaultsAndBack()
{
    auto &p = m_driver.printers[u"财务部激光"_qs];
    DeviceSettings edited = p.defaults;
    edited.paperSize = 11;
    p.sheetAnswer = edited;
    clsPrinter printer(&m_driver);
    printer.setDeviceName(u"财务部激光"_qs);
    QVERIFY(!printer.SetDevModeBack()); // nothing to put back yet
    QVERIFY(printer.ShowPropertiesDlg());
    QVERIFY(printer.SetDevModeAsDefault());
    QCOMPARE(p.defaults.paperSize, 11);
    QCOMPARE(printer.backupSettings().paperSize, 9);
    QVERIFY(printer.SetDevModeBack());
    QCOMPARE(p.defaults.paperSize, 9);

    p.writeFails = true;
    clsPrinter refused(&m_driver);
    refused.setDeviceName(u"财务部激光"_qs);
    QVERIFY(!refused.SetDevModeAsDefault());
    QVERIFY(refused.backupSettings().isEmpty());
    QVERIFY(messages().isEmpty());
}

void TestClsPrinter::restoreSavedSettings_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("savedExtra");
    QTest::addColumn<bool>("readFails");
    QTest::addColumn<bool>("mergeFails");
    QTest::addColumn<QString>("message");
    QTest::newRow("merged") << u"财务部激光"_qs << -1 << 120 << false << false << QString();
    QTest::newRow("missing") << u"仓库针式"_qs << -1 << 120 << false << false
                             << u"找不到打印机:仓库针式\n\n请使用“打印设置”重新设置打印机"_qs;
    QTest::newRow("no length") << u"财务部激光"_qs << 0 << 120 << false << false
                               << u"Get DEVMODE length Fialed!"_qs;
    QTest::newRow("other length") << u"财务部激光"_qs << -1 << 100 << false << false
                                  << u"The saved DEVMODE length mismatch!"_qs;
    QTest::newRow("unreadable") << u"财务部激光"_qs << -1 << 120 << true << false
                                << u"Get DEVMODE  Fialed!"_qs;
    QTest::newRow("unmerged") << u"财务部激光"_qs << -1 << 120 << false << true
                              << u"Set DEVMODE  Fialed!"_qs;
}

void TestClsPrinter::restoreSavedSettings()
{
    QFETCH(QString, device);
    QFETCH(int, length);
    QFETCH(int, savedExtra);
    QFETCH(bool, readFails);
    QFETCH(bool, mergeFails);
    QFETCH(QString, message);
    auto &p = m_driver.printers[u"财务部激光"_qs];
    p.length = length;
    p.readFails = readFails;
    p.mergeFails = mergeFails;
    DeviceSettings saved = p.defaults;
    saved.driverExtra = qint16(savedExtra);
    saved.paperSize = 5;
    clsPrinter printer(&m_driver);
    QCOMPARE(printer.RestoreDEVMODE(device, saved), message.isEmpty());
    QCOMPARE(messages(), message.isEmpty() ? QStringList() : QStringList { message });
    QCOMPARE(printer.PaperSize(), message.isEmpty() ? 5 : 0);
    if (device == u"财务部激光"_qs)
        QCOMPARE(m_driver.calls.last(), u"close"_qs);
}

void TestClsPrinter::fieldsReadSigned()
{
    auto &d = m_driver.printers[u"财务部激光"_qs].defaults;
    d.paperSize = 256;
    d.paperLength = 2970;
    d.paperWidth = 2100;
    d.scale = 100;
    d.copies = 3;
    d.defaultSource = 7;
    d.printQuality = -4; // a quality code, not a resolution
    d.color = 2;
    d.duplex = 3;
    d.yResolution = 600;
    d.ttOption = 2;
    d.collate = 1;
    clsPrinter p(&m_driver);
    p.setDeviceName(u"财务部激光"_qs);
    const QList<int> got = { p.PaperSize(), p.PaperLength(), p.PaperWidth(), p.dmScale(),
        p.Copies(), p.DefaultSource(), p.PaperBin(), p.PrintQuality(), p.ColorMode(), p.Duplex(),
        p.YResolution(), p.TTOption(), p.Collate() };
    QCOMPARE(got, QList<int>({ 256, 2970, 2100, 100, 3, 7, 7, -4, 2, 3, 600, 2, 1 }));
}

void TestClsPrinter::paperLists()
{
    auto &p = m_driver.printers[u"财务部激光"_qs];
    const QString long64 = QString(u"连续打印二联发票"_qs).repeated(8);
    QCOMPARE(long64.size(), 64);
    p.codes = { 9, 256, 8 };
    p.paperNames = { u"A4"_qs, long64 }; // one name short
    clsPrinter printer(&m_driver);
    printer.setDeviceName(u"财务部激光"_qs);
    m_driver.calls.clear();
    QCOMPARE(printer.PaperIndexArr(), QList<qint16>({ 9, 256, 8 }));
    QCOMPARE(printer.PaperNamesArr(), QStringList({ u"A4"_qs, long64 }));
    QCOMPARE(m_driver.calls.first(), u"codes 财务部激光 file:///tmp/财务部激光"_qs);
    QCOMPARE(printer.PaperName(), u"A4"_qs);
    const QStringList byIndex = { printer.PaperNameA(0), printer.PaperNameA(1),
        printer.PaperNameA(2), printer.PaperNameA(3) };
    QCOMPARE(byIndex, QStringList({ u"未知"_qs, u"A4"_qs, long64, u"未知"_qs }));
    // A code with no name beside it, and a code the printer does not list.
    const qint16 codes[] = { 8, 11 };
    for (qint16 code : codes) {
        p.defaults.paperSize = code;
        clsPrinter other(&m_driver);
        other.setDeviceName(u"财务部激光"_qs);
        QCOMPARE(other.PaperName(), u"未知"_qs);
    }
}

void TestClsPrinter::printDialog()
{
    clsPrinter printer(&m_driver);
    printer.setDeviceName(u"财务部激光"_qs);
    int from = 2, to = 5;
    // Cancelled: the range and the settings stay.
    const quint32 flags = PD_PAGENUMS | PD_NOSELECTION | 0x3000;
    QVERIFY(!printer.ShowPrintDlg(flags, from, to, 3, this));
    QCOMPARE(m_driver.dialogRequest.flags, quint32(PD_PAGENUMS | PD_NOSELECTION));
    QCOMPARE(m_driver.dialogRequest.deviceName, u"财务部激光"_qs);
    QCOMPARE(m_driver.dialogRequest.copies, 3);
    QCOMPARE(m_driver.dialogRequest.owner, this);
    QCOMPARE(std::pair(from, to), std::pair(2, 5));
    QVERIFY(!printer.settingsValid());

    PrintDialogResult chosen;
    chosen.settings = m_driver.printers[u"财务部激光"_qs].defaults;
    chosen.settings.deviceName = u"仓库针式"_qs;
    chosen.settings.paperSize = 11;
    chosen.names = { u"Dot"_qs, u"仓库针式"_qs, u"lpt1"_qs, true };
    chosen.fromPage = 3;
    chosen.toPage = 4;
    m_driver.dialogAnswer = chosen;
    QVERIFY(printer.ShowPrintDlg(flags, from, to, 1, nullptr));
    QCOMPARE(std::pair(from, to), std::pair(3, 4));
    QVERIFY(printer.settingsValid());
    QCOMPARE(printer.PaperSize(), 11);
    QCOMPARE(printer.Port(), u"lpt1"_qs);
    QVERIFY(printer.Default());

    // Asked for its defaults, the dialog shows no window.
    m_driver.defaultName = u"财务部激光"_qs;
    m_driver.calls.clear();
    QVERIFY(printer.ShowPrintDlg(PD_RETURNDEFAULT, from, to, 1, nullptr));
    QCOMPARE(m_driver.calls, QStringList { u"default"_qs });
    QCOMPARE(printer.PaperSize(), 9);
    QVERIFY(messages().isEmpty());
}

void TestClsPrinter::papersOfAnyPrinter()
{
    auto &p = m_driver.printers[u"财务部激光"_qs];
    p.codes = { 9, 256, 8 };
    p.paperNames = { u"A4"_qs, u"二联发票"_qs };
    setPrinterDriver(std::make_unique<ScriptedPrinterDriver>(m_driver));
    // The driver's lists, paired by position: a code without a name is left out.
    const QList<PaperInfo> papers = printerPapers(u"财务部激光"_qs);
    QCOMPARE(papers.size(), 2);
    QCOMPARE(papers[1].code, 256);
    QCOMPARE(papers[1].name, u"二联发票"_qs);
    QVERIFY(hasPrinterProperties(u"财务部激光"_qs));
    // A printer the driver does not have: the printing system's papers, and no property sheet.
    const QString virtualName = printingSystem().printers().value(0).deviceName;
    QVERIFY(!virtualName.isEmpty());
    QCOMPARE(printerPapers(virtualName).size(), printingSystem().papers(virtualName).size());
    QVERIFY(!printerPapers(virtualName).isEmpty());
    QVERIFY(!hasPrinterProperties(virtualName));
    QVERIFY(messages().isEmpty());
}

QUILLON_TEST_MAIN(TestClsPrinter)
#include "tst_clsprinter.moc"
