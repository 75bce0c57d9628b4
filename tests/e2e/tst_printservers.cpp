#include "support/files.h"
#include "support/privatecupsmain.h"

#include "engine/device/clsprinter.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "platform/interfaces/memorysettingsstore.h"
#include "platform/interfaces/surface.h"
#include "printer/printingsystem.h"

#include <quillon/gridfile.h>
#include <quillon/myprint.h>
#include <quillon/platform.h>

#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <QtTest>

#include <cups/cups.h>

using namespace quillon;

namespace {

PrivateCups *g_workstation = nullptr; // the scheduler of the user's own machine
QString g_home; // the test's HOME
QString g_clientRoot; // the test's CUPS_SERVERROOT, where the machine's client.conf is read

const QString kQueue = u"财务室"_qs;
const QString kClass = u"OfficePool"_qs;
const QStringList kMembers { u"PoolBack"_qs, u"PoolFront"_qs };
const QString kRawClass = u"RawPool"_qs; // a class of raw queues: no driver anywhere
const QString kKey = u"销售订单"_qs;
constexpr int kRows = 120;

/// Empty when the PDF holds the whole order list: the heading and the first order on the first
/// page, every order once, and the last page numbered as the last.
QString missingFrom(const QString &pdf)
{
    QStringList pages
        = programOutput(u"pdftotext"_qs, { u"-layout"_qs, pdf, u"-"_qs }).split(u'\f');
    pages.removeLast(); // after the last page's form feed
    if (pages.size() < 2)
        return u"%1 pages in %2"_qs.arg(pages.size()).arg(pdf);
    if (!pages.first().contains(u"单号"_qs) || !pages.first().contains(u"XS0001"_qs))
        return u"first page: "_qs + pages.first();
    if (!pages.last().contains(u"第 %1 页 (共 %1 页)"_qs.arg(pages.size())))
        return u"last page: "_qs + pages.last();
    QSet<QString> orders;
    for (auto it = QRegularExpression(u"XS\\d{4}"_qs).globalMatch(pages.join(u'\n')); it.hasNext();)
        orders.insert(it.next().captured());
    return orders.size() == kRows ? QString() : u"%1 orders in %2"_qs.arg(orders.size()).arg(pdf);
}

/// A job as its server keeps it: the queue it was sent to and the printer that printed it (for a
/// class, one of its members).
struct ServerJob
{
    int id = 0;
    ipp_jstate_t state = IPP_JSTATE_PENDING;
    QString queue;
    QString printedOn;
};

QString lastSegment(ipp_attribute_t *uri)
{
    const QByteArray text = uri ? QByteArray(ippGetString(uri, 0, nullptr)) : QByteArray();
    return QUrl::fromPercentEncoding(text.mid(text.lastIndexOf('/') + 1));
}

/// Every job the server knows, done or not, in order.
QList<ServerJob> serverJobs(const PrivateCups &server)
{
    QList<ServerJob> jobs;
    http_t *http = httpConnect2(QFile::encodeName(server.socket()).constData(), 0, nullptr,
        AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, 30000, nullptr);
    if (!http)
        return jobs;
    ipp_t *request = ippNewRequest(IPP_OP_GET_JOBS);
    ippAddString(
        request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, "ipp://localhost/");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "all");
    const char *const wanted[]
        = { "job-id", "job-state", "job-printer-uri", "job-printer-uri-actual" };
    ippAddStrings(
        request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 4, nullptr, wanted);
    ipp_t *response = cupsDoRequest(http, request, "/");
    // Each job's attributes end at a group separator (an attribute without a name).
    ServerJob job;
    for (ipp_attribute_t *a = ippFirstAttribute(response);; a = ippNextAttribute(response)) {
        const QByteArrayView name(a ? ippGetName(a) : nullptr);
        if (name.isNull() && job.id) {
            jobs << job;
            job = {};
        }
        if (!a)
            break;
        if (ippGetGroupTag(a) != IPP_TAG_JOB)
            continue;
        if (name == "job-id")
            job.id = ippGetInteger(a, 0);
        else if (name == "job-state")
            job.state = ipp_jstate_t(ippGetInteger(a, 0));
        else if (name == "job-printer-uri")
            job.queue = lastSegment(a);
        else if (name == "job-printer-uri-actual")
            job.printedOn = lastSegment(a);
    }
    ippDelete(response);
    httpClose(http);
    std::sort(jobs.begin(), jobs.end(),
        [](const ServerJob &a, const ServerJob &b) { return a.id < b.id; });
    return jobs;
}

} // namespace

// Printing through an office's print server: a second private scheduler on a loopback port
// (support/privatecups.h), reached the ways a workstation reaches one, with a plain queue and a
// class of two printers. The workstation's own scheduler must see none of it.
class TestPrintServers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void printsOnTheServer_data();
    void printsOnTheServer();
    void classSpreadsJobsOverItsMembers();
    void classWithoutDriver();

private:
    /// Points this process's CUPS clients at the office server through `clientConf` (a
    /// client.conf path) or, when it is empty, CUPS_SERVER.
    void reachServer(const QString &clientConf);
    /// Prints the order list on `printer` from this process, as a host does.
    bool printHere(const QString &printer);
    QList<ServerJob> newJobs() const;
    QString memberOutput(const QString &member) const
    {
        return m_office.dir() + u"/out/%1.pdf"_qs.arg(member);
    }

    PrivateCups m_office;
    QString m_orders; // the order list, a CSV file
    RecordingMessageSink *m_messages = nullptr;
    int m_lastJob = 0;
};

void TestPrintServers::initTestCase()
{
    QString why;
    QVERIFY2(m_office.startServer(&why, PrivateCups::Listen::AlsoLoopbackPort), qPrintable(why));
    QVERIFY2(m_office.addQueue(kQueue, m_office.outputFile(), &why), qPrintable(why));
    const std::tuple<QString, QStringList, QString> classes[]
        = { { kClass, kMembers, PrivateCups::ppd() },
              { kRawClass, { u"RawBack"_qs, u"RawFront"_qs }, QString() } };
    for (const auto &[name, members, driver] : classes) {
        for (const QString &member : members) {
            QVERIFY2(
                m_office.addQueue(member, memberOutput(member), &why, driver), qPrintable(why));
            QVERIFY(m_office.run(u"lpadmin"_qs, { u"-p"_qs, member, u"-c"_qs, name }));
        }
        QVERIFY(m_office.run(u"cupsenable"_qs, { name }));
        QVERIFY(m_office.run(u"cupsaccept"_qs, { name }));
    }

    m_orders = m_office.dir() + u"/orders.csv"_qs;
    QFile csv(m_orders);
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write("单号,客户,金额\n");
    for (int r = 1; r <= kRows; ++r)
        csv.write(u"XS%1,恒达商贸,%2.00\n"_qs.arg(r, 4, 10, QLatin1Char('0')).arg(r * 10).toUtf8());
}

void TestPrintServers::init()
{
    const QList<ServerJob> jobs = serverJobs(m_office);
    m_lastJob = jobs.isEmpty() ? 0 : jobs.last().id;
}

void TestPrintServers::cleanup()
{
    resetPlatformServices();
    // Nothing ever reaches the workstation's own scheduler.
    QString out;
    QVERIFY(g_workstation->run(u"lpstat"_qs, { u"-W"_qs, u"all"_qs, u"-o"_qs }, &out));
    QCOMPARE(out, QString());
}

void TestPrintServers::reachServer(const QString &clientConf)
{
    QFile::remove(g_home + u"/.cups/client.conf"_qs);
    QFile::remove(g_clientRoot + u"/client.conf"_qs);
    if (clientConf.isEmpty()) {
        qputenv("CUPS_SERVER", QFile::encodeName(m_office.server()));
    } else {
        qunsetenv("CUPS_SERVER");
        QFile file(clientConf);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("ServerName " + m_office.server().toUtf8() + '\n');
    }
    // libcups reads its environment and client.conf again, as a program started now would.
    cupsSetServer(nullptr);
    resetPlatformServices();
    setSettingsStore(std::make_unique<MemorySettingsStore>());
    auto sink = std::make_unique<RecordingMessageSink>();
    m_messages = sink.get();
    setMessageSink(std::move(sink));
    ensureDefaultPlatform();
}

bool TestPrintServers::printHere(const QString &printer)
{
    QString error;
    const std::unique_ptr<GridFile> file = GridFile::load(m_orders, &error);
    MyPrint print;
    print.setPrintKeyName(kKey);
    print.setMainTitle(u"销售订单"_qs);
    if (!file || !file->applyTo(print, &error)) {
        qWarning() << error;
        return false;
    }
    setFormatValue(print.PrintKeyName(), u"PrinterName"_qs, printer);
    print.PrintDirect();
    return print.documentSent();
}

QList<ServerJob> TestPrintServers::newJobs() const
{
    QList<ServerJob> jobs = serverJobs(m_office);
    jobs.removeIf([&](const ServerJob &job) { return job.id <= m_lastJob; });
    return jobs;
}

void TestPrintServers::printsOnTheServer_data()
{
    QTest::addColumn<QString>("clientConf");
    QTest::newRow("CUPS_SERVER") << QString();
    QTest::newRow("~/.cups/client.conf") << g_home + u"/.cups/client.conf"_qs;
    QTest::newRow("the machine's client.conf") << g_clientRoot + u"/client.conf"_qs;
}

void TestPrintServers::printsOnTheServer()
{
    QFETCH(QString, clientConf);
    reachServer(clientConf);
    // The printers a user picks from are the server's, by the names the server gives them.
    const QStringList printers = printerNames();
    QVERIFY2(printers.contains(kQueue) && printers.contains(kClass) && printers.contains(kRawClass)
            && !printers.contains(QString::fromLatin1(PrivateCups::kQueue)),
        qPrintable(printers.join(u", "_qs)));

    // From this process, then from quillon-print started with this process's environment.
    QFile::remove(m_office.outputFile());
    QVERIFY(printHere(kQueue));
    QCOMPARE(m_messages->messages().size(), 0);
    QVERIFY(m_office.waitForJobs());
    QString missing = missingFrom(m_office.outputFile());
    QVERIFY2(missing.isEmpty(), qPrintable(missing));

    QFile::remove(m_office.outputFile());
    QProcess tool;
    tool.start(QStringLiteral(QUILLON_PRINT_EXE),
        { u"--quiet"_qs, u"--printer"_qs, kQueue, u"--title"_qs, u"销售订单"_qs, m_orders });
    QVERIFY(tool.waitForFinished(120000));
    QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
    QVERIFY(m_office.waitForJobs());
    missing = missingFrom(m_office.outputFile());
    QVERIFY2(missing.isEmpty(), qPrintable(missing));

    const QList<ServerJob> jobs = newJobs();
    QCOMPARE(jobs.size(), 2);
    for (const ServerJob &job : jobs) {
        QCOMPARE(job.queue, kQueue);
        QCOMPARE(job.state, IPP_JSTATE_COMPLETED);
    }
}

void TestPrintServers::classSpreadsJobsOverItsMembers()
{
    reachServer(QString());
    // The class takes the papers of its members' driver: the page setup lists A4.
    const QList<PaperInfo> papers = printerPapers(kClass);
    QVERIFY(std::any_of(
        papers.cbegin(), papers.cend(), [](const PaperInfo &p) { return p.code == 9; }));
    for (const QString &member : kMembers)
        QFile::remove(memberOutput(member));
    for (int i = 0; i < 10; ++i)
        QVERIFY(printHere(kClass));
    QCOMPARE(m_messages->messages().size(), 0);
    QVERIFY(m_office.waitForJobs());

    const QList<ServerJob> jobs = newJobs();
    QCOMPARE(jobs.size(), 10);
    QMap<QString, int> perMember;
    for (const ServerJob &job : jobs) {
        QCOMPARE(job.queue, kClass);
        QCOMPARE(job.state, IPP_JSTATE_COMPLETED);
        ++perMember[job.printedOn];
    }
    QStringList spread;
    for (auto it = perMember.cbegin(); it != perMember.cend(); ++it)
        spread << u"%1: %2"_qs.arg(it.key()).arg(it.value());
    qInfo("jobs per member: %s", qPrintable(spread.join(u", "_qs)));
    QVERIFY2(perMember.keys() == kMembers, qPrintable(spread.join(u", "_qs)));
    // Each member's output holds the last document it printed, whole.
    for (const QString &member : kMembers) {
        const QString missing = missingFrom(memberOutput(member));
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
    }
}

void TestPrintServers::classWithoutDriver()
{
    // Its raw queues hand the document on as it is, so the class has no driver and no papers of
    // its own: it still offers the common papers, and a report kept on A3 landscape comes out so.
    reachServer(QString());
    const QList<PaperInfo> papers = printerPapers(kRawClass);
    QVERIFY(std::any_of(
        papers.cbegin(), papers.cend(), [](const PaperInfo &p) { return p.code == 8; }));
    // The page setup and the print dialog offer colour printing on it.
    QVERIFY(printingSystem().openPrinter(kRawClass)->ColorMode() != 0);
    setFormatValue(kKey, u"PaperSize"_qs, u"8"_qs);
    setFormatValue(kKey, u"PaperOriention"_qs, u"2"_qs);
    QVERIFY(printHere(kRawClass));
    QCOMPARE(m_messages->messages().size(), 0);
    QVERIFY(m_office.waitForJobs());
    const QList<ServerJob> jobs = newJobs();
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs[0].queue, kRawClass);
    QCOMPARE(jobs[0].state, IPP_JSTATE_COMPLETED);
    // What the server received (it keeps job files): every order, on A3 landscape.
    const QString received
        = m_office.dir() + u"/spool/d%1-001"_qs.arg(jobs[0].id, 5, 10, QLatin1Char('0'));
    const QString missing = missingFrom(received);
    QVERIFY2(missing.isEmpty(), qPrintable(missing));
    const QString info = programOutput(u"pdfinfo"_qs, { received });
    QVERIFY2(info.contains(u"1191 x 842 pts (A3)"_qs), qPrintable(info));
}

int main(int argc, char **argv)
{
    return runWithPrivateCups<TestPrintServers>(argc, argv, &g_workstation, [](PrivateCups &cups) {
        // A HOME and a client server root of the test's own, set before libcups first reads
        // its environment in this process; quillon-print gets them too.
        g_home = cups.dir() + u"/home"_qs;
        g_clientRoot = cups.dir() + u"/client"_qs;
        QDir().mkpath(g_home + u"/.cups"_qs);
        QDir().mkpath(g_clientRoot);
        qputenv("HOME", QFile::encodeName(g_home));
        qputenv("CUPS_SERVERROOT", QFile::encodeName(g_clientRoot));
    });
}

#include "tst_printservers.moc"
