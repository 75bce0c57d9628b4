#include "api/myprint_p.h"
#include "support/singleprinter.h"
#include "support/testplatform.h"
#include "testmain.h"

#include "engine/draw/logo.h"
#include "engine/draw/picturefilereader.h"
#include "engine/layout/computelayout.h"
#include "engine/state/enginestate.h"
#include "platform/vectorpictures.h"
#include "platform/wmfpicture.h"

#include <quillon/flexgrid.h>
#include <quillon/myprint.h>

#include <QBuffer>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>

using namespace quillon;

namespace {

// Windows metafiles written record by record: each is its size in words, its function and
// its parameters, little-endian.
QByteArray words(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values) {
        const quint16 w = quint16(v);
        out.append(char(w & 0xff)).append(char(w >> 8));
    }
    return out;
}

QByteArray record(int function, const QByteArray &params)
{
    return words({ 3 + int(params.size()) / 2, 0, function }) + params;
}

QByteArray record(int function, std::initializer_list<int> params)
{
    return record(function, words(params));
}

/// A COLORREF as two parameter words.
QByteArray colour(int r, int g, int b)
{
    return words({ r | g << 8, b });
}

/// Creates a brush, which takes the first free object slot (the null pen holds 0), and
/// selects it.
QByteArray solidBrush(int r, int g, int b, int slot = 1)
{
    return record(0x02FC, words({ 0 }) + colour(r, g, b) + words({ 0 })) + record(0x012D, { slot });
}

/// A placeable metafile of 1440 × 720 units at 1440 to the inch (1 in × 0.5 in), with a null
/// pen selected, then @p body.
QByteArray metafile(const QByteArray &body, int inch = 1440, int right = 1440)
{
    const QByteArray records = record(0x020B, { 0, 0 }) + record(0x020C, { 720, 1440 })
        + record(0x02FA, words({ 5, 0, 0 }) + colour(0, 0, 0)) + record(0x012D, { 0 }) + body
        + words({ 3, 0, 0 });
    QByteArray header = words({ 0xCDD7, 0x9AC6, 0, 0, 0, right, 720, inch, 0, 0 });
    quint16 checksum = 0;
    for (int i = 0; i < 20; i += 2)
        checksum ^= qFromLittleEndian<quint16>(header.constData() + i);
    header += words({ checksum });
    const int fileWords = (18 + int(records.size())) / 2;
    return header + words({ 1, 9, 0x0300, fileWords & 0xffff, fileWords >> 16, 8, 200, 0, 0 })
        + records;
}

QByteArray redWithBlueCentre()
{
    return metafile(solidBrush(255, 0, 0) + record(0x041B, { 720, 1440, 0, 0 })
        + solidBrush(0, 0, 255, 2) + record(0x041B, { 540, 1080, 180, 360 }));
}

QByteArray rasterFile(const char *format)
{
    QImage image(60, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter(&image).fillRect(15, 8, 30, 14, Qt::blue);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

const QByteArray kSvg = QByteArrayLiteral(
    R"(<?xml version="1.0"?><svg xmlns="http://www.w3.org/2000/svg" width="1in" height="0.5in")"
    R"( viewBox="0 0 100 50"><rect width="100" height="50" fill="red"/>)"
    R"(<rect x="25" y="12.5" width="50" height="25" fill="blue"/></svg>)");

/// A font record: height in units, charset, face name in that charset's bytes.
QByteArray font(int height, int charset, const QByteArray &face)
{
    QByteArray params = words({ height, 0, 0, 0, 400 });
    params += QByteArray("\0\0\0", 3) + char(charset) + QByteArray(4, '\0') + face + '\0';
    if (params.size() % 2)
        params += '\0';
    return record(0x02FB, params) + record(0x012D, { 2 });
}

int opaquePixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 128;
    return count;
}

bool near(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance
        && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

} // namespace

class TestLogoPictures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void layoutAcceptsEveryFormat_data();
    void layoutAcceptsEveryFormat();
    void damagedFilesAreNoPictures_data();
    void damagedFilesAreNoPictures();
    void drawingUsesTheSameReader_data();
    void drawingUsesTheSameReader();
    void metafileRecords_data();
    void metafileRecords();
    void doubleByteTextSpacedPerCharacter();
    void vectorSizesAreKept_data();
    void vectorSizesAreKept();
    void withoutThePlatformRasterStillReadsByContent();

private:
    QString write(const QString &name, const QByteArray &content);
    qint32 heightLeft()
    {
        ComputeLayout(0, 1);
        return engineState().LineHeightTw;
    }

    QTemporaryDir m_dir;
    SinglePrinterSystem *m_system = nullptr;
    RecordingMessageSink *m_sink = nullptr;
    std::unique_ptr<MyPrint> m_job;
    std::unique_ptr<FlexGrid> m_grid;
    std::unique_ptr<RecordingSurface> m_page;
};

void TestLogoPictures::init()
{
    auto system = std::make_unique<SinglePrinterSystem>(11906, 16838, 10000, 15000);
    m_system = system.get();
    m_sink = TestPlatform::install(std::move(system)).sink;
    m_grid = std::make_unique<FlexGrid>();
    m_grid->setSize(31, 3);
    m_job = std::make_unique<MyPrint>(); // installs the platform's vector decoder
    m_job->setDatagrid(m_grid.get());
    m_job->setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    m_page = std::make_unique<RecordingSurface>();

    EngineState &s = engineState();
    s.setPrintObject(&MyPrintPrivate::get(*m_job));
    s.OutputMode = 1;
    s.DrawTarget = &m_system->printer;
    for (FontSpec &f : s.FontTable)
        f = { u"宋体"_qs, 11 };
    PageFormat &f = s.Format;
    f.PrintDate = f.PrintPageNo = f.PrintOperator = 0;
    f.FullPage = 1;
    f.Top = f.Bottom = f.Left = f.Right = 0;
    s.GridRows = 31;
    s.GridCols = 3;
    s.ColEnd = 2;
}

void TestLogoPictures::cleanup()
{
    PictureFileReader::setVectorDecoder(decodeVectorPicture);
    m_job.reset();
    m_grid.reset();
    TestPlatform::uninstall();
}

QString TestLogoPictures::write(const QString &name, const QByteArray &content)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestLogoPictures::layoutAcceptsEveryFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("heightTw");
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<int>("tolerance");
    // Raster pictures are 30 pixels high at 96 dpi; vector ones half an inch, drawn at 600 dpi.
    QTest::newRow("bmp") << u"logo.bmp"_qs << rasterFile("BMP") << 450 << QSize(60, 30) << 0;
    QTest::newRow("dib") << u"logo.dib"_qs << rasterFile("BMP") << 450 << QSize(60, 30) << 0;
    QTest::newRow("ico") << u"logo.ico"_qs << rasterFile("ICO") << 450 << QSize(60, 30) << 0;
    QTest::newRow("png") << u"logo.png"_qs << rasterFile("PNG") << 450 << QSize(60, 30) << 0;
    QTest::newRow("jpeg") << u"logo.jpg"_qs << rasterFile("JPEG") << 450 << QSize(60, 30) << 40;
    QTest::newRow("svg") << u"logo.svg"_qs << kSvg << 720 << QSize(600, 300) << 0;
    QTest::newRow("wmf") << u"logo.wmf"_qs << redWithBlueCentre() << 720 << QSize(600, 300) << 0;
    QTest::newRow("png named .wmf")
        << u"png.wmf"_qs << rasterFile("PNG") << 450 << QSize(60, 30) << 0;
    QTest::newRow("wmf without suffix")
        << u"logo"_qs << redWithBlueCentre() << 720 << QSize(600, 300) << 0;
}

void TestLogoPictures::layoutAcceptsEveryFormat()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(int, heightTw);
    QFETCH(QSize, pixels);
    QFETCH(int, tolerance);
    PageFormat &f = engineState().Format;
    f.LogPicPrt = 1;
    f.LogPic = write(name, content);
    QCOMPARE(heightLeft(), 15000 - heightTw);
    QCOMPARE(f.LogPicPrt, 1);
    QCOMPARE(engineState().LogoHeightTw, heightTw);
    QVERIFY(m_sink->messages().isEmpty());

    const QImage picture = engineState().LogoPicture;
    QCOMPARE(picture.size(), pixels);
    const auto at = [&](double x, double y) {
        return picture.pixelColor(int(x * picture.width()), int(y * picture.height()));
    };
    QVERIFY2(near(at(0.5, 0.5), Qt::blue, tolerance), qPrintable(at(0.5, 0.5).name()));
    QVERIFY2(near(at(0.1, 0.1), Qt::red, tolerance), qPrintable(at(0.1, 0.1).name()));
    QVERIFY2(near(at(0.9, 0.85), Qt::red, tolerance), qPrintable(at(0.9, 0.85).name()));
}

void TestLogoPictures::damagedFilesAreNoPictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    const QByteArray wmf = redWithBlueCentre();
    QByteArray garbage(300, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 131 + 7) % 251);
    QTest::newRow("empty bmp") << u"logo.bmp"_qs << QByteArray();
    QTest::newRow("text named bmp") << u"logo.bmp"_qs << QByteArray("this is no picture");
    QTest::newRow("truncated png") << u"logo.png"_qs << rasterFile("PNG").left(40);
    QTest::newRow("truncated jpeg") << u"logo.jpg"_qs << rasterFile("JPEG").left(20);
    QTest::newRow("garbage wmf") << u"logo.wmf"_qs << garbage;
    QTest::newRow("placeable header only") << u"logo.wmf"_qs << wmf.left(22);
    QTest::newRow("truncated wmf") << u"logo.wmf"_qs << wmf.left(wmf.size() - 20);
    QTest::newRow("garbage after header") << u"logo.wmf"_qs << wmf.left(40) + garbage;
    QTest::newRow("wmf of no width") << u"logo.wmf"_qs << metafile(QByteArray(), 1440, 0);
    QTest::newRow("wmf of no inch") << u"logo.wmf"_qs << metafile(QByteArray(), 0);
    QTest::newRow("truncated svg") << u"logo.svg"_qs << kSvg.left(kSvg.size() / 2);
    QTest::newRow("svg of no size")
        << u"logo.svg"_qs << QByteArray(R"(<svg xmlns="http://www.w3.org/2000/svg"/>)");
}

void TestLogoPictures::damagedFilesAreNoPictures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    PageFormat &f = engineState().Format;
    f.LogPicPrt = 1;
    f.LogPic = write(name, content);
    QCOMPARE(heightLeft(), 15000);
    QCOMPARE(f.LogPicPrt, 0);
    QCOMPARE(engineState().LogoHeightTw, 0);
    QCOMPARE(m_sink->messages().size(), 1);
    QCOMPARE(m_sink->messages().last().prompt, u"徽标文件"_qs + f.LogPic + u"不是图形文件。"_qs);
}

void TestLogoPictures::drawingUsesTheSameReader_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QVariantList>("painted");
    QTest::newRow("wmf") << u"logo.wmf"_qs << redWithBlueCentre()
                         << QVariantList { u"600x300"_qs, 1000.0, 2000.0, 1440.0, 720.0 };
    QTest::newRow("svg") << u"logo.svg"_qs << kSvg
                         << QVariantList { u"600x300"_qs, 1000.0, 2000.0, 1440.0, 720.0 };
    QTest::newRow("dib") << u"logo.dib"_qs << rasterFile("BMP")
                         << QVariantList { u"60x30"_qs, 1000.0, 2000.0, 900.0, 450.0 };
}

void TestLogoPictures::drawingUsesTheSameReader()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QVariantList, painted);
    EngineState &s = engineState();
    s.DrawTarget = m_page.get();
    s.PageOriginX = 1000;
    s.PageOriginY = 2000;
    s.PageWidthTw = 10000;
    s.PageHeightTw = 15000;
    s.Format.LogPicPrt = 1;
    s.Format.LogPicLoc = 1;
    DrawLogoPicture(write(name, content));
    const auto paints = m_page->ops(u"PaintPicture"_qs);
    QCOMPARE(paints.size(), 1);
    QCOMPARE(paints[0].args.mid(0, 5), painted);
    QCOMPARE(s.PageOriginY, 2000 + painted[4].toInt());
}

void TestLogoPictures::metafileRecords_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QPointF>("inside");
    QTest::addColumn<QPointF>("outside");
    QTest::addColumn<QColor>("color");
    // Points in metafile units (1440 × 720); the canvas is transparent outside the drawing.
    const QByteArray green = solidBrush(0, 128, 0);
    QTest::newRow("rectangle") << green + record(0x041B, { 400, 800, 100, 200 })
                               << QPointF(500, 250) << QPointF(900, 250) << QColor(0, 128, 0);
    QTest::newRow("ellipse") << green + record(0x0418, { 700, 1400, 100, 800 })
                             << QPointF(1100, 400) << QPointF(820, 120) << QColor(0, 128, 0);
    QTest::newRow("round rectangle")
        << green + record(0x061C, { 200, 200, 700, 1400, 100, 800 }) << QPointF(1100, 400)
        << QPointF(805, 105) << QColor(0, 128, 0);
    QTest::newRow("polygon") << green + record(0x0324, { 3, 100, 700, 700, 700, 400, 100 })
                             << QPointF(400, 500) << QPointF(150, 150) << QColor(0, 128, 0);
    // A quarter pie from 3 o'clock counter-clockwise to 12 o'clock, centred at (720, 360).
    QTest::newRow("pie") << green + record(0x081A, { 60, 720, 360, 1020, 660, 1020, 60, 420 })
                         << QPointF(820, 260) << QPointF(620, 460) << QColor(0, 128, 0);
    QByteArray dib = words({ 40, 0, 2, 0, 2, 0, 1, 24, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0 });
    for (int row = 0; row < 2; ++row)
        dib += QByteArray("\xff\0\0\xff\0\0\0\0", 8); // blue, blue, padding
    QTest::newRow("stretched bitmap")
        << record(0x0F43, words({ 0x0020, 0x00CC, 0, 2, 2, 0, 0, 400, 600, 200, 300 }) + dib)
        << QPointF(600, 400) << QPointF(200, 100) << QColor(0, 0, 255);
    QTest::newRow("patblt") << green + record(0x061D, { 0x0021, 0x00F0, 200, 300, 100, 100 })
                            << QPointF(250, 200) << QPointF(500, 200) << QColor(0, 128, 0);
}

void TestLogoPictures::metafileRecords()
{
    QFETCH(QByteArray, body);
    QFETCH(QPointF, inside);
    QFETCH(QPointF, outside);
    QFETCH(QColor, color);
    const QImage picture = renderWindowsMetafile(metafile(body));
    QCOMPARE(picture.size(), QSize(600, 300));
    const auto at = [&](QPointF units) {
        return picture.pixelColor(int(units.x() * 600 / 1440), int(units.y() * 300 / 720));
    };
    QVERIFY2(near(at(inside), color, 2), qPrintable(at(inside).name(QColor::HexArgb)));
    QCOMPARE(at(outside).alpha(), 0);
}

void TestLogoPictures::doubleByteTextSpacedPerCharacter()
{
    // "公司" in the GB2312 character set, once as it is and once with a spacing for every
    // character, which the player hands over one byte at a time.
    const QByteArray face = QByteArray("\xcb\xce\xcc\xe5"); // 宋体
    const QByteArray text = QByteArray("\xb9\xab\xcb\xbe");
    const QByteArray plain
        = font(-300, 134, face) + record(0x0521, words({ 4 }) + text + words({ 100, 100 }));
    const QByteArray spaced = font(-300, 134, face)
        + record(0x0A32, words({ 100, 100, 4, 0 }) + text + words({ 300, 0, 300, 0 }));
    const QImage a = renderWindowsMetafile(metafile(plain));
    const QImage b = renderWindowsMetafile(metafile(spaced));
    QVERIFY(!a.isNull() && !b.isNull());
    const int inkA = opaquePixels(a);
    const int inkB = opaquePixels(b);
    QVERIFY2(inkA > 1000, qPrintable(QString::number(inkA)));
    QVERIFY2(std::abs(inkA - inkB) < inkA / 20, qPrintable(u"%1 %2"_qs.arg(inkA).arg(inkB)));
}

void TestLogoPictures::vectorSizesAreKept_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QSizeF>("twips");
    QTest::addColumn<QSize>("pixels");
    const auto svg = [](const char *size) {
        return QByteArray(R"(<svg xmlns="http://www.w3.org/2000/svg" )") + size
            + R"(><rect width="10" height="10"/></svg>)";
    };
    QTest::newRow("svg in mm") << svg(R"(width="25.4mm" height="12.7mm")") << QSizeF(1440, 720)
                               << QSize(600, 300);
    QTest::newRow("svg in CSS pixels")
        << svg(R"(width="96" height="48px")") << QSizeF(1440, 720) << QSize(600, 300);
    QTest::newRow("svg by its view box")
        << svg(R"(viewBox="0 0 192 96")") << QSizeF(2880, 1440) << QSize(1200, 600);
    QTest::newRow("svg in points, odd size")
        << svg(R"(width="36pt" height="50pt")") << QSizeF(720, 1000) << QSize(300, 417);
    QTest::newRow("wmf at 576 to the inch")
        << metafile(solidBrush(255, 0, 0), 576) << QSizeF(3600, 1800) << QSize(1500, 750);
    // 200 inches square would be 14 400 000 000 pixels: held to 16 million.
    QTest::newRow("huge svg") << svg(R"(width="200in" height="200in")") << QSizeF(288000, 288000)
                              << QSize(4000, 4000);
}

void TestLogoPictures::vectorSizesAreKept()
{
    QFETCH(QByteArray, content);
    QFETCH(QSizeF, twips);
    QFETCH(QSize, pixels);
    const std::optional<QImage> picture = decodeVectorPicture(content);
    QVERIFY(picture && !picture->isNull());
    QCOMPARE(picture->size(), pixels);
    const double heightTw = pixels.height() * 1440.0 / (picture->dotsPerMeterY() * 0.0254);
    const double widthTw = pixels.width() * 1440.0 / (picture->dotsPerMeterX() * 0.0254);
    // Exact to the twip at print resolution; within a thousandth when held to fewer pixels.
    QVERIFY2(std::abs(heightTw - twips.height()) <= std::max(0.5, twips.height() / 1000),
        qPrintable(QString::number(heightTw)));
    QVERIFY2(std::abs(widthTw - twips.width()) <= std::max(0.5, twips.width() / 1000),
        qPrintable(QString::number(widthTw)));
}

void TestLogoPictures::withoutThePlatformRasterStillReadsByContent()
{
    PictureFileReader::setVectorDecoder(nullptr);
    PictureFileReader dib(write(u"logo.dib"_qs, rasterFile("BMP")));
    QCOMPARE(dib.read().size(), QSize(60, 30));
    QCOMPARE(dib.status(), PictureFileReader::Status::Read);
    PictureFileReader wmf(write(u"logo.wmf"_qs, redWithBlueCentre()));
    QVERIFY(wmf.read().isNull());
    QCOMPARE(wmf.status(), PictureFileReader::Status::NotAPicture);
    PictureFileReader gone(m_dir.filePath(u"gone.png"_qs));
    QVERIFY(gone.read().isNull());
    QCOMPARE(gone.status(), PictureFileReader::Status::Unreadable);
}

QUILLON_TEST_MAIN(TestLogoPictures)
#include "tst_logopictures.moc"
