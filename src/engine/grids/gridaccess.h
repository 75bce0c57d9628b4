#pragma once

#include <QString>

#include <memory>

class QObject;

namespace quillon {

/// How the engine reads a host grid, whatever its kind. Each kind has an adapter that maps
/// these reads onto the members its grid contract offers; the adapters also give the
/// renderers the members only their kind has. Rows and columns are numbered as the grid numbers
/// them (from firstIndex()). Reads are not cached: a cell read selects the cell in the grid.
/// A failing grid member throws quillon::Error.
class GridAccess
{
public:
    explicit GridAccess(int kind)
        : m_kind(kind)
    {
    }
    virtual ~GridAccess() = default;

    /// The grid kind, 1 to 8 (the print object's GridType).
    int kind() const { return m_kind; }
    /// Number of the first row and column: 1 for spreadsheet and spread grids, else 0.
    virtual int firstIndex() const { return 0; }

    /// The grid facts read when a format is loaded.
    virtual qint32 rowCount() const = 0;
    virtual qint32 colCount() const = 0;
    virtual qint32 fixedRowsTop() const = 0;
    virtual qint32 fixedRowsBottom() const { return 0; }
    virtual qint32 fixedCols() const = 0;

    /// Width of a column as the kind defines it, in twips.
    virtual qint32 colWidth(qint32 col) const = 0;
    /// Height of a row in twips.
    virtual qint32 rowHeight(qint32 row) const = 0;
    virtual bool colHidden(qint32 /*col*/) const { return false; }
    /// Selects the cell (where the kind selects) and reads its text.
    virtual QString cellText(qint32 row, qint32 col) = 0;

    /// The adapter for a grid object of the given kind, or an Error (438) when the object does
    /// not answer that kind's contract. gridrows is the print object's row count for the data
    /// grid kinds, which cannot report it.
    static std::unique_ptr<GridAccess> create(int kind, QObject *grid, qint32 gridrows = 1);

private:
    int m_kind;
};

} // namespace quillon
