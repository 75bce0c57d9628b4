#pragma once

#include <quillon/abstractflexgrid.h>

#include <QAbstractItemModel>
#include <QObject>

#include <memory>

namespace quillon {

class ModelGridPrivate;

/// A flex grid (GridType 5, or 7) over any item model, such as the model of a QTableView: row 0
/// is the horizontal header (the model's header data), the model's rows follow. Texts are the
/// DisplayRole, alignments come from TextAlignmentRole (numbers and dates are right-aligned and
/// centred when the model gives none), widths are set per column or sized to the content.
/// The model is read when the report is drawn, never copied; it is not owned.
class QUILLON_EXPORT ModelGrid : public QObject, public AbstractFlexGrid
{
    Q_OBJECT
public:
    /// A grid over `model`, which it does not own; once the model is deleted the grid is empty.
    explicit ModelGrid(QAbstractItemModel *model, QObject *parent = nullptr);
    ~ModelGrid() override;

    /// The model; null once it has been deleted.
    QAbstractItemModel *model() const;
    /// A column's width in twips; 0 sizes it to its content (the default): the longest text
    /// of the column, heading included, in the 11-point body font, 600 to 8000 twips. A
    /// negative width counts as 0, a negative column throws quillon::Error 9.
    void setColumnWidth(qint32 col, qint32 twips);
    /// Height of the model's rows in twips (default 300); the heading row is 60 twips higher.
    void setRowHeightTwips(qint32 twips);
    /// Columns at the left repeated on every column band (with the format's MultFixCol).
    void setFixedColumns(qint32 cols);

    /// The model's rows plus the heading row; 0 without a model.
    qint32 Rows() const override;
    /// The model's columns; 0 without a model.
    qint32 Cols() const override;
    /// Always 1: the heading row.
    qint32 FixedRows() const override { return 1; }
    qint32 FixedCols() const override;
    /// The current cell: row 0 is the heading, row r the model's row r - 1. A row or column
    /// outside the grid throws quillon::Error 381.
    ///@{
    qint32 Row() const override;
    void setRow(qint32 row) override;
    qint32 Col() const override;
    void setCol(qint32 col) override;
    ///@}
    /// The model's DisplayRole text of the current cell (its header data in row 0).
    QString Text() const override;
    /// The width set with setColumnWidth(), else the content's width, measured on every call
    /// over every row of the model.
    qint32 ColWidth(qint32 col) const override;
    qint32 RowHeight(qint32 row) const override;
    /// From the model's TextAlignmentRole; without one, headings are centred and other cells
    /// take the general alignment (9).
    qint16 CellAlignment() const override;
    /// The alignment the model gives the column's first row, else general (9): every body cell
    /// of a column outside the fixed columns prints as its first row does.
    qint16 ColAlignment(qint32 col) const override;
    /// The current column's width: nothing merges.
    qint32 CellWidth() const override { return ColWidth(Col()); }
    /// Nothing merges in a model grid.
    ///@{
    qint16 MergeCells() const override { return 0; }
    bool MergeRow(qint32) const override { return false; }
    bool MergeCol(qint32) const override { return false; }
    ///@}

private:
    QString textAt(qint32 row, qint32 col) const;
    qint16 alignmentAt(qint32 row, qint32 col) const;

    std::unique_ptr<ModelGridPrivate> d;
};

} // namespace quillon
