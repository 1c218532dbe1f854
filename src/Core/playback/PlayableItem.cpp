#include "PlayableItem.h"

namespace {

std::optional<QString> optionalText(const QVariantMap &fields, const QString &key)
{
    const QString text = fields.value(key).toString();
    return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
}

} // namespace

PlayableItem PlayableItem::fromMap(const QVariantMap &fields)
{
    return PlayableItem(fields.value(QStringLiteral("title")).toString(),
                        optionalText(fields, QStringLiteral("subtitle")),
                        fields.value(QStringLiteral("url")).toString(),
                        fields.value(QStringLiteral("progressKey")).toString(),
                        fields.value(QStringLiteral("contentType")).toString(),
                        fields.value(QStringLiteral("contentId")).toString(),
                        optionalText(fields, QStringLiteral("imageUrl")),
                        fields.value(QStringLiteral("startTimeMs")).toLongLong());
}

size_t qHash(const PlayableItem &item, size_t seed)
{
    return qHashMulti(seed, item.title(), item.subtitle().value_or(QString()), item.subtitle().has_value(),
                      item.url(), item.progressKey(), item.contentType(), item.contentId(),
                      item.imageUrl().value_or(QString()), item.imageUrl().has_value(), item.startTimeMs());
}
