#include "support/testpage.h"
#include "testmain.h"

#include "engine/grids/gridadapters.h"
#include "engine/grids/gridkinds.h"

#include <quillon/datagrid.h>
#include <quillon/error.h>
#include <quillon/flexgrid.h>
#include <quillon/sheetgrid.h>
#include <quillon/spreadgrid.h>
#include <quillon/vouchergrid.h>

using namespace quillon;

namespace {

// A spread grid that logs the selection calls, to check the order in which the adapter
// selects (column first).
class LoggingSpreadGrid : public SpreadGrid
{
public:
    QStringList calls;
    void setCol(qint32 col) override
    {
        calls << QStringLiteral("Col=%1").arg(col);
        SpreadGrid::setCol(col);
    }
    void setRow(qint32 row) override
    {
        calls << QStringLiteral("Row=%1").arg(row);
        SpreadGrid::setRow(row);
    }
};

class LoggingFlexGrid : public FlexGrid
{
public:
    QStringList calls;
    void setRow(qint32 row) override
    {
        calls << QStringLiteral("Row=%1").arg(row);
        FlexGrid::setRow(row);
    }
    void setCol(qint32 col) override
    {
        calls << QStringLiteral("Col=%1").arg(col);
        FlexGrid::setCol(col);
    }
};

int errorNumber(const std::function<void()> &call)
{
    try {
        call();
    } catch (const Error &e) {
        return e.number();
    }
    return 0;
}

} // namespace

class TestGrids : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneRulesObjectPerKind();
    void factoryChecksKindAndObject_data();
    void factoryChecksKindAndObject();
    void gridFactsPerKind_data();
    void gridFactsPerKind();
    void flexReadMovesCurrentCell();
    void flexOutOfRangeSelectionFails();
    void flexMergedCellWidth_data();
    void flexMergedCellWidth();
    void flexMergedCellWidthFollowsChanges();
    void flexLastIndexHasNoRoom();
    void flexAlignments();
    void hierarchicalDefaultWidths();
    void flexResizeKeepsTexts();
    void dataGridRowsFromPrintObject();
    void spreadSelectsColumnFirstAndReadsTwips();
    void spreadHeadersSpansAndTypes();
    void sheetSelectionAndMergedRange();
    void sheetAddresses_data();
    void sheetAddresses();
    void sheetAddressErrors();
    void sheetFormats();
    void voucherFlagsAndAmountColumns();
};

void TestGrids::factoryChecksKindAndObject_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("object");
    QTest::addColumn<int>("error");
    QTest::newRow("flex as 5") << 5 << u"flex"_qs << 0;
    QTest::newRow("flex as 6") << 6 << u"flex"_qs << 0;
    QTest::newRow("flex as 7") << 7 << u"flex"_qs << 0;
    QTest::newRow("data as 3") << 3 << u"data"_qs << 0;
    QTest::newRow("data as 4") << 4 << u"data"_qs << 0;
    QTest::newRow("spread as 8") << 8 << u"spread"_qs << 0;
    QTest::newRow("sheet as 1") << 1 << u"sheet"_qs << 0;
    QTest::newRow("voucher as 2") << 2 << u"voucher"_qs << 0;
    QTest::newRow("flex as 8") << 8 << u"flex"_qs << 438;
    QTest::newRow("data as 5") << 5 << u"data"_qs << 438;
    QTest::newRow("plain object") << 5 << u"qobject"_qs << 438;
    QTest::newRow("no grid") << 5 << u"none"_qs << 91;
    QTest::newRow("kind 0") << 0 << u"flex"_qs << 5;
    QTest::newRow("kind 9") << 9 << u"flex"_qs << 5;
}

void TestGrids::factoryChecksKindAndObject()
{
    QFETCH(int, kind);
    QFETCH(QString, object);
    QFETCH(int, error);

    FlexGrid flex;
    DataGrid data;
    SpreadGrid spread;
    SheetGrid sheet;
    VoucherGrid voucher;
    QObject plain;
    const QHash<QString, QObject *> objects { { u"flex"_qs, &flex }, { u"data"_qs, &data },
        { u"spread"_qs, &spread }, { u"sheet"_qs, &sheet }, { u"voucher"_qs, &voucher },
        { u"qobject"_qs, &plain }, { u"none"_qs, nullptr } };
    std::unique_ptr<GridAccess> access;
    QCOMPARE(errorNumber([&] { access = GridAccess::create(kind, objects.value(object)); }), error);
    if (error == 0)
        QCOMPARE(access->kind(), kind);
}

// Rows, columns and fixed rows/columns as each kind reports them at format load.
void TestGrids::gridFactsPerKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QList<int>>("facts"); // rows, cols, fixed top, fixed bottom, fixed cols, base
    QTest::newRow("sheet") << 1 << QList<int> { 4, 3, 1, 0, 1, 1 };
    QTest::newRow("voucher") << 2 << QList<int> { 8, 5, 2, 1, 1, 0 };
    QTest::newRow("data") << 3 << QList<int> { 40, 2, 0, 0, 0, 0 };
    QTest::newRow("flex") << 5 << QList<int> { 6, 4, 1, 0, 1, 0 };
    QTest::newRow("spread") << 8 << QList<int> { 12, 7, 0, 0, 1, 1 };
}

void TestGrids::gridFactsPerKind()
{
    QFETCH(int, kind);
    QFETCH(QList<int>, facts);

    SheetGrid sheet;
    sheet.setMaxRow(10); // more rows than hold data: the smaller count wins
    sheet.setMaxCol(3);
    sheet.setTextRC(4, 2, u"末行"_qs);
    sheet.setTextRC(1, 5, u"超出MaxCol"_qs);
    sheet.setMaxCol(3);
    sheet.setFixedRows(1);
    sheet.setFixedCols(1);
    VoucherGrid voucher;
    voucher.setSize(8, 5);
    voucher.setFixedRowsT(2);
    voucher.setFixedRowsB(1);
    voucher.setFixedColsL(1);
    DataGrid data;
    data.appendColumn(u"编号"_qs, 800);
    data.appendColumn(u"名称"_qs, 2000);
    FlexGrid flex;
    flex.setSize(6, 4);
    flex.setFixedRows(1);
    flex.setFixedCols(1);
    SpreadGrid spread;
    spread.setMaxRows(12);
    spread.setMaxCols(7);

    const QHash<int, QObject *> objects { { 1, &sheet }, { 2, &voucher }, { 3, &data },
        { 5, &flex }, { 8, &spread } };
    auto access = GridAccess::create(kind, objects.value(kind), 40);
    QCOMPARE(access->rowCount(), facts[0]);
    QCOMPARE(access->colCount(), facts[1]);
    QCOMPARE(access->fixedRowsTop(), facts[2]);
    QCOMPARE(access->fixedRowsBottom(), facts[3]);
    QCOMPARE(access->fixedCols(), facts[4]);
    QCOMPARE(access->firstIndex(), facts[5]);
}

void TestGrids::flexReadMovesCurrentCell()
{
    LoggingFlexGrid grid;
    grid.setTexts({ { u"品名"_qs, u"数量"_qs }, { u"铅笔"_qs, u"12"_qs } });
    auto access = GridAccess::create(5, &grid);
    QCOMPARE(access->cellText(1, 1), u"12"_qs);
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.Col(), 1);
    QCOMPARE(grid.calls, (QStringList { u"Row=1"_qs, u"Col=1"_qs }));
    QCOMPARE(grid.Text(), u"12"_qs);
    // TextMatrix reads without moving.
    QCOMPARE(grid.TextMatrix(0, 0), u"品名"_qs);
    QCOMPARE(grid.Row(), 1);
}

void TestGrids::flexOutOfRangeSelectionFails()
{
    FlexGrid grid;
    grid.setSize(2, 2);
    auto access = GridAccess::create(7, &grid);
    QCOMPARE(errorNumber([&] { access->cellText(2, 0); }), 381);
    QCOMPARE(errorNumber([&] { access->cellText(0, -1); }), 381);
}

void TestGrids::flexMergedCellWidth_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("mergeRow");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("width");
    // Row 0: 合计 | 合计 | 合计 | x ; widths 1000, 1500, 2000, 700
    QTest::newRow("free, merging row") << 1 << true << 1 << 4500;
    QTest::newRow("restrict columns") << 3 << true << 0 << 4500;
    QTest::newRow("restrict rows: no horizontal merge") << 2 << true << 1 << 1500;
    QTest::newRow("row not merging") << 1 << false << 1 << 1500;
    QTest::newRow("never") << 0 << true << 1 << 1500;
    QTest::newRow("fixed only merges nothing") << 4 << true << 1 << 1500;
    QTest::newRow("lone cell") << 1 << true << 3 << 700;
}

void TestGrids::flexMergedCellWidth()
{
    QFETCH(int, mode);
    QFETCH(bool, mergeRow);
    QFETCH(int, col);
    QFETCH(int, width);
    FlexGrid grid;
    grid.setTexts({ { u"合计"_qs, u"合计"_qs, u"合计"_qs, u"x"_qs } });
    const QList<int> widths { 1000, 1500, 2000, 700 };
    for (int c = 0; c < widths.size(); ++c)
        grid.setColWidth(c, widths[c]);
    grid.setMergeCells(qint16(mode));
    grid.setMergeRow(0, mergeRow);
    auto access = GridAccess::create(5, &grid);
    auto *flex = static_cast<FlexGridAccess *>(access.get());
    flex->select(0, col);
    QCOMPARE(flex->currentCellWidth(), width);
}

void TestGrids::flexMergedCellWidthFollowsChanges()
{
    // Row 0: a | a | a | b, 1000 each, merging freely.
    FlexGrid grid;
    grid.setTexts(
        { { u"a"_qs, u"a"_qs, u"a"_qs, u"b"_qs }, { u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs } });
    for (int c = 0; c < 4; ++c)
        grid.setColWidth(c, 1000);
    grid.setMergeCells(1);
    grid.setMergeRow(0, true);
    const auto widthAt = [&](int row, int col) {
        grid.setRow(row);
        grid.setCol(col);
        return grid.CellWidth();
    };
    QCOMPARE(widthAt(0, 0), 3000);
    QCOMPARE(widthAt(0, 2), 3000);
    // Each cell widened to its area's width, left to right, as the layout does for the default
    // widths of a hierarchical grid: every later cell sees the earlier ones' new widths.
    for (int c = 0; c < 3; ++c) {
        const qint32 w = widthAt(0, c);
        grid.setColWidth(c, w + 15);
    }
    QCOMPARE(grid.ColWidth(0), 3015);
    QCOMPARE(grid.ColWidth(1), 5030);
    QCOMPARE(grid.ColWidth(2), 9060);
    QCOMPARE(widthAt(0, 1), 3015 + 5030 + 9060);
    QCOMPARE(widthAt(0, 3), 1000);
    grid.setColWidth(1, -1); // back to the default 1200
    QCOMPARE(widthAt(0, 0), 3015 + 1200 + 9060);
    // Texts and merge settings move the area's bounds.
    grid.setTextMatrix(0, 3, u"a"_qs);
    QCOMPARE(widthAt(0, 0), 3015 + 1200 + 9060 + 1000);
    grid.setTextMatrix(0, 1, u"x"_qs);
    QCOMPARE(widthAt(0, 0), 3015);
    QCOMPARE(widthAt(0, 2), 9060 + 1000);
    grid.setMergeRow(0, false);
    QCOMPARE(widthAt(0, 2), 9060);
    grid.setMergeRow(0, true);
    grid.setMergeCells(2); // rows only: no horizontal merging
    QCOMPARE(widthAt(0, 3), 1000);
    grid.setMergeCells(1);
    QCOMPARE(widthAt(0, 3), 9060 + 1000);
    grid.setSize(2, 3);
    QCOMPARE(widthAt(0, 2), 9060);
    QCOMPARE(widthAt(1, 2), 9060); // row 1 does not merge
    // A merged area wider than 32 bits answers the widest width there is.
    grid.setTexts({ { u"w"_qs, u"w"_qs, u"w"_qs } });
    for (int c = 0; c < 3; ++c)
        grid.setColWidth(c, std::numeric_limits<qint32>::max());
    QCOMPARE(widthAt(0, 1), std::numeric_limits<qint32>::max());
}

void TestGrids::flexLastIndexHasNoRoom()
{
    // Rows and columns count in 32 bits: index 2147483647 would need one more.
    const qint32 last = std::numeric_limits<qint32>::max();
    FlexGrid grid;
    grid.setSize(1, 1);
    QCOMPARE(errorNumber([&] { grid.setCellAlignmentAt(last, 0, 1); }), 9);
    QCOMPARE(errorNumber([&] { grid.setTextMatrix(0, last, u"x"_qs); }), 9);
    QCOMPARE(errorNumber([&] { grid.setMergeRow(last, true); }), 9);
    QCOMPARE(errorNumber([&] { grid.setColWidth(last, 100); }), 9);
    QCOMPARE(errorNumber([&] { grid.setMergeCol(-1, true); }), 9);
    QCOMPARE(grid.Rows(), 1);
    QCOMPARE(grid.Cols(), 1);
}

void TestGrids::flexAlignments()
{
    FlexGrid grid;
    grid.setSize(2, 3);
    grid.setColAlignment(1, 7);
    grid.setCellAlignmentAt(0, 1, 4);
    auto access = GridAccess::create(5, &grid);
    auto *flex = static_cast<FlexGridAccess *>(access.get());
    QCOMPARE(flex->cellAlignment(0, 1), 4); // own alignment
    QCOMPARE(flex->cellAlignment(1, 1), 7); // the column's
    QCOMPARE(flex->cellAlignment(1, 2), 9); // default: general
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.Col(), 2);
}

void TestGrids::hierarchicalDefaultWidths()
{
    FlexGrid h(FlexGrid::Flavor::Hierarchical);
    h.setSize(1, 3);
    h.setColWidth(1, 900);
    QCOMPARE(h.ColWidth(0), -1);
    QCOMPARE(h.ColWidth(1), 900);
    h.setRow(0);
    h.setCol(0);
    QCOMPARE(h.CellWidth(), FlexGrid::DefaultColWidth); // CellWidth reports real twips
    h.setColWidth(0, h.CellWidth() + 15);
    QCOMPARE(h.ColWidth(0), FlexGrid::DefaultColWidth + 15);

    FlexGrid plain;
    plain.setSize(1, 1);
    QCOMPARE(plain.ColWidth(0), FlexGrid::DefaultColWidth);
}

void TestGrids::flexResizeKeepsTexts()
{
    FlexGrid grid;
    grid.setTexts({ { u"a"_qs, u"b"_qs }, { u"c"_qs, u"d"_qs } });
    grid.setSize(3, 3);
    QCOMPARE(grid.TextMatrix(1, 1), u"d"_qs);
    QCOMPARE(grid.TextMatrix(2, 2), QString());
    grid.setSize(1, 1);
    QCOMPARE(grid.Rows(), 1);
    QCOMPARE(grid.TextMatrix(0, 0), u"a"_qs);
    QCOMPARE(grid.TextMatrix(1, 1), QString());
}

void TestGrids::dataGridRowsFromPrintObject()
{
    DataGrid grid;
    grid.appendColumn(u"科目"_qs, 2400);
    grid.appendColumn(u"金额"_qs, 1600);
    grid.setRowsData({ { u"现金"_qs, u"100.00"_qs }, { u"银行存款"_qs, u"2500.50"_qs } });
    grid.setRowHeight(320);
    auto access = GridAccess::create(4, &grid, 5);
    auto *data = static_cast<DataGridAccess *>(access.get());
    QCOMPARE(data->rowCount(), 5);
    QCOMPARE(data->caption(1), u"金额"_qs);
    QCOMPARE(data->colWidth(0), 2400);
    QCOMPARE(data->rowHeight(3), 320);
    QCOMPARE(data->cellText(1, 0), u"银行存款"_qs);
    QCOMPARE(grid.Row(), 1);
    // Past the data: empty, not an error.
    QCOMPARE(data->cellText(4, 1), QString());
    QCOMPARE(errorNumber([&] { data->cellText(0, 2); }), 381);
}

void TestGrids::spreadSelectsColumnFirstAndReadsTwips()
{
    LoggingSpreadGrid grid;
    grid.setMaxRows(3);
    grid.setMaxCols(2);
    grid.setColWidthTwips(2, 1800);
    grid.setRowHeightTwips(1, 345);
    QCOMPARE(grid.ColWidth(2), 120.0); // pixels until the adapter asks for twips
    auto access = GridAccess::create(8, &grid);
    QCOMPARE(grid.UnitType(), 2);
    QCOMPARE(access->colWidth(2), 1800);
    QCOMPARE(access->rowHeight(1), 345);
    grid.setCellText(2, 3, u"值"_qs);
    grid.calls.clear();
    QCOMPARE(access->cellText(3, 2), u"值"_qs);
    QCOMPARE(grid.calls, (QStringList { u"Col=2"_qs, u"Row=3"_qs }));
}

void TestGrids::spreadHeadersSpansAndTypes()
{
    SpreadGrid grid;
    grid.setMaxRows(10);
    grid.setMaxCols(4);
    grid.setColHeaderRows(2);
    grid.setCellText(1, 0, u"上表头"_qs);
    grid.setCellText(1, -999, u"下表头"_qs);
    QCOMPARE(grid.cellText(2, 0), u"B"_qs);
    QCOMPARE(grid.cellText(0, 7), u"7"_qs);
    QCOMPARE(grid.cellText(1, -999), u"下表头"_qs);

    grid.setCol(1);
    grid.setRow(-999);
    QCOMPARE(grid.Text(), u"下表头"_qs);
    QCOMPARE(errorNumber([&] { grid.setRow(11); }), 381);

    grid.addCellSpan(2, 3, 2, 3);
    const AbstractSpreadGrid::CellSpan span { 2, 3, 2, 3 };
    QCOMPARE(grid.GetCellSpan(2, 3), span);
    QCOMPARE(grid.GetCellSpan(3, 5), span);
    QVERIFY(!grid.GetCellSpan(4, 5));

    grid.setCellTypeAt(3, 2, AbstractSpreadGrid::CellTypeNumber);
    grid.setTypeNumberDecPlacesAt(3, 2, 0);
    grid.setTypeHAlignAt(3, 2, 1);
    grid.setCellText(3, 2, u"1234.5"_qs);
    grid.setCol(3);
    grid.setRow(2);
    QCOMPARE(grid.CellType(), 13);
    QCOMPARE(grid.TypeNumberDecPlaces(), 0);
    QCOMPARE(grid.TypeHAlign(), 1);
    QVariant value;
    QVERIFY(grid.GetText(3, 2, value));
    QCOMPARE(value.toString(), u"1234.5"_qs);

    // A header span runs down the header rows only; where spans overlap the first one keeps
    // its cells; a span of no cells, or of more than a million, is refused.
    grid.addCellSpan(1, 0, 1, 3);
    const AbstractSpreadGrid::CellSpan heading { 1, 0, 1, 3 };
    QCOMPARE(grid.GetCellSpan(1, -999), heading);
    QVERIFY(!grid.GetCellSpan(1, 1));
    grid.addCellSpan(4, -1, 1, 2); // the last header row: the span ends there
    QVERIFY(grid.GetCellSpan(4, -1));
    QVERIFY(!grid.GetCellSpan(4, 0));
    QVERIFY(!grid.GetCellSpan(4, 1));
    grid.addCellSpan(3, 4, 1, 1);
    QCOMPARE(grid.GetCellSpan(3, 4), span);
    QCOMPARE(errorNumber([&] { grid.addCellSpan(1, 1, 0, 1); }), 5);
    QCOMPARE(errorNumber([&] { grid.addCellSpan(1, 1, 1001, 1000); }), 5);
}

void TestGrids::sheetSelectionAndMergedRange()
{
    SheetGrid grid;
    grid.setTextRC(1, 1, u"月份"_qs);
    grid.setTextRC(2, 2, u"十二月"_qs);
    grid.addMergedRange(1, 1, 2, 3);
    auto access = GridAccess::create(1, &grid);
    auto *sheet = static_cast<SheetGridAccess *>(access.get());

    QCOMPARE(sheet->cellText(2, 2), u"十二月"_qs);
    QCOMPARE(grid.SelStartRow(), 1);
    QCOMPARE(grid.SelStartCol(), 1);
    QCOMPARE(grid.SelEndRow(), 2);
    QCOMPARE(grid.SelEndCol(), 3);
    QVERIFY(grid.GetCellFormat().MergeCells);

    sheet->select(3, 1);
    QCOMPARE(grid.SelEndRow(), 3);
    QVERIFY(!grid.GetCellFormat().MergeCells);
    QCOMPARE(grid.TextRC(1, 1), u"月份"_qs);
}

void TestGrids::sheetAddresses_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("address");
    QTest::newRow("A") << 12 << 1 << u"A12"_qs;
    QTest::newRow("Z") << 1 << 26 << u"Z1"_qs;
    QTest::newRow("27 is AA") << 3 << 27 << u"AA3"_qs;
    QTest::newRow("52 is AZ") << 3 << 52 << u"AZ3"_qs;
    QTest::newRow("53 is BA") << 3 << 53 << u"BA3"_qs;
    QTest::newRow("702 is ZZ") << 1 << 702 << u"ZZ1"_qs;
    QTest::newRow("703 is AAA") << 1 << 703 << u"AAA1"_qs;
    QTest::newRow("16384 is XFD") << 2 << 16384 << u"XFD2"_qs;
}

void TestGrids::sheetAddresses()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, address);
    QCOMPARE(SheetGridAccess::cellAddress(row, col), address);
    // The grid reads the address back as the same cell.
    SheetGrid grid;
    grid.setTextRC(row, col, address);
    grid.setSelection(address);
    QCOMPARE(grid.SelStartRow(), row);
    QCOMPARE(grid.SelStartCol(), col);
    QCOMPARE(grid.Text(), address);
}

void TestGrids::sheetAddressErrors()
{
    QCOMPARE(errorNumber([] { SheetGridAccess::cellAddress(1, 0); }), 20002);
    SheetGrid grid;
    for (const QString &bad : { u"[1"_qs, u"A0"_qs, u"A"_qs, u"1"_qs, u"a1"_qs, u"A1B"_qs,
             u"A01"_qs, u"A1234567890"_qs, u"ZZZZZZZZ1"_qs })
        QVERIFY2(errorNumber([&] { grid.setSelection(bad); }) == 20001, qPrintable(bad));
}

void TestGrids::sheetFormats()
{
    SheetGrid grid;
    SheetCellFormat format;
    format.FontName = u"黑体"_qs;
    format.FontSize = 14;
    format.FontBold = true;
    format.FontColor = 255;
    format.HorizontalAlignment = 4;
    format.BorderStyle = { 1, 1, 2, 0 };
    format.NumberFormat = u"0.00"_qs;
    grid.setCellFormat(2, 3, format);
    grid.setColHidden(2, true);
    grid.setShowZeroValues(false);

    grid.setSelection(u"C2"_qs);
    QCOMPARE(grid.GetCellFormat(), format);
    grid.setSelection(u"C3"_qs);
    QCOMPARE(grid.GetCellFormat(), SheetCellFormat {});
    QVERIFY(grid.ColHidden(2));
    QVERIFY(!grid.ShowZeroValues());
}

void TestGrids::voucherFlagsAndAmountColumns()
{
    VoucherGrid grid;
    grid.setSize(6, 4);
    grid.setCell(2, 1, 141);
    grid.setText(2, 1, u"摘要"_qs);
    grid.setHorAlign(2, 1, 2);
    grid.setColHide(3, true);
    grid.setAmountColumn(2, { 12, 1, 5, 255, 32768 });
    auto access = GridAccess::create(2, &grid);
    auto *voucher = static_cast<VoucherGridAccess *>(access.get());

    QCOMPARE(voucher->cellText(2, 1), u"摘要"_qs);
    QVERIFY(voucher->colHidden(3));
    QCOMPARE(grid.Cell(2, 1), quint8(141));
    QCOMPARE(grid.Cell(0, 0), quint8(0));
    QCOMPARE(grid.HorAlign(2, 1), 2);
    QCOMPARE(grid.HorAlign(0, 0), 1);
    QCOMPARE(grid.VerAlign(0, 0), 0);

    const auto amount = grid.GetJeLineInf(2);
    QVERIFY(amount);
    QCOMPARE((QList<int> { amount->cellCount, amount->firstRow, amount->lastRow, amount->lineColor,
                 amount->dotLineColor }),
        (QList<int> { 12, 1, 5, 255, 32768 }));
    QCOMPARE(grid.getjecellcols(2), 12);
    QVERIFY(!grid.GetJeLineInf(1));
    QCOMPARE(errorNumber([&] { grid.Text(6, 0); }), 381);
}

void TestGrids::oneRulesObjectPerKind()
{
    QVERIFY(!gridKindRules(0));
    QVERIFY(!gridKindRules(9));
    for (int kind = 1; kind <= 8; ++kind) {
        const GridKindRules *rules = gridKindRules(kind);
        QVERIFY(rules);
        QCOMPARE(int(rules->kind()), kind);
    }
}

QUILLON_TEST_MAIN(TestGrids)
#include "tst_grids.moc"
