#pragma once

#include <QString>

#include <span>

/// What an option's value is, for a shell that completes it.
enum class ValueKind {
    None, ///< a switch
    Text, ///< anything: nothing to complete
    File,
    PdfFile,
    Folder,
    InputFormat,
    Property, ///< Property=Value, the names of --list-properties
    FormatValue, ///< Name=Value, the names of --list-formats
};

struct OptionSpec
{
    const char *name;
    char shortName; ///< 0 for none
    const char *valueName; ///< empty for a switch
    ValueKind value;
    const char *help;
};

/// A line of a table of the manual page: a term and what it means.
struct TermSpec
{
    const char *term;
    const char *meaning;
};

/// quillon-print's options. --help, the parser, the manual page and the shell completion are
/// all made from this table, so none of them can miss an option.
std::span<const OptionSpec> commandOptions();
/// The lines that say how the program is called.
std::span<const char *const> usageLines();
/// What the program does, in one sentence of the manual page's name line.
const char *summary();
/// The paragraph under the usage lines.
const char *description();
/// The notes after the options.
std::span<const char *const> notes();
std::span<const TermSpec> exitStatuses();
std::span<const TermSpec> environment();
/// Command lines with what they do.
std::span<const TermSpec> examples();

/// The text of --help.
QString helpText();
/// How an option is written on the left of --help and in the manual page: "-j, --jobs N".
QString optionSynopsis(const OptionSpec &option);
