#include "testmain.h"

#include "quillon-print/progressline.h"

#include <cstdio>

/// quillon-print's progress: what one line says, and how often lines come on a terminal and in
/// a log.
class TestProgressLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void describe_data();
    void describe();
    void linesByWhereTheyGo_data();
    void linesByWhereTheyGo();
};

void TestProgressLine::describe_data()
{
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("total");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing done yet") << 0 << 10 << qint64(0) << u"已完成 0/10 页"_qs;
    QTest::newRow("slow") << 3 << 10 << qint64(2000)
                          << u"已完成 3/10 页，每秒 1.5 页，约剩 5 秒"_qs;
    QTest::newRow("minutes left") << 100 << 21740 << qint64(1000)
                                  << u"已完成 100/21740 页，每秒 100 页，约剩 3 分 37 秒"_qs;
    QTest::newRow("hours left") << 1 << 10000 << qint64(1000)
                                << u"已完成 1/10000 页，每秒 1.0 页，约剩 2 小时 46 分"_qs;
    QTest::newRow("done") << 400 << 400 << qint64(61400)
                          << u"已完成 400/400 页，每秒 6.5 页，用时 1 分 01 秒"_qs;
}

void TestProgressLine::describe()
{
    QFETCH(int, done);
    QFETCH(int, total);
    QFETCH(qint64, elapsedMs);
    QFETCH(QString, text);
    QCOMPARE(ProgressLine::describe(done, total, elapsedMs), text);
}

void TestProgressLine::linesByWhereTheyGo_data()
{
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<QByteArray>("written");
    // Sheets 1 to 5 at 0, 100, 300, 5200 and 5300 ms, of 5 in all.
    QTest::newRow("terminal: one line, redrawn")
        << true
        << QByteArray("\rp: 已完成 1/5 页\x1b[K"
                      "\rp: 已完成 3/5 页，每秒 10 页，约剩 1 秒\x1b[K"
                      "\rp: 已完成 4/5 页，每秒 0.8 页，约剩 2 秒\x1b[K"
                      "\rp: 已完成 5/5 页，每秒 0.9 页，用时 5 秒\x1b[K\n");
    QTest::newRow("log: a line every few seconds")
        << false
        << QByteArray("p: 已完成 4/5 页，每秒 0.8 页，约剩 2 秒\n"
                      "p: 已完成 5/5 页，每秒 0.9 页，用时 5 秒\n");
}

void TestProgressLine::linesByWhereTheyGo()
{
    QFETCH(bool, terminal);
    QFETCH(QByteArray, written);
    char *buffer = nullptr;
    size_t size = 0;
    FILE *stream = open_memstream(&buffer, &size);
    QVERIFY(stream);
    {
        ProgressLine line(stream, u"p: "_qs, terminal);
        const qint64 at[] = { 0, 100, 300, 5200, 5300 };
        for (int n = 1; n <= 5; ++n)
            line.update(n, 5, at[n - 1]);
    }
    std::fclose(stream);
    const QByteArray text(buffer, qsizetype(size));
    std::free(buffer);
    QCOMPARE(text, written);
}

QUILLON_TEST_MAIN(TestProgressLine)
#include "tst_progressline.moc"
