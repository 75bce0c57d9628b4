#pragma once

#include <quillon/quillon_global.h>

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

namespace quillon {

class MyPrint;
class GridFilePrivate;

/// A header or footer line entry of a grid file: text, newline flag, alignment, colour.
struct GridFileLine
{
    QString text; ///< the entry's text
    QVariant newline; ///< 1 starts a line of its own, 0 goes on the line of the entry before
    int alignment = 0; ///< a header or footer alignment code, as MyPrint::AddHead takes it
    qint32 color = 0; ///< RGB with red in the low byte
};

/// A report read from a grid file (docs/grid-file.md): a .csv file (printed as a flex grid with
/// its first row fixed and columns sized to their content) or a .json grid file with the grid
/// kind, the grid, properties, page-format values and header and footer lines.
class QUILLON_EXPORT GridFile
{
public:
    /// Reads a grid file strictly: every key, type, index, size and limit of docs/grid-file.md
    /// is checked here, against the grid. Nothing, with a message naming the file, the key,
    /// the value and what it should be, when the file cannot be read or breaks a rule. Never
    /// throws.
    static std::unique_ptr<GridFile> load(const QString &path, QString *error);
    /// The same, read as format ("csv" or "json") whatever the file's name.
    static std::unique_ptr<GridFile> load(
        const QString &path, QString *error, const QString &format);
    /// Reads a grid file's contents: format is "csv" or "json", name says where the bytes came
    /// from in messages (a path, or standard input).
    static std::unique_ptr<GridFile> fromData(
        const QByteArray &bytes, const QString &format, const QString &name, QString *error);
    ~GridFile();

    /// The file's GridType, 1 to 8; 5 (flex grid) for a CSV file.
    int gridType() const;
    /// The grid, owned by this object: a print object may print it while this object lives.
    QObject *grid() const;
    /// The file's "properties": print object properties by name, checked against their types
    /// and ranges; applyTo() sets them.
    const QVariantMap &properties() const;
    /// The file's "format": page-format values by name, checked against formatFields().
    /// applyTo() does not store them: store them under the report's PrintKeyName with
    /// quillon::setFormatValue() before the job, where they win over the properties.
    const QVariantMap &format() const;
    /// The file's "head" and "foot" entries, in order; applyTo() adds them to the print object.
    ///@{
    const QList<GridFileLine> &head() const;
    const QList<GridFileLine> &foot() const;
    ///@}

    /// Hands the grid, its kind, the properties and the lines to a print object. False, with a
    /// message, for an unknown property or a value it cannot take. Never throws.
    bool applyTo(MyPrint &print, QString *error) const;

    /// How many data sets the file's "datasets" holds (none in a CSV file): continuous printing
    /// prints them after the grid, one after the other.
    qsizetype dataSetCount() const;
    /// Refills the grid with data set `index` (from 0) and adds its header and footer lines to
    /// the print object, as a PrintOver handler does between two data sets; a data grid's
    /// gridrows becomes the data set's row count. False, with a message, for an index outside
    /// "datasets". Never throws.
    bool applyDataSet(qsizetype index, MyPrint &print, QString *error);

    /// Sets a print object property by name from a value (a text such as "12", "true" or
    /// "ssSpread", or a number). False with a message when there is no such property or the
    /// value does not fit it: an enumeration takes only its members, a property that supplies
    /// a page-format value the range of that value (margins 0 to 500 mm), and the other lengths
    /// and counts the ranges the README lists.
    static bool setProperty(
        MyPrint &print, const QString &name, const QVariant &value, QString *error);
    /// Empty when the print object's grid answers the contract of its GridType; otherwise why
    /// not, with the kinds it does answer (a CSV file's flex grid set to GridType 8, say).
    static QString checkGridKind(const MyPrint &print);
    /// Empty when PrintColStart and PrintColEnd name columns of the print object's grid, counted
    /// from 0 (-1 for all), the end not before the start; otherwise why not. For the grids of
    /// GridType 2 to 7; a grid that does not answer its GridType is checkGridKind's to report.
    static QString checkPrintedColumns(const MyPrint &print);

private:
    GridFile();
    friend class GridFileReader;

    std::unique_ptr<GridFilePrivate> d;
};

} // namespace quillon
