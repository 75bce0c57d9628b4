#pragma once

// Small file helpers for tests that write, read and inspect files.

#include <QFile>
#include <QProcess>
#include <QTest>

#include <sys/stat.h>

/// The whole file; empty when it cannot be read.
inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// Replaces the file's content; a failure fails the test.
inline void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

/// What a program (pdftotext, pdfinfo) writes on standard output.
inline QString programOutput(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

/// Whether the path itself (not what a link points at) is a character device.
inline bool isCharDevice(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
}
