#pragma once

#include "engine/layout/printrange.h"

#include <QDialog>
#include <QElapsedTimer>

#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace quillon {

/// The print progress window (frmcreatprint): shown modally, it runs the print loop once it is
/// on screen, shows the copy and page reached, the pages sent of all and the time left at the
/// pace so far, asks before it cancels, and closes itself when the loop ends. A document that
/// went to a file is named in a message afterwards.
class PrintProgressDialog : public QDialog, public PrintProgressWindow, public PrintLoopView
{
    Q_OBJECT

public:
    explicit PrintProgressDialog(QWidget *parent = nullptr);
    ~PrintProgressDialog() override;

    bool run(const PrintRequest &request, SheetJob &job, const QString &position,
        const QString &count, bool smallPosition) override;
    /// Like run(), with the loop given: the window's part without a print job.
    bool runLoop(const std::function<bool(PrintLoopView &)> &loop, const QString &position,
        const QString &count, bool smallPosition);

    void setCopies(const QString &text) override;
    void setPosition(const QString &text) override;
    void setPageCount(const QString &text) override;
    void setPrompt(const QString &text) override;
    bool cancelled() override;
    void setProgress(int done, int total) override;
    void setOutputFile(const QString &path) override { m_outputFile = path; }

    /// cmdCance's tag: "1" once the user has confirmed a cancel.
    QString cancelTag() const { return m_cancelTag; }

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    void askCancel();

    QString m_cancelTag;
    bool m_running = false;
    QString m_outputFile;
    QElapsedTimer m_pace;
    QLabel *lblprompt = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblpgno = nullptr;
    QLabel *lblpgcnt = nullptr;
    QLabel *lblCps = nullptr;
    QPushButton *cmdCance = nullptr;
    QLabel *imgLogo = nullptr;
    QProgressBar *prgPrint = nullptr;
    QLabel *lblDone = nullptr;
    QLabel *lblTimeLeft = nullptr;
};

/// The time left as the progress window says it ("剩余约 1 分 20 秒"), in whole seconds.
QString timeLeftText(qint64 msecs);

/// Progress on standard error, for programs without widgets: a print there cannot be
/// cancelled.
class ConsolePrintProgress : public PrintProgressWindow, public PrintLoopView
{
public:
    /// Lines go to `write` when one is given, else to standard error after the program's name.
    explicit ConsolePrintProgress(std::function<void(const QString &)> write = {});

    bool run(const PrintRequest &request, SheetJob &job, const QString &position,
        const QString &count, bool smallPosition) override;

    void setCopies(const QString &text) override;
    void setPosition(const QString &text) override;
    void setPageCount(const QString &text) override;
    void setPrompt(const QString &text) override;
    bool cancelled() override { return false; }
    void setOutputFile(const QString &path) override;

private:
    void writeLine(const QString &line);

    std::function<void(const QString &)> m_write;
    QString m_copies = QStringLiteral("1/1");
    QString m_lastPosition;
    QString m_count = QStringLiteral("1");
};

/// The progress window PrintRange shows: the dialog while a widget application runs and the
/// messages have someone to answer them, the console otherwise (a batch job that answers its
/// messages by default has no one to watch a window either).
std::unique_ptr<PrintProgressWindow> makePrintProgressWindow(QWidget *parent = nullptr);

/// Where the console progress of makePrintProgressWindow writes its lines; empty: standard
/// error.
void setConsoleProgressWriter(std::function<void(const QString &)> write);

} // namespace quillon
