#include "jsoncellcount.h"

namespace quillon {

namespace {

// QJsonDocument refuses deeper nesting, so the count need not go on.
constexpr size_t kMaxDepth = 1024;

/// One open array or object.
struct Level
{
    bool object = false;
    QByteArray key; ///< in an object: the key of the value being read
    qint64 index = -1; ///< in an array: the index of the value being read
    /// This array holds rows of cells (it is the value of "cells" or "headerRows")...
    bool rows = false;
    qint64 widest = 0;
    qsizetype begin = -1;
    /// ...or is one of those rows: its items are counted.
    bool row = false;
    qint64 items = 0;
};

QString placeOf(const std::vector<Level> &levels)
{
    QString where;
    for (const Level &level : levels) {
        if (level.object) {
            if (!level.key.isEmpty())
                where += (where.isEmpty() ? QString() : QStringLiteral("."))
                    + QString::fromUtf8(level.key);
        } else if (level.index >= 0) {
            where += QStringLiteral("[%1]").arg(level.index);
        }
    }
    return where;
}

} // namespace

std::vector<JsonCellArray> countJsonCells(const QByteArray &bytes)
{
    std::vector<JsonCellArray> found;
    std::vector<Level> levels;
    // Where the bytes end or stop being JSON: the arrays still open count as they are.
    const auto counted = [&] {
        while (!levels.empty()) {
            const Level open = levels.back();
            levels.pop_back();
            if (open.row && !levels.empty())
                levels.back().widest = std::max(levels.back().widest, open.items);
            if (open.rows)
                found.push_back({ placeOf(levels), open.index + 1, open.widest, open.begin, -1 });
        }
        return found;
    };
    const char *p = bytes.constData();
    const char *const end = p + bytes.size();
    bool expectKey = false; // in an object, before a key
    const auto skipSpace = [&] {
        while (p < end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r'))
            ++p;
    };
    // A value starts: note it in the container that holds it.
    const auto valueStarts = [&]() {
        if (levels.empty())
            return;
        Level &at = levels.back();
        if (!at.object)
            ++at.index;
        if (at.row)
            ++at.items;
    };
    const auto endString = [&]() -> const char * {
        for (const char *q = p + 1; q < end; ++q) {
            if (*q == '\\')
                ++q;
            else if (*q == '"')
                return q;
        }
        return nullptr;
    };
    while (true) {
        skipSpace();
        if (p >= end)
            return counted();
        const char c = *p;
        if (expectKey) {
            if (c == '}' && levels.back().key.isEmpty()) {
                expectKey = false;
                continue; // an empty object closes below
            }
            if (c != '"')
                return counted();
            const char *close = endString();
            if (!close)
                return counted();
            levels.back().key = QByteArray(p + 1, close - p - 1);
            p = close + 1;
            skipSpace();
            if (p >= end || *p != ':')
                return counted();
            ++p;
            expectKey = false;
            continue;
        }
        switch (c) {
        case '{':
        case '[': {
            if (levels.size() >= kMaxDepth)
                return counted();
            valueStarts();
            Level level;
            level.object = c == '{';
            if (!level.object && !levels.empty()) {
                const Level &parent = levels.back();
                level.rows = parent.object && (parent.key == "cells" || parent.key == "headerRows");
                level.row = parent.rows;
                level.begin = p - bytes.constData();
            }
            levels.push_back(level);
            expectKey = level.object;
            ++p;
            continue;
        }
        case '}':
        case ']': {
            if (levels.empty() || levels.back().object != (c == '}'))
                return counted();
            const Level closed = levels.back();
            levels.pop_back();
            if (closed.row && !levels.empty())
                levels.back().widest = std::max(levels.back().widest, closed.items);
            if (closed.rows)
                found.push_back({ placeOf(levels), closed.index + 1, closed.widest, closed.begin,
                    p + 1 - bytes.constData() });
            ++p;
            break;
        }
        case '"': {
            valueStarts();
            const char *close = endString();
            if (!close)
                return counted();
            p = close + 1;
            break;
        }
        default: {
            // A number or a literal: up to the next delimiter.
            valueStarts();
            const char *start = p;
            while (p < end && *p != ',' && *p != ']' && *p != '}' && *p != ' ' && *p != '\n'
                && *p != '\r' && *p != '\t')
                ++p;
            if (p == start)
                return counted();
            break;
        }
        }
        // After a value: a comma, or the end of its container.
        skipSpace();
        if (p < end && *p == ',') {
            if (levels.empty())
                return counted();
            ++p;
            expectKey = levels.back().object;
        }
    }
}

} // namespace quillon
