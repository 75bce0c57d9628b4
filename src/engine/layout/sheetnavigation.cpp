#include "sheetnavigation.h"

#include "engine/layout/pagedriver.h"
#include "engine/state/enginestate.h"

#include <algorithm>

namespace quillon {

namespace {

// A sheet holds at least one logical page, or nothing would ever be drawn.
int pagesPerSheet(const EngineState &s)
{
    return std::max(1, s.PagesDown * s.PagesAcross);
}

qint64 logicalPages(const EngineState &s)
{
    return qint64(s.RowPageCount) * s.ColPageCount;
}

void stepForward(const EngineState &s, SheetPosition &p)
{
    if (++p.colPage > s.ColPageCount) {
        p.colPage = 1;
        ++p.rowPage;
    }
}

void stepBack(const EngineState &s, SheetPosition &p)
{
    if (p.colPage == 1) {
        p.colPage = s.ColPageCount;
        --p.rowPage;
    } else {
        --p.colPage;
    }
}

/// To the first logical page of the last sheet: the last logical page, then back over the
/// others the last sheet holds.
void toStartOfLastSheet(const EngineState &s, SheetPosition &p)
{
    const int perSheet = pagesPerSheet(s);
    const qint64 rest = logicalPages(s) % perSheet;
    const qint64 onLast = rest == 0 ? perSheet : rest;
    p.rowPage = s.RowPageCount;
    p.colPage = s.ColPageCount;
    for (qint64 i = 1; i < onLast; ++i)
        stepBack(s, p);
}

} // namespace

SheetPosition sheetPositionAt(const EngineState &s, qint32 rowPage, qint32 colPage, qint32 sheet)
{
    const qint64 index = qint64(rowPage - 1) * s.ColPageCount + colPage - 1;
    return { rowPage, colPage, sheet,
        { rowPage == 1 && colPage == 1, index + pagesPerSheet(s) >= logicalPages(s) } };
}

std::optional<SheetPosition> movedSheet(
    const EngineState &s, const SheetPosition &from, SheetMove move, bool keepSheetNumber)
{
    SheetPosition p = from;
    switch (move) {
    case SheetMove::First:
        if (from.nav[0])
            return std::nullopt;
        p.rowPage = p.colPage = 1;
        if (keepSheetNumber)
            p.sheet = 1;
        break;
    case SheetMove::Next:
        if (from.nav[1])
            return std::nullopt;
        for (int i = 0; i < pagesPerSheet(s); ++i)
            stepForward(s, p);
        if (keepSheetNumber)
            ++p.sheet;
        break;
    case SheetMove::Last:
        if (from.nav[1])
            return std::nullopt;
        if (keepSheetNumber)
            p.sheet = s.SheetCount;
        toStartOfLastSheet(s, p);
        break;
    case SheetMove::Previous:
        if (from.nav[0])
            return std::nullopt;
        if (keepSheetNumber)
            --p.sheet;
        if (from.nav[1])
            toStartOfLastSheet(s, p);
        for (int i = 0; i < pagesPerSheet(s); ++i)
            stepBack(s, p);
        if (p.rowPage < 1)
            p.rowPage = p.colPage = 1;
        break;
    }
    return sheetPositionAt(s, p.rowPage, p.colPage, p.sheet);
}

std::optional<SheetPosition> numberedSheet(
    const EngineState &s, const SheetPosition &from, qint32 sheet, bool keepSheetNumber)
{
    const qint32 number = std::clamp<qint32>(sheet, 1, std::max<qint32>(1, s.SheetCount));
    const LogicalPage first = firstPageOfSheet(s, number);
    if (first.rowPage == from.rowPage && first.colPage == from.colPage)
        return std::nullopt;
    return sheetPositionAt(s, first.rowPage, first.colPage, keepSheetNumber ? number : from.sheet);
}

SheetPosition currentSheet(const EngineState &s)
{
    return { s.CurRowPage, s.CurColPage, s.CurSheet, s.SheetNav };
}

void setCurrentSheet(EngineState &s, const SheetPosition &sheet)
{
    s.CurRowPage = sheet.rowPage;
    s.CurColPage = sheet.colPage;
    s.CurSheet = sheet.sheet;
}

bool MoveSheet(EngineState &s, SheetMove move, bool keepSheetNumber)
{
    const auto to = movedSheet(s, currentSheet(s), move, keepSheetNumber);
    if (!to)
        return false;
    setCurrentSheet(s, *to);
    return true;
}

} // namespace quillon
