#include "inputdialog.h"

#include "engine/state/enginestate.h"
#include "engine/state/registry.h"

#include <QBoxLayout>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace quillon {

namespace {

const QString kZoomPrompt = QStringLiteral("请输入显示比例：");

} // namespace

InputDialog::InputDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QStringLiteral("对话框"));

    lblPrompt = new QLabel(kZoomPrompt, this);
    lblPrompt->setObjectName(QStringLiteral("lblPrompt"));
    txtInput = new QLineEdit(this);
    txtInput->setObjectName(QStringLiteral("txtInput"));
    txtInput->setMinimumWidth(txtInput->fontMetrics().averageCharWidth() * 24);
    lblPrompt->setBuddy(txtInput);
    OKButton = new QPushButton(QStringLiteral("确定"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("取消"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto *entry = new QVBoxLayout;
    entry->addWidget(lblPrompt);
    entry->addWidget(txtInput);
    entry->addStretch();
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    buttons->addStretch();
    auto *page = new QHBoxLayout(this);
    page->addLayout(entry, 1);
    page->addLayout(buttons);
    page->setSizeConstraint(QLayout::SetFixedSize);

    connect(OKButton, &QPushButton::clicked, this, [this] { ok(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { cancel(); });
}

InputDialog::~InputDialog() = default;

void InputDialog::setPrompt(const QString &prompt)
{
    lblPrompt->setText(prompt);
}
QString InputDialog::prompt() const
{
    return lblPrompt->text();
}
void InputDialog::setText(const QString &text)
{
    txtInput->setText(text);
}
QString InputDialog::text() const
{
    return txtInput->text();
}

void InputDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    selectEntry();
}

void InputDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        selectEntry();
}

void InputDialog::selectEntry()
{
    txtInput->selectAll();
    txtInput->setFocus();
}

void InputDialog::refuse(const QString &message, int icon)
{
    ShowMessage(message, icon);
    selectEntry();
}

std::optional<double> InputDialog::zoomOf(QString text)
{
    text = text.trimmed();
    const bool percent = text.endsWith(QLatin1Char('%')) || text.endsWith(QChar(0xFF05));
    if (percent)
        text.chop(1);
    bool isNumber = false;
    const double value = text.trimmed().toDouble(&isNumber);
    if (!isNumber || !std::isfinite(value))
        return std::nullopt;
    return percent || value >= 10 ? value / 100 : value;
}

void InputDialog::ok()
{
    const bool zoom = lblPrompt->text() == kZoomPrompt;
    bool isNumber = false;
    double value = txtInput->text().trimmed().toDouble(&isNumber);
    if (zoom) {
        const std::optional<double> entered = zoomOf(txtInput->text());
        isNumber = entered.has_value();
        value = entered.value_or(0);
    }
    if (!isNumber || !std::isfinite(value)) {
        refuse(QStringLiteral("请输入数字。"), 64);
        return;
    }
    if (zoom) {
        if (value < 0.1 || value > 2) {
            refuse(QStringLiteral("输入比例无效。\n范围在 0.1~2之间"), 48);
            return;
        }
    } else {
        const qint32 pages = engineState().RowPageCount;
        if (value < 1 || value > pages) {
            refuse(QStringLiteral("输入页号无效。\n范围在 1 ~ %1 之间").arg(pages), 48);
            return;
        }
    }
    blnOk = true;
    accept();
}

void InputDialog::cancel()
{
    blnOk = false;
    reject();
}

} // namespace quillon
