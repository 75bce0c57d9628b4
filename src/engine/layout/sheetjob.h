#pragma once

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
    explicit SheetJob(PrintProperties &print);
    ~SheetJob();
    SheetJob(const SheetJob &) = delete;
    SheetJob &operator=(const SheetJob &) = delete;

    /// Checks that there is a printer, a grid kind and a grid, loads the report's format and
    /// lays it out measured on `measuring` (the current printer when null) for output mode 1
    /// (printer) or 2 (preview). False, with error(), when the job cannot run.
    bool prepare(int outputMode, Surface *measuring = nullptr);
    /// Lays the report out again for drawing on `surface` at this zoom: the surface's own
    /// metrics are the ones the text is drawn with.
    bool layOut(Surface *surface, double zoom);
    int sheetCount() const { return m_sheets; }
    /// Draws sheet `sheet` (from 1) on the surface. False when the sheet could not be drawn
    /// completely; the reason was shown as a message.
    bool renderSheet(int sheet, Surface &surface);
    QString error() const { return m_error; }

private:
    bool fail(const QString &message);

    EngineSnapshot m_snapshot;
    PrintProperties &m_print;
    QString m_error;
    int m_sheets = 0;
};

} // namespace quillon
