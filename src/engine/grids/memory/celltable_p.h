#pragma once

#include <quillon/error.h>

#include <QList>
#include <QStringList>

#include <limits>

namespace quillon {

/// Row-major cells of one type, with a default for cells never written. Resizing keeps the
/// cells that still fit.
template <typename T> class CellTable
{
public:
    explicit CellTable(T fallback = T {})
        : m_fallback(std::move(fallback))
    {
    }

    qint32 rows() const { return m_rows; }
    qint32 cols() const { return m_cols; }
    bool contains(qint32 row, qint32 col) const
    {
        return row >= 0 && row < m_rows && col >= 0 && col < m_cols;
    }

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
        // The table counts its rows and columns in 32 bits: the last index has no room.
        if (row < 0 || col < 0 || row == std::numeric_limits<qint32>::max()
            || col == std::numeric_limits<qint32>::max())
            throw Error(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        if (row >= m_rows || col >= m_cols)
            resize(std::max(row + 1, m_rows), std::max(col + 1, m_cols));
        m_cells[qsizetype(row) * m_cols + col] = std::move(value);
    }

private:
    T m_fallback;
    qint32 m_rows = 0;
    qint32 m_cols = 0;
    QList<T> m_cells;
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
