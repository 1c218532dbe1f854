#pragma once

#include <QObject>
#include <QString>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

// One programme guide entry with plain texts. Identity: id, made fresh on every decode.
class EPGListing
{
    Q_GADGET
    QML_VALUE_TYPE(epgListing)
    Q_PROPERTY(QUuid id READ id CONSTANT FINAL)
    Q_PROPERTY(QString title READ title CONSTANT FINAL)
    Q_PROPERTY(QString description READ description CONSTANT FINAL)
    Q_PROPERTY(qint64 startTimestamp READ startTimestamp CONSTANT FINAL)
    Q_PROPERTY(qint64 stopTimestamp READ stopTimestamp CONSTANT FINAL)
    Q_PROPERTY(bool nowPlaying READ nowPlaying CONSTANT FINAL)
    Q_PROPERTY(QString timeRange READ timeRange CONSTANT FINAL)
    Q_PROPERTY(bool isNow READ isNow FINAL)
public:
    // The plain fields, so a value reads as Record({.field = ...}).
    struct Fields
    {
        QUuid id;
        QString title;
        QString description;
        qint64 startTimestamp = 0; // seconds since 1970 UTC; 0 when not given
        qint64 stopTimestamp = 0;
        bool nowPlaying = false;
        bool operator==(const Fields &) const = default;
    };

    EPGListing() = default;
    explicit EPGListing(Fields fields) : m(std::move(fields)) {}

    QUuid id() const { return m.id; }
    QString title() const { return m.title; }
    QString description() const { return m.description; }
    qint64 startTimestamp() const { return m.startTimestamp; }
    qint64 stopTimestamp() const { return m.stopTimestamp; }
    bool nowPlaying() const { return m.nowPlaying; }

    // Start and stop as "HH:mm - HH:mm" in local time.
    QString timeRange() const;
    // Marked as on air, or now (whole seconds) lies in [start, stop).
    bool isNow() const;
    bool isNow(qint64 nowSecsSinceEpoch) const;

    bool operator==(const EPGListing &) const = default;

private:
    Fields m;
};
