#pragma once

#include <QString>
#include <QStringList>

namespace quillon {

class LineTable;

/// The folder the HTML export writes into: "quillon/html" under the user's data folder
/// (QStandardPaths::GenericDataLocation, ~/.local/share/quillon/html on Linux). It stands for
/// the folder beside the library's own file, which a user cannot write to on Linux, and it is
/// the same for every program that uses the library.
QString htmlExportFolder();

/// The text lines of the HTML export: the main title, the subtitle, then the header lines
/// joined into lines. Each entry's text is appended to a pending line; alignment "2", "3", "4"
/// or "5" then puts 20, 40, 60 or 80 spaces in front of the whole pending line, and a newline
/// flag that reads as 1 ends it. A pending line with text left at the end is a line too.
QStringList HtmlExportLines(
    const QString &mainTitle, const QString &subTitle, const LineTable &headLines);

/// Writes the current print object's title lines (HtmlExportLines) to t.htm in `folder`,
/// creating the folder: plain text in the system's 8-bit encoding (UTF-8 on Linux), each line
/// ending in CR LF. A file that cannot be written is reported through ShowMessage; false then.
bool ExportHtml(const QString &folder = htmlExportFolder());

} // namespace quillon
