#include "testmain.h"

#include "support/propertysheet.h"
#include "support/scripteddriver.h"
#include "support/testplatform.h"

#include "api/myprint_p.h"
#include "engine/layout/sheetjob.h"
#include "engine/state/formatio.h"
#include "engine/state/printproperties.h"
#include "engine/state/registry.h"
#include "platform/interfaces/surface.h"
#include "platform/reportfonts.h"
#include "printer/papercodes.h"
#include "printer/virtualprintingsystem.h"
#include "ui/dialogs/pagesetupdialog.h"
#include "ui/dialogs/printerpropertiesdialog.h"

#include <quillon/flexgrid.h>
#include <quillon/formatfields.h>
#include <quillon/myprint.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>

using namespace quillon;

namespace {

const QString kWide = u"Wide Printer"_qs; // A4, A3, A5
const QString kSmall = u"Small Printer"_qs; // A5, Letter; no colour

template <typename T> T *control(QWidget &dialog, const QString &name)
{
    auto *widget = dialog.findChild<T *>(name);
    if (!widget)
        qFatal("no control %s", qPrintable(name));
    return widget;
}

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

} // namespace

// The page setup dialog: loading, the printer and paper choice, the field rules, the
// confirmation with its questions, Cancel, and the voucher-only colour controls.
class TestPageSetupDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void controlsAndCaptions();
    void loadsPrinterAndPaper_data();
    void loadsPrinterAndPaper();
    void paperListedTwice_data();
    void paperListedTwice();
    void propertiesShowInThePage_data();
    void propertiesShowInThePage();
    void loadsFormatValues();
    void fieldRules_data();
    void fieldRules();
    void scrollBarWritesMargin();
    void enablingRules();
    void applyFillsValuesTheJobTakes();
    void pageSizeQuestion_data();
    void pageSizeQuestion();
    void logoTickedWithoutPicture();
    void refusedMarginStopsApply();
    void cancelRestoresPrinterAndPaper();
    void applyButtonHandsTheCheckedValues();
    void miniature_data();
    void miniature();
    void amountControlsOnlyForVouchers_data();
    void amountControlsOnlyForVouchers();
    void rangesAgreeWithTheLoader_data();
    void rangesAgreeWithTheLoader();
    void fontDialogChangesOnlyWhatIsChanged_data();
    void fontDialogChangesOnlyWhatIsChanged();
    void fontColour();

private:
    void leave(QLineEdit *box);
    QStringList prompts() const;
    QString stored(const QString &name) const;

    VirtualPrintingSystem *m_system = nullptr;
    TestPlatform m_platform;
    FlexGrid m_grid;
    std::unique_ptr<MyPrint> m_print;
    std::unique_ptr<SheetJob> m_job;
};

void TestPageSetupDialog::init()
{
    // What the windows remember between two page setups starts afresh for each test.
    PageSetupDialog::setPageChanged(false);
    PageSetupDialog::setOpeningTab(0);
    VirtualPrinterSpec wide;
    wide.deviceName = kWide;
    wide.driverName = u"Wide Driver"_qs;
    wide.port = u"usb://wide"_qs;
    wide.output = VirtualPrinterSpec::Output::Recording;
    wide.paperCodes = { 9, 8, 11 };
    wide.marginTwips = 300;
    VirtualPrinterSpec small = wide;
    small.deviceName = kSmall;
    small.driverName = u"Small Driver"_qs;
    small.port = u"lpt1"_qs;
    small.paperCodes = { 11, 1 };
    small.paperSize = 11;
    small.color = false;
    auto system = std::make_unique<VirtualPrintingSystem>(QList { wide, small }, kWide);
    m_system = system.get();
    m_platform = TestPlatform::install(std::move(system));
    m_grid.setSize(26, 2);
    m_grid.setFixedRows(1);
    m_print = std::make_unique<MyPrint>();
    m_print->setPrintKeyName(u"SetupTest"_qs);
    m_print->setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    m_print->setDatagrid(&m_grid);
    m_job = std::make_unique<SheetJob>(MyPrintPrivate::get(*m_print));
    QVERIFY(m_job->prepare(1, nullptr, SheetJob::Checks::GridKindFirst, false));
    m_platform.sink->clear();
    engineState().Format.PrinterName = kWide;
    engineState().Format.PaperSize = 9;
}

void TestPageSetupDialog::cleanup()
{
    m_job.reset();
    m_print.reset();
    TestPlatform::uninstall();
}

void TestPageSetupDialog::leave(QLineEdit *box)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(box, &out);
    QCoreApplication::processEvents(); // the check runs once the focus has moved
}

QString TestPageSetupDialog::stored(const QString &name) const
{
    return m_platform.store->value(storePath(RootKey::LocalMachine, engineState().FormatKey), name)
        .value_or(QString());
}

QStringList TestPageSetupDialog::prompts() const
{
    QStringList list;
    for (const auto &m : m_platform.sink->messages())
        list << m.prompt;
    return list;
}

void TestPageSetupDialog::controlsAndCaptions()
{
    PageSetupDialog dialog(m_job->state());
    QCOMPARE(dialog.objectName(), u"frmpagesetup"_qs);
    QCOMPARE(dialog.windowTitle(), u"页面设置"_qs);
    auto *tabs = control<QTabWidget>(dialog, u"SSTab1"_qs);
    QCOMPARE(tabs->count(), 4);
    QCOMPARE(
        QStringList({ tabs->tabText(0), tabs->tabText(1), tabs->tabText(2), tabs->tabText(3) }),
        QStringList({ u"打印机"_qs, u"页面"_qs, u"字体"_qs, u"杂项"_qs }));

    const QList<std::pair<QString, QString>> buttons { { u"command2"_qs, u"设置"_qs },
        { u"cmdfontset"_qs, u"设置"_qs }, { u"cmdlogo"_qs, u"徽标"_qs },
        { u"command1(0)"_qs, u"确定(&O)"_qs }, { u"command1(1)"_qs, u"取消(&C)"_qs },
        { u"command1(2)"_qs, u"应用(&A)"_qs } };
    for (const auto &[name, text] : buttons)
        QCOMPARE(control<QPushButton>(dialog, name)->text(), text);
    const QList<std::pair<QString, QString>> checks { { u"cbxcolorprint"_qs, u"使用彩色打印"_qs },
        { u"chkHcenter"_qs, u"水平居中"_qs }, { u"chkVcenter"_qs, u"垂直居中"_qs },
        { u"chkPrintPage"_qs, u"使用打印机有效范围"_qs }, { u"chkHoriCutPage"_qs, u"横向折页"_qs },
        { u"chkAutoArrange"_qs, u"自动拼排"_qs }, { u"chkaddblank"_qs, u"末页加空行"_qs },
        { u"chkFixCol"_qs, u"加固定列"_qs }, { u"chkRdcFnt"_qs, u"正文字体自动调整"_qs },
        { u"chkCyline"_qs, u"金额线"_qs }, { u"chkCutline"_qs, u"裁剪线"_qs },
        { u"chkOperator"_qs, u"操作员姓名"_qs }, { u"chkprintdata"_qs, u"打印日期"_qs },
        { u"chkpageno"_qs, u"页号"_qs }, { u"chklogo"_qs, u"打印徽标"_qs },
        { u"chklogotxt"_qs, u"打印标志文本"_qs } };
    for (const auto &[name, text] : checks)
        QCOMPARE(control<QCheckBox>(dialog, name)->text(), text);
    QCOMPARE(control<QRadioButton>(dialog, u"OpnOrient(0)"_qs)->text(), u"纵向"_qs);
    QCOMPARE(control<QRadioButton>(dialog, u"OpnOrient(1)"_qs)->text(), u"横向"_qs);
    for (int i = 0; i < 4; ++i) {
        control<QLineEdit>(dialog, u"txtMargin(%1)"_qs.arg(i));
        control<QScrollBar>(dialog, u"vsbMargin(%1)"_qs.arg(i));
    }
    for (const QString &name : { u"txtPgWidth"_qs, u"txtPgHeight"_qs, u"txtLineCount"_qs,
             u"txtLineHeight"_qs, u"txtLogTxt"_qs })
        control<QLineEdit>(dialog, name);
    for (const QString &name : { u"lblprintmode"_qs, u"lblprintlocat"_qs, u"lblOldpaper"_qs,
             u"PicOut"_qs, u"Image1"_qs, u"picColor"_qs, u"lblJeLine"_qs, u"lblDotLine"_qs })
        control<QLabel>(dialog, name);
    QCOMPARE(control<QLabel>(dialog, u"lblJeLineColor"_qs)->text(), u"金额线:"_qs);
    QCOMPARE(control<QLabel>(dialog, u"lblDotLineColor"_qs)->text(), u"点分线:"_qs);
    QCOMPARE(
        control<QGroupBox>(dialog, u"fraMargin"_qs)->title(), u"打印区域边距（单位：毫米）"_qs);
    QCOMPARE(control<QGroupBox>(dialog, u"fraPrintArea"_qs)->title(), u"打印区域（单位：毫米）"_qs);
    QCOMPARE(control<QGroupBox>(dialog, u"fraPrint"_qs)->title(), u"打印"_qs);

    QCOMPARE(itemsOf(control<QComboBox>(dialog, u"cbologo"_qs)),
        QStringList({ u"主标题下"_qs, u"左上角"_qs, u"右上角"_qs, u"左下角"_qs, u"右下角"_qs,
            u"底边"_qs }));
    QCOMPARE(itemsOf(control<QComboBox>(dialog, u"cbologotxt"_qs)),
        QStringList({ u"上边横排"_qs, u"左上角横排"_qs, u"左上角竖排"_qs, u"左边竖排"_qs,
            u"左下角横排"_qs, u"左下角竖排"_qs, u"右上角横排"_qs, u"右上角竖排"_qs, u"右边竖排"_qs,
            u"右下角横排"_qs, u"右下角竖排"_qs, u"下边横排"_qs }));
    auto *list = control<QListWidget>(dialog, u"lstText"_qs);
    QStringList fonts;
    for (int i = 0; i < list->count(); ++i)
        fonts << list->item(i)->text();
    QCOMPARE(fonts,
        QStringList({ u"标题"_qs, u"副标题"_qs, u"表头文字"_qs, u"固定行文字"_qs, u"固定列文字"_qs,
            u"正文"_qs, u"表尾文字"_qs, u"标志文本"_qs }));
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(control<QLabel>(dialog, u"PicOut"_qs)->text(), u"标题"_qs);
    // No properties sheet yet: the button is hidden until a hook is given.
    QVERIFY(control<QPushButton>(dialog, u"command2"_qs)->isHidden());
    // Shown, and enabled only for a printer with driver settings.
    auto *properties = control<QPushButton>(dialog, u"command2"_qs);
    dialog.setPropertiesHook([](const QString &) { return std::optional<PrinterPage>(); },
        [](const QString &d) { return d == kSmall; });
    QVERIFY(!properties->isHidden() && !properties->isEnabled());
    control<QComboBox>(dialog, u"CboPrinter"_qs)->setCurrentIndex(1);
    QVERIFY(properties->isEnabled());
    dialog.setSaveCaption();
    QCOMPARE(control<QPushButton>(dialog, u"command1(2)"_qs)->text(), u"保存(&S)"_qs);
    QCOMPARE(PageSetupDialog::logoFileFilter().split(u";;"_qs).first(),
        u"图形文件(*.wmf;*.bmp;*.jpg;*.ico;*.dib;) (*.wmf *.bmp *.ico *.dib *.jpg)"_qs);
}

void TestPageSetupDialog::loadsPrinterAndPaper_data()
{
    QTest::addColumn<QString>("designated");
    QTest::addColumn<int>("paper");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QStringList>("papers");
    QTest::addColumn<int>("printerPaper");
    QTest::addColumn<QString>("oldPaper"); // empty: hidden
    QTest::addColumn<bool>("colour");
    QTest::addColumn<QString>("message");
    const QStringList widePapers { PaperCodes::name(9), PaperCodes::name(8), PaperCodes::name(11) };
    QTest::newRow("installed, paper offered")
        << kWide << 8 << kWide << widePapers << 8 << QString() << true << QString();
    QTest::newRow("no colour") << kSmall << 1 << kSmall << QStringList { u"A5"_qs, u"信纸"_qs } << 1
                               << QString() << false << QString();
    QTest::newRow("paper not offered: the last one")
        << kWide << 1 << kWide << widePapers << 11 << u"原设置纸张：信纸"_qs << true << QString();
    QTest::newRow("printer gone: the first, with a message")
        << u"Gone"_qs << 9 << kWide << widePapers << 9 << QString() << true
        << u"原设打印机(Gone)没有有找到。"_qs;
    QTest::newRow("names compare exactly")
        << u"small printer"_qs << 9 << kWide << widePapers << 9 << QString() << true
        << u"原设打印机(small printer)没有有找到。"_qs;
}

void TestPageSetupDialog::loadsPrinterAndPaper()
{
    QFETCH(QString, designated);
    QFETCH(int, paper);
    QFETCH(QString, selected);
    QFETCH(QStringList, papers);
    QFETCH(int, printerPaper);
    QFETCH(QString, oldPaper);
    QFETCH(bool, colour);
    QFETCH(QString, message);
    engineState().Format.PrinterName = designated;
    engineState().Format.PaperSize = qint16(paper);

    PageSetupDialog dialog(m_job->state());
    QCOMPARE(prompts(), message.isEmpty() ? QStringList() : QStringList { message });
    QCOMPARE(control<QComboBox>(dialog, u"CboPrinter"_qs)->currentText(), selected);
    QCOMPARE(printingSystem().currentPrinter()->DeviceName(), selected);
    QCOMPARE(itemsOf(control<QComboBox>(dialog, u"cboPaperSize"_qs)), papers);
    QCOMPARE(printingSystem().currentPrinter()->PaperSize(), printerPaper);
    auto *old = control<QLabel>(dialog, u"lblOldpaper"_qs);
    QCOMPARE(old->isHidden(), oldPaper.isEmpty());
    if (!oldPaper.isEmpty())
        QCOMPARE(old->text(), oldPaper);
    QCOMPARE(control<QCheckBox>(dialog, u"cbxcolorprint"_qs)->isEnabled(), colour);
    QCOMPARE(control<QLabel>(dialog, u"lblprintmode"_qs)->text(),
        selected == kWide ? u"Wide Driver"_qs : u"Small Driver"_qs);
    QCOMPARE(control<QLabel>(dialog, u"lblprintlocat"_qs)->text(),
        selected == kWide ? u"usb://wide"_qs : u"lpt1"_qs);

    // Choosing another printer lists its papers and shows the paper shown before as the old one.
    if (selected == kWide && paper == 9) {
        control<QComboBox>(dialog, u"CboPrinter"_qs)->setCurrentIndex(1);
        QCOMPARE(printingSystem().currentPrinter()->DeviceName(), kSmall);
        QCOMPARE(old->text(), u"原设置纸张："_qs + PaperCodes::name(9));
        QCOMPARE(printingSystem().currentPrinter()->PaperSize(), 1);
    }
}

void TestPageSetupDialog::paperListedTwice_data()
{
    QTest::addColumn<QStringList>("names"); // of the codes 9, 9, 8
    QTest::newRow("plain first") << QStringList { u"A4"_qs, u"A4 (Borderless)"_qs, u"A3"_qs };
    QTest::newRow("plain last") << QStringList { u"A4 无边距"_qs, u"A4"_qs, u"A3"_qs };
}

void TestPageSetupDialog::paperListedTwice()
{
    QFETCH(QStringList, names);
    auto driver = std::make_unique<ScriptedPrinterDriver>();
    auto &wide = driver->add(kWide);
    wide.codes = { 9, 9, 8 };
    wide.paperNames = names;
    setPrinterDriver(std::move(driver));

    // The report's A4 is the plain A4, also after it was chosen and saved.
    for (int round = 0; round < 2; ++round) {
        PageSetupDialog dialog(m_job->state());
        dialog.applyTo(*m_job);
        auto *papers = control<QComboBox>(dialog, u"cboPaperSize"_qs);
        QCOMPARE(papers->currentText(), u"A4"_qs);
        QVERIFY(control<QLabel>(dialog, u"lblOldpaper"_qs)->isHidden());
        papers->setCurrentIndex(papers->findText(u"A4"_qs));
        QTest::mouseClick(control<QPushButton>(dialog, u"command1(2)"_qs), Qt::LeftButton);
    }
}

void TestPageSetupDialog::propertiesShowInThePage_data()
{
    QTest::addColumn<QString>("paper"); // picked in the sheet
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("code");
    QTest::newRow("A4") << u"A4"_qs << true << u"A4"_qs << 9;
    QTest::newRow("a variant of A4") << u"A4.Fullbleed"_qs << true << u"A4 (无边距)"_qs << 9;
    QTest::newRow("cancelled") << u"A4"_qs << false << u"A5"_qs << 11;
}

void TestPageSetupDialog::propertiesShowInThePage()
{
    QFETCH(QString, paper);
    QFETCH(bool, accept);
    QFETCH(QString, shown);
    QFETCH(int, code);
    auto owned = std::make_unique<ScriptedPrinterDriver>();
    ScriptedPrinterDriver *driver = owned.get();
    auto &wide = driver->add(kWide);
    wide.codes = { 9, 9, 11 };
    wide.paperNames = { u"A4"_qs, u"A4 (Borderless)"_qs, u"A5"_qs };
    wide.pageCodes = { { u"A4"_qs, 9 }, { u"A4.Fullbleed"_qs, 9 }, { u"A5"_qs, 11 } };
    wide.sheetOptions
        = { { u"PageSize"_qs, u"Media Size"_qs,
                { { u"A4"_qs, u"A4"_qs }, { u"A4.Fullbleed"_qs, u"A4 (Borderless)"_qs },
                    { u"A5"_qs, u"A5"_qs } },
                u"A4"_qs },
              { u"orientation-requested"_qs, u"Orientation"_qs,
                  { { u"3"_qs, u"Portrait"_qs }, { u"4"_qs, u"Landscape"_qs } }, u"3"_qs },
              { u"Duplex"_qs, u"Double-Sided Printing"_qs,
                  { { u"None"_qs, u"Off"_qs }, { u"DuplexNoTumble"_qs, u"Long-Edge binding"_qs } },
                  u"None"_qs } };
    setPrinterDriver(std::move(owned));
    setPropertySheetWindow(showPrinterPropertiesDialog);

    PageSetupDialog dialog(m_job->state());
    dialog.applyTo(*m_job);
    dialog.setPropertiesHook(showPrinterProperties, hasPrinterProperties);
    auto *papers = control<QComboBox>(dialog, u"cboPaperSize"_qs);
    papers->setCurrentIndex(papers->findText(u"A5"_qs));
    control<QRadioButton>(dialog, u"OpnOrient(1)"_qs)->setChecked(true);
    QStringList sheet;
    answerNextPropertySheet({ { u"PageSize"_qs, paper }, { u"orientation-requested"_qs, u"3"_qs },
                                { u"Duplex"_qs, u"DuplexNoTumble"_qs } },
        accept, &sheet);
    QTest::mouseClick(control<QPushButton>(dialog, u"command2"_qs), Qt::LeftButton);
    // The sheet starts on the page shown here; what it keeps as the printer's settings for the
    // user shows here, and the format takes it on OK.
    QCOMPARE(
        sheet, QStringList({ u"纸张：A5"_qs, u"方向：横向"_qs, u"双面打印：关闭（单面打印）"_qs }));
    QCOMPARE(wide.defaults.options.value(u"Duplex"_qs), accept ? u"DuplexNoTumble"_qs : QString());
    QCOMPARE(papers->currentText(), shown);
    QCOMPARE(control<QRadioButton>(dialog, u"OpnOrient(0)"_qs)->isChecked(), accept);
    QCOMPARE(engineState().Format.PaperOriention, 1);
    QCOMPARE(engineState().Format.PaperSize, 9);
    QTest::mouseClick(control<QPushButton>(dialog, u"command1(0)"_qs), Qt::LeftButton);
    QCOMPARE(engineState().Format.PaperOriention, accept ? 1 : 2);
    QCOMPARE(printingSystem().currentPrinter()->Orientation(), accept ? 1 : 2);
    QCOMPARE(engineState().Format.PaperSize, code);
    QVERIFY(prompts().isEmpty());
}

void TestPageSetupDialog::loadsFormatValues()
{
    PageFormat &f = engineState().Format;
    f.PaperOriention = 2;
    f.FullPage = 0;
    f.Top = 12;
    f.Bottom = 13;
    f.Left = 14;
    f.Right = 15;
    f.LineHeight = 7;
    f.LogPicLoc = 4;
    f.LogTextLoc = 11;
    f.LogText = u"机密"_qs;
    f.Cutline = 1;
    PageSetupDialog::setOpeningTab(1); // the page tab is never the first one shown
    PageSetupDialog dialog(m_job->state());
    QVERIFY(control<QRadioButton>(dialog, u"OpnOrient(1)"_qs)->isChecked());
    QVERIFY(!control<QCheckBox>(dialog, u"chkPrintPage"_qs)->isChecked());
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(control<QLineEdit>(dialog, u"txtMargin(%1)"_qs.arg(i))->text(),
            QString::number(12 + i));
        QCOMPARE(control<QScrollBar>(dialog, u"vsbMargin(%1)"_qs.arg(i))->value(), 12 + i);
    }
    QCOMPARE(control<QLineEdit>(dialog, u"txtLineHeight"_qs)->text(), u"7"_qs);
    QCOMPARE(control<QComboBox>(dialog, u"cbologo"_qs)->currentIndex(), 4);
    QCOMPARE(control<QComboBox>(dialog, u"cbologotxt"_qs)->currentText(), u"下边横排"_qs);
    QCOMPARE(control<QLineEdit>(dialog, u"txtLogTxt"_qs)->text(), u"机密"_qs);
    QVERIFY(control<QCheckBox>(dialog, u"chkCutline"_qs)->isChecked());
    auto *tabs = control<QTabWidget>(dialog, u"SSTab1"_qs);
    QCOMPARE(tabs->currentIndex(), 0);
    tabs->setCurrentIndex(2);
    dialog.reject();
    QCOMPARE(PageSetupDialog::openingTab(), 2);
}

void TestPageSetupDialog::fieldRules_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("other"); // the other box of the pair, or a margin's scroll bar
    QTest::addColumn<QString>("otherBefore");
    QTest::addColumn<QString>("textAfter");
    QTest::addColumn<QString>("otherAfter");
    QTest::addColumn<QString>("message");
    QTest::newRow("5 rows clear the row height") << "txtLineCount"
                                                 << "5"
                                                 << "txtLineHeight"
                                                 << "8"
                                                 << "5"
                                                 << "0"
                                                 << "";
    QTest::newRow("0 rows keep the row height") << "txtLineCount"
                                                << "0"
                                                << "txtLineHeight"
                                                << "8"
                                                << "0"
                                                << "8"
                                                << "";
    QTest::newRow("1001 rows refused") << "txtLineCount"
                                       << "1001"
                                       << "txtLineHeight"
                                       << "8"
                                       << "0"
                                       << "8"
                                       << "行数太大，请重新设置。";
    QTest::newRow("1000 rows accepted") << "txtLineCount"
                                        << "1000"
                                        << "txtLineHeight"
                                        << "8"
                                        << "1000"
                                        << "0"
                                        << "";
    QTest::newRow("no row count") << "txtLineCount"
                                  << ""
                                  << "txtLineHeight"
                                  << "8"
                                  << ""
                                  << "8"
                                  << "行数输入有误。";
    QTest::newRow("2 mm row height refused") << "txtLineHeight"
                                             << "2"
                                             << "txtLineCount"
                                             << "5"
                                             << "0"
                                             << "5"
                                             << "行高度太小，请重新输入。";
    QTest::newRow("3 mm clears the row count") << "txtLineHeight"
                                               << "3"
                                               << "txtLineCount"
                                               << "5"
                                               << "3"
                                               << "0"
                                               << "";
    QTest::newRow("0 mm keeps the row count") << "txtLineHeight"
                                              << "0"
                                              << "txtLineCount"
                                              << "5"
                                              << "0"
                                              << "5"
                                              << "";
    QTest::newRow("no row height") << "txtLineHeight"
                                   << ""
                                   << "txtLineCount"
                                   << "5"
                                   << ""
                                   << "5"
                                   << "行高度输入有误。";
    QTest::newRow("margin 500 accepted") << "txtMargin(1)"
                                         << "500"
                                         << "vsbMargin(1)"
                                         << ""
                                         << "500"
                                         << "500"
                                         << "";
    QTest::newRow("margin 501 refused") << "txtMargin(1)"
                                        << "501"
                                        << "vsbMargin(1)"
                                        << ""
                                        << "501"
                                        << "5"
                                        << "边距输入有误";
    QTest::newRow("no margin") << "txtMargin(3)"
                               << ""
                               << "vsbMargin(3)"
                               << ""
                               << ""
                               << "5"
                               << "边距输入有误";
    QTest::newRow("no page height") << "txtPgHeight"
                                    << ""
                                    << "txtPgWidth"
                                    << "150"
                                    << ""
                                    << "150"
                                    << "页高输入有误。";
    QTest::newRow("no page width") << "txtPgWidth"
                                   << ""
                                   << "txtPgHeight"
                                   << "150"
                                   << ""
                                   << "150"
                                   << "页宽输入有误。";
    QTest::newRow("page width") << "txtPgWidth"
                                << "180"
                                << "txtPgHeight"
                                << "150"
                                << "180"
                                << "150"
                                << "";
}

void TestPageSetupDialog::fieldRules()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, other);
    QFETCH(QString, otherBefore);
    QFETCH(QString, textAfter);
    QFETCH(QString, otherAfter);
    QFETCH(QString, message);
    engineState().Format.Bottom = 5;
    engineState().Format.Right = 5;
    engineState().Format.FullPage = 0;
    PageSetupDialog dialog(m_job->state());
    auto *edit = control<QLineEdit>(dialog, box);
    auto *otherEdit = dialog.findChild<QLineEdit *>(other);
    if (otherEdit)
        otherEdit->setText(otherBefore);
    edit->clear();
    QTest::keyClicks(edit, typed + u"x-."_qs); // digits only get in
    QCOMPARE(edit->text(), typed);
    leave(edit);
    QCOMPARE(prompts(), message.isEmpty() ? QStringList() : QStringList { message });
    if (!message.isEmpty() && box.startsWith(u"txtMargin"_qs)) {
        QCOMPARE(m_platform.sink->messages().first().buttons & 0xFFFF, 48);
        QCOMPARE(m_platform.sink->messages().first().title, u"打印预览"_qs);
    }
    QCOMPARE(edit->text(), textAfter);
    if (otherEdit)
        QCOMPARE(otherEdit->text(), otherAfter);
    else
        QCOMPARE(QString::number(control<QScrollBar>(dialog, other)->value()), otherAfter);
}

void TestPageSetupDialog::scrollBarWritesMargin()
{
    PageSetupDialog dialog(m_job->state());
    control<QScrollBar>(dialog, u"vsbMargin(2)"_qs)->setValue(42);
    QCOMPARE(control<QLineEdit>(dialog, u"txtMargin(2)"_qs)->text(), u"42"_qs);
}

void TestPageSetupDialog::enablingRules()
{
    engineState().Format.FullPage = 1;
    PageSetupDialog dialog(m_job->state());
    auto *width = control<QLineEdit>(dialog, u"txtPgWidth"_qs);
    auto *height = control<QLineEdit>(dialog, u"txtPgHeight"_qs);
    QVERIFY(!width->isEnabled() && !height->isEnabled());
    control<QCheckBox>(dialog, u"chkPrintPage"_qs)->setChecked(false);
    QVERIFY(width->isEnabled() && height->isEnabled());

    const auto marginsEnabled = [&] {
        QList<bool> list;
        for (int i = 0; i < 4; ++i)
            list << (control<QLineEdit>(dialog, u"txtMargin(%1)"_qs.arg(i))->isEnabled()
                && control<QScrollBar>(dialog, u"vsbMargin(%1)"_qs.arg(i))->isEnabled());
        return list;
    };
    QCOMPARE(marginsEnabled(), QList<bool>({ true, true, true, true }));
    control<QCheckBox>(dialog, u"chkHcenter"_qs)->setChecked(true);
    QCOMPARE(marginsEnabled(), QList<bool>({ true, true, false, false }));
    control<QCheckBox>(dialog, u"chkVcenter"_qs)->setChecked(true);
    QCOMPARE(marginsEnabled(), QList<bool>({ false, false, false, false }));
    control<QCheckBox>(dialog, u"chkHcenter"_qs)->setChecked(false);
    QCOMPARE(marginsEnabled(), QList<bool>({ false, false, true, true }));
}

void TestPageSetupDialog::applyFillsValuesTheJobTakes()
{
    EngineState &s = m_job->state();
    s.FontTable[10].Name = u"第十一"_qs;
    s.FormatDirty = 0;
    PageSetupDialog dialog(m_job->state());
    control<QComboBox>(dialog, u"CboPrinter"_qs)->setCurrentIndex(1);
    control<QComboBox>(dialog, u"cboPaperSize"_qs)->setCurrentIndex(0); // A5
    control<QRadioButton>(dialog, u"OpnOrient(1)"_qs)->setChecked(true);
    for (int i = 0; i < 4; ++i)
        control<QLineEdit>(dialog, u"txtMargin(%1)"_qs.arg(i))->setText(QString::number(20 + i));
    control<QLineEdit>(dialog, u"txtLineCount"_qs)->setText(u"4"_qs);
    control<QLineEdit>(dialog, u"txtLineHeight"_qs)->setText(QString());
    control<QCheckBox>(dialog, u"chkCutline"_qs)->setChecked(true);
    control<QComboBox>(dialog, u"cbologotxt"_qs)->setCurrentIndex(3);
    control<QLineEdit>(dialog, u"txtLogTxt"_qs)->setText(u"样本"_qs);

    QVERIFY(dialog.ApplyPageSetup());
    QCOMPARE(s.Format.Top, 10); // the job is the caller's to change
    const PageFormat &f = dialog.values().format;
    QCOMPARE(f.PrinterName, kSmall);
    QCOMPARE(f.PaperSize, 11);
    QCOMPARE(f.PaperOriention, 2);
    QCOMPARE(f.ColorPrint, 1); // the box keeps its tick while the printer has no colour
    QCOMPARE(std::tuple(f.Top, f.Bottom, f.Left, f.Right), std::tuple(20, 21, 22, 23));
    QCOMPARE(std::tuple(f.LineCount, f.LineHeight), std::tuple(4, 0));
    QCOMPARE(control<QLineEdit>(dialog, u"txtLineHeight"_qs)->text(), u"0"_qs);
    QCOMPARE(f.Cutline, 1);
    QCOMPARE(f.LogTextLoc, 3);
    QCOMPARE(f.LogText, u"样本"_qs);
    QCOMPARE(dialog.values().fonts[10].Name, u"第十一"_qs);

    m_job->usePageSetup(dialog.values());
    QVERIFY(m_job->layOut(printingSystem().currentPrinter(), 1));
    QCOMPARE(s.FormatDirty, 1);
    // Laid out from the new values: 4 body rows per page for 25 rows.
    QCOMPARE(s.LinesPerPage, 4);
    QCOMPARE(s.LeftMarginTw, 1247); // 22 mm
    QVERIFY(prompts().isEmpty());
}

void TestPageSetupDialog::pageSizeQuestion_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("focused");
    const QString high = u"页面<高度>大于打印区高度,是否重退出?"_qs;
    const QString wide = u"页面<宽度>大于打印区宽度,是否退出?"_qs;
    // A4 with a 300-twip strip: 16240 × 11300 twips printable, 286 × 199 mm.
    QTest::newRow("fits: no question") << 286 << 199 << 0 << QStringList() << true << "";
    QTest::newRow("too high, Yes") << 287 << 100 << 6 << QStringList { high } << true << "";
    QTest::newRow("too high, No") << 287 << 100 << 7 << QStringList { high } << false
                                  << "txtPgHeight";
    QTest::newRow("too wide, No") << 100 << 200 << 7 << QStringList { wide } << false
                                  << "txtPgWidth";
}

void TestPageSetupDialog::pageSizeQuestion()
{
    QFETCH(int, height);
    QFETCH(int, width);
    QFETCH(int, answer);
    QFETCH(QStringList, asked);
    QFETCH(bool, accepted);
    QFETCH(QString, focused);
    engineState().Format.FullPage = 0;
    engineState().Format.PageHeight = 100;
    PageSetupDialog dialog(m_job->state());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    control<QLineEdit>(dialog, u"txtPgHeight"_qs)->setText(QString::number(height));
    control<QLineEdit>(dialog, u"txtPgWidth"_qs)->setText(QString::number(width));
    if (answer)
        m_platform.sink->scriptAnswer(answer);
    QTest::mouseClick(control<QPushButton>(dialog, u"command1(0)"_qs), Qt::LeftButton);
    QCOMPARE(prompts(), asked);
    if (!asked.isEmpty())
        QCOMPARE(m_platform.sink->messages().first().buttons & 0xFFFF, 52);
    QCOMPARE(dialog.values().format.PageHeight, accepted ? height : 100);
    QCOMPARE(PageSetupDialog::pageChanged(), accepted);
    QCOMPARE(dialog.isVisible(), !accepted);
    if (!accepted) {
        QCOMPARE(control<QTabWidget>(dialog, u"SSTab1"_qs)->currentIndex(), 1);
        QCOMPARE(QApplication::focusWidget(), control<QLineEdit>(dialog, focused));
    }
}

void TestPageSetupDialog::logoTickedWithoutPicture()
{
    engineState().Format.LogPic = u"/nonexistent/logo.bmp"_qs;
    PageSetupDialog dialog(m_job->state());
    control<QCheckBox>(dialog, u"chklogo"_qs)->setChecked(true);
    QVERIFY(!dialog.ApplyPageSetup());
    QCOMPARE(prompts(), QStringList { u"没有选择徽标。"_qs });
    QCOMPARE(control<QTabWidget>(dialog, u"SSTab1"_qs)->currentIndex(), 3);
    QCOMPARE(dialog.values().format.LogPicPrt, 0);
}

void TestPageSetupDialog::refusedMarginStopsApply()
{
    PageSetupDialog dialog(m_job->state());
    control<QLineEdit>(dialog, u"txtMargin(0)"_qs)->setText(u"501"_qs);
    QVERIFY(!dialog.ApplyPageSetup());
    QCOMPARE(prompts(), QStringList { u"边距输入有误"_qs });
    QCOMPARE(dialog.values().format.Top, 10);
    control<QLineEdit>(dialog, u"txtMargin(0)"_qs)->setText(u"500"_qs);
    QVERIFY(dialog.ApplyPageSetup());
    QCOMPARE(dialog.values().format.Top, 500);
}

void TestPageSetupDialog::cancelRestoresPrinterAndPaper()
{
    // Before the dialog: the wide printer on A3 in landscape.
    printingSystem().selectPrinter(kWide);
    printingSystem().currentPrinter()->setPaperSize(8);
    printingSystem().currentPrinter()->setOrientation(2);
    PageSetupDialog::setPageChanged(true);
    PageSetupDialog dialog(m_job->state());
    QCOMPARE(printingSystem().currentPrinter()->PaperSize(), 9); // the format's paper
    control<QComboBox>(dialog, u"CboPrinter"_qs)->setCurrentIndex(1);
    control<QRadioButton>(dialog, u"OpnOrient(0)"_qs)->setChecked(true);
    QTest::mouseClick(control<QPushButton>(dialog, u"command1(1)"_qs), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!PageSetupDialog::pageChanged());
    PrinterSurface *printer = printingSystem().currentPrinter();
    QCOMPARE(printer->DeviceName(), kWide);
    QCOMPARE(printer->PaperSize(), 8);
    QCOMPARE(printer->Orientation(), 2);
    QCOMPARE(engineState().Format.PrinterName, kWide);
}

void TestPageSetupDialog::applyButtonHandsTheCheckedValues()
{
    PageSetupDialog dialog(m_job->state());
    QList<qint16> saved;
    dialog.setSaveHook([&](const PageSetupValues &values) { saved << values.format.Top; });
    auto *top = control<QLineEdit>(dialog, u"txtMargin(0)"_qs);
    top->setText(u"501"_qs); // refused: nothing to save
    QTest::mouseClick(control<QPushButton>(dialog, u"command1(2)"_qs), Qt::LeftButton);
    top->setText(u"33"_qs);
    QTest::mouseClick(control<QPushButton>(dialog, u"command1(2)"_qs), Qt::LeftButton);
    QCOMPARE(saved, QList<qint16> { 33 });
    QCOMPARE(m_job->state().Format.Top, 10);
}

void TestPageSetupDialog::miniature_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("fullPage");
    QTest::addColumn<int>("autoArrange");
    QTest::addColumn<QString>("scale");
    QTest::addColumn<int>("across");
    QTest::addColumn<int>("down");
    // A4 is 11900 x 16840 twips; picviewb 150 x 200 pixels of 15 twips: 2250 x 3000.
    // Printable 11300 x 16240; an 80 x 120 mm page with 5 mm margins needs 5103 x 7371.
    QTest::newRow("portrait, whole area") << 1 << 1 << 1 << u"比例 1:6"_qs << 1 << 1;
    QTest::newRow("portrait, arranged") << 1 << 0 << 1 << u"比例 1:6"_qs << 2 << 2;
    QTest::newRow("portrait, one page") << 1 << 0 << 0 << u"比例 1:6"_qs << 1 << 1;
    // Landscape: 16840 wide in 2250 pixels' twips; 16240 x 11300 printable: 3 x 1.
    QTest::newRow("landscape, arranged") << 2 << 0 << 1 << u"比例 1:8"_qs << 3 << 1;
}

void TestPageSetupDialog::miniature()
{
    QFETCH(int, orientation);
    QFETCH(int, fullPage);
    QFETCH(int, autoArrange);
    QFETCH(QString, scale);
    QFETCH(int, across);
    QFETCH(int, down);
    EngineState &s = engineState();
    PageFormat &f = s.Format;
    f.PaperOriention = qint16(orientation);
    f.FullPage = qint16(fullPage);
    f.AutoArrange = qint16(autoArrange);
    f.PageWidth = 80;
    f.PageHeight = 120;
    f.Top = f.Bottom = f.Left = f.Right = 5;
    const LayoutResult before = s;
    PageSetupDialog dialog(m_job->state());
    auto *tabs = control<QTabWidget>(dialog, u"SSTab1"_qs);
    tabs->setCurrentIndex(1);
    QCOMPARE(control<QLabel>(dialog, u"lblzoom"_qs)->text(), scale);
    auto *picPage = control<QWidget>(dialog, u"picPage"_qs);
    const auto shapes = picPage->findChildren<QFrame *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(shapes.size(), across * down);
    const int n = scale.mid(5).toInt();
    const QSize page = shapes.first()->size();
    // The whole area inside 5 mm margins, or an 80 x 120 mm page; a pixel of rounding either way.
    const QSizeF expected = fullPage == 1
        ? QSizeF(picPage->size()) - QSizeF(2, 2) * (5 * 56.7 / 15 / n)
        : QSizeF(80, 120) * (56.7 / 15 / n);
    QVERIFY2(
        qAbs(page.width() - expected.width()) <= 1 && qAbs(page.height() - expected.height()) <= 1,
        qPrintable(u"%1 x %2"_qs.arg(page.width()).arg(page.height())));
    // Pages side by side, each a page and a margin pair further on.
    if (across > 1) {
        auto *second = control<QFrame>(dialog, u"Shppage(1)"_qs);
        QCOMPARE(second->y(), shapes.first()->y());
        QVERIFY(qAbs(second->x() - shapes.first()->x() - 90 * 56.7 / 15 / n) <= 1);
    }
    // The miniature leaves the running layout and the user alone.
    QCOMPARE(s.PagesAcross, before.PagesAcross);
    QCOMPARE(s.PageWidthTw, before.PageWidthTw);
    QCOMPARE(s.LinesPerPage, before.LinesPerPage);
    QVERIFY(prompts().isEmpty());

    // The boxes redraw it: the whole area is one page, a refused margin changes nothing.
    control<QCheckBox>(dialog, u"chkPrintPage"_qs)->setChecked(true);
    QCOMPARE(picPage->findChildren<QFrame *>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    control<QCheckBox>(dialog, u"chkPrintPage"_qs)->setChecked(fullPage == 1);
    QCOMPARE(picPage->findChildren<QFrame *>(QString(), Qt::FindDirectChildrenOnly).size(),
        across * down);
    control<QLineEdit>(dialog, u"txtMargin(0)"_qs)->setText(u"400"_qs);
    QVERIFY(prompts().isEmpty());
}

void TestPageSetupDialog::amountControlsOnlyForVouchers_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("amountColour");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("amountCaption");
    QTest::newRow("voucher, automatic") << 2 << -1 << true << u"自动"_qs;
    QTest::newRow("voucher, a colour") << 2 << 255 << true << QString();
    QTest::newRow("flex grid") << 5 << -1 << false << QString();
    QTest::newRow("spread") << 8 << 255 << false << QString();
}

void TestPageSetupDialog::amountControlsOnlyForVouchers()
{
    QFETCH(int, kind);
    QFETCH(int, amountColour);
    QFETCH(bool, shown);
    QFETCH(QString, amountCaption);
    EngineState &s = engineState();
    s.printObject()->GridType = GridKind(kind);
    s.Format.JeLineColor = amountColour;
    s.Format.DotLineColor = 77;
    PageSetupDialog dialog(m_job->state());
    dialog.applyTo(*m_job);
    for (const QString &name : { u"cmdJeLine"_qs, u"lblJeLine"_qs, u"lblJeLineColor"_qs,
             u"cmdDotLine"_qs, u"lblDotLine"_qs, u"lblDotLineColor"_qs })
        QCOMPARE(control<QWidget>(dialog, name)->isHidden(), !shown);
    QCOMPARE(control<QLabel>(dialog, u"lblJeLine"_qs)->text(), amountCaption);
    QCOMPARE(control<QLabel>(dialog, u"lblDotLine"_qs)->text(), QString());
    // OK hands the colours to the job.
    QTest::mouseClick(control<QPushButton>(dialog, u"command1(0)"_qs), Qt::LeftButton);
    // Colours are left as they were: "自动" stays automatic, other kinds do not touch them.
    QCOMPARE(s.Format.JeLineColor, amountColour);
    QCOMPARE(s.Format.DotLineColor, 77);
}

void TestPageSetupDialog::rangesAgreeWithTheLoader_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("value");
    const QList<std::pair<QString, QString>> boxes { { u"txtMargin(0)"_qs, u"Top"_qs },
        { u"txtMargin(1)"_qs, u"Bottom"_qs }, { u"txtMargin(2)"_qs, u"Left"_qs },
        { u"txtMargin(3)"_qs, u"Right"_qs }, { u"txtLineCount"_qs, u"LineCount"_qs },
        { u"txtLineHeight"_qs, u"LineHeight"_qs }, { u"txtPgWidth"_qs, u"PageWidth"_qs },
        { u"txtPgHeight"_qs, u"PageHeight"_qs } };
    for (const auto &[box, name] : boxes) {
        const FormatField *field = findFormatField(name);
        QList<int> values { field->low, field->high, field->high + 1 };
        if (field->low > 0)
            values << field->low - 1 << 0;
        for (int value : values)
            QTest::addRow("%s=%d", qPrintable(name), value) << box << name << value;
    }
}

void TestPageSetupDialog::rangesAgreeWithTheLoader()
{
    QFETCH(QString, box);
    QFETCH(QString, field);
    QFETCH(int, value);
    const QString text = QString::number(value);
    bool accepted = false;
    {
        PageSetupDialog dialog(m_job->state());
        dialog.applyTo(*m_job);
        auto *edit = control<QLineEdit>(dialog, box);
        edit->setText(text);
        leave(edit);
        accepted = prompts().isEmpty();
        if (accepted)
            QTest::mouseClick(control<QPushButton>(dialog, u"command1(2)"_qs), Qt::LeftButton);
        else // as typed into the settings file
            m_platform.store->setValue(
                storePath(RootKey::LocalMachine, engineState().FormatKey), field, text);
    }
    QCOMPARE(stored(field), text);
    // The next load takes what the dialog took and refuses what it refused, as does the
    // command line.
    m_platform.sink->clear();
    LoadFontsAndValues(engineState());
    QCOMPARE(prompts().isEmpty(), accepted);
    QCOMPARE(checkFormatValue(field, text).isEmpty(), accepted);
}

void TestPageSetupDialog::fontDialogChangesOnlyWhatIsChanged_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QString>("face"); // chosen in the font dialog; empty: left as shown
    QTest::addColumn<int>("size"); // likewise; 0: left
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<QString>("storedSize");
    QTest::addColumn<QString>("storedBold");
    QTest::newRow("size only: the name stays")
        << u"楷体"_qs << false << QString() << 30 << u"楷体"_qs << u"30"_qs << u"0"_qs;
    // The Kai face has no bold style: the dialog shows it plain, the entry stays bold.
    QTest::newRow("bold Kai, size only")
        << u"楷体"_qs << true << QString() << 16 << u"楷体"_qs << u"16"_qs << u"-1"_qs;
    QTest::newRow("another face") << u"楷体"_qs << false << u"AR PL UMing CN"_qs << 0
                                  << u"AR PL UMing CN"_qs << u"20"_qs << u"0"_qs;
    QTest::newRow("Song, nothing changed")
        << u"宋体"_qs << false << QString() << 0 << u"宋体"_qs << u"20"_qs << u"0"_qs;
    // A size the next load would refuse is refused here.
    QTest::newRow("size past the table")
        << u"宋体"_qs << false << QString() << 300 << u"宋体"_qs << u"20"_qs << u"0"_qs;
}

void TestPageSetupDialog::fontDialogChangesOnlyWhatIsChanged()
{
    QFETCH(QString, name);
    QFETCH(bool, bold);
    QFETCH(QString, face);
    QFETCH(int, size);
    QFETCH(QString, storedName);
    QFETCH(QString, storedSize);
    QFETCH(QString, storedBold);
    engineState().FontTable[0] = FontSpec { name, 20, bold, false, false, true, 0 };
    PageSetupDialog dialog(m_job->state());
    dialog.applyTo(*m_job);
    auto *sample = control<QLabel>(dialog, u"PicOut"_qs);
    // The sample in the face the page prints the name with.
    QCOMPARE(QFontInfo(sample->font()).family(), ReportFonts::family(name));
    QFont opened;
    QTimer::singleShot(0, [&] {
        auto *fonts = qobject_cast<QFontDialog *>(QApplication::activeModalWidget());
        QVERIFY(fonts);
        opened = fonts->currentFont();
        QFont chosen = opened;
        if (!face.isEmpty())
            chosen.setFamilies({ face });
        if (size)
            chosen.setPointSize(size);
        fonts->setCurrentFont(chosen);
        fonts->accept();
    });
    QTest::mouseClick(control<QPushButton>(dialog, u"cmdfontset"_qs), Qt::LeftButton);
    QCOMPARE(opened.family(), ReportFonts::family(name));
    QCOMPARE(opened.pointSize(), 20);
    QVERIFY(opened.underline());
    QCOMPARE(QFontInfo(sample->font()).family(), ReportFonts::family(storedName));
    QCOMPARE(
        prompts(), size > 200 ? QStringList { u"字体大小应为 1 到 200 磅。"_qs } : QStringList());
    QTest::mouseClick(control<QPushButton>(dialog, u"command1(2)"_qs), Qt::LeftButton);
    QCOMPARE(stored(u"FONT0_Name"_qs), storedName);
    QCOMPARE(stored(u"FONT0_Size"_qs), storedSize);
    QCOMPARE(stored(u"FONT0_Bold"_qs), storedBold);
}

void TestPageSetupDialog::fontColour()
{
    engineState().FontTable[1].Color = 0x0000FF; // red
    PageSetupDialog dialog(m_job->state());
    dialog.applyTo(*m_job);
    control<QListWidget>(dialog, u"lstText"_qs)->setCurrentRow(1);
    QColor opened;
    QTimer::singleShot(0, [&] {
        auto *colours = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        QVERIFY(colours);
        opened = colours->currentColor();
        colours->setCurrentColor(QColor(0, 128, 0));
        colours->accept();
    });
    QTest::mouseClick(control<QPushButton>(dialog, u"cmdfontcolor"_qs), Qt::LeftButton);
    QCOMPARE(opened, QColor(Qt::red));
    QCOMPARE(control<QLabel>(dialog, u"picFontColor"_qs)->palette().color(QPalette::Window),
        QColor(0, 128, 0));
    QCOMPARE(control<QLabel>(dialog, u"PicOut"_qs)->palette().color(QPalette::WindowText),
        QColor(0, 128, 0));
    QTest::mouseClick(control<QPushButton>(dialog, u"command1(2)"_qs), Qt::LeftButton);
    QCOMPARE(stored(u"FONT1_Color"_qs), u"32768"_qs);
}

QUILLON_TEST_MAIN(TestPageSetupDialog)
#include "tst_pagesetupdialog.moc"
