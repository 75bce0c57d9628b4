#include "sheetnavigation.h"

#include "engine/state/enginestate.h"

#include <algorithm>

namespace quillon {

namespace {

void stepForward(EngineState &s)
{
    if (++s.CurColPage > s.ColPageCount) {
        s.CurColPage = 1;
        ++s.CurRowPage;
    }
}

void stepBack(EngineState &s)
{
    if (s.CurColPage == 1) {
        s.CurColPage = s.ColPageCount;
        --s.CurRowPage;
    } else {
        --s.CurColPage;
    }
}

/// To the first logical page of the last sheet: the last logical page, then back over the
/// others the last sheet holds.
void toStartOfLastSheet(EngineState &s, int perSheet)
{
    const qint64 total = qint64(s.RowPageCount) * s.ColPageCount;
    // A sheet holds at least one logical page, or nothing would ever be drawn.
    const int n = std::max(1, perSheet);
    const qint64 rest = total % n;
    const qint64 onLast = rest == 0 ? n : rest;
    s.CurRowPage = s.RowPageCount;
    s.CurColPage = s.ColPageCount;
    for (qint64 i = 1; i < onLast; ++i)
        stepBack(s);
}

} // namespace

bool MoveSheet(SheetMove move, bool keepSheetNumber)
{
    EngineState &s = engineState();
    const int perSheet = s.PagesDown * s.PagesAcross;
    switch (move) {
    case SheetMove::First:
        if (s.SheetNav[0])
            return false;
        s.CurRowPage = 1;
        s.CurColPage = 1;
        if (keepSheetNumber)
            s.CurSheet = 1;
        return true;
    case SheetMove::Next:
        if (s.SheetNav[1])
            return false;
        for (int i = 0; i < perSheet; ++i)
            stepForward(s);
        if (keepSheetNumber)
            ++s.CurSheet;
        return true;
    case SheetMove::Last:
        if (s.SheetNav[1])
            return false;
        if (keepSheetNumber)
            s.CurSheet = s.SheetCount;
        toStartOfLastSheet(s, perSheet);
        return true;
    case SheetMove::Previous:
        if (s.SheetNav[0])
            return false;
        if (keepSheetNumber)
            --s.CurSheet;
        if (s.SheetNav[1])
            toStartOfLastSheet(s, perSheet);
        for (int i = 0; i < perSheet; ++i)
            stepBack(s);
        if (s.CurRowPage < 1) {
            s.CurRowPage = 1;
            s.CurColPage = 1;
        }
        return true;
    }
    return false;
}

} // namespace quillon
