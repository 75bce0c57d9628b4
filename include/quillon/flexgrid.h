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
/// Rows and columns count from 0; the setters of a row's or a column's height, width,
/// alignment or merging take any index from 0, inside the grid or not, and throw
/// quillon::Error 9 for a negative one.
class QUILLON_EXPORT FlexGrid : public QObject, public AbstractHFlexGrid
{
    Q_OBJECT
public:
    /// Hierarchical: ColWidth answers -1 for columns left at the default width.
    enum class Flavor {
        Flex, ///< for GridType 5 and 7
        Hierarchical, ///< for GridType 6
    };
    static constexpr qint32 DefaultColWidth = 1200; ///< twips
    static constexpr qint32 DefaultRowHeight = 300; ///< twips

    /// An empty flex grid (Flavor::Flex): no rows, no columns, no fixed rows, nothing merges.
    explicit FlexGrid(QObject *parent = nullptr);
    /// An empty grid of the given flavor.
    explicit FlexGrid(Flavor flavor, QObject *parent = nullptr);
    ~FlexGrid() override;

    /// The flavor the grid was made with.
    Flavor flavor() const;

    /// Resizes the grid, keeping the texts and sizes that still fit. The current cell moves
    /// inside the new size.
    void setSize(qint32 rows, qint32 cols);
    /// Number of fixed rows and columns (default 0; a negative number counts as 0).
    ///@{
    void setFixedRows(qint32 rows);
    void setFixedCols(qint32 cols);
    ///@}
    /// Reads and writes any cell without moving the current cell. Reading outside the grid
    /// gives an empty text; writing there grows the grid, and a negative row or column throws
    /// quillon::Error 9.
    ///@{
    QString TextMatrix(qint32 row, qint32 col) const;
    void setTextMatrix(qint32 row, qint32 col, const QString &text);
    ///@}
    /// Fills the grid from rows of texts, from row 0, growing it as needed; it never shrinks,
    /// and cells the rows leave out keep their texts.
    void setTexts(const QList<QStringList> &rows);
    /// Height of a row in twips (default DefaultRowHeight).
    void setRowHeight(qint32 row, qint32 height);
    /// Alignment of a column's cells, in the codes of CellAlignment() (default 9, general).
    void setColAlignment(qint32 col, qint16 alignment);
    /// Alignment of one cell; -1 makes it follow its column again.
    void setCellAlignmentAt(qint32 row, qint32 col, qint16 alignment);
    /// The merge mode MergeCells() answers (default 0, nothing merges).
    void setMergeCells(qint16 mode);
    /// Lets equal texts of a row merge across columns, or of a column merge across rows
    /// (default false for every row and column).
    ///@{
    void setMergeRow(qint32 row, bool merge);
    void setMergeCol(qint32 col, bool merge);
    ///@}

    qint32 Rows() const override;
    qint32 Cols() const override;
    qint32 FixedRows() const override;
    qint32 FixedCols() const override;
    /// The current cell, from row 0, column 0; a row or column outside the grid throws
    /// quillon::Error 381.
    ///@{
    qint32 Row() const override;
    void setRow(qint32 row) override;
    qint32 Col() const override;
    void setCol(qint32 col) override;
    ///@}
    QString Text() const override;
    /// A width in twips; -1 (any negative width) sets the column back to the default width.
    void setColWidth(qint32 col, qint32 width) override;
    /// Width in twips: DefaultColWidth for a column left at the default, or -1 in a
    /// hierarchical grid.
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
