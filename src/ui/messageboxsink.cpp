#include "messageboxsink.h"

#include "qttranslations.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace quillon {

namespace {

struct ButtonSpec
{
    QMessageBox::StandardButton button;
    int result;
};

QList<ButtonSpec> buttonsFor(int code)
{
    switch (code & 0xF) {
    case 1:
        return { { QMessageBox::Ok, 1 }, { QMessageBox::Cancel, 2 } };
    case 2:
        return { { QMessageBox::Abort, 3 }, { QMessageBox::Retry, 4 }, { QMessageBox::Ignore, 5 } };
    case 3:
        return { { QMessageBox::Yes, 6 }, { QMessageBox::No, 7 }, { QMessageBox::Cancel, 2 } };
    case 4:
        return { { QMessageBox::Yes, 6 }, { QMessageBox::No, 7 } };
    case 5:
        return { { QMessageBox::Retry, 4 }, { QMessageBox::Cancel, 2 } };
    default:
        return { { QMessageBox::Ok, 1 } };
    }
}

QMessageBox::Icon iconFor(int code)
{
    switch (code & 0xF0) {
    case 16:
        return QMessageBox::Critical;
    case 32:
        return QMessageBox::Question;
    case 48:
        return QMessageBox::Warning;
    case 64:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

bool MessageBoxSink::answersByDefault() const
{
    return !qobject_cast<QApplication *>(QCoreApplication::instance());
}

int MessageBoxSink::show(const QString &prompt, int buttons, const QString &title)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return m_console.show(prompt, buttons, title);

    useQtTranslations();
    // A box without a title of its own says whose it is: the window in front, else the program.
    QString shownTitle = title;
    if (shownTitle.isEmpty()) {
        const QWidget *owner = QApplication::activeModalWidget();
        if (!owner)
            owner = QApplication::activeWindow();
        shownTitle = owner && !owner->windowTitle().isEmpty()
            ? owner->windowTitle()
            : QGuiApplication::applicationDisplayName();
    }
    QMessageBox box(iconFor(buttons), shownTitle, prompt);
    box.setObjectName(QStringLiteral("msgQuillon"));
    const QList<ButtonSpec> specs = buttonsFor(buttons);
    for (const ButtonSpec &spec : specs)
        box.addButton(spec.button);
    const int defaultIndex = std::min<int>((buttons & 0x300) >> 8, specs.size() - 1);
    box.setDefaultButton(specs[defaultIndex].button);
    if (buttons & 0x10000)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const ButtonSpec &spec : specs) {
        if (spec.button == clicked)
            return spec.result;
    }
    // Closed without a button: Escape answers Cancel where there is one.
    const bool hasCancel = std::any_of(
        specs.cbegin(), specs.cend(), [](const ButtonSpec &s) { return s.result == 2; });
    return hasCancel ? 2 : MessageSink::defaultButton(buttons);
}

} // namespace quillon
