#include "texttable_p.h"

#include <algorithm>
#include <new>

namespace quillon {

namespace {

// Offsets and lengths count UTF-16 units in 32 bits.
constexpr qsizetype kMaxText = 0xFFFFFFFE;

} // namespace

void TextTable::allocateRefs()
{
    m_refs.assign(size_t(qsizetype(m_rows) * m_cols), Ref { 0, kUnwritten });
}

void TextTable::dropText(const Ref &ref)
{
    if (ref.length != kUnwritten)
        m_garbage += ref.length;
}

void TextTable::resize(qint32 rows, qint32 cols)
{
    rows = std::max(rows, 0);
    cols = std::max(cols, 0);
    m_baseRows = std::min(m_baseRows, rows);
    m_baseCols = std::min(m_baseCols, cols);
    if (!m_refs.empty()) {
        std::vector<Ref> refs(size_t(qsizetype(rows) * cols), Ref { 0, kUnwritten });
        for (qint32 r = 0; r < m_rows; ++r) {
            for (qint32 c = 0; c < m_cols; ++c) {
                const Ref &ref = m_refs[size_t(qsizetype(r) * m_cols + c)];
                if (r < rows && c < cols)
                    refs[size_t(qsizetype(r) * cols + c)] = ref;
                else
                    dropText(ref);
            }
        }
        m_refs = std::move(refs);
    }
    m_rows = rows;
    m_cols = cols;
    if (m_garbage > qsizetype(m_text.size()) / 2)
        compact();
}

QString TextTable::at(qint32 row, qint32 col) const
{
    if (!contains(row, col))
        return QString();
    if (!m_refs.empty()) {
        const Ref &ref = m_refs[size_t(qsizetype(row) * m_cols + col)];
        if (ref.length != kUnwritten) {
            if (ref.length == 0)
                return QString();
            return QString(
                reinterpret_cast<const QChar *>(m_text.data() + ref.offset), qsizetype(ref.length));
        }
    }
    if (m_base && row < m_baseRows && col < m_baseCols)
        return m_base->text(row, col);
    return QString();
}

void TextTable::set(qint32 row, qint32 col, const QString &text)
{
    makeRoom(*this, row, col);
    if (m_refs.empty())
        allocateRefs();
    Ref &ref = m_refs[size_t(qsizetype(row) * m_cols + col)];
    const qsizetype length = text.size();
    // A text no longer than the one it replaces takes its place.
    if (ref.length != kUnwritten && length <= qsizetype(ref.length)) {
        std::copy_n(
            reinterpret_cast<const char16_t *>(text.utf16()), length, m_text.begin() + ref.offset);
        m_garbage += ref.length - length;
        ref.length = quint32(length);
        return;
    }
    dropText(ref);
    ref = { 0, 0 };
    if (length == 0)
        return;
    if (qsizetype(m_text.size()) + length > kMaxText)
        compact();
    if (qsizetype(m_text.size()) + length > kMaxText)
        throw std::bad_alloc();
    ref = { quint32(m_text.size()), quint32(length) };
    const auto *units = reinterpret_cast<const char16_t *>(text.utf16());
    m_text.insert(m_text.end(), units, units + length);
    if (m_garbage > 1024 * 1024 && m_garbage > qsizetype(m_text.size()) / 2)
        compact();
}

void TextTable::setBase(std::shared_ptr<const TextRows> base)
{
    m_refs.clear();
    m_text.clear();
    m_text.shrink_to_fit();
    m_garbage = 0;
    m_base = std::move(base);
    m_rows = m_baseRows = m_base ? m_base->rows() : 0;
    m_cols = m_baseCols = m_base ? m_base->cols() : 0;
}

void TextTable::compact()
{
    std::vector<char16_t> text;
    text.reserve(m_text.size() - size_t(m_garbage));
    for (Ref &ref : m_refs) {
        if (ref.length == kUnwritten || ref.length == 0)
            continue;
        const auto from = m_text.begin() + ref.offset;
        ref.offset = quint32(text.size());
        text.insert(text.end(), from, from + ref.length);
    }
    m_text = std::move(text);
    m_garbage = 0;
}

} // namespace quillon
