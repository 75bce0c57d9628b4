#pragma once

#include <quillon/modelsheetgrid.h>

#include <QPointer>

class QTableView;

namespace quillon {

/// A spreadsheet grid (GridType 1) that prints a table view's model as the view shows it: the
/// model's texts, fonts, colours and alignments, and the view's spans, hidden columns, column
/// widths, row heights, header, grid lines, font and locale. The view's layout is read when the
/// grid is made and again by readView(); the model's data when the report is drawn.
class QUILLON_EXPORT TableViewGrid : public ModelSheetGrid
{
    Q_OBJECT
public:
    /// A grid over the view's model, with the view's layout read now. The view is not owned;
    /// a null view, or one without a model, gives an empty grid. The model is the one the view
    /// has now: after the view gets another model, make a new grid.
    explicit TableViewGrid(QTableView *view, QObject *parent = nullptr);
    ~TableViewGrid() override;

    /// Reads the view's layout again (after columns were resized, hidden or spanned): header,
    /// grid lines, font, locale, widths, heights and spans, as the constructor does. Does
    /// nothing once the view has been deleted.
    void readView();

private:
    QPointer<QObject> m_view;
};

} // namespace quillon
