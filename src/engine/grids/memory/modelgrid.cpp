#include <quillon/error.h>
#include <quillon/modelgrid.h>

#include <QPointer>

#include "celltable_p.h"

#include <QAbstractItemModel>

namespace quillon {

class ModelGridPrivate
{
public:
    QPointer<QAbstractItemModel> model;
    QList<qint32> widths;
    qint32 rowHeight = 300;
    qint32 fixedCols = 0;
    qint32 row = 0;
    qint32 col = 0;
};

ModelGrid::ModelGrid(QAbstractItemModel *model, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<ModelGridPrivate>())
{
    d->model = model;
}

ModelGrid::~ModelGrid() = default;

QAbstractItemModel *ModelGrid::model() const
{
    return d->model.data();
}

void ModelGrid::setRowHeightTwips(qint32 twips)
{
    d->rowHeight = twips;
}

void ModelGrid::setFixedColumns(qint32 cols)
{
    d->fixedCols = cols;
}

qint32 ModelGrid::FixedCols() const
{
    return d->fixedCols;
}

qint32 ModelGrid::Row() const
{
    return d->row;
}

qint32 ModelGrid::Col() const
{
    return d->col;
}

void ModelGrid::setColumnWidth(qint32 col, qint32 twips)
{
    if (col < 0)
        throw Error(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    if (col >= d->widths.size())
        d->widths.resize(col + 1, 0);
    d->widths[col] = std::max(0, twips);
}

qint32 ModelGrid::Rows() const
{
    return d->model ? d->model->rowCount() + 1 : 0;
}

qint32 ModelGrid::Cols() const
{
    return d->model ? d->model->columnCount() : 0;
}

void ModelGrid::setRow(qint32 row)
{
    checkGridIndex(row, 0, Rows() - 1, "Row");
    d->row = row;
}

void ModelGrid::setCol(qint32 col)
{
    checkGridIndex(col, 0, Cols() - 1, "Col");
    d->col = col;
}

QString ModelGrid::textAt(qint32 row, qint32 col) const
{
    if (!d->model)
        return QString();
    if (row == 0)
        return d->model->headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
    return d->model->data(d->model->index(row - 1, col), Qt::DisplayRole).toString();
}

QString ModelGrid::Text() const
{
    return textAt(d->row, d->col);
}

qint32 ModelGrid::ColWidth(qint32 col) const
{
    if (col < d->widths.size() && d->widths[col] > 0)
        return d->widths[col];
    // Sized to the longest text of the column in the body font, as a CSV file's columns are.
    QStringList texts;
    for (qint32 r = 0; r < Rows(); ++r)
        texts << textAt(r, col);
    return contentWidth(texts);
}

qint32 ModelGrid::RowHeight(qint32 row) const
{
    return row == 0 ? d->rowHeight + 60 : d->rowHeight;
}

qint16 ModelGrid::alignmentAt(qint32 row, qint32 col) const
{
    if (!d->model)
        return 9;
    const QVariant value = row == 0
        ? d->model->headerData(col, Qt::Horizontal, Qt::TextAlignmentRole)
        : d->model->data(d->model->index(row - 1, col), Qt::TextAlignmentRole);
    if (!value.isValid())
        return row == 0 ? 4 : 9; // headings centred; general alignment for the rest
    const Qt::Alignment a = Qt::Alignment(value.toInt());
    const int column = a & Qt::AlignHCenter ? 1 : a & Qt::AlignRight ? 2 : 0;
    const int line = a & Qt::AlignTop ? 0 : a & Qt::AlignBottom ? 2 : 1;
    return qint16(column * 3 + line);
}

qint16 ModelGrid::CellAlignment() const
{
    return alignmentAt(d->row, d->col);
}

qint16 ModelGrid::ColAlignment(qint32 col) const
{
    // A body column aligns as its first row asks, else by the general rule.
    return Rows() > 1 ? alignmentAt(1, col) : 9;
}

} // namespace quillon
