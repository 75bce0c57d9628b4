#include "support/pagefixture.h"
#include "testmain.h"

#include "engine/draw/textprimitives.h"
#include "engine/state/enginestate.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "platform/interfaces/memorysettingsstore.h"

#include <quillon/myprint.h>

using namespace quillon;

// The recording surface measures a narrow character as 10 × the font size in twips, a wide
// one as 20 ×, and a line as 25 × high: at 10 pt "AB" is 200 × 250, "汉" 200 wide.
class TestTextPrimitives : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void blankTextOrZeroWidthDrawsNothing_data();
    void blankTextOrZeroWidthDrawsNothing();
    void numericTextOverflowsOnOneLine();
    void wrappingStopsAtTheLineBudget();
    void cellTooLowStillGetsItsFirstLine();
    void noWrappingForCellType3();
    void wrappingKeepsSurrogatePairs();
    void fittingShrinksAndWritesBackTheWholePoint();
    void textColour_data();
    void textColour();
    void alignment_data();
    void alignment();
    void applyFontMeasuresUnzoomed();
    void spreadTextTriesMoreLinesBeforeShrinking();
    void spreadTextShrinksNoFurtherThanTheFloor();
    void spreadTextLongCharacterStandsAlone();
    void cutMarks_data();
    void cutMarks();

private:
    QList<RecordingSurface::Op> prints() const { return m_fx->surface.ops(u"Print"_qs); }
    void setKind(int kind) { m_fx->job.setGridType(MyPrint::MnuGridType(kind)); }
    /// The last value given to a setter before the first Print.
    QVariant lastBeforePrint(const QString &name) const;

    SinglePrinterSystem *m_system = nullptr;
    std::optional<PageFixture> m_fx;
    FontSpec m_font { u"宋体"_qs, 10 };
};

void TestTextPrimitives::init()
{
    auto system = std::make_unique<SinglePrinterSystem>(11906, 16838, 11906, 16838);
    m_system = system.get();
    TestPlatform::install(std::move(system));
    m_fx.emplace();
    setKind(5);
    m_font = { u"宋体"_qs, 10 };
}

void TestTextPrimitives::cleanup()
{
    m_fx.reset();
    TestPlatform::uninstall();
}

QVariant TestTextPrimitives::lastBeforePrint(const QString &name) const
{
    QVariant value;
    for (const RecordingSurface::Op &op : m_fx->surface.ops()) {
        if (op.name == u"Print"_qs)
            break;
        if (op.name == name)
            value = op.args.value(0);
    }
    return value;
}

void TestTextPrimitives::blankTextOrZeroWidthDrawsNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::newRow("empty") << QString() << 1000;
    QTest::newRow("blanks") << u"    "_qs << 1000;
    QTest::newRow("zero width") << u"合计"_qs << 0;
}

void TestTextPrimitives::blankTextOrZeroWidthDrawsNothing()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    CellBox cell { 0, 0, width, 500 };
    PrintCellText(m_fx->page(), text, cell, m_font);
    PrintSpreadCellText(m_fx->page(), text, cell, m_font);
    QVERIFY(m_fx->surface.ops().isEmpty());
}

void TestTextPrimitives::numericTextOverflowsOnOneLine()
{
    CellBox cell { 500, 1000, 600, 400, 7 }; // right-centre
    PrintCellText(m_fx->page(), u"12345.67"_qs, cell, m_font);
    QCOMPARE(prints().size(), 1);
    // 800 twips wide in a 600 cell: right-aligned, it runs out to the left.
    QCOMPARE(prints()[0].args, (QVariantList { u"12345.67"_qs, 770.0, 575.0 }));
}

void TestTextPrimitives::wrappingStopsAtTheLineBudget()
{
    CellBox cell { 100, 1000, 700, 500, 1 }; // room for two lines of 250
    PrintCellText(m_fx->page(), u"一二三四五六七八九十"_qs, cell, m_font);
    QCOMPARE(prints().size(), 2);
    QCOMPARE(prints()[0].args, (QVariantList { u"一二三"_qs, 1030.0, 100.0 }));
    QCOMPARE(prints()[1].args, (QVariantList { u"四五六"_qs, 1030.0, 380.0 }));
}

void TestTextPrimitives::cellTooLowStillGetsItsFirstLine()
{
    CellBox cell { 100, 1000, 700, 100, 1 };
    PrintCellText(m_fx->page(), u"一二三四五六七八九十"_qs, cell, m_font);
    QCOMPARE(prints().size(), 1);
    QCOMPARE(prints()[0].args.value(0), QVariant(u"一二三"_qs));
}

void TestTextPrimitives::noWrappingForCellType3()
{
    CellBox cell { 100, 1000, 700, 500, 1 };
    cell.CellType = 3;
    PrintCellText(m_fx->page(), u"一二三四五六七八九十"_qs, cell, m_font);
    QCOMPARE(prints().size(), 1);
    QCOMPARE(prints()[0].args.value(0), QVariant(u"一二三四五六七八九十"_qs));
    // Trailing blanks and line breaks never reach the page.
    m_fx->surface.clear();
    CellBox wide { 0, 0, 5000, 500, 1 };
    PrintCellText(m_fx->page(), u"合\r\n计  "_qs, wide, m_font);
    QCOMPARE(prints()[0].args.value(0), QVariant(u"合计"_qs));
}

void TestTextPrimitives::wrappingKeepsSurrogatePairs()
{
    CellBox cell { 0, 0, 700, 2000, 1 };
    const QString rare = u"𠀀"_qs;
    PrintCellText(m_fx->page(), rare.repeated(6), cell, m_font);
    QCOMPARE(prints().size(), 2);
    for (const auto &op : prints())
        QCOMPARE(op.args.value(0).toString(), rare.repeated(3));
}

void TestTextPrimitives::fittingShrinksAndWritesBackTheWholePoint()
{
    m_fx->setReduceFont(true);
    m_font.Size = 10.5;
    CellBox cell { 0, 0, 700, 400, 4 };
    PrintCellText(m_fx->page(), u"合计金额"_qs, cell, m_font);
    // 10.5, 9.5 and 8.5 points are too wide; 7.5 (600 + 30 < 700) fits.
    QCOMPARE(lastBeforePrint(u"FontSize"_qs).toDouble(), 7.5);
    QCOMPARE(m_font.Size, 10.0); // written back as a whole point
    QCOMPARE(prints().size(), 1);
    QCOMPARE(prints()[0].args, (QVariantList { u"合计金额"_qs, 50.0, 106.0 }));
}

void TestTextPrimitives::textColour_data()
{
    QTest::addColumn<int>("colorPrint");
    QTest::addColumn<bool>("colourPrinter");
    QTest::addColumn<int>("outputMode");
    QTest::addColumn<int>("colour");
    QTest::newRow("colour printing") << 1 << true << 1 << 255;
    QTest::newRow("colour printing off") << 0 << true << 1 << 0;
    QTest::newRow("colour printing off, preview") << 0 << true << 2 << 0;
    QTest::newRow("printer without colour") << 1 << false << 1 << 0;
    QTest::newRow("printer without colour, preview") << 1 << false << 2 << 0;
}

void TestTextPrimitives::textColour()
{
    QFETCH(int, colorPrint);
    QFETCH(bool, colourPrinter);
    QFETCH(int, outputMode);
    QFETCH(int, colour);
    m_fx->state().Format.ColorPrint = qint16(colorPrint);
    m_fx->state().OutputMode = qint16(outputMode);
    m_system->printer.setColorCapable(colourPrinter);
    m_font.Color = 255;
    CellBox cell { 0, 0, 3000, 500, 4 };
    PrintCellText(m_fx->page(), u"红字"_qs, cell, m_font);
    QCOMPARE(lastBeforePrint(u"ForeColor"_qs).toInt(), colour);
    QCOMPARE(m_font.Color, 255); // the record keeps its colour
}

void TestTextPrimitives::alignment_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("hor");
    QTest::addColumn<int>("ver");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("horAfter");
    // Cell: left 1000, top 2000, 2000 × 600. "AB" is 200 × 250 at 10 pt, "12.5" 400 wide,
    // "2026-12-07" 1000 wide. Left 1030, centre 1900, right 2770; top 2030, middle 2175,
    // bottom 2320.
    const QString ab = u"AB"_qs, num = u"12.5"_qs, date = u"2026-12-07"_qs;
    auto row
        = [](const char *name, int kind, int hor, int ver, const QString &text, int x, int y,
              int after) { QTest::newRow(name) << kind << hor << ver << text << x << y << after; };
    row("voucher centre", 2, 0, 0, ab, 1900, 2175, 0);
    row("voucher left top", 2, 1, 1, ab, 1030, 2030, 1);
    row("voucher right bottom", 2, 2, 2, ab, 2770, 2320, 2);
    row("data left, always middle", 3, 0, 1, ab, 1030, 2175, 0);
    row("data centre", 4, 1, 0, ab, 1900, 2175, 1);
    row("data right", 3, 2, 0, ab, 2770, 2175, 2);
    row("data general number", 3, 3, 0, num, 2570, 2175, 2);
    row("data general date", 4, 3, 0, date, 1500, 2175, 1);
    row("data general text", 3, 3, 0, ab, 1030, 2175, 0);
    row("flex left top", 5, 0, 0, ab, 1030, 2030, 0);
    row("flex left bottom", 5, 2, 0, ab, 1030, 2320, 2);
    row("flex centre centre", 6, 4, 0, ab, 1900, 2175, 4);
    row("flex right top", 5, 6, 0, ab, 2770, 2030, 6);
    row("flex right bottom", 5, 8, 0, ab, 2770, 2320, 8);
    row("flex general number", 5, 9, 0, num, 2570, 2175, 7);
    row("flex general date", 6, 9, 0, date, 1500, 2175, 4);
    row("flex general text", 5, 9, 0, ab, 1030, 2175, 1);
    // A percentage is a number: right-aligned by the general alignment of every kind.
    row("flex general percentage", 5, 9, 0, u"76.4%"_qs, 2470, 2175, 7);
    row("data general negative percentage", 3, 3, 0, u"-3%"_qs, 2670, 2175, 2);
    row("plain grid text", 7, 3, 0, ab, 1030, 2175, 3);
    row("plain grid number", 7, 3, 0, num, 2570, 2175, 3);
    row("plain grid percentage, blank before the sign", 7, 3, 0, u"12.5 %"_qs, 2370, 2175, 3);
    row("spread left middle", 8, 0, 0, ab, 1030, 2175, 0);
    row("spread right top", 8, 1, 1, ab, 2770, 2030, 1);
    row("spread centre bottom", 8, 2, 2, ab, 1900, 2320, 2);
}

void TestTextPrimitives::alignment()
{
    QFETCH(int, kind);
    QFETCH(int, hor);
    QFETCH(int, ver);
    QFETCH(QString, text);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, horAfter);
    setKind(kind);
    CellBox cell { 2000, 1000, 2000, 600, qint16(hor), qint16(ver) };
    PrintCellText(m_fx->page(), text, cell, m_font);
    QCOMPARE(prints().size(), 1);
    QCOMPARE(prints()[0].args, (QVariantList { text, double(x), double(y) }));
    QCOMPARE(cell.HorAlign, horAfter);
}

void TestTextPrimitives::applyFontMeasuresUnzoomed()
{
    m_fx->setZoom(2);
    FontSpec font { u"楷体_GB2312"_qs, 10, true, true, false, true, 128 };
    const TextSize size = ApplyFont(m_fx->page(), u"汉字"_qs, font);
    QCOMPARE(size.width, 400);
    QCOMPARE(size.height, 250);
    QCOMPARE(m_fx->surface.FontSize(), 20.0);
    QCOMPARE(m_fx->surface.FontName(), u"楷体_GB2312"_qs);
    QVERIFY(m_fx->surface.FontBold());
    QVERIFY(m_fx->surface.FontItalic());
    QVERIFY(m_fx->surface.FontUnderline());
    QCOMPARE(m_fx->surface.ForeColor(), 128);
}

void TestTextPrimitives::spreadTextTriesMoreLinesBeforeShrinking()
{
    m_fx->setReduceFont(true);
    setKind(8);
    CellBox cell { 0, 0, 700, 600, 0 };
    PrintSpreadCellText(m_fx->page(), u"一二三四五六"_qs, cell, m_font);
    // Two lines at 10 pt are still too wide; at 9 pt two lines of 555 fit.
    QCOMPARE(lastBeforePrint(u"FontSize"_qs).toDouble(), 9.0);
    QCOMPARE(m_font.Size, 10.0);
    QCOMPARE(prints().size(), 2);
    QCOMPARE(prints()[0].args, (QVariantList { u"一二三"_qs, 30.0, 0.0 }));
    QCOMPARE(prints()[1].args, (QVariantList { u"四五六"_qs, 30.0, 255.0 }));
}

void TestTextPrimitives::spreadTextShrinksNoFurtherThanTheFloor()
{
    m_fx->setReduceFont(true);
    setKind(8);
    CellBox cell { 0, 0, 300, 200, 0 };
    PrintSpreadCellText(m_fx->page(), u"一段很长很长很长很长的说明文字"_qs, cell, m_font);
    double smallest = 100;
    for (const auto &op : m_fx->surface.ops(u"FontSize"_qs))
        smallest = std::min(smallest, op.args.value(0).toDouble());
    QCOMPARE(smallest, kMinSpreadFontSize);
    QCOMPARE(m_font.Size, 10.0);
    QVERIFY(!prints().isEmpty());
}

void TestTextPrimitives::spreadTextLongCharacterStandsAlone()
{
    setKind(8);
    CellBox cell { 0, 0, 150, 2000, 0 }; // narrower than one wide character
    PrintSpreadCellText(m_fx->page(), u"汉字"_qs, cell, m_font);
    QCOMPARE(prints().size(), 2);
    QCOMPARE(prints()[0].args.value(0), QVariant(u"汉"_qs));
    QCOMPARE(prints()[1].args.value(0), QVariant(u"字"_qs));
}

void TestTextPrimitives::cutMarks_data()
{
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QList<QList<double>>>("lines");
    QTest::newRow("printer") << 1.0
                             << QList<QList<double>> { { 1000, 2000, 1567, 2000 },
                                    { 1000, 2000, 1000, 2567 }, { 6000, 2000, 5433, 2000 },
                                    { 6000, 2000, 6000, 2567 }, { 1000, 5000, 1567, 5000 },
                                    { 1000, 5000, 1000, 4433 }, { 6000, 5000, 5433, 5000 },
                                    { 6000, 5000, 6000, 4433 } };
    QTest::newRow("preview at 50%")
        << 0.5
        << QList<QList<double>> { { 500, 1000, 784, 1000 }, { 500, 1000, 500, 1284 },
               { 3000, 1000, 2716, 1000 }, { 3000, 1000, 3000, 1284 }, { 500, 2500, 784, 2500 },
               { 500, 2500, 500, 2216 }, { 3000, 2500, 2716, 2500 }, { 3000, 2500, 3000, 2216 } };
}

void TestTextPrimitives::cutMarks()
{
    QFETCH(double, zoom);
    QFETCH(QList<QList<double>>, lines);
    m_fx->setZoom(zoom);
    m_fx->surface.setDrawWidth(3);
    m_fx->surface.clear();
    DrawCutMarks(m_fx->page(), 1000, 2000, 5000, 3000);
    QCOMPARE(m_fx->surface.ops().first().toString(), u"DrawWidth 1"_qs);
    const QList<RecordingSurface::Op> drawn = m_fx->surface.ops(u"Line"_qs);
    QCOMPARE(drawn.size(), 8);
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(drawn[i].args.mid(0, 4),
            (QVariantList { lines[i][0], lines[i][1], lines[i][2], lines[i][3] }));
        QCOMPARE(drawn[i].args.value(4).toInt(), 32768);
    }
}

QUILLON_TEST_MAIN(TestTextPrimitives)
#include "tst_textprimitives.moc"
