#pragma once

#include <quillon/abstractdatagrid.h>

#include <QList>
#include <QObject>
#include <QStringList>

#include <memory>

namespace quillon {

class DataGridPrivate;

/// An in-memory data grid (GridType 3 or 4). Rows past the data read as empty texts, so a job
/// whose gridrows exceeds the data prints blank rows rather than failing.
class QUILLON_EXPORT DataGrid : public QObject, public AbstractDataGrid
{
    Q_OBJECT
public:
    static constexpr qint32 DefaultRowHeight = 300; ///< twips

    /// An empty grid: no columns, no rows, a caption row one row high.
    explicit DataGrid(QObject *parent = nullptr);
    ~DataGrid() override;

    /// Replaces every column.
    void setColumns(const QList<DataGridColumn> &columns);
    /// Adds a column at the right: its caption and width in twips, aligned by the library.
    void appendColumn(const QString &caption, qint32 width);
    /// Replaces the data rows; each row holds one text per column, from column 0. Texts past
    /// the last column are kept but never printed. The print object's gridrows still says how
    /// many rows print.
    void setRowsData(const QList<QStringList> &rows);
    /// Number of data rows given to setRowsData(): what gridrows should usually be.
    qint32 rowsDataCount() const;
    /// Height of every row in twips (default DefaultRowHeight).
    void setRowHeight(qint32 height);
    /// Height of the caption row in rows (default 1; fractions allowed).
    void setHeadLines(double lines);

    qint32 ColumnsCount() const override;
    DataGridColumn Columns(qint32 col) const override;
    double HeadLines() const override;
    qint32 RowHeight() const override;
    /// The current cell, from row 0, column 0. Any row from 0 up may be set (rows past the data
    /// read as empty texts); a negative row, or a column outside the columns, throws
    /// quillon::Error 381.
    ///@{
    qint32 Row() const override;
    void setRow(qint32 row) override;
    qint32 Col() const override;
    void setCol(qint32 col) override;
    ///@}
    QString Text() const override;

private:
    std::unique_ptr<DataGridPrivate> d;
};

} // namespace quillon
