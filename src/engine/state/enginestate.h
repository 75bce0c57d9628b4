#pragma once

#include "fontspec.h"
#include "layoutresult.h"
#include "linetable.h"
#include "pageformat.h"

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QPointer>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace quillon {

class MessageSink;
class PrintProperties;
class PrinterSurface;
class Surface;
class PreviewProgressSink;
class PreviewStatusSink;

/// What the page setup edits: the page format and the fonts. A job takes it in one step.
struct PageSetupValues
{
    PageFormat format;
    std::array<FontSpec, 11> fonts {};
};

/// Everything the engine knows about one job, in one place: each sheet job owns one (or shares
/// its caller's, when it runs inside another job of the same thread), so jobs of different
/// threads never meet. Field names are the engine's vocabulary and are used unchanged by every
/// routine. Lengths ending in Tw are twips.
struct EngineState : LayoutResult
{
    EngineState();
    ~EngineState();
    EngineState(const EngineState &) = delete;
    EngineState &operator=(const EngineState &) = delete;

    // Page format, common settings and fonts.
    PageFormat Format;
    double ZoomRate = 1; ///< preview zoom; 1 for every printer output
    std::array<FontSpec, 11> FontTable {}; ///< 0..9 configurable and stored; 10 never loaded

    // Header and footer lines, shared by every print object.
    LineTable HeadLines;
    LineTable FootLines;
    LineTable HeadLines1;
    LineTable FootLines1;
    LineTable SavedHeadLines;
    LineTable SavedFootLines;

    // Grid facts, read when the format is loaded.
    qint32 GridRows = 0;
    qint32 GridCols = 0;
    qint32 FixedRowsTop = 0;
    qint32 FixedRowsBottom = 0;
    qint32 FixedCols = 0;
    qint32 ColStart = 0;
    qint32 ColEnd = 0;
    qint32 FixRowsHeightTw = 0;

    // Layout results: the LayoutResult fields, and
    double FitRatio = 0; ///< page width over the natural width of the voucher band

    // Page driver.
    qint32 CurRowPage = 1;
    qint32 CurColPage = 1;
    qint32 CurSheet = 1;
    std::array<bool, 2> SheetNav {}; ///< (0) first sheet drawn, (1) last logical page drawn
    bool LastPageDone = false;
    bool SheetInProgress = false; ///< a sheet is being drawn: events it lets through wait
    qint32 PageOriginX = 0;
    qint32 PageOriginY = 0;
    qint32 CurX = 0;
    qint32 CurY = 0;
    qint32 LineColor = 0;

    // Output and interaction.
    Surface *DrawTarget = nullptr;
    /// A job that runs beside others (an export) measures on a printer surface of its own,
    /// which no window or other job sets; the windows' jobs use the current printer, which the
    /// print dialog chooses.
    bool PrivatePrinter = false;
    std::unique_ptr<PrinterSurface> OwnPrinter;
    /// Where this job's messages go; null: the process's sink on the GUI thread, the log (with
    /// the default answer) on any other thread, which has no one to ask.
    MessageSink *Messages = nullptr;
    qint16 OutputMode = 2; ///< 1 printer, 2 preview
    PreviewStatusSink *PreviewStatusBar = nullptr;
    PreviewProgressSink *PreviewProgressBar = nullptr;
    bool PreviewUiActive = false;
    qint16 FormatDirty = 0;
    /// The user declined to save the page setup's changes: they stay in force for the job but
    /// are never written; the print dialog then stores its colour choice alone. A load or a
    /// save of the whole format clears it.
    bool FormatDeclined = false;
    QString FormatKey;
    /// While a job lays out: the answer each of its layout messages got. A job lays out more
    /// than once, and a message its layouts give is shown (or asked) once, its answer kept for
    /// the repeats. Messages outside the layouts (a dialog's) are always shown.
    QHash<QString, int> *JobAnswers = nullptr;
    /// The status bar's paper name, kept while the printer and paper stay the same: asking the
    /// printer for its paper list costs a round trip to the printing system at every sheet.
    struct PaperNameCache
    {
        QString device;
        qint16 code = 0;
        QString printerPaper; ///< the printer's own name of its paper, which picks a variant
        QString name;
    } StatusPaper;
    /// The file LogoPicture was read from and its time, so each page does not read it again.
    QString LogoPath;
    QDateTime LogoTime;

    /// The printer the job measures on and prints to; null when there is none.
    PrinterSurface *printer() const;
    /// Makes the printer with this device name the job's: its own surface of it for a private
    /// printer, else the current printer. False when there is no such printer.
    bool usePrinter(const QString &deviceName);

    /// The properties of the print object whose job runs. A job sets them; without them, the
    /// first access creates default properties and, like any new print object, clears the
    /// lines.
    PrintProperties *printObject() const;
    void setPrintObject(PrintProperties *object);
    bool hasPrintObject() const { return m_printObject != nullptr; }
    /// Whether a print object of a host is current, not the default one made for want of it.
    bool hasHostPrintObject() const
    {
        return m_printObject && m_printObject != m_defaultPrintObject.get();
    }

private:
    friend void forgetPrintObject(const PrintProperties *object);
    // Made on first use when no job set one, reading the state or not.
    mutable PrintProperties *m_printObject = nullptr;
    mutable std::unique_ptr<PrintProperties> m_defaultPrintObject;
};

/// Called as print properties go away: the state stops pointing at them.
void forgetPrintObject(const PrintProperties *object);

/// The calling thread's current job: the state of the innermost sheet job running on this
/// thread, else the thread's own state between jobs, which holds what a host set for the next
/// job (the line tables, the print object). For hosts, windows and dialogs that act on "the job
/// that runs"; the drawing routines take the job's state as an argument and never call it.
EngineState &engineState();

/// Makes `state` the calling thread's current job while it lives (nested ones stack).
class CurrentJobScope
{
public:
    explicit CurrentJobScope(EngineState &state);
    ~CurrentJobScope();
    CurrentJobScope(const CurrentJobScope &) = delete;
    CurrentJobScope &operator=(const CurrentJobScope &) = delete;

private:
    EngineState *m_state;
};

/// Whether a sheet job runs on the calling thread.
bool jobRunsOnThisThread();

/// Replaces the calling thread's state between jobs with a fresh one. For tests, and only
/// between jobs.
void resetEngineState();

} // namespace quillon
