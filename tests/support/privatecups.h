#pragma once

// A CUPS scheduler of the test's own, in a temporary folder, with a PDF file queue. Clients in
// this process reach it through CUPS_SERVER; nothing of the machine's own CUPS is touched.
// A test may start more than one: each listens on a socket of its own, and on a free loopback
// port when it stands for a print server that clients reach over the network.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <cups/cups.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

class PrivateCups
{
public:
    static constexpr const char *kQueue = "TestFilePdf";
    static QString ppd()
    {
        return QStringLiteral("/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd");
    }

    enum class Listen { SocketOnly, AlsoLoopbackPort };

    /// Starts the scheduler with the default queue kQueue and makes it this process's CUPS;
    /// false with the reason when it cannot.
    bool start(QString *why)
    {
        if (!startServer(why) || !addQueue(QString::fromLatin1(kQueue), outputFile(), why)
            || !run(u"lpadmin"_qs, { u"-d"_qs, QString::fromLatin1(kQueue) }, why))
            return false;
        qputenv("CUPS_SERVER", QFile::encodeName(socket()));
        return true;
    }

    /// Starts the scheduler alone, without queues, leaving this process's CUPS as it is.
    bool startServer(QString *why, Listen listen = Listen::SocketOnly)
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
        write(u"cups-files.conf"_qs,
            u"ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
            "StateDir %1/state\nAccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
            "PageLog %1/log/page_log\nFileDevice Yes\n"_qs.arg(d));
        // A port found free may be taken before the scheduler binds it: then another one.
        for (int attempt = 0; attempt < 3; ++attempt) {
            m_port = listen == Listen::AlsoLoopbackPort ? freeLoopbackPort() : 0;
            if (listen == Listen::AlsoLoopbackPort && m_port == 0) {
                *why = QStringLiteral("no free loopback port");
                return false;
            }
            if (launch(why))
                return true;
            stop();
        }
        return false;
    }

    /// A queue printing into `output` with a driver (a PPD file; none makes a raw queue, which
    /// hands the document on as it is), enabled and accepting.
    bool addQueue(
        const QString &name, const QString &output, QString *why, const QString &driver = ppd())
    {
        QStringList args { u"-p"_qs, name, u"-E"_qs, u"-v"_qs, u"file://"_qs + output };
        if (!driver.isEmpty())
            args << u"-P"_qs << driver;
        QString out;
        if (run(u"lpadmin"_qs, args, &out))
            return true;
        *why = QStringLiteral("lpadmin failed: %1").arg(out);
        return false;
    }

    ~PrivateCups() { stop(); }

    QString socket() const { return m_dir.path() + u"/cups.sock"_qs; }
    /// How a client names this scheduler: "127.0.0.1:port" when it listens on one.
    QString server() const { return m_port ? u"127.0.0.1:%1"_qs.arg(m_port) : socket(); }
    QString outputFile() const { return m_dir.path() + u"/out/out.pdf"_qs; }
    QString dir() const { return m_dir.path(); }
    /// How many requests the scheduler has logged whose line holds `text`.
    qsizetype loggedRequests(const QString &text) const
    {
        QFile log(m_dir.path() + u"/log/access_log"_qs);
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).count(text) : 0;
    }

    /// Runs a CUPS client against this scheduler, whichever this process uses.
    bool run(const QString &tool, const QStringList &args, QString *output = nullptr)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"CUPS_SERVER"_qs, socket());
        p.setProcessEnvironment(env);
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
    bool launch(QString *why)
    {
        const QString d = m_dir.path();
        const QString port = m_port ? u"Listen 127.0.0.1:%1\n"_qs.arg(m_port) : QString();
        write(u"cupsd.conf"_qs,
            u"Listen %1/cups.sock\n%2Browsing No\nWebInterface No\nLogLevel warn\n"
            "AccessLogLevel all\n"
            "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
            "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
            "<Policy default>\n  JobPrivateAccess all\n  JobPrivateValues none\n"
            "  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n"_qs.arg(d, port));
        m_cupsd.setProgram(QStandardPaths::findExecutable(u"cupsd"_qs, { u"/usr/sbin"_qs }));
        m_cupsd.setArguments(
            { u"-f"_qs, u"-c"_qs, d + u"/cupsd.conf"_qs, u"-s"_qs, d + u"/cups-files.conf"_qs });
        m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
        m_cupsd.start();
        if (!m_cupsd.waitForStarted(5000)) {
            *why = QStringLiteral("cupsd did not start: %1").arg(m_cupsd.errorString());
            return false;
        }
        // Ready when it answers on every address it listens on.
        for (int i = 0; i < 200; ++i) {
            if (QFile::exists(socket()) && (!m_port || answers(m_port)))
                return true;
            if (m_cupsd.state() == QProcess::NotRunning)
                break;
            QThread::msleep(50);
        }
        *why = QStringLiteral("cupsd did not open its socket or port %1: %2")
                   .arg(m_port)
                   .arg(QString::fromLocal8Bit(m_cupsd.readAll()));
        return false;
    }

    void stop()
    {
        if (m_cupsd.state() != QProcess::NotRunning) {
            m_cupsd.terminate();
            if (!m_cupsd.waitForFinished(5000))
                m_cupsd.kill();
            m_cupsd.waitForFinished(2000);
        }
        QFile::remove(socket());
    }

    static int freeLoopbackPort()
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        int port = 0;
        if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), length) == 0
            && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
            port = ntohs(address.sin_port);
        if (fd >= 0)
            ::close(fd);
        return port;
    }

    static bool answers(int port)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(quint16(port));
        const bool ok
            = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        if (fd >= 0)
            ::close(fd);
        return ok;
    }

    void write(const QString &name, const QString &text)
    {
        QFile f(m_dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(text.toUtf8());
    }

    QTemporaryDir m_dir { QStringLiteral("/tmp/quillon-cups-XXXXXX") };
    QProcess m_cupsd;
    int m_port = 0;
};
