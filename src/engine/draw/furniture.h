#pragma once

#include <QDate>

namespace quillon {

struct PageContext;

/// The main title with its double underline, then the sub-title, centred on the logical page.
/// A title too wide for the page is shrunk to fit, down to 9 points, and then wrapped.
void DrawTitles(const PageContext &pc);
/// The height of the main title (0) or the sub-title (1) when it is too wide for the
/// page width and is shrunk or wrapped; 0 when it fits at its size. Measures on the target.
qint32 TitleHeight(const PageContext &pc, int which, double pageWidth);
/// The host's head lines (font 2); the last one of a multi-page voucher ends in "(2/3)".
void DrawHeadLines(const PageContext &pc);
/// The host's foot lines (font 6), placed in FootCount columns.
void DrawFootLines(const PageContext &pc);
/// The operator, the page number and the print date on one line (font 6); on a page too
/// narrow for them side by side, the later items go on lines of their own below.
void DrawPageInfoLine(const PageContext &pc);
/// The lines the page-info line takes on a page of this width when its page numbers run up to
/// these counts; 0 when every item is switched off. Measures on the drawing target.
int PageInfoLineCount(
    const PageContext &pc, qint64 maxRowPages, qint64 maxColPages, double pageWidth);

/// The date printed as the print date: today, unless a test fixed it.
QDate printDate();
void setPrintDateForTesting(const QDate &date);

} // namespace quillon
