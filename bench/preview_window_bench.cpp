// Preview window benchmark: opens the preview window on a large grid and times what a user
// waits for: the first sheet on screen, a page flip, a zoom step.
//
//   quillon_preview_bench [ROWS] [--flips N]
//
// The grid (ROWS body rows, default 100000, 8 columns of Chinese text) is built in memory
// before the clock starts. Prints "key value" lines: open_ms (load, layout and the first sheet
// drawn and painted, at a stored zoom of 100 %), flip_ms_zoom1 / flip_ms_zoom2 (median of N
// next-sheet flips, painted), zoom_ms_to1 / zoom_ms_to2 (median of zoom steps to that zoom),
// early_flip_ms / late_flip_ms (flips near the first and near the last sheet, zoom 1), jump_ms
// (median of N page-box jumps, a number typed and Enter, to sheets all over the report) and
// open_fit_ms (a second window opened with no zoom stored: "整页").

#include "api/myprint_p.h"
#include "engine/state/enginestate.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "engine/state/registry.h"
#include "platform/interfaces/memorysettingsstore.h"
#include "printer/virtualprintingsystem.h"
#include "ui/preview/previewwidget.h"
#include "ui/preview/previewwindow.h"

#include <quillon/flexgrid.h>
#include <quillon/myprint.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

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

/// Runs a step and paints what it changed; milliseconds.
template <typename Step> double timed(Step &&step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    QCoreApplication::processEvents(); // the repaint of the page picture
    return timer.nsecsElapsed() / 1e6;
}

void fillGrid(FlexGrid &grid, int rows)
{
    static const QStringList names { QStringLiteral("成都天府食品"),
        QStringLiteral("华东电子有限公司"), QStringLiteral("西安古城文化"),
        QStringLiteral("南京金陵纺织") };
    static const QStringList goods { QStringLiteral("文件柜"), QStringLiteral("签字笔（盒）"),
        QStringLiteral("白板"), QStringLiteral("档案盒") };
    grid.setSize(rows + 1, 8);
    grid.setFixedRows(1);
    const QStringList heads { QStringLiteral("日期"), QStringLiteral("单号"),
        QStringLiteral("客户名称"), QStringLiteral("商品"), QStringLiteral("数量"),
        QStringLiteral("单价"), QStringLiteral("金额"), QStringLiteral("业务员") };
    for (int c = 0; c < 8; ++c) {
        grid.setTextMatrix(0, c, heads[c]);
        grid.setColWidth(c, c == 2 ? 2000 : 1300);
    }
    for (int r = 1; r <= rows; ++r) {
        grid.setTextMatrix(
            r, 0, QStringLiteral("2026-11-%1").arg(1 + r % 28, 2, 10, QLatin1Char('0')));
        grid.setTextMatrix(r, 1, QStringLiteral("XS%1").arg(202600000 + r));
        grid.setTextMatrix(r, 2, names[r % names.size()]);
        grid.setTextMatrix(r, 3, goods[r % goods.size()]);
        grid.setTextMatrix(r, 4, QString::number(r % 60));
        grid.setTextMatrix(r, 5, QString::number(18.8 + r % 900, 'f', 2));
        grid.setTextMatrix(r, 6, QString::number((18.8 + r % 900) * (r % 60), 'f', 2));
        grid.setTextMatrix(r, 7, QStringLiteral("黄丽"));
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    int rows = 100000;
    int flips = 25;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--flips") && i + 1 < args.size())
            flips = args[++i].toInt();
        else
            rows = args[i].toInt();
    }
    if (rows < 1 || flips < 1) {
        std::fprintf(stderr, "usage: quillon_preview_bench [ROWS] [--flips N]\n");
        return 2;
    }

    // The embedded PDF printer, an in-memory format store and quiet messages: nothing of this
    // machine changes the numbers.
    auto owned = std::make_unique<MemorySettingsStore>();
    MemorySettingsStore &store = *owned;
    setSettingsStore(std::move(owned));
    const QString common = storePath(RootKey::LocalMachine, kCommonKey);
    store.createKey(common);
    store.setValue(common, QStringLiteral("ZoomRate"), QStringLiteral("1"));
    store.setValue(common, QStringLiteral("ZoomFit"), QStringLiteral("0"));
    setMessageSink(std::make_unique<ConsoleMessageSink>());
    setPrintingSystem(VirtualPrintingSystem::withPdfPrinter(QDir::tempPath()));

    FlexGrid grid;
    fillGrid(grid, rows);
    MyPrint print;
    print.setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    print.setDatagrid(&grid);

    // Opens a window and waits for its first sheet; milliseconds, or a negative number.
    const auto openWindow = [&print](std::unique_ptr<PreviewWindow> &window) {
        QElapsedTimer open;
        open.start();
        window = std::make_unique<PreviewWindow>(MyPrintPrivate::get(print));
        if (!window->load(false)) {
            std::fprintf(stderr, "%s\n", qPrintable(window->error()));
            return -1.0;
        }
        window->resize(1280, 1000);
        window->show();
        auto *status = window->findChild<QLabel *>(QStringLiteral("panel1"));
        while (status->text().isEmpty() && open.elapsed() < 60000)
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return open.nsecsElapsed() / 1e6;
    };
    std::unique_ptr<PreviewWindow> owner;
    const double openMs = openWindow(owner);
    if (openMs < 0)
        return 1;
    PreviewWindow &window = *owner;
    EngineState &s = window.job().state();
    std::printf("rows %d\nsheets %d\nopen_ms %.1f\n", rows, s.SheetCount, openMs);

    PreviewWidget *view = window.preview();
    for (double zoom : { 1.0, 2.0 }) {
        view->setZoom(zoom);
        view->firstSheet();
        std::vector<double> times;
        for (int i = 0; i < flips; ++i)
            times.push_back(timed([&] { view->nextSheet(); }));
        std::printf("flip_ms_zoom%d %.2f\n", int(zoom), median(times));
    }
    std::vector<double> toOne, toTwo;
    for (int i = 0; i < 7; ++i) {
        toOne.push_back(timed([&] { view->setZoom(1); }));
        toTwo.push_back(timed([&] { view->setZoom(2); }));
    }
    std::printf("zoom_ms_to1 %.2f\nzoom_ms_to2 %.2f\n", median(toOne), median(toTwo));

    view->setZoom(1);
    std::vector<double> early, late;
    for (int i = 0; i < flips; ++i) {
        view->firstSheet();
        early.push_back(timed([&] { view->nextSheet(); }));
        view->lastSheet();
        late.push_back(timed([&] { view->previousSheet(); }));
    }
    std::printf("early_flip_ms %.2f\nlate_flip_ms %.2f (sheet %d)\n", median(early), median(late),
        s.CurSheet);

    auto *box = window.findChild<QLineEdit *>(QStringLiteral("txtPage"));
    std::vector<double> jumps;
    for (int i = 1; i <= flips; ++i) {
        const int sheet = 1 + int(qint64(i) * 7919 % s.SheetCount);
        jumps.push_back(timed([&] {
            box->setText(QString::number(sheet));
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(box, &enter);
        }));
        if (s.CurSheet != sheet) {
            std::fprintf(stderr, "jumped to %d, not %d\n", s.CurSheet, sheet);
            return 1;
        }
    }
    std::printf("jump_ms %.2f\n", median(jumps));

    owner.reset();
    store.removeValue(common, QStringLiteral("ZoomFit"));
    store.setValue(common, QStringLiteral("ZoomRate"), QStringLiteral("1"));
    const double openFitMs = openWindow(owner);
    std::printf("open_fit_ms %.1f (zoom %g)\n", openFitMs, owner->job().state().ZoomRate);
    return openFitMs < 0 ? 1 : 0;
}
