#pragma once

// Typed views of a recording, for assertions that read like the page: the texts printed with
// their places and fonts, and the lines drawn.

#include "platform/interfaces/recordingsurface.h"

#include <QList>
#include <QStringList>

#include <algorithm>

/// A text as printed: where, and in which font size, boldness and colour; for a text printed
/// one character a cell, the cells' width.
struct PrintedText
{
    QString text;
    double x = 0;
    double y = 0;
    double fontSize = 0;
    bool bold = false;
    qint32 color = 0;
    double cellWidth = 0;
};

/// A line as drawn, in surface units.
struct DrawnLine
{
    double x1, y1, x2, y2;
    int color, width;
};

/// Every Print of the recording with the font state it was printed in. The state starts as
/// the surface's own when the recording began (pass it when the surface was used before).
inline QList<PrintedText> texts(const quillon::RecordingSurface &s, PrintedText state = {})
{
    QList<PrintedText> out;
    for (const auto &op : s.ops()) {
        if (op.name == QLatin1String("FontSize"))
            state.fontSize = op.args[0].toDouble();
        else if (op.name == QLatin1String("FontBold"))
            state.bold = op.args[0].toBool();
        else if (op.name == QLatin1String("ForeColor"))
            state.color = op.args[0].toInt();
        else if (op.name == QLatin1String("Print") || op.name == QLatin1String("PrintCells"))
            out.append({ op.args[0].toString(), op.args[1].toDouble(), op.args[2].toDouble(),
                state.fontSize, state.bold, state.color, op.args.value(3).toDouble() });
    }
    return out;
}

/// Only the printed strings, in order.
inline QStringList printedStrings(const quillon::RecordingSurface &s)
{
    QStringList out;
    for (const PrintedText &t : texts(s))
        out << t.text;
    return out;
}

inline QList<DrawnLine> lines(const quillon::RecordingSurface &s)
{
    QList<DrawnLine> out;
    for (const auto &op : s.ops(QStringLiteral("Line")))
        out.append({ op.args[0].toDouble(), op.args[1].toDouble(), op.args[2].toDouble(),
            op.args[3].toDouble(), op.args[4].toInt(), op.args[5].toInt() });
    return out;
}

/// Whether the lines drawn along one line of the page (x = at when vertical, else y = at) cover
/// it from `from` to `to`, however many pieces they come in (cells draw their own edges).
inline bool linesCover(
    const QList<DrawnLine> &segments, bool vertical, double at, double from, double to)
{
    QList<std::pair<double, double>> pieces;
    for (const DrawnLine &s : segments) {
        if (vertical && s.x1 == at && s.x2 == at)
            pieces.append({ std::min(s.y1, s.y2), std::max(s.y1, s.y2) });
        else if (!vertical && s.y1 == at && s.y2 == at)
            pieces.append({ std::min(s.x1, s.x2), std::max(s.x1, s.x2) });
    }
    std::sort(pieces.begin(), pieces.end());
    double reached = from;
    for (const auto &[a, b] : pieces) {
        if (a > reached)
            break;
        reached = std::max(reached, b);
    }
    return reached >= to;
}

/// Whether a vertical segment lies at x and covers the rows between y1 and y2.
inline bool hasVertical(const QList<DrawnLine> &segments, double x, double y1, double y2)
{
    return std::any_of(segments.cbegin(), segments.cend(), [&](const DrawnLine &s) {
        return s.x1 == x && s.x2 == x && std::min(s.y1, s.y2) <= y1 && std::max(s.y1, s.y2) >= y2;
    });
}

/// Whether a horizontal segment lies at y and covers the columns between x1 and x2.
inline bool hasHorizontal(const QList<DrawnLine> &segments, double y, double x1, double x2)
{
    return std::any_of(segments.cbegin(), segments.cend(), [&](const DrawnLine &s) {
        return s.y1 == y && s.y2 == y && std::min(s.x1, s.x2) <= x1 && std::max(s.x1, s.x2) >= x2;
    });
}
