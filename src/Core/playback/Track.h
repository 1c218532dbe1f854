#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// An audio or subtitle track as the user picks it: the player's own index and a label.
class Track
{
    Q_GADGET
    QML_VALUE_TYPE(track)
    Q_PROPERTY(int id READ id CONSTANT FINAL)
    Q_PROPERTY(QString name READ name CONSTANT FINAL)
public:
    Track() = default;
    Track(int id, QString name) : m_id(id), m_name(std::move(name)) {}

    int id() const { return m_id; }
    QString name() const { return m_name; }

    bool operator==(const Track &) const = default;

private:
    int m_id = -1;
    QString m_name;
};

inline size_t qHash(const Track &track, size_t seed = 0)
{
    return qHashMulti(seed, track.id(), track.name());
}
