#pragma once

#include <QByteArray>
#include <QList>
#include <QStringView>
#include <vector>

// The folded names of one fetched list, made once, in which a search finds the first records
// whose name contains a folded text. All names sit in one contiguous byte buffer, each UTF-16
// unit of the folded name written as its own UTF-8-style sequence (1 to 3 bytes) and every name
// followed by the byte 0xFF, which no such sequence contains. Because that code is prefix-free
// and unit by unit, a byte match is exactly a match of the folded UTF-16 texts, and no match
// can span two names. One pass of memmem over the buffer finds the records in list order.
class FoldedNameIndex
{
public:
    FoldedNameIndex() = default;

    // Every record's name in list order (records offer nameView()).
    template <typename Record> static FoldedNameIndex ofNames(const QList<Record> &records)
    {
        FoldedNameIndex index;
        index.reserve(records.size());
        for (const Record &record : records)
            index.append(record.nameView());
        return index;
    }

    qsizetype size() const { return qsizetype(m_starts.size()); }
    // Memory held: the buffer and the offsets.
    qsizetype byteSize() const
    {
        return m_text.capacity() + qsizetype(m_starts.capacity() * sizeof(quint32));
    }

    // Positions (in list order) of the first `limit` names that contain `foldedNeedle`, which is
    // already folded (TextFolding::fold). An empty needle is contained in every name.
    QList<qsizetype> find(QStringView foldedNeedle, qsizetype limit) const;

    // The code described above, for one folded text.
    static QByteArray encode(QStringView folded);

private:
    void reserve(qsizetype count);
    void append(QStringView name);

    QByteArray m_text;
    // Byte offset of each name's first byte.
    std::vector<quint32> m_starts;
};
