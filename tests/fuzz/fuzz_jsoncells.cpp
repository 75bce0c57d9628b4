// libFuzzer target: the quick reader of a JSON grid's cells against the JSON parser. Whatever
// the bytes, an array the quick reader takes must read cell for cell, and column for column in
// width, as the parsed document gives it with its numbers turned into texts as written (the way
// a smaller grid is read).

#include "api/jsoncelltable.h"
#include "engine/grids/memory/celltable_p.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstdint>
#include <cstdlib>

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto table = JsonCellTable::read(bytes, 0, bytes.size(), 32767);
    if (!table)
        return 0;
    QJsonParseError error;
    QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        std::abort(); // the quick reader took what the parser refuses
    JsonCellArray whole;
    whole.begin = 0;
    whole.end = bytes.size();
    doc = QJsonDocument::fromJson(cellNumbersAsTexts(bytes, { whole }), &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        std::abort(); // numbers as texts broke the document
    const QJsonArray rows = doc.array();
    if (table->rows() != rows.size())
        std::abort();
    qint32 cols = 0;
    for (const QJsonValue &row : rows)
        cols = std::max(cols, qint32(row.toArray().size()));
    if (table->cols() != cols)
        std::abort();
    // Read twice, in order and backwards, as the grid reads its cells either way.
    for (qint32 c = 0; c < cols; ++c) {
        QStringList column;
        for (qint32 r = 0; r < table->rows(); ++r) {
            const QJsonValue v = rows[r].toArray().at(c);
            if (!v.isString() && !v.isNull() && !v.isUndefined())
                std::abort();
            column << v.toString();
        }
        if (table->contentWidth(c) != contentWidth(column))
            std::abort();
        for (qint32 r = 0; r < table->rows(); ++r) {
            if (table->text(r, c) != column[r])
                std::abort();
        }
    }
    for (qint32 r = table->rows() - 1; r >= 0; --r) {
        for (qint32 c = 0; c < cols; ++c) {
            const QJsonValue v = rows[r].toArray().at(c);
            if (table->text(r, c) != v.toString())
                std::abort();
        }
    }
    return 0;
}
