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
    static constexpr qint32 DefaultRowHeight = 300;

    explicit DataGrid(QObject *parent = nullptr);
    ~DataGrid() override;

    void setColumns(const QList<DataGridColumn> &columns);
    void appendColumn(const QString &caption, qint32 width);
    /// The data rows; each row holds one text per column.
    void setRowsData(const QList<QStringList> &rows);
    qint32 rowsDataCount() const;
    void setRowHeight(qint32 height);
    void setHeadLines(double lines);

    qint32 ColumnsCount() const override;
    DataGridColumn Columns(qint32 col) const override;
    double HeadLines() const override;
    qint32 RowHeight() const override;
    qint32 Row() const override;
    void setRow(qint32 row) override;
    qint32 Col() const override;
    void setCol(qint32 col) override;
    QString Text() const override;

private:
    std::unique_ptr<DataGridPrivate> d;
};

} // namespace quillon
