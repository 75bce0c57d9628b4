#pragma once

namespace quillon {

struct EngineState;

/// Moves between the sheets the preview and the full-screen view show. Logical pages run with
/// the column band fastest; a sheet holds PagesDown × PagesAcross of them and starts at the
/// current one (CurRowPage, CurColPage). Each move says whether the sheet must be drawn again:
/// a move that the SheetNav marks of the last drawing rule out changes nothing.
class SheetNavigator
{
public:
    /// `keepsSheetNumber`: the preview keeps CurSheet, the number its status bar shows; the
    /// full-screen view leaves it alone.
    explicit SheetNavigator(bool keepsSheetNumber);

    bool first();
    bool previous();
    bool next();
    bool last();

private:
    static void stepForward(EngineState &s, int steps);
    static void stepBack(EngineState &s, int steps);
    static void toStartOfLastSheet(EngineState &s);

    bool m_keepsSheetNumber;
};

} // namespace quillon
