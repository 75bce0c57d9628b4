#include "testmain.h"

#include "api/gridfile/gridfilereader_p.h"

#include <QJsonDocument>

using namespace quillon;

/// The checking core of the grid file readers: a table of keys read in its own order.
class TestGridFileKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readKeys_data();
    void readKeys();
};

void TestGridFileKeys::readKeys_data()
{
    QTest::addColumn<QByteArray>("object");
    QTest::addColumn<QString>("result"); // the values read, or the message
    const auto row = [](const char *tag, const char *object, const QString &result) {
        QTest::newRow(tag) << QByteArray(object) << result;
    };
    row("values", R"({"n": 5, "list": [1, 2], "set": [2], "b": false, "t": "x"})",
        u"n=5 list=1,2 set=2 b=0 t=x"_qs);
    row("absent keys keep their values", R"({"n": 0})", u"n=0 list= set= b=- t=-"_qs);
    row("one value for every index", R"({"n": 0, "list": 9, "set": true})",
        u"n=0 list=9,9,9 set=0,1,2 b=- t=-"_qs);
    row("required", R"({})", u"“o.n”缺少：应为整数"_qs);
    row("not whole", R"({"n": 1.5})", u"“o.n”应为整数，而不是数字 1.5"_qs);
    row("out of range", R"({"n": 6})", u"“o.n”为 6，超出范围：应为 0 到 5 之间的整数（注）"_qs);
    row("too many items", R"({"n": 0, "list": [1, 1, 1, 1]})",
        u"“o.list”有 4 项，但网格只有 3 列"_qs);
    row("item out of range", R"({"n": 0, "list": [1, 10]})",
        u"“o.list[1]”为 10，超出范围：应为 0 到 9 之间的整数"_qs);
    row("index outside", R"({"n": 0, "set": [3]})",
        u"“o.set[0]”为 3，超出范围：应为 0 到 2 之间的整数（网格有 3 列，从 0 数起）"_qs);
    row("not a switch", R"({"n": 0, "b": 1})", u"“o.b”应为 true 或 false，而不是数字 1"_qs);
    row("not a text", R"({"n": 0, "t": null})", u"“o.t”应为文本，而不是空值 null"_qs);
    // "b" comes first in the object, "n" in the table.
    row("the table's order", R"({"b": 1, "n": 9})",
        u"“o.n”为 9，超出范围：应为 0 到 5 之间的整数（注）"_qs);
}

void TestGridFileKeys::readKeys()
{
    QFETCH(QByteArray, object);
    QFETCH(QString, result);
    QString error;
    const auto file = GridFile::fromData("a", u"csv"_qs, u"a.csv"_qs, &error);
    QVERIFY2(file, qPrintable(error));
    GridFileReader reader(*file);
    std::optional<qint32> n;
    QList<qint32> list, set;
    std::optional<bool> b;
    std::optional<QString> t;
    const bool ok = reader.readKeys(QJsonDocument::fromJson(object).object(), u"o"_qs,
        { KeyRule::requiredInteger("n", n, 0, 5, u"（注）"_qs),
            KeyRule::perIndex("list", list, 3, u"列"_qs, 0, 9),
            KeyRule::indexSet("set", set, 3, u"列"_qs), KeyRule::boolean("b", b),
            KeyRule::text("t", t, u"文本"_qs) });
    const auto join = [](const QList<qint32> &values) {
        QStringList texts;
        for (qint32 v : values)
            texts << QString::number(v);
        return texts.join(QLatin1Char(','));
    };
    QCOMPARE(ok ? u"n=%1 list=%2 set=%3 b=%4 t=%5"_qs.arg(*n).arg(
                 join(list), join(set), b ? QString::number(*b) : u"-"_qs, t.value_or(u"-"_qs))
                : reader.error,
        result);
}

QUILLON_TEST_MAIN(TestGridFileKeys)
#include "tst_gridfilekeys.moc"
