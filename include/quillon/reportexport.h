#pragma once

#include <quillon/quillon_global.h>

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QIODevice;

namespace quillon {

class MyPrint;
class ReportExportPrivate;

/// Renders a report's sheets without dialogs or printers: to one PDF file (vector, fonts
/// embedded, text extractable) or to PNG page pictures. It loads the report's page format and
/// lays it out exactly as printing and the preview do, and draws every sheet through the same
/// page driver. A PDF has the format's printer's paper and puts the drawing where that printer
/// would print it; PNG pages show the whole sheet as the preview does.
///
/// Exports run side by side: each has an engine of its own and measures on a printer surface of
/// its own, so threads of a host may export different reports at once, each with its own
/// MyPrint and ReportExport (one thread uses one pair at a time).
///
/// Messages of the engine (a missing logo, an unknown printer) go to the message handler when
/// one is set; else, on the application's thread, to the installed message sink (a message box
/// in a widget program); on any other thread they are written to standard error and answered
/// with the default button, for there is nobody to ask.
class QUILLON_EXPORT ReportExport
{
public:
    /// An export of the report `print` describes: its grid, properties, lines and page format
    /// as they are when an export starts. The print object must outlive this object.
    explicit ReportExport(MyPrint &print);
    ~ReportExport();

    /// Called after each sheet with the sheets done and the sheet count; returning false
    /// cancels the export.
    void setProgressHandler(std::function<bool(int done, int total)> handler);
    /// Takes this export's messages: the text, the message box buttons asked for (0 OK, 1 OK
    /// and Cancel, 4 Yes and No, …, plus 16, 32, 48 or 64 for the icon) and returns the button
    /// chosen (1 OK, 2 Cancel, 6 Yes, 7 No). Called on the exporting thread; to ask the user,
    /// forward it to the GUI thread and wait (Qt::BlockingQueuedConnection).
    void setMessageHandler(std::function<int(const QString &text, int buttons)> handler);

    /// Writes every sheet into one PDF file. False, with errorString(), when it cannot; the
    /// file is then left as it was. False also when a sheet could not be drawn completely, and
    /// the file is then written with what could be drawn.
    bool toPdf(const QString &path);
    /// Writes the same PDF into a device open for writing (standard output, a buffer). A stream
    /// cannot take back what it was given: after a failure part of a PDF may have been written.
    bool toPdf(QIODevice *device);
    /// Writes every sheet as a PNG picture into the folder (made when missing), named
    /// `<baseName>-001.png` and on. At zoom 1 a picture has 96 pixels per inch of paper; zoom
    /// must be from 0.05 to 20. The new pictures take their names together once all
    /// are written; then older pictures of the same base name (`<baseName>-NNN.png`) are
    /// removed, so the folder holds this report's pages only. A failed or cancelled export
    /// leaves the folder as it was.
    bool toPng(
        const QString &folder, double zoom = 1.0, const QString &baseName = QStringLiteral("page"));

    /// The files the last export wrote, in sheet order: none when it wrote nothing, nor after
    /// toPdf(QIODevice *).
    QStringList writtenFiles() const;
    /// Sheets in the report, as the last export laid it out.
    int sheetCount() const;
    /// Why the last export failed; also set when a sheet could not be drawn completely.
    QString errorString() const;

private:
    std::unique_ptr<ReportExportPrivate> d;
};

} // namespace quillon
