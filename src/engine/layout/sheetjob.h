#pragma once

#include "engine/state/enginestate.h"

#include <QHash>
#include <QString>

#include <array>
#include <memory>
#include <optional>

namespace quillon {

class MessageSink;
class PrintProperties;
class Surface;

/// Puts back, on every way out, the engine fields a job changes when it runs inside another
/// job of its thread and shares its state: the drawing target, zoom, output mode, preview
/// flag, grid-line colour and the page driver's position.
class EngineSnapshot
{
public:
    explicit EngineSnapshot(EngineState &state);
    ~EngineSnapshot();
    EngineSnapshot(const EngineSnapshot &) = delete;
    EngineSnapshot &operator=(const EngineSnapshot &) = delete;

private:
    EngineState &m_state;
    Surface *m_drawTarget;
    double m_zoomRate;
    qint16 m_outputMode;
    bool m_previewUiActive;
    qint32 m_lineColor;
    qint32 m_curRowPage;
    qint32 m_curColPage;
    qint32 m_curSheet;
    std::array<bool, 2> m_sheetNav;
};

/// The one sheet loop's steps, for every output: prepare (the job's checks, the report's
/// format, a first layout), lay out on the surface drawn on, draw sheet n, finish.
///
/// A job owns its engine state, which starts with the line tables the host set on this thread,
/// and is the thread's current job (engineState()) while it lives; so jobs of different threads
/// never meet. A job made while another runs on the same thread (the preview of a print
/// dialog) shares that job's state, as the user sees one job, and puts back what it changed.
class SheetJob
{
public:
    /// Where a job measures and prints: the current printer, which the windows and the print
    /// dialog choose, or a surface of its own (an export beside other jobs).
    enum class Printer { Current, Private };

    /// What prepare() checks after the printer, in order: the print jobs test the grid kind
    /// before the grid, the preview the grid first, continuous printing neither.
    enum class Checks { GridKindFirst, GridFirst, PrinterOnly };

    explicit SheetJob(PrintProperties &print, Printer printer = Printer::Current);
    ~SheetJob();
    SheetJob(const SheetJob &) = delete;
    SheetJob &operator=(const SheetJob &) = delete;

    /// Checks that there is a printer, a grid kind and a grid, loads the report's format and
    /// lays it out measured on `measuring` (the current printer when null) for output mode 1
    /// (printer) or 2 (preview). False, with error(), when the job cannot run.
    /// A job the host started lets an error of the format load reach the host (`throwLoad`);
    /// an export reports it as error().
    bool prepare(int outputMode, Surface *measuring = nullptr,
        Checks checks = Checks::GridKindFirst, bool throwLoad = false);
    /// Lays the report out again for drawing on `surface` at this zoom: the surface's own
    /// metrics are the ones the text is drawn with.
    bool layOut(Surface *surface, double zoom);
    /// Takes the page setup's format and fonts and marks the format changed; lay out again
    /// before drawing.
    void usePageSetup(const PageSetupValues &values);
    /// The same, and stores the format as the report's own.
    void savePageSetup(const PageSetupValues &values);
    int sheetCount() const { return m_sheets; }
    /// Draws sheet `sheet` (from 1) on the surface, with the second grid when the print
    /// object asks for one. False when the sheet could not be drawn completely; the reason was
    /// shown as a message.
    bool renderSheet(int sheet, Surface &surface);
    /// The same for the sheet that starts at this logical page (row band, column band), as
    /// a print of a range draws it.
    bool renderSheetFrom(qint32 rowPage, qint32 colPage, Surface &surface);
    PrintProperties &properties() { return m_print; }
    /// The job's engine state: what the drawing routines draw with.
    EngineState &state() { return *m_state; }
    /// Where the job's messages go instead of the default (see jobMessageSink); not owned.
    void setMessageSink(MessageSink *sink);

    /// While it lives, a message that an earlier layout of this job gave is not shown again:
    /// wrap every layout of the job in one.
    class LayoutMessages
    {
    public:
        explicit LayoutMessages(SheetJob &job);
        ~LayoutMessages();
        LayoutMessages(const LayoutMessages &) = delete;
        LayoutMessages &operator=(const LayoutMessages &) = delete;

    private:
        EngineState &m_state;
        QHash<QString, int> *m_previous;
    };
    QString error() const { return m_error; }
    /// The message box icon of error() (48 for a missing printer, else none).
    int errorIcon() const { return m_errorIcon; }

private:
    bool fail(const QString &message, int icon = 0);

    std::unique_ptr<EngineState> m_own; ///< none when the job shares its caller's
    EngineState *m_state;
    std::optional<EngineSnapshot> m_snapshot;
    CurrentJobScope m_current;
    PrintProperties &m_print;
    QString m_error;
    int m_errorIcon = 0;
    QHash<QString, int> m_answers;
    int m_sheets = 0;
};

} // namespace quillon
