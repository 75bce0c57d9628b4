#include <quillon/error.h>
#include <quillon/myprint.h>
#include <quillon/platform.h>

#include "engine/device/clsprinter.h"
#include "engine/layout/continuousprint.h"
#include "engine/layout/pagedriver.h"
#include "engine/layout/printrange.h"
#include "engine/layout/sheetjob.h"
#include "engine/state/enginestate.h"
#include "engine/state/platformservices.h"
#include "engine/state/registry.h"
#include "myprint_p.h"
#include "platform/interfaces/surface.h"
#include "printer/printingsystem.h"
#include "ui/dialogs/pagesetupdialog.h"
#include "ui/dialogs/printdialog.h"
#include "ui/dialogs/progresswindow.h"
#include "ui/preview/previewwindow.h"
#include "ui/qttranslations.h"

#include <QApplication>

#include <QPointer>

#include <algorithm>
#include <limits>

namespace quillon {

namespace {

// The enumerations travel as 32-bit values but are stored in 16 bits.
qint16 narrowTo16(qint32 value)
{
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        throw OverflowError();
    return static_cast<qint16>(value);
}

void addLine(
    LineTable &table, const QString &text, const QVariant &newline, int alignment, qint32 color)
{
    const qint16 storedAlignment = narrowTo16(alignment);
    table.append(
        { text, newline.toString(), QString::number(storedAlignment), QString::number(color) });
}

} // namespace

MyPrint::MyPrint(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<MyPrintPrivate>())
{
    ensureDefaultPlatform();
    EngineState &state = engineState();
    state.HeadLines.reset();
    state.FootLines.reset();
    state.HeadLines1.reset();
    state.FootLines1.reset();
}

MyPrint::~MyPrint() = default;

#define QUILLON_PLAIN_PROPERTY(Type, Name, Setter)                                                 \
    Type MyPrint::Name() const                                                                     \
    {                                                                                              \
        return d->Name;                                                                            \
    }                                                                                              \
    void MyPrint::Setter(Type value)                                                               \
    {                                                                                              \
        d->Name = value;                                                                           \
    }

#define QUILLON_TEXT_PROPERTY(Name, Setter)                                                        \
    QString MyPrint::Name() const                                                                  \
    {                                                                                              \
        return d->Name;                                                                            \
    }                                                                                              \
    void MyPrint::Setter(const QString &value)                                                     \
    {                                                                                              \
        d->Name = value;                                                                           \
    }

QUILLON_TEXT_PROPERTY(Caption, setCaption)
QUILLON_PLAIN_PROPERTY(qint16, ZoomRatio, setZoomRatio)
QUILLON_TEXT_PROPERTY(MainTitle, setMainTitle)
QUILLON_TEXT_PROPERTY(SubTitle, setSubTitle)
QUILLON_PLAIN_PROPERTY(qint16, TopMargin, setTopMargin)
QUILLON_PLAIN_PROPERTY(qint16, BottomMargin, setBottomMargin)
QUILLON_PLAIN_PROPERTY(qint16, LeftMargin, setLeftMargin)
QUILLON_PLAIN_PROPERTY(qint16, RightMargin, setRightMargin)
QUILLON_PLAIN_PROPERTY(qint16, PageHeight, setPageHeight)
QUILLON_PLAIN_PROPERTY(qint16, PageWidth, setPageWidth)
QUILLON_PLAIN_PROPERTY(qint16, RowHeight, setRowHeight)
QUILLON_PLAIN_PROPERTY(qint32, PrintColStart, setPrintColStart)
QUILLON_PLAIN_PROPERTY(qint32, PrintColEnd, setPrintColEnd)
QUILLON_PLAIN_PROPERTY(qint16, MinTitleLen, setMinTitleLen)
QUILLON_PLAIN_PROPERTY(qint16, LineHeight, setLineHeight)
QUILLON_PLAIN_PROPERTY(qint16, LineCount, setLineCount)
QUILLON_PLAIN_PROPERTY(qint16, PaperSize, setPaperSize)
QUILLON_TEXT_PROPERTY(Operator, setOperator)
QUILLON_PLAIN_PROPERTY(qint16, FixRowsHeight, setFixRowsHeight)
QUILLON_PLAIN_PROPERTY(bool, FillBlankLines, setFillBlankLines)
QUILLON_TEXT_PROPERTY(PrintKeyName, setPrintKeyName)
QUILLON_PLAIN_PROPERTY(bool, PageHCenter, setPageHCenter)
QUILLON_PLAIN_PROPERTY(bool, PageVcenter, setPageVcenter)
QUILLON_PLAIN_PROPERTY(qint32, gridrows, setGridrows)
QUILLON_PLAIN_PROPERTY(bool, MergeAll, setMergeAll)
QUILLON_PLAIN_PROPERTY(qint16, HeadCount, setHeadCount)
QUILLON_PLAIN_PROPERTY(qint16, FootCount, setFootCount)
QUILLON_PLAIN_PROPERTY(bool, PrintEnd, setPrintEnd)
QUILLON_TEXT_PROPERTY(CallMod, setCallMod)
QUILLON_TEXT_PROPERTY(MainTitle1, setMainTitle1)
QUILLON_PLAIN_PROPERTY(bool, MuitGrid, setMuitGrid)

#undef QUILLON_PLAIN_PROPERTY
#undef QUILLON_TEXT_PROPERTY

QObject *MyPrint::Datagrid() const
{
    return d->Datagrid.data();
}

void MyPrint::setDatagrid(QObject *grid)
{
    d->Datagrid = grid;
}

QObject *MyPrint::DatagridSecond() const
{
    return d->DatagridSecond.data();
}

void MyPrint::setDatagridSecond(QObject *grid)
{
    d->DatagridSecond = grid;
}

MyPrint::MnuGridType MyPrint::GridType() const
{
    return static_cast<MnuGridType>(qint32(d->GridType));
}

void MyPrint::setGridType(MnuGridType value)
{
    d->GridType = GridKind(narrowTo16(static_cast<qint32>(value)));
}

MyPrint::Oriention MyPrint::PaperOrient() const
{
    return static_cast<Oriention>(d->PaperOrient);
}

void MyPrint::setPaperOrient(Oriention value)
{
    d->PaperOrient = narrowTo16(static_cast<qint32>(value));
}

MyPrint::enuBdSy MyPrint::BorderStyle() const
{
    return static_cast<enuBdSy>(d->BorderStyle);
}

void MyPrint::setBorderStyle(enuBdSy value)
{
    d->BorderStyle = static_cast<qint32>(value);
}

namespace {

void printWithDialog(PrintProperties &properties, bool showDialog)
{
    properties.DocumentSent = false;
    SheetJob job(properties);
    if (!job.prepare(1, nullptr, SheetJob::Checks::GridKindFirst, true)) {
        ShowMessage(job.error(), job.errorIcon());
        return;
    }
    EngineState &s = job.state();
    PrintRequest request { 1, s.RowPageCount, 1, s.ColPageCount, 1, QStringLiteral("所有页"), 1 };
    if (showDialog) {
        if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
            ShowMessage(
                QStringLiteral("打印对话框需要图形界面：请在窗口程序中调用，或直接打印。"), 48);
            return;
        }
        useQtTranslations();
        PrintDialog dialog;
        dialog.hideCurrentPage();
        if (s.ColPageCount == 1)
            dialog.hideColumnBands();
        dialog.setPreviewHook([&] {
            PreviewWindow::open(properties, &dialog, false);
            // The preview ran a job of its own on its page picture: this one goes on with the
            // printer, laid out for it again (the page setup may have changed the format).
            if (!job.layOut(printingSystem().currentPrinter(), 1))
                ShowMessage(job.error(), 48);
        });
        // The paper and orientation chosen in the printer's settings are what this job prints.
        dialog.setPropertiesHook(
            [&](const QString &deviceName) {
                const std::optional<PrinterPage> page = showPrinterProperties(deviceName);
                if (!page)
                    return false;
                usePrinterPage(*page);
                if (!job.layOut(printingSystem().currentPrinter(), 1))
                    ShowMessage(job.error(), 48);
                return true;
            },
            hasPrinterProperties);
        dialog.setPageSetupHook([&] {
            {
                PageSetupDialog setup(job.state(), &dialog);
                setup.setSaveCaption();
                setup.setPropertiesHook(showPrinterProperties, hasPrinterProperties);
                setup.applyTo(job);
                setup.exec();
            }
            if (!job.layOut(printingSystem().currentPrinter(), 1))
                ShowMessage(job.error(), 48);
        });
        dialog.exec();
        if (!dialog.blnOk)
            return;
        request = dialog.request();
    } else {
        const QList<PrinterInfo> printers = printingSystem().printers();
        if (const int index = reportPrinterIndex(printers); index >= 0)
            printingSystem().selectPrinter(printers[index].deviceName);
    }
    const auto window = makePrintProgressWindow();
    properties.DocumentSent = PrintRange(request, job, *window);
}

} // namespace

void MyPrint::Printout()
{
    printWithDialog(*d, true);
}

void MyPrint::PrintDirect()
{
    printWithDialog(*d, false);
}

bool MyPrint::documentSent() const
{
    return d->DocumentSent;
}

void MyPrint::preview()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        ShowMessage(QStringLiteral("预览窗口需要图形界面：请在窗口程序中调用。"), 48);
        return;
    }
    useQtTranslations();
    PreviewWindow::open(*d, nullptr, true);
}

void MyPrint::PrintCont()
{
    // The host ends a job by setting PrintEnd inside PrintOver; left set, it would end the
    // next job after its first data set.
    d->PrintEnd = false;
    {
        SheetJob job(*d);
        if (!job.prepare(1, nullptr, SheetJob::Checks::PrinterOnly, true)) {
            ShowMessage(job.error(), job.errorIcon());
            return;
        }
        PrintContinuous(job, [this] { Q_EMIT PrintOver(); });
        if (&job.state() != &engineState())
            return; // inside another job, which holds the lines
    }
    // The job emptied the lines after each data set: the host's are empty as well.
    EngineState &host = engineState();
    host.HeadLines.reset();
    host.FootLines.reset();
}

void MyPrint::PrintMuitGrid()
{
    if (!engineState().DrawTarget) {
        // Only a running print or preview has a sheet to draw.
        ShowMessage(QStringLiteral("没有正在打印或预览的页面。"), 48);
        return;
    }
    quillon::PrintMuitGrid(engineState());
}

void MyPrint::AddHead(
    const QString &HeadText, const QVariant &newline, int alignment, qint32 txtColor)
{
    addLine(engineState().HeadLines, HeadText, newline, alignment, txtColor);
}

void MyPrint::AddFoot(
    const QString &FootText, const QVariant &newline, int alignment, qint32 txtColor)
{
    addLine(engineState().FootLines, FootText, newline, alignment, txtColor);
}

void MyPrint::AddHead1(
    const QString &HeadText, const QVariant &newline, int alignment, qint32 txtColor)
{
    addLine(engineState().HeadLines1, HeadText, newline, alignment, txtColor);
}

void MyPrint::AddFoot1(
    const QString &FootText, const QVariant &newline, int alignment, qint32 txtColor)
{
    addLine(engineState().FootLines1, FootText, newline, alignment, txtColor);
}

} // namespace quillon
