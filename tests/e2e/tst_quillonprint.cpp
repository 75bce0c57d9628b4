#include "testmain.h"

#include <QDirIterator>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

// quillon-print on the sample reports and on bad input, checked in the files it writes.
class TestQuillonPrint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void salesListRepeatsItsHeaderOnEveryPage();
    void wideGridSplitsIntoColumnBands();
    void mergedHeadingsPrintOnce();
    void pngPagesAtZoom();
    void badInput_data();
    void badInput();
    void oneOffJobsLeaveSavedFormatsAlone();
    void settingsFileKeepsTheFormat();
    void batchMessagesNeverWait();
    void documentedExamplesPrint();

private:
    struct Run
    {
        int exitCode = -1;
        QString out, err;
    };
    Run run(const QStringList &args, const QProcessEnvironment &extra = {});
    static QStringList pdfPages(const QString &pdf);
    static QString sample(const QString &name)
    {
        return QStringLiteral(QUILLON_SOURCE_DIR "/examples/") + name;
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_home;
};

void TestQuillonPrint::initTestCase()
{
    for (const char *tool : { "pdftotext", "pdfinfo" }) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP("poppler-utils are not installed: the PDF files cannot be checked");
    }
    QVERIFY(QFile::exists(QStringLiteral(QUILLON_PRINT_EXE)));
}

TestQuillonPrint::Run TestQuillonPrint::run(const QStringList &args,
                                            const QProcessEnvironment &extra)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No printer of this machine and no saved format of the user's may change the output.
    env.insert(u"CUPS_SERVER"_qs, m_dir.filePath(u"no-cups.sock"_qs));
    env.insert(u"HOME"_qs, m_home.path());
    env.insert(u"XDG_CONFIG_HOME"_qs, m_home.filePath(u"config"_qs));
    env.insert(u"QUILLON_PDF_DIR"_qs, m_dir.filePath(u"virtual"_qs));
    env.remove(u"QUILLON_SETTINGS"_qs);
    env.remove(u"DISPLAY"_qs);
    for (const QString &key : extra.keys())
        env.insert(key, extra.value(key));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QUILLON_PRINT_EXE), args);
    p.closeWriteChannel(); // a batch job gets no answers from standard input
    if (!p.waitForFinished(120000)) {
        p.kill();
        return {};
    }
    return { p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
             QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()) };
}

QStringList TestQuillonPrint::pdfPages(const QString &pdf)
{
    QProcess p;
    p.start(u"pdftotext"_qs, { u"-layout"_qs, pdf, u"-"_qs });
    p.waitForFinished(60000);
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QChar(u'\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

void TestQuillonPrint::salesListRepeatsItsHeaderOnEveryPage()
{
    const QString pdf = m_dir.filePath(u"out/sales.pdf"_qs);
    const Run r = run({ u"--pdf"_qs, pdf, u"--title"_qs, u"销售明细表"_qs, sample(u"sales.csv"_qs) });
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.contains(pdf));
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 5);
    QSet<QString> orders;
    for (int i = 0; i < pages.size(); ++i) {
        const QString &page = pages[i];
        QVERIFY(page.contains(u"销售明细表"_qs));
        QVERIFY2(page.contains(u"客户名称"_qs) && page.contains(u"业务员"_qs), qPrintable(page));
        QVERIFY(page.contains(u"第 %1 页 (共 5 页)"_qs.arg(i + 1)));
        QVERIFY(page.contains(QRegularExpression(u"打印日期:\\d{4}年\\d{1,2}月\\d{1,2}日"_qs)));
        for (auto it = QRegularExpression(u"XS\\d{9}"_qs).globalMatch(page); it.hasNext();) {
            const QString order = it.next().captured();
            QVERIFY2(!orders.contains(order), qPrintable(order)); // no row printed twice
            orders.insert(order);
        }
    }
    QCOMPARE(orders.size(), 236); // every row printed
}

void TestQuillonPrint::wideGridSplitsIntoColumnBands()
{
    const QString pdf = m_dir.filePath(u"wide.pdf"_qs);
    QCOMPARE(run({ u"--pdf"_qs, pdf, sample(u"wide.json"_qs) }).exitCode, 0);
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 2);
    for (const QString &page : pages) {
        QVERIFY(page.contains(u"地区"_qs) && page.contains(u"产品线"_qs)); // repeated columns
        QVERIFY(page.contains(u"华北"_qs));
    }
    QVERIFY(pages[0].contains(u"第 1 (1/2) 页 (共 1 页)"_qs));
    QVERIFY(pages[1].contains(u"第 1 (2/2) 页 (共 1 页)"_qs));
    // Months before the print date's own "12月" can be told apart: drop the date first.
    QStringList bodies = pages;
    for (QString &page : bodies)
        page.remove(QRegularExpression(u"打印日期:\\S+"_qs));
    QVERIFY(bodies[0].contains(u"1月"_qs) && !bodies[0].contains(u"12月"_qs));
    QVERIFY(bodies[1].contains(u"12月"_qs) && bodies[1].contains(u"全年合计"_qs));
    // Landscape: the page is wider than high.
    QProcess info;
    info.start(u"pdfinfo"_qs, { pdf });
    info.waitForFinished();
    const auto size = QRegularExpression(u"Page size:\\s+([\\d.]+) x ([\\d.]+)"_qs)
                          .match(QString::fromUtf8(info.readAllStandardOutput()));
    QVERIFY(size.hasMatch());
    QVERIFY(size.captured(1).toDouble() > size.captured(2).toDouble());
}

void TestQuillonPrint::mergedHeadingsPrintOnce()
{
    const QString pdf = m_dir.filePath(u"merged.pdf"_qs);
    QCOMPARE(run({ u"--pdf"_qs, pdf, sample(u"merged.json"_qs) }).exitCode, 0);
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].count(u"应发工资"_qs), 1);
    QCOMPARE(pages[0].count(u"财务部"_qs), 1); // the department merges down its rows
    QVERIFY(pages[0].contains(u"工 资 发 放 表"_qs));
}

void TestQuillonPrint::pngPagesAtZoom()
{
    const QString folder = m_dir.filePath(u"png"_qs);
    const Run r = run({ u"--png"_qs, folder, u"--zoom"_qs, u"2"_qs, sample(u"wide.json"_qs) });
    QCOMPARE(r.exitCode, 0);
    const QStringList files = QDir(folder).entryList({ u"*.png"_qs }, QDir::Files, QDir::Name);
    QCOMPARE(files, (QStringList { u"page-001.png"_qs, u"page-002.png"_qs }));
    // Landscape A4 at 192 dpi.
    QCOMPARE(QImageReader(QDir(folder).filePath(files[0])).size(), QSize(2245, 1587));
}

void TestQuillonPrint::badInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QString csv = sample(u"sales.csv"_qs);
    const QString out = QDir::tempPath() + u"/quillon-bad-input.pdf"_qs;
    QTest::newRow("no grid file") << QStringList { u"--pdf"_qs, out } << 2 << u"grid file"_qs;
    QTest::newRow("no output") << QStringList { csv } << 2 << u"--pdf"_qs;
    QTest::newRow("missing file") << QStringList { u"--pdf"_qs, out, u"/nonexistent.csv"_qs } << 2
                                  << u"无法读取"_qs;
    QTest::newRow("unknown property") << QStringList { u"--pdf"_qs, out, u"--set"_qs, u"Colour=1"_qs, csv }
                                      << 2 << u"Colour"_qs;
    QTest::newRow("bad value") << QStringList { u"--pdf"_qs, out, u"--set"_qs, u"TopMargin=abc"_qs, csv }
                               << 2 << u"TopMargin"_qs;
    QTest::newRow("overflow") << QStringList { u"--pdf"_qs, out, u"--set"_qs, u"GridType=70000"_qs, csv }
                              << 2 << u"GridType"_qs;
    QTest::newRow("not an assignment") << QStringList { u"--pdf"_qs, out, u"--format"_qs, u"Top"_qs, csv }
                                       << 2 << u"Name=Value"_qs;
    QTest::newRow("bad zoom") << QStringList { u"--png"_qs, out, u"--zoom"_qs, u"0"_qs, csv } << 2
                              << u"--zoom"_qs;
    QTest::newRow("unwritable output") << QStringList { u"--pdf"_qs, u"/proc/quillon/x.pdf"_qs, csv }
                                       << 1 << u"/proc/quillon"_qs;
}

void TestQuillonPrint::badInput()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const Run r = run(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
}

void TestQuillonPrint::oneOffJobsLeaveSavedFormatsAlone()
{
    const QString pdf = m_dir.filePath(u"oneoff.pdf"_qs);
    QCOMPARE(run({ u"--pdf"_qs, pdf, u"--format"_qs, u"LineCount=20"_qs, sample(u"sales.csv"_qs) }).exitCode, 0);
    QCOMPARE(pdfPages(pdf).size(), 12); // 236 rows at 20 a page
    QVERIFY(!QFile::exists(m_home.filePath(u"config/quillon/settings.ini"_qs)));
    QVERIFY(!QDir(m_home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).contains(u"config"_qs)
            || QDir(m_home.filePath(u"config"_qs)).isEmpty());
}

void TestQuillonPrint::settingsFileKeepsTheFormat()
{
    const QString settings = m_dir.filePath(u"formats.ini"_qs);
    const QString pdf = m_dir.filePath(u"kept.pdf"_qs);
    QCOMPARE(run({ u"--pdf"_qs, pdf, u"--settings"_qs, settings, u"--key"_qs, u"销售清单"_qs,
                   u"--format"_qs, u"LineCount=20"_qs, sample(u"sales.csv"_qs) })
                 .exitCode,
             0);
    QFile file(settings);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.contains(u"[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Orvane\\Quillon\\PGFMT\\销售清单]"_qs));
    QVERIFY(text.contains(u"\nLineCount=20\n"_qs));
    // The next run finds the stored format.
    QCOMPARE(run({ u"--pdf"_qs, pdf, u"--settings"_qs, settings, u"--key"_qs, u"销售清单"_qs,
                   sample(u"sales.csv"_qs) })
                 .exitCode,
             0);
    QCOMPARE(pdfPages(pdf).size(), 12);
}

void TestQuillonPrint::batchMessagesNeverWait()
{
    const QString pdf = m_dir.filePath(u"logo.pdf"_qs);
    QProcessEnvironment env;
    env.insert(u"DISPLAY"_qs, u":0"_qs); // even with a display, a batch job asks no one
    env.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
    const Run r = run({ u"--pdf"_qs, pdf, u"--format"_qs, u"LogPicPrt=1"_qs, u"--format"_qs,
                        u"LogPic=/nonexistent/logo.png"_qs, sample(u"sales.csv"_qs) },
                      env);
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.err.contains(u"徽标文件/nonexistent/logo.png没有找到。"_qs), qPrintable(r.err));
    QCOMPARE(pdfPages(pdf).size(), 5);
}

// Every JSON example of docs/grid-file.md is a grid file that prints.
void TestQuillonPrint::documentedExamplesPrint()
{
    QFile doc(QStringLiteral(QUILLON_SOURCE_DIR "/docs/grid-file.md"));
    QVERIFY(doc.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(doc.readAll());
    int examples = 0;
    for (auto it = QRegularExpression(u"```json\\n(.*?)```"_qs,
                                      QRegularExpression::DotMatchesEverythingOption)
                       .globalMatch(text);
         it.hasNext();) {
        const QString json = it.next().captured(1);
        const QString path = m_dir.filePath(u"doc-%1.json"_qs.arg(++examples));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(json.toUtf8());
        f.close();
        const Run r = run({ u"--pdf"_qs, path + u".pdf"_qs, path });
        QVERIFY2(r.exitCode == 0, qPrintable(path + u": "_qs + r.err));
    }
    QCOMPARE(examples, 4);
}

QUILLON_TEST_MAIN(TestQuillonPrint)
#include "tst_quillonprint.moc"
