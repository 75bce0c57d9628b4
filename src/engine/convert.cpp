#include "convert.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QTime>

#include <cstdio>

#include <charconv>

namespace quillon {

std::optional<double> parseNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint16> toInteger(const QString &text)
{
    const auto value = parseNumber(text);
    if (!value)
        return std::nullopt;
    const double r = std::nearbyint(*value);
    if (r < std::numeric_limits<qint16>::min() || r > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(r);
}

std::optional<qint32> toLong(const QString &text)
{
    const auto value = parseNumber(text);
    if (!value)
        return std::nullopt;
    const double r = std::nearbyint(*value);
    if (r < double(std::numeric_limits<qint32>::min())
        || r > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(r);
}

std::optional<float> toSingle(const QString &text)
{
    const auto value = parseNumber(text);
    if (!value || std::abs(*value) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return float(*value);
}

QString singleToText(float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

} // namespace quillon

// ---- numeric and date texts ----------------------------------------------------------------

namespace quillon {

std::optional<double> numericValue(const QString &text)
{
    QString t = text.trimmed();
    bool negative = false;
    if (t.size() >= 2 && t.startsWith(QLatin1Char('(')) && t.endsWith(QLatin1Char(')'))) {
        negative = true;
        t = t.mid(1, t.size() - 2).trimmed();
    }
    if (!t.isEmpty() && (t[0] == QLatin1Char('-') || t[0] == QLatin1Char('+'))) {
        if (t[0] == QLatin1Char('-')) {
            if (negative)
                return std::nullopt;
            negative = true;
        }
        t.remove(0, 1);
    }
    if (!t.isEmpty() && (t[0] == u'¥' || t[0] == u'￥' || t[0] == u'$'))
        t.remove(0, 1);
    // Mantissa: digits and grouping commas, at most one point; then an optional exponent.
    QString plain;
    bool digits = false, point = false;
    qsizetype i = 0;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            plain += c;
            digits = true;
        } else if (c == QLatin1Char(',') && !point && digits && i + 1 < t.size()
            && t[i + 1].isDigit()) {
            continue;
        } else if (c == QLatin1Char('.') && !point) {
            plain += c;
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return std::nullopt;
    if (i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        QString exponent = QStringLiteral("e");
        ++i;
        if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
            exponent += t[i++];
        const qsizetype start = i;
        while (i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'))
            exponent += t[i++];
        if (i == start)
            return std::nullopt;
        plain += exponent;
    }
    // A percentage: a per-cent sign at the end, blanks allowed before it ("76.4%", "12.5 %").
    bool percent = false;
    qsizetype sign = i;
    while (sign < t.size() && t[sign] == QLatin1Char(' '))
        ++sign;
    if (sign + 1 == t.size() && (t[sign] == QLatin1Char('%') || t[sign] == u'％')) {
        percent = true;
        i = t.size();
    }
    if (i != t.size())
        return std::nullopt;
    bool ok = false;
    double value = QLocale::c().toDouble(plain, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    if (percent)
        value /= 100;
    return negative ? -value : value;
}

bool isDateText(const QString &text)
{
    return dateValue(text).has_value();
}

std::optional<QDateTime> dateValue(const QString &text)
{
    static const QRegularExpression ymd(
        QStringLiteral("^(\\d{4})(?:([-/.])(\\d{1,2})\\2(\\d{1,2})|年(\\d{1,2})月(\\d{1,2})日)"
                       "(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    static const QRegularExpression mdy(
        QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})(?: (\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    const QString t = text.trimmed();
    int year = 0, month = 0, day = 0;
    int timeGroup = 0;
    QRegularExpressionMatch m = ymd.match(t);
    if (m.hasMatch()) {
        year = m.captured(1).toInt();
        const bool chinese = m.captured(2).isEmpty();
        month = m.captured(chinese ? 5 : 3).toInt();
        day = m.captured(chinese ? 6 : 4).toInt();
        timeGroup = 7;
    } else if ((m = mdy.match(t)).hasMatch()) {
        month = m.captured(1).toInt();
        day = m.captured(2).toInt();
        year = m.captured(3).toInt();
        timeGroup = 4;
    } else {
        return std::nullopt;
    }
    if (!QDate::isValid(year, month, day))
        return std::nullopt;
    const QDate date(year, month, day);
    if (m.captured(timeGroup).isEmpty())
        return QDateTime(date, QTime(0, 0));
    const int hour = m.captured(timeGroup).toInt();
    const int minute = m.captured(timeGroup + 1).toInt();
    const int second = m.captured(timeGroup + 2).isEmpty() ? 0 : m.captured(timeGroup + 2).toInt();
    if (!QTime::isValid(hour, minute, second))
        return std::nullopt;
    return QDateTime(date, QTime(hour, minute, second));
}

// ---- number patterns -------------------------------------------------------------------------

namespace {

/// |value| as decimal digits, rounded half away from zero to `decimals` places. Binary noise
/// is removed first by going through 15 significant digits, so 1.005 rounds up as written.
struct Decimal
{
    QString integer; // no leading zeros; empty for 0
    QString fraction; // exactly `decimals` digits
};

Decimal toDecimal(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::abs(value));
    // d.dddddddddddddde±XX
    const QString text = QString::fromLatin1(buffer);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    QString digits = text.left(e).remove(QLatin1Char('.'));
    int pointPos = text.mid(e + 1).toInt() + 1; // digits before the decimal point
    // Make room so that pointPos is within [0, digits.size()].
    if (pointPos < 0) {
        digits.prepend(QString(-pointPos, QLatin1Char('0')));
        pointPos = 0;
    }
    while (digits.size() < pointPos + decimals + 1)
        digits += QLatin1Char('0');
    const bool roundUp = digits[pointPos + decimals] >= QLatin1Char('5');
    digits.truncate(pointPos + decimals);
    if (roundUp) {
        qsizetype i = digits.size() - 1;
        for (; i >= 0; --i) {
            if (digits[i] == QLatin1Char('9')) {
                digits[i] = QLatin1Char('0');
            } else {
                digits[i] = QChar(digits[i].unicode() + 1);
                break;
            }
        }
        if (i < 0) {
            digits.prepend(QLatin1Char('1'));
            ++pointPos;
        }
    }
    Decimal d;
    d.integer = digits.left(pointPos);
    while (d.integer.startsWith(QLatin1Char('0')))
        d.integer.remove(0, 1);
    d.fraction = digits.mid(pointPos, decimals);
    return d;
}

struct Section
{
    QString prefix, suffix;
    int minInteger = 0; // '0' placeholders before the point
    int minFraction = 0; // '0' placeholders after it
    int maxFraction = 0; // all placeholders after it
    bool grouping = false;
    bool point = false;
    bool percent = false;
    bool hasDigits = false;
};

Section parseSection(const QString &pattern)
{
    Section s;
    bool inNumber = false, afterNumber = false, afterPoint = false;
    // Literal text goes before the number until the number has started and ended.
    const auto literal = [&]() -> QString & {
        if (inNumber)
            afterNumber = true;
        return afterNumber ? s.suffix : s.prefix;
    };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('"')) {
            QString &out = literal();
            for (++i; i < pattern.size() && pattern[i] != QLatin1Char('"'); ++i)
                out += pattern[i];
            continue;
        }
        if (c == QLatin1Char('\\') && i + 1 < pattern.size()) {
            literal() += pattern[++i];
            continue;
        }
        const bool placeholder = c == QLatin1Char('0') || c == QLatin1Char('#');
        if (!afterNumber && (placeholder || c == QLatin1Char(',') || c == QLatin1Char('.'))) {
            inNumber = true;
            if (c == QLatin1Char('.')) {
                s.point = true;
                afterPoint = true;
            } else if (c == QLatin1Char(',')) {
                s.grouping = s.grouping || !afterPoint;
            } else {
                s.hasDigits = true;
                if (afterPoint) {
                    ++s.maxFraction;
                    if (c == QLatin1Char('0'))
                        s.minFraction = s.maxFraction; // every place up to a '0' is shown
                } else if (c == QLatin1Char('0')) {
                    ++s.minInteger;
                }
            }
            continue;
        }
        if (c == QLatin1Char('%'))
            s.percent = true;
        literal() += c;
    }
    return s;
}

QString group(const QString &digits)
{
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return out;
}

QString formatSection(double value, const Section &s)
{
    if (!s.hasDigits && !s.point)
        return s.prefix + s.suffix;
    const double scaled = s.percent ? value * 100 : value;
    Decimal d = toDecimal(scaled, s.maxFraction);
    while (d.fraction.size() > s.minFraction && d.fraction.endsWith(QLatin1Char('0')))
        d.fraction.chop(1);
    QString integer = d.integer;
    while (integer.size() < s.minInteger)
        integer.prepend(QLatin1Char('0'));
    if (s.grouping)
        integer = group(integer);
    QString number = integer;
    if (s.point)
        number += QLatin1Char('.') + d.fraction;
    return s.prefix + number + s.suffix;
}

} // namespace

QString formatNumber(double value, const QString &pattern)
{
    QStringList sections;
    {
        // Split on ';' outside quotes.
        QString current;
        bool quoted = false;
        for (qsizetype i = 0; i < pattern.size(); ++i) {
            const QChar c = pattern[i];
            if (c == QLatin1Char('"'))
                quoted = !quoted;
            if (c == QLatin1Char('\\') && i + 1 < pattern.size()) {
                current += c;
                current += pattern[++i];
                continue;
            }
            if (c == QLatin1Char(';') && !quoted) {
                sections << current;
                current.clear();
            } else {
                current += c;
            }
        }
        sections << current;
    }
    if (!std::isfinite(value))
        return QString::number(value);
    const Section positive = parseSection(sections[0]);
    const bool roundedZero = [&] {
        const Decimal d = toDecimal(positive.percent ? value * 100 : value, positive.maxFraction);
        return d.integer.isEmpty()
            && !d.fraction.contains(QRegularExpression(QStringLiteral("[1-9]")));
    }();
    if (sections.size() >= 3 && (value == 0 || roundedZero))
        return formatSection(0, parseSection(sections[2]));
    if (value < 0 && sections.size() >= 2 && !sections[1].isEmpty())
        return formatSection(-value, parseSection(sections[1]));
    const QString text = formatSection(std::abs(value), positive);
    return value < 0 && !roundedZero ? QLatin1Char('-') + text : text;
}

// ---- spreadsheet number formats ---------------------------------------------------------------

namespace {

/// One piece of a date format: a run of one format letter, or literal text.
struct DateToken
{
    QChar letter; // y, m, d, h, s or n (minutes); null for literal text
    qsizetype count = 0;
    QString literal;
};

/// The format's pieces; nothing when it holds a letter or a bracket no date format supports.
std::optional<QList<DateToken>> dateTokens(const QString &format)
{
    QList<DateToken> tokens;
    const auto literal = [&](const QString &text) {
        if (tokens.isEmpty() || !tokens.last().letter.isNull())
            tokens.append(DateToken {});
        tokens.last().literal += text;
    };
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('"')) {
            const qsizetype end = format.indexOf(QLatin1Char('"'), i + 1);
            if (end < 0)
                return std::nullopt;
            literal(format.mid(i + 1, end - i - 1));
            i = end;
        } else if (c == QLatin1Char('\\') && i + 1 < format.size()) {
            literal(format.mid(++i, 1));
        } else if (QStringLiteral("ymdhs").contains(c.toLower())) {
            qsizetype n = 1;
            while (i + n < format.size() && format[i + n].toLower() == c.toLower())
                ++n;
            tokens.append({ c.toLower(), n, {} });
            i += n - 1;
        } else if (c.isLetter() && c.unicode() < 0x80) {
            return std::nullopt; // AM/PM, era and other letters
        } else if (c == QLatin1Char('[') || c == QLatin1Char('0') || c == QLatin1Char('#')) {
            return std::nullopt; // elapsed hours, colours, fractions of a second
        } else {
            literal(QString(c));
        }
    }
    // "m" after an hour or before a second is minutes.
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (tokens[i].letter != QLatin1Char('m'))
            continue;
        const auto letterAt
            = [&](qsizetype j) { return j >= 0 && j < tokens.size() ? tokens[j].letter : QChar(); };
        const qsizetype before = letterAt(i - 1).isNull() ? i - 2 : i - 1;
        const qsizetype after = letterAt(i + 1).isNull() ? i + 2 : i + 1;
        if (letterAt(before) == QLatin1Char('h') || letterAt(after) == QLatin1Char('s'))
            tokens[i].letter = QLatin1Char('n');
    }
    for (const DateToken &t : tokens) {
        const bool tooLong
            = t.letter == QLatin1Char('y') ? t.count != 2 && t.count != 4 : t.count > 2;
        if (!t.letter.isNull() && tooLong)
            return std::nullopt; // month and weekday names
    }
    return tokens;
}

QString formatDate(const QDateTime &when, const QList<DateToken> &tokens)
{
    const QDate d = when.date();
    const QTime t = when.time();
    QString out;
    for (const DateToken &token : tokens) {
        const char16_t letter = token.letter.unicode();
        if (letter == 0) {
            out += token.literal;
            continue;
        }
        const int value = letter == u'y' ? (token.count == 2 ? d.year() % 100 : d.year())
            : letter == u'm'             ? d.month()
            : letter == u'd'             ? d.day()
            : letter == u'h'             ? t.hour()
            : letter == u'n'             ? t.minute()
                                         : t.second();
        out += QString::number(value).rightJustified(int(token.count), u'0');
    }
    return out;
}

bool isDateFormat(const QString &format)
{
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('\\'))
            ++i;
        else if (!quoted && (c == QLatin1Char('0') || c == QLatin1Char('#')))
            return false;
        else if (!quoted && QStringLiteral("ymdhs").contains(c.toLower()))
            return true;
    }
    return false;
}

/// Whether formatNumber supports every character of a number format outside quoted text.
bool isSupportedNumberFormat(const QString &format)
{
    bool quoted = false, digits = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == QLatin1Char('\\')) {
            ++i;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            digits = true;
        } else if ((c.isLetter() && c.unicode() < 0x80) || QStringLiteral("[]?*_@").contains(c)) {
            return false; // colours, conditions, exponents, fractions, fill and padding
        }
    }
    return digits && !quoted;
}

} // namespace

std::optional<QString> formatCellText(const QString &text, const QString &format)
{
    const QString f = format.trimmed();
    if (f.isEmpty() || f.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0
        || f == QLatin1String("@"))
        return text;
    if (isDateFormat(f)) {
        const auto tokens = dateTokens(f);
        if (!tokens)
            return std::nullopt;
        if (const auto when = dateValue(text))
            return formatDate(*when, *tokens);
        if (const auto serial = numericValue(text); serial && *serial >= 0 && *serial < 2958466) {
            // Whole days from the spreadsheet epoch; the fraction is the time of day.
            const double days = std::floor(*serial);
            const qint64 ms = std::llround((*serial - days) * 86400000.0);
            const QDateTime when(QDate(1899, 12, 30).addDays(qint64(days)), QTime(0, 0));
            return formatDate(when.addMSecs(ms), *tokens);
        }
        return text;
    }
    if (!isSupportedNumberFormat(f))
        return std::nullopt;
    if (const auto value = numericValue(text))
        return formatNumber(*value, f);
    return text;
}

} // namespace quillon
