#pragma once

#include <quillon/quillon_global.h>

#include <QString>

#include <exception>

namespace quillon {

/// The numbers of the errors the library raises: the automation runtime's own where one
/// means the same, the library's from 20001 up.
namespace ErrorNumber {
inline constexpr int InvalidCall = 5; ///< invalid procedure call or argument
/// A value too large for its 16-bit or 32-bit quantity, or a report with more pages than a
/// 32-bit count holds.
inline constexpr int Overflow = 6;
/// A row or column index no cell table holds (below 0, or 2147483647).
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int DivisionByZero = 11; ///< a layout step divided by zero
/// A header or footer line's newline value that is neither a number nor true or false.
inline constexpr int TypeMismatch = 13;
inline constexpr int Unexpected = 51; ///< anything else that stopped a sheet
inline constexpr int ObjectNotSet = 91; ///< no grid where the job needs one
inline constexpr int InvalidPropertyValue = 380; ///< a paper the printer does not take
inline constexpr int InvalidRowOrColumn = 381; ///< a row or column outside a grid
/// The grid object does not answer the contract of the grid kind it is printed as.
inline constexpr int MemberNotSupported = 438;
inline constexpr int PrinterError = 482; ///< no printer to lay the report out on
inline constexpr int InvalidSelection = 20001; ///< a spreadsheet cell address that names no cell
inline constexpr int NoCellAddress = 20002; ///< a spreadsheet column below 1
inline constexpr int KindNotPrintable = 20010; ///< no longer raised: every grid kind prints
} // namespace ErrorNumber

/// An error that reaches the host: a number and a description, like an automation error.
class QUILLON_EXPORT Error : public std::exception
{
public:
    /// An error with one of the ErrorNumber values and a description of what went wrong.
    Error(int number, QString description);

    /// One of the ErrorNumber values.
    int number() const noexcept { return m_number; }
    /// What went wrong, for a developer: the library's descriptions are English.
    QString description() const { return m_description; }
    /// "[number]description" in UTF-8, as the library's messages show an error.
    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

/// A value does not fit the 16-bit or 32-bit quantity it is assigned to (error 6).
class QUILLON_EXPORT OverflowError : public Error
{
public:
    /// Error 6 with the description "Overflow".
    OverflowError();
};

} // namespace quillon
