#pragma once

#include "engine/state/fontspec.h"

#include <QString>

namespace quillon {

struct PageContext;

/// A cell rectangle in surface units (page twips × zoom) with its alignment codes, as the grid
/// renderers hand it to the cell printers. The meaning of the codes depends on the grid kind.
struct CellBox
{
    qint32 Top = 0;
    qint32 Left = 0;
    qint32 Width = 0;
    qint32 Height = 0;
    qint16 HorAlign = 0;
    qint16 VerAlign = 0;
    /// 3 forbids wrapping.
    qint16 CellType = 0;
    /// How far a text on one line may run over the cell's left and right edges; -1 without
    /// limit. A text that would run further is cut there.
    qint32 RoomLeft = -1;
    qint32 RoomRight = -1;
};

/// Where a text goes in its cell, across and down.
enum class HPlace { Left, Centre, Right };
enum class VPlace { Top, Centre, Bottom };

/// Settles a general alignment from the text: numbers right, dates centred, the rest left.
HPlace generalPlace(const QString &text);

struct TextSize
{
    qint32 width = 0;
    qint32 height = 0;
};

/// The space between a cell's edge and its text, in surface units; never scaled by the zoom.
constexpr qint32 kCellMargin = 30;
/// PrintCellText never shrinks a font below this many points.
constexpr double kMinCellFontSize = 1;
/// PrintSpreadCellText never shrinks a font below this many points.
constexpr double kMinSpreadFontSize = 4;
/// The smallest size that still reads on paper: PrintUnwrappedCellText and
/// PrintVoucherCellText never shrink a font below it.
constexpr double kMinReadableFontSize = 7;

/// Sets the font on the drawing surface and measures the text in page twips (unzoomed).
/// Without colour printing the text colour becomes black, in the preview too.
TextSize ApplyFont(const PageContext &pc, const QString &text, const FontSpec &font);

/// Prints a text in a cell: aligned by the grid kind's rules, shrunk to fit when the format
/// asks for it (the font record keeps its whole-point size), wrapped one character at a time
/// within the cell's line budget, or overflowing when it is a number. A general alignment is
/// settled from the text and written back into the cell.
void PrintCellText(const PageContext &pc, const QString &text, CellBox &cell, FontSpec &font);

/// PrintCellText as the spread grid needs it: it fits by trying more lines before shrinking
/// and wraps any text that is too wide.
void PrintSpreadCellText(const PageContext &pc, const QString &text, CellBox &cell, FontSpec &font);

/// PrintCellText as the spreadsheet grid needs it: it shrinks no lower than
/// kMinReadableFontSize and never wraps; a text still too wide runs over the cell's edge.
void PrintUnwrappedCellText(
    const PageContext &pc, const QString &text, CellBox &cell, FontSpec &font);

/// PrintCellText as the voucher grid needs it: it shrinks no lower than kMinReadableFontSize,
/// then wraps by character when the cell has room for more lines, and otherwise cuts the text
/// at the cell's edge (a number becomes "#" marks). Nothing prints beyond the cell's sides.
void PrintVoucherCellText(
    const PageContext &pc, const QString &text, CellBox &cell, FontSpec &font);

/// Corner marks, 1 cm long and pointing inwards, around a logical page (page twips).
void DrawCutMarks(const PageContext &pc, qint32 x, qint32 y, qint32 width, qint32 height);

} // namespace quillon
