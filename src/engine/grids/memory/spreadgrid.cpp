#include <quillon/spreadgrid.h>

#include "celltable_p.h"

#include <QHash>

#include <climits>

namespace quillon {

namespace {

struct SpreadCell
{
    QString text;
    bool hasText = false;
    qint16 type = SpreadGrid::DefaultCellType;
    qint16 hAlign = 0;
    qint16 decPlaces = SpreadGrid::DefaultDecimalPlaces;
};

QString columnLetters(qint32 col)
{
    QString letters;
    for (qint32 n = col; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

// Header rows 0, -999, -998, ... sit above the data rows 1..MaxRows.
bool isHeaderRow(qint32 row)
{
    return row == 0 || (row >= -999 && row < 0);
}

/// The row after this one: header rows step 0, -999, -998, ..., -1, then the data rows 1, 2, ...
qint32 nextRow(qint32 row)
{
    return row == 0 ? -999 : row == -1 ? 1 : row + 1;
}

/// A span may cover at most this many cells: each is indexed.
constexpr qint64 kMaxSpanCells = 1'000'000;

} // namespace

class SpreadGridPrivate
{
public:
    const SpreadCell &cell(qint32 col, qint32 row) const
    {
        static const SpreadCell empty;
        auto it = cells.constFind(key(col, row));
        return it == cells.cend() ? empty : *it;
    }
    SpreadCell &cellForWrite(qint32 col, qint32 row) { return cells[key(col, row)]; }
    static qint64 key(qint32 col, qint32 row) { return (qint64(row) << 32) | quint32(col); }

    double toUnits(qint32 twips) const { return unitType == 2 ? twips : twips / 15.0; }

    QHash<qint64, SpreadCell> cells;
    QList<SpreadGrid::CellSpan> spans;
    /// The span each spanned cell lies in, by cell.
    QHash<qint64, qsizetype> spanOfCell;
    IndexedValues<qint32> colWidths { SpreadGrid::DefaultColWidth };
    QHash<qint32, qint32> rowHeights;
    qint32 maxRows = 0;
    qint32 maxCols = 0;
    qint32 colHeaderRows = 1;
    qint32 currentCol = 1;
    qint32 currentRow = 1;
    qint16 unitType = 0;
};

SpreadGrid::SpreadGrid(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<SpreadGridPrivate>())
{
}

SpreadGrid::~SpreadGrid() = default;

void SpreadGrid::setMaxRows(qint32 rows)
{
    d->maxRows = std::max(0, rows);
}

void SpreadGrid::setMaxCols(qint32 cols)
{
    d->maxCols = std::max(0, cols);
}

void SpreadGrid::setColHeaderRows(qint32 rows)
{
    d->colHeaderRows = std::clamp(rows, 0, 1000);
}

void SpreadGrid::setCellText(qint32 col, qint32 row, const QString &text)
{
    SpreadCell &cell = d->cellForWrite(col, row);
    cell.text = text;
    cell.hasText = true;
}

QString SpreadGrid::cellText(qint32 col, qint32 row) const
{
    const SpreadCell &cell = d->cell(col, row);
    if (cell.hasText)
        return cell.text;
    if (col == 0 && row >= 1)
        return QString::number(row);
    if (row == 0 && col >= 1)
        return columnLetters(col);
    return QString();
}

void SpreadGrid::setColWidthTwips(qint32 col, qint32 twips)
{
    d->colWidths.set(col, twips);
}

void SpreadGrid::setRowHeightTwips(qint32 row, qint32 twips)
{
    d->rowHeights.insert(row, twips);
}

void SpreadGrid::setCellTypeAt(qint32 col, qint32 row, qint16 type)
{
    d->cellForWrite(col, row).type = type;
}

void SpreadGrid::setTypeHAlignAt(qint32 col, qint32 row, qint16 alignment)
{
    d->cellForWrite(col, row).hAlign = alignment;
}

void SpreadGrid::setTypeNumberDecPlacesAt(qint32 col, qint32 row, qint16 places)
{
    d->cellForWrite(col, row).decPlaces = places;
}

void SpreadGrid::addCellSpan(qint32 anchorCol, qint32 anchorRow, qint32 colCount, qint32 rowCount)
{
    if (colCount < 1 || rowCount < 1 || qint64(colCount) * rowCount > kMaxSpanCells
        || qint64(anchorCol) + colCount - 1 > INT_MAX || qint64(anchorRow) + rowCount - 1 > INT_MAX)
        throw Error(ErrorNumber::InvalidCall, QStringLiteral("Invalid procedure call or argument"));
    const qsizetype index = d->spans.size();
    d->spans.append({ anchorCol, anchorRow, colCount, rowCount });
    // A header span runs down the header rows only, a data span down the data rows; where
    // spans overlap, the one added first keeps its cells.
    const bool header = isHeaderRow(anchorRow);
    qint32 row = anchorRow;
    for (qint32 r = 0; r < rowCount; ++r, row = nextRow(row)) {
        if (header && !isHeaderRow(row))
            break;
        for (qint32 c = 0; c < colCount; ++c) {
            const qint64 key = SpreadGridPrivate::key(anchorCol + c, row);
            if (!d->spanOfCell.contains(key))
                d->spanOfCell.insert(key, index);
        }
        if (row == INT_MAX)
            break;
    }
}

qint16 SpreadGrid::UnitType() const
{
    return d->unitType;
}

void SpreadGrid::setUnitType(qint16 unitType)
{
    d->unitType = unitType;
}

qint32 SpreadGrid::MaxRows() const
{
    return d->maxRows;
}

qint32 SpreadGrid::MaxCols() const
{
    return d->maxCols;
}

qint32 SpreadGrid::ColHeaderRows() const
{
    return d->colHeaderRows;
}

double SpreadGrid::ColWidth(qint32 col) const
{
    return d->toUnits(d->colWidths.at(col));
}

double SpreadGrid::RowHeight(qint32 row) const
{
    return d->toUnits(d->rowHeights.value(row, DefaultRowHeight));
}

qint32 SpreadGrid::Col() const
{
    return d->currentCol;
}

void SpreadGrid::setCol(qint32 col)
{
    checkGridIndex(col, 0, d->maxCols, "Col");
    d->currentCol = col;
}

qint32 SpreadGrid::Row() const
{
    return d->currentRow;
}

void SpreadGrid::setRow(qint32 row)
{
    if (!isHeaderRow(row))
        checkGridIndex(row, 1, d->maxRows, "Row");
    d->currentRow = row;
}

QString SpreadGrid::Text() const
{
    return cellText(d->currentCol, d->currentRow);
}

qint16 SpreadGrid::CellType() const
{
    return d->cell(d->currentCol, d->currentRow).type;
}

qint16 SpreadGrid::TypeHAlign() const
{
    return d->cell(d->currentCol, d->currentRow).hAlign;
}

qint16 SpreadGrid::TypeNumberDecPlaces() const
{
    return d->cell(d->currentCol, d->currentRow).decPlaces;
}

bool SpreadGrid::GetText(qint32 col, qint32 row, QVariant &value) const
{
    value = cellText(col, row);
    return true;
}

std::optional<SpreadGrid::CellSpan> SpreadGrid::GetCellSpan(qint32 col, qint32 row) const
{
    const auto it = d->spanOfCell.constFind(SpreadGridPrivate::key(col, row));
    if (it == d->spanOfCell.cend())
        return std::nullopt;
    return d->spans[*it];
}

} // namespace quillon
