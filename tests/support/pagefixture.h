#pragma once

// The page a drawing test draws on: a job state of its own (never the thread's current one),
// the recording surface and the print object, set up as the usual grid page.

#include "api/myprint_p.h"
#include "support/singleprinter.h"
#include "support/testplatform.h"

#include "engine/draw/pagecontext.h"
#include "engine/grids/gridaccess.h"
#include "engine/state/enginestate.h"
#include "engine/state/previewsinks.h"
#include "platform/interfaces/recordingsurface.h"

#include <quillon/myprint.h>

/// A test platform with one A4 recording printer, installed before the fixture is made.
inline void installGridPagePlatform()
{
    TestPlatform::install(std::make_unique<SinglePrinterSystem>(11906, 16838, 11906, 16838));
}

/// Origin (1000, 500), 6000 twips wide, body rows of 300, 10 a page, zoom 1, lines in 32768,
/// every font 宋体 9, no shrinking, drawn for the printer. The test gives the print object its
/// grid and kind, then `useGrid()`.
class PageFixture
{
public:
    PageFixture()
    {
        quillon::EngineState &s = m_state;
        s.setPrintObject(&quillon::MyPrintPrivate::get(job));
        s.DrawTarget = &surface;
        s.OutputMode = 1;
        setOrigin(1000, 500);
        s.PageWidthTw = 6000;
        s.LineHeightTw = 300;
        s.LinesPerPage = 10;
        s.LineColor = 32768;
        s.Format.ReduceFont = 0;
        setFont({ QStringLiteral("宋体"), 9 });
    }
    PageFixture(const PageFixture &) = delete;
    PageFixture &operator=(const PageFixture &) = delete;

    quillon::EngineState &state() { return m_state; }
    /// The page of the first grid, on the recording surface or on `target`.
    quillon::PageContext page(quillon::Surface *target = nullptr)
    {
        quillon::PageContext p = quillon::PageContext::firstGrid(m_state);
        return target ? quillon::PageContext { m_state, *target, p.print, p.rules, p.grid } : p;
    }

    /// The facts the format's load reads from the print object's grid: its size and fixed rows,
    /// every column in one band.
    PageFixture &useGrid()
    {
        quillon::EngineState &s = m_state;
        const quillon::PrintProperties &print = *s.printObject();
        const auto access = quillon::GridAccess::create(
            int(print.GridType), print.Datagrid.data(), print.gridrows);
        s.GridRows = access->rowCount();
        s.GridCols = access->colCount();
        s.FixedRowsTop = access->fixedRowsTop();
        s.FixedRowsBottom = access->fixedRowsBottom();
        s.ColStart = s.FirstBodyCol = access->firstIndex();
        s.ColEnd = s.LastBodyCol = s.ColStart + s.GridCols - 1;
        s.ColBandStarts = { s.ColStart };
        s.ColPageCount = 1;
        return *this;
    }
    /// Column bands as the layout plans them; the `fixedCols` first columns, `fixedWidth`
    /// twips together, repeated on every band or not.
    PageFixture &setBands(
        const std::vector<qint32> &starts, qint32 fixedCols, bool repeated, qint32 fixedWidth = 0)
    {
        quillon::EngineState &s = m_state;
        s.ColBandStarts = starts;
        s.ColPageCount = qint32(starts.size());
        s.FixedCols = fixedCols;
        s.FixedColsWidthTw = fixedWidth;
        s.Format.MultFixCol = repeated ? 1 : 0;
        return *this;
    }
    PageFixture &setOrigin(qint32 x, qint32 y)
    {
        m_state.PageOriginX = x;
        m_state.PageOriginY = m_top = y;
        return *this;
    }
    PageFixture &setWidth(qint32 twips)
    {
        m_state.PageWidthTw = twips;
        return *this;
    }
    PageFixture &setRowsPerPage(qint32 rows)
    {
        m_state.LinesPerPage = rows;
        return *this;
    }
    PageFixture &setRowHeight(qint32 twips)
    {
        m_state.LineHeightTw = twips;
        return *this;
    }
    PageFixture &setFillBlankRows(bool fill)
    {
        m_state.Format.FillBlankLine = fill ? 1 : 0;
        return *this;
    }
    PageFixture &setReduceFont(bool reduce)
    {
        m_state.Format.ReduceFont = reduce ? 1 : 0;
        return *this;
    }
    PageFixture &setZoom(double zoom)
    {
        m_state.ZoomRate = zoom;
        return *this;
    }
    /// Every font of the page format.
    PageFixture &setFont(const quillon::FontSpec &font)
    {
        m_state.FontTable.fill(font);
        return *this;
    }
    /// A preview with its progress bar.
    PageFixture &setPreview(quillon::PreviewProgressSink *progress)
    {
        m_state.OutputMode = 2;
        m_state.PreviewUiActive = true;
        m_state.PreviewProgressBar = progress;
        return *this;
    }
    /// Row band `rowPage` on a clean page, the origin back at the top.
    void nextPage(qint32 rowPage, qint32 colPage = 1)
    {
        surface.clear();
        m_state.CurRowPage = rowPage;
        m_state.CurColPage = colPage;
        m_state.PageOriginY = m_top;
    }
    /// The lines the host added on this thread, taken as a new job takes them.
    void takeHostLines()
    {
        const quillon::EngineState &host = quillon::engineState();
        m_state.HeadLines = host.HeadLines;
        m_state.FootLines = host.FootLines;
        m_state.HeadLines1 = host.HeadLines1;
        m_state.FootLines1 = host.FootLines1;
    }

    quillon::RecordingSurface surface;
    quillon::MyPrint job;

private:
    quillon::EngineState m_state;
    qint32 m_top = 0;
};

/// The preview's progress bar, counting its updates.
class CountingProgress : public quillon::PreviewProgressSink
{
public:
    double value() const override { return m_value; }
    void setValue(double v) override
    {
        m_value = v;
        ++updates;
    }
    void setVisible(bool) override { }
    int updates = 0;

private:
    double m_value = 10;
};
