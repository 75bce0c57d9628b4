#include "testmain.h"

#include "platform/interfaces/surface.h"
#include "printer/papercodes.h"
#include "printer/printingsystem.h"
#include "printer/virtualprintingsystem.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace quillon;

namespace {

VirtualPrinterSpec recorder(const QString &name)
{
    VirtualPrinterSpec spec;
    spec.deviceName = name;
    spec.output = VirtualPrinterSpec::Output::Recording;
    spec.paperCodes = { 9, 11 };
    spec.marginTwips = 200;
    return spec;
}

int pdfPages(const QString &pdf)
{
    QProcess info;
    info.start(u"pdfinfo"_qs, { pdf });
    info.waitForFinished(30000);
    const auto m = QRegularExpression(u"Pages:\\s+(\\d+)"_qs)
                       .match(QString::fromUtf8(info.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace

class TestVirtualPrinting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paperCodes_data();
    void paperCodes();
    void shownPaperNames_data();
    void shownPaperNames();
    void shownPaperLists();
    void recordingPrinterPaper();
    void recordingPrinterDocuments();
    void pdfPrinterWritesFiles();
    void pdfPrinterDiscardsAndSkipsEmptyDocuments();
    void pdfPrinterLongTitleAndUnwritableFolder();
    void selectionAndDefault();
    void printerFile();
    void printerFileErrors_data();
    void printerFileErrors();
};

void TestVirtualPrinting::paperCodes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("name");
    QTest::newRow("Letter") << 1 << true << u"Letter / ANSI A"_qs;
    QTest::newRow("A3") << 8 << true << u"A3"_qs;
    QTest::newRow("A4") << 9 << true << u"A4"_qs;
    QTest::newRow("A5") << 11 << true << u"A5"_qs;
    QTest::newRow("14 has no size") << 14 << false << u"自定义"_qs;
    QTest::newRow("user-defined") << 256 << false << u"自定义"_qs;
    QTest::newRow("0") << 0 << false << u"自定义"_qs;
}

void TestVirtualPrinting::paperCodes()
{
    QFETCH(int, code);
    QFETCH(bool, valid);
    QFETCH(QString, name);
    const QPageSize size = PaperCodes::pageSize(qint16(code));
    QCOMPARE(size.isValid(), valid);
    QCOMPARE(PaperCodes::name(qint16(code)), name);
    if (valid)
        QCOMPARE(PaperCodes::code(size), code);
    QCOMPARE(PaperCodes::code(QPageSize(QSizeF(123, 456), QPageSize::Millimeter)), 256);
}

void TestVirtualPrinting::shownPaperNames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("driverName");
    QTest::addColumn<QString>("shown");
    QTest::newRow("A4 stays") << 9 << u"A4"_qs << u"A4"_qs;
    QTest::newRow("16K stays") << 256 << u"16K"_qs << u"16K"_qs;
    QTest::newRow("Letter as Qt names it") << 1 << PaperCodes::name(1) << u"信纸"_qs;
    QTest::newRow("US Letter") << 1 << u"US Letter"_qs << u"信纸"_qs;
    QTest::newRow("Legal") << 5 << u"Legal"_qs << u"法律专用纸"_qs;
    QTest::newRow("Folio has no code") << 256 << u"Folio"_qs << u"对开纸"_qs;
    QTest::newRow("Envelope #10") << 20 << u"Envelope #10"_qs << u"10 号信封"_qs;
    QTest::newRow("DL") << 27 << u"DL"_qs << u"DL 信封"_qs;
    QTest::newRow("a bare C5 may be the sheet") << 28 << u"C5"_qs << u"C5"_qs;
    QTest::newRow("the name of another size's code") << 9 << u"Letter"_qs << u"Letter"_qs;
    QTest::newRow("borderless") << 9 << u"A4 (Borderless)"_qs << u"A4 (无边距)"_qs;
    QTest::newRow("borderless Letter") << 1 << u" Letter (Borderless) "_qs << u"信纸 (无边距)"_qs;
    QTest::newRow("a note kept") << 20 << u"Envelope #10 (4.12 x 9.5 inches)"_qs
                                 << u"10 号信封 (4.12 x 9.5 inches)"_qs;
}

void TestVirtualPrinting::shownPaperNames()
{
    QFETCH(int, code);
    QFETCH(QString, driverName);
    QFETCH(QString, shown);
    QCOMPARE(PaperCodes::shownName(qint16(code), driverName), shown);
}

void TestVirtualPrinting::shownPaperLists()
{
    // A list never shows two papers alike.
    QCOMPARE(
        PaperCodes::shownNames({ { 1, u"Letter"_qs }, { 1, u"US Letter"_qs }, { 5, u"Legal"_qs } }),
        QStringList({ u"Letter"_qs, u"US Letter"_qs, u"法律专用纸"_qs }));
}

void TestVirtualPrinting::recordingPrinterPaper()
{
    VirtualPrintingSystem system({ recorder(u"Rec"_qs) });
    PrinterSurface *p = system.currentPrinter();
    QVERIFY(p);
    QCOMPARE(p->PaperSize(), 9);
    QCOMPARE(p->Width(), 11900.0);
    QCOMPARE(p->ScaleWidth(), 11500.0); // less the unprintable strips
    QVERIFY(!p->setPaperSize(8)); // A3 is not taken
    QCOMPARE(p->PaperSize(), 9);
    QVERIFY(p->setPaperSize(11));
    QCOMPARE(p->Height(), 11900.0); // A5 is 420 × 595 points
    p->setOrientation(2);
    QCOMPARE(p->Orientation(), 2);
    QCOMPARE(p->Width(), 11900.0);
    QCOMPARE(p->Height(), 8400.0);
    QVERIFY(!p->setPaperSize(256)); // no user size configured
    p->setColorMode(2);
    QCOMPARE(p->ColorMode(), 2);
}

void TestVirtualPrinting::recordingPrinterDocuments()
{
    VirtualPrinterSpec mono = recorder(u"Mono"_qs);
    mono.color = false;
    VirtualPrintingSystem system({ mono });
    PrinterSurface *p = system.currentPrinter();
    QCOMPARE(p->ColorMode(), 0);
    p->setDocumentName(u"凭证"_qs);
    p->setCurrentX(100);
    p->setCurrentY(200);
    p->Print(u"第一页"_qs);
    p->NewPage();
    p->Line(0, 0, 10, 0, 0);
    p->NewPage();
    p->EndDoc();
    p->Print(u"作废"_qs);
    p->KillDoc();
    p->Print(u"第二份"_qs);
    p->EndDoc();

    const QList<VirtualDocument> &docs = system.documents();
    QCOMPARE(docs.size(), 2);
    QCOMPARE(docs[0].name, u"凭证"_qs);
    QCOMPARE(docs[0].printer, u"Mono"_qs);
    QCOMPARE(docs[0].pageCount, 2);
    QVERIFY(docs[0].pages[0].contains(u"Print \"第一页\" 100 200"_qs));
    QVERIFY(docs[0].pages[1].startsWith(u"Line 0 0 10 0"_qs));
    QCOMPARE(docs[1].pageCount, 1);
    QVERIFY(docs[1].pages[0].contains(u"第二份"_qs));
    QVERIFY(!docs[1].pages[0].contains(u"作废"_qs));
}

void TestVirtualPrinting::pdfPrinterWritesFiles()
{
    if (QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty())
        QSKIP("poppler-utils are not installed: the PDF cannot be checked");
    QTemporaryDir dir;
    VirtualPrinterSpec spec = VirtualPrintingSystem::pdfPrinterSpec(dir.path());
    spec.marginTwips = 284;
    VirtualPrintingSystem system({ spec });
    PrinterSurface *p = system.currentPrinter();
    QCOMPARE(p->DeviceName(), u"Quillon PDF"_qs);
    p->setDocumentName(u"销售/日报"_qs);
    p->setFontName(u"宋体"_qs);
    p->setFontSize(12);
    QVERIFY(p->TextWidth(u"合计"_qs) > 0); // measuring alone writes nothing
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    p->setCurrentX(1440);
    p->setCurrentY(1440);
    p->Print(u"虚拟打印机"_qs);
    p->NewPage();
    p->setCurrentX(0);
    p->setCurrentY(0);
    p->Print(u"第二页"_qs);
    p->EndDoc();

    QCOMPARE(system.documents().size(), 1);
    const VirtualDocument doc = system.documents().first();
    QCOMPARE(doc.pageCount, 2);
    QVERIFY(QFileInfo(doc.pdfPath).fileName().startsWith(u"销售_日报-"_qs));
    QVERIFY(QFile::exists(doc.pdfPath));
    QCOMPARE(
        QDir(dir.path()).entryList(QDir::Files), QStringList { QFileInfo(doc.pdfPath).fileName() });
    QCOMPARE(pdfPages(doc.pdfPath), 2);

    // The drawing origin is the printable corner: 284 + 1440 twips from the sheet's edge.
    QProcess bbox;
    bbox.start(u"pdftotext"_qs, { u"-bbox"_qs, doc.pdfPath, u"-"_qs });
    bbox.waitForFinished(30000);
    const QString html = QString::fromUtf8(bbox.readAllStandardOutput());
    const auto m
        = QRegularExpression(u"<word xMin=\"([0-9.]+)\"[^>]*>虚拟打印机</word>"_qs).match(html);
    QVERIFY2(m.hasMatch(), qPrintable(html));
    QVERIFY(qAbs(m.captured(1).toDouble() * 20 - (284 + 1440)) < 20);
}

void TestVirtualPrinting::pdfPrinterDiscardsAndSkipsEmptyDocuments()
{
    QTemporaryDir dir;
    VirtualPrintingSystem system({ VirtualPrintingSystem::pdfPrinterSpec(dir.path()) });
    PrinterSurface *p = system.currentPrinter();
    p->EndDoc(); // nothing drawn: no document
    p->setCurrentX(0);
    p->setCurrentY(0);
    p->Print(u"取消"_qs);
    p->KillDoc();
    QVERIFY(system.documents().isEmpty());
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

void TestVirtualPrinting::pdfPrinterLongTitleAndUnwritableFolder()
{
    QTemporaryDir dir;
    const QString notAFolder = dir.filePath(u"file"_qs);
    QVERIFY(QFile(notAFolder).open(QIODevice::WriteOnly));
    for (const QString &folder : { dir.path(), notAFolder }) {
        VirtualPrintingSystem system({ VirtualPrintingSystem::pdfPrinterSpec(folder) });
        PrinterSurface *p = system.currentPrinter();
        p->setDocumentName(QString(100, u'长')); // 300 bytes in UTF-8
        p->setCurrentX(0);
        p->setCurrentY(0);
        p->Print(u"甲"_qs);
        p->EndDoc();
        const bool writable = folder == dir.path();
        QCOMPARE(p->failed(), !writable);
        QCOMPARE(system.documents().size(), writable ? 1 : 0);
        if (writable) {
            const QString name = QFileInfo(system.documents()[0].pdfPath).fileName();
            QVERIFY2(name.startsWith(u"长长长"_qs) && QFile::encodeName(name).size() <= 255,
                qPrintable(name));
            QCOMPARE(pdfPages(system.documents()[0].pdfPath), 1);
        }
    }
}

void TestVirtualPrinting::selectionAndDefault()
{
    VirtualPrintingSystem system({ recorder(u"A"_qs), recorder(u"B"_qs) }, u"B"_qs);
    QCOMPARE(system.defaultPrinterName(), u"B"_qs);
    QCOMPARE(system.currentPrinter()->DeviceName(), u"B"_qs);
    QVERIFY(!system.selectPrinter(u"a"_qs));
    QVERIFY(system.selectPrinter(u"A"_qs));
    QCOMPARE(system.currentPrinter()->DeviceName(), u"A"_qs);
    QCOMPARE(system.papers(u"A"_qs).size(), 2);
    QCOMPARE(system.papers(u"A"_qs)[1].name, u"A5"_qs);

    VirtualPrintingSystem none({});
    QVERIFY(!none.hasPrinter());
    QCOMPARE(none.currentPrinter(), nullptr);
}

void TestVirtualPrinting::printerFile()
{
    QTemporaryDir dir;
    QFile f(dir.filePath(u"printers.ini"_qs));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("; two printers\n"
            "[Office PDF]\n"
            "output=pdf\nfolder=/srv/reports\npapers=9,8\n\n"
            "[Bench Recorder]\n"
            "output=recording ; for tests\ncolor=0\nmargin=284\norientation=2\n"
            "usersize=12000x8000\ndefault=1\n");
    f.close();
    QString error, defaultPrinter;
    const auto specs
        = VirtualPrintingSystem::readPrinterFile(f.fileName(), &error, &defaultPrinter);
    QVERIFY2(specs, qPrintable(error));
    QCOMPARE(specs->size(), 2);
    QCOMPARE(specs->at(0).port, u"/srv/reports"_qs);
    QCOMPARE(specs->at(0).paperCodes, (QList<qint16> { 9, 8 }));
    QCOMPARE(specs->at(1).output, VirtualPrinterSpec::Output::Recording);
    QVERIFY(!specs->at(1).color);
    QCOMPARE(specs->at(1).marginTwips, 284.0);
    QCOMPARE(specs->at(1).orientation, 2);
    QCOMPARE(specs->at(1).userSizeTwips, QSizeF(12000, 8000));
    QCOMPARE(defaultPrinter, u"Bench Recorder"_qs);
}

void TestVirtualPrinting::printerFileErrors_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("value before a printer") << QByteArray("color=1\n") << u"第 1 行"_qs;
    QTest::newRow("unknown key") << QByteArray("[P]\nspeed=9\n") << u"未知的键“speed”"_qs;
    QTest::newRow("bad paper") << QByteArray("[P]\npapers=9,x\n") << u"第 2 行"_qs;
    QTest::newRow("bad orientation") << QByteArray("[P]\norientation=3\n") << u"orientation"_qs;
    QTest::newRow("empty name") << QByteArray("[ ]\n") << u"打印机名称为空"_qs;
}

void TestVirtualPrinting::printerFileErrors()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QFile f(dir.filePath(u"printers.ini"_qs));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    QString error;
    QVERIFY(!VirtualPrintingSystem::readPrinterFile(f.fileName(), &error, nullptr));
    QVERIFY2(error.contains(expected), qPrintable(error));
    QVERIFY(
        !VirtualPrintingSystem::readPrinterFile(dir.filePath(u"missing.ini"_qs), &error, nullptr));
    QVERIFY(error.contains(u"无法读取"_qs));
}

QUILLON_TEST_MAIN(TestVirtualPrinting)
#include "tst_virtualprinting.moc"
