#pragma once

// Answers the printer properties dialog ("属性") the next time it is shown, as a user would.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

/// Once the dialog is up: picks the given values (by option keyword) in its lists and clicks
/// 确定, or 取消 when `accept` is false. `shown`, when given, receives each option as the dialog
/// showed it before the picks: "caption value-text".
inline void answerNextPropertySheet(
    const QMap<QString, QString> &picks, bool accept = true, QStringList *shown = nullptr)
{
    QTimer::singleShot(0, [=] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->objectName() != u"frmPrinterProperties"_qs) {
            answerNextPropertySheet(picks, accept, shown);
            return;
        }
        if (shown) {
            for (const QLabel *label : dialog->findChildren<QLabel *>()) {
                const auto *list = qobject_cast<const QComboBox *>(label->buddy());
                if (list)
                    *shown << label->text() + list->currentText();
            }
        }
        for (auto it = picks.cbegin(); it != picks.cend(); ++it) {
            auto *list = dialog->findChild<QComboBox *>(u"cboOption(%1)"_qs.arg(it.key()));
            if (list)
                list->setCurrentIndex(list->findData(it.value()));
        }
        dialog->findChild<QPushButton *>(accept ? u"cmdOK"_qs : u"cmdCancel"_qs)->click();
    });
}
