#include "gridkinds.h"

#include "flexgridrenderer.h"
#include "gridadapters.h"
#include "sheetgridrenderer.h"
#include "spreadgridrenderer.h"
#include "vouchergridrenderer.h"

#include "engine/state/enginestate.h"
#include "engine/state/pageformat.h"
#include "engine/state/printproperties.h"

#include <quillon/error.h>

#include <QObject>

namespace quillon {

double GridKindRules::fixedRowsHeight(const EngineState &s, GridAccess &grid) const
{
    double total = 0;
    for (qint32 r = 0; r < s.FixedRowsTop; ++r)
        total += s.FixRowsHeightTw != 0 ? s.FixRowsHeightTw : grid.rowHeight(r);
    return total;
}

qint32 GridKindRules::bodyRowHeight(const EngineState &s, GridAccess &grid) const
{
    return s.GridRows > 1 ? grid.rowHeight(s.FixedRowsTop) : 0;
}

double GridKindRules::bandColumnWidth(GridAccess &grid, qint32 col) const
{
    return grid.colWidth(col);
}

std::optional<double> GridKindRules::fixedColumnsWidth(GridAccess &grid, qint32 fixedCols) const
{
    double total = 0;
    for (qint32 c = 0; c < fixedCols; ++c)
        total += bandColumnWidth(grid, c);
    return total;
}

std::pair<HPlace, VPlace> GridKindRules::placement(const QString &, CellBox &) const
{
    return { HPlace::Left, VPlace::Centre };
}

namespace {

template <typename Contract> Contract *contractOf(QObject *grid)
{
    auto *contract = dynamic_cast<Contract *>(grid);
    if (!contract)
        throw Error(ErrorNumber::MemberNotSupported,
            QStringLiteral("Object doesn't support this property or method"));
    return contract;
}

/// A horizontal code of the kinds that give left and right codes of their own; any other code
/// is centred.
HPlace horizontalByCode(qint16 code, qint16 left, qint16 right)
{
    return code == left ? HPlace::Left : code == right ? HPlace::Right : HPlace::Centre;
}

/// 0 centre, 1 top, 2 bottom; any other code is centred.
VPlace verticalByCode(qint16 code)
{
    return code == 1 ? VPlace::Top : code == 2 ? VPlace::Bottom : VPlace::Centre;
}

qint32 headerRowHeight(const EngineState &s, GridAccess &grid, qint32 row)
{
    return s.FixRowsHeightTw != 0 ? s.FixRowsHeightTw : grid.rowHeight(row);
}

class SheetRules : public GridKindRules
{
public:
    GridKind kind() const override { return GridKind::Sheet; }
    std::unique_ptr<GridAccess> makeAccess(QObject *grid, qint32) const override
    {
        return std::make_unique<SheetGridAccess>(contractOf<AbstractSheetGrid>(grid));
    }
    void render(const PageContext &pc) const override { RenderSheetGrid(pc); }
    // 2 left, 3 centre, 4 right, any other code general; 1 top, 2 centre, any other bottom
    std::pair<HPlace, VPlace> placement(const QString &text, CellBox &cell) const override
    {
        const HPlace h = cell.HorAlign == 2 ? HPlace::Left
            : cell.HorAlign == 3            ? HPlace::Centre
            : cell.HorAlign == 4            ? HPlace::Right
                                            : generalPlace(text);
        const VPlace v = cell.VerAlign == 1 ? VPlace::Top
            : cell.VerAlign == 2            ? VPlace::Centre
                                            : VPlace::Bottom;
        return { h, v };
    }
    double fixedRowsHeight(const EngineState &s, GridAccess &grid) const override
    {
        double total = 0;
        for (qint32 r = 1; r <= s.FixedRowsTop; ++r)
            total += headerRowHeight(s, grid, r);
        return total;
    }
    qint32 bodyRowHeight(const EngineState &, GridAccess &grid) const override
    {
        return grid.rowHeight(1);
    }
    bool columnsFromOne() const override { return true; }
    qint32 firstColumnAfterFixed(qint32 fixedCols) const override { return fixedCols + 1; }
    double bandColumnWidth(GridAccess &grid, qint32 col) const override
    {
        // A hidden column takes no room: the renderer skips it.
        return grid.colHidden(col) ? 0 : grid.colWidth(col);
    }
    std::optional<double> fixedColumnsWidth(GridAccess &grid, qint32 fixedCols) const override
    {
        double total = 0;
        for (qint32 c = 1; c <= fixedCols; ++c)
            total += bandColumnWidth(grid, c);
        return total;
    }
};

class VoucherRules : public GridKindRules
{
public:
    GridKind kind() const override { return GridKind::Voucher; }
    std::unique_ptr<GridAccess> makeAccess(QObject *grid, qint32) const override
    {
        return std::make_unique<VoucherGridAccess>(contractOf<AbstractVoucherGrid>(grid));
    }
    void render(const PageContext &pc) const override { DrawVoucherGrid(pc); }
    void checkLayout(EngineState &s) const override { CheckAmountColumns(s); }
    bool hasAmountColumns() const override { return true; }
    double bandColumnWidth(GridAccess &grid, qint32 col) const override
    {
        // A hidden column takes no room: the renderer gives it none.
        return grid.colHidden(col) ? 0 : grid.colWidth(col);
    }
    double fixedRowsHeight(const EngineState &s, GridAccess &grid) const override
    {
        double total = GridKindRules::fixedRowsHeight(s, grid);
        // The total rows at the bottom also print on every page.
        for (qint32 r = s.GridRows - s.FixedRowsBottom; r < s.GridRows; ++r)
            total += headerRowHeight(s, grid, r);
        return total;
    }
    qint32 bodyRowHeight(const EngineState &s, GridAccess &grid) const override
    {
        return grid.rowHeight(s.FixedRowsTop);
    }
    // 0 centre, 1 left, 2 right; 0 centre, 1 top, 2 bottom
    std::pair<HPlace, VPlace> placement(const QString &, CellBox &cell) const override
    {
        return { horizontalByCode(cell.HorAlign, 1, 2), verticalByCode(cell.VerAlign) };
    }
    void readFormat(EngineState &s,
        const std::function<qint32(const QString &, qint32)> &readLong) const override
    {
        s.Format.JeLineColor = readLong(QStringLiteral("JeLineColor"), -1);
        s.Format.DotLineColor = readLong(QStringLiteral("DotLineColor"), -1);
    }
    void writeFormat(const PageFormat &f,
        const std::function<void(const QString &, qint64)> &writeLong) const override
    {
        writeLong(QStringLiteral("JeLineColor"), f.JeLineColor);
        writeLong(QStringLiteral("DotLineColor"), f.DotLineColor);
    }
};

/// Kinds 3 to 7, drawn by the flex and data grid renderer.
class FlexFamilyRules : public GridKindRules
{
public:
    void render(const PageContext &pc) const override { RenderFlexGrid(pc); }
};

class DataRules : public FlexFamilyRules
{
public:
    explicit DataRules(GridKind kind)
        : m_kind(kind)
    {
    }
    GridKind kind() const override { return m_kind; }
    std::unique_ptr<GridAccess> makeAccess(QObject *grid, qint32 gridrows) const override
    {
        return std::make_unique<DataGridAccess>(
            int(m_kind), contractOf<AbstractDataGrid>(grid), gridrows);
    }
    double fixedRowsHeight(const EngineState &s, GridAccess &grid) const override
    {
        auto &data = static_cast<DataGridAccess &>(grid);
        return data.grid()->HeadLines() * headerRowHeight(s, grid, 0);
    }
    qint32 bodyRowHeight(const EngineState &, GridAccess &grid) const override
    {
        return grid.rowHeight(0);
    }
    // 0 left, 1 centre, 2 right, 3 general; always centred vertically
    std::pair<HPlace, VPlace> placement(const QString &text, CellBox &cell) const override
    {
        if (cell.HorAlign == 3) {
            const HPlace settled = generalPlace(text);
            cell.HorAlign = settled == HPlace::Right ? 2 : settled == HPlace::Centre ? 1 : 0;
        }
        const HPlace h = cell.HorAlign == 1 ? HPlace::Centre
            : cell.HorAlign == 2            ? HPlace::Right
                                            : HPlace::Left;
        return { h, VPlace::Centre };
    }

private:
    GridKind m_kind;
};

class FlexRules : public FlexFamilyRules
{
public:
    GridKind kind() const override { return GridKind::Flex; }
    std::unique_ptr<GridAccess> makeAccess(QObject *grid, qint32) const override
    {
        return std::make_unique<FlexGridAccess>(contractOf<AbstractFlexGrid>(grid));
    }
    // One code: its column of three is the horizontal place, its place within it the vertical.
    std::pair<HPlace, VPlace> placement(const QString &text, CellBox &cell) const override
    {
        if (cell.HorAlign == 9) {
            const HPlace settled = generalPlace(text);
            cell.HorAlign = settled == HPlace::Right ? 7 : settled == HPlace::Centre ? 4 : 1;
        }
        const int code = cell.HorAlign >= 0 && cell.HorAlign <= 8 ? cell.HorAlign : 1;
        static constexpr HPlace hs[] = { HPlace::Left, HPlace::Centre, HPlace::Right };
        static constexpr VPlace vs[] = { VPlace::Top, VPlace::Centre, VPlace::Bottom };
        return { hs[code / 3], vs[code % 3] };
    }
};

class HFlexRules : public FlexRules
{
public:
    GridKind kind() const override { return GridKind::HFlex; }
    std::unique_ptr<GridAccess> makeAccess(QObject *grid, qint32) const override
    {
        return std::make_unique<HFlexGridAccess>(contractOf<AbstractHFlexGrid>(grid));
    }
    void prepare(EngineState &s, PrintProperties &print) const override
    {
        // The hierarchical flex grid answers -1 for default widths: make them real widths.
        const auto access = GridAccess::create(6, print.Datagrid, print.gridrows);
        AbstractHFlexGrid *grid = static_cast<HFlexGridAccess &>(*access).grid();
        for (qint32 r = 0; r < s.GridRows; ++r) {
            if (!grid->MergeRow(r)) {
                grid->setRow(r);
                break;
            }
        }
        for (qint32 c = s.ColStart; c <= s.ColEnd; ++c) {
            if (grid->ColWidth(c) == -1) {
                grid->setCol(c);
                grid->setColWidth(c, grid->CellWidth() + 15);
            }
        }
    }
};

class PlainRules : public FlexFamilyRules
{
public:
    GridKind kind() const override { return GridKind::Plain; }
    std::unique_ptr<GridAccess> makeAccess(QObject *grid, qint32) const override
    {
        return std::make_unique<PlainGridAccess>(contractOf<AbstractPlainGrid>(grid));
    }
    // The plain grid has no alignment of its own: numbers right, dates centred, the rest left,
    // all vertically centred, like the general alignment of the other kinds.
    std::pair<HPlace, VPlace> placement(const QString &text, CellBox &) const override
    {
        return { generalPlace(text), VPlace::Centre };
    }
};

class SpreadRules : public GridKindRules
{
public:
    GridKind kind() const override { return GridKind::Spread; }
    std::unique_ptr<GridAccess> makeAccess(QObject *grid, qint32) const override
    {
        return std::make_unique<SpreadGridAccess>(contractOf<AbstractSpreadGrid>(grid));
    }
    void render(const PageContext &pc) const override { RenderSpreadGrid(pc); }
    double fixedRowsHeight(const EngineState &s, GridAccess &grid) const override
    {
        // Every column header row prints: 0, then -999, -998, ...
        auto &spread = static_cast<SpreadGridAccess &>(grid);
        const qint32 headerRows = spread.grid()->ColHeaderRows();
        double total = 0;
        for (qint32 g = 0; g < headerRows; ++g)
            total += headerRowHeight(s, grid, g == 0 ? 0 : g - 1000);
        return total;
    }
    qint32 bodyRowHeight(const EngineState &, GridAccess &grid) const override
    {
        return grid.rowHeight(1);
    }
    bool columnsFromOne() const override { return true; }
    std::optional<double> fixedColumnsWidth(GridAccess &, qint32) const override
    {
        return std::nullopt;
    }
    // 0 left, 1 right, 2 centre; 0 centre, 1 top, 2 bottom
    std::pair<HPlace, VPlace> placement(const QString &, CellBox &cell) const override
    {
        return { horizontalByCode(cell.HorAlign, 0, 1), verticalByCode(cell.VerAlign) };
    }
};

} // namespace

const GridKindRules *gridKindRules(int kind)
{
    static const SheetRules sheet;
    static const VoucherRules voucher;
    static const DataRules dbGrid(GridKind::DBGrid);
    static const DataRules dataGrid(GridKind::DataGrid);
    static const FlexRules flex;
    static const HFlexRules hflex;
    static const PlainRules plain;
    static const SpreadRules spread;
    static const GridKindRules *const kinds[]
        = { &sheet, &voucher, &dbGrid, &dataGrid, &flex, &hflex, &plain, &spread };
    return kind >= 1 && kind <= 8 ? kinds[kind - 1] : nullptr;
}

} // namespace quillon
