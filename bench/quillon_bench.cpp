// Preview benchmark: loads a grid file, lays it out for the preview and draws sheets into the
// preview's page picture, timing each step.
//
//   quillon_bench GRID.csv [--sheets N] [--late SHEET]
//
// Prints "key value" lines: load_ms, layout_ms, first_sheet_ms (load, layout and the first
// sheet, the time a user waits for the preview), sheet_ms_zoom1 and sheet_ms_zoom2 (median
// over N sheets spread across the report), and early_sheet_ms / late_sheet_ms (sheet 1 and
// sheet SHEET, median of 7 draws each).

#include "api/myprint_p.h"
#include "engine/layout/computelayout.h"
#include "engine/layout/loadsettings.h"
#include "engine/layout/pagedriver.h"
#include "engine/state/enginestate.h"
#include "engine/state/formatio.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "platform/interfaces/memorysettingsstore.h"
#include "platform/interfaces/surface.h"
#include "platform/paintersurface.h"
#include "printer/virtualprintingsystem.h"

#include <quillon/gridfile.h>
#include <quillon/myprint.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cstdio>

using namespace quillon;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

/// The preview's page picture at a zoom: 96 pixels per inch of paper at zoom 1.
struct PreviewPage
{
    explicit PreviewPage(double zoom)
    {
        const EngineState &s = engineState();
        image = QImage(std::max(1, int(s.PaperWidthTw * zoom / 15.0 + 0.5)),
            std::max(1, int(s.PaperHeightTw * zoom / 15.0 + 0.5)), QImage::Format_RGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        image.fill(Qt::white);
        surface = std::make_unique<PainterSurface>(&image);
    }
    QImage image;
    std::unique_ptr<PainterSurface> surface;
};

double drawSheet(int sheet)
{
    EngineState &s = engineState();
    const LogicalPage first = firstPageOfSheet(s, sheet);
    s.CurSheet = qint16(sheet);
    s.CurRowPage = qint16(first.rowPage);
    s.CurColPage = qint16(first.colPage);
    QElapsedTimer timer;
    timer.start();
    RenderSheet(s);
    return timer.nsecsElapsed() / 1e6;
}

void layoutAt(double zoom, PreviewPage &page)
{
    EngineState &s = engineState();
    s.DrawTarget = page.surface.get();
    s.ZoomRate = zoom;
    ComputeLayout(s, s.Format.LineHeight, s.Format.LineCount);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: quillon_bench GRID.csv [--sheets N] [--late SHEET]\n");
        return 2;
    }
    int sampleSheets = 25;
    int lateSheet = 3000;
    for (qsizetype i = 2; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--sheets"))
            sampleSheets = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--late"))
            lateSheet = args[i + 1].toInt();
    }

    // The embedded PDF printer, an in-memory format store and quiet messages: nothing of this
    // machine changes the numbers.
    setSettingsStore(std::make_unique<MemorySettingsStore>());
    setMessageSink(std::make_unique<ConsoleMessageSink>());
    setPrintingSystem(VirtualPrintingSystem::withPdfPrinter(QDir::tempPath()));

    QElapsedTimer total;
    total.start();
    QString error;
    const auto grid = GridFile::load(args[1], &error);
    if (!grid) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    MyPrint print;
    if (!grid->applyTo(print, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const double loadMs = total.nsecsElapsed() / 1e6;

    // What the preview does when it opens: load the format, lay out, draw the first sheet.
    EngineState &s = engineState();
    s.setPrintObject(&MyPrintPrivate::get(print));
    s.OutputMode = 2;
    QImage probe(16, 16, QImage::Format_RGB32);
    probe.setDotsPerMeterX(3780);
    probe.setDotsPerMeterY(3780);
    PainterSurface probeSurface(&probe);
    s.DrawTarget = &probeSurface;
    QElapsedTimer layoutTimer;
    layoutTimer.start();
    LoadFormat(engineState());
    LoadSettings(engineState());
    PreviewPage zoom1(1.0);
    layoutAt(1.0, zoom1);
    const double layoutMs = layoutTimer.nsecsElapsed() / 1e6;
    drawSheet(1);
    const double firstSheetMs = total.nsecsElapsed() / 1e6;
    const int sheets = s.SheetCount;

    std::printf("rows %d\nsheets %d\nload_ms %.1f\nlayout_ms %.1f\nfirst_sheet_ms %.1f\n",
        s.GridRows, sheets, loadMs, layoutMs, firstSheetMs);

    for (double zoom : { 1.0, 2.0 }) {
        PreviewPage page(zoom);
        layoutAt(zoom, page);
        std::vector<double> times;
        const int count = std::min(sampleSheets, sheets);
        for (int i = 0; i < count; ++i)
            times.push_back(drawSheet(1 + int(qint64(i) * (sheets - 1) / std::max(1, count - 1))));
        std::printf("sheet_ms_zoom%d %.2f\n", int(zoom), median(times));
    }

    if (lateSheet > sheets)
        lateSheet = sheets;
    layoutAt(1.0, zoom1);
    std::vector<double> early, late;
    for (int i = 0; i < 7; ++i) {
        early.push_back(drawSheet(1));
        late.push_back(drawSheet(lateSheet));
    }
    std::printf("late_sheet %d\nearly_sheet_ms %.2f\nlate_sheet_ms %.2f\n", lateSheet,
        median(early), median(late));
    s.DrawTarget = nullptr;
    return 0;
}
