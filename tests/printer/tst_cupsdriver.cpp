#include "support/privatecups.h"
#include "support/testplatform.h"

#include "engine/device/clsprinter.h"
#include "engine/state/printproperties.h"
#include "printer/cupsprinterdriver.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QtTest>

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

private:
    QStringList messages() const;
    TestPlatform m_platform;
    std::unique_ptr<PrintProperties> m_print;
};

void TestCupsDriver::init()
{
    m_platform = TestPlatform::install();
    setPrinterDriver(std::make_unique<CupsPrinterDriver>());
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
    DeviceSettings saved = printer.settings();
    saved.options.insert(u"print-quality"_qs, u"5"_qs);
    saved.options.insert(u"PageSize"_qs, u"A4"_qs);
    saved.options.insert(u"Duplex"_qs, u"DuplexNoTumble"_qs);
    saved.options.insert(u"NoSuchOption"_qs, u"x"_qs); // another driver's: dropped
    QVERIFY(printer.RestoreDEVMODE(kQueue, saved));
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
    answerNextDialog(false);
    QVERIFY(!printer.ShowPropertiesDlg());
    QCOMPARE(printer.settings().options, before.options);
    answerNextDialog(true);
    QVERIFY(printer.ShowPropertiesDlg());
    QCOMPARE(printer.PaperSize(), before.paperSize);
    QCOMPARE(printer.settings().options.value(u"PageSize"_qs), u"Letter"_qs);
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

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PrivateCups cups;
    QString why;
    if (!cups.start(&why)) {
        // CTest reports exit code 77 as a skipped test, with this reason in its log.
        std::fprintf(stderr, "SKIP: no private CUPS scheduler here: %s\n", qPrintable(why));
        return 77;
    }
    g_cups = &cups;
    // Saved options go to ~/.cups, or for root to the client's server root: both temporary,
    // set before libcups first reads its environment in this process.
    g_home = cups.dir() + u"/home"_qs;
    g_clientRoot = cups.dir() + u"/client"_qs;
    QDir().mkpath(g_home);
    QDir().mkpath(g_clientRoot);
    qputenv("HOME", QFile::encodeName(g_home));
    qputenv("CUPS_SERVERROOT", QFile::encodeName(g_clientRoot));
    QApplication app(argc, argv);
    TestCupsDriver tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_cupsdriver.moc"
