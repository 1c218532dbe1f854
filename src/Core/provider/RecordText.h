#pragma once

#include "provider/JsonText.h"

#include <QHashFunctions>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>
#include <string_view>

// The N text fields of one provider record packed into one shared string, each present or
// absent. Whole catalogs hold 100,000 records: one buffer per record instead of one per field
// keeps decoding and copying cheap.
template <int N> class RecordText
{
    static_assert(N > 0 && N <= 32);

public:
    RecordText() = default;

    // From texts as JSON writes them (UTF-8, escapes still in; absent where nullopt), decoded in
    // one pass each; the views need only live during the call.
    static RecordText fromJsonText(const std::array<std::optional<std::string_view>, N> &fields)
    {
        qsizetype bytes = 0;
        for (const auto &field : fields)
            bytes += field ? qsizetype(field->size()) : 0;
        RecordText packed;
        // Decoded UTF-16 never needs more units than the JSON text has bytes.
        packed.m_text = QString(bytes, Qt::Uninitialized);
        QChar *const begin = packed.m_text.data();
        QChar *out = begin;
        for (int i = 0; i < N; ++i) {
            if (fields[i]) {
                out = JsonText::decode(out, *fields[i]);
                packed.m_present |= 1u << i;
            }
            packed.m_end[i] = quint32(out - begin);
        }
        packed.m_text.truncate(out - begin);
        return packed;
    }

    // From texts; a null QString is an absent field.
    static RecordText fromStrings(const std::array<QString, N> &fields)
    {
        RecordText packed;
        qsizetype length = 0;
        for (const QString &field : fields)
            length += field.size();
        packed.m_text.reserve(length);
        for (int i = 0; i < N; ++i) {
            if (!fields[i].isNull()) {
                packed.m_text.append(fields[i]);
                packed.m_present |= 1u << i;
            }
            packed.m_end[i] = quint32(packed.m_text.size());
        }
        return packed;
    }

    bool has(int i) const { return m_present & (1u << i); }

    // The field's text; a null QString when absent (an empty one when present but empty).
    QString at(int i) const
    {
        if (!has(i))
            return QString();
        const QStringView field = view(i);
        return field.isEmpty() ? QString(QLatin1StringView("")) : field.toString();
    }

    // The field without a copy; valid while this record lives.
    QStringView view(int i) const
    {
        const quint32 start = i == 0 ? 0 : m_end[i - 1];
        return QStringView(m_text).sliced(start, m_end[i] - start);
    }

    bool operator==(const RecordText &other) const
    {
        return m_present == other.m_present && m_end == other.m_end && m_text == other.m_text;
    }

    size_t hash(size_t seed) const { return qHashMulti(seed, m_text, m_present); }

private:
    QString m_text;
    std::array<quint32, N> m_end{};
    quint32 m_present = 0;
};
