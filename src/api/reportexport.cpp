#include <quillon/myprint.h>
#include <quillon/reportexport.h>

#include "engine/convert.h"
#include "engine/layout/sheetjob.h"
#include "engine/state/enginestate.h"
#include "engine/state/platformservices.h"
#include "myprint_p.h"
#include "platform/interfaces/messagesink.h"
#include "platform/interfaces/surface.h"
#include "platform/outputfile.h"
#include "platform/paintersurface.h"
#include "platform/pdfsheetsurface.h"
#include "printer/printingsystem.h"

#include <quillon/error.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QSet>

#include <optional>

namespace quillon {

/// Hands a job's messages to the host's handler.
class HandlerMessageSink : public MessageSink
{
public:
    explicit HandlerMessageSink(std::function<int(const QString &, int)> handler)
        : m_handler(std::move(handler))
    {
    }
    int show(const QString &prompt, int buttons, const QString &) override
    {
        // The engine's own flags above the buttons (such as "in front") mean nothing to a host.
        return m_handler(prompt, buttons & 0xFFFF);
    }
    bool answersByDefault() const override { return false; }

private:
    std::function<int(const QString &, int)> m_handler;
};

class ReportExportPrivate
{
public:
    explicit ReportExportPrivate(MyPrint &p)
        : print(p)
    {
    }

    void begin()
    {
        files.clear();
        error.clear();
        sheets = 0;
    }
    /// Draws every sheet of the job: `surfaceFor` gives the surface of sheet n (nothing when
    /// it cannot), `afterSheet` takes the drawn sheet. Reports progress and honours a cancel.
    bool renderSheets(SheetJob &job, const std::function<Surface *(int sheet)> &surfaceFor,
        const std::function<bool(int sheet)> &afterSheet);
    /// Draws every sheet into the PDF on device; writeError says why the device failed.
    bool renderPdf(SheetJob &job, QIODevice *device, const std::function<QString()> &writeError);
    bool fail(const QString &message)
    {
        error = message;
        return false;
    }
    /// The layout's pages would carry rows off their edges, or no grid: nothing is written.
    bool gridDoesNotFit(SheetJob &job)
    {
        return job.state().GridDoesNotFit
            && !fail(QStringLiteral("页面上放不下表格，没有写出文件：请减小页边距、行高，"
                                    "或标题、表头、页眉和页脚占用的高度。"));
    }

    /// The job of one export, with its messages routed to the handler when there is one.
    struct Job
    {
        explicit Job(ReportExportPrivate &d)
            : job(MyPrintPrivate::get(d.print), SheetJob::Printer::Private)
        {
            if (d.messages) {
                sink.emplace(d.messages);
                job.setMessageSink(&*sink);
            }
        }
        std::optional<HandlerMessageSink> sink;
        SheetJob job;
    };

    MyPrint &print;
    std::function<bool(int, int)> progress;
    std::function<int(const QString &, int)> messages;
    QStringList files;
    QString error;
    int sheets = 0;
};

bool ReportExportPrivate::renderSheets(SheetJob &job,
    const std::function<Surface *(int)> &surfaceFor, const std::function<bool(int)> &afterSheet)
{
    sheets = job.sheetCount();
    bool complete = true;
    for (int sheet = 1; sheet <= sheets; ++sheet) {
        Surface *surface = surfaceFor(sheet);
        if (!surface)
            return false;
        if (!job.renderSheet(sheet, *surface))
            complete = false;
        if (!afterSheet(sheet))
            return false;
        if (progress && !progress(sheet, sheets))
            return fail(QStringLiteral("导出已取消。"));
    }
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

void ReportExport::setMessageHandler(std::function<int(const QString &, int)> handler)
{
    d->messages = std::move(handler);
}

bool ReportExportPrivate::renderPdf(
    SheetJob &job, QIODevice *device, const std::function<QString()> &writeError)
{
    const PrinterSurface *printer = job.state().printer();
    const QSizeF sheet(printer->Width(), printer->Height());
    const QPointF offset((printer->Width() - printer->ScaleWidth()) / 2,
        (printer->Height() - printer->ScaleHeight()) / 2);
    PdfSheetSurface pdf(device, sheet, offset, print.MainTitle());
    // Lay out again on the file itself: its metrics are the ones the text is drawn with.
    if (!job.layOut(&pdf, 1))
        return fail(job.error());
    if (gridDoesNotFit(job))
        return false;
    const bool done = renderSheets(
        job,
        [&](int n) -> Surface * {
            return n == 1 || pdf.PainterSurface::newPage() ? &pdf : nullptr;
        },
        [](int) { return true; });
    pdf.end();
    if (!done) {
        // A page the file refused: the file knows why (a full disk, say).
        if (error.isEmpty())
            fail(writeError());
        return false;
    }
    if (sheets == 0)
        return fail(QStringLiteral("报表没有可打印的页面。"));
    if (pdf.hasFailed())
        return fail(writeError());
    return true;
}

bool ReportExport::toPdf(const QString &path)
{
    d->begin();
    ReportExportPrivate::Job exportJob(*d);
    SheetJob &job = exportJob.job;
    if (!job.prepare(1))
        return d->fail(job.error());
    OutputFile out(path, OutputFile::Devices::WriteThrough);
    if (!out.begin())
        return d->fail(out.errorString());
    // The output file drops what was written when the export fails.
    if (!d->renderPdf(job, &out, [&] {
            return out.finish() ? QStringLiteral("无法写入文件“%1”。").arg(path)
                                : out.errorString();
        }))
        return false;
    if (!out.commit())
        return d->fail(out.errorString());
    d->files = { path };
    return d->error.isEmpty();
}

bool ReportExport::toPdf(QIODevice *device)
{
    d->begin();
    ReportExportPrivate::Job exportJob(*d);
    SheetJob &job = exportJob.job;
    if (!job.prepare(1))
        return d->fail(job.error());
    // The device's own reason would be the system's English.
    return d->renderPdf(job, device, [] {
        return QStringLiteral("无法写出 PDF：输出拒绝写入（读取的一方已关闭，或磁盘已满）。");
    }) && d->error.isEmpty();
}

bool ReportExport::toPng(const QString &folder, double zoom, const QString &baseName)
{
    d->begin();
    if (!(zoom >= 0.05 && zoom <= 20))
        return d->fail(QStringLiteral("缩放比例 %1 无效（应在 0.05 到 20 之间）。").arg(zoom));
    if (!QDir().mkpath(folder))
        return d->fail(QStringLiteral("无法创建文件夹“%1”。").arg(folder));
    const QRegularExpression pageName(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(baseName) + QStringLiteral("-[0-9]{3,}\\.png")));
    OutputFile::removeStale(folder, pageName);
    // Measure on a page picture of the preview's resolution while the format loads.
    QImage probe(16, 16, QImage::Format_RGB32);
    probe.setDotsPerMeterX(3780);
    probe.setDotsPerMeterY(3780);
    PainterSurface probeSurface(&probe);
    ReportExportPrivate::Job exportJob(*d);
    SheetJob &job = exportJob.job;
    if (!job.prepare(2, &probeSurface))
        return d->fail(job.error());
    if (!job.layOut(&probeSurface, zoom))
        return d->fail(job.error());
    if (d->gridDoesNotFit(job))
        return false;
    if (job.sheetCount() == 0)
        return d->fail(QStringLiteral("报表没有可打印的页面。"));

    const EngineState &s = job.state();
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
        job,
        [&](int) -> Surface * {
            page.fill(Qt::white);
            surface = std::make_unique<PainterSurface>(&page);
            return surface.get();
        },
        [&](int n) {
            surface.reset();
            auto &out = pages.emplace_back(std::make_unique<OutputFile>(
                QDir(folder).filePath(
                    QStringLiteral("%1-%2.png").arg(baseName).arg(n, 3, 10, QLatin1Char('0'))),
                OutputFile::Devices::WriteThrough));
            out->leaveStaleFiles();
            if (!out->begin())
                return d->fail(out->errorString());
            if (!page.save(out.get(), "PNG") && out->finish()) // else the file says why
                return d->fail(QStringLiteral("无法写入文件“%1”。").arg(out->path()));
            return out->finish() || d->fail(out->errorString());
        });
    if (!done)
        return false;
    QStringList written;
    QSet<QString> names;
    const OutputFile::CommitSet together;
    for (const auto &out : pages) {
        if (!out->commit())
            return d->fail(out->errorString());
        written << out->path();
        names.insert(QFileInfo(out->path()).fileName());
    }
    // Pages of an earlier, longer report would be taken for this one's.
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::System | QDir::Hidden)) {
        if (pageName.match(name).hasMatch() && !names.contains(name)
            && !QFile::remove(dir.filePath(name)))
            return d->fail(
                QStringLiteral("无法删除上一次导出的图片“%1”。").arg(dir.filePath(name)));
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
