#pragma once

#include <quillon/gridfile.h>
#include <quillon/myprint.h>

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <utility>
#include <vector>

/// What the command line says about every report it prints.
struct ReportOptions
{
    QString inputFormat; ///< "csv" or "json"; empty: by the file's suffix (or first byte)
    /// --set, --title, --subtitle and --key, each with its value, in the order given.
    std::vector<std::pair<QString, QString>> properties;
    QStringList formats; ///< --format, as given
    QString printer; ///< --printer, when given
    bool toPrinter = false;
    bool continuous = false;
};

/// One grid file made into a report: its grid, a print object with the file's properties and
/// the command line's, and the page-format values the job stores. Every value is checked when
/// the file is opened, so that a refused report changes nothing. Made and used on one thread.
class GridReport
{
public:
    /// Reads the grid file ("-": standard input) and applies the options. Nothing, with the
    /// message, when the file cannot be read or a value is refused.
    static std::unique_ptr<GridReport> open(
        const QString &input, const ReportOptions &options, QString *error);
    /// Empty when the command line's own values would be taken; otherwise why not.
    static QString checkOptions(const ReportOptions &options);

    quillon::GridFile &grid() { return *m_grid; }
    quillon::MyPrint &print() { return m_print; }
    /// The grid file as messages name it ("标准输入" for standard input).
    const QString &source() const { return m_source; }
    /// The printer the report's format names, with what this job stores; empty for none.
    QString designatedPrinter() const;
    /// What the job decides on its own (column bands for a wide CSV) and what it leaves out
    /// (data sets without --cont), as notes to show.
    QStringList takeOwnChoices(bool continuous);
    /// Stores the page-format values under the report's key.
    void storeFormat() const;

private:
    GridReport() = default;
    bool applyProperties(const ReportOptions &options, QString *error);
    bool readFormatValues(const ReportOptions &options, QString *error);

    std::unique_ptr<quillon::GridFile> m_grid;
    quillon::MyPrint m_print;
    std::map<QString, QString> m_format;
    QString m_source;
    QString m_inputFormat;
};
