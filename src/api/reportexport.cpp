#include <quillon/myprint.h>
#include <quillon/reportexport.h>

#include "engine/convert.h"
#include "engine/draw/surface.h"
#include "engine/layout/computelayout.h"
#include "engine/layout/pagedriver.h"
#include "engine/state/enginestate.h"
#include "engine/state/formatio.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "platform/outputfile.h"
#include "platform/paintersurface.h"
#include "platform/pdfsheetsurface.h"
#include "printer/printingsystem.h"

#include <quillon/error.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>

namespace quillon {

class ReportExportPrivate
{
public:
    explicit ReportExportPrivate(MyPrint &p)
        : print(p)
    {
    }

    bool prepare(int outputMode, Surface *measuring);
    /// Lays the report out again on the output's own surface; its errors end the export.
    bool layOut();
    bool renderSheets(const std::function<bool(int sheet)> &beforeSheet,
                      const std::function<bool(int sheet)> &afterSheet);
    bool fail(const QString &message)
    {
        error = message;
        return false;
    }

    MyPrint &print;
    std::function<bool(int, int)> progress;
    QStringList files;
    QString error;
    int sheets = 0;
};

namespace {

/// Puts the engine back as a job leaves it, whatever happens: no drawing target that dies
/// with the export.
class TargetGuard
{
public:
    ~TargetGuard() { engineState().DrawTarget = nullptr; }
};

} // namespace

bool ReportExportPrivate::prepare(int outputMode, Surface *measuring)
{
    files.clear();
    error.clear();
    sheets = 0;
    messageSink().beginJob();
    EngineState &s = engineState();
    PrintingSystem &printing = printingSystem();
    if (!printing.hasPrinter() || !printing.currentPrinter())
        return fail(QStringLiteral("请先安装打印机。"));
    s.setPrintObject(&print);
    if (int(print.GridType()) == 0)
        return fail(QStringLiteral("网格类型(gridtype)不能为空。"));
    if (!print.Datagrid())
        return fail(QStringLiteral("网格数据（.datagrid）没有指定。"));
    s.OutputMode = qint16(outputMode);
    s.PreviewUiActive = false;
    s.DrawTarget = measuring ? measuring : printing.currentPrinter();
    try {
        LoadFormat();
        LoadSettings();
    } catch (const Error &e) {
        return fail(QStringLiteral("[%1]%2").arg(e.number()).arg(e.description()));
    }
    sheets = s.SheetCount;
    return true;
}

bool ReportExportPrivate::layOut()
{
    EngineState &s = engineState();
    try {
        ComputeLayout(s.Format.LineHeight, s.Format.LineCount);
    } catch (const Error &e) {
        return fail(QStringLiteral("[%1]%2").arg(e.number()).arg(e.description()));
    }
    sheets = s.SheetCount;
    return true;
}

bool ReportExportPrivate::renderSheets(const std::function<bool(int)> &beforeSheet,
                                       const std::function<bool(int)> &afterSheet)
{
    EngineState &s = engineState();
    bool complete = true;
    for (int sheet = 1; sheet <= sheets; ++sheet) {
        const LogicalPage first = firstPageOfSheet(sheet);
        s.CurSheet = sheet;
        s.CurRowPage = first.rowPage;
        s.CurColPage = first.colPage;
        if (!beforeSheet(sheet))
            return false;
        if (!RenderSheet())
            complete = false;
        if (!afterSheet(sheet))
            return false;
        if (progress && !progress(sheet, sheets))
            return fail(QStringLiteral("导出已取消。"));
    }
    s.CurSheet = s.CurRowPage = s.CurColPage = 1;
    if (!complete)
        error = QStringLiteral("有的页面未能完整绘出，原因已另行报告。");
    return true;
}

ReportExport::ReportExport(MyPrint &print)
    : d(std::make_unique<ReportExportPrivate>(print))
{
}

ReportExport::~ReportExport() = default;

void ReportExport::setProgressHandler(std::function<bool(int, int)> handler)
{
    d->progress = std::move(handler);
}

bool ReportExport::toPdf(const QString &path)
{
    TargetGuard guard;
    if (!d->prepare(1, nullptr))
        return false;
    EngineState &s = engineState();
    const PrinterSurface *printer = printingSystem().currentPrinter();
    const QSizeF sheet(printer->Width(), printer->Height());
    const QPointF offset((printer->Width() - printer->ScaleWidth()) / 2,
                         (printer->Height() - printer->ScaleHeight()) / 2);
    OutputFile out(path, OutputFile::Devices::WriteThrough);
    if (!out.begin())
        return d->fail(out.errorString());
    {
        PdfSheetSurface pdf(&out, sheet, offset, d->print.MainTitle());
        // Lay out again on the file itself: its metrics are the ones the text is drawn with.
        s.DrawTarget = &pdf;
        s.ZoomRate = 1;
        if (!d->layOut())
            return false;
        const bool done = d->renderSheets([&](int n) { return n == 1 || pdf.PainterSurface::newPage(); },
                                          [](int) { return true; });
        pdf.end();
        s.DrawTarget = nullptr;
        if (!done) {
            // A page the file refused: the file knows why (a full disk, say).
            if (d->error.isEmpty())
                d->fail(out.finish() ? QStringLiteral("无法写入文件“%1”。").arg(path) : out.errorString());
            return false; // the output file drops what was written
        }
        if (d->sheets == 0)
            return d->fail(QStringLiteral("报表没有可打印的页面。"));
        if (pdf.hasFailed() && out.finish()) // a failure of the file itself comes below
            return d->fail(QStringLiteral("无法写入文件“%1”。").arg(path));
    }
    if (!out.commit())
        return d->fail(out.errorString());
    d->files = { path };
    return d->error.isEmpty();
}

bool ReportExport::toPng(const QString &folder, double zoom, const QString &baseName)
{
    TargetGuard guard;
    if (!(zoom > 0.05 && zoom <= 20))
        return d->fail(QStringLiteral("缩放比例 %1 无效（应在 0.05 到 20 之间）。").arg(zoom));
    if (!QDir().mkpath(folder))
        return d->fail(QStringLiteral("无法创建文件夹“%1”。").arg(folder));
    // Measure on a page picture of the preview's resolution while the format loads.
    QImage probe(16, 16, QImage::Format_RGB32);
    probe.setDotsPerMeterX(3780);
    probe.setDotsPerMeterY(3780);
    PainterSurface probeSurface(&probe);
    if (!d->prepare(2, &probeSurface))
        return false;
    EngineState &s = engineState();
    s.ZoomRate = zoom;
    if (!d->layOut())
        return false;
    if (d->sheets == 0)
        return d->fail(QStringLiteral("报表没有可打印的页面。"));

    const QSize pixels(std::max(1, roundHalfEven(s.PaperWidthTw * zoom / 15.0)),
                       std::max(1, roundHalfEven(s.PaperHeightTw * zoom / 15.0)));
    QImage page(pixels, QImage::Format_RGB32);
    page.setDotsPerMeterX(3780);
    page.setDotsPerMeterY(3780);
    std::unique_ptr<PainterSurface> surface;
    // Every page is written beside its name first and all take their names at the end, so a
    // failed or cancelled export leaves the pages of an earlier one as they were.
    std::vector<std::unique_ptr<OutputFile>> pages;
    const bool done = d->renderSheets(
        [&](int) {
            page.fill(Qt::white);
            surface = std::make_unique<PainterSurface>(&page);
            s.DrawTarget = surface.get();
            return true;
        },
        [&](int n) {
            surface.reset();
            s.DrawTarget = nullptr;
            auto &out = pages.emplace_back(std::make_unique<OutputFile>(
                QDir(folder).filePath(QStringLiteral("%1-%2.png").arg(baseName).arg(n, 3, 10, QLatin1Char('0'))),
                OutputFile::Devices::WriteThrough));
            if (!out->begin())
                return d->fail(out->errorString());
            if (!page.save(out.get(), "PNG") && out->finish()) // else the file says why
                return d->fail(QStringLiteral("无法写入文件“%1”。").arg(out->path()));
            return out->finish() || d->fail(out->errorString());
        });
    if (!done)
        return false;
    QStringList written;
    for (const auto &out : pages) {
        if (!out->commit())
            return d->fail(out->errorString());
        written << out->path();
    }
    d->files = written;
    return d->error.isEmpty();
}

QStringList ReportExport::writtenFiles() const
{
    return d->files;
}

int ReportExport::sheetCount() const
{
    return d->sheets;
}

QString ReportExport::errorString() const
{
    return d->error;
}

} // namespace quillon
