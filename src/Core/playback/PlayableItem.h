#pragma once

#include "provider/ContentType.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

// What the player is given: one movie or episode with its stream address, its key in the watch
// progress store and where to start. Identified by progressKey.
class PlayableItem
{
    Q_GADGET
    QML_VALUE_TYPE(playableItem)
    Q_PROPERTY(QString title READ title CONSTANT FINAL)
    Q_PROPERTY(QString subtitle READ subtitleText CONSTANT FINAL)
    Q_PROPERTY(bool hasSubtitle READ hasSubtitle CONSTANT FINAL)
    Q_PROPERTY(QString url READ url CONSTANT FINAL)
    Q_PROPERTY(QString progressKey READ progressKey CONSTANT FINAL)
    Q_PROPERTY(QString contentId READ contentId CONSTANT FINAL)
    Q_PROPERTY(QString imageUrl READ imageUrlText CONSTANT FINAL)
    Q_PROPERTY(qint64 startTimeMs READ startTimeMs CONSTANT FINAL)
public:
    PlayableItem() = default;
    PlayableItem(QString title, std::optional<QString> subtitle, QString url, QString progressKey,
                 ContentType contentType, QString contentId, std::optional<QString> imageUrl,
                 qint64 startTimeMs)
        : m_title(std::move(title)), m_subtitle(std::move(subtitle)), m_url(std::move(url)),
          m_progressKey(std::move(progressKey)), m_contentType(contentType),
          m_contentId(std::move(contentId)), m_imageUrl(std::move(imageUrl)), m_startTimeMs(startTimeMs)
    {
    }

    QString title() const { return m_title; }
    const std::optional<QString> &subtitle() const { return m_subtitle; }
    QString url() const { return m_url; }
    QString progressKey() const { return m_progressKey; }
    ContentType contentType() const { return m_contentType; }
    QString contentId() const { return m_contentId; }
    const std::optional<QString> &imageUrl() const { return m_imageUrl; }
    qint64 startTimeMs() const { return m_startTimeMs; }

    bool operator==(const PlayableItem &) const = default;

private:
    QString subtitleText() const { return m_subtitle.value_or(QString()); }
    bool hasSubtitle() const { return m_subtitle.has_value(); }
    QString imageUrlText() const { return m_imageUrl.value_or(QString()); }

    QString m_title;
    std::optional<QString> m_subtitle;
    QString m_url;
    QString m_progressKey;
    ContentType m_contentType = ContentType::Movie;
    QString m_contentId;
    std::optional<QString> m_imageUrl;
    qint64 m_startTimeMs = 0;
};

size_t qHash(const PlayableItem &item, size_t seed = 0);
