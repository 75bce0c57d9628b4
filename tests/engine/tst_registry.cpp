#include "api/myprint_p.h"
#include "support/testplatform.h"
#include "testmain.h"

#include "engine/state/enginestate.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "engine/state/registry.h"
#include "platform/interfaces/memorysettingsstore.h"

#include <quillon/myprint.h>

using namespace quillon;

namespace {
const QString kKey = kFormatKeyBase + QStringLiteral("月报");
const QString kFull = QStringLiteral("HKEY_LOCAL_MACHINE\\") + kKey;
} // namespace

class TestRegistry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void missingValueStoresDefault();
    void storedValuesAreTrimmedAndNeverReplaced_data();
    void storedValuesAreTrimmedAndNeverReplaced();
    void longValuesReadWhole();
    void keyPathsAndNamesIgnoreCase();
    void readFailureMessages();
    void writeCreatesKeyAndReportsFailures();
    void showMessageTitleAndAnswers();
    void defaultButtons_data();
    void defaultButtons();

private:
    MemorySettingsStore *m_store = nullptr;
    RecordingMessageSink *m_sink = nullptr;
};

void TestRegistry::init()
{
    const TestPlatform platform = TestPlatform::install();
    m_store = platform.store;
    m_sink = platform.sink;
}

void TestRegistry::missingValueStoresDefault()
{
    QCOMPARE(m_store->keyHandle(kFull), 0);
    QCOMPARE(ReadSetting(RootKey::LocalMachine, kKey, u"Top"_qs, u"10"_qs), u"10"_qs);
    QVERIFY(m_store->keyHandle(kFull) != 0);
    QCOMPARE(m_store->value(kFull, u"Top"_qs), std::optional<QString>(u"10"_qs));
    // The second read finds the stored text, whatever default it is given.
    QCOMPARE(ReadSetting(RootKey::LocalMachine, kKey, u"Top"_qs, u"99"_qs), u"10"_qs);
    QCOMPARE(m_store->writes(), QStringList { u"Top=10"_qs });
    QVERIFY(m_sink->messages().isEmpty());
}

void TestRegistry::storedValuesAreTrimmedAndNeverReplaced_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("read");
    QTest::newRow("blanks around") << u" 12 "_qs << u"12"_qs;
    QTest::newRow("empty stays empty") << QString() << QString();
    QTest::newRow("only blanks") << u"   "_qs << QString();
    QTest::newRow("text") << u"宋体"_qs << u"宋体"_qs;
    QTest::newRow("cut at NUL") << (u"ab"_qs + QChar(0) + u"cd"_qs) << u"ab"_qs;
}

void TestRegistry::storedValuesAreTrimmedAndNeverReplaced()
{
    QFETCH(QString, stored);
    QFETCH(QString, read);
    QVERIFY(m_store->createKey(kFull));
    QVERIFY(m_store->setValue(kFull, u"FONT1_Name"_qs, stored));
    m_store->clearWrites();
    QCOMPARE(ReadSetting(RootKey::LocalMachine, kKey, u"FONT1_Name"_qs, u"默认"_qs), read);
    QVERIFY(m_store->writes().isEmpty());
    QCOMPARE(m_store->value(kFull, u"FONT1_Name"_qs), std::optional<QString>(stored));
}

void TestRegistry::longValuesReadWhole()
{
    const QString longText = QString(u"汉"_qs).repeated(400) + u"尾"_qs;
    WriteSetting(RootKey::LocalMachine, kKey, u"LogText"_qs, longText);
    QCOMPARE(ReadSetting(RootKey::LocalMachine, kKey, u"LogText"_qs, QString()), longText);
}

void TestRegistry::keyPathsAndNamesIgnoreCase()
{
    WriteSetting(RootKey::LocalMachine, kCommonKey, u"ZoomRate"_qs, u"0.75"_qs);
    QString upper = kCommonKey.toUpper();
    upper.chop(1); // without the trailing backslash
    QCOMPARE(ReadSetting(RootKey::LocalMachine, upper, u"zoomrate"_qs, u"1"_qs), u"0.75"_qs);
    WriteSetting(RootKey::LocalMachine, kKey, u"LogTextPrt"_qs, u"1"_qs);
    QCOMPARE(ReadSetting(RootKey::LocalMachine, kKey, u"LogtextPrt"_qs, u"0"_qs), u"1"_qs);
}

void TestRegistry::readFailureMessages()
{
    m_store->setFailCreateKey(true);
    QCOMPARE(ReadSetting(RootKey::LocalMachine, kKey, u"Top"_qs, u"10"_qs), u"10"_qs);
    QCOMPARE(m_sink->messages().size(), 1);
    QCOMPARE(m_sink->messages()[0].title, u"RegCreateKeyex Err"_qs);
    QCOMPARE(m_sink->messages()[0].prompt, u"注册表键值(0Top)建立有误。"_qs);
    QCOMPARE(m_sink->messages()[0].buttons, 0x10000);

    m_store->setFailCreateKey(false);
    QVERIFY(m_store->createKey(kFull));
    const qint64 handle = m_store->keyHandle(kFull);
    m_store->setFailSetValue(true);
    QCOMPARE(ReadSetting(RootKey::LocalMachine, kKey, u"Left"_qs, u"5"_qs), u"5"_qs);
    QCOMPARE(m_sink->messages().size(), 2);
    QCOMPARE(m_sink->messages()[1].title, u"RegSetValueEx Err"_qs);
    QCOMPARE(m_sink->messages()[1].prompt,
        u"注册表键值("_qs + QString::number(handle) + u"Left)建立有误。"_qs);
}

void TestRegistry::writeCreatesKeyAndReportsFailures()
{
    WriteSetting(RootKey::LocalMachine, kKey, u"Top"_qs, u"12"_qs);
    QCOMPARE(m_store->value(kFull, u"Top"_qs), std::optional<QString>(u"12"_qs));
    QVERIFY(m_sink->messages().isEmpty());

    m_store->setFailSetValue(true);
    WriteSetting(RootKey::LocalMachine, kKey, u"Top"_qs, u"13"_qs);
    m_store->setFailSetValue(false);
    m_store->setFailCreateKey(true);
    WriteSetting(RootKey::LocalMachine, kCommonKey, u"ZoomRate"_qs, u"2"_qs);

    QCOMPARE(m_sink->messages().size(), 2);
    QCOMPARE(m_sink->messages()[0].title, u"RegSetValueEx Err"_qs);
    QCOMPARE(m_sink->messages()[0].prompt,
        u"注册表值(Software\\Velmora\\Orvane\\Quillon\\PGFMT\\月报\\Top)保存有误。"_qs);
    QCOMPARE(m_sink->messages()[1].title, u"RegCreateKeyEx Err"_qs);
    QCOMPARE(m_sink->messages()[1].prompt,
        u"注册表值(Software\\Velmora\\Orvane\\Quillon\\PrtCom\\\\ZoomRate)保存有误。"_qs);
    QCOMPARE(m_store->value(kFull, u"Top"_qs), std::optional<QString>(u"12"_qs));
}

void TestRegistry::showMessageTitleAndAnswers()
{
    // Without a job, the title is the Caption of a fresh default print object.
    QCOMPARE(ShowMessage(u"请先安装打印机。"_qs, 48), 1);
    QCOMPARE(m_sink->messages().last().title, u"打印预览"_qs);
    QCOMPARE(m_sink->messages().last().buttons, 0x10000 | 48);

    MyPrint job;
    job.setCaption(u"销售报表"_qs);
    engineState().setPrintObject(&MyPrintPrivate::get(job));
    m_sink->scriptAnswer(7);
    QCOMPARE(ShowMessage(u"保存页面格式吗？"_qs, 4 + 32), 7);
    QCOMPARE(m_sink->messages().last().title, u"销售报表"_qs);
    QCOMPARE(ShowMessage(u"x"_qs, 0, u"自己的标题"_qs), 1);
    QCOMPARE(m_sink->messages().last().title, u"自己的标题"_qs);
    QCOMPARE(ShowMessage(u"x"_qs, 0, QString()), 1);
    QCOMPARE(m_sink->messages().last().title, QString()); // an empty title is a title
}

void TestRegistry::defaultButtons_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("answer");
    QTest::newRow("OK") << 0 << 1;
    QTest::newRow("OK with icon and foreground") << (0x10000 | 64) << 1;
    QTest::newRow("OK/Cancel") << 1 << 1;
    QTest::newRow("OK/Cancel, second default") << (1 | 0x100) << 2;
    QTest::newRow("Abort/Retry/Ignore") << 2 << 3;
    QTest::newRow("Yes/No/Cancel third default") << (3 | 0x200) << 2;
    QTest::newRow("Yes/No") << (4 | 32) << 6;
    QTest::newRow("Yes/No, second default") << (4 | 0x100) << 7;
    QTest::newRow("Retry/Cancel") << 5 << 4;
    QTest::newRow("default past the buttons") << (0 | 0x200) << 1;
}

void TestRegistry::defaultButtons()
{
    QFETCH(int, buttons);
    QFETCH(int, answer);
    QCOMPARE(MessageSink::defaultButton(buttons), answer);
    ConsoleMessageSink console;
    QCOMPARE(console.show(u"控制台消息"_qs, buttons, u"标题"_qs), answer);
}

QUILLON_TEST_MAIN(TestRegistry)
#include "tst_registry.moc"
