#pragma once

#include <QMetaType>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The main menu clock's two texts at one moment.
class Snapshot
{
    Q_GADGET
    QML_VALUE_TYPE(snapshot)
    Q_PROPERTY(QString time READ time CONSTANT FINAL)
    Q_PROPERTY(QString date READ date CONSTANT FINAL)

public:
    Snapshot() = default;
    Snapshot(QString time, QString date) : m_time(std::move(time)), m_date(std::move(date)) {}

    QString time() const { return m_time; }
    QString date() const { return m_date; }

    friend bool operator==(const Snapshot &, const Snapshot &) = default;

private:
    QString m_time;
    QString m_date;
};

Q_DECLARE_METATYPE(Snapshot)
