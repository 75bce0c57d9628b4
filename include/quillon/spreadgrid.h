#pragma once

#include <quillon/abstractspreadgrid.h>

#include <QObject>

#include <memory>

namespace quillon {

class SpreadGridPrivate;

/// An in-memory spread grid (GridType 8). Widths and heights are stored in twips and reported
/// in twips when UnitType is 2, else in pixels at 96 dpi (15 twips each). Column headers
/// default to the letters A, B, ... and row headers to the row numbers.
class QUILLON_EXPORT SpreadGrid : public QObject, public AbstractSpreadGrid
{
    Q_OBJECT
public:
    static constexpr qint32 DefaultColWidth = 1200;
    static constexpr qint32 DefaultRowHeight = 300;
    static constexpr qint16 DefaultCellType = 1; ///< plain text
    static constexpr qint16 DefaultDecimalPlaces = 2;

    explicit SpreadGrid(QObject *parent = nullptr);
    ~SpreadGrid() override;

    void setMaxRows(qint32 rows);
    void setMaxCols(qint32 cols);
    void setColHeaderRows(qint32 rows);
    /// Any cell, header rows (0, -999, ...) and the row-header column (0) included.
    void setCellText(qint32 col, qint32 row, const QString &text);
    QString cellText(qint32 col, qint32 row) const;
    void setColWidthTwips(qint32 col, qint32 twips);
    void setRowHeightTwips(qint32 row, qint32 twips);
    void setCellTypeAt(qint32 col, qint32 row, qint16 type);
    void setTypeHAlignAt(qint32 col, qint32 row, qint16 alignment);
    void setTypeNumberDecPlacesAt(qint32 col, qint32 row, qint16 places);
    /// Joins colCount × rowCount cells starting at the anchor into one span: a span anchored in
    /// a header row runs down the header rows (0, -999, ...), one anchored in a data row down
    /// the data rows. At most 1,000,000 cells; a cell already in a span stays in that one.
    void addCellSpan(qint32 anchorCol, qint32 anchorRow, qint32 colCount, qint32 rowCount);

    qint16 UnitType() const override;
    void setUnitType(qint16 unitType) override;
    qint32 MaxRows() const override;
    qint32 MaxCols() const override;
    qint32 ColHeaderRows() const override;
    double ColWidth(qint32 col) const override;
    double RowHeight(qint32 row) const override;
    qint32 Col() const override;
    void setCol(qint32 col) override;
    qint32 Row() const override;
    void setRow(qint32 row) override;
    QString Text() const override;
    qint16 CellType() const override;
    qint16 TypeHAlign() const override;
    qint16 TypeNumberDecPlaces() const override;
    bool GetText(qint32 col, qint32 row, QVariant &value) const override;
    std::optional<CellSpan> GetCellSpan(qint32 col, qint32 row) const override;

private:
    std::unique_ptr<SpreadGridPrivate> d;
};

} // namespace quillon
