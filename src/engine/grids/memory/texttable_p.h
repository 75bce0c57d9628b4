#pragma once

#include "celltable_p.h"

#include <QString>

#include <memory>
#include <vector>

namespace quillon {

/// Rows of texts kept outside a grid (a mapped file, say), decoded when a cell is read.
class TextRows
{
public:
    virtual ~TextRows() = default;
    virtual qint32 rows() const = 0;
    virtual qint32 cols() const = 0;
    /// The cell's text; empty past the end of a short row.
    virtual QString text(qint32 row, qint32 col) const = 0;
};

/// Row-major texts of a grid, as CellTable<QString> keeps them but in one text buffer with a
/// reference of 8 bytes per cell, allocated when the first cell is written. The cells may lie
/// over a TextRows base, whose cells are read through until written.
class TextTable : public CellExtent
{
public:
    /// Resizing keeps the cells that still fit; a base's cells cut off stay cut off.
    void resize(qint32 rows, qint32 cols);
    /// The cell, or an empty text outside the table.
    QString at(qint32 row, qint32 col) const;
    /// Writes a cell, growing the table when it lies outside.
    void set(qint32 row, qint32 col, const QString &text);
    /// Drops every cell and reads the base's instead, at the base's size.
    void setBase(std::shared_ptr<const TextRows> base);

private:
    struct Ref
    {
        quint32 offset;
        quint32 length;
    };
    /// The length of a cell never written: it reads the base's cell, if any.
    static constexpr quint32 kUnwritten = 0xFFFFFFFF;

    void allocateRefs();
    void dropText(const Ref &ref);
    void compact();

    std::vector<Ref> m_refs; // empty until a cell is written
    std::vector<char16_t> m_text;
    qsizetype m_garbage = 0; // units of m_text no cell refers to
    std::shared_ptr<const TextRows> m_base;
    qint32 m_baseRows = 0;
    qint32 m_baseCols = 0;
};

} // namespace quillon
