#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quillon {

/// The one-line entry "对话框" (Dialog) of the preview: the zoom while the prompt is the default
/// "请输入显示比例：", a page number (1 to RowPageCount) with any other prompt. OK checks the
/// entry and hides the dialog; the caller then reads blnOk and text().
class InputDialog : public QDialog
{
    Q_OBJECT

public:
    explicit InputDialog(QWidget *parent = nullptr);
    ~InputDialog() override;

    /// True after OK accepted the entry.
    bool blnOk = false;

    void setPrompt(const QString &prompt);
    QString prompt() const;
    void setText(const QString &text);
    QString text() const;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void ok();
    void cancel();
    void refuse(const QString &message, int icon);
    void selectEntry();

    QLabel *lblPrompt = nullptr;
    QLineEdit *txtInput = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;
};

} // namespace quillon
