#pragma once

#include <quillon/quillon_global.h>

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

/// Quillon's public API: the print object, the grids and their contracts, exports, grid files,
/// page-format values and the platform set-up.
namespace quillon {

class MyPrintPrivate;

/// The print object: a host hands it a grid, sets titles, margins and options, adds header and
/// footer lines, and starts a job. Lengths are millimetres. The margins, page size, rows, paper
/// and centring properties only give a report its first page format: a job under a new
/// PrintKeyName stores them as the format's values, and from then on the stored values print,
/// as the page setup changes them (formatFields() names the property behind each value). A print
/// object belongs to one thread at a time; the print objects of a thread share the header and
/// footer line tables, which creating a print object clears.
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
        ssFormOne6 = 1, ///< spreadsheet grid (AbstractSheetGrid: SheetGrid, TableViewGrid)
        ssTesselGrid = 2, ///< voucher grid (AbstractVoucherGrid: VoucherGrid)
        ssMsDBGrid = 3, ///< data grid (AbstractDataGrid: DataGrid)
        ssMsDataGrid = 4, ///< data grid, printed as ssMsDBGrid
        ssMsflexGrid = 5, ///< flex grid (AbstractFlexGrid: FlexGrid, ModelGrid)
        ssMsHFlexGrid = 6, ///< hierarchical flex grid (AbstractHFlexGrid: FlexGrid)
        ssMsGrid = 7, ///< plain grid (AbstractPlainGrid: FlexGrid, ModelGrid)
        ssSpread = 8, ///< spread grid (AbstractSpreadGrid: SpreadGrid)
    };
    Q_ENUM(MnuGridType)

    /// Orientation of the paper.
    enum class Oriention : qint32 {
        Portrait = 1, ///< upright
        Landscape = 2, ///< on its side
    };
    Q_ENUM(Oriention)

    /// Frame drawn around the grid.
    enum class enuBdSy : qint32 {
        sssinglebox = 1, ///< one line, twice as wide as a cell border
        ssdoublebox = 2, ///< two thin lines
        sstbside = 3, ///< a line above and a line below, none at the sides
        ssformulaone = 4, ///< none, except a single box around a spreadsheet grid
        ssnoborder = 5, ///< none
    };
    Q_ENUM(enuBdSy)

    /// Sets every property to its default, clears the calling thread's header and footer line
    /// tables (the second grid's too) and installs the platform services not installed yet.
    explicit MyPrint(QObject *parent = nullptr);
    ~MyPrint() override;

    /// Title of the preview window and of the job's message boxes (default "打印预览").
    ///@{
    QString Caption() const;
    void setCaption(const QString &value);
    ///@}
    /// Zoom of a first preview, 1 to 20 (1, the default, shows the paper at its size). The
    /// preview keeps its zoom once for all reports, so this counts only until one is stored.
    ///@{
    qint16 ZoomRatio() const;
    void setZoomRatio(qint16 value);
    ///@}

    /// The grid to print; it must answer the contract of GridType, else a job refuses it with a
    /// message. It is held by reference (never owned); a destroyed grid reads as null.
    ///@{
    QObject *Datagrid() const;
    void setDatagrid(QObject *grid);
    ///@}

    /// Main title, centred at the top of every page and underlined twice. It prints in font 0
    /// (24 points unless the format says otherwise); a title too wide for the page is made
    /// smaller, down to 9 points, then wrapped. It also titles a PDF export. Empty (the
    /// default): no title.
    ///@{
    QString MainTitle() const;
    void setMainTitle(const QString &value);
    ///@}
    /// Subtitle, centred under the main title in font 1, fitted like it. Empty: none.
    ///@{
    QString SubTitle() const;
    void setSubTitle(const QString &value);
    ///@}
    /// Margins in millimetres (defaults: top 10, bottom 5, left 5, right 5). They are the
    /// defaults of the page format's Top, Bottom, Left and Right, 0 to 500.
    ///@{
    qint16 TopMargin() const;
    void setTopMargin(qint16 value);
    qint16 BottomMargin() const;
    void setBottomMargin(qint16 value);
    qint16 LeftMargin() const;
    void setLeftMargin(qint16 value);
    qint16 RightMargin() const;
    void setRightMargin(qint16 value);
    ///@}
    /// Size of the logical page in millimetres, when the page format's FullPage is 0. They are
    /// the defaults of the format's PageHeight and PageWidth, which count only then (logical
    /// pages side by side with AutoArrange, or centred). 0, the default, becomes the printable
    /// area less the margins when a job loads the format, and the property keeps that value.
    ///@{
    qint16 PageHeight() const;
    void setPageHeight(qint16 value);
    qint16 PageWidth() const;
    void setPageWidth(qint16 value);
    ///@}
    /// Not used (default 0). Row heights come from the page format's LineHeight and LineCount,
    /// else from the grid.
    ///@{
    qint16 RowHeight() const;
    void setRowHeight(qint16 value);
    ///@}

    /// Kind of the grid in Datagrid; a job refuses 0, the default, with a message. Held as a
    /// 16-bit value: a value outside -32768..32767 throws OverflowError and the stored value
    /// stays as it was.
    ///@{
    MnuGridType GridType() const;
    void setGridType(MnuGridType value);
    ///@}

    /// First and last grid column to print, from 0. -1 (the default) or a column outside the
    /// grid means the first or the last column. Spreadsheet and spread grids (ssFormOne6,
    /// ssSpread) always print every column.
    ///@{
    qint32 PrintColStart() const;
    void setPrintColStart(qint32 value);
    qint32 PrintColEnd() const;
    void setPrintColEnd(qint32 value);
    ///@}
    /// A main title of fewer characters prints spread out, a blank after each character,
    /// unless it no longer fits the page (default 0: never).
    ///@{
    qint16 MinTitleLen() const;
    void setMinTitleLen(qint16 value);
    ///@}
    /// Default of the page format's LineHeight: every body row's height in millimetres. It
    /// takes 3 to 100 and wins over LineCount; 0 (the default) sets none.
    ///@{
    qint16 LineHeight() const;
    void setLineHeight(qint16 value);
    ///@}
    /// Default of the page format's LineCount: body rows per page. They share the height left
    /// for them; 0 to 1000. With LineHeight and LineCount both 0 (the defaults) body rows take
    /// the grid's own height.
    ///@{
    qint16 LineCount() const;
    void setLineCount(qint16 value);
    ///@}
    /// Default of the page format's PaperSize: a paper code, or 0 (the default) for the
    /// printer's own paper. Codes: 9 A4, 8 A3, 11 A5, 1 Letter, ..., 256 a size of the user's.
    /// A paper the printer does not take is replaced by its own, with a message.
    ///@{
    qint16 PaperSize() const;
    void setPaperSize(qint16 value);
    ///@}

    /// Default of the page format's PaperOriention (default Portrait). Held as a 16-bit value,
    /// with the same overflow check as GridType.
    ///@{
    Oriention PaperOrient() const;
    void setPaperOrient(Oriention value);
    ///@}

    /// Name printed after "操作员:" at the left of the page-info line, when the page format's
    /// PrintOperator is on (as it is by default).
    ///@{
    QString Operator() const;
    void setOperator(const QString &value);
    ///@}
    /// Height of every fixed (heading) row, and of a voucher's totals rows, in millimetres;
    /// 0 (the default) keeps the grid's own heights.
    ///@{
    qint16 FixRowsHeight() const;
    void setFixRowsHeight(qint16 value);
    ///@}
    /// Default of the page format's FillBlankLine: the last page is filled with empty rows
    /// down to its foot (default false).
    ///@{
    bool FillBlankLines() const;
    void setFillBlankLines(bool value);
    ///@}
    /// The report's name: its page format is kept under it (default "DefaultFormat", shared
    /// by every report that has no name of its own). Any text, blanks included, is kept as it is.
    ///@{
    QString PrintKeyName() const;
    void setPrintKeyName(const QString &value);
    ///@}
    /// Defaults of the page format's HCenter and VCenter: the logical pages are centred across
    /// and down the sheet (default false).
    ///@{
    bool PageHCenter() const;
    void setPageHCenter(bool value);
    bool PageVcenter() const;
    void setPageVcenter(bool value);
    ///@}
    /// Frame around the grid on every page (default sssinglebox).
    ///@{
    enuBdSy BorderStyle() const;
    void setBorderStyle(enuBdSy value);
    ///@}
    /// Number of body rows a data grid (ssMsDBGrid, ssMsDataGrid) prints (default 1). A data
    /// grid cannot tell; a DataGrid prints rows past its data blank. Other kinds ignore it.
    ///@{
    qint32 gridrows() const;
    void setGridrows(qint32 value);
    ///@}
    /// Lets the body rows of a flex grid (ssMsflexGrid, ssMsHFlexGrid) merge (default false).
    /// They merge equal texts as the grid's MergeCells allows; fixed rows merge either way.
    ///@{
    bool MergeAll() const;
    void setMergeAll(bool value);
    ///@}
    /// Not used (default 5). Header line entries take their places from their alignment
    /// codes (AddHead).
    ///@{
    qint16 HeadCount() const;
    void setHeadCount(qint16 value);
    ///@}
    /// Number of evenly spaced places for footer line entries (default 5). Alignment k from 1
    /// starts an entry at place k, and k = FootCount ends it at the right edge (AddFoot).
    ///@{
    qint16 FootCount() const;
    void setFootCount(qint16 value);
    ///@}
    /// Ends continuous printing (PrintCont) after the data set just printed: a PrintOver
    /// handler sets it. PrintCont does not clear it; set it back to false before the next one.
    ///@{
    bool PrintEnd() const;
    void setPrintEnd(bool value);
    ///@}
    /// How the report is called; "凭证" (voucher) numbers a voucher's pages. It adds
    /// "(page/pages)" to the last header line entry when the report has more than one page,
    /// and prints a voucher grid's totals on its last page only; any other text (the default is
    /// empty) changes nothing.
    ///@{
    QString CallMod() const;
    void setCallMod(const QString &value);
    ///@}
    /// A second grid and its title, printed in the lower half of every sheet while MuitGrid
    /// is set. The grid is of the same GridType and held by reference like Datagrid; it prints
    /// under MainTitle1, between the lines of AddHead1 and AddFoot1.
    ///@{
    QObject *DatagridSecond() const;
    void setDatagridSecond(QObject *grid);
    QString MainTitle1() const;
    void setMainTitle1(const QString &value);
    ///@}
    /// Prints DatagridSecond in the lower half of every sheet (default false). A job clears it
    /// when the first grid reaches below the middle of a sheet.
    ///@{
    bool MuitGrid() const;
    void setMuitGrid(bool value);
    ///@}

    /// Appends an item to the header table, printed under the titles of every page. The item
    /// is its text, newline (1: the item starts a line of its own below what comes before it;
    /// 0: it goes on the line of the item before it, so the first item takes 1), alignment code
    /// and colour (RGB, red in the low byte, stored but drawn in the font's colour), all stored
    /// as text. Header alignment codes: 1 left, 2 a fifth across, 3 centred, 4 three fifths
    /// across, 5 right, 0 right after the item before, -1 ending where the item before begins.
    /// An alignment outside 16 bits throws OverflowError; a newline that is neither a number
    /// nor true or false stops the page with error 13. The table belongs to the calling thread.
    Q_INVOKABLE void AddHead(
        const QString &HeadText, const QVariant &newline, int alignment, qint32 txtColor);
    /// Appends an item to the footer table, printed under the grid of every page, as AddHead
    /// does. Footer alignment codes: k from 1 to FootCount starts at the k-th of FootCount
    /// evenly spaced places (1 the left edge), FootCount ends at the right edge, -2 centred,
    /// 0 and -1 as in the header.
    Q_INVOKABLE void AddFoot(
        const QString &FootText, const QVariant &newline, int alignment, qint32 txtColor);
    /// Prints the report after the print dialog "打印": the user picks the printer, the pages,
    /// the copies and the parity. Problems (no printer, no grid kind, no grid) are shown as
    /// messages; an error of the format load reaches the caller as quillon::Error. Needs a
    /// widget application (QApplication); call it on the application's thread.
    Q_INVOKABLE void Printout();
    /// Prints every page once, on the report's designated printer (PrinterName) when it is
    /// installed, else, after a message, on the system's default printer, without a dialog.
    /// Progress shows in a window in a widget application, on standard error otherwise. Call
    /// it on the application's thread.
    Q_INVOKABLE void PrintDirect();
    /// Whether the last Printout or PrintDirect of this object sent its document: false when
    /// the user cancelled the dialog or the print, or the job was refused or failed.
    bool documentSent() const;
    /// Shows the report in the preview window, modally, and returns when the user closes it.
    /// From the window the user pages through the sheets, zooms, prints and saves the page
    /// format. Problems (no printer, no grid, no grid kind, in that order) are shown as
    /// messages; an error of the format load reaches the caller as quillon::Error. Needs a
    /// widget application (QApplication); call it on the application's thread.
    Q_INVOKABLE void preview();
    /// Continuous printing: the grid is printed data set after data set, each sheet a print
    /// document of its own, on the report's printer without a dialog. After each data set the
    /// header and footer lines are emptied and PrintOver is emitted: the handler may refill the
    /// grid (its new row count is read right after it), add lines, and set PrintEnd, which ends
    /// the job. A data set without rows ends it too. Call it on the application's thread.
    Q_INVOKABLE void PrintCont();
    /// Draws the current sheet of a running print or preview. While MuitGrid is set, the
    /// second grid (DatagridSecond, with the second header and footer tables and MainTitle1)
    /// prints in the lower half of the sheet. Outside a job it only shows a message.
    Q_INVOKABLE void PrintMuitGrid();

    /// The same for the header and footer tables of the second grid.
    ///@{
    Q_INVOKABLE void AddHead1(
        const QString &HeadText, const QVariant &newline, int alignment, qint32 txtColor);
    Q_INVOKABLE void AddFoot1(
        const QString &FootText, const QVariant &newline, int alignment, qint32 txtColor);
    ///@}

Q_SIGNALS:
    /// A continuous job has sent the current grid's last page; the host may refill the grid or
    /// set PrintEnd. Emitted inside PrintCont, on its thread, before the grid is read again.
    void PrintOver();

private:
    friend class MyPrintPrivate;
    std::unique_ptr<MyPrintPrivate> d;
};

} // namespace quillon
