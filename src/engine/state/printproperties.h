#pragma once

#include "engine/grids/gridkind.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace quillon {

/// Frame drawn around the grid; the values the host's BorderStyle takes.
enum class FrameStyle : qint32 {
    SingleBox = 1,
    DoubleBox = 2,
    TopBottom = 3,
    FormulaOne = 4,
    NoBorder = 5,
};

/// The properties of the print object whose job runs, as the engine reads them. The host's
/// print object keeps its values in one of these, so the engine never sees the host API; the
/// defaults here are a new print object's.
class PrintProperties
{
public:
    PrintProperties() = default;
    PrintProperties(const PrintProperties &) = delete;
    PrintProperties &operator=(const PrintProperties &) = delete;
    /// An object that goes away while the engine holds it is forgotten: the next access gets
    /// the default object, never a dangling one.
    ~PrintProperties();

    QString Caption = QStringLiteral("打印预览");
    qint16 ZoomRatio = 1;
    QPointer<QObject> Datagrid;
    QString MainTitle;
    QString SubTitle;
    qint16 TopMargin = 10;
    qint16 BottomMargin = 5;
    qint16 LeftMargin = 5;
    qint16 RightMargin = 5;
    qint16 PageHeight = 0;
    qint16 PageWidth = 0;
    qint16 RowHeight = 0;
    GridKind GridType = GridKind::None;
    qint32 PrintColStart = -1;
    qint32 PrintColEnd = -1;
    qint16 MinTitleLen = 0;
    qint16 LineHeight = 0;
    qint16 LineCount = 0;
    qint16 PaperSize = 0;
    qint16 PaperOrient = 1;
    QString Operator;
    qint16 FixRowsHeight = 0;
    bool FillBlankLines = false;
    QString PrintKeyName = QStringLiteral("DefaultFormat");
    bool PageHCenter = false;
    bool PageVcenter = false;
    qint32 BorderStyle = qint32(FrameStyle::SingleBox);
    qint32 gridrows = 1;
    bool MergeAll = false;
    qint16 HeadCount = 5;
    qint16 FootCount = 5;
    bool PrintEnd = false;
    QString CallMod;
    QPointer<QObject> DatagridSecond;
    QString MainTitle1;
    bool MuitGrid = false;
    /// The last print with or without the dialog sent its document.
    bool DocumentSent = false;
};

} // namespace quillon
