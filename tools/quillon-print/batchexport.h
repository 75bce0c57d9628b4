#pragma once

#include "gridreport.h"
#include "keyturns.h"

#include <QStringList>

#include <atomic>
#include <mutex>

/// --out-dir: each grid file into a PDF file of its own, several at once, a thread each. A file
/// that fails is reported under its name and the others are still written.
class BatchExport
{
public:
    struct Settings
    {
        ReportOptions report;
        int threads = 1;
        bool quiet = false;
        /// The page formats are kept in a file: the files of one report go in turn. Otherwise
        /// each file has temporary settings of its own, as if it ran alone.
        bool sharedFormats = false;
    };

    BatchExport(Settings settings, QStringList inputs, QStringList outputs);

    /// The PDF file each grid file is written to: its name with ".pdf" in the folder. A name
    /// that several grid files would take goes to the first of them; the others get "-2",
    /// "-3", ... in the order given, passing over names that another grid file takes.
    static QStringList outputPaths(const QStringList &inputs, const QString &folder);

    /// Exports every file: 0 when all were written, 1 when some were not. Stopped by a signal,
    /// it ends the program as the signal would once the pages being drawn are done.
    int run();

private:
    void work();
    void exportFile(qsizetype index);
    void finished(const QString &path, int pages);
    void failed(qsizetype index, const QString &source, const QString &why);

    const Settings m_settings;
    const QStringList m_inputs;
    const QStringList m_outputs;
    KeyTurns m_turns;
    std::atomic<qsizetype> m_next = 0;
    std::mutex m_reportMutex; ///< one line at a time, counted in the order they are written
    qsizetype m_written = 0;
    QStringList m_failed;
};
