#include "storage/Favorite.h"

#include <QHashFunctions>
#include <QJsonValue>

Favorite::Favorite(StoredContentType contentType, QString contentId, QString name,
                   std::optional<QString> imageUrl)
    : m_contentType(std::move(contentType)), m_contentId(std::move(contentId)), m_name(std::move(name)),
      m_imageUrl(std::move(imageUrl))
{
}

QJsonObject Favorite::toJson() const
{
    QJsonObject object{
        {QStringLiteral("contentType"), contentTypeName()},
        {QStringLiteral("contentId"), m_contentId},
        {QStringLiteral("name"), m_name},
    };
    if (m_imageUrl)
        object.insert(QStringLiteral("imageUrl"), *m_imageUrl);
    return object;
}

std::optional<Favorite> Favorite::fromJson(const QJsonObject &object)
{
    const QJsonValue id = object.value(QLatin1StringView("contentId"));
    const QJsonValue name = object.value(QLatin1StringView("name"));
    if (!id.isString() || !name.isString())
        return std::nullopt;
    // A record without a usable type is a channel.
    const QJsonValue type = object.value(QLatin1StringView("contentType"));
    const QJsonValue image = object.value(QLatin1StringView("imageUrl"));
    return Favorite(type.isString() ? StoredContentType::fromName(type.toString()) : ContentType::Live,
                    id.toString(), name.toString(),
                    image.isString() ? std::optional(image.toString()) : std::nullopt);
}

size_t qHash(const Favorite &favorite, size_t seed)
{
    return qHashMulti(seed, favorite.contentTypeName(), favorite.contentId(), favorite.name(),
                      favorite.imageUrl().value_or(QString()), favorite.imageUrl().has_value());
}
