#include "api/myprint_p.h"
#include "support/privatecupsmain.h"

#include "engine/layout/sheetjob.h"
#include "ui/dialogs/pagesetupdialog.h"

#include <quillon/flexgrid.h>
#include <quillon/myprint.h>
#include <quillon/platform.h>

#include <QApplication>
#include <QComboBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include <cstdio>

using namespace quillon;

namespace {

PrivateCups *g_cups = nullptr;
const QString kQueue = QString::fromLatin1(PrivateCups::kQueue);
const QString kKey = u"往来对账单"_qs;
const QString kTitle = u"往来对账单"_qs;

QString output(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

template <typename T> T *control(QWidget &dialog, const QString &name)
{
    auto *widget = dialog.findChild<T *>(name);
    if (!widget)
        qFatal("no control %s", qPrintable(name));
    return widget;
}

void enter(QLineEdit *box, const QString &text)
{
    box->setText(text);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(box, &out);
    QCoreApplication::processEvents();
}

/// The words of a PDF's first page with their boxes in points, from pdftotext -bbox.
struct Word
{
    QString text;
    double xMin, yMin, xMax;
};
QList<Word> words(const QString &pdf)
{
    static const QRegularExpression word(
        u"<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\"[^>]*>([^<]*)</word>"_qs);
    QList<Word> list;
    const QString html = output(
        u"pdftotext"_qs, { u"-bbox"_qs, u"-f"_qs, u"1"_qs, u"-l"_qs, u"1"_qs, pdf, u"-"_qs });
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        list.append({ m.captured(4), m.captured(1).toDouble(), m.captured(2).toDouble(),
            m.captured(3).toDouble() });
    }
    return list;
}

} // namespace

// A user's page setup on the CUPS queue, saved, and a new process that prints the report with
// the format it finds.
class TestPageSetupRoundTrip : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void savedSetupPrintsTheSameInANewProcess();
};

void TestPageSetupRoundTrip::savedSetupPrintsTheSameInANewProcess()
{
    const QString settings = g_cups->dir() + u"/settings.ini"_qs;
    setSettingsFile(settings);
    FlexGrid grid;
    grid.setSize(31, 3);
    grid.setFixedRows(1);
    QString csv = u"科目,借方,贷方\n"_qs;
    grid.setTextMatrix(0, 0, u"科目"_qs);
    grid.setTextMatrix(0, 1, u"借方"_qs);
    grid.setTextMatrix(0, 2, u"贷方"_qs);
    for (int r = 1; r <= 30; ++r) {
        const QString row[] = { u"应收账款%1"_qs.arg(r), QString::number(r * 100), u"0"_qs };
        for (int c = 0; c < 3; ++c)
            grid.setTextMatrix(r, c, row[c]);
        csv += row[0] + u',' + row[1] + u',' + row[2] + u'\n';
    }
    MyPrint print;
    print.setPrintKeyName(kKey);
    print.setMainTitle(kTitle);
    print.setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    print.setDatagrid(&grid);
    {
        SheetJob job(MyPrintPrivate::get(print));
        QVERIFY(job.prepare(1, nullptr, SheetJob::Checks::GridKindFirst, false));
        PageSetupDialog dialog(job.state());
        dialog.applyTo(job);
        dialog.setSaveCaption();
        dialog.show();
        auto *printers = control<QComboBox>(dialog, u"CboPrinter"_qs);
        printers->setCurrentIndex(printers->findText(kQueue));
        QCOMPARE(printers->currentText(), kQueue);
        // The queue's own papers: A5 is among its PPD's sizes.
        auto *papers = control<QComboBox>(dialog, u"cboPaperSize"_qs);
        const int a5 = papers->findData(11);
        QVERIFY2(a5 >= 0, qPrintable(QString::number(papers->count())));
        papers->setCurrentIndex(a5);
        control<QRadioButton>(dialog, u"OpnOrient(1)"_qs)->click();
        const QString margins[] = { u"25"_qs, u"20"_qs, u"15"_qs, u"30"_qs };
        for (int i = 0; i < 4; ++i)
            enter(control<QLineEdit>(dialog, u"txtMargin(%1)"_qs.arg(i)), margins[i]);
        // The title's font, chosen in the font dialog.
        control<QListWidget>(dialog, u"lstText"_qs)->setCurrentRow(0);
        QTimer::singleShot(0, [] {
            auto *fonts = qobject_cast<QFontDialog *>(QApplication::activeModalWidget());
            QVERIFY(fonts);
            fonts->setCurrentFont(QFont(u"AR PL UKai CN"_qs, 20));
            fonts->accept();
        });
        control<QPushButton>(dialog, u"cmdfontset"_qs)->click();
        QTest::mouseClick(control<QPushButton>(dialog, u"command1(2)"_qs), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(dialog, u"command1(0)"_qs), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
    }

    // Another process finds the format under the report's name and prints on the queue.
    const QString csvFile = g_cups->dir() + u"/statement.csv"_qs;
    QFile file(csvFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(csv.toUtf8());
    file.close();
    QFile::remove(g_cups->outputFile());
    const QString direct = g_cups->dir() + u"/direct.pdf"_qs;
    QProcess tool;
    tool.start(QStringLiteral(QUILLON_PRINT_EXE),
        { u"--settings"_qs, settings, u"--key"_qs, kKey, u"--title"_qs, kTitle, u"--pdf"_qs, direct,
            u"--printer"_qs, kQueue, u"--quiet"_qs, csvFile });
    QVERIFY(tool.waitForFinished(120000));
    QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
    QVERIFY(g_cups->waitForJobs());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(g_cups->outputFile()).size() > 0, 30000);

    // A5 landscape in the file; on the queue the same pages on A5 sheets, which the driver
    // feeds short edge first with the page turned.
    const auto pageInfo = [](const QString &pdf) {
        static const QRegularExpression size(
            u"Pages:\\s+(\\d+).*Page size:\\s+([\\d.]+) x ([\\d.]+) pts"_qs,
            QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch m = size.match(output(u"pdfinfo"_qs, { pdf }));
        return QList<int> { m.captured(1).toInt(), qRound(m.captured(2).toDouble()),
            qRound(m.captured(3).toDouble()) };
    };
    const QList<int> exported = pageInfo(direct);
    QCOMPARE(exported.mid(1), QList<int>({ 595, 420 }));
    QVERIFY(exported[0] >= 3); // ten body rows a page in landscape
    const QList<int> queued = pageInfo(g_cups->outputFile());
    QCOMPARE(queued[0], exported[0]);
    QCOMPARE(std::min(queued[1], queued[2]), 420);
    QCOMPARE(std::max(queued[1], queued[2]), 595);
    // The title in the chosen Kai face.
    const QString fonts = output(u"pdffonts"_qs, { direct });
    QVERIFY2(fonts.contains(u"UKai"_qs), qPrintable(fonts));
    // The title centred between the margins of 15 mm and 30 mm, not on the page; nothing above
    // the top margin of 25 mm.
    const QList<Word> page = words(direct);
    const auto title
        = std::find_if(page.cbegin(), page.cend(), [](const Word &w) { return w.text == kTitle; });
    QVERIFY(title != page.cend());
    const double mm = 72 / 25.4;
    const double centre = (title->xMin + title->xMax) / 2;
    QVERIFY2(qAbs(centre - (15 + (210 - 30)) / 2.0 * mm) < 2, qPrintable(QString::number(centre)));
    for (const Word &w : page)
        QVERIFY2(w.yMin >= 25 * mm, qPrintable(w.text));
}

int main(int argc, char **argv)
{
    return runWithPrivateCups<TestPageSetupRoundTrip>(argc, argv, &g_cups);
}

#include "tst_pagesetuproundtrip.moc"
