#include <quillon/error.h>
#include <quillon/modelsheetgrid.h>

#include "celltable_p.h"
#include "engine/grids/gridadapters.h"

#include <QBrush>
#include <QColor>
#include <QDate>
#include <QHash>
#include <QPointer>
#include <QRect>

namespace quillon {

class ModelSheetGridPrivate
{
public:
    /// The model's index of a sheet cell; invalid for the header row.
    QModelIndex index(qint32 row, qint32 col) const
    {
        return model->index(row - 1 - (headerShown ? 1 : 0), col - 1);
    }
    bool isHeader(qint32 row) const { return headerShown && row == 1; }
    QVariant data(qint32 row, qint32 col, int role) const
    {
        if (!model)
            return {};
        if (isHeader(row))
            return model->headerData(col - 1, Qt::Horizontal, role);
        return model->data(index(row, col), role);
    }
    /// The text as a view's delegate writes the value.
    QString text(qint32 row, qint32 col) const
    {
        const QVariant value = data(row, col, Qt::DisplayRole);
        switch (value.userType()) {
        case QMetaType::Float:
            return locale.toString(value.toFloat());
        case QMetaType::Double:
            return locale.toString(value.toDouble(), 'g', 6);
        case QMetaType::Int:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
            return locale.toString(value.toLongLong());
        case QMetaType::UInt:
        case QMetaType::ULong:
        case QMetaType::ULongLong:
        case QMetaType::UShort:
            return locale.toString(value.toULongLong());
        case QMetaType::QDate:
            return locale.toString(value.toDate(), QLocale::ShortFormat);
        case QMetaType::QTime:
            return locale.toString(value.toTime(), QLocale::ShortFormat);
        case QMetaType::QDateTime:
            return locale.toString(value.toDateTime(), QLocale::ShortFormat);
        default:
            return value.toString();
        }
    }

    QPointer<QAbstractItemModel> model;
    bool headerShown = true;
    bool gridShown = true;
    QFont defaultFont;
    QLocale locale;
    IndexedValues<qint32> widths { 0 };
    IndexedValues<bool> hidden { false };
    IndexedValues<qint32> heights { ModelSheetGrid::DefaultRowHeight };
    qint32 headerHeight = ModelSheetGrid::DefaultHeaderHeight;
    qint32 fixedCols = 0;
    /// Spans in sheet numbering: x columns, y rows.
    QList<QRect> spans;
    qint32 activeRow = 1;
    qint32 activeCol = 1;
    QRect selection { 1, 1, 1, 1 };
    /// Content widths already measured, by column; every page asks again.
    mutable QHash<qint32, qint32> measured;
};

ModelSheetGrid::ModelSheetGrid(QAbstractItemModel *model, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<ModelSheetGridPrivate>())
{
    d->model = model;
    if (!model)
        return;
    // A measured width holds until the model changes.
    const auto forget = [this] { d->measured.clear(); };
    connect(model, &QAbstractItemModel::dataChanged, this, forget);
    connect(model, &QAbstractItemModel::headerDataChanged, this, forget);
    connect(model, &QAbstractItemModel::rowsInserted, this, forget);
    connect(model, &QAbstractItemModel::rowsRemoved, this, forget);
    connect(model, &QAbstractItemModel::columnsInserted, this, forget);
    connect(model, &QAbstractItemModel::columnsRemoved, this, forget);
    connect(model, &QAbstractItemModel::modelReset, this, forget);
    connect(model, &QAbstractItemModel::layoutChanged, this, forget);
}

ModelSheetGrid::~ModelSheetGrid() = default;

QAbstractItemModel *ModelSheetGrid::model() const
{
    return d->model.data();
}

void ModelSheetGrid::setHeaderShown(bool shown)
{
    d->headerShown = shown;
    d->measured.clear();
}

bool ModelSheetGrid::isHeaderShown() const
{
    return d->headerShown;
}

void ModelSheetGrid::setColumnWidth(int column, qint32 twips)
{
    d->widths.set(column, std::max(0, twips));
}

void ModelSheetGrid::setColumnHidden(int column, bool hidden)
{
    d->hidden.set(column, hidden);
}

void ModelSheetGrid::setRowHeight(int row, qint32 twips)
{
    if (row == -1)
        d->headerHeight = std::max(0, twips);
    else
        d->heights.set(row, std::max(0, twips));
}

void ModelSheetGrid::setSpan(int row, int column, int rowSpan, int columnSpan)
{
    if (row < 0 || column < 0 || rowSpan < 1 || columnSpan < 1)
        throw Error(ErrorNumber::InvalidCall, QStringLiteral("Invalid procedure call or argument"));
    const int first = row + 1 + (d->headerShown ? 1 : 0);
    const QRect span(column + 1, first, columnSpan, rowSpan);
    d->spans.removeIf([&](const QRect &other) { return other.intersects(span); });
    if (rowSpan > 1 || columnSpan > 1)
        d->spans.append(span);
}

void ModelSheetGrid::clearSpans()
{
    d->spans.clear();
}

void ModelSheetGrid::setDefaultFont(const QFont &font)
{
    d->defaultFont = font;
}

void ModelSheetGrid::setGridShown(bool shown)
{
    d->gridShown = shown;
}

void ModelSheetGrid::setFixedColumns(int columns)
{
    d->fixedCols = std::max(0, columns);
}

void ModelSheetGrid::setLocale(const QLocale &locale)
{
    d->locale = locale;
    d->measured.clear();
}

qint32 ModelSheetGrid::MaxRow() const
{
    return d->model ? d->model->rowCount() + (d->headerShown ? 1 : 0) : 0;
}

qint32 ModelSheetGrid::MaxCol() const
{
    return d->model ? d->model->columnCount() : 0;
}

qint32 ModelSheetGrid::FixedRows() const
{
    return d->headerShown ? 1 : 0;
}

qint32 ModelSheetGrid::FixedCols() const
{
    return d->fixedCols;
}

bool ModelSheetGrid::ColHidden(qint32 col) const
{
    return d->hidden.at(col - 1);
}

qint32 ModelSheetGrid::ColWidth(qint32 col) const
{
    if (const qint32 set = d->widths.at(col - 1); set > 0)
        return set;
    if (const auto it = d->measured.constFind(col); it != d->measured.cend())
        return *it;
    QStringList texts;
    for (qint32 r = 1; r <= MaxRow(); ++r)
        texts << d->text(r, col);
    return d->measured[col] = contentWidth(texts);
}

qint32 ModelSheetGrid::RowHeight(qint32 row) const
{
    if (d->isHeader(row))
        return d->headerHeight;
    return d->heights.at(row - 1 - (d->headerShown ? 1 : 0));
}

qint32 ModelSheetGrid::SelStartRow() const
{
    return d->selection.top();
}

qint32 ModelSheetGrid::SelStartCol() const
{
    return d->selection.left();
}

qint32 ModelSheetGrid::SelEndRow() const
{
    return d->selection.bottom();
}

qint32 ModelSheetGrid::SelEndCol() const
{
    return d->selection.right();
}

QString ModelSheetGrid::Text() const
{
    return d->text(d->activeRow, d->activeCol);
}

QString ModelSheetGrid::TextRC(qint32 row, qint32 col) const
{
    return d->text(row, col);
}

void ModelSheetGrid::setSelection(const QString &address)
{
    const auto [row, col] = SheetGridAccess::parseAddress(address);
    d->activeRow = row;
    d->activeCol = col;
    d->selection = QRect(col, row, 1, 1);
    for (const QRect &span : std::as_const(d->spans)) {
        if (span.contains(col, row)) {
            d->selection = span;
            break;
        }
    }
}

SheetCellFormat ModelSheetGrid::GetCellFormat() const
{
    SheetCellFormat format;
    const qint32 row = d->activeRow;
    const qint32 col = d->activeCol;
    const QVariant fontValue = d->data(row, col, Qt::FontRole);
    const QFont font = fontValue.canConvert<QFont>() && fontValue.isValid()
        ? fontValue.value<QFont>()
        : d->defaultFont;
    format.FontName = font.family();
    format.FontSize = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
    format.FontBold = font.bold();
    const QVariant brush = d->data(row, col, Qt::ForegroundRole);
    if (brush.isValid()) {
        const QColor c
            = brush.canConvert<QBrush>() ? brush.value<QBrush>().color() : brush.value<QColor>();
        format.FontColor = qint32(c.red() | (c.green() << 8) | (c.blue() << 16));
    }
    const QVariant alignment = d->data(row, col, Qt::TextAlignmentRole);
    // A view writes text at the left and vertically centred, headings centred.
    const Qt::Alignment a = alignment.isValid()
        ? Qt::Alignment(alignment.toInt())
        : (d->isHeader(row) ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    format.HorizontalAlignment = a & Qt::AlignHCenter ? 3
        : a & Qt::AlignRight                          ? 4
        : a & Qt::AlignJustify                        ? 6
                                                      : 2;
    format.VerticalAlignment = a & Qt::AlignTop ? 1 : a & Qt::AlignBottom ? 3 : 2;
    if (d->gridShown)
        format.BorderStyle = { 1, 1, 1, 1 };
    format.MergeCells = d->selection.width() > 1 || d->selection.height() > 1;
    return format;
}

} // namespace quillon
