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
    explicit ModelGrid(QAbstractItemModel *model, QObject *parent = nullptr);
    ~ModelGrid() override;

    QAbstractItemModel *model() const;
    /// A column's width in twips; 0 sizes it to its content (the default).
    void setColumnWidth(qint32 col, qint32 twips);
    void setRowHeightTwips(qint32 twips);
    /// Columns at the left repeated on every column band (with the format's MultFixCol).
    void setFixedColumns(qint32 cols);

    qint32 Rows() const override;
    qint32 Cols() const override;
    qint32 FixedRows() const override { return 1; }
    qint32 FixedCols() const override;
    qint32 Row() const override;
    void setRow(qint32 row) override;
    qint32 Col() const override;
    void setCol(qint32 col) override;
    QString Text() const override;
    qint32 ColWidth(qint32 col) const override;
    qint32 RowHeight(qint32 row) const override;
    qint16 CellAlignment() const override;
    qint16 ColAlignment(qint32 col) const override;
    qint32 CellWidth() const override { return ColWidth(Col()); }
    qint16 MergeCells() const override { return 0; }
    bool MergeRow(qint32) const override { return false; }
    bool MergeCol(qint32) const override { return false; }

private:
    QString textAt(qint32 row, qint32 col) const;
    qint16 alignmentAt(qint32 row, qint32 col) const;

    std::unique_ptr<ModelGridPrivate> d;
};

} // namespace quillon
