#pragma once

#include "storage/StoredContentType.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

// How far one movie or episode was played: one record of "progress.json". Immutable.
class ProgressEntry
{
    Q_GADGET
    QML_VALUE_TYPE(progressEntry)
    Q_PROPERTY(QString key READ key CONSTANT FINAL)
    Q_PROPERTY(QString contentType READ contentTypeName CONSTANT FINAL)
    Q_PROPERTY(QString contentId READ contentId CONSTANT FINAL)
    Q_PROPERTY(QString name READ name CONSTANT FINAL)
    // The artwork address, "" when the entry has none (hasImageUrl tells the two apart).
    Q_PROPERTY(QString imageUrl READ imageUrlText CONSTANT FINAL)
    Q_PROPERTY(bool hasImageUrl READ hasImageUrl CONSTANT FINAL)
    Q_PROPERTY(qint64 positionMs READ positionMs CONSTANT FINAL)
    Q_PROPERTY(qint64 durationMs READ durationMs CONSTANT FINAL)
    Q_PROPERTY(double updatedAt READ updatedAt CONSTANT FINAL)
    Q_PROPERTY(QString url READ url CONSTANT FINAL)
    // What the screens derive from the two times.
    Q_PROPERTY(bool unfinished READ isUnfinished CONSTANT FINAL)
    Q_PROPERTY(qint64 resumePositionMs READ resumePositionMs CONSTANT FINAL)
    Q_PROPERTY(double watchedFraction READ watchedFraction CONSTANT FINAL)

public:
    ProgressEntry() = default;
    ProgressEntry(QString key, StoredContentType contentType, QString contentId, QString name,
                  std::optional<QString> imageUrl, qint64 positionMs, qint64 durationMs, double updatedAt,
                  QString url);

    const QString &key() const { return m_key; }
    // None for a type the file named that this app does not know.
    std::optional<ContentType> contentType() const { return m_contentType.type(); }
    QString contentTypeName() const { return m_contentType.name(); }
    const QString &contentId() const { return m_contentId; }
    const QString &name() const { return m_name; }
    const std::optional<QString> &imageUrl() const { return m_imageUrl; }
    QString imageUrlText() const { return m_imageUrl.value_or(QString()); }
    bool hasImageUrl() const { return m_imageUrl.has_value(); }
    qint64 positionMs() const { return m_positionMs; }
    qint64 durationMs() const { return m_durationMs; }
    double updatedAt() const { return m_updatedAt; }
    const QString &url() const { return m_url; }

    bool isUnfinished() const { return isUnfinished(m_positionMs, m_durationMs); }
    qint64 resumePositionMs() const { return resumePositionMs(m_positionMs, m_durationMs); }
    double watchedFraction() const { return watchedFraction(m_positionMs, m_durationMs); }

    bool isWatched() const { return isWatched(m_positionMs, m_durationMs); }

    // The watched rule, the one place it is written: from this share of a known duration on, an
    // item counts as seen; it leaves "Continuar viendo" and plays again from the start.
    static constexpr double watchedShare = 0.95;
    static bool isWatched(qint64 positionMs, qint64 durationMs);
    // Started and not yet watched (an unknown duration counts as unfinished).
    static bool isUnfinished(qint64 positionMs, qint64 durationMs);
    // Where playback starts again: from the beginning once watched.
    static qint64 resumePositionMs(qint64 positionMs, qint64 durationMs);
    // 0.0 to 1.0 for a progress bar; 0.0 while the duration is unknown.
    static double watchedFraction(qint64 positionMs, qint64 durationMs);

    // The record as stored in the file; "imageUrl" only when there is one.
    QJsonObject toJson() const;
    // None when a required member is missing or has the wrong type.
    static std::optional<ProgressEntry> fromJson(const QJsonObject &object);

    bool operator==(const ProgressEntry &) const = default;

private:
    QString m_key;
    StoredContentType m_contentType = ContentType::Movie;
    QString m_contentId;
    QString m_name;
    std::optional<QString> m_imageUrl;
    qint64 m_positionMs = 0;
    qint64 m_durationMs = 0;
    double m_updatedAt = 0;
    QString m_url;
};
