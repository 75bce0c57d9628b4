#pragma once

#include <QDate>

namespace quillon {

/// The main title with its double underline, then the sub-title, centred on the logical page.
void DrawTitles();
/// The host's head lines (font 2); the last one of a multi-page voucher ends in "(2/3)".
void DrawHeadLines();
/// The host's foot lines (font 6), placed in FootCount columns.
void DrawFootLines();
/// The operator, the page number and the print date on one line (font 6).
void DrawPageInfoLine();

/// The date printed as the print date: today, unless a test fixed it.
QDate printDate();
void setPrintDateForTesting(const QDate &date);

} // namespace quillon
