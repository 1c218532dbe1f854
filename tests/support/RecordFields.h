#pragma once

#include <QList>
#include <functional>
#include <type_traits>

namespace norvane::test {

// What `field` gives for each record, in order (the ids of a list, its names ...).
template <typename Record, typename Field> auto fieldOf(const QList<Record> &records, Field field)
{
    QList<std::decay_t<std::invoke_result_t<Field, const Record &>>> values;
    for (const Record &record : records)
        values.append(std::invoke(field, record));
    return values;
}

} // namespace norvane::test
