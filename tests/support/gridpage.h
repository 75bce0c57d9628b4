#pragma once

// The page the grid renderer tests draw on.

#include "api/myprint_p.h"
#include "support/singleprinter.h"
#include "support/testplatform.h"

#include "engine/state/enginestate.h"
#include "engine/state/previewsinks.h"

#include <quillon/myprint.h>

/// A test platform with one A4 recording printer, installed before the print object is made.
inline void installGridPagePlatform()
{
    TestPlatform::install(std::make_unique<SinglePrinterSystem>(11906, 16838, 11906, 16838));
}

/// Sets the engine up to draw a grid page of `job` (its grid and kind set) on `page`: origin
/// (1000, 500), 6000 twips wide, body rows of 300, 10 a page, zoom 1, lines in 32768, every
/// font 宋体 9, no shrinking.
inline void setUpGridPage(quillon::RecordingSurface &page, quillon::MyPrint &job)
{
    using namespace quillon;
    EngineState &s = engineState();
    s.setPrintObject(&MyPrintPrivate::get(job));
    s.DrawTarget = &page;
    s.OutputMode = 1;
    s.PageOriginX = 1000;
    s.PageOriginY = 500;
    s.PageWidthTw = 6000;
    s.LineHeightTw = 300;
    s.LinesPerPage = 10;
    s.LineColor = 32768;
    s.Format.ReduceFont = 0;
    for (FontSpec &font : s.FontTable)
        font = { QStringLiteral("宋体"), 9 };
}

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
