#include "storage/ProgressEntry.h"

#include <QJsonValue>
#include <algorithm>

namespace {

std::optional<QString> requiredString(const QJsonObject &object, QLatin1StringView member)
{
    const QJsonValue value = object.value(member);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

// A JSON number that is a whole value inside the signed 64-bit range (8.0 counts as 8).
std::optional<qint64> requiredInteger(const QJsonObject &object, QLatin1StringView member)
{
    const QJsonValue value = object.value(member);
    if (!value.isDouble())
        return std::nullopt;
    const qint64 low = value.toInteger(0);
    const qint64 high = value.toInteger(1);
    if (low != high)
        return std::nullopt;
    return low;
}

} // namespace

ProgressEntry::ProgressEntry(QString key, StoredContentType contentType, QString contentId, QString name,
                             std::optional<QString> imageUrl, qint64 positionMs, qint64 durationMs,
                             double updatedAt, QString url)
    : m_key(std::move(key)), m_contentType(std::move(contentType)), m_contentId(std::move(contentId)),
      m_name(std::move(name)), m_imageUrl(std::move(imageUrl)), m_positionMs(positionMs),
      m_durationMs(durationMs), m_updatedAt(updatedAt), m_url(std::move(url))
{
}

bool ProgressEntry::isWatched(qint64 positionMs, qint64 durationMs)
{
    return durationMs >= 1 && double(positionMs) / double(durationMs) >= watchedShare;
}

bool ProgressEntry::isUnfinished(qint64 positionMs, qint64 durationMs)
{
    return positionMs > 0 && !isWatched(positionMs, durationMs);
}

qint64 ProgressEntry::resumePositionMs(qint64 positionMs, qint64 durationMs)
{
    return isWatched(positionMs, durationMs) ? 0 : positionMs;
}

double ProgressEntry::watchedFraction(qint64 positionMs, qint64 durationMs)
{
    if (durationMs < 1)
        return 0.0;
    return std::min(double(positionMs) / double(durationMs), 1.0);
}

QJsonObject ProgressEntry::toJson() const
{
    QJsonObject object{
        {QStringLiteral("key"), m_key},
        {QStringLiteral("contentType"), contentTypeName()},
        {QStringLiteral("contentId"), m_contentId},
        {QStringLiteral("name"), m_name},
        {QStringLiteral("positionMs"), m_positionMs},
        {QStringLiteral("durationMs"), m_durationMs},
        {QStringLiteral("updatedAt"), m_updatedAt},
        {QStringLiteral("url"), m_url},
    };
    if (m_imageUrl)
        object.insert(QStringLiteral("imageUrl"), *m_imageUrl);
    return object;
}

std::optional<ProgressEntry> ProgressEntry::fromJson(const QJsonObject &object)
{
    const auto key = requiredString(object, QLatin1StringView("key"));
    const auto contentType = requiredString(object, QLatin1StringView("contentType"));
    const auto contentId = requiredString(object, QLatin1StringView("contentId"));
    const auto name = requiredString(object, QLatin1StringView("name"));
    const auto url = requiredString(object, QLatin1StringView("url"));
    const auto positionMs = requiredInteger(object, QLatin1StringView("positionMs"));
    const auto durationMs = requiredInteger(object, QLatin1StringView("durationMs"));
    const QJsonValue updatedAt = object.value(QLatin1StringView("updatedAt"));
    if (!key || !contentType || !contentId || !name || !url || !positionMs || !durationMs ||
        !updatedAt.isDouble())
        return std::nullopt;

    // An image address of another type fails the record like any other wrong type.
    std::optional<QString> imageUrl;
    const QJsonValue image = object.value(QLatin1StringView("imageUrl"));
    if (image.isString())
        imageUrl = image.toString();
    else if (!image.isUndefined() && !image.isNull())
        return std::nullopt;

    return ProgressEntry(*key, StoredContentType::fromName(*contentType), *contentId, *name,
                         std::move(imageUrl), *positionMs, *durationMs, updatedAt.toDouble(), *url);
}
