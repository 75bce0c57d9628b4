#pragma once

#include "engine/draw/textprimitives.h"
#include "gridkind.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QObject;

namespace quillon {

class GridAccess;
class PrintProperties;
struct PageFormat;
struct EngineState;
struct PageContext;

/// Everything that differs between grid kinds, in one object per kind: the grid's adapter, the
/// renderer, the header and body row heights the layout reserves, the column bands, text
/// placement and the kind's own format values. A new kind is a new rules object and one line
/// in gridKindRules().
class GridKindRules
{
public:
    virtual ~GridKindRules() = default;
    virtual GridKind kind() const = 0;

    /// The adapter that reads a grid object of this kind, or an Error (438) when the object
    /// does not answer the kind's contract. gridrows is the print object's row count, which
    /// the data grid kinds cannot report.
    virtual std::unique_ptr<GridAccess> makeAccess(QObject *grid, qint32 gridrows) const = 0;

    /// Draws the grid body of the current logical page.
    virtual void render(const PageContext &pc) const = 0;

    /// The header rows every page repeats, in twips.
    virtual double fixedRowsHeight(const EngineState &s, GridAccess &grid) const;
    /// The automatic body row height: the grid's own first body row.
    virtual qint32 bodyRowHeight(const EngineState &s, GridAccess &grid) const;
    /// Whether the kind has amount columns, whose digit lines take colours of the format.
    virtual bool hasAmountColumns() const { return false; }

    /// Columns are numbered from 1 (and printed from 1 to the last) rather than from 0 within
    /// the print object's range.
    virtual bool columnsFromOne() const { return false; }
    /// The first body column when the fixed columns repeat on every band.
    virtual qint32 firstColumnAfterFixed(qint32 fixedCols) const { return fixedCols; }
    /// The width a column takes in a band.
    virtual double bandColumnWidth(GridAccess &grid, qint32 col) const;
    /// The width of the fixed columns that repeat on every band; none when the kind repeats
    /// no columns that way.
    virtual std::optional<double> fixedColumnsWidth(GridAccess &grid, qint32 fixedCols) const;

    /// Where a cell's text goes, by the kind's alignment codes. General codes are settled and
    /// written back into the cell.
    virtual std::pair<HPlace, VPlace> placement(const QString &text, CellBox &cell) const;

    /// Reads the kind's own page-format values.
    virtual void readFormat(
        EngineState &, const std::function<qint32(const QString &, qint32)> &) const
    {
    }
    /// Writes the kind's own page-format values, the ones readFormat() reads.
    virtual void writeFormat(
        const PageFormat &, const std::function<void(const QString &, qint64)> &) const
    {
    }
    /// Prepares the host grid once the printed columns are known.
    virtual void prepare(EngineState &, PrintProperties &) const { }
    /// Tells the user what the grid cannot print as the job is now laid out; after every
    /// ComputeLayout.
    virtual void checkLayout(EngineState &) const { }
};

/// The rules of a grid kind; nothing for a number that names no kind.
const GridKindRules *gridKindRules(int kind);

} // namespace quillon
