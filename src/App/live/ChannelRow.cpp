#include "live/ChannelRow.h"

namespace {

std::optional<QString> optionalText(const QString &text)
{
    return text.isNull() ? std::nullopt : std::optional<QString>(text);
}

} // namespace

ChannelRow ChannelRow::fromStream(const LiveStream &stream, std::optional<QString> num)
{
    return ChannelRow(stream.streamId(), std::move(num), stream.name(), optionalText(stream.streamIcon()));
}

ChannelRow ChannelRow::fromStream(const LiveStream &stream)
{
    return fromStream(stream, optionalText(stream.num()));
}

size_t qHash(const ChannelRow &row, size_t seed)
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, row.streamId());
    seed = combine(seed, row.num().has_value());
    seed = combine(seed, row.numText());
    seed = combine(seed, row.name());
    seed = combine(seed, row.hasIconURL());
    return combine(seed, row.iconURLText());
}
