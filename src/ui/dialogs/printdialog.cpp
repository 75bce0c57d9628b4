#include "printdialog.h"

#include "childnamer_p.h"
#include "elidedlabel_p.h"
#include "pagelist.h"
#include "pagesetupdialog.h"
#include "slotguard_p.h"

#include "engine/state/enginestate.h"
#include "engine/state/formatio.h"
#include "engine/state/platformservices.h"
#include "engine/state/printproperties.h"
#include "engine/state/registry.h"
#include "platform/interfaces/surface.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include <cmath>
#include <limits>

namespace quillon {

namespace {

const QString kInvalidRange = QStringLiteral("指定页码无效。");

std::optional<double> numberOf(const QLineEdit *box)
{
    bool ok = false;
    const double value = box->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

qint32 integerOf(const QLineEdit *box)
{
    const double value = numberOf(box).value_or(0);
    return qint32(std::floor(std::clamp(value, double(std::numeric_limits<qint32>::min()),
        double(std::numeric_limits<qint32>::max()))));
}

bool isBlank(const QLineEdit *box)
{
    return box->text().trimmed().isEmpty();
}

QLabel *caption(const QString &text, QWidget *buddy = nullptr)
{
    auto *label = new QLabel(text);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

} // namespace

PrintDialog::PrintDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("打印"));
    // A small window of fixed size: a close box, nothing to minimise or maximise.
    setWindowFlags(
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    buildControls();

    PageSetupDialog::setPageChanged(false);
    if (const PrinterSurface *current = printingSystem().currentPrinter()) {
        m_printerBefore = current->DeviceName();
        m_colorModeBefore = current->ColorMode();
    }
    fillPrinters();
    readColourState();
    cbopage->setCurrentIndex(0);
}

PrintDialog::~PrintDialog() = default;

void PrintDialog::buildControls()
{
    const auto named = childNamer(this);

    CboPrinter = named(new QComboBox, "CboPrinter");
    CboPrinter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CboPrinter->setMinimumContentsLength(28);
    command1 = named(new QPushButton(QStringLiteral("属性")), "command1");
    lblState = named(new ElidedLabel, "lblState");
    lblType = named(new ElidedLabel, "lblType");
    lblLocation = named(new ElidedLabel, "lblLocation");
    chkColor = named(new QCheckBox(QStringLiteral("彩色打印")), "chkColor");

    auto *printerGroup = named(new QGroupBox(QStringLiteral("打印机")), "fraPrinter");
    auto *printerGrid = new QGridLayout(printerGroup);
    printerGrid->addWidget(caption(QStringLiteral("名称(&N)："), CboPrinter), 0, 0);
    printerGrid->addWidget(CboPrinter, 0, 1, 1, 2);
    printerGrid->addWidget(command1, 0, 3);
    printerGrid->addWidget(caption(QStringLiteral("状态：")), 1, 0);
    printerGrid->addWidget(lblState, 1, 1, 1, 3);
    printerGrid->addWidget(caption(QStringLiteral("类型：")), 2, 0);
    printerGrid->addWidget(lblType, 2, 1, 1, 3);
    printerGrid->addWidget(caption(QStringLiteral("位置：")), 3, 0);
    printerGrid->addWidget(lblLocation, 3, 1, 1, 2);
    printerGrid->addWidget(chkColor, 3, 3);
    printerGrid->setColumnStretch(2, 1);

    OptAllPage = named(new QRadioButton(QStringLiteral("全部(&A)")), "OptAllPage");
    OptCrtPage = named(new QRadioButton(QStringLiteral("当前页(&M)")), "OptCrtPage");
    optSpcPage = named(new QRadioButton(QStringLiteral("页数(&G) 从")), "optSpcPage");
    OptAllPage->setChecked(true);
    const int boxWidth = fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12;
    auto *digitsOnly
        = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    const auto digitBox = [&](const char *name) {
        auto *box = named(new QLineEdit, name);
        // The validator also refuses pasted or composed non-digits, not only typed keys.
        box->setValidator(digitsOnly);
        box->setFixedWidth(boxWidth);
        return box;
    };
    txtPB = digitBox("txtPB");
    txtMPB = digitBox("txtMPB");
    txtPE = digitBox("txtPE");
    txtMPE = digitBox("txtMPE");
    txtCopys = digitBox("txtCopys");
    txtCopys->setText(QStringLiteral("1"));
    lblmb = named(new QLabel(QStringLiteral("分页")), "lblmb");
    lblme = named(new QLabel(QStringLiteral("分页")), "lblme");

    auto *rangeGroup = named(new QGroupBox(QStringLiteral("页面范围")), "fraRange");
    auto *rangeGrid = new QGridLayout(rangeGroup);
    rangeGrid->addWidget(OptAllPage, 0, 0, 1, 5);
    rangeGrid->addWidget(OptCrtPage, 1, 0, 1, 5);
    rangeGrid->addWidget(optSpcPage, 2, 0);
    rangeGrid->addWidget(txtPB, 2, 1);
    rangeGrid->addWidget(caption(QStringLiteral("页")), 2, 2);
    rangeGrid->addWidget(txtMPB, 2, 3);
    rangeGrid->addWidget(lblmb, 2, 4);
    auto *to = caption(QStringLiteral("到"), txtPE);
    to->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    rangeGrid->addWidget(to, 3, 0);
    rangeGrid->addWidget(txtPE, 3, 1);
    rangeGrid->addWidget(caption(QStringLiteral("页")), 3, 2);
    rangeGrid->addWidget(txtMPE, 3, 3);
    rangeGrid->addWidget(lblme, 3, 4);
    optPageList = named(new QRadioButton(QStringLiteral("页码(&L)")), "optPageList");
    txtPageList = named(new QLineEdit, "txtPageList");
    txtPageList->setPlaceholderText(QStringLiteral("例如 1-3,5,8"));
    txtPageList->setToolTip(
        QStringLiteral("按打印出的张数编号，用逗号隔开页码或页码范围，例如 1-3,5,8"));
    rangeGrid->addWidget(optPageList, 4, 0);
    rangeGrid->addWidget(txtPageList, 4, 1, 1, 5);
    rangeGrid->setColumnStretch(5, 1);

    chkCollate = named(new QCheckBox(QStringLiteral("逐份打印(&O)")), "chkCollate");
    chkCollate->setChecked(true);
    chkCollate->setEnabled(false); // one copy
    auto *copiesGroup = named(new QGroupBox(QStringLiteral("副本")), "fraCopies");
    auto *copiesGrid = new QGridLayout(copiesGroup);
    copiesGrid->addWidget(caption(QStringLiteral("份数："), txtCopys), 0, 0);
    copiesGrid->addWidget(txtCopys, 0, 1);
    copiesGrid->addWidget(chkCollate, 1, 0, 1, 3);
    copiesGrid->setColumnStretch(2, 1);
    cbopage = named(new QComboBox, "cbopage");
    cbopage->addItems(
        { QStringLiteral("所有页"), QStringLiteral("奇数页"), QStringLiteral("偶数页") });
    // In the order of PrinterSurface::Duplex.
    cboDuplex = named(new QComboBox, "cboDuplex");
    cboDuplex->addItems({ QStringLiteral("关"), QStringLiteral("长边"), QStringLiteral("短边") });
    auto *choices = new QGridLayout;
    choices->addWidget(caption(QStringLiteral("打印："), cbopage), 0, 0);
    choices->addWidget(cbopage, 0, 1);
    choices->addWidget(caption(QStringLiteral("双面打印(&D)："), cboDuplex), 1, 0);
    choices->addWidget(cboDuplex, 1, 1);
    choices->setColumnStretch(1, 1);
    auto *copiesColumn = new QVBoxLayout;
    copiesColumn->addWidget(copiesGroup);
    copiesColumn->addLayout(choices);
    copiesColumn->addStretch();

    auto *lower = new QHBoxLayout;
    lower->addWidget(rangeGroup, 1);
    lower->addLayout(copiesColumn);

    cmdpgset = named(new QPushButton(QStringLiteral("页面设置")), "cmdpgset");
    cmdPreview = named(new QPushButton(QStringLiteral("预览(&V)")), "cmdPreview");
    cmdprint = named(new QPushButton(QStringLiteral("打印(&P)")), "cmdprint");
    cmdcance = named(new QPushButton(QStringLiteral("取消(&C)")), "cmdcance");
    cmdprint->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *button : { cmdpgset, cmdPreview, cmdprint, cmdcance })
        buttons->addWidget(button);

    auto *page = new QVBoxLayout(this);
    page->addWidget(printerGroup);
    page->addLayout(lower);
    page->addLayout(buttons);
    // A fixed border: the dialog always has the size its contents need, at any font size.
    page->setSizeConstraint(QLayout::SetFixedSize);

    // No window behind them yet: hidden until a caller gives them one.
    command1->hide();
    cmdpgset->hide();
    cmdPreview->hide();

    connect(CboPrinter, &QComboBox::currentIndexChanged, this,
        [this](int index) { runGuarded([&] { selectPrinter(index); }); });
    connect(chkColor, &QCheckBox::clicked, this, [this] { takeColourChoice(); });
    connect(
        command1, &QPushButton::clicked, this, [this] { runGuarded([this] { properties(); }); });
    connect(cmdpgset, &QPushButton::clicked, this, [this] { runGuarded([this] { pageSetup(); }); });
    connect(cmdPreview, &QPushButton::clicked, this, [this] { runGuarded([this] { preview(); }); });
    connect(cmdprint, &QPushButton::clicked, this, [this] { runGuarded([this] { print(); }); });
    connect(cmdcance, &QPushButton::clicked, this, [this] { cancel(); });
    connect(optSpcPage, &QRadioButton::clicked, this, [this] { txtPB->setFocus(); });
    connect(optPageList, &QRadioButton::clicked, this, [this] { txtPageList->setFocus(); });
    // A list prints the sheets it names, whatever their parity.
    connect(optPageList, &QRadioButton::toggled, cbopage,
        [this](bool on) { cbopage->setEnabled(!on); });
    connect(txtCopys, &QLineEdit::textChanged, this, [this] { enableCollate(); });
    for (QLineEdit *box : { txtPB, txtPE, txtMPB, txtMPE, txtPageList })
        box->installEventFilter(this);
}

bool PrintDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn)
        (watched == txtPageList ? optPageList : optSpcPage)->setChecked(true);
    return QDialog::eventFilter(watched, event);
}

void PrintDialog::enableCollate()
{
    // Collating means something from two copies on; every printer has it, since the print
    // loop orders the copies a printer does not make itself.
    chkCollate->setEnabled(numberOf(txtCopys).value_or(1) > 1);
}

void PrintDialog::fillPrinters()
{
    m_printers = printingSystem().printers();
    const int selected = reportPrinterIndex(m_printers);
    {
        const QSignalBlocker blocker(CboPrinter);
        CboPrinter->clear();
        for (const PrinterInfo &printer : std::as_const(m_printers))
            CboPrinter->addItem(printer.deviceName);
        CboPrinter->setCurrentIndex(selected);
    }
    selectPrinter(selected);
}

void PrintDialog::selectPrinter(int index)
{
    if (index < 0 || index >= m_printers.size())
        return;
    const PrinterInfo &printer = m_printers.at(index);
    printingSystem().selectPrinter(printer.deviceName);
    lblState->setText(QStringLiteral("就绪"));
    lblType->setFullText(printer.driverName);
    lblLocation->setFullText(printer.port);
    const PrinterSurface *current = printingSystem().currentPrinter();
    chkColor->setEnabled(current && current->BitsPerPixel() * current->ColorPlanes() > 1);
    const PrinterSurface::Features features
        = current ? current->features() : PrinterSurface::Features();
    cboDuplex->setEnabled(features.duplex);
    cboDuplex->setCurrentIndex(features.duplex ? int(features.sides) : 0);
    enableProperties();
}

void PrintDialog::makeSelectedPrinterCurrent()
{
    const int index = CboPrinter->currentIndex();
    if (index >= 0 && index < m_printers.size())
        printingSystem().selectPrinter(m_printers.at(index).deviceName);
}

void PrintDialog::readColourState()
{
    const PrinterSurface *current = printingSystem().currentPrinter();
    if (current && current->ColorMode() == 0)
        chkColor->setEnabled(false);
    // Set both ways: after the page setup the format may have switched colour off, and the box
    // must not switch it back on at the next Print.
    chkColor->setChecked(engineState().Format.ColorPrint == 1);
}

void PrintDialog::takeColourChoice()
{
    engineState().Format.ColorPrint = chkColor->isEnabled() && chkColor->isChecked() ? 1 : 0;
}

void PrintDialog::saveWithColourChoice()
{
    takeColourChoice();
    // Page setup changes the user declined to save stay unsaved; the colour choice is this
    // dialog's own and is kept.
    if (engineState().FormatDeclined)
        SaveColorPrint(engineState());
    else
        SaveFormat(engineState());
}

void PrintDialog::pageSetup()
{
    EngineState &s = engineState();
    makeSelectedPrinterCurrent();
    s.DrawTarget = printingSystem().currentPrinter();
    LoadFontsAndValues(engineState());
    saveWithColourChoice();
    const auto refill = qScopeGuard([this] {
        engineState().DrawTarget = printingSystem().currentPrinter();
        fillPrinters();
        readColourState();
    });
    m_pageSetupHook();
}

void PrintDialog::preview()
{
    makeSelectedPrinterCurrent();
    saveWithColourChoice();
    engineState().ZoomRate = engineState().printObject()->ZoomRatio;
    m_previewHook();
}

void PrintDialog::properties()
{
    const PrinterSurface *current = printingSystem().currentPrinter();
    if (!current)
        return;
    // Accepted settings may change what the printer can do (colour among them).
    if (m_propertiesHook(current->DeviceName())) {
        selectPrinter(CboPrinter->currentIndex());
        readColourState();
    }
}

void PrintDialog::print()
{
    saveWithColourChoice();

    const std::optional<double> copies = numberOf(txtCopys);
    if (!copies) {
        ShowMessage(QStringLiteral("打印份数无效。\n 只能输入数字"), 0);
        txtCopys->setFocus();
        return;
    }
    if (*copies < 1 || *copies > 999) {
        ShowMessage(QStringLiteral("打印份数无效。\n 范围 1 ~ 999 份"), 64);
        txtCopys->setFocus();
        return;
    }
    if (optSpcPage->isChecked() && !checkRange())
        return;
    if (optPageList->isChecked() && !checkPageList())
        return;

    blnOk = true;
    takeColourChoice();
    makeSelectedPrinterCurrent();
    accept();
}

bool PrintDialog::checkRange()
{
    const EngineState &s = engineState();
    if (isBlank(txtPB) && isBlank(txtPE)) {
        ShowMessage(kInvalidRange, 0);
        return false;
    }
    if (isBlank(txtPB))
        txtPB->setText(txtPE->text());
    else if (isBlank(txtPE))
        txtPE->setText(txtPB->text());
    if (!numberOf(txtPB) || !numberOf(txtPE)) {
        ShowMessage(kInvalidRange, 0);
        return false;
    }
    if (*numberOf(txtPB) < 1)
        txtPB->setText(QStringLiteral("1"));
    if (*numberOf(txtPE) > s.RowPageCount)
        txtPE->setText(QString::number(s.RowPageCount));

    const bool columnBands = !txtMPB->isHidden();
    if (columnBands) {
        if (isBlank(txtMPB))
            txtMPB->setText(QStringLiteral("1"));
        if (isBlank(txtMPE))
            txtMPE->setText(QString::number(s.ColPageCount));
        if (!numberOf(txtMPB) || !numberOf(txtMPE)) {
            ShowMessage(kInvalidRange, 0);
            return false;
        }
        if (*numberOf(txtMPB) < 1)
            txtMPB->setText(QStringLiteral("1"));
        if (*numberOf(txtMPE) > s.ColPageCount)
            txtMPE->setText(QString::number(s.ColPageCount));
    }

    // A range that ends before it starts, or starts on a page the report does not have, would
    // print nothing and still report the print as done: refuse it here, where it can be fixed.
    const qint32 first = integerOf(txtPB);
    const qint32 last = integerOf(txtPE);
    const qint32 firstColumn = columnBands ? integerOf(txtMPB) : 1;
    const qint32 lastColumn = columnBands ? integerOf(txtMPE) : 1;
    if (first > last || firstColumn > s.ColPageCount
        || (first == last && firstColumn > lastColumn)) {
        ShowMessage(kInvalidRange, 0);
        return false;
    }
    return true;
}

bool PrintDialog::checkPageList()
{
    const PageList list = parsePageList(txtPageList->text(), engineState().SheetCount);
    if (list.error.isEmpty())
        return true;
    ShowMessage(list.error, 0);
    txtPageList->setFocus();
    txtPageList->selectAll();
    return false;
}

void PrintDialog::cancel()
{
    blnOk = false;
    PageSetupDialog::setPageChanged(false);
    reject();
}

void PrintDialog::reject()
{
    // Choosing a printer makes it current at once; a dialog left without printing must not
    // leave the preview drawing, or the next print going, for that printer.
    if (!m_printerBefore.isEmpty() && printingSystem().selectPrinter(m_printerBefore)) {
        if (PrinterSurface *printer = printingSystem().currentPrinter())
            printer->setColorMode(m_colorModeBefore);
    }
    QDialog::reject();
}

PrintRequest PrintDialog::request() const
{
    const EngineState &s = engineState();
    PrintRequest r;
    if (OptAllPage->isChecked()) {
        r.kind = 1;
        r.firstRowPage = 1;
        r.lastRowPage = s.RowPageCount;
        r.firstColPage = 1;
        r.lastColPage = s.ColPageCount;
    } else if (OptCrtPage->isChecked()) {
        r.kind = 2;
        r.firstRowPage = r.lastRowPage = s.CurRowPage;
        r.firstColPage = r.lastColPage = s.CurColPage;
    } else if (optPageList->isChecked()) {
        r.kind = 4;
        r.sheets = parsePageList(txtPageList->text(), s.SheetCount).pages;
    } else {
        r.kind = 3;
        r.firstRowPage = integerOf(txtPB);
        r.lastRowPage = integerOf(txtPE);
        if (s.ColPageCount < 2) {
            r.firstColPage = r.lastColPage = 1;
        } else if (txtMPB->isHidden()) {
            // Boxes hidden on a wide report: every column band of the rows asked for.
            r.firstColPage = 1;
            r.lastColPage = s.ColPageCount;
        } else {
            r.firstColPage = integerOf(txtMPB);
            r.lastColPage = integerOf(txtMPE);
        }
    }
    r.copies = integerOf(txtCopys);
    r.parity = r.kind == 4 ? QStringLiteral("所有页") : cbopage->currentText();
    r.collate = chkCollate->isChecked();
    if (cboDuplex->isEnabled())
        r.duplex = PrinterSurface::Duplex(cboDuplex->currentIndex());
    return r;
}

void PrintDialog::hideColumnBands()
{
    for (QWidget *widget : std::initializer_list<QWidget *> { txtMPB, txtMPE, lblmb, lblme })
        widget->hide();
}

void PrintDialog::hideCurrentPage()
{
    OptCrtPage->hide();
}

void PrintDialog::setPageSetupHook(std::function<void()> hook)
{
    m_pageSetupHook = std::move(hook);
    cmdpgset->setVisible(bool(m_pageSetupHook));
}

void PrintDialog::setPreviewHook(std::function<void()> hook)
{
    m_previewHook = std::move(hook);
    cmdPreview->setVisible(bool(m_previewHook));
}

void PrintDialog::setPropertiesHook(
    std::function<bool(const QString &)> hook, std::function<bool(const QString &)> available)
{
    m_propertiesHook = std::move(hook);
    m_propertiesAvailable = std::move(available);
    command1->setVisible(bool(m_propertiesHook));
    enableProperties();
}

void PrintDialog::enableProperties()
{
    const PrinterSurface *current = printingSystem().currentPrinter();
    command1->setEnabled(
        current && (!m_propertiesAvailable || m_propertiesAvailable(current->DeviceName())));
}

} // namespace quillon
