#include "sheetnavigator.h"

#include "engine/state/enginestate.h"

#include <algorithm>

namespace quillon {

namespace {

int pagesPerSheet(const EngineState &s)
{
    return s.PagesDown * s.PagesAcross;
}

} // namespace

SheetNavigator::SheetNavigator(bool keepsSheetNumber)
    : m_keepsSheetNumber(keepsSheetNumber)
{
}

void SheetNavigator::stepForward(EngineState &s, int steps)
{
    for (int i = 0; i < steps; ++i) {
        if (++s.CurColPage > s.ColPageCount) {
            s.CurColPage = 1;
            ++s.CurRowPage;
        }
    }
}

void SheetNavigator::stepBack(EngineState &s, int steps)
{
    for (int i = 0; i < steps; ++i) {
        if (s.CurColPage == 1) {
            s.CurColPage = s.ColPageCount;
            --s.CurRowPage;
        } else {
            --s.CurColPage;
        }
    }
}

void SheetNavigator::toStartOfLastSheet(EngineState &s)
{
    // A sheet of no logical pages would make the remainder a division by zero.
    const int perSheet = std::max(1, pagesPerSheet(s));
    const qint64 total = qint64(s.RowPageCount) * s.ColPageCount;
    const int onLastSheet = total % perSheet == 0 ? perSheet : int(total % perSheet);
    s.CurRowPage = s.RowPageCount;
    s.CurColPage = s.ColPageCount;
    stepBack(s, onLastSheet - 1);
}

bool SheetNavigator::first()
{
    EngineState &s = engineState();
    if (s.SheetNav[0])
        return false;
    s.CurRowPage = 1;
    s.CurColPage = 1;
    if (m_keepsSheetNumber)
        s.CurSheet = 1;
    return true;
}

bool SheetNavigator::next()
{
    EngineState &s = engineState();
    if (s.SheetNav[1])
        return false;
    stepForward(s, std::max(0, pagesPerSheet(s)));
    if (m_keepsSheetNumber)
        ++s.CurSheet;
    return true;
}

bool SheetNavigator::last()
{
    EngineState &s = engineState();
    if (s.SheetNav[1])
        return false;
    if (m_keepsSheetNumber)
        s.CurSheet = s.SheetCount;
    toStartOfLastSheet(s);
    return true;
}

bool SheetNavigator::previous()
{
    EngineState &s = engineState();
    if (s.SheetNav[0])
        return false;
    if (m_keepsSheetNumber)
        --s.CurSheet;
    if (s.SheetNav[1])
        toStartOfLastSheet(s);
    stepBack(s, std::max(0, pagesPerSheet(s)));
    if (s.CurRowPage < 1) {
        s.CurRowPage = 1;
        s.CurColPage = 1;
    }
    return true;
}

} // namespace quillon
