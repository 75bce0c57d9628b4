#pragma once

#include <QString>

#include <cstdio>

inline const QString kProgram = QStringLiteral("quillon-print");

/// A line on a stream, written at once: lines of several threads never mix.
inline void say(FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", text.toUtf8().constData());
    std::fflush(stream);
}
