#include "testmain.h"

#include "engine/grids/memory/celltable_p.h"
#include "engine/grids/memory/texttable_p.h"

#include <QRandomGenerator>

using namespace quillon;

/// The compact stores against CellTable, the plain one they replace: the same operations must
/// read back the same cells.
class TestTextTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void millionCellsReadBack();
    void matchesCellTable_data();
    void matchesCellTable();
    void baseReadThroughUntilWritten();
    void sparseAttributes();
    void badIndexThrows();
};

namespace {

QString cellText(quint32 n)
{
    // Empty, short and long cells, CJK and a pair of surrogates among them.
    switch (n % 7) {
    case 0:
        return QString();
    case 1:
        return QString::number(n);
    case 2:
        return QStringLiteral("华东%1区").arg(n);
    case 3:
        return QStringLiteral("𠀀,\"%1\"\n").arg(n);
    default:
        return QString(int(n % 40), QChar(u'甲' + n % 50));
    }
}

/// Rows of texts kept outside the table, as a file reader keeps them.
class FakeRows : public TextRows
{
public:
    FakeRows(qint32 rows, qint32 cols)
        : m_rows(rows)
        , m_cols(cols)
    {
    }
    qint32 rows() const override { return m_rows; }
    qint32 cols() const override { return m_cols; }
    QString text(qint32 row, qint32 col) const override
    {
        return QStringLiteral("b%1.%2").arg(row).arg(col);
    }

private:
    qint32 m_rows;
    qint32 m_cols;
};

} // namespace

void TestTextTable::millionCellsReadBack()
{
    TextTable table;
    table.resize(1000, 1000);
    for (qint32 r = 0; r < 1000; ++r) {
        for (qint32 c = 0; c < 1000; ++c)
            table.set(r, c, cellText(quint32(r * 1000 + c)));
    }
    QCOMPARE(table.rows(), 1000);
    QCOMPARE(table.cols(), 1000);
    for (qint32 r = 0; r < 1000; ++r) {
        for (qint32 c = 0; c < 1000; ++c) {
            if (table.at(r, c) != cellText(quint32(r * 1000 + c)))
                QFAIL(
                    qPrintable(QStringLiteral("cell %1,%2: %3").arg(r).arg(c).arg(table.at(r, c))));
        }
    }
}

void TestTextTable::matchesCellTable_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("operations");
    QTest::addColumn<int>("extent");
    // Small tables overwrite cells often (texts replaced in place and the buffer compacted);
    // larger ones grow and shrink.
    QTest::newRow("small, many overwrites") << 1u << 200000 << 12;
    QTest::newRow("medium") << 2u << 100000 << 200;
    QTest::newRow("large, sparse") << 3u << 20000 << 3000;
}

void TestTextTable::matchesCellTable()
{
    QFETCH(quint32, seed);
    QFETCH(int, operations);
    QFETCH(int, extent);
    QRandomGenerator random(seed);
    TextTable table;
    CellTable<QString> reference;
    for (int i = 0; i < operations; ++i) {
        const qint32 r = qint32(random.bounded(extent));
        const qint32 c = qint32(random.bounded(std::max(1, extent / 10)));
        if (random.bounded(1000) == 0) {
            const qint32 rows = qint32(random.bounded(extent));
            const qint32 cols = qint32(random.bounded(std::max(1, extent / 10)));
            table.resize(rows, cols);
            reference.resize(rows, cols);
        } else {
            const QString text = cellText(random.generate());
            table.set(r, c, text);
            reference.set(r, c, text);
        }
        QCOMPARE(table.at(r, c), reference.at(r, c));
    }
    QCOMPARE(table.rows(), reference.rows());
    QCOMPARE(table.cols(), reference.cols());
    for (qint32 r = -1; r <= table.rows(); ++r) {
        for (qint32 c = -1; c <= table.cols(); ++c) {
            if (table.at(r, c) != reference.at(r, c))
                QFAIL(qPrintable(QStringLiteral("cell %1,%2").arg(r).arg(c)));
        }
    }
}

void TestTextTable::baseReadThroughUntilWritten()
{
    TextTable table;
    table.set(0, 0, QStringLiteral("dropped"));
    table.setBase(std::make_shared<FakeRows>(4, 3));
    QCOMPARE(table.rows(), 4);
    QCOMPARE(table.cols(), 3);
    QCOMPARE(table.at(0, 0), u"b0.0"_qs);
    QCOMPARE(table.at(3, 2), u"b3.2"_qs);
    QCOMPARE(table.at(4, 0), QString());

    table.set(1, 1, QStringLiteral("written"));
    QCOMPARE(table.at(1, 1), u"written"_qs);
    QCOMPARE(table.at(1, 2), u"b1.2"_qs);
    table.set(5, 4, QStringLiteral("outside")); // grows past the base
    QCOMPARE(table.rows(), 6);
    QCOMPARE(table.at(5, 4), u"outside"_qs);
    QCOMPARE(table.at(4, 2), QString());
    QCOMPARE(table.at(2, 2), u"b2.2"_qs);

    // A base cell cut off by a smaller size does not come back when the table grows again.
    table.resize(2, 2);
    table.resize(6, 6);
    QCOMPARE(table.at(1, 1), u"written"_qs);
    QCOMPARE(table.at(0, 1), u"b0.1"_qs);
    QCOMPARE(table.at(2, 0), QString());
    QCOMPARE(table.at(0, 2), QString());
}

void TestTextTable::sparseAttributes()
{
    QRandomGenerator random(7);
    SparseCellTable<qint16> sparse { qint16(-1) };
    CellTable<qint16> reference { qint16(-1) };
    for (int i = 0; i < 50000; ++i) {
        const qint32 r = qint32(random.bounded(300));
        const qint32 c = qint32(random.bounded(30));
        if (random.bounded(500) == 0) {
            const qint32 rows = qint32(random.bounded(300));
            const qint32 cols = qint32(random.bounded(30));
            sparse.resize(rows, cols);
            reference.resize(rows, cols);
        } else {
            const auto value = qint16(qint32(random.bounded(5)) - 1); // -1 sets it back
            sparse.set(r, c, value);
            reference.set(r, c, value);
        }
    }
    QCOMPARE(sparse.rows(), reference.rows());
    QCOMPARE(sparse.cols(), reference.cols());
    for (qint32 r = -1; r <= 300; ++r) {
        for (qint32 c = -1; c <= 30; ++c)
            QCOMPARE(sparse.at(r, c), reference.at(r, c));
    }
}

void TestTextTable::badIndexThrows()
{
    TextTable texts;
    SparseCellTable<qint16> sparse;
    for (const auto &[r, c] : { std::pair { -1, 0 }, { 0, -1 }, { INT_MAX, 0 }, { 0, INT_MAX } }) {
        QVERIFY_THROWS_EXCEPTION(Error, texts.set(r, c, QStringLiteral("x")));
        QVERIFY_THROWS_EXCEPTION(Error, sparse.set(r, c, 1));
    }
    QCOMPARE(texts.rows(), 0);
    QCOMPARE(sparse.rows(), 0);
}

QUILLON_TEST_MAIN(TestTextTable)
#include "tst_texttable.moc"
