#include <quillon/error.h>
#include <quillon/modelgrid.h>

#include "celltable_p.h"

#include <QAbstractItemModel>

namespace quillon {

ModelGrid::ModelGrid(QAbstractItemModel *model, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
}

void ModelGrid::setColumnWidth(qint32 col, qint32 twips)
{
    if (col < 0)
        throw Error(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    if (col >= m_widths.size())
        m_widths.resize(col + 1, 0);
    m_widths[col] = std::max(0, twips);
}

qint32 ModelGrid::Rows() const
{
    return m_model ? m_model->rowCount() + 1 : 0;
}

qint32 ModelGrid::Cols() const
{
    return m_model ? m_model->columnCount() : 0;
}

void ModelGrid::setRow(qint32 row)
{
    checkGridIndex(row, 0, Rows() - 1, "Row");
    m_row = row;
}

void ModelGrid::setCol(qint32 col)
{
    checkGridIndex(col, 0, Cols() - 1, "Col");
    m_col = col;
}

QString ModelGrid::textAt(qint32 row, qint32 col) const
{
    if (!m_model)
        return QString();
    if (row == 0)
        return m_model->headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
    return m_model->data(m_model->index(row - 1, col), Qt::DisplayRole).toString();
}

QString ModelGrid::Text() const
{
    return textAt(m_row, m_col);
}

qint32 ModelGrid::ColWidth(qint32 col) const
{
    if (col < m_widths.size() && m_widths[col] > 0)
        return m_widths[col];
    // Sized to the longest text of the column in the body font, as a CSV file's columns are.
    double widest = 0;
    for (qint32 r = 0; r < Rows(); ++r) {
        double w = 0;
        for (QChar c : textAt(r, col))
            w += c.isLowSurrogate() ? 0 : c.unicode() >= 0x2E80 || c.isHighSurrogate() ? 220 : 120;
        widest = std::max(widest, w);
    }
    return qint32(std::clamp(widest + 240, 600.0, 8000.0));
}

qint32 ModelGrid::RowHeight(qint32 row) const
{
    return row == 0 ? m_rowHeight + 60 : m_rowHeight;
}

qint16 ModelGrid::alignmentAt(qint32 row, qint32 col) const
{
    if (!m_model)
        return 9;
    const QVariant value = row == 0
        ? m_model->headerData(col, Qt::Horizontal, Qt::TextAlignmentRole)
        : m_model->data(m_model->index(row - 1, col), Qt::TextAlignmentRole);
    if (!value.isValid())
        return row == 0 ? 4 : 9; // headings centred; general alignment for the rest
    const Qt::Alignment a = Qt::Alignment(value.toInt());
    const int column = a & Qt::AlignHCenter ? 1 : a & Qt::AlignRight ? 2 : 0;
    const int line = a & Qt::AlignTop ? 0 : a & Qt::AlignBottom ? 2 : 1;
    return qint16(column * 3 + line);
}

qint16 ModelGrid::CellAlignment() const
{
    return alignmentAt(m_row, m_col);
}

qint16 ModelGrid::ColAlignment(qint32 col) const
{
    // A body column aligns as its first row asks, else by the general rule.
    return Rows() > 1 ? alignmentAt(1, col) : 9;
}

} // namespace quillon
