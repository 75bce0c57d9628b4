#include "api/myprint_p.h"
#include "support/singleprinter.h"
#include "support/testpage.h"
#include "support/testplatform.h"
#include "testmain.h"

#include "engine/draw/logo.h"
#include "engine/draw/picturefilereader.h"
#include "engine/layout/computelayout.h"
#include "engine/state/enginestate.h"
#include "platform/linearpaintdevice.h"
#include "platform/vectorpictures.h"
#include "platform/wmfpicture.h"

#include <quillon/flexgrid.h>
#include <quillon/myprint.h>

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QtEndian>

#include <sys/stat.h>

#include <functional>

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
    const int size = 3 + int(params.size()) / 2;
    return words({ size & 0xffff, size >> 16, function }) + params;
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

/// The checksum of a PNG chunk.
quint32 crc32(const QByteArray &data)
{
    quint32 c = 0xffffffffu;
    for (const char byte : data) {
        c ^= uchar(byte);
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? (c >> 1) ^ 0xedb88320u : c >> 1;
    }
    return ~c;
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
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();
    void picturesPastTheLimitsAreLeftOut_data();
    void picturesPastTheLimitsAreLeftOut();
    void tangledMetafilesDraw_data();
    void tangledMetafilesDraw();
    void outlinesLookAsQtDrawsThem_data();
    void outlinesLookAsQtDrawsThem();

private:
    QString write(const QString &name, const QByteArray &content);
    qint32 heightLeft()
    {
        ComputeLayout(engineState(), 0, 1);
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
    DrawLogoPicture(testPage(), write(name, content));
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

void TestLogoPictures::onlyRegularFilesAreRead_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("what");
    const QString fifo = m_dir.filePath(u"pipe.wmf"_qs);
    if (!QFileInfo::exists(fifo) && ::mkfifo(QFile::encodeName(fifo).constData(), 0600) != 0)
        qFatal("cannot make a pipe");
    const QString other = u"不是普通文件（是命名管道、设备或套接字）"_qs;
    QTest::newRow("named pipe") << fifo << other;
    QTest::newRow("device") << u"/dev/zero"_qs << other;
    QTest::newRow("folder") << m_dir.path() << u"是文件夹"_qs;
}

void TestLogoPictures::onlyRegularFilesAreRead()
{
    QFETCH(QString, path);
    QFETCH(QString, what);
    // A pipe nobody writes to would block the read for ever, a device never end.
    PageFormat &f = engineState().Format;
    f.LogPicPrt = 1;
    f.LogPic = path;
    QCOMPARE(heightLeft(), 15000);
    QCOMPARE(f.LogPicPrt, 0);
    QCOMPARE(m_sink->messages().size(), 1);
    QCOMPARE(m_sink->messages().last().prompt,
        u"徽标文件"_qs + path + what + u"，不能作为图形读取。"_qs);
}

void TestLogoPictures::picturesPastTheLimitsAreLeftOut_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<qint64>("sparseSize");
    QTest::addColumn<QString>("why");
    QByteArray records;
    for (int i = 0; i <= 200'000; ++i)
        records += record(0x0102, { 1 }); // SetBkMode
    QTest::newRow("metafile of too many records")
        << u"logo.wmf"_qs << metafile(records) << qint64(0) << u"图元文件的记录多于 200000 条"_qs;
    const QByteArray points(4 * 1'000'001, '\0');
    QTest::newRow("metafile of too many points")
        << u"logo.wmf"_qs << metafile(record(0x0325, words({ 0 }) + points)) << qint64(0)
        << u"图元文件的线条和多边形共有多于 1000000 个点"_qs;
    // Each stroke of a pen 720 units wide covers the whole picture.
    QByteArray strokes
        = record(0x02FA, words({ 0, 720, 0 }) + colour(0, 0, 0)) + record(0x012D, { 1 });
    for (int i = 0; i < 2000; ++i)
        strokes += record(0x0214, { 360, 0 }) + record(0x0213, { 360, 1440 }); // MoveTo, LineTo
    QTest::newRow("metafile that draws too much")
        << u"logo.wmf"_qs << metafile(strokes) << qint64(0)
        << u"图形过于复杂，绘制量超过上限（2 亿像素）"_qs;
    QByteArray svg(R"(<svg xmlns="http://www.w3.org/2000/svg" width="1in" height="1in">)");
    for (int i = 0; i < 200'000; ++i)
        svg += "<g/>";
    QTest::newRow("svg of too many elements")
        << u"logo.svg"_qs << svg + "</svg>" << qint64(0) << u"SVG 图形的元素多于 200000 个"_qs;
    // A PNG whose header says 30000 × 30000 pixels: 3.6 GB once decoded.
    QByteArray png = rasterFile("PNG");
    qToBigEndian<quint32>(30000, png.data() + 16);
    qToBigEndian<quint32>(30000, png.data() + 20);
    qToBigEndian<quint32>(crc32(png.mid(12, 17)), png.data() + 29);
    QTest::newRow("png of too many pixels")
        << u"logo.png"_qs << png << qint64(0)
        << u"图片有 30000 × 30000 像素，超过上限 3200 万像素"_qs;
    QTest::newRow("file too large")
        << u"logo.png"_qs << rasterFile("PNG") << qint64(65) * 1024 * 1024
        << u"文件有 65 MB，超过上限 64 MB"_qs;
}

void TestLogoPictures::picturesPastTheLimitsAreLeftOut()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(qint64, sparseSize);
    QFETCH(QString, why);
    const QString path = write(name, content);
    if (sparseSize > 0)
        QVERIFY(QFile::resize(path, sparseSize));
    PageFormat &f = engineState().Format;
    f.LogPicPrt = 1;
    f.LogPic = path;
    QCOMPARE(heightLeft(), 15000);
    QCOMPARE(f.LogPicPrt, 0);
    heightLeft(); // a job lays out more than once: the logo stays out, the message is not repeated
    QCOMPARE(m_sink->messages().size(), 1);
    QCOMPARE(m_sink->messages().last().prompt,
        u"徽标文件"_qs + path + u"超出图形的限制："_qs + why + u"。本次不打印徽标。"_qs);
}

void TestLogoPictures::tangledMetafilesDraw_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("pixels");
    // Outlines far past the picture that cross themselves hundreds of times.
    QTest::newRow("800 points") << u"polygon-800.wmf"_qs << QSize(201, 875);
    QTest::newRow("5000 points") << u"polygon-hang.wmf"_qs << QSize(4000, 4000);
}

void TestLogoPictures::tangledMetafilesDraw()
{
    QFETCH(QString, name);
    QFETCH(QSize, pixels);
    QFile file(QStringLiteral(QUILLON_SOURCE_DIR "/tests/data/pictures/") + name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::optional<QImage> picture = decodeVectorPicture(file.readAll());
    QVERIFY(picture);
    QCOMPARE(picture->size(), pixels);
    QVERIFY(opaquePixels(*picture) > 0);
}

void TestLogoPictures::outlinesLookAsQtDrawsThem_data()
{
    QTest::addColumn<std::function<void(QPainter &)>>("paint");
    QTest::addColumn<double>("tolerance");
    // Outlines of 300 points, past what is left to Qt; the share of pixels that may differ
    // (edges antialiased another way, dashes restarted at corners).
    QPolygonF star;
    for (int i = 0; i < 300; ++i) {
        const double a = 2 * M_PI * i / 300;
        const double r = i % 2 ? 120 : 180;
        star << QPointF(200 + r * std::cos(a), 200 + r * std::sin(a));
    }
    QPolygonF zigzag;
    for (int i = 0; i < 300; ++i)
        zigzag << QPointF(20 + i * 1.2, i % 2 ? 100 : 300);
    const auto pen = [](QColor color, double width, Qt::PenJoinStyle join,
                         Qt::PenCapStyle cap = Qt::SquareCap) {
        QPen p(color, width);
        p.setJoinStyle(join);
        p.setCapStyle(cap);
        return p;
    };
    const auto polygon = [star](QPen p, QBrush b) {
        return std::function<void(QPainter &)>([=](QPainter &painter) {
            painter.setPen(p);
            painter.setBrush(b);
            painter.drawPolygon(star);
        });
    };
    const auto polyline = [zigzag](QPen p) {
        return std::function<void(QPainter &)>([=](QPainter &painter) {
            painter.setPen(p);
            painter.drawPolyline(zigzag);
        });
    };
    QTest::newRow("round joins") << polygon(pen(Qt::darkRed, 12, Qt::RoundJoin),
        QColor(255, 224, 192)) << 0.001;
    QTest::newRow("miter joins") << polygon(pen(Qt::darkBlue, 10, Qt::MiterJoin), Qt::yellow)
                                 << 0.001;
    QTest::newRow("SVG miter joins")
        << polygon(pen(Qt::darkBlue, 10, Qt::SvgMiterJoin), Qt::yellow) << 0.005;
    QTest::newRow("bevel joins") << polyline(pen(Qt::black, 10, Qt::BevelJoin)) << 0.001;
    QTest::newRow("square caps") << polyline(pen(Qt::black, 14, Qt::RoundJoin, Qt::SquareCap))
                                 << 0.001;
    QTest::newRow("round caps") << polyline(pen(Qt::black, 14, Qt::BevelJoin, Qt::RoundCap))
                                << 0.001;
    QTest::newRow("translucent") << polyline(pen(QColor(0, 0, 255, 100), 16, Qt::RoundJoin))
                                 << 0.001;
    QPen dashes = pen(Qt::black, 6, Qt::BevelJoin);
    dashes.setStyle(Qt::DashLine);
    QTest::newRow("dashed") << polygon(dashes, Qt::NoBrush) << 0.1;
    QLinearGradient gradient(0, 0, 400, 0);
    gradient.setColorAt(0, Qt::red);
    gradient.setColorAt(1, Qt::blue);
    QTest::newRow("gradient fill") << polygon(pen(Qt::black, 6, Qt::BevelJoin), gradient) << 0.001;
    QTest::newRow("scaled") << std::function<void(QPainter &)>([=](QPainter &painter) {
        painter.scale(8, 8);
        painter.setPen(pen(Qt::darkRed, 1.5, Qt::RoundJoin));
        painter.setBrush(Qt::cyan);
        painter.drawPolygon(QTransform::fromScale(0.125, 0.125).map(star));
    }) << 0.002;
    QTest::newRow("clipped") << std::function<void(QPainter &)>([=](QPainter &painter) {
        painter.setClipRect(100, 100, 200, 150);
        painter.setPen(pen(Qt::darkRed, 12, Qt::RoundJoin));
        painter.setBrush(Qt::yellow);
        painter.drawPolygon(star);
    }) << 0.001;
}

void TestLogoPictures::outlinesLookAsQtDrawsThem()
{
    QFETCH(std::function<void(QPainter &)>, paint);
    QFETCH(double, tolerance);
    QImage expected(400, 400, QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    QImage drawn = expected;
    {
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter);
    }
    {
        LinearPaintDevice device(&drawn);
        QPainter painter(&device);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter);
    }
    int ink = 0;
    int differ = 0;
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x < 400; ++x) {
            ink += qAlpha(expected.pixel(x, y)) > 0;
            differ += !near(expected.pixelColor(x, y), drawn.pixelColor(x, y), 64);
        }
    }
    QVERIFY(ink > 10000);
    QVERIFY2(differ <= tolerance * ink, qPrintable(u"%1 of %2"_qs.arg(differ).arg(ink)));
}

QUILLON_TEST_MAIN(TestLogoPictures)
#include "tst_logopictures.moc"
