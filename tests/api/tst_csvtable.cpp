#include "support/files.h"
#include "support/testplatform.h"
#include "testmain.h"

#include "api/csvtable.h"

#include <quillon/flexgrid.h>
#include <quillon/gridfile.h>

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTemporaryDir>

using namespace quillon;

using Rows = QList<QStringList>;

/// The CSV reader on awkward files, read from a mapped file and from bytes in memory, and its
/// cells read in every order.
class TestCsvTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestPlatform::install(); }
    void cleanup() { TestPlatform::uninstall(); }

    void awkwardFiles_data();
    void awkwardFiles();
    void millionCellsRoundTrip();
    void tooManyCellsCountedNotKept();

private:
    QString write(const QString &name, const QByteArray &content);
    QTemporaryDir m_dir;
};

QString TestCsvTable::write(const QString &name, const QByteArray &content)
{
    const QString path = m_dir.filePath(name);
    writeAll(path, content);
    return path;
}

namespace {

/// Every cell of the grid, read row by row.
Rows cellsOf(const FlexGrid &grid)
{
    Rows rows;
    for (qint32 r = 0; r < grid.Rows(); ++r) {
        QStringList row;
        for (qint32 c = 0; c < grid.Cols(); ++c)
            row << grid.TextMatrix(r, c);
        rows << row;
    }
    return rows;
}

/// The rows padded with empty cells to the widest one, as the grid shows them.
Rows padded(Rows rows)
{
    qsizetype cols = 0;
    for (const QStringList &row : rows)
        cols = std::max(cols, row.size());
    for (QStringList &row : rows) {
        while (row.size() < cols)
            row << QString();
    }
    return rows;
}

/// A text as a CSV writer puts it: quoted when it must be.
QByteArray csvField(const QString &text)
{
    static const QRegularExpression special(QStringLiteral("[,\"\r\n]"));
    if (!text.contains(special))
        return text.toUtf8();
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return '"' + quoted.toUtf8() + '"';
}

/// The column width rule, counted on the decoded texts.
qint32 expectedWidth(const Rows &rows, qsizetype col)
{
    qint64 widest = 0;
    for (const QStringList &row : rows) {
        qint64 w = 0;
        for (char32_t c : row.value(col).toUcs4())
            w += c >= 0x2E80 ? 220 : 120;
        widest = std::max(widest, w);
    }
    return qint32(std::clamp<qint64>(widest + 240, 600, 8000));
}

} // namespace

void TestCsvTable::awkwardFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QString>("error");
    using Texts = std::initializer_list<std::initializer_list<const char *>>;
    const auto good = [](const char *name, const QByteArray &bytes, Texts texts) {
        Rows rows;
        for (const auto &row : texts) {
            rows.append(QStringList());
            for (const char *text : row) {
                // Not fromUtf8, which drops a byte order mark at the start.
                rows.last() << QStringDecoder(
                    QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)
                                   .decode(QByteArrayView(text));
            }
        }
        QTest::newRow(name) << bytes << rows << QString();
    };
    const auto bad = [](const char *name, const QByteArray &bytes, const QString &error) {
        QTest::newRow(name) << bytes << Rows() << error;
    };
    good("LF", "a,b\nc,d\n", { { "a", "b" }, { "c", "d" } });
    good("CRLF", "a,b\r\nc,d\r\n", { { "a", "b" }, { "c", "d" } });
    good("CR alone", "a,b\rc,d", { { "a", "b" }, { "c", "d" } });
    good("no line end at the end", "a,b\nc,d", { { "a", "b" }, { "c", "d" } });
    good("byte order mark", "\xEF\xBB\xBF名称,b\r\n", { { "名称", "b" } });
    good("a mark elsewhere is text",
        "a,\xEF\xBB\xBF"
        "b\n",
        { { "a",
            "\xEF\xBB\xBF"
            "b" } });
    good("marks starting a later field are text",
        "a\n\xEF\xBB\xBF\xEF\xBB\xBF"
        "b\n",
        { { "a" },
            { "\xEF\xBB\xBF\xEF\xBB\xBF"
              "b" } });
    good("quoted comma", "\"a,b\",c\n", { { "a,b", "c" } });
    good("quoted line breaks", "\"x\ny\",\"p\r\nq\"\r\nz\n", { { "x\ny", "p\r\nq" }, { "z" } });
    good("doubled quotes", "\"say \"\"hi\"\"\",\"\"\"\"\n", { { "say \"hi\"", "\"" } });
    good("text after the closing quote", "\"ab\"cd,e\n", { { "abcd", "e" } });
    good("a quote inside an unquoted field", "ab\"cd,e\n", { { "ab\"cd", "e" } });
    good("empty fields", ",a,,\n", { { "", "a", "", "" } });
    good("comma at the end of the file", "a,b,", { { "a", "b", "" } });
    good("empty quoted field", "\"\",x\n", { { "", "x" } });
    good("blank lines carry no row", "\n\na\r\n\r\n\"\"\nb\n", { { "a" }, { "b" } });
    good("ragged rows", "a\nb,c,d\ne,f\n", { { "a" }, { "b", "c", "d" }, { "e", "f" } });
    good("wide characters", "名称,𠀀,é\n", { { "名称", "𠀀", "é" } });
    good("quoted field ends the file", "a,\"b\nc\"", { { "a", "b\nc" } });
    bad("quote left open", "a,b\nc,\"d,e\n", u"第 2 行第 2 列（该行第 3 个字符）的引号没有结束"_qs);
    bad("quote open after a field of two lines", "\"x\ny\",z\n\"w",
        u"第 3 行第 1 列（该行第 1 个字符）的引号没有结束"_qs);
    bad("quote open after wide characters", "甲乙,\"丙", u"第 1 行第 2 列（该行第 4 个字符）"_qs);
    bad("GBK text", "\xc4\xe3\xba\xc3,a\n", u"不是 UTF-8 文本：第 1 行第 1 个字符"_qs);
    bad("overlong form", "a\nb\xc0\xaf\n", u"第 2 行第 2 个字符"_qs);
    bad("encoded surrogate", "\xed\xa0\x80", u"第 1 行第 1 个字符"_qs);
    bad("cut off character", "ab\xe4\xb8", u"第 1 行第 3 个字符"_qs);
    bad("bad byte in a quoted field", "\"a\n\xff\"", u"第 2 行第 1 个字符"_qs);
    // A cell's text is at most 100,000 UTF-16 code units, refused as the file is read.
    const QByteArray x = QByteArray(100000, 'x');
    QTest::newRow("longest cell") << "a," + x + "\n"
                                  << Rows { { u"a"_qs, QString::fromLatin1(x) } } << QString();
    bad("cell too long", "a\nb," + x + "y\n",
        u"第 2 行第 2 列的文字有 100001 个字符，超过一个单元格的上限 100000 个字符"_qs);
    bad("quoted cell too long over two lines", "\"" + x + "\n\"\"\"",
        u"第 1 行第 1 列的文字有 100002 个字符"_qs);
    bad("cell too long in wide characters", "\xf0\xa0\x80\x80"_qba.repeated(50001),
        u"第 1 行第 1 列的文字有 100002 个字符"_qs);
}

void TestCsvTable::awkwardFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Rows, rows);
    QFETCH(QString, error);
    const QString path
        = write(QStringLiteral("%1.csv").arg(QString::fromUtf8(QTest::currentDataTag())), bytes);
    QString why;
    const std::unique_ptr<GridFile> mapped = GridFile::load(path, &why);
    QString whyFromBytes;
    const std::unique_ptr<GridFile> inMemory
        = GridFile::fromData(bytes, u"csv"_qs, path, &whyFromBytes);
    if (!error.isEmpty()) {
        QVERIFY(!mapped);
        QVERIFY2(why.contains(error), qPrintable(why));
        QCOMPARE(whyFromBytes, why);
        return;
    }
    QVERIFY2(mapped, qPrintable(why));
    QVERIFY2(inMemory, qPrintable(whyFromBytes));
    for (GridFile *file : { mapped.get(), inMemory.get() }) {
        auto *grid = qobject_cast<FlexGrid *>(file->grid());
        QVERIFY(grid);
        const Rows expected = padded(rows);
        QCOMPARE(cellsOf(*grid), expected);
        // Backwards and by columns: every cell found again without the row's earlier ones.
        for (qint32 r = grid->Rows() - 1; r >= 0; --r) {
            for (qint32 c = grid->Cols() - 1; c >= 0; --c)
                QCOMPARE(grid->TextMatrix(r, c), expected[r][c]);
        }
        for (qint32 c = 0; c < grid->Cols(); ++c) {
            for (qint32 r = 0; r < grid->Rows(); ++r)
                QCOMPARE(grid->TextMatrix(r, c), expected[r][c]);
            QCOMPARE(grid->ColWidth(c), expectedWidth(rows, c));
        }
        QCOMPARE(grid->TextMatrix(grid->Rows(), 0), QString());
    }
}

void TestCsvTable::millionCellsRoundTrip()
{
    // 125,000 rows of 8 cells, some quoted, some with line breaks, wide characters or none.
    QRandomGenerator random(18);
    const QStringList pieces { u"华东"_qs, u"1,280.00"_qs, u"说\"明\""_qs, u"两行\r\n说明"_qs,
        u"𠀀"_qs, u"x"_qs, u" "_qs, u"\n"_qs };
    Rows rows;
    QByteArray csv = "\xEF\xBB\xBF";
    for (int r = 0; r < 125000; ++r) {
        QStringList row;
        for (int c = 0; c < 8; ++c) {
            QString text = c == 0 ? QString::number(r) : QString();
            for (quint32 n = random.bounded(4); n > 0; --n)
                text += pieces[random.bounded(pieces.size())];
            csv += (c ? "," : "") + csvField(text);
            row << text;
        }
        csv += r % 2 ? "\r\n" : "\n";
        rows << row;
    }
    QString error;
    const auto file = GridFile::load(write(u"million.csv"_qs, csv), &error);
    QVERIFY2(file, qPrintable(error));
    auto *grid = qobject_cast<FlexGrid *>(file->grid());
    QCOMPARE(grid->Rows(), 125000);
    QCOMPARE(grid->Cols(), 8);
    for (qint32 r = 0; r < grid->Rows(); ++r) {
        for (qint32 c = 0; c < 8; ++c) {
            if (grid->TextMatrix(r, c) != rows[r][c])
                QFAIL(qPrintable(QStringLiteral("cell %1,%2: “%3” instead of “%4”")
                                     .arg(r)
                                     .arg(c)
                                     .arg(grid->TextMatrix(r, c), rows[r][c])));
        }
    }
    for (qint32 c = 0; c < 8; ++c)
        QCOMPARE(grid->ColWidth(c), expectedWidth(rows, c));
    // A cell written over the file's lies over it; its neighbours still read the file.
    grid->setTextMatrix(7, 3, u"改"_qs);
    QCOMPARE(grid->TextMatrix(7, 3), u"改"_qs);
    QCOMPARE(grid->TextMatrix(7, 4), rows[7][4]);
}

void TestCsvTable::tooManyCellsCountedNotKept()
{
    CsvTable::Failure why;
    const QByteArray bytes = QByteArray("a,b,c\n").repeated(10) + "d,e,f,g\n";
    QVERIFY(!CsvTable::read(bytes, nullptr, 30, 100, &why));
    QCOMPARE(why.message, QString());
    QCOMPARE(why.rows, 11);
    QCOMPARE(why.cols, 4);
    QVERIFY(CsvTable::read(bytes, nullptr, 44, 100, &why));
}

QUILLON_TEST_MAIN(TestCsvTable)
#include "tst_csvtable.moc"
