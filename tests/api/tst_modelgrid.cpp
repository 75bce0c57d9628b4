#include "support/pdfpicture.h"
#include "support/testplatform.h"
#include "testmain.h"

#include "engine/grids/gridadapters.h"
#include "printer/virtualprintingsystem.h"

#include <quillon/error.h>
#include <quillon/modelgrid.h>
#include <quillon/modelsheetgrid.h>
#include <quillon/myprint.h>
#include <quillon/reportexport.h>
#include <quillon/tableviewgrid.h>

#include <QHeaderView>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>

using namespace quillon;

namespace {

std::unique_ptr<QStandardItemModel> salesModel(int rows)
{
    auto model = std::make_unique<QStandardItemModel>(rows, 3);
    model->setHorizontalHeaderLabels({ u"客户"_qs, u"金额"_qs, u"日期"_qs });
    for (int r = 0; r < rows; ++r) {
        model->setItem(r, 0, new QStandardItem(u"客户%1"_qs.arg(r + 1)));
        auto *amount = new QStandardItem(QString::number(1000 + r, 'f', 2));
        amount->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        model->setItem(r, 1, amount);
        model->setItem(r, 2, new QStandardItem(u"2026-12-07"_qs));
    }
    return model;
}

} // namespace

class TestModelGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { TestPlatform::uninstall(); }

    void headerRowThenTheModelsRows();
    void alignmentsFromTheModel();
    void widthsSetOrSizedToContent();
    void readsTheModelAsItIsNow();
    void aModelThatIsGoneReadsEmpty();
    void printsAsAReport();

    void sheetCellsFromTheModelsRoles_data();
    void sheetCellsFromTheModelsRoles();
    void sheetTextsAsTheViewWritesThem();
    void tableViewLayoutAndSpans();
    void tableViewPrintsAsItLooks();

private:
    static std::unique_ptr<QStandardItemModel> ledgerModel();
};

void TestModelGrid::headerRowThenTheModelsRows()
{
    auto model = salesModel(3);
    ModelGrid grid(model.get());
    auto access = GridAccess::create(5, &grid);
    QCOMPARE(access->rowCount(), 4);
    QCOMPARE(access->colCount(), 3);
    QCOMPARE(access->fixedRowsTop(), 1);
    QCOMPARE(access->cellText(0, 1), u"金额"_qs);
    QCOMPARE(access->cellText(2, 0), u"客户2"_qs);
    QCOMPARE(grid.Row(), 2); // reading selects
    QCOMPARE(GridAccess::create(7, &grid)->cellText(3, 1), u"1002.00"_qs);
}

void TestModelGrid::alignmentsFromTheModel()
{
    auto model = salesModel(2);
    ModelGrid grid(model.get());
    auto access = GridAccess::create(5, &grid);
    auto *flex = static_cast<FlexGridAccess *>(access.get());
    QCOMPARE(flex->cellAlignment(0, 0), 4); // headings centred
    QCOMPARE(flex->cellAlignment(1, 1), 7); // right, vertically centred
    QCOMPARE(grid.ColAlignment(1), 7);
    QCOMPARE(grid.ColAlignment(0), 9); // general
    model->item(0, 0)->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QCOMPARE(flex->cellAlignment(1, 0), 3);
}

void TestModelGrid::widthsSetOrSizedToContent()
{
    auto model = salesModel(2);
    ModelGrid grid(model.get());
    grid.setColumnWidth(0, 1500);
    QCOMPARE(grid.ColWidth(0), 1500);
    QCOMPARE(grid.ColWidth(1), 7 * 120 + 240); // "1000.00"
    QCOMPARE(grid.ColWidth(2), 10 * 120 + 240);
    grid.setRowHeightTwips(320);
    QCOMPARE(grid.RowHeight(1), 320);
    QVERIFY(grid.RowHeight(0) > 320);
}

void TestModelGrid::readsTheModelAsItIsNow()
{
    auto model = salesModel(2);
    ModelGrid grid(model.get());
    model->item(1, 0)->setText(u"改过的"_qs);
    model->appendRow({ new QStandardItem(u"新行"_qs) });
    auto access = GridAccess::create(5, &grid);
    QCOMPARE(access->cellText(2, 0), u"改过的"_qs);
    QCOMPARE(access->rowCount(), 4);
    QCOMPARE(access->cellText(3, 0), u"新行"_qs);
}

void TestModelGrid::aModelThatIsGoneReadsEmpty()
{
    auto model = salesModel(2);
    ModelGrid grid(model.get());
    model.reset();
    QCOMPARE(grid.Rows(), 0);
    QCOMPARE(grid.Cols(), 0);
    QVERIFY_THROWS_EXCEPTION(Error, grid.setRow(0));
}

void TestModelGrid::printsAsAReport()
{
    if (QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty())
        QSKIP("poppler-utils are not installed: the PDF cannot be checked");
    QTemporaryDir dir;
    TestPlatform::install(VirtualPrintingSystem::withPdfPrinter(dir.path()));
    auto model = salesModel(120);
    ModelGrid grid(model.get());
    MyPrint print;
    print.setDatagrid(&grid);
    print.setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    print.setMainTitle(u"客户往来"_qs);
    ReportExport report(print);
    const QString pdf = dir.filePath(u"model.pdf"_qs);
    QVERIFY2(report.toPdf(pdf), qPrintable(report.errorString()));
    QVERIFY(report.sheetCount() >= 2);
    QProcess p;
    p.start(u"pdftotext"_qs, { u"-layout"_qs, pdf, u"-"_qs });
    p.waitForFinished(30000);
    const QStringList pages
        = QString::fromUtf8(p.readAllStandardOutput()).split(QChar(u'\f'), Qt::SkipEmptyParts);
    QCOMPARE(pages.size(), report.sheetCount());
    for (const QString &page : pages)
        QVERIFY(page.contains(u"客户往来"_qs) && page.contains(u"金额"_qs));
    const QString all = pages.join(QString());
    QVERIFY(all.contains(u"客户120"_qs));
    QVERIFY(all.contains(u"1119.00"_qs));
}

// A small ledger: a bold red total, right-aligned amounts, a column of notes.
std::unique_ptr<QStandardItemModel> TestModelGrid::ledgerModel()
{
    auto model = std::make_unique<QStandardItemModel>(4, 3);
    model->setHorizontalHeaderLabels({ u"科目"_qs, u"金额"_qs, u"备注"_qs });
    const QStringList names { u"现金"_qs, u"银行存款"_qs, u"应收账款"_qs, u"合计"_qs };
    const QStringList amounts { u"1,200.00"_qs, u"35,000.00"_qs, u"-800.00"_qs, u"35,400.00"_qs };
    for (int r = 0; r < 4; ++r) {
        model->setItem(r, 0, new QStandardItem(names[r]));
        auto *amount = new QStandardItem(amounts[r]);
        amount->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        model->setItem(r, 1, amount);
        model->setItem(r, 2, new QStandardItem(u"内部备注%1"_qs.arg(r)));
    }
    QFont bold(u"黑体"_qs, 14);
    bold.setBold(true);
    for (int c = 0; c < 2; ++c) {
        model->item(3, c)->setFont(bold);
        model->item(3, c)->setForeground(QColor(255, 0, 0));
    }
    return model;
}

void TestModelGrid::sheetCellsFromTheModelsRoles_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<double>("size");
    QTest::addColumn<int>("color");
    QTest::addColumn<int>("horizontal");
    QTest::addColumn<int>("vertical");
    // Row 1 is the header; the model's rows follow.
    QTest::newRow("heading, centred") << u"B1"_qs << u"金额"_qs << false << 9.0 << 0 << 3 << 2;
    QTest::newRow("text, left") << u"A2"_qs << u"现金"_qs << false << 9.0 << 0 << 2 << 2;
    QTest::newRow("amount, right") << u"B3"_qs << u"35,000.00"_qs << false << 9.0 << 0 << 4 << 2;
    QTest::newRow("total: bold, 14 points, red")
        << u"A5"_qs << u"合计"_qs << true << 14.0 << 255 << 2 << 2;
}

void TestModelGrid::sheetCellsFromTheModelsRoles()
{
    QFETCH(QString, address);
    QFETCH(QString, text);
    QFETCH(bool, bold);
    QFETCH(double, size);
    QFETCH(int, color);
    QFETCH(int, horizontal);
    QFETCH(int, vertical);
    auto model = ledgerModel();
    ModelSheetGrid grid(model.get());
    grid.setDefaultFont(QFont(u"宋体"_qs, 9));
    QCOMPARE(grid.MaxRow(), 5);
    QCOMPARE(grid.MaxCol(), 3);
    QCOMPARE(grid.FixedRows(), 1);
    grid.setSelection(address);
    QCOMPARE(grid.Text(), text);
    const SheetCellFormat format = grid.GetCellFormat();
    QCOMPARE(format.FontBold, bold);
    QCOMPARE(format.FontSize, size);
    QCOMPARE(format.FontColor, color);
    QCOMPARE(format.HorizontalAlignment, horizontal);
    QCOMPARE(format.VerticalAlignment, vertical);
    QCOMPARE(format.BorderStyle, (std::array<qint16, 4> { 1, 1, 1, 1 }));
    QVERIFY(!format.MergeCells);
    grid.setGridShown(false);
    QCOMPARE(grid.GetCellFormat().BorderStyle, (std::array<qint16, 4> {}));
}

void TestModelGrid::sheetTextsAsTheViewWritesThem()
{
    QStandardItemModel model(1, 4);
    model.setData(model.index(0, 0), 1234.5);
    model.setData(model.index(0, 1), 42);
    model.setData(model.index(0, 2), QDate(2026, 12, 7));
    model.setData(model.index(0, 3), 1.0 / 3);
    ModelSheetGrid grid(&model);
    grid.setHeaderShown(false);
    grid.setLocale(QLocale(QLocale::Chinese, QLocale::China));
    QCOMPARE(grid.MaxRow(), 1);
    QCOMPARE(grid.TextRC(1, 1), u"1,234.5"_qs);
    QCOMPARE(grid.TextRC(1, 2), u"42"_qs);
    QCOMPARE(grid.TextRC(1, 3),
        QLocale(QLocale::Chinese, QLocale::China)
            .toString(QDate(2026, 12, 7), QLocale::ShortFormat));
    QCOMPARE(grid.TextRC(1, 4), u"0.333333"_qs);
    // Columns are as wide as their texts, measured again when the model changes.
    QCOMPARE(grid.ColWidth(4), 8 * 120 + 240);
    model.setData(model.index(0, 3), u"一二三四五六七八九十"_qs);
    QCOMPARE(grid.ColWidth(4), 10 * 220 + 240);
    grid.setColumnWidth(3, 900);
    QCOMPARE(grid.ColWidth(4), 900);
    // Columns past Z select as in a spreadsheet.
    QStandardItemModel wide(1, 30);
    wide.setData(wide.index(0, 27), u"第28列"_qs);
    ModelSheetGrid wideGrid(&wide);
    wideGrid.setSelection(u"AB2"_qs);
    QCOMPARE(wideGrid.Text(), u"第28列"_qs);
    QVERIFY_THROWS_EXCEPTION(Error, wideGrid.setSelection(u"2B"_qs));
}

void TestModelGrid::tableViewLayoutAndSpans()
{
    auto model = ledgerModel();
    QTableView view;
    view.setModel(model.get());
    view.setColumnWidth(0, 192);
    view.setRowHeight(2, 48);
    view.setColumnHidden(2, true);
    view.setSpan(0, 0, 2, 1); // 现金 over two rows
    view.setSpan(3, 0, 1, 2); // the total across two columns
    TableViewGrid grid(&view);
    const int dpi = view.logicalDpiX();
    QCOMPARE(grid.ColWidth(1), 192 * 1440 / dpi);
    QCOMPARE(grid.RowHeight(4), 48 * 1440 / dpi);
    QVERIFY(grid.ColHidden(3));
    QVERIFY(!grid.ColHidden(2));
    grid.setSelection(u"A3"_qs); // inside the first span
    QCOMPARE(
        (QList<int> { grid.SelStartRow(), grid.SelStartCol(), grid.SelEndRow(), grid.SelEndCol() }),
        (QList<int> { 2, 1, 3, 1 }));
    QVERIFY(grid.GetCellFormat().MergeCells);
    grid.setSelection(u"B5"_qs);
    QCOMPARE(
        (QList<int> { grid.SelStartRow(), grid.SelStartCol(), grid.SelEndRow(), grid.SelEndCol() }),
        (QList<int> { 5, 1, 5, 2 }));

    // The view changes; the grid follows when it reads the view again.
    view.clearSpans();
    view.setColumnHidden(2, false);
    view.horizontalHeader()->hide();
    grid.readView();
    QVERIFY(!grid.ColHidden(3));
    QCOMPARE(grid.FixedRows(), 0);
    grid.setSelection(u"A2"_qs);
    QVERIFY(!grid.GetCellFormat().MergeCells);
    QCOMPARE(grid.Text(), u"银行存款"_qs);
}

void TestModelGrid::tableViewPrintsAsItLooks()
{
    if (QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty()
        || QStandardPaths::findExecutable(u"pdftoppm"_qs).isEmpty())
        QSKIP("poppler-utils are not installed: the PDF cannot be checked");
    QTemporaryDir dir;
    TestPlatform::install(VirtualPrintingSystem::withPdfPrinter(dir.path()));
    auto model = ledgerModel();
    QTableView view;
    view.setModel(model.get());
    view.resize(600, 400);
    view.show();
    view.setColumnWidth(0, 200);
    view.setColumnWidth(1, 200);
    view.setColumnHidden(2, true);
    view.setSpan(3, 0, 1, 2);
    // Rows print as high as the first row, the header: room for the total's 14 points.
    view.horizontalHeader()->setFixedHeight(40);
    TableViewGrid grid(&view);
    MyPrint print;
    print.setDatagrid(&grid);
    print.setGridType(MyPrint::MnuGridType::ssFormOne6);
    print.setMainTitle(u"科目余额"_qs);
    ReportExport report(print);
    const QString pdf = dir.filePath(u"view.pdf"_qs);
    QVERIFY2(report.toPdf(pdf), qPrintable(report.errorString()));
    QCOMPARE(report.sheetCount(), 1);

    // Word boxes: the amounts end at one right edge, the names start at one left edge, the
    // hidden notes are not there and the spanned total is printed once, centred on nothing but
    // its own left edge.
    QProcess p;
    p.start(u"pdftotext"_qs, { u"-bbox"_qs, pdf, u"-"_qs });
    p.waitForFinished(30000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    QHash<QString, std::pair<double, double>> boxes;
    const QRegularExpression word(
        u"<word xMin=\"([\\d.]+)\" yMin=\"[\\d.]+\" xMax=\"([\\d.]+)\" yMax=\"[\\d.]+\">([^<]+)</word>"_qs);
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        boxes.insert(m.captured(3), { m.captured(1).toDouble(), m.captured(2).toDouble() });
    }
    for (const QString &text :
        { u"1,200.00"_qs, u"35,000.00"_qs, u"-800.00"_qs, u"现金"_qs, u"应收账款"_qs, u"合计"_qs })
        QVERIFY2(boxes.contains(text), qPrintable(text + u" in "_qs + html));
    QVERIFY(!html.contains(u"内部备注"_qs));
    QVERIFY(!html.contains(u"35,400.00"_qs)); // covered by the total's span
    QCOMPARE(html.count(u">合计<"_qs), 1);
    QVERIFY(qAbs(boxes[u"1,200.00"_qs].second - boxes[u"35,000.00"_qs].second) < 0.5);
    QVERIFY(qAbs(boxes[u"-800.00"_qs].second - boxes[u"35,000.00"_qs].second) < 0.5);
    QVERIFY(boxes[u"-800.00"_qs].first > boxes[u"35,000.00"_qs].first + 4);
    QVERIFY(qAbs(boxes[u"现金"_qs].first - boxes[u"应收账款"_qs].first) < 0.5);
    QVERIFY(boxes[u"现金"_qs].second < boxes[u"1,200.00"_qs].first);
    // The total is 14 points against 9: taller than the other names.
    QVERIFY(boxes[u"合计"_qs].second - boxes[u"合计"_qs].first
        > 1.4 * (boxes[u"现金"_qs].second - boxes[u"现金"_qs].first));

    // Its red is on the page.
    const QImage image = pdfPagePicture(pdf, dir.filePath(u"view"_qs));
    QVERIFY(!image.isNull());
    QVERIFY2(redPixels(image) > 30, qPrintable(QString::number(redPixels(image))));
}

QUILLON_TEST_MAIN(TestModelGrid)
#include "tst_modelgrid.moc"
