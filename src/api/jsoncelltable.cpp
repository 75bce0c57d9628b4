#include "jsoncelltable.h"

#include "utf8_p.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace quillon {

namespace {

const char *skipSpace(const char *p, const char *end)
{
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r'))
        ++p;
    return p;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/// One character of a JSON text at p (after its opening quote), moving p past it: the code
/// point, -1 at the closing quote, -2 for what the quick pass leaves to the parser (bytes that
/// are not UTF-8, control characters, bad or surrogate escapes).
qint32 nextChar(const char *&p, const char *end)
{
    if (p >= end)
        return -2;
    const auto b = uchar(*p);
    if (b == '"') {
        ++p;
        return -1;
    }
    if (b < 0x20)
        return -2;
    if (b < 0x80 && b != '\\') {
        ++p;
        return b;
    }
    if (b >= 0x80) {
        const auto *u = reinterpret_cast<const uchar *>(p);
        const qint32 c = decodeUtf8(u, reinterpret_cast<const uchar *>(end));
        p = reinterpret_cast<const char *>(u);
        return c < 0 ? -2 : c;
    }
    if (end - p < 2)
        return -2;
    const char e = p[1];
    p += 2;
    switch (e) {
    case '"':
    case '\\':
    case '/':
        return e;
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'u': {
        if (end - p < 4)
            return -2;
        qint32 c = 0;
        for (int i = 0; i < 4; ++i) {
            const int h = hexValue(p[i]);
            if (h < 0)
                return -2;
            c = c * 16 + h;
        }
        p += 4;
        return c >= 0xD800 && c <= 0xDFFF ? -2 : c;
    }
    default:
        return -2;
    }
}

/// The number at p as the JSON parser reads it; p moves past it. Nothing for what is not a
/// plain JSON number, or one past the range of a double.
std::optional<double> readNumber(const char *&p, const char *end)
{
    const char *start = p;
    bool integer = true;
    if (p < end && *p == '-')
        ++p;
    if (p < end && *p == '0') {
        ++p;
    } else {
        if (p == end || *p < '1' || *p > '9')
            return std::nullopt;
        while (p < end && *p >= '0' && *p <= '9')
            ++p;
    }
    if (p < end && *p == '.') {
        integer = false;
        ++p;
        if (p == end || *p < '0' || *p > '9')
            return std::nullopt;
        while (p < end && *p >= '0' && *p <= '9')
            ++p;
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        integer = false;
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            ++p;
        if (p == end || *p < '0' || *p > '9')
            return std::nullopt;
        while (p < end && *p >= '0' && *p <= '9')
            ++p;
    }
    const QByteArray token = QByteArray::fromRawData(start, p - start);
    bool ok = false;
    if (integer) {
        // The parser keeps a whole number that fits as an integer: "-0" is 0.
        const qint64 n = token.toLongLong(&ok);
        if (ok)
            return double(n);
    }
    const double d = token.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

/// The number at p as a cell shows it, as it is written; p moves past it.
std::optional<QString> numberText(const char *&p, const char *end)
{
    const char *start = p;
    if (!readNumber(p, end))
        return std::nullopt;
    return QString::fromLatin1(start, p - start);
}

bool endsItem(const char *p, const char *end)
{
    p = skipSpace(p, end);
    return p < end && (*p == ',' || *p == ']');
}

/// Steps over a well-formed item (the pass checked it).
const char *skipItem(const char *p, const char *end)
{
    if (*p == '"') {
        for (++p; p < end && *p != '"'; ++p) {
            if (*p == '\\')
                ++p;
        }
        return p + 1;
    }
    while (p < end && *p != ',' && *p != ']' && *p != ' ' && *p != '\t' && *p != '\n' && *p != '\r')
        ++p;
    return p;
}

} // namespace

std::shared_ptr<JsonCellTable> JsonCellTable::read(
    QByteArray bytes, qsizetype begin, qsizetype end, qint64 maxLength)
{
    std::shared_ptr<JsonCellTable> table(new JsonCellTable);
    table->m_bytes = std::move(bytes);
    if (begin < 0 || end > table->m_bytes.size() || end - begin < 2)
        return nullptr;
    table->m_begin = table->m_bytes.constData() + begin;
    table->m_end = table->m_bytes.constData() + end;
    if (!table->scan(maxLength))
        return nullptr;
    return table;
}

bool JsonCellTable::scan(qint64 maxLength)
{
    const char *p = m_begin;
    const char *const end = m_end;
    if (*p != '[')
        return false;
    p = skipSpace(p + 1, end);
    if (p < end && *p == ']')
        return p + 1 == end;
    for (;;) {
        if (p == end || *p != '[')
            return false;
        p = skipSpace(p + 1, end);
        m_rowStarts.push_back(p - m_bytes.constData());
        qint32 col = 0;
        if (p < end && *p == ']') {
            ++p;
        } else {
            for (;;) {
                qint64 width = 0;
                qint64 length = 0;
                if (p < end && *p == '"') {
                    const char *const text = ++p;
                    bool escaped = false;
                    for (;;) {
                        escaped = escaped || (p < end && *p == '\\');
                        const qint32 c = nextChar(p, end);
                        if (c == -1)
                            break;
                        if (c == -2)
                            return false;
                        // As contentWidth counts: a wide or supplementary character 220.
                        width += c >= 0x2E80 ? 220 : 120;
                        length += c >= 0x10000 ? 2 : 1;
                    }
                    // The parser drops a byte order mark that starts a text without escapes.
                    if (!escaped && p - text >= 4 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
                        width -= 220;
                        length -= 1;
                    }
                } else if (p < end && *p == 'n') {
                    if (end - p < 4 || QByteArrayView(p, 4) != "null")
                        return false;
                    p += 4;
                } else {
                    const auto text = numberText(p, end);
                    if (!text)
                        return false;
                    length = text->size();
                    width = 120 * length;
                }
                if (length > maxLength || !endsItem(p, end))
                    return false;
                if (size_t(col) >= m_widest.size())
                    m_widest.resize(size_t(col) + 1, 0);
                m_widest[size_t(col)] = std::max(m_widest[size_t(col)], width);
                ++col;
                p = skipSpace(p, end);
                if (*p == ']') {
                    ++p;
                    break;
                }
                p = skipSpace(p + 1, end); // past the comma
            }
        }
        m_cols = std::max(m_cols, col);
        p = skipSpace(p, end);
        if (p < end && *p == ',') {
            p = skipSpace(p + 1, end);
            continue;
        }
        return p < end && *p == ']' && p + 1 == end;
    }
}

QString JsonCellTable::text(qint32 row, qint32 col) const
{
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols)
        return QString();
    Position at { row, 0, m_bytes.constData() + m_rowStarts[size_t(row)] };
    if (*at.at == ']')
        at.at = nullptr;
    if (m_next.row == row && m_next.col <= col)
        at = m_next;
    const auto after = [this](const char *p) -> const char * {
        p = skipSpace(skipItem(p, m_end), m_end);
        return *p == ',' ? skipSpace(p + 1, m_end) : nullptr;
    };
    for (; at.at && at.col < col; ++at.col)
        at.at = after(at.at);
    if (!at.at) {
        m_next = at;
        return QString();
    }
    const char *p = at.at;
    m_next = { row, col + 1, after(p) };
    if (*p == 'n')
        return QString();
    if (*p != '"')
        return numberText(p, m_end).value_or(QString());
    ++p;
    const char *close = p;
    while (*close != '"' && *close != '\\')
        ++close;
    if (*close == '"')
        return QString::fromUtf8(p, close - p); // as the parser, without a leading mark
    QString text;
    for (qint32 c; (c = nextChar(p, m_end)) >= 0;) {
        if (c >= 0x10000) {
            text += QChar::highSurrogate(char32_t(c));
            text += QChar::lowSurrogate(char32_t(c));
        } else {
            text += QChar(char16_t(c));
        }
    }
    return text;
}

qint32 JsonCellTable::contentWidth(qint32 col) const
{
    const qint64 widest = size_t(col) < m_widest.size() ? m_widest[size_t(col)] : 0;
    return qint32(std::clamp<qint64>(widest + 240, 600, 8000));
}

QByteArray cellNumbersAsTexts(
    const QByteArray &bytes, const std::vector<JsonCellArray> &arrays, const JsonCellArray *leftOut)
{
    std::vector<const JsonCellArray *> ordered;
    for (const JsonCellArray &a : arrays) {
        if (a.end >= 0)
            ordered.push_back(&a);
    }
    std::sort(ordered.begin(), ordered.end(),
        [](const JsonCellArray *a, const JsonCellArray *b) { return a->begin < b->begin; });
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 8);
    qsizetype done = 0;
    for (const JsonCellArray *a : ordered) {
        if (a->begin < done)
            continue; // inside one already copied
        out.append(bytes.constData() + done, a->begin - done);
        const char *p = bytes.constData() + a->begin;
        const char *end = bytes.constData() + a->end;
        if (a == leftOut) {
            // Its lines stay, so that the parser's messages name the file's lines.
            out += "[]" + QByteArray(std::count(p, end, '\n'), '\n');
        } else {
            while (p < end) {
                if (*p == '"') {
                    const char *start = p++;
                    while (p < end && *p != '"')
                        p += *p == '\\' && p + 1 < end ? 2 : 1;
                    p = std::min(p + 1, end);
                    out.append(start, p - start);
                } else if (*p == '-' || (*p >= '0' && *p <= '9')) {
                    // A number the parser would refuse stays as it is, for its message.
                    const char *start = p;
                    const bool number = readNumber(p, end).has_value();
                    if (number)
                        out += '"';
                    out.append(start, std::max<qsizetype>(p - start, 1));
                    if (number)
                        out += '"';
                    else
                        p = start + 1;
                } else {
                    out += *p++;
                }
            }
        }
        done = a->end;
    }
    out.append(bytes.constData() + done, bytes.size() - done);
    return out;
}

} // namespace quillon
