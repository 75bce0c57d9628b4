#include "api/myprint_p.h"
#include "support/testplatform.h"
#include "testmain.h"

#include "engine/layout/loadsettings.h"
#include "engine/state/enginestate.h"
#include "engine/state/formatio.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "engine/state/registry.h"
#include "platform/filesettingsstore.h"
#include "platform/interfaces/memorysettingsstore.h"
#include "platform/interfaces/surface.h"
#include "printer/virtualprintingsystem.h"

#include <quillon/datagrid.h>
#include <quillon/error.h>
#include <quillon/flexgrid.h>
#include <quillon/myprint.h>
#include <quillon/sheetgrid.h>
#include <quillon/spreadgrid.h>
#include <quillon/vouchergrid.h>

#include <QTemporaryDir>

using namespace quillon;

namespace {

const QString kReport = QStringLiteral("月报");
const QString kFull = QStringLiteral("HKEY_LOCAL_MACHINE\\") + kFormatKeyBase + kReport;
const QString kCommonFull = QStringLiteral("HKEY_LOCAL_MACHINE\\") + kCommonKey;

QList<VirtualPrinterSpec> testPrinters()
{
    VirtualPrinterSpec laser;
    laser.deviceName = QStringLiteral("Office Laser");
    laser.output = VirtualPrinterSpec::Output::Recording;
    laser.paperCodes = { 9, 11 };
    laser.paperSize = 9;
    laser.color = false;
    VirtualPrinterSpec wide;
    wide.deviceName = QStringLiteral("Wide Color");
    wide.output = VirtualPrinterSpec::Output::Recording;
    wide.paperCodes = { 8, 9 };
    wide.paperSize = 8;
    wide.marginTwips = 284;
    wide.userSizeTwips = QSizeF(12000, 8000);
    return { laser, wide };
}

QStringList fontNames()
{
    QStringList names { u"FONT0_Size"_qs, u"FONT0_Name"_qs, u"FONT0_Color"_qs, u"FONT0_Bold"_qs };
    for (int n = 1; n <= 9; ++n) {
        for (const char *suffix : { "Name", "Size", "Color", "Bold" })
            names << QStringLiteral("FONT%1_%2").arg(n).arg(QLatin1String(suffix));
    }
    return names;
}

const QStringList kValueNames = {
    u"PaperOriention"_qs,
    u"FullPage"_qs,
    u"PageWidth"_qs,
    u"PageHeight"_qs,
    u"AutoArrange"_qs,
    u"HoriCutPage"_qs,
    u"MultFixCol"_qs,
    u"Left"_qs,
    u"Right"_qs,
    u"Top"_qs,
    u"Bottom"_qs,
    u"LineCount"_qs,
    u"LineHeight"_qs,
    u"FillBlankLine"_qs,
    u"HCenter"_qs,
    u"VCenter"_qs,
    u"ColorPrint"_qs,
    u"Cutline"_qs,
    u"Cyline"_qs,
    u"PrintDate"_qs,
    u"PrintOperator"_qs,
    u"PrintPageNo"_qs,
    u"ReduceFont"_qs,
    u"LogPicPrt"_qs,
    u"LogPic"_qs,
    u"LogPicLoc"_qs,
    u"LogtextPrt"_qs,
    u"Logtext"_qs,
    u"LogTextLoc"_qs,
    u"GridColor"_qs,
};

} // namespace

class TestFormatIo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void firstLoadStoresEveryDefault();
    void storedFormatWinsOverProperties();
    void printedColumnRange_data();
    void printedColumnRange();
    void gridFactsPerKind();
    void printerChosenByTrimmedName();
    void unknownPrinterFallsBackWithMessage();
    void refusedPaperFallsBackWithMessage();
    void paperZeroTakesThePrintersPaper();
    void userDefinedPaperIsHeldAs42();
    void fixRowsHeightTwips_data();
    void fixRowsHeightTwips();
    void hierarchicalWidthsMadeExplicit();
    void fontsLoadAsWholeNumbers();
    void badNumbersFallBackAndKeepStoredText();
    void zoomRateFromCommonKey();
    void gridErrorReachesCaller();
    void saveWritesInOrder();
    void clearedLogoPathKeepsStoredValue();
    void voucherColoursOnlyForVouchers();
    void roundTripThroughFileStore();

private:
    void useStore(std::unique_ptr<SettingsStore> store);
    void load()
    {
        LoadFormat(engineState());
        LoadSettings(engineState());
    }
    QString stored(const QString &name) const
    {
        return m_store->value(kFull, name).value_or(u"<none>"_qs);
    }

    MemorySettingsStore *m_store = nullptr;
    RecordingMessageSink *m_sink = nullptr;
    VirtualPrintingSystem *m_printing = nullptr;
    std::unique_ptr<MyPrint> m_job;
    std::unique_ptr<FlexGrid> m_grid;
};

void TestFormatIo::init()
{
    auto printing = std::make_unique<VirtualPrintingSystem>(testPrinters());
    m_printing = printing.get();
    const TestPlatform platform = TestPlatform::install(std::move(printing));
    m_store = platform.store;
    m_sink = platform.sink;

    m_grid = std::make_unique<FlexGrid>();
    m_grid->setSize(30, 6);
    m_grid->setFixedRows(1);
    m_job = std::make_unique<MyPrint>();
    m_job->setPrintKeyName(kReport);
    m_job->setDatagrid(m_grid.get());
    m_job->setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    engineState().setPrintObject(&MyPrintPrivate::get(*m_job));
}

void TestFormatIo::cleanup()
{
    m_job.reset();
    m_grid.reset();
    TestPlatform::uninstall();
}

void TestFormatIo::useStore(std::unique_ptr<SettingsStore> store)
{
    m_store = nullptr;
    setSettingsStore(std::move(store));
}

void TestFormatIo::firstLoadStoresEveryDefault()
{
    load();
    QVERIFY(m_sink->messages().isEmpty());
    const EngineState &s = engineState();
    QCOMPARE(s.FormatKey, kFormatKeyBase + kReport);

    // Every value is stored, in the order it is loaded.
    QCOMPARE(m_store->valueNames(kFull),
        QStringList({ u"PrinterName"_qs, u"PaperSize"_qs }) + fontNames() + kValueNames);
    QCOMPARE(m_store->valueNames(kCommonFull), QStringList { u"ZoomRate"_qs });

    QCOMPARE(stored(u"PrinterName"_qs), u"Office Laser"_qs);
    QCOMPARE(stored(u"PaperSize"_qs), u"0"_qs); // the property's default is what is stored
    QCOMPARE(s.Format.PaperSize, 9); // and the printer's paper what is used
    QCOMPARE(stored(u"Top"_qs), u"10"_qs);
    QCOMPARE(stored(u"Bottom"_qs), u"5"_qs);
    QCOMPARE(stored(u"Left"_qs), u"5"_qs);
    QCOMPARE(stored(u"Right"_qs), u"5"_qs);
    // A4 is 11900 × 16840 twips: 209 × 297 whole millimetres, less the margins.
    QCOMPARE(stored(u"PageWidth"_qs), u"199"_qs);
    QCOMPARE(stored(u"PageHeight"_qs), u"282"_qs);
    QCOMPARE(m_job->PageWidth(), 199);
    QCOMPARE(m_job->PageHeight(), 282);
    QCOMPARE(stored(u"FullPage"_qs), u"1"_qs);
    QCOMPARE(stored(u"GridColor"_qs), u"32768"_qs);
    QCOMPARE(stored(u"FONT0_Size"_qs), u"24"_qs);
    QCOMPARE(stored(u"FONT1_Size"_qs), u"11"_qs);
    QCOMPARE(stored(u"FONT9_Name"_qs), u"宋体"_qs);
    QCOMPARE(stored(u"LogTextLoc"_qs), u"1"_qs);
    QCOMPARE(stored(u"FillBlankLine"_qs), u"0"_qs);
    QCOMPARE(m_store->value(kCommonFull, u"ZoomRate"_qs), std::optional<QString>(u"1"_qs));

    QCOMPARE(s.FontTable[0].Size, 24.0);
    QCOMPARE(s.FontTable[5].Size, 11.0);
    QCOMPARE(s.Format.Top, 10);
    QCOMPARE(s.Format.ColorPrint, 1);
    QCOMPARE(s.Format.LogTextLoc, 1);
    QCOMPARE(s.ZoomRate, 1.0);
}

void TestFormatIo::storedFormatWinsOverProperties()
{
    m_job->setTopMargin(20);
    m_job->setFillBlankLines(true);
    m_job->setPageHCenter(true);
    load();
    QCOMPARE(engineState().Format.Top, 20);
    QCOMPARE(engineState().Format.FillBlankLine, 1);
    QCOMPARE(engineState().Format.HCenter, 1);

    // Once stored, the report's format wins over the host's properties.
    m_job->setTopMargin(30);
    m_job->setFillBlankLines(false);
    resetEngineState();
    engineState().setPrintObject(&MyPrintPrivate::get(*m_job));
    load();
    QCOMPARE(engineState().Format.Top, 20);
    QCOMPARE(engineState().Format.FillBlankLine, 1);
}

void TestFormatIo::printedColumnRange_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("colStart");
    QTest::addColumn<int>("colEnd");
    QTest::newRow("flex, defaults") << 5 << -1 << -1 << 0 << 5;
    QTest::newRow("flex, start past the grid") << 5 << 6 << -1 << 0 << 5;
    QTest::newRow("flex, inside") << 5 << 2 << 3 << 2 << 3;
    QTest::newRow("flex, end past the grid") << 5 << 1 << 6 << 1 << 5;
    QTest::newRow("flex, last column") << 5 << 5 << 5 << 5 << 5;
    QTest::newRow("plain grid") << 7 << -3 << 4 << 0 << 4;
    QTest::newRow("spread ignores the properties") << 8 << 2 << 3 << 1 << 6;
    QTest::newRow("sheet ignores the properties") << 1 << 2 << 3 << 1 << 6;
}

void TestFormatIo::printedColumnRange()
{
    QFETCH(int, kind);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, colStart);
    QFETCH(int, colEnd);
    SpreadGrid spread;
    spread.setMaxRows(10);
    spread.setMaxCols(6);
    SheetGrid sheet;
    sheet.setTextRC(3, 6, u"x"_qs);
    QObject *grid = kind == 8 ? static_cast<QObject *>(&spread)
        : kind == 1           ? static_cast<QObject *>(&sheet)
                              : static_cast<QObject *>(m_grid.get());
    m_job->setDatagrid(grid);
    m_job->setGridType(MyPrint::MnuGridType(kind));
    m_job->setPrintColStart(start);
    m_job->setPrintColEnd(end);
    LoadFormat(engineState());
    QCOMPARE(engineState().GridCols, 6);
    QCOMPARE(engineState().ColStart, colStart);
    QCOMPARE(engineState().ColEnd, colEnd);
}

void TestFormatIo::gridFactsPerKind()
{
    SheetGrid sheet;
    sheet.setMaxRow(100);
    sheet.setTextRC(20, 2, u"末行"_qs);
    sheet.setFixedRows(2);
    m_job->setDatagrid(&sheet);
    m_job->setGridType(MyPrint::MnuGridType::ssFormOne6);
    LoadFormat(engineState());
    QCOMPARE(engineState().GridRows, 20);
    QCOMPARE(engineState().FixedRowsTop, 2);

    SpreadGrid spread;
    spread.setMaxRows(40);
    spread.setMaxCols(3);
    m_job->setDatagrid(&spread);
    m_job->setGridType(MyPrint::MnuGridType::ssSpread);
    LoadFormat(engineState());
    QCOMPARE(spread.UnitType(), 2);
    QCOMPARE(engineState().GridRows, 40);
    QCOMPARE(engineState().FixedRowsTop, 0);
    QCOMPARE(engineState().FixedCols, 1);

    // Data grids take their row count from the print object.
    m_job->setGridType(MyPrint::MnuGridType::ssMsDataGrid);
    m_job->setGridrows(77);
    DataGrid data;
    data.appendColumn(u"a"_qs, 100);
    m_job->setDatagrid(&data);
    LoadFormat(engineState());
    QCOMPARE(engineState().GridRows, 77);
    QCOMPARE(engineState().GridCols, 1);
    QCOMPARE(engineState().FixedCols, 0); // no longer the spread's 1
}

void TestFormatIo::printerChosenByTrimmedName()
{
    QVERIFY(m_store->createKey(kFull));
    QVERIFY(m_store->setValue(kFull, u"PrinterName"_qs, u"  Wide Color   "_qs));
    LoadFormat(engineState());
    QVERIFY(m_sink->messages().isEmpty());
    QCOMPARE(m_printing->currentPrinter()->DeviceName(), u"Wide Color"_qs);
    QCOMPARE(engineState().Format.PrinterName, u"Wide Color"_qs);
}

void TestFormatIo::unknownPrinterFallsBackWithMessage()
{
    QVERIFY(m_store->createKey(kFull));
    QVERIFY(m_store->setValue(kFull, u"PrinterName"_qs, u"Gone Printer"_qs));
    LoadFormat(engineState());
    QCOMPARE(m_sink->messages().size(), 1);
    QCOMPARE(
        m_sink->messages()[0].prompt, u"指定打印机:Gone Printer未找到，系统使用缺省打印机。"_qs);
    QCOMPARE(m_sink->messages()[0].buttons, 0x10000);
    QCOMPARE(m_sink->messages()[0].title, u"打印预览"_qs);
    QCOMPARE(engineState().Format.PrinterName, u"Office Laser"_qs);
    QCOMPARE(stored(u"PrinterName"_qs), u"Gone Printer"_qs); // stored at the next save only
}

void TestFormatIo::refusedPaperFallsBackWithMessage()
{
    m_job->setPaperSize(8); // A3, which the laser does not take
    LoadFormat(engineState());
    QCOMPARE(m_sink->messages().size(), 1);
    QCOMPARE(m_sink->messages()[0].prompt, u"当前打印机不支持指定纸张，系统使用缺省纸张。"_qs);
    QCOMPARE(m_sink->messages()[0].buttons, 0x10000 | 16);
    QCOMPARE(engineState().Format.PaperSize, 9);
    // The rest of the load still ran.
    QCOMPARE(engineState().ColEnd, 5);
    QCOMPARE(m_job->PageWidth(), 199);

    m_sink->clear();
    m_job->setPaperSize(11);
    resetEngineState();
    engineState().setPrintObject(&MyPrintPrivate::get(*m_job));
    m_store->removeValue(kFull, u"PaperSize"_qs);
    LoadFormat(engineState());
    QVERIFY(m_sink->messages().isEmpty());
    QCOMPARE(engineState().Format.PaperSize, 11);
    QCOMPARE(m_printing->currentPrinter()->PaperSize(), 11);
}

void TestFormatIo::paperZeroTakesThePrintersPaper()
{
    QVERIFY(m_store->createKey(kFull));
    QVERIFY(m_store->setValue(kFull, u"PrinterName"_qs, u"Wide Color"_qs));
    LoadFormat(engineState());
    QCOMPARE(engineState().Format.PaperSize, 8);
}

void TestFormatIo::userDefinedPaperIsHeldAs42()
{
    QVERIFY(m_store->createKey(kFull));
    QVERIFY(m_store->setValue(kFull, u"PrinterName"_qs, u"Wide Color"_qs));
    QVERIFY(m_store->setValue(kFull, u"PaperSize"_qs, u"256"_qs));
    LoadFormat(engineState());
    QVERIFY(m_sink->messages().isEmpty());
    QCOMPARE(m_printing->currentPrinter()->PaperSize(), 256);
    QCOMPARE(engineState().Format.PaperSize, 42);
    SaveFormat(engineState());
    QCOMPARE(stored(u"PaperSize"_qs), u"42"_qs);
}

void TestFormatIo::fixRowsHeightTwips_data()
{
    QTest::addColumn<int>("mm");
    QTest::addColumn<int>("twips");
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("1") << 1 << 57; // 56.7
    QTest::newRow("5") << 5 << 284; // 283.5: half to even
    QTest::newRow("15") << 15 << 850; // 850.5: half to even
    QTest::newRow("negative") << -2 << 0;
}

void TestFormatIo::fixRowsHeightTwips()
{
    QFETCH(int, mm);
    QFETCH(int, twips);
    m_job->setFixRowsHeight(qint16(mm));
    LoadFormat(engineState());
    QCOMPARE(engineState().FixRowsHeightTw, twips);
}

void TestFormatIo::hierarchicalWidthsMadeExplicit()
{
    FlexGrid grid(FlexGrid::Flavor::Hierarchical);
    grid.setSize(4, 4);
    grid.setColWidth(1, 900);
    grid.setMergeRow(0, true);
    grid.setMergeRow(1, true);
    m_job->setDatagrid(&grid);
    m_job->setGridType(MyPrint::MnuGridType::ssMsHFlexGrid);
    m_job->setPrintColStart(0);
    m_job->setPrintColEnd(2);
    LoadFormat(engineState());
    QCOMPARE(grid.Row(), 2); // the first row that does not merge
    QCOMPARE(grid.ColWidth(0), FlexGrid::DefaultColWidth + 15);
    QCOMPARE(grid.ColWidth(1), 900);
    QCOMPARE(grid.ColWidth(2), FlexGrid::DefaultColWidth + 15);
    QCOMPARE(grid.ColWidth(3), -1); // outside the printed range
}

void TestFormatIo::fontsLoadAsWholeNumbers()
{
    QVERIFY(m_store->createKey(kFull));
    QVERIFY(m_store->setValue(kFull, u"FONT2_Size"_qs, u"10.5"_qs));
    QVERIFY(m_store->setValue(kFull, u"FONT3_Size"_qs, u"11.5"_qs));
    QVERIFY(m_store->setValue(kFull, u"FONT3_Bold"_qs, u"-1"_qs));
    QVERIFY(m_store->setValue(kFull, u"FONT4_Color"_qs, u"255"_qs));
    QVERIFY(m_store->setValue(kFull, u"FONT4_Name"_qs, u" 楷体_GB2312 "_qs));
    engineState().FontTable[3].Italic = true;
    load();
    const auto &fonts = engineState().FontTable;
    QCOMPARE(fonts[2].Size, 10.0);
    QCOMPARE(fonts[3].Size, 12.0);
    QVERIFY(fonts[3].Bold);
    QVERIFY(fonts[3].Italic); // not stored: left as it was
    QCOMPARE(fonts[4].Color, 255);
    QCOMPARE(fonts[4].Name, u"楷体_GB2312"_qs);
    QVERIFY(!fonts[5].Bold);
}

void TestFormatIo::badNumbersFallBackAndKeepStoredText()
{
    QVERIFY(m_store->createKey(kFull));
    QVERIFY(m_store->setValue(kFull, u"Top"_qs, u"十二"_qs));
    QVERIFY(m_store->setValue(kFull, u"LineCount"_qs, u"70000"_qs));
    load();
    QCOMPARE(engineState().Format.Top, 10);
    QCOMPARE(engineState().Format.LineCount, 0);
    QCOMPARE(stored(u"Top"_qs), u"十二"_qs);
    QCOMPARE(m_sink->messages().size(), 1);
    QVERIFY(m_sink->messages()[0].prompt.contains(u"Top=“十二”"_qs));
    QVERIFY(m_sink->messages()[0].prompt.contains(u"LineCount=“70000”"_qs));
}

void TestFormatIo::zoomRateFromCommonKey()
{
    WriteSetting(RootKey::LocalMachine, kCommonKey, u"ZoomRate"_qs, u"0.75"_qs);
    load();
    QCOMPARE(engineState().ZoomRate, 0.75);

    WriteSetting(RootKey::LocalMachine, kCommonKey, u"ZoomRate"_qs, u"0"_qs);
    m_job->setZoomRatio(2);
    load();
    QCOMPARE(engineState().ZoomRate, 2.0);
    QCOMPARE(m_sink->messages().size(), 1);
}

void TestFormatIo::gridErrorReachesCaller()
{
    m_job->setDatagrid(nullptr);
    bool thrown = false;
    try {
        LoadFormat(engineState());
    } catch (const Error &e) {
        thrown = true;
        QCOMPARE(e.number(), 91);
    }
    QVERIFY(thrown);

    // A grid of the wrong kind is an error too.
    SpreadGrid spread;
    m_job->setDatagrid(&spread);
    QVERIFY_THROWS_EXCEPTION(Error, LoadFormat(engineState()));
}

void TestFormatIo::saveWritesInOrder()
{
    load();
    EngineState &s = engineState();
    s.Format.LogPic = u"/srv/logo.png"_qs;
    s.FontTable[1].Size = 10.5;
    s.FontTable[1].Bold = true;
    s.FormatDirty = 1;
    m_store->clearWrites();
    SaveFormat(engineState());
    QCOMPARE(s.FormatDirty, 0);

    QStringList names;
    for (const QString &w : m_store->writes())
        names << w.section(u'=', 0, 0);
    QStringList expected { u"PrinterName"_qs, u"PaperSize"_qs, u"FullPage"_qs, u"PaperOriention"_qs,
        u"PageWidth"_qs, u"PageHeight"_qs, u"AutoArrange"_qs, u"HoriCutPage"_qs, u"MultFixCol"_qs,
        u"HCenter"_qs, u"VCenter"_qs, u"Left"_qs, u"Right"_qs, u"Top"_qs, u"Bottom"_qs,
        u"LineCount"_qs, u"LineHeight"_qs, u"FillBlankLine"_qs, u"ColorPrint"_qs, u"ReduceFont"_qs,
        u"Cutline"_qs, u"Cyline"_qs, u"PrintDate"_qs, u"PrintOperator"_qs, u"PrintPageNo"_qs,
        u"ReduceFont"_qs, u"LogPicPrt"_qs, u"LogPic"_qs, u"LogPicLoc"_qs, u"LogTextPrt"_qs,
        u"LogTextLoc"_qs, u"GridColor"_qs };
    for (int n = 0; n <= 9; ++n) {
        for (const char *suffix : { "Bold", "Size", "Name", "Color" })
            expected << QStringLiteral("FONT%1_%2").arg(n).arg(QLatin1String(suffix));
    }
    QCOMPARE(names, expected);
    QVERIFY(m_store->writes().contains(u"FONT1_Size=10.5"_qs));
    QVERIFY(m_store->writes().contains(u"FONT1_Bold=-1"_qs));
    QVERIFY(m_store->writes().contains(u"FONT2_Bold=0"_qs));
    QVERIFY(m_store->writes().contains(u"PaperSize=9"_qs));
}

void TestFormatIo::clearedLogoPathKeepsStoredValue()
{
    load();
    engineState().Format.LogPic = u"/srv/logo.png"_qs;
    engineState().Format.LogText = u"某某公司"_qs;
    SaveFormat(engineState());
    engineState().Format.LogPic.clear();
    engineState().Format.LogText.clear();
    SaveFormat(engineState());
    QCOMPARE(stored(u"LogPic"_qs), u"/srv/logo.png"_qs);
    QCOMPARE(stored(u"LogText"_qs), u"某某公司"_qs);
}

void TestFormatIo::voucherColoursOnlyForVouchers()
{
    VoucherGrid voucher;
    voucher.setSize(10, 5);
    voucher.setFixedRowsT(2);
    voucher.setFixedRowsB(1);
    m_job->setDatagrid(&voucher);
    m_job->setGridType(MyPrint::MnuGridType::ssTesselGrid);
    QVERIFY(m_store->createKey(kFull));
    QVERIFY(m_store->setValue(kFull, u"JeLineColor"_qs, u"255"_qs));
    LoadFormat(engineState());
    QCOMPARE(engineState().Format.JeLineColor, 255);
    QCOMPARE(engineState().Format.DotLineColor, -1);
    QCOMPARE(stored(u"DotLineColor"_qs), u"-1"_qs);
    QCOMPARE(engineState().FixedRowsBottom, 1);

    m_store->clearWrites();
    SaveFormat(engineState());
    QVERIFY(m_store->writes().contains(u"JeLineColor=255"_qs));

    m_job->setDatagrid(m_grid.get());
    m_job->setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    m_store->clearWrites();
    SaveFormat(engineState());
    QVERIFY(!m_store->writes().join(u' ').contains(u"JeLineColor"_qs));
}

void TestFormatIo::roundTripThroughFileStore()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"settings.ini"_qs);
    useStore(std::make_unique<FileSettingsStore>(path));
    load();
    EngineState &s = engineState();
    s.Format.HoriCutPage = 1;
    s.Format.Top = 18;
    s.Format.PaperOriention = 2;
    s.Format.LogText = u"第一行\n第二行"_qs;
    s.Format.LogPic = u"C:\\logo\\公司.bmp"_qs;
    s.Format.GridColor = 255;
    s.FontTable[0] = { u"黑体"_qs, 18, true, false, false, false, 128 };
    SaveFormat(engineState());
    const PageFormat saved = s.Format;
    const auto savedFonts = s.FontTable;

    resetEngineState();
    engineState().setPrintObject(&MyPrintPrivate::get(*m_job));
    useStore(std::make_unique<FileSettingsStore>(path));
    load();
    QCOMPARE(engineState().Format, saved);
    for (int n = 0; n <= 9; ++n)
        QCOMPARE(engineState().FontTable[n], savedFonts[n]);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(
        text.contains(u"[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Orvane\\Quillon\\PGFMT\\月报]"_qs));
    QVERIFY(text.contains(u"\nHoriCutPage=1\n"_qs));
    // The value keeps the spelling it was first stored under ("Logtext").
    QVERIFY(text.contains(u"\nLogtext=\"第一行\\n第二行\"\n"_qs));
    QVERIFY(text.contains(u"\nLogPic=C:\\logo\\公司.bmp\n"_qs));
}

QUILLON_TEST_MAIN(TestFormatIo)
#include "tst_formatio.moc"
