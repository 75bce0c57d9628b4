#pragma once

#include <quillon/abstractsheetgrid.h>

#include <QAbstractItemModel>
#include <QFont>
#include <QLocale>
#include <QObject>

#include <memory>

namespace quillon {

class ModelSheetGridPrivate;

/// A spreadsheet grid (GridType 1) over any item model, printed as a table view shows it: each
/// cell's text (DisplayRole, shown as a view's delegate shows it), font (FontRole), colour
/// (ForegroundRole) and alignment (TextAlignmentRole; left and vertically centred when the model
/// gives none, headings centred). Row 1 is the horizontal header unless it is hidden; the model's
/// rows follow. Spans, hidden columns, widths and heights are given in the model's numbering (from
/// 0), as a QTableView takes them; a negative index throws quillon::Error 9 (setSpan: 5), but
/// row -1 of setRowHeight() is the header. The model is read when the report is drawn, never
/// copied; it is not owned. quillon::TableViewGrid reads all of this from a view.
class QUILLON_EXPORT ModelSheetGrid : public QObject, public AbstractSheetGrid
{
    Q_OBJECT
public:
    static constexpr qint32 DefaultRowHeight = 300; ///< twips, of a model row
    static constexpr qint32 DefaultHeaderHeight = 360; ///< twips, of the header row

    /// A grid over `model`, which it does not own; once the model is deleted the grid is empty.
    explicit ModelSheetGrid(QAbstractItemModel *model, QObject *parent = nullptr);
    ~ModelSheetGrid() override;

    /// The model; null once it has been deleted.
    QAbstractItemModel *model() const;
    /// Whether the horizontal header prints as row 1, repeated on every page (default true).
    /// Set it before setSpan(): a span is placed on the sheet's rows when it is set.
    ///@{
    void setHeaderShown(bool shown);
    bool isHeaderShown() const;
    ///@}
    /// A column's width in twips; 0 sizes it to its content (the default): the longest text of
    /// the column in the 11-point body font, 600 to 8000 twips, measured once until the model
    /// changes. A negative width counts as 0.
    void setColumnWidth(int column, qint32 twips);
    /// Hides a column: it prints nothing and takes no room (default: shown).
    void setColumnHidden(int column, bool hidden);
    /// A model row's height in twips (default 300); row -1 is the header (default 360).
    void setRowHeight(int row, qint32 twips);
    /// Cells printed as one, as QTableView::setSpan takes them; a span that overlaps an earlier
    /// one replaces it, and a span of one cell only removes those it overlaps. A negative row or
    /// column, or a span below 1, throws quillon::Error 5.
    void setSpan(int row, int column, int rowSpan, int columnSpan);
    /// Removes every span.
    void clearSpans();
    /// The font of cells for which the model gives none (default: the application's font).
    void setDefaultFont(const QFont &font);
    /// Thin lines around every cell, as a view's grid (default true).
    void setGridShown(bool shown);
    /// Columns at the left repeated on every column band (with the format's MultFixCol).
    void setFixedColumns(int columns);
    /// How numbers and dates of the model are written (default: the default locale).
    void setLocale(const QLocale &locale);

    /// The model's rows, plus the header row when it is shown, and the model's columns; 0
    /// without a model. Every row and column counts as holding data.
    ///@{
    qint32 MaxRow() const override;
    qint32 MaxCol() const override;
    qint32 LastRow() const override { return MaxRow(); }
    qint32 LastCol() const override { return MaxCol(); }
    ///@}
    /// 1 while the header is shown, else 0.
    qint32 FixedRows() const override;
    qint32 FixedCols() const override;
    bool ColHidden(qint32 col) const override;
    qint32 ColWidth(qint32 col) const override;
    qint32 RowHeight(qint32 row) const override;
    qint32 SelStartRow() const override;
    qint32 SelStartCol() const override;
    qint32 SelEndRow() const override;
    qint32 SelEndCol() const override;
    /// Always true: a model's zeros print.
    bool ShowZeroValues() const override { return true; }
    /// The DisplayRole value as a view's delegate writes it: numbers, dates and times in the
    /// grid's locale, other values as their text.
    ///@{
    QString Text() const override;
    QString TextRC(qint32 row, qint32 col) const override;
    ///@}
    /// Selects the cell of an address ("A1", "AA27"); anything else throws quillon::Error 20001.
    void setSelection(const QString &address) override;
    /// The model's font (FontRole, else the default font), colour (ForegroundRole, else black)
    /// and alignment of the selected cell, thin borders while the grid lines are shown, and the
    /// "General" number format.
    SheetCellFormat GetCellFormat() const override;

private:
    std::unique_ptr<ModelSheetGridPrivate> d;
};

} // namespace quillon
