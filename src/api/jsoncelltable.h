#pragma once

#include "api/jsoncellcount.h"
#include "engine/grids/memory/texttable_p.h"

#include <QByteArray>

#include <memory>
#include <vector>

namespace quillon {

/// The rows of texts of one array in a JSON file's bytes ("grid.cells"), read where the bytes
/// lie, as CsvTable reads a CSV file: one pass checks every item and notes where each row starts
/// (8 bytes a row), and a cell is decoded when it is read. Items are texts, numbers (shown as
/// they are written) and null.
class JsonCellTable final : public TextRows
{
public:
    /// The array from bytes[begin] ('[') to bytes[end - 1] (']'), kept with the bytes. Nothing
    /// for an array of anything else, or with a text longer than maxLength (UTF-16 code units):
    /// the document is then read as a whole, which says what is wrong with it.
    static std::shared_ptr<JsonCellTable> read(
        QByteArray bytes, qsizetype begin, qsizetype end, qint64 maxLength);

    qint32 rows() const override { return qint32(m_rowStarts.size()); }
    qint32 cols() const override { return m_cols; }
    QString text(qint32 row, qint32 col) const override;
    /// The column's width for its longest text, as contentWidth sizes a column.
    qint32 contentWidth(qint32 col) const;

private:
    JsonCellTable() = default;
    bool scan(qint64 maxLength);

    QByteArray m_bytes;
    const char *m_begin = nullptr;
    const char *m_end = nullptr;
    std::vector<qint64> m_rowStarts; ///< each row's first item (or its closing bracket)
    std::vector<qint64> m_widest;
    qint32 m_cols = 0;
    /// Where the item after the last one read starts, so that a row read from left to right is
    /// walked once. Grids are read from one thread.
    struct Position
    {
        qint32 row = -1;
        qint32 col = 0;
        const char *at = nullptr; // nullptr: the row has no item col
    };
    mutable Position m_next;
};

/// The document's bytes with the numbers among the items of `arrays` (rows of cells) turned into
/// texts as they are written, for a parser that would keep only their value: 1280.50 would show
/// as 1280.5, and a card number of 19 digits as 6.22202123456789e+18. The array `leftOut`, when
/// given, becomes an empty one of as many lines.
QByteArray cellNumbersAsTexts(const QByteArray &bytes, const std::vector<JsonCellArray> &arrays,
    const JsonCellArray *leftOut = nullptr);

} // namespace quillon
