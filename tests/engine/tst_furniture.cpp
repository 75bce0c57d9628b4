#include "support/pagefixture.h"
#include "support/recordingqueries.h"
#include "testmain.h"

#include "engine/convert.h"
#include "engine/draw/furniture.h"
#include "engine/draw/logo.h"

#include <quillon/myprint.h>

#include <QTemporaryDir>

using namespace quillon;

namespace {

using Op = RecordingSurface::Op;

} // namespace

// Page: origin (1000, 2000), 10000 twips wide. Recording metrics: a wide character is 20 × the
// font size, a narrow one 10 ×, a line 25 × high. Fonts: 0 at 24 pt, the others at 10 pt.
class TestFurniture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void emptyTitlesDrawNothing();
    void mainTitleSpreadOutWithUnderline();
    void wideTitleUnderlinedAcrossThePage();
    void titlesTooWideShrinkThenWrap_data();
    void titlesTooWideShrinkThenWrap();
    void subTitleBelowTheMainTitle();
    void headLineAlignments_data();
    void headLineAlignments();
    void headItemOnThePreviousLine();
    void readmeHeaderExample();
    void voucherSuffix_data();
    void voucherSuffix();
    void footLineColumns_data();
    void footLineColumns();
    void pageInfoLine_data();
    void pageInfoLine();
    void pageInfoLineWrapsOnNarrowPages_data();
    void pageInfoLineWrapsOnNarrowPages();
    void logoPicturePlaces_data();
    void logoPicturePlaces();
    void missingOrBrokenLogoDrawsNothing();
    void logoTextPlaces_data();
    void logoTextPlaces();
    void logoAtHalfZoom();

private:
    std::optional<PageFixture> m_fx;
    QTemporaryDir m_dir;
};

void TestFurniture::init()
{
    installGridPagePlatform();
    m_fx.emplace();
    m_fx->setOrigin(1000, 2000).setWidth(10000).setFont({ u"宋体"_qs, 10 });
    EngineState &s = m_fx->state();
    s.PageHeightTw = 15000;
    s.FontTable[0].Size = 24;
    s.RowPageCount = 5;
    s.CurRowPage = 2;
    setPrintDateForTesting(QDate(2007, 11, 8));
}

void TestFurniture::cleanup()
{
    setPrintDateForTesting(QDate());
    m_fx.reset();
    TestPlatform::uninstall();
}

void TestFurniture::emptyTitlesDrawNothing()
{
    DrawTitles(m_fx->page());
    QVERIFY(m_fx->surface.ops().isEmpty());
    QCOMPARE(m_fx->state().PageOriginY, 2000);
}

void TestFurniture::mainTitleSpreadOutWithUnderline()
{
    m_fx->job.setMainTitle(u"销售日报表"_qs);
    m_fx->job.setMinTitleLen(10);
    DrawTitles(m_fx->page());
    // Five characters spread to ten: each followed by a blank. 5 × 480 + 5 × 240 = 3600 wide.
    const QList<PrintedText> p = texts(m_fx->surface);
    QCOMPARE(p.size(), 1);
    QCOMPARE(p[0].text, u"销 售 日 报 表 "_qs);
    QCOMPARE(p[0].x, 1000 + (10000 - 3600) / 2.0);
    QCOMPARE(p[0].y, 2000.0);
    // Two lines 1.5 × 3600 = 5400 long, centred, 20 and 50 below the title (600 high).
    const QList<Op> lines = m_fx->surface.ops(u"Line"_qs);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].toString(), u"Line 3300 2620 8700 2620 32768 1 0"_qs);
    QCOMPARE(lines[1].toString(), u"Line 3300 2650 8700 2650 32768 1 0"_qs);
    QCOMPARE(m_fx->state().PageOriginY, 2000 + 600 + 100);
}

void TestFurniture::wideTitleUnderlinedAcrossThePage()
{
    m_fx->job.setMainTitle(
        u"一二三四五六七八九十一二三四五"_qs); // 15 × 480 = 7200; 1.5 × 7200 > 10000
    DrawTitles(m_fx->page());
    const QList<Op> lines = m_fx->surface.ops(u"Line"_qs);
    QCOMPARE(lines[0].toString(), u"Line 1000 2620 11000 2620 32768 1 0"_qs);
}

void TestFurniture::titlesTooWideShrinkThenWrap_data()
{
    QTest::addColumn<QString>("main");
    QTest::addColumn<QString>("sub");
    QTest::addColumn<int>("lines"); // printed lines in all
    QTest::addColumn<double>("smallest"); // font size
    const QString ten = u"一二三四五六七八九十"_qs;
    // 21 characters at 24 pt are 10080 wide on a 10000 page: a little smaller fits.
    QTest::newRow("main title shrinks") << ten + ten + u"一"_qs << QString() << 1 << 23.5;
    // 200 characters do not fit at 9 pt either (9000 wide at most 55 a line): four lines.
    QTest::newRow("main title wraps") << ten.repeated(20) << QString() << 4 << 9.0;
    QTest::newRow("sub-title below the floor wraps") << QString() << ten.repeated(7) << 2 << 8.0;
    QTest::newRow("wraps at a blank")
        << u"Quarterly sales of every region and every product line of the company, with the "
           "returns, the discounts and the taxes of each month, compared with the last year"_qs
        << QString() << 2 << 9.0;
}

void TestFurniture::titlesTooWideShrinkThenWrap()
{
    QFETCH(QString, main);
    QFETCH(QString, sub);
    QFETCH(int, lines);
    QFETCH(double, smallest);
    m_fx->state().FontTable[1].Size = 8; // a sub-title already below the floor only wraps
    m_fx->job.setMainTitle(main);
    m_fx->job.setSubTitle(sub);
    const qint32 reserved
        = TitleHeight(m_fx->page(), 0, 10000) + TitleHeight(m_fx->page(), 1, 10000);
    m_fx->surface.clear();
    PrintedText state;
    state.fontSize = m_fx->surface.FontSize(); // a size already set is no operation
    DrawTitles(m_fx->page());
    // Every printed line lies on the page; the layout kept room for all of them.
    double least = 100;
    QString text;
    const QList<PrintedText> printed = texts(m_fx->surface, state);
    for (const PrintedText &t : printed) {
        least = std::min(least, t.fontSize);
        QVERIFY2(t.x >= 1000 && t.x + RecordingSurface::textWidthFor(t.text, t.fontSize) <= 11000,
            qPrintable(t.text));
        text += t.text;
    }
    const int printedLines = int(printed.size());
    QCOMPARE(printedLines, lines);
    QCOMPARE(least, smallest);
    QCOMPARE(QString(text).remove(u' '), QString(main + sub).remove(u' '));
    QVERIFY(reserved > 0);
    QCOMPARE(m_fx->state().PageOriginY - 2000,
        reserved + (main.isEmpty() ? 0 : 100) + (sub.isEmpty() ? 0 : 100));
}

void TestFurniture::subTitleBelowTheMainTitle()
{
    m_fx->job.setMainTitle(u"标题"_qs);
    m_fx->job.setSubTitle(u"单位:元"_qs); // 3 wide + 1 narrow at 10 pt = 700
    DrawTitles(m_fx->page());
    const QList<PrintedText> p = texts(m_fx->surface);
    QCOMPARE(p.size(), 2);
    QCOMPARE(p[1].x, 1000 + (10000 - 700) / 2.0);
    QCOMPARE(p[1].y, 2700.0);
    QCOMPARE(m_fx->state().PageOriginY, 2700 + 250 + 100);
}

void TestFurniture::headLineAlignments_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<double>("x");
    // The item "页眉" is 400 wide at 10 pt.
    QTest::newRow("1 left") << 1 << 1000.0;
    QTest::newRow("2 one fifth") << 2 << 3000.0;
    QTest::newRow("3 centred") << 3 << 5800.0;
    QTest::newRow("4 three fifths") << 4 << 7000.0;
    QTest::newRow("5 right") << 5 << 10600.0;
}

void TestFurniture::headLineAlignments()
{
    QFETCH(int, code);
    QFETCH(double, x);
    m_fx->job.AddHead(u"页眉"_qs, 1, code, 0);
    m_fx->takeHostLines();
    DrawHeadLines(m_fx->page());
    QCOMPARE(texts(m_fx->surface)[0].x, x);
    QCOMPARE(m_fx->state().PageOriginY, 2000 + 250 + 50);
}

void TestFurniture::headItemOnThePreviousLine()
{
    m_fx->job.AddHead(u"单位:元"_qs, 1, 1, 0);
    m_fx->job.AddHead(u"第二页"_qs, 0, 5, 0); // same line, right-aligned
    m_fx->job.AddHead(u"续"_qs, 0, 0, 0); // continues the previous item
    m_fx->job.AddHead(u"前"_qs, 0, -1, 0); // ends where the previous one began
    m_fx->job.AddHead(u"下一行"_qs, 1, 99, 0); // an unknown code keeps the last x
    m_fx->takeHostLines();
    DrawHeadLines(m_fx->page());
    const QList<PrintedText> p = texts(m_fx->surface);
    QCOMPARE(p.size(), 5);
    QCOMPARE(p[0].y, 2000.0);
    QCOMPARE(p[1].y, 2000.0);
    QCOMPARE(p[1].x, 11000.0 - 600);
    QCOMPARE(p[2].x, 11000.0);
    QCOMPARE(p[3].x, 11000.0 - 200);
    QCOMPARE(p[4].x, 11000.0 - 200);
    QCOMPARE(p[4].y, 2300.0);
    QCOMPARE(m_fx->state().PageOriginY, 2600);
}

void TestFurniture::readmeHeaderExample()
{
    // The README's example, as it stands there, prints what its comments say: one header line
    // below the title, "单位:元" on the left and the month on the right.
    QFile readme(QStringLiteral(QUILLON_SOURCE_DIR "/README.md"));
    QVERIFY(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    static const QRegularExpression title(uR"re(print\.setMainTitle\("([^"]*)"\);)re"_qs);
    static const QRegularExpression head(
        uR"re(print\.AddHead\("([^"]*)", (-?\d+), (-?\d+), (\d+)\);)re"_qs);
    const QRegularExpressionMatch t = title.match(text);
    QVERIFY(t.hasMatch());
    m_fx->job.setMainTitle(t.captured(1));
    QStringList items;
    for (auto it = head.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        m_fx->job.AddHead(
            m.captured(1), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
        items << m.captured(1);
    }
    QCOMPARE(items, (QStringList { u"单位:元"_qs, u"2026年12月"_qs }));
    m_fx->takeHostLines();
    DrawTitles(m_fx->page());
    const qint32 belowTitles = m_fx->state().PageOriginY;
    DrawHeadLines(m_fx->page());
    const QList<PrintedText> p = texts(m_fx->surface).mid(1);
    QCOMPARE(p.size(), 2);
    QCOMPARE(p[0].y, double(belowTitles));
    QCOMPARE(p[1].y, p[0].y);
    QCOMPARE(p[0].x, 1000.0);
    QCOMPARE(p[1].x, 11000 - RecordingSurface::textWidthFor(p[1].text, 10));
}

void TestFurniture::voucherSuffix_data()
{
    QTest::addColumn<QString>("callMod");
    QTest::addColumn<int>("bands");
    QTest::addColumn<QString>("last");
    QTest::newRow("voucher, page 2 of 3") << u"凭证"_qs << 3 << u"凭证号(2/3)"_qs;
    QTest::newRow("voucher, one page") << u"凭证"_qs << 1 << u"凭证号"_qs;
    QTest::newRow("another module") << u"报表"_qs << 3 << u"凭证号"_qs;
}

void TestFurniture::voucherSuffix()
{
    QFETCH(QString, callMod);
    QFETCH(int, bands);
    QFETCH(QString, last);
    m_fx->job.setCallMod(callMod);
    m_fx->state().RowPageCount = qint16(bands);
    m_fx->job.AddHead(u"记账凭证"_qs, 1, 3, 0);
    m_fx->job.AddHead(u"凭证号"_qs, 1, 5, 0);
    m_fx->takeHostLines();
    DrawHeadLines(m_fx->page());
    QCOMPARE(texts(m_fx->surface)[0].text, u"记账凭证"_qs);
    QCOMPARE(texts(m_fx->surface)[1].text, last);
}

void TestFurniture::footLineColumns_data()
{
    QTest::addColumn<int>("footCount");
    QTest::addColumn<int>("code");
    QTest::addColumn<double>("x");
    // "页脚" is 400 wide; five columns of 2500.
    QTest::newRow("column 2 of 5") << 5 << 2 << 3500.0;
    QTest::newRow("column 3 of 5") << 5 << 3 << 6000.0;
    QTest::newRow("column 5 is right-aligned") << 5 << 5 << 10600.0;
    QTest::newRow("-2 centred") << 5 << -2 << 5800.0;
    QTest::newRow("1 left") << 5 << 1 << 1000.0;
    QTest::newRow("three columns, column 3") << 3 << 3 << 10600.0;
    QTest::newRow("three columns, column 2") << 3 << 2 << 6000.0;
    QTest::newRow("one column: left") << 1 << 4 << 1000.0;
    QTest::newRow("no columns: left") << 0 << 4 << 1000.0;
}

void TestFurniture::footLineColumns()
{
    QFETCH(int, footCount);
    QFETCH(int, code);
    QFETCH(double, x);
    m_fx->job.setFootCount(qint16(footCount));
    m_fx->job.AddFoot(u"页脚"_qs, 1, code, 0);
    m_fx->takeHostLines();
    DrawFootLines(m_fx->page());
    QCOMPARE(texts(m_fx->surface)[0].x, x);
}

void TestFurniture::pageInfoLine_data()
{
    QTest::addColumn<QList<int>>("switches"); // operator, page number, date
    QTest::addColumn<int>("colBands");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("advance");
    QTest::newRow("all") << QList<int> { 1, 1, 1 } << 1
                         << QStringList { u"操作员:张三"_qs, u"第 2 页 (共 5 页)"_qs,
                                u"打印日期:2007年11月8日"_qs }
                         << 300;
    QTest::newRow("column bands") << QList<int> { 0, 1, 0 } << 3
                                  << QStringList { u"第 2 (1/3) 页 (共 5 页)"_qs } << 300;
    QTest::newRow("date only") << QList<int> { 0, 0, 1 } << 1
                               << QStringList { u"打印日期:2007年11月8日"_qs } << 300;
    QTest::newRow("none") << QList<int> { 0, 0, 0 } << 1 << QStringList {} << 0;
}

void TestFurniture::pageInfoLine()
{
    QFETCH(QList<int>, switches);
    QFETCH(int, colBands);
    QFETCH(QStringList, texts);
    QFETCH(int, advance);
    EngineState &s = m_fx->state();
    s.Format.PrintOperator = qint16(switches[0]);
    s.Format.PrintPageNo = qint16(switches[1]);
    s.Format.PrintDate = qint16(switches[2]);
    s.ColPageCount = qint16(colBands);
    s.CurColPage = 1;
    m_fx->job.setOperator(u"张三"_qs);
    DrawPageInfoLine(m_fx->page());
    const QList<PrintedText> p = ::texts(m_fx->surface);
    QStringList got;
    for (const PrintedText &item : p) {
        got << item.text;
        QCOMPARE(item.y, 2000.0); // one line
    }
    QCOMPARE(got, texts);
    QCOMPARE(s.PageOriginY, 2000 + advance);
    if (switches == QList<int> { 1, 1, 1 }) {
        QCOMPARE(p[0].x, 1000.0);
        // "第 2 页 (共 5 页)": 4 wide, 9 narrow = 800 + 900 = 1700.
        QCOMPARE(p[1].x, 1000 + (10000 - 1700) / 2.0);
        // The date ends at the right edge.
        const double w = RecordingSurface::textWidthFor(texts[2], 10);
        QCOMPARE(p[2].x, 11000 - w);
    }
}

void TestFurniture::pageInfoLineWrapsOnNarrowPages_data()
{
    // 10 pt: the operator is 1100 wide, the page number 1700, the date 2200, a line 250 high.
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<double>>("tops"); // of operator, page number, date
    QTest::newRow("90 mm: the date moves down") << 5103 << QList<double> { 2000, 2000, 2300 };
    QTest::newRow("one item a line") << 3000 << QList<double> { 2000, 2300, 2600 };
    QTest::newRow("wide: one line") << 10000 << QList<double> { 2000, 2000, 2000 };
}

void TestFurniture::pageInfoLineWrapsOnNarrowPages()
{
    QFETCH(int, width);
    QFETCH(QList<double>, tops);
    EngineState &s = m_fx->setWidth(width).state();
    s.Format.PrintOperator = s.Format.PrintPageNo = s.Format.PrintDate = 1;
    m_fx->job.setOperator(u"张三"_qs);
    DrawPageInfoLine(m_fx->page());
    const QList<PrintedText> p = texts(m_fx->surface);
    QCOMPARE(p.size(), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(p[i].y, tops[i]);
    // Each item keeps its place across the page: left, centred, right.
    QCOMPARE(p[0].x, 1000.0);
    QCOMPARE(p[1].x, double(roundHalfEven(1000 + (width - 1700) / 2.0)));
    QCOMPARE(p[2].x, 1000.0 + width - 2200);
    QCOMPARE(s.PageOriginY, qint32(tops[2]) + 300);
}

void TestFurniture::logoPicturePlaces_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<int>("advance");
    // The picture is 1440 × 1440 twips (96 × 96 pixels at 96 dpi); bottom margin 500.
    QTest::newRow("0 centred, in the flow") << 0 << 1000 + (10000 - 1440) / 2.0 << 2000.0 << 1440;
    QTest::newRow("1 left, in the flow") << 1 << 1000.0 << 2000.0 << 1440;
    QTest::newRow("2 right, in the flow") << 2 << 11000.0 - 1440 << 2000.0 << 1440;
    QTest::newRow("3 left, at the foot") << 3 << 1000.0 << 2000.0 + 15000 - 1440 - 500 << 0;
    QTest::newRow("4 right, at the foot")
        << 4 << 11000.0 - 1440 << 2000.0 + 15000 - 1440 - 500 << 0;
    QTest::newRow("5 centred, at the foot")
        << 5 << 1000 + (10000 - 1440) / 2.0 << 2000.0 + 15000 - 1440 - 500 << 0;
}

void TestFurniture::logoPicturePlaces()
{
    QFETCH(int, code);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(int, advance);
    QImage picture(96, 96, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    picture.setDotsPerMeterX(3780);
    picture.setDotsPerMeterY(3780);
    const QString path = m_dir.filePath(u"logo.png"_qs);
    QVERIFY(picture.save(path));
    EngineState &s = m_fx->state();
    s.Format.LogPicPrt = 1;
    s.Format.LogPicLoc = qint16(code);
    s.BottomMarginTw = 500;
    DrawLogoPicture(m_fx->page(), path);
    const QList<Op> paints = m_fx->surface.ops(u"PaintPicture"_qs);
    QCOMPARE(paints.size(), 1);
    QCOMPARE(paints[0].args.mid(0, 5),
        (QVariantList {
            u"96x96"_qs, double(roundHalfEven(x)), double(roundHalfEven(y)), 1440.0, 1440.0 }));
    QCOMPARE(s.PageOriginY, 2000 + advance);
    QCOMPARE(s.LogoHeightTw, 1440);
}

void TestFurniture::missingOrBrokenLogoDrawsNothing()
{
    EngineState &s = m_fx->state();
    s.Format.LogPicPrt = 1;
    DrawLogoPicture(m_fx->page(), m_dir.filePath(u"gone.png"_qs));
    const QString broken = m_dir.filePath(u"broken.png"_qs);
    QFile f(broken);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("\x89PNG broken");
    f.close();
    DrawLogoPicture(m_fx->page(), broken);
    QVERIFY(m_fx->surface.ops(u"PaintPicture"_qs).isEmpty());
    QCOMPARE(s.PageOriginY, 2000);
    s.Format.LogPicPrt = 0;
    DrawLogoPicture(m_fx->page(), broken);
    QVERIFY(m_fx->surface.ops().isEmpty());
}

void TestFurniture::logoTextPlaces_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<double>("markerX");
    QTest::addColumn<double>("markerY");
    QTest::addColumn<QVariant>("textX"); // invalid: no text
    // Page at (1000, 2000) inside margins 500 all round, offsets 0: the logical sheet area is
    // 11000 × 16000 from (500, 1500). The marker is 48 px = 720 twips, drawn at 180.
    const double L = 500, R = 11000 - 180 + 500, CX = (11000 - 180) / 2.0 + 500;
    const double T = 1500, B = 16000 - 180 + 1500, CY = (16000 - 180) / 2.0 + 1500;
    // The text "公司" is 400 wide in font 8 (10 pt).
    QTest::newRow("0 top centre, text right") << 0 << u"seal"_qs << CX << T << QVariant(CX + 180);
    QTest::newRow("1 top left, text right") << 1 << u"seal"_qs << L << T << QVariant(L + 180);
    QTest::newRow("2 top left, stamp alone") << 2 << u"stamp"_qs << L << T << QVariant();
    QTest::newRow("3 middle left") << 3 << u"stamp"_qs << L << CY << QVariant();
    QTest::newRow("4 bottom left, text right") << 4 << u"seal"_qs << L << B << QVariant(L + 180);
    QTest::newRow("6 top right, text before") << 6 << u"seal"_qs << R << T << QVariant(R - 400);
    QTest::newRow("7 top right, stamp alone") << 7 << u"stamp"_qs << R << T << QVariant();
    QTest::newRow("9 bottom right, text before") << 9 << u"seal"_qs << R << B << QVariant(R - 400);
    QTest::newRow("11 bottom centre") << 11 << u"seal"_qs << CX << B << QVariant(CX + 180);
}

void TestFurniture::logoTextPlaces()
{
    QFETCH(int, code);
    QFETCH(QString, marker);
    QFETCH(double, markerX);
    QFETCH(double, markerY);
    QFETCH(QVariant, textX);
    EngineState &s = m_fx->state();
    s.LeftMarginTw = s.RightMarginTw = s.TopMarginTw = s.BottomMarginTw = 500;
    s.Format.LogTextPrt = 1;
    s.Format.LogText = u"公司"_qs;
    s.Format.LogTextLoc = qint16(code);
    s.FontTable[7].Size = 9;
    DrawLogoText(m_fx->page(), 1000, 2000);
    const QList<Op> paints = m_fx->surface.ops(u"PaintPicture"_qs);
    QCOMPARE(paints.size(), 1);
    QCOMPARE(paints[0].args.value(1).toDouble(), double(roundHalfEven(markerX)));
    QCOMPARE(paints[0].args.value(2).toDouble(), double(roundHalfEven(markerY)));
    QCOMPARE(paints[0].args.value(3).toDouble(), 180.0);
    Q_UNUSED(marker);
    const QList<PrintedText> p = texts(m_fx->surface);
    QCOMPARE(p.isEmpty(), !textX.isValid());
    if (!p.isEmpty()) {
        QCOMPARE(p[0].x, double(roundHalfEven(textX.toDouble())));
        QCOMPARE(p[0].y, double(roundHalfEven(markerY)));
        // Measured with font 8 (10 pt), printed with font 7 (9 pt).
        QCOMPARE(m_fx->surface.FontSize(), 9.0);
    }
}

void TestFurniture::logoAtHalfZoom()
{
    QImage picture(96, 48, QImage::Format_RGB32);
    picture.fill(Qt::red);
    picture.setDotsPerMeterX(3780);
    picture.setDotsPerMeterY(3780);
    const QString path = m_dir.filePath(u"half.png"_qs);
    QVERIFY(picture.save(path));
    EngineState &s = m_fx->setZoom(0.5).state();
    s.Format.LogPicPrt = 1;
    s.Format.LogPicLoc = 1;
    s.Format.LogTextPrt = 1;
    s.Format.LogTextLoc = 2;
    DrawLogoPicture(m_fx->page(), path);
    DrawLogoText(m_fx->page(), 1000, 2000);
    const QList<Op> paints = m_fx->surface.ops(u"PaintPicture"_qs);
    QCOMPARE(paints.size(), 2);
    QCOMPARE(paints[0].args.mid(1, 4), (QVariantList { 500.0, 1000.0, 720.0, 360.0 }));
    QCOMPARE(paints[1].args.value(3).toDouble(), 90.0); // the marker at an eighth: 720 / 8
    QCOMPARE(s.PageOriginY, 2000 + 720); // page twips, unzoomed
}

QUILLON_TEST_MAIN(TestFurniture)
#include "tst_furniture.moc"
