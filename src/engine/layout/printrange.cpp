#include "printrange.h"

#include "computelayout.h"
#include "pagedriver.h"
#include "sheetjob.h"

#include "engine/state/enginestate.h"
#include "engine/state/platformservices.h"
#include "engine/state/registry.h"
#include "platform/interfaces/surface.h"
#include "printer/printingsystem.h"

#include <quillon/error.h>

#include <algorithm>

namespace quillon {

namespace {

bool parityTakes(const QString &parity, qint32 rowPage)
{
    if (parity == QStringLiteral("所有页"))
        return true;
    if (parity == QStringLiteral("奇数页"))
        return rowPage % 2 == 1;
    if (parity == QStringLiteral("偶数页"))
        return rowPage % 2 == 0;
    return false;
}

QString positionText(const EngineState &s, qint32 rowPage, qint32 colPage)
{
    if (s.ColPageCount == 1)
        return QString::number(rowPage);
    return QStringLiteral("%1(%2/%3)").arg(rowPage).arg(colPage).arg(s.ColPageCount);
}

/// One printer page per sheet. The page break goes before every sheet but the first, so the
/// document never ends with an empty page.
class PrinterPages
{
public:
    PrinterPages(SheetJob &job, PrinterSurface &printer)
        : m_job(job)
        , m_printer(printer)
    {
    }
    bool printedAny() const { return m_started; }
    void print(qint32 rowPage, qint32 colPage)
    {
        if (m_started)
            m_printer.NewPage();
        m_started = true;
        m_job.renderSheetFrom(rowPage, colPage, m_printer);
    }

private:
    SheetJob &m_job;
    PrinterSurface &m_printer;
    bool m_started = false;
};

} // namespace

bool RunPrintLoop(const PrintRequest &request, PrintLoopView &view, SheetJob &job)
{
    EngineState &s = job.state();
    PrinterSurface *printer = s.printer();
    if (!printer) {
        ShowMessage(s, QStringLiteral("请先安装打印机。"), 48);
        return false;
    }
    PrinterPages pages(job, *printer);
    const int perSheet = std::max(1, s.PagesDown * s.PagesAcross);
    const qint32 bands = std::max<qint32>(1, s.ColPageCount);
    const QString copies = QString::number(request.copies);
    bool cancelled = false;
    // A printer that fails mid-job ends it like a cancel: what was drawn is discarded.
    const auto printerFailed = [&] {
        if (!printer->failed())
            return false;
        ShowMessage(
            s, QStringLiteral("打印机“%1”出错，打印已取消。").arg(printer->DeviceName()), 48);
        return true;
    };

    if (request.kind == 2) {
        view.setPageCount(QStringLiteral("1"));
        view.setPosition(positionText(s, request.firstRowPage, request.firstColPage));
        for (int copy = 1; copy <= request.copies && !cancelled; ++copy) {
            view.setCopies(QString::number(copy) + QLatin1Char('/') + copies);
            cancelled = view.cancelled();
            if (cancelled)
                break;
            pages.print(request.firstRowPage, request.firstColPage);
            cancelled = view.cancelled() || printerFailed();
        }
    } else {
        for (int copy = 1; copy <= request.copies && !cancelled; ++copy) {
            view.setCopies(QString::number(copy) + QLatin1Char('/') + copies);
            qint32 p = request.firstRowPage;
            qint32 m = request.firstColPage;
            while (p <= request.lastRowPage) {
                const bool selected = parityTakes(request.parity, p);
                if (request.kind == 3 && selected && p >= request.lastRowPage
                    && request.lastColPage > 0 && m > request.lastColPage)
                    break; // this copy is complete
                if (selected) {
                    // The window names the sheet being printed, never one past the range.
                    view.setPosition(positionText(s, p, m));
                    pages.print(p, m);
                }
                cancelled = view.cancelled() || printerFailed();
                if (cancelled)
                    break;
                for (int step = 0; step < perSheet; ++step) {
                    if (++m > bands) {
                        m = 1;
                        ++p;
                    }
                }
            }
        }
    }

    if (!cancelled && !pages.printedAny()) {
        // Nothing was selected: no document, not an empty page from the layout's measuring.
        printer->KillDoc();
        view.setPrompt(QStringLiteral("完成"));
        return true;
    }
    if (!cancelled) {
        printer->EndDoc();
        if (printer->failed()) {
            ShowMessage(
                s, QStringLiteral("打印机“%1”出错，文档没有送出。").arg(printer->DeviceName()), 48);
            view.setPrompt(QStringLiteral("取消"));
            return false;
        }
        view.setPrompt(QStringLiteral("完成"));
        return true;
    }
    view.setPrompt(QStringLiteral("取消"));
    printer->KillDoc();
    return false;
}

int reportPrinterIndex(const QList<PrinterInfo> &printers)
{
    const QString designated = engineState().Format.PrinterName;
    const PrinterSurface *current = printingSystem().currentPrinter();
    const QString currentName = current ? current->DeviceName() : QString();
    int currentIndex = -1;
    for (int i = 0; i < printers.size(); ++i) {
        if (printers[i].deviceName == designated)
            return i;
        if (currentIndex < 0 && printers[i].deviceName == currentName)
            currentIndex = i;
    }
    return currentIndex >= 0 ? currentIndex : (printers.isEmpty() ? -1 : 0);
}

bool PrintRange(const PrintRequest &request, SheetJob &job, PrintProgressWindow &window)
{
    EngineState &s = job.state();
    PrinterSurface *printer = s.printer();
    if (!printer) {
        ShowMessage(s, QStringLiteral("请先安装打印机。"), 48);
        return false;
    }
    // What a print changes is put back afterwards, whoever called it.
    // A job drawing on the printer goes on with the printer the user chose.
    Surface *const target = s.OutputMode == 1 ? printer : s.DrawTarget;
    const double zoom = s.ZoomRate;
    const qint16 outputMode = s.OutputMode;
    const qint32 lineColor = s.LineColor;
    const qint32 rowPage = s.CurRowPage;
    const qint32 colPage = s.CurColPage;
    const qint32 sheet = s.CurSheet;
    const auto sheetNav = s.SheetNav;

    s.DrawTarget = printer;
    s.OutputMode = 1;
    s.ZoomRate = 1;
    applyPrinterColour(s, printer);
    bool printed = false;
    try {
        {
            const SheetJob::LayoutMessages once(job);
            ComputeLayout(s, s.Format.LineHeight, s.Format.LineCount);
        }
        printed = window.run(request, job, QString::number(request.firstRowPage),
            QString::number(request.lastRowPage - request.firstRowPage + 1), s.ColPageCount > 1);
    } catch (const Error &e) {
        printer->KillDoc();
        ShowMessage(s, QStringLiteral("[%1]%2").arg(e.number()).arg(e.description()), 48);
    }

    s.OutputMode = outputMode;
    s.ZoomRate = zoom;
    s.DrawTarget = target;
    if (target && (target != printer || zoom != 1)) {
        try {
            const SheetJob::LayoutMessages once(job);
            ComputeLayout(s, s.Format.LineHeight, s.Format.LineCount);
        } catch (const Error &e) {
            ShowMessage(s, QStringLiteral("[%1]%2").arg(e.number()).arg(e.description()), 48);
        }
    }
    s.CurRowPage = rowPage;
    s.CurColPage = colPage;
    s.SheetNav = sheetNav;
    s.CurSheet = sheet;
    s.LineColor = lineColor;
    return printed;
}

} // namespace quillon
