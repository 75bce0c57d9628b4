#pragma once

// The logical page a grid renderer test draws on: the engine state a renderer reads, set as the
// page driver would set it for one page.

#include "api/myprint_p.h"
#include "engine/state/enginestate.h"

#include <quillon/myprint.h>

/// Origin (1000, 500), 6000 twips wide, ten body rows of rowHeight twips a page, grid lines in
/// 32768, printer output at zoom 1, no font shrinking; the job's properties and this surface.
inline void setUpRendererPage(quillon::MyPrint &job, quillon::Surface &page, qint32 rowHeight)
{
    quillon::EngineState &s = quillon::engineState();
    s.setPrintObject(&quillon::MyPrintPrivate::get(job));
    s.DrawTarget = &page;
    s.OutputMode = 1;
    s.PageOriginX = 1000;
    s.PageOriginY = 500;
    s.PageWidthTw = 6000;
    s.LineHeightTw = rowHeight;
    s.LinesPerPage = 10;
    s.LineColor = 32768;
    s.Format.ReduceFont = 0;
}
