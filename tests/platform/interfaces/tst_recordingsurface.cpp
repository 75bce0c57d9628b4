#include "testmain.h"

#include "platform/interfaces/recordingsurface.h"

#include <QFile>

using namespace quillon;

class TestRecordingSurface : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void metrics_data();
    void metrics();
    void recordsCallsWithArguments();
    void relativeLineEnd();
    void printMovesToNextLine();
    void printerSide();
    void goldenDump();
};

void TestRecordingSurface::metrics_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("size");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::newRow("digits") << u"0123456789"_qs << 10.0 << 1000.0 << 250.0;
    QTest::newRow("one latin") << u"A"_qs << 10.0 << 100.0 << 250.0;
    QTest::newRow("one hanzi") << u"汉"_qs << 10.0 << 200.0 << 250.0;
    QTest::newRow("mixed") << u"合计 12"_qs << 9.0 << 3 * 90.0 + 2 * 180.0 << 225.0;
    QTest::newRow("full-width comma") << u"，"_qs << 10.0 << 200.0 << 250.0;
    QTest::newRow("surrogate pair") << u"𠀀"_qs << 10.0 << 200.0 << 250.0;
    QTest::newRow("two lines") << u"汉字\nab"_qs << 10.0 << 400.0 << 500.0;
    QTest::newRow("half point") << u"汉"_qs << 10.5 << 210.0 << 262.5;
    QTest::newRow("empty") << QString() << 10.0 << 0.0 << 250.0;
}

void TestRecordingSurface::metrics()
{
    QFETCH(QString, text);
    QFETCH(double, size);
    QFETCH(double, width);
    QFETCH(double, height);
    RecordingSurface s;
    s.setFontSize(size);
    s.setFontBold(true); // flags never change the metrics
    QCOMPARE(s.TextWidth(text), width);
    QCOMPARE(s.TextHeight(text), height);
}

void TestRecordingSurface::recordsCallsWithArguments()
{
    RecordingSurface s;
    s.setFontName(u"宋体"_qs);
    s.setFontSize(12);
    s.setForeColor(255);
    s.setCurrentX(300);
    s.setCurrentY(450);
    s.Print(u"标题"_qs);
    s.setDrawWidth(2);
    s.setDrawStyle(1);
    s.Line(0, 100, 5000, 100, 32768);

    const QList<RecordingSurface::Op> prints = s.ops(u"Print"_qs);
    QCOMPARE(prints.size(), 1);
    QCOMPARE(prints[0].args, (QVariantList { u"标题"_qs, 300.0, 450.0 }));
    const QList<RecordingSurface::Op> lines = s.ops(u"Line"_qs);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].args, (QVariantList { 0.0, 100.0, 5000.0, 100.0, 32768, 2, 1 }));
    QCOMPARE(s.ops().first().toString(), u"FontName \"宋体\""_qs);

    s.setRecordMeasurements(false);
    s.TextWidth(u"x"_qs);
    QVERIFY(s.ops(u"TextWidth"_qs).isEmpty());
    s.setRecordMeasurements(true);
    s.TextWidth(u"x"_qs);
    QCOMPARE(s.ops(u"TextWidth"_qs).size(), 1);
}

void TestRecordingSurface::relativeLineEnd()
{
    RecordingSurface s;
    s.Line(100, 200, 50, -20, 0, Surface::LineEnd::Relative);
    QCOMPARE(s.ops(u"Line"_qs).at(0).args.mid(0, 4), (QVariantList { 100.0, 200.0, 150.0, 180.0 }));
}

void TestRecordingSurface::printMovesToNextLine()
{
    RecordingSurface s;
    s.setFontSize(10);
    s.setCurrentX(700);
    s.setCurrentY(1000);
    s.Print(u"a\nb"_qs);
    QCOMPARE(s.CurrentX(), 0.0);
    QCOMPARE(s.CurrentY(), 1500.0);
}

void TestRecordingSurface::printerSide()
{
    RecordingSurface s(11906, 16838);
    s.setPrintableArea(11500, 16500);
    QCOMPARE(s.ScaleWidth(), 11500.0);
    s.setOrientation(2);
    QCOMPARE(s.Width(), 16838.0);
    QCOMPARE(s.Height(), 11906.0);
    QCOMPARE(s.ScaleWidth(), 16500.0);
    s.setOrientation(2); // no second swap
    QCOMPARE(s.Width(), 16838.0);

    s.setColorMode(2);
    QCOMPARE(s.ColorMode(), 2);
    s.setColorCapable(false);
    QCOMPARE(s.ColorMode(), 0);

    s.NewPage();
    s.EndDoc();
    QCOMPARE(s.ops(u"NewPage"_qs).size(), 1);
    QCOMPARE(s.ops(u"EndDoc"_qs).size(), 1);
}

// A small page in the dump format that drawing tests compare against.
void TestRecordingSurface::goldenDump()
{
    RecordingSurface s;
    s.setFontName(u"楷体_GB2312"_qs);
    s.setFontSize(14);
    const double w = s.TextWidth(u"销售\"日报\""_qs);
    s.setCurrentX((11906 - w) / 2);
    s.setCurrentY(567);
    s.Print(u"销售\"日报\""_qs);
    s.setDrawWidth(1);
    s.Line(567, 1200, 11339, 1200, 0);
    s.PaintPicture(QImage(40, 20, QImage::Format_RGB32), 567, 1300, 600, 300);
    s.NewPage();

    const QString path = QStringLiteral(QUILLON_GOLDEN_DIR "/recording_basic.txt");
    if (qEnvironmentVariableIsSet("QUILLON_REGENERATE_GOLDEN")) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(s.dump().toUtf8());
    }
    QFile in(path);
    QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(path));
    QCOMPARE(s.dump(), QString::fromUtf8(in.readAll()));
}

QUILLON_TEST_MAIN(TestRecordingSurface)
#include "tst_recordingsurface.moc"
