#include <quillon/error.h>
#include <quillon/myprint.h>
#include <quillon/platform.h>

#include "engine/state/enginestate.h"
#include "myprint_p.h"

#include <QPointer>

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
    return static_cast<MnuGridType>(d->GridType);
}

void MyPrint::setGridType(MnuGridType value)
{
    d->GridType = narrowTo16(static_cast<qint32>(value));
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
