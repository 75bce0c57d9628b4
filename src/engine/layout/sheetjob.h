#pragma once

#include <QHash>
#include <QString>

#include <array>

namespace quillon {

class PrintProperties;
class Surface;

/// Puts back, on every way out, the engine fields a job changes: the drawing target, zoom,
/// output mode, preview flag, grid-line colour and the page driver's position.
class EngineSnapshot
{
public:
    EngineSnapshot();
    ~EngineSnapshot();
    EngineSnapshot(const EngineSnapshot &) = delete;
    EngineSnapshot &operator=(const EngineSnapshot &) = delete;

private:
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
/// format, a first layout), lay out on the surface drawn on, draw sheet n, finish. The job
/// finishes when it is destroyed, which puts the engine back as it was.
class SheetJob
{
public:
    /// What prepare() checks after the printer, in order: the print jobs test the grid kind
    /// before the grid, the preview the grid first, continuous printing neither.
    enum class Checks { GridKindFirst, GridFirst, PrinterOnly };

    explicit SheetJob(PrintProperties &print);
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
    int sheetCount() const { return m_sheets; }
    /// Draws sheet `sheet` (from 1) on the surface, with the second grid when the print
    /// object asks for one. False when the sheet could not be drawn completely; the reason was
    /// shown as a message.
    bool renderSheet(int sheet, Surface &surface);
    /// The same for the sheet that starts at this logical page (row band, column band), as
    /// a print of a range draws it.
    bool renderSheetFrom(qint32 rowPage, qint32 colPage, Surface &surface);
    PrintProperties &properties() { return m_print; }

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
        QHash<QString, int> *m_previous;
    };
    QString error() const { return m_error; }
    /// The message box icon of error() (48 for a missing printer, else none).
    int errorIcon() const { return m_errorIcon; }

private:
    bool fail(const QString &message, int icon = 0);

    EngineSnapshot m_snapshot;
    PrintProperties &m_print;
    QString m_error;
    int m_errorIcon = 0;
    QHash<QString, int> m_answers;
    int m_sheets = 0;
};

} // namespace quillon
