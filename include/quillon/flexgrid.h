#pragma once

#include <quillon/abstractflexgrid.h>

#include <QObject>

#include <memory>

namespace quillon {

class FlexGridPrivate;

/// An in-memory flex grid that a host fills with data. It answers the contracts of the flex,
/// hierarchical flex and plain grid kinds (GridType 5, 6 and 7). Cells merge with an equal,
/// non-empty neighbour as MergeCells, MergeRow and MergeCol allow: horizontally in modes 1 and
/// 3 on rows whose MergeRow is set, vertically in modes 1 and 2 on columns whose MergeCol is set.
class QUILLON_EXPORT FlexGrid : public QObject, public AbstractHFlexGrid
{
    Q_OBJECT
public:
    /// Hierarchical: ColWidth answers -1 for columns left at the default width.
    enum class Flavor { Flex, Hierarchical };
    static constexpr qint32 DefaultColWidth = 1200;
    static constexpr qint32 DefaultRowHeight = 300;

    explicit FlexGrid(QObject *parent = nullptr);
    explicit FlexGrid(Flavor flavor, QObject *parent = nullptr);
    ~FlexGrid() override;

    Flavor flavor() const;

    /// Resizes the grid, keeping the texts and sizes that still fit.
    void setSize(qint32 rows, qint32 cols);
    void setFixedRows(qint32 rows);
    void setFixedCols(qint32 cols);
    /// Reads and writes any cell without moving the current cell.
    QString TextMatrix(qint32 row, qint32 col) const;
    void setTextMatrix(qint32 row, qint32 col, const QString &text);
    /// Fills the grid from rows of texts, growing it as needed.
    void setTexts(const QList<QStringList> &rows);
    void setRowHeight(qint32 row, qint32 height);
    void setColAlignment(qint32 col, qint16 alignment);
    /// Alignment of one cell; -1 makes it follow its column again.
    void setCellAlignmentAt(qint32 row, qint32 col, qint16 alignment);
    void setMergeCells(qint16 mode);
    void setMergeRow(qint32 row, bool merge);
    void setMergeCol(qint32 col, bool merge);

    qint32 Rows() const override;
    qint32 Cols() const override;
    qint32 FixedRows() const override;
    qint32 FixedCols() const override;
    qint32 Row() const override;
    void setRow(qint32 row) override;
    qint32 Col() const override;
    void setCol(qint32 col) override;
    QString Text() const override;
    /// A width of -1 sets the column back to the default width.
    void setColWidth(qint32 col, qint32 width) override;
    qint32 ColWidth(qint32 col) const override;
    qint32 RowHeight(qint32 row) const override;
    qint16 CellAlignment() const override;
    qint16 ColAlignment(qint32 col) const override;
    qint32 CellWidth() const override;
    qint16 MergeCells() const override;
    bool MergeRow(qint32 row) const override;
    bool MergeCol(qint32 col) const override;

private:
    friend class FlexGridTexts;
    std::unique_ptr<FlexGridPrivate> d;
};

} // namespace quillon
