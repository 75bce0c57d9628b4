#pragma once

// A CUPS scheduler of the test's own, in a temporary folder, with a PDF file queue. Clients in
// this process reach it through CUPS_SERVER; nothing of the machine's own CUPS is touched.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cups/cups.h>
#include <sys/stat.h>

class PrivateCups
{
public:
    static constexpr const char *kQueue = "TestFilePdf";
    static QString ppd()
    {
        return QStringLiteral("/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd");
    }

    /// Starts the scheduler and creates the queue; false with the reason when it cannot.
    bool start(QString *why)
    {
        for (const char *tool : { "cupsd", "lpadmin", "lpstat" }) {
            if (QStandardPaths::findExecutable(
                    QString::fromLatin1(tool), { u"/usr/sbin"_qs, u"/usr/bin"_qs })
                    .isEmpty()) {
                *why = QStringLiteral("%1 is not installed").arg(QLatin1String(tool));
                return false;
            }
        }
        if (!QFile::exists(ppd())) {
            *why = QStringLiteral("the generic PDF driver %1 is missing").arg(ppd());
            return false;
        }
        if (!m_dir.isValid()) {
            *why = QStringLiteral("no temporary folder");
            return false;
        }
        const QString d = m_dir.path();
        ::chmod(QFile::encodeName(d).constData(), 0755); // the scheduler's filters run as lp
        for (const char *sub : { "spool", "cache", "state", "log", "tmp", "out" })
            QDir(d).mkpath(QString::fromLatin1(sub));
        ::chmod(QFile::encodeName(d + u"/tmp"_qs).constData(), 01777);
        ::chmod(QFile::encodeName(d + u"/out"_qs).constData(), 01777);
        write(u"cupsd.conf"_qs,
            u"Listen %1/cups.sock\nBrowsing No\nWebInterface No\nLogLevel warn\n"
            "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
            "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
            "<Policy default>\n  JobPrivateAccess all\n  JobPrivateValues none\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n"_qs
                .arg(d));
        write(u"cups-files.conf"_qs,
            u"ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
            "StateDir %1/state\nAccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
            "PageLog %1/log/page_log\nFileDevice Yes\n"_qs.arg(d));
        m_cupsd.setProgram(QStandardPaths::findExecutable(u"cupsd"_qs, { u"/usr/sbin"_qs }));
        m_cupsd.setArguments(
            { u"-f"_qs, u"-c"_qs, d + u"/cupsd.conf"_qs, u"-s"_qs, d + u"/cups-files.conf"_qs });
        m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
        m_cupsd.start();
        if (!m_cupsd.waitForStarted(5000)) {
            *why = QStringLiteral("cupsd did not start: %1").arg(m_cupsd.errorString());
            return false;
        }
        qputenv("CUPS_SERVER", QFile::encodeName(socket()));
        for (int i = 0; i < 100 && !QFile::exists(socket()); ++i)
            QThread::msleep(50);
        if (!QFile::exists(socket())) {
            *why = QStringLiteral("cupsd did not open its socket: %1")
                       .arg(QString::fromLocal8Bit(m_cupsd.readAll()));
            return false;
        }
        QString out;
        if (!run(u"lpadmin"_qs,
                { u"-p"_qs, QString::fromLatin1(kQueue), u"-E"_qs, u"-v"_qs,
                    u"file://"_qs + outputFile(), u"-P"_qs, ppd() },
                &out)
            || !run(u"lpadmin"_qs, { u"-d"_qs, QString::fromLatin1(kQueue) }, &out)) {
            *why = QStringLiteral("lpadmin failed: %1").arg(out);
            return false;
        }
        return true;
    }

    ~PrivateCups()
    {
        if (m_cupsd.state() != QProcess::NotRunning) {
            m_cupsd.terminate();
            if (!m_cupsd.waitForFinished(5000))
                m_cupsd.kill();
            m_cupsd.waitForFinished(2000);
        }
    }

    QString socket() const { return m_dir.path() + u"/cups.sock"_qs; }
    QString outputFile() const { return m_dir.path() + u"/out/out.pdf"_qs; }
    QString dir() const { return m_dir.path(); }

    /// Runs a CUPS client against this scheduler.
    bool run(const QString &tool, const QStringList &args, QString *output = nullptr)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStandardPaths::findExecutable(tool, { u"/usr/sbin"_qs, u"/usr/bin"_qs }), args);
        const bool ok = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit
            && p.exitCode() == 0;
        if (output)
            *output = QString::fromLocal8Bit(p.readAll());
        return ok;
    }

    /// Waits until no job is pending; false after the timeout.
    bool waitForJobs(int seconds = 60)
    {
        for (int i = 0; i < seconds * 10; ++i) {
            QString out;
            if (run(u"lpstat"_qs, { u"-o"_qs }, &out) && out.trimmed().isEmpty())
                return true;
            QThread::msleep(100);
        }
        return false;
    }

    /// An attribute of the queue's newest job, as the scheduler keeps it; empty when the job
    /// has none.
    static QString newestJobAttribute(const char *name)
    {
        ipp_t *request = ippNewRequest(IPP_OP_GET_JOBS);
        const QByteArray uri = QByteArray("ipp://localhost/printers/") + kQueue;
        ippAddString(
            request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.constData());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "all");
        const char *wanted[] = { "job-id", name };
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2,
            nullptr, wanted);
        ipp_t *response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
        int newest = 0;
        QString newestValue;
        int id = 0;
        QString value;
        const auto endOfJob = [&] {
            if (id > newest) {
                newest = id;
                newestValue = value;
            }
            id = 0;
            value.clear();
        };
        for (ipp_attribute_t *a = response ? ippFirstAttribute(response) : nullptr; a;
             a = ippNextAttribute(response)) {
            if (ippGetGroupTag(a) != IPP_TAG_JOB || !ippGetName(a)) {
                endOfJob();
            } else if (qstrcmp(ippGetName(a), "job-id") == 0) {
                id = ippGetInteger(a, 0);
            } else if (qstrcmp(ippGetName(a), name) == 0) {
                char text[256];
                ippAttributeString(a, text, sizeof text);
                value = QString::fromUtf8(text);
            }
        }
        endOfJob();
        ippDelete(response);
        return newestValue;
    }

private:
    void write(const QString &name, const QString &text)
    {
        QFile f(m_dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(text.toUtf8());
    }

    QTemporaryDir m_dir { QStringLiteral("/tmp/quillon-cups-XXXXXX") };
    QProcess m_cupsd;
};
