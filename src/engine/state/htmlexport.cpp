#include "htmlexport.h"

#include "enginestate.h"
#include "linetable.h"
#include "printproperties.h"
#include "registry.h"

#include "platform/interfaces/filewriter.h"

#include <QDir>
#include <QStandardPaths>
#include <QStringEncoder>

namespace quillon {

namespace {

int paddingFor(const QString &alignment)
{
    if (alignment == QLatin1String("2"))
        return 20;
    if (alignment == QLatin1String("3"))
        return 40;
    if (alignment == QLatin1String("4"))
        return 60;
    if (alignment == QLatin1String("5"))
        return 80;
    return 0;
}

} // namespace

QString htmlExportFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("quillon/html"));
}

QStringList HtmlExportLines(
    const QString &mainTitle, const QString &subTitle, const LineTable &headLines)
{
    QStringList lines { mainTitle, subTitle };
    QString pending;
    for (qsizetype i = 1; i <= headLines.lastRow(); ++i) {
        pending += headLines.cell(i, LineTable::Text);
        pending.prepend(QString(paddingFor(headLines.cell(i, LineTable::Alignment)), u' '));
        if (LineTable::newlineValue(headLines.cell(i, LineTable::Newline)) == 1) {
            lines << pending;
            pending.clear();
        }
    }
    // Header text whose line was never ended is still the report's text: it is not dropped.
    if (!pending.trimmed().isEmpty())
        lines << pending;
    return lines;
}

bool ExportHtml(const QString &folder)
{
    EngineState &s = engineState();
    const PrintProperties &print = *s.printObject();
    const QStringList lines = HtmlExportLines(print.MainTitle, print.SubTitle, s.HeadLines);
    QStringEncoder encode(QStringConverter::System);
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += QByteArray(encode(line));
        bytes += "\r\n";
    }
    QString error;
    if (!writeWholeFile(QDir(folder).filePath(QStringLiteral("t.htm")), bytes, &error)) {
        ShowMessage(error, 48);
        return false;
    }
    return true;
}

} // namespace quillon
