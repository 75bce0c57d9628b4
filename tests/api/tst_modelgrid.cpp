#include "support/testplatform.h"
#include "testmain.h"

#include "engine/grids/gridadapters.h"
#include "printer/virtualprintingsystem.h"

#include <quillon/error.h>
#include <quillon/modelgrid.h>
#include <quillon/myprint.h>
#include <quillon/reportexport.h>

#include <QProcess>
#include <QStandardItemModel>
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

QUILLON_TEST_MAIN(TestModelGrid)
#include "tst_modelgrid.moc"
