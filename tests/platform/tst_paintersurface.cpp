#include "testmain.h"

#include "platform/paintersurface.h"
#include "platform/reportfonts.h"

#include <QDir>
#include <QFontInfo>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace quillon;

namespace {

QImage page96(int w = 400, int h = 300)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780); // 96 dpi: one pixel is 15 twips
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    return image;
}

bool isDark(QRgb pixel)
{
    return qGray(pixel) < 128;
}

struct WordBox
{
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

// The word boxes that pdftotext finds on page 1, in points.
QHash<QString, WordBox> pdfWords(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), { QStringLiteral("-bbox"), pdf, QStringLiteral("-") });
    p.waitForFinished(30000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)"
        "</word>"));
    QHash<QString, WordBox> boxes;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        boxes.insert(m.captured(5),
            { m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                m.captured(4).toDouble() });
    }
    return boxes;
}

} // namespace

class TestPainterSurface : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportFontsResolveToRealFaces_data();
    void reportFontsResolveToRealFaces();
    void twipsAtDeviceResolution();
    void textWidthIsTheDevicesOwn();
    void measuredWidthMatchesThePdf_data();
    void measuredWidthMatchesThePdf();
    void drawWidthAndStyle();
    void textColourAndCls();
    void paintPictureScales();
    void newPageOnlyOnPagedDevices();
    void fastLayoutMatchesQtsOwnMeasure_data();
    void fastLayoutMatchesQtsOwnMeasure();
    void measurementsFollowTheFont();
    void lastLayoutIsDrawnInItsOwnFont();
    void joinedBordersDrawTheSameLines();
    void anotherPenKeepsTheDrawingOrder();
    void clsDropsLinesNotYetDrawn();
};

void TestPainterSurface::reportFontsResolveToRealFaces_data()
{
    QTest::addColumn<QString>("reportName");
    QTest::addColumn<QString>("family");
    QTest::newRow("宋体") << u"宋体"_qs << u"AR PL UMing CN"_qs;
    QTest::newRow("楷体_GB2312") << u"楷体_GB2312"_qs << u"AR PL UKai CN"_qs;
    QTest::newRow("楷体") << u"楷体"_qs << u"AR PL UKai CN"_qs;
    QTest::newRow("黑体") << u"黑体"_qs << u"WenQuanYi Zen Hei"_qs;
    QTest::newRow("SimSun") << u"simsun"_qs << u"AR PL UMing CN"_qs;
    QTest::newRow("blank name") << u" "_qs << u"AR PL UMing CN"_qs;
}

void TestPainterSurface::reportFontsResolveToRealFaces()
{
    QFETCH(QString, reportName);
    QFETCH(QString, family);
    QCOMPARE(ReportFonts::family(reportName), family);

    QImage image = page96();
    PainterSurface surface(&image);
    surface.setFontName(reportName);
    surface.setFontSize(12);
    const QFontInfo info(surface.font());
    QCOMPARE(info.family(), family);
    QVERIFY(QFontMetrics(surface.font()).inFont(QChar(u'汉')));

    // Widgets and dialogs get the same faces through substitutions.
    ReportFonts::installSubstitutions();
    QFont plain(reportName.trimmed().isEmpty() ? family : reportName);
    if (!reportName.trimmed().isEmpty())
        QCOMPARE(QFontInfo(plain).family(), family);
}

void TestPainterSurface::twipsAtDeviceResolution()
{
    QImage image = page96(200, 200);
    {
        PainterSurface surface(&image);
        QCOMPARE(surface.Width(), 3000.0);
        QCOMPARE(surface.Height(), 3000.0);
        surface.Line(1440, 0, 1440, 2880, 0); // one inch from the left: pixel column 96
    }
    QVERIFY(isDark(image.pixel(96, 100)));
    QVERIFY(!isDark(image.pixel(90, 100)));
    QVERIFY(!isDark(image.pixel(102, 100)));
}

void TestPainterSurface::textWidthIsTheDevicesOwn()
{
    QImage image = page96();
    PainterSurface surface(&image);
    surface.setFontName(u"宋体"_qs);
    surface.setFontSize(10.5);
    const QString text = u"销售合计 1,234.50"_qs;
    const double expected = QFontMetricsF(surface.font(), &image).horizontalAdvance(text) * 15;
    QCOMPARE(surface.TextWidth(text), expected);
    QVERIFY(surface.TextWidth(u"汉"_qs) > surface.TextWidth(u"A"_qs));
    // Bigger font, wider text; two lines are twice as high as one.
    const double before = surface.TextWidth(text);
    surface.setFontSize(21);
    QVERIFY(surface.TextWidth(text) > 1.9 * before);
    QCOMPARE(surface.TextHeight(u"a\nb"_qs), 2 * surface.TextHeight(u"a"_qs));
}

void TestPainterSurface::measuredWidthMatchesThePdf_data()
{
    QTest::addColumn<QString>("fontName");
    QTest::addColumn<double>("size");
    QTest::addColumn<bool>("bold");
    QTest::newRow("song 12") << u"宋体"_qs << 12.0 << false;
    QTest::newRow("kai 16 bold") << u"楷体_GB2312"_qs << 16.0 << true;
    QTest::newRow("hei 9") << u"黑体"_qs << 9.0 << false;
}

// What TextWidth says is the space the text takes in the printed file.
void TestPainterSurface::measuredWidthMatchesThePdf()
{
    QFETCH(QString, fontName);
    QFETCH(double, size);
    QFETCH(bool, bold);
    if (QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed: the PDF cannot be checked");

    QTemporaryDir dir;
    const QString path = dir.filePath(u"measure.pdf"_qs);
    const QString text = u"合计金额Total2026年"_qs;
    double measured = 0;
    {
        QPdfWriter writer(path);
        writer.setResolution(1440);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        PainterSurface surface(&writer);
        surface.setFontName(fontName);
        surface.setFontSize(size);
        surface.setFontBold(bold);
        measured = surface.TextWidth(text);
        surface.setCurrentX(1440);
        surface.setCurrentY(2880);
        surface.Print(text);
    }
    // A synthesised bold face can make pdftotext split the text into several words: the
    // printed extent is their union.
    const QHash<QString, WordBox> words = pdfWords(path);
    qsizetype found = 0;
    for (const QString &piece : words.keys()) {
        QVERIFY2(text.contains(piece), qPrintable(piece));
        found += piece.size();
    }
    QCOMPARE(found, text.size());
    WordBox box = words.begin().value();
    for (const WordBox &w : words) {
        box.xMin = std::min(box.xMin, w.xMin);
        box.xMax = std::max(box.xMax, w.xMax);
        box.yMin = std::min(box.yMin, w.yMin);
    }
    const double printed = (box.xMax - box.xMin) * 20; // points to twips
    QVERIFY2(qAbs(printed - measured) <= 10,
        qPrintable(u"measured %1 twips, printed %2"_qs.arg(measured).arg(printed)));
    QVERIFY(qAbs(box.xMin * 20 - 1440) <= 10);
    QVERIFY(box.yMin * 20 >= 2880 - 10);
}

void TestPainterSurface::drawWidthAndStyle()
{
    QImage image = page96(200, 200);
    {
        PainterSurface surface(&image);
        surface.setDrawWidth(3);
        surface.Line(150, 1500, 2850, 1500, 0); // row 100
        surface.setDrawWidth(1);
        surface.setDrawStyle(2);
        surface.Line(150, 2250, 2850, 2250, 0); // row 150, dotted
    }
    int thick = 0;
    for (int y = 95; y <= 105; ++y)
        thick += isDark(image.pixel(100, y));
    QCOMPARE(thick, 3);
    int dark = 0;
    for (int x = 20; x < 180; ++x)
        dark += isDark(image.pixel(x, 150));
    QVERIFY2(dark > 20 && dark < 140, qPrintable(QString::number(dark)));
}

void TestPainterSurface::textColourAndCls()
{
    QImage image = page96();
    PainterSurface surface(&image);
    surface.setFontName(u"黑体"_qs);
    surface.setFontSize(20);
    surface.setForeColor(255); // red in the low byte
    surface.setCurrentX(150);
    surface.setCurrentY(150);
    surface.Print(u"红字"_qs);
    surface.end();

    int red = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 100; ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
        }
    }
    QVERIFY(red > 30);

    PainterSurface again(&image);
    again.Cls();
    again.end();
    QCOMPARE(image.pixelColor(20, 20), QColor(Qt::white));
}

void TestPainterSurface::paintPictureScales()
{
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    picture.setPixelColor(1, 1, Qt::red);
    QImage image = page96(100, 100);
    {
        PainterSurface surface(&image);
        // The whole 2×2 picture into a 40×40 pixel square at (15, 15) pixels.
        surface.PaintPicture(picture, 225, 225, 600, 600);
        // Only its red pixel, into a 10×10 square at (70, 70).
        surface.PaintPicture(picture, 1050, 1050, 150, 150, 1, 1, 1, 1);
        surface.PaintPicture(QImage(), 0, 0, 100, 100); // a broken picture draws nothing
    }
    QCOMPARE(image.pixelColor(20, 20), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(50, 50), QColor(Qt::red));
    QCOMPARE(image.pixelColor(75, 75), QColor(Qt::red));
    QCOMPARE(image.pixelColor(60, 20), QColor(Qt::white));
    QCOMPARE(image.pixelColor(2, 2), QColor(Qt::white));
}

void TestPainterSurface::newPageOnlyOnPagedDevices()
{
    QImage image = page96();
    PainterSurface onImage(&image);
    QVERIFY(!onImage.newPage());

    QTemporaryDir dir;
    const QString path = dir.filePath(u"two.pdf"_qs);
    {
        QPdfWriter writer(path);
        PainterSurface onPdf(&writer);
        onPdf.setCurrentX(100);
        onPdf.setCurrentY(100);
        onPdf.Print(u"一"_qs);
        QVERIFY(onPdf.newPage());
        onPdf.setCurrentX(100);
        onPdf.setCurrentY(100);
        onPdf.Print(u"二"_qs);
    }
    if (QStandardPaths::findExecutable(u"pdfinfo"_qs).isEmpty())
        QSKIP("pdfinfo (poppler-utils) is not installed");
    QProcess info;
    info.start(u"pdfinfo"_qs, { path });
    info.waitForFinished(30000);
    QVERIFY(QString::fromUtf8(info.readAllStandardOutput())
                .contains(QRegularExpression(u"Pages:\\s+2\\b"_qs)));
}

void TestPainterSurface::fastLayoutMatchesQtsOwnMeasure_data()
{
    QTest::addColumn<QString>("fontName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("bold");
    QTest::newRow("Chinese") << u"宋体"_qs << u"销售明细表"_qs << false;
    QTest::newRow("digits and punctuation") << u"宋体"_qs << u"1,234,567.89 (¥)"_qs << false;
    QTest::newRow("mixed, Hei") << u"黑体"_qs << u"合计 Total：2026年"_qs << false;
    QTest::newRow("bold: Qt's own layout") << u"宋体"_qs << u"合计金额"_qs << true;
    QTest::newRow("Arabic: shaped") << u"宋体"_qs << u"مرحبا"_qs << false;
    QTest::newRow("emoji: another face") << u"宋体"_qs << u"好😀"_qs << false;
}

// Whichever way a text is laid out, it measures as Qt measures it on the device.
void TestPainterSurface::fastLayoutMatchesQtsOwnMeasure()
{
    QFETCH(QString, fontName);
    QFETCH(QString, text);
    QFETCH(bool, bold);
    QPdfWriter writer(QDir::temp().filePath(u"quillon-measure.pdf"_qs));
    writer.setResolution(1440);
    PainterSurface surface(&writer);
    surface.setFontName(fontName);
    surface.setFontSize(11);
    surface.setFontBold(bold);
    const double qt = QFontMetricsF(surface.font(), &writer).horizontalAdvance(text);
    QVERIFY2(qAbs(surface.TextWidth(text) - qt) <= 2,
        qPrintable(u"%1 against %2"_qs.arg(surface.TextWidth(text)).arg(qt)));
    QVERIFY(surface.TextWidth(text) > 0);
}

void TestPainterSurface::measurementsFollowTheFont()
{
    QImage image = page96();
    PainterSurface surface(&image);
    surface.setFontName(u"宋体"_qs);
    surface.setFontSize(10);
    const double song10 = surface.TextWidth(u"汉字汉字"_qs);
    surface.setFontSize(20);
    const double song20 = surface.TextWidth(u"汉字汉字"_qs);
    QVERIFY(song20 > 1.9 * song10);
    QCOMPARE(song20, QFontMetricsF(surface.font(), &image).horizontalAdvance(u"汉字汉字"_qs) * 15);
    surface.setFontName(u"黑体"_qs);
    surface.setFontSize(10);
    const double hei10 = surface.TextWidth(u"Total 1234"_qs);
    surface.setFontName(u"宋体"_qs);
    const double songLatin = surface.TextWidth(u"Total 1234"_qs);
    QVERIFY(hei10 != songLatin); // the faces differ in their Latin widths
    // Back to a font seen before: the same answers.
    QCOMPARE(surface.TextWidth(u"汉字汉字"_qs), song10);
    surface.setFontName(u"黑体"_qs);
    QCOMPARE(surface.TextWidth(u"Total 1234"_qs), hei10);
}

// A text measured in one font and printed in another is drawn in the font of the print.
void TestPainterSurface::lastLayoutIsDrawnInItsOwnFont()
{
    // Prints "汉" at 10 or 30 points, after laying it out at another size first or not.
    const auto draw = [](double measuredAt, double printedAt) {
        QImage image = page96(300, 100);
        PainterSurface s(&image);
        s.setFontName(u"宋体"_qs);
        if (measuredAt > 0) {
            s.setFontSize(measuredAt);
            s.TextWidth(u"汉"_qs);
        }
        s.setFontSize(printedAt);
        s.setCurrentX(150);
        s.setCurrentY(150);
        s.Print(u"汉"_qs);
        s.end();
        return image;
    };
    const QImage small = draw(30, 10);
    const QImage reference = draw(0, 10);
    const QImage large = draw(0, 30);
    QCOMPARE(small, reference);
    QVERIFY(small != large);
}

void TestPainterSurface::joinedBordersDrawTheSameLines()
{
    // Three cell bottoms and a right edge drawn one by one, and the same lines drawn whole.
    QImage pieces = page96(200, 200), whole = page96(200, 200);
    {
        PainterSurface s(&pieces);
        s.Line(150, 1500, 1050, 1500, 32768);
        s.Line(1050, 1500, 1950, 1500, 32768);
        s.Line(2850, 1500, 1950, 1500, 32768); // drawn right to left
        s.Line(1500, 150, 1500, 900, 32768);
        s.Line(1500, 900, 1500, 1500, 32768);
    }
    {
        QPainter p(&whole);
        p.setPen(QPen(QColor(0, 128, 0), 1, Qt::SolidLine, Qt::SquareCap));
        p.drawLine(QPointF(10, 100), QPointF(190, 100));
        p.drawLine(QPointF(100, 10), QPointF(100, 100));
    }
    QCOMPARE(pieces, whole);
}

void TestPainterSurface::anotherPenKeepsTheDrawingOrder()
{
    QImage image = page96(200, 200);
    {
        PainterSurface s(&image);
        s.setDrawWidth(2);
        s.Line(1500, 150, 1500, 2850, 32768);
        s.Line(1500, 150, 1500, 2850, 0xFFFFFF); // painted out, as BorderStyle 3 does
        s.setDrawWidth(1);
        s.Line(150, 1500, 2850, 1500, 255);
    }
    QCOMPARE(image.pixelColor(100, 50), QColor(Qt::white));
    QCOMPARE(image.pixelColor(50, 100), QColor(Qt::red));
}

void TestPainterSurface::clsDropsLinesNotYetDrawn()
{
    QImage image = page96(200, 200);
    {
        PainterSurface s(&image);
        s.Line(150, 1500, 2850, 1500, 0);
        s.Cls();
        s.Line(1500, 150, 1500, 2850, 0);
    }
    QCOMPARE(image.pixelColor(50, 100), QColor(Qt::white));
    QVERIFY(isDark(image.pixel(100, 50)));
}

QUILLON_TEST_MAIN(TestPainterSurface)
#include "tst_paintersurface.moc"
