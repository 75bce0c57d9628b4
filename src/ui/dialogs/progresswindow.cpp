#include "progresswindow.h"

#include "slotguard_p.h"

#include "engine/state/platformservices.h"
#include "engine/state/registry.h"
#include "platform/interfaces/messagesink.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <cstdio>

namespace quillon {

namespace {

const QString kConfirmedCancel = QStringLiteral("1");

std::function<void(const QString &)> &consoleProgressWriter()
{
    static std::function<void(const QString &)> write;
    return write;
}

/// A line whose caption has blanks (runs of spaces) that other labels fill: the caption stays
/// the label's text, and the pieces between the blanks are shown around the fillers.
class BlankFrameLabel : public QLabel
{
public:
    BlankFrameLabel(const QString &caption, const QList<QLabel *> &fillers)
        : QLabel(caption)
    {
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        const QStringList pieces = caption.split(QRegularExpression(QStringLiteral(" {2,}")));
        Q_ASSERT(pieces.size() == fillers.size() + 1);
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            row->addWidget(new QLabel(pieces.at(i), this));
            if (i < fillers.size()) {
                fillers.at(i)->setParent(this);
                row->addWidget(fillers.at(i));
            }
        }
        row->addStretch();
    }

    QSize sizeHint() const override { return layout()->sizeHint(); }
    QSize minimumSizeHint() const override { return layout()->minimumSize(); }

protected:
    void paintEvent(QPaintEvent *) override { } // the pieces and fillers paint the line
};

/// The window's picture: a printer with a printed sheet coming out, drawn for the screen's
/// pixel ratio so that it is sharp at any scale.
QPixmap printerPicture(int size, qreal ratio)
{
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 48.0, size / 48.0);
    const QColor ink(0x37, 0x47, 0x5a);
    p.setPen(QPen(ink, 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(14, 4, 20, 14)); // paper waiting at the back
    QPainterPath body;
    body.addRoundedRect(QRectF(5, 16, 38, 18), 4, 4);
    p.setBrush(QColor(0x8f, 0xa9, 0xc4));
    p.drawPath(body);
    p.setBrush(QColor(0x4c, 0xaf, 0x50));
    p.drawEllipse(QPointF(37, 22), 2, 2); // power light
    p.setBrush(Qt::white);
    p.drawRect(QRectF(12, 28, 24, 16)); // the printed sheet
    p.setPen(QPen(ink, 1));
    for (int y = 33; y <= 41; y += 4)
        p.drawLine(QPointF(16, y), QPointF(32, y));
    return pixmap;
}

} // namespace

PrintProgressDialog::PrintProgressDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmcreatprint"));
    setWindowTitle(QStringLiteral("打印"));
    // A small window of fixed size: a close box, nothing to minimise or maximise.
    setWindowFlags(
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    lblprompt = new QLabel(QStringLiteral("正在生成打印页面..."), this);
    lblprompt->setObjectName(QStringLiteral("lblprompt"));
    lblpgno = new QLabel(QStringLiteral("1"));
    lblpgno->setObjectName(QStringLiteral("lblpgno"));
    lblpgcnt = new QLabel(QStringLiteral("1"));
    lblpgcnt->setObjectName(QStringLiteral("lblpgcnt"));
    for (QLabel *field : { lblpgno, lblpgcnt })
        field->setAlignment(Qt::AlignCenter);
    lblVersion
        = new BlankFrameLabel(QStringLiteral("第     页 共（    ）页"), { lblpgno, lblpgcnt });
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setParent(this);
    auto *copiesCaption = new QLabel(QStringLiteral("份数："), this);
    lblCps = new QLabel(QStringLiteral("1/1"), this);
    lblCps->setObjectName(QStringLiteral("lblCps"));
    cmdCance = new QPushButton(QStringLiteral("取消(&C) "), this);
    cmdCance->setObjectName(QStringLiteral("cmdCance"));
    imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(printerPicture(48, devicePixelRatioF()));
    imgLogo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    prgPrint = new QProgressBar(this);
    prgPrint->setObjectName(QStringLiteral("prgPrint"));
    prgPrint->setTextVisible(false);
    prgPrint->setRange(0, 1);
    prgPrint->setValue(0);
    lblDone = new QLabel(this);
    lblDone->setObjectName(QStringLiteral("lblDone"));
    lblTimeLeft = new QLabel(this);
    lblTimeLeft->setObjectName(QStringLiteral("lblTimeLeft"));
    lblTimeLeft->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Room for the longest texts, so that the window keeps its size while they change.
    lblDone->setMinimumWidth(
        fontMetrics().horizontalAdvance(QStringLiteral("已打印 0000 页，共 0000 页")));
    lblTimeLeft->setMinimumWidth(fontMetrics().horizontalAdvance(timeLeftText(3599'000)));

    auto *copiesRow = new QHBoxLayout;
    copiesRow->addWidget(copiesCaption);
    copiesRow->addWidget(lblCps);
    copiesRow->addStretch();
    auto *doneRow = new QHBoxLayout;
    doneRow->addWidget(lblDone);
    doneRow->addStretch();
    doneRow->addSpacing(12);
    doneRow->addWidget(lblTimeLeft);
    auto *lines = new QVBoxLayout;
    lines->addWidget(lblprompt);
    lines->addWidget(lblVersion);
    lines->addLayout(copiesRow);
    lines->addWidget(prgPrint);
    lines->addLayout(doneRow);
    auto *top = new QHBoxLayout;
    top->addWidget(imgLogo);
    top->addSpacing(8);
    top->addLayout(lines, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCance);
    auto *page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addLayout(buttons);
    page->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdCance, &QPushButton::clicked, this, [this] { askCancel(); });
}

PrintProgressDialog::~PrintProgressDialog() = default;

bool PrintProgressDialog::run(const PrintRequest &request, SheetJob &job, const QString &position,
    const QString &count, bool smallPosition)
{
    return runLoop(
        [&request, &job](PrintLoopView &view) { return RunPrintLoop(request, view, job); },
        position, count, smallPosition);
}

bool PrintProgressDialog::runLoop(const std::function<bool(PrintLoopView &)> &loop,
    const QString &position, const QString &count, bool smallPosition)
{
    m_cancelTag.clear();
    m_outputFile.clear();
    setPosition(position);
    setPageCount(count);
    if (smallPosition) {
        QFont small = lblpgno->font();
        small.setPointSize(9);
        lblpgno->setFont(small);
    }
    // Room for the longest position ("row(band/bands)") so the window keeps its size while
    // the numbers grow.
    const QFontMetrics positionMetrics(lblpgno->font());
    lblpgno->setMinimumWidth(positionMetrics.horizontalAdvance(
        smallPosition ? QStringLiteral("0000(00/00)") : QStringLiteral("00000")));
    lblpgcnt->setMinimumWidth(lblpgcnt->fontMetrics().horizontalAdvance(QStringLiteral("00000")));

    bool printed = false;
    // The loop starts once the window is on screen; the window closes itself at its end. It
    // counts as running from now: a close before the loop starts would leave the loop to run
    // after this function returned.
    m_running = true;
    QTimer::singleShot(0, this, [this, &loop, &printed] {
        runGuarded([&] { printed = loop(*this); });
        m_running = false;
        done(printed ? Accepted : Rejected);
    });
    exec();
    if (printed && !m_outputFile.isEmpty())
        ShowMessage(QStringLiteral("已打印到文件：%1").arg(m_outputFile), 64);
    return printed;
}

void PrintProgressDialog::setCopies(const QString &text)
{
    lblCps->setText(text);
}
void PrintProgressDialog::setPosition(const QString &text)
{
    lblpgno->setText(text);
}
void PrintProgressDialog::setPageCount(const QString &text)
{
    lblpgcnt->setText(text);
}
void PrintProgressDialog::setPrompt(const QString &text)
{
    lblprompt->setText(text);
}

void PrintProgressDialog::setProgress(int done, int total)
{
    if (done == 0)
        m_pace.start();
    prgPrint->setRange(0, std::max(1, total));
    prgPrint->setValue(done);
    lblDone->setText(QStringLiteral("已打印 %1 页，共 %2 页").arg(done).arg(total));
    // An estimate needs one page done at least; none is left to estimate at the end.
    const bool estimable = done > 0 && done < total && m_pace.isValid();
    lblTimeLeft->setText(
        estimable ? timeLeftText(m_pace.elapsed() * (total - done) / done) : QString());
}

bool PrintProgressDialog::cancelled()
{
    QCoreApplication::processEvents();
    return m_cancelTag == kConfirmedCancel;
}

void PrintProgressDialog::askCancel()
{
    if (m_cancelTag == kConfirmedCancel)
        return;
    if (ShowMessage(QStringLiteral("是否取消打印？"), 4 + 32, QStringLiteral("提示")) == 6)
        m_cancelTag = kConfirmedCancel;
}

void PrintProgressDialog::reject()
{
    // Escape while printing is a press of Cancel: the window must not go while the loop runs.
    if (m_running)
        askCancel();
    else
        QDialog::reject();
}

void PrintProgressDialog::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        event->ignore();
        askCancel();
        return;
    }
    QDialog::closeEvent(event);
}

ConsolePrintProgress::ConsolePrintProgress(std::function<void(const QString &)> write)
    : m_write(std::move(write))
{
}

bool ConsolePrintProgress::run(const PrintRequest &request, SheetJob &job, const QString &position,
    const QString &count, bool smallPosition)
{
    Q_UNUSED(smallPosition);
    m_count = count;
    writeLine(QStringLiteral("正在生成打印页面..."));
    setPosition(position);
    return RunPrintLoop(request, *this, job);
}

void ConsolePrintProgress::setCopies(const QString &text)
{
    m_copies = text;
}

void ConsolePrintProgress::setPosition(const QString &text)
{
    // The loop names the first sheet again as it prints it: one line is enough.
    const QString line
        = QStringLiteral("第 %1 页 共（%2）页，份数：%3").arg(text, m_count, m_copies);
    if (line != std::exchange(m_lastPosition, line))
        writeLine(line);
}

void ConsolePrintProgress::setPageCount(const QString &text)
{
    m_count = text;
}

void ConsolePrintProgress::setPrompt(const QString &text)
{
    writeLine(text);
}

void ConsolePrintProgress::setOutputFile(const QString &path)
{
    writeLine(QStringLiteral("已打印到文件：%1").arg(path));
}

void ConsolePrintProgress::writeLine(const QString &line)
{
    if (m_write) {
        m_write(line);
        return;
    }
    QString program = QCoreApplication::applicationName();
    if (program.isEmpty())
        program = QStringLiteral("quillon");
    std::fprintf(stderr, "%s\n", QStringLiteral("%1: %2").arg(program, line).toUtf8().constData());
    std::fflush(stderr);
}

QString timeLeftText(qint64 msecs)
{
    const qint64 seconds = std::max<qint64>(1, (msecs + 999) / 1000);
    if (seconds < 60)
        return QStringLiteral("剩余约 %1 秒").arg(seconds);
    if (seconds < 3600)
        return seconds % 60
            ? QStringLiteral("剩余约 %1 分 %2 秒").arg(seconds / 60).arg(seconds % 60)
            : QStringLiteral("剩余约 %1 分").arg(seconds / 60);
    const qint64 minutes = (seconds + 59) / 60;
    return minutes % 60 ? QStringLiteral("剩余约 %1 小时 %2 分").arg(minutes / 60).arg(minutes % 60)
                        : QStringLiteral("剩余约 %1 小时").arg(minutes / 60);
}

std::unique_ptr<PrintProgressWindow> makePrintProgressWindow(QWidget *parent)
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance())
        && !messageSink().answersByDefault())
        return std::make_unique<PrintProgressDialog>(parent);
    return std::make_unique<ConsolePrintProgress>(consoleProgressWriter());
}

void setConsoleProgressWriter(std::function<void(const QString &)> write)
{
    consoleProgressWriter() = std::move(write);
}

} // namespace quillon
