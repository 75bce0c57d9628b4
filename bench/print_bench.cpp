// Printing benchmarks: the print jobs as a user runs them, timed from the call.
//
//   quillon_print_bench cups GRID.csv [REPS]   PrintDirect to a CUPS PDF queue of a private
//                                              scheduler, until the job is in the queue (and
//                                              until it is done), against ReportExport::toPdf
//   quillon_print_bench continuous [SETS]      PrintCont of SETS data sets of 20 rows on the
//                                              virtual PDF printer: the cost of each data set
//   quillon_print_bench loop GRID.csv          the print loop on the CUPS queue (else the
//                                              virtual PDF printer): the time between two
//                                              cancel checks, when pending events get through
//
// Prints "key value" lines.

#include "api/myprint_p.h"
#include "support/privatecups.h"

#include "engine/layout/printrange.h"
#include "engine/layout/sheetjob.h"
#include "engine/state/enginestate.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "platform/interfaces/memorysettingsstore.h"
#include "printer/qtprintingsystem.h"
#include "printer/virtualprintingsystem.h"

#include <quillon/flexgrid.h>
#include <quillon/gridfile.h>
#include <quillon/myprint.h>
#include <quillon/platform.h>
#include <quillon/reportexport.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace quillon;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

/// This process's processor time in seconds: on a busy machine the wall time also counts
/// the waits for a processor.
double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

double mean(const std::vector<double> &values, size_t from, size_t to)
{
    double sum = 0;
    for (size_t i = from; i < to; ++i)
        sum += values[i];
    return to > from ? sum / double(to - from) : 0;
}

void installPlatform(std::unique_ptr<PrintingSystem> printing)
{
    resetPlatformServices();
    resetEngineState();
    setSettingsStore(std::make_unique<MemorySettingsStore>());
    setMessageSink(std::make_unique<ConsoleMessageSink>());
    setPrintingSystem(std::move(printing));
}

std::unique_ptr<GridFile> loadGrid(const QString &path, MyPrint &print)
{
    QString error;
    auto grid = GridFile::load(path, &error);
    if (!grid || !grid->applyTo(print, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return nullptr;
    }
    return grid;
}

int cupsBench(const QString &csv, int reps)
{
    PrivateCups cups;
    QString why;
    if (!cups.start(&why)) {
        std::fprintf(stderr, "no private CUPS scheduler: %s\n", qPrintable(why));
        return 1;
    }
    installPlatform(std::make_unique<QtPrintingSystem>());
    MyPrint print;
    const auto grid = loadGrid(csv, print);
    if (!grid)
        return 1;
    setFormatValue(print.PrintKeyName(), u"PrinterName"_qs, QString::fromLatin1(cups.kQueue));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"export.pdf"_qs);

    std::vector<double> exportS, printS, doneS, exportCpu, printCpu;
    int sheets = 0;
    for (int r = 0; r <= reps; ++r) { // the first round warms up
        QElapsedTimer timer;
        timer.start();
        double cpu = cpuSeconds();
        ReportExport exporter(print);
        if (!exporter.toPdf(pdf)) {
            std::fprintf(stderr, "%s\n", qPrintable(exporter.errorString()));
            return 1;
        }
        const double exported = timer.nsecsElapsed() / 1e9;
        const double exportedCpu = cpuSeconds() - cpu;
        sheets = exporter.sheetCount();

        timer.restart();
        cpu = cpuSeconds();
        print.PrintDirect(); // returns once CUPS has taken the job
        const double queued = timer.nsecsElapsed() / 1e9;
        const double queuedCpu = cpuSeconds() - cpu;
        if (!cups.waitForJobs(600)) {
            std::fprintf(stderr, "the queue did not finish the job\n");
            return 1;
        }
        const double done = timer.nsecsElapsed() / 1e9;
        std::fprintf(stderr,
            "# round %d: toPdf %.2f s (cpu %.2f s), in the queue %.2f s (cpu %.2f s), done %.2f "
            "s\n",
            r, exported, exportedCpu, queued, queuedCpu, done);
        if (r > 0) {
            exportS.push_back(exported);
            printS.push_back(queued);
            doneS.push_back(done);
            exportCpu.push_back(exportedCpu);
            printCpu.push_back(queuedCpu);
        }
    }
    std::printf("cups_rows %d\ncups_sheets %d\ncups_topdf_s %.2f\ncups_queued_s %.2f\n"
                "cups_done_s %.2f\ncups_ratio %.2f\ncups_topdf_cpu_s %.2f\ncups_queued_cpu_s %.2f\n"
                "cups_cpu_ratio %.2f\n",
        qobject_cast<FlexGrid *>(grid->grid())->Rows() - 1, sheets, median(exportS), median(printS),
        median(doneS), median(printS) / median(exportS), median(exportCpu), median(printCpu),
        median(printCpu) / median(exportCpu));
    return 0;
}

/// A data set of 20 rows, numbered after the set, as a host would load it.
void fillDataSet(FlexGrid &grid, int set)
{
    QList<QStringList> rows { { u"序号"_qs, u"客户名称"_qs, u"摘要"_qs, u"金额"_qs } };
    for (int r = 1; r <= 20; ++r)
        rows << QStringList { QString::number(set * 100 + r), u"恒达商贸有限公司"_qs,
            u"支付第三季度仓储服务费"_qs, QString::number(1234.5 + r * set, 'f', 2) };
    grid.setSize(21, 4);
    grid.setTexts(rows);
    grid.setFixedRows(1);
    const int widths[] = { 1200, 3000, 4200, 1600 };
    for (int c = 0; c < 4; ++c)
        grid.setColWidth(c, widths[c]);
}

int continuousBench(int sets)
{
    QTemporaryDir dir;
    installPlatform(VirtualPrintingSystem::withPdfPrinter(dir.path()));
    FlexGrid grid;
    fillDataSet(grid, 1);
    MyPrint print;
    print.setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    print.setDatagrid(&grid);
    print.setLineCount(20); // one sheet a data set
    std::vector<double> perSet;
    QElapsedTimer timer;
    QObject::connect(&print, &MyPrint::PrintOver, [&] {
        perSet.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        fillDataSet(grid, int(perSet.size()) + 1);
        print.setPrintEnd(int(perSet.size()) == sets);
    });
    QElapsedTimer total;
    total.start();
    const double cpu = cpuSeconds();
    timer.start();
    print.PrintCont();
    const double totalS = total.nsecsElapsed() / 1e9;
    const double totalCpu = cpuSeconds() - cpu;
    if (int(perSet.size()) != sets) {
        std::fprintf(stderr, "continuous printing stopped after %zu data sets\n", perSet.size());
        return 1;
    }
    const size_t n = perSet.size();
    const size_t hundred = std::min<size_t>(100, n);
    const size_t middle = n / 2 - hundred / 2;
    std::printf("cont_sets %d\ncont_total_s %.2f\ncont_total_cpu_s %.2f\ncont_first_ms %.2f\n"
                "cont_middle_ms %.2f\ncont_last_ms %.2f\n",
        sets, totalS, totalCpu, mean(perSet, 0, hundred), mean(perSet, middle, middle + hundred),
        mean(perSet, n - hundred, n));
    return 0;
}

/// The progress window as the print loop sees it, keeping the time of each cancel check.
struct TimedView : PrintLoopView
{
    void setCopies(const QString &) override { }
    void setPosition(const QString &) override { }
    void setPageCount(const QString &) override { }
    void setPrompt(const QString &) override { }
    bool cancelled() override
    {
        checks.push_back(clock.nsecsElapsed() / 1e6);
        return false;
    }
    QElapsedTimer clock;
    std::vector<double> checks;
};

struct TimedWindow : PrintProgressWindow
{
    bool run(
        const PrintRequest &request, SheetJob &job, const QString &, const QString &, bool) override
    {
        view.clock.start();
        const bool printed = RunPrintLoop(request, view, job);
        endMs = view.clock.nsecsElapsed() / 1e6 - (view.checks.empty() ? 0 : view.checks.back());
        return printed;
    }
    TimedView view;
    double endMs = 0;
};

int loopBench(const QString &csv)
{
    PrivateCups cups;
    QString why;
    QTemporaryDir dir;
    const bool real = cups.start(&why);
    if (real)
        installPlatform(std::make_unique<QtPrintingSystem>());
    else
        installPlatform(VirtualPrintingSystem::withPdfPrinter(dir.path()));
    MyPrint print;
    const auto grid = loadGrid(csv, print);
    if (!grid)
        return 1;
    SheetJob job(MyPrintPrivate::get(print));
    if (!job.prepare(1)) {
        std::fprintf(stderr, "%s\n", qPrintable(job.error()));
        return 1;
    }
    const EngineState &s = job.state();
    TimedWindow window;
    if (!PrintRange({ 1, s.RowPageCount, 1, s.ColPageCount, 1, u"所有页"_qs, 1 }, job, window))
        return 1;
    std::vector<double> gaps;
    double previous = 0;
    for (double t : window.view.checks) {
        gaps.push_back(t - previous);
        previous = t;
    }
    std::vector<double> sorted = gaps;
    std::sort(sorted.begin(), sorted.end());
    const double p99
        = sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
    std::printf("loop_printer %s\nloop_rows %d\nloop_sheets %zu\nloop_max_gap_ms %.1f\n"
                "loop_p99_gap_ms %.1f\nloop_median_gap_ms %.1f\nloop_first_gap_ms %.1f\n"
                "loop_enddoc_ms %.0f\n",
        real ? "cups" : "virtual-pdf", s.GridRows - 1, gaps.size(),
        sorted.empty() ? 0 : sorted.back(), p99, median(gaps), gaps.empty() ? 0 : gaps.front(),
        window.endMs);
    if (real)
        cups.waitForJobs(600);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    if (mode == u"cups"_qs && args.size() >= 3)
        return cupsBench(args[2], args.value(3, u"3"_qs).toInt());
    if (mode == u"continuous"_qs)
        return continuousBench(args.value(2, u"1000"_qs).toInt());
    if (mode == u"loop"_qs && args.size() >= 3)
        return loopBench(args[2]);
    std::fprintf(stderr,
        "usage: quillon_print_bench cups GRID.csv [REPS] | continuous [SETS] | loop GRID.csv\n");
    return 2;
}
