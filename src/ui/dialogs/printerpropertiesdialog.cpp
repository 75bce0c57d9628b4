#include "printerpropertiesdialog.h"

#include "childnamer_p.h"

#include "printer/papercodes.h"

#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>

namespace quillon {

namespace {

// The options every driver has a word for, in the order the dialog shows them first.
const char *const kCommon[]
    = { "PageSize", "orientation-requested", "Duplex", "sides", "ColorModel", "print-color-mode",
          "Resolution", "print-quality", "cupsPrintQuality", "InputSlot", "MediaType" };

const QHash<QString, QString> &optionNames()
{
    static const QHash<QString, QString> names {
        { u"PageSize"_qs, u"纸张"_qs },
        { u"orientation-requested"_qs, u"方向"_qs },
        { u"Duplex"_qs, u"双面打印"_qs },
        { u"sides"_qs, u"双面打印"_qs },
        { u"ColorModel"_qs, u"颜色"_qs },
        { u"print-color-mode"_qs, u"颜色"_qs },
        { u"Resolution"_qs, u"分辨率"_qs },
        { u"print-quality"_qs, u"打印质量"_qs },
        { u"cupsPrintQuality"_qs, u"打印质量"_qs },
        { u"InputSlot"_qs, u"纸盒"_qs },
        { u"MediaType"_qs, u"纸张类型"_qs },
        { u"OutputBin"_qs, u"出纸盒"_qs },
        { u"Collate"_qs, u"逐份打印"_qs },
        { u"ManualFeed"_qs, u"手动进纸"_qs },
        { u"StapleLocation"_qs, u"装订位置"_qs },
    };
    return names;
}

// Choices whose value says what they are, whatever the driver calls them.
const QHash<QString, QString> &valueNames()
{
    static const QHash<QString, QString> names {
        { u"orientation-requested=3"_qs, u"纵向"_qs },
        { u"orientation-requested=4"_qs, u"横向"_qs },
        { u"print-quality=3"_qs, u"草稿"_qs },
        { u"print-quality=4"_qs, u"普通"_qs },
        { u"print-quality=5"_qs, u"高"_qs },
        { u"Duplex=None"_qs, u"关闭（单面打印）"_qs },
        { u"Duplex=DuplexNoTumble"_qs, u"长边翻转"_qs },
        { u"Duplex=DuplexTumble"_qs, u"短边翻转"_qs },
        { u"sides=one-sided"_qs, u"关闭（单面打印）"_qs },
        { u"sides=two-sided-long-edge"_qs, u"长边翻转"_qs },
        { u"sides=two-sided-short-edge"_qs, u"短边翻转"_qs },
        { u"print-color-mode=color"_qs, u"彩色"_qs },
        { u"print-color-mode=monochrome"_qs, u"黑白"_qs },
    };
    return names;
}

// The drivers' common words for a choice, in lower case.
const QHash<QString, QString> &choiceWords()
{
    static const QHash<QString, QString> words {
        { u"off"_qs, u"关"_qs },
        { u"on"_qs, u"开"_qs },
        { u"yes"_qs, u"是"_qs },
        { u"no"_qs, u"否"_qs },
        { u"none"_qs, u"无"_qs },
        { u"auto"_qs, u"自动选择"_qs },
        { u"automatic"_qs, u"自动选择"_qs },
        { u"auto select"_qs, u"自动选择"_qs },
        { u"auto-select"_qs, u"自动选择"_qs },
        { u"default"_qs, u"打印机默认"_qs },
        { u"printer default"_qs, u"打印机默认"_qs },
        { u"color"_qs, u"彩色"_qs },
        { u"colour"_qs, u"彩色"_qs },
        { u"grayscale"_qs, u"灰度"_qs },
        { u"greyscale"_qs, u"灰度"_qs },
        { u"gray"_qs, u"灰度"_qs },
        { u"black and white"_qs, u"黑白"_qs },
        { u"monochrome"_qs, u"黑白"_qs },
        { u"black"_qs, u"黑白"_qs },
        { u"draft"_qs, u"草稿"_qs },
        { u"normal"_qs, u"普通"_qs },
        { u"standard"_qs, u"普通"_qs },
        { u"high"_qs, u"高"_qs },
        { u"best"_qs, u"最佳"_qs },
        { u"plain paper"_qs, u"普通纸"_qs },
        { u"plain"_qs, u"普通纸"_qs },
        { u"transparency"_qs, u"投影胶片"_qs },
        { u"labels"_qs, u"标签纸"_qs },
        { u"envelope"_qs, u"信封"_qs },
        { u"glossy paper"_qs, u"光面纸"_qs },
        { u"photo paper"_qs, u"照片纸"_qs },
        { u"thick"_qs, u"厚纸"_qs },
        { u"heavy"_qs, u"厚纸"_qs },
        { u"recycled"_qs, u"再生纸"_qs },
        { u"manual feed"_qs, u"手动进纸"_qs },
        { u"manual"_qs, u"手动进纸"_qs },
        { u"upper"_qs, u"上纸盒"_qs },
        { u"upper tray"_qs, u"上纸盒"_qs },
        { u"middle"_qs, u"中纸盒"_qs },
        { u"middle tray"_qs, u"中纸盒"_qs },
        { u"lower"_qs, u"下纸盒"_qs },
        { u"lower tray"_qs, u"下纸盒"_qs },
        { u"continue"_qs, u"继续"_qs },
        { u"stop"_qs, u"停止"_qs },
        { u"dark"_qs, u"深"_qs },
        { u"medium"_qs, u"中"_qs },
        { u"not set"_qs, u"未设置"_qs },
        { u"long-edge binding"_qs, u"长边翻转"_qs },
        { u"short-edge binding"_qs, u"短边翻转"_qs },
    };
    return words;
}

int commonRank(const QString &keyword)
{
    for (int i = 0; i < int(std::size(kCommon)); ++i) {
        if (keyword == QLatin1String(kCommon[i]))
            return i;
    }
    return -1;
}

} // namespace

QString PrinterPropertiesDialog::optionCaption(const DriverOption &option)
{
    const QString name = optionNames().value(option.keyword);
    if (!name.isEmpty())
        return name;
    return option.text.isEmpty() ? option.keyword : option.text;
}

QString PrinterPropertiesDialog::choiceCaption(
    const DriverOption &option, const DriverChoice &choice)
{
    const QString text = choice.text.isEmpty() ? choice.value : choice.text;
    // Paper names as the page setup shows them; resolutions read the same in any language.
    if (option.keyword == u"PageSize"_qs)
        return PaperCodes::shownName(PaperCodes::codeOfKey(choice.value), text);
    if (option.keyword == u"Resolution"_qs)
        return text;
    const QString byValue = valueNames().value(option.keyword + u'=' + choice.value);
    if (!byValue.isEmpty())
        return byValue;
    const QString word = choiceWords().value(text.trimmed().toLower());
    if (!word.isEmpty())
        return word;
    static const QRegularExpression tray(
        u"^tray\\s*(\\d+)$"_qs, QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = tray.match(text.trimmed());
    return m.hasMatch() ? u"纸盒 "_qs + m.captured(1) : text;
}

PrinterPropertiesDialog::PrinterPropertiesDialog(
    const QString &deviceName, const QList<DriverOption> &options, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(u"frmPrinterProperties"_qs);
    setWindowTitle(u"打印机属性"_qs);
    const auto named = childNamer(this);

    QList<DriverOption> common;
    QList<DriverOption> other;
    for (const DriverOption &o : options) {
        if (o.choices.isEmpty())
            continue;
        (commonRank(o.keyword) >= 0 ? common : other).append(o);
    }
    std::stable_sort(
        common.begin(), common.end(), [](const DriverOption &a, const DriverOption &b) {
            return commonRank(a.keyword) < commonRank(b.keyword);
        });

    const auto fill = [&](QFormLayout *form, const DriverOption &o) {
        auto *list = named(new QComboBox, u"cboOption(%1)"_qs.arg(o.keyword));
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        for (const DriverChoice &c : o.choices)
            list->addItem(choiceCaption(o, c), c.value);
        // A value the driver no longer offers stays as it is unless the user picks another.
        if (list->findData(o.value) < 0 && !o.value.isEmpty())
            list->addItem(o.value, o.value);
        list->setCurrentIndex(std::max(0, list->findData(o.value)));
        auto *label
            = named(new QLabel(optionCaption(o) + u"："_qs), u"lblOption(%1)"_qs.arg(o.keyword));
        label->setBuddy(list);
        form->addRow(label, list);
        m_lists.append({ o.keyword, list });
    };

    auto *page = new QVBoxLayout(this);
    auto *printer = named(new QLabel(u"打印机："_qs + deviceName), u"lblPrinter"_qs);
    printer->setTextInteractionFlags(Qt::TextSelectableByMouse);
    page->addWidget(printer);

    auto *commonGroup = named(new QGroupBox(u"常用设置"_qs), u"fraCommon"_qs);
    auto *commonForm = new QFormLayout(commonGroup);
    for (const DriverOption &o : std::as_const(common))
        fill(commonForm, o);
    page->addWidget(commonGroup);
    commonGroup->setVisible(!common.isEmpty());

    auto *otherGroup = named(new QGroupBox(u"其他设置"_qs), u"fraOther"_qs);
    auto *otherLayout = new QVBoxLayout(otherGroup);
    auto *scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto *otherPanel = new QWidget;
    auto *otherForm = new QFormLayout(otherPanel);
    otherForm->setContentsMargins(0, 0, 0, 0);
    for (const DriverOption &o : std::as_const(other))
        fill(otherForm, o);
    scroll->setWidget(otherPanel);
    // Drivers list a dozen options or more: the rest scroll rather than make a tall window.
    scroll->setMinimumWidth(otherPanel->sizeHint().width() + 24);
    scroll->setMinimumHeight(std::min(otherPanel->sizeHint().height(), 200));
    otherLayout->addWidget(scroll);
    page->addWidget(otherGroup, 1);
    otherGroup->setVisible(!other.isEmpty());

    auto *ok = named(new QPushButton(u"确定"_qs), u"cmdOK"_qs);
    auto *cancel = named(new QPushButton(u"取消"_qs), u"cmdCancel"_qs);
    ok->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    page->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QMap<QString, QString> PrinterPropertiesDialog::values() const
{
    QMap<QString, QString> chosen;
    for (const auto &[keyword, list] : m_lists)
        chosen.insert(keyword, list->currentData().toString());
    return chosen;
}

std::optional<QMap<QString, QString>> showPrinterPropertiesDialog(
    const QString &deviceName, const QList<DriverOption> &options)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return std::nullopt;
    QWidget *owner = QApplication::activeModalWidget();
    PrinterPropertiesDialog dialog(
        deviceName, options, owner ? owner : QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.values();
}

} // namespace quillon
