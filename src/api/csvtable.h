#pragma once

#include "engine/grids/memory/texttable_p.h"

#include <QByteArray>

#include <memory>
#include <vector>

class QFile;

namespace quillon {

/// A CSV file's cells read where the file's bytes lie (a mapped file, or bytes in memory): one
/// pass checks the file and notes where each row starts, and a cell is decoded when it is read.
/// Fields are separated by commas and rows by LF, CRLF or CR; a field in double quotes may hold
/// commas, line breaks and doubled quotes. A leading byte order mark is skipped, and a row
/// holding one empty field (a blank line) is no row.
class CsvTable final : public TextRows
{
public:
    /// Why a file could not be read: a message, or a size over the cell limit.
    struct Failure
    {
        QString message;
        qint64 rows = 0;
        qint64 cols = 0;
    };

    /// Reads bytes, keeping them (and the file they are mapped from, if any) for as long as
    /// the table lives. Nothing, with why, for text that is not UTF-8, a quote left open, more
    /// than maxCells cells (rows times the longest row) or a field longer than maxLength
    /// (UTF-16 code units).
    static std::shared_ptr<CsvTable> read(QByteArray bytes, std::unique_ptr<QFile> mapped,
        qint64 maxCells, qint64 maxLength, Failure *why);
    ~CsvTable() override;

    qint32 rows() const override { return qint32(m_rowStarts.size()); }
    qint32 cols() const override { return m_cols; }
    QString text(qint32 row, qint32 col) const override;
    /// The width of the column's longest text in the weights of charWeight.
    qint64 widest(qint32 col) const { return m_widest.at(size_t(col)); }

    /// The weight a column-width estimate gives a character: wide for CJK and beyond.
    static int charWeight(char32_t c) { return c >= 0x2E80 ? 220 : 120; }

private:
    CsvTable() = default;
    bool scan(qint64 maxCells, qint64 maxLength, Failure *why);
    /// Where the field that starts at p ends: at its comma, its row's end or the file's.
    const char *fieldEnd(const char *p) const;

    QByteArray m_bytes;
    std::unique_ptr<QFile> m_mapped;
    const char *m_begin = nullptr;
    const char *m_end = nullptr;
    std::vector<qint64> m_rowStarts;
    std::vector<qint64> m_widest;
    qint32 m_cols = 0;
    /// Where the field after the last one read starts, so that a row read from left to right
    /// is walked once. Grids are read from one thread.
    struct Position
    {
        qint32 row = -1;
        qint32 col = 0;
        const char *at = nullptr; // nullptr: the row has no field col
    };
    mutable Position m_next;
};

} // namespace quillon
