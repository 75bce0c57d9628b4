#include "testmain.h"

#include "engine/state/enginestate.h"

#include <quillon/error.h>
#include <quillon/flexgrid.h>
#include <quillon/myprint.h>

#include <QMetaEnum>
#include <QRegularExpression>

using namespace quillon;

class TestMyPrint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { resetEngineState(); }

    void defaultsByName_data();
    void defaultsByName();
    void everyPropertyIsWritableByName_data();
    void everyPropertyIsWritableByName();
    void thirtySixProperties();
    void enumerations_data();
    void enumerations();
    void enumPropertiesAcceptNamesAndNumbers();
    void sixteenBitChecks_data();
    void sixteenBitChecks();
    void addHeadGrowsTable();
    void addMethodsFillTheirOwnTables();
    void addHeadIsLateBound();
    void addHeadRefusesOversizedAlignment();
    void newObjectClearsSharedLines();
    void datagridByValueAndByReference();
    void datagridIsNotOwned();
    void typeLibraryIdentities();
    void printOverSignal();
};

// The whole property table: name, type, default.
void TestMyPrint::defaultsByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QMetaType>("type");
    QTest::addColumn<QVariant>("expected");

    const QMetaType i16 = QMetaType::fromType<qint16>();
    const QMetaType i32 = QMetaType::fromType<qint32>();
    const QMetaType str = QMetaType::fromType<QString>();
    const QMetaType boo = QMetaType::fromType<bool>();
    const QMetaType obj = QMetaType::fromType<QObject *>();
    auto row = [](const char *name, QMetaType type, const QVariant &value) {
        QTest::newRow(name) << QString::fromLatin1(name) << type << value;
    };
    row("Caption", str, QStringLiteral("打印预览"));
    row("ZoomRatio", i16, 1);
    row("Datagrid", obj, QVariant());
    row("MainTitle", str, QString());
    row("SubTitle", str, QString());
    row("TopMargin", i16, 10);
    row("BottomMargin", i16, 5);
    row("LeftMargin", i16, 5);
    row("RightMargin", i16, 5);
    row("PageHeight", i16, 0);
    row("PageWidth", i16, 0);
    row("RowHeight", i16, 0);
    row("GridType", QMetaType::fromType<MyPrint::MnuGridType>(), 0);
    row("PrintColStart", i32, -1);
    row("PrintColEnd", i32, -1);
    row("MinTitleLen", i16, 0);
    row("LineHeight", i16, 0);
    row("LineCount", i16, 0);
    row("PaperSize", i16, 0);
    row("PaperOrient", QMetaType::fromType<MyPrint::Oriention>(), 1);
    row("Operator", str, QString());
    row("FixRowsHeight", i16, 0);
    row("FillBlankLines", boo, false);
    row("PrintKeyName", str, QStringLiteral("DefaultFormat"));
    row("PageHCenter", boo, false);
    row("PageVcenter", boo, false);
    row("BorderStyle", QMetaType::fromType<MyPrint::enuBdSy>(), 1);
    row("gridrows", i32, 1);
    row("MergeAll", boo, false);
    row("HeadCount", i16, 5);
    row("FootCount", i16, 5);
    row("PrintEnd", boo, false);
    row("CallMod", str, QString());
    row("DatagridSecond", obj, QVariant());
    row("MainTitle1", str, QString());
    row("MuitGrid", boo, false);
}

void TestMyPrint::defaultsByName()
{
    QFETCH(QString, name);
    QFETCH(QMetaType, type);
    QFETCH(QVariant, expected);

    MyPrint print;
    const QMetaObject *mo = print.metaObject();
    const int index = mo->indexOfProperty(name.toLatin1().constData());
    QVERIFY2(index >= 0, qPrintable(name));
    QCOMPARE(mo->property(index).metaType(), type);

    const QVariant value = print.property(name.toLatin1().constData());
    QVERIFY(value.isValid());
    if (type == QMetaType::fromType<QObject *>())
        QCOMPARE(value.value<QObject *>(), nullptr);
    else if (type == QMetaType::fromType<QString>())
        QCOMPARE(value.toString(), expected.toString());
    else
        QCOMPARE(value.toInt(), expected.toInt());
}

void TestMyPrint::everyPropertyIsWritableByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("Caption") << u"Caption"_qs << QVariant(u"报表"_qs);
    QTest::newRow("ZoomRatio") << u"ZoomRatio"_qs << QVariant(2);
    QTest::newRow("TopMargin") << u"TopMargin"_qs << QVariant(15);
    QTest::newRow("PrintColEnd") << u"PrintColEnd"_qs << QVariant(100000);
    QTest::newRow("PrintKeyName") << u"PrintKeyName"_qs << QVariant(u"销售日报"_qs);
    QTest::newRow("FillBlankLines") << u"FillBlankLines"_qs << QVariant(true);
    QTest::newRow("gridrows") << u"gridrows"_qs << QVariant(250);
    QTest::newRow("MuitGrid") << u"MuitGrid"_qs << QVariant(true);
    QTest::newRow("CallMod") << u"CallMod"_qs << QVariant(u"凭证"_qs);
}

void TestMyPrint::everyPropertyIsWritableByName()
{
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    MyPrint print;
    const QByteArray key = name.toLatin1();
    QVERIFY(print.setProperty(key.constData(), value));
    QCOMPARE(print.property(key.constData()).toString(), value.toString());
}

void TestMyPrint::thirtySixProperties()
{
    const QMetaObject *mo = &MyPrint::staticMetaObject;
    int own = 0;
    for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i) {
        QVERIFY(mo->property(i).isReadable());
        QVERIFY(mo->property(i).isWritable());
        ++own;
    }
    QCOMPARE(own, 36);
}

void TestMyPrint::enumerations_data()
{
    QTest::addColumn<QByteArray>("enumName");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QList<int>>("values");
    QTest::newRow("MnuGridType") << QByteArray("MnuGridType")
                                 << QStringList { u"ssFormOne6"_qs, u"ssTesselGrid"_qs,
                                        u"ssMsDBGrid"_qs, u"ssMsDataGrid"_qs, u"ssMsflexGrid"_qs,
                                        u"ssMsHFlexGrid"_qs, u"ssMsGrid"_qs, u"ssSpread"_qs }
                                 << QList<int> { 1, 2, 3, 4, 5, 6, 7, 8 };
    QTest::newRow("Oriention") << QByteArray("Oriention")
                               << QStringList { u"Portrait"_qs, u"Landscape"_qs }
                               << QList<int> { 1, 2 };
    QTest::newRow("enuBdSy") << QByteArray("enuBdSy")
                             << QStringList { u"sssinglebox"_qs, u"ssdoublebox"_qs, u"sstbside"_qs,
                                    u"ssformulaone"_qs, u"ssnoborder"_qs }
                             << QList<int> { 1, 2, 3, 4, 5 };
}

void TestMyPrint::enumerations()
{
    QFETCH(QByteArray, enumName);
    QFETCH(QStringList, keys);
    QFETCH(QList<int>, values);
    const QMetaObject &mo = MyPrint::staticMetaObject;
    const int index = mo.indexOfEnumerator(enumName.constData());
    QVERIFY(index >= 0);
    const QMetaEnum me = mo.enumerator(index);
    QCOMPARE(me.keyCount(), keys.size());
    for (int i = 0; i < keys.size(); ++i) {
        QCOMPARE(QString::fromLatin1(me.key(i)), keys[i]);
        QCOMPARE(me.value(i), values[i]);
    }
}

void TestMyPrint::enumPropertiesAcceptNamesAndNumbers()
{
    MyPrint print;
    QVERIFY(print.setProperty("GridType", 5));
    QCOMPARE(print.GridType(), MyPrint::MnuGridType::ssMsflexGrid);
    QVERIFY(print.setProperty("GridType", u"ssSpread"_qs));
    QCOMPARE(print.property("GridType").toInt(), 8);
    QVERIFY(print.setProperty("PaperOrient", 2));
    QCOMPARE(print.PaperOrient(), MyPrint::Oriention::Landscape);
    QVERIFY(print.setProperty("BorderStyle", u"sstbside"_qs));
    QCOMPARE(print.BorderStyle(), MyPrint::enuBdSy::sstbside);
}

void TestMyPrint::sixteenBitChecks_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("refused");
    for (const char *name : { "GridType", "PaperOrient" }) {
        const QByteArray n(name);
        QTest::addRow("%s 32767", name) << n << 32767 << false;
        QTest::addRow("%s -32768", name) << n << -32768 << false;
        QTest::addRow("%s 32768", name) << n << 32768 << true;
        QTest::addRow("%s -32769", name) << n << -32769 << true;
        QTest::addRow("%s 70000", name) << n << 70000 << true;
    }
}

void TestMyPrint::sixteenBitChecks()
{
    QFETCH(QByteArray, name);
    QFETCH(int, value);
    QFETCH(bool, refused);

    // Through the property system.
    MyPrint late;
    const int before = late.property(name.constData()).toInt();
    bool threw = false;
    try {
        late.setProperty(name.constData(), value);
    } catch (const OverflowError &e) {
        threw = true;
        QCOMPARE(e.number(), 6);
    }
    QCOMPARE(threw, refused);
    QCOMPARE(late.property(name.constData()).toInt(), refused ? before : value);

    // Through the C++ setter.
    MyPrint early;
    threw = false;
    try {
        if (name == "GridType")
            early.setGridType(static_cast<MyPrint::MnuGridType>(value));
        else
            early.setPaperOrient(static_cast<MyPrint::Oriention>(value));
    } catch (const OverflowError &) {
        threw = true;
    }
    QCOMPARE(threw, refused);
    const int stored = name == "GridType" ? int(early.GridType()) : int(early.PaperOrient());
    QCOMPARE(stored, refused ? before : value);
}

void TestMyPrint::addHeadGrowsTable()
{
    MyPrint print;
    print.AddHead(u"单位:元"_qs, 0, 0, 0);
    print.AddHead(u"日期"_qs, 1, 1, 0);
    print.AddHead(u"x"_qs, 1, 2, 255);

    const LineTable &lines = engineState().HeadLines;
    QCOMPARE(lines.lastRow(), 3);
    QCOMPARE(lines.row(0), LineTable::Row {});
    QCOMPARE(lines.row(1), (LineTable::Row { u"单位:元"_qs, u"0"_qs, u"0"_qs, u"0"_qs }));
    QCOMPARE(lines.row(3), (LineTable::Row { u"x"_qs, u"1"_qs, u"2"_qs, u"255"_qs }));
    // The newline flag is a variant converted to text.
    print.AddHead(u"y"_qs, QVariant(1.0), -3, -1);
    QCOMPARE(lines.row(4), (LineTable::Row { u"y"_qs, u"1"_qs, u"-3"_qs, u"-1"_qs }));
}

void TestMyPrint::addMethodsFillTheirOwnTables()
{
    MyPrint print;
    print.AddFoot(u"制表人"_qs, 1, 0, 0);
    print.AddHead1(u"第二表"_qs, 1, 1, 0);
    print.AddFoot1(u"a"_qs, 0, 0, 0);
    print.AddFoot1(u"b"_qs, 1, 2, 0);
    const EngineState &s = engineState();
    QCOMPARE(s.HeadLines.lastRow(), 0);
    QCOMPARE(s.FootLines.lastRow(), 1);
    QCOMPARE(s.HeadLines1.lastRow(), 1);
    QCOMPARE(s.FootLines1.lastRow(), 2);
    QCOMPARE(s.FootLines.cell(1, LineTable::Text), u"制表人"_qs);
    QCOMPARE(s.FootLines1.cell(2, LineTable::Alignment), u"2"_qs);
}

void TestMyPrint::addHeadIsLateBound()
{
    MyPrint print;
    QObject *object = &print;
    QVERIFY(QMetaObject::invokeMethod(object, "AddHead", Q_ARG(QString, u"晚绑定"_qs),
        Q_ARG(QVariant, QVariant(u"1"_qs)), Q_ARG(int, 2), Q_ARG(qint32, 128)));
    QCOMPARE(engineState().HeadLines.row(1),
        (LineTable::Row { u"晚绑定"_qs, u"1"_qs, u"2"_qs, u"128"_qs }));
}

void TestMyPrint::addHeadRefusesOversizedAlignment()
{
    MyPrint print;
    QVERIFY_THROWS_EXCEPTION(OverflowError, print.AddHead(u"x"_qs, 1, 40000, 0));
    QCOMPARE(engineState().HeadLines.lastRow(), 0);
}

void TestMyPrint::newObjectClearsSharedLines()
{
    MyPrint first;
    first.AddHead(u"a"_qs, 1, 0, 0);
    first.AddFoot(u"b"_qs, 1, 0, 0);
    first.AddHead1(u"c"_qs, 1, 0, 0);
    first.AddFoot1(u"d"_qs, 1, 0, 0);
    QCOMPARE(engineState().HeadLines.lastRow(), 1);

    MyPrint second;
    const EngineState &s = engineState();
    for (const LineTable *table : { &s.HeadLines, &s.FootLines, &s.HeadLines1, &s.FootLines1 }) {
        QCOMPARE(table->lastRow(), 0);
        QCOMPARE(table->row(0), LineTable::Row {});
    }
}

void TestMyPrint::datagridByValueAndByReference()
{
    FlexGrid grid;
    grid.setSize(3, 2);

    MyPrint byValue;
    QVERIFY(byValue.setProperty("Datagrid", QVariant::fromValue(&grid)));
    MyPrint byReference;
    byReference.setDatagrid(&grid);
    QCOMPARE(byValue.Datagrid(), &grid);
    QCOMPARE(byReference.property("Datagrid").value<QObject *>(), &grid);

    // Both hold the grid itself, not a copy: later changes are seen.
    grid.setTextMatrix(2, 1, u"后来"_qs);
    auto *held = qobject_cast<FlexGrid *>(byValue.Datagrid());
    QVERIFY(held);
    QCOMPARE(held->TextMatrix(2, 1), u"后来"_qs);

    byValue.setProperty("DatagridSecond", QVariant::fromValue(static_cast<QObject *>(&grid)));
    QCOMPARE(byValue.DatagridSecond(), &grid);
}

void TestMyPrint::datagridIsNotOwned()
{
    MyPrint print;
    {
        FlexGrid grid;
        print.setDatagrid(&grid);
        QCOMPARE(print.Datagrid(), &grid);
    }
    QCOMPARE(print.Datagrid(), nullptr);

    auto *grid = new FlexGrid;
    {
        MyPrint shortLived;
        shortLived.setDatagrid(grid);
    }
    grid->setSize(1, 1); // still alive: the print object never owned it
    delete grid;
}

void TestMyPrint::typeLibraryIdentities()
{
    const QMetaObject &mo = MyPrint::staticMetaObject;
    const QRegularExpression guid(
        QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
    QSet<QString> seen;
    for (const char *key : { "TypeLibID", "ClassID", "InterfaceID", "EventsID",
             "EnumID.MnuGridType", "EnumID.Oriention", "EnumID.enuBdSy" }) {
        const int index = mo.indexOfClassInfo(key);
        QVERIFY2(index >= 0, key);
        const QString value = QString::fromLatin1(mo.classInfo(index).value());
        QVERIFY2(guid.match(value).hasMatch(), key);
        seen.insert(value);
    }
    QCOMPARE(seen.size(), 7);
    QCOMPARE(QString::fromLatin1(mo.classInfo(mo.indexOfClassInfo("TypeLibVersion")).value()),
        u"1.0"_qs);
    QCOMPARE(QString::fromLatin1(mo.classInfo(mo.indexOfClassInfo("InterfaceName")).value()),
        u"_MyPrint"_qs);
}

void TestMyPrint::printOverSignal()
{
    // Hosts that connect by name find it without arguments.
    QVERIFY(MyPrint::staticMetaObject.indexOfSignal("PrintOver()") >= 0);
}

QUILLON_TEST_MAIN(TestMyPrint)
#include "tst_myprint.moc"
