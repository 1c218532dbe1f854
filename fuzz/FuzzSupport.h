#pragma once

// What every fuzz target shares: reading each property of a decoded value, so the derived
// fields (time ranges, durations, dates) run on the fuzzed data as the screens would run them.
#include <QByteArray>
#include <QMetaProperty>
#include <QSequentialIterable>
#include <QVariant>
#include <cstddef>
#include <cstdint>

namespace FuzzSupport {

inline void readProperties(const QVariant &value, int depth = 0)
{
    if (depth > 4 || !value.isValid())
        return;
    const QMetaType type = value.metaType();
    if (type.flags().testFlag(QMetaType::IsGadget)) {
        const QMetaObject *meta = type.metaObject();
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
            readProperties(meta->property(i).readOnGadget(value.constData()), depth + 1);
    } else if (value.canConvert<QSequentialIterable>() && type != QMetaType::fromType<QString>()
               && type != QMetaType::fromType<QByteArray>()) {
        for (const QVariant &item : value.value<QSequentialIterable>())
            readProperties(item, depth + 1);
    }
}

template <typename T>
void readAll(const T &value)
{
    readProperties(QVariant::fromValue(value));
}

// The input without its first byte, which chose the decoder.
inline QByteArray rest(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
}

} // namespace FuzzSupport
