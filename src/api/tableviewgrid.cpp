#include <quillon/tableviewgrid.h>

#include <QHeaderView>
#include <QTableView>

namespace quillon {

namespace {

/// Screen pixels of the view as twips of paper.
qint32 twips(const QWidget &view, int pixels)
{
    return qint32(qint64(pixels) * 1440 / std::max(1, view.logicalDpiX()));
}

} // namespace

TableViewGrid::TableViewGrid(QTableView *view, QObject *parent)
    : ModelSheetGrid(view ? view->model() : nullptr, parent)
    , m_view(view)
{
    readView();
}

TableViewGrid::~TableViewGrid() = default;

void TableViewGrid::readView()
{
    auto *view = qobject_cast<QTableView *>(m_view.data());
    if (!view || !view->model())
        return;
    const QAbstractItemModel &model = *view->model();
    const QHeaderView &header = *view->horizontalHeader();
    setHeaderShown(!header.isHidden());
    setGridShown(view->showGrid());
    setDefaultFont(view->font());
    setLocale(view->locale());
    // A header not laid out yet has no height: take the height it asks for.
    setRowHeight(
        -1, twips(*view, header.height() > 0 ? header.height() : header.sizeHint().height()));
    for (int c = 0; c < model.columnCount(); ++c) {
        setColumnWidth(c, twips(*view, view->columnWidth(c)));
        setColumnHidden(c, view->isColumnHidden(c));
    }
    for (int r = 0; r < model.rowCount(); ++r)
        setRowHeight(r, twips(*view, view->rowHeight(r)));
    // The view names no spans: every cell answers the span it lies in, and the first cell met
    // of a span, row by row, is its top-left one.
    clearSpans();
    QList<QRect> found;
    for (int r = 0; r < model.rowCount(); ++r) {
        for (int c = 0; c < model.columnCount(); ++c) {
            const int rows = view->rowSpan(r, c);
            const int cols = view->columnSpan(r, c);
            if ((rows > 1 || cols > 1)
                && std::none_of(found.cbegin(), found.cend(),
                    [&](const QRect &span) { return span.contains(c, r); })) {
                found.append(QRect(c, r, cols, rows));
                setSpan(r, c, rows, cols);
            }
        }
    }
}

} // namespace quillon
