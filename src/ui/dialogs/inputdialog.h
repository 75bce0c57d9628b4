#pragma once

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quillon {

/// The one-line entry "对话框" (Dialog) of the preview: the zoom while the prompt is the default
/// "请输入显示比例：" (10 % to 200 %, zoomOf), a page number (1 to RowPageCount) with any other
/// prompt. OK checks the entry and hides the dialog; the caller then reads blnOk and text().
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

    /// The zoom an entry stands for: a percentage as the status bar shows it ("150", "150%")
    /// or, below 10, a factor ("1.5"); nothing when it is no number.
    static std::optional<double> zoomOf(QString text);

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
