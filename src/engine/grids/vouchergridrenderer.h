#pragma once

#include <QString>

namespace quillon {

struct EngineState;
struct PageContext;

/// Draws the grid body of the current logical page for the voucher grid (kind 2): the header
/// rows, the page's band of body rows (padded with blank rows on the last page when the format
/// asks for it) and the bottom (totals) rows, within the current column band. The band fills
/// the page width exactly; while the page is wider than the band, amount columns keep their
/// digit cells and the other columns share the rest. Each cell takes the borders and merging
/// its flag byte asks for; amounts go one digit a cell; on every page of a voucher (CallMod
/// "凭证") but the last the totals are blank. Then the frame, the amount columns' lines and
/// labels (DrawAmountColumns), and PageOriginY 100 twips below the grid.
void DrawVoucherGrid(const PageContext &pc);

/// Tells the user, once the current job is laid out, which amounts have more characters than
/// their amount column shows digit cells on its page, so that "#" prints in their place: one
/// message (through ShowMessage) that names the rows and columns. A step that fails loses only
/// the check.
void CheckAmountColumns(EngineState &s);

/// The text an amount cell prints for a numeric text, or an empty text for an amount of 0.
/// With digit lines (withLines), the amount in hundredths as a whole number, one digit a cell
/// ("1234.5" → "123450"), signed unless signless; without, "##,###,###,###.00", whose comma
/// and point fall into the "，" and "．" cells. Both round half a cent up. negative is set for an
/// amount below 0.
QString AmountCellText(double value, bool withLines, bool signless, bool *negative);

} // namespace quillon
