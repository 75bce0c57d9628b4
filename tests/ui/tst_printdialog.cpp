#include "testmain.h"

#include "support/testplatform.h"

#include "engine/state/printproperties.h"
#include "engine/state/registry.h"
#include "platform/interfaces/surface.h"
#include "printer/virtualprintingsystem.h"
#include "ui/dialogs/pagelist.h"
#include "ui/dialogs/pagesetupdialog.h"
#include "ui/dialogs/printdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace quillon;

namespace {

const QString kColour = QStringLiteral("Office Colour");
const QString kMono = QStringLiteral("Mono Laser");

std::unique_ptr<VirtualPrintingSystem> twoPrinters()
{
    VirtualPrinterSpec colour;
    colour.deviceName = kColour;
    colour.driverName = QStringLiteral("Colour Driver");
    colour.port = QStringLiteral("usb://office");
    colour.output = VirtualPrinterSpec::Output::Recording;
    colour.duplex = true;
    VirtualPrinterSpec mono = colour;
    mono.deviceName = kMono;
    mono.driverName = QStringLiteral("Mono Driver");
    mono.port = QStringLiteral("lpt1");
    mono.color = false; // 1 bit per pixel, 1 plane, colour mode 0
    mono.duplex = false;
    return std::make_unique<VirtualPrintingSystem>(QList<VirtualPrinterSpec> { colour, mono });
}

QStringList texts(std::initializer_list<const char *> items)
{
    QStringList list;
    for (const char *item : items)
        list << QString::fromUtf8(item);
    return list;
}

template <typename T> T *control(QWidget &dialog, const char *name)
{
    auto *widget = dialog.findChild<T *>(QLatin1String(name));
    Q_ASSERT(widget);
    return widget;
}

} // namespace

class TestPrintDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { TestPlatform::uninstall(); }
    void loadsAndSelectsPrinter_data();
    void loadsAndSelectsPrinter();
    void takesColourChoice_data();
    void takesColourChoice();
    void printChecksEntriesAndMakesRequest_data();
    void printChecksEntriesAndMakesRequest();
    void cancelAfterFailedPrintKeepsSavedColour();
    void acceptsDigitsOnlyAndFocusSelectsRange_data();
    void acceptsDigitsOnlyAndFocusSelectsRange();
    void hooksShowTheirButtonsAndRunAroundThem();
    void parsesPageLists_data();
    void parsesPageLists();
    void pageListCollateAndDuplexReachTheRequest();

private:
    QString storedColour() const;
    TestPlatform m_platform;
};

void TestPrintDialog::init()
{
    m_platform = TestPlatform::install(twoPrinters());
    EngineState &s = engineState();
    s.FormatKey = kFormatKeyBase + QStringLiteral("DialogTest");
    s.RowPageCount = 12;
    s.ColPageCount = 1;
    s.SheetCount = 12;
}

QString TestPrintDialog::storedColour() const
{
    return m_platform.store
        ->value(
            storePath(RootKey::LocalMachine, engineState().FormatKey), QStringLiteral("ColorPrint"))
        .value_or(QString());
}

void TestPrintDialog::loadsAndSelectsPrinter_data()
{
    QTest::addColumn<QString>("designated");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("location");
    QTest::addColumn<bool>("colourEnabled");
    QTest::newRow("designated, installed") << kMono << kMono << "Mono Driver"
                                           << "lpt1" << false;
    QTest::newRow("not installed: the first") << "Gone Printer" << kColour << "Colour Driver"
                                              << "usb://office" << true;
    QTest::newRow("empty: the first") << "" << kColour << "Colour Driver"
                                      << "usb://office" << true;
    QTest::newRow("names compare exactly") << "mono laser" << kColour << "Colour Driver"
                                           << "usb://office" << true;
}

void TestPrintDialog::loadsAndSelectsPrinter()
{
    QFETCH(QString, designated);
    QFETCH(QString, selected);
    QFETCH(QString, type);
    QFETCH(QString, location);
    QFETCH(bool, colourEnabled);
    engineState().Format.PrinterName = designated;
    PageSetupDialog::setPageChanged(true);

    PrintDialog dialog;
    QCOMPARE(dialog.objectName(), u"frmPrint"_qs);
    QCOMPARE(dialog.windowTitle(), u"打印"_qs);
    QVERIFY(!dialog.blnOk);
    QVERIFY(!PageSetupDialog::pageChanged());
    QCOMPARE(control<QComboBox>(dialog, "CboPrinter")->currentText(), selected);
    QCOMPARE(printingSystem().currentPrinter()->DeviceName(), selected);
    QCOMPARE(control<QLabel>(dialog, "lblState")->text(), u"就绪"_qs);
    QCOMPARE(control<QLabel>(dialog, "lblType")->text(), type);
    QCOMPARE(control<QLabel>(dialog, "lblLocation")->text(), location);
    QCOMPARE(control<QCheckBox>(dialog, "chkColor")->isEnabled(), colourEnabled);
    // The colour printer also prints on both sides, the mono one does not.
    QCOMPARE(control<QComboBox>(dialog, "cboDuplex")->isEnabled(), colourEnabled);
    QCOMPARE(control<QComboBox>(dialog, "cbopage")->currentText(), u"所有页"_qs);
    QCOMPARE(control<QLineEdit>(dialog, "txtCopys")->text(), u"1"_qs);
    QVERIFY(control<QRadioButton>(dialog, "OptAllPage")->isChecked());
    // What PrintDirect prints without showing the dialog: every page, once, all parities.
    const PrintRequest r = dialog.request();
    QCOMPARE(std::tuple(r.kind, r.firstRowPage, r.lastRowPage, r.firstColPage, r.lastColPage,
                 r.copies, r.parity),
        std::tuple(1, 1, 12, 1, 1, 1, u"所有页"_qs));
}

void TestPrintDialog::takesColourChoice_data()
{
    QTest::addColumn<QString>("printer");
    QTest::addColumn<int>("colorPrint");
    QTest::addColumn<bool>("click");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("printed");
    QTest::newRow("colour kept") << kColour << 1 << false << true << true << 1;
    QTest::newRow("colour switched off") << kColour << 1 << true << false << true << 0;
    QTest::newRow("colour switched on") << kColour << 0 << true << true << true << 1;
    QTest::newRow("printer without colour") << kMono << 1 << false << true << false << 0;
}

void TestPrintDialog::takesColourChoice()
{
    QFETCH(QString, printer);
    QFETCH(int, colorPrint);
    QFETCH(bool, click);
    QFETCH(bool, checked);
    QFETCH(bool, enabled);
    QFETCH(int, printed);
    engineState().Format.PrinterName = printer;
    engineState().Format.ColorPrint = qint16(colorPrint);
    PrintDialog dialog;
    dialog.show();
    auto *chkColor = control<QCheckBox>(dialog, "chkColor");
    if (click)
        QTest::mouseClick(chkColor, Qt::LeftButton);
    QCOMPARE(chkColor->isChecked(), checked);
    QCOMPARE(chkColor->isEnabled(), enabled);
    QTest::mouseClick(control<QPushButton>(dialog, "cmdprint"), Qt::LeftButton);
    QVERIFY(dialog.blnOk);
    QVERIFY(dialog.isHidden());
    QCOMPARE(engineState().Format.ColorPrint, printed);
    QCOMPARE(storedColour(), QString::number(printed));
    QCOMPARE(printingSystem().currentPrinter()->DeviceName(), printer);
}

void TestPrintDialog::printChecksEntriesAndMakesRequest_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("copies");
    QTest::addColumn<QStringList>("range"); // txtPB, txtPE, txtMPB, txtMPE
    QTest::addColumn<int>("colPages"); // 1: the column boxes are hidden
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QList<int>>("request"); // kind, rows, columns, copies
    QTest::addColumn<QStringList>("after"); // the boxes once checked

    const QString onlyDigits = u"打印份数无效。\n 只能输入数字"_qs;
    const QString copyRange = u"打印份数无效。\n 范围 1 ~ 999 份"_qs;
    const QString badRange = u"指定页码无效。"_qs;
    const QStringList none = texts({ "", "", "", "" });
    const QList<int> refused;
    QTest::newRow("copies 0") << "all"
                              << "0" << none << 1 << copyRange << 64 << refused << none;
    QTest::newRow("copies 1000") << "all"
                                 << "1000" << none << 1 << copyRange << 64 << refused << none;
    QTest::newRow("copies empty") << "all"
                                  << "" << none << 1 << onlyDigits << 0 << refused << none;
    QTest::newRow("copies before range") << "specified"
                                         << "" << none << 1 << onlyDigits << 0 << refused << none;
    QTest::newRow("all pages, 999 copies")
        << "all"
        << "999" << none << 3 << "" << 0 << QList<int> { 1, 1, 12, 1, 3, 999 } << none;
    QTest::newRow("current page") << "current"
                                  << "2" << none << 3 << "" << 0 << QList<int> { 2, 4, 4, 2, 2, 2 }
                                  << none;
    QTest::newRow("range empty") << "specified"
                                 << "1" << none << 1 << badRange << 0 << refused << none;
    QTest::newRow("only 到 filled")
        << "specified"
        << "1" << texts({ "", "3", "", "" }) << 1 << "" << 0 << QList<int> { 3, 3, 3, 1, 1, 1 }
        << texts({ "3", "3", "", "" });
    QTest::newRow("only 从 filled")
        << "specified"
        << "1" << texts({ " 5 ", "", "", "" }) << 1 << "" << 0 << QList<int> { 3, 5, 5, 1, 1, 1 }
        << texts({ " 5 ", " 5 ", "", "" });
    QTest::newRow("0 to beyond the last row band")
        << "specified"
        << "1" << texts({ "0", "99", "", "" }) << 1 << "" << 0 << QList<int> { 3, 1, 12, 1, 1, 1 }
        << texts({ "1", "12", "", "" });
    QTest::newRow("column boxes empty: every band")
        << "specified"
        << "1" << texts({ "2", "4", "", "" }) << 3 << "" << 0 << QList<int> { 3, 2, 4, 1, 3, 1 }
        << texts({ "2", "4", "1", "3" });
    QTest::newRow("column bands 0 to 9 corrected")
        << "specified"
        << "1" << texts({ "2", "4", "0", "9" }) << 3 << "" << 0 << QList<int> { 3, 2, 4, 1, 3, 1 }
        << texts({ "2", "4", "1", "3" });
    QTest::newRow("only last column band")
        << "specified"
        << "1" << texts({ "2", "4", "", "2" }) << 3 << "" << 0 << QList<int> { 3, 2, 4, 1, 2, 1 }
        << texts({ "2", "4", "1", "2" });
    QTest::newRow("wraps across rows: (2,3) to (4,1)")
        << "specified"
        << "1" << texts({ "2", "4", "3", "1" }) << 3 << "" << 0 << QList<int> { 3, 2, 4, 3, 1, 1 }
        << texts({ "2", "4", "3", "1" });
    // Ranges that would print nothing and call that a finished print.
    QTest::newRow("rows reversed") << "specified"
                                   << "1" << texts({ "5", "3", "", "" }) << 1 << badRange << 0
                                   << refused << texts({ "5", "3", "", "" });
    QTest::newRow("starts after the last row band")
        << "specified"
        << "1" << texts({ "20", "30", "", "" }) << 1 << badRange << 0 << refused
        << texts({ "20", "12", "", "" });
    QTest::newRow("one row, columns reversed")
        << "specified"
        << "1" << texts({ "2", "2", "3", "1" }) << 3 << badRange << 0 << refused
        << texts({ "2", "2", "3", "1" });
    QTest::newRow("starts after the last column band")
        << "specified"
        << "1" << texts({ "2", "4", "5", "" }) << 3 << badRange << 0 << refused
        << texts({ "2", "4", "5", "3" });
}

void TestPrintDialog::printChecksEntriesAndMakesRequest()
{
    QFETCH(QString, option);
    QFETCH(QString, copies);
    QFETCH(QStringList, range);
    QFETCH(int, colPages);
    QFETCH(QString, message);
    QFETCH(int, buttons);
    QFETCH(QList<int>, request);
    QFETCH(QStringList, after);
    EngineState &s = engineState();
    s.ColPageCount = colPages;
    s.CurRowPage = 4;
    s.CurColPage = 2;

    PrintDialog dialog;
    dialog.hideCurrentPage();
    if (colPages == 1)
        dialog.hideColumnBands();
    dialog.show();
    QVERIFY(!control<QRadioButton>(dialog, "OptCrtPage")->isVisible());
    QCOMPARE(control<QLineEdit>(dialog, "txtMPB")->isVisible(), colPages > 1);
    QCOMPARE(control<QLabel>(dialog, "lblme")->isVisible(), colPages > 1);
    const char *boxes[] = { "txtPB", "txtPE", "txtMPB", "txtMPE" };
    for (int i = 0; i < 4; ++i)
        control<QLineEdit>(dialog, boxes[i])->setText(range.at(i));
    control<QRadioButton>(dialog,
        option == u"all"_qs           ? "OptAllPage"
            : option == u"current"_qs ? "OptCrtPage"
                                      : "optSpcPage")
        ->setChecked(true);
    auto *txtCopys = control<QLineEdit>(dialog, "txtCopys");
    txtCopys->setText(copies);
    control<QComboBox>(dialog, "cbopage")->setCurrentIndex(2);

    QTest::mouseClick(control<QPushButton>(dialog, "cmdprint"), Qt::LeftButton);
    if (message.isEmpty()) {
        QVERIFY(m_platform.sink->messages().isEmpty());
    } else {
        QCOMPARE(m_platform.sink->messages().size(), 1);
        const auto shown = m_platform.sink->messages().constFirst();
        QCOMPARE(shown.prompt, message);
        QCOMPARE(shown.buttons & 0xFFFF, buttons); // ShowMessage puts every box in front
        QCOMPARE(shown.title, u"打印预览"_qs); // the print object's Caption
        if (message.startsWith(u"打印份数"_qs))
            QCOMPARE(dialog.focusWidget(), txtCopys);
    }
    QCOMPARE(dialog.blnOk, !request.isEmpty());
    QCOMPARE(dialog.isVisible(), request.isEmpty());
    for (int i = 0; i < 4; ++i)
        QCOMPARE(control<QLineEdit>(dialog, boxes[i])->text(), after.at(i));
    if (request.isEmpty())
        return;
    const PrintRequest r = dialog.request();
    QCOMPARE((QList<int> {
                 r.kind, r.firstRowPage, r.lastRowPage, r.firstColPage, r.lastColPage, r.copies }),
        request);
    QCOMPARE(r.parity, u"偶数页"_qs);
}

void TestPrintDialog::cancelAfterFailedPrintKeepsSavedColour()
{
    engineState().Format.ColorPrint = 1;
    PrintDialog dialog;
    dialog.show();
    QTest::mouseClick(control<QCheckBox>(dialog, "chkColor"), Qt::LeftButton);
    control<QLineEdit>(dialog, "txtCopys")->setText(QStringLiteral("0"));
    QVERIFY(storedColour().isEmpty());
    QTest::mouseClick(control<QPushButton>(dialog, "cmdprint"), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    PageSetupDialog::setPageChanged(true);
    QTest::mouseClick(control<QPushButton>(dialog, "cmdcance"), Qt::LeftButton);
    QVERIFY(!dialog.blnOk);
    QVERIFY(dialog.isHidden());
    QVERIFY(!PageSetupDialog::pageChanged());
    QCOMPARE(storedColour(), u"0"_qs);
}

void TestPrintDialog::acceptsDigitsOnlyAndFocusSelectsRange_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("selectsRange");
    QTest::newRow("txtCopys") << "txtCopys" << false;
    for (const char *name : { "txtPB", "txtPE", "txtMPB", "txtMPE" })
        QTest::newRow(name) << name << true;
}

void TestPrintDialog::acceptsDigitsOnlyAndFocusSelectsRange()
{
    QFETCH(QString, box);
    QFETCH(bool, selectsRange);
    engineState().ColPageCount = 2;
    PrintDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *edit = dialog.findChild<QLineEdit *>(box);
    auto *optSpcPage = control<QRadioButton>(dialog, "optSpcPage");
    edit->clear();
    QTest::mouseClick(edit, Qt::LeftButton);
    QCOMPARE(optSpcPage->isChecked(), selectsRange);
    QTest::keyClicks(edit, u"1a2-3 .x"_qs);
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_4, u"４"_qs, Qt::NoModifier); // full width
    QTest::keyClick(edit, Qt::Key_9);
    QCOMPARE(edit->text(), u"1239"_qs);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), u"123"_qs);
    edit->paste(); // whatever the clipboard holds, only digits get in
    QVERIFY(std::all_of(edit->text().cbegin(), edit->text().cend(),
        [](QChar c) { return c >= u'0' && c <= u'9'; }));

    control<QRadioButton>(dialog, "OptAllPage")->setChecked(true);
    control<QLineEdit>(dialog, "txtCopys")->setFocus();
    QTest::mouseClick(optSpcPage, Qt::LeftButton);
    QVERIFY(optSpcPage->isChecked());
    QCOMPARE(QApplication::focusWidget(), control<QLineEdit>(dialog, "txtPB"));
}

void TestPrintDialog::hooksShowTheirButtonsAndRunAroundThem()
{
    EngineState &s = engineState();
    s.Format.PrinterName = kColour;
    s.Format.ColorPrint = 1;
    s.printObject()->ZoomRatio = 2;
    PrintDialog dialog;
    dialog.show();
    auto *cmdpgset = control<QPushButton>(dialog, "cmdpgset");
    auto *cmdPreview = control<QPushButton>(dialog, "cmdPreview");
    auto *command1 = control<QPushButton>(dialog, "command1");
    QVERIFY(!cmdpgset->isVisible() && !cmdPreview->isVisible() && !command1->isVisible());
    auto *printers = control<QComboBox>(dialog, "CboPrinter");
    auto *chkColor = control<QCheckBox>(dialog, "chkColor");

    QString propertiesOf;
    // Only the mono printer has driver settings: the button follows the selected printer.
    dialog.setPropertiesHook(
        [&](const QString &device) {
            propertiesOf = device;
            return true;
        },
        [&](const QString &device) { return device == kMono; });
    QVERIFY(command1->isVisible() && !command1->isEnabled());
    printers->setCurrentIndex(1);
    QVERIFY(command1->isEnabled());
    QTest::mouseClick(command1, Qt::LeftButton);
    QCOMPARE(propertiesOf, kMono);

    // Page setup: the format is saved with the selected printer current before the window
    // opens, and what the window changed is shown when it closes.
    printers->setCurrentIndex(0);
    QTest::mouseClick(chkColor, Qt::LeftButton); // colour off
    bool ranSetup = false;
    dialog.setPageSetupHook([&] {
        ranSetup = true;
        QCOMPARE(s.DrawTarget, static_cast<Surface *>(printingSystem().currentPrinter()));
        QCOMPARE(printingSystem().currentPrinter()->DeviceName(), kColour);
        QCOMPARE(storedColour(), u"0"_qs);
        s.Format.PrinterName = kMono;
        printingSystem().selectPrinter(kMono);
        s.Format.ColorPrint = 1;
    });
    QVERIFY(cmdpgset->isVisible());
    QTest::mouseClick(cmdpgset, Qt::LeftButton);
    QVERIFY(ranSetup);
    QCOMPARE(printers->currentText(), kMono);
    QCOMPARE(s.DrawTarget, static_cast<Surface *>(printingSystem().currentPrinter()));
    QVERIFY(!chkColor->isEnabled());

    double zoomSeen = 0;
    dialog.setPreviewHook([&] { zoomSeen = s.ZoomRate; });
    QTest::mouseClick(cmdPreview, Qt::LeftButton);
    QCOMPARE(zoomSeen, 2.0);
    QCOMPARE(storedColour(), u"0"_qs); // the printer cannot print in colour
    QVERIFY(dialog.isVisible());

    dialog.setPageSetupHook({});
    dialog.setPreviewHook({});
    QVERIFY(!cmdpgset->isVisible() && !cmdPreview->isVisible());
}

void TestPrintDialog::parsesPageLists_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<qint32>>("pages"); // of a report of 12 pages
    QTest::addColumn<QString>("why"); // what the message says after "指定页码无效："

    const QList<qint32> none;
    QTest::newRow("ranges and pages") << "1-3,5,8" << QList<qint32> { 1, 2, 3, 5, 8 } << "";
    QTest::newRow("in the order written, each once")
        << " 8 , 2-4,3 ,8,12" << QList<qint32> { 8, 2, 3, 4, 12 } << "";
    QTest::newRow("full-width, 、 and a comma at the end")
        << "１－２，４、６~７," << QList<qint32> { 1, 2, 4, 6, 7 } << "";
    QTest::newRow("empty") << "  " << none << "没有输入页码。";
    QTest::newRow("commas only") << ",，" << none << "没有输入页码。";
    QTest::newRow("letters") << "1,abc" << none << "“abc”不是页码或页码范围。";
    QTest::newRow("open range") << "5-" << none << "“5-”不是页码或页码范围。";
    QTest::newRow("negative") << "-2" << none << "“-2”不是页码或页码范围。";
    QTest::newRow("page 0") << "0" << none << "页码从 1 开始，没有第 0 页。";
    QTest::newRow("range from 0") << "0-3" << none << "页码从 1 开始，没有第 0 页。";
    QTest::newRow("reversed") << "3-1" << none << "“3-1”的起始页大于结束页。";
    QTest::newRow("past the count") << "2,13" << none << "报表共 12 页，没有第 13 页。";
    QTest::newRow("range past the count") << "10-20" << none << "报表共 12 页，没有第 20 页。";
    QTest::newRow("too big for a number")
        << "99999999999999999999" << none << "报表共 12 页，没有第 99999999999999999999 页。";
}

void TestPrintDialog::parsesPageLists()
{
    QFETCH(QString, text);
    QFETCH(QList<qint32>, pages);
    QFETCH(QString, why);
    const PageList list = parsePageList(text, 12);
    QCOMPARE(list.pages, pages);
    QCOMPARE(list.error,
        why.isEmpty() ? QString() : u"指定页码无效：%1\n页码的写法如 1-3,5,8。"_qs.arg(why));
}

void TestPrintDialog::pageListCollateAndDuplexReachTheRequest()
{
    engineState().Format.PrinterName = kColour;
    PrintDialog dialog;
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMinMaxButtonsHint));
    QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *list = control<QLineEdit>(dialog, "txtPageList");
    auto *collate = control<QCheckBox>(dialog, "chkCollate");
    auto *duplex = control<QComboBox>(dialog, "cboDuplex");
    auto *parity = control<QComboBox>(dialog, "cbopage");
    QVERIFY(!collate->isEnabled() && collate->isChecked()); // one copy
    QCOMPARE(duplex->currentText(), u"关"_qs);

    // Typing into the list chooses it; a bad list is refused with its message.
    QTest::mouseClick(list, Qt::LeftButton);
    QVERIFY(control<QRadioButton>(dialog, "optPageList")->isChecked());
    QVERIFY(!parity->isEnabled());
    QTest::keyClicks(list, u"5-3"_qs);
    QTest::mouseClick(control<QPushButton>(dialog, "cmdprint"), Qt::LeftButton);
    QVERIFY(dialog.isVisible() && !dialog.blnOk);
    QCOMPARE(m_platform.sink->messages().size(), 1);
    QVERIFY(m_platform.sink->messages()[0].prompt.contains(u"“5-3”的起始页大于结束页"_qs));
    QCOMPARE(list->selectedText(), u"5-3"_qs);

    list->setText(u"12,3-4"_qs);
    control<QLineEdit>(dialog, "txtCopys")->setText(u"25"_qs);
    QVERIFY(collate->isEnabled());
    QTest::mouseClick(collate, Qt::LeftButton);
    duplex->setCurrentIndex(2);
    QTest::mouseClick(control<QPushButton>(dialog, "cmdprint"), Qt::LeftButton);
    QVERIFY(dialog.blnOk);
    const PrintRequest r = dialog.request();
    QCOMPARE(r.kind, 4);
    QCOMPARE(r.sheets, (QList<qint32> { 12, 3, 4 }));
    QCOMPARE(std::tuple(r.copies, r.collate, r.parity), std::tuple(25, false, u"所有页"_qs));
    QCOMPARE(r.duplex, std::optional(PrinterSurface::Duplex::ShortEdge));

    // A printer without duplex: the choice is not offered and the printer's settings stand.
    control<QComboBox>(dialog, "CboPrinter")->setCurrentText(kMono);
    QVERIFY(!duplex->isEnabled());
    QVERIFY(!dialog.request().duplex);
}

QUILLON_TEST_MAIN(TestPrintDialog)
#include "tst_printdialog.moc"
