#include "api/myprint_p.h"
#include "support/testplatform.h"
#include "testmain.h"

#include "engine/layout/loadsettings.h"
#include "engine/state/enginestate.h"
#include "engine/state/formatio.h"
#include "engine/state/messagesink.h"
#include "engine/state/registry.h"
#include "printer/virtualprintingsystem.h"

#include <quillon/flexgrid.h>
#include <quillon/formatfields.h>

#include <quillon/myprint.h>
#include <quillon/vouchergrid.h>
#include <unistd.h>

using namespace quillon;

namespace {
const QString kReport = QStringLiteral("月报");
const QString kFull = QStringLiteral("HKEY_LOCAL_MACHINE\\") + kFormatKeyBase + kReport;
} // namespace

// The page-format table against what the format load really reads and writes.
class TestFormatFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { TestPlatform::uninstall(); }
    void tableMatchesWhatALoadStores();
    void checkValue_data();
    void checkValue();
    void storedValueOutOfRangeFallsBack();
    void consoleLineNamesFileAndReport_data();
    void consoleLineNamesFileAndReport();
    void consoleRepeatsHeldBackWithinAJob();

private:
    TestPlatform m_platform;
    std::unique_ptr<MyPrint> m_job;
    std::unique_ptr<VoucherGrid> m_grid;
};

void TestFormatFields::init()
{
    m_platform = TestPlatform::install(VirtualPrintingSystem::withPdfPrinter());
    m_grid = std::make_unique<VoucherGrid>(); // the kind that reads every value
    m_job = std::make_unique<MyPrint>();
    m_job->setPrintKeyName(kReport);
    m_job->setDatagrid(m_grid.get());
    m_job->setGridType(MyPrint::MnuGridType::ssTesselGrid);
    engineState().setPrintObject(&MyPrintPrivate::get(*m_job));
}

void TestFormatFields::tableMatchesWhatALoadStores()
{
    LoadFormat(engineState());
    LoadSettings(engineState());
    SaveFormat(engineState());
    const QStringList stored = m_platform.store->valueNames(kFull);
    QCOMPARE(stored.size(), formatFields().size());
    for (const QString &name : stored) {
        const FormatField *field = findFormatField(name);
        QVERIFY2(field, qPrintable(name));
        const QString value = m_platform.store->value(kFull, name).value_or(QString());
        // The printer and the paper decide these; every other default is the table's.
        if (!QStringList { u"PrinterName"_qs, u"PaperSize"_qs, u"PageWidth"_qs, u"PageHeight"_qs }
                 .contains(field->name))
            QCOMPARE(value, field->defaultValue);
        bool isNumber = false;
        const qint64 number = value.toLongLong(&isNumber);
        QVERIFY2(field->type == FormatField::Type::Text || (isNumber && field->allows(number)),
            qPrintable(name + u'=' + value));
    }
    QVERIFY(m_platform.sink->messages().isEmpty());
}

void TestFormatFields::checkValue_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("problem"); // empty: accepted
    QTest::newRow("margin") << u"Top"_qs << u"15"_qs << QString();
    QTest::newRow("any case") << u"hORIcUTpAGE"_qs << u"1"_qs << QString();
    QTest::newRow("text") << u"LogText"_qs << u"第一行\n第二行"_qs << QString();
    QTest::newRow("bold as saved") << u"FONT3_Bold"_qs << u"-1"_qs << QString();
    QTest::newRow("no colour of the grid's own") << u"JeLineColor"_qs << u"-1"_qs << QString();
    QTest::newRow("unknown") << u"Colour"_qs << u"1"_qs << u"没有名为“Colour”"_qs;
    QTest::newRow("font past 9") << u"FONT10_Size"_qs << u"11"_qs << u"FONT10_Size"_qs;
    QTest::newRow("not a number") << u"LineCount"_qs << u"二十"_qs << u"应为整数"_qs;
    QTest::newRow("fraction") << u"Left"_qs << u"5.5"_qs << u"应为整数"_qs;
    QTest::newRow("negative margin") << u"Top"_qs << u"-50"_qs << u"0 到 500"_qs;
    QTest::newRow("huge font") << u"FONT0_Size"_qs << u"5000"_qs << u"1 到 200"_qs;
    QTest::newRow("flag of 2") << u"PrintDate"_qs << u"2"_qs << u"0 到 1"_qs;
    QTest::newRow("orientation 3") << u"PaperOriention"_qs << u"3"_qs << u"1 到 2"_qs;
    QTest::newRow("colour past white") << u"GridColor"_qs << u"16777216"_qs << u"16777215"_qs;
}

void TestFormatFields::checkValue()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, problem);
    const QString why = checkFormatValue(name, value);
    if (problem.isEmpty())
        QCOMPARE(why, QString());
    else
        QVERIFY2(why.contains(problem), qPrintable(why));
}

void TestFormatFields::storedValueOutOfRangeFallsBack()
{
    m_job->setLeftMargin(150); // the host's own value is taken as it is
    m_platform.store->createKey(kFull);
    m_platform.store->setValue(kFull, u"Top"_qs, u"-50"_qs);
    m_platform.store->setValue(kFull, u"FONT0_Size"_qs, u"5000"_qs);
    LoadFormat(engineState());
    LoadSettings(engineState());
    const EngineState &s = engineState();
    QCOMPARE(s.Format.Top, 10);
    QVERIFY(s.FontTable[0].Size < 200); // read twice, as ever: the second fallback is 11
    QCOMPARE(s.Format.Left, 150);
    QCOMPARE(m_platform.sink->messages().size(), 2); // fonts, then values
    QVERIFY(m_platform.sink->messages()[0].prompt.contains(u"FONT0_Size=“5000”"_qs));
    QVERIFY(m_platform.sink->messages()[1].prompt.contains(u"Top=“-50”，改用 10"_qs));
    QCOMPARE(m_platform.store->value(kFull, u"Top"_qs), std::optional<QString>(u"-50"_qs));
}

void TestFormatFields::consoleLineNamesFileAndReport_data()
{
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("line");
    QTest::newRow("format key")
        << u"设置“"_qs + kFormatKeyBase + kReport + u"”中以下值无效"_qs
        << u"tst_formatfields: 报表“月报”: 设置“/s.ini（报表 月报）”中以下值无效"_qs;
    QTest::newRow("full path with a name")
        << u"注册表值(HKEY_LOCAL_MACHINE\\"_qs + kFormatKeyBase + u"甲\\Top)保存有误。"_qs
        << u"tst_formatfields: 报表“月报”: 注册表值(/s.ini（报表 甲）\\Top)保存有误。"_qs;
    QTest::newRow("common key")
        << u"注册表值("_qs + kCommonKey + u"ZoomRate)保存有误。"_qs
        << u"tst_formatfields: 报表“月报”: 注册表值(/s.ini（公共设置）ZoomRate)保存有误。"_qs;
    QTest::newRow("plain") << u"徽标文件x.png没有找到。"_qs
                           << u"tst_formatfields: 报表“月报”: 徽标文件x.png没有找到。"_qs;
}

void TestFormatFields::consoleLineNamesFileAndReport()
{
    QFETCH(QString, prompt);
    QFETCH(QString, line);
    ConsoleMessageSink sink;
    sink.setSettingsName([] { return u"/s.ini"_qs; });
    QCOMPARE(sink.line(prompt), line);
}

void TestFormatFields::consoleRepeatsHeldBackWithinAJob()
{
    // A job that lays out twice says a thing once; the next job says it again.
    ConsoleMessageSink sink;
    QTemporaryFile err;
    QVERIFY(err.open());
    const int saved = dup(STDERR_FILENO);
    dup2(err.handle(), STDERR_FILENO);
    for (int job = 0; job < 2; ++job) {
        sink.beginJob();
        sink.show(u"最小行高"_qs, 48, {});
        sink.show(u"最小行高"_qs, 48, {});
    }
    dup2(saved, STDERR_FILENO);
    ::close(saved);
    err.seek(0);
    QCOMPARE(QString::fromUtf8(err.readAll()).count(u"最小行高"_qs), 2);
}

QUILLON_TEST_MAIN(TestFormatFields)
#include "tst_formatfields.moc"
