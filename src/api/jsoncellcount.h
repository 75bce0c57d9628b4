#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace quillon {

/// The rows of texts under one key of a JSON grid file.
struct JsonCellArray
{
    QString where; ///< the key's place, "grid.cells" or "datasets[2].cells"
    qint64 rows = 0;
    qint64 widest = 0; ///< items of the longest row
    /// Where the array lies in the bytes, from its '[' to past its ']'; -1 when cut off.
    qsizetype begin = -1;
    qsizetype end = -1;
};

/// The arrays of rows under the keys "cells" and "headerRows" of a JSON document, counted by one
/// pass over its bytes that keeps nothing of their values, so that a file of too many cells can
/// be refused before it is parsed. Bytes that are not well-formed JSON (or nested deeper than
/// the parser allows) end the count: the arrays open there count as far as they came.
std::vector<JsonCellArray> countJsonCells(const QByteArray &bytes);

} // namespace quillon
