#pragma once

#include <QString>

namespace quillon {

/// A report's page format as stored under its settings key. Lengths are millimetres; flags are
/// 16-bit values where only 1 means "on". The defaults here are the ones that do not come from
/// a print object property; the load step fills the others.
struct PageFormat
{
    QString PrinterName;
    qint16 PaperSize = 0; ///< paper code; a user-defined size (256) is held as 42
    qint16 PaperOriention = 1;
    qint16 FullPage = 1;
    qint16 PageWidth = 0;
    qint16 PageHeight = 0;
    qint16 AutoArrange = 0;
    qint16 HoriCutPage = 0;
    qint16 MultFixCol = 0;
    qint16 HCenter = 0;
    qint16 VCenter = 0;
    qint16 Top = 10;
    qint16 Bottom = 5;
    qint16 Left = 5;
    qint16 Right = 5;
    qint16 LineCount = 0;
    qint16 LineHeight = 0;
    qint16 FillBlankLine = 0;
    qint16 ColorPrint = 1;
    qint16 Cutline = 0;
    qint16 Cyline = 1;
    qint16 ReduceFont = 1;
    qint16 PrintDate = 1;
    qint16 PrintOperator = 1;
    qint16 PrintPageNo = 1;
    qint32 GridColor = 32768; ///< dark green
    qint32 JeLineColor = -1; ///< -1: the grid's own colour
    qint32 DotLineColor = -1;
    qint16 LogPicPrt = 0;
    QString LogPic;
    qint16 LogPicLoc = 0;
    qint16 LogTextPrt = 0;
    QString LogText;
    qint16 LogTextLoc = 1;

    friend bool operator==(const PageFormat &, const PageFormat &) = default;
};

} // namespace quillon
