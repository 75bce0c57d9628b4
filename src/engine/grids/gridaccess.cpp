#include "gridaccess.h"

#include "engine/convert.h"
#include "gridadapters.h"
#include "gridkinds.h"

#include <quillon/error.h>

namespace quillon {

std::unique_ptr<GridAccess> GridAccess::create(int kind, QObject *grid, qint32 gridrows)
{
    if (!grid)
        throw Error(ErrorNumber::ObjectNotSet,
            QStringLiteral("Object variable or With block variable not set"));
    const GridKindRules *rules = gridKindRules(kind);
    if (!rules)
        throw Error(ErrorNumber::InvalidCall,
            QStringLiteral("Grid kind %1 is not supported (1 to 8)").arg(kind));
    return rules->makeAccess(grid, gridrows);
}

qint32 SheetGridAccess::rowCount() const
{
    return std::min(m_grid->MaxRow(), m_grid->LastRow());
}

qint32 SheetGridAccess::colCount() const
{
    return std::min(m_grid->MaxCol(), m_grid->LastCol());
}

QString SheetGridAccess::columnLetters(qint32 col)
{
    if (col < 1)
        throw Error(ErrorNumber::NoCellAddress,
            QStringLiteral("Spreadsheet column %1 has no address: columns count from 1").arg(col));
    // Letters as a spreadsheet names its columns: A to Z, then AA, AB, ..., AZ, BA, ...
    QString letters;
    for (qint64 n = col; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(char16_t(u'A' + (n - 1) % 26)));
    return letters;
}

qint64 SheetGridAccess::columnNumber(QStringView letters)
{
    qint64 col = 0;
    for (QChar c : letters) {
        if (c < u'A' || c > u'Z' || col > std::numeric_limits<qint32>::max())
            return 0;
        col = col * 26 + (c.unicode() - u'A' + 1);
    }
    return letters.isEmpty() || col > std::numeric_limits<qint32>::max() ? 0 : col;
}

std::pair<qint32, qint32> SheetGridAccess::parseAddress(const QString &address)
{
    qsizetype i = 0;
    while (i < address.size() && address[i] >= u'A' && address[i] <= u'Z')
        ++i;
    const qint64 col = columnNumber(QStringView(address).left(i));
    const qsizetype digits = address.size() - i;
    bool ok = col >= 1 && digits >= 1 && digits <= 9 && address[i] != u'0';
    for (qsizetype k = i; ok && k < address.size(); ++k)
        ok = address[k] >= u'0' && address[k] <= u'9';
    if (!ok)
        throw Error(ErrorNumber::InvalidSelection,
            QStringLiteral("Invalid selection: \"%1\"").arg(address));
    return { address.mid(i).toInt(), qint32(col) };
}

QString SheetGridAccess::cellAddress(qint32 row, qint32 col)
{
    return columnLetters(col) + QString::number(row);
}

void SheetGridAccess::select(qint32 row, qint32 col)
{
    m_grid->setSelection(cellAddress(row, col));
}

QString SheetGridAccess::cellText(qint32 row, qint32 col)
{
    select(row, col);
    return m_grid->Text();
}

QString DataGridAccess::cellText(qint32 row, qint32 col)
{
    m_grid->setRow(row);
    m_grid->setCol(col);
    return m_grid->Text();
}

void PlainGridAccess::select(qint32 row, qint32 col)
{
    m_plain->setRow(row);
    m_plain->setCol(col);
}

QString PlainGridAccess::cellText(qint32 row, qint32 col)
{
    select(row, col);
    return m_plain->Text();
}

qint16 FlexGridAccess::cellAlignment(qint32 row, qint32 col)
{
    select(row, col);
    return m_flex->CellAlignment();
}

SpreadGridAccess::SpreadGridAccess(AbstractSpreadGrid *grid)
    : GridAccess(8)
    , m_grid(grid)
{
    m_grid->setUnitType(2);
}

qint32 SpreadGridAccess::colWidth(qint32 col) const
{
    return roundHalfEven(m_grid->ColWidth(col));
}

qint32 SpreadGridAccess::rowHeight(qint32 row) const
{
    return roundHalfEven(m_grid->RowHeight(row));
}

void SpreadGridAccess::select(qint32 row, qint32 col)
{
    m_grid->setCol(col);
    m_grid->setRow(row);
}

QString SpreadGridAccess::cellText(qint32 row, qint32 col)
{
    select(row, col);
    return m_grid->Text();
}

} // namespace quillon
