#include "batchexport.h"

#include "console.h"
#include "interruptguard.h"

#include <quillon/platform.h>
#include <quillon/reportexport.h>

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <thread>

BatchExport::BatchExport(Settings settings, QStringList inputs, QStringList outputs)
    : m_settings(std::move(settings))
    , m_inputs(std::move(inputs))
    , m_outputs(std::move(outputs))
    , m_turns(m_inputs.size())
{
}

QStringList BatchExport::outputPaths(const QStringList &inputs, const QString &folder)
{
    QStringList bases;
    for (const QString &input : inputs) {
        const QFileInfo info(input);
        bases << (info.completeBaseName().isEmpty() ? info.fileName() : info.completeBaseName());
    }
    const QSet<QString> plain(bases.cbegin(), bases.cend());
    QSet<QString> given;
    QStringList paths;
    for (const QString &base : bases) {
        QString name = base;
        for (int n = 2; given.contains(name); ++n) {
            name = QStringLiteral("%1-%2").arg(base).arg(n);
            if (plain.contains(name))
                name = base; // another grid file's own name: try the next number
        }
        given.insert(name);
        paths << QDir(folder).filePath(name + QStringLiteral(".pdf"));
    }
    return paths;
}

int BatchExport::run()
{
    const qsizetype threads = std::clamp<qsizetype>(m_settings.threads, 1, m_inputs.size());
    {
        std::vector<std::jthread> workers;
        for (qsizetype i = 0; i < threads; ++i)
            workers.emplace_back([this] { work(); });
    }
    if (InterruptGuard::interrupted()) {
        say(stderr,
            QStringLiteral("%1: 已中断：已写出 %2 个文件，没有写完的已删除，原有的同名文件未改动")
                .arg(kProgram)
                .arg(m_written));
        InterruptGuard::endAsInterrupted();
    }
    if (m_failed.isEmpty())
        return 0;
    say(stderr,
        QStringLiteral("%1: %2 个网格文件中有 %3 个没有写出：%4")
            .arg(kProgram)
            .arg(m_inputs.size())
            .arg(m_failed.size())
            .arg(m_failed.join(QStringLiteral("、"))));
    return 1;
}

void BatchExport::work()
{
    for (qsizetype index = m_next++; index < m_inputs.size(); index = m_next++)
        exportFile(index);
}

void BatchExport::exportFile(qsizetype index)
{
    // However the file ends, the next file of its report may go.
    const struct Done
    {
        KeyTurns &turns;
        qsizetype index;
        ~Done() { turns.done(index); }
    } done { m_turns, index };
    if (InterruptGuard::interrupted()) {
        m_turns.waitForTurn(index, QString());
        return;
    }
    if (!m_settings.sharedFormats)
        quillon::useThreadTemporarySettings();
    QString error;
    const std::unique_ptr<GridReport> report
        = GridReport::open(m_inputs[index], m_settings.report, &error);
    m_turns.waitForTurn(
        index, report && m_settings.sharedFormats ? report->print().PrintKeyName() : QString());
    if (!report)
        return failed(index, m_inputs[index], error);
    for (const QString &note : report->takeOwnChoices(false)) {
        if (!m_settings.quiet)
            say(stderr, QStringLiteral("%1: %2: %3").arg(kProgram, report->source(), note));
    }
    report->storeFormat();
    quillon::ReportExport pdf(report->print());
    pdf.setMessageHandler(quillon::consoleMessageHandler(report->source()));
    pdf.setProgressHandler([](int, int) {
        if (!InterruptGuard::interrupted())
            return true;
        InterruptGuard::acknowledge(); // the page has ended: the export drops its file now
        return false;
    });
    if (pdf.toPdf(m_outputs[index]))
        finished(pdf.writtenFiles().value(0), pdf.sheetCount());
    else
        failed(index, report->source(), pdf.errorString());
}

void BatchExport::finished(const QString &path, int pages)
{
    const std::lock_guard lock(m_reportMutex);
    ++m_written;
    if (!m_settings.quiet)
        say(stdout,
            QStringLiteral("[%1/%2] %3（共 %4 页）")
                .arg(m_written + m_failed.size())
                .arg(m_inputs.size())
                .arg(path)
                .arg(pages));
}

void BatchExport::failed(qsizetype index, const QString &source, const QString &why)
{
    if (InterruptGuard::interrupted())
        return; // the stop is said once, at the end
    const std::lock_guard lock(m_reportMutex);
    m_failed << m_inputs[index];
    // Most messages about a file's contents already start with its name.
    say(stderr,
        why.startsWith(source + QStringLiteral(": "))
            ? QStringLiteral("%1: %2").arg(kProgram, why)
            : QStringLiteral("%1: %2: %3").arg(kProgram, source, why));
}
