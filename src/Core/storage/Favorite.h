#pragma once

#include "storage/StoredContentType.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

// One favourite channel ("live") or series ("series"), as it was when the user added it. Immutable.
class Favorite
{
    Q_GADGET
    QML_VALUE_TYPE(favorite)
    Q_PROPERTY(QString contentType READ contentTypeName CONSTANT FINAL)
    Q_PROPERTY(QString contentId READ contentId CONSTANT FINAL)
    Q_PROPERTY(QString name READ name CONSTANT FINAL)
    // The logo or cover address, "" when there is none (hasImageUrl tells the two apart).
    Q_PROPERTY(QString imageUrl READ imageUrlText CONSTANT FINAL)
    Q_PROPERTY(bool hasImageUrl READ hasImageUrl CONSTANT FINAL)
    // The identity in lists: contentType + ":" + contentId.
    Q_PROPERTY(QString id READ id CONSTANT FINAL)

public:
    Favorite() = default;
    Favorite(StoredContentType contentType, QString contentId, QString name, std::optional<QString> imageUrl);

    // None for a type the file named that this app does not know.
    std::optional<ContentType> contentType() const { return m_contentType.type(); }
    QString contentTypeName() const { return m_contentType.name(); }
    const QString &contentId() const { return m_contentId; }
    const QString &name() const { return m_name; }
    const std::optional<QString> &imageUrl() const { return m_imageUrl; }
    QString imageUrlText() const { return m_imageUrl.value_or(QString()); }
    bool hasImageUrl() const { return m_imageUrl.has_value(); }
    QString id() const { return contentTypeName() + QLatin1Char(':') + m_contentId; }

    QJsonObject toJson() const;
    // None when "contentId" or "name" is missing or not a string; a missing type reads as a channel.
    static std::optional<Favorite> fromJson(const QJsonObject &object);

    bool operator==(const Favorite &) const = default;

private:
    StoredContentType m_contentType = ContentType::Live;
    QString m_contentId;
    QString m_name;
    std::optional<QString> m_imageUrl;
};

size_t qHash(const Favorite &favorite, size_t seed = 0);
