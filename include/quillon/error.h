#pragma once

#include <quillon/quillon_global.h>

#include <QString>

#include <exception>

namespace quillon {

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
