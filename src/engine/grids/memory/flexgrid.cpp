#include <quillon/flexgrid.h>

#include "celltable_p.h"
#include "flexgridtexts_p.h"
#include "texttable_p.h"

namespace quillon {

class FlexGridPrivate
{
public:
    explicit FlexGridPrivate(FlexGrid::Flavor f)
        : flavor(f)
    {
    }

    qint32 effectiveWidth(qint32 col) const
    {
        const qint32 w = colWidths.at(col);
        return w < 0 ? FlexGrid::DefaultColWidth : w;
    }

    bool mergesRight(qint32 row, qint32 col) const
    {
        // The settings first: a cell of a grid read from a file is decoded on each reading.
        if (!((mergeCells == 1 || mergeCells == 3) && mergeRows.at(row) && col + 1 < texts.cols()))
            return false;
        const QString text = texts.at(row, col);
        return !text.isEmpty() && texts.at(row, col + 1) == text;
    }

    /// The merged area around a cell of one row, and the sum of its columns' widths. The
    /// area's bounds hang on the texts and merge settings only; its width follows setColWidth.
    /// Asking every cell of a long merged row for its width (as the layout does for the
    /// default widths of a hierarchical grid) thus walks the row once, not once per cell.
    struct Span
    {
        qint32 row = -1; ///< -1: nothing cached
        qint32 first = 0;
        qint32 last = -1;
        qint64 width = 0;
    };

    void forgetSpan() { span.row = -1; }

    const Span &spanAt(qint32 row, qint32 col) const
    {
        if (span.row == row && col >= span.first && col <= span.last)
            return span;
        qint32 first = col;
        while (first > 0 && mergesRight(row, first - 1))
            --first;
        qint32 last = col;
        while (mergesRight(row, last))
            ++last;
        qint64 width = 0;
        for (qint32 c = first; c <= last; ++c)
            width += effectiveWidth(c);
        span = { row, first, last, width };
        return span;
    }

    FlexGrid::Flavor flavor;
    TextTable texts;
    SparseCellTable<qint16> cellAlignments { qint16(-1) };
    IndexedValues<qint32> colWidths { -1 };
    IndexedValues<qint32> rowHeights { FlexGrid::DefaultRowHeight };
    IndexedValues<qint16> colAlignments { qint16(9) };
    IndexedValues<bool> mergeRows { false };
    IndexedValues<bool> mergeCols { false };
    qint32 fixedRows = 0;
    qint32 fixedCols = 0;
    qint32 currentRow = 0;
    qint32 currentCol = 0;
    qint16 mergeCells = 0;
    mutable Span span;
};

FlexGrid::FlexGrid(QObject *parent)
    : FlexGrid(Flavor::Flex, parent)
{
}

FlexGrid::FlexGrid(Flavor flavor, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<FlexGridPrivate>(flavor))
{
}

FlexGrid::~FlexGrid() = default;

void FlexGridTexts::setBase(FlexGrid &grid, std::shared_ptr<const TextRows> rows)
{
    grid.d->forgetSpan();
    grid.d->texts.setBase(std::move(rows));
    grid.d->cellAlignments = SparseCellTable<qint16> { qint16(-1) };
    grid.setSize(grid.d->texts.rows(), grid.d->texts.cols());
}

FlexGrid::Flavor FlexGrid::flavor() const
{
    return d->flavor;
}

void FlexGrid::setSize(qint32 rows, qint32 cols)
{
    d->forgetSpan();
    d->texts.resize(rows, cols);
    d->cellAlignments.resize(rows, cols);
    d->currentRow = std::clamp(d->currentRow, 0, std::max(0, rows - 1));
    d->currentCol = std::clamp(d->currentCol, 0, std::max(0, cols - 1));
}

void FlexGrid::setFixedRows(qint32 rows)
{
    d->fixedRows = std::max(0, rows);
}

void FlexGrid::setFixedCols(qint32 cols)
{
    d->fixedCols = std::max(0, cols);
}

QString FlexGrid::TextMatrix(qint32 row, qint32 col) const
{
    return d->texts.at(row, col);
}

void FlexGrid::setTextMatrix(qint32 row, qint32 col, const QString &text)
{
    d->forgetSpan();
    d->texts.set(row, col, text);
}

void FlexGrid::setTexts(const QList<QStringList> &rows)
{
    qint32 cols = d->texts.cols();
    for (const QStringList &row : rows)
        cols = std::max<qint32>(cols, row.size());
    setSize(std::max<qint32>(d->texts.rows(), rows.size()), cols); // forgets the span
    for (qint32 r = 0; r < rows.size(); ++r) {
        for (qint32 c = 0; c < rows[r].size(); ++c)
            d->texts.set(r, c, rows[r][c]);
    }
}

void FlexGrid::setRowHeight(qint32 row, qint32 height)
{
    d->rowHeights.set(row, height);
}

void FlexGrid::setColAlignment(qint32 col, qint16 alignment)
{
    d->colAlignments.set(col, alignment);
}

void FlexGrid::setCellAlignmentAt(qint32 row, qint32 col, qint16 alignment)
{
    d->cellAlignments.set(row, col, alignment);
}

void FlexGrid::setMergeCells(qint16 mode)
{
    d->forgetSpan();
    d->mergeCells = mode;
}

void FlexGrid::setMergeRow(qint32 row, bool merge)
{
    d->forgetSpan();
    d->mergeRows.set(row, merge);
}

void FlexGrid::setMergeCol(qint32 col, bool merge)
{
    d->mergeCols.set(col, merge);
}

qint32 FlexGrid::Rows() const
{
    return d->texts.rows();
}

qint32 FlexGrid::Cols() const
{
    return d->texts.cols();
}

qint32 FlexGrid::FixedRows() const
{
    return d->fixedRows;
}

qint32 FlexGrid::FixedCols() const
{
    return d->fixedCols;
}

qint32 FlexGrid::Row() const
{
    return d->currentRow;
}

void FlexGrid::setRow(qint32 row)
{
    checkGridIndex(row, 0, Rows() - 1, "Row");
    d->currentRow = row;
}

qint32 FlexGrid::Col() const
{
    return d->currentCol;
}

void FlexGrid::setCol(qint32 col)
{
    checkGridIndex(col, 0, Cols() - 1, "Col");
    d->currentCol = col;
}

QString FlexGrid::Text() const
{
    return d->texts.at(d->currentRow, d->currentCol);
}

void FlexGrid::setColWidth(qint32 col, qint32 width)
{
    const qint32 before = d->effectiveWidth(col);
    d->colWidths.set(col, width < 0 ? -1 : width);
    FlexGridPrivate::Span &span = d->span;
    if (span.row >= 0 && col >= span.first && col <= span.last)
        span.width += d->effectiveWidth(col) - before;
}

qint32 FlexGrid::ColWidth(qint32 col) const
{
    if (d->flavor == Flavor::Hierarchical)
        return d->colWidths.at(col);
    return d->effectiveWidth(col);
}

qint32 FlexGrid::RowHeight(qint32 row) const
{
    return d->rowHeights.at(row);
}

qint16 FlexGrid::CellAlignment() const
{
    const qint16 own = d->cellAlignments.at(d->currentRow, d->currentCol);
    return own >= 0 ? own : ColAlignment(d->currentCol);
}

qint16 FlexGrid::ColAlignment(qint32 col) const
{
    return d->colAlignments.at(col);
}

qint32 FlexGrid::CellWidth() const
{
    // A merged area wider than 32 bits can count answers the widest width there is.
    const qint64 width = d->spanAt(d->currentRow, d->currentCol).width;
    return qint32(std::min<qint64>(width, std::numeric_limits<qint32>::max()));
}

qint16 FlexGrid::MergeCells() const
{
    return d->mergeCells;
}

bool FlexGrid::MergeRow(qint32 row) const
{
    return d->mergeRows.at(row);
}

bool FlexGrid::MergeCol(qint32 col) const
{
    return d->mergeCols.at(col);
}

} // namespace quillon
