#include "support/testplatform.h"
#include "testmain.h"

#include "engine/state/enginestate.h"
#include "engine/state/htmlexport.h"
#include "engine/state/printproperties.h"

#include <QStandardPaths>
#include <QTemporaryDir>

using namespace quillon;

// The text export of the title lines: its line rules and padding, and the file it writes.
class TestHtmlExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void lines_data();
    void lines();
    void writesTheFile();
    void replacesAnEarlierExport();
    void reportsAFolderItCannotMake();
    void defaultFolderIsTheUsersDataFolder();

private:
    TestPlatform m_platform;
    std::unique_ptr<PrintProperties> m_print;
};

namespace {

/// A header lines table from entries "text|newline|alignment".
LineTable headLines(const QStringList &entries)
{
    LineTable table;
    for (const QString &entry : entries) {
        const QStringList parts = entry.split(u'|');
        table.append({ parts[0], parts[1], parts[2], u"0"_qs });
    }
    return table;
}

QString spaces(int n)
{
    return QString(n, u' ');
}

} // namespace

void TestHtmlExport::init()
{
    m_platform = TestPlatform::install();
    m_print = std::make_unique<PrintProperties>();
    engineState().setPrintObject(m_print.get());
}

void TestHtmlExport::cleanup()
{
    TestPlatform::uninstall();
    m_print.reset();
}

void TestHtmlExport::lines_data()
{
    QTest::addColumn<QString>("mainTitle");
    QTest::addColumn<QString>("subTitle");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("titles only") << u"A"_qs << QString() << QStringList {}
                                 << QStringList { u"A"_qs, QString() };
    QTest::newRow("two entries on one line take the first one's padding")
        << u"T"_qs << u"S"_qs << QStringList { u"x|0|2"_qs, u"y|1|0"_qs }
        << QStringList { u"T"_qs, u"S"_qs, spaces(20) + u"xy"_qs };
    QTest::newRow("codes 3, 4 and 5")
        << u"T"_qs << u"S"_qs << QStringList { u"a|1|3"_qs, u"b|1|4"_qs, u"c|1|5"_qs }
        << QStringList { u"T"_qs, u"S"_qs, spaces(40) + u"a"_qs, spaces(60) + u"b"_qs,
               spaces(80) + u"c"_qs };
    QTest::newRow("each entry pads the whole pending line")
        << u"T"_qs << u"S"_qs << QStringList { u"x|0|2"_qs, u"y|1|3"_qs }
        << QStringList { u"T"_qs, u"S"_qs, spaces(60) + u"xy"_qs };
    QTest::newRow("other codes add nothing")
        << u"T"_qs << u"S"_qs
        << QStringList { u"a|1|-1"_qs, u"b|1|0"_qs, u"c|1|1"_qs, u"d|1|6"_qs, u"e|1| 2"_qs }
        << QStringList { u"T"_qs, u"S"_qs, u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs, u"e"_qs };
    QTest::newRow("only a flag that reads as 1 ends a line")
        << u"T"_qs << u"S"_qs
        << QStringList { u"a|True|1"_qs, u"b|2|1"_qs, u"c| 1 |1"_qs, u"d|x|1"_qs, u"e|1|1"_qs }
        << QStringList { u"T"_qs, u"S"_qs, u"abc"_qs, u"de"_qs };
    QTest::newRow("a line left open at the end is kept")
        << u"销售日报"_qs << u"单位：元"_qs
        << QStringList { u"统计口径：含税销售额|1|1"_qs, u"数据来源：销售管理系统|0|5"_qs }
        << QStringList { u"销售日报"_qs, u"单位：元"_qs, u"统计口径：含税销售额"_qs,
               spaces(80) + u"数据来源：销售管理系统"_qs };
    QTest::newRow("nothing but padding left open is no line")
        << u"T"_qs << u"S"_qs << QStringList { u"a|1|1"_qs, u"|0|3"_qs }
        << QStringList { u"T"_qs, u"S"_qs, u"a"_qs };
}

void TestHtmlExport::lines()
{
    QFETCH(QString, mainTitle);
    QFETCH(QString, subTitle);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, lines);
    QCOMPARE(HtmlExportLines(mainTitle, subTitle, headLines(entries)), lines);
}

void TestHtmlExport::writesTheFile()
{
    // The folder and its html folder are made; CR LF ends every line; Chinese text stays.
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"data/html"_qs);
    m_print->MainTitle = u"A"_qs;
    QVERIFY(ExportHtml(folder));
    QFile file(folder + u"/t.htm"_qs);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("A\r\n\r\n"));

    m_print->MainTitle = u"工资表"_qs;
    m_print->SubTitle = u"二〇二六年"_qs;
    engineState().HeadLines = headLines({ u"x|0|2"_qs, u"y|1|0"_qs });
    QVERIFY(ExportHtml(folder));
    file.close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()),
        u"工资表\r\n二〇二六年\r\n"_qs + spaces(20) + u"xy\r\n"_qs);
    QVERIFY(m_platform.sink->messages().isEmpty());
}

void TestHtmlExport::replacesAnEarlierExport()
{
    QTemporaryDir dir;
    QFile old(dir.filePath(u"t.htm"_qs));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an earlier and longer export\r\nwith two lines\r\n");
    old.close();
    m_print->MainTitle = u"B"_qs;
    QVERIFY(ExportHtml(dir.path()));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("B\r\n\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList { u"t.htm"_qs });
}

void TestHtmlExport::reportsAFolderItCannotMake()
{
    // A file where the folder should be: shown as a message, nothing thrown.
    QTemporaryDir dir;
    QFile blocker(dir.filePath(u"html"_qs));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QCOMPARE(ExportHtml(blocker.fileName()), false);
    QCOMPARE(m_platform.sink->messages().size(), 1);
    QVERIFY2(m_platform.sink->messages().first().prompt.contains(blocker.fileName()),
        qPrintable(m_platform.sink->messages().first().prompt));
}

void TestHtmlExport::defaultFolderIsTheUsersDataFolder()
{
    QStandardPaths::setTestModeEnabled(true);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QCOMPARE(htmlExportFolder(), data + u"/quillon/html"_qs);
    QStandardPaths::setTestModeEnabled(false);
}

QUILLON_TEST_MAIN(TestHtmlExport)
#include "tst_htmlexport.moc"
