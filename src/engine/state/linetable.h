#pragma once

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace quillon {

/// A header or footer line table: rows of (text, newline flag, alignment, colour), all text.
/// Row 0 is an empty placeholder; entries start at row 1.
class LineTable
{
public:
    enum Column { Text = 0, Newline = 1, Alignment = 2, Color = 3 };
    using Row = std::array<QString, 4>;

    LineTable() { reset(); }

    /// Back to the single empty placeholder row.
    void reset() { m_rows = { Row {} }; }
    void append(const Row &row) { m_rows.append(row); }

    /// Index of the last row; 0 when the table holds no entries.
    qsizetype lastRow() const { return m_rows.size() - 1; }
    const Row &row(qsizetype index) const { return m_rows.at(index); }
    const QString &cell(qsizetype index, Column column) const { return m_rows.at(index)[column]; }

    /// The newline column read as a number, as the layout and the drawing read it: a number,
    /// or a Boolean text (true is -1). Nothing for any other text.
    static std::optional<qint32> newlineValue(const QString &text);

    friend bool operator==(const LineTable &, const LineTable &) = default;

private:
    QList<Row> m_rows;
};

} // namespace quillon
