#include "csvtable.h"

#include "utf8_p.h"

#include <QFile>
#include <QStringDecoder>

#include <array>
#include <cstring>

namespace quillon {

namespace {

enum ByteClass : unsigned char { Text, Stop, Wide };

/// Commas and line ends stop an unquoted field; bytes from 0x80 start a multi-byte character.
constexpr std::array<ByteClass, 256> kByteClasses = [] {
    std::array<ByteClass, 256> classes {};
    for (int b = 0x80; b < 256; ++b)
        classes[size_t(b)] = Wide;
    classes[size_t(',')] = classes[size_t('\n')] = classes[size_t('\r')] = Stop;
    return classes;
}();

/// The characters from `from` to `to`, counted as a person counts them on the line.
qint64 charactersBetween(const uchar *from, const uchar *to)
{
    qint64 n = 0;
    for (const uchar *p = from; p < to; ++p)
        n += !isUtf8Continuation(*p);
    return n;
}

const char *findQuote(const char *from, const char *end)
{
    const void *at = std::memchr(from, '"', size_t(end - from));
    return at ? static_cast<const char *>(at) : end;
}

/// UTF-8 that the file's one pass found valid, as text.
QString decoded(const char *from, qsizetype size)
{
    // fromUtf8 drops a byte order mark that starts its input; inside the file it is text.
    if (size >= 3 && std::memcmp(from, "\xEF\xBB\xBF", 3) == 0)
        return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)
            .decode(QByteArrayView(from, size));
    return QString::fromUtf8(from, size);
}

} // namespace

CsvTable::~CsvTable() = default;

std::shared_ptr<CsvTable> CsvTable::read(QByteArray bytes, std::unique_ptr<QFile> mapped,
    qint64 maxCells, qint64 maxLength, Failure *why)
{
    std::shared_ptr<CsvTable> table(new CsvTable);
    table->m_bytes = std::move(bytes);
    table->m_mapped = std::move(mapped);
    table->m_begin = table->m_bytes.constData();
    table->m_end = table->m_begin + table->m_bytes.size();
    if (table->m_bytes.startsWith("\xEF\xBB\xBF"))
        table->m_begin += 3;
    if (!table->scan(maxCells, maxLength, why))
        return nullptr;
    return table;
}

bool CsvTable::scan(qint64 maxCells, qint64 maxLength, Failure *why)
{
    const auto *const begin = reinterpret_cast<const uchar *>(m_begin);
    const auto *const end = reinterpret_cast<const uchar *>(m_end);
    const uchar *p = begin;
    qint64 line = 1;
    const uchar *lineStart = p;
    const auto lineBreak = [&](const uchar *next) {
        ++line;
        lineStart = next;
    };
    const auto notUtf8 = [&](const uchar *at) {
        why->message = QStringLiteral("不是 UTF-8 文本：第 %1 行第 %2 个字符无法识别")
                           .arg(line)
                           .arg(charactersBetween(lineStart, at) + 1);
        return false;
    };
    qint64 rowCount = 0;
    qint64 cols = 0;
    bool over = false;
    while (p < end) {
        const uchar *const rowStart = p;
        qint64 field = 0;
        bool firstHasText = false;
        for (;;) {
            qint64 width = 0;
            qint64 length = 0; // UTF-16 code units, as a QString counts them
            const qint64 fieldLine = line;
            bool hasText = false;
            if (p < end && *p == '"') {
                // Quoted: commas, line breaks and doubled quotes are part of the field.
                const uchar *const open = p;
                const qint64 openLine = line;
                const uchar *const openLineStart = lineStart;
                for (++p;;) {
                    if (p == end) {
                        why->message
                            = QStringLiteral("第 %1 行第 %2 列（该行第 %3 个字符）的引号没有结束："
                                             "直到文件末尾也没有找到与之配对的引号")
                                  .arg(openLine)
                                  .arg(field + 1)
                                  .arg(charactersBetween(openLineStart, open) + 1);
                        return false;
                    }
                    const uchar b = *p;
                    if (b == '"') {
                        if (p + 1 < end && p[1] == '"') {
                            width += charWeight(U'"');
                            ++length;
                            hasText = true;
                            p += 2;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    hasText = true;
                    if (b < 0x80) {
                        ++p;
                        if (b == '\n' || (b == '\r' && (p == end || *p != '\n')))
                            lineBreak(p);
                        width += charWeight(b);
                        ++length;
                        continue;
                    }
                    const qint32 c = decodeUtf8(p, end);
                    if (c < 0)
                        return notUtf8(p);
                    width += charWeight(char32_t(c));
                    length += c >= 0x10000 ? 2 : 1;
                }
            }
            // An unquoted field, or what follows a closing quote: part of the field too.
            while (p < end) {
                const ByteClass kind = kByteClasses[*p];
                if (kind == Stop)
                    break;
                hasText = true;
                if (kind == Text) {
                    width += charWeight(*p);
                    ++length;
                    ++p;
                    continue;
                }
                const qint32 c = decodeUtf8(p, end);
                if (c < 0)
                    return notUtf8(p);
                width += charWeight(char32_t(c));
                length += c >= 0x10000 ? 2 : 1;
            }
            if (length > maxLength) {
                why->message = QStringLiteral("第 %1 行第 %2 列的文字有 %3 个字符，"
                                              "超过一个单元格的上限 %4 个字符")
                                   .arg(fieldLine)
                                   .arg(field + 1)
                                   .arg(length)
                                   .arg(maxLength);
                return false;
            }
            if (!over) {
                if (size_t(field) >= m_widest.size())
                    m_widest.resize(size_t(field) + 1, 0);
                m_widest[size_t(field)] = std::max(m_widest[size_t(field)], width);
            }
            if (field == 0)
                firstHasText = hasText;
            ++field;
            if (p < end && *p == ',') {
                ++p; // a comma at the very end still opens an empty field
                continue;
            }
            break;
        }
        if (p < end && *p == '\r') {
            ++p;
            if (p < end && *p == '\n')
                ++p;
            lineBreak(p);
        } else if (p < end && *p == '\n') {
            ++p;
            lineBreak(p);
        }
        if (field == 1 && !firstHasText)
            continue; // blank lines carry no row
        ++rowCount;
        cols = std::max(cols, field);
        if (!over && rowCount * cols > maxCells) {
            // Counted on to the end, for the message, but not kept.
            over = true;
            m_rowStarts = {};
            m_widest = {};
        }
        if (!over)
            m_rowStarts.push_back(rowStart - begin);
    }
    if (over) {
        why->rows = rowCount;
        why->cols = cols;
        return false;
    }
    m_cols = qint32(cols);
    m_widest.resize(size_t(cols), 0);
    return true;
}

const char *CsvTable::fieldEnd(const char *p) const
{
    if (p < m_end && *p == '"') {
        for (p = findQuote(p + 1, m_end); p + 1 < m_end && p[1] == '"';)
            p = findQuote(p + 2, m_end);
        if (p < m_end)
            ++p;
    }
    while (p < m_end && kByteClasses[uchar(*p)] != Stop)
        ++p;
    return p;
}

QString CsvTable::text(qint32 row, qint32 col) const
{
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols)
        return QString();
    Position at { row, 0, m_begin + m_rowStarts[size_t(row)] };
    if (m_next.row == row && m_next.col <= col)
        at = m_next;
    for (; at.at && at.col < col; ++at.col) {
        const char *end = fieldEnd(at.at);
        at.at = end < m_end && *end == ',' ? end + 1 : nullptr;
    }
    if (!at.at) {
        m_next = at;
        return QString();
    }
    const char *p = at.at;
    const char *end = fieldEnd(p);
    m_next = { row, col + 1, end < m_end && *end == ',' ? end + 1 : nullptr };
    if (p == m_end || *p != '"')
        return decoded(p, end - p);
    QByteArray bytes;
    const char *from = p + 1;
    for (;;) {
        const char *quote = findQuote(from, m_end);
        bytes.append(from, quote - from);
        if (quote == m_end)
            break;
        from = quote + 1;
        if (quote + 1 < m_end && quote[1] == '"') {
            bytes.append('"');
            from = quote + 2;
            continue;
        }
        break;
    }
    if (from < end)
        bytes.append(from, end - from);
    return decoded(bytes.constData(), bytes.size());
}

} // namespace quillon
