#pragma once

#include <QList>
#include <QString>

namespace quillon {

/// A page list as the print dialog takes it ("1-3,5,8"): the pages in the order written, each
/// once, or the message that says what is wrong with it.
struct PageList
{
    QList<qint32> pages;
    QString error; ///< empty when the list is good
};

/// Reads a list of pages and page ranges, separated by commas (full-width ones and "、" too),
/// of a report of `pageCount` pages. Full-width digits and dashes count as their plain forms.
PageList parsePageList(const QString &text, qint32 pageCount);

} // namespace quillon
