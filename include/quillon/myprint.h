#pragma once

#include <quillon/quillon_global.h>

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

namespace quillon {

class MyPrintPrivate;

/// The print object: a host hands it a grid, sets titles, margins and options, adds header and
/// footer lines, and starts a job. Lengths are millimetres. Only one job runs at a time in a
/// process; every print object shares the engine's header and footer line tables.
class QUILLON_EXPORT MyPrint : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("TypeLibrary", "Quillon")
    Q_CLASSINFO("TypeLibID", "{FC35CA89-D158-4B83-B1DD-7B09F703B53A}")
    Q_CLASSINFO("TypeLibVersion", "1.0")
    Q_CLASSINFO("TypeLibLocale", "1033")
    Q_CLASSINFO("ClassID", "{D6F3F3B4-E696-4398-84E3-710C20BAB494}")
    Q_CLASSINFO("InterfaceID", "{35965811-3CFD-491A-9FA1-CDF3791EA4F9}")
    Q_CLASSINFO("InterfaceName", "_MyPrint")
    Q_CLASSINFO("EventsID", "{22B5267F-3BC9-430E-82E5-D826CFD518BF}")
    Q_CLASSINFO("EventsName", "__MyPrint")
    Q_CLASSINFO("EnumID.MnuGridType", "{254FADE2-652B-4546-B186-389B363F79F4}")
    Q_CLASSINFO("EnumID.Oriention", "{70490AF5-A829-4598-B18A-886A92E847AF}")
    Q_CLASSINFO("EnumID.enuBdSy", "{9E31F78C-A98B-4039-AF12-1460705671DD}")

    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(qint16 ZoomRatio READ ZoomRatio WRITE setZoomRatio)
    Q_PROPERTY(QObject *Datagrid READ Datagrid WRITE setDatagrid)
    Q_PROPERTY(QString MainTitle READ MainTitle WRITE setMainTitle)
    Q_PROPERTY(QString SubTitle READ SubTitle WRITE setSubTitle)
    Q_PROPERTY(qint16 TopMargin READ TopMargin WRITE setTopMargin)
    Q_PROPERTY(qint16 BottomMargin READ BottomMargin WRITE setBottomMargin)
    Q_PROPERTY(qint16 LeftMargin READ LeftMargin WRITE setLeftMargin)
    Q_PROPERTY(qint16 RightMargin READ RightMargin WRITE setRightMargin)
    Q_PROPERTY(qint16 PageHeight READ PageHeight WRITE setPageHeight)
    Q_PROPERTY(qint16 PageWidth READ PageWidth WRITE setPageWidth)
    Q_PROPERTY(qint16 RowHeight READ RowHeight WRITE setRowHeight)
    Q_PROPERTY(MnuGridType GridType READ GridType WRITE setGridType)
    Q_PROPERTY(qint32 PrintColStart READ PrintColStart WRITE setPrintColStart)
    Q_PROPERTY(qint32 PrintColEnd READ PrintColEnd WRITE setPrintColEnd)
    Q_PROPERTY(qint16 MinTitleLen READ MinTitleLen WRITE setMinTitleLen)
    Q_PROPERTY(qint16 LineHeight READ LineHeight WRITE setLineHeight)
    Q_PROPERTY(qint16 LineCount READ LineCount WRITE setLineCount)
    Q_PROPERTY(qint16 PaperSize READ PaperSize WRITE setPaperSize)
    Q_PROPERTY(Oriention PaperOrient READ PaperOrient WRITE setPaperOrient)
    Q_PROPERTY(QString Operator READ Operator WRITE setOperator)
    Q_PROPERTY(qint16 FixRowsHeight READ FixRowsHeight WRITE setFixRowsHeight)
    Q_PROPERTY(bool FillBlankLines READ FillBlankLines WRITE setFillBlankLines)
    Q_PROPERTY(QString PrintKeyName READ PrintKeyName WRITE setPrintKeyName)
    Q_PROPERTY(bool PageHCenter READ PageHCenter WRITE setPageHCenter)
    Q_PROPERTY(bool PageVcenter READ PageVcenter WRITE setPageVcenter)
    Q_PROPERTY(enuBdSy BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(qint32 gridrows READ gridrows WRITE setGridrows)
    Q_PROPERTY(bool MergeAll READ MergeAll WRITE setMergeAll)
    Q_PROPERTY(qint16 HeadCount READ HeadCount WRITE setHeadCount)
    Q_PROPERTY(qint16 FootCount READ FootCount WRITE setFootCount)
    Q_PROPERTY(bool PrintEnd READ PrintEnd WRITE setPrintEnd)
    Q_PROPERTY(QString CallMod READ CallMod WRITE setCallMod)
    Q_PROPERTY(QObject *DatagridSecond READ DatagridSecond WRITE setDatagridSecond)
    Q_PROPERTY(QString MainTitle1 READ MainTitle1 WRITE setMainTitle1)
    Q_PROPERTY(bool MuitGrid READ MuitGrid WRITE setMuitGrid)

public:
    /// Kind of grid held in `Datagrid`. 0 (no kind) is the default of a new object.
    enum class MnuGridType : qint32 {
        ssFormOne6 = 1,
        ssTesselGrid = 2,
        ssMsDBGrid = 3,
        ssMsDataGrid = 4,
        ssMsflexGrid = 5,
        ssMsHFlexGrid = 6,
        ssMsGrid = 7,
        ssSpread = 8,
    };
    Q_ENUM(MnuGridType)

    enum class Oriention : qint32 {
        Portrait = 1,
        Landscape = 2,
    };
    Q_ENUM(Oriention)

    /// Frame drawn around the grid.
    enum class enuBdSy : qint32 {
        sssinglebox = 1,
        ssdoublebox = 2,
        sstbside = 3,
        ssformulaone = 4,
        ssnoborder = 5,
    };
    Q_ENUM(enuBdSy)

    /// Sets every property to its default and clears the shared header and footer lines.
    explicit MyPrint(QObject *parent = nullptr);
    ~MyPrint() override;

    QString Caption() const;
    void setCaption(const QString &value);
    qint16 ZoomRatio() const;
    void setZoomRatio(qint16 value);

    /// The grid to print. It is held by reference (never owned); a destroyed grid reads as null.
    QObject *Datagrid() const;
    void setDatagrid(QObject *grid);

    QString MainTitle() const;
    void setMainTitle(const QString &value);
    QString SubTitle() const;
    void setSubTitle(const QString &value);
    qint16 TopMargin() const;
    void setTopMargin(qint16 value);
    qint16 BottomMargin() const;
    void setBottomMargin(qint16 value);
    qint16 LeftMargin() const;
    void setLeftMargin(qint16 value);
    qint16 RightMargin() const;
    void setRightMargin(qint16 value);
    qint16 PageHeight() const;
    void setPageHeight(qint16 value);
    qint16 PageWidth() const;
    void setPageWidth(qint16 value);
    qint16 RowHeight() const;
    void setRowHeight(qint16 value);

    /// Held as a 16-bit value: a value outside -32768..32767 throws OverflowError and the stored
    /// value stays as it was.
    MnuGridType GridType() const;
    void setGridType(MnuGridType value);

    qint32 PrintColStart() const;
    void setPrintColStart(qint32 value);
    qint32 PrintColEnd() const;
    void setPrintColEnd(qint32 value);
    qint16 MinTitleLen() const;
    void setMinTitleLen(qint16 value);
    qint16 LineHeight() const;
    void setLineHeight(qint16 value);
    qint16 LineCount() const;
    void setLineCount(qint16 value);
    qint16 PaperSize() const;
    void setPaperSize(qint16 value);

    /// Held as a 16-bit value, with the same overflow check as GridType.
    Oriention PaperOrient() const;
    void setPaperOrient(Oriention value);

    QString Operator() const;
    void setOperator(const QString &value);
    qint16 FixRowsHeight() const;
    void setFixRowsHeight(qint16 value);
    bool FillBlankLines() const;
    void setFillBlankLines(bool value);
    QString PrintKeyName() const;
    void setPrintKeyName(const QString &value);
    bool PageHCenter() const;
    void setPageHCenter(bool value);
    bool PageVcenter() const;
    void setPageVcenter(bool value);
    enuBdSy BorderStyle() const;
    void setBorderStyle(enuBdSy value);
    qint32 gridrows() const;
    void setGridrows(qint32 value);
    bool MergeAll() const;
    void setMergeAll(bool value);
    qint16 HeadCount() const;
    void setHeadCount(qint16 value);
    qint16 FootCount() const;
    void setFootCount(qint16 value);
    bool PrintEnd() const;
    void setPrintEnd(bool value);
    QString CallMod() const;
    void setCallMod(const QString &value);
    QObject *DatagridSecond() const;
    void setDatagridSecond(QObject *grid);
    QString MainTitle1() const;
    void setMainTitle1(const QString &value);
    bool MuitGrid() const;
    void setMuitGrid(bool value);

    /// Appends an item to the header table: text, newline (1: the item starts a line of its own
    /// below what comes before it; 0: it goes on the line of the item before it, so the first
    /// item takes 1), alignment code (1 left, 3 centred, 5 right, ...) and colour (RGB, red in
    /// the low byte, stored but drawn in the font's colour), all stored as text.
    Q_INVOKABLE void AddHead(
        const QString &HeadText, const QVariant &newline, int alignment, qint32 txtColor);
    Q_INVOKABLE void AddFoot(
        const QString &FootText, const QVariant &newline, int alignment, qint32 txtColor);
    /// Prints the report after the print dialog "打印": the user picks the printer, the pages,
    /// the copies and the parity. Problems (no printer, no grid kind, no grid) are shown as
    /// messages; an error of the format load reaches the caller as quillon::Error. Needs a
    /// widget application (QApplication).
    Q_INVOKABLE void Printout();
    /// Prints every page once, on the report's designated printer (PrinterName) when it is
    /// installed, else on the first printer, without a dialog. Progress shows in a window in a
    /// widget application, on standard error otherwise.
    Q_INVOKABLE void PrintDirect();
    /// Whether the last Printout or PrintDirect of this object sent its document: false when
    /// the user cancelled the dialog or the print, or the job was refused or failed.
    bool documentSent() const;
    /// Shows the report in the preview window, modally, and returns when the user closes it.
    /// From the window the user pages through the sheets, zooms, prints and saves the page
    /// format. Problems (no printer, no grid, no grid kind, in that order) are shown as
    /// messages; an error of the format load reaches the caller as quillon::Error. Needs a
    /// widget application (QApplication).
    Q_INVOKABLE void preview();
    /// Continuous printing: the grid is printed data set after data set, each sheet a print
    /// document of its own. After each data set the header and footer lines are emptied and
    /// PrintOver is emitted: the handler may refill the grid (its new row count is read right
    /// after it), add lines, and set PrintEnd, which ends the job. A data set without rows ends
    /// it too.
    Q_INVOKABLE void PrintCont();
    /// Draws the current sheet of a running print or preview and, while MuitGrid is set, the
    /// second grid (DatagridSecond, with the second header and footer tables and MainTitle1)
    /// in the lower half of the sheet.
    Q_INVOKABLE void PrintMuitGrid();

    /// The same for the header and footer tables of the second grid.
    Q_INVOKABLE void AddHead1(
        const QString &HeadText, const QVariant &newline, int alignment, qint32 txtColor);
    Q_INVOKABLE void AddFoot1(
        const QString &FootText, const QVariant &newline, int alignment, qint32 txtColor);

Q_SIGNALS:
    /// A continuous job has sent the current grid's last page; the host may refill the grid or
    /// set PrintEnd.
    void PrintOver();

private:
    friend class MyPrintPrivate;
    std::unique_ptr<MyPrintPrivate> d;
};

} // namespace quillon
