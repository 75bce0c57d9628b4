#pragma once

#include "platform/interfaces/surface.h"

#include <QList>
#include <QMetaType>
#include <QString>

#include <functional>

namespace quillon {

class PrintProperties;
class SheetJob;
struct PrinterInfo;

/// The pages chosen for printing and how: what the print dialog's choices become.
struct PrintRequest
{
    qint32 firstRowPage = 1;
    qint32 lastRowPage = 1;
    qint32 firstColPage = 1;
    qint32 lastColPage = 1; ///< 0: no limit
    int copies = 1;
    QString parity = QStringLiteral("所有页"); ///< "所有页", "奇数页" or "偶数页"
    int kind = 1; ///< 1 all pages, 2 the current page, 3 a typed range, 4 a list of sheets
    QList<qint32> sheets = {}; ///< kind 4: the sheets (from 1) in the order they print, each once
    bool collate = true; ///< several copies: each copy whole before the next
    /// Printing on both sides; unset: as the printer's settings say.
    std::optional<PrinterSurface::Duplex> duplex = std::nullopt;
};

/// The progress window as the print loop sees it (its labels and its cancel button).
class PrintLoopView
{
public:
    virtual ~PrintLoopView() = default;
    /// lblCps: the copy being printed and the number of copies, "c/n".
    virtual void setCopies(const QString &text) = 0;
    /// lblpgno: the position reached.
    virtual void setPosition(const QString &text) = 0;
    /// lblpgcnt: the number of row bands in the range.
    virtual void setPageCount(const QString &text) = 0;
    /// lblprompt: the state line ("完成" or "取消" at the end).
    virtual void setPrompt(const QString &text) = 0;
    /// Lets pending input through; true once the user has confirmed a cancel.
    virtual bool cancelled() = 0;
    /// The printer pages sent so far of all the document holds (0 before the first).
    virtual void setProgress(int done, int total)
    {
        Q_UNUSED(done);
        Q_UNUSED(total);
    }
    /// The document went to this file (a printer that writes files); said before the last
    /// prompt.
    virtual void setOutputFile(const QString &path) { Q_UNUSED(path); }
};

/// The print loop of the progress window: draws each selected sheet of the request on the
/// current printer, one printer page per sheet, and ends the document, or discards it when
/// the user cancels (nothing reaches the printer then). False when cancelled.
bool RunPrintLoop(const PrintRequest &request, PrintLoopView &view, SheetJob &job);

/// The window that shows a print's progress: shown modally, it runs RunPrintLoop when it is
/// activated and closes itself at the end. Without a display, progress goes to the console.
class PrintProgressWindow
{
public:
    virtual ~PrintProgressWindow() = default;
    /// `position` and `count` are lblpgno's and lblpgcnt's first texts; `smallPosition` asks
    /// for lblpgno in 9 points (several column bands). Returns RunPrintLoop's result.
    virtual bool run(const PrintRequest &request, SheetJob &job, const QString &position,
        const QString &count, bool smallPosition)
        = 0;
};

/// The name a print document goes by (the job's title in the printer's queue): the report's
/// main title on one line, else its key.
QString printDocumentName(const PrintProperties &print);

/// Which of these printers a print goes to first: the report's designated printer
/// (PrinterName) when it is installed, else the current printer (the format load said so when
/// it chose the default one), else the first. -1 for an empty list.
int reportPrinterIndex(const QList<PrinterInfo> &printers);

/// Prints a range: switches the engine to the printer at zoom 1, lays out for it, runs the
/// progress window, and puts the engine back as it was (zoom, surface, output mode, page
/// position) with the layout of that surface. False when cancelled or the layout failed.
bool PrintRange(const PrintRequest &request, SheetJob &job, PrintProgressWindow &window);

} // namespace quillon

Q_DECLARE_METATYPE(quillon::PrintRequest)
