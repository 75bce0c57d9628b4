#include <quillon/vouchergrid.h>

#include "celltable_p.h"
#include "texttable_p.h"

#include <QHash>

namespace quillon {

class VoucherGridPrivate
{
public:
    TextTable texts;
    SparseCellTable<quint8> flags { quint8(0) };
    SparseCellTable<qint16> horAligns { qint16(1) };
    SparseCellTable<qint16> verAligns { qint16(0) };
    IndexedValues<qint32> colWidths { VoucherGrid::DefaultColWidth };
    IndexedValues<qint32> rowHeights { VoucherGrid::DefaultRowHeight };
    IndexedValues<bool> hidden { false };
    QHash<qint32, VoucherGrid::AmountColumn> amounts;
    qint32 fixedRowsT = 0;
    qint32 fixedRowsB = 0;
    qint32 fixedColsL = 0;
};

VoucherGrid::VoucherGrid(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<VoucherGridPrivate>())
{
}

VoucherGrid::~VoucherGrid() = default;

void VoucherGrid::setSize(qint32 rows, qint32 cols)
{
    d->texts.resize(rows, cols);
    d->flags.resize(rows, cols);
    d->horAligns.resize(rows, cols);
    d->verAligns.resize(rows, cols);
}

void VoucherGrid::setFixedRowsT(qint32 rows)
{
    d->fixedRowsT = std::max(0, rows);
}

void VoucherGrid::setFixedRowsB(qint32 rows)
{
    d->fixedRowsB = std::max(0, rows);
}

void VoucherGrid::setFixedColsL(qint32 cols)
{
    d->fixedColsL = std::max(0, cols);
}

void VoucherGrid::setColWidth(qint32 col, qint32 width)
{
    d->colWidths.set(col, width);
}

void VoucherGrid::setRowHeight(qint32 row, qint32 height)
{
    d->rowHeights.set(row, height);
}

void VoucherGrid::setColHide(qint32 col, bool hidden)
{
    d->hidden.set(col, hidden);
}

void VoucherGrid::setText(qint32 row, qint32 col, const QString &text)
{
    checkGridIndex(row, 0, Rows() - 1, "Row");
    checkGridIndex(col, 0, Cols() - 1, "Col");
    d->texts.set(row, col, text);
}

void VoucherGrid::setCell(qint32 row, qint32 col, quint8 flags)
{
    checkGridIndex(row, 0, Rows() - 1, "Row");
    checkGridIndex(col, 0, Cols() - 1, "Col");
    d->flags.set(row, col, flags);
}

void VoucherGrid::setHorAlign(qint32 row, qint32 col, qint16 alignment)
{
    checkGridIndex(row, 0, Rows() - 1, "Row");
    checkGridIndex(col, 0, Cols() - 1, "Col");
    d->horAligns.set(row, col, alignment);
}

void VoucherGrid::setVerAlign(qint32 row, qint32 col, qint16 alignment)
{
    checkGridIndex(row, 0, Rows() - 1, "Row");
    checkGridIndex(col, 0, Cols() - 1, "Col");
    d->verAligns.set(row, col, alignment);
}

void VoucherGrid::setAmountColumn(qint32 col, const AmountColumn &info)
{
    d->amounts.insert(col, info);
}

qint32 VoucherGrid::Rows() const
{
    return d->texts.rows();
}

qint32 VoucherGrid::Cols() const
{
    return d->texts.cols();
}

qint32 VoucherGrid::FixedRowsT() const
{
    return d->fixedRowsT;
}

qint32 VoucherGrid::fixedrowsB() const
{
    return d->fixedRowsB;
}

qint32 VoucherGrid::FixedColsL() const
{
    return d->fixedColsL;
}

qint32 VoucherGrid::ColWidth(qint32 col) const
{
    return d->colWidths.at(col);
}

qint32 VoucherGrid::RowHeight(qint32 row) const
{
    return d->rowHeights.at(row);
}

bool VoucherGrid::ColHide(qint32 col) const
{
    return d->hidden.at(col);
}

qint32 VoucherGrid::getjecellcols(qint32 col) const
{
    return d->amounts.value(col).cellCount;
}

quint8 VoucherGrid::Cell(qint32 row, qint32 col) const
{
    return d->flags.at(row, col);
}

qint16 VoucherGrid::HorAlign(qint32 row, qint32 col) const
{
    return d->horAligns.at(row, col);
}

qint16 VoucherGrid::VerAlign(qint32 row, qint32 col) const
{
    return d->verAligns.at(row, col);
}

QString VoucherGrid::Text(qint32 row, qint32 col) const
{
    checkGridIndex(row, 0, Rows() - 1, "Row");
    checkGridIndex(col, 0, Cols() - 1, "Col");
    return d->texts.at(row, col);
}

std::optional<VoucherGrid::AmountColumn> VoucherGrid::GetJeLineInf(qint32 col) const
{
    const auto it = d->amounts.constFind(col);
    if (it == d->amounts.cend() || it->cellCount <= 0)
        return std::nullopt;
    return *it;
}

} // namespace quillon
