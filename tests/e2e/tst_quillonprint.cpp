#include "testmain.h"

#include "support/pdfpicture.h"
#include "support/privatecups.h"

#include <QDirIterator>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <optional>

// quillon-print on the sample reports and on bad input, checked in the files it writes.
class TestQuillonPrint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase()
    {
        m_xvfb.terminate();
        m_xvfb.waitForFinished(5000);
    }
    void salesListRepeatsItsHeaderOnEveryPage();
    void wideGridSplitsIntoColumnBands();
    void mergedHeadingsPrintOnce();
    void spreadsheetPrintsEachCellInItsFormat();
    void spreadGridPrintsSpansAndTypedCells();
    void voucherTotalsOnTheLastPage_data();
    void voucherTotalsOnTheLastPage();
    void pngPagesAtZoom();
    void badInput_data();
    void badInput();
    void refusedBeforeWriting_data();
    void refusedBeforeWriting();
    void informationOptions_data();
    void informationOptions();
    void helpAndReadmeListTheSameOptions();
    void laterOptionWins_data();
    void laterOptionWins();
    void gridFromStandardInput_data();
    void gridFromStandardInput();
    void wideCsvPrintsInColumnBands_data();
    void wideCsvPrintsInColumnBands();
    void consoleMessagesNameProgramReportAndFile();
    void badMachineValuesNameTheMachineFile();
    void pdfToStandardOutput();
    void oneOffJobsLeaveSavedFormatsAlone();
    void settingsFileKeepsTheFormat();
    void batchMessagesNeverWait();
    void documentedExamplesPrint();
    void printsOnTheVirtualPdfPrinter_data();
    void printsOnTheVirtualPdfPrinter();
    void continuousPrintingSendsEachSheet_data();
    void continuousPrintingSendsEachSheet();
    void dataSetsNeedCont();
    void printingRefused_data();
    void printingRefused();
    void printsOnACupsQueue();
    void batchWritesAPdfPerFile_data();
    void batchWritesAPdfPerFile();
    void manualAndCompletionListEveryOption_data();
    void manualAndCompletionListEveryOption();

private:
    struct Run
    {
        int exitCode = -1;
        QString out, err;
        QByteArray bytes; // standard output as it came
    };
    Run run(const QStringList &args, const QProcessEnvironment &extra = {},
        const QByteArray &input = {});
    QString writeFile(const QString &name, const QByteArray &bytes);
    static QStringList pdfPages(const QString &pdf);
    /// The PDF files a virtual PDF printer wrote into a folder.
    static QStringList documents(const QString &folder)
    {
        QStringList paths;
        for (const QString &name : QDir(folder).entryList({ u"*.pdf"_qs }, QDir::Files))
            paths << QDir(folder).filePath(name);
        return paths;
    }
    static QString sample(const QString &name)
    {
        return QStringLiteral(QUILLON_SOURCE_DIR "/examples/") + name;
    }

    /// The display of an X server that runs while the test does (empty when none starts).
    QString xDisplay();

    QTemporaryDir m_dir;
    QTemporaryDir m_home;
    QProcess m_xvfb;
    QString m_display;
};

void TestQuillonPrint::initTestCase()
{
    for (const char *tool : { "pdftotext", "pdfinfo" }) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP("poppler-utils are not installed: the PDF files cannot be checked");
    }
    QVERIFY(QFile::exists(QStringLiteral(QUILLON_PRINT_EXE)));
}

TestQuillonPrint::Run TestQuillonPrint::run(
    const QStringList &args, const QProcessEnvironment &extra, const QByteArray &input)
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
    env.remove(u"XDG_RUNTIME_DIR"_qs); // as for root on this machine: Qt must not complain
    for (const QString &key : extra.keys())
        env.insert(key, extra.value(key));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(m_dir.path()); // a relative name is one of the test's files
    p.start(QStringLiteral(QUILLON_PRINT_EXE), args);
    p.write(input);
    p.closeWriteChannel(); // a batch job gets no answers from standard input
    if (!p.waitForFinished(120000)) {
        p.kill();
        return {};
    }
    const QByteArray out = p.readAllStandardOutput();
    return { p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(out),
        QString::fromUtf8(p.readAllStandardError()), out };
}

QString TestQuillonPrint::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    return path;
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
    const Run r
        = run({ u"--pdf"_qs, pdf, u"--title"_qs, u"销售明细表"_qs, sample(u"sales.csv"_qs) });
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

void TestQuillonPrint::spreadsheetPrintsEachCellInItsFormat()
{
    const QString pdf = m_dir.filePath(u"income.pdf"_qs);
    QCOMPARE(run({ u"--pdf"_qs, pdf, sample(u"income.json"_qs) }).exitCode, 0);
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 1);
    const QString &page = pages[0];
    QCOMPARE(page.count(u"金额"_qs), 1); // merged over two columns
    QVERIFY(page.contains(u"四、净利润"_qs));
    QVERIFY(!page.contains(u"核对总账"_qs)); // the hidden column of notes
    // Amounts under "#,##0.00", rates under "0.0%": every one of them formatted.
    QVERIFY(page.contains(QRegularExpression(u"\\d{1,3}(,\\d{3})+\\.\\d\\d"_qs)));
    QVERIFY(page.contains(QRegularExpression(u"-?\\d+\\.\\d%"_qs)));
    QVERIFY(!page.contains(QRegularExpression(u"\\d\\.\\d{3,}"_qs)));
    // Negative amounts are red; the rest of the text and the grid lines are not.
    const QImage image = pdfPagePicture(pdf, m_dir.filePath(u"income-page"_qs));
    QVERIFY(!image.isNull());
    QVERIFY2(redPixels(image) > 50, qPrintable(QString::number(redPixels(image))));
}

void TestQuillonPrint::spreadGridPrintsSpansAndTypedCells()
{
    // 62 data rows, 30 a page, filler rows on the last; a two-row note from row 30 to 31.
    const QString pdf = m_dir.filePath(u"spread.pdf"_qs);
    const Run r = run({ u"--pdf"_qs, pdf, sample(u"spread.json"_qs) });
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 3);
    const QString all = pages.join(QString());
    for (const QString &page : pages) {
        for (const QString &heading : { u"序号"_qs, u"科目"_qs, u"实际发生"_qs, u"年度"_qs })
            QVERIFY2(page.contains(heading), qPrintable(heading));
        QVERIFY(page.contains(QRegularExpression(u"\\d{1,3}(,\\d{3})+\\.\\d{2}"_qs)));
        QCOMPARE(page.count(u"实际发生"_qs), 1); // the heading over two columns prints once
    }
    QVERIFY(all.contains(u"√"_qs));
    QCOMPARE(all.count(u"、财务部"_qs), 1);
    // The note is cut at the page break: each page prints its part with the text.
    QVERIFY(pages[0].contains(u"说明：技术部"_qs));
    QVERIFY(pages[1].contains(u"说明：技术部"_qs));
    // Row numbers run on over the filler rows of the last page, alone on their lines.
    const auto alone = [](int n) {
        return QRegularExpression(u"^\\s*%1\\s*$"_qs.arg(n), QRegularExpression::MultilineOption);
    };
    QVERIFY(pages[2].contains(alone(90)));
    QVERIFY(!pages[2].contains(alone(91)));
}

void TestQuillonPrint::voucherTotalsOnTheLastPage_data()
{
    QTest::addColumn<bool>("onQueue");
    QTest::newRow("exported to a PDF file") << false;
    QTest::newRow("printed on a CUPS queue") << true;
}

// The sample voucher, exported or printed: three pages of five entries, amounts one digit a
// cell, its totals on the last page only.
void TestQuillonPrint::voucherTotalsOnTheLastPage()
{
    QFETCH(bool, onQueue);
    QString pdf = m_dir.filePath(u"voucher.pdf"_qs);
    std::optional<PrivateCups> cups;
    if (onQueue) {
        cups.emplace();
        QString why;
        if (!cups->start(&why))
            QSKIP(qPrintable(why));
        QProcessEnvironment env;
        env.insert(u"CUPS_SERVER"_qs, cups->socket());
        const Run r
            = run({ u"--quiet"_qs, u"--printer"_qs, QString::fromLatin1(PrivateCups::kQueue),
                      sample(u"voucher.json"_qs) },
                env);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.err, QString());
        QVERIFY(cups->waitForJobs());
        pdf = cups->outputFile();
    } else {
        const Run r = run({ u"--pdf"_qs, pdf, sample(u"voucher.json"_qs) });
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    }
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 3);
    // Each page's five entries, in order, and on no other page.
    const QList<QStringList> entries {
        { u"报销办公用品"_qs, u"报销差旅费"_qs, u"报销业务招待费"_qs, u"支付电话费"_qs,
            u"支付水电费"_qs },
        { u"支付物业管理费"_qs, u"支付广告费"_qs, u"支付展会费"_qs, u"冲销多计的差旅费"_qs,
            u"支付银行手续费"_qs },
        { u"支付会议费"_qs, u"支付审计费"_qs, u"支付运输费"_qs, u"进项税额"_qs,
            u"以银行存款支付"_qs },
    };
    for (qsizetype p = 0; p < pages.size(); ++p) {
        const QString &page = pages[p];
        QVERIFY(page.contains(u"记 账 凭 证"_qs));
        QCOMPARE(page.count(u"亿仟佰拾万仟佰拾元角分"_qs), 2); // the unit labels of both columns
        // The header block's attachments and the signatures under the grid, on every page.
        for (const QString &furniture :
            { u"单位：华东电子有限公司"_qs, u"附单据 12 张"_qs, u"会计主管：王芳"_qs,
                u"记账：李娜"_qs, u"审核：张伟"_qs, u"出纳：刘洋"_qs, u"制单：陈静"_qs })
            QVERIFY2(page.contains(furniture), qPrintable(furniture));
        // The voucher's page follows its number in the last header line.
        QVERIFY(page.contains(u"记字第 0128 号(%1/3)"_qs.arg(p + 1)));
        qsizetype at = -1;
        for (qsizetype q = 0; q < entries.size(); ++q) {
            for (const QString &entry : entries[q]) {
                const qsizetype found = page.indexOf(entry);
                if (q != p) {
                    QVERIFY2(found < 0, qPrintable(u"page %1: %2"_qs.arg(p + 1).arg(entry)));
                    continue;
                }
                QVERIFY2(found > at, qPrintable(u"page %1: %2"_qs.arg(p + 1).arg(entry)));
                at = found;
            }
        }
    }
    // Amounts in hundredths, one digit a cell; the reversal red and without its sign.
    QVERIFY(pages[0].contains(u"345650"_qs));
    QVERIFY(pages[1].contains(u"52000"_qs) && !pages[1].contains(u"-52000"_qs));
    QVERIFY(pages[2].contains(u"173560"_qs));
    // Pages 1 and 2: the totals row says only "合 计"; page 3: the words and both sums.
    for (qsizetype p = 0; p < 2; ++p) {
        QVERIFY(pages[p].contains(u"合 计"_qs));
        QVERIFY(!pages[p].contains(u"人民币"_qs));
        QVERIFY(!pages[p].contains(u"7805160"_qs));
    }
    QVERIFY(pages[2].contains(u"合 计   人民币（大写）柒万捌仟零伍拾壹元陆角整"_qs));
    QCOMPARE(pages[2].count(u"7805160"_qs), 3); // the bank's credit and the two sums
}

void TestQuillonPrint::pngPagesAtZoom()
{
    const QString folder = m_dir.filePath(u"png"_qs);
    // The pages of a longer report before it go.
    QCOMPARE(run({ u"--png"_qs, folder, sample(u"sales.csv"_qs) }).exitCode, 0);
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
    QTest::newRow("no grid file") << QStringList { u"--pdf"_qs, out } << 2 << u"网格文件"_qs;
    QTest::newRow("no output") << QStringList { csv } << 2 << u"--pdf"_qs;
    QTest::newRow("missing file") << QStringList { u"--pdf"_qs, out, u"/nonexistent.csv"_qs } << 2
                                  << u"无法读取"_qs;
    QTest::newRow("unknown property")
        << QStringList { u"--pdf"_qs, out, u"--set"_qs, u"Colour=1"_qs, csv } << 2 << u"Colour"_qs;
    QTest::newRow("bad value") << QStringList { u"--pdf"_qs, out, u"--set"_qs, u"TopMargin=abc"_qs,
        csv } << 2 << u"TopMargin"_qs;
    QTest::newRow("overflow") << QStringList { u"--pdf"_qs, out, u"--set"_qs, u"GridType=70000"_qs,
        csv } << 2 << u"GridType"_qs;
    QTest::newRow("not an assignment") << QStringList { u"--pdf"_qs, out, u"--format"_qs, u"Top"_qs,
        csv } << 2 << u"Name=Value"_qs;
    QTest::newRow("bad zoom") << QStringList { u"--png"_qs, out, u"--zoom"_qs, u"0"_qs, csv } << 2
                              << u"--zoom"_qs;
    // The tests run without a display: a window nobody sees would wait for ever.
    QTest::newRow("preview without a display")
        << QStringList { u"--preview"_qs, csv } << 2 << u"--preview"_qs;
    QDir().mkpath(m_dir.filePath(u"pngin"_qs));
    const QString page = writeFile(u"pngin/page-001.png"_qs, "a,b\n1,2\n");
    QTest::newRow("grid file named as a page") << QStringList { u"--png"_qs,
        m_dir.filePath(u"pngin"_qs), u"--input-format"_qs, u"csv"_qs, page }
                                               << 2 << u"PNG 文件夹"_qs;
    QTest::newRow("grid kind of another grid") << QStringList { u"--pdf"_qs, out, u"--set"_qs,
        u"GridType=ssSpread"_qs, csv } << 2 << u"GridType 8（ssSpread）与网格不符"_qs;
    QTest::newRow("folder as grid file")
        << QStringList { u"--pdf"_qs, out, m_dir.path() } << 2 << u"这是一个文件夹"_qs;
    const QString open
        = writeFile(u"open.json"_qs, R"({"GridType": 7, "grid": {"cells": [["a"]]})");
    QTest::newRow("JSON not closed")
        << QStringList { u"--pdf"_qs, out, open } << 2 << u"对象没有结束"_qs;
    QTest::newRow("unwritable output")
        << QStringList { u"--pdf"_qs, u"/proc/quillon/x.pdf"_qs, csv } << 1 << u"/proc/quillon"_qs;
    // Pages with no room for the grid: not a file of blank pages reported as written.
    for (const auto &[name, format, why] :
        { std::tuple { "margins taller than the page", u"Top=500"_qs, u"已占满页面"_qs },
            { "margins wider than the page", u"Left=300"_qs, u"左右页边距已占满页面宽度"_qs } }) {
        QTest::newRow(name) << QStringList { u"--pdf"_qs, m_dir.filePath(u"nogrid.pdf"_qs),
            u"--format"_qs, format, u"--format"_qs, u"Right=300"_qs, csv }
                            << 1 << why;
    }
}

void TestQuillonPrint::badInput()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const Run r = run(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(!QFile::exists(m_dir.filePath(u"nogrid.pdf"_qs)));
}

// Refused with status 2 before anything is written or saved.
void TestQuillonPrint::refusedBeforeWriting_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString csv = sample(u"sales.csv"_qs);
    const QString out = m_dir.filePath(u"refused/out.pdf"_qs);
    const QString settings = m_dir.filePath(u"refused/settings.ini"_qs);
    const auto job = [&](const QStringList &extra) {
        return QStringList { u"--pdf"_qs, out, u"--settings"_qs, settings } + extra
            + QStringList { csv };
    };
    QTest::newRow("unknown option") << job({ u"--bogus"_qs }) << u"未知选项：--bogus"_qs;
    QTest::newRow("option without value")
        << QStringList { csv, u"--pdf"_qs } << u"选项 --pdf 缺少值"_qs;
    QTest::newRow("switch with value") << job({ u"--quiet=1"_qs }) << u"--quiet"_qs;
    QTest::newRow("unknown format name") << job({ u"--format"_qs, u"Bogus=3"_qs }) << u"“Bogus”"_qs;
    QTest::newRow("format not a number")
        << job({ u"--format"_qs, u"Top=abc"_qs }) << u"Top 应为整数"_qs;
    QTest::newRow("negative top") << job({ u"--format"_qs, u"Top=-50"_qs }) << u"0 到 500"_qs;
    QTest::newRow("property name as format name")
        << job({ u"--format"_qs, u"TopMargin=20"_qs }) << u"--format Top=20"_qs;
    QTest::newRow("huge title font")
        << job({ u"--format"_qs, u"FONT0_Size=5000"_qs }) << u"FONT0_Size"_qs;
    QTest::newRow("flag of 2") << job({ u"--format"_qs, u"HoriCutPage=2"_qs }) << u"HoriCutPage"_qs;
    QTest::newRow("good then bad format")
        << job({ u"--format"_qs, u"LineCount=20"_qs, u"--format"_qs, u"Left=501"_qs })
        << u"Left"_qs;
    QTest::newRow("negative margin") << job({ u"--set"_qs, u"TopMargin=-5"_qs }) << u"TopMargin"_qs;
    QTest::newRow("margin past the page")
        << job({ u"--set"_qs, u"TopMargin=1000"_qs }) << u"0 到 500"_qs;
    QTest::newRow("orientation 0") << job({ u"--set"_qs, u"PaperOrient=0"_qs }) << u"Portrait=1"_qs;
    QTest::newRow("orientation 3")
        << job({ u"--set"_qs, u"PaperOrient=3"_qs }) << u"PaperOrient"_qs;
    QTest::newRow("border 99") << job({ u"--set"_qs, u"BorderStyle=99"_qs }) << u"BorderStyle"_qs;
    QTest::newRow("zoom without png") << job({ u"--zoom"_qs, u"2"_qs }) << u"--png"_qs;
    QTest::newRow("zoom 100") << QStringList { u"--png"_qs, m_dir.filePath(u"refused/png"_qs),
        u"--zoom"_qs, u"100"_qs, csv }
                              << u"0.05 到 20"_qs;
    QTest::newRow("input format") << job({ u"--input-format"_qs, u"xml"_qs }) << u"csv 或 json"_qs;
    QTest::newRow("zoom nan") << QStringList { u"--png"_qs, m_dir.filePath(u"refused/png"_qs),
        u"--zoom"_qs, u"nan"_qs, csv }
                              << u"0.05 到 20"_qs;
    // An unset variable in a script: not the default settings file, not an unnamed folder.
    for (const char *option : { "--settings", "--png", "--key" })
        QTest::addRow("empty %s", option) << job({ QLatin1String(option), QString() })
                                          << u"%1 的值不能为空"_qs.arg(QLatin1String(option));
    QTest::newRow("printed columns reversed")
        << job({ u"--set"_qs, u"PrintColStart=5"_qs, u"--set"_qs, u"PrintColEnd=1"_qs })
        << u"PrintColEnd 为 1，在 PrintColStart（5）之前"_qs;
    QTest::newRow("printed column past the grid")
        << job({ u"--set"_qs, u"PrintColStart=99"_qs }) << u"PrintColStart 为 99，应在 -1 到"_qs;
    writeFile(u"-dash.csv"_qs, "a\n1\n");
    QTest::newRow("grid file named like options") << QStringList { u"--pdf"_qs, out,
        u"-dash.csv"_qs } << u"以 - 开头的文件名请写成 ./-dash.csv"_qs;
    QTest::newRow("PDF named as a page") << QStringList { u"--png"_qs,
        m_dir.filePath(u"refused"_qs), u"--pdf"_qs, m_dir.filePath(u"refused/page-003.png"_qs),
        csv } << u"PDF 文件"_qs;
    const QString json = writeFile(u"bad-format.json"_qs,
        R"({"GridType": 7, "format": {"Top": -50}, "grid": {"cells": [["a"]]}})");
    QTest::newRow("grid file format") << QStringList { u"--pdf"_qs, out, u"--settings"_qs, settings,
        json } << u"bad-format.json: 页面格式值 Top"_qs;
    const QString same = writeFile(u"same.csv"_qs, "a,b\n1,2\n");
    QTest::newRow("output is the input")
        << QStringList { u"--pdf"_qs, m_dir.path() + u"/./same.csv"_qs, same }
        << u"网格文件本身"_qs;
    // Batches: what no file could take, or an output that would be one of the grid files.
    const QString outDir = m_dir.filePath(u"refused/batch"_qs);
    const auto batch = [&](const QStringList &extra) {
        return QStringList { u"--out-dir"_qs, outDir } + extra
            + QStringList { csv, sample(u"merged.json"_qs) };
    };
    QTest::newRow("several files without --out-dir")
        << QStringList { u"--pdf"_qs, out, csv, csv } << u"请用 --out-dir"_qs;
    for (const QStringList &other :
        { QStringList { u"--pdf"_qs, out }, { u"--png"_qs, m_dir.filePath(u"refused/png"_qs) },
            { u"--printer"_qs, u"Quillon PDF"_qs }, { u"--cont"_qs } }) {
        QTest::addRow("--out-dir with %s", qPrintable(other[0]))
            << batch(other) << u"不能与 %1 同用"_qs.arg(other[0]);
    }
    QTest::newRow("--out-dir from standard input")
        << QStringList { u"--out-dir"_qs, outDir, u"-"_qs } << u"标准输入请用 --pdf"_qs;
    QTest::newRow("no jobs") << batch({ u"-j"_qs, u"0"_qs }) << u"1 到 256"_qs;
    QTest::newRow("jobs without --out-dir")
        << job({ u"--jobs"_qs, u"2"_qs }) << u"只用于 --out-dir"_qs;
    QTest::newRow("a value no file can take")
        << batch({ u"--set"_qs, u"TopMargin=-5"_qs }) << u"TopMargin"_qs;
    QDir().mkpath(m_dir.filePath(u"loop"_qs));
    QTest::newRow("a PDF that is a grid file")
        << QStringList { u"--out-dir"_qs, m_dir.filePath(u"loop"_qs), u"--input-format"_qs,
               u"csv"_qs, writeFile(u"loop/grid.pdf"_qs, "a,b\n1,2\n") }
        << u"网格文件本身"_qs;
}

void TestQuillonPrint::refusedBeforeWriting()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const Run r = run(args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY2(
        !QDir(m_dir.filePath(u"refused"_qs)).exists(), "an output or settings file was written");
    QFile same(m_dir.filePath(u"same.csv"_qs));
    QVERIFY(same.open(QIODevice::ReadOnly));
    QCOMPARE(same.readAll(), QByteArray("a,b\n1,2\n"));
}

void TestQuillonPrint::informationOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("output");
    QTest::newRow("version") << QStringList { u"--version"_qs } << u"quillon-print 0."_qs;
    QTest::newRow("help") << QStringList { u"--help"_qs } << u"退出状态：0"_qs;
    QTest::newRow("formats") << QStringList { u"--list-formats"_qs }
                             << u"Top\t整数\t毫米\t10（取自属性 TopMargin）\t0 到 500"_qs;
    QTest::newRow("font sizes") << QStringList { u"--list-formats"_qs }
                                << u"FONT9_Size\t整数\t磅\t11"_qs;
    QTest::newRow("properties") << QStringList { u"--list-properties"_qs }
                                << u"PaperOrient\t枚举：Portrait=1、Landscape=2\t1"_qs;
    QTest::newRow("quiet job") << QStringList { u"--quiet"_qs, u"--pdf"_qs,
        m_dir.filePath(u"quiet.pdf"_qs), sample(u"sales.csv"_qs) }
                               << QString();
}

void TestQuillonPrint::informationOptions()
{
    QFETCH(QStringList, args);
    QFETCH(QString, output);
    const Run r = run(args);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QString()); // no start-up noise either
    if (output.isEmpty())
        QCOMPARE(r.out, QString());
    else
        QVERIFY2(r.out.contains(output), qPrintable(r.out));
}

void TestQuillonPrint::helpAndReadmeListTheSameOptions()
{
    QFile readme(QStringLiteral(QUILLON_SOURCE_DIR "/README.md"));
    QVERIFY(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    const qsizetype from = text.indexOf(u"## Print a grid file from the command line"_qs);
    const QString section = text.mid(from, text.indexOf(u"\n## "_qs, from + 1) - from);
    const QRegularExpression option(u"--[a-z][a-z-]+"_qs);
    QSet<QString> inHelp, inReadme;
    for (auto it = option.globalMatch(run({ u"--help"_qs }).out); it.hasNext();)
        inHelp.insert(it.next().captured());
    for (auto it = option.globalMatch(section); it.hasNext();)
        inReadme.insert(it.next().captured());
    QCOMPARE(inHelp.size(), 21);
    QCOMPARE(inReadme, inHelp);
}

void TestQuillonPrint::laterOptionWins_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("lost");
    QTest::newRow("--set after --title")
        << QStringList { u"--title"_qs, u"甲表"_qs, u"--set"_qs, u"MainTitle=乙表"_qs }
        << u"乙表"_qs << u"甲表"_qs;
    QTest::newRow("--title after --set")
        << QStringList { u"--set"_qs, u"MainTitle=乙表"_qs, u"--title"_qs, u"甲表"_qs }
        << u"甲表"_qs << u"乙表"_qs;
    QTest::newRow("--title twice") << QStringList { u"--title"_qs, u"甲表"_qs, u"--title"_qs,
        u"丙表"_qs } << u"丙表"_qs << u"甲表"_qs;
}

void TestQuillonPrint::laterOptionWins()
{
    QFETCH(QStringList, options);
    QFETCH(QString, title);
    QFETCH(QString, lost);
    const QString first = m_dir.filePath(u"first.pdf"_qs), pdf = m_dir.filePath(u"later.pdf"_qs);
    QFile::remove(first);
    // The same on a desktop, where X11 would take --title for the window's title.
    for (const QString &display : { QString(), xDisplay() }) {
        QVERIFY(display.isNull() || !display.isEmpty());
        QProcessEnvironment env;
        if (!display.isNull()) {
            env.insert(u"DISPLAY"_qs, display);
            env.insert(u"QT_QPA_PLATFORM"_qs, u"xcb"_qs);
        }
        const Run r = run(QStringList { u"--pdf"_qs, first, u"--pdf"_qs, pdf } + options
                + QStringList { sample(u"sales.csv"_qs) },
            env);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(!QFile::exists(first));
        const QStringList pages = pdfPages(pdf);
        QCOMPARE(pages.size(), 5);
        QVERIFY2(pages[0].contains(title) && !pages[0].contains(lost), qPrintable(display));
    }
}

QString TestQuillonPrint::xDisplay()
{
    if (m_xvfb.state() == QProcess::Running)
        return m_display;
    // An X server of the test's own; it tells the display it took on its standard output.
    m_xvfb.start(u"Xvfb"_qs, { u"-displayfd"_qs, u"1"_qs, u"-nolisten"_qs, u"tcp"_qs });
    if (!m_xvfb.waitForStarted(10000) || !m_xvfb.waitForReadyRead(10000))
        return {};
    m_display = u":"_qs + QString::fromLatin1(m_xvfb.readLine()).trimmed();
    return m_display;
}

void TestQuillonPrint::gridFromStandardInput_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("pages");
    QTest::newRow("CSV") << u"sales.csv"_qs << QStringList() << 5;
    QTest::newRow("JSON, sniffed") << u"merged.json"_qs << QStringList() << 1;
    QTest::newRow("JSON, named") << u"wide.json"_qs
                                 << QStringList { u"--input-format"_qs, u"json"_qs } << 2;
}

void TestQuillonPrint::gridFromStandardInput()
{
    QFETCH(QString, file);
    QFETCH(QStringList, options);
    QFETCH(int, pages);
    QFile in(sample(file));
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QString pdf = m_dir.filePath(u"stdin.pdf"_qs);
    const Run r = run(
        QStringList { u"--pdf"_qs, pdf } + options + QStringList { u"-"_qs }, {}, in.readAll());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(pdfPages(pdf).size(), pages);
    QVERIFY(r.out.contains(u"（共 %1 页）"_qs.arg(pages)));
}

void TestQuillonPrint::wideCsvPrintsInColumnBands_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("banded");
    QTest::newRow("not chosen") << QStringList() << true;
    QTest::newRow("chosen off") << QStringList { u"--format"_qs, u"HoriCutPage=0"_qs } << false;
    QTest::newRow("landscape, still too wide")
        << QStringList { u"--set"_qs, u"PaperOrient=2"_qs } << true;
}

void TestQuillonPrint::wideCsvPrintsInColumnBands()
{
    QFETCH(QStringList, options);
    QFETCH(bool, banded);
    QByteArray csv = "编号";
    for (int c = 1; c < 40; ++c)
        csv += ",列" + QByteArray::number(c);
    for (int r = 0; r < 20; ++r) {
        csv += "\nR" + QByteArray::number(r);
        for (int c = 1; c < 40; ++c)
            csv += "," + QByteArray::number(r * c) + ".00";
    }
    const QString file = writeFile(u"wide40.csv"_qs, csv);
    const QString pdf = m_dir.filePath(u"wide40.pdf"_qs);
    const Run r = run(QStringList { u"--pdf"_qs, pdf } + options + QStringList { file });
    QCOMPARE(r.exitCode, 0);
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(r.err.count(u"已分段打印，每段重复第 1 列"_qs), banded ? 1 : 0);
    QCOMPARE(pages.size() > 1, banded);
    for (const QString &page : pages)
        QVERIFY(page.contains(u"编号"_qs) && page.contains(u"R19"_qs)); // the first column on each
    QVERIFY(pages.last().contains(u"列39"_qs));
}

// One language, one line per message, no window caption, no registry path, no Qt noise.
void TestQuillonPrint::consoleMessagesNameProgramReportAndFile()
{
    const QString settings = writeFile(u"hand-edited.ini"_qs,
        u"[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Orvane\\Quillon\\PGFMT\\月报]\nTop=-50\nLineCount=abc\nnonsense\n"_qs
            .toUtf8());
    const QString pdf = m_dir.filePath(u"messages.pdf"_qs);
    const Run r = run({ u"--pdf"_qs, pdf, u"--settings"_qs, settings, u"--key"_qs, u"月报"_qs,
        u"--format"_qs, u"LogPicPrt=1"_qs, u"--format"_qs, u"LogPic=/nonexistent/logo.png"_qs,
        sample(u"sales.csv"_qs) });
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.err.contains(
                 u"quillon-print: 报表“月报”: 设置“%1（报表 月报）”中以下值无效"_qs.arg(settings)),
        qPrintable(r.err));
    QVERIFY(r.err.contains(u"Top=“-50”，改用 10"_qs)); // out of range reads as the default
    QCOMPARE(r.err.count(u"徽标文件/nonexistent/logo.png没有找到。"_qs), 1);
    for (const char *noise : { "HKEY_LOCAL_MACHINE", "打印预览", "XDG_RUNTIME_DIR", "sheets",
             "QStandardPaths", "DefaultFormat" })
        QVERIFY2(!r.err.contains(QLatin1String(noise)), noise);
    QVERIFY(r.out.contains(u"（共 5 页）"_qs));
}

// A value of the machine-wide file is that file's fault, not the user's.
void TestQuillonPrint::badMachineValuesNameTheMachineFile()
{
    QVERIFY(QDir().mkpath(m_dir.filePath(u"etc/quillon"_qs)));
    const QString machine = writeFile(u"etc/quillon/settings.ini"_qs,
        u"[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Orvane\\Quillon\\PGFMT\\机器]\nTop=-50\n"_qs
            .toUtf8());
    QProcessEnvironment env;
    env.insert(u"XDG_CONFIG_DIRS"_qs, m_dir.filePath(u"etc"_qs));
    const QString user = m_dir.filePath(u"user.ini"_qs);
    const Run r = run({ u"--pdf"_qs, m_dir.filePath(u"machine.pdf"_qs), u"--settings"_qs, user,
                          u"--key"_qs, u"机器"_qs, sample(u"sales.csv"_qs) },
        env);
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.err.contains(u"系统设置文件“%1”（报表 机器）中以下值无效"_qs.arg(machine)),
        qPrintable(r.err));
    QVERIFY(!r.err.contains(user));
}

void TestQuillonPrint::pdfToStandardOutput()
{
    const Run r = run({ u"--pdf"_qs, u"-"_qs, sample(u"sales.csv"_qs) });
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(pdfPages(writeFile(u"from-stdout.pdf"_qs, r.bytes)).size(), 5);
}

void TestQuillonPrint::oneOffJobsLeaveSavedFormatsAlone()
{
    const QString pdf = m_dir.filePath(u"oneoff.pdf"_qs);
    QCOMPARE(run({ u"--pdf"_qs, pdf, u"--format"_qs, u"LineCount=20"_qs, sample(u"sales.csv"_qs) })
                 .exitCode,
        0);
    QCOMPARE(pdfPages(pdf).size(), 12); // 236 rows at 20 a page
    QVERIFY(!QFile::exists(m_home.filePath(u"config/quillon/settings.ini"_qs)));
    QVERIFY(!QDir(m_home.path())
                 .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                 .contains(u"config"_qs)
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
    QVERIFY(text.contains(
        u"[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Orvane\\Quillon\\PGFMT\\销售清单]"_qs));
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
    for (auto it = QRegularExpression(
             u"```json\\n(.*?)```"_qs, QRegularExpression::DotMatchesEverythingOption)
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
    QCOMPARE(examples, 8);
}

void TestQuillonPrint::printsOnTheVirtualPdfPrinter_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("pdfCopy");
    QTest::newRow("printer only") << QStringList() << false;
    QTest::newRow("a PDF file first")
        << QStringList { u"--pdf"_qs, m_dir.filePath(u"copy.pdf"_qs) } << true;
}

void TestQuillonPrint::printsOnTheVirtualPdfPrinter()
{
    QFETCH(QStringList, options);
    QFETCH(bool, pdfCopy);
    const QString folder = m_dir.filePath(pdfCopy ? u"direct-copy"_qs : u"direct"_qs);
    QProcessEnvironment env;
    env.insert(u"QUILLON_PDF_DIR"_qs, folder);
    const Run r = run(QStringList { u"--printer"_qs, u"Quillon PDF"_qs } + options
            + QStringList { sample(u"sales.csv"_qs) },
        env);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY(r.out.contains(u"已送到打印机“Quillon PDF”"_qs));
    // Console progress, not a window nobody sees.
    QVERIFY2(r.err.contains(u"quillon-print: 第 5 页 共（5）页"_qs), qPrintable(r.err));
    QVERIFY(r.err.endsWith(u"quillon-print: 完成\n"_qs));
    const QStringList printed = documents(folder);
    QCOMPARE(printed.size(), 1);
    QVERIFY2(
        r.err.contains(u"quillon-print: 已打印到文件：%1\n"_qs.arg(printed[0])), qPrintable(r.err));
    const QStringList pages = pdfPages(printed[0]);
    QCOMPARE(pages.size(), 5);
    QVERIFY(pages[0].contains(u"客户名称"_qs) && pages[4].contains(u"第 5 页 (共 5 页)"_qs));
    QCOMPARE(QFile::exists(m_dir.filePath(u"copy.pdf"_qs)), pdfCopy);
}

void TestQuillonPrint::continuousPrintingSendsEachSheet_data()
{
    QTest::addColumn<int>("rowsPerPage"); // 0: as many as fit
    QTest::newRow("a sheet per data set") << 0;
    QTest::newRow("five rows a sheet") << 5;
}

// Each sheet is a document of its own; each data set prints its rows and its own head line.
void TestQuillonPrint::continuousPrintingSendsEachSheet()
{
    QFETCH(int, rowsPerPage);
    QFile file(sample(u"statements.json"_qs));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    QList<QJsonObject> sets { root[u"grid"_qs].toObject() };
    sets.first()[u"head"_qs] = root[u"head"_qs];
    for (const QJsonValue &set : root[u"datasets"_qs].toArray())
        sets << set.toObject();
    QCOMPARE(sets.size(), 4);

    const QString folder = m_dir.filePath(u"cont-%1"_qs.arg(rowsPerPage));
    QProcessEnvironment env;
    env.insert(u"QUILLON_PDF_DIR"_qs, folder);
    const Run r = run({ u"--cont"_qs, u"--printer"_qs, u"Quillon PDF"_qs, u"--format"_qs,
                          u"LineCount=%1"_qs.arg(rowsPerPage), sample(u"statements.json"_qs) },
        env);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY(r.out.contains(u"连续打印 4 组数据"_qs));
    QCOMPARE(r.err.count(u"组数据已印完（共 4 组）"_qs), 4);

    QMap<QString, int> sheetsOf; // a data set's head line: the documents it is on
    int expected = 0;
    for (const QJsonObject &set : sets) {
        const qsizetype bodyRows = set[u"cells"_qs].toArray().size() - 1;
        const int sheets = rowsPerPage ? int((bodyRows + rowsPerPage - 1) / rowsPerPage) : 1;
        sheetsOf[set[u"head"_qs].toArray()[0].toArray()[0].toString()] = sheets;
        expected += sheets;
    }
    const QStringList printed = documents(folder);
    QCOMPARE(printed.size(), expected);
    QMap<QString, int> found;
    for (const QString &pdf : printed) {
        const QStringList pages = pdfPages(pdf);
        QCOMPARE(pages.size(), 1);
        for (auto it = sheetsOf.cbegin(); it != sheetsOf.cend(); ++it)
            found[it.key()] += pages[0].contains(it.key()) ? 1 : 0;
        QVERIFY(pages[0].contains(u"XS2026"_qs)); // body rows on every sheet
    }
    QCOMPARE(found, sheetsOf);
}

void TestQuillonPrint::dataSetsNeedCont()
{
    const QString pdf = m_dir.filePath(u"statements.pdf"_qs);
    const Run r = run({ u"--pdf"_qs, pdf, sample(u"statements.json"_qs) });
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(
        r.err.contains(u"“datasets”中的 3 组数据只在 --cont 连续打印时印出"_qs), qPrintable(r.err));
    QCOMPARE(pdfPages(pdf).size(), 1);
}

// Refused with status 2 before anything is printed, written or saved.
void TestQuillonPrint::printingRefused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("environment"); // NAME=VALUE or empty
    QTest::addColumn<QString>("message");
    const QString csv = sample(u"sales.csv"_qs);
    const QString statements = sample(u"statements.json"_qs);
    const QString settings = m_dir.filePath(u"refused/settings.ini"_qs);
    const auto job = [&](const QStringList &options, const QString &file) {
        return QStringList { u"--settings"_qs, settings } + options + QStringList { file };
    };
    const QString pdfPrinter = u"Quillon PDF"_qs;
    QTest::newRow("unknown printer") << job({ u"--printer"_qs, u"Bogus"_qs }, csv) << QString()
                                     << u"打印机“Bogus”没有安装；已安装的打印机：Quillon PDF"_qs;
    QTest::newRow("no printer at all")
        << job({ u"--printer"_qs, pdfPrinter }, csv) << u"QUILLON_VIRTUAL_PRINTER=0"_qs
        << u"打印机“Quillon PDF”没有安装：这台机器上没有任何打印机"_qs;
    QTest::newRow("designated printer gone")
        << job({ u"--cont"_qs, u"--format"_qs, u"PrinterName=Gone"_qs }, statements) << QString()
        << u"报表“示例-对账单”的页面格式指定的打印机“Gone”没有安装"_qs;
    QTest::newRow("cont and a PDF file")
        << job({ u"--cont"_qs, u"--pdf"_qs, m_dir.filePath(u"refused/out.pdf"_qs) }, statements)
        << QString() << u"不能与 --pdf、--png 同用"_qs;
    QTest::newRow("cont and the dialog") << job({ u"--cont"_qs, u"--dialog"_qs }, statements)
                                         << QString() << u"不能与 --dialog 同用"_qs;
    QTest::newRow("dialog without a display")
        << job({ u"--dialog"_qs }, csv) << QString() << u"--dialog 需要图形界面"_qs;
    const QString wideRow = writeFile(u"wide-row.json"_qs,
        R"({"GridType": 7, "grid": {"cells": [["a", "b"], ["1", "2"]]},
            "datasets": [{"cells": [["a", "b"], ["1", "2", "3"]]}]})");
    QTest::newRow("data set wider than the grid")
        << job({ u"--cont"_qs, u"--printer"_qs, pdfPrinter }, wideRow) << QString()
        << u"“datasets[0].cells[1]”有 3 个单元格，但网格只有 2 列"_qs;
    const QString notAList = writeFile(u"not-a-list.json"_qs,
        R"({"GridType": 7, "grid": {"cells": [["a"], ["1"]]}, "datasets": {"cells": [["b"]]}})");
    QTest::newRow("datasets not a list")
        << job({ u"--cont"_qs }, notAList) << QString() << u"“datasets”应为由数据组对象"_qs;
}

void TestQuillonPrint::printingRefused()
{
    QFETCH(QStringList, args);
    QFETCH(QString, environment);
    QFETCH(QString, message);
    QProcessEnvironment env;
    env.insert(u"QUILLON_PDF_DIR"_qs, m_dir.filePath(u"refused/virtual"_qs));
    if (!environment.isEmpty())
        env.insert(environment.section(u'=', 0, 0), environment.section(u'=', 1));
    const Run r = run(args, env);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY2(!QDir(m_dir.filePath(u"refused"_qs)).exists(), "a document or file was written");
}

void TestQuillonPrint::printsOnACupsQueue()
{
    PrivateCups cups;
    QString why;
    if (!cups.start(&why))
        QSKIP(qPrintable(why));
    QProcessEnvironment env;
    env.insert(u"CUPS_SERVER"_qs, cups.socket());
    const Run r = run({ u"--quiet"_qs, u"--printer"_qs, QString::fromLatin1(PrivateCups::kQueue),
                          sample(u"sales.csv"_qs) },
        env);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(r.err, QString());
    QVERIFY(cups.waitForJobs());
    // The queue's printable area is smaller than the virtual printer's: count, do not assume.
    const QStringList pages = pdfPages(cups.outputFile());
    QVERIFY(pages.size() >= 5);
    QVERIFY(pages.last().contains(u"第 %1 页 (共 %1 页)"_qs.arg(pages.size())));
    QSet<QString> orders;
    for (const QString &page : pages) {
        for (auto it = QRegularExpression(u"XS\\d{9}"_qs).globalMatch(page); it.hasNext();)
            orders.insert(it.next().captured());
    }
    QCOMPARE(orders.size(), 236);
}

void TestQuillonPrint::batchWritesAPdfPerFile_data()
{
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("written"); // file=pages, by name
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("messages"); // patterns of lines of standard error
    const QString sales = sample(u"sales.csv"_qs), merged = sample(u"merged.json"_qs);
    const auto rows = [](int count) {
        QByteArray csv = "编号,名称";
        for (int r = 1; r <= count; ++r)
            csv += "\n" + QByteArray::number(r) + ",第" + QByteArray::number(r) + "行";
        return csv;
    };
    const auto line = [](const QString &file, const QString &text) {
        return u"^quillon-print: "_qs + QRegularExpression::escape(file) + u": "_qs + text;
    };
    QDir().mkpath(m_dir.filePath(u"in/a"_qs));
    QDir().mkpath(m_dir.filePath(u"in/b"_qs));
    QFile::copy(sales, m_dir.filePath(u"in/a/sales.csv"_qs));
    const QString small = writeFile(u"in/b/sales.csv"_qs, rows(2));
    const QString thirty = writeFile(u"in/sales-2.csv"_qs, rows(30));
    const QString broken = writeFile(u"in/broken.json"_qs, "{\"GridType\": 7, \"grid\": {");
    // A format of 20 rows a page, and data sets it does not print that make it slow to read:
    // a file after it has every chance to load the format before it is stored.
    QByteArray json
        = R"({"GridType": 7, "format": {"LineCount": 20}, "grid": {"cells": [["a"], ["1"]]}, "datasets": [)";
    for (int set = 0; set < 200; ++set)
        json += (set ? ", " : "") + QByteArray(R"({"cells": [["a"])")
            + QByteArray(", [\"x\"]").repeated(500) + "]}";
    const QString twenty = writeFile(u"in/twenty.json"_qs, json + "]}");
    const QString logo = u"徽标文件/nonexistent/logo.png没有找到。"_qs;

    QTest::newRow("two reports at once")
        << QStringList { sales, merged } << QStringList { u"-j"_qs, u"2"_qs }
        << QStringList { u"merged.pdf=1"_qs, u"sales.pdf=5"_qs } << 0 << QStringList();
    QTest::newRow("names taken twice are numbered")
        << QStringList { m_dir.filePath(u"in/a/sales.csv"_qs), small, thirty }
        << QStringList { u"--format"_qs, u"LineCount=10"_qs }
        << QStringList { u"sales-2.pdf=3"_qs, u"sales-3.pdf=1"_qs, u"sales.pdf=24"_qs } << 0
        << QStringList();
    QTest::newRow("a bad file among good ones")
        << QStringList { sales, broken, merged } << QStringList { u"--jobs"_qs, u"2"_qs }
        << QStringList { u"merged.pdf=1"_qs, u"sales.pdf=5"_qs } << 1
        << QStringList { line(broken, u".*没有结束.*"_qs),
               u"^quillon-print: 3 个网格文件中有 1 个没有写出："_qs };
    QTest::newRow("each file's messages under its name")
        << QStringList { sales, merged }
        << QStringList { u"-j"_qs, u"2"_qs, u"--format"_qs, u"LogPicPrt=1"_qs, u"--format"_qs,
               u"LogPic=/nonexistent/logo.png"_qs }
        << QStringList { u"merged.pdf=1"_qs, u"sales.pdf=5"_qs } << 0
        << QStringList { line(sales, u".*"_qs + logo), line(merged, u".*"_qs + logo) };
    QTest::newRow("each file alone without a settings file")
        << QStringList { twenty, sales } << QStringList { u"-j"_qs, u"2"_qs }
        << QStringList { u"sales.pdf=5"_qs, u"twenty.pdf=1"_qs } << 0 << QStringList();
    QTest::newRow("a settings file passes formats on in order")
        << QStringList { twenty, sales }
        << QStringList { u"-j"_qs, u"2"_qs, u"--settings"_qs, m_dir.filePath(u"batch.ini"_qs) }
        << QStringList { u"sales.pdf=12"_qs, u"twenty.pdf=1"_qs } << 0 << QStringList();
}

// --out-dir: a PDF file per grid file, a result line for each, and the failures named.
void TestQuillonPrint::batchWritesAPdfPerFile()
{
    QFETCH(QStringList, inputs);
    QFETCH(QStringList, options);
    QFETCH(QStringList, written);
    QFETCH(int, exitCode);
    QFETCH(QStringList, messages);
    const QDir out(m_dir.filePath(u"batch/"_qs + QString::fromUtf8(QTest::currentDataTag())));
    const Run r = run(QStringList { u"--out-dir"_qs, out.path() } + options + inputs);
    QCOMPARE(r.exitCode, exitCode);
    QStringList found;
    for (const QString &name : out.entryList(QDir::Files, QDir::Name))
        found << u"%1=%2"_qs.arg(name).arg(pdfPages(out.filePath(name)).size());
    QCOMPARE(found, written);
    QCOMPARE(r.out.count(u"（共 "_qs), written.size());
    for (const QString &pattern : messages) {
        QVERIFY2(r.err.contains(QRegularExpression(pattern, QRegularExpression::MultilineOption)),
            qPrintable(pattern + u"\n"_qs + r.err));
    }
}

void TestQuillonPrint::manualAndCompletionListEveryOption_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    // Plain text at 80 columns, every warning shown; -k converts the UTF-8 as man does.
    QTest::newRow("manual page") << u"groff"_qs
                                 << QStringList { u"-k"_qs, u"-man"_qs, u"-Tutf8"_qs, u"-ww"_qs,
                                        u"-rLL=80n"_qs, u"-P-cbou"_qs,
                                        QStringLiteral(QUILLON_PRINT_MANPAGE) };
    QTest::newRow("bash completion")
        << u"bash"_qs
        << QStringList { u"-c"_qs,
               u"source \"$0\" && COMP_WORDS=(quillon-print -) COMP_CWORD=1 && _quillon_print "
               "&& printf '%s\\n' \"${COMPREPLY[@]}\""_qs,
               QStringLiteral(QUILLON_PRINT_COMPLETION) };
}

// Both are made from the option table at build time: neither may miss an option of --help.
void TestQuillonPrint::manualAndCompletionListEveryOption()
{
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    if (QStandardPaths::findExecutable(program).isEmpty())
        QSKIP(qPrintable(program + u" is not installed"_qs));
    QProcess p;
    p.start(program, args);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QString());
    const QString text = QString::fromUtf8(p.readAllStandardOutput()).replace(QChar(0x2212), u'-');
    const QRegularExpression option(u"(?<![\\w-])--?[a-z][a-z-]*"_qs);
    QSet<QString> options;
    for (auto it = option.globalMatch(run({ u"--help"_qs }).out); it.hasNext();)
        options.insert(it.next().captured());
    QCOMPARE(options.size(), 22); // 21 long options and -j
    for (const QString &o : options) {
        const QRegularExpression word(
            u"(?<![\\w-])"_qs + QRegularExpression::escape(o) + u"(?![\\w-])"_qs);
        QVERIFY2(text.contains(word), qPrintable(o));
    }
}

QUILLON_TEST_MAIN(TestQuillonPrint)
#include "tst_quillonprint.moc"
