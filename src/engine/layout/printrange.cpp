#include "printrange.h"

#include "computelayout.h"
#include "pagedriver.h"
#include "sheetjob.h"

#include "engine/state/enginestate.h"
#include "engine/state/platformservices.h"
#include "engine/state/printproperties.h"
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

/// The logical pages that start the sheets of one copy of the request, in the order they print.
QList<LogicalPage> requestedSheets(const PrintRequest &request, const EngineState &s)
{
    QList<LogicalPage> sheets;
    if (request.kind == 2) {
        sheets.append({ request.firstRowPage, request.firstColPage });
        return sheets;
    }
    if (request.kind == 4) {
        // Checked against the sheets the dialog counted; a sheet the printer's layout does not
        // have is not printed.
        for (const qint32 sheet : request.sheets) {
            if (sheet >= 1 && sheet <= s.SheetCount)
                sheets.append(firstPageOfSheet(s, sheet));
        }
        return sheets;
    }
    const int perSheet = std::max(1, s.PagesDown * s.PagesAcross);
    const qint32 bands = std::max<qint32>(1, s.ColPageCount);
    qint32 p = request.firstRowPage;
    qint32 m = request.firstColPage;
    while (p <= request.lastRowPage) {
        const bool selected = parityTakes(request.parity, p);
        if (request.kind == 3 && selected && p >= request.lastRowPage && request.lastColPage > 0
            && m > request.lastColPage)
            break; // the range is complete
        if (selected)
            sheets.append({ p, m });
        for (int step = 0; step < perSheet; ++step) {
            if (++m > bands) {
                m = 1;
                ++p;
            }
        }
    }
    return sheets;
}

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
    const QList<LogicalPage> sheets = requestedSheets(request, s);
    // A printer that makes copies gets one set and their number: a short document, and on both
    // sides every copy starts on a sheet of its own. Otherwise the loop draws every copy.
    const PrinterSurface::Features features = printer->features();
    const bool printerCopies = request.copies > 1 && features.copies >= request.copies
        && (features.collate || !request.collate);
    printer->setDocumentOptions(
        { printerCopies ? request.copies : 1, request.collate, request.duplex });
    const qsizetype copies = printerCopies ? 1 : std::max(0, request.copies);
    const qsizetype total = sheets.size() * copies;
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
    }
    view.setProgress(0, int(total));
    qsizetype shownCopy = 0;
    for (qsizetype i = 0; i < total; ++i) {
        const qsizetype copy = (request.collate ? i / sheets.size() : i % copies) + 1;
        const LogicalPage sheet = sheets.at(request.collate ? i % sheets.size() : i / copies);
        if (copy != shownCopy) {
            view.setCopies(printerCopies ? QString::number(request.copies)
                                         : QStringLiteral("%1/%2").arg(copy).arg(request.copies));
            shownCopy = copy;
        }
        // A print of the current page also asks before each copy.
        if (request.kind == 2 && (cancelled = view.cancelled()))
            break;
        // The window names the sheet being printed, never one past the range.
        view.setPosition(positionText(s, sheet.rowPage, sheet.colPage));
        pages.print(sheet.rowPage, sheet.colPage);
        view.setProgress(int(i + 1), int(total));
        if ((cancelled = view.cancelled() || printerFailed()))
            break;
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
        if (const QString file = printer->outputFile(); !file.isEmpty())
            view.setOutputFile(file);
        view.setPrompt(QStringLiteral("完成"));
        return true;
    }
    view.setPrompt(QStringLiteral("取消"));
    printer->KillDoc();
    return false;
}

QString printDocumentName(const PrintProperties &print)
{
    const QString title = print.MainTitle.simplified();
    if (!title.isEmpty())
        return title;
    const QString key = print.PrintKeyName.simplified();
    return key.isEmpty() ? QStringLiteral("Quillon") : key;
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
    printer->setDocumentName(printDocumentName(job.properties()));
    bool printed = false;
    try {
        {
            const SheetJob::LayoutMessages once(job);
            ComputeLayout(s, s.Format.LineHeight, s.Format.LineCount);
        }
        // The layout has said why; pages with rows off their edges are not worth the paper.
        if (!s.GridDoesNotFit) {
            const bool list = request.kind == 4;
            const qint32 first = list ? firstPageOfSheet(s, request.sheets.value(0, 1)).rowPage
                                      : request.firstRowPage;
            const qsizetype count
                = list ? request.sheets.size() : request.lastRowPage - request.firstRowPage + 1;
            printed = window.run(
                request, job, QString::number(first), QString::number(count), s.ColPageCount > 1);
        }
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
