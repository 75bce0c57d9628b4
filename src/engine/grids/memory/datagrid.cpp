#include <quillon/datagrid.h>

#include "celltable_p.h"
#include "texttable_p.h"

namespace quillon {

class DataGridPrivate
{
public:
    QList<DataGridColumn> columns;
    TextTable rows;
    qint32 rowHeight = DataGrid::DefaultRowHeight;
    double headLines = 1;
    qint32 currentRow = 0;
    qint32 currentCol = 0;
};

DataGrid::DataGrid(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<DataGridPrivate>())
{
}

DataGrid::~DataGrid() = default;

void DataGrid::setColumns(const QList<DataGridColumn> &columns)
{
    d->columns = columns;
}

void DataGrid::appendColumn(const QString &caption, qint32 width)
{
    d->columns.append({ caption, width });
}

void DataGrid::setRowsData(const QList<QStringList> &rows)
{
    qsizetype cols = 0;
    for (const QStringList &row : rows)
        cols = std::max(cols, row.size());
    TextTable texts;
    texts.resize(qint32(std::min<qsizetype>(rows.size(), std::numeric_limits<qint32>::max())),
        qint32(std::min<qsizetype>(cols, std::numeric_limits<qint32>::max())));
    for (qint32 r = 0; r < texts.rows(); ++r) {
        for (qint32 c = 0; c < std::min<qsizetype>(rows[r].size(), texts.cols()); ++c) {
            if (!rows[r][c].isEmpty())
                texts.set(r, c, rows[r][c]);
        }
    }
    d->rows = std::move(texts);
}

qint32 DataGrid::rowsDataCount() const
{
    return d->rows.rows();
}

void DataGrid::setRowHeight(qint32 height)
{
    d->rowHeight = height;
}

void DataGrid::setHeadLines(double lines)
{
    d->headLines = lines;
}

qint32 DataGrid::ColumnsCount() const
{
    return d->columns.size();
}

DataGridColumn DataGrid::Columns(qint32 col) const
{
    checkGridIndex(col, 0, ColumnsCount() - 1, "Column");
    return d->columns.at(col);
}

double DataGrid::HeadLines() const
{
    return d->headLines;
}

qint32 DataGrid::RowHeight() const
{
    return d->rowHeight;
}

qint32 DataGrid::Row() const
{
    return d->currentRow;
}

void DataGrid::setRow(qint32 row)
{
    checkGridIndex(row, 0, std::numeric_limits<qint32>::max(), "Row");
    d->currentRow = row;
}

qint32 DataGrid::Col() const
{
    return d->currentCol;
}

void DataGrid::setCol(qint32 col)
{
    checkGridIndex(col, 0, ColumnsCount() - 1, "Col");
    d->currentCol = col;
}

QString DataGrid::Text() const
{
    return d->rows.at(d->currentRow, d->currentCol);
}

} // namespace quillon
