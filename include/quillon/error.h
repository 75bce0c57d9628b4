#pragma once

#include <quillon/quillon_global.h>

#include <QString>

#include <exception>

namespace quillon {

/// The numbers of the errors the library raises: the automation runtime's own where one
/// means the same, the library's from 20001 up.
namespace ErrorNumber {
inline constexpr int InvalidCall = 5; ///< invalid procedure call or argument
inline constexpr int Overflow = 6;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int DivisionByZero = 11;
inline constexpr int TypeMismatch = 13;
inline constexpr int Unexpected = 51; ///< anything else that stopped a sheet
inline constexpr int ObjectNotSet = 91;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int InvalidRowOrColumn = 381;
inline constexpr int MemberNotSupported = 438;
inline constexpr int PrinterError = 482;
inline constexpr int InvalidSelection = 20001; ///< a spreadsheet cell address that names no cell
inline constexpr int NoCellAddress = 20002; ///< a spreadsheet column below 1
inline constexpr int KindNotPrintable = 20010; ///< no longer raised: every grid kind prints
} // namespace ErrorNumber

/// An error that reaches the host: a number and a description, like an automation error.
class QUILLON_EXPORT Error : public std::exception
{
public:
    Error(int number, QString description);

    int number() const noexcept { return m_number; }
    QString description() const { return m_description; }
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
    OverflowError();
};

} // namespace quillon
