#pragma once

#include <quillon/gridfile.h>

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <variant>
#include <vector>

class QFile;
class QMetaProperty;

namespace quillon {

class JsonCellTable;
struct JsonCellArray;

// The limits of a grid file that more than one reader keeps; docs/grid-file.md, "Limits", says
// why.
/// Rows times the widest row: the in-memory grid keeps every cell of that rectangle.
constexpr qint64 kMaxCells = 10'000'000;
/// A cell's text, in UTF-16 code units: more than a page can show, and laying out a text costs
/// hundreds of bytes a character.
constexpr qint64 kMaxCellText = 100'000;
constexpr qint32 kMaxColWidth = 32767;
constexpr qint32 kMinRowHeight = 100;
constexpr qint32 kMaxRowHeight = 4000;
/// The fixed columns repeat on every column band.
constexpr qint32 kMaxFixedCols = 100;
constexpr qint32 kMaxFixedColsWidth = 15000;
constexpr qint32 kMaxColor = 0xFFFFFF;

class GridFilePrivate
{
public:
    int gridType = 0;
    std::unique_ptr<QObject> grid;
    QVariantMap properties;
    QVariantMap format;
    QList<GridFileLine> head;
    QList<GridFileLine> foot;
    struct DataSet
    {
        QList<QStringList> cells;
        QList<GridFileLine> head;
        QList<GridFileLine> foot;
    };
    QList<DataSet> dataSets;
    /// "mergeRows": true, which every data set's rows take too.
    bool mergeAllRows = false;
};

/// One key of a grid file's object as a reader declares it: what its value must be and where it
/// goes. A key left out keeps the target's value, unless it is required.
struct KeyRule
{
    enum class Type {
        Integer, ///< a whole number in [low, high]; note says where the range comes from
        PerIndex, ///< a whole number in [low, high] for each index below count, or one for all
        IndexSet, ///< true (every index below count), false, or an array of such indexes
        Bool,
        Text, ///< note says what the text is
    };
    using Target = std::variant<qint32 *, std::optional<qint32> *, QList<qint32> *,
        std::optional<bool> *, QString *, std::optional<QString> *>;

    static KeyRule integer(
        const char *key, qint32 &target, qint32 low, qint32 high, const QString &note = QString())
    {
        return { key, Type::Integer, low, high, 0, note, false, &target };
    }
    static KeyRule integer(const char *key, std::optional<qint32> &target, qint32 low, qint32 high,
        const QString &note = QString())
    {
        return { key, Type::Integer, low, high, 0, note, false, &target };
    }
    static KeyRule requiredInteger(const char *key, std::optional<qint32> &target, qint32 low,
        qint32 high, const QString &note = QString())
    {
        return { key, Type::Integer, low, high, 0, note, true, &target };
    }
    /// unit names what count counts in messages ("列", "行").
    static KeyRule perIndex(const char *key, QList<qint32> &target, qint32 count,
        const QString &unit, qint32 low, qint32 high)
    {
        return { key, Type::PerIndex, low, high, count, unit, false, &target };
    }
    static KeyRule indexSet(
        const char *key, QList<qint32> &target, qint32 count, const QString &unit)
    {
        return { key, Type::IndexSet, 0, count - 1, count, unit, false, &target };
    }
    static KeyRule boolean(const char *key, std::optional<bool> &target)
    {
        return { key, Type::Bool, 0, 0, 0, QString(), false, &target };
    }
    static KeyRule text(const char *key, QString &target, const QString &what)
    {
        return { key, Type::Text, 0, 0, 0, what, false, &target };
    }
    static KeyRule text(const char *key, std::optional<QString> &target, const QString &what)
    {
        return { key, Type::Text, 0, 0, 0, what, false, &target };
    }

    const char *key;
    Type type;
    qint32 low;
    qint32 high;
    qint32 count;
    QString note;
    bool required;
    Target target;
};

/// The keys an object may hold, in the order a message lists them.
using KeyList = std::span<const char *const>;

/// How the data sets of continuous printing refill a kind's grid.
enum class DataSetRows {
    None, ///< the kind prints no data sets
    AllRows, ///< every row, as many as the grid has (a voucher form keeps its rows)
    BodyRows, ///< the body rows below the caption row (data grids)
    HeadingAndBodyRows, ///< the heading rows, then at least one body row
};

/// Reads a grid file strictly: every key known, every value of its type and within its range
/// (docs/grid-file.md), with messages that name the key, the value and what it should be. The
/// document and what the kinds share are read here; each kind's grid by its own reader
/// (flexreader.cpp, datareader.cpp, voucherreader.cpp, sheetreader.cpp, spreadreader.cpp).
class GridFileReader
{
public:
    explicit GridFileReader(GridFile &file);
    ~GridFileReader();

    /// A CSV file's bytes, and the file they are mapped from if they are.
    bool readCsv(QByteArray bytes, std::unique_ptr<QFile> mapped = nullptr);
    bool readJson(const QByteArray &bytes);
    QString error;

    // The checking core the kind readers share.
    bool fail(const QString &where, const QString &what);
    bool typeError(const QString &where, const QString &expected, const QJsonValue &v);
    bool checkKeys(const QJsonObject &object, const QString &where, KeyList allowed);
    /// The keys of an object in the order given: the first value that breaks its rule fails.
    bool readKeys(
        const QJsonObject &object, const QString &where, std::initializer_list<KeyRule> rules);
    /// A whole number in [low, high]; note says where the range comes from.
    std::optional<qint32> integer(const QJsonValue &v, const QString &where, qint32 low,
        qint32 high, const QString &note = QString());
    /// An item of an array of objects: an object of the shape, with none but the keys allowed.
    std::optional<QJsonObject> objectItem(
        const QJsonValue &item, const QString &where, const QString &shape, KeyList allowed);
    /// An array of arrays of whole numbers under key, [row, col, ...] with minItems to maxItems
    /// items, the first two a cell of the grid; take checks and keeps the rest of each.
    bool readCellTuples(const QJsonObject &grid, const char *key, qint32 rows, qint32 cols,
        qsizetype minItems, qsizetype maxItems, const QString &shape,
        const std::function<bool(const QString &, const QJsonArray &, qint32, qint32)> &take);

    // The pieces the grids of rows of cells share.
    bool checkSize(qint64 rows, qint64 cols);
    /// checkSize, with the message for a grid without cells at where.
    bool checkGridSize(qint64 rows, qint64 cols, const QString &where);
    /// The "cells" (or another key's rows of texts) of an object; where names the object in
    /// messages.
    bool readCells(const QJsonObject &object, const QString &where, QList<QStringList> &cells,
        qint32 &cols, const QString &key = QStringLiteral("cells"));
    /// "grid.cells": at least one cell.
    bool readGridCells(const QJsonObject &grid, QList<QStringList> &cells, qint32 &cols);
    /// A grid's keys (only those allowed) and then its cells.
    bool readGridCells(
        const QJsonObject &grid, KeyList allowed, QList<QStringList> &cells, qint32 &cols)
    {
        return checkKeys(grid, QStringLiteral("grid"), allowed) && readGridCells(grid, cells, cols);
    }
    /// "fixedRows" and "fixedCols" of a grid of rows and cols.
    bool readFixed(const QJsonObject &grid, qint32 rows, qint32 cols, qint32 (&fixed)[2]);
    /// At least one column wider than hidden twips, or the page would show no grid.
    bool checkWidths(const QList<qint32> &widths, const QString &where, qint32 hidden);
    bool checkFixedColumnsWidth(qint32 fixedCols, qint64 width);
    bool checkPrintedColumns(qint32 cols);
    /// What every page repeats: the heading rows and their height (twips), and the first body
    /// row's height (0 without body rows).
    void noteRepeatedRows(
        qint32 headingRows, qint32 rows, qint32 cols, qint64 headingHeight, qint64 bodyRowHeight);
    /// The same, the first headingRows rows of heightOf the heading rows.
    void noteRepeatedRows(qint32 headingRows, qint32 rows, qint32 cols,
        const std::function<qint32(qint32)> &heightOf);
    /// A grid setting of a single row, which later data sets would not keep.
    void noteRowSetting(qint32 row, const QString &where);

    GridFilePrivate &file();
    /// "grid.cells" of a large flex or plain grid, read where the file's bytes lie; else null.
    const std::shared_ptr<JsonCellTable> &cellTable() const { return m_cellTable; }

private:
    bool readKey(const QJsonObject &object, const QString &where, const KeyRule &rule);
    bool readPerIndex(const QJsonValue &value, const QString &where, const KeyRule &rule);
    bool readIndexSet(const QJsonValue &value, const QString &where, const KeyRule &rule);
    /// Refuses a JSON file whose arrays of rows hold more cells than the limit, counted on its
    /// bytes.
    bool checkJsonCells(const std::vector<JsonCellArray> &arrays);
    bool readProperties(const QJsonValue &v);
    bool readFormat(const QJsonValue &v);
    bool readLines(const QJsonValue &v, const QString &name, qint32 lowCode, qint32 highCode,
        QList<GridFileLine> &lines, qint32 &lineCount);
    bool checkRepeated(qint32 headLines, qint32 footLines);
    bool readDataSets(const QJsonValue &v, DataSetRows rowsOfSet, qint32 footCount,
        qint32 headLines, qint32 footLines);

    GridFile &m_file;
    /// The heading rows, their height and the first body row's (0 without body rows), twips.
    qint32 m_headingRows = 0;
    qint64 m_headingHeight = 0;
    qint64 m_bodyRowHeight = 0;
    qint32 m_gridRows = 0;
    qint32 m_gridCols = 0;
    qint32 m_lastRowSetting = -1;
    QString m_lastRowSettingKey;
    std::shared_ptr<JsonCellTable> m_cellTable;
};

QString noCellsMessage();
/// Columns left out (from widths.size() on) are sized to their content.
void sizeToContent(const QList<QStringList> &cells, qint32 cols, QList<qint32> &widths);
/// The conversion of a value for a print object property, as GridFile::setProperty does it.
bool convertProperty(const QMetaProperty &property, const QString &name, const QVariant &value,
    QVariant *converted, QString *error);

// The kind readers: each reads "grid" of its kinds into the file, or fails with the reader's
// error.
bool readSheetGrid(GridFileReader &reader, const QJsonObject &grid, int kind);
bool readVoucherGrid(GridFileReader &reader, const QJsonObject &grid, int kind);
bool readDataGrid(GridFileReader &reader, const QJsonObject &grid, int kind);
bool readFlexGrid(GridFileReader &reader, const QJsonObject &grid, int kind);
bool readSpreadGrid(GridFileReader &reader, const QJsonObject &grid, int kind);

} // namespace quillon
