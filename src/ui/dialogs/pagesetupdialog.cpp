#include "pagesetupdialog.h"

#include "childnamer_p.h"

#include "engine/device/clsprinter.h"
#include "engine/draw/picturefilereader.h"
#include "engine/grids/gridkinds.h"
#include "engine/layout/computelayout.h"
#include "engine/layout/sheetjob.h"
#include "engine/state/enginestate.h"
#include "engine/state/platformservices.h"
#include "engine/state/printproperties.h"
#include "engine/state/registry.h"
#include "platform/interfaces/reportfontfaces.h"
#include "platform/interfaces/surface.h"
#include "printer/papercodes.h"

#include <quillon/error.h>
#include <quillon/formatfields.h>

#include <QBoxLayout>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTabWidget>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <optional>

namespace quillon {

namespace {
// The tab the page setup showed last, opened again on it; and whether it last changed the page.
int lastTab = 0;
bool changedPage = false;
} // namespace

bool PageSetupDialog::pageChanged()
{
    return changedPage;
}

void PageSetupDialog::setPageChanged(bool changed)
{
    changedPage = changed;
}

int PageSetupDialog::openingTab()
{
    return lastTab;
}

void PageSetupDialog::setOpeningTab(int tab)
{
    lastTab = tab;
}

namespace {

constexpr double kTwipsPerMm = 56.7;
constexpr double kTwipsPerPixel = 15; // the miniature's pixels are 96 per inch
const QString kAutomatic = QStringLiteral("自动");
// The paper list shows the user's names; the driver's name of each entry is kept here.
constexpr int kDriverPaperName = Qt::UserRole + 1;

/// The job's grid kind has amount columns, whose line colours the dialog offers.
bool jobHasAmountColumns(const EngineState &job)
{
    const GridKindRules *rules = gridKindRules(int(job.printObject()->GridType));
    return rules && rules->hasAmountColumns();
}

/// The value of a digits-only box; nullopt when it is empty or does not fit.
std::optional<int> numberOf(const QLineEdit *box)
{
    bool ok = false;
    const int value = box->text().trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

qint16 shortOf(const QLineEdit *box)
{
    const int value = numberOf(box).value_or(0);
    return qint16(std::clamp<int>(
        value, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()));
}

/// A page-format value's entry in the table that the loader and the command line check with.
const FormatField &formatField(const QString &name)
{
    const FormatField *field = findFormatField(name);
    Q_ASSERT(field);
    return *field;
}

const std::array<QString, 4> kMarginFields { QStringLiteral("Top"), QStringLiteral("Bottom"),
    QStringLiteral("Left"), QStringLiteral("Right") };

/// A report font as the page prints it: the same faces, asked for the same way.
QFont reportFont(const FontSpec &entry)
{
    QFont font;
    font.setFamilies(reportFontFamilies(entry.Name));
    font.setStyleStrategy(QFont::PreferOutline);
    if (entry.Size > 0)
        font.setPointSizeF(entry.Size);
    font.setBold(entry.Bold);
    font.setItalic(entry.Italic);
    font.setStrikeOut(entry.Strikethru);
    font.setUnderline(entry.Underline);
    return font;
}

qint16 flag(const QCheckBox *box)
{
    return box->isChecked() ? 1 : 0;
}

qint32 rgbOf(const QColor &colour)
{
    return qint32(colour.red() | (colour.green() << 8) | (colour.blue() << 16));
}

// A format keeps a user-defined paper as 42; the printer knows it as 256.
qint16 printerPaperOf(qint16 formatPaper)
{
    return formatPaper == 42 ? PaperCodes::UserDefined : formatPaper;
}

qint16 formatPaperOf(qint16 printerPaper)
{
    return printerPaper == PaperCodes::UserDefined ? 42 : printerPaper;
}

QLabel *caption(const QString &text, QWidget *buddy = nullptr)
{
    auto *label = new QLabel(text);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

/// Runs a button's action so that no exception crosses the event loop, with the dialog's own
/// wording of an error.
template <typename Action> void runButton(Action &&action)
{
    const QString later = QStringLiteral("\n请稍后在试!");
    try {
        action();
    } catch (const Error &e) {
        ShowMessage(QStringLiteral("[%1]%2").arg(e.number()).arg(e.description()) + later, 48);
    } catch (const std::exception &e) {
        ShowMessage(QStringLiteral("[%1]%2")
                        .arg(ErrorNumber::Unexpected)
                        .arg(QString::fromLocal8Bit(e.what()))
                + later,
            48);
    }
}

} // namespace

PageSetupDialog::PageSetupDialog(const EngineState &job, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_job(job)
    , m_values { job.Format, job.FontTable }
{
    setObjectName(QStringLiteral("frmpagesetup"));
    setWindowTitle(QStringLiteral("页面设置"));
    buildControls();
    load();
}

PageSetupDialog::~PageSetupDialog() = default;

QString PageSetupDialog::logoFileFilter()
{
    // Each description is kept as written; Qt reads the patterns from the last parentheses.
    return QStringLiteral(
        "图形文件(*.wmf;*.bmp;*.jpg;*.ico;*.dib;) (*.wmf *.bmp *.ico *.dib *.jpg);;"
        "位图文件 (*.bmp);;JPG 文件 (*.jpg);;所有文件 (*)");
}

void PageSetupDialog::buildControls()
{
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->addTab(buildPrinterTab(), QStringLiteral("打印机"));
    SSTab1->addTab(buildPageTab(), QStringLiteral("页面"));
    SSTab1->addTab(buildFontTab(), QStringLiteral("字体"));
    SSTab1->addTab(buildMiscTab(), QStringLiteral("杂项"));

    const QStringList captions
        = { QStringLiteral("确定(&O)"), QStringLiteral("取消(&C)"), QStringLiteral("应用(&A)") };
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (int i = 0; i < 3; ++i) {
        command1[i] = new QPushButton(captions[i], this);
        command1[i]->setObjectName(QStringLiteral("command1(%1)").arg(i));
        buttons->addWidget(command1[i]);
    }
    command1[0]->setDefault(true);
    connect(command1[0], &QPushButton::clicked, this, [this] { runButton([this] { ok(); }); });
    connect(command1[1], &QPushButton::clicked, this, [this] { runButton([this] { cancel(); }); });
    connect(command1[2], &QPushButton::clicked, this,
        [this] { runButton([this] { applyAndSave(); }); });

    auto *page = new QVBoxLayout(this);
    page->addWidget(SSTab1);
    page->addLayout(buttons);
    page->setSizeConstraint(QLayout::SetFixedSize);
    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == 1)
            runButton([this] {
                scaleMiniature();
                redrawMiniature();
            });
    });

    for (QLineEdit *box : { txtLineCount, txtLineHeight, txtPgWidth, txtPgHeight })
        box->installEventFilter(this);
    for (QLineEdit *box : txtMargin)
        box->installEventFilter(this);
}

QWidget *PageSetupDialog::buildPrinterTab()
{
    auto *tab = new QWidget;
    const auto named = childNamer(tab);
    CboPrinter = named(new QComboBox, QStringLiteral("CboPrinter"));
    CboPrinter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CboPrinter->setMinimumContentsLength(28);
    command2 = named(new QPushButton(QStringLiteral("设置")), QStringLiteral("command2"));
    cbxcolorprint
        = named(new QCheckBox(QStringLiteral("使用彩色打印")), QStringLiteral("cbxcolorprint"));
    lblprintmode = named(new QLabel, QStringLiteral("lblprintmode"));
    lblprintlocat = named(new QLabel, QStringLiteral("lblprintlocat"));
    cboPaperSize = named(new QComboBox, QStringLiteral("cboPaperSize"));
    cboPaperSize->setMinimumContentsLength(20);
    cboPaperSize->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    OpnOrient[0] = named(new QRadioButton(QStringLiteral("纵向")), QStringLiteral("OpnOrient(0)"));
    OpnOrient[1] = named(new QRadioButton(QStringLiteral("横向")), QStringLiteral("OpnOrient(1)"));
    lblOldpaper = named(new QLabel, QStringLiteral("lblOldpaper"));
    lblOldpaper->hide();

    auto *grid = new QGridLayout(tab);
    grid->addWidget(caption(QStringLiteral("打印机："), CboPrinter), 0, 0);
    grid->addWidget(CboPrinter, 0, 1, 1, 2);
    grid->addWidget(command2, 0, 3);
    grid->addWidget(caption(QStringLiteral("打印机类型：")), 1, 0);
    grid->addWidget(lblprintmode, 1, 1, 1, 3);
    grid->addWidget(caption(QStringLiteral("打印机位置：")), 2, 0);
    grid->addWidget(lblprintlocat, 2, 1, 1, 3);
    grid->addWidget(cbxcolorprint, 3, 1, 1, 3);
    grid->addWidget(caption(QStringLiteral("纸张大小："), cboPaperSize), 4, 0);
    grid->addWidget(cboPaperSize, 4, 1, 1, 2);
    grid->addWidget(lblOldpaper, 5, 1, 1, 3);
    auto *orientation = new QHBoxLayout;
    orientation->addWidget(OpnOrient[0]);
    orientation->addWidget(OpnOrient[1]);
    orientation->addStretch();
    grid->addWidget(caption(QStringLiteral("纸张方向：")), 6, 0);
    grid->addLayout(orientation, 6, 1, 1, 3);
    grid->setRowStretch(7, 1);
    grid->setColumnStretch(2, 1);

    // No properties sheet behind it yet: hidden until a caller gives it one.
    command2->hide();
    connect(CboPrinter, &QComboBox::currentIndexChanged, this,
        [this](int index) { runButton([&] { selectPrinter(index); }); });
    connect(cboPaperSize, &QComboBox::currentIndexChanged, this,
        [this](int index) { runButton([&] { selectPaper(index); }); });
    connect(command2, &QPushButton::clicked, this, [this] { runButton([this] { properties(); }); });
    return tab;
}

QWidget *PageSetupDialog::buildPageTab()
{
    auto *tab = new QWidget;
    const auto named = childNamer(tab);
    auto *digitsOnly
        = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    const int boxWidth = fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12;
    const auto digitBox = [&](const QString &name) {
        auto *box = named(new QLineEdit, name);
        // The validator also refuses pasted or composed non-digits, not only typed keys.
        box->setValidator(digitsOnly);
        box->setFixedWidth(boxWidth);
        return box;
    };

    auto *margins = named(
        new QGroupBox(QStringLiteral("打印区域边距（单位：毫米）")), QStringLiteral("fraMargin"));
    auto *marginGrid = new QGridLayout(margins);
    const QStringList sides = { QStringLiteral("上："), QStringLiteral("下："),
        QStringLiteral("左："), QStringLiteral("右：") };
    for (int i = 0; i < 4; ++i) {
        txtMargin[i] = digitBox(QStringLiteral("txtMargin(%1)").arg(i));
        vsbMargin[i] = named(new QScrollBar(Qt::Vertical), QStringLiteral("vsbMargin(%1)").arg(i));
        const FormatField &range = formatField(kMarginFields[i]);
        vsbMargin[i]->setRange(range.low, range.high);
        // Up raises the margin, as a spin box would.
        vsbMargin[i]->setInvertedAppearance(true);
        vsbMargin[i]->setInvertedControls(true);
        vsbMargin[i]->setFixedHeight(txtMargin[i]->sizeHint().height());
        const int row = i / 2;
        const int column = (i % 2) * 3;
        marginGrid->addWidget(caption(sides[i], txtMargin[i]), row, column);
        auto *pair = new QHBoxLayout;
        pair->setSpacing(0);
        pair->addWidget(txtMargin[i]);
        pair->addWidget(vsbMargin[i]);
        marginGrid->addLayout(pair, row, column + 1);
        connect(vsbMargin[i], &QScrollBar::valueChanged, this,
            [this, i](int value) { txtMargin[i]->setText(QString::number(value)); });
    }
    marginGrid->setColumnStretch(2, 1);
    chkHcenter = named(new QCheckBox(QStringLiteral("水平居中")), QStringLiteral("chkHcenter"));
    chkVcenter = named(new QCheckBox(QStringLiteral("垂直居中")), QStringLiteral("chkVcenter"));
    marginGrid->addWidget(chkHcenter, 2, 0, 1, 2);
    marginGrid->addWidget(chkVcenter, 2, 3, 1, 2);

    auto *area = named(
        new QGroupBox(QStringLiteral("打印区域（单位：毫米）")), QStringLiteral("fraPrintArea"));
    auto *areaGrid = new QGridLayout(area);
    chkPrintPage = named(
        new QCheckBox(QStringLiteral("使用打印机有效范围")), QStringLiteral("chkPrintPage"));
    txtPgWidth = digitBox(QStringLiteral("txtPgWidth"));
    txtPgHeight = digitBox(QStringLiteral("txtPgHeight"));
    chkHoriCutPage
        = named(new QCheckBox(QStringLiteral("横向折页")), QStringLiteral("chkHoriCutPage"));
    chkAutoArrange
        = named(new QCheckBox(QStringLiteral("自动拼排")), QStringLiteral("chkAutoArrange"));
    areaGrid->addWidget(chkPrintPage, 0, 0, 1, 4);
    areaGrid->addWidget(caption(QStringLiteral("宽度："), txtPgWidth), 1, 0);
    areaGrid->addWidget(txtPgWidth, 1, 1);
    areaGrid->addWidget(caption(QStringLiteral("高度："), txtPgHeight), 1, 2);
    areaGrid->addWidget(txtPgHeight, 1, 3);
    areaGrid->addWidget(chkHoriCutPage, 2, 0, 1, 2);
    areaGrid->addWidget(chkAutoArrange, 2, 2, 1, 2);
    areaGrid->setColumnStretch(4, 1);

    auto *body = new QGridLayout;
    txtLineCount = digitBox(QStringLiteral("txtLineCount"));
    txtLineHeight = digitBox(QStringLiteral("txtLineHeight"));
    chkaddblank = named(new QCheckBox(QStringLiteral("末页加空行")), QStringLiteral("chkaddblank"));
    chkFixCol = named(new QCheckBox(QStringLiteral("加固定列")), QStringLiteral("chkFixCol"));
    body->addWidget(caption(QStringLiteral("正文行数："), txtLineCount), 0, 0);
    body->addWidget(txtLineCount, 0, 1);
    body->addWidget(caption(QStringLiteral("正文行高："), txtLineHeight), 0, 2);
    body->addWidget(txtLineHeight, 0, 3);
    body->addWidget(chkaddblank, 1, 0, 1, 2);
    body->addWidget(chkFixCol, 1, 2, 1, 2);
    body->setColumnStretch(4, 1);

    picviewb = named(new QFrame, QStringLiteral("picviewb"));
    picviewb->setFrameShape(QFrame::StyledPanel);
    picviewb->setFixedSize(150, 200);
    shpPaper = new QFrame(picviewb);
    shpPaper->setObjectName(QStringLiteral("shpPaper"));
    shpPaper->setFrameShape(QFrame::Box);
    picPage = new QFrame(shpPaper); // the printable area lies on the sheet
    picPage->setObjectName(QStringLiteral("picPage"));
    picPage->setAutoFillBackground(true);
    QPalette white = picPage->palette();
    white.setColor(QPalette::Window, Qt::white);
    picPage->setPalette(white);
    picPage->installEventFilter(this);
    auto *first = new QFrame(picPage);
    first->setObjectName(QStringLiteral("Shppage(0)"));
    first->setFrameShape(QFrame::Box);
    Shppage.append(first);
    lblzoom = named(new QLabel, QStringLiteral("lblzoom"));
    lblzoom->setAlignment(Qt::AlignCenter);

    auto *column = new QVBoxLayout;
    column->addWidget(margins);
    column->addWidget(area);
    column->addLayout(body);
    column->addStretch();
    auto *miniature = new QVBoxLayout;
    miniature->addWidget(picviewb);
    miniature->addWidget(lblzoom);
    miniature->addStretch();
    auto *row = new QHBoxLayout(tab);
    row->addLayout(column, 1);
    row->addLayout(miniature);

    for (QCheckBox *box : { chkPrintPage, chkHcenter, chkVcenter }) {
        connect(box, &QCheckBox::toggled, this, [this] {
            updateEnabling();
            redrawMiniature();
        });
    }
    connect(chkAutoArrange, &QCheckBox::toggled, this, [this] {
        if (!chkPrintPage->isChecked())
            redrawMiniature();
    });
    for (QLineEdit *box : txtMargin)
        connect(box, &QLineEdit::textChanged, this, [this, box] {
            if (numberOf(box))
                redrawMiniature();
        });
    for (QLineEdit *box : { txtPgWidth, txtPgHeight })
        connect(box, &QLineEdit::textChanged, this, [this, box] {
            if (numberOf(box))
                redrawMiniature();
        });
    return tab;
}

QWidget *PageSetupDialog::buildFontTab()
{
    auto *tab = new QWidget;
    lstText = new QListWidget(tab);
    lstText->setObjectName(QStringLiteral("lstText"));
    lstText->addItems({ QStringLiteral("标题"), QStringLiteral("副标题"),
        QStringLiteral("表头文字"), QStringLiteral("固定行文字"), QStringLiteral("固定列文字"),
        QStringLiteral("正文"), QStringLiteral("表尾文字"), QStringLiteral("标志文本") });
    lstText->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("固定行文字")) * 2);
    cmdfontset = new QPushButton(QStringLiteral("设置"), tab);
    cmdfontset->setObjectName(QStringLiteral("cmdfontset"));
    // Qt's font dialog has no colour: the entry's colour has a button of its own.
    cmdfontcolor = new QPushButton(QStringLiteral("颜色"), tab);
    cmdfontcolor->setObjectName(QStringLiteral("cmdfontcolor"));
    picFontColor = new QLabel(tab);
    picFontColor->setObjectName(QStringLiteral("picFontColor"));
    picFontColor->setFixedSize(56, 22);
    picFontColor->setFrameShape(QFrame::Box);
    picFontColor->setAutoFillBackground(true);
    PicOut = new QLabel(tab);
    PicOut->setObjectName(QStringLiteral("PicOut"));
    PicOut->setAlignment(Qt::AlignCenter);
    PicOut->setFrameShape(QFrame::StyledPanel);
    PicOut->setAutoFillBackground(true);
    PicOut->setMinimumSize(240, 120);
    PicOut->installEventFilter(this);
    chkRdcFnt = new QCheckBox(QStringLiteral("正文字体自动调整"), tab);
    chkRdcFnt->setObjectName(QStringLiteral("chkRdcFnt"));

    auto *grid = new QGridLayout(tab);
    grid->addWidget(lstText, 0, 0, 3, 1);
    grid->addWidget(caption(QStringLiteral("显示效果：")), 0, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(picFontColor);
    buttons->addWidget(cmdfontcolor);
    buttons->addWidget(cmdfontset);
    grid->addLayout(buttons, 0, 2, Qt::AlignRight);
    grid->addWidget(PicOut, 1, 1, 1, 2);
    grid->addWidget(chkRdcFnt, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    connect(lstText, &QListWidget::currentRowChanged, this,
        [this] { runButton([this] { showFontSample(); }); });
    connect(lstText, &QListWidget::itemDoubleClicked, this,
        [this] { runButton([this] { chooseFont(); }); });
    connect(
        cmdfontset, &QPushButton::clicked, this, [this] { runButton([this] { chooseFont(); }); });
    connect(cmdfontcolor, &QPushButton::clicked, this,
        [this] { runButton([this] { chooseFontColour(); }); });
    return tab;
}

QWidget *PageSetupDialog::buildMiscTab()
{
    auto *tab = new QWidget;
    const auto named = childNamer(tab);
    auto *printed = named(new QGroupBox(QStringLiteral("打印")), QStringLiteral("fraPrint"));
    chkCyline = named(new QCheckBox(QStringLiteral("金额线")), QStringLiteral("chkCyline"));
    chkCutline = named(new QCheckBox(QStringLiteral("裁剪线")), QStringLiteral("chkCutline"));
    chkOperator = named(new QCheckBox(QStringLiteral("操作员姓名")), QStringLiteral("chkOperator"));
    chkprintdata = named(new QCheckBox(QStringLiteral("打印日期")), QStringLiteral("chkprintdata"));
    chkpageno = named(new QCheckBox(QStringLiteral("页号")), QStringLiteral("chkpageno"));
    auto *printedGrid = new QGridLayout(printed);
    printedGrid->addWidget(chkCyline, 0, 0);
    printedGrid->addWidget(chkCutline, 0, 1);
    printedGrid->addWidget(chkOperator, 0, 2);
    printedGrid->addWidget(chkprintdata, 1, 0);
    printedGrid->addWidget(chkpageno, 1, 1);

    chklogo = named(new QCheckBox(QStringLiteral("打印徽标")), QStringLiteral("chklogo"));
    cmdlogo = named(new QPushButton(QStringLiteral("徽标")), QStringLiteral("cmdlogo"));
    Image1 = named(new QLabel, QStringLiteral("Image1"));
    Image1->setFixedSize(64, 48);
    Image1->setFrameShape(QFrame::StyledPanel);
    Image1->setAlignment(Qt::AlignCenter);
    cbologo = named(new QComboBox, QStringLiteral("cbologo"));
    cbologo->addItems(
        { QStringLiteral("主标题下"), QStringLiteral("左上角"), QStringLiteral("右上角"),
            QStringLiteral("左下角"), QStringLiteral("右下角"), QStringLiteral("底边") });
    chklogotxt = named(new QCheckBox(QStringLiteral("打印标志文本")), QStringLiteral("chklogotxt"));
    txtLogTxt = named(new QLineEdit, QStringLiteral("txtLogTxt"));
    cbologotxt = named(new QComboBox, QStringLiteral("cbologotxt"));
    cbologotxt->addItems({ QStringLiteral("上边横排"), QStringLiteral("左上角横排"),
        QStringLiteral("左上角竖排"), QStringLiteral("左边竖排"), QStringLiteral("左下角横排"),
        QStringLiteral("左下角竖排"), QStringLiteral("右上角横排"), QStringLiteral("右上角竖排"),
        QStringLiteral("右边竖排"), QStringLiteral("右下角横排"), QStringLiteral("右下角竖排"),
        QStringLiteral("下边横排") });

    const auto swatch = [&](const QString &name) {
        auto *label = named(new QLabel, name);
        label->setFixedSize(56, 22);
        label->setFrameShape(QFrame::Box);
        label->setAlignment(Qt::AlignCenter);
        label->setAutoFillBackground(true);
        return label;
    };
    cmdcolor = named(new QPushButton(QStringLiteral("...")), QStringLiteral("cmdcolor"));
    picColor = swatch(QStringLiteral("picColor"));
    cmdJeLine = named(new QPushButton(QStringLiteral("...")), QStringLiteral("cmdJeLine"));
    lblJeLine = swatch(QStringLiteral("lblJeLine"));
    lblJeLineColor = named(new QLabel(QStringLiteral("金额线:")), QStringLiteral("lblJeLineColor"));
    cmdDotLine = named(new QPushButton(QStringLiteral("...")), QStringLiteral("cmdDotLine"));
    lblDotLine = swatch(QStringLiteral("lblDotLine"));
    lblDotLineColor
        = named(new QLabel(QStringLiteral("点分线:")), QStringLiteral("lblDotLineColor"));
    // Narrow, as the three dots need, yet never narrower than the style's button.
    for (QPushButton *button : { cmdcolor, cmdJeLine, cmdDotLine })
        button->setFixedWidth(button->minimumSizeHint().width());

    auto *grid = new QGridLayout;
    grid->addWidget(chklogo, 0, 0);
    grid->addWidget(cmdlogo, 0, 1);
    grid->addWidget(Image1, 0, 2, 2, 1);
    grid->addWidget(caption(QStringLiteral("打印位置："), cbologo), 1, 0);
    grid->addWidget(cbologo, 1, 1);
    grid->addWidget(chklogotxt, 2, 0);
    grid->addWidget(txtLogTxt, 2, 1, 1, 2);
    grid->addWidget(caption(QStringLiteral("打印位置："), cbologotxt), 3, 0);
    grid->addWidget(cbologotxt, 3, 1);
    grid->setColumnStretch(3, 1);

    auto *colours = new QHBoxLayout;
    colours->addWidget(caption(QStringLiteral("表线:")));
    colours->addWidget(picColor);
    colours->addWidget(cmdcolor);
    colours->addSpacing(12);
    colours->addWidget(lblJeLineColor);
    colours->addWidget(lblJeLine);
    colours->addWidget(cmdJeLine);
    colours->addSpacing(12);
    colours->addWidget(lblDotLineColor);
    colours->addWidget(lblDotLine);
    colours->addWidget(cmdDotLine);
    colours->addStretch();

    auto *column = new QVBoxLayout(tab);
    column->addWidget(printed);
    column->addLayout(grid);
    column->addLayout(colours);
    column->addStretch();

    connect(
        cmdcolor, &QPushButton::clicked, this, [this] { runButton([this] { chooseColour(0); }); });
    connect(
        cmdJeLine, &QPushButton::clicked, this, [this] { runButton([this] { chooseColour(1); }); });
    connect(cmdDotLine, &QPushButton::clicked, this,
        [this] { runButton([this] { chooseColour(2); }); });
    connect(cmdlogo, &QPushButton::clicked, this, [this] { runButton([this] { chooseLogo(); }); });
    return tab;
}

void PageSetupDialog::load()
{
    const PageFormat &f = m_values.format;
    m_loading = true;
    SSTab1->setCurrentIndex(std::clamp<int>(lastTab, 0, SSTab1->count() - 1));

    // Cancel puts back the printer as it was before the dialog chose one and set its paper.
    if (const PrinterSurface *before = printingSystem().currentPrinter()) {
        m_loadedPrinterName = before->DeviceName();
        m_loadedPaper = before->PaperSize();
        m_loadedPaperName = before->PaperName();
        m_loadedOrientation = before->Orientation();
    }

    m_printers = printingSystem().printers();
    int selected = -1;
    {
        const QSignalBlocker blocker(CboPrinter);
        CboPrinter->clear();
        for (qsizetype i = 0; i < m_printers.size(); ++i) {
            CboPrinter->addItem(m_printers[i].deviceName);
            if (m_printers[i].deviceName == f.PrinterName)
                selected = int(i);
        }
    }
    const bool found = selected >= 0;
    if (!found && !m_printers.isEmpty())
        selected = 0;
    {
        const QSignalBlocker blocker(CboPrinter);
        CboPrinter->setCurrentIndex(selected);
    }
    selectPrinter(selected);

    cbxcolorprint->setChecked(f.ColorPrint == 1);
    OpnOrient[f.PaperOriention == 1 ? 0 : 1]->setChecked(true);
    chkPrintPage->setChecked(f.FullPage == 1);
    chkHcenter->setChecked(f.HCenter == 1);
    chkVcenter->setChecked(f.VCenter == 1);
    txtPgHeight->setText(QString::number(f.PageHeight));
    txtPgWidth->setText(QString::number(f.PageWidth));
    const std::array<qint16, 4> margins { f.Top, f.Bottom, f.Left, f.Right };
    for (int i = 0; i < 4; ++i) {
        txtMargin[i]->setText(QString::number(margins[i]));
        vsbMargin[i]->setValue(margins[i]);
    }
    chkAutoArrange->setChecked(f.AutoArrange == 1);
    chkFixCol->setChecked(f.MultFixCol == 1);
    chkHoriCutPage->setChecked(f.HoriCutPage == 1);
    txtLineCount->setText(QString::number(f.LineCount));
    txtLineHeight->setText(QString::number(f.LineHeight));
    chkaddblank->setChecked(f.FillBlankLine == 1);
    chkRdcFnt->setChecked(f.ReduceFont == 1);
    if (!found || !printingSystem().currentPrinter())
        ShowMessage(
            QStringLiteral("原设打印机(") + f.PrinterName + QStringLiteral(")没有有找到。"), 0);

    chkCyline->setChecked(f.Cyline == 1);
    chkCutline->setChecked(f.Cutline == 1);
    chkprintdata->setChecked(f.PrintDate == 1);
    chkpageno->setChecked(f.PrintPageNo == 1);
    chkOperator->setChecked(f.PrintOperator == 1);
    chklogo->setChecked(f.LogPicPrt == 1);
    if (!f.LogPic.isEmpty()) {
        PictureFileReader reader(f.LogPic);
        m_logo = reader.read(); // a picture that cannot be read leaves the box empty
        Image1->setPixmap(m_logo.isNull() ? QPixmap()
                                          : QPixmap::fromImage(m_logo.scaled(Image1->size(),
                                              Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    if (f.LogPicLoc >= 0 && f.LogPicLoc < cbologo->count())
        cbologo->setCurrentIndex(f.LogPicLoc);
    chklogotxt->setChecked(f.LogTextPrt == 1);
    if (f.LogTextLoc >= 0 && f.LogTextLoc < cbologotxt->count())
        cbologotxt->setCurrentIndex(f.LogTextLoc);
    txtLogTxt->setText(f.LogText);
    m_gridColor = f.GridColor;
    showSwatch(picColor, m_gridColor, false);

    m_loading = false;
    lstText->setCurrentRow(0);
    showFontSample();

    if (lastTab == 1)
        SSTab1->setCurrentIndex(0);
    scaleMiniature();

    const bool voucher = jobHasAmountColumns(m_job);
    for (QWidget *control : std::initializer_list<QWidget *> {
             cmdJeLine, lblJeLine, lblJeLineColor, cmdDotLine, lblDotLine, lblDotLineColor })
        control->setVisible(voucher);
    if (voucher) {
        m_jeLineColor = f.JeLineColor;
        m_dotLineColor = f.DotLineColor;
        showSwatch(lblJeLine, m_jeLineColor, m_jeLineColor == -1);
        showSwatch(lblDotLine, m_dotLineColor, m_dotLineColor == -1);
    } else {
        lblJeLine->clear();
        lblDotLine->clear();
    }
    updateEnabling();
}

void PageSetupDialog::selectPrinter(int index)
{
    if (index < 0 || index >= m_printers.size())
        return;
    const PrinterInfo &printer = m_printers.at(index);
    printingSystem().selectPrinter(printer.deviceName);
    lblprintmode->setText(printer.driverName);
    lblprintlocat->setText(printer.port);
    const PrinterSurface *current = printingSystem().currentPrinter();
    cbxcolorprint->setEnabled(current && current->ColorMode() != 0);
    enableProperties();
    fillPapers();
}

void PageSetupDialog::fillPapers()
{
    QString shown = cboPaperSize->currentData(kDriverPaperName).toString();
    const qint16 wanted = printerPaperOf(m_values.format.PaperSize);
    // At load nothing is shown yet: the format's own paper is the one that was set before.
    if (shown.isEmpty())
        shown = PaperCodes::name(wanted);
    const PrinterSurface *current = printingSystem().currentPrinter();
    const QList<PaperInfo> papers
        = current ? printerPapers(current->DeviceName()) : QList<PaperInfo>();
    // Of a paper listed more than once under its code, the one the printer holds (chosen here
    // before, or in its settings), else the one shown, else the plain one.
    const QString held
        = current && current->PaperSize() == wanted ? current->PaperName() : QString();
    const int match = int(paperEntry(papers, wanted, held.isEmpty() ? shown : held));
    {
        const QSignalBlocker blocker(cboPaperSize);
        cboPaperSize->clear();
        const QStringList names = PaperCodes::shownNames(papers);
        for (qsizetype i = 0; i < papers.size(); ++i) {
            cboPaperSize->addItem(names[i], int(papers[i].code));
            cboPaperSize->setItemData(int(i), papers[i].name.trimmed(), kDriverPaperName);
        }
    }
    int selected = match;
    if (match >= 0) {
        lblOldpaper->hide();
    } else if (cboPaperSize->count() > 0) {
        selected = cboPaperSize->count() - 1;
        lblOldpaper->setText(QStringLiteral("原设置纸张：") + PaperCodes::shownName(wanted, shown));
        lblOldpaper->show();
    }
    {
        const QSignalBlocker blocker(cboPaperSize);
        cboPaperSize->setCurrentIndex(selected);
    }
    selectPaper(selected);
}

void PageSetupDialog::selectPaper(int index)
{
    PrinterSurface *current = printingSystem().currentPrinter();
    if (!current || index < 0 || index >= cboPaperSize->count())
        return;
    current->setPaper(qint16(cboPaperSize->itemData(index).toInt()),
        cboPaperSize->itemData(index, kDriverPaperName).toString());
}

void PageSetupDialog::restorePrinter()
{
    if (m_loadedPrinterName.isEmpty())
        return;
    printingSystem().selectPrinter(m_loadedPrinterName);
    if (PrinterSurface *current = printingSystem().currentPrinter()) {
        current->setPaper(m_loadedPaper, m_loadedPaperName);
        current->setOrientation(m_loadedOrientation);
    }
}

void PageSetupDialog::updateEnabling()
{
    txtPgWidth->setEnabled(!chkPrintPage->isChecked());
    txtPgHeight->setEnabled(!chkPrintPage->isChecked());
    for (int i = 0; i < 4; ++i) {
        const bool centred = i < 2 ? chkVcenter->isChecked() : chkHcenter->isChecked();
        txtMargin[i]->setEnabled(!centred);
        vsbMargin[i]->setEnabled(!centred);
    }
}

bool PageSetupDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        if (auto *box = qobject_cast<QLineEdit *>(watched)) {
            // Checked once the focus has moved: a message box opened inside the focus change
            // would fight it for the focus.
            QMetaObject::invokeMethod(
                this, [this, box] { runButton([&] { checkLeaving(box); }); }, Qt::QueuedConnection);
        }
    } else if (watched == picPage && event->type() == QEvent::Paint) {
        QPainter painter(picPage);
        painter.setPen(QPen(Qt::gray, 0, Qt::DotLine));
        painter.drawLines(m_pageLines);
    } else if (watched == PicOut && event->type() == QEvent::MouseButtonDblClick) {
        runButton([this] { chooseFont(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool PageSetupDialog::checkLeaving(QLineEdit *box)
{
    if (m_checking)
        return true;
    m_checking = true;
    const auto finished = qScopeGuard([this] { m_checking = false; });
    const std::optional<int> value = numberOf(box);
    if (const QString message = refusalOf(box, value); !message.isEmpty()) {
        refuse(box, message);
        return false;
    }
    // A row count and a row height exclude each other.
    if (box == txtLineCount && *value > 0)
        txtLineHeight->setText(QStringLiteral("0"));
    if (box == txtLineHeight && *value > 0)
        txtLineCount->setText(QStringLiteral("0"));
    for (int i = 0; i < 4; ++i) {
        if (box == txtMargin[i])
            vsbMargin[i]->setValue(*value);
    }
    return true;
}

const FormatField &PageSetupDialog::fieldOf(const QLineEdit *box) const
{
    for (int i = 0; i < 4; ++i) {
        if (box == txtMargin[i])
            return formatField(kMarginFields[i]);
    }
    if (box == txtLineCount)
        return formatField(QStringLiteral("LineCount"));
    if (box == txtLineHeight)
        return formatField(QStringLiteral("LineHeight"));
    return formatField(
        box == txtPgWidth ? QStringLiteral("PageWidth") : QStringLiteral("PageHeight"));
}

/// The box's own message when its text is no number or a number the stored format could not
/// keep (the loader would refuse it); empty when the value is fine.
QString PageSetupDialog::refusalOf(const QLineEdit *box, std::optional<int> value) const
{
    const FormatField &field = fieldOf(box);
    if (value && field.allows(*value))
        return {};
    if (box == txtLineCount)
        return value ? QStringLiteral("行数太大，请重新设置。") : QStringLiteral("行数输入有误。");
    if (box == txtLineHeight) {
        if (!value)
            return QStringLiteral("行高度输入有误。");
        return *value < field.low ? QStringLiteral("行高度太小，请重新输入。")
                                  : QStringLiteral("行高度太大，请重新输入。");
    }
    if (box == txtPgHeight)
        return QStringLiteral("页高输入有误。");
    if (box == txtPgWidth)
        return QStringLiteral("页宽输入有误。");
    return QStringLiteral("边距输入有误");
}

void PageSetupDialog::refuse(QLineEdit *box, const QString &message)
{
    // A refused row count or height becomes 0, automatic.
    if ((box == txtLineCount || box == txtLineHeight) && numberOf(box))
        box->setText(QStringLiteral("0"));
    if (std::find(txtMargin.cbegin(), txtMargin.cend(), box) != txtMargin.cend())
        ShowMessage(message, 48, QStringLiteral("打印预览"));
    else
        ShowMessage(message, 0);
    box->setFocus();
}

void PageSetupDialog::scaleMiniature()
{
    PrinterSurface *printer = printingSystem().currentPrinter();
    if (!printer)
        return;
    const bool portrait = OpnOrient[0]->isChecked();
    printer->setOrientation(portrait ? 1 : 2);
    const double sheet = portrait ? printer->Height() : printer->Width();
    const double room = (portrait ? picviewb->height() : picviewb->width()) * kTwipsPerPixel;
    m_scale = int(std::floor(sheet / room)) + 1;
    lblzoom->setText(QStringLiteral("比例 1:") + QString::number(m_scale));
    const auto centred = [this](double widthTw, double heightTw) {
        const QSizeF size(widthTw / kTwipsPerPixel / m_scale, heightTw / kTwipsPerPixel / m_scale);
        const QPointF corner(
            (picviewb->width() - size.width()) / 2, (picviewb->height() - size.height()) / 2);
        return QRectF(corner, size).toRect();
    };
    shpPaper->setGeometry(centred(printer->Width(), printer->Height()));
    picPage->setGeometry(
        centred(printer->ScaleWidth(), printer->ScaleHeight()).translated(-shpPaper->pos()));
}

void PageSetupDialog::redrawMiniature()
{
    if (m_loading)
        return;
    PrinterSurface *printer = printingSystem().currentPrinter();
    if (!printer)
        return;
    PageSetupValues shown = m_values;
    readControls(shown.format, printer);
    // A format the layout refuses keeps the miniature as it was.
    const std::optional<SheetPlan> plan = planSheet(m_job, shown, *printer);
    if (!plan)
        return;

    const auto scaled = [this](double twips) { return twips / kTwipsPerPixel / m_scale; };
    const auto place = [&](const QRect &page) {
        return QRectF(
            scaled(page.x()), scaled(page.y()), scaled(page.width()), scaled(page.height()));
    };
    const auto pages = int(plan->pages.size());
    while (Shppage.size() > pages)
        delete Shppage.takeLast();
    while (Shppage.size() < pages) {
        auto *shape = new QFrame(picPage);
        shape->setObjectName(QStringLiteral("Shppage(%1)").arg(Shppage.size()));
        shape->setFrameShape(QFrame::Box);
        shape->show();
        Shppage.append(shape);
    }
    for (int i = 0; i < pages; ++i)
        Shppage[i]->setGeometry(place(plan->pages[i]).toRect());
    m_pageLines.clear();
    if (shown.format.FullPage != 1 && shown.format.AutoArrange == 1) {
        for (int c = 1; c < plan->across; ++c) {
            const double x = place(plan->pages[c]).x() - 1;
            m_pageLines.append(QLineF(x, 0, x, picPage->height()));
        }
        for (int r = 1; r < plan->down; ++r) {
            const double y = place(plan->pages[r * plan->across]).y() - 1;
            m_pageLines.append(QLineF(0, y, picPage->width(), y));
        }
    }
    picPage->update();
}

void PageSetupDialog::readControls(PageFormat &f, const PrinterSurface *printer) const
{
    f.PrinterName = CboPrinter->currentText();
    if (printer)
        f.PaperSize = formatPaperOf(printer->PaperSize());
    f.ColorPrint = flag(cbxcolorprint);
    f.PaperOriention = OpnOrient[0]->isChecked() ? 1 : 2;
    f.PageWidth = shortOf(txtPgWidth);
    f.PageHeight = shortOf(txtPgHeight);
    f.ReduceFont = flag(chkRdcFnt);
    f.Top = shortOf(txtMargin[0]);
    f.Bottom = shortOf(txtMargin[1]);
    f.Left = shortOf(txtMargin[2]);
    f.Right = shortOf(txtMargin[3]);
    f.LineCount = shortOf(txtLineCount);
    f.LineHeight = shortOf(txtLineHeight);
    f.FillBlankLine = flag(chkaddblank);
    f.AutoArrange = flag(chkAutoArrange);
    f.MultFixCol = flag(chkFixCol);
    f.HoriCutPage = flag(chkHoriCutPage);
    f.HCenter = flag(chkHcenter);
    f.VCenter = flag(chkVcenter);
    f.Cyline = flag(chkCyline);
    f.Cutline = flag(chkCutline);
    f.PrintDate = flag(chkprintdata);
    f.PrintPageNo = flag(chkpageno);
    f.PrintOperator = flag(chkOperator);
    f.LogPicPrt = flag(chklogo);
    if (!m_logoPath.isEmpty())
        f.LogPic = m_logoPath;
    f.LogPicLoc = qint16(cbologo->currentIndex());
    f.LogTextPrt = flag(chklogotxt);
    f.LogText = txtLogTxt->text();
    f.LogTextLoc = qint16(cbologotxt->currentIndex());
    f.GridColor = m_gridColor;
    if (jobHasAmountColumns(m_job)) {
        if (lblJeLine->text() != kAutomatic)
            f.JeLineColor = m_jeLineColor;
        if (lblDotLine->text() != kAutomatic)
            f.DotLineColor = m_dotLineColor;
    }
    f.FullPage = flag(chkPrintPage);
}

bool PageSetupDialog::ApplyPageSetup()
{
    for (QLineEdit *box : { txtLineCount, txtLineHeight }) {
        if (!numberOf(box))
            box->setText(QStringLiteral("0"));
    }
    // A box left with a refused value (a click on OK leaves it before its check has put the
    // focus back) must not reach the format: what is stored must load again as it is.
    for (QLineEdit *box : { txtMargin[0], txtMargin[1], txtMargin[2], txtMargin[3], txtPgWidth,
             txtPgHeight, txtLineCount, txtLineHeight }) {
        const std::optional<int> value = numberOf(box);
        // An empty page size stores 0, as it always did.
        const bool blankPage = !value && (box == txtPgWidth || box == txtPgHeight);
        if (const QString message = refusalOf(box, value); !message.isEmpty() && !blankPage) {
            SSTab1->setCurrentIndex(1);
            refuse(box, message);
            return false;
        }
    }

    PrinterSurface *printer = printingSystem().currentPrinter();
    if (printer)
        printer->setOrientation(OpnOrient[0]->isChecked() ? 1 : 2);
    if (!chkPrintPage->isChecked() && printer) {
        const auto ask = [&](double printable, QLineEdit *box, const QString &question) {
            if (printable >= numberOf(box).value_or(0) * kTwipsPerMm)
                return true;
            if (ShowMessage(question, 52) != 7)
                return true;
            SSTab1->setCurrentIndex(1);
            box->setFocus();
            return false;
        };
        if (!ask(printer->ScaleHeight(), txtPgHeight,
                QStringLiteral("页面<高度>大于打印区高度,是否重退出?")))
            return false;
        if (!ask(printer->ScaleWidth(), txtPgWidth,
                QStringLiteral("页面<宽度>大于打印区宽度,是否退出?")))
            return false;
    }
    if (chklogo->isChecked() && m_logo.isNull()) {
        ShowMessage(QStringLiteral("没有选择徽标。"), 0);
        SSTab1->setCurrentIndex(3);
        return false;
    }

    readControls(m_values.format, printer);
    return true;
}

void PageSetupDialog::showSwatch(QLabel *swatch, qint32 colour, bool automatic)
{
    QPalette palette = swatch->palette();
    if (automatic) {
        palette.setColor(QPalette::Window, this->palette().color(QPalette::Button));
        swatch->setText(kAutomatic);
    } else {
        palette.setColor(QPalette::Window, colorFromRgb(colour));
        swatch->clear();
    }
    swatch->setPalette(palette);
}

void PageSetupDialog::chooseColour(int which)
{
    static const std::array<QString, 3> titles { QStringLiteral("选择表线颜色"),
        QStringLiteral("选择金额线颜色"), QStringLiteral("选择点分线颜色") };
    const QColor chosen = QColorDialog::getColor(colorFromRgb(m_gridColor), this, titles[which]);
    if (!chosen.isValid())
        return;
    const qint32 value = rgbOf(chosen);
    if (which == 0) {
        m_gridColor = value;
        showSwatch(picColor, value, false);
    } else if (which == 1) {
        m_jeLineColor = value;
        showSwatch(lblJeLine, value, false);
    } else {
        m_dotLineColor = value;
        showSwatch(lblDotLine, value, false);
    }
}

void PageSetupDialog::chooseLogo()
{
    const QString start = m_logoPath.isEmpty() ? m_values.format.LogPic : m_logoPath;
    m_logoPath = QFileDialog::getOpenFileName(
        this, QStringLiteral("选择徽标图片文件"), start, logoFileFilter());
    if (!m_logoPath.isEmpty())
        loadLogo(m_logoPath);
}

bool PageSetupDialog::loadLogo(const QString &path)
{
    if (!QFileInfo::exists(path)) {
        ShowMessage(path + QStringLiteral("文件没有找到。"), 48);
        m_logoPath.clear();
        return false;
    }
    PictureFileReader reader(path);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        // A folder, a pipe or a picture past the limits is named for what it is.
        ShowMessage(reader.refusal().isEmpty() ? path + QStringLiteral("不是图形文件。")
                                               : path + QStringLiteral("：") + reader.refusal()
                    + QStringLiteral("，不能作为徽标。"),
            48);
        m_logoPath.clear();
        return false;
    }
    m_logo = picture;
    Image1->setPixmap(QPixmap::fromImage(
        m_logo.scaled(Image1->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    return true;
}

void PageSetupDialog::chooseFont()
{
    const int row = lstText->currentRow();
    if (row < 0)
        return;
    FontSpec &entry = m_values.fonts[size_t(row)];
    QFont initial = reportFont(entry);
    // The face the page resolves the name to, which the dialog's list can show.
    initial.setFamilies({ QFontInfo(initial).family() });
    QFontDialog dialog(this);
    dialog.setOption(QFontDialog::ScalableFonts);
    dialog.setWindowTitle(
        QStringLiteral(".. ") + lstText->item(row)->text() + QStringLiteral(" .."));
    dialog.setCurrentFont(initial);
    // Only what the user changes from what the dialog shows is taken: an untouched face keeps
    // the report's name ("楷体", not the face it maps to), and a face without a bold style that
    // shows a bold entry plain leaves it bold.
    const QFont shown = dialog.currentFont();
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QFont chosen = dialog.selectedFont();
    if (chosen.family() != shown.family())
        entry.Name = chosen.family();
    if (chosen.pointSizeF() != shown.pointSizeF()) {
        const FormatField &size = formatField(QStringLiteral("FONT%1_Size").arg(row));
        if (size.allows(qint64(std::nearbyint(chosen.pointSizeF()))))
            entry.Size = chosen.pointSizeF();
        else
            ShowMessage(QStringLiteral("字体大小应为 %1 磅。").arg(size.rangeText()), 48);
    }
    if (chosen.bold() != shown.bold())
        entry.Bold = chosen.bold();
    if (chosen.italic() != shown.italic())
        entry.Italic = chosen.italic();
    if (chosen.strikeOut() != shown.strikeOut())
        entry.Strikethru = chosen.strikeOut();
    if (chosen.underline() != shown.underline())
        entry.Underline = chosen.underline();
    showFontSample();
}

void PageSetupDialog::chooseFontColour()
{
    const int row = lstText->currentRow();
    if (row < 0)
        return;
    FontSpec &entry = m_values.fonts[size_t(row)];
    const QColor chosen
        = QColorDialog::getColor(colorFromRgb(entry.Color), this, QStringLiteral("选择字体颜色"));
    if (!chosen.isValid())
        return;
    entry.Color = rgbOf(chosen);
    showFontSample();
}

void PageSetupDialog::showFontSample()
{
    const int row = lstText->currentRow();
    if (row < 0) {
        PicOut->clear();
        return;
    }
    const FontSpec &entry = m_values.fonts[size_t(row)];
    PicOut->setFont(reportFont(entry));
    QPalette palette = PicOut->palette();
    palette.setColor(QPalette::WindowText, colorFromRgb(entry.Color));
    palette.setColor(QPalette::Window, Qt::white);
    PicOut->setPalette(palette);
    PicOut->setText(lstText->item(row)->text());
    showSwatch(picFontColor, entry.Color, false);
}

void PageSetupDialog::properties()
{
    PrinterSurface *current = printingSystem().currentPrinter();
    if (!current || !m_propertiesHook)
        return;
    // The sheet starts on the paper and orientation shown here (Cancel puts the printer back).
    current->setOrientation(OpnOrient[0]->isChecked() ? 1 : 2);
    const std::optional<PrinterPage> page = m_propertiesHook(current->DeviceName());
    if (!page)
        return;
    // Accepted settings may change what the printer can do (colour among them).
    selectPrinter(CboPrinter->currentIndex());
    // The paper and orientation chosen there show here; OK or Apply puts them in the format.
    QList<PaperInfo> listed;
    for (int i = 0; i < cboPaperSize->count(); ++i)
        listed.append({ qint16(cboPaperSize->itemData(i).toInt()),
            cboPaperSize->itemData(i, kDriverPaperName).toString() });
    if (const qsizetype entry = paperEntry(listed, page->paperSize, page->paperName); entry >= 0)
        cboPaperSize->setCurrentIndex(int(entry));
    if (page->orientation == 1 || page->orientation == 2)
        OpnOrient[page->orientation == 2 ? 1 : 0]->setChecked(true);
}

void PageSetupDialog::setSaveCaption()
{
    command1[2]->setText(QStringLiteral("保存(&S)"));
}

void PageSetupDialog::setSaveHook(std::function<void(const PageSetupValues &)> hook)
{
    m_saveHook = std::move(hook);
}

void PageSetupDialog::applyTo(SheetJob &job, std::function<void()> redraw)
{
    setSaveHook([&job, redraw = std::move(redraw)](const PageSetupValues &values) {
        job.savePageSetup(values);
        if (redraw)
            redraw();
    });
    connect(this, &QDialog::accepted, this, [this, &job] { job.usePageSetup(m_values); });
}

void PageSetupDialog::setPropertiesHook(
    std::function<std::optional<PrinterPage>(const QString &)> hook,
    std::function<bool(const QString &)> available)
{
    m_propertiesHook = std::move(hook);
    m_propertiesAvailable = std::move(available);
    command2->setVisible(bool(m_propertiesHook));
    enableProperties();
}

void PageSetupDialog::enableProperties()
{
    const PrinterSurface *current = printingSystem().currentPrinter();
    command2->setEnabled(
        current && (!m_propertiesAvailable || m_propertiesAvailable(current->DeviceName())));
}

void PageSetupDialog::ok()
{
    if (ApplyPageSetup()) {
        setPageChanged(true);
        accept();
    }
}

void PageSetupDialog::cancel()
{
    setPageChanged(false);
    restorePrinter();
    QDialog::reject();
}

void PageSetupDialog::applyAndSave()
{
    if (!ApplyPageSetup())
        return;
    if (m_saveHook)
        m_saveHook(m_values);
}

void PageSetupDialog::reject()
{
    runButton([this] { cancel(); });
}

void PageSetupDialog::done(int result)
{
    lastTab = SSTab1->currentIndex();
    QDialog::done(result);
}

} // namespace quillon
