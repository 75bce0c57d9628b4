#pragma once

#include <quillon/error.h>

#include <QHash>
#include <QList>
#include <QStringList>

#include <concepts>
#include <limits>

namespace quillon {

/// Throws for a cell a table cannot hold: it counts its rows and columns in 32 bits, so the
/// last index has no room.
inline void checkCellIndex(qint32 row, qint32 col)
{
    if (row < 0 || col < 0 || row == std::numeric_limits<qint32>::max()
        || col == std::numeric_limits<qint32>::max())
        throw Error(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
}

/// The size of a table of cells, which every cell table answers alike.
class CellExtent
{
public:
    qint32 rows() const { return m_rows; }
    qint32 cols() const { return m_cols; }
    bool contains(qint32 row, qint32 col) const
    {
        return row >= 0 && row < m_rows && col >= 0 && col < m_cols;
    }

protected:
    /// Before a cell is written: throws for an index no table can hold, and grows the table
    /// when the cell lies outside.
    template <typename Table> static void makeRoom(Table &table, qint32 row, qint32 col)
    {
        checkCellIndex(row, col);
        if (row >= table.rows() || col >= table.cols())
            table.resize(std::max(row + 1, table.rows()), std::max(col + 1, table.cols()));
    }

    qint32 m_rows = 0;
    qint32 m_cols = 0;
};

/// A table of cells that reads a default where no value was written.
template <typename T> class CellsWithDefault : public CellExtent
{
public:
    explicit CellsWithDefault(T fallback = T {})
        : m_fallback(std::move(fallback))
    {
    }

protected:
    T m_fallback;
};

/// Row-major cells of one type, with a default for cells never written. Resizing keeps the
/// cells that still fit.
template <typename T> class CellTable : public CellsWithDefault<T>
{
public:
    using CellsWithDefault<T>::CellsWithDefault;
    using CellExtent::contains;

    void resize(qint32 rows, qint32 cols)
    {
        rows = std::max(rows, 0);
        cols = std::max(cols, 0);
        if (cols == m_cols) {
            // Rows added or taken at the end: the list grows in steps, so a table filled row
            // by row is not copied once a row.
            m_cells.resize(qsizetype(rows) * cols, m_fallback);
            m_rows = rows;
            return;
        }
        QList<T> cells(qsizetype(rows) * cols, m_fallback);
        for (qint32 r = 0; r < std::min(rows, m_rows); ++r) {
            for (qint32 c = 0; c < std::min(cols, m_cols); ++c)
                cells[qsizetype(r) * cols + c] = std::move(m_cells[qsizetype(r) * m_cols + c]);
        }
        m_cells = std::move(cells);
        m_rows = rows;
        m_cols = cols;
    }

    /// The cell, or the default outside the table.
    const T &at(qint32 row, qint32 col) const
    {
        return contains(row, col) ? m_cells[qsizetype(row) * m_cols + col] : m_fallback;
    }

    /// Writes a cell, growing the table when it lies outside.
    void set(qint32 row, qint32 col, T value)
    {
        makeRoom(*this, row, col);
        m_cells[qsizetype(row) * m_cols + col] = std::move(value);
    }

private:
    using CellsWithDefault<T>::m_fallback;
    using CellExtent::m_cols;
    using CellExtent::m_rows;
    using CellExtent::makeRoom;
    QList<T> m_cells;
};

/// CellTable's cells kept only where one differs from the default: for attributes that few
/// cells of a large grid have.
template <typename T> class SparseCellTable : public CellsWithDefault<T>
{
public:
    using CellsWithDefault<T>::CellsWithDefault;
    using CellExtent::contains;

    void resize(qint32 rows, qint32 cols)
    {
        const bool shrinks = rows < m_rows || cols < m_cols;
        m_rows = std::max(rows, 0);
        m_cols = std::max(cols, 0);
        // Only a smaller table loses cells: a table filled row by row is not read once a row.
        if (!shrinks)
            return;
        for (auto it = m_cells.begin(); it != m_cells.end();) {
            const bool outside
                = qint32(it.key() >> 32) >= m_rows || qint32(it.key() & 0xFFFFFFFF) >= m_cols;
            it = outside ? m_cells.erase(it) : std::next(it);
        }
    }

    /// The cell, or the default outside the table.
    const T &at(qint32 row, qint32 col) const
    {
        if (!contains(row, col))
            return m_fallback;
        const auto it = m_cells.constFind(key(row, col));
        return it == m_cells.cend() ? m_fallback : *it;
    }

    /// Writes a cell, growing the table when it lies outside.
    void set(qint32 row, qint32 col, T value)
    {
        makeRoom(*this, row, col);
        if constexpr (std::equality_comparable<T>) {
            if (value == m_fallback) {
                m_cells.remove(key(row, col));
                return;
            }
        }
        m_cells.insert(key(row, col), std::move(value));
    }

private:
    static quint64 key(qint32 row, qint32 col) { return (quint64(row) << 32) | quint32(col); }

    using CellsWithDefault<T>::m_fallback;
    using CellExtent::m_cols;
    using CellExtent::m_rows;
    using CellExtent::makeRoom;
    QHash<quint64, T> m_cells;
};

/// Per-index values (column widths, row heights, flags) with a default.
template <typename T> class IndexedValues
{
public:
    explicit IndexedValues(T fallback = T {})
        : m_fallback(std::move(fallback))
    {
    }

    const T &at(qint32 index) const
    {
        return index >= 0 && index < m_values.size() ? m_values[index] : m_fallback;
    }

    void set(qint32 index, T value)
    {
        if (index < 0 || index == std::numeric_limits<qint32>::max())
            throw Error(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        if (index >= m_values.size())
            m_values.resize(index + 1, m_fallback);
        m_values[index] = std::move(value);
    }

private:
    T m_fallback;
    QList<T> m_values;
};

/// A column wide enough for its longest text in the 11-point body font, with room around it.
inline qint32 contentWidth(const QStringList &texts)
{
    qint64 widest = 0;
    for (const QString &text : texts) {
        qint64 w = 0;
        for (QChar c : text) {
            // A surrogate pair is one wide character: count it once, at its high half.
            if (c.isLowSurrogate())
                continue;
            w += c.unicode() >= 0x2E80 || c.isHighSurrogate() ? 220 : 120;
        }
        widest = std::max(widest, w);
    }
    return qint32(std::clamp<qint64>(widest + 240, 600, 8000));
}

/// Throws the grid's own error for a row or column outside [low, high].
inline void checkGridIndex(qint32 value, qint32 low, qint32 high, const char *what)
{
    if (value < low || value > high)
        throw Error(ErrorNumber::InvalidRowOrColumn,
            QStringLiteral("Invalid %1 value").arg(QLatin1String(what)));
}

} // namespace quillon
