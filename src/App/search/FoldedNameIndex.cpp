#include "search/FoldedNameIndex.h"

#include "search/TextFolding.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr char nameEnd = char(0xFF);

void appendUnit(QByteArray &out, char16_t unit)
{
    if (unit < 0x80) {
        out.append(char(unit));
    } else if (unit < 0x800) {
        out.append(char(0xC0 | (unit >> 6)));
        out.append(char(0x80 | (unit & 0x3F)));
    } else {
        out.append(char(0xE0 | (unit >> 12)));
        out.append(char(0x80 | ((unit >> 6) & 0x3F)));
        out.append(char(0x80 | (unit & 0x3F)));
    }
}

void appendEncoded(QByteArray &out, QStringView folded)
{
    for (const QChar c : folded)
        appendUnit(out, c.unicode());
}

// Folding works code point by code point (decomposition, dropping marks and case folding never look
// at neighbours), so names made only of Latin letters are folded from a table of their units'
// folded, encoded forms, made once. Other names take the general path.
constexpr char16_t tableEnd = 0x250;

const std::array<QByteArray, tableEnd> &latinFolds()
{
    static const std::array<QByteArray, tableEnd> table = [] {
        std::array<QByteArray, tableEnd> folds;
        for (char16_t unit = 0; unit < tableEnd; ++unit)
            folds[unit] = FoldedNameIndex::encode(TextFolding::fold(QStringView(&unit, 1)));
        return folds;
    }();
    return table;
}

bool appendLatinFolded(QByteArray &out, QStringView name)
{
    const std::array<QByteArray, tableEnd> &folds = latinFolds();
    const qsizetype start = out.size();
    for (const QChar c : name) {
        if (c.unicode() >= tableEnd) {
            out.truncate(start);
            return false;
        }
        out.append(folds[c.unicode()]);
    }
    return true;
}

} // namespace

QByteArray FoldedNameIndex::encode(QStringView folded)
{
    QByteArray out;
    out.reserve(folded.size() * 3);
    appendEncoded(out, folded);
    return out;
}

void FoldedNameIndex::reserve(qsizetype count)
{
    m_starts.reserve(size_t(count));
    // Catalog names average some twenty-odd characters.
    m_text.reserve(count * 28);
}

void FoldedNameIndex::append(QStringView name)
{
    m_starts.push_back(quint32(m_text.size()));
    if (!appendLatinFolded(m_text, name))
        appendEncoded(m_text, TextFolding::fold(name));
    m_text.append(nameEnd);
}

QList<qsizetype> FoldedNameIndex::find(QStringView foldedNeedle, qsizetype limit) const
{
    QList<qsizetype> found;
    if (limit <= 0)
        return found;
    if (foldedNeedle.isEmpty()) {
        for (qsizetype i = 0; i < size() && found.size() < limit; ++i)
            found.append(i);
        return found;
    }
    const QByteArray needle = encode(foldedNeedle);
    const char *const begin = m_text.constData();
    const char *const end = begin + m_text.size();
    const char *from = begin;
    while (from < end && found.size() < limit) {
        const void *hit = memmem(from, size_t(end - from), needle.constData(), size_t(needle.size()));
        if (!hit)
            break;
        const quint32 offset = quint32(static_cast<const char *>(hit) - begin);
        // The name holding the hit: the last one starting at or before it.
        const auto next = std::upper_bound(m_starts.cbegin(), m_starts.cend(), offset);
        found.append(qsizetype(next - m_starts.cbegin()) - 1);
        // One hit per name: go on from the next name.
        from = next == m_starts.cend() ? end : begin + *next;
    }
    return found;
}
