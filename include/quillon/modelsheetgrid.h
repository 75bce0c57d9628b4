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
/// 0), as a QTableView takes them. The model is read when the report is drawn, never copied; it
/// is not owned. quillon::TableViewGrid reads all of this from a view.
class QUILLON_EXPORT ModelSheetGrid : public QObject, public AbstractSheetGrid
{
    Q_OBJECT
public:
    static constexpr qint32 DefaultRowHeight = 300;
    static constexpr qint32 DefaultHeaderHeight = 360;

    explicit ModelSheetGrid(QAbstractItemModel *model, QObject *parent = nullptr);
    ~ModelSheetGrid() override;

    QAbstractItemModel *model() const;
    /// Whether the horizontal header prints as row 1, repeated on every page (default true).
    void setHeaderShown(bool shown);
    bool isHeaderShown() const;
    /// A column's width in twips; 0 sizes it to its content (the default).
    void setColumnWidth(int column, qint32 twips);
    void setColumnHidden(int column, bool hidden);
    /// A model row's height in twips (default 300); row -1 is the header (default 360).
    void setRowHeight(int row, qint32 twips);
    /// Cells printed as one, as QTableView::setSpan takes them; a span that overlaps an earlier
    /// one replaces it.
    void setSpan(int row, int column, int rowSpan, int columnSpan);
    void clearSpans();
    /// The font of cells for which the model gives none.
    void setDefaultFont(const QFont &font);
    /// Thin lines around every cell, as a view's grid (default true).
    void setGridShown(bool shown);
    /// Columns at the left repeated on every column band (with the format's MultFixCol).
    void setFixedColumns(int columns);
    /// How numbers and dates of the model are written (default: the default locale).
    void setLocale(const QLocale &locale);

    qint32 MaxRow() const override;
    qint32 MaxCol() const override;
    qint32 LastRow() const override { return MaxRow(); }
    qint32 LastCol() const override { return MaxCol(); }
    qint32 FixedRows() const override;
    qint32 FixedCols() const override;
    bool ColHidden(qint32 col) const override;
    qint32 ColWidth(qint32 col) const override;
    qint32 RowHeight(qint32 row) const override;
    qint32 SelStartRow() const override;
    qint32 SelStartCol() const override;
    qint32 SelEndRow() const override;
    qint32 SelEndCol() const override;
    bool ShowZeroValues() const override { return true; }
    QString Text() const override;
    QString TextRC(qint32 row, qint32 col) const override;
    void setSelection(const QString &address) override;
    SheetCellFormat GetCellFormat() const override;

private:
    std::unique_ptr<ModelSheetGridPrivate> d;
};

} // namespace quillon
