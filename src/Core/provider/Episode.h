#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <optional>

// One playable episode. Identity: id (used in the stream address).
class Episode
{
    Q_GADGET
    QML_VALUE_TYPE(episode)
    Q_PROPERTY(QString id READ id CONSTANT FINAL)
    Q_PROPERTY(qint64 episodeNum READ episodeNum CONSTANT FINAL)
    Q_PROPERTY(qint64 season READ season CONSTANT FINAL)
    Q_PROPERTY(QString title READ title CONSTANT FINAL)
    Q_PROPERTY(QString containerExtension READ containerExtension CONSTANT FINAL)
    Q_PROPERTY(QString plot READ plot CONSTANT FINAL)
    Q_PROPERTY(QString image READ image CONSTANT FINAL)
    Q_PROPERTY(QVariant durationSecs READ durationSecsValue CONSTANT FINAL)
    Q_PROPERTY(QString durationText READ durationText CONSTANT FINAL)
public:
    // The plain fields, so a value reads as Record({.field = ...}).
    struct Fields
    {
        QString id;
        qint64 episodeNum = 0;
        qint64 season = 0;
        QString title;
        QString containerExtension; // null when absent
        QString plot;               // null when absent
        QString image;              // null when absent
        std::optional<qint64> durationSecs;
        bool operator==(const Fields &) const = default;
    };

    Episode() = default;
    explicit Episode(Fields fields) : m(std::move(fields)) {}

    QString id() const { return m.id; }
    qint64 episodeNum() const { return m.episodeNum; }
    qint64 season() const { return m.season; }
    QString title() const { return m.title; }
    QString containerExtension() const { return m.containerExtension; }
    QString plot() const { return m.plot; }
    QString image() const { return m.image; }
    std::optional<qint64> durationSecs() const { return m.durationSecs; }
    // For QML: undefined when absent.
    QVariant durationSecsValue() const
    {
        return m.durationSecs ? QVariant::fromValue(*m.durationSecs) : QVariant();
    }

    // "1 h 30 min", "25 min"; a null QString when there is no positive duration.
    QString durationText() const;

    bool operator==(const Episode &) const = default;

private:
    Fields m;
};
